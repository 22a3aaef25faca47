#include "Identity.h"

#include <sqlite3.h>

#include <cstdlib>

#include "OraCodes.h"
#include "Session.h"
#include "SqlFunctions.h"

namespace liteoci {
namespace {

// The number after ISEQ$$_ that no sequence has yet.
long long NextSequenceNumber(Session& s) {
    long long n = 0;
    sqlite3_stmt* q = nullptr;
    const std::string sql = std::string("SELECT max(CAST(substr(name, 8) AS INTEGER)) FROM ") + kSequenceTable +
                            " WHERE substr(name, 1, 7) = 'ISEQ$$_'";
    if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr) == SQLITE_OK && sqlite3_step(q) == SQLITE_ROW)
        n = sqlite3_column_int64(q, 0);
    sqlite3_finalize(q);
    return n + 1;
}

}  // namespace

OraError PlanIdentities(Session& s, std::string_view text, const std::vector<Token>& toks, TranslateOptions& options,
                        std::shared_ptr<const IdentityPlan>& out) {
    out.reset();
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    auto num = [&](size_t i, long long& v) {
        bool negative = i < toks.size() && IsOp(text, toks[i], "-");
        if (negative) ++i;
        if (i >= toks.size() || toks[i].kind != Tok::Number) return size_t{0};
        v = std::atoll(std::string(TokText(text, toks[i])).c_str()) * (negative ? -1 : 1);
        return negative ? size_t{2} : size_t{1};
    };
    size_t k = 1;
    if (!w(0, "CREATE")) return {};
    if (w(k, "GLOBAL") && w(k + 1, "TEMPORARY")) k += 2;
    if (!w(k, "TABLE")) return {};
    ++k;
    if (k + 2 < toks.size() && IsOp(text, toks[k + 1], ".")) k += 2;
    if (k >= toks.size() || !IsName(toks[k])) return {};
    auto plan = std::make_shared<IdentityPlan>();
    plan->table = IdentName(text, toks[k]);
    const std::vector<size_t> match = MatchParens(text, toks, 0, toks.size());
    ++k;
    if (k >= toks.size() || !IsOp(text, toks[k], "(") || match[k] == SIZE_MAX) return {};
    const size_t close = match[k];
    long long number = 0;
    size_t itemStart = k + 1;
    for (size_t i = k + 1; i < close; ++i) {
        if (IsOp(text, toks[i], "(") && match[i] != SIZE_MAX) {
            i = match[i];
            continue;
        }
        if (IsOp(text, toks[i], ",")) {
            itemStart = i + 1;
            continue;
        }
        if (!w(i, "GENERATED")) continue;
        size_t g = i + 1;
        IdentityColumn c;
        if (w(g, "ALWAYS")) c.kind = "ALWAYS", ++g;
        else if (w(g, "BY") && w(g + 1, "DEFAULT")) {
            c.kind = "BY DEFAULT", g += 2;
            if (w(g, "ON") && w(g + 1, "NULL")) c.kind = "BY DEFAULT ON NULL", g += 2;
        } else {
            c.kind = "ALWAYS";
        }
        if (!w(g, "AS") || !w(g + 1, "IDENTITY")) continue;  // a virtual column's GENERATED ALWAYS AS (...)
        g += 2;
        if (g < close && IsOp(text, toks[g], "(") && match[g] != SIZE_MAX) {
            for (size_t o = g + 1; o < match[g]; ++o) {
                long long v = 0;
                if (w(o, "START") && w(o + 1, "WITH")) {
                    if (size_t n = num(o + 2, v)) c.start = v, o += 1 + n;
                } else if (w(o, "INCREMENT") && w(o + 1, "BY")) {
                    if (size_t n = num(o + 2, v)) c.increment = v == 0 ? 1 : v, o += 1 + n;
                }
            }
            g = match[g] + 1;
        }
        if (!IsName(toks[itemStart])) continue;
        c.column = IdentName(text, toks[itemStart]);
        if (number == 0) number = NextSequenceNumber(s);
        c.sequence = "ISEQ$$_" + std::to_string(number++);
        // the column's own NOT NULL, as Oracle gives identity columns one (ON NULL fills NULLs instead)
        std::string clause = " DEFAULT (LITEOCI_NEXTVAL('" + c.sequence + "', '" + c.kind + "'))";
        if (c.kind != "BY DEFAULT ON NULL") clause += " NOT NULL";
        options.substitutions.push_back({i, g, clause});
        plan->columns.push_back(std::move(c));
        i = g - 1;
    }
    if (!plan->columns.empty()) out = std::move(plan);
    return {};
}

OraError CreateIdentities(Session& s, const IdentityPlan& plan) {
    const std::string t = QuoteIdentifier(plan.table);
    for (const IdentityColumn& c : plan.columns) {
        sqlite3_stmt* q = nullptr;
        const std::string insert = std::string("INSERT INTO ") + kSequenceTable + " (name, next, step) VALUES (?1, ?2, ?3)";
        int rc = sqlite3_prepare_v2(s.db(), insert.c_str(), -1, &q, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(q, 1, c.sequence.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(q, 2, c.start);
            sqlite3_bind_int64(q, 3, c.increment);
            rc = sqlite3_step(q) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(s.db());
        }
        sqlite3_finalize(q);
        if (rc != SQLITE_OK) return s.MapError(rc);
        const std::string col = QuoteIdentifier(c.column), seq = "'" + c.sequence + "'";
        std::string sql;
        if (c.kind == "ALWAYS") {
            sql = "CREATE TRIGGER " + QuoteIdentifier("liteoci$identity$I$" + c.sequence) + " BEFORE INSERT ON " + t +
                  " WHEN NEW." + col + " IS NOT LITEOCI_CURRVAL(" + seq + ", 0) BEGIN SELECT LITEOCI_RAISE(" +
                  std::to_string(kOraInsertIntoAlwaysIdentity) + "); END;" + "CREATE TRIGGER " +
                  QuoteIdentifier("liteoci$identity$U$" + c.sequence) + " BEFORE UPDATE OF " + col + " ON " + t +
                  " BEGIN SELECT LITEOCI_RAISE(" + std::to_string(kOraUpdateAlwaysIdentity) + "); END;";
        } else if (c.kind == "BY DEFAULT ON NULL") {
            sql = "CREATE TRIGGER " + QuoteIdentifier("liteoci$identity$N$" + c.sequence) + " AFTER INSERT ON " + t +
                  " WHEN NEW." + col + " IS NULL BEGIN UPDATE " + t + " SET " + col + " = LITEOCI_NEXTVAL(" + seq +
                  ") WHERE rowid = NEW.rowid; END;";
        }
        if (!sql.empty())
            if (OraError e = s.Exec(sql.c_str())) return e;
    }
    return {};
}

}  // namespace liteoci
