#include "harnix/commun/Calendrier.h"
#include "harnix/commun/Global.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Drive.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Format.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

using namespace forms::testing;

namespace {

class CalendrierTest : public WindowTest
{
protected:
    void SetUp() override
    {
        Calendrier::NbJourselectionne = 0;
        Global::PeriodeFin = vb::DateSerial(2000, 1, 1);
    }
    vb::Date Decembre(int jour) const { return vb::DateSerial(annee, 12, jour); }
    QDate JourDecembre(int jour) const { return QDate(annee, 12, jour); }
    static QString Courte(const vb::Date& date)
    {
        return QString::fromStdString(vb::Format(vb::Variant(date), "Short Date"));
    }
    // Drags over the days of December with the mouse, from the first to the last.
    void Glisser(Calendrier& fen, int premier, int dernier) const
    {
        forms::MonthView& cal = *fen.calendar1;
        QTest::mousePress(&cal, Qt::LeftButton, {}, cal.DayRect(JourDecembre(premier)).center());
        QTest::mouseMove(&cal, cal.DayRect(JourDecembre(dernier)).center());
        QTest::mouseRelease(&cal, Qt::LeftButton, {}, cal.DayRect(JourDecembre(dernier)).center());
    }

    FrozenClock horloge;
    // The window's year, read from the program's clock once it stands still.
    const int annee = vb::Year(vb::Today());
};

TEST_F(CalendrierTest, OpeningAndClosingAtOnce)
{
    Calendrier& fen = forms::form<Calendrier>();
    ShowModal(fen, [&] {
        EXPECT_EQ(fen.Caption(), "Sélection de date");
        EXPECT_EQ(fen.calendar1->SelStart(), JourDecembre(1));
        EXPECT_EQ(fen.Text1->text(), Courte(Decembre(1)));
        EXPECT_EQ(fen.Text2->text(), "");
        Click(fen, "Command1");
    });
    EXPECT_FALSE(forms::IsLoaded<Calendrier>());
    EXPECT_EQ(Global::PeriodeDebut, Decembre(1));
    EXPECT_EQ(Global::PeriodeFin, vb::Today());
    EXPECT_EQ(Calendrier::NbJourselectionne, 0);
}

TEST_F(CalendrierTest, RangeChosenWithTheMouseIsThePeriod)
{
    struct Case
    {
        int premier, dernier;
        const char* jours;
    } cases[] = {{3, 5, "3 Jours"}, {10, 10, "1 Jours"}, {20, 14, "7 Jours"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.jours);
        Calendrier& fen = forms::form<Calendrier>();
        ShowModal(fen, [&] {
            Glisser(fen, c.premier, c.dernier);
            const int debut = std::min(c.premier, c.dernier);
            const int fin = std::max(c.premier, c.dernier);
            EXPECT_EQ(fen.Label2(0).Caption(), c.jours);
            EXPECT_EQ(fen.Text1->text(), Courte(Decembre(debut)));
            EXPECT_EQ(fen.Text2->text(), Courte(Decembre(fin)));
            EXPECT_EQ(Global::PeriodeDebut, Decembre(debut));
            EXPECT_EQ(Global::PeriodeFin, Decembre(fin));
            EXPECT_EQ(QApplication::focusWidget(), fen.Command1);
            // Closing by the frame keeps the clicked range.
            fen.close();
        });
        EXPECT_EQ(Global::PeriodeFin, Decembre(std::max(c.premier, c.dernier)));
    }
}

TEST_F(CalendrierTest, KeyboardSelectionShowsButDoesNotSetThePeriod)
{
    Calendrier& fen = forms::form<Calendrier>();
    ShowModal(fen, [&] {
        Focus(*fen.calendar1);
        Key(*fen.calendar1, Qt::Key_Right, Qt::ShiftModifier);
        Key(*fen.calendar1, Qt::Key_Right, Qt::ShiftModifier);
        EXPECT_EQ(fen.Text1->text(), Courte(Decembre(1)));
        EXPECT_EQ(fen.Text2->text(), Courte(Decembre(3)));
        EXPECT_EQ(fen.Label2(0).Caption(), "3 Jours");
        EXPECT_EQ(Global::PeriodeDebut, Decembre(1));
        Click(fen, "Command1");
    });
    // Text2 holds a day, so the end of the period is left as it was.
    EXPECT_EQ(Global::PeriodeFin, vb::DateSerial(2000, 1, 1));
    EXPECT_EQ(Calendrier::NbJourselectionne, 3);
}

TEST_F(CalendrierTest, DayCountIsKeptFromOneOpeningToTheNext)
{
    Calendrier& premiere = forms::form<Calendrier>();
    ShowModal(premiere, [&] {
        Glisser(premiere, 3, 7);
        Click(premiere, "Command1");
    });
    Calendrier& seconde = forms::form<Calendrier>();
    ShowModal(seconde, [&] {
        EXPECT_EQ(seconde.Text2->text(), "");
        Click(seconde, "Command1");
    });
    EXPECT_EQ(Calendrier::NbJourselectionne, 5);
    // A new opening starts again on the first of December; its unchanged Text2 gives today.
    EXPECT_EQ(Global::PeriodeDebut, Decembre(1));
    EXPECT_EQ(Global::PeriodeFin, vb::Today());
}

} // namespace
