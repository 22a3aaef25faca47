#include "OracleForms.h"

#include "DateForms.h"
#include "RowLimit.h"
#include "TokenPass.h"

namespace liteoci {
namespace {

struct Forms : TokenPass {


    bool EndsOrderBy(size_t i) const {
        static const char* const kWords[] = {"FETCH", "OFFSET", "FOR", "UNION", "INTERSECT", "MINUS", "EXCEPT",
                                             "ROWS", "RANGE", "GROUPS", "LIMIT"};
        for (const char* w : kWords)
            if (W(i, w)) return true;
        return O(i, ";");
    }

    void NullOrder() {
        for (size_t i = b; i + 1 < e; ++i) {
            if (!W(i, "ORDER") || !W(i + 1, "BY")) continue;
            size_t itemEnd = i + 2;
            size_t k = i + 2;
            auto finish = [&](size_t last) {  // last: the item's last token
                if (last < i + 2) return;
                if (W(last, "FIRST") || W(last, "LAST")) return;  // NULLS FIRST / LAST given
                options.appends.emplace_back(last, W(last, "DESC") ? " NULLS FIRST" : " NULLS LAST");
            };
            for (; k < e; ++k) {
                if (O(k, "(")) {
                    if (match[k] == SIZE_MAX) return;
                    k = match[k];
                    continue;
                }
                if (O(k, ")") || EndsOrderBy(k)) break;
                if (O(k, ",")) {
                    finish(k - 1);
                    itemEnd = k + 1;
                }
            }
            if (k > itemEnd) finish(k - 1);
            i = k > i + 1 ? k - 1 : i + 1;
        }
    }

    // UPDATE t e SET e.c = ..., DELETE [FROM] t e WHERE ...
    void DmlAlias() {
        // DELETE t: SQLite wants the FROM that Oracle lets one leave out
        if (W(b, "DELETE") && !W(b + 1, "FROM") && b + 1 < e && IsName(toks[b + 1])) options.appends.emplace_back(b, " FROM");
        size_t t = SIZE_MAX;
        if (W(b, "UPDATE")) t = b + 1;
        else if (W(b, "DELETE")) t = W(b + 1, "FROM") ? b + 2 : b + 1;
        if (t == SIZE_MAX || t >= e || !IsName(toks[t])) return;
        if (O(t + 1, ".") && t + 2 < e && IsName(toks[t + 2])) t += 2;
        const size_t a = t + 1;
        if (a >= e || !IsName(toks[a]) || W(a, "SET") || W(a, "WHERE") || W(a, "AS") || W(a, "RETURNING")) return;
        options.appends.emplace_back(t, " AS");
        if (!W(b, "UPDATE")) return;
        const std::string alias = IdentName(text, toks[a]);
        // the qualified targets of SET: "e.c =" and "(e.a, e.b) ="
        size_t set = a + 1;
        if (!W(set, "SET")) return;
        int depth = 0;
        for (size_t k = set + 1; k + 2 < e; ++k) {
            if (O(k, "(")) ++depth;
            else if (O(k, ")")) --depth;
            if (depth == 0 && W(k, "WHERE")) break;
            const bool target = (O(k - 1, ",") || W(k - 1, "SET") || (O(k - 1, "(") && depth == 1 && W(set, "SET"))) &&
                                IsName(toks[k]) && IdentName(text, toks[k]) == alias && O(k + 1, ".");
            if (target) options.substitutions.push_back({k, k + 2, ""});
        }
    }

