#include "DateFunctions.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <string>

#include "FunctionSupport.h"
#include "Intervals.h"
#include "Lexer.h"
#include "OraCodes.h"
#include "SqlFunctions.h"

namespace liteoci {
namespace {

void ResultDatetime(sqlite3_context* ctx, const DateTime& dt) {
    ResultText(ctx, dt.IsTimestamp() ? StoreTimestamp(dt, dt.precision) : StoreDate(dt));
}

bool AnyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
    return false;
}

int64_t SecondsOfDay(const DateTime& dt) { return dt.hour * 3600 + dt.minute * 60 + dt.second; }

// MONTHS_BETWEEN(date1, date2): whole months when both are the same day of the month or both the
// last day of their months; else the days and the time of day count in months of 31 days.
void FnMonthsBetween(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    DateTime a, b;
    if (OraError e = DateArgument(ctx, argv[0], a)) return Fail(ctx, e);
    if (OraError e = DateArgument(ctx, argv[1], b)) return Fail(ctx, e);
    const double months = (a.year - b.year) * 12.0 + (a.month - b.month);
    const bool lastA = a.day == DaysInMonth(a.year, a.month), lastB = b.day == DaysInMonth(b.year, b.month);
    if (a.day == b.day || (lastA && lastB)) return ResultNumber(ctx, months);
    const double days = (a.day - b.day) + static_cast<double>(SecondsOfDay(a) - SecondsOfDay(b)) / 86400.0;
    ResultNumber(ctx, months + days / 31.0);
}

// NEXT_DAY(date, 'TUESDAY'): the first such weekday after the date, at the date's time of day. The name
// may be the abbreviation and anything after it.
void FnNextDay(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    DateTime dt;
    if (OraError e = DateArgument(ctx, argv[0], dt)) return Fail(ctx, e);
    static const char* const kDays[7] = {"SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY"};
    const std::string name = Upper(Text(argv[1]));
    int target = -1;
    for (int k = 0; k < 7 && target < 0; ++k) {
        // the abbreviation decides; whatever follows it is ignored
        if (name.size() >= 3 && name.compare(0, 3, std::string_view(kDays[k]).substr(0, 3)) == 0) target = k;
    }
    if (target < 0) return Fail(ctx, MakeError(kOraDayOfWeekRange));
    int ahead = (target - DayOfWeek(dt) + 7) % 7;
    if (ahead == 0) ahead = 7;
    const DateTime day = FromDayNumber(DayNumber(dt) + ahead);
    dt.year = day.year, dt.month = day.month, dt.day = day.day;
    dt.precision = -1;
    dt.nanos = 0;
    ResultText(ctx, StoreDate(dt));
}

// LITEOCI_EXTRACT('YEAR', value): EXTRACT(YEAR FROM value). A DATE has no time fields here (Oracle
// reads it as an ANSI DATE); an interval gives its own fields, signed.
void FnExtract(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const std::string field = Upper(Text(argv[0]));
    const std::string_view text = sqlite3_value_type(argv[1]) == SQLITE_TEXT ? Text(argv[1]) : std::string_view();
    Interval iv;
    if (ParseStoredInterval(text, iv)) {
        if (iv.yearToMonth) {
            if (field == "YEAR") return ResultNumber(ctx, static_cast<double>(iv.months / 12));
            if (field == "MONTH") return ResultNumber(ctx, static_cast<double>(iv.months % 12));
            return Fail(ctx, MakeError(kOraInvalidExtractField));
        }
        const bool negative = iv.seconds < 0 || iv.nanos < 0;
        const int64_t s = negative ? -iv.seconds : iv.seconds;
        const int n = negative ? -iv.nanos : iv.nanos;
        const double sign = negative ? -1 : 1;
        if (field == "DAY") return ResultNumber(ctx, sign * static_cast<double>(s / 86400));
        if (field == "HOUR") return ResultNumber(ctx, sign * static_cast<double>(s / 3600 % 24));
        if (field == "MINUTE") return ResultNumber(ctx, sign * static_cast<double>(s / 60 % 60));
        if (field == "SECOND") return ResultNumber(ctx, sign * (static_cast<double>(s % 60) + n / 1e9));
        return Fail(ctx, MakeError(kOraInvalidExtractField));
    }
    DateTime dt;
    if (!StoredDatetime(argv[1], dt)) return Fail(ctx, MakeError(kOraInvalidExtractField));
    if (dt.hasZone) {
        if (field == "TIMEZONE_HOUR") return sqlite3_result_int(ctx, dt.zoneMinutes / 60);
        if (field == "TIMEZONE_MINUTE") return sqlite3_result_int(ctx, dt.zoneMinutes % 60);
        dt = InUtc(dt);  // the fields of a value with a time zone are those of UTC
    }
    if (field == "YEAR") return sqlite3_result_int(ctx, dt.year);
    if (field == "MONTH") return sqlite3_result_int(ctx, dt.month);
    if (field == "DAY") return sqlite3_result_int(ctx, dt.day);
    if (!dt.IsTimestamp()) return Fail(ctx, MakeError(kOraInvalidExtractField));
    if (field == "HOUR") return sqlite3_result_int(ctx, dt.hour);
    if (field == "MINUTE") return sqlite3_result_int(ctx, dt.minute);
    if (field == "SECOND") return ResultNumber(ctx, dt.second + dt.nanos / 1e9);
    Fail(ctx, MakeError(kOraInvalidExtractField));
}

// TO_TIMESTAMP(char [, fmt]): by the model, or by the session's NLS_TIMESTAMP_FORMAT; a TIMESTAMP(9).
void FnToTimestamp(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    DateTime dt;
    if (argc == 1 && StoredDatetime(argv[0], dt)) {
        if (!dt.IsTimestamp()) dt.nanos = 0;
        dt.hasZone = false;
        return ResultText(ctx, StoreTimestamp(dt, 9));
    }
    OraError e;
    if (argc == 1) {
        e = Settings(ctx)->timestampFormat.Parse(Text(argv[0]), dt, true);
    } else {
        DateFormat f;
        e = f.Compile(Text(argv[1]));
        if (!e) e = f.Parse(Text(argv[0]), dt, true);
    }
    if (e) return Fail(ctx, e);
    dt.hasZone = false;
    ResultText(ctx, StoreTimestamp(dt, 9));
}

// TO_TIMESTAMP_TZ(char [, fmt]): by the model, or by the session's NLS_TIMESTAMP_TZ_FORMAT; a
// TIMESTAMP(9) WITH TIME ZONE, in UTC when the text names no zone.
void FnToTimestampTz(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    DateTime dt;
    OraError e;
    if (argc == 1) {
        e = Settings(ctx)->timestampTzFormat.Parse(Text(argv[0]), dt, true);
    } else {
        DateFormat f;
        e = f.Compile(Text(argv[1]));
        if (!e) e = f.Parse(Text(argv[0]), dt, true);
    }
    if (e) return Fail(ctx, e);
    dt.hasZone = true;
    ResultText(ctx, StoreTimestamp(dt, 9));
}

// SYS_EXTRACT_UTC(timestamp with time zone): the same instant in UTC, as a TIMESTAMP.
void FnSysExtractUtc(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    DateTime dt;
    if (!StoredDatetime(argv[0], dt) || !dt.IsTimestamp()) return Fail(ctx, MakeError(kOraInconsistentTypes));
    ResultText(ctx, StoreTimestamp(InUtc(dt), dt.precision));
}

// FROM_TZ(timestamp, '+02:00'): the timestamp's fields in that zone.
void FnFromTz(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    DateTime dt, zone;
    if (!StoredDatetime(argv[0], dt) || !dt.IsTimestamp() || dt.hasZone)
        return Fail(ctx, MakeError(kOraInconsistentTypes));
    DateFormat f;
    f.Compile("TZR");
    if (OraError e = f.Parse(Text(argv[1]), zone, true)) return Fail(ctx, e);
    dt.hasZone = true;
    dt.zoneMinutes = zone.zoneMinutes;
    ResultText(ctx, StoreTimestamp(dt, dt.precision));
}

// SYSTIMESTAMP: now, to the microsecond, with the system's time zone; LOCALTIMESTAMP without it.
void Now(sqlite3_context* ctx, bool zone) {
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    localtime_r(&ts.tv_sec, &tm);
    DateTime dt;
    dt.year = tm.tm_year + 1900, dt.month = tm.tm_mon + 1, dt.day = tm.tm_mday;
    dt.hour = tm.tm_hour, dt.minute = tm.tm_min, dt.second = tm.tm_sec;
    dt.nanos = static_cast<int>(ts.tv_nsec / 1000 * 1000);
    dt.precision = 6;
    dt.hasZone = zone;
    dt.zoneMinutes = zone ? static_cast<int>(tm.tm_gmtoff / 60) : 0;
    ResultText(ctx, StoreTimestamp(dt, 6));
}
void FnSystimestamp(sqlite3_context* ctx, int, sqlite3_value**) { Now(ctx, true); }
void FnLocaltimestamp(sqlite3_context* ctx, int, sqlite3_value**) { Now(ctx, false); }

// LITEOCI_INTERVAL('4 5:12:10.222', 'DAY TO SECOND(3)'): an interval literal.
void FnInterval(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return Fail(ctx, MakeError(kOraInvalidInterval));
    Interval iv;
    if (OraError e = ParseIntervalLiteral(Text(argv[0]), Upper(Text(argv[1])), iv)) return Fail(ctx, e);
    ResultText(ctx, StoreInterval(iv));
}

// NUMTODSINTERVAL(n, 'DAY' | 'HOUR' | 'MINUTE' | 'SECOND'), an INTERVAL DAY(9) TO SECOND(9).
void FnNumToDsInterval(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    double n;
    if (!AsNumber(ctx, argv[0], n)) return;
    const std::string unit = Upper(Text(argv[1]));
    const double factor = unit == "DAY" ? 86400 : unit == "HOUR" ? 3600 : unit == "MINUTE" ? 60 : unit == "SECOND" ? 1 : 0;
    if (factor == 0) return Fail(ctx, MakeError(kOraIllegalArgument));
    const double total = n * factor;
    if (!(std::fabs(total) < 8.64e13)) return Fail(ctx, MakeError(kOraLeadingPrecisionTooSmall));
    Interval iv;
    iv.leading = 9;
    iv.fraction = 9;
    iv.seconds = static_cast<int64_t>(std::trunc(total));
    iv.nanos = static_cast<int>(std::llround((total - std::trunc(total)) * 1e9));
    ResultText(ctx, StoreInterval(iv));
}

// NUMTOYMINTERVAL(n, 'YEAR' | 'MONTH'), an INTERVAL YEAR(9) TO MONTH.
void FnNumToYmInterval(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    double n;
    if (!AsNumber(ctx, argv[0], n)) return;
    const std::string unit = Upper(Text(argv[1]));
    const double factor = unit == "YEAR" ? 12 : unit == "MONTH" ? 1 : 0;
    if (factor == 0) return Fail(ctx, MakeError(kOraIllegalArgument));
    const double months = std::trunc(n * factor);
    if (!(std::fabs(months) < 1.2e10)) return Fail(ctx, MakeError(kOraLeadingPrecisionTooSmall));
    Interval iv;
    iv.yearToMonth = true;
    iv.leading = 9;
    iv.months = static_cast<int64_t>(months);
    ResultText(ctx, StoreInterval(iv));
}

// TO_YMINTERVAL('1-2') and TO_DSINTERVAL('4 05:12:10.222'): the SQL forms of the two interval types,
// with the largest precisions.
void ToInterval(sqlite3_context* ctx, sqlite3_value* v, const char* qualifier) {
    if (sqlite3_value_type(v) == SQLITE_NULL) return sqlite3_result_null(ctx);
    Interval iv;
    if (OraError e = ParseIntervalLiteral(Text(v), qualifier, iv)) return Fail(ctx, e);
    ResultText(ctx, StoreInterval(iv));
}
void FnToYmInterval(sqlite3_context* ctx, int, sqlite3_value** argv) { ToInterval(ctx, argv[0], "YEAR(9) TO MONTH"); }
void FnToDsInterval(sqlite3_context* ctx, int, sqlite3_value** argv) {
    ToInterval(ctx, argv[0], "DAY(9) TO SECOND(9)");
}

// LITEOCI_DATETIME_VALUE(value, 'D' | 'T' | 'Z', precision): what a DATE, TIMESTAMP(precision) or
// TIMESTAMP(precision) WITH TIME ZONE column keeps of a value given to it: a datetime as such, text read
// in the session's format; a value without a zone gets the system's.
void FnDatetimeValue(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL) return sqlite3_result_null(ctx);
    const std::string_view kind = Text(argv[1]);
    const bool timestamp = kind != "D", zoned = kind == "Z";
    if (type != SQLITE_TEXT)
        return Fail(ctx, MakeError(kOraInconsistentTypes, !timestamp ? "DATE" : zoned ? "TIMESTAMP WITH TIME ZONE" : "TIMESTAMP",
                                   "NUMBER"));
    DateTime dt;
    if (!StoredDatetime(argv[0], dt)) {
        const SessionSettings& s = *Settings(ctx);
        const DateFormat& f = zoned ? s.timestampTzFormat : timestamp ? s.timestampFormat : s.dateFormat;
        if (OraError e = f.Parse(Text(argv[0]), dt, timestamp)) return Fail(ctx, e);
    }
    if (!timestamp) return ResultText(ctx, StoreDate(dt));
    if (!dt.IsTimestamp()) dt.nanos = 0;
    if (zoned && !dt.hasZone) {
        const std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        dt.zoneMinutes = static_cast<int>(tm.tm_gmtoff / 60);
    }
    dt.hasZone = zoned;
    ResultText(ctx, StoreTimestamp(dt, sqlite3_value_int(argv[2])));
}

