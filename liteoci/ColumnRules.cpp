#include "ColumnRules.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Errors.h"
#include "OraCodes.h"
#include "OraFormat.h"
#include "Session.h"
#include "SqlFunctions.h"
#include "Translate.h"

namespace liteoci {
namespace {

// Reads the definition of tokens [b, e); false when it is no column definition.
bool ReadRule(std::string_view text, const std::vector<Token>& toks, const std::vector<size_t>& match, size_t b, size_t e,
              ColumnRule& r) {
    auto w = [&](size_t i, std::string_view word) { return i < e && IsWord(text, toks[i], word); };
    auto num = [&](size_t i) { return i < e && toks[i].kind == Tok::Number; };
    if (b + 1 >= e || !IsName(toks[b])) return false;
    if (w(b, "CONSTRAINT") || w(b, "PRIMARY") || w(b, "FOREIGN") || w(b, "UNIQUE") || w(b, "CHECK")) return false;
    r.column = IdentName(text, toks[b]);
    r.lastToken = e - 1;
    const size_t t = b + 1;
    const bool paren = t + 1 < e && IsOp(text, toks[t + 1], "(") && match[t + 1] != SIZE_MAX;
    if (w(t, "VARCHAR2") || w(t, "VARCHAR") || w(t, "NVARCHAR2") || w(t, "CHAR") || w(t, "NCHAR")) {
        r.kind = 'C';
        if (paren && num(t + 2)) r.length = std::atoll(std::string(TokText(text, toks[t + 2])).c_str());
        else if (w(t, "CHAR") || w(t, "NCHAR")) r.length = 1;
        else return false;
        // CHAR(n) keeps n bytes (the default length semantics), NCHAR(n) n characters
        if (w(t, "CHAR")) r.padTo = r.length, r.padUnit = 'B';
        if (w(t, "NCHAR")) r.padTo = r.length, r.padUnit = 'C';
        if (w(t, "CHAR") && paren && t + 3 < e && IsWord(text, toks[t + 3], "CHAR")) r.padUnit = 'C';
        // NVARCHAR2 and NCHAR count characters in two bytes each
        if (w(t, "NVARCHAR2") || w(t, "NCHAR")) r.length *= 4;
        return r.length > 0;
    }
    if (w(t, "NUMBER") || w(t, "NUMERIC") || w(t, "DECIMAL")) {
        r.kind = 'N';
        if (paren && num(t + 2)) {
            r.hasPrecision = true;
            r.precision = std::atoll(std::string(TokText(text, toks[t + 2])).c_str());
            r.hasScale = true;
            size_t k = t + 3;
            if (k < e && IsOp(text, toks[k], ",")) {
                bool negative = k + 1 < e && IsOp(text, toks[k + 1], "-");
                if (negative) ++k;
                if (num(k + 1)) r.scale = std::atoll(std::string(TokText(text, toks[k + 1])).c_str()) * (negative ? -1 : 1);
            }
        }
        return true;
    }
    if (w(t, "INTEGER") || w(t, "INT") || w(t, "SMALLINT")) {
        r.kind = 'N', r.hasScale = true;
        return true;
    }
    if (w(t, "FLOAT") || w(t, "BINARY_DOUBLE") || w(t, "BINARY_FLOAT")) {
        r.kind = 'N';
        return true;
    }
    if (w(t, "DATE")) {
        r.kind = 'D';
        return true;
    }
    if (w(t, "INTERVAL") && (w(t + 1, "YEAR") || w(t + 1, "DAY"))) {
        // INTERVAL YEAR [(p)] TO MONTH, INTERVAL DAY [(p)] TO SECOND [(f)]
        r.kind = w(t + 1, "YEAR") ? 'Y' : 'S';
        r.precision = 2;
        r.scale = r.kind == 'S' ? 6 : 0;
        size_t k = t + 2;
        auto precision = [&](long long& into) {
            if (k + 2 < e && IsOp(text, toks[k], "(") && num(k + 1) && IsOp(text, toks[k + 2], ")")) {
                into = std::atoll(std::string(TokText(text, toks[k + 1])).c_str());
                k += 3;
            }
        };
        precision(r.precision);
        if (!w(k, "TO") || !(w(k + 1, "MONTH") || w(k + 1, "SECOND"))) return false;
        k += 2;
        if (r.kind == 'S') precision(r.scale);
        return r.precision >= 0 && r.precision <= 9 && r.scale >= 0 && r.scale <= 9;
    }
    if (w(t, "TIMESTAMP")) {
        const size_t after = paren ? match[t + 1] + 1 : t + 1;
        if (w(after, "WITH") && w(after + 1, "LOCAL")) return false;  // kept as given
        r.kind = w(after, "WITH") ? 'Z' : 'T';
        r.precision = paren && num(t + 2) ? std::atoll(std::string(TokText(text, toks[t + 2])).c_str()) : 6;
        return r.precision >= 0 && r.precision <= 9;
    }
    return false;
}

// LITEOCI_FITS(value, kind, length or precision, scale or NULL, table, column)
void FitsFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* settings = static_cast<SessionSettings*>(sqlite3_user_data(ctx));
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL) return sqlite3_result_int(ctx, 1);
    const unsigned char* kind = sqlite3_value_text(argv[1]);
    auto fail = [&](const OraError& e) { sqlite3_result_error(ctx, e.text.c_str(), -1); };
    if (kind && kind[0] == 'C') {
        const long long actual = sqlite3_value_bytes(argv[0]);
        const long long maximum = sqlite3_value_int64(argv[2]);
        if (actual <= maximum) return sqlite3_result_int(ctx, 1);
        auto text = [&](int i) { return std::string(reinterpret_cast<const char*>(sqlite3_value_text(argv[i]))); };
        const std::string column = "\"" + settings->user + "\".\"" + text(4) + "\".\"" + text(5) + "\"";
        return fail(MakeError(kOraValueTooLarge, column, std::to_string(actual), std::to_string(maximum)));
    }
    double v = 0;
    if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
        const char* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
        // a text the column's affinity could not make a number is none
        if (ParseNumberText(p ? p : "", v)) return fail(MakeError(1722));
    } else {
        v = sqlite3_value_double(argv[0]);
    }
    if (sqlite3_value_type(argv[2]) == SQLITE_NULL) return sqlite3_result_int(ctx, 1);
    const long long precision = sqlite3_value_int64(argv[2]);
    const long long scale = sqlite3_value_type(argv[3]) == SQLITE_NULL ? 0 : sqlite3_value_int64(argv[3]);
    const double factor = std::pow(10.0, static_cast<double>(scale));
    const double rounded = std::round(v * factor) / factor;
    if (std::fabs(rounded) >= std::pow(10.0, static_cast<double>(precision - scale))) return fail(MakeError(kOraPrecisionExceeded));
    sqlite3_result_int(ctx, 1);
}

