#include "harnix/commun/Calendrier.h"

#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "platform/forms/Geometry.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Format.h"

namespace {

vb::Date DateDuJour(const QDate& jour)
{
    return vb::DateSerial(jour.year(), jour.month(), jour.day());
}

QString DateCourte(const vb::Date& date)
{
    return QString::fromStdString(vb::Format(vb::Variant(date), "Short Date"));
}

QString DateCourte(const QDate& jour)
{
    return DateCourte(DateDuJour(jour));
}

} // namespace

Calendrier::Calendrier()
{
    setObjectName("Calendrier");
    SetCaption("Sélection de date");

    calendar1 = new forms::MonthView("calendar1", this);
    calendar1->SetMultiSelect(true);
    // A period may run over a whole year.
    calendar1->SetMaxSelCount(366);
    auto* depuis = new forms::Label("Label1", "Depuis:", this);
    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    auto* jusqua = new forms::Label("Label3", "Jusqu'à:", this);
    Text2 = new QLineEdit(this);
    Text2->setObjectName("Text2");
    forms::Label& jours = Label2.Add(0, new forms::Label({}, {}, this));
    Command1 = new forms::CommandButton("Command1", "Fermer", this);

    forms::MoveTwips(*calendar1, 120, 120, 4200, 3300);
    forms::MoveTwips(*depuis, 4500, 180, 1500, 285);
    forms::MoveTwips(*Text1, 4500, 480, 1500, 345);
    forms::MoveTwips(*jusqua, 4500, 960, 1500, 285);
    forms::MoveTwips(*Text2, 4500, 1260, 1500, 345);
    forms::MoveTwips(jours, 4500, 1800, 1500, 285);
    forms::MoveTwips(*Command1, 4500, 3000, 1500, 375);
    Move(Left(), Top(), 6300, 4100);

    connect(calendar1, &forms::MonthView::SelChange, this,
            [this](const QDate& debut, const QDate& fin) { calendar1_SelChange(debut, fin); });
    connect(calendar1, &forms::MonthView::Click, this, [this] { calendar1_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void Calendrier::Form_Load()
{
    FonctionUtilitaires::CentrerFenetre(*this);
    const vb::Date premierDecembre = vb::DateSerial(vb::Year(vb::Today()), 12, 1);
    calendar1->SetValue(QDate(vb::Year(premierDecembre), 12, 1));
    Text1->setText(DateCourte(premierDecembre));
    Global::PeriodeDebut = premierDecembre;
}

// Shows the selected span's first and last days and its number of days.
void Calendrier::calendar1_SelChange(const QDate& startDate, const QDate& endDate)
{
    Text1->setText(DateCourte(startDate));
    Text2->setText(DateCourte(endDate));
    NbJourselectionne = int32_t(startDate.daysTo(endDate) + 1);
    Label2(0).SetCaption(QString::number(NbJourselectionne) + " Jours");
}

// Takes the selected span as the program's period.
void Calendrier::calendar1_Click()
{
    Global::PeriodeDebut = DateDuJour(calendar1->SelStart());
    Global::PeriodeFin = DateDuJour(calendar1->SelEnd());
    Text1->setText(DateCourte(Global::PeriodeDebut));
    Text2->setText(DateCourte(Global::PeriodeFin));
    Command1->setFocus();
}

// Closes the calendar.
void Calendrier::Command1_Click()
{
    Unload();
}

void Calendrier::Form_Unload(int& cancel)
{
    (void)cancel;
    if (Text2->text().isEmpty())
        Global::PeriodeFin = vb::Today();
}