// LITEOCI_INTERVAL_VALUE(value, 'Y' | 'S', leading, fraction): what an INTERVAL YEAR(leading) TO MONTH
// or INTERVAL DAY(leading) TO SECOND(fraction) column keeps of a value given to it: an interval of its
// kind, or text in the form of a literal of that kind ('1-2', '4 05:12:10.222').
void FnIntervalValue(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL) return sqlite3_result_null(ctx);
    const bool yearToMonth = Text(argv[1]) == "Y";
    const char* const kinds[] = {"INTERVAL DAY TO SECOND", "INTERVAL YEAR TO MONTH"};
    if (type != SQLITE_TEXT) return Fail(ctx, MakeError(kOraInconsistentTypes, kinds[yearToMonth], "NUMBER"));
    Interval iv;
    if (!ParseStoredInterval(Text(argv[0]), iv)) {
        if (OraError e = ParseIntervalLiteral(Text(argv[0]), yearToMonth ? "YEAR(9) TO MONTH" : "DAY(9) TO SECOND(9)", iv))
            return Fail(ctx, e);
    }
    if (iv.yearToMonth != yearToMonth)
        return Fail(ctx, MakeError(kOraInconsistentTypes, kinds[yearToMonth], kinds[iv.yearToMonth]));
    if (OraError e = FitInterval(iv, sqlite3_value_int(argv[2]), sqlite3_value_int(argv[3]))) return Fail(ctx, e);
    ResultText(ctx, StoreInterval(iv));
}

