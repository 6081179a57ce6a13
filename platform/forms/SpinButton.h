#pragma once

#include <QWidget>

class QToolButton;

namespace forms {

// Two arrows, up above down, or laid out horizontally down (left) beside up (right); holding an
// arrow pressed repeats its signal.
class SpinButton : public QWidget
{
    Q_OBJECT

public:
    explicit SpinButton(const QString& name, QWidget* parent = nullptr,
                        Qt::Orientation orientation = Qt::Vertical);

    QToolButton* UpArrow() const { return up_; }
    QToolButton* DownArrow() const { return down_; }

signals:
    void SpinUp();
    void SpinDown();

private:
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace forms
