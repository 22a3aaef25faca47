#include "AlterModify.h"

#include <climits>
#include <string>

#include "ColumnRules.h"
#include "Executor.h"
#include "OraCodes.h"
#include "OracleForms.h"
#include "Session.h"
#include "Translate.h"

namespace liteoci {
namespace {

// One column of the MODIFY list.
struct Change {
    size_t nameTok = 0;
    std::string column;
    size_t typeB = SIZE_MAX, typeE = 0;  // the new type's tokens
    size_t defaultB = SIZE_MAX, defaultE = 0;  // DEFAULT and its expression
    std::string constraint;  // CONSTRAINT name before NOT NULL
    bool notNull = false, null = false;
};

// Whether a query finds a row.
bool Finds(Session& s, const std::string& sql) {
    sqlite3_stmt* q = nullptr;
    bool found = false;
    if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr) == SQLITE_OK) found = sqlite3_step(q) == SQLITE_ROW;
    sqlite3_finalize(q);
    return found;
}

char Family(const Column& c) {
    if (c.sqlt == SQLT_CHR || c.sqlt == SQLT_AFC) return 'C';
    if (c.sqlt == SQLT_NUM) return 'N';
    if (c.sqlt == SQLT_DAT) return 'D';
    return static_cast<char>('a' + (c.sqlt % 26));
}

struct Modifier {
    Session& s;
    std::string_view text;
    const std::vector<Token>& toks;
    std::vector<size_t> match;

    bool W(size_t i, std::string_view w) const { return i < toks.size() && IsWord(text, toks[i], w); }
    bool O(size_t i, std::string_view o) const { return i < toks.size() && IsOp(text, toks[i], o); }
    int At(size_t i) const {
        return static_cast<int>(i < toks.size() ? toks[i].pos : toks.back().pos + toks.back().len);
    }
    std::string Slice(size_t a, size_t b) const {
        if (a >= b) return {};
        return std::string(text.substr(toks[a].pos, toks[b - 1].pos + toks[b - 1].len - toks[a].pos));
    }

    OraError Read(size_t b, size_t e, Change& c) const {
        if (b >= e || !IsName(toks[b])) return MakeErrorAt(At(b), 904, b < e ? "\"" + std::string(TokText(text, toks[b])) + "\"" : "");
        c.nameTok = b;
        c.column = IdentName(text, toks[b]);
        size_t j = b + 1;
        auto keyword = [&](size_t k) { return W(k, "DEFAULT") || W(k, "NOT") || W(k, "NULL") || W(k, "CONSTRAINT"); };
        if (j < e && IsName(toks[j]) && !keyword(j)) {
            c.typeB = j++;
            if (O(j, "(") && match[j] != SIZE_MAX) j = match[j] + 1;
            // TIMESTAMP WITH [LOCAL] TIME ZONE, INTERVAL YEAR TO MONTH, INTERVAL DAY TO SECOND
            while (j < e && (W(j, "WITH") || W(j, "LOCAL") || W(j, "TIME") || W(j, "ZONE") || W(j, "TO") ||
                             W(j, "MONTH") || W(j, "SECOND") || W(j, "YEAR") || W(j, "DAY"))) {
                ++j;
                if (O(j, "(") && match[j] != SIZE_MAX) j = match[j] + 1;
            }
            c.typeE = j;
        }
        while (j < e) {
            if (W(j, "DEFAULT")) {
                c.defaultB = j++;
                while (j < e && (j == c.defaultB + 1 || !(W(j, "NOT") || W(j, "NULL") || W(j, "CONSTRAINT")))) {
                    if (O(j, "(") && match[j] != SIZE_MAX) j = match[j];
                    ++j;
                }
                if (j == c.defaultB + 1) return MakeErrorAt(At(j), kOraMissingExpression);
                c.defaultE = j;
            } else if (W(j, "CONSTRAINT") && j + 1 < e && IsName(toks[j + 1])) {
                c.constraint = IdentName(text, toks[j + 1]);
                j += 2;
            } else if (W(j, "NOT") && W(j + 1, "NULL")) {
                c.notNull = true;
                j += 2;
            } else if (W(j, "NULL")) {
                c.null = true;
                ++j;
            } else {
                return MakeErrorAt(At(j), 922);
            }
        }
        if (c.typeB == SIZE_MAX && c.defaultB == SIZE_MAX && !c.notNull && !c.null) return MakeErrorAt(At(j), 922);
        return {};
    }

