#include "BoundFixture.h"

#include "platform/forms/BoundControls.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Form.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/vb/Error.h"

#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace forms;
using namespace forms::testing;

namespace {

// A card over the articles: a data control and the boxes and labels bound to it.
class CardWindow : public Form
{
public:
    explicit CardWindow(const ado::Recordset& rs)
    {
        setObjectName("CardWindow");
        auto* layout = new QVBoxLayout(this);
        data2 = new DataControl("data2", this);
        layout->addWidget(data2);
        const char* fields[] = {"Reference", "Designation", "PrixAchatUnit"};
        for (int i = 0; i < 3; ++i) {
            auto* box = new BoundText({}, this);
            layout->addWidget(&Text2.Add(i, box));
            box->Bind(data2, fields[i]);
        }
        Text2(0).SetLocked(true);
        LabelDate = new BoundLabel("LabelDate", this);
        LabelDate->SetDataFormat("Short Date");
        LabelDate->Bind(data2, "DateCreation");
        layout->addWidget(LabelDate);
        data2->SetRecordset(rs);
        connect(data2, &DataControl::MoveComplete, this,
                [this](int reason) { reasons.push_back(reason); });
    }

    DataControl* data2;
    ControlArray<BoundText> Text2{"Text2"};
    BoundLabel* LabelDate;
    std::vector<int> reasons;
};

class BoundTest : public WindowTest
{
protected:
    BoundDatabase db;
    ado::Recordset rs = db.Recordset("Articles order by Reference");
    CardWindow window{rs};

