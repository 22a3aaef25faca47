#include "GroupCheck.h"

#include <unordered_map>
#include <unordered_set>

#include "OraCodes.h"

namespace liteoci {
namespace {

// Words of expressions that never name a column.
bool IsExpressionWord(const std::string& w) {
    static const std::unordered_set<std::string> kWords = {
        "CASE", "WHEN", "THEN", "ELSE", "END", "AND", "OR", "NOT", "IS", "NULL", "LIKE", "LIKEC", "LIKE2", "LIKE4",
        "ESCAPE", "BETWEEN", "IN", "EXISTS", "ANY", "SOME", "ALL", "DISTINCT", "UNIQUE", "AS", "ASC", "DESC",
        "NULLS", "FIRST", "LAST", "TRUE", "FALSE", "SYSDATE", "SYSTIMESTAMP", "CURRENT_DATE", "CURRENT_TIMESTAMP",
        "LOCALTIMESTAMP", "USER", "UID", "ROWNUM", "ROWID", "LEVEL", "DATE", "TIMESTAMP", "INTERVAL", "YEAR",
        "MONTH", "DAY", "HOUR", "MINUTE", "SECOND", "TO", "FROM", "LEADING", "TRAILING", "BOTH", "AT", "TIME",
        "ZONE", "LOCAL", "SESSIONTIMEZONE", "DBTIMEZONE", "PRIOR", "CONNECT_BY_ROOT", "CONNECT_BY_ISLEAF",
        "CONNECT_BY_ISCYCLE", "MEMBER", "OF", "SUBMULTISET", "SEPARATOR", "ON", "OVERFLOW", "TRUNCATE", "ERROR",
        "WITH", "WITHOUT", "COUNT", "DEFAULT", "CONVERSION", "NAN", "INFINITE", "EMPTY", "SIBLINGS", "BY",
        "ORDER", "PARTITION", "ROWS", "RANGE", "UNBOUNDED", "PRECEDING", "FOLLOWING", "CURRENT", "ROW",
        "WITHIN", "GROUP", "KEEP", "OVER", "IGNORE", "RESPECT", "DENSE_RANK", "EXCLUDE",
        "TIES", "OTHERS", "NO", "USING", "CHAR", "BYTE", "PRESERVE", "NOCYCLE", "SQLCODE", "SQLERRM", "A", "SET"};
    return kWords.count(w) != 0;
}

// Built-in functions of one row's values.
bool IsScalarFunction(const std::string& f) {
    static const std::unordered_set<std::string> kNames = {
        "UPPER", "LOWER", "INITCAP", "NVL", "NVL2", "COALESCE", "DECODE", "NULLIF", "LNNVL", "NANVL", "TO_CHAR",
        "TO_DATE", "TO_NUMBER", "TO_TIMESTAMP", "TO_CLOB", "TO_NCHAR", "TO_BINARY_DOUBLE", "TO_BINARY_FLOAT",
        "SUBSTR", "SUBSTRB", "INSTR", "INSTRB", "LENGTH", "LENGTHB", "LPAD", "RPAD", "TRIM", "LTRIM", "RTRIM",
        "REPLACE", "TRANSLATE", "CONCAT", "CHR", "ASCII", "ABS", "CEIL", "FLOOR", "ROUND", "TRUNC", "MOD",
        "REMAINDER", "POWER", "SQRT", "SIGN", "EXP", "LN", "LOG", "SIN", "COS", "TAN", "ASIN", "ACOS", "ATAN",
        "ATAN2", "SINH", "COSH", "TANH", "GREATEST", "LEAST", "ADD_MONTHS", "MONTHS_BETWEEN", "LAST_DAY",
        "NEXT_DAY", "EXTRACT", "CAST", "REGEXP_SUBSTR", "REGEXP_REPLACE", "REGEXP_INSTR", "REGEXP_LIKE",
        "REGEXP_COUNT", "SYS_CONTEXT", "USERENV", "DUMP", "VSIZE", "SOUNDEX", "NUMTODSINTERVAL",
        "NUMTOYMINTERVAL", "BITAND", "ORA_HASH", "STANDARD_HASH", "RAWTOHEX", "HEXTORAW", "ROWIDTOCHAR",
        "UNISTR", "ASCIISTR", "NLS_UPPER", "NLS_LOWER", "NLS_INITCAP", "WIDTH_BUCKET", "SYS_GUID", "EMPTY_CLOB",
        "EMPTY_BLOB", "FROM_TZ", "NEW_TIME", "SYS_EXTRACT_UTC", "TZ_OFFSET", "TO_DSINTERVAL", "TO_YMINTERVAL"};
    return kNames.count(f) != 0;
}

struct Checker {
    std::string_view text;
    const std::vector<Token>& toks;
    const QueryShape& shape;
    const ColumnLookup& hasColumn;
    size_t budget;  // token comparisons left for matching grouped expressions; none left: accept

