#include "BoundFixture.h"

#include "platform/forms/BoundControls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Form.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace forms;
using namespace forms::testing;

namespace {

// The article window's arrangement: a grid over data1 and a card over data2, both on the
// articles; the card follows the grid by the article's number, the grid sorts on header clicks.
class StockWindow : public Form
{
public:
    StockWindow(const ado::Recordset& rs1, const ado::Recordset& rs2)
    {
        setObjectName("StockWindow");
        resize(800, 400);
        auto* layout = new QVBoxLayout(this);
        data1 = new DataControl("data1", this);
        data2 = new DataControl("data2", this);
        DBGrid2 = new DataGrid("DBGrid2", this);
        Text1 = new BoundText("Text1", this);
        for (QWidget* w : std::initializer_list<QWidget*>{data1, data2, DBGrid2, Text1})
            layout->addWidget(w);
        DBGrid2->SetCaption("Article en stock");
        DBGrid2->AddColumn("Réference", "Reference", 1500);
        DBGrid2->AddColumn("Désignation", "Designation", 3000);
        DBGrid2->AddColumn("Prix achat Unitaire", "PrixAchatUnit");
        DBGrid2->AddColumn("Date", "DateCreation");
        DBGrid2->AddColumn("Famille", "Famille");
        DBGrid2->Columns(0).SetLocked(true);
        DBGrid2->Columns(3).SetNumberFormat("Short Date");
        DBGrid2->Columns(4).SetVisible(false);
        DBGrid2->SetDataSource(data1);
        Text1->Bind(data2, "Designation");
        data2->SetRecordset(rs2);
        data1->SetRecordset(rs1);

        connect(data1, &DataControl::MoveComplete, this, [this] {
            ado::Recordset grid = data1->Recordset();
            if (grid.Eof() || grid.Bof() || grid.Fields("Reference").Value().IsNull())
                return;
            data2->Recordset().Find("[Reference]=" + vb::CStr(grid.Fields("Reference").Value()), 0,
                                    ado::adSearchForward, ado::adBookmarkFirst);
        });
        connect(DBGrid2, &DataGrid::HeadClick, this, [this](int col) {
            heads.push_back(col);
            data1->Recordset().SetSort(DBGrid2->Columns(col).DataField().toStdString());
        });
        connect(DBGrid2, &DataGrid::DblClick, this, [this] { ++doubleClicks; });
        connect(DBGrid2, &DataGrid::RowColChange, this, [this](const vb::Variant& lastRow, int) {
            lastRows.push_back(lastRow.IsNull() ? 0 : lastRow.LongValue());
        });
    }

    QRect Cell(int row, int col) const
    {
        return DBGrid2->View()->visualRect(DBGrid2->View()->model()->index(row, col));
    }
    QString Shown(int row, int col) const
    {
        return DBGrid2->View()->model()->index(row, col).data().toString();
    }

    DataControl* data1;
    DataControl* data2;
    DataGrid* DBGrid2;
    BoundText* Text1;
    std::vector<int> heads;
    std::vector<int32_t> lastRows;
    int doubleClicks = 0;
};

class DataGridTest : public WindowTest
{
protected:
    void SetUp() override { window.Show(); }

    void ClickCell(int row, int col)
    {
        QTest::mouseClick(window.DBGrid2->View()->viewport(), Qt::LeftButton, {},
                          window.Cell(row, col).center());
    }

    // Types into a cell as a person does: the first key opens its editor, Enter ends the edit.
    void TypeCell(int row, int col, const QString& text)
    {
        ClickCell(row, col);
        QTest::keyClick(window.DBGrid2->View(), text.at(0).toLatin1());
        QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ProcessEvents(); // the editor hands its text over after the key
    }

    int Rows() const { return window.DBGrid2->View()->model()->rowCount(); }

