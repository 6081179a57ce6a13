#include "harnix/catalogue/CatalogueFournisseur.h"

#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/jet/Jet.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/win/Codepage.h"
#include "platform/win/FileSearch.h"

#include <filesystem>
#include <vector>

namespace CatalogueFournisseur {

namespace {

namespace fs = std::filesystem;

// The file and the journal files a database leaves beside it.
void Effacer(const std::string& fichier, bool journauxSeuls = false)
{
    std::error_code ignore;
    for (const char* suffixe : {"", "-wal", "-shm", "-journal"})
        if (!journauxSeuls || *suffixe)
            fs::remove(fichier + suffixe, ignore);
}

// The statement that made the table; empty when the file has no such table.
std::string Definition(const ado::Connection& cn, const std::string& table)
{
    ado::Recordset rs;
    rs.Open("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = '" + table + "'", cn,
            ado::adOpenDynamic, ado::adLockReadOnly);
    return rs.Eof() ? std::string() : vb::CStr(rs["sql"].Value());
}

// The prepared rows of the former copy replace those of the supplier's file, column by column
// where both tables have the column; the table is made when the supplier's file has none.
void GarderTableDeTravail(const std::string& ancienne, const std::string& nouvelle)
{
    ado::Connection source;
    source.Open(ChaineConnexion(ancienne));
    const std::string definition = Definition(source, TableDeTravail);
    if (definition.empty())
        return;
    ado::Connection cible;
    cible.Open(ChaineConnexion(nouvelle));
    cible.BeginTrans();
    if (Definition(cible, TableDeTravail).empty())
        cible.Execute(definition);
    else
        cible.Execute(std::string("DELETE FROM ") + TableDeTravail);
    ado::Recordset lignes;
    lignes.Open(TableDeTravail, source, ado::adOpenDynamic, ado::adLockReadOnly);
    ado::Recordset copie;
    copie.Open(TableDeTravail, cible, ado::adOpenDynamic, ado::adLockOptimistic);
    // The columns of both tables; the others stay empty.
    std::vector<std::string> communes;
    for (long i = 0; i < copie.Fields().Count(); ++i) {
        const std::string nom = copie.Fields(i).Name();
        for (long j = 0; j < lignes.Fields().Count(); ++j)
            if (win::EqualsIgnoringCase(lignes.Fields(j).Name(), nom))
                communes.push_back(nom);
    }
    for (; !lignes.Eof(); lignes.MoveNext()) {
        copie.AddNew();
        for (const std::string& nom : communes)
            copie[nom] = lignes[nom].Value();
        copie.Update();
    }
    cible.CommitTrans();
}

} // namespace

std::string ChaineConnexion(const std::string& fichier)
{
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + fichier +
           ";Jet OLEDB:Database Password=";
}

std::string FichierDeTravail(const std::string& dossier)
{
    const auto catalogue = win::FindFileIgnoringCase(dossier, NomCatalogue);
    if (!catalogue)
        throw vb::Error(vb::ErrUnspecified,
                        std::string("Could not find file '") + NomCatalogue + "'.");
    if (!jet::IsJetFile(*catalogue))
        return *catalogue;
    const std::string copie = (fs::path(dossier) / NomCopie).string();
    if (fs::exists(copie) && fs::last_write_time(copie) >= fs::last_write_time(*catalogue))
        return copie;
    const std::string nouvelle = copie + ".nouvelle";
    Effacer(nouvelle);
    jet::CopyToDatabase(*catalogue, nouvelle);
    try {
        if (fs::exists(copie))
            GarderTableDeTravail(copie, nouvelle);
        // The new copy takes the former one's place at once.
        Effacer(copie, true);
        fs::rename(nouvelle, copie);
    } catch (const vb::Error&) {
        Effacer(nouvelle);
        throw;
    } catch (const fs::filesystem_error& erreur) {
        Effacer(nouvelle);
        throw vb::Error(vb::ErrUnspecified, erreur.what());
    }
    return copie;
}

} // namespace CatalogueFournisseur
