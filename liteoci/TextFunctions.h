// Oracle's functions of text that SQLite lacks or answers differently: REPLACE (two arguments, and a
// NULL search text leaving the text as it is), TRANSLATE, TRIM with LEADING/TRAILING/BOTH and a trim
// character (the translator calls LITEOCI_TRIM), the REGEXP_ family, SYS_CONTEXT('USERENV', ...) and UID.
#ifndef LITEOCI_TEXTFUNCTIONS_H
#define LITEOCI_TEXTFUNCTIONS_H

#include <sqlite3.h>

namespace liteoci {

struct SessionSettings;

int RegisterTextFunctions(sqlite3* db, SessionSettings* settings);

}  // namespace liteoci

#endif
