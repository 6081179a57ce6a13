#include "harnix/shell/FinSurSignal.h"

#include "harnix/shell/FrmPrincipal.h"
#include "platform/forms/ErrorBoundary.h"
#include "platform/forms/Registry.h"
#include "platform/win/End.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace Global {
namespace {

int tube[2] = {-1, -1};

void NoterSignal(int signal)
{
    const int sauve = errno;
    const auto octet = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t ecrit = write(tube[1], &octet, 1);
    errno = sauve;
}

void Terminer()
{
    forms::RunEventProcedure([] {
        if (forms::IsLoaded<FrmPrincipal>())
            forms::form<FrmPrincipal>().Unload();
        win::End();
    });
}

} // namespace

void TerminerSurSignal()
{
    if (tube[0] >= 0 || pipe2(tube, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* lecteur = new QSocketNotifier(tube[0], QSocketNotifier::Read);
    QObject::connect(lecteur, &QSocketNotifier::activated, lecteur, [] {
        unsigned char octet = 0;
        if (read(tube[0], &octet, 1) == 1)
            Terminer();
    });
    struct sigaction action = {};
    action.sa_handler = NoterSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        sigaction(signal, &action, nullptr);
}

} // namespace Global
