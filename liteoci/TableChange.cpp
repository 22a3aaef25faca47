#include "TableChange.h"

#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "Catalog.h"
#include "ColumnRules.h"
#include "OraCodes.h"
#include "Session.h"
#include "Translate.h"

namespace liteoci {
namespace {

constexpr const char* kRebuildName = "liteoci$rebuild";

// ALTER TABLE [schema.]t: the index of the token after the table's name, or 0.
size_t AfterTableName(std::string_view text, const std::vector<Token>& toks, std::string* table) {
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    if (!w(0, "ALTER") || !w(1, "TABLE") || toks.size() < 4 || !IsName(toks[2])) return 0;
    size_t k = 2;
    if (k + 2 < toks.size() && IsOp(text, toks[k + 1], ".") && IsName(toks[k + 2])) k += 2;
    if (table) *table = IdentName(text, toks[k]);
    return k + 1;
}

bool StartsConstraint(std::string_view text, const std::vector<Token>& toks, size_t k) {
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    return w(k, "CONSTRAINT") || (w(k, "PRIMARY") && w(k + 1, "KEY")) || (w(k, "FOREIGN") && w(k + 1, "KEY")) ||
           (w(k, "UNIQUE") && k + 1 < toks.size() && IsOp(text, toks[k + 1], "(")) ||
           (w(k, "CHECK") && k + 1 < toks.size() && IsOp(text, toks[k + 1], "("));
}

struct TableRow {
    std::string sql;
    long long page = 0;
};

bool ReadTable(sqlite3* db, const std::string& table, TableRow& row) {
    sqlite3_stmt* q = nullptr;
    bool found = false;
    if (sqlite3_prepare_v2(db, "SELECT sql, rootpage FROM main.sqlite_master WHERE type = 'table' AND name = ?1", -1,
                           &q, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(q) == SQLITE_ROW) {
            const char* sql = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
            row.sql = sql ? sql : "";
            row.page = sqlite3_column_int64(q, 1);
            found = true;
        }
    }
    sqlite3_finalize(q);
    return found && table.rfind("liteoci$", 0) != 0;
}

// The byte offset of the ")" that closes the column list of a CREATE TABLE text, or npos.
size_t ListEnd(std::string_view sql) {
    const Lexed lx = Lex(sql);
    const std::vector<size_t> match = MatchParens(sql, lx.toks, 0, lx.toks.size());
    for (size_t i = 0; i < lx.toks.size(); ++i)
        if (IsOp(sql, lx.toks[i], "(")) return match[i] == SIZE_MAX ? std::string::npos : lx.toks[match[i]].pos;
    return std::string::npos;
}

// The CREATE TABLE text with NOT NULL on the columns of its primary key.
std::string WithKeyNotNull(const std::string& sql) {
    const Lexed lx = Lex(sql);
    std::vector<std::pair<size_t, std::string>> adds = PrimaryKeyNotNull(sql, lx.toks);
    std::string out = sql;
    std::sort(adds.begin(), adds.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [tok, more] : adds) out.insert(lx.toks[tok].pos + lx.toks[tok].len, more);
    return out;
}

// The CREATE TABLE text without the NOT NULL that the key's columns were given for the key.
std::string WithoutKeyNotNull(std::string sql) {
    for (size_t at = sql.find(kKeyNotNull); at != std::string::npos; at = sql.find(kKeyNotNull, at))
        sql.erase(at, kKeyNotNull.size());
    return sql;
}

std::string Qualified(Session& s, const std::string& name) { return s.user() + "." + name; }

// Removes [from, to) of a CREATE TABLE text; an item of the list takes its comma with it.
std::string Cut(const std::string& sql, size_t from, size_t to, bool item) {
    if (item) {
        size_t comma = sql.rfind(',', from);
        if (comma != std::string::npos) from = comma;
    }
    return sql.substr(0, from) + sql.substr(to);
}

}  // namespace

bool IsTableChange(std::string_view text, const std::vector<Token>& toks) {
    const size_t k = AfterTableName(text, toks, nullptr);
    if (k == 0 || k + 1 >= toks.size()) return false;
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    if (w(k, "ADD")) {
        const size_t d = IsOp(text, toks[k + 1], "(") ? k + 2 : k + 1;
        return StartsConstraint(text, toks, d);
    }
    return w(k, "DROP") && (w(k + 1, "CONSTRAINT") || (w(k + 1, "PRIMARY") && w(k + 2, "KEY")));
}

OraError CompileTableChange(std::string_view text, const std::vector<Token>& toks,
                            std::shared_ptr<const TableChange>& out) {
    auto c = std::make_shared<TableChange>();
    const size_t k = AfterTableName(text, toks, &c->table);
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    auto pos = [&](size_t i) {
        return i < toks.size() ? static_cast<int>(toks[i].pos)
                               : static_cast<int>(toks.back().pos + toks.back().len);
    };
    if (w(k, "DROP")) {
        size_t end = k + 3;
        if (w(k + 1, "PRIMARY")) {
            c->kind = TableChange::DropPrimaryKey;
            c->position = pos(k + 1);
        } else {
            c->kind = TableChange::DropConstraint;
            if (k + 2 >= toks.size() || !IsName(toks[k + 2])) return MakeErrorAt(pos(k + 2), kOraMissingExpression);
            c->name = IdentName(text, toks[k + 2]);
            c->position = pos(k + 2);
        }
        if (w(end, "CASCADE")) return MakeErrorAt(pos(end), kOraUnimplemented);
        if (w(end, "KEEP") || w(end, "DROP")) end += 2;  // ... INDEX: the key's index goes with the key
        if (end < toks.size()) return MakeErrorAt(pos(end), kOraNotProperlyEnded);
        out = std::move(c);
        return {};
    }
    c->kind = TableChange::AddConstraint;
    size_t b = k + 1, e = toks.size();
    if (IsOp(text, toks[b], "(")) {
        const std::vector<size_t> match = MatchParens(text, toks, 0, toks.size());
        if (match[b] == SIZE_MAX) return MakeErrorAt(pos(toks.size()), 907);
        if (match[b] + 1 < toks.size()) return MakeErrorAt(pos(match[b] + 1), kOraNotProperlyEnded);
        e = match[b];
        ++b;
    }
    size_t d = b;
    if (w(d, "CONSTRAINT")) {
        if (d + 1 >= e || !IsName(toks[d + 1])) return MakeErrorAt(pos(d + 1), kOraMissingExpression);
        c->name = IdentName(text, toks[d + 1]);
        d += 2;
    }
    c->position = pos(d);
    c->type = w(d, "PRIMARY") ? 'P' : w(d, "UNIQUE") ? 'U' : w(d, "FOREIGN") ? 'R' : w(d, "CHECK") ? 'C' : 0;
    if (!c->type) return MakeErrorAt(pos(d), kOraMissingKeyword);
    TranslateOptions opt;
    PositionalResolver resolver;
    Translation t;
    if (OraError err = Translate(text, toks, b, e, opt, resolver, t)) return err;
    if (resolver.count() > 0) return MakeError(kOraBindInDdl);
    c->definition = std::move(t.sql);
    out = std::move(c);
    return {};
}

OraError RebuildTable(Session& s, const std::string& table, const std::string& createSql, const std::string& adding,
                      char addingType) {
    sqlite3* db = s.db();
    const size_t open = createSql.find('(');
    if (open == std::string::npos) return MakeError(kOraTooDeep, "liteoci], [table text without a column list");
    // Indexes and triggers go with the old table; their texts make them again on the new one.
    std::vector<std::string> dependents;
    {
        sqlite3_stmt* q = nullptr;
        if (sqlite3_prepare_v2(db,
                               "SELECT sql FROM main.sqlite_master WHERE tbl_name = ?1 AND type IN ('index', 'trigger') "
                               "AND sql IS NOT NULL AND name NOT LIKE 'liteoci$round$%' ORDER BY type",
                               -1, &q, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(q, 1, table.c_str(), -1, SQLITE_TRANSIENT);
            while (sqlite3_step(q) == SQLITE_ROW)
                dependents.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)));
        }
        sqlite3_finalize(q);
    }
    // Foreign keys can only be switched off outside a transaction; the check of the new table's own
    // keys is made explicitly below.
    s.Exec("PRAGMA foreign_keys=OFF");
    auto step = [&](const std::string& sql) -> int {
        return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    };
    OraError result;
    auto fail = [&](int rc) {
        const int ext = sqlite3_extended_errcode(db);
        const std::string name = Qualified(s, adding);
        if ((rc & 0xff) == SQLITE_CONSTRAINT && !adding.empty()) {
            if (addingType == 'P' && (ext == SQLITE_CONSTRAINT_PRIMARYKEY || ext == SQLITE_CONSTRAINT_UNIQUE ||
                                      ext == SQLITE_CONSTRAINT_NOTNULL))
                return MakeError(kOraCannotValidatePrimaryKey, name);
            if (addingType == 'U' && ext == SQLITE_CONSTRAINT_UNIQUE) return MakeError(kOraCannotValidateUnique, name);
            if (addingType == 'C' && ext == SQLITE_CONSTRAINT_CHECK) return MakeError(kOraCannotValidateCheck, name);
        }
        return s.MapError(rc);
    };
    int rc = step("SAVEPOINT liteoci_rebuild");
    if (rc == SQLITE_OK) {
        const std::string tmp = QuoteIdentifier(kRebuildName), old = QuoteIdentifier(table);
        const std::string steps[] = {
            "CREATE TABLE " + tmp + " " + createSql.substr(open),
            "INSERT INTO " + tmp + " SELECT * FROM " + old,
            "DROP TABLE " + old,
            // the views that name the table must not be read while it is briefly missing
            "PRAGMA legacy_alter_table=ON",
            "ALTER TABLE " + tmp + " RENAME TO " + old,
            "PRAGMA legacy_alter_table=OFF",
        };
        for (const std::string& sql : steps)
            if ((rc = step(sql)) != SQLITE_OK) {
                result = fail(rc);
                break;
            }
        for (size_t i = 0; !result && i < dependents.size(); ++i)
            if ((rc = step(dependents[i])) != SQLITE_OK) result = fail(rc);
        if (!result && addingType == 'R') {
            sqlite3_stmt* q = nullptr;
            const std::string check = "PRAGMA foreign_key_check(" + old + ")";
            if (sqlite3_prepare_v2(db, check.c_str(), -1, &q, nullptr) == SQLITE_OK && sqlite3_step(q) == SQLITE_ROW)
                result = MakeError(kOraCannotValidateParent, Qualified(s, adding));
            sqlite3_finalize(q);
        }
        if (result) {
            step("PRAGMA legacy_alter_table=OFF");
            step("ROLLBACK TO liteoci_rebuild");
        }
        step("RELEASE liteoci_rebuild");
    } else {
        result = s.MapError(rc);
    }
    s.Exec("PRAGMA foreign_keys=ON");
    if (result) return result;
    // NUMBER(p,s) columns are rounded by a trigger named after the table's page, which is new
    RefreshRoundingTrigger(s, table);
    return {};
}