// LITEOCI_DAY_TO_SECOND('DAY(p) TO SECOND(f)', a - b): the interval expression (a - b) DAY TO SECOND,
// from the days between two DATEs or the interval between two TIMESTAMPs.
void FnDayToSecond(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int type = sqlite3_value_type(argv[1]);
    if (type == SQLITE_NULL) return sqlite3_result_null(ctx);
    bool yearToMonth = false;
    int leading = 2, fraction = 6;
    if (!IntervalPrecisions(Upper(Text(argv[0])), yearToMonth, leading, fraction) || yearToMonth)
        return Fail(ctx, MakeError(kOraInvalidInterval));
    Interval iv;
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        const double seconds = sqlite3_value_double(argv[1]) * 86400.0;
        if (!(std::fabs(seconds) < 8.64e13)) return Fail(ctx, MakeError(kOraLeadingPrecisionTooSmall));
        iv.seconds = static_cast<int64_t>(std::trunc(seconds));
        iv.nanos = static_cast<int>(std::llround((seconds - std::trunc(seconds)) * 1e9));
    } else if (!ParseStoredInterval(Text(argv[1]), iv) || iv.yearToMonth) {
        return Fail(ctx, MakeError(kOraInvalidIntervalArithmetic));
    }
    if (OraError e = FitInterval(iv, leading, fraction)) return Fail(ctx, e);
    ResultText(ctx, StoreInterval(iv));
}

