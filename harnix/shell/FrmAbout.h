#pragma once
// The About box: the program's identity, the updater and the maker's web address.

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"

class frmAbout : public forms::Form
{
    Q_OBJECT

public:
    // Shown by Label1 and opened by a click on it.
    static constexpr const char* AdresseWeb = "https://www.harnix.example/";
    // The updater, in the program folder.
    static constexpr const char* Updater = "Revanto";

    frmAbout();

    void Form_Load() override;
    void cmdOK_Click();
    void Command1_Click();
    void Label1_Click();

    forms::Label* picIcon;
    forms::Label* lblTitle;
    forms::Label* lblVersion;
    forms::Label* lblDescription;
    forms::Label* lblDisclaimer;
    forms::Label* Label1;
    forms::CommandButton* cmdOK;
    forms::CommandButton* Command1;
};
