// What the SQL functions registered on a session share: reading their arguments and giving their
// results as Oracle's functions do.
#ifndef LITEOCI_FUNCTIONSUPPORT_H
#define LITEOCI_FUNCTIONSUPPORT_H

#include <sqlite3.h>

#include <cmath>
#include <string>
#include <string_view>

#include "DateFunctions.h"
#include "Errors.h"
#include "OraCodes.h"
#include "OraFormat.h"
#include "SqlFunctions.h"

namespace liteoci {

// The session's settings, which the functions that need them are registered with.
inline SessionSettings* Settings(sqlite3_context* ctx) { return static_cast<SessionSettings*>(sqlite3_user_data(ctx)); }

inline void Fail(sqlite3_context* ctx, const OraError& e) { sqlite3_result_error(ctx, e.text.c_str(), -1); }

inline std::string_view Text(sqlite3_value* v) {
    const unsigned char* p = sqlite3_value_text(v);
    return p ? std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(sqlite3_value_bytes(v)))
             : std::string_view();
}

// Empty text is NULL in Oracle.
inline void ResultText(sqlite3_context* ctx, std::string_view s) {
    if (s.empty()) sqlite3_result_null(ctx);
    else sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// A whole number as an integer, so that it shows without a fraction.
inline void ResultNumber(sqlite3_context* ctx, double d) {
    if (std::fabs(d) < 9e15 && d == std::trunc(d)) sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(d));
    else sqlite3_result_double(ctx, d);
}

// A number argument; a text that is no number fails the call (ORA-01722).
inline bool AsNumber(sqlite3_context* ctx, sqlite3_value* v, double& out) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER: out = static_cast<double>(sqlite3_value_int64(v)); return true;
        case SQLITE_FLOAT: out = sqlite3_value_double(v); return true;
        default: {
            OraError e = ParseNumberText(Text(v), out);
            if (e) Fail(ctx, e);
            return !e;
        }
    }
}

// A value in the stored datetime form.
inline bool StoredDatetime(sqlite3_value* v, DateTime& dt) {
    if (sqlite3_value_type(v) != SQLITE_TEXT) return false;
    std::string_view s = Text(v);
    return ParseStoredDate(s.data(), s.size(), dt);
}

// A datetime argument: a stored DATE or TIMESTAMP, or text that Oracle converts implicitly by the
// session's date format ('02-FEB-2001').
inline OraError DateArgument(sqlite3_context* ctx, sqlite3_value* v, DateTime& dt) {
    if (StoredDatetime(v, dt)) return {};
    if (sqlite3_value_type(v) != SQLITE_TEXT) return MakeError(kOraInconsistentTypes, "DATE", "NUMBER");
    return Settings(ctx)->dateFormat.Parse(Text(v), dt);
}

// The text a value takes when Oracle converts it to characters implicitly: dates in the session's
// formats, numbers as Oracle writes them.
inline std::string ImplicitText(sqlite3_context* ctx, sqlite3_value* v) {
    char buf[kNumberTextMax];
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER: return std::string(buf, FormatInteger(sqlite3_value_int64(v), buf));
        case SQLITE_FLOAT: return std::string(buf, FormatDouble(sqlite3_value_double(v), buf));
        case SQLITE_NULL: return {};
        default: {
            std::string out;
            if (DatetimeText(*Settings(ctx), Text(v), out)) return out;
            return std::string(Text(v));
        }
    }
}

}  // namespace liteoci

#endif