    void SetUp() override { window.Show(); }
};

TEST_F(BoundTest, BoxesShowTheCurrentRowAndFollowEachMove)
{
    EXPECT_EQ(window.Text2(0).Text(), "1000");
    EXPECT_EQ(window.Text2(1).Text(), "GANTS");
    EXPECT_EQ(window.LabelDate->Caption(), "12/05/2024");

    Click(window, "MoveNext");
    EXPECT_EQ(window.Text2(1).Text(), "CASQUE");
    EXPECT_EQ(window.LabelDate->Caption(), "") << "Null shows as the empty text";

    rs.MoveLast(); // a move by code is followed too
    EXPECT_EQ(window.Text2(0).Text(), "1002");
    EXPECT_FALSE(window.Text2(1).DataChanged());
}

TEST_F(BoundTest, NavigationBarStopsAtTheEnds)
{
    Click(window, "MovePrevious");
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_FALSE(rs.Bof());
    Click(window, "MoveLast");
    Click(window, "MoveNext");
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    EXPECT_FALSE(rs.Eof());
    EXPECT_EQ(window.Text2(0).Text(), "1002");
    ASSERT_FALSE(window.reasons.empty());
    EXPECT_EQ(window.reasons.back(), ado::adRsnMoveLast);
}

TEST_F(BoundTest, TypedEditIsSavedWhenTheRecordsetMoves)
{
    Type(window, "Text2(1)", "S");
    EXPECT_TRUE(window.Text2(1).DataChanged());
    Click(window, "MoveNext");
    EXPECT_EQ(db.Stored("SELECT Designation FROM Articles WHERE Reference = 1000"), "GANTSS");
    EXPECT_EQ(window.Text2(1).Text(), "CASQUE");
    // Back on the row, the box shows what was saved and holds no edit.
    Click(window, "MoveFirst");
    EXPECT_EQ(window.Text2(1).Text(), "GANTSS");
    EXPECT_FALSE(window.Text2(1).DataChanged());
    EXPECT_EQ(db.Stored("SELECT Designation FROM Articles WHERE Reference = 1001"), "CASQUE");
}

TEST_F(BoundTest, EditSetByCodeIsSavedByAnExplicitSave)
{
    window.Text2(1).SetText("GANTS CUIR");
    window.Text2(2).SetText("");
    rs.Update(); // the window saves the recordset itself; the boxes write first
    EXPECT_EQ(db.Stored("SELECT Designation FROM Articles WHERE Reference = 1000"), "GANTS CUIR");
    EXPECT_EQ(db.Stored("SELECT PrixAchatUnit FROM Articles WHERE Reference = 1000"), "<Null>")
        << "an emptied box writes Null";

    window.Text2(1).SetText("GANTS NITRILE");
    window.data2->UpdateRecord();
    EXPECT_EQ(db.Stored("SELECT Designation FROM Articles WHERE Reference = 1000"),
              "GANTS NITRILE");
}

TEST_F(BoundTest, LockedBoxAndUntouchedBoxesWriteNothing)
{
    window.Text2(0).SetText("9999");
    Click(window, "MoveNext");
    EXPECT_EQ(db.Stored("SELECT COUNT(*) FROM Articles WHERE Reference = 9999"), "0");
    EXPECT_EQ(rs.EditMode(), ado::adEditNone);
}

TEST_F(BoundTest, FieldSetInCodeShowsOnceSaved)
{
    rs["Designation"] = "GANTS CUIR";
    rs.Update();
    EXPECT_EQ(window.Text2(1).Text(), "GANTS CUIR");
    rs.AddNew();
    rs["Designation"] = "BOTTES";
    rs.Update();
    EXPECT_EQ(window.Text2(1).Text(), "BOTTES");
}

TEST_F(BoundTest, RefusedValueRaisesOnTheMoveAndIsNotWrittenAgain)
{
    Type(window, "Text2(2)", "abc");
    EXPECT_THROW(rs.MoveNext(), vb::Error);
    rs.CancelUpdate();
    rs.MoveNext();
    EXPECT_EQ(window.Text2(1).Text(), "CASQUE");
    EXPECT_EQ(db.Stored("SELECT PrixAchatUnit FROM Articles WHERE Reference = 1000"), "12,5");
}

TEST_F(BoundTest, RefusedMoveOfTheNavigationBarIsReported)
{
    Type(window, "Text2(2)", "abc");
    Script().ExpectMsgBox(vbOK);
    Click(window, "MoveNext");
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(window.Text2(1).Text(), "GANTS");
    rs.CancelUpdate();
}

// Another connection changed the row since it was read: the save is refused through the
// control's message, the edit stays in its box and in the record set, and the file keeps the
// other connection's value.
TEST_F(BoundTest, AStaleSaveIsRefusedAndKeepsTheEdit)
{
    db.Open().Execute("UPDATE Articles SET Designation = 'GANTS CUIR' WHERE Reference = 1000");
    Type(window, "Text2(1)", "X");
    const QString typed = window.Text2(1).Text();
    Script().ExpectMsgBox(vbOK, "Impossible de trouver la ligne pour la mise à jour");
    Click(window, "MoveNext");
    Script().VerifyAllAnswered();
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(window.Text2(1).Text(), typed);
    EXPECT_EQ(rs.EditMode(), ado::adEditInProgress);
    EXPECT_EQ(db.Stored("SELECT Designation FROM Articles WHERE Reference = 1000"), "GANTS CUIR");
    // The price, which nobody else changed, is saved after a requery.
    rs.CancelUpdate();
    rs.Requery();
    Type(window, "Text2(2)", "5");
    Click(window, "MoveNext");
    EXPECT_EQ(db.Stored("SELECT Designation FROM Articles WHERE Reference = 1000"), "GANTS CUIR");
    EXPECT_NE(db.Stored("SELECT PrixAchatUnit FROM Articles WHERE Reference = 1000"), "12,5");
}

TEST_F(BoundTest, NumbersAndDatesAreWrittenBackFromTheirTexts)
{
    BoundText date("TextDate", &window);
    date.SetDataFormat("Short Date");
    date.Bind(window.data2, "DateCreation");
    EXPECT_EQ(date.Text(), "12/05/2024");
    date.SetText("13/06/2024");
    window.Text2(2).SetText("13,75");
    rs.Update();
    EXPECT_EQ(db.Stored("SELECT DateCreation FROM Articles WHERE Reference = 1000"), "13/06/2024");
    EXPECT_EQ(db.Stored("SELECT PrixAchatUnit FROM Articles WHERE Reference = 1000"), "13,75");
}

TEST_F(BoundTest, TableWithoutKeyIsSavedThroughItsBoxes)
{
    // The company panel: one row of a table without a key, saved by its OK button.
    ado::Recordset info = db.Recordset("InfoSociete");
    Form panel;
    auto* data1 = new DataControl("data1", &panel);
    data1->setVisible(false);
    auto* TextNom = new BoundText("TextNom", &panel);
    auto* TextTel = new BoundText("TextTel", &panel);
    TextNom->Bind(data1, "Nom");
    TextTel->Bind(data1, "Tel");
    data1->SetRecordset(info);
    EXPECT_EQ(TextNom->Text(), "DUPONT SA");
    EXPECT_EQ(TextTel->Text(), "");
    TextTel->SetText("01 02 03 04 05");
    info.Update();
    EXPECT_EQ(db.Stored("SELECT Tel FROM InfoSociete"), "01 02 03 04 05");
    EXPECT_EQ(db.Stored("SELECT Nom FROM InfoSociete"), "DUPONT SA");
}

TEST_F(BoundTest, NewRecordsetIsShownAndTheOldOneIsLeft)
{
    ado::Recordset other = db.Recordset("Articles order by Reference desc");
    window.data2->SetRecordset(other);
    EXPECT_EQ(window.Text2(0).Text(), "1002");
    rs.MoveNext(); // the old recordset no longer drives the boxes
    EXPECT_EQ(window.Text2(0).Text(), "1002");
}

// A box bound to a text field cannot be typed past the field's defined size; a box bound to a
// field of another type keeps the usual maximum, and a length set by code stays until the field
// changes.
TEST_F(BoundTest, TextBoxesTakeTheirFieldsSize)
{
    ado::Recordset info = db.Recordset("InfoSociete");
    Form panel;
    auto* data1 = new DataControl("data1", &panel);
    auto* TextTel = new BoundText("TextTel", &panel);
    auto* TextPrix = new BoundText("TextPrix", &panel);
    TextTel->Bind(data1, "Tel");
    data1->SetRecordset(info);
    TextPrix->Bind(window.data2, "PrixAchatUnit");
    EXPECT_EQ(TextTel->maxLength(), 20);
    EXPECT_EQ(TextPrix->maxLength(), 32767);
    Type(*TextTel, QString(25, '1'));
    EXPECT_EQ(TextTel->Text(), QString(20, '1'));
    info.Update();
    EXPECT_EQ(db.Stored("SELECT Tel FROM InfoSociete"), std::string(20, '1'));

    TextTel->setMaxLength(10);
    info.Requery();
    EXPECT_EQ(TextTel->maxLength(), 10);
    TextTel->Bind(data1, "Nom");
    EXPECT_EQ(TextTel->maxLength(), 50);
}

} // namespace
