#pragma once
// The loading window: shown during start-up, then kept hidden for the whole run, its caption
// marking the running copy.

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"

class FenLoading : public forms::Form
{
    Q_OBJECT

public:
    FenLoading();

    void Form_Load() override;

    forms::Panel* SSPanel1;
    forms::Label* picIcon;
    forms::Label* lblTitle;
    forms::Label* lblVersion;
    forms::Label* lblDescription;
    forms::Label* lblDisclaimer;
};
