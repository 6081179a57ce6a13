#include "platform/forms/FlexGrid.h"

#include "platform/forms/Colors.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/win/Twips.h"

#include <QHeaderView>

namespace forms {

namespace {

constexpr int ErrInvalidIndex = 381;
constexpr int ErrInvalidRow = 30009;
constexpr int ErrInvalidCol = 30010;
constexpr int ErrLastNonFixedRow = 30015;
constexpr int DefaultColWidth = 64;  // pixels
constexpr int DefaultRowHeight = 16; // pixels, 240 twips

Qt::Alignment QtAlignment(int alignment, const QString& text)
{
    static const Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static const Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    if (alignment < flexAlignLeftTop || alignment > flexAlignRightBottom) {
        const bool number = !text.isEmpty() && vb::IsNumeric(vb::Variant(text.toStdString()));
        return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    }
    return horizontal[alignment / 3] | vertical[alignment % 3];
}

} // namespace

FlexGrid::FlexGrid(const QString& name, QWidget* parent) : QTableWidget(2, 2, parent)
{
    setObjectName(name);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultSectionSize(DefaultColWidth);
    verticalHeader()->setDefaultSectionSize(DefaultRowHeight);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    alignments_.assign(2, flexAlignGeneral);
    StyleFixed();
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int col) {
        if (row >= fixedRows_ && col >= fixedCols_) {
            row_ = row;
            col_ = col;
        }
    });
    connect(this, &QTableWidget::cellClicked, this, &FlexGrid::Click);
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableWidget::mouseDoubleClickEvent(event);
    emit DblClick();
}

void FlexGrid::SetRows(int rows)
{
    if (rows < fixedRows_)
        throw vb::Error(ErrInvalidRow, "Valeur de ligne non valide");
    setRowCount(rows);
    row_ = std::min(row_, std::max(rows - 1, 0));
    StyleFixed();
}

void FlexGrid::SetCols(int cols)
{
    if (cols < fixedCols_)
        throw vb::Error(ErrInvalidCol, "Valeur de colonne non valide");
    setColumnCount(cols);
    alignments_.resize(size_t(cols), flexAlignGeneral);
    col_ = std::min(col_, std::max(cols - 1, 0));
    StyleFixed();
}

void FlexGrid::SetFixedCols(int cols)
{
    if (cols < 0 || cols > columnCount())
        throw vb::Error(ErrInvalidCol, "Valeur de colonne non valide");
    fixedCols_ = cols;
    col_ = std::max(col_, std::min(cols, columnCount() - 1));
    StyleFixed();
}

void FlexGrid::RequireCell(int row, int col) const
{
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount())
        throw vb::Error(ErrInvalidIndex, vb::ErrorDescription(vb::ErrSubscript));
}

const QTableWidgetItem* FlexGrid::CellAt(int row, int col) const
{
    RequireCell(row, col);
    return item(row, col);
}

QTableWidgetItem& FlexGrid::Cell(int row, int col)
{
    RequireCell(row, col);
    QTableWidgetItem* cell = item(row, col);
    if (!cell) {
        cell = new QTableWidgetItem;
        setItem(row, col, cell);
        StyleCell(row, col, *cell);
    }
    return *cell;
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    const QTableWidgetItem* cell = CellAt(row, col);
    return cell ? cell->text() : QString();
}

void FlexGrid::SetTextMatrix(int row, int col, const QString& text)
{
    Cell(row, col).setText(text);
    Align(row, col);
}

int FlexGrid::ColWidth(int col) const
{
    RequireCell(0, col);
    return win::PixelsToTwips(horizontalHeader()->sectionSize(col));
}

void FlexGrid::SetColWidth(int col, int twips)
{
    RequireCell(0, col);
    horizontalHeader()->resizeSection(col, twips < 0 ? DefaultColWidth : win::TwipsToPixels(twips));
}

int FlexGrid::RowHeight(int row) const
{
    RequireCell(row, 0);
    return win::PixelsToTwips(verticalHeader()->sectionSize(row));
}

void FlexGrid::SetRowHeight(int row, int twips)
{
    RequireCell(row, 0);
    verticalHeader()->resizeSection(row, twips < 0 ? DefaultRowHeight : win::TwipsToPixels(twips));
}

