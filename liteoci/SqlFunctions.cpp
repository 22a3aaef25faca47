#include "SqlFunctions.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "DateFunctions.h"
#include "FunctionSupport.h"
#include "Lexer.h"
#include "OraCodes.h"

namespace liteoci {
namespace {

bool AnyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
    return false;
}

void FnSysdate(sqlite3_context* ctx, int, sqlite3_value**) {
    char buf[20];
    StoreDate(Now(), buf);
    sqlite3_result_text(ctx, buf, 19, SQLITE_TRANSIENT);
}

void FnUser(sqlite3_context* ctx, int, sqlite3_value**) { ResultText(ctx, Settings(ctx)->user); }

// a || b || c: NULLs count as empty text, numbers take their Oracle text.
void FnConcat(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    std::string r;
    bool any = false;
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) continue;
        any = true;
        r += ImplicitText(ctx, argv[i]);
    }
    if (!any) sqlite3_result_null(ctx);
    else ResultText(ctx, r);
}

void FnToChar(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    int type = sqlite3_value_type(v);
    if (type == SQLITE_NULL) return sqlite3_result_null(ctx);
    DateTime dt;
    if (argc == 1) return ResultText(ctx, ImplicitText(ctx, v));
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::string_view model = Text(argv[1]);
    if (StoredDatetime(v, dt)) {
        DateFormat f;
        if (OraError e = f.Compile(model)) return Fail(ctx, e);
        // a DATE has no fractional seconds to show
        if (!dt.IsTimestamp() && f.HasFraction()) return Fail(ctx, MakeError(kOraDateFormatNotRecognized));
        if (!dt.hasZone && f.HasZone()) return Fail(ctx, MakeError(kOraDateFormatNotRecognized));
        return ResultText(ctx, f.Format(dt));
    }
    double d;
    if (!AsNumber(ctx, v, d)) return;
    std::string out;
    if (OraError e = FormatNumberModel(d, model, out)) return Fail(ctx, e);
    ResultText(ctx, out);
}

void FnToDate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    DateTime dt;
    OraError e;
    if (argc == 1) {
        if (StoredDatetime(argv[0], dt)) return sqlite3_result_value(ctx, argv[0]);
        e = Settings(ctx)->dateFormat.Parse(Text(argv[0]), dt);
    } else {
        DateFormat f;
        e = f.Compile(Text(argv[1]));
        if (!e) e = f.Parse(Text(argv[0]), dt);
        if (e && StoredDatetime(argv[0], dt)) e = {};
    }
    if (e) return Fail(ctx, e);
    char buf[20];
    StoreDate(dt, buf);
    sqlite3_result_text(ctx, buf, 19, SQLITE_TRANSIENT);
}

void FnToNumber(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return sqlite3_result_value(ctx, argv[0]);
    std::string s(Text(argv[0]));
    if (argc > 1) {
        std::string kept;
        for (char c : s)
            if (c != ',' && c != '$') kept.push_back(c);
        s = kept;
    }
    double d;
    if (OraError e = ParseNumberText(s, d)) return Fail(ctx, e);
    ResultNumber(ctx, d);
}

void FnNvl2(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_value(ctx, sqlite3_value_type(argv[0]) != SQLITE_NULL ? argv[1] : argv[2]);
}

bool DecodeEqual(sqlite3_value* a, sqlite3_value* b) {
    int ta = sqlite3_value_type(a), tb = sqlite3_value_type(b);
    if (ta == SQLITE_NULL || tb == SQLITE_NULL) return ta == tb;  // DECODE treats two NULLs as equal
    bool na = ta == SQLITE_INTEGER || ta == SQLITE_FLOAT, nb = tb == SQLITE_INTEGER || tb == SQLITE_FLOAT;
    if (na || nb) {
        double x, y;
        if (na) x = sqlite3_value_double(a);
        else if (ParseNumberText(Text(a), x)) return false;
        if (nb) y = sqlite3_value_double(b);
        else if (ParseNumberText(Text(b), y)) return false;
        return x == y;
    }
    return Text(a) == Text(b);
}

void FnDecode(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc < 3) return Fail(ctx, MakeError(909));
    for (int i = 1; i + 1 < argc; i += 2)
        if (DecodeEqual(argv[0], argv[i])) return sqlite3_result_value(ctx, argv[i + 1]);
    if (argc % 2 == 0) return sqlite3_result_value(ctx, argv[argc - 1]);
    sqlite3_result_null(ctx);
}

