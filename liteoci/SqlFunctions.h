// Oracle's built-in SQL functions that SQLite lacks or treats differently, registered on each
// session's connection under their Oracle names.
#ifndef LITEOCI_SQLFUNCTIONS_H
#define LITEOCI_SQLFUNCTIONS_H

#include <sqlite3.h>

#include <map>
#include <string>

#include "OraFormat.h"

namespace liteoci {

// What the functions need to know of their session.
struct SessionSettings {
    std::string user;
    DateFormat dateFormat;       // NLS_DATE_FORMAT
    DateFormat timestampFormat;  // NLS_TIMESTAMP_FORMAT
    DateFormat timestampTzFormat;  // NLS_TIMESTAMP_TZ_FORMAT
    std::map<std::string, sqlite3_int64> currentValues;  // CURRVAL of each sequence used in this session
};

// Where sequences keep their next values (the name is internal: user SQL cannot reach it).
constexpr const char* kSequenceTable = "\"liteoci$sequences\"";

// Registers the functions on db; `settings` must outlive the connection's use.
int RegisterSqlFunctions(sqlite3* db, SessionSettings* settings);

}  // namespace liteoci

#endif
