#pragma once
// A small company made by the large-company generator, for the tests that compare what a window
// or a rule computes with a plain recomputation from the generated rows.

#include "harnix/database/Databases.h"
#include "harnix/database/Generateur.h"

#include <string>

namespace database::testing {

// A few hundred articles, a few dozen employees and some thousand movement lines, the newest on
// 30/06/2026; a test changes the counts it needs.
inline data::Volumes SmallCompany()
{
    data::Volumes volumes;
    volumes.articles = 300;
    volumes.employees = 40;
    volumes.movements = 4000;
    volumes.profiles = 4;
    volumes.quotaLines = 40;
    volumes.machines = 4;
    volumes.receipts = 10;
    volumes.lastDay = "2026-06-30";
    return volumes;
}

inline void CreateGenerated(const std::string& path, const data::Volumes& volumes)
{
    CreateZad(path, [&](ado::Connection& cn) { data::FillLarge(cn, volumes); });
}

} // namespace database::testing
