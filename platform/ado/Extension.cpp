// A loadable SQLite extension that gives the standard sqlite3 shell what the program's database
// files rely on: the text collation of their text columns (French order, case ignored) and the
// functions of their stored queries. Without it the shell cannot check or query the text columns
// ("no such collation sequence").
//
//   sqlite3 -cmd '.load ./sqlfrench' zad.MDB 'PRAGMA integrity_check'
//
// The module links the same SQLite library as the shell, so the handle it is given is used
// directly.
#include "platform/ado/Functions.h"

#include <sqlite3.h>

extern "C" __attribute__((visibility("default"))) int
sqlite3_sqlfrench_init(sqlite3* db, char** /*errorMessage*/, const void* /*api*/)
{
    ado::RegisterFunctions(db);
    return SQLITE_OK;
}