// LITEOCI_PADCHAR(value, n, unit): the text with blanks added up to n bytes (B) or characters (C).
void PadChar(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const unsigned char* p = sqlite3_value_text(argv[0]);
    std::string v(reinterpret_cast<const char*>(p), static_cast<size_t>(sqlite3_value_bytes(argv[0])));
    const long long n = sqlite3_value_int64(argv[1]);
    const unsigned char* unit = sqlite3_value_text(argv[2]);
    long long have = static_cast<long long>(v.size());
    if (unit && unit[0] == 'C') {
        have = 0;
        for (unsigned char ch : v) have += (ch & 0xC0) != 0x80;
    }
    // a CAST to a CHAR shorter than the value (a column's own check refuses such a value before)
    if (have > n) {
        const OraError e = MakeError(kOraDataValueOutOfRange);
        return sqlite3_result_error(ctx, e.text.c_str(), -1);
    }
    if (have < n && n <= 32767) v.append(static_cast<size_t>(n - have), ' ');
    sqlite3_result_text(ctx, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
}

// LITEOCI_TONUMBER(value, precision or NULL, scale or NULL): CAST(value AS NUMBER(p, s)). A text must be
// a number (ORA-01722, where SQLite's CAST would give 0); the value is rounded to s places and may not
// have more than p - s digits before the point (ORA-01438), as a column of that type keeps it.
void ToNumber(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL) return sqlite3_result_null(ctx);
    double v = 0;
    if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
        const char* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
        if (ParseNumberText(p ? p : "", v)) {
            const OraError e = MakeError(kOraInvalidNumber);
            return sqlite3_result_error(ctx, e.text.c_str(), -1);
        }
    } else {
        v = sqlite3_value_double(argv[0]);
    }
    if (sqlite3_value_type(argv[1]) != SQLITE_NULL) {
        const long long precision = sqlite3_value_int64(argv[1]);
        const long long scale = sqlite3_value_type(argv[2]) == SQLITE_NULL ? 0 : sqlite3_value_int64(argv[2]);
        const double factor = std::pow(10.0, static_cast<double>(scale));
        v = std::round(v * factor) / factor;
        if (std::fabs(v) >= std::pow(10.0, static_cast<double>(precision - scale))) {
            const OraError e = MakeError(kOraPrecisionExceeded);
            return sqlite3_result_error(ctx, e.text.c_str(), -1);
        }
    } else if (type == SQLITE_INTEGER) {
        return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    }
    if (std::fabs(v) < 9.0e15 && v == std::floor(v)) sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(v));
    else sqlite3_result_double(ctx, v);
}

