#pragma once
// The access-password dialog: asks for the company's access password or, in its second mode,
// for a new password typed twice. Three wrong passwords in one run end the program.

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"

#include <QLineEdit>

class CodeAccesDlg : public forms::Form
{
    Q_OBJECT

public:
    CodeAccesDlg();

    void Form_Load() override;
    void Form_Activate() override;

    // Switches to the new-password mode.
    void NouveauMDP();
    // The text typed in the first box.
    QString MDP() const { return Text1->text(); }

    void Command1_Click();
    void Command2_Click();
    void Text2_Change();

    // True when the dialog was confirmed; read by the caller once the dialog is hidden.
    bool Ok = false;
    bool NouvMDP = false;

    forms::Label* Label1;
    QLineEdit* Text1;
    forms::Label* Label2;
    QLineEdit* Text2;
    forms::CommandButton* Command1;
    forms::CommandButton* Command2;

    // Wrong passwords typed during this run, over every opening of the dialog.
    static inline int MauvaisMotsDePasse = 0;
};
