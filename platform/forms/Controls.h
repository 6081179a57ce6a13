#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

// The common controls of the windows, with the behaviour their event procedures rely on.
// Each takes its name, which is also its Qt object name, so that tests find it.
namespace forms {

// A command button. Enter typed in another control never presses it; Enter or Space on the
// focused button does.
class CommandButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CommandButton(const QString& name, const QString& caption = {},
                           QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // A caption wider than the button breaks between its words over several lines, as the
    // windows' buttons were designed for ("Capture presse papier" on a two-line button).
    void paintEvent(QPaintEvent* event) override;
};

// An option button. Click fires whenever it becomes selected, by the user or by code
// (SetValue(true)); selecting it unselects the other options of its container.
class OptionButton : public QRadioButton
{
    Q_OBJECT

public:
    explicit OptionButton(const QString& name, const QString& caption = {},
                          QWidget* parent = nullptr);

    bool Value() const { return isChecked(); }
    void SetValue(bool selected);

signals:
    void Click();
};

// A check box with the values 0 (unchecked), 1 (checked) and 2 (grayed). Click fires whenever
// the value changes, by the user or by code.
class CheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit CheckBox(const QString& name, const QString& caption = {}, QWidget* parent = nullptr);

    int Value() const;
    void SetValue(int value);

signals:
    void Click();
};

// A combo box whose ListIndex is -1 while no entry is chosen (also right after entries are
// added). Click fires when the user or code chooses an entry.
class ComboBox : public QComboBox
{
    Q_OBJECT

public:
    enum Style { DropdownCombo = 0, DropdownList = 2 };

    explicit ComboBox(const QString& name, Style style = DropdownCombo, QWidget* parent = nullptr);

    int ListIndex() const { return currentIndex(); }
    // -1 chooses nothing (and empties the text of an editable combo).
    void SetListIndex(int index);
    int ListCount() const { return count(); }
    QString List(int index) const { return itemText(index); }
    // Adds an entry at the end, or before the given position; the chosen entry stays chosen.
    void AddItem(const QString& text, int index = -1);
    void RemoveItem(int index);
    void Clear();
    QString Text() const { return currentText(); }
    void SetText(const QString& text);

signals:
    void Click();
};

// A label; Click and DblClick fire on the mouse.
class Label : public QLabel
{
    Q_OBJECT

public:
    explicit Label(const QString& name, const QString& caption = {}, QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }

signals:
    void Click();
    void DblClick();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// A frame with a caption that groups controls (option buttons inside are one group).
class Frame : public QGroupBox
{
    Q_OBJECT

public:
    explicit Frame(const QString& name, const QString& caption = {}, QWidget* parent = nullptr);

    QString Caption() const { return title(); }
    void SetCaption(const QString& caption) { setTitle(caption); }
};

// A raised three-dimensional panel that holds controls and may show a caption in its middle.
class Panel : public QFrame
{
    Q_OBJECT

public:
    explicit Panel(const QString& name, const QString& caption = {}, QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

} // namespace forms