    bool W(size_t i, std::string_view w) const { return i < toks.size() && IsWord(text, toks[i], w); }
    bool O(size_t i, std::string_view o) const { return i < toks.size() && IsOp(text, toks[i], o); }
    std::string Key(size_t i) const {
        const Token& t = toks[i];
        if (t.kind == Tok::Word || t.kind == Tok::QIdent) return IdentName(text, t);
        return std::string(TokText(text, t));
    }
    // Past the qualifiers of a column reference (a.b.c: at c).
    size_t Unqualified(size_t i, size_t end) const {
        while (i + 2 < end && IsName(toks[i]) && O(i + 1, ".") && IsName(toks[i + 2])) i += 2;
        return i;
    }
    bool Subquery(size_t i) const { return O(i, "(") && (W(i + 1, "SELECT") || W(i + 1, "WITH")); }
    size_t After(size_t open) const { return shape.match[open] == SIZE_MAX ? toks.size() : shape.match[open] + 1; }

    // The grouped expressions, as sequences of token keys without qualifiers.
    std::vector<std::vector<std::string>> groups;
    std::unordered_map<std::string, std::vector<size_t>> byFirst;
    bool giveUp = false;

    void AddGroup(size_t b, size_t e) {
        while (e > b + 1 && O(b, "(") && shape.match[b] == e - 1) ++b, --e;
        if (b >= e) return;
        if (e == b + 1 && toks[b].kind == Tok::Number) giveUp = true;  // GROUP BY a position or constant
        std::vector<std::string> keys;
        for (size_t i = b; i < e; ++i) {
            i = Unqualified(i, e);
            keys.push_back(Key(i));
        }
        byFirst[keys.front()].push_back(groups.size());
        groups.push_back(std::move(keys));
    }

    // The elements of a GROUP BY list [b, e), ROLLUP, CUBE and GROUPING SETS opened up.
    void AddGroupList(size_t b, size_t e) {
        size_t s = b;
        for (size_t i = b; i <= e; ++i) {
            if (i < e && O(i, "(")) {
                i = After(i) - 1;
                continue;
            }
            if (i < e && !O(i, ",")) continue;
            size_t x = s;
            if (W(x, "GROUPING") && W(x + 1, "SETS")) x += 2;
            else if (W(x, "ROLLUP") || W(x, "CUBE")) x += 1;
            if (x > s && O(x, "(")) AddGroupList(x + 1, After(x) - 1);
            else if (O(s, "(") && After(s) == i && i > s) AddGroupList(s + 1, i - 1);  // (a, b) composite
            else if (i > s) AddGroup(s, i);
            else giveUp = true;  // an empty element: the syntax error comes first
            s = i + 1;
        }
    }

    // Tokens of the grouped expression starting at i (0 when none starts there).
    size_t MatchGroup(size_t i, size_t end) {
        if (groups.empty()) return 0;
        const size_t first = Unqualified(i, end);
        auto it = byFirst.find(Key(first));
        if (it == byFirst.end()) return 0;
        size_t best = 0;
        for (size_t g : it->second) {
            const auto& keys = groups[g];
            size_t k = i, n = 0;
            for (; n < keys.size() && k < end; ++n, ++k) {
                if (budget == 0) return giveUp = true, 0;
                --budget;
                k = Unqualified(k, end);
                if (Key(k) != keys[n]) break;
            }
            if (n == keys.size() && k - i > best) best = k - i;
        }
        return best;
    }