    // The rows shown highlighted, which must be the recordset's row.
    std::vector<int> Highlighted() const
    {
        std::vector<int> rows;
        for (const QModelIndex& index : window.DBGrid2->View()->selectionModel()->selectedRows())
            rows.push_back(index.row());
        return rows;
    }
    QString RowHeader(int row) const
    {
        return window.DBGrid2->View()->model()->headerData(row, Qt::Vertical).toString();
    }
    bool Editable(int row, int col) const
    {
        const QAbstractItemModel* model = window.DBGrid2->View()->model();
        return model->flags(model->index(row, col)) & Qt::ItemIsEditable;
    }
    std::string Count(const std::string& where) const
    {
        return db.Stored("SELECT COUNT(*) FROM Articles WHERE " + where);
    }

    // Turns the grid's new row on, with the number column open to typing; counts OnAddNew.
    void AllowAddNew()
    {
        window.DBGrid2->Columns(0).SetLocked(false);
        window.DBGrid2->SetAllowAddNew(true);
        QObject::connect(window.DBGrid2, &DataGrid::OnAddNew, [this] { ++addNews; });
    }
    int addNews = 0;

    BoundDatabase db;
    ado::Recordset rs1 = db.Recordset("Articles");
    ado::Recordset rs2 = db.Recordset("Articles");
    StockWindow window{rs1, rs2};
};

TEST_F(DataGridTest, ColumnsShowCaptionsWidthsFormatsAndHiddenColumns)
{
    QTableView* view = window.DBGrid2->View();
    ASSERT_EQ(view->model()->rowCount(), 3);
    EXPECT_EQ(view->model()->headerData(1, Qt::Horizontal).toString(), "Désignation");
    EXPECT_EQ(view->horizontalHeader()->sectionSize(0), 100) << "1500 twips";
    EXPECT_EQ(window.DBGrid2->Columns(1).Width(), 3000);
    EXPECT_EQ(window.Shown(0, 3), "12/05/2024");
    EXPECT_EQ(window.Shown(1, 3), "") << "Null shows as the empty text";
    EXPECT_TRUE(view->isColumnHidden(4));
    EXPECT_FALSE(view->model()->flags(view->model()->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(view->model()->flags(view->model()->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(window.DBGrid2->Caption(), "Article en stock");
    EXPECT_THROW(window.DBGrid2->Columns(5), vb::Error);
}

TEST_F(DataGridTest, RowsSavedDeletedOrCancelledInCodeShowAtOnce)
{
    // A save that moves the row under the sort.
    rs1.SetSort("Designation");
    ASSERT_EQ(window.Shown(0, 1), "BOTTES");
    rs1.MoveFirst();
    rs1["Designation"] = "ZOOM";
    rs1.Update();
    EXPECT_EQ(window.Shown(2, 1), "ZOOM");
    EXPECT_EQ(window.DBGrid2->View()->currentIndex().row(), int(rs1.AbsolutePosition()) - 1);

    // A cancelled edit shows the stored value again, in the grid and in a bound box.
    rs2.MoveFirst();
    window.Text1->SetText("BROUILLON");
    rs2["Designation"] = "BROUILLON";
    rs2.CancelUpdate();
    EXPECT_EQ(window.Text1->Text(), "GANTS");

    // A deleted row leaves the grid.
    rs1.MoveFirst();
    rs1.Delete();
    EXPECT_EQ(window.DBGrid2->View()->model()->rowCount(), 2);
    EXPECT_EQ(window.Shown(0, 1), "GANTS");
}

TEST_F(DataGridTest, GridAndCardStayOnTheSameRowBothWays)
{
    ClickCell(2, 1);
    EXPECT_EQ(rs1.AbsolutePosition(), 3);
    EXPECT_EQ(window.Text1->Text(), "BOTTES");

    rs1.MoveFirst(); // a move of the recordset moves the grid and, through it, the card
    EXPECT_EQ(window.DBGrid2->Row(), 0);
    EXPECT_EQ(window.Text1->Text(), "GANTS");

    // An edit on the card is saved when the grid moves the card to another row.
    Type(*window.Text1, "X");
    ClickCell(1, 0);
    EXPECT_EQ(window.Text1->Text(), "CASQUE");
    EXPECT_EQ(db.Stored("SELECT Designation FROM Articles WHERE Reference = 1000"), "GANTSX");
}

TEST_F(DataGridTest, RowColChangeGivesThePreviousRow)
{
    window.lastRows.clear();
    ClickCell(1, 1);
    ClickCell(2, 1);
    ASSERT_EQ(window.lastRows.size(), 2u);
    EXPECT_EQ(window.lastRows[0], 1);
    EXPECT_EQ(window.lastRows[1], 2);
}

TEST_F(DataGridTest, HeaderClickReachesTheWindowWhichSorts)
{
    ClickCell(0, 1); // on GANTS
    QHeaderView* header = window.DBGrid2->View()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    ASSERT_EQ(window.heads, std::vector<int>{1});
    EXPECT_EQ(window.Shown(0, 1), "BOTTES");
    EXPECT_EQ(window.Shown(2, 1), "GANTS");
    EXPECT_EQ(window.DBGrid2->Row(), 2) << "the grid stays on the recordset's row";
    EXPECT_EQ(window.Text1->Text(), "GANTS");
}

TEST_F(DataGridTest, DoubleClickIsReported)
{
    QTest::mouseDClick(window.DBGrid2->View()->viewport(), Qt::LeftButton, {},
                       window.Cell(1, 1).center());
    EXPECT_EQ(window.doubleClicks, 1);
}

TEST_F(DataGridTest, TypedCellIsSavedWhenTheRowChanges)
{
    ClickCell(1, 1);
    QTableView* view = window.DBGrid2->View();
    QTest::keyClick(view, 'C'); // the first key opens the cell's editor
    QTest::keyClicks(QApplication::focusWidget(), "ASQUE BLANC");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ClickCell(0, 1);
    EXPECT_EQ(db.Stored("SELECT Designation FROM Articles WHERE Reference = 1001"), "CASQUE BLANC");
    // A locked cell takes no typing.
    ClickCell(0, 0);
    QTest::keyClicks(view, "5");
    ClickCell(2, 0);
    EXPECT_EQ(db.Stored("SELECT COUNT(*) FROM Articles WHERE Reference = 1000"), "1");
}

// Another connection changed the row since the grid read it: leaving the row is refused with
// the grid's message, the typed text stays, and the file keeps the other connection's value.
TEST_F(DataGridTest, AStaleCellSaveIsRefusedAndKeepsTheEdit)
{
    db.Open().Execute("UPDATE Articles SET Designation = 'CASQUE ROUGE' WHERE Reference = 1001");
    TypeCell(1, 1, "CASQUE BLANC");
    Script().ExpectMsgBox(vbOK, "Impossible de trouver la ligne pour la mise à jour");
    ClickCell(0, 1);
    Script().VerifyAllAnswered();
    EXPECT_EQ(window.DBGrid2->Row(), 1);
    EXPECT_EQ(Highlighted(), std::vector<int>{1});
    EXPECT_EQ(rs1.EditMode(), ado::adEditInProgress);
    EXPECT_EQ(vb::CStr(rs1["Designation"].Value()), "CASQUE BLANC");
    EXPECT_EQ(db.Stored("SELECT Designation FROM Articles WHERE Reference = 1001"), "CASQUE ROUGE");
}

TEST_F(DataGridTest, RequeryShowsRowsAddedElsewhere)
{
    db.Open().Execute("INSERT INTO Articles (Reference, Designation) VALUES (1003, 'LUNETTES')");
    EXPECT_EQ(window.DBGrid2->View()->model()->rowCount(), 3);
    window.data1->Refresh();
    ASSERT_EQ(window.DBGrid2->View()->model()->rowCount(), 4);
    EXPECT_EQ(window.Shown(3, 1), "LUNETTES");
    EXPECT_EQ(window.DBGrid2->Row(), rs1.AbsolutePosition() - 1);
}

TEST_F(DataGridTest, CellButtonOfItsColumnIsReported)
{
    window.DBGrid2->Columns(2).SetButton(true);
    std::vector<int> clicks;
    QObject::connect(window.DBGrid2, &DataGrid::ButtonClick,
                     [&](int col) { clicks.push_back(col); });
    int gridClicks = 0;
    QObject::connect(window.DBGrid2, &DataGrid::Click, [&] { ++gridClicks; });
    ClickCell(1, 1);
    EXPECT_TRUE(window.DBGrid2->CellButtonRect().isEmpty()) << "no button in another column";
    ClickCell(1, 2);
    const QRect button = window.DBGrid2->CellButtonRect();
    ASSERT_FALSE(button.isEmpty());
    const int avant = gridClicks;
    QTest::mouseClick(window.DBGrid2->View()->viewport(), Qt::LeftButton, {}, button.center());
    EXPECT_EQ(clicks, std::vector<int>{2});
    EXPECT_EQ(gridClicks, avant) << "the button's click is not the grid's";
    ClickCell(1, 1);
    EXPECT_EQ(gridClicks, avant + 1);
}

TEST_F(DataGridTest, ComputedFieldTakesNoTyping)
{
    ado::Recordset calcul = db.Recordset("SELECT Reference, Designation, PrixAchatUnit * 2 AS "
                                         "Double FROM Articles");
    DataControl source("data3");
    source.SetRecordset(calcul);
    DataGrid grid("DBGrid3");
    grid.SetDataSource(&source);
    const QAbstractItemModel* model = grid.View()->model();
    EXPECT_TRUE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->flags(model->index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_EQ(model->index(0, 2).data().toString(), "25");
}

TEST_F(DataGridTest, GridWithoutColumnsShowsEveryField)
{
    DataGrid grid("DBGrid1");
    grid.SetDataSource(window.data2);
    EXPECT_EQ(grid.ColumnCount(), 5);
    EXPECT_EQ(grid.Columns(1).Caption(), "Designation");
    EXPECT_EQ(grid.Columns(1).Text(), window.Text1->Text());
}

TEST_F(DataGridTest, HeadLinesGiveTheHeadersTheirHeight)
{
    QHeaderView* header = window.DBGrid2->View()->horizontalHeader();
    const int line = header->fontMetrics().lineSpacing();
    window.DBGrid2->SetHeadLines(2);
    EXPECT_GE(header->height(), 2 * line);
    EXPECT_TRUE(header->defaultAlignment() & Qt::TextWordWrap);
    window.DBGrid2->SetHeadLines(0);
    EXPECT_FALSE(header->isVisible());
    window.DBGrid2->SetHeadLines(1);
    EXPECT_TRUE(header->isVisible());
    EXPECT_LT(header->height(), 2 * line);
}

TEST_F(DataGridTest, NewRowIsOfferedOnlyWhenAddingIsAllowed)
{
    EXPECT_EQ(Rows(), 3) << "no new row by default";
    AllowAddNew();
    ASSERT_EQ(Rows(), 4);
    EXPECT_EQ(RowHeader(3), "*");
    EXPECT_EQ(window.Shown(3, 1), "");
    // Existing rows that take no typing leave the new row open to it, but not its locked cells.
    window.DBGrid2->SetAllowUpdate(false);
    window.DBGrid2->Columns(2).SetLocked(true);
    EXPECT_FALSE(Editable(0, 1));
    EXPECT_TRUE(Editable(3, 1));
    EXPECT_FALSE(Editable(3, 2));
    // The empty row puts the recordset past its last row; nothing is added by going there.
    ClickCell(3, 1);
    EXPECT_TRUE(rs1.Eof());
    EXPECT_EQ(window.DBGrid2->Row(), 3);
    ClickCell(0, 1);
    EXPECT_EQ(addNews, 0);
    EXPECT_EQ(Count("1=1"), "3");

    window.DBGrid2->SetAllowAddNew(false);
    EXPECT_EQ(Rows(), 3);
    // A read-only recordset offers no new row.
    window.DBGrid2->SetAllowAddNew(true);
    ado::Recordset lecture;
    lecture.Open("Articles", db.connection, ado::adOpenStatic, ado::adLockReadOnly);
    window.data1->SetRecordset(lecture);
    EXPECT_EQ(Rows(), 3);
}

TEST_F(DataGridTest, TypingInTheNewRowAddsARecordSavedWhenTheRowIsLeft)
{
    AllowAddNew();
    TypeCell(3, 1, "LUNETTES");
    EXPECT_EQ(addNews, 1);
    EXPECT_EQ(rs1.EditMode(), ado::adEditAdd);
    EXPECT_EQ(rs1.AbsolutePosition(), 4);
    ASSERT_EQ(Rows(), 5) << "the record being added and a new empty row";
    EXPECT_EQ(window.Shown(3, 1), "LUNETTES");
    EXPECT_EQ(RowHeader(4), "*");
    EXPECT_EQ(Count("Designation = 'LUNETTES'"), "0") << "not saved while on its row";

    TypeCell(3, 0, "1003"); // the same record, not a second one
    EXPECT_EQ(addNews, 1);
    ClickCell(1, 1);
    EXPECT_EQ(Count("Reference = 1003 AND Designation = 'LUNETTES'"), "1");
    EXPECT_EQ(rs1.EditMode(), ado::adEditNone);
    EXPECT_EQ(window.DBGrid2->Row(), 1);
    EXPECT_EQ(window.Text1->Text(), "CASQUE");
    EXPECT_EQ(Rows(), 5);
}

TEST_F(DataGridTest, EscapeDropsANewRecordThatHoldsNoTyping)
{
    AllowAddNew();
    ClickCell(3, 1);
    QTest::keyClick(window.DBGrid2->View(), 'X');
    EXPECT_EQ(rs1.EditMode(), ado::adEditAdd) << "the first key starts the record";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ProcessEvents();
    EXPECT_EQ(rs1.EditMode(), ado::adEditNone);
    EXPECT_EQ(Rows(), 4);
    EXPECT_EQ(window.DBGrid2->Row(), 3) << "back on the empty row";
    ClickCell(0, 1);
    EXPECT_EQ(Count("1=1"), "3");
    EXPECT_EQ(addNews, 1);
}

TEST_F(DataGridTest, NewRecordSavedUnderASortKeepsTheChosenRow)
{
    AllowAddNew();
    rs1.SetSort("Designation"); // BOTTES, CASQUE, GANTS
    TypeCell(3, 1, "ANORAK");
    TypeCell(3, 0, "1003");
    ClickCell(1, 1); // CASQUE, which the saved ANORAK moves down by one
    EXPECT_EQ(Count("Reference = 1003"), "1");
    EXPECT_EQ(window.Shown(0, 1), "ANORAK");
    EXPECT_EQ(window.DBGrid2->Row(), 2);
    EXPECT_EQ(vb::CStr(rs1.Fields("Designation").Value()), "CASQUE");
    EXPECT_EQ(window.Text1->Text(), "CASQUE");
}

TEST_F(DataGridTest, RefusedNewRecordKeepsItsRowUntilPutRight)
{
    AllowAddNew();
    TypeCell(3, 0, "1000"); // a number another record holds
    TypeCell(3, 1, "DOUBLON");
    Script().ExpectMsgBox(vbOK);
    ClickCell(0, 1);
    Script().VerifyAllAnswered();
    EXPECT_EQ(window.DBGrid2->Row(), 3);
    EXPECT_EQ(Highlighted(), std::vector<int>{3});
    EXPECT_EQ(rs1.EditMode(), ado::adEditAdd);
    EXPECT_EQ(Count("Designation = 'DOUBLON'"), "0");

    TypeCell(3, 0, "1004");
    ClickCell(0, 1);
    EXPECT_EQ(Count("Reference = 1004 AND Designation = 'DOUBLON'"), "1");
    EXPECT_EQ(window.DBGrid2->Row(), 0);
}

TEST_F(DataGridTest, AddNewHandlerCanTakeTheNewRowOver)
{
    AllowAddNew();
    // The window's handler switches adding off and gives up the grid's record.
    QObject::connect(window.DBGrid2, &DataGrid::OnAddNew, [this] {
        EXPECT_EQ(rs1.EditMode(), ado::adEditAdd) << "the record is started before the event";
        window.DBGrid2->SetAllowAddNew(false);
        rs1.CancelUpdate();
    });
    TypeCell(3, 1, "PERDU");
    EXPECT_EQ(addNews, 1);
    EXPECT_EQ(rs1.EditMode(), ado::adEditNone);
    EXPECT_EQ(Rows(), 3);
    ClickCell(0, 1);
    EXPECT_EQ(Count("Designation = 'PERDU'"), "0");
    EXPECT_EQ(Count("1=1"), "3");
}

} // namespace