void Pad(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool left) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    std::string s = ImplicitText(ctx, argv[0]);
    double nd;
    if (!AsNumber(ctx, argv[1], nd)) return;
    if (nd < 1) return sqlite3_result_null(ctx);
    size_t n = nd > 32767 ? 32767 : static_cast<size_t>(nd);
    std::string pad = argc > 2 ? ImplicitText(ctx, argv[2]) : std::string(" ");
    if (pad.empty()) return sqlite3_result_null(ctx);
    if (s.size() >= n) return ResultText(ctx, std::string_view(s).substr(0, n));
    std::string fill;
    while (fill.size() < n - s.size()) fill += pad;
    fill.resize(n - s.size());
    ResultText(ctx, left ? fill + s : s + fill);
}
void FnLpad(sqlite3_context* ctx, int argc, sqlite3_value** argv) { Pad(ctx, argc, argv, true); }
void FnRpad(sqlite3_context* ctx, int argc, sqlite3_value** argv) { Pad(ctx, argc, argv, false); }

void FnSubstr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    std::string s = ImplicitText(ctx, argv[0]);
    double p, l = 0;
    if (!AsNumber(ctx, argv[1], p)) return;
    if (argc > 2 && !AsNumber(ctx, argv[2], l)) return;
    long long n = static_cast<long long>(s.size());
    long long pos = static_cast<long long>(std::trunc(p));
    if (pos == 0) pos = 1;
    if (pos < 0) pos = n + pos + 1;
    if (pos < 1 || pos > n) return sqlite3_result_null(ctx);
    long long len = argc > 2 ? static_cast<long long>(std::trunc(l)) : n;
    if (len < 1) return sqlite3_result_null(ctx);
    ResultText(ctx, std::string_view(s).substr(static_cast<size_t>(pos - 1), static_cast<size_t>(len)));
}

void FnInstr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    std::string s = ImplicitText(ctx, argv[0]), sub = ImplicitText(ctx, argv[1]);
    double p = 1, o = 1;
    if (argc > 2 && !AsNumber(ctx, argv[2], p)) return;
    if (argc > 3 && !AsNumber(ctx, argv[3], o)) return;
    long long pos = static_cast<long long>(p), occ = static_cast<long long>(o);
    if (pos == 0 || occ < 1) return sqlite3_result_int(ctx, 0);
    long long n = static_cast<long long>(s.size());
    if (pos > 0) {
        size_t from = static_cast<size_t>(pos - 1);
        while (from <= s.size()) {
            size_t f = s.find(sub, from);
            if (f == std::string::npos) break;
            if (--occ == 0) return sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(f) + 1);
            from = f + 1;
        }
    } else {
        long long from = n + pos;
        while (from >= 0) {
            size_t f = s.rfind(sub, static_cast<size_t>(from));
            if (f == std::string::npos) break;
            if (--occ == 0) return sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(f) + 1);
            from = static_cast<long long>(f) - 1;
        }
    }
    sqlite3_result_int(ctx, 0);
}

void FnTrunc(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    DateTime dt;
    if (StoredDatetime(argv[0], dt)) {
        if (OraError e = RoundDate(dt, argc > 1 ? Text(argv[1]) : "DD", true)) return Fail(ctx, e);
        return ResultText(ctx, StoreDate(dt));
    }
    double d, places = 0;
    if (!AsNumber(ctx, argv[0], d)) return;
    if (argc > 1 && !AsNumber(ctx, argv[1], places)) return;
    double f = std::pow(10.0, std::trunc(places));
    ResultNumber(ctx, std::trunc(d * f) / f);
}

void FnAddMonths(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    DateTime dt;
    if (OraError e = DateArgument(ctx, argv[0], dt)) return Fail(ctx, e);
    double n;
    if (!AsNumber(ctx, argv[1], n)) return;
    ResultText(ctx, StoreDate(AddMonths(dt, static_cast<int>(std::trunc(n)))));
}

void FnLastDay(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    DateTime dt;
    if (OraError e = DateArgument(ctx, argv[0], dt)) return Fail(ctx, e);
    dt.day = DaysInMonth(dt.year, dt.month);
    ResultText(ctx, StoreDate(dt));
}

// LENGTHB(char): the length in bytes of the text in the database character set (UTF-8 here).
void FnLengthb(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const unsigned char* text = sqlite3_value_text(argv[0]);
    const int bytes = sqlite3_value_bytes(argv[0]);
    if (!text || bytes == 0) return sqlite3_result_null(ctx);  // '' is NULL
    sqlite3_result_int(ctx, bytes);
}

