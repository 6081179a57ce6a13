#include "platform/forms/MonthView.h"
#include "platform/forms/testing/Drive.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace forms;
using namespace forms::testing;

namespace {

// The period picker's calendar, on March 2026, recording what it signals.
class MonthViewTest : public WindowTest
{
protected:
    void SetUp() override
    {
        calendar1.resize(280, 200);
        calendar1.SetMaxSelCount(31);
        calendar1.SetValue(QDate(2026, 3, 1));
        calendar1.show();
        QObject::connect(&calendar1, &MonthView::SelChange,
                         [this](const QDate& a, const QDate& b) { changes.emplace_back(a, b); });
        QObject::connect(&calendar1, &MonthView::DateClick, [this](const QDate&) { ++dateClicks; });
        QObject::connect(&calendar1, &MonthView::Click, [this] { ++clicks; });
    }

    QPoint At(int day, int month = 3) const
    {
        return calendar1.DayRect(QDate(2026, month, day)).center();
    }
    void Drag(int from, int to)
    {
        QTest::mousePress(&calendar1, Qt::LeftButton, {}, At(from));
        QMouseEvent move(QEvent::MouseMove, At(to), calendar1.mapToGlobal(At(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&calendar1, &move);
        QTest::mouseRelease(&calendar1, Qt::LeftButton, {}, At(to));
    }
    using Range = std::pair<QDate, QDate>;
    static Range March(int from, int to) { return {QDate(2026, 3, from), QDate(2026, 3, to)}; }

    MonthView calendar1{"calendar1"};
    std::vector<Range> changes;
    int dateClicks = 0;
    int clicks = 0;
};

TEST_F(MonthViewTest, ValueSetByCodeIsNotSignalled)
{
    calendar1.SetValue(QDate(2026, 12, 1));
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(calendar1.ShownMonth(), QDate(2026, 12, 1));
    EXPECT_EQ(calendar1.SelStart(), QDate(2026, 12, 1));
    EXPECT_EQ(calendar1.SelEnd(), QDate(2026, 12, 1));
}

TEST_F(MonthViewTest, MouseDragSelectsARangeAndClicksOnce)
{
    Drag(3, 5);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), March(3, 5));
    EXPECT_EQ(calendar1.SelStart(), QDate(2026, 3, 3));
    EXPECT_EQ(calendar1.SelEnd(), QDate(2026, 3, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(dateClicks, 1);

    // Shift+click extends from the day first pressed; backwards too.
    QTest::mouseClick(&calendar1, Qt::LeftButton, Qt::ShiftModifier, At(1));
    EXPECT_EQ(changes.back(), March(1, 3));
    EXPECT_EQ(clicks, 2);

    // A single day.
    QTest::mouseClick(&calendar1, Qt::LeftButton, {}, At(10));
    EXPECT_EQ(changes.back(), March(10, 10));
}

TEST_F(MonthViewTest, KeyboardSelectionSignalsChangesButNoClick)
{
    calendar1.SetValue(QDate(2026, 3, 3));
    calendar1.setFocus();
    QTest::keyClick(&calendar1, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&calendar1, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(changes, (std::vector<Range>{March(3, 4), March(3, 5)}));
    QTest::keyClick(&calendar1, Qt::Key_Down);
    EXPECT_EQ(changes.back(), March(12, 12));
    QTest::keyClick(&calendar1, Qt::Key_PageDown);
    EXPECT_EQ(changes.back(), Range(QDate(2026, 4, 12), QDate(2026, 4, 12)));
    EXPECT_EQ(calendar1.ShownMonth(), QDate(2026, 4, 1)) << "the month follows the selection";
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(dateClicks, 0);
}

TEST_F(MonthViewTest, RangeIsKeptWithinMaxSelCount)
{
    calendar1.SetMaxSelCount(7);
    Drag(2, 20);
    EXPECT_EQ(changes.back(), March(2, 8));
    calendar1.SetMultiSelect(false);
    Drag(10, 12);
    EXPECT_EQ(changes.back(), March(12, 12)) << "one day only without range selection";
}

TEST_F(MonthViewTest, ArrowsShowAnotherMonthWithoutChangingTheSelection)
{
    QTest::mouseClick(&calendar1, Qt::LeftButton, {}, calendar1.NextMonthButton().center());
    EXPECT_EQ(calendar1.ShownMonth(), QDate(2026, 4, 1));
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(clicks, 0);
    // The days of the page around April: 30 March lies on the first week.
    EXPECT_EQ(calendar1.DayAt(calendar1.DayRect(QDate(2026, 3, 30)).center()), QDate(2026, 3, 30));
    EXPECT_TRUE(calendar1.DayRect(QDate(2026, 6, 30)).isEmpty());
}

} // namespace