// Texts compared as blank-padded: the shorter is taken as filled with blanks to the other's length.
int CompareBlankPadded(void*, int na, const void* a, int nb, const void* b) {
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    while (na > 0 && x[na - 1] == ' ') --na;
    while (nb > 0 && y[nb - 1] == ' ') --nb;
    const int common = na < nb ? na : nb;
    if (common > 0)
        if (int c = std::memcmp(x, y, static_cast<size_t>(common))) return c;
    return na - nb;
}

}  // namespace

std::vector<ColumnRule> ColumnRulesOf(std::string_view text, const std::vector<Token>& toks, std::string& table) {
    std::vector<ColumnRule> rules;
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    size_t k = 0;
    bool create = false;
    if (w(0, "CREATE")) {
        k = 1;
        if (w(k, "GLOBAL") && w(k + 1, "TEMPORARY")) k += 2;
        if (!w(k, "TABLE")) return rules;
        create = true;
    } else if (w(0, "ALTER") && w(1, "TABLE")) {
        k = 1;
    } else {
        return rules;
    }
    ++k;
    if (k + 2 < toks.size() && IsOp(text, toks[k + 1], ".")) k += 2;
    if (k >= toks.size() || !IsName(toks[k])) return rules;
    table = IdentName(text, toks[k]);
    ++k;
    const std::vector<size_t> match = MatchParens(text, toks, 0, toks.size());
    size_t b = 0, e = 0;
    if (create) {
        if (k >= toks.size() || !IsOp(text, toks[k], "(") || match[k] == SIZE_MAX) return rules;
        b = k + 1, e = match[k];
    } else {
        if (!w(k, "ADD")) return rules;
        ++k;
        if (k < toks.size() && IsOp(text, toks[k], "(") && match[k] != SIZE_MAX) b = k + 1, e = match[k];
        else b = k, e = toks.size();
    }
    size_t s = b;
    for (size_t i = b; i <= e; ++i) {
        if (i < e && IsOp(text, toks[i], "(") && match[i] != SIZE_MAX) {
            i = match[i];
            continue;
        }
        if (i == e || IsOp(text, toks[i], ",")) {
            ColumnRule r;
            if (i > s && ReadRule(text, toks, match, s, i, r)) rules.push_back(r);
            s = i + 1;
        }
    }
    return rules;
}

std::vector<std::pair<size_t, std::string>> PrimaryKeyNotNull(std::string_view text, const std::vector<Token>& toks) {
    std::vector<std::pair<size_t, std::string>> out;
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    size_t k = 1;
    if (!w(0, "CREATE")) return out;
    if (w(k, "GLOBAL") && w(k + 1, "TEMPORARY")) k += 2;
    if (!w(k, "TABLE")) return out;
    ++k;
    if (k + 2 < toks.size() && IsOp(text, toks[k + 1], ".")) k += 2;
    ++k;
    const std::vector<size_t> match = MatchParens(text, toks, 0, toks.size());
    if (k >= toks.size() || !IsOp(text, toks[k], "(") || match[k] == SIZE_MAX) return out;
    const size_t close = match[k];
    // The items of the list: column definitions and the table's own constraints.
    std::vector<std::pair<size_t, size_t>> items;
    size_t s = k + 1;
    for (size_t i = k + 1; i <= close; ++i) {
        if (i < close && IsOp(text, toks[i], "(") && match[i] != SIZE_MAX) {
            i = match[i];
            continue;
        }
        if (i == close || IsOp(text, toks[i], ",")) {
            if (i > s) items.emplace_back(s, i);
            s = i + 1;
        }
    }
    std::vector<std::string> keyColumns;
    for (auto [b, e] : items) {
        size_t p = b;
        if (w(p, "CONSTRAINT")) p += 2;
        if (!(w(p, "PRIMARY") && w(p + 1, "KEY")) || p + 2 >= e || !IsOp(text, toks[p + 2], "(")) continue;
        for (size_t q = p + 3; q < e && q < match[p + 2]; ++q)
            if (IsName(toks[q])) keyColumns.push_back(IdentName(text, toks[q]));
    }
    for (auto [b, e] : items) {
        if (!IsName(toks[b]) || w(b, "CONSTRAINT") || w(b, "PRIMARY") || w(b, "FOREIGN") || w(b, "UNIQUE") || w(b, "CHECK"))
            continue;
        const std::string column = IdentName(text, toks[b]);
        bool key = false, notNull = false;
        for (const std::string& c : keyColumns) key = key || c == column;
        for (size_t q = b + 1; q < e; ++q) {
            if (w(q, "PRIMARY") && w(q + 1, "KEY")) key = true;
            if (w(q, "NOT") && w(q + 1, "NULL")) notNull = true;
        }
        if (key && !notNull) out.emplace_back(e - 1, std::string(kKeyNotNull));
    }
    return out;
}