    // CAST(x AS CHAR(n)) and NCHAR(n): SQLite's CAST keeps the text as it is, Oracle pads it with blanks.
    void CastToChar() {
        for (size_t i = b; i + 1 < e; ++i) {
            if (!W(i, "CAST") || !O(i + 1, "(") || match[i + 1] == SIZE_MAX) continue;
            const size_t close = match[i + 1];
            size_t as = SIZE_MAX;
            for (size_t k = i + 2; k < close; ++k) {
                if (O(k, "(") && match[k] != SIZE_MAX) k = match[k];
                else if (W(k, "AS")) as = k;
            }
            const size_t t = as + 1;
            if (as != SIZE_MAX && (W(t, "NUMBER") || W(t, "NUMERIC") || W(t, "DECIMAL") || W(t, "INTEGER") || W(t, "INT"))) {
                // CAST(x AS NUMBER[(p[, s])]) as LITEOCI_TONUMBER(x, p, s): rounded, checked, and a text must be a number
                std::string p = "NULL", sc = "NULL";
                const bool integer = W(t, "INTEGER") || W(t, "INT");
                if (integer) p = "38", sc = "0";
                else if (O(t + 1, "(") && t + 2 < close && toks[t + 2].kind == Tok::Number) {
                    p = std::string(TokText(text, toks[t + 2]));
                    sc = "0";
                    size_t k = t + 3;
                    if (O(k, ",")) {
                        const bool negative = O(k + 1, "-");
                        if (negative) ++k;
                        if (k + 1 < close && toks[k + 1].kind == Tok::Number)
                            sc = (negative ? "-" : "") + std::string(TokText(text, toks[k + 1]));
                    }
                }
                options.substitutions.push_back({i, i + 2, "LITEOCI_TONUMBER(("});
                options.substitutions.push_back({as, close, "), " + p + ", " + sc});
                continue;
            }
            if (as == SIZE_MAX || !(W(t, "CHAR") || W(t, "NCHAR"))) continue;
            std::string length = "1";
            char unit = W(t, "NCHAR") ? 'C' : 'B';
            if (O(t + 1, "(") && t + 2 < close && toks[t + 2].kind == Tok::Number) {
                length = std::string(TokText(text, toks[t + 2]));
                if (W(t + 3, "CHAR")) unit = 'C';
            }
            options.substitutions.push_back({i, i + 1, "LITEOCI_PADCHAR(CAST"});
            options.substitutions.push_back({t, close, "TEXT), " + length + ", '" + unit + "'"});
        }
    }

    // A query in parentheses where SQLite wants a bare one: a member of UNION / INTERSECT / MINUS,
    // INSERT INTO t [(columns)] (SELECT ...), CREATE VIEW v AS (SELECT ...). "(" becomes
    // "SELECT * FROM (", which keeps what the query in parentheses means, ORDER BY included.
    void ParenthesizedQueries() {
        auto setOperator = [&](size_t k) {
            return W(k, "UNION") || W(k, "INTERSECT") || W(k, "MINUS") || W(k, "EXCEPT");
        };
        for (size_t i = b; i + 1 < e; ++i) {
            if (!O(i, "(") || match[i] == SIZE_MAX || !(W(i + 1, "SELECT") || W(i + 1, "WITH"))) continue;
            const size_t close = match[i];
            bool bare = false;
            if (i > b && (setOperator(i - 1) || (W(i - 1, "ALL") && i > b + 1 && setOperator(i - 2)))) bare = true;
            if (setOperator(close + 1)) bare = true;
            if (i > b && W(i - 1, "AS") && i >= b + 3 && W(b, "CREATE")) {
                for (size_t k = b + 1; k < i && !bare; ++k) bare = W(k, "VIEW");
            }
            if (W(b, "INSERT") && W(b + 1, "INTO") && i > b + 2) {
                // INSERT INTO t (SELECT ...) or INSERT INTO t (a, b) (SELECT ...)
                size_t t = b + 2;
                if (O(t + 1, ".") && t + 2 < e) t += 2;
                const size_t after = O(t + 1, "(") && t + 1 != i && match[t + 1] != SIZE_MAX ? match[t + 1] + 1 : t + 1;
                if (after == i) bare = true;
            }
            if (!bare) continue;
            options.substitutions.push_back({i, i + 1, "SELECT * FROM ("});
        }
    }

    // TRIM([LEADING | TRAILING | BOTH] [c] FROM s) as LITEOCI_TRIM('L' | 'T' | 'B', c, s).
    void TrimFrom() {
        for (size_t i = b; i + 1 < e; ++i) {
            if (!W(i, "TRIM") || !O(i + 1, "(") || match[i + 1] == SIZE_MAX) continue;
            const size_t close = match[i + 1];
            size_t from = SIZE_MAX;
            for (size_t k = i + 2; k < close; ++k) {
                if (O(k, "(") && match[k] != SIZE_MAX) k = match[k];
                else if (W(k, "FROM")) {
                    from = k;
                    break;
                }
            }
            if (from == SIZE_MAX) continue;
            size_t k = i + 2;
            std::string where = "B";
            if (W(k, "LEADING")) where = "L", ++k;
            else if (W(k, "TRAILING")) where = "T", ++k;
            else if (W(k, "BOTH")) ++k;
            const std::string call = "LITEOCI_TRIM('" + where + "', ";
            if (k == from) {
                options.substitutions.push_back({i, from + 1, call + "' ', "});
            } else {
                options.substitutions.push_back({i, k, call});
                options.substitutions.push_back({from, from + 1, ","});
            }
        }
    }

