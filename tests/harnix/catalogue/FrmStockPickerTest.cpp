// The article window as a picker for the machine configuration window: the grid's article is
// handed to that window's members, and an article without a machine code is refused.

#include "FrmStockFixture.h"

#include "harnix/commun/ChoixArticleMachine.h"
#include "harnix/commun/Global.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/testing/Drive.h"

#include <QTableView>
#include <QTest>

using namespace forms::testing;
using catalogue::testing::FrmStockTest;

namespace {

// The machine configuration window's side of the pick, as that window holds it.
struct FenetreMachine : ChoixArticleMachine
{
};

class FrmStockPickerTest : public FrmStockTest
{
protected:
    void SetUp() override
    {
        FrmStockTest::SetUp();
        ChoixArticleMachine::DefinirFenetre([this]() -> ChoixArticleMachine& { return machine; });
        Global::ConfigMachineOuverte = true;
    }
    void TearDown() override
    {
        Global::ConfigMachineOuverte = false;
        ChoixArticleMachine::DefinirFenetre(nullptr);
        FrmStockTest::TearDown();
    }

    // The picker as the machine configuration window opens it.
    FrmStock& Selection()
    {
        FrmStock& f = forms::form<FrmStock>();
        f.CmdAjout->hide();
        f.CmdSelectioner->show();
        return f;
    }

    static void DoubleCliquerLigne(FrmStock& f, long reference)
    {
        AllerA(f, reference);
        QTableView* vue = f.DBGrid2->View();
        const QModelIndex cellule = vue->model()->index(f.DBGrid2->Row(), 2);
        QTest::mouseDClick(vue->viewport(), Qt::LeftButton, {}, vue->visualRect(cellule).center());
    }

    FenetreMachine machine;
};

TEST_F(FrmStockPickerTest, PickForAMachineNeedsAMachineCode)
{
    machine.CodeArticleChoisi = -1;
    FrmStock& f = Selection();
    ShowModal(f, [&] {
        // 1003 has no machine code: refused, nothing handed, the picker stays.
        AllerA(f, 1003);
        Script().ExpectMsgBox(forms::vbOK, "Pas de code article attribué.\r\nOpération annulée !");
        Click(*f.CmdSelectioner);
        EXPECT_EQ(Script().Boxes().back().style, forms::vbExclamation);
        EXPECT_EQ(machine.CodeArticleChoisi, -1);
        EXPECT_TRUE(f.isVisible());
        // The pick is the grid's article even when the card stands elsewhere.
        AllerA(f, 1050);
        f.data2->Recordset().Find("[Reference]=1000", 0, ado::adSearchForward,
                                  ado::adBookmarkFirst);
        ASSERT_EQ(Carte(f), 1000);
        Click(*f.CmdSelectioner);
        EXPECT_FALSE(f.isVisible());
    });
    EXPECT_EQ(machine.CodeArticleChoisi, 3);
    EXPECT_EQ(machine.ReferenceChoisie, 1050);
    EXPECT_EQ(machine.DesignationChoisie, "LUNETTES D'ATELIER");
}

TEST_F(FrmStockPickerTest, DoubleClickPicksInPickerModeAndOpensTheCardOtherwise)
{
    FrmStock& f = Selection();
    ShowModal(f, [&] { DoubleCliquerLigne(f, 1001); });
    EXPECT_EQ(machine.ReferenceChoisie, 1001);
    EXPECT_EQ(machine.CodeArticleChoisi, 2);
    EXPECT_FALSE(f.OptionFiche->Value());

    f.DBGridStockVisible();
    f.Show();
    DoubleCliquerLigne(f, 1000);
    EXPECT_TRUE(f.OptionFiche->Value());
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(machine.ReferenceChoisie, 1001);
}

TEST_F(FrmStockPickerTest, WithNoOpenerTheSelectButtonDoesNothing)
{
    Global::ConfigMachineOuverte = false;
    FrmStock& f = Selection();
    f.Show();
    AllerA(f, 1050);
    Click(*f.CmdSelectioner);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(machine.ReferenceChoisie, 0);
}

} // namespace
