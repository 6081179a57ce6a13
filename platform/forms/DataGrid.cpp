#include "platform/forms/DataGrid.h"

#include "platform/forms/BoundControls.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/ErrorBoundary.h"
#include "platform/vb/Error.h"
#include "platform/win/Twips.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <utility>

namespace forms {

namespace {

struct ColumnSetting
{
    QString caption;
    QString field;
    QString format;
    int width = -1; // twips; below zero keeps the view's width
    bool locked = false;
    bool visible = true;
    bool sizing = true;
    bool button = false;
    int fieldIndex = -1;   // the field's ordinal in the recordset, -1 when it has none
    bool computed = false; // the field is worked out by the query, not stored in a table
};

// The square button at the right end of a cell.
QRect ButtonRectIn(const QRect& cell)
{
    return QRect(cell.right() - cell.height() + 1, cell.top(), cell.height(), cell.height());
}

} // namespace

// The cells of a grid, read from the recordset by position without moving it.
class RecordsetModel : public QAbstractTableModel
{
public:
    explicit RecordsetModel(DataGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

    std::vector<ColumnSetting> columns;
    bool automatic = true; // columns follow the fields until the window adds its own

    // Whether the record being added holds typing of the grid's.
    bool typed = false;

    bool AddNew() const { return addNew_; }
    // Only the empty last row comes or goes, so that an open editor stays where it is.
    void SetAddNew(bool allow)
    {
        const int row = int(rows_);
        if (allow == addNew_ || !Writable()) {
            addNew_ = allow;
        } else if (allow) {
            beginInsertRows({}, row, row);
            addNew_ = true;
            endInsertRows();
        } else {
            beginRemoveRows({}, row, row);
            addNew_ = false;
            endRemoveRows();
        }
    }
    // The empty last row that starts a new record.
    bool IsNewRow(int row) const { return addNew_ && Writable() && row == int(rows_); }
    // The row of a record being added and not saved yet.
    bool IsAdding(int row) const
    {
        return Open() && recordset_->EditMode() == ado::adEditAdd &&
               recordset_->AbsolutePosition() == row + 1;
    }

    void SetRecordset(const std::optional<ado::Recordset>& recordset)
    {
        recordset_ = recordset;
        Reset();
    }
    const std::optional<ado::Recordset>& Recordset() const { return recordset_; }
    bool Open() const { return recordset_ && recordset_->State() != 0; }
    bool Writable() const { return Open() && recordset_->LockType() != ado::adLockReadOnly; }

    void Reset()
    {
        beginResetModel();
        rows_ = 0;
        if (Open()) {
            const ado::Fields fields = recordset_->Fields();
            if (automatic) {
                columns.clear();
                for (long i = 0; i < fields.Count(); ++i) {
                    ColumnSetting setting;
                    setting.caption = setting.field = QString::fromStdString(fields.Item(i).Name());
                    columns.push_back(setting);
                }
            }
            for (ColumnSetting& setting : columns) {
                setting.fieldIndex = FieldIndex(fields, setting.field);
                setting.computed =
                    setting.fieldIndex >= 0 && fields.Item(setting.fieldIndex).BaseTable().empty();
            }
            rows_ = recordset_->RecordCount();
            sort_ = recordset_->Sort();
            filter_ = recordset_->Filter();
        }
        endResetModel();
    }

    // After a move: rows added, removed or put in another order need a reset; otherwise the
    // cells are only shown again (a field of the current row may have changed).
    void Follow(int reason)
    {
        if (reason == ado::adRsnAddNew)
            typed = false;
        if (!Open()) {
            if (rows_ != 0)
                Reset();
            return;
        }
        if (reason == ado::adRsnRequery || reason == ado::adRsnAddNew ||
            reason == ado::adRsnUndoUpdate || recordset_->RecordCount() != rows_ ||
            recordset_->Sort() != sort_ || recordset_->Filter() != filter_) {
            Reset();
        } else if (rows_ > 0 && !columns.empty()) {
            emit dataChanged(index(0, 0), index(int(rows_) - 1, int(columns.size()) - 1));
        }
    }

    vb::Variant Value(int row, int column) const
    {
        if (!Open() || column < 0 || column >= int(columns.size()) ||
            columns[size_t(column)].fieldIndex < 0 || row < 0 || row >= recordset_->RecordCount())
            return vb::Variant::Null();
        try {
            return recordset_->ValueAt(row + 1, columns[size_t(column)].fieldIndex);
        } catch (const vb::Error&) {
            return vb::Variant::Null();
        }
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        if (parent.isValid())
            return 0;
        return int(rows_) + (IsNewRow(int(rows_)) ? 1 : 0);
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return {};
        const vb::Variant value = Value(index.row(), index.column());
        return FieldText(value, role == Qt::DisplayRole ? columns[size_t(index.column())].format
                                                        : QString());
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < int(columns.size()))
            return columns[size_t(section)].caption;
        if (orientation == Qt::Vertical && role == Qt::DisplayRole && IsNewRow(section))
            return QStringLiteral("*");
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const ColumnSetting& setting = columns[size_t(index.column())];
        // A new record takes typing even where existing ones do not.
        const bool adding = IsNewRow(index.row()) || IsAdding(index.row());
        if ((grid_->AllowUpdate() || adding) && !setting.locked && setting.fieldIndex >= 0 &&
            !setting.computed && Writable())
            flags |= Qt::ItemIsEditable;
        return flags;
    }

