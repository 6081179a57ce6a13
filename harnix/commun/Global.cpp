// The settings that every window reads, and the folder they come from.

#include "harnix/commun/Global.h"

#include "harnix/commun/Crypte.h"
#include "harnix/commun/FnTundrel.h"
#include "platform/vb/Strings.h"
#include "platform/win/Locale.h"
#include "platform/win/WindowCaptions.h"

#include <QCoreApplication>

namespace Global {

namespace {

// The longest caption part that the single-instance test reads.
constexpr long LongueurTitre = 119;

std::string& DossierChoisi()
{
    static std::string dossier;
    return dossier;
}

} // namespace

std::string ProgramFolder()
{
    return DossierChoisi().empty() ? QCoreApplication::applicationDirPath().toStdString()
                                   : DossierChoisi();
}

void SetProgramFolder(const std::string& folder)
{
    DossierChoisi() = folder;
}

long TrouverFenetre(const std::string& texte)
{
    long trouve = 0;
    const std::vector<std::string> titres = win::TopLevelWindowCaptions();
    for (size_t i = 0; i < titres.size(); ++i) {
        if (vb::InStr(vb::Left(titres[i], LongueurTitre), texte, vb::vbTextCompare) > 0)
            trouve = static_cast<long>(i + 1);
    }
    return trouve;
}

void LireParametres()
{
    using FnTundrel::LireIniInteger;
    using FnTundrel::LireIniString;
    const std::string dossier = ProgramFolder();
    SeparateurDecimal = win::DecimalSeparator();
    CheminIni = dossier + "/automat.ini";
    CheminImages = dossier + "/image";
    NomBase = LireIniString(CheminIni, SectionBase, "Nom", "ZAD");
    NomServeur = LireIniString(CheminIni, SectionBase, "Serveur", ServeurParDefaut);
    TypeLecteur = std::to_string(LireIniInteger(CheminIni, "Badge", "TypeLecteurBadge", 1));
    PremierNumeroBadge = LireIniString(CheminIni, "Badge", "PremierNumero", "1000");
    PortBadge = LireIniInteger(CheminIni, "PortCom", "PortLecteurBadge", 1);
    FamilleChaussures = LireIniInteger(CheminIni, "Badge", "Chaussures", 3);
    FamilleGants = LireIniInteger(CheminIni, "Badge", "Gants", 1);
    const std::string p = LireIniString(CheminIni, SectionBase, "P", "");
    if (p == "")
        MotPasseBase = vb::Left(Crypte::Decrypter(Crypte::MotPasseCrypte()), 5);
    else
        MotPasseBase = "qz";
    ChaineConnexion = std::string("Provider=") + "Microsoft.Jet.OLEDB.4.0" + ";" +
                      "Data Source=" + dossier + "/zad.MDB" +
                      ";Jet OLEDB:Database Password=" + MotPasseBase;
}

} // namespace Global