// LITEOCI_INTERVAL_TIMES(a, b): an interval times a number, in either order.
void FnIntervalTimes(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    Interval iv;
    const bool first = sqlite3_value_type(argv[0]) == SQLITE_TEXT && ParseStoredInterval(Text(argv[0]), iv);
    if (!first && !(sqlite3_value_type(argv[1]) == SQLITE_TEXT && ParseStoredInterval(Text(argv[1]), iv)))
        return Fail(ctx, MakeError(kOraInvalidIntervalArithmetic));
    double n;
    if (!AsNumber(ctx, argv[first ? 1 : 0], n)) return;
    if (OraError e = ScaleInterval(iv, n, false)) return Fail(ctx, e);
    ResultText(ctx, StoreInterval(iv));
}

// LITEOCI_CAST(value, 'VARCHAR2(20)' | 'CHAR(3)' | 'DATE' | 'TIMESTAMP(6)'): CAST to the types whose
// values SQLite would take for numbers.
void FnCast(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const std::string type = Upper(Text(argv[1]));
    const size_t paren = type.find('(');
    const std::string name = type.substr(0, paren);
    const int size = paren == std::string::npos ? -1 : std::atoi(type.c_str() + paren + 1);
    DateTime dt;
    if (name == "DATE" || name == "TIMESTAMP") {
        const bool timestamp = name == "TIMESTAMP";
        const int type0 = sqlite3_value_type(argv[0]);
        if (type0 == SQLITE_INTEGER || type0 == SQLITE_FLOAT)
            return Fail(ctx, MakeError(kOraInconsistentTypes, timestamp ? "TIMESTAMP" : "DATE", "NUMBER"));
        if (!StoredDatetime(argv[0], dt)) {
            const DateFormat& f = timestamp ? Settings(ctx)->timestampFormat : Settings(ctx)->dateFormat;
            if (OraError e = f.Parse(Text(argv[0]), dt, timestamp)) return Fail(ctx, e);
        }
        if (!timestamp) return ResultText(ctx, StoreDate(dt));
        if (!dt.IsTimestamp()) dt.nanos = 0;
        dt.hasZone = false;  // a TIMESTAMP keeps the fields, not the zone
        return ResultText(ctx, StoreTimestamp(dt, size >= 0 && size <= 9 ? size : 6));
    }
    std::string text = ImplicitText(ctx, argv[0]);
    const bool fixed = name == "CHAR" || name == "NCHAR";
    const size_t limit = size > 0 ? static_cast<size_t>(size) : fixed ? 1 : 4000;
    if (text.size() > limit) return Fail(ctx, MakeError(kOraDataValueOutOfRange));
    if (fixed) text.resize(limit, ' ');
    ResultText(ctx, text);
}