OraError RunTableChange(Session& s, const TableChange& c) {
    sqlite3* db = s.db();
    TableRow row;
    if (!ReadTable(db, c.table, row)) return MakeError(kOraTableNotFound);
    const std::vector<ConstraintDef> mine = ParseConstraints(row.sql, row.page);
    if (c.kind == TableChange::AddConstraint) {
        if (!c.name.empty())
            for (const std::string& t : UserTables(db))
                for (const ConstraintDef& d : TableConstraints(db, t))
                    if (d.name == c.name) return MakeErrorAt(c.position, kOraConstraintNameUsed);
        if (c.type == 'P')
            for (const ConstraintDef& d : mine)
                if (d.type == 'P') return MakeErrorAt(c.position, kOraOnlyOnePrimaryKey);
        const size_t end = ListEnd(row.sql);
        if (end == std::string::npos) return MakeError(kOraTableNotFound);
        std::string sql = row.sql.substr(0, end) + ", " + c.definition + row.sql.substr(end);
        if (c.type == 'P') sql = WithKeyNotNull(sql);
        // the name the new constraint will have, for the error when the rows break it
        std::string name = c.name;
        if (name.empty()) {
            const std::vector<ConstraintDef> after = ParseConstraints(sql, row.page);
            if (!after.empty()) name = after.back().name;
            for (const ConstraintDef& d : after)
                if (d.tableLevel && d.from >= end) name = d.name;
        }
        if (c.type == 'R') {
            const std::vector<ConstraintDef> added = ParseConstraints(sql, row.page);
            for (const ConstraintDef& d : added) {
                if (!(d.tableLevel && d.from >= end && d.type == 'R')) continue;
                TableRow parent;
                if (!ReadTable(db, d.refTable, parent)) return MakeErrorAt(c.position, kOraTableNotFound);
                // the referenced columns must be the parent's primary key or one of its unique keys
                bool keyed = false;
                for (const ConstraintDef& p : TableConstraints(db, d.refTable)) {
                    if (p.type != 'P' && p.type != 'U') continue;
                    if (d.refColumns.empty() ? p.type == 'P' : p.columns == d.refColumns) keyed = true;
                }
                if (!keyed) return MakeErrorAt(c.position, kOraNoMatchingKey);
            }
        }
        return RebuildTable(s, c.table, sql, name, c.type);
    }
    const ConstraintDef* target = nullptr;
    for (const ConstraintDef& d : mine)
        if (c.kind == TableChange::DropPrimaryKey ? d.type == 'P' : d.name == c.name) target = &d;
    if (!target)
        return MakeErrorAt(c.position, c.kind == TableChange::DropPrimaryKey ? kOraNoPrimaryKeyToDrop
                                                                            : kOraNoSuchConstraint);
    if (target->type == 'P' || target->type == 'U') {
        // a key that another table's foreign key refers to stays
        for (const std::string& t : UserTables(db))
            for (const ConstraintDef& d : TableConstraints(db, t)) {
                if (d.type != 'R' || d.refTable != c.table) continue;
                const bool refersToIt =
                    d.refColumns.empty() ? target->type == 'P' : d.refColumns == target->columns;
                if (refersToIt && !(t == c.table && &d == target)) return MakeErrorAt(c.position, kOraKeyReferenced);
            }
    }
    std::string sql = Cut(row.sql, target->from, target->to, target->tableLevel);
    if (target->type == 'P') sql = WithKeyNotNull(WithoutKeyNotNull(sql));
    return RebuildTable(s, c.table, sql, std::string(), 0);
}

}  // namespace liteoci
