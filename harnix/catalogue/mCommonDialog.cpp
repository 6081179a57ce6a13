#include "harnix/catalogue/mCommonDialog.h"

#include "harnix/commun/FnTundrel.h"
#include "platform/forms/Dialogs.h"
#include "platform/vb/Error.h"

#include <QString>
#include <QStringList>

namespace mCommonDialog {

namespace {

// The filter as the dialog's list: "|" and ":" separate, two NULs end it.
std::string ListeFiltre(const std::string& filtre)
{
    std::string liste = filtre;
    for (char& c : liste)
        if (c == '|' || c == ':')
            c = '\0';
    return liste + std::string(2, '\0');
}

// The descriptions and patterns of the list, in pairs.
QStringList Paires(const std::string& liste)
{
    QStringList morceaux;
    for (size_t debut = 0; debut < liste.size();) {
        const size_t fin = liste.find('\0', debut);
        if (fin == debut)
            break;
        morceaux << QString::fromStdString(liste.substr(debut, fin - debut));
        debut = fin + 1;
    }
    if (morceaux.size() % 2 != 0)
        morceaux.removeLast();
    return morceaux;
}

} // namespace

bool ShowOpenFileDialog(std::string& fileName, std::string& fileTitle, bool fileMustExist,
                        bool multiSelect, bool& readOnly, bool hideReadOnly, std::string& filter,
                        int32_t& filterIndex, const std::string& initialDir,
                        const std::string& dialogTitle, const std::string& defaultExt,
                        QWidget* owner, int32_t& flags)
{
    (void)defaultExt;
    (void)owner;
    if (fileName.size() > MaxPath || fileTitle.size() > MaxPath)
        vb::Raise(vb::ErrInvalidCall);
    const int32_t demandes = (fileMustExist ? OFN_FILEMUSTEXIST : 0) |
                             (multiSelect ? OFN_ALLOWMULTISELECT : 0) |
                             (readOnly ? OFN_READONLY : 0) | (hideReadOnly ? OFN_HIDEREADONLY : 0) |
                             (flags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE));
    const std::string liste = ListeFiltre(filter);
    const QStringList paires = Paires(liste);
    const QString choisi = forms::GetOpenFileName(
        QString::fromStdString(dialogTitle), paires.join('|'), QString::fromStdString(initialDir),
        QString::fromStdString(TrimAtNull(fileName)));
    if (choisi.isEmpty()) {
        fileName.clear();
        fileTitle.clear();
        filter.clear();
        flags = 0;
        filterIndex = -1;
        return false;
    }
    fileName = TrimAtNull(choisi.toStdString());
    fileTitle = FnTundrel::NomFichier(fileName);
    flags = demandes;
    // The project's dialog does not say which filter was in use: the one asked for stays.
    if (filterIndex < 1 || filterIndex > paires.size() / 2)
        filterIndex = 1;
    filter = FilterAtIndex(liste, filterIndex);
    if ((flags & OFN_READONLY) != 0)
        readOnly = true;
    return true;
}

std::string TrimAtNull(const std::string& text)
{
    return text.substr(0, text.find('\0'));
}

std::string FilterAtIndex(const std::string& list, int32_t index)
{
    size_t position = 0;
    std::string entree;
    for (int32_t n = 1; n <= index; ++n) {
        const size_t premier = list.find('\0', position);
        if (premier == std::string::npos)
            return {};
        const size_t second = list.find('\0', premier + 1);
        entree = list.substr(position,
                             second == std::string::npos ? std::string::npos : second - position);
        position = second == std::string::npos ? list.size() : second + 1;
    }
    return index >= 1 ? entree : std::string();
}

} // namespace mCommonDialog