void FnInitcap(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    std::string s = ImplicitText(ctx, argv[0]);
    bool start = true;
    for (char& c : s) {
        bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (alnum) {
            if (start && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            else if (!start && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        }
        start = !alnum;
    }
    ResultText(ctx, s);
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian), and back.
int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateTime CivilFromSeconds(int64_t seconds) {
    int64_t days = seconds / 86400, rest = seconds % 86400;
    if (rest < 0) rest += 86400, --days;
    DateTime dt = FromDayNumber(days);
    dt.hour = static_cast<int>(rest / 3600);
    dt.minute = static_cast<int>(rest / 60 % 60);
    dt.second = static_cast<int>(rest % 60);
    return dt;
}

int64_t SecondsOf(const DateTime& dt) {
    return DaysFromCivil(dt.year, dt.month, dt.day) * 86400 + dt.hour * 3600 + dt.minute * 60 + dt.second;
}

// ROUND(n [, places]) half away from zero, places may be negative; ROUND(date [, fmt]) to the nearest
// unit of the format model.
void FnRound(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    DateTime dt;
    if (StoredDatetime(argv[0], dt)) {
        if (OraError e = RoundDate(dt, argc > 1 ? Text(argv[1]) : "DD", false)) return Fail(ctx, e);
        return ResultText(ctx, StoreDate(dt));
    }
    double d, places = 0;
    if (!AsNumber(ctx, argv[0], d)) return;
    if (argc > 1 && !AsNumber(ctx, argv[1], places)) return;
    const int p = static_cast<int>(std::trunc(places));
    if (p > 30 || p < -130) return ResultNumber(ctx, p > 0 ? d : 0);
    const long double f = std::pow(10.0L, p);
    // a value read from decimal text lies within a few units of its last binary place: the nudge keeps
    // 1.005 * 100 from falling below 100.5
    const long double scaled = static_cast<long double>(d) * f;
    const long double nudged = scaled + (scaled >= 0 ? 1 : -1) * std::fabs(scaled) * 1e-15L;
    const double r = static_cast<double>(std::round(nudged) / f);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER && p >= 0) return sqlite3_result_value(ctx, argv[0]);
    ResultNumber(ctx, r);
}

// a + b and a - b as Oracle evaluates them when either side may be a date (the translator sends
// such sums here): a date plus or minus a number of days, possibly fractional, is a date; a date
// minus a date is the number of days between them; numbers add as numbers.
void DateOrNumberArithmetic(sqlite3_context* ctx, sqlite3_value** argv, bool subtract) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    const int ta = sqlite3_value_type(argv[0]), tb = sqlite3_value_type(argv[1]);
    if (ta == SQLITE_INTEGER && tb == SQLITE_INTEGER) {
        const sqlite3_int64 a = sqlite3_value_int64(argv[0]), b = sqlite3_value_int64(argv[1]);
        sqlite3_int64 r;
        if (!(subtract ? __builtin_sub_overflow(a, b, &r) : __builtin_add_overflow(a, b, &r)))
            return sqlite3_result_int64(ctx, r);
    }
    if (IntervalArithmetic(ctx, argv, subtract)) return;
    DateTime da, db;
    const bool aDate = StoredDatetime(argv[0], da), bDate = StoredDatetime(argv[1], db);
    if (aDate && bDate) {
        if (!subtract) return Fail(ctx, MakeError(975));
        return ResultNumber(ctx, static_cast<double>(SecondsOf(da) - SecondsOf(db)) / 86400.0);
    }
    if (aDate || bDate) {
        if (bDate && subtract) return Fail(ctx, MakeError(kOraInconsistentTypes, "NUMBER", "DATE"));  // a number minus a date
        double days;
        if (!AsNumber(ctx, argv[aDate ? 1 : 0], days)) return;
        const double seconds = std::round(days * 86400.0);
        if (!(std::fabs(seconds) < 4e11)) return Fail(ctx, MakeError(1841));
        const int64_t moved = SecondsOf(aDate ? da : db) + static_cast<int64_t>(subtract ? -seconds : seconds);
        const DateTime result = CivilFromSeconds(moved);
        if (result.year < -4712 || result.year > 9999) return Fail(ctx, MakeError(1841));
        return ResultText(ctx, StoreDate(result));
    }
    double a, b;
    if (!AsNumber(ctx, argv[0], a) || !AsNumber(ctx, argv[1], b)) return;
    const double r = subtract ? a - b : a + b;
    if (ta == SQLITE_FLOAT || tb == SQLITE_FLOAT) return sqlite3_result_double(ctx, r);
    ResultNumber(ctx, r);
}

