#include "harnix/shell/FnTundrel.h"

#include "harnix/shell/Global.h"
#include "harnix/shell/Version.h"
#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"
#include "platform/win/Clock.h"
#include "platform/win/FileSearch.h"
#include "platform/win/Profile.h"

#include <cstdlib>
#include <unistd.h>

#include <chrono>
#include <limits>
#include <vector>

namespace FnTundrel {

namespace {

// The folder of the error log, taken on the first report and kept for the run.
std::string dossierLog;

bool IsSeparator(char c)
{
    return c == ':' || c == '\\' || c == '/';
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

std::string NomFichier(const std::string& chemin)
{
    for (size_t i = chemin.size(); i > 0; --i) {
        if (IsSeparator(chemin[i - 1]))
            return chemin.substr(i);
    }
    return chemin;
}

std::string AjouterAntiSlash(const std::string& chemin)
{
    if (!chemin.empty() && (chemin.back() == '/' || chemin.back() == '\\'))
        return chemin;
    return chemin + "/";
}

bool FichierExiste(const std::string& dossier, const std::string& nom)
{
    try {
        return win::FindFileIgnoringCase(win::NormalizePath(AjouterAntiSlash(dossier)), nom)
            .has_value();
    } catch (...) {
        return false;
    }
}

bool RepertoireAccessible(const std::string& dossier)
{
    std::string modele = win::NormalizePath(AjouterAntiSlash(dossier)) + "test.XXXXXX.tst";
    std::vector<char> chemin(modele.begin(), modele.end());
    chemin.push_back('\0');
    const int fd = mkstemps(chemin.data(), 4);
    if (fd < 0)
        return false;
    const bool ferme = close(fd) == 0;
    const bool efface = unlink(chemin.data()) == 0;
    return ferme && efface;
}

std::string RepertoireProgramme()
{
    return AjouterAntiSlash(vb::Trim(Global::ProgramFolder()));
}

void Attendre(double secondes)
{
    using namespace std::chrono;
    const auto debut = win::Clock::Now();
    const auto duree = duration_cast<system_clock::duration>(duration<double>(secondes));
    while (true) {
        forms::DoEvents();
        if (win::Clock::Now() - debut >= duree)
            return;
        // A short pause between two looks at the clock keeps the wait from spinning.
        win::Sleep(10ms);
    }
}

std::string LireIniString(const std::string& fichier, const std::string& section,
                          const std::string& cle, const std::string& defaut)
{
    try {
        return vb::Trim(win::GetPrivateProfileString(section, cle, defaut, fichier));
    } catch (const vb::Error& erreur) {
        forms::MsgBox(Q(TexteErreur(erreur)), forms::vbOKOnly, "LireIniString");
        return {};
    }
}

int16_t LireIniInteger(const std::string& fichier, const std::string& section,
                       const std::string& cle, int16_t defaut)
{
    try {
        const int valeur = win::GetPrivateProfileInt(section, cle, defaut, fichier);
        if (valeur < std::numeric_limits<int16_t>::min() ||
            valeur > std::numeric_limits<int16_t>::max())
            vb::Raise(vb::ErrOverflow);
        return static_cast<int16_t>(valeur);
    } catch (const vb::Error& erreur) {
        forms::MsgBox(Q(TexteErreur(erreur)), forms::vbOKOnly, "LireIniInteger");
        return 0;
    }
}

std::string TexteErreur(const vb::Error& erreur)
{
    return "Erreur N°:\r" + std::to_string(erreur.Number()) + "\r" + erreur.Description() +
           "\rAppuyez sur (A) pour continuer";
}

void AfficherErreur(const std::string& contexte, const vb::Error& erreur)
{
    const std::string message =
        "N°: " + std::to_string(erreur.Number()) + " " + erreur.Description();
    LogErreur(contexte, message);
    forms::MsgBox(Q(contexte + "\r\n" + message), forms::vbOKOnly, Version::ProductName);
}

void LogErreur(const std::string& contexte, const std::string& message)
{
    if (dossierLog.empty())
        dossierLog = RepertoireProgramme();
    if (!FichierExiste(dossierLog, "MAINTEN.MDB"))
        return;
    ado::Connection cn;
    ado::Command cmd;
    ado::Recordset rs;
    vb::ResumeNext span;
    span.Run(
        [&] {
            cn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dossierLog +
                    "MAINTEN.MDB;Jet OLEDB:Database Password=");
        },
        [&] { cmd.SetActiveConnection(cn); }, [&] { cmd.SetCommandText("Erreurs"); },
        [&] { rs.SetCursorLocation(ado::adUseClient); },
        [&] { rs.SetCursorType(ado::adOpenDynamic); },
        [&] { rs.SetLockType(ado::adLockPessimistic); }, [&] { rs.Open(cmd); },
        [&] { rs.AddNew(); }, [&] { rs["DateErreur"] = vb::Now(); },
        [&] { rs["Contexte"] = contexte; }, [&] { rs["Erreur"] = message; }, [&] { rs.Update(); },
        [&] { rs.Close(); }, [&] { cmd.ReleaseConnection(); }, [&] { cn.Close(); });
}

} // namespace FnTundrel
