#pragma once
// The employee windows over a real zad.MDB in a program folder of their own, with the settings
// that start-up would have read.

#include "tests/harnix/database/DatabaseFixture.h"

#include "harnix/commun/Global.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"

#include <gtest/gtest.h>

namespace staff::testing {

class StaffTest : public forms::testing::WindowTest
{
protected:
    void SetUp() override
    {
        Global::SetProgramFolder(zad.Folder().Path().string());
        Global::ChaineConnexion = database::ConnectionString(zad.Path(), database::ZadPassword());
        Global::TypeLecteur = "1";
        Global::PremierNumeroBadge = "1000";
        Global::FamilleGants = 1;
        Global::FamilleChaussures = 3;
        Global::PortBadge = 1;
    }

    // One value as the file holds it, read on a connection of the test: "Null" for Null.
    std::string Stored(const std::string& sql)
    {
        ado::Recordset rs;
        rs.Open(sql, zad.Connection());
        if (rs.Eof())
            return "(no row)";
        return database::testing::Text(rs.Fields(0L).Value());
    }

    void Execute(const std::string& sql) { zad.Connection().Execute(sql); }

    // See DatabaseFixture.h: employees 1000 MARTIN, 1001 DURAND and 1002 DUPONT (no site), sites
    // LYON and NANTES, profiles PRODUCTION and BUREAU, glove sizes 8 and 9, shoe sizes 41, 42.
    database::testing::ZadFixture zad;
};

} // namespace staff::testing