// a / b as Oracle divides: exactly, never as whole numbers, and a zero divisor is an error.
void FnDivide(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    if (IntervalQuotient(ctx, argv)) return;
    DateTime dt;
    if (StoredDatetime(argv[0], dt) || StoredDatetime(argv[1], dt)) return Fail(ctx, MakeError(kOraInconsistentTypes, "NUMBER", "DATE"));
    double a, b;
    if (!AsNumber(ctx, argv[0], a) || !AsNumber(ctx, argv[1], b)) return;
    if (b == 0) return Fail(ctx, MakeError(1476));
    ResultNumber(ctx, a / b);
}

// a * b when either side may be text or a date: text must read as a number (ORA-01722), a date is
// no factor (ORA-00932).
void FnMultiply(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int ta = sqlite3_value_type(argv[0]), tb = sqlite3_value_type(argv[1]);
    if (ta == SQLITE_NULL || tb == SQLITE_NULL) return sqlite3_result_null(ctx);
    if (ta == SQLITE_INTEGER && tb == SQLITE_INTEGER) {
        sqlite3_int64 r;
        if (!__builtin_mul_overflow(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]), &r))
            return sqlite3_result_int64(ctx, r);
    }
    DateTime dt;
    if (StoredDatetime(argv[0], dt) || StoredDatetime(argv[1], dt)) return Fail(ctx, MakeError(kOraInconsistentTypes, "NUMBER", "DATE"));
    double a, b;
    if (!AsNumber(ctx, argv[0], a) || !AsNumber(ctx, argv[1], b)) return;
    if (ta == SQLITE_FLOAT || tb == SQLITE_FLOAT) return sqlite3_result_double(ctx, a * b);
    ResultNumber(ctx, a * b);
}

void FnAdd(sqlite3_context* ctx, int, sqlite3_value** argv) { DateOrNumberArithmetic(ctx, argv, false); }
void FnSubtract(sqlite3_context* ctx, int, sqlite3_value** argv) { DateOrNumberArithmetic(ctx, argv, true); }

// s.NEXTVAL: the sequence's next value, taken in the session's own transaction.
void FnNextval(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const std::string name(Text(argv[0]));
    sqlite3* db = sqlite3_context_db_handle(ctx);
    const std::string sql =
        std::string("UPDATE ") + kSequenceTable + " SET next = next + step WHERE name = ?1 RETURNING next - step";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return Fail(ctx, MakeError(2289));
    }
    sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) {
        const int code = sqlite3_errcode(db);
        sqlite3_finalize(st);
        if (rc == SQLITE_DONE) return Fail(ctx, MakeError(2289));
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED) return Fail(ctx, MakeError(54));
        return Fail(ctx, MakeError(600, "sequence"));
    }
    const sqlite3_int64 value = sqlite3_column_int64(st, 0);
    while (sqlite3_step(st) == SQLITE_ROW) {
    }
    sqlite3_finalize(st);
    Settings(ctx)->currentValues[name] = value;
    sqlite3_result_int64(ctx, value);
}

// How many sequences, and how many other objects of the schema, have the name.
void CountNamed(sqlite3* db, const std::string& name, int& sequences, int& others) {
    const std::string sql = std::string("SELECT (SELECT count(*) FROM ") + kSequenceTable +
                            " WHERE name = ?1), (SELECT count(*) FROM sqlite_master WHERE upper(name) = ?1)";
    sqlite3_stmt* st = nullptr;
    sequences = others = 0;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(st) == SQLITE_ROW) {
            sequences = sqlite3_column_int(st, 0);
            others = sqlite3_column_int(st, 1);
        }
    }
    sqlite3_finalize(st);
}

