#include "platform/forms/MonthView.h"

#include "platform/win/Clock.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

namespace forms {

namespace {

constexpr int TitleHeight = 24;
constexpr int WeekdayHeight = 18;
constexpr int Weeks = 6;

// Today by the program's clock, in local time.
QDate Today()
{
    const auto now = std::chrono::system_clock::to_time_t(win::Clock::Now());
    return QDateTime::fromSecsSinceEpoch(qint64(now)).date();
}

} // namespace

MonthView::MonthView(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    setFocusPolicy(Qt::StrongFocus);
    SetValue(Today());
}

QSize MonthView::sizeHint() const
{
    return QSize(7 * 30, TitleHeight + WeekdayHeight + Weeks * 20);
}

void MonthView::SetValue(const QDate& date)
{
    SetSelection(date, date);
}

void MonthView::SetSelection(const QDate& start, const QDate& end)
{
    selStart_ = std::min(start, end);
    selEnd_ = std::max(start, end);
    anchor_ = start;
    moving_ = end;
    SetShownMonth(end);
}

void MonthView::SetShownMonth(const QDate& date)
{
    month_ = QDate(date.year(), date.month(), 1);
    update();
}

QDate MonthView::FirstShownDay() const
{
    // Weeks start on Monday; a month starting on Monday shows the week before it.
    const int before = month_.dayOfWeek() - 1;
    return month_.addDays(-(before == 0 ? 7 : before));
}

QRect MonthView::DaysArea() const
{
    return QRect(0, TitleHeight + WeekdayHeight, width(), height() - TitleHeight - WeekdayHeight);
}

QRect MonthView::DayRect(const QDate& date) const
{
    const qint64 index = FirstShownDay().daysTo(date);
    if (index < 0 || index >= 7 * Weeks)
        return {};
    const QRect area = DaysArea();
    const int w = area.width() / 7;
    const int h = area.height() / Weeks;
    return QRect(area.left() + int(index % 7) * w, area.top() + int(index / 7) * h, w, h);
}

QDate MonthView::DayAt(const QPoint& point) const
{
    const QRect area = DaysArea();
    const int w = area.width() / 7;
    const int h = area.height() / Weeks;
    if (w <= 0 || h <= 0 || !area.contains(point))
        return {};
    const int col = std::min((point.x() - area.left()) / w, 6);
    const int row = std::min((point.y() - area.top()) / h, Weeks - 1);
    return FirstShownDay().addDays(row * 7 + col);
}

QRect MonthView::PreviousMonthButton() const
{
    return QRect(0, 0, TitleHeight, TitleHeight);
}

QRect MonthView::NextMonthButton() const
{
    return QRect(width() - TitleHeight, 0, TitleHeight, TitleHeight);
}

void MonthView::SelectByUser(const QDate& anchor, const QDate& moving)
{
    QDate end = moving;
    if (!multiSelect_) {
        end = moving;
        anchor_ = moving;
    } else {
        anchor_ = anchor;
        const qint64 span = anchor.daysTo(moving);
        if (span >= maxSelCount_)
            end = anchor.addDays(maxSelCount_ - 1);
        else if (-span >= maxSelCount_)
            end = anchor.addDays(-(maxSelCount_ - 1));
    }
    moving_ = end;
    const QDate start = std::min(anchor_, end);
    const QDate last = std::max(anchor_, end);
    if (end < month_ || end > month_.addMonths(1).addDays(-1))
        SetShownMonth(end);
    update();
    if (start == selStart_ && last == selEnd_)
        return;
    selStart_ = start;
    selEnd_ = last;
    emit SelChange(selStart_, selEnd_);
}

void MonthView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    if (PreviousMonthButton().contains(at)) {
        SetShownMonth(month_.addMonths(-1));
        return;
    }
    if (NextMonthButton().contains(at)) {
        SetShownMonth(month_.addMonths(1));
        return;
    }
    const QDate day = DayAt(at);
    if (!day.isValid())
        return;
    dragging_ = true;
    if (event->modifiers() & Qt::ShiftModifier)
        SelectByUser(anchor_, day);
    else
        SelectByUser(day, day);
}

void MonthView::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    const QDate day = DayAt(event->position().toPoint());
    if (day.isValid() && day != moving_)
        SelectByUser(anchor_, day);
}

void MonthView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragging_ || event->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    emit DateClick(moving_);
    emit Click();
}

void MonthView::keyPressEvent(QKeyEvent* event)
{
    QDate to;
    switch (event->key()) {
    case Qt::Key_Left:
        to = moving_.addDays(-1);
        break;
    case Qt::Key_Right:
        to = moving_.addDays(1);
        break;
    case Qt::Key_Up:
        to = moving_.addDays(-7);
        break;
    case Qt::Key_Down:
        to = moving_.addDays(7);
        break;
    case Qt::Key_PageUp:
        to = moving_.addMonths(-1);
        break;
    case Qt::Key_PageDown:
        to = moving_.addMonths(1);
        break;
    case Qt::Key_Home:
        to = QDate(moving_.year(), moving_.month(), 1);
        break;
    case Qt::Key_End:
        to = QDate(moving_.year(), moving_.month(), moving_.daysInMonth());
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier)
        SelectByUser(anchor_, to);
    else
        SelectByUser(to, to);
}

void MonthView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.base());
    const QLocale french(QLocale::French, QLocale::France);

    // Title: the month and its year between the two arrows.
    const QRect title(0, 0, width(), TitleHeight);
    painter.fillRect(title, pal.button());
    painter.setPen(pal.buttonText().color());
    QString caption =
        french.standaloneMonthName(month_.month()) + ' ' + QString::number(month_.year());
    caption[0] = caption[0].toUpper();
    painter.drawText(title, Qt::AlignCenter, caption);
    painter.drawText(PreviousMonthButton(), Qt::AlignCenter, "<");
    painter.drawText(NextMonthButton(), Qt::AlignCenter, ">");

    // Weekday names, Monday first.
    const int w = width() / 7;
    for (int d = 0; d < 7; ++d)
        painter.drawText(QRect(d * w, TitleHeight, w, WeekdayHeight), Qt::AlignCenter,
                         french.dayName(d + 1, QLocale::ShortFormat));

    const QDate first = FirstShownDay();
    const QDate today = Today();
    for (int i = 0; i < 7 * Weeks; ++i) {
        const QDate day = first.addDays(i);
        const QRect cell = DayRect(day);
        const bool selected = day >= selStart_ && day <= selEnd_;
        if (selected)
            painter.fillRect(cell.adjusted(1, 1, -1, -1), pal.highlight());
        QColor ink = selected ? pal.highlightedText().color() : pal.text().color();
        if (day.month() != month_.month() && !selected)
            ink = pal.color(QPalette::Disabled, QPalette::Text);
        painter.setPen(ink);
        painter.drawText(cell, Qt::AlignCenter, QString::number(day.day()));
        if (day == today) {
            painter.setPen(Qt::red);
            painter.drawRect(cell.adjusted(1, 1, -2, -2));
        }
    }
}

} // namespace forms
