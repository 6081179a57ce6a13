// CP.MDB: the postal code of each town, read by the suppliers' window to fill
// in the town of a typed postal code.

#include "harnix/database/Data.h"
#include "harnix/database/Schema.h"

#include <array>
#include <string>

namespace database {

namespace schema {

Part PostalCodes()
{
    return {
        .tables =
            {
                "CREATE TABLE CodesPostaux (CodePostal LONG, Localite TEXT(100))",
                "CREATE INDEX CodesPostauxCodePostal ON CodesPostaux (CodePostal)",
            },
        .views = {},
    };
}

} // namespace schema

namespace data {

namespace {

struct Town
{
    int code;
    std::string_view name;
};

// Postal codes are numbers: 06000 is stored as 6000 and found again by
// "CodePostal=06000".
constexpr std::array Towns{
    Town{1000, "BOURG-EN-BRESSE"}, Town{6000, "NICE"},           Town{13001, "MARSEILLE"},
    Town{13008, "MARSEILLE"},      Town{21000, "DIJON"},         Town{25000, "BESANCON"},
    Town{29200, "BREST"},          Town{31000, "TOULOUSE"},      Town{33000, "BORDEAUX"},
    Town{34000, "MONTPELLIER"},    Town{35000, "RENNES"},        Town{37000, "TOURS"},
    Town{38000, "GRENOBLE"},       Town{42000, "SAINT-ETIENNE"}, Town{44000, "NANTES"},
    Town{45000, "ORLEANS"},        Town{49000, "ANGERS"},        Town{51100, "REIMS"},
    Town{54000, "NANCY"},          Town{59000, "LILLE"},         Town{63000, "CLERMONT-FERRAND"},
    Town{67000, "STRASBOURG"},     Town{69001, "LYON"},          Town{69007, "LYON"},
    Town{72000, "LE MANS"},        Town{74000, "ANNECY"},        Town{75001, "PARIS"},
    Town{75008, "PARIS"},          Town{76000, "ROUEN"},         Town{80000, "AMIENS"},
    Town{87000, "LIMOGES"},
};

} // namespace

void FillPostalCodes(ado::Connection& connection)
{
    for (const Town& town : Towns) {
        connection.Execute("INSERT INTO CodesPostaux (CodePostal, Localite) VALUES (" +
                           std::to_string(town.code) + ", " + Quote(town.name) + ")");
    }
}

} // namespace data

} // namespace database
