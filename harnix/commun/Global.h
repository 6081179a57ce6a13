#pragma once
// The start-up of the program and the settings it reads for every window.

#include "platform/vb/Date.h"

#include <cstdint>
#include <string>

namespace Global {

// Read once by Main (CheminRapports by the main window's load); the others as their comment says.
inline std::string SeparateurDecimal;
inline std::string CheminIni;
inline std::string CheminImages; // no trailing separator
inline std::string NomBase;      // database on the database server
inline std::string NomServeur;   // "machine\instance"
inline std::string TypeLecteur;  // badge reader type, as decimal text
inline std::string PremierNumeroBadge;
inline int16_t PortBadge = 0;
inline int16_t FamilleChaussures = 0;
inline int16_t FamilleGants = 0;
inline std::string MotPasseBase;
inline std::string ChaineConnexion;
inline std::string CheminRapports; // ends with a separator
// Written by the period picker.
inline vb::Date PeriodeDebut;
inline vb::Date PeriodeFin;
// Last e-mail address typed in the report viewer; saved by the main window on exit.
inline std::string AdresseEmail;
// Written by the article window before it opens the scanner window.
inline std::string CheminImageScannee;
// Set by the machine-configuration and profiles windows while they take a picked article.
inline bool ConfigMachineOuverte = false;
inline bool FenQuotaOuverte = false;

// Section and keys of automat.ini.
inline constexpr const char* SectionBase = "Base de donnée";
// Whether the server login sends the password (1) or not.
inline constexpr const char* CleLoginQz = "qz";
// Server reached when automat.ini names none: this machine's.
inline constexpr const char* ServeurParDefaut = "localhost\\HARNIX";

// The folder of the running program, without a trailing separator.
std::string ProgramFolder();
// Makes another folder the program folder (tests run in a folder of their own).
void SetProgramFolder(const std::string& folder);

// Steps of Main that read the settings: the decimal separator, automat.ini, the password and the
// connection string.
void LireParametres();

// The top-level window whose caption holds the text (case ignored), the last one in the
// display's order: its position in that order from 1; 0 when none.
long TrouverFenetre(const std::string& texte);

} // namespace Global