    // The stored definition of `column` in sql rewritten with the change.
    OraError Rewrite(const std::string& table, std::string& sql, const Change& c) {
        Lexed lx = Lex(sql);
        const auto& t = lx.toks;
        auto w = [&](size_t i, std::string_view word) { return i < t.size() && IsWord(sql, t[i], word); };
        auto o = [&](size_t i, std::string_view op) { return i < t.size() && IsOp(sql, t[i], op); };
        const std::vector<size_t> m = MatchParens(sql, t, 0, t.size());
        size_t open = 0;
        while (open < t.size() && !o(open, "(")) ++open;
        if (open >= t.size() || m[open] == SIZE_MAX) return MakeError(kOraTableNotFound);
        size_t db = SIZE_MAX, de = 0;
        for (size_t s0 = open + 1, k = open + 1; k <= m[open]; ++k) {
            if (k < m[open] && o(k, "(") && m[k] != SIZE_MAX) {
                k = m[k];
                continue;
            }
            if (k < m[open] && !o(k, ",")) continue;
            if (k > s0 && IsName(t[s0]) && IdentName(sql, t[s0]) == c.column && !w(s0, "CONSTRAINT")) db = s0, de = k;
            s0 = k + 1;
        }
        if (db == SIZE_MAX) return MakeErrorAt(At(c.nameTok), 904, QuoteIdentifier(c.column));
        auto starts = [&](size_t k) {
            return w(k, "CONSTRAINT") || w(k, "PRIMARY") || w(k, "NOT") || w(k, "NULL") || w(k, "UNIQUE") ||
                   w(k, "CHECK") || w(k, "DEFAULT") || w(k, "REFERENCES") || w(k, "COLLATE") || w(k, "GENERATED");
        };
        size_t typeEnd = db + 1;
        while (typeEnd < de && !starts(typeEnd)) {
            if (o(typeEnd, "(") && m[typeEnd] != SIZE_MAX) typeEnd = m[typeEnd];
            ++typeEnd;
        }
        auto raw = [&](size_t a, size_t b) {
            return a >= b ? std::string() : sql.substr(t[a].pos, t[b - 1].pos + t[b - 1].len - t[a].pos);
        };
        std::string def = raw(db, db + 1) + " ";
        TranslateOptions none;
        if (c.typeB != SIZE_MAX) {
            PositionalResolver r;
            Translation tr;
            if (OraError e = Translate(text, toks, c.typeB, c.typeE, none, r, tr)) return e;
            def += tr.sql;
        } else {
            def += raw(db + 1, typeEnd);
        }
        // the clauses kept, each with the CONSTRAINT name before it
        for (size_t k = typeEnd; k < de;) {
            size_t clause = k;
            if (w(k, "CONSTRAINT")) k += 2;
            size_t end = k + 1;
            bool keep = true;
            if (w(k, "NOT") && w(k + 1, "NULL")) {
                end = k + 2;
                keep = !c.null && !c.notNull;  // a new NOT NULL is written below, with its own name
            } else if (w(k, "DEFAULT")) {
                end = k + 1;
                if (o(end, "-") || o(end, "+")) ++end;
                if (o(end, "(") && m[end] != SIZE_MAX) end = m[end] + 1;
                else ++end;
                keep = c.defaultB == SIZE_MAX;
            } else if (w(k, "CHECK") && o(k + 1, "(") && m[k + 1] != SIZE_MAX) {
                end = m[k + 1] + 1;
                keep = !(c.typeB != SIZE_MAX && w(k + 2, "LITEOCI_FITS"));
            } else {
                while (end < de && !starts(end)) {
                    if (o(end, "(") && m[end] != SIZE_MAX) end = m[end];
                    ++end;
                }
            }
            if (end > de) end = de;
            if (keep) def += " " + raw(clause, end);
            k = end;
        }
        if (c.defaultB != SIZE_MAX) {
            TranslateOptions forms;
            RewriteOracleForms(text, toks, 0, toks.size(), forms);
            PositionalResolver r;
            Translation tr;
            if (OraError e = Translate(text, toks, c.defaultB + 1, c.defaultE, forms, r, tr)) return e;
            if (r.count() > 0) return MakeErrorAt(At(c.defaultB), 1036);
            // SQLite takes an expression as a default only in parentheses; a literal as it is
            const bool literal = c.defaultE == c.defaultB + 2 && toks[c.defaultB + 1].kind != Tok::Word &&
                                 toks[c.defaultB + 1].kind != Tok::QIdent;
            def += literal ? " DEFAULT " + tr.sql : " DEFAULT (" + tr.sql + ")";
        }
        if (c.notNull) def += (c.constraint.empty() ? std::string() : " CONSTRAINT " + QuoteIdentifier(c.constraint)) + " NOT NULL";
        if (c.typeB != SIZE_MAX) {
            // the new type's rules, as CREATE TABLE would have written them
            const std::string probe = "CREATE TABLE " + QuoteIdentifier(table) + " (" + QuoteIdentifier(c.column) + " " +
                                      Slice(c.typeB, c.typeE) + ")";
            Lexed plx = Lex(probe);
            std::string ignored;
            for (const auto& [tok, check] : ColumnChecks(ColumnRulesOf(probe, plx.toks, ignored), table)) {
                (void)tok;
                def += check;
            }
        }
        sql = sql.substr(0, t[db].pos) + def + sql.substr(t[de - 1].pos + t[de - 1].len);
        return {};
    }