std::vector<std::pair<size_t, std::string>> ColumnChecks(const std::vector<ColumnRule>& rules, const std::string& table) {
    std::vector<std::pair<size_t, std::string>> out;
    for (const ColumnRule& r : rules) {
        if (r.kind == 'D' || r.kind == 'T' || r.kind == 'Z' || r.kind == 'Y' || r.kind == 'S') continue;  // by the trigger
        std::string check = " CHECK (LITEOCI_FITS(" + QuoteIdentifier(r.column) + ", '" + std::string(1, r.kind) + "', ";
        if (r.kind == 'C') check += std::to_string(r.length) + ", NULL";
        else if (r.hasPrecision) check += std::to_string(r.precision) + ", " + std::to_string(r.scale);
        else check += "NULL, NULL";
        check += ", " + QuoteString(table) + ", " + QuoteString(r.column) + "))";
        if (r.padTo > 0) check += " COLLATE LITEOCI_CHAR";
        out.emplace_back(r.lastToken, check);
    }
    return out;
}

void CreateRoundingTrigger(Session& s, const std::string& table, const std::vector<ColumnRule>& rules) {
    std::string set, differs;
    for (const ColumnRule& r : rules) {
        if (r.kind == 'D' || r.kind == 'T' || r.kind == 'Z') {
            // text in the session's format becomes the stored datetime, a TIMESTAMP keeps its digits
            const std::string c = QuoteIdentifier(r.column);
            const std::string how = std::string(", '") + r.kind + "', " + std::to_string(r.precision) + ")";
            if (!set.empty()) set += ", ", differs += " OR ";
            set += c + " = LITEOCI_DATETIME_VALUE(" + c + how;
            differs += "NEW." + c + " IS NOT LITEOCI_DATETIME_VALUE(NEW." + c + how;
            continue;
        }
        if (r.kind == 'Y' || r.kind == 'S') {
            // an interval of the column's kind, shown with the column's precisions
            const std::string c = QuoteIdentifier(r.column);
            const std::string how = std::string(", '") + r.kind + "', " + std::to_string(r.precision) + ", " +
                                    std::to_string(r.scale) + ")";
            if (!set.empty()) set += ", ", differs += " OR ";
            set += c + " = LITEOCI_INTERVAL_VALUE(" + c + how;
            differs += "NEW." + c + " IS NOT LITEOCI_INTERVAL_VALUE(NEW." + c + how;
            continue;
        }
        if (r.padTo > 0) {
            const std::string c = QuoteIdentifier(r.column), n = std::to_string(r.padTo);
            if (!set.empty()) set += ", ", differs += " OR ";
            set += c + " = LITEOCI_PADCHAR(" + c + ", " + n + ", '" + r.padUnit + "')";
            differs += std::string(r.padUnit == 'B' ? "length(CAST(NEW." + c + " AS BLOB))" : "length(NEW." + c + ")") +
                       " < " + n;
            continue;
        }
        if (r.kind != 'N' || !r.hasScale) continue;
        const std::string c = QuoteIdentifier(r.column);
        const std::string rounded = "round(NEW." + c + ", " + std::to_string(r.scale) + ")";
        if (!set.empty()) set += ", ", differs += " OR ";
        set += c + " = round(" + c + ", " + std::to_string(r.scale) + ")";
        differs += "NEW." + c + " <> " + rounded;
    }
    if (set.empty()) return;
    // the table's page makes the name unique, even after the table was renamed and its name reused
    sqlite3_stmt* q = nullptr;
    long long page = 0;
    if (sqlite3_prepare_v2(s.db(), "SELECT rootpage FROM main.sqlite_master WHERE type = 'table' AND name = ?1", -1, &q,
                           nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(q) == SQLITE_ROW) page = sqlite3_column_int64(q, 0);
    }
    sqlite3_finalize(q);
    const std::string t = QuoteIdentifier(table);
    std::string sql;
    for (const char* event : {"INSERT", "UPDATE"}) {
        sql += std::string("CREATE TRIGGER ") + QuoteIdentifier(std::string("liteoci$round$") + event + "$" + std::to_string(page)) +
               " AFTER " + event + " ON " + t + " WHEN " + differs + " BEGIN UPDATE " + t + " SET " + set +
               " WHERE rowid = NEW.rowid; END;";
    }
    s.Exec(sql.c_str());
}

