#pragma once
// Translation of the program's SQL (Access dialect, and the few SQL Server
// constructs sent through the same connection) into SQLite's dialect.
//
// Handled: [bracketed] names (also [Table.Column]), #m/d/yyyy# date literals,
// double-quoted and N'..' literals, & concatenation, * and ? wildcards (LIKE
// takes * % ? _ alike), DELETE *, SELECT ... INTO, TOP n, TOP 100 PERCENT,
// dbo. prefixes, CONVERT(DATETIME, x, 103), deferred ON clauses
// (a JOIN b JOIN c ON .. ON ..), True/False, real division, bare interval
// names of DATENAME/DATEPART/DATEADD/DATEDIFF, and calls of functions whose
// names SQLite reserves (Left, Right, IsNull). The functions themselves are
// registered on every connection (see Functions.h).

#include <string>
#include <string_view>
#include <vector>

namespace ado {

std::string TranslateSql(std::string_view accessSql);

// The same, with each [name] of a parameter replaced by its argument (a literal
// in the Access dialect: 'text', "text", #date#, a number), as the stored
// queries run by EXEC take them.
struct Parameter
{
    std::string name;
    std::string argument;
};
std::string TranslateSql(std::string_view accessSql, const std::vector<Parameter>& parameters);

} // namespace ado
