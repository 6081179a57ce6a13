#include "platform/report/Mail.h"

#include "platform/report/Errors.h"
#include "platform/vb/Error.h"

#include <QProcess>
#include <QStandardPaths>

namespace report {

namespace {

[[noreturn]] void Raise(const QString& description)
{
    throw vb::Error(ErrMail, description.toStdString(), ErrorSource);
}

} // namespace

void CheckAddress(const QString& address)
{
    const bool blanks = std::any_of(address.begin(), address.end(), [](QChar c) {
        return c.isSpace() || c.category() == QChar::Other_Control;
    });
    const qsizetype at = address.indexOf('@');
    if (address.isEmpty() || address.startsWith('-') || blanks || address.count('@') != 1 ||
        at == 0 || at == address.size() - 1)
        Raise("Adresse E-mail non valide : " + address);
}

void SendMail(const QString& file, const QString& subject, const QString& address)
{
    CheckAddress(address);
    const QString program = QStandardPaths::findExecutable("xdg-email");
    if (program.isEmpty())
        Raise("Aucun logiciel de messagerie n'est installé (xdg-email introuvable).");
    QProcess process;
    process.start(program, {"--subject", subject, "--attach", file, address});
    if (!process.waitForStarted(10000))
        Raise("Le logiciel de messagerie ne démarre pas.");
    process.waitForFinished(60000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        Raise("Le logiciel de messagerie n'a pas pu ouvrir le message (code " +
              QString::number(process.exitCode()) + ").");
}

} // namespace report
