#pragma once

#include <QString>

#include <memory>
#include <optional>

class QMessageBox;

// The one service through which every dialog that waits for a person goes.
namespace forms {

struct MessageBoxRequest
{
    QString prompt; // as the caller gave it
    int style = 0;
    QString title; // as the caller gave it; empty means the program's title
};

struct InputBoxRequest
{
    QString prompt;
    QString title;
    QString defaultText;
};

struct FileRequest
{
    enum Kind { OpenFile, SaveFile, Folder };
    Kind kind = OpenFile;
    QString title;
    QString filter; // "Description|*.a;*.b|..."
    QString initialDir;
    QString fileName;
};

class DialogService
{
public:
    virtual ~DialogService() = default;
    // Returns the answer code of the button pressed.
    virtual int MessageBox(const MessageBoxRequest& request) = 0;
    // Returns nothing when the person cancels.
    virtual std::optional<QString> InputBox(const InputBoxRequest& request) = 0;
    // Returns the chosen path, empty when the person cancels.
    virtual QString ChooseFile(const FileRequest& request) = 0;
};

// The service in use: the real dialogs unless one was installed.
DialogService& Dialogs();
// Installs a service (not owned); null puts back the real dialogs.
void SetDialogService(DialogService* service);

// The real message box for a request, built but not shown: French buttons, icon, default and
// escape buttons, the title and the text as they will appear. Each button's answer code is in
// its "answer" property.
std::unique_ptr<QMessageBox> BuildMessageBox(const MessageBoxRequest& request);

// The text a message box shows: a carriage return that does not start a line break becomes one.
QString MessageText(const QString& prompt);

// The Qt name filters of a filter written as "Description|*.a;*.b|...".
QStringList NameFilters(const QString& filter);

} // namespace forms
