#pragma once
// The scanner window: choose the scanner, scan a page, and save it on OK as the article's JPEG
// picture, 190 pixels wide, under the path the article window set in CheminImageScannee.

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/Pictures.h"

class FenScanner : public forms::Form
{
    Q_OBJECT

public:
    FenScanner();

    void Form_Load() override;

    void Command1_Click();
    void Command2_Click();
    void cmdOK_Click();

    // Whether the last scanner window wrote its picture; the window is gone when the article
    // window reads it.
    static inline bool ImageEnregistree = false;

    forms::Image* Picture1;
    forms::CommandButton* Command1;
    forms::CommandButton* Command2;
    forms::CommandButton* cmdOK;
};
