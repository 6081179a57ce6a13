// Tables of the application shell: the company row of zad.MDB and the error
// log of MAINTEN.MDB.

#include "harnix/database/Schema.h"

namespace database::schema {

Part Shell()
{
    return {
        .tables =
            {
                // One row; VD starts with the upgrade level, MotPasse is the access password.
                R"(CREATE TABLE InfoSociete (
                    Nom TEXT(100), Adresse TEXT(255), CodePostal TEXT(10), Ville TEXT(50),
                    Tel TEXT(20), Fax TEXT(20), AdEmail TEXT(100), MotPasse TEXT(50),
                    VD TEXT(50)))",
            },
        .views = {},
    };
}

Part Mainten()
{
    return {
        .tables =
            {
                R"(CREATE TABLE Erreurs (
                    DateErreur DATETIME, Contexte TEXT(255), Erreur MEMO))",
            },
        .views = {},
    };
}

} // namespace database::schema