// s.CURRVAL: the value this session's last s.NEXTVAL gave.
// LITEOCI_CURRVAL(name) and, for an identity column's check, LITEOCI_CURRVAL(name, 0), which gives
// NULL instead of ORA-08002 before the first NEXTVAL.
void FnCurrval(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const std::string name(Text(argv[0]));
    const auto& values = Settings(ctx)->currentValues;
    const auto it = values.find(name);
    if (it == values.end()) {
        if (argc == 2) return sqlite3_result_null(ctx);
        int sequences = 0, others = 0;
        CountNamed(sqlite3_context_db_handle(ctx), name, sequences, others);
        return Fail(ctx, sequences == 0 ? MakeError(2289) : MakeError(8002, name));
    }
    sqlite3_result_int64(ctx, it->second);
}

// Raises ORA-00955 when a sequence or table already has the name (argument 2 = 0), or ORA-02289
// when no sequence has it (argument 2 = 1); else 1. Guards CREATE and DROP SEQUENCE.
void FnSequenceCheck(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const std::string name(Text(argv[0]));
    const bool mustExist = sqlite3_value_int(argv[1]) != 0;
    int sequences = 0, others = 0;
    CountNamed(sqlite3_context_db_handle(ctx), name, sequences, others);
    if (mustExist && sequences == 0) return Fail(ctx, MakeError(2289));
    if (!mustExist && sequences + others > 0) return Fail(ctx, MakeError(955));
    sqlite3_result_int(ctx, 1);
}

// LITEOCI_DATE_OPERAND(column value, text): the text as a date in the session's format when the
// column's value is a date (ORA-01861 and its relatives when the text does not match), else the text.
void FnDateOperand(sqlite3_context* ctx, int, sqlite3_value** argv) {
    DateTime dt;
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL || !StoredDatetime(argv[0], dt)) return sqlite3_result_value(ctx, argv[1]);
    if (dt.IsTimestamp()) {
        // a TIMESTAMP column's text is read by NLS_TIMESTAMP_FORMAT, and kept to the value's digits
        const int precision = dt.precision;
        const bool zone = dt.hasZone;
        if (StoredDatetime(argv[1], dt)) return sqlite3_result_value(ctx, argv[1]);
        const DateFormat& f = zone ? Settings(ctx)->timestampTzFormat : Settings(ctx)->timestampFormat;
        if (OraError e = f.Parse(Text(argv[1]), dt, true)) return Fail(ctx, e);
        return ResultText(ctx, StoreTimestamp(dt, precision));
    }
    if (StoredDatetime(argv[1], dt)) return sqlite3_result_value(ctx, argv[1]);
    if (OraError e = Settings(ctx)->dateFormat.Parse(Text(argv[1]), dt)) return Fail(ctx, e);
    char buf[20];
    StoreDate(dt, buf);
    sqlite3_result_text(ctx, buf, 19, SQLITE_TRANSIENT);
}

// LITEOCI_RAISE(code): fails the statement with ORA-code.
void FnRaise(sqlite3_context* ctx, int, sqlite3_value** argv) { Fail(ctx, MakeError(sqlite3_value_int(argv[0]))); }

// LITEOCI_SORTKEY(flags, v1, v2, ...): a text that sorts as the values sort under ORDER BY, one flag
// per value: 'A' ascending with NULLs last, 'B' ascending with NULLs first, 'D' descending with NULLs
// first, 'E' descending with NULLs last. It is made of hex digits only, so that a caller can join keys
// with separators that sort below every digit.
void FnSortKey(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string_view flags = Text(argv[0]);
    std::string key;
    for (int i = 1; i < argc; ++i) {
        const char flag = static_cast<size_t>(i - 1) < flags.size() ? flags[static_cast<size_t>(i - 1)] : 'A';
        const bool desc = flag == 'D' || flag == 'E';
        const bool nullsFirst = flag == 'B' || flag == 'D';
        std::string part;
        const int type = sqlite3_value_type(argv[i]);
        if (type == SQLITE_NULL) {
            // Before (0) or after (3) every value, whichever way the values run.
            key += (nullsFirst ? '0' : '3');
            continue;
        }
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            double d = sqlite3_value_double(argv[i]);
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            bits = (bits >> 63) ? ~bits : bits | (uint64_t{1} << 63);  // order-preserving for doubles
            part = '1';
            for (int s = 60; s >= 0; s -= 4) part += kHex[(bits >> s) & 15];
        } else {
            part = '2';
            for (unsigned char ch : Text(argv[i])) part += kHex[ch >> 4], part += kHex[ch & 15];
            part += "00";  // a shorter text sorts before a longer one that starts with it
        }
        if (desc)
            for (size_t k = 1; k < part.size(); ++k) {
                const char ch = part[k];
                const int v = ch <= '9' ? ch - '0' : ch - 'A' + 10;
                part[k] = kHex[15 - v];
            }
        if (desc) part[0] = static_cast<char>('3' - (part[0] - '0'));  // numbers after texts, descending
        key += part;
    }
    ResultText(ctx, key.empty() ? std::string_view("0") : std::string_view(key));
}

