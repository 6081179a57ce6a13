#pragma once

#include <QString>

class QWidget;

// The save-file and folder choosers of the player.
namespace slidora {

// The chosen path, or "" when the person cancels. The filter is written
// "Description|*.ext|"; the chooser starts in the program folder.
QString SaveFileDialog(QWidget* owner, const QString& title, const QString& filter);

// The chosen folder, or "" when nothing is chosen. An empty title becomes
// "Choissisez un dossier".
QString BrowseForFolder(const QString& title);

} // namespace slidora
