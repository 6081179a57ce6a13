#include "harnix/shell/GlobalMain.h"

#include "harnix/commun/Global.h"

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/Version.h"
#include "harnix/shell/FenLoading.h"
#include "harnix/shell/FinSurSignal.h"
#include "harnix/shell/FrmPrincipal.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/win/Clock.h"
#include "platform/win/End.h"
#include "platform/win/ErrorLog.h"
#include "platform/win/InstanceLock.h"
#include "platform/win/Process.h"

#include <chrono>
#include <cstdlib>

namespace Global {

namespace {

using namespace std::chrono_literals;

constexpr const char* CaptionLoading = "Loading ZAD";
constexpr const char* Lecteur = "slidora";
constexpr auto DureeVideo = 16s;

// Held for the whole run: a second copy started before any window of the first exists (during
// the introduction video) still finds the first one. One per display, as captions are.
win::InstanceLock& Marqueur()
{
    static win::InstanceLock lock;
    return lock;
}

std::string NomMarqueur()
{
    const char* display = std::getenv("DISPLAY");
    return std::string("harnix ") + CaptionLoading + (display ? std::string(" ") + display : "");
}

// Starts the player of the program folder; false when it cannot start (the error is reported).
bool DemarrerLecteur()
{
    const std::string dossier = ProgramFolder();
    if (win::StartProcess(dossier + "/" + Lecteur, {}, dossier))
        return true;
    FnTundrel::AfficherErreur("Main",
                              vb::Error(vb::ErrInvalidCall, "Impossible de démarrer le programme " +
                                                                dossier + "/" + Lecteur));
    return false;
}

} // namespace

void Main()
{
    forms::SetAppTitle(Version::ProductName);
    win::SetErrorLogWriter(FnTundrel::LogErreurNonTraitee);
    TerminerSurSignal();
    // A lock that cannot be made (no writable lock folder) does not stop the start: only a
    // running copy does.
    if (TrouverFenetre(CaptionLoading) != 0 ||
        Marqueur().Acquire(NomMarqueur()) == win::InstanceLock::Outcome::HeldByAnother)
        win::End();

    bool video = false;
    std::chrono::system_clock::time_point echeance;
    if (FnTundrel::FichierExiste(ProgramFolder(), "zad.wmv") && DemarrerLecteur()) {
        video = true;
        echeance = win::Clock::Now() + DureeVideo;
    } else {
        FenLoading& loading = forms::form<FenLoading>();
        loading.Show();
        loading.raise();
        FnTundrel::Attendre(0.1);
    }

    LireParametres();

    if (video) {
        while (win::Clock::Now() < echeance)
            FnTundrel::Attendre(0.05);
    }

    // Loaded before the pointer goes back to normal: its load sets the busy pointer.
    FenLoading& loading = forms::form<FenLoading>();
    forms::form<FrmPrincipal>().Show();
    forms::SetMousePointer(forms::MousePointer::Default);
    loading.Hide();
}

} // namespace Global