void RenameInColumnChecks(Session& s, const std::string& from, const std::string& to) {
    std::string sql;
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v2(s.db(), "SELECT sql FROM main.sqlite_master WHERE type = 'table' AND name = ?1", -1, &q,
                           nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, to.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(q) == SQLITE_ROW && sqlite3_column_text(q, 0))
            sql = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
    }
    sqlite3_finalize(q);
    // LITEOCI_FITS(column, kind, n, m, 'table', 'column'): the table is the argument after the fourth comma
    const std::string oldArg = ", " + QuoteString(from) + ", ", newArg = ", " + QuoteString(to) + ", ";
    bool changed = false;
    for (size_t at = sql.find("LITEOCI_FITS("); at != std::string::npos; at = sql.find("LITEOCI_FITS(", at + 1)) {
        const size_t end = sql.find("))", at);
        const size_t arg = sql.find(oldArg, at);
        if (arg == std::string::npos || arg > end) continue;
        sql.replace(arg, oldArg.size(), newArg);
        changed = true;
    }
    if (changed) ReplaceTableDefinition(s, to, sql);
}

OraError ReplaceTableDefinition(Session& s, const std::string& table, const std::string& sql) {
    if (OraError err = s.Exec("BEGIN IMMEDIATE")) return err;
    sqlite3_stmt* q = nullptr;
    long long version = 0;
    if (sqlite3_prepare_v2(s.db(), "PRAGMA main.schema_version", -1, &q, nullptr) == SQLITE_OK &&
        sqlite3_step(q) == SQLITE_ROW)
        version = sqlite3_column_int64(q, 0);
    sqlite3_finalize(q);
    OraError err = s.Exec("PRAGMA main.writable_schema = ON");
    if (!err) {
        if (sqlite3_prepare_v2(s.db(), "UPDATE main.sqlite_master SET sql = ?1 WHERE type = 'table' AND name = ?2", -1, &q,
                               nullptr) == SQLITE_OK) {
            sqlite3_bind_text(q, 1, sql.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(q, 2, table.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(q) != SQLITE_DONE) err = s.MapError(sqlite3_errcode(s.db()));
        } else {
            err = s.MapError(sqlite3_errcode(s.db()));
        }
        sqlite3_finalize(q);
    }
    if (!err) err = s.Exec(("PRAGMA main.schema_version = " + std::to_string(version + 1)).c_str());
    s.Exec("PRAGMA main.writable_schema = OFF");
    // the connection reads the new text here: one it cannot read is taken back
    if (!err) err = s.Exec(("SELECT * FROM " + QuoteIdentifier(table) + " LIMIT 0").c_str());
    if (err) {
        s.Exec("ROLLBACK");
        return err;
    }
    return s.Exec("COMMIT");
}

void RefreshRoundingTrigger(Session& s, const std::string& table) {
    std::string sql;
    std::vector<std::string> old;
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v2(s.db(),
                           "SELECT type, name, sql FROM main.sqlite_master WHERE tbl_name = ?1 AND "
                           "(type = 'table' OR (type = 'trigger' AND name LIKE 'liteoci$round$%'))",
                           -1, &q, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(q) == SQLITE_ROW) {
            const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(q, 2));
            if (type == "table") sql = text ? text : "";
            else old.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 1)));
        }
    }
    sqlite3_finalize(q);
    for (const std::string& name : old) s.Exec(("DROP TRIGGER " + QuoteIdentifier(name)).c_str());
    const Lexed lx = Lex(sql);
    std::string name;
    const std::vector<ColumnRule> rules = ColumnRulesOf(sql, lx.toks, name);
    if (!rules.empty()) CreateRoundingTrigger(s, table, rules);
}

int RegisterColumnRuleFunctions(sqlite3* db, SessionSettings* settings) {
    int rc = sqlite3_create_function_v2(db, "LITEOCI_FITS", 6, SQLITE_UTF8 | SQLITE_DETERMINISTIC, settings, FitsFunction,
                                        nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "LITEOCI_PADCHAR", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, PadChar,
                                        nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "LITEOCI_TONUMBER", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, ToNumber,
                                        nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_create_collation_v2(db, "LITEOCI_CHAR", SQLITE_UTF8, nullptr, CompareBlankPadded, nullptr);
    return rc;
}

}  // namespace liteoci
