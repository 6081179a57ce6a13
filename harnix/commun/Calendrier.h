#pragma once
// The period picker: a small modal window in which a period of days is picked on a month
// calendar. Callers read the period from Global::PeriodeDebut and Global::PeriodeFin once it has
// closed, and the number of days selected from Calendrier::NbJourselectionne.

#include "platform/forms/ControlArray.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/MonthView.h"

#include <QLineEdit>

#include <cstdint>

class Calendrier : public forms::Form
{
    Q_OBJECT

public:
    // The days of the last range selected, last day included; 0 before the first selection of
    // the run. It outlives the window, which is unloaded when it closes.
    static inline int32_t NbJourselectionne = 0;

    Calendrier();

    void Form_Load() override;
    void Form_Unload(int& cancel) override;

    void calendar1_SelChange(const QDate& startDate, const QDate& endDate);
    void calendar1_Click();
    void Command1_Click();

    forms::MonthView* calendar1;
    QLineEdit* Text1;
    QLineEdit* Text2;
    forms::ControlArray<forms::Label> Label2{"Label2"};
    forms::CommandButton* Command1;
};
