#include "platform/forms/Dialogs.h"

#include "platform/forms/DialogService.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

#include <vector>

namespace forms {

namespace {

QString& StoredAppTitle()
{
    static QString title;
    return title;
}

struct ButtonDef
{
    const char* label;
    int answer;
};

// The buttons of each button set, in their order on the box.
std::vector<ButtonDef> ButtonSet(int set)
{
    switch (set) {
    case vbOKCancel:
        return {{"OK", vbOK}, {"Annuler", vbCancel}};
    case vbAbortRetryIgnore:
        return {{"Abandonner", vbAbort}, {"Réessayer", vbRetry}, {"Ignorer", vbIgnore}};
    case vbYesNoCancel:
        return {{"Oui", vbYes}, {"Non", vbNo}, {"Annuler", vbCancel}};
    case vbYesNo:
        return {{"Oui", vbYes}, {"Non", vbNo}};
    case vbRetryCancel:
        return {{"Réessayer", vbRetry}, {"Annuler", vbCancel}};
    case vbCancelTryContinue:
        return {{"Annuler", vbCancel}, {"Recommencer", vbTryAgain}, {"Continuer", vbContinue}};
    default:
        return {{"OK", vbOK}};
    }
}

// Roles place the buttons. Only Cancel takes the reject role, so that Qt never makes another
// button the escape button of a box without Cancel (Yes/No, Abort/Retry/Ignore).
QMessageBox::ButtonRole RoleOf(int answer)
{
    switch (answer) {
    case vbOK:
    case vbYes:
    case vbRetry:
    case vbTryAgain:
        return QMessageBox::AcceptRole;
    case vbCancel:
        return QMessageBox::RejectRole;
    default:
        return QMessageBox::ActionRole;
    }
}

QMessageBox::Icon IconOf(int style)
{
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QWidget* DialogParent()
{
    return QApplication::activeWindow();
}

class RealDialogs : public DialogService
{
public:
    int MessageBox(const MessageBoxRequest& request) override
    {
        auto box = BuildMessageBox(request);
        box->exec();
        QAbstractButton* clicked = box->clickedButton();
        if (!clicked) // closed from the frame: the escape answer
            clicked = box->escapeButton();
        return clicked ? clicked->property("answer").toInt() : vbCancel;
    }

    std::optional<QString> InputBox(const InputBoxRequest& request) override
    {
        QInputDialog dialog(DialogParent());
        dialog.setWindowTitle(request.title.isEmpty() ? AppTitle() : request.title);
        dialog.setLabelText(MessageText(request.prompt));
        dialog.setTextValue(request.defaultText);
        dialog.setOkButtonText("OK");
        dialog.setCancelButtonText("Annuler");
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.textValue();
    }

    QString ChooseFile(const FileRequest& request) override
    {
        QFileDialog dialog(DialogParent(), request.title, request.initialDir);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        // Qt sizes the detailed list's columns for short English texts: the French headers,
        // file types and dates take the width they need.
        if (auto* list = dialog.findChild<QTreeView*>("treeView"))
            list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        dialog.setLabelText(QFileDialog::Reject, "Annuler");
        switch (request.kind) {
        case FileRequest::OpenFile:
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
            dialog.setLabelText(QFileDialog::Accept, "Ouvrir");
            break;
        case FileRequest::SaveFile:
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setLabelText(QFileDialog::Accept, "Enregistrer");
            break;
        case FileRequest::Folder:
            dialog.setFileMode(QFileDialog::Directory);
            dialog.setOption(QFileDialog::ShowDirsOnly);
            dialog.setLabelText(QFileDialog::Accept, "OK");
            break;
        }
        if (request.kind != FileRequest::Folder) {
            const QStringList filters = NameFilters(request.filter);
            if (!filters.isEmpty())
                dialog.setNameFilters(filters);
            if (!request.fileName.isEmpty())
                dialog.selectFile(request.fileName);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }
};

DialogService*& Installed()
{
    static DialogService* installed = nullptr;
    return installed;
}

} // namespace

DialogService& Dialogs()
{
    static RealDialogs real;
    return Installed() ? *Installed() : real;
}

void SetDialogService(DialogService* service)
{
    Installed() = service;
}

void SetAppTitle(const QString& title)
{
    StoredAppTitle() = title;
}

QString AppTitle()
{
    if (StoredAppTitle().isEmpty())
        return QCoreApplication::applicationName();
    return StoredAppTitle();
}

QString MessageText(const QString& prompt)
{
    QString text;
    text.reserve(prompt.size());
    for (qsizetype i = 0; i < prompt.size(); ++i) {
        const QChar c = prompt.at(i);
        if (c == '\r') {
            text += '\n';
            if (i + 1 < prompt.size() && prompt.at(i + 1) == '\n')
                ++i;
        } else {
            text += c;
        }
    }
    return text;
}

std::unique_ptr<QMessageBox> BuildMessageBox(const MessageBoxRequest& request)
{
    auto box = std::make_unique<QMessageBox>(DialogParent());
    box->setWindowTitle(request.title.isEmpty() ? AppTitle() : request.title);
    box->setText(MessageText(request.prompt));
    box->setTextFormat(Qt::PlainText);
    box->setIcon(IconOf(request.style));
    const std::vector<ButtonDef> defs = ButtonSet(request.style & 7);
    std::vector<QPushButton*> buttons;
    for (const ButtonDef& def : defs) {
        QPushButton* button = box->addButton(QString::fromUtf8(def.label), RoleOf(def.answer));
        button->setProperty("answer", def.answer);
        buttons.push_back(button);
    }
    const size_t defaultIndex = size_t((request.style & 0x300) >> 8);
    box->setDefaultButton(buttons[defaultIndex < buttons.size() ? defaultIndex : 0]);
    // Escape answers Cancel where the box has it, OK on a lone OK, and nothing otherwise.
    for (QPushButton* button : buttons) {
        const int answer = button->property("answer").toInt();
        if (answer == vbCancel || (buttons.size() == 1 && answer == vbOK))
            box->setEscapeButton(button);
    }
    return box;
}

QStringList NameFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        // A description that already ends with its patterns is shown as it stands.
        const QString suffix = " (" + patterns.simplified() + ")";
        result << (parts[i].endsWith(suffix) ? parts[i] : parts[i] + suffix);
    }
    return result;
}

int MsgBox(const QString& prompt, int style, const QString& title)
{
    return Dialogs().MessageBox({prompt, style, title});
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    return Dialogs().InputBox({prompt, title, defaultText}).value_or(QString());
}

QString GetOpenFileName(const QString& title, const QString& filter, const QString& initialDir,
                        const QString& fileName)
{
    return Dialogs().ChooseFile({FileRequest::OpenFile, title, filter, initialDir, fileName});
}

QString GetSaveFileName(const QString& title, const QString& filter, const QString& initialDir,
                        const QString& fileName)
{
    return Dialogs().ChooseFile({FileRequest::SaveFile, title, filter, initialDir, fileName});
}

QString BrowseForFolder(const QString& title, const QString& initialDir)
{
    return Dialogs().ChooseFile({FileRequest::Folder, title, {}, initialDir, {}});
}

} // namespace forms
