#include "harnix/catalogue/CatalogueFournisseur.h"

#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/jet/Jet.h"
#include "platform/jet/JetCopie.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/win/Codepage.h"
#include "platform/win/FileSearch.h"

#include <filesystem>
#include <optional>
#include <sys/stat.h>
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

// What a copy records of the supplier's file it was made from: its size and times, so that any
// other delivery, even one dated earlier, is copied again.
constexpr const char* TableSource = "SourceCatalogue";

std::optional<std::string> Empreinte(const std::string& fichier)
{
    struct stat etat
    {
    };
    if (stat(fichier.c_str(), &etat) != 0)
        return std::nullopt;
    const auto ns = [](const timespec& t) {
        return std::to_string(t.tv_sec) + "." + std::to_string(t.tv_nsec);
    };
    return std::to_string(etat.st_size) + " " + ns(etat.st_mtim) + " " + ns(etat.st_ctim);
}

// The record of the copy; empty for a copy that has none (made before copies kept one).
std::string EmpreinteCopiee(const std::string& copie)
{
    try {
        ado::Connection cn;
        cn.Open(ChaineConnexion(copie));
        if (Definition(cn, TableSource).empty())
            return {};
        ado::Recordset rs;
        rs.Open(TableSource, cn, ado::adOpenDynamic, ado::adLockReadOnly);
        return rs.Eof() ? std::string() : vb::CStr(rs["Empreinte"].Value());
    } catch (const vb::Error&) {
        return {};
    }
}

void NoterEmpreinte(const std::string& nouvelle, const std::string& empreinte)
{
    ado::Connection cn;
    cn.Open(ChaineConnexion(nouvelle));
    cn.Execute(std::string("CREATE TABLE ") + TableSource + " (Empreinte TEXT(100))");
    ado::Recordset rs;
    rs.Open(TableSource, cn, ado::adOpenDynamic, ado::adLockOptimistic);
    rs.AddNew();
    rs["Empreinte"] = empreinte;
    rs.Update();
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
    const std::optional<std::string> empreinte = Empreinte(*catalogue);
    if (empreinte && fs::exists(copie) && EmpreinteCopiee(copie) == *empreinte)
        return copie;
    const std::string nouvelle = copie + ".nouvelle";
    // Read by a process of its own: a damaged delivery only fails the copy.
    jet::CopyApart(*catalogue, nouvelle);
    try {
        if (fs::exists(copie))
            GarderTableDeTravail(copie, nouvelle);
        if (empreinte)
            NoterEmpreinte(nouvelle, *empreinte);
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
