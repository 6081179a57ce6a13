#pragma once
// Paths and files, the settings-file readers, a timed wait, and the program's error report.
// Paths use "/" and accept "\" as well.

#include "platform/vb/Error.h"

#include <cstdint>
#include <string>

namespace FnTundrel {

// The part after the last ":", "\" or "/"; the whole path when it holds none; empty when the
// path ends with one of them.
std::string NomFichier(const std::string& chemin);
// The path with a separator appended unless it ends with one ("" becomes "/").
std::string AjouterAntiSlash(const std::string& chemin);
// Whether the folder holds a plain file of that name, compared without regard to case. A name
// holding a folder or a wildcard is never found; any error gives false.
bool FichierExiste(const std::string& dossier, const std::string& nom);
// Whether a file can be made in the folder (one of a unique name is made and removed again).
bool RepertoireAccessible(const std::string& dossier);
// The program folder, trimmed, with a trailing separator.
std::string RepertoireProgramme();
// Lets the windows run their pending events until the seconds have passed on the program's clock.
void Attendre(double secondes);

// The trimmed value of the key, or the default when the file or the key is missing. On an error,
// a message box titled "LireIniString" with TexteErreur, then "".
std::string LireIniString(const std::string& fichier, const std::string& section,
                          const std::string& cle, const std::string& defaut);
// The whole number of the key, or the default when missing. A value outside a 16-bit integer is
// an overflow: a message box titled "LireIniInteger" with TexteErreur, then 0.
int16_t LireIniInteger(const std::string& fichier, const std::string& section,
                       const std::string& cle, int16_t defaut);
// Writes the value of the key, replacing the key's line, adding it at the end of its section, or
// adding the section at the end of the file; the file is made when missing. On an error, a
// message box titled "EcrireIniString" with TexteErreur.
void EcrireIniString(const std::string& fichier, const std::string& section, const std::string& cle,
                     const std::string& valeur);
// "Erreur N°:", the number, the description and "Appuyez sur (A) pour continuer", one a line.
std::string TexteErreur(const vb::Error& erreur);

// Logs the error and shows the context with "N°: number description" in a box titled with the
// program's name.
void AfficherErreur(const std::string& contexte, const vb::Error& erreur);
// Adds a row to table Erreurs of MAINTEN.MDB when the program folder holds that file. Every
// failing step is skipped; nothing is reported.
void LogErreur(const std::string& contexte, const std::string& message);
// The log of an error that no handler caught, before the program ends: the start-up installs it
// as the error log of the windows' boundary.
void LogErreurNonTraitee(int32_t numero, const std::string& description);

} // namespace FnTundrel