    // A typed cell is written into the field of its row; the recordset saves it when it
    // leaves the row. The empty last row holds no record to write into: typing there starts
    // one first (DataGrid::StartNewRecord).
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable) || IsNewRow(index.row()))
            return false;
        const QString text = value.toString();
        try {
            if (recordset_->AbsolutePosition() != index.row() + 1)
                recordset_->SetAbsolutePosition(index.row() + 1);
            recordset_->Fields(columns[size_t(index.column())].fieldIndex)
                .SetValue(text.isEmpty() ? vb::Variant::Null() : vb::Variant(text.toStdString()));
        } catch (const vb::Error& error) {
            MsgBox(QString::fromStdString(error.what()), vbExclamation);
            return false;
        }
        if (IsAdding(index.row()))
            typed = true;
        emit dataChanged(index, index);
        return true;
    }

private:
    static int FieldIndex(const ado::Fields& fields, const QString& name)
    {
        if (name.isEmpty())
            return -1;
        for (long i = 0; i < fields.Count(); ++i)
            if (QString::fromStdString(fields.Item(i).Name()).compare(name, Qt::CaseInsensitive) ==
                0)
                return int(i);
        return -1;
    }

    DataGrid* grid_;
    std::optional<ado::Recordset> recordset_;
    bool addNew_ = false;
    long rows_ = 0;
    std::string sort_;
    std::string filter_;
};

// Draws the button of the current cell of a button column and reports clicks on it.
class CellButtonDelegate : public QStyledItemDelegate
{
public:
    CellButtonDelegate(DataGrid* grid, RecordsetModel* model)
        : QStyledItemDelegate(grid), grid_(grid), model_(model)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (!HasButton(index))
            return;
        QStyleOptionButton button;
        button.rect = ButtonRectIn(option.rect);
        button.text = "...";
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        QApplication::style()->drawControl(QStyle::CE_PushButton, &button, painter);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        if (event->type() == QEvent::MouseButtonRelease && HasButton(index) &&
            ButtonRectIn(option.rect).contains(static_cast<QMouseEvent*>(event)->pos())) {
            // A press on the button is not a click on the grid.
            grid_->buttonPressed_ = true;
            emit grid_->ButtonClick(index.column());
            return true;
        }
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }

private:
    bool HasButton(const QModelIndex& index) const
    {
        return index.isValid() && index == grid_->View()->currentIndex() &&
               model_->columns[size_t(index.column())].button;
    }

    DataGrid* grid_;
    RecordsetModel* model_;
};