    // Just past an OVER (...), WITHIN GROUP (...) or KEEP (...) that follows a call ending before i.
    size_t PastCallTail(size_t i, bool& analytic) const {
        for (;;) {
            if (W(i, "WITHIN") && W(i + 1, "GROUP") && O(i + 2, "(")) i = After(i + 2);
            else if (W(i, "KEEP") && O(i + 1, "(")) i = After(i + 1);
            else if (W(i, "OVER")) {
                analytic = true;
                i = O(i + 1, "(") ? After(i + 1) : i + 2;
            } else return i;
        }
    }

    // A column the block reads outside its aggregates and grouped expressions, in [b, e): its token,
    // or SIZE_MAX.
    size_t Ungrouped(size_t b, size_t e, const std::vector<std::pair<std::string, std::string>>& from,
                     const std::unordered_set<std::string>& aliases, const std::unordered_set<size_t>& aliasTokens) {
        for (size_t i = b; i < e && !giveUp;) {
            const Token& t = toks[i];
            if (aliasTokens.count(i)) {
                ++i;
                continue;
            }
            if (Subquery(i)) {
                i = After(i);
                continue;
            }
            if (size_t n = MatchGroup(i, e)) {
                i += n;
                continue;
            }
            if (!IsName(t)) {
                // DATE '...', INTERVAL '...' DAY: the literal's text is no column
                ++i;
                continue;
            }
            if (O(i + 1, "(")) {
                bool analytic = false;
                const size_t close = After(i + 1);
                const size_t tail = PastCallTail(close, analytic);
                const std::string f = IdentName(text, t);
                // the arguments of a function that is neither built in nor a keyword's parenthesis are not
                // looked at: it may be an aggregate of the schema's own
                if (analytic || t.kind != Tok::Word || IsAggregateName(f) ||
                    !(IsExpressionWord(f) || IsScalarFunction(f))) {
                    i = tail;
                    continue;
                }
                i += 2;
                continue;
            }
            if (W(i, "AS") && aliasTokens.count(i + 1)) {
                ++i;
                continue;
            }
            if (W(i, "AS") && i > b) {
                // CAST(x AS type): the type's words up to the closing parenthesis
                size_t k = i + 1;
                while (k < e && !O(k, ")")) k = O(k, "(") ? After(k) : k + 1;
                i = k;
                continue;
            }
            size_t last = Unqualified(i, e);
            const std::string name = IdentName(text, toks[last]);
            const bool qualified = last > i;
            if (qualified && last > i + 2) {  // schema.table.column or a package's function
                i = last + 1;
                continue;
            }
            if (!qualified && t.kind == Tok::Word && (IsExpressionWord(name) || aliases.count(name))) {
                ++i;
                continue;
            }
            if (W(last, "NEXTVAL") || W(last, "CURRVAL")) {
                i = last + 1;
                continue;
            }
            // A column of this block's tables; anything else (an outer query's column, a function
            // called without parentheses) is accepted.
            const std::string qualifier = qualified ? IdentName(text, toks[i]) : std::string();
            bool local = false;
            for (const auto& [alias, table] : from) {
                if (qualified && qualifier != alias) continue;
                if (!table.empty() && hasColumn && hasColumn(table, name)) local = true;
            }
            if (local) return i;
            i = last + 1;
        }
        return SIZE_MAX;
    }

    // The keys of the tokens [b, e) without qualifiers, joined.
    std::string Joined(size_t b, size_t e) const {
        std::string out;
        for (size_t i = b; i < e; ++i) {
            i = Unqualified(i, e);
            out += Key(i);
            out += '\x01';
        }
        return out;
    }

