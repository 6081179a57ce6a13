#include "harnix/commun/FnTundrel.h"

#include "harnix/commun/Global.h"
#include "harnix/commun/Version.h"
#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"
#include "platform/win/Clock.h"
#include "platform/win/Codepage.h"
#include "platform/win/FileSearch.h"
#include "platform/win/Profile.h"

#include <cstdlib>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string_view>
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

std::string_view SansBlancs(std::string_view texte)
{
    const auto debut = texte.find_first_not_of(" \t");
    if (debut == std::string_view::npos)
        return {};
    return texte.substr(debut, texte.find_last_not_of(" \t") - debut + 1);
}

// The section name of a "[name]" line, or nothing.
std::optional<std::string_view> Section(std::string_view ligne)
{
    ligne = SansBlancs(ligne);
    if (ligne.size() < 2 || ligne.front() != '[' || ligne.back() != ']')
        return std::nullopt;
    return SansBlancs(ligne.substr(1, ligne.size() - 2));
}

// The key of a "key=value" line, or nothing.
std::optional<std::string_view> Cle(std::string_view ligne)
{
    const auto egal = ligne.find('=');
    if (egal == std::string_view::npos || Section(ligne))
        return std::nullopt;
    return SansBlancs(ligne.substr(0, egal));
}

// The profile file's lines (without their ends; UTF-8), and whether they end with CR LF.
std::vector<std::string> LireLignes(const std::string& chemin, bool& crlf)
{
    std::vector<std::string> lignes;
    crlf = true;
    std::ifstream in(chemin, std::ios::binary);
    if (!in)
        return lignes;
    std::ostringstream octets;
    octets << in.rdbuf();
    std::string texte = std::move(octets).str();
    if (!win::IsValidUtf8(texte))
        texte = win::Cp1252ToUtf8(texte);
    crlf = texte.empty() || texte.find("\r\n") != std::string::npos;
    std::istringstream flot(texte);
    for (std::string ligne; std::getline(flot, ligne);) {
        if (!ligne.empty() && ligne.back() == '\r')
            ligne.pop_back();
        lignes.push_back(std::move(ligne));
    }
    return lignes;
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

void EcrireIniString(const std::string& fichier, const std::string& section, const std::string& cle,
                     const std::string& valeur)
{
    try {
        const std::string chemin =
            win::ResolvePathIgnoringCase(fichier).value_or(win::NormalizePath(fichier));
        bool crlf = true;
        std::vector<std::string> lignes = LireLignes(chemin, crlf);
        const std::string nouvelle = cle + "=" + valeur;

        // The section's first line, and the line after its last key.
        auto debut = lignes.end();
        for (auto it = lignes.begin(); it != lignes.end(); ++it) {
            const auto nom = Section(*it);
            if (nom && win::EqualsIgnoringCase(*nom, section)) {
                debut = it;
                break;
            }
        }
        if (debut == lignes.end()) {
            if (!lignes.empty() && !SansBlancs(lignes.back()).empty())
                lignes.emplace_back();
            lignes.push_back("[" + section + "]");
            lignes.push_back(nouvelle);
        } else {
            auto fin = debut + 1;
            auto apres = fin;
            bool remplace = false;
            for (; fin != lignes.end() && !Section(*fin); ++fin) {
                const auto nom = Cle(*fin);
                if (nom && win::EqualsIgnoringCase(*nom, cle)) {
                    *fin = std::string(*nom) + "=" + valeur;
                    remplace = true;
                    break;
                }
                if (!SansBlancs(*fin).empty())
                    apres = fin + 1;
            }
            if (!remplace)
                lignes.insert(apres, nouvelle);
        }

        std::ofstream out(chemin, std::ios::binary | std::ios::trunc);
        for (const std::string& ligne : lignes)
            out << ligne << (crlf ? "\r\n" : "\n");
        out.close();
        if (!out)
            vb::Raise(vb::ErrPathFileAccess);
    } catch (const vb::Error& erreur) {
        forms::MsgBox(Q(TexteErreur(erreur)), forms::vbOKOnly, "EcrireIniString");
    }
}

std::string TexteErreur(const vb::Error& erreur)
{
    return "Erreur N°:\r" + std::to_string(erreur.Number()) + "\r" + erreur.Description() +
           "\rAppuyez sur (A) pour continuer";
}

namespace {

std::string MessageErreur(int32_t numero, const std::string& description)
{
    return "N°: " + std::to_string(numero) + " " + description;
}

} // namespace

void AfficherErreur(const std::string& contexte, const vb::Error& erreur)
{
    const std::string message = MessageErreur(erreur.Number(), erreur.Description());
    LogErreur(contexte, message);
    forms::MsgBox(Q(contexte + "\r\n" + message), forms::vbOKOnly, Version::ProductName);
}

void LogErreurNonTraitee(int32_t numero, const std::string& description)
{
    LogErreur("Erreur d'exécution", MessageErreur(numero, description));
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
