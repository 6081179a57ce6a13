#include "platform/forms/FlexGrid.h"
#include "platform/forms/Colors.h"
#include "platform/forms/testing/Drive.h"
#include "platform/vb/Error.h"
#include "tests/platform/vb/ErrorOf.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace forms;
using namespace forms::testing;
using vb::testing::ErrorOf;

namespace {

// The allocation result grid: a header row and nine columns, lines appended as tab-separated
// texts.
class FlexGridTest : public WindowTest
{
protected:
    void SetUp() override
    {
        grid.SetRows(1);
        grid.SetCols(9);
        grid.SetFixedCols(0);
        const char* headers[] = {"",       "",    "",     "Réf.",   "Désignation",
                                 "Taille", "Qté", "Site", "Service"};
        for (int c = 0; c < 9; ++c)
            grid.SetTextMatrix(0, c, headers[c]);
    }

    FlexGrid grid{"MSFlexGrid1"};
};

TEST(FlexGridDefaults, TwoRowsTwoColsFirstOfEachFixed)
{
    FlexGrid grid("MSFlexGrid1");
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.Cols(), 2);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.FixedCols(), 1);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(Rgb(243, 199, 133), 8767475);
    EXPECT_EQ(ColorFromVb(0x8DD1FE), QColor(254, 209, 141));
}

TEST_F(FlexGridTest, AddItemFillsCellsFromColumnZeroBelowTheHeader)
{
    grid.AddItem("\t\t\t1000\tGANTS\tM\t4\tSIEGE\tATELIER");
    grid.AddItem("\t\tTOTAL\t\t\t\t7\t\t");
    grid.AddItem("a\tb\tc\td\te\tf\tg\th\ti\tjamais"); // a tenth field is dropped
    ASSERT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.TextMatrix(0, 4), "Désignation");
    EXPECT_EQ(grid.TextMatrix(1, 3), "1000");
    EXPECT_EQ(grid.TextMatrix(1, 8), "ATELIER");
    EXPECT_EQ(grid.TextMatrix(1, 0), "");
    EXPECT_EQ(grid.TextMatrix(2, 2), "TOTAL");
    EXPECT_EQ(grid.TextMatrix(3, 8), "i");
    grid.AddItem("\t\t\t999", 1); // before row 1
    EXPECT_EQ(grid.TextMatrix(1, 3), "999");
    EXPECT_EQ(grid.TextMatrix(2, 3), "1000");
    EXPECT_EQ(grid.Rows() - 1, 4) << "lines below the header";
}

TEST_F(FlexGridTest, CellFormatsApplyToTheCurrentCellOnly)
{
    grid.AddItem("\t\t\t1000\tGANTS\tM\t4\tSIEGE\tATELIER");
    grid.AddItem("\t\tTOTAL\t\t\t\t4");
    const int total = grid.Rows() - 1;
    for (int c = 0; c <= 8; ++c) {
        grid.SetRow(total);
        grid.SetCol(c);
        grid.SetCellFontBold(true);
        grid.SetCellBackColor(0x8DD1FE);
    }
    grid.SetRow(total);
    grid.SetCol(2);
    EXPECT_TRUE(grid.CellFontBold());
    EXPECT_EQ(grid.CellBackColor(), 0x8DD1FE);
    EXPECT_EQ(grid.item(total, 6)->background().color(), QColor(254, 209, 141));
    EXPECT_TRUE(grid.item(total, 6)->font().bold());
    grid.SetRow(1);
    EXPECT_FALSE(grid.CellFontBold());
    EXPECT_EQ(grid.CellBackColor(), VbFromColor(grid.palette().color(QPalette::Base)));
}

TEST_F(FlexGridTest, WidthsAndHeightsAreInTwips)
{
    const int widths[] = {900, 2800, 1300, 667, 667, 690};
    for (int c = 0; c < 6; ++c)
        grid.SetColWidth(c, widths[c]);
    EXPECT_EQ(grid.columnWidth(0), 60);
    EXPECT_EQ(grid.ColWidth(0), 900);
    EXPECT_EQ(grid.ColWidth(1), 2790) << "read back in whole pixels";
    grid.SetRowHeight(0, 540);
    EXPECT_EQ(grid.rowHeight(0), 36);
    EXPECT_EQ(grid.RowHeight(0), 540);
}

TEST_F(FlexGridTest, ColAlignmentAlignsTheCellsBelowTheHeader)
{
    grid.AddItem("\t\t\t1000\tGANTS");
    EXPECT_EQ(grid.ColAlignment(3), flexAlignGeneral);
    EXPECT_EQ(grid.item(1, 3)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter))
        << "a number aligns right by default";
    EXPECT_EQ(grid.item(1, 4)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    grid.SetColAlignment(4, flexAlignCenterCenter);
    grid.SetColAlignment(3, flexAlignLeftCenter);
    EXPECT_EQ(grid.item(1, 4)->textAlignment(), int(Qt::AlignCenter));
    EXPECT_EQ(grid.item(1, 3)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_EQ(grid.item(0, 4)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter))
        << "the header keeps its own alignment";
}

TEST_F(FlexGridTest, RemoveItemClearAndIndexErrors)
{
    grid.AddItem("\t\t\t1000");
    grid.AddItem("\t\t\t1001");
    grid.RemoveItem(1);
    EXPECT_EQ(grid.TextMatrix(1, 3), "1001");
    EXPECT_EQ(ErrorOf([&] { grid.RemoveItem(1); }), 30015) << "the last line below the header";

    struct Case
    {
        int row, col;
    } outside[] = {{-1, 0}, {2, 0}, {0, 9}, {0, -1}};
    for (const Case& c : outside)
        EXPECT_EQ(ErrorOf([&] { grid.TextMatrix(c.row, c.col); }), 381) << c.row << "," << c.col;

    grid.SetRow(1);
    grid.SetCol(3);
    grid.SetCellFontBold(true);
    grid.Clear();
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.Cols(), 9);
    EXPECT_EQ(grid.TextMatrix(0, 4), "");
    EXPECT_EQ(grid.TextMatrix(1, 3), "");
    EXPECT_FALSE(grid.CellFontBold());

    grid.SetRows(1); // emptied down to the header row
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(ErrorOf([&] { grid.SetRows(0); }), 30009);
}

TEST_F(FlexGridTest, ClickMakesACellBelowTheHeaderCurrent)
{
    grid.AddItem("\t\t\t1000\tGANTS");
    grid.AddItem("\t\t\t1001\tCASQUE");
    grid.resize(800, 200);
    grid.show();
    int clicks = 0;
    QObject::connect(&grid, &FlexGrid::Click, [&] { ++clicks; });
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      grid.visualItemRect(grid.item(2, 4)).center());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), 4);
    EXPECT_EQ(grid.Text(), "CASQUE");
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      grid.visualItemRect(grid.item(0, 4)).center());
    EXPECT_EQ(grid.Row(), 2) << "the header row never becomes current";
}

} // namespace
