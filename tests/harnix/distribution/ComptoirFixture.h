#pragma once
// The distribution windows over a real zad.MDB in a program folder of their own, with the
// settings that start-up would have read, a picture folder included.

#include "tests/harnix/staff/StaffFixture.h"

#include <filesystem>

namespace distribution::testing {

// See DatabaseFixture.h: employees 1000 MARTIN, 1001 DURAND and 1002 DUPONT, articles 1000
// (GANTS T8, supplier reference G8, 10 in stock) and 1001 (CHAUSSURES P42, C42, 3 in stock),
// movements 1 to 3.
class DistributionTest : public staff::testing::StaffTest
{
protected:
    void SetUp() override
    {
        StaffTest::SetUp();
        Global::CheminImages = (zad.Folder().Path() / "image").string();
        std::filesystem::create_directories(Global::CheminImages);
    }
};

} // namespace distribution::testing
