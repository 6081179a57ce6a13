#include "BoundFixture.h"

#include "platform/forms/DataCombo.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/Form.h"
#include "platform/forms/testing/Drive.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace forms;
using namespace forms::testing;

namespace {

// The article card's family combo: the article's Famille chosen among the families by name.
class FamilyWindow : public Form
{
public:
    FamilyWindow(const ado::Recordset& articles, const ado::Recordset& families)
    {
        setObjectName("FamilyWindow");
        auto* layout = new QVBoxLayout(this);
        data2 = new DataControl("data2", this);
        data3 = new DataControl("data3", this);
        DBCombo1 = new DataCombo("DBCombo1", DataCombo::dbcDropdownCombo, this);
        for (QWidget* w : std::initializer_list<QWidget*>{data2, data3, DBCombo1})
            layout->addWidget(w);
        DBCombo1->SetRowSource(data3);
        DBCombo1->SetListField("NomFamille");
        DBCombo1->SetBoundColumn("NoFamille");
        DBCombo1->Bind(data2, "Famille");
        data3->SetRecordset(families);
        data2->SetRecordset(articles);
        connect(DBCombo1, &DataCombo::Click, this, [this](int area) { clicks.push_back(area); });
    }

    DataControl* data2;
    DataControl* data3;
    DataCombo* DBCombo1;
    std::vector<int> clicks;
};

class DataComboTest : public WindowTest
{
protected:
    void SetUp() override { window.Show(); }

    void PickInList(int row)
    {
        window.DBCombo1->showPopup();
        QAbstractItemView* list = window.DBCombo1->view();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    }
    std::string StoredFamily(int reference)
    {
        return db.Stored("SELECT Famille FROM Articles WHERE Reference = " +
                         std::to_string(reference));
    }

    BoundDatabase db;
    ado::Recordset articles = db.Recordset("Articles order by Reference");
    ado::Recordset families = db.Recordset("Familles");
    FamilyWindow window{articles, families};
};

TEST_F(DataComboTest, ShowsTheListFieldOfTheBoundValue)
{
    EXPECT_EQ(window.DBCombo1->count(), 3);
    EXPECT_EQ(window.DBCombo1->Text(), "GANTS");
    articles.MoveNext();
    EXPECT_EQ(window.DBCombo1->Text(), "CASQUES");
    articles.MoveNext(); // Famille is Null
    EXPECT_EQ(window.DBCombo1->ListIndex(), -1);
    EXPECT_EQ(window.DBCombo1->Text(), "");
    EXPECT_TRUE(window.DBCombo1->BoundText().IsNull());
}

TEST_F(DataComboTest, PickWritesTheBoundColumnOnSaveAndPutsTheRowSourceOnIt)
{
    PickInList(2);
    EXPECT_EQ(window.clicks, std::vector<int>{DataCombo::dbcAreaList});
    EXPECT_EQ(window.DBCombo1->Text(), "CHAUSSURES");
    EXPECT_EQ(families.AbsolutePosition(), 3);
    EXPECT_EQ(StoredFamily(1000), "1") << "nothing is written before the save";
    articles.Update();
    EXPECT_EQ(StoredFamily(1000), "3");
}

TEST_F(DataComboTest, PickIsWrittenWhenTheRecordsetMoves)
{
    PickInList(0);
    window.data2->MoveLast();
    EXPECT_EQ(StoredFamily(1000), "1");
    articles.MoveFirst();
    PickInList(1);
    articles.MoveNext();
    EXPECT_EQ(StoredFamily(1000), "2");
    EXPECT_EQ(window.DBCombo1->Text(), "CASQUES");
}

TEST_F(DataComboTest, TypedTextChoosesTheEntryOfThatName)
{
    struct Case
    {
        QString typed;
        std::string stored;
    } cases[] = {{"chaussures", "3"}, {"", "<Null>"}, {"INCONNUE", "1"}};
    for (const Case& c : cases) {
        db.connection.Execute("UPDATE Articles SET Famille = 1 WHERE Reference = 1000");
        articles.Requery();
        window.DBCombo1->setFocus();
        window.DBCombo1->lineEdit()->selectAll();
        QTest::keyClicks(window.DBCombo1->lineEdit(), c.typed);
        if (c.typed.isEmpty())
            QTest::keyClick(window.DBCombo1->lineEdit(), Qt::Key_Backspace);
        articles.Update();
        EXPECT_EQ(StoredFamily(1000), c.stored) << c.typed.toStdString();
    }
}

TEST_F(DataComboTest, RequeriedRowSourceRefillsTheList)
{
    db.Open().Execute("INSERT INTO Familles (NomFamille) VALUES ('LUNETTES')");
    window.data3->Refresh();
    ASSERT_EQ(window.DBCombo1->count(), 4);
    EXPECT_EQ(window.DBCombo1->Text(), "GANTS") << "the bound value stays chosen";
    families.SetFilter("NomFamille like 'C*'");
    EXPECT_EQ(window.DBCombo1->count(), 2);
}

TEST_F(DataComboTest, ComboWithoutDataFieldOnlyPicks)
{
    DataCombo DBCombo3("DBCombo3", DataCombo::dbcDropdownList, &window);
    DBCombo3.SetRowSource(window.data3);
    DBCombo3.SetListField("NomFamille");
    DBCombo3.SetBoundColumn("NoFamille");
    DBCombo3.SetBoundText(int32_t(2));
    EXPECT_EQ(DBCombo3.Text(), "CASQUES");
    articles.MoveNext();
    EXPECT_EQ(DBCombo3.Text(), "CASQUES");
    EXPECT_EQ(StoredFamily(1000), "1");
}

TEST_F(DataComboTest, RowSourceShrinkingUnderTheChosenEntryEmptiesTheChoice)
{
    // The chosen entry is the last one; after the requery the list holds one row.
    DataCombo DBCombo3("DBCombo3", DataCombo::dbcDropdownCombo, &window);
    DBCombo3.SetRowSource(window.data3);
    DBCombo3.SetListField("NomFamille");
    DBCombo3.SetBoundColumn("NoFamille");
    DBCombo3.SetBoundText(int32_t(3));
    ASSERT_EQ(DBCombo3.Text(), "CHAUSSURES");
    families.SetFilter("NomFamille = 'GANTS'");
    ASSERT_EQ(DBCombo3.count(), 1);
    EXPECT_EQ(DBCombo3.ListIndex(), -1);
    EXPECT_EQ(DBCombo3.Text(), "");
}

} // namespace
