#pragma once

#include <QListWidget>
#include <QString>

namespace slidora {

// A list of the files of one folder that match a pattern ("*.avi;*.mpg", matched
// without regard to case), sorted by name. ListIndex is -1 while no entry is chosen.
class FileListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit FileListBox(const QString& name, QWidget* parent = nullptr);

    QString Path() const { return path_; }
    void SetPath(const QString& folder);
    QString Pattern() const { return pattern_; }
    void SetPattern(const QString& pattern);
    // Reads the folder again.
    void Refresh();

    int ListIndex() const { return currentRow(); }
    void SetListIndex(int index);
    int ListCount() const { return count(); }
    // The entry's file name; the empty text for an index without entry.
    QString List(int index) const;

signals:
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QString path_;
    QString pattern_;
};

} // namespace slidora