// LITEOCI_SINGLE_ROW(v): the one value of a subquery used as a value; NULL without rows, ORA-01427 on
// a second row.
struct SingleRow {
    sqlite3_value* value;
    bool seen;
};

void SingleRowStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* acc = static_cast<SingleRow*>(sqlite3_aggregate_context(ctx, sizeof(SingleRow)));
    if (!acc) return sqlite3_result_error_nomem(ctx);
    if (acc->seen) return Fail(ctx, MakeError(kOraSingleRowSubquery));
    acc->seen = true;
    acc->value = sqlite3_value_dup(argv[0]);
    if (!acc->value) sqlite3_result_error_nomem(ctx);
}

void SingleRowFinal(sqlite3_context* ctx) {
    auto* acc = static_cast<SingleRow*>(sqlite3_aggregate_context(ctx, 0));
    if (!acc || !acc->value) return sqlite3_result_null(ctx);
    sqlite3_result_value(ctx, acc->value);
    sqlite3_value_free(acc->value);
    acc->value = nullptr;
}

struct Fn {
    const char* name;
    int args;  // -1: any number
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic;
};

constexpr Fn kFunctions[] = {
    {"SYSDATE", 0, FnSysdate, false},        {"LITEOCI_USER", 0, FnUser, false},
    {"LITEOCI_CONCAT", -1, FnConcat, true},  {"TO_CHAR", 1, FnToChar, false},
    {"TO_CHAR", 2, FnToChar, false},         {"TO_DATE", 1, FnToDate, false},
    {"TO_DATE", 2, FnToDate, false},         {"TO_NUMBER", 1, FnToNumber, true},
    {"TO_NUMBER", 2, FnToNumber, true},      {"NVL2", 3, FnNvl2, true},
    {"DECODE", -1, FnDecode, true},          {"LPAD", 2, FnLpad, true},
    {"LPAD", 3, FnLpad, true},               {"RPAD", 2, FnRpad, true},
    {"RPAD", 3, FnRpad, true},               {"SUBSTR", 2, FnSubstr, true},
    {"SUBSTR", 3, FnSubstr, true},           {"INSTR", 2, FnInstr, true},
    {"INSTR", 3, FnInstr, true},             {"INSTR", 4, FnInstr, true},
    {"ROUND", 1, FnRound, true},             {"ROUND", 2, FnRound, true},
    {"TRUNC", 1, FnTrunc, true},             {"TRUNC", 2, FnTrunc, true},
    {"ADD_MONTHS", 2, FnAddMonths, true},    {"LAST_DAY", 1, FnLastDay, true},
    {"INITCAP", 1, FnInitcap, true},         {"LENGTHB", 1, FnLengthb, true},
    {"LITEOCI_ADD", 2, FnAdd, true},         {"LITEOCI_SUB", 2, FnSubtract, true},
    {"LITEOCI_NEXTVAL", 1, FnNextval, false}, {"LITEOCI_CURRVAL", 1, FnCurrval, false},
    {"LITEOCI_NEXTVAL", 2, FnNextval, false}, {"LITEOCI_CURRVAL", 2, FnCurrval, false},
    {"LITEOCI_SEQUENCE_CHECK", 2, FnSequenceCheck, false},
    {"LITEOCI_RAISE", 1, FnRaise, false},     {"LITEOCI_DATE_OPERAND", 2, FnDateOperand, false},     {"LITEOCI_DIV", 2, FnDivide, true},     {"LITEOCI_MUL", 2, FnMultiply, true},     {"LITEOCI_SORTKEY", -1, FnSortKey, true},
};

}  // namespace

int RegisterSqlFunctions(sqlite3* db, SessionSettings* settings) {
    for (const Fn& f : kFunctions) {
        int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
        int rc = sqlite3_create_function_v2(db, f.name, f.args, flags, settings, f.fn, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return rc;
    }
    return sqlite3_create_function_v2(db, "LITEOCI_SINGLE_ROW", 1, SQLITE_UTF8, nullptr, nullptr, SingleRowStep,
                                      SingleRowFinal, nullptr);
}

}  // namespace liteoci