struct Fn {
    const char* name;
    int args;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic;
};

constexpr Fn kFunctions[] = {
    {"MONTHS_BETWEEN", 2, FnMonthsBetween, false}, {"NEXT_DAY", 2, FnNextDay, false},
    {"LITEOCI_EXTRACT", 2, FnExtract, true},       {"TO_TIMESTAMP", 1, FnToTimestamp, false},
    {"TO_TIMESTAMP", 2, FnToTimestamp, false},     {"LITEOCI_SYSTIMESTAMP", 0, FnSystimestamp, false},
    {"LITEOCI_LOCALTIMESTAMP", 0, FnLocaltimestamp, false},
    {"TO_TIMESTAMP_TZ", 1, FnToTimestampTz, false},    {"TO_TIMESTAMP_TZ", 2, FnToTimestampTz, false},
    {"SYS_EXTRACT_UTC", 1, FnSysExtractUtc, true},     {"FROM_TZ", 2, FnFromTz, true},
    {"LITEOCI_INTERVAL", 2, FnInterval, true},     {"NUMTODSINTERVAL", 2, FnNumToDsInterval, true},
    {"NUMTOYMINTERVAL", 2, FnNumToYmInterval, true}, {"LITEOCI_CAST", 2, FnCast, false},
    {"TO_YMINTERVAL", 1, FnToYmInterval, true},    {"TO_DSINTERVAL", 1, FnToDsInterval, true},
    {"LITEOCI_INTERVAL_TIMES", 2, FnIntervalTimes, true}, {"LITEOCI_DATETIME_VALUE", 3, FnDatetimeValue, false},
    {"LITEOCI_INTERVAL_VALUE", 4, FnIntervalValue, true}, {"LITEOCI_DAY_TO_SECOND", 2, FnDayToSecond, true},
};