    // The rows against the change: Oracle's errors when they do not fit it.
    OraError Check(const std::string& table, const Change& c) {
        const char* decl = nullptr;
        int notNull = 0, primaryKey = 0;
        if (sqlite3_table_column_metadata(s.db(), nullptr, table.c_str(), c.column.c_str(), &decl, nullptr, &notNull,
                                          &primaryKey, nullptr) != SQLITE_OK)
            return MakeErrorAt(At(c.nameTok), 904, QuoteIdentifier(c.column));
        const std::string from = " FROM " + QuoteIdentifier(table) + " WHERE ";
        const std::string col = QuoteIdentifier(c.column);
        if (c.typeB != SIZE_MAX) {
            PositionalResolver r;
            Translation tr;
            if (OraError e = Translate(text, toks, c.typeB, c.typeE, TranslateOptions{}, r, tr)) return e;
            const Column before = ColumnFromDeclaredType(decl ? decl : "");
            const Column after = ColumnFromDeclaredType(tr.sql.c_str());
            const bool data = Finds(s, "SELECT 1" + from + col + " IS NOT NULL LIMIT 1");
            if (Family(before) != Family(after)) {
                if (data) return MakeErrorAt(At(c.nameTok), kOraModifyNeedsEmptyForType);
            } else if (Family(after) == 'C') {
                if (after.size < before.size &&
                    Finds(s, "SELECT 1" + from + "length(CAST(" + col + " AS BLOB)) > " + std::to_string(after.size) +
                                 " LIMIT 1"))
                    return MakeErrorAt(At(c.nameTok), kOraCannotDecreaseLength);
            } else if (Family(after) == 'N') {
                // precision 0 is NUMBER without one: any number
                const int p0 = before.precision > 0 ? before.precision : 1000, s0 = before.precision > 0 ? before.scale : 500;
                const int p1 = after.precision > 0 ? after.precision : 1000, s1 = after.precision > 0 ? after.scale : 500;
                if ((p1 - s1 < p0 - s0 || s1 < s0) && data) return MakeErrorAt(At(c.nameTok), kOraModifyNeedsEmptyForPrecision);
            }
        }
        if (c.notNull) {
            if (notNull) return MakeErrorAt(At(c.nameTok), kOraAlreadyNotNull);
            if (Finds(s, "SELECT 1" + from + col + " IS NULL LIMIT 1"))
                return MakeErrorAt(At(c.nameTok), kOraNullValuesFound, s.user(), c.constraint);
        }
        if (c.null && !notNull && !primaryKey) return MakeErrorAt(At(c.nameTok), kOraAlreadyNull);
        return {};
    }
};

}  // namespace

