// Oracle's built-in SQL functions that SQLite lacks or treats differently, registered on each
// session's connection under their Oracle names.
#ifndef LITEOCI_SQLFUNCTIONS_H
#define LITEOCI_SQLFUNCTIONS_H

#include <sqlite3.h>

#include <string>

#include "OraFormat.h"

namespace liteoci {

// What the functions need to know of their session.
struct SessionSettings {
    std::string user;
    DateFormat dateFormat;  // NLS_DATE_FORMAT
};

// Registers the functions on db; `settings` must outlive the connection's use.
int RegisterSqlFunctions(sqlite3* db, SessionSettings* settings);

}  // namespace liteoci

#endif
