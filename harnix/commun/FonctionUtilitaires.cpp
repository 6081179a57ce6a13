#include "harnix/commun/FonctionUtilitaires.h"

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/Global.h"
#include "platform/dmo/Dmo.h"
#include "platform/forms/Center.h"
#include "platform/vb/Convert.h"

namespace FonctionUtilitaires {

namespace {

constexpr const char* LoginServeur = "qz";

// Connects as the settings say: with the password when the login flag is 1, else without.
void Connecter(dmo::SQLServer& serveur)
{
    if (FnTundrel::LireIniInteger(Global::CheminIni, Global::SectionBase, Global::CleLoginQz, 1) ==
        1)
        serveur.Connect(Global::NomServeur, LoginServeur, Global::MotPasseBase);
    else
        serveur.Connect(Global::NomServeur, LoginServeur);
}

} // namespace

std::string ConvertNullStr(const vb::Variant& valeur)
{
    try {
        if (valeur.IsNull())
            return {};
        return vb::CStr(valeur);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("ConvertNullStr", erreur);
        return {};
    }
}

double ConvertNullNum(const vb::Variant& valeur)
{
    if (valeur.IsNull())
        return 0;
    if (valeur.Type() == vb::VarType::String && valeur.StringValue().empty())
        return 0;
    return vb::CDbl(valeur);
}

void CentrerFenetre(forms::Form& fenetre)
{
    forms::CenterForm(fenetre);
}

void CentrerPanneau(QWidget& panneau)
{
    forms::CenterPanel(panneau);
}

void VerifierStoredProcedure(const std::string& nom, const std::string& sql)
{
    try {
        dmo::SQLServer serveur(Global::ProgramFolder());
        Connecter(serveur);
        dmo::StoredProcedures procedures = serveur.Databases(Global::NomBase).StoredProcedures();
        const long nombre = procedures.Count();
        for (long i = 1; i <= nombre; ++i) {
            if (procedures.Item(i).Name == nom) {
                serveur.DisConnect();
                return;
            }
        }
        procedures.Add({nom, sql});
        serveur.DisConnect();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("VerifierStoredProcedure", erreur);
    }
}

void EffacerStoredProcedure(const std::string& nom)
{
    try {
        dmo::SQLServer serveur(Global::ProgramFolder());
        Connecter(serveur);
        serveur.Databases(Global::NomBase).StoredProcedures().Remove(nom);
        serveur.DisConnect();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("EffacerStoredProcedure", erreur);
    }
}

} // namespace FonctionUtilitaires
