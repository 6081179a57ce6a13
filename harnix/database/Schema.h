#pragma once
// The schema of zad.MDB, one part per subject that owns tables. Each part
// lists its statements in the Access dialect (the connection translates them):
// tables with their unique indexes and relations, then its stored queries.
// A new table goes into the part of the subject that owns it.

#include <string_view>
#include <vector>

namespace database::schema {

struct View
{
    std::string_view name;
    std::string_view sql;
};

// A stored query with parameters: "[name] Type, ..." and its body.
struct Query
{
    std::string_view name;
    std::string_view parameters;
    std::string_view sql;
};

struct Part
{
    std::vector<std::string_view> tables; // CREATE TABLE and CREATE INDEX statements
    std::vector<View> views;              // stored queries without parameters
    std::vector<Query> queries = {};      // stored queries with parameters
};

Part Shell();
Part Catalogue();
Part Staff();
Part Distribution();
Part Reports();

// MAINTEN.MDB and CP.MDB.
Part Mainten();
Part PostalCodes();

} // namespace database::schema