bool IsAlterModify(std::string_view text, const std::vector<Token>& toks) {
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    if (!w(0, "ALTER") || !w(1, "TABLE")) return false;
    const size_t k = toks.size() > 4 && IsOp(text, toks[3], ".") ? 5 : 3;
    return w(k, "MODIFY");
}

OraError AlterModify(Session& s, std::string_view text, const std::vector<Token>& toks) {
    Modifier md{s, text, toks, MatchParens(text, toks, 0, toks.size())};
    const size_t nameTok = toks.size() > 4 && IsOp(text, toks[3], ".") ? 4 : 2;
    if (!IsName(toks[nameTok])) return MakeErrorAt(md.At(nameTok), 903);
    const std::string table = IdentName(text, toks[nameTok]);
    size_t b = nameTok + 2, e = toks.size();
    if (md.O(b, "(")) {
        if (md.match[b] == SIZE_MAX) return MakeErrorAt(md.At(e), 907);
        if (md.match[b] + 1 != e) return MakeErrorAt(md.At(md.match[b] + 1), kOraNotProperlyEnded);
        e = md.match[b];
        ++b;
    }
    std::vector<Change> changes;
    for (size_t s0 = b, k = b; k <= e; ++k) {
        if (k < e && md.O(k, "(") && md.match[k] != SIZE_MAX) {
            k = md.match[k];
            continue;
        }
        if (k < e && !md.O(k, ",")) continue;
        Change c;
        if (OraError err = md.Read(s0, k, c)) return err;
        changes.push_back(std::move(c));
        s0 = k + 1;
    }
    std::string sql;
    {
        sqlite3_stmt* q = nullptr;
        if (sqlite3_prepare_v2(s.db(), "SELECT sql FROM main.sqlite_master WHERE type = 'table' AND name = ?1", -1, &q,
                               nullptr) == SQLITE_OK) {
            sqlite3_bind_text(q, 1, table.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(q) == SQLITE_ROW && sqlite3_column_text(q, 0))
                sql = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
        }
        sqlite3_finalize(q);
    }
    if (sql.empty()) return MakeErrorAt(md.At(nameTok), kOraTableNotFound);
    for (const Change& c : changes) {
        if (OraError err = md.Check(table, c)) return err;
        if (OraError err = md.Rewrite(table, sql, c)) return err;
    }
    // the new text must be one SQLite reads: tried on a table of its own first
    {
        const size_t open = sql.find('(');
        const std::string probe = "CREATE TABLE temp.\"liteoci$modify\" " + sql.substr(open == std::string::npos ? 0 : open);
        sqlite3_stmt* q = nullptr;
        const int rc = sqlite3_prepare_v2(s.db(), probe.c_str(), -1, &q, nullptr);
        sqlite3_finalize(q);
        if (rc != SQLITE_OK) return s.MapError(rc);
    }
    if (OraError err = ReplaceTableDefinition(s, table, sql)) return err;
    // the rounding of NUMBER(p,s) columns follows their new scale
    RefreshRoundingTrigger(s, table);
    return {};
}

}  // namespace liteoci