int FlexGrid::ColAlignment(int col) const
{
    RequireCell(0, col);
    return alignments_[size_t(col)];
}

void FlexGrid::SetColAlignment(int col, int alignment)
{
    RequireCell(0, col);
    alignments_[size_t(col)] = alignment;
    for (int row = fixedRows_; row < rowCount(); ++row)
        Align(row, col);
}

void FlexGrid::Align(int row, int col)
{
    QTableWidgetItem* cell = item(row, col);
    if (!cell)
        return;
    const int alignment = row < fixedRows_ ? flexAlignLeftCenter : alignments_[size_t(col)];
    cell->setTextAlignment(QtAlignment(alignment, cell->text()));
}

void FlexGrid::AddItem(const QString& itemText, int index)
{
    if (index < -1 || index > rowCount())
        throw vb::Error(ErrInvalidIndex, vb::ErrorDescription(vb::ErrSubscript));
    const int row = index < 0 ? rowCount() : index;
    insertRow(row);
    const QStringList cells = itemText.split('\t');
    for (int col = 0; col < columnCount() && col < cells.size(); ++col)
        SetTextMatrix(row, col, cells[col]);
    if (row < fixedRows_) {
        StyleFixed(); // the rows below moved out of (or into) the fixed ones
        return;
    }
    for (int col = 0; col < fixedCols_ && col < columnCount(); ++col)
        Cell(row, col);
}

void FlexGrid::RemoveItem(int index)
{
    if (index < 0 || index >= rowCount())
        throw vb::Error(ErrInvalidIndex, vb::ErrorDescription(vb::ErrSubscript));
    if (index >= fixedRows_ && rowCount() - fixedRows_ <= 1)
        throw vb::Error(ErrLastNonFixedRow, "Impossible de supprimer la dernière ligne non fixe");
    removeRow(index);
    row_ = std::min(row_, rowCount() - 1);
}

void FlexGrid::Clear()
{
    for (int row = 0; row < rowCount(); ++row)
        for (int col = 0; col < columnCount(); ++col)
            delete takeItem(row, col);
    StyleFixed();
}

void FlexGrid::SetRow(int row)
{
    if (row < 0 || row >= rowCount())
        throw vb::Error(ErrInvalidRow, "Valeur de ligne non valide");
    row_ = row;
}

void FlexGrid::SetCol(int col)
{
    if (col < 0 || col >= columnCount())
        throw vb::Error(ErrInvalidCol, "Valeur de colonne non valide");
    col_ = col;
}

bool FlexGrid::CellFontBold() const
{
    const QTableWidgetItem* cell = CellAt(row_, col_);
    return cell && cell->font().bold();
}

void FlexGrid::SetCellFontBold(bool bold)
{
    QTableWidgetItem& cell = Cell(row_, col_);
    QFont font = cell.font();
    font.setBold(bold);
    cell.setFont(font);
}

long FlexGrid::CellBackColor() const
{
    const QTableWidgetItem* cell = CellAt(row_, col_);
    if (cell && cell->data(Qt::BackgroundRole).isValid())
        return VbFromColor(cell->background().color());
    return VbFromColor(palette().color(QPalette::Base));
}

void FlexGrid::SetCellBackColor(long color)
{
    Cell(row_, col_).setBackground(ColorFromVb(color));
}

// The fixed rows and columns take no selection and are drawn as a header.
void FlexGrid::StyleCell(int row, int col, QTableWidgetItem& cell)
{
    const bool fixed = row < fixedRows_ || col < fixedCols_;
    cell.setFlags(fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (fixed && !cell.data(Qt::BackgroundRole).isValid())
        cell.setBackground(palette().button());
    Align(row, col);
}

void FlexGrid::StyleFixed()
{
    for (int row = 0; row < rowCount(); ++row) {
        for (int col = 0; col < columnCount(); ++col) {
            QTableWidgetItem* cell = item(row, col);
            if (!cell) {
                if (row >= fixedRows_ && col >= fixedCols_)
                    continue;
                cell = new QTableWidgetItem;
                setItem(row, col, cell);
            }
            StyleCell(row, col, *cell);
        }
    }
}

} // namespace forms
