// Demonstration data of zad.MDB: a company, families with their sizes (shoes
// are family 3 and gloves family 1, as the settings expect by default),
// suppliers, articles with prices and stock, a few stock receipts, the pool
// of machine article codes, sites and services, profiles with their quota
// lines, employees, two machines with the articles in their slots, and the
// movements of the last months (counter issues and an allocation), dated from
// the day the data is made so that the reports and the history show them.

#include "harnix/database/Data.h"
#include "harnix/magasin/CalculDotation.h"
#include "harnix/magasin/EnregistrementDotation.h"
#include "harnix/magasin/Mouvements.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Text.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"

#include <array>
#include <initializer_list>
#include <string>

namespace database::data {

namespace {

const std::string Null = "NULL";

std::string Number(long value)
{
    return std::to_string(value);
}

// An amount of cents as a decimal literal: 1250 is 12.50.
std::string Money(long cents)
{
    const std::string c = std::to_string(cents % 100);
    return std::to_string(cents / 100) + "." + (c.size() < 2 ? "0" + c : c);
}

// A number or Null for 0, for the optional columns.
std::string NumberOrNull(long value)
{
    return value == 0 ? Null : Number(value);
}

void Insert(ado::Connection& connection, std::string_view table, std::string_view columns,
            std::initializer_list<std::string> values)
{
    std::string sql =
        "INSERT INTO " + std::string(table) + " (" + std::string(columns) + ") VALUES (";
    bool first = true;
    for (const std::string& value : values) {
        sql += first ? "" : ", ";
        sql += value;
        first = false;
    }
    connection.Execute(sql + ")");
}

void FillCompany(ado::Connection& connection)
{
    // Level 001: the upgrade step has already run on this database.
    Insert(connection, "InfoSociete", "Nom, Adresse, CodePostal, Ville, Tel, Fax, VD",
           {Quote("ATELIERS DU RHONE"), Quote("12 rue des Forges"), Quote("69007"), Quote("LYON"),
            Quote("04 72 00 00 00"), Quote("04 72 00 00 01"), Quote("001")});
}

struct Family
{
    long number;
    std::string_view name;
    std::string_view function;
    std::string_view label;
};

constexpr std::array Families{
    Family{1, "GANTS", "Protection des mains", "Gants de protection"},
    Family{2, "VETEMENTS", "Vêtements de travail", "Vêtements"},
    Family{3, "CHAUSSURES", "Chaussures de sécurité", "Chaussures et bottes"},
    Family{4, "LUNETTES", "Protection des yeux", "Lunettes"},
    Family{5, "PROTECTION AUDITIVE", "Protection de l'ouïe", "Bouchons et casques antibruit"},
    Family{6, "MASQUES", "Protection respiratoire", "Masques"},
    Family{7, "CASQUES", "Protection de la tête", "Casques de chantier"},
};

struct Size
{
    long number;
    std::string_view size;
    long order;
    long family;
};

// Numbers 1-5 glove sizes, 6-14 shoe sizes, 15-19 clothing sizes, 20-23 one size.
constexpr std::array Sizes{
    Size{1, "7", 1, 1},     Size{2, "8", 2, 1},     Size{3, "9", 3, 1},     Size{4, "10", 4, 1},
    Size{5, "11", 5, 1},    Size{6, "38", 1, 3},    Size{7, "39", 2, 3},    Size{8, "40", 3, 3},
    Size{9, "41", 4, 3},    Size{10, "42", 5, 3},   Size{11, "43", 6, 3},   Size{12, "44", 7, 3},
    Size{13, "45", 8, 3},   Size{14, "46", 9, 3},   Size{15, "S", 1, 2},    Size{16, "M", 2, 2},
    Size{17, "L", 3, 2},    Size{18, "XL", 4, 2},   Size{19, "XXL", 5, 2},  Size{20, "T.U.", 1, 4},
    Size{21, "T.U.", 1, 5}, Size{22, "T.U.", 1, 6}, Size{23, "T.U.", 1, 7},
};

struct Supplier
{
    std::string_view code, company, address, postalCode, town, contact, tel, fax;
};

constexpr std::array Suppliers{
    Supplier{"DLE", "DISTRIBUTION LOIRE EQUIPEMENT", "14 rue de l'Industrie", "44000", "NANTES",
             "M. Le Goff", "02 40 12 34 56", "02 40 12 34 57"},
    Supplier{"RSS", "RHONE SECURITE SERVICES", "3 avenue Berthelot", "69007", "LYON", "Mme Girard",
             "04 78 22 41 10", "04 78 22 41 11"},
    Supplier{"EDN", "EQUIPEMENTS DU NORD", "27 boulevard de la Liberte", "59000", "LILLE",
             "M. Dubois", "03 20 55 18 90", "03 20 55 18 91"},
    Supplier{"MPI", "MEDITERRANEE PROTECTION INDUSTRIELLE", "8 chemin des Oliviers", "13008",
             "MARSEILLE", "Mme Roux", "04 91 73 60 20", "04 91 73 60 21"},
};

struct Article
{
    long reference;
    std::string_view designation;
    long family;
    long size;
    long supplier;
    std::string_view supplierReference;
    long unitPrice; // cents, before tax, per unit
    long perPack;
    long sellingPrice; // cents, with tax
    long inStock;
    long alert;
    long delay; // days, 0 for none
    long code;  // machine article code, 0 for none
    std::string_view barCode;
    std::string_view standard;
    std::string_view created;
};

constexpr std::array Articles{
    Article{1000, "GANTS NITRILE T8", 1, 2, 1, "GN-08", 120, 12, 240, 240, 48, 7, 1,
            "3760012341009", "EN 388", "2024-09-02 00:00:00"},
    Article{1001, "GANTS NITRILE T9", 1, 3, 1, "GN-09", 120, 12, 240, 180, 48, 7, 2,
            "3760012341016", "EN 388", "2024-09-02 00:00:00"},
    Article{1002, "GANTS NITRILE T10", 1, 4, 1, "GN-10", 120, 12, 240, 96, 36, 7, 3,
            "3760012341023", "EN 388", "2024-09-02 00:00:00"},
    Article{1003, "GANTS CUIR FLEUR T8", 1, 2, 2, "GCF-8", 345, 10, 690, 60, 20, 10, 4,
            "3760012341030", "EN 388", "2024-09-03 00:00:00"},
    Article{1004, "GANTS CUIR FLEUR T9", 1, 3, 2, "GCF-9", 345, 10, 690, 50, 20, 10, 5,
            "3760012341047", "EN 388", "2024-09-03 00:00:00"},
    Article{1005, "GANTS ANTI-COUPURE T9", 1, 3, 2, "GAC-9", 680, 6, 1250, 18, 12, 14, 6,
            "3760012341054", "EN 388", "2024-09-03 00:00:00"},
    Article{1006, "CHAUSSURES SECURITE S3 P40", 3, 8, 3, "CS3-40", 4200, 1, 7900, 6, 2, 21, 7,
            "3760012341061", "EN ISO 20345 S3", "2024-09-05 00:00:00"},
    Article{1007, "CHAUSSURES SECURITE S3 P41", 3, 9, 3, "CS3-41", 4200, 1, 7900, 8, 2, 21, 8,
            "3760012341078", "EN ISO 20345 S3", "2024-09-05 00:00:00"},
    Article{1008, "CHAUSSURES SECURITE S3 P42", 3, 10, 3, "CS3-42", 4200, 1, 7900, 10, 3, 21, 9,
            "3760012341085", "EN ISO 20345 S3", "2024-09-05 00:00:00"},
    Article{1009, "CHAUSSURES SECURITE S3 P43", 3, 11, 3, "CS3-43", 4200, 1, 7900, 9, 3, 21, 10,
            "3760012341092", "EN ISO 20345 S3", "2024-09-05 00:00:00"},
    Article{1010, "CHAUSSURES SECURITE S3 P44", 3, 12, 3, "CS3-44", 4200, 1, 7900, 4, 2, 21, 11,
            "3760012341108", "EN ISO 20345 S3", "2024-09-05 00:00:00"},
    Article{1011, "BOTTES SECURITE P42", 3, 10, 3, "BS-42", 2750, 1, 4900, 3, 1, 21, 0,
            "3760012341115", "EN ISO 20345 S5", "2024-09-06 00:00:00"},
    Article{1012, "LUNETTES DE PROTECTION INCOLORES", 4, 20, 4, "LPI-01", 210, 10, 450, 120, 30, 7,
            12, "3760012341122", "EN 166", "2024-09-09 00:00:00"},
    Article{1013, "SURLUNETTES DE PROTECTION", 4, 20, 4, "SLP-02", 330, 10, 690, 40, 10, 7, 0,
            "3760012341139", "EN 166", "2024-09-09 00:00:00"},
    Article{1014, "BOUCHONS D'OREILLES (PAIRE)", 5, 21, 4, "BO-200", 15, 200, 40, 1000, 200, 7, 13,
            "3760012341146", "EN 352-2", "2024-09-09 00:00:00"},
    Article{1015, "CASQUE ANTIBRUIT", 5, 21, 2, "CAB-30", 1490, 1, 2700, 12, 4, 14, 0,
            "3760012341153", "EN 352-1", "2024-09-10 00:00:00"},
    Article{1016, "MASQUE FFP2", 6, 22, 4, "FFP2-20", 85, 20, 190, 400, 100, 7, 14, "3760012341160",
            "EN 149 FFP2", "2024-09-10 00:00:00"},
    Article{1017, "CASQUE DE CHANTIER", 7, 23, 1, "CC-397", 840, 1, 1500, 15, 5, 14, 0,
            "3760012341177", "EN 397", "2024-09-12 00:00:00"},
    Article{1018, "PARKA HAUTE VISIBILITE L", 2, 17, 1, "PHV-L", 3600, 1, 6500, 7, 2, 30, 0,
            "3760012341184", "EN ISO 20471", "2024-09-12 00:00:00"},
    Article{1019, "PANTALON DE TRAVAIL M", 2, 16, 1, "PT-M", 1850, 1, 3200, 14, 4, 30, 0,
            "3760012341191", "", "2024-09-12 00:00:00"},
};

// Stock receipts of the journal: article, packs received, date, comment.
struct Receipt
{
    long article;
    long packs;
    std::string_view date;
    std::string_view comment;
};

constexpr std::array Receipts{
    Receipt{1000, 10, "2024-10-01 00:00:00", "Commande 2024-118"},
    Receipt{1008, 4, "2024-10-03 00:00:00", "Commande 2024-121"},
    Receipt{1016, 5, "2024-10-07 00:00:00", ""},
    Receipt{1003, -1, "2024-10-08 00:00:00", "Retour fournisseur"},
};

// Codes 1 to 30; the articles above hold codes 1 to 14.
constexpr long CodeCount = 30;

// The pictures of the program folder's image/ folder (assets/image), each shown for a range of
// articles: the same glove or shoe in every size.
struct Picture
{
    std::string_view image;
    long first, last;
};

constexpr std::array Pictures{
    Picture{"1000", 1000, 1002}, Picture{"1006", 1006, 1010}, Picture{"1012", 1012, 1012},
    Picture{"1017", 1017, 1017}, Picture{"1018", 1018, 1018},
};

struct Site
{
    std::string_view name, address, info;
};

constexpr std::array Sites{
    Site{"USINE DE LYON", "12 rue des Forges 69007 Lyon", "Production et maintenance"},
    Site{"USINE DE NANTES", "5 quai de la Fosse 44000 Nantes", "Production"},
    Site{"SIEGE", "40 cours Lafayette 69003 Lyon", "Administration"},
};

struct Service
{
    std::string_view name, info;
    long site;
};

constexpr std::array Services{
    Service{"ATELIER", "Fabrication", 1},   Service{"MAINTENANCE", "Entretien", 1},
    Service{"LOGISTIQUE", "Expedition", 1}, Service{"ATELIER", "Fabrication", 2},
    Service{"QUALITE", "Controle", 2},      Service{"ADMINISTRATION", "Bureaux", 3},
};

constexpr std::array Profiles{"PRODUCTION", "MAINTENANCE", "LOGISTIQUE", "BUREAU"};

struct QuotaLine
{
    long profile, article, allowed, days;
};

constexpr std::array QuotaLines{
    QuotaLine{1, 1000, 24, 30}, QuotaLine{1, 1001, 24, 30}, QuotaLine{1, 1002, 24, 30},
    QuotaLine{1, 1006, 1, 180}, QuotaLine{1, 1007, 1, 180}, QuotaLine{1, 1008, 1, 180},
    QuotaLine{1, 1009, 1, 180}, QuotaLine{1, 1010, 1, 180}, QuotaLine{1, 1012, 1, 90},
    QuotaLine{1, 1014, 20, 30}, QuotaLine{1, 1018, 1, 365}, QuotaLine{2, 1003, 12, 30},
    QuotaLine{2, 1004, 12, 30}, QuotaLine{2, 1005, 6, 30},  QuotaLine{2, 1008, 1, 180},
    QuotaLine{2, 1009, 1, 180}, QuotaLine{2, 1010, 1, 180}, QuotaLine{2, 1011, 1, 365},
    QuotaLine{2, 1013, 1, 90},  QuotaLine{2, 1015, 1, 365}, QuotaLine{2, 1016, 10, 30},
    QuotaLine{2, 1017, 1, 730}, QuotaLine{3, 1003, 12, 30}, QuotaLine{3, 1004, 12, 30},
    QuotaLine{3, 1006, 1, 180}, QuotaLine{3, 1007, 1, 180}, QuotaLine{3, 1008, 1, 180},
    QuotaLine{3, 1009, 1, 180}, QuotaLine{3, 1010, 1, 180}, QuotaLine{3, 1018, 1, 365},
    QuotaLine{3, 1019, 2, 180}, QuotaLine{4, 1012, 1, 365},
};

struct Employee
{
    std::string_view badge, name, firstName, staffNumber;
    long shoeSize, gloveSize; // Tailles numbers, 0 for none
    long site, service, profile;
    std::string_view machines;
};

constexpr std::array Employees{
    Employee{"1000", "MARTIN", "Jean", "M0101", 10, 3, 1, 1, 1, "1"},
    Employee{"1001", "BERNARD", "Sophie", "M0102", 7, 1, 1, 1, 1, "1"},
    Employee{"1002", "DUBOIS", "Pierre", "M0103", 11, 4, 1, 2, 2, "1"},
    Employee{"1003", "THOMAS", "Marie", "M0104", 6, 2, 1, 3, 3, "1"},
    Employee{"1004", "ROBERT", "Nicolas", "M0105", 12, 4, 1, 2, 2, "1"},
    Employee{"1005", "PETIT", "Julie", "M0106", 8, 2, 1, 1, 1, "1"},
    Employee{"1006", "DURAND", "Philippe", "M0107", 10, 3, 1, 3, 3, "1"},
    Employee{"1007", "LEROY", "Isabelle", "N0201", 7, 2, 2, 4, 1, "2"},
    Employee{"1008", "MOREAU", "Laurent", "N0202", 11, 4, 2, 4, 1, "2"},
    Employee{"1009", "SIMON", "Nathalie", "N0203", 8, 2, 2, 5, 3, "2"},
    Employee{"1010", "LAURENT", "Christophe", "N0204", 9, 3, 2, 4, 1, "2"},
    Employee{"1011", "LEFEBVRE", "Sandrine", "S0301", 7, 1, 3, 6, 4, ""},
    Employee{"1012", "MICHEL", "Olivier", "S0302", 10, 3, 3, 6, 4, ""},
    Employee{"1013", "GARCIA", "Céline", "N0205", 8, 2, 2, 5, 3, "1,2"},
    // Newly hired: no site, service, profile or sizes yet.
    Employee{"1014", "DUPONT", "Stéphane", "M0108", 0, 0, 0, 0, 0, ""},
};

struct Machine
{
    long number, type, slots, doors;
    std::string_view location, service, loading;
};

constexpr std::array Machines{
    Machine{1, 1, 36, 4, "Atelier Lyon", "ATELIER", "ETAGE"},
    Machine{2, 2, 90, 5, "Magasin Nantes", "LOGISTIQUE", ""},
};

// Articles in the machines' slots: which line holds which article and how
// many of its slots are filled.
struct Line
{
    long machine, line, article, filled;
};

constexpr std::array Lines{
    Line{1, 1, 1000, 7}, Line{1, 2, 1001, 5}, Line{1, 3, 1012, 9},
    Line{1, 4, 1016, 3}, Line{2, 1, 1006, 4}, Line{2, 3, 1008, 2},
};

// The article of each line of a machine, as the machine side records it; a machine's
// other lines, up to its count, have none.
struct ConfigLine
{
    long machine, line, article;
};

constexpr std::array ConfigLines{
    ConfigLine{1, 1, 1000}, ConfigLine{1, 2, 1001}, ConfigLine{1, 3, 1012},
    ConfigLine{1, 4, 1016}, ConfigLine{2, 1, 1006}, ConfigLine{2, 2, 1008},
};

// Lines of each machine: its shelves, or its columns taken every second one (model 2).
constexpr std::array LineCounts{std::pair{1L, 4L}, std::pair{2L, 9L}};

void FillFamiliesAndSuppliers(ado::Connection& connection)
{
    for (const Family& f : Families) {
        Insert(connection, "Familles", "NoFamille, NomFamille, Fonction, Libele",
               {Number(f.number), Quote(f.name), Quote(f.function), Quote(f.label)});
    }
    for (const Size& s : Sizes) {
        Insert(connection, "Tailles", "NoTaille, Taille, Ordre, NoFamille",
               {Number(s.number), Quote(s.size), Number(s.order), Number(s.family)});
    }
    long supplierNumber = 0;
    for (const Supplier& s : Suppliers) {
        ++supplierNumber;
        Insert(connection, "Fournisseur",
               "Nauto, [No], CodeFournisseur, Societe, Adresse, CodePostal, Ville, NomContact, "
               "Tel, Fax",
               {Number(supplierNumber), Number(supplierNumber), Quote(s.code), Quote(s.company),
                Quote(s.address), Quote(s.postalCode), Quote(s.town), Quote(s.contact),
                Quote(s.tel), Quote(s.fax)});
    }
}

void FillCatalogue(ado::Connection& connection)
{
    for (const Article& a : Articles) {
        Insert(connection, "ArticleEnStock",
               "Reference, CodeArticle, CodeBar, Designation, Famille, Taille, NoFournisseur, "
               "RefFournisseur, PrixAchatUnit, PrixAchatGlobal, Prix, QteParPaket, QteEnStock, "
               "StockAlert, DelaiLivraison, DateCreation, DateDernierMouvement, Norme",
               {Number(a.reference), NumberOrNull(a.code), Quote(a.barCode), Quote(a.designation),
                Number(a.family), Number(a.size), Number(a.supplier), Quote(a.supplierReference),
                Money(a.unitPrice), Money(a.unitPrice * a.perPack), Money(a.sellingPrice),
                Number(a.perPack), Number(a.inStock), Number(a.alert), NumberOrNull(a.delay),
                Quote(a.created), Quote(a.created), a.standard.empty() ? Null : Quote(a.standard)});
    }
    for (const Picture& p : Pictures) {
        connection.Execute("UPDATE ArticleEnStock SET Image = " + Quote(p.image) +
                           " WHERE Reference BETWEEN " + Number(p.first) + " AND " +
                           Number(p.last));
    }
    for (long code = 1; code <= CodeCount; ++code) {
        std::string holder = Null;
        for (const Article& a : Articles) {
            if (a.code == code) {
                holder = Number(a.reference);
            }
        }
        Insert(connection, "CodeArticle", "CodeArticle, Reference", {Number(code), holder});
    }
    for (const Receipt& r : Receipts) {
        for (const Article& a : Articles) {
            if (a.reference != r.article) {
                continue;
            }
            Insert(connection, "MouvementStock",
                   "DateEntree, RefProduit, Designation, Qte, Commentaire, NomFournisseur, "
                   "RefFournisseur",
                   {Quote(r.date), Number(a.reference), Quote(a.designation),
                    Number(r.packs * a.perPack), Quote(r.comment),
                    Quote(Suppliers[size_t(a.supplier - 1)].company), Quote(a.supplierReference)});
            connection.Execute("UPDATE ArticleEnStock SET DateDernierMouvement = " + Quote(r.date) +
                               " WHERE Reference = " + Number(a.reference));
        }
    }
}

void FillSitesAndServices(ado::Connection& connection)
{
    for (const Site& s : Sites) {
        Insert(connection, "Sites", "NomSite, Adresse, Info",
               {Quote(s.name), Quote(s.address), Quote(s.info)});
    }
    for (const Service& s : Services) {
        Insert(connection, "Services", "NomService, Info, Site",
               {Quote(s.name), Quote(s.info), Number(s.site)});
    }
}

void FillStaff(ado::Connection& connection)
{
    for (const char* profile : Profiles) {
        Insert(connection, "ProfileQuota", "Profile", {Quote(profile)});
    }
    for (const QuotaLine& q : QuotaLines) {
        Insert(connection, "Quota", "NoQota, RefArticle, QtePermise, Periodicite",
               {Number(q.profile), Number(q.article), Number(q.allowed), Number(q.days)});
    }
    for (const Employee& e : Employees) {
        Insert(connection, "Utilisateurs",
               "NoBadge, Nom, Prenom, MatriculeSalarie, TailleChaussure, TailleMain, Site, "
               "Service, Quota, MachineAutorise",
               {Quote(e.badge), Quote(e.name), Quote(e.firstName), Quote(e.staffNumber),
                NumberOrNull(e.shoeSize), NumberOrNull(e.gloveSize), NumberOrNull(e.site),
                NumberOrNull(e.service), NumberOrNull(e.profile),
                e.machines.empty() ? Null : Quote(e.machines)});
    }
}

void FillMachines(ado::Connection& connection)
{
    for (const Machine& m : Machines) {
        Insert(connection, "Machines",
               "NoMachine, Type, NbEmplacement, NbPorte, Location, Service, Chargement",
               {Number(m.number), Number(m.type), Number(m.slots), Number(m.doors),
                Quote(m.location), Quote(m.service), m.loading.empty() ? Null : Quote(m.loading)});
        // A shelf-loaded machine has lines of slots / doors slots each (its shelves); a
        // column-loaded one lines of as many slots as it has doors (its columns).
        const bool byShelf = m.loading == "ETAGE";
        const long perLine = byShelf ? m.slots / m.doors : m.doors;
        for (long slot = 1; slot <= m.slots; ++slot) {
            const long line = (slot - 1) / perLine + 1;
            const long place = (slot - 1) % perLine + 1;
            std::string article = Null;
            for (const Line& l : Lines) {
                if (l.machine == m.number && l.line == line && place <= l.filled) {
                    article = Number(l.article);
                }
            }
            Insert(connection, "EmplacementsMachine1",
                   "NoEmpl, Etage, Colonne, NoMachine, Reference",
                   {Number(slot), Number(byShelf ? line : place), Number(byShelf ? place : line),
                    Number(m.number), article});
        }
    }
    for (const auto& [machine, count] : LineCounts) {
        for (long line = 1; line <= count; ++line) {
            std::string reference = Null;
            for (const ConfigLine& c : ConfigLines) {
                if (c.machine == machine && c.line == line) {
                    reference = Number(c.article);
                }
            }
            Insert(connection, "ConfigMachines", "NoMachine, Etage, ReferenceArticle",
                   {Number(machine), Number(line), reference});
        }
    }
    // The copies of the designation and code, as a save leaves them.
    connection.Execute("UPDATE ConfigMachines SET Designation = (SELECT Designation FROM "
                       "ArticleEnStock WHERE Reference = ReferenceArticle), CodeArticle = "
                       "(SELECT CodeArticle FROM ArticleEnStock WHERE Reference = "
                       "ReferenceArticle)");
}

// Counter issues: days before the day the data is made, time of day, employee, article.
struct Issue
{
    long daysAgo, hour, minute;
    std::string_view badge;
    long article;
};

constexpr std::array Issues{
    Issue{118, 7, 42, "1000", 1001},  Issue{112, 8, 5, "1002", 1016},
    Issue{104, 13, 30, "1003", 1003}, Issue{97, 7, 55, "1001", 1007},
    Issue{90, 9, 10, "1007", 1000},   Issue{83, 14, 2, "1004", 1010},
    Issue{76, 8, 20, "1000", 1008},   Issue{69, 10, 45, "1009", 1019},
    Issue{61, 7, 38, "1008", 1009},   Issue{54, 11, 15, "1002", 1017},
    Issue{47, 8, 0, "1011", 1012},    Issue{40, 13, 50, "1001", 1014},
    Issue{33, 9, 25, "1004", 1015},   Issue{26, 7, 48, "1000", 1012},
    Issue{19, 15, 5, "1003", 1018},   Issue{12, 8, 12, "1007", 1014},
    Issue{8, 10, 30, "1002", 1013},   Issue{5, 7, 50, "1008", 1002},
    Issue{3, 14, 40, "1009", 1003},   Issue{1, 9, 0, "1000", 1001},
};

// The allocation: the employees of the production profile at the Nantes plant, for 90 days.
constexpr long AllocationDaysAgo = 45;
constexpr int32_t AllocationDays = 90;
constexpr int32_t AllocationSite = 2;
constexpr int32_t AllocationProfile = 1;

vb::Date DaysAgo(long days, long hour, long minute)
{
    return vb::Today() - double(days) + vb::TimeSerial(int(hour), int(minute), 0).serial;
}

ado::Recordset Read(ado::Connection& connection, const std::string& source)
{
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockReadOnly);
    rs.Open(source, connection);
    return rs;
}

// One unit taken at the counter, with the names of the moment, as the counter records it.
void WriteIssue(ado::Connection& connection, const Issue& issue)
{
    ado::Recordset employee =
        Read(connection, "GrUtilisateur where NoBadge = " + Quote(issue.badge));
    ado::Recordset article = Read(connection, "Stock where Reference = " + Number(issue.article));
    Mouvements::Enregistrer(
        connection, Mouvements::RemiseAuComptoir(DaysAgo(issue.daysAgo, issue.hour, issue.minute),
                                                 employee, article));
}

// The allocation of the site's production profile for the period, committed as the planner
// commits one.
void WriteAllocation(ado::Connection& connection)
{
    const CalculDotation::Conditions conditions =
        CalculDotation::ConstruireConditions({{.NoSite = AllocationSite,
                                               .NoService = vb::Variant::Null(),
                                               .NoQuota = AllocationProfile}});
    EnregistrementDotation::Enregistrer(connection, DaysAgo(AllocationDaysAgo, 16, 30),
                                        AllocationDays, CalculDotation::Filtre(conditions, {}));
}

// Written in the order of their dates, so that the movement numbers follow the days.
void FillMovements(ado::Connection& connection)
{
    bool allocated = false;
    for (const Issue& issue : Issues) {
        if (!allocated && issue.daysAgo < AllocationDaysAgo) {
            WriteAllocation(connection);
            allocated = true;
        }
        WriteIssue(connection, issue);
    }
}

} // namespace

std::string Quote(std::string_view text)
{
    return "'" + ado::DoubledQuotes(text) + "'";
}

void FillCompanyTables(ado::Connection& connection)
{
    FillCompany(connection);
    FillFamiliesAndSuppliers(connection);
    FillSitesAndServices(connection);
}

void FillDemo(ado::Connection& connection)
{
    FillCompanyTables(connection);
    FillCatalogue(connection);
    FillStaff(connection);
    FillMachines(connection);
    FillMovements(connection);
}

} // namespace database::data
