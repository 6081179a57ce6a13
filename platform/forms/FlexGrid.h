#pragma once

#include <QTableWidget>

// A flex grid with the indices of the system's code: rows and columns count from 0, the fixed
// (header) rows and columns first. Cell formats apply to the current cell (Row, Col).
namespace forms {

enum FlexAlignment {
    flexAlignLeftTop = 0,
    flexAlignLeftCenter = 1,
    flexAlignLeftBottom = 2,
    flexAlignCenterTop = 3,
    flexAlignCenterCenter = 4,
    flexAlignCenterBottom = 5,
    flexAlignRightTop = 6,
    flexAlignRightCenter = 7,
    flexAlignRightBottom = 8,
    flexAlignGeneral = 9, // text on the left, numbers on the right
};

class FlexGrid : public QTableWidget
{
    Q_OBJECT

public:
    // Two rows and two columns, the first of each fixed.
    explicit FlexGrid(const QString& name, QWidget* parent = nullptr);

    int Rows() const { return rowCount(); }
    void SetRows(int rows);
    int Cols() const { return columnCount(); }
    void SetCols(int cols);
    int FixedRows() const { return fixedRows_; }
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int cols);

    // Errors 381 for a cell outside the grid.
    QString TextMatrix(int row, int col) const;
    void SetTextMatrix(int row, int col, const QString& text);

    // Sizes in twips; -1 gives the default width back.
    int ColWidth(int col) const;
    void SetColWidth(int col, int twips);
    int RowHeight(int row) const;
    void SetRowHeight(int row, int twips);
    // Alignment of the column's cells below the fixed rows.
    int ColAlignment(int col) const;
    void SetColAlignment(int col, int alignment);

    // Adds a row at the end, or before the given row, its cells from the tab-separated text.
    void AddItem(const QString& item, int index = -1);
    // Removes a row; the last row below the fixed ones cannot be removed (error 30015).
    void RemoveItem(int index);
    // Empties every cell (text and formats), keeping the rows and columns.
    void Clear();

    // The current cell; a click on a cell below the fixed rows makes it current.
    int Row() const { return row_; }
    void SetRow(int row);
    int Col() const { return col_; }
    void SetCol(int col);
    QString Text() const { return TextMatrix(row_, col_); }
    void SetText(const QString& text) { SetTextMatrix(row_, col_, text); }
    bool CellFontBold() const;
    void SetCellFontBold(bool bold);
    long CellBackColor() const;
    void SetCellBackColor(long color);

signals:
    void Click();
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QTableWidgetItem& Cell(int row, int col);
    const QTableWidgetItem* CellAt(int row, int col) const;
    void RequireCell(int row, int col) const;
    void Align(int row, int col);
    void StyleCell(int row, int col, QTableWidgetItem& cell);
    void StyleFixed();

    int fixedRows_ = 1;
    int fixedCols_ = 1;
    int row_ = 1;
    int col_ = 1;
    std::vector<int> alignments_;
};

using MSFlexGrid = FlexGrid;

} // namespace forms
