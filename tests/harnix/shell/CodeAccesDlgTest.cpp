#include "Fixture.h"

#include "harnix/commun/Version.h"
#include "harnix/shell/CodeAccesDlg.h"
#include "harnix/shell/FrmPrincipal.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/win/End.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace forms::testing;
using shelltest::Programme;

namespace {

constexpr const char* Incorrect = "Mot de passe incorect !";

class CodeAccesDlgTest : public WindowTest
{
protected:
    void SetUp() override
    {
        win::SetEndHandler(win::ThrowEndCalled);
        CodeAccesDlg::MauvaisMotsDePasse = 0;
        forms::SetAppTitle(Version::ProductName);
        programme.AjouterProcedure("EtatCA", "texte");
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        win::SetEndHandler({});
    }

    // The main window on a company row with this password, then the dialog shown.
    CodeAccesDlg& Ouvrir(const char* motPasse)
    {
        programme.Executer(motPasse
                               ? std::string("UPDATE InfoSociete SET MotPasse='") + motPasse + "'"
                               : "UPDATE InfoSociete SET MotPasse=NULL");
        programme.Parametres();
        forms::form<FrmPrincipal>();
        return Rouvrir();
    }
    CodeAccesDlg& Rouvrir()
    {
        CodeAccesDlg& d = forms::form<CodeAccesDlg>();
        d.Show();
        d.Form_Activate();
        return d;
    }
    void Essayer(CodeAccesDlg& d, const QString& texte)
    {
        d.Text1->setText(texte);
        d.Command1_Click();
    }

    Programme programme;
};

TEST_F(CodeAccesDlgTest, RightPasswordConfirmsAfterTwoWrongOnes)
{
    CodeAccesDlg& d = Ouvrir("Secret");
    EXPECT_EQ(d.Caption(), "Contrôle d'accès");
    for (const char* faux : {"secret", ""}) {
        Script().ExpectMsgBox(forms::vbOK, Incorrect);
        Essayer(d, faux);
        EXPECT_TRUE(d.isVisible()) << faux;
        EXPECT_EQ(d.Text1->text(), "") << "the box is emptied for the next try";
    }
    Essayer(d, "Secret");
    EXPECT_TRUE(d.Ok);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(Script().Boxes().front().title, "Harnix");
}

TEST_F(CodeAccesDlgTest, ThirdWrongPasswordOfTheRunEndsTheProgram)
{
    CodeAccesDlg& d = Ouvrir("Secret");
    Script().ExpectMsgBox(forms::vbOK, Incorrect);
    Essayer(d, "a");
    d.Command2_Click();
    EXPECT_FALSE(d.Ok);

    // A later opening counts on.
    CodeAccesDlg& encore = Rouvrir();
    Script().ExpectMsgBox(forms::vbOK, Incorrect);
    Essayer(encore, "b");
    Script().ExpectMsgBox(forms::vbOK, Incorrect);
    EXPECT_THROW(Essayer(encore, "c"), win::EndCalled);
}

TEST_F(CodeAccesDlgTest, EmptyAndMissingCompanyPasswords)
{
    // An empty password is matched by an empty box only.
    CodeAccesDlg& d = Ouvrir("");
    Script().ExpectMsgBox(forms::vbOK, Incorrect);
    Essayer(d, "x");
    Essayer(d, "");
    EXPECT_TRUE(d.Ok);
    forms::UnloadAll();

    // A missing password accepts any text.
    CodeAccesDlg& n = Ouvrir(nullptr);
    Essayer(n, "n'importe quoi");
    EXPECT_TRUE(n.Ok);
    EXPECT_EQ(Script().Boxes().size(), 1u);
}

TEST_F(CodeAccesDlgTest, EnterReleasedInTheBoxConfirms)
{
    CodeAccesDlg& d = Ouvrir("Secret");
    d.Text1->setFocus();
    QTest::keyClicks(d.Text1, "Secret");
    QTest::keyClick(d.Text1, Qt::Key_Return);
    EXPECT_TRUE(d.Ok);
    EXPECT_FALSE(d.isVisible());
}

TEST_F(CodeAccesDlgTest, NewPasswordTypedTwice)
{
    CodeAccesDlg& d = Ouvrir("Secret");
    EXPECT_FALSE(d.NouvMDP);
    EXPECT_FALSE(d.Text2->isVisible());
    d.Text1->setText("ancien");
    d.NouveauMDP();
    EXPECT_TRUE(d.NouvMDP);
    EXPECT_EQ(d.Text1->text(), "");
    EXPECT_EQ(d.Label1->Caption(), "Entrez le nouveau mot de passe:");
    EXPECT_TRUE(d.Text2->isVisible());
    EXPECT_FALSE(d.Command1->isEnabled());

    d.Text1->setText("Nouveau");
    d.Text2->setText("nouveau");
    EXPECT_FALSE(d.Command1->isEnabled()) << "compared with case";
    d.Text2->setText("Nouveau");
    EXPECT_TRUE(d.Command1->isEnabled());
    d.Command1_Click();
    EXPECT_TRUE(d.Ok);
    EXPECT_EQ(d.MDP(), "Nouveau");
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(Script().Boxes().empty());
}

} // namespace
