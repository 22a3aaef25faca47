// Oracle's datetime functions that SQLite lacks: MONTHS_BETWEEN, NEXT_DAY, EXTRACT (the translator
// calls LITEOCI_EXTRACT), TO_TIMESTAMP, TO_TIMESTAMP_TZ, SYS_EXTRACT_UTC, FROM_TZ, SYSTIMESTAMP and
// LOCALTIMESTAMP, interval literals (LITEOCI_INTERVAL),
// NUMTODSINTERVAL, NUMTOYMINTERVAL, TO_DSINTERVAL, TO_YMINTERVAL and CAST to and from the datetime
// and character types (LITEOCI_CAST); the units of ROUND and TRUNC of a date; and the sums and
// quotients in which an interval takes part.
#ifndef LITEOCI_DATEFUNCTIONS_H
#define LITEOCI_DATEFUNCTIONS_H

#include <sqlite3.h>

#include <string_view>

#include "Errors.h"
#include "OraFormat.h"

namespace liteoci {

struct SessionSettings;

int RegisterDateFunctions(sqlite3* db, SessionSettings* settings);

// ROUND(date, unit) or TRUNC(date, unit) in place, for the units of Oracle's date format models
// (CC, YYYY, IYYY, Q, MM, WW, IW, W, DD, DAY, HH, MI and their synonyms); ORA-01821 for another unit.
OraError RoundDate(DateTime& dt, std::string_view unit, bool truncate);

// a + b or a - b when a side is an interval, or both sides are datetimes and one is a TIMESTAMP (whose
// difference is an interval). Returns false, with nothing set, when the sum is none of these.
bool IntervalArithmetic(sqlite3_context* ctx, sqlite3_value** argv, bool subtract);

// interval / number (LITEOCI_DIV sends quotients here first); false, with nothing set, when the dividend
// is no interval. A number divided by an interval is ORA-30081.
bool IntervalQuotient(sqlite3_context* ctx, sqlite3_value** argv);

// The text Oracle converts a DATE or TIMESTAMP value to where text is needed (the session's
// NLS_DATE_FORMAT or NLS_TIMESTAMP_FORMAT); false when the value is not in the stored datetime form.
bool DatetimeText(const SessionSettings& settings, std::string_view stored, std::string& out);

}  // namespace liteoci

#endif