// The cells' view: the first key typed in the empty last row starts a record, and the key
// then goes to the editor of that record's cell.
class GridView : public QTableView
{
public:
    GridView(DataGrid* grid, RecordsetModel* model) : QTableView(grid), grid_(grid), model_(model)
    {
    }

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        if (!index.isValid() || !model_->IsNewRow(index.row()))
            return QTableView::edit(index, trigger, event);
        // Nothing to edit before a key is typed.
        if (trigger != AnyKeyPressed || !(model_->flags(index) & Qt::ItemIsEditable))
            return false;
        const QModelIndex added = grid_->StartNewRecord(index.column());
        // Without a record (refused, or taken over by the window) the key is used up.
        return !added.isValid() || QTableView::edit(added, trigger, event);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        QTableView::mousePressEvent(event);
        // A refused move put the current row back while the press was handled; the press then
        // highlighted the clicked row: the highlight goes back to the current row.
        const QModelIndex current = currentIndex();
        if (current.isValid() && !selectionModel()->isRowSelected(current.row(), {}))
            selectionModel()->select(current, QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
    }

private:
    DataGrid* grid_;
    RecordsetModel* model_;
};

DataGrid::DataGrid(const QString& name, QWidget* parent) : QFrame(parent)
{
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    caption_ = new QLabel(this);
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setFrameShape(QFrame::Panel);
    caption_->hide();
    model_ = new RecordsetModel(this);
    view_ = new GridView(this, model_);
    view_->setObjectName(name + ".View");
    view_->setModel(model_);
    view_->setItemDelegate(new CellButtonDelegate(this, model_));
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    view_->verticalHeader()->setDefaultSectionSize(win::TwipsToPixels(255));
    view_->verticalHeader()->setFixedWidth(win::TwipsToPixels(225));
    view_->horizontalHeader()->setSectionsClickable(true);
    view_->horizontalHeader()->setHighlightSections(false);
    layout->addWidget(caption_);
    layout->addWidget(view_, 1);
    setFocusProxy(view_);

    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, &DataGrid::HeadClick);
    connect(view_, &QTableView::clicked, this, [this] {
        if (std::exchange(buttonPressed_, false))
            return;
        emit Click();
    });
    view_->viewport()->installEventFilter(this);
    // Moving the recordset and writing an edit run the windows' handlers.
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            Guard(this, &DataGrid::CurrentChanged));
    connect(model_, &QAbstractItemModel::modelReset, this, &DataGrid::ApplyLayout);
    connect(view_->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            Guard(this, [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::RevertModelCache)
                    CancelNewRecord();
            }));
}

DataGrid::~DataGrid() = default;

bool DataGrid::eventFilter(QObject* watched, QEvent* event)
{
    // A double click anywhere in the cells, as the windows expect, not only on the pressed cell.
    if (watched == view_->viewport() && event->type() == QEvent::MouseButtonDblClick)
        emit DblClick();
    return QFrame::eventFilter(watched, event);
}

void DataGrid::SetDataSource(DataControl* source)
{
    disconnect(moveConnection_);
    disconnect(changeConnection_);
    disconnect(recordConnection_);
    source_ = source;
    if (!source) {
        model_->SetRecordset(std::nullopt);
        return;
    }
    auto attach = [this] {
        model_->SetRecordset(source_->HasRecordset()
                                 ? std::optional<ado::Recordset>(source_->Recordset())
                                 : std::nullopt);
        FollowRecordset(ado::adRsnMove);
    };
    moveConnection_ = connect(source, &DataControl::MoveComplete, this, &DataGrid::FollowRecordset);
    // A saved row may have moved under the sort, a deleted one left, a cancelled one gone back
    // to its stored values: the grid reads its rows again.
    recordConnection_ = connect(source, &DataControl::RecordChangeComplete, this,
                                [this] { FollowRecordset(ado::adRsnUndoUpdate); });
    changeConnection_ = connect(source, &DataControl::RecordsetChanged, this, attach);
    attach();
}

QString DataGrid::Caption() const
{
    return caption_->text();
}

void DataGrid::SetCaption(const QString& caption)
{
    caption_->setText(caption);
    caption_->setVisible(!caption.isEmpty());
}

int DataGrid::AddColumn(const QString& caption, const QString& dataField, int widthTwips)
{
    if (model_->automatic) {
        model_->automatic = false;
        model_->columns.clear();
    }
    ColumnSetting setting;
    setting.caption = caption;
    setting.field = dataField;
    setting.width = widthTwips;
    model_->columns.push_back(setting);
    model_->Reset();
    return int(model_->columns.size()) - 1;
}

int DataGrid::ColumnCount() const
{
    return model_->columnCount();
}

