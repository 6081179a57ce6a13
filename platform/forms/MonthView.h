#pragma once

#include <QDate>
#include <QWidget>

// A month calendar on which a range of days is selected with the mouse (drag, or Shift+click)
// or the keyboard (arrows, Page Up/Down, Shift to extend). A selection made by the user is
// signalled; one set by code is not.
namespace forms {

class MonthView : public QWidget
{
    Q_OBJECT

public:
    explicit MonthView(const QString& name, QWidget* parent = nullptr);

    // The selection's first day; setting it selects that day alone and shows its month.
    QDate Value() const { return selStart_; }
    void SetValue(const QDate& date);
    QDate SelStart() const { return selStart_; }
    QDate SelEnd() const { return selEnd_; }
    void SetSelection(const QDate& start, const QDate& end);

    void SetMultiSelect(bool on) { multiSelect_ = on; }
    // The longest range in days.
    void SetMaxSelCount(int days) { maxSelCount_ = std::max(days, 1); }

    // The first day of the month shown.
    QDate ShownMonth() const { return month_; }
    void SetShownMonth(const QDate& date);

    // Where a day of the page lies (empty when it is not on it), and the day under a point.
    QRect DayRect(const QDate& date) const;
    QDate DayAt(const QPoint& point) const;
    QRect PreviousMonthButton() const;
    QRect NextMonthButton() const;

signals:
    void SelChange(const QDate& startDate, const QDate& endDate);
    void DateClick(const QDate& date);
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QSize sizeHint() const override;

private:
    QDate FirstShownDay() const;
    QRect DaysArea() const;
    // Selects from the anchor to the day (kept within MaxSelCount) and signals a change.
    void SelectByUser(const QDate& anchor, const QDate& moving);

    QDate month_;
    QDate selStart_;
    QDate selEnd_;
    QDate anchor_;
    QDate moving_; // the end of the range that the keyboard or the mouse moves
    bool multiSelect_ = true;
    int maxSelCount_ = 7;
    bool dragging_ = false;
};

} // namespace forms
