// Criteria of Find and Filter and the orders of Sort, as typed or built from typed text, on a
// recordset of rows of each kind of value; then the criterion alone against a value.

#include "platform/ado/Criteria.h"
#include "fuzz/FuzzSupport.h"
#include "platform/ado/Catalogue.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Error.h"

#include <memory>

namespace {

template <class Step> void Try(Step step)
{
    try {
        step();
    } catch (const vb::Error&) {
    }
}

ado::Recordset& Rows()
{
    static const std::unique_ptr<ado::Recordset> rows = [] {
        const std::string path = fuzz::Folder() + "/zad.MDB";
        ado::CreateDatabaseFile(path, "");
        ado::Connection connection;
        connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
        connection.Execute("CREATE TABLE Articles (Reference LONG PRIMARY KEY, Nom TEXT(50), "
                           "LaDate DATETIME, Prix CURRENCY, Actif YESNO)");
        connection.Execute("INSERT INTO Articles VALUES (1, 'Gants', #5/12/2024#, 12.5, True)");
        connection.Execute("INSERT INTO Articles VALUES (2, 'Écran', #1/1/1900#, -3, False)");
        connection.Execute("INSERT INTO Articles VALUES (3, Null, Null, Null, Null)");
        auto rs = std::make_unique<ado::Recordset>();
        rs->Open("Articles", connection, ado::adOpenDynamic, ado::adLockOptimistic);
        return rs;
    }();
    return *rows;
}

void MatchAll(const ado::detail::FilterNode& node, const vb::Variant& value)
{
    if (node.kind == ado::detail::FilterNode::Kind::Criterion)
        Try([&] { node.criterion.Matches(value); });
    for (const auto& child : node.children)
        MatchAll(child, value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input = fuzz::Text(data, size);
    const std::string_view text = fuzz::NextPart(input);
    const vb::Variant value = fuzz::NextValue(input);

    ado::Recordset& rs = Rows();
    Try([&] { rs.SetFilter(text); });
    Try([&] { rs.SetSort(text); });
    Try([&] { rs.MoveFirst(); });
    Try([&] { rs.Find(text); });
    Try([&] { rs.Find(text, 0, ado::adSearchBackward, ado::adBookmarkLast); });
    rs.SetSort("");
    rs.SetFilter("");

    Try([&] { ado::detail::ParseCriterion(text).Matches(value); });
    Try([&] { MatchAll(ado::detail::ParseFilter(text), value); });
    return 0;
}
