#include "slidora/FileListBox.h"

#include <QDir>
#include <QMouseEvent>

namespace slidora {

FileListBox::FileListBox(const QString& name, QWidget* parent) : QListWidget(parent)
{
    setObjectName(name);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileListBox::SetPath(const QString& folder)
{
    path_ = folder;
    Refresh();
}

void FileListBox::SetPattern(const QString& pattern)
{
    pattern_ = pattern;
    Refresh();
}

void FileListBox::Refresh()
{
    clear();
    if (path_.isEmpty())
        return;
    QDir dir(path_);
    dir.setNameFilters(pattern_.split(';', Qt::SkipEmptyParts));
    dir.setFilter(QDir::Files | QDir::Hidden);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    addItems(dir.entryList());
    setCurrentRow(-1);
}

void FileListBox::SetListIndex(int index)
{
    setCurrentRow(index);
}

QString FileListBox::List(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry ? entry->text() : QString();
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void FileListBox::focusInEvent(QFocusEvent* event)
{
    // Taking the focus chooses no entry; only the person or the code does.
    const int row = currentRow();
    QListWidget::focusInEvent(event);
    if (row == -1 && currentRow() != -1)
        setCurrentRow(-1);
}

} // namespace slidora