    // SELECT DISTINCT sorts by what it selects: a column of its tables in ORDER BY that is no item of
    // the select list is ORA-01791. Expressions other than plain columns are accepted.
    OraError DistinctOrder(const QueryBlock& q) const {
        if (!(W(q.select + 1, "DISTINCT") || W(q.select + 1, "UNIQUE")) || q.orderBy == SIZE_MAX || q.compound ||
            q.opaque || q.hierarchical || q.listEnd <= q.listBegin)
            return {};
        std::unordered_set<std::string> selected, aliases;
        for (size_t i = q.listBegin, s = q.listBegin; i <= q.listEnd; ++i) {
            if (i < q.listEnd && O(i, "(")) {
                i = After(i) - 1;
                continue;
            }
            if (i < q.listEnd && !O(i, ",")) continue;
            if (i == s || O(i - 1, "*")) return {};
            size_t last = i;
            if (last >= s + 2 && IsName(toks[last - 1]) && !O(last - 2, ".") &&
                (toks[last - 2].kind != Tok::Op || O(last - 2, ")"))) {
                aliases.insert(IdentName(text, toks[last - 1]));
                --last;
                if (W(last - 1, "AS")) --last;
            }
            selected.insert(Joined(s, last));
            s = i + 1;
        }
        const auto from = FromTables(text, toks, shape, q);
        const size_t end = shape.ClauseEnd(q, q.orderBy);
        for (size_t i = q.orderBy + 2, s = i; i <= end; ++i) {
            if (i < end && O(i, "(")) {
                i = After(i) - 1;
                continue;
            }
            if (i < end && !O(i, ",")) continue;
            size_t last = i;
            if (last > s && (W(last - 1, "FIRST") || W(last - 1, "LAST")) && W(last - 2, "NULLS")) last -= 2;
            if (last > s && (W(last - 1, "ASC") || W(last - 1, "DESC"))) --last;
            const size_t col = Unqualified(s, last);
            const bool column = last > s && col == last - 1 && IsName(toks[col]) && !(col == s && aliases.count(IdentName(text, toks[col])));
            if (column && !selected.count(Joined(s, last))) {
                const std::string qualifier = col > s ? IdentName(text, toks[col - 2]) : std::string();
                for (const auto& [alias, table] : from)
                    if ((qualifier.empty() || qualifier == alias) && !table.empty() && hasColumn &&
                        hasColumn(table, IdentName(text, toks[col])))
                        return MakeErrorAt(static_cast<int>(toks[s].pos), kOraNotSelectedExpression);
            }
            s = i + 1;
        }
        return {};
    }

