#include "harnix/shell/CodeAccesDlg.h"

#include "harnix/shell/FrmPrincipal.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/win/End.h"
#include "platform/win/Screen.h"

namespace {

constexpr int EssaisPermis = 3;

} // namespace

CodeAccesDlg::CodeAccesDlg()
{
    setObjectName("CodeAccesDlg");
    SetCaption("Contrôle d'accès");
    Label1 = new forms::Label("Label1", "Entrez le mot de passe:", this);
    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    Text1->setEchoMode(QLineEdit::Password);
    Label2 = new forms::Label("Label2", "Confirmez le mot de passe:", this);
    Text2 = new QLineEdit(this);
    Text2->setObjectName("Text2");
    Text2->setEchoMode(QLineEdit::Password);
    Command1 = new forms::CommandButton("Command1", "OK", this);
    Command2 = new forms::CommandButton("Command2", "Annuler", this);

    forms::MoveTwips(*Label1, 120, 120, 3600, 255);
    forms::MoveTwips(*Text1, 120, 420, 3600, 315);
    forms::MoveTwips(*Label2, 120, 840, 3600, 255);
    forms::MoveTwips(*Text2, 120, 1140, 3600, 315);
    forms::MoveTwips(*Command1, 3960, 420, 1140, 375);
    forms::MoveTwips(*Command2, 3960, 900, 1140, 375);
    Label2->hide();
    Text2->hide();
    Move(0, 0, 5400, 2100);

    forms::OnKeyUp(Text1, [this](int& keyCode, int) {
        if (keyCode == forms::vbKeyReturn)
            Command1_Click();
    });
    connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void CodeAccesDlg::Form_Load()
{
    NouvMDP = false;
    // Centred by the window's outer size.
    Move((win::ScreenWidthTwips() - Width()) / 2, (win::ScreenHeightTwips() - Height()) / 2,
         Width(), Height());
}

void CodeAccesDlg::Form_Activate()
{
    Text1->clear();
    Text1->setFocus();
}

void CodeAccesDlg::NouveauMDP()
{
    Text1->clear();
    Label1->SetCaption("Entrez le nouveau mot de passe:");
    Text2->show();
    Label2->show();
    NouvMDP = true;
    Command1->setEnabled(false);
}

// A new password is accepted only once its confirmation matches it.
void CodeAccesDlg::Text2_Change()
{
    if (NouvMDP)
        Command1->setEnabled(Text1->text() == Text2->text());
}

// OK: checks the typed password (or its confirmation) and closes the box.
void CodeAccesDlg::Command1_Click()
{
    if (NouvMDP) {
        Ok = Text1->text() == Text2->text();
        Hide();
        return;
    }
    // The company row's password; a missing one (Null) accepts any text.
    const vb::Variant motPasse = forms::form<FrmPrincipal>().data1->Recordset()["MotPasse"].Value();
    if (!motPasse.IsNull() && Text1->text().toStdString() != vb::CStr(motPasse)) {
        forms::MsgBox("Mot de passe incorect !");
        if (++MauvaisMotsDePasse >= EssaisPermis)
            win::End();
        Text1->clear();
        Text1->setFocus();
        return;
    }
    Ok = true;
    Hide();
}

// Cancel: closes the box without access.
void CodeAccesDlg::Command2_Click()
{
    Ok = false;
    Hide();
}