    // A column compared with a text literal: when the column holds dates, Oracle reads the text as a
    // date in the session's format ('01-JAN-82'); LITEOCI_DATE_OPERAND decides that per value.
    void DateOperands() {
        auto comparison = [&](size_t k) {
            return O(k, "=") || O(k, "<>") || O(k, "!=") || O(k, "^=") || O(k, "<") || O(k, ">") || O(k, "<=") ||
                   O(k, ">=");
        };
        // the column reference [t.]c that ends at j, as its text; empty when there is none
        auto columnBefore = [&](size_t j, size_t& first) -> bool {
            if (j < b || j >= e || !IsName(toks[j]) || IsKeyword(j)) return false;
            first = j;
            while (first >= b + 2 && O(first - 1, ".") && IsName(toks[first - 2])) first -= 2;
            return !(first > b && O(first - 1, "."));
        };
        auto columnAfter = [&](size_t j, size_t& last) -> bool {
            if (j >= e || !IsName(toks[j]) || IsKeyword(j)) return false;
            last = j;
            while (last + 2 < e && O(last + 1, ".") && IsName(toks[last + 2])) last += 2;
            return !O(last + 1, "(") && !O(last + 1, ".");
        };
        auto spelled = [&](size_t first, size_t last) {
            return std::string(text.substr(toks[first].pos, toks[last].pos + toks[last].len - toks[first].pos));
        };
        auto wrap = [&](size_t str, const std::string& column) {
            options.substitutions.push_back(
                {str, str + 1, "LITEOCI_DATE_OPERAND(" + column + ", " + std::string(TokText(text, toks[str])) + ")"});
        };
        for (size_t i = b + 1; i + 1 < e; ++i) {
            size_t first = 0, last = 0;
            if (comparison(i) && toks[i + 1].kind == Tok::String && columnBefore(i - 1, first) && !O(i + 2, "||")) {
                wrap(i + 1, spelled(first, i - 1));
            } else if (comparison(i) && toks[i - 1].kind == Tok::String && columnAfter(i + 1, last) &&
                       !(i >= b + 2 && O(i - 2, "||"))) {
                wrap(i - 1, spelled(i + 1, last));
            } else if (W(i, "BETWEEN") && columnBefore(i - 1, first) && toks[i + 1].kind == Tok::String &&
                       W(i + 2, "AND") && i + 3 < e && toks[i + 3].kind == Tok::String) {
                wrap(i + 1, spelled(first, i - 1));
                wrap(i + 3, spelled(first, i - 1));
            }
        }
    }

    bool IsKeyword(size_t k) const {
        static const char* const kWords[] = {"NULL", "SYSDATE", "USER", "LEVEL", "ROWNUM", "PRIOR", "AND", "OR", "NOT",
                                             "WHERE", "THEN", "ELSE", "WHEN", "SELECT", "END", "CASE", "ALL", "ANY"};
        for (const char* w : kWords)
            if (W(k, w)) return true;
        return false;
    }

    void FunctionDefaults() {
        for (size_t i = b; i + 1 < e; ++i) {
            if (!W(i, "DEFAULT")) continue;
            const size_t v = i + 1;
            if (W(v, "SYSDATE") || W(v, "CURRENT_DATE"))
                options.substitutions.push_back({v, v + 1, "(SYSDATE())"});
            else if (W(v, "SYSTIMESTAMP") || W(v, "CURRENT_TIMESTAMP") || W(v, "LOCALTIMESTAMP"))
                options.substitutions.push_back({v, v + 1, "(LITEOCI_SYSTIMESTAMP())"});
            else if (W(v, "USER"))
                options.substitutions.push_back({v, v + 1, "(LITEOCI_USER())"});
        }
    }
};

}  // namespace

void RewriteOracleForms(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                        TranslateOptions& options, bool inBlock) {
    Forms f{{text, toks, b, e, MatchParens(text, toks, b, e), options}};
    f.NullOrder();
    f.DmlAlias();
    f.CastToChar();
    f.ParenthesizedQueries();
    f.TrimFrom();
    // a block reads the columns of its queries itself: it has no place for columns of the client's own
    RewriteRowLimits(text, toks, b, e, options, !inBlock);
    // in a block a name compared with a text may be a variable, whose type decides
    if (!inBlock) f.DateOperands();
    RewriteDateForms(text, toks, b, e, options);
    if (b < e && (IsWord(text, toks[b], "CREATE") || IsWord(text, toks[b], "ALTER"))) f.FunctionDefaults();
}

}  // namespace liteoci
