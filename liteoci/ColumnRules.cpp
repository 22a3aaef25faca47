#include "ColumnRules.h"

#include <cmath>
#include <cstdlib>

#include "Errors.h"
#include "OraCodes.h"
#include "OraFormat.h"
#include "Session.h"
#include "SqlFunctions.h"
#include "Translate.h"

namespace liteoci {
namespace {

bool IsName(const Token& t) { return t.kind == Tok::Word || t.kind == Tok::QIdent; }

std::string QuoteId(const std::string& name) {
    std::string r = "\"";
    for (char c : name) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

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

std::vector<std::pair<size_t, std::string>> ColumnChecks(const std::vector<ColumnRule>& rules, const std::string& table) {
    std::vector<std::pair<size_t, std::string>> out;
    for (const ColumnRule& r : rules) {
        if (r.kind == 'D' || r.kind == 'T' || r.kind == 'Z' || r.kind == 'Y' || r.kind == 'S') continue;  // by the trigger
        std::string check = " CHECK (LITEOCI_FITS(" + QuoteId(r.column) + ", '" + std::string(1, r.kind) + "', ";
        if (r.kind == 'C') check += std::to_string(r.length) + ", NULL";
        else if (r.hasPrecision) check += std::to_string(r.precision) + ", " + std::to_string(r.scale);
        else check += "NULL, NULL";
        check += ", " + QuoteString(table) + ", " + QuoteString(r.column) + "))";
        out.emplace_back(r.lastToken, check);
    }
    return out;
}

void CreateRoundingTrigger(Session& s, const std::string& table, const std::vector<ColumnRule>& rules) {
    std::string set, differs;
    for (const ColumnRule& r : rules) {
        if (r.kind == 'D' || r.kind == 'T' || r.kind == 'Z') {
            // text in the session's format becomes the stored datetime, a TIMESTAMP keeps its digits
            const std::string c = QuoteId(r.column);
            const std::string how = std::string(", '") + r.kind + "', " + std::to_string(r.precision) + ")";
            if (!set.empty()) set += ", ", differs += " OR ";
            set += c + " = LITEOCI_DATETIME_VALUE(" + c + how;
            differs += "NEW." + c + " IS NOT LITEOCI_DATETIME_VALUE(NEW." + c + how;
            continue;
        }
        if (r.kind == 'Y' || r.kind == 'S') {
            // an interval of the column's kind, shown with the column's precisions
            const std::string c = QuoteId(r.column);
            const std::string how = std::string(", '") + r.kind + "', " + std::to_string(r.precision) + ", " +
                                    std::to_string(r.scale) + ")";
            if (!set.empty()) set += ", ", differs += " OR ";
            set += c + " = LITEOCI_INTERVAL_VALUE(" + c + how;
            differs += "NEW." + c + " IS NOT LITEOCI_INTERVAL_VALUE(NEW." + c + how;
            continue;
        }
        if (r.kind != 'N' || !r.hasScale) continue;
        const std::string c = QuoteId(r.column);
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
    const std::string t = QuoteId(table);
    std::string sql;
    for (const char* event : {"INSERT", "UPDATE"}) {
        sql += std::string("CREATE TRIGGER ") + QuoteId(std::string("liteoci$round$") + event + "$" + std::to_string(page)) +
               " AFTER " + event + " ON " + t + " WHEN " + differs + " BEGIN UPDATE " + t + " SET " + set +
               " WHERE rowid = NEW.rowid; END;";
    }
    s.Exec(sql.c_str());
}

int RegisterColumnRuleFunctions(sqlite3* db, SessionSettings* settings) {
    return sqlite3_create_function_v2(db, "LITEOCI_FITS", 6, SQLITE_UTF8 | SQLITE_DETERMINISTIC, settings, FitsFunction,
                                      nullptr, nullptr, nullptr);
}

}  // namespace liteoci