// Moves dt to midnight at the start of the day numbered dayNumber (days since 1970-01-01).
void StartOfDay(DateTime& dt, int64_t dayNumber) {
    const DateTime day = FromDayNumber(dayNumber);
    dt.year = day.year, dt.month = day.month, dt.day = day.day;
    dt.hour = dt.minute = dt.second = 0;
}

bool IsOneOf(std::string_view unit, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (unit == n) return true;
    return false;
}

}  // namespace

OraError RoundDate(DateTime& dt, std::string_view unitText, bool truncate) {
    const std::string unit = Upper(unitText);
    const int64_t day = DayNumber(dt);
    const double dayFraction = static_cast<double>(SecondsOfDay(dt)) / 86400.0;
    dt.nanos = 0;
    dt.precision = -1;
    // the start of a period of whole days, rounded up to its end from the middle (3.5 days of a week)
    auto period = [&](int64_t start, int64_t length) {
        const double into = static_cast<double>(day - start) + dayFraction;
        StartOfDay(dt, start + (!truncate && into >= length / 2.0 ? length : 0));
    };
    if (IsOneOf(unit, {"CC", "SCC"})) {
        // centuries start in the years ending in 01
        const int y = dt.year;
        int start = y > 0 ? (y - 1) / 100 * 100 + 1 : -((-y + 99) / 100 * 100) + 1;
        if (!truncate && y - start >= 50) start += 100;
        dt = DateTime{};
        dt.year = start;
    } else if (IsOneOf(unit, {"SYYYY", "YYYY", "YEAR", "SYEAR", "YYY", "YY", "Y", "RR", "RRRR"})) {
        const bool up = !truncate && dt.month >= 7;
        const int year = dt.year + (up ? 1 : 0);
        dt = DateTime{};
        dt.year = year;
    } else if (IsOneOf(unit, {"IYYY", "IYY", "IY", "I"})) {
        int iso = 0;
        int64_t start = IsoYearStart(dt, iso);
        if (!truncate && dt.month >= 7) {
            DateTime next;
            next.year = iso + 1, next.month = 1, next.day = 4;
            int nextIso = 0;
            start = IsoYearStart(next, nextIso);
        }
        StartOfDay(dt, start);
    } else if (unit == "Q") {
        const int first = (dt.month - 1) / 3 * 3 + 1;
        const bool up = !truncate && (dt.month - first == 2 || (dt.month - first == 1 && dt.day >= 16));
        const int month = first + (up ? 3 : 0);
        const int year = dt.year + (month > 12 ? 1 : 0);
        dt = DateTime{};
        dt.year = year, dt.month = month > 12 ? month - 12 : month;
    } else if (IsOneOf(unit, {"MONTH", "MON", "MM", "RM"})) {
        const bool up = !truncate && dt.day >= 16;
        dt.day = 1, dt.hour = dt.minute = dt.second = 0;
        if (up) dt = AddMonths(dt, 1);
    } else if (unit == "WW") {
        DateTime jan1;
        jan1.year = dt.year;
        const int64_t first = DayNumber(jan1);
        period(first + (day - first) / 7 * 7, 7);
    } else if (unit == "IW") {
        int64_t wd = (day + 3) % 7;  // Monday = 0
        if (wd < 0) wd += 7;
        period(day - wd, 7);
    } else if (unit == "W") {
        period(day - (dt.day - 1) % 7, 7);
    } else if (IsOneOf(unit, {"DDD", "DD", "J"})) {
        period(day, 1);
    } else if (IsOneOf(unit, {"DAY", "DY", "D"})) {
        period(day - DayOfWeek(dt), 7);
    } else if (IsOneOf(unit, {"HH", "HH12", "HH24"})) {
        const bool up = !truncate && dt.minute >= 30;
        dt.minute = dt.second = 0;
        if (up) {
            if (++dt.hour == 24) StartOfDay(dt, day + 1);
        }
    } else if (unit == "MI") {
        const bool up = !truncate && dt.second >= 30;
        dt.second = 0;
        if (up && ++dt.minute == 60) {
            dt.minute = 0;
            if (++dt.hour == 24) StartOfDay(dt, day + 1);
        }
    } else {
        return MakeError(kOraDateFormatNotRecognized);
    }
    return {};
}

