#pragma once
// A fresh program folder for each test, and the small data set the statement
// and query tests run on.

#include "harnix/database/Databases.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "tests/platform/vb/ErrorOf.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace database::testing {

class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "harnixdb-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline ado::Connection Open(const std::string& path, std::string_view password)
{
    ado::Connection connection;
    connection.Open(ConnectionString(path, password));
    return connection;
}

using vb::testing::ErrorOf;

inline ado::Recordset OpenRecordset(ado::Connection& connection, std::string_view source)
{
    ado::Recordset rs;
    rs.SetCursorLocation(ado::adUseClient);
    rs.Open(source, connection, ado::adOpenDynamic, ado::adLockOptimistic);
    return rs;
}

// A value as text: "Null" for Null, numbers with "." whatever the settings say.
inline std::string Text(const vb::Variant& value)
{
    if (value.IsNull()) {
        return "Null";
    }
    if (value.Type() == vb::VarType::Currency) {
        return value.CurrencyValue().ToText();
    }
    if (value.Type() == vb::VarType::Double || value.Type() == vb::VarType::Single) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, vb::CDbl(value)).ptr;
        return std::string(buffer, end);
    }
    return vb::CStr(value);
}

// The values of one column of every row, in the recordset's order.
inline std::vector<std::string> Column(ado::Recordset& rs, std::string_view name)
{
    std::vector<std::string> values;
    if (rs.RecordCount() > 0) {
        rs.MoveFirst();
    }
    for (; !rs.Eof(); rs.MoveNext()) {
        values.push_back(Text(rs.Fields(name).Value()));
    }
    return values;
}

// The value of a column in the first row where another column holds a value.
inline std::string ValueWhere(ado::Recordset& rs, std::string_view keyColumn, std::string_view key,
                              std::string_view column)
{
    if (rs.RecordCount() > 0) {
        rs.MoveFirst();
    }
    for (; !rs.Eof(); rs.MoveNext()) {
        if (Text(rs.Fields(keyColumn).Value()) == key) {
            return Text(rs.Fields(column).Value());
        }
    }
    return "(no row)";
}