GridColumn DataGrid::Columns(int index)
{
    if (index < 0 || index >= ColumnCount())
        vb::Raise(vb::ErrSubscript);
    return GridColumn(this, index);
}

int DataGrid::Row() const
{
    return view_->currentIndex().isValid() ? view_->currentIndex().row() : -1;
}

int DataGrid::Col() const
{
    return view_->currentIndex().isValid() ? view_->currentIndex().column() : 0;
}

void DataGrid::SetCol(int col)
{
    const int row = std::max(Row(), 0);
    if (model_->rowCount() > 0)
        view_->setCurrentIndex(model_->index(row, col));
}

QString DataGrid::Text() const
{
    return view_->currentIndex().data(Qt::DisplayRole).toString();
}

void DataGrid::Refresh()
{
    model_->Reset();
    FollowRecordset(ado::adRsnMove);
}

QRect DataGrid::CellButtonRect() const
{
    const QModelIndex current = view_->currentIndex();
    if (!current.isValid() || !model_->columns[size_t(current.column())].button)
        return {};
    return ButtonRectIn(view_->visualRect(current));
}

void DataGrid::FollowRecordset(int reason)
{
    model_->Follow(reason);
    if (!model_->Open())
        return;
    const long position = model_->Recordset()->AbsolutePosition();
    const bool wasFollowing = following_;
    following_ = true;
    if (position >= 1 && position <= model_->rowCount()) {
        const QModelIndex target = model_->index(int(position) - 1, Col());
        if (target != view_->currentIndex())
            view_->setCurrentIndex(target);
        view_->scrollTo(target);
    } else if (view_->currentIndex().isValid() && !model_->IsNewRow(view_->currentIndex().row())) {
        // Off the rows; the empty last row stays current, the recordset past its last row.
        view_->setCurrentIndex(QModelIndex());
    }
    following_ = wasFollowing;
}

void DataGrid::CurrentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (!following_ && current.isValid() && model_->Open() && !MoveRecordsetTo(current.row()))
        return;
    view_->viewport()->update();
    emit RowColChange(previous.isValid() ? vb::Variant(int32_t(previous.row() + 1))
                                         : vb::Variant::Null(),
                      previous.isValid() ? previous.column() : 0);
}

bool DataGrid::MoveRecordsetTo(int row)
{
    ado::Recordset rs = *model_->Recordset();
    long target = row + 1;
    try {
        if (rs.EditMode() == ado::adEditAdd && model_->typed && rs.AbsolutePosition() != target) {
            // Leaving a record being added saves it; under a sort it then takes its place
            // among the others, which moves the rows after that place down by one.
            const long added = rs.AbsolutePosition();
            const long count = rs.RecordCount();
            rs.Update();
            model_->Follow(ado::adRsnUpdate);
            const long saved = rs.AbsolutePosition();
            if (rs.RecordCount() == count && target < added && target >= saved)
                ++target;
        }
        if (model_->IsNewRow(row)) {
            // The empty last row: the recordset goes past its last row, as for a new record.
            if (!rs.Eof())
                rs.Move(1, ado::adBookmarkLast);
            return true;
        }
        if (rs.AbsolutePosition() != target)
            rs.SetAbsolutePosition(target);
    } catch (const vb::Error& error) {
        // A refused edit or new record: the grid goes back to the recordset's row.
        MsgBox(QString::fromStdString(error.what()), vbExclamation);
        FollowRecordset(ado::adRsnMove);
        return false;
    }
    // The chosen row moved: the grid went to its new place already.
    return target == row + 1;
}

void DataGrid::SetHeadLines(int lines)
{
    headLines_ = std::clamp(lines, 0, 10);
    QHeaderView* header = view_->horizontalHeader();
    header->setVisible(headLines_ > 0);
    if (headLines_ <= 1) {
        header->setDefaultAlignment(Qt::AlignCenter);
        header->setMinimumHeight(0);
        header->setMaximumHeight(QWIDGETSIZE_MAX);
        return;
    }
    header->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    header->setFixedHeight(header->fontMetrics().lineSpacing() * headLines_ + 2 * margin + 2);
}

bool DataGrid::AllowAddNew() const
{
    return model_->AddNew();
}