bool DatetimeText(const SessionSettings& settings, std::string_view s, std::string& out) {
    if (s.size() != 19 && !(s.size() >= 20 && s[19] == '.')) return false;
    DateTime dt;
    if (!ParseStoredDate(s.data(), s.size(), dt)) return false;
    out = dt.hasZone        ? settings.timestampTzFormat.Format(dt)
          : dt.IsTimestamp() ? settings.timestampFormat.Format(dt)
                             : settings.dateFormat.Format(dt);
    return true;
}

bool IntervalArithmetic(sqlite3_context* ctx, sqlite3_value** argv, bool subtract) {
    const bool textA = sqlite3_value_type(argv[0]) == SQLITE_TEXT, textB = sqlite3_value_type(argv[1]) == SQLITE_TEXT;
    Interval ia, ib;
    const bool intervalA = textA && ParseStoredInterval(Text(argv[0]), ia);
    const bool intervalB = textB && ParseStoredInterval(Text(argv[1]), ib);
    DateTime da, db;
    const bool dateA = !intervalA && StoredDatetime(argv[0], da);
    const bool dateB = !intervalB && StoredDatetime(argv[1], db);
    if (intervalA && intervalB) {
        Interval r;
        if (OraError e = CombineIntervals(ia, ib, subtract, r)) Fail(ctx, e);
        else ResultText(ctx, StoreInterval(r));
        return true;
    }
    if (dateA && intervalB) {
        DateTime r;
        if (OraError e = AddInterval(da, ib, subtract, r)) Fail(ctx, e);
        else ResultDatetime(ctx, r);
        return true;
    }
    if (intervalA && dateB) {
        DateTime r;
        if (subtract) Fail(ctx, MakeError(kOraInvalidIntervalArithmetic));  // an interval minus a datetime
        else if (OraError e = AddInterval(db, ia, false, r)) Fail(ctx, e);
        else ResultDatetime(ctx, r);
        return true;
    }
    if (intervalA || intervalB) {  // an interval and a number
        Fail(ctx, MakeError(kOraInvalidIntervalArithmetic));
        return true;
    }
    if (dateA && dateB && subtract && (da.IsTimestamp() || db.IsTimestamp())) {
        ResultText(ctx, StoreInterval(Between(da, db)));
        return true;
    }
    return false;
}

bool IntervalQuotient(sqlite3_context* ctx, sqlite3_value** argv) {
    Interval iv;
    const auto isInterval = [&](sqlite3_value* v) {
        return sqlite3_value_type(v) == SQLITE_TEXT && ParseStoredInterval(Text(v), iv);
    };
    if (isInterval(argv[1])) {
        Fail(ctx, MakeError(kOraInvalidIntervalArithmetic));
        return true;
    }
    if (!isInterval(argv[0])) return false;
    double n;
    if (!AsNumber(ctx, argv[1], n)) return true;
    if (n == 0) {
        Fail(ctx, MakeError(kOraDivisorZero));
        return true;
    }
    if (OraError e = ScaleInterval(iv, n, true)) Fail(ctx, e);
    else ResultText(ctx, StoreInterval(iv));
    return true;
}

int RegisterDateFunctions(sqlite3* db, SessionSettings* settings) {
    for (const Fn& f : kFunctions) {
        const int rc = sqlite3_create_function_v2(db, f.name, f.args,
                                                  SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0), settings,
                                                  f.fn, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

}  // namespace liteoci
