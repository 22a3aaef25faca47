#include "CreateAs.h"

#include <sqlite3.h>

#include "ColumnRules.h"
#include "OraCodes.h"
#include "Session.h"
#include "Translate.h"

namespace liteoci {
namespace {

// The Oracle type a described column has.
std::string TypeText(const Column& c) {
    switch (c.sqlt) {
        case SQLT_AFC: return "CHAR(" + std::to_string(c.size) + ")";
        case SQLT_NUM:
            if (c.precision > 0 && c.scale != -127)
                return "NUMBER(" + std::to_string(c.precision) + (c.scale ? ", " + std::to_string(c.scale) : "") + ")";
            return "NUMBER";
        case SQLT_DAT: return "DATE";
        case SQLT_TIMESTAMP: return "TIMESTAMP";
        case SQLT_TIMESTAMP_TZ: return "TIMESTAMP WITH TIME ZONE";
        case SQLT_TIMESTAMP_LTZ: return "TIMESTAMP WITH LOCAL TIME ZONE";
        case SQLT_INTERVAL_YM: return "INTERVAL YEAR TO MONTH";
        case SQLT_INTERVAL_DS: return "INTERVAL DAY TO SECOND";
        case SQLT_CLOB: return "CLOB";
        case SQLT_BLOB: return "BLOB";
        case SQLT_BIN: return "RAW(" + std::to_string(c.size) + ")";
        default: return "VARCHAR2(" + std::to_string(c.size > 0 ? c.size : 4000) + ")";
    }
}

}  // namespace

size_t CreateAsQuery(std::string_view text, const std::vector<Token>& toks) {
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    if (!w(0, "CREATE") || !w(1, "TABLE") || toks.size() < 5 || !IsName(toks[2])) return 0;
    size_t k = 3;
    if (IsOp(text, toks[k], ".") && k + 1 < toks.size() && IsName(toks[k + 1])) k += 2;
    if (IsOp(text, toks[k], "(")) {
        int depth = 0;
        for (; k < toks.size(); ++k) {
            if (IsOp(text, toks[k], "(")) ++depth;
            else if (IsOp(text, toks[k], ")") && --depth == 0) break;
        }
        ++k;
    }
    if (!w(k, "AS") || k + 1 >= toks.size()) return 0;
    const size_t q = IsOp(text, toks[k + 1], "(") ? k + 2 : k + 1;
    return w(q, "SELECT") || w(q, "WITH") ? k : 0;
}

OraError CompileCreateAs(std::string_view text, const std::vector<Token>& toks, size_t as,
                         const std::vector<Column>& columns, std::shared_ptr<const CreateAs>& out) {
    auto c = std::make_shared<CreateAs>();
    size_t k = 2;
    if (IsOp(text, toks[3], ".")) k = 4;
    c->table = IdentName(text, toks[k]);
    // the names: the column list of the statement, else the query's own
    std::vector<std::string> names;
    if (k + 1 < as && IsOp(text, toks[k + 1], "(")) {
        for (size_t i = k + 2; i + 1 < as; ++i)
            if (IsName(toks[i])) names.push_back(IdentName(text, toks[i]));
        if (names.size() < columns.size()) return MakeErrorAt(static_cast<int>(toks[as].pos), kOraTooManyValues);
        if (names.size() > columns.size()) return MakeErrorAt(static_cast<int>(toks[as].pos), kOraNotEnoughValues);
    } else {
        for (const Column& col : columns) names.push_back(col.name);
    }
    std::string create = "CREATE TABLE " + QuoteIdentifier(c->table) + " (";
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i) create += ", ";
        create += QuoteIdentifier(names[i]) + " " + TypeText(columns[i]);
    }
    create += ")";
    // the new table gets the checks of its types as any CREATE TABLE does
    const Lexed lx = Lex(create);
    std::string table;
    TranslateOptions opt;
    opt.appends = ColumnChecks(ColumnRulesOf(create, lx.toks, table), table);
    PositionalResolver none;
    Translation t;
    if (OraError e = Translate(create, lx.toks, 0, lx.toks.size(), opt, none, t)) return e;
    c->createSql = std::move(t.sql);
    TranslateOptions query;
    PositionalResolver binds;
    Translation q;
    size_t from = as + 1, to = toks.size();
    if (IsOp(text, toks[from], "(") && IsOp(text, toks[to - 1], ")")) ++from, --to;  // AS (SELECT ...)
    if (OraError e = Translate(text, toks, from, to, query, binds, q)) return e;
    if (binds.count() > 0) return MakeError(kOraBindInDdl);
    c->insertSql = "INSERT INTO " + QuoteIdentifier(c->table) + " " + q.sql;
    out = std::move(c);
    return {};
}

OraError RunCreateAs(Session& s, const CreateAs& c, long long& rows) {
    rows = 0;
    if (OraError e = s.Exec(c.createSql.c_str())) return e;
    RefreshRoundingTrigger(s, c.table);
    sqlite3_stmt* q = nullptr;
    int rc = sqlite3_prepare_v2(s.db(), c.insertSql.c_str(), -1, &q, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(q);
        if (rc == SQLITE_DONE) rows = sqlite3_changes64(s.db());
    }
    OraError e;
    if (rc != SQLITE_DONE) e = s.MapError(rc);
    sqlite3_finalize(q);
    if (e) s.Exec(("DROP TABLE " + QuoteIdentifier(c.table)).c_str());
    return e;
}

}  // namespace liteoci
