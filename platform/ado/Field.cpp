#include "platform/ado/Field.h"

#include "platform/ado/RecordsetState.h"
#include "platform/ado/Session.h"

namespace ado {

using detail::RecordsetState;

std::string Field::Name() const
{
    state_->RequireOpen();
    return state_->columns[static_cast<size_t>(index_)].name;
}

vb::Variant Field::Value() const
{
    return state_->Value(index_);
}

void Field::SetValue(const vb::Variant& value)
{
    state_->SetValue(index_, value);
}

DataType Field::Type() const
{
    state_->RequireOpen();
    return detail::DataTypeOf(state_->columns[static_cast<size_t>(index_)].kind);
}

long Field::DefinedSize() const
{
    state_->RequireOpen();
    const detail::ColumnInfo& c = state_->columns[static_cast<size_t>(index_)];
    return detail::DefinedSizeOf(c.kind, c.declared);
}

std::string Field::BaseTable() const
{
    state_->RequireOpen();
    return state_->columns[static_cast<size_t>(index_)].table;
}

long Fields::Count() const
{
    state_->RequireOpen();
    return static_cast<long>(state_->columns.size());
}

Field Fields::Item(long index) const
{
    state_->RequireOpen();
    if (index < 0 || index >= static_cast<long>(state_->columns.size())) {
        detail::Raise(detail::ErrNotFoundInCollection,
                      "Item cannot be found in the collection corresponding to the requested "
                      "name or ordinal.");
    }
    return Field(state_, static_cast<int>(index));
}

Field Fields::Item(std::string_view name) const
{
    return Field(state_, state_->ColumnIndex(name));
}

} // namespace ado
