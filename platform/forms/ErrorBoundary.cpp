#include "platform/forms/ErrorBoundary.h"

#include "platform/forms/Dialogs.h"
#include "platform/win/End.h"
#include "platform/win/ErrorLog.h"

#include <new>

namespace forms {

namespace {

bool reporting = false;

// Marks the report in progress; a test's end handler leaves the report by throwing.
struct Reporting
{
    Reporting() { reporting = true; }
    ~Reporting() { reporting = false; }
    Reporting(const Reporting&) = delete;
    Reporting& operator=(const Reporting&) = delete;
};

} // namespace

QString UntrappedErrorText(const vb::Error& error)
{
    QString number = QString::number(error.Number());
    if (error.Number() < 0)
        number += QStringLiteral(" (%1)").arg(static_cast<uint32_t>(error.Number()), 8, 16,
                                              QLatin1Char('0'));
    return QStringLiteral("Erreur d'exécution '%1':\r\n\r\n%2")
        .arg(number.toUpper(), QString::fromStdString(error.Description()));
}

void UntrappedError(const vb::Error& error)
{
    // A second error while the first one's box waits (a timer's, say) is only logged: the first
    // report ends the program.
    win::LogError(error.Number(), error.Description());
    if (reporting)
        return;
    const Reporting report;
    MsgBox(UntrappedErrorText(error), vbOKOnly + vbCritical);
    win::End(UntrappedErrorExitCode);
}

void ReportCurrentException()
{
    try {
        throw;
    } catch (const win::EndCalled&) {
        throw;
    } catch (const vb::Error& error) {
        UntrappedError(error);
    } catch (const std::bad_alloc&) {
        UntrappedError(vb::Error(vb::ErrOutOfMemory, vb::ErrorDescription(vb::ErrOutOfMemory)));
    } catch (const std::exception& exception) {
        UntrappedError(vb::Error(vb::ErrInternal, vb::ErrorDescription(vb::ErrInternal) + " (" +
                                                      exception.what() + ")"));
    }
}

} // namespace forms
