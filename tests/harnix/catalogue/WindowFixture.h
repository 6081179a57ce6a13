#pragma once
// The windows' tests run on a real zad.MDB made by the database tool and filled with the small
// data set of the database tests (families 1 GANTS, 3 CHAUSSURES, 4 LUNETTES ...), with the
// settings' defaults: shoes are family 3, gloves family 1, the decimal separator is ",".

#include "tests/harnix/database/DatabaseFixture.h"

#include "harnix/commun/Global.h"
#include "harnix/database/Databases.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"

#include <string>
#include <vector>

namespace catalogue::testing {

class WindowTest : public forms::testing::WindowTest
{
protected:
    void SetUp() override
    {
        Global::ChaineConnexion = database::ConnectionString(zad.Path(), database::ZadPassword());
        Global::FamilleChaussures = 3;
        Global::FamilleGants = 1;
        Global::SeparateurDecimal = ",";
        Global::SetProgramFolder(zad.Folder().Path().string());
    }

    // Runs a statement on the fixture's own connection.
    void Execute(const std::string& sql) { zad.Connection().Execute(sql); }

    // One column of a query's rows as the file holds them now ("Null" for Null).
    std::vector<std::string> Stored(const std::string& sql, const std::string& column)
    {
        ado::Recordset rs = database::testing::OpenRecordset(zad.Connection(), sql);
        return database::testing::Column(rs, column);
    }

    forms::testing::DialogScript& Script() { return forms::testing::Script(); }

    database::testing::ZadFixture zad;
};

} // namespace catalogue::testing