// A zad.MDB without demonstration data, holding:
// - families 1 GANTS, 3 CHAUSSURES, 4 LUNETTES; sizes 8 and 9 (gloves), 41 and 42
//   (shoes), T.U. (glasses) and XL without family;
// - articles 1000 (gloves, size 8, code 1), 1001 (shoes, size 42, code 2) and 1002,
//   a new article with only its number and creation date; codes 3 and 4 free;
// - machine 1 with two slots of 1000, an empty slot and a slot of 1001; machine 2 empty;
// - sites 1 LYON and 2 NANTES; services ATELIER and MAINTENANCE of site 1, ATELIER of
//   site 2, VOLANTE without site;
// - profiles 1 PRODUCTION (lines for 1000, 1001 and the missing article 9999) and
//   2 BUREAU (a line for 1002);
// - employees 1000 MARTIN (site 1, ATELIER, PRODUCTION, shoe 42, glove 8, machine 1),
//   1001 DURAND (site 1, MAINTENANCE, PRODUCTION) and 1002 DUPONT (nothing yet);
// - movements 1 (5/3/2024, MARTIN, one glove), 2 (20/3/2024, MARTIN, two gloves and
//   one pair of shoes) and 3 (2/4/2024 at midnight, DURAND, one pair of shoes).
class ZadFixture
{
public:
    ZadFixture() : path_(folder_.File("zad.MDB"))
    {
        CreateZad(path_, false);
        connection_ = Open(path_, ZadPassword());
        connection_.BeginTrans();
        for (const char* sql : Rows) {
            connection_.Execute(sql);
        }
        connection_.CommitTrans();
    }
    ado::Connection& Connection() { return connection_; }
    const std::string& Path() const { return path_; }
    const TempFolder& Folder() const { return folder_; }

private:
    static constexpr const char* Rows[] = {
        "INSERT INTO Familles (NoFamille, NomFamille) VALUES (1, 'GANTS')",
        "INSERT INTO Familles (NoFamille, NomFamille) VALUES (3, 'CHAUSSURES')",
        "INSERT INTO Familles (NoFamille, NomFamille) VALUES (4, 'LUNETTES')",
        "INSERT INTO Tailles (NoTaille, Taille, Ordre, NoFamille) VALUES (1, '8', 1, 1)",
        "INSERT INTO Tailles (NoTaille, Taille, Ordre, NoFamille) VALUES (2, '9', 2, 1)",
        "INSERT INTO Tailles (NoTaille, Taille, Ordre, NoFamille) VALUES (3, '42', 2, 3)",
        "INSERT INTO Tailles (NoTaille, Taille, Ordre, NoFamille) VALUES (4, '41', 1, 3)",
        "INSERT INTO Tailles (NoTaille, Taille, Ordre, NoFamille) VALUES (5, 'T.U.', 1, 4)",
        "INSERT INTO Tailles (NoTaille, Taille, Ordre) VALUES (6, 'XL', 1)",
        "INSERT INTO Fournisseur (Nauto, [No], CodeFournisseur, Societe, Ville) "
        "VALUES (1, 1, 'F1', 'GANTERIE DE L''EST', 'NANCY')",
        "INSERT INTO Fournisseur (Nauto, [No], CodeFournisseur, Societe, Ville) "
        "VALUES (2, 2, 'F2', 'CHAUSSEUR DU SUD', 'NICE')",
        "INSERT INTO ArticleEnStock (Reference, CodeArticle, CodeBar, Designation, Famille, "
        "Taille, NoFournisseur, RefFournisseur, PrixAchatUnit, QteParPaket, QteEnStock, "
        "StockAlert, DateCreation) VALUES (1000, 1, '111', 'GANTS T8', 1, 1, 1, 'G8', 1.5, 12, "
        "10, 5, '2024-01-10 00:00:00')",
        "INSERT INTO ArticleEnStock (Reference, CodeArticle, CodeBar, Designation, Famille, "
        "Taille, NoFournisseur, RefFournisseur, PrixAchatUnit, QteParPaket, QteEnStock, "
        "StockAlert, DateCreation) VALUES (1001, 2, '222', 'CHAUSSURES P42', 3, 3, 2, 'C42', 40, "
        "1, 3, 2, '2024-01-10 00:00:00')",
        "INSERT INTO ArticleEnStock (Reference, DateCreation) VALUES (1002, '2024-02-01 00:00:00')",
        "INSERT INTO CodeArticle (CodeArticle, Reference) VALUES (1, 1000)",
        "INSERT INTO CodeArticle (CodeArticle, Reference) VALUES (2, 1001)",
        "INSERT INTO CodeArticle (CodeArticle) VALUES (3)",
        "INSERT INTO CodeArticle (CodeArticle) VALUES (4)",
        "INSERT INTO Machines (NoMachine, Type, NbEmplacement, NbPorte, Location, Chargement) "
        "VALUES (1, 1, 36, 4, 'Atelier', 'ETAGE')",
        "INSERT INTO Machines (NoMachine, Type, NbEmplacement, NbPorte, Location) "
        "VALUES (2, 2, 90, 5, 'Magasin')",
        "INSERT INTO EmplacementsMachine1 (NoEmpl, Etage, Colonne, NoMachine, Reference) "
        "VALUES (1, 1, 1, 1, 1000)",
        "INSERT INTO EmplacementsMachine1 (NoEmpl, Etage, Colonne, NoMachine, Reference) "
        "VALUES (2, 1, 2, 1, 1000)",
        "INSERT INTO EmplacementsMachine1 (NoEmpl, Etage, Colonne, NoMachine) VALUES (3, 1, 3, 1)",
        "INSERT INTO EmplacementsMachine1 (NoEmpl, Etage, Colonne, NoMachine, Reference) "
        "VALUES (4, 2, 1, 1, 1001)",
        "INSERT INTO Sites (NomSite) VALUES ('LYON')",
        "INSERT INTO Sites (NomSite) VALUES ('NANTES')",
        "INSERT INTO Services (NomService, Site) VALUES ('MAINTENANCE', 1)",
        "INSERT INTO Services (NomService, Site) VALUES ('ATELIER', 1)",
        "INSERT INTO Services (NomService, Site) VALUES ('ATELIER', 2)",
        "INSERT INTO Services (NomService) VALUES ('VOLANTE')",
        "INSERT INTO ProfileQuota (Profile) VALUES ('PRODUCTION')",
        "INSERT INTO ProfileQuota (Profile) VALUES ('BUREAU')",
        "INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES (1, 1000, 12, 30)",
        "INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES (1, 1001, 1, 180)",
        "INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES (1, 9999, 5, 30)",
        "INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES (2, 1002, 1, 365)",
        "INSERT INTO Utilisateurs (NoBadge, Nom, Prenom, TailleChaussure, TailleMain, Site, "
        "Service, Quota, MachineAutorise) VALUES ('1000', 'MARTIN', 'Jean', 3, 1, 1, 2, 1, '1')",
        "INSERT INTO Utilisateurs (NoBadge, Nom, Prenom, Site, Service, Quota) "
        "VALUES ('1001', 'DURAND', 'Paul', 1, 1, 1)",
        "INSERT INTO Utilisateurs (NoBadge, Nom, Prenom) VALUES ('1002', 'DUPONT', 'Ana')",
        "INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total) "
        "VALUES ('2024-03-05 10:00:00', '1000', 'MARTIN', 'Jean', 3, 1.5)",
        "INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total) "
        "VALUES ('2024-03-20 09:30:00', '1000', 'MARTIN', 'Jean', 1, 41.5)",
        "INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total) "
        "VALUES ('2024-04-02 00:00:00', '1001', 'DURAND', 'Paul', 3, 40)",
        "INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, PrixAchatUnit, "
        "NomFamille, NomSite, NoSite, NomService, NoService, Profile) "
        "VALUES (1, 1000, 'GANTS T8', 1, 1.5, 'gants', 'LYON', 1, 'ATELIER', 2, '1')",
        "INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, PrixAchatUnit, "
        "NomFamille, NomSite, NoSite, NomService, NoService, Profile) "
        "VALUES (2, 1000, 'GANTS T8', 2, 1.5, 'gants', 'LYON', 1, 'ATELIER', 2, 'PRODUCTION')",
        "INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, PrixAchatUnit, "
        "NomFamille, NomSite, NoSite, NomService, NoService, Profile) "
        "VALUES (2, 1001, 'CHAUSSURES P42', 1, 40, 'CHAUSSURES', 'LYON', 1, 'ATELIER', 2, "
        "'PRODUCTION')",
        "INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, PrixAchatUnit, "
        "NomFamille, NomSite, NoSite, NomService, NoService, Profile) "
        "VALUES (3, 1001, 'CHAUSSURES P42', 1, 40, 'CHAUSSURES', 'LYON', 1, 'MAINTENANCE', 1, "
        "'1')",
    };

    TempFolder folder_;
    std::string path_;
    ado::Connection connection_;
};

} // namespace database::testing