    bool HasAggregate(size_t b, size_t e) const {
        for (size_t i = b; i < e; ++i) {
            if (Subquery(i)) {
                i = After(i) - 1;
                continue;
            }
            if (toks[i].kind != Tok::Word || !O(i + 1, "(") || !IsAggregateName(IdentName(text, toks[i]))) continue;
            bool analytic = false;
            PastCallTail(After(i + 1), analytic);
            if (!analytic) return true;
        }
        return false;
    }
};

}  // namespace

std::vector<std::pair<std::string, std::string>> FromTables(std::string_view text, const std::vector<Token>& toks,
                                                           const QueryShape& shape, const QueryBlock& q) {
    std::vector<std::pair<std::string, std::string>> out;
    if (q.from == SIZE_MAX) return out;
    const size_t end = shape.ClauseEnd(q, q.from);
    auto w = [&](size_t i, std::string_view word) { return i < end && IsWord(text, toks[i], word); };
    auto o = [&](size_t i, std::string_view op) { return i < end && IsOp(text, toks[i], op); };
    auto notAlias = [&](size_t a) {
        static const char* const kWords[] = {"JOIN", "ON", "INNER", "LEFT", "RIGHT", "FULL", "CROSS", "NATURAL",
                                             "USING", "OUTER", "WHERE", "PARTITION", "SAMPLE", "AS", "PIVOT",
                                             "UNPIVOT", "LATERAL", "APPLY", "OUTER"};
        for (const char* k : kWords)
            if (w(a, k)) return true;
        return false;
    };
    bool expectTable = true;
    for (size_t i = q.from + 1; i < end; ++i) {
        if (o(i, "(")) {
            const size_t close = shape.match[i] == SIZE_MAX ? end : shape.match[i];
            if (expectTable) {
                size_t a = close + 1;
                if (w(a, "AS")) ++a;
                std::string alias = a < end && (toks[a].kind == Tok::Word || toks[a].kind == Tok::QIdent) && !notAlias(a)
                                        ? IdentName(text, toks[a])
                                        : std::string();
                out.emplace_back(alias, std::string());
                expectTable = false;
            }
            i = close;
            continue;
        }
        if (o(i, ",") || w(i, "JOIN")) {
            expectTable = true;
            continue;
        }
        if (!expectTable || !(toks[i].kind == Tok::Word || toks[i].kind == Tok::QIdent) || w(i, "LATERAL") ||
            w(i, "ONLY"))
            continue;
        if (w(i, "TABLE") && o(i + 1, "(")) continue;
        size_t n = i;
        while (n + 2 < end && o(n + 1, ".") && (toks[n + 2].kind == Tok::Word || toks[n + 2].kind == Tok::QIdent))
            n += 2;
        const std::string table = IdentName(text, toks[n]);
        size_t a = n + 1;
        if (w(a, "AS")) ++a;
        std::string alias = table;
        if (a < end && (toks[a].kind == Tok::Word || toks[a].kind == Tok::QIdent) && !notAlias(a))
            alias = IdentName(text, toks[a]);
        out.emplace_back(alias, table);
        expectTable = false;
        i = n;
    }
    return out;
}

OraError CheckGrouping(std::string_view text, const std::vector<Token>& toks, const QueryShape& shape,
                       const ColumnLookup& hasColumn) {
    Checker c{text, toks, shape, hasColumn, 4 * toks.size() + 100000, {}, {}, false};
    for (const QueryBlock& q : shape.blocks)
        if (OraError err = c.DistinctOrder(q)) return err;
    for (const QueryBlock& q : shape.blocks) {
        if (q.opaque || q.hierarchical || q.listEnd <= q.listBegin) continue;
        // HAVING alone groups the rows into one group, as an aggregate in the select list does
        const bool grouped = q.groupBy != SIZE_MAX || q.having != SIZE_MAX;
        if (!grouped && !c.HasAggregate(q.listBegin, q.listEnd)) continue;
        c.groups.clear();
        c.byFirst.clear();
        c.giveUp = false;
        if (q.groupBy != SIZE_MAX) c.AddGroupList(q.groupBy + 2, shape.ClauseEnd(q, q.groupBy));
        if (c.giveUp) continue;
        const auto from = FromTables(text, toks, shape, q);
        // The aliases of the select list's items (which ORDER BY may use) and the names its columns get.
        std::unordered_set<std::string> aliases, names, none;
        std::unordered_set<size_t> aliasTokens, noTokens;
        for (size_t i = q.listBegin, s = q.listBegin; i <= q.listEnd; ++i) {
            if (i < q.listEnd && c.O(i, "(")) {
                i = c.After(i) - 1;
                continue;
            }
            if (i < q.listEnd && !c.O(i, ",")) continue;
            const size_t k = i;
            if (k > s && IsName(toks[k - 1])) names.insert(IdentName(text, toks[k - 1]));
            if (k >= s + 2 && IsName(toks[k - 1]) && !c.O(k - 2, ".") &&
                (toks[k - 2].kind != Tok::Op || c.O(k - 2, ")"))) {
                aliasTokens.insert(k - 1);
                aliases.insert(IdentName(text, toks[k - 1]));
            }
            s = i + 1;
        }
        // GROUP BY an alias of the select list (which newer releases allow): not modelled
        for (const auto& g : c.groups)
            if (g.size() == 1 && aliases.count(g.front())) c.giveUp = true;
        if (c.giveUp) continue;
        const bool byExpression = grouped;
        // HAVING is looked at before the select list, as Oracle does
        size_t bad = SIZE_MAX;
        if (q.having != SIZE_MAX) bad = c.Ungrouped(q.having + 1, shape.ClauseEnd(q, q.having), from, aliases, noTokens);
        if (bad == SIZE_MAX) bad = c.Ungrouped(q.listBegin, q.listEnd, from, none, aliasTokens);
        if (bad == SIZE_MAX && grouped && q.orderBy != SIZE_MAX && !q.compound) {
            names.insert(aliases.begin(), aliases.end());
            bad = c.Ungrouped(q.orderBy + 2, shape.ClauseEnd(q, q.orderBy), from, names, noTokens);
        }
        if (c.giveUp) continue;
        if (bad != SIZE_MAX)
            return MakeErrorAt(static_cast<int>(toks[bad].pos), byExpression ? kOraNotGroupByExpression
                                                                            : kOraNotSingleGroupFunction);
    }
    return {};
}

}  // namespace liteoci