QModelIndex DataGrid::StartNewRecord(int column)
{
    ado::Recordset rs = *model_->Recordset();
    try {
        rs.AddNew();
    } catch (const vb::Error& error) {
        MsgBox(QString::fromStdString(error.what()), vbExclamation);
        FollowRecordset(ado::adRsnMove);
        return {};
    }
    emit OnAddNew();
    if (!model_->Open() || model_->Recordset()->EditMode() != ado::adEditAdd)
        return {};
    return model_->index(int(model_->Recordset()->AbsolutePosition()) - 1, column);
}

void DataGrid::CancelNewRecord()
{
    if (!model_->Open() || model_->typed)
        return;
    ado::Recordset rs = *model_->Recordset();
    if (rs.EditMode() != ado::adEditAdd)
        return;
    rs.CancelUpdate();
    // Back on the empty last row, where the record was started.
    if (rs.Eof() && model_->IsNewRow(model_->rowCount() - 1)) {
        following_ = true;
        view_->setCurrentIndex(model_->index(model_->rowCount() - 1, Col()));
        following_ = false;
    }
}

void DataGrid::SetAllowAddNew(bool allow)
{
    if (allow == model_->AddNew())
        return;
    model_->SetAddNew(allow);
    FollowRecordset(ado::adRsnMove);
}

void DataGrid::ApplyColumnLayout(int index)
{
    const ColumnSetting& setting = model_->columns[size_t(index)];
    QHeaderView* header = view_->horizontalHeader();
    if (setting.width >= 0)
        header->resizeSection(index, win::TwipsToPixels(setting.width));
    header->setSectionResizeMode(index,
                                 setting.sizing ? QHeaderView::Interactive : QHeaderView::Fixed);
    view_->setColumnHidden(index, !setting.visible);
}

void DataGrid::ApplyLayout()
{
    for (int i = 0; i < ColumnCount(); ++i)
        ApplyColumnLayout(i);
}

// Columns.

QString GridColumn::Caption() const
{
    return grid_->model_->columns[size_t(index_)].caption;
}

void GridColumn::SetCaption(const QString& caption)
{
    grid_->model_->columns[size_t(index_)].caption = caption;
    emit grid_->model_->headerDataChanged(Qt::Horizontal, index_, index_);
}

QString GridColumn::DataField() const
{
    return grid_->model_->columns[size_t(index_)].field;
}

void GridColumn::SetDataField(const QString& field)
{
    grid_->model_->columns[size_t(index_)].field = field;
    grid_->model_->automatic = false;
    grid_->Refresh();
}

int GridColumn::Width() const
{
    return win::PixelsToTwips(grid_->view_->horizontalHeader()->sectionSize(index_));
}

void GridColumn::SetWidth(int twips)
{
    grid_->model_->columns[size_t(index_)].width = twips;
    grid_->ApplyColumnLayout(index_);
}

QString GridColumn::NumberFormat() const
{
    return grid_->model_->columns[size_t(index_)].format;
}

void GridColumn::SetNumberFormat(const QString& format)
{
    grid_->model_->columns[size_t(index_)].format = format;
    grid_->view_->viewport()->update();
}

bool GridColumn::Locked() const
{
    return grid_->model_->columns[size_t(index_)].locked;
}

void GridColumn::SetLocked(bool locked)
{
    grid_->model_->columns[size_t(index_)].locked = locked;
}

void GridColumn::SetVisible(bool visible)
{
    grid_->model_->columns[size_t(index_)].visible = visible;
    grid_->ApplyColumnLayout(index_);
}

void GridColumn::SetAllowSizing(bool allow)
{
    grid_->model_->columns[size_t(index_)].sizing = allow;
    grid_->ApplyColumnLayout(index_);
}

bool GridColumn::Button() const
{
    return grid_->model_->columns[size_t(index_)].button;
}

void GridColumn::SetButton(bool button)
{
    grid_->model_->columns[size_t(index_)].button = button;
    grid_->view_->viewport()->update();
}

vb::Variant GridColumn::Value() const
{
    return grid_->model_->Value(grid_->Row(), index_);
}

QString GridColumn::Text() const
{
    return FieldText(Value(), NumberFormat());
}

} // namespace forms
