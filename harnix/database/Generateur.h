#pragma once
// A large company's zad.MDB, made for measuring: as many articles, employees, profiles, machines
// and movements as asked, the same rows for the same seed and the same last day.

#include "platform/ado/Connection.h"

#include <cstdint>
#include <string>

namespace database::data {

struct Volumes
{
    long articles = 20000;
    long employees = 5000;
    long movements = 2000000; // movement lines; about 0.61 headers per line
    long profiles = 50;
    long quotaLines = 2000;
    long machines = 300; // half by shelf (4 lines each), half by column (9 lines each)
    long receipts = 50000;
    uint64_t seed = 1;
    std::string lastDay; // "YYYY-MM-DD" of the newest movement; empty for today
};

// Fills a zad.MDB whose schema is laid and whose tables are empty, in one transaction.
void FillLarge(ado::Connection& connection, const Volumes& volumes);

} // namespace database::data
