#include "slidora/ComDlg.h"

#include "platform/forms/Dialogs.h"
#include "slidora/ProgramFolder.h"

namespace slidora {

QString SaveFileDialog(QWidget*, const QString& title, const QString& filter)
{
    // The chooser service picks the active window as the dialog's owner.
    return forms::GetSaveFileName(title, filter, ProgramFolder());
}

QString BrowseForFolder(const QString& title)
{
    return forms::BrowseForFolder(title.isEmpty() ? QStringLiteral("Choissisez un dossier")
                                                  : title);
}

} // namespace slidora
