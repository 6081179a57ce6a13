#include "platform/jet/Jet.h"

#include "platform/ado/Catalogue.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Currency.h"
#include "platform/vb/Date.h"
#include "platform/vb/Error.h"

// mdbtools declares glib inside its extern "C" block: glib comes first, on its own.
#include <glib.h>
#include <mdbtools.h>

#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace jet {

namespace {

// Memo texts longer than this are cut: the catalogue's texts are far shorter.
constexpr size_t BindSize = 256 * 1024;

[[noreturn]] void Fail(const std::string& description)
{
    throw vb::Error(vb::ErrUnspecified, description, "jet");
}

struct Fermeture
{
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

MdbColumn* Colonne(MdbTableDef* table, unsigned int index)
{
    return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, index));
}

// The column's type in the dialect the database files of this system are written in.
std::string Type(const MdbHandle* mdb, const MdbColumn* col, bool& compteur)
{
    switch (col->col_type) {
    case MDB_BOOL:
        return "YESNO";
    case MDB_BYTE:
        return "BYTE";
    case MDB_INT:
        return "SHORT";
    case MDB_LONGINT:
    case MDB_COMPLEX:
        // One autonumber per table: it stays the table's key.
        if (col->is_long_auto && !compteur) {
            compteur = true;
            return "COUNTER PRIMARY KEY";
        }
        return "LONG";
    case MDB_MONEY:
        return "CURRENCY";
    case MDB_FLOAT:
        return "SINGLE";
    case MDB_DOUBLE:
    case MDB_NUMERIC:
        return "DOUBLE";
    case MDB_DATETIME:
        return "DATETIME";
    case MDB_TEXT:
        // Jet 4 keeps texts in UCS-2: the size is in bytes.
        return "TEXT(" +
               std::to_string(mdb->f->jet_version == MDB_VER_JET3 ? col->col_size
                                                                  : col->col_size / 2) +
               ")";
    case MDB_MEMO:
        return "MEMO";
    case MDB_REPID:
        return "TEXT(38)";
    default:
        return "LONGBINARY";
    }
}

template <class T> T Brut(const MdbHandle* mdb, const MdbColumn* col)
{
    T valeur;
    std::memcpy(&valeur, mdb->pg_buf + col->cur_value_start, sizeof valeur);
    return valeur;
}

// A value of the current row. Numbers, amounts and dates are read from the row itself, whatever
// the locale; texts as mdbtools turns them into UTF-8.
vb::Variant Valeur(const MdbHandle* mdb, const MdbColumn* col, const std::vector<char>& texte,
                   int longueur)
{
    const std::string_view lu(texte.data(), static_cast<size_t>(longueur));
    if (col->col_type == MDB_BOOL)
        return vb::Variant(lu == "1");
    if (longueur == 0)
        return vb::Variant::Null();
    switch (col->col_type) {
    case MDB_BYTE:
        return vb::Variant(static_cast<int16_t>(Brut<uint8_t>(mdb, col)));
    case MDB_INT:
        return vb::Variant(Brut<int16_t>(mdb, col));
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return vb::Variant(Brut<int32_t>(mdb, col));
    case MDB_MONEY:
        return vb::Variant(vb::Currency::FromScaled(Brut<int64_t>(mdb, col)));
    case MDB_FLOAT:
        return vb::Variant(Brut<float>(mdb, col));
    case MDB_DOUBLE:
        return vb::Variant(Brut<double>(mdb, col));
    case MDB_NUMERIC: {
        double d = 0;
        std::from_chars(lu.data(), lu.data() + lu.size(), d);
        return vb::Variant(d);
    }
    case MDB_DATETIME:
        return vb::Variant(vb::Date{Brut<double>(mdb, col)});
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
        return vb::Variant(std::string(lu));
    default:
        return vb::Variant::Null();
    }
}

std::string Nom(const char* nom)
{
    return std::string("[") + nom + "]";
}

void CopierTable(MdbHandle* mdb, MdbCatalogEntry* entree, ado::Connection& cible)
{
    std::unique_ptr<MdbTableDef, Fermeture> table(mdb_read_table(entree));
    if (!table || !mdb_read_columns(table.get()))
        Fail(std::string("Cannot read the table '") + entree->object_name + "'.");
    const unsigned int nombre = table->num_cols;
    std::string creation = "CREATE TABLE " + Nom(entree->object_name) + " (";
    bool compteur = false;
    for (unsigned int i = 0; i < nombre; ++i) {
        const MdbColumn* col = Colonne(table.get(), i);
        creation += (i ? ", " : "") + Nom(col->name) + " " + Type(mdb, col, compteur);
    }
    cible.Execute(creation + ")");

    std::vector<std::vector<char>> textes(nombre, std::vector<char>(BindSize + 1));
    std::vector<int> longueurs(nombre);
    for (unsigned int i = 0; i < nombre; ++i)
        mdb_bind_column(table.get(), static_cast<int>(i + 1), textes[i].data(), &longueurs[i]);
    ado::Recordset lignes;
    lignes.Open("SELECT * FROM " + Nom(entree->object_name), cible, ado::adOpenDynamic,
                ado::adLockOptimistic);
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        lignes.AddNew();
        for (unsigned int i = 0; i < nombre; ++i) {
            const MdbColumn* col = Colonne(table.get(), i);
            lignes[col->name] = Valeur(mdb, col, textes[i], longueurs[i]);
        }
        lignes.Update();
    }
    lignes.Close();
}

} // namespace

bool IsJetFile(const std::string& path)
{
    std::ifstream fichier(path, std::ios::binary);
    char entete[19] = {};
    if (!fichier.read(entete, sizeof entete))
        return false;
    const std::string_view moteur(entete + 4, 15);
    return moteur == "Standard Jet DB" || moteur == "Standard ACE DB";
}

void CopyToDatabase(const std::string& jetPath, const std::string& target)
{
    std::unique_ptr<MdbHandle, Fermeture> mdb(mdb_open(jetPath.c_str(), MDB_NOFLAGS));
    if (!mdb || !mdb_read_catalog(mdb.get(), MDB_TABLE))
        Fail("Cannot read the Access file '" + jetPath + "'.");
    mdb_set_bind_size(mdb.get(), BindSize);
    mdb_set_boolean_fmt_numbers(mdb.get());

    ado::CreateDatabaseFile(target, {});
    ado::Connection cible;
    try {
        cible.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + target +
                   ";Jet OLEDB:Database Password=");
        cible.BeginTrans();
        for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
            auto* entree = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (entree->object_type == MDB_TABLE && mdb_is_user_table(entree))
                CopierTable(mdb.get(), entree, cible);
        }
        cible.CommitTrans();
        cible.Close();
    } catch (const vb::Error& erreur) {
        if (cible.State() == ado::adStateOpen)
            cible.Close();
        std::error_code ignore;
        for (const char* suffixe : {"", "-wal", "-shm", "-journal"})
            std::filesystem::remove(target + suffixe, ignore);
        Fail("Cannot copy the Access file '" + jetPath + "': " + erreur.Description());
    }
}

} // namespace jet
