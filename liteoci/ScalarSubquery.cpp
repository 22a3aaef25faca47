#include "ScalarSubquery.h"

#include <algorithm>

#include "OraCodes.h"

namespace liteoci {

OraError WrapScalarSubqueries(std::string_view text, const std::vector<Token>& toks, const QueryShape& shape,
                              size_t b, size_t e, TranslateOptions& options) {
    auto w = [&](size_t i, std::string_view word) { return i < e && IsWord(text, toks[i], word); };
    auto o = [&](size_t i, std::string_view op) { return i < e && IsOp(text, toks[i], op); };
    // An argument of a function call: not of IN, EXISTS, VALUES, a table's column list and the like.
    auto argumentOfCall = [&](size_t open) {
        if (open == SIZE_MAX || open <= b || toks[open - 1].kind != Tok::Word) return false;
        if (open >= b + 2 && (w(open - 2, "INTO") || w(open - 2, "TABLE") || w(open - 2, "VIEW") || o(open - 2, ".")))
            return false;
        static const char* const kNotCalls[] = {
            "IN", "EXISTS", "ANY", "SOME", "ALL", "VALUES", "FROM", "JOIN", "AS", "USING", "TABLE", "CURSOR",
            "LATERAL", "OVER", "UNION", "INTERSECT", "MINUS", "EXCEPT", "ON", "WHERE", "AND", "OR", "NOT", "SELECT",
            "INTO", "BY", "SET", "WHEN", "THEN", "ELSE", "HAVING", "RETURNING", "WITH", "PRIOR", "CONNECT", "KEEP",
            "GROUP", "PIVOT", "UNPIVOT", "FOR", "ROLLUP", "CUBE", "SETS", "MATCH_RECOGNIZE", "MODEL", "PARTITION"};
        for (const char* k : kNotCalls)
            if (w(open - 1, k)) return false;
        return true;
    };
    std::vector<size_t> opens;  // the parentheses open at token i
    size_t next = 0;  // blocks are in the order of their SELECT tokens
    for (size_t i = b; i + 1 < e; ++i) {
        if (o(i, ")") && !opens.empty()) opens.pop_back();
        if (!o(i, "(")) continue;
        const size_t enclosing = opens.empty() ? SIZE_MAX : opens.back();
        opens.push_back(i);
        if (i == b || !w(i + 1, "SELECT") || shape.match[i] == SIZE_MAX) continue;
        while (next < shape.blocks.size() && shape.blocks[next].select < i + 1) ++next;
        if (next >= shape.blocks.size() || shape.blocks[next].select != i + 1) continue;
        const QueryBlock& q = shape.blocks[next];
        // one column, named by no "*"
        bool star = q.listEnd <= q.listBegin, several = false;
        for (size_t k = q.listBegin; !star && k < q.listEnd; ++k) {
            if (o(k, "(") && shape.match[k] != SIZE_MAX) k = shape.match[k];
            else if (o(k, "*") && (k == q.listBegin || o(k - 1, "."))) star = true;
            else if (o(k, ",")) several = true;
        }
        if (star) continue;
        const size_t p = i - 1;
        const Clause c = shape.clause[i];
        const Token& pt = toks[p];
        const bool item = c == Clause::Select && (o(p, ",") || w(p, "SELECT") || w(p, "DISTINCT") || w(p, "UNIQUE") ||
                                                  (w(p, "ALL") && p > b && w(p - 1, "SELECT")));
        const bool listed = p == enclosing || (o(p, ",") && enclosing != SIZE_MAX);  // first or later in a list
        bool value = item || w(p, "THEN") || w(p, "ELSE") ||
                     (listed && (argumentOfCall(enclosing) || (enclosing > b && w(enclosing - 1, "VALUES"))));
        bool rows = false;  // (a, b) = (SELECT x, y ...): a comparison of rows
        if (!value && pt.kind == Tok::Op) {
            static const char* const kOps[] = {"=", "<>", "!=", "^=", "<", ">", "<=", ">=", "+", "-", "*", "/", "||"};
            for (const char* op : kOps)
                if (o(p, op)) value = c == Clause::Select || c == Clause::Where || c == Clause::Having ||
                                      c == Clause::Set || c == Clause::None;
            rows = p > b && o(p - 1, ")");
        }
        if (!value) continue;
        if (several) {
            if (rows) continue;
            return MakeErrorAt(static_cast<int>(toks[i].pos), kOraTooManyValues);
        }
        options.substitutions.push_back({i, i + 1, "(WITH \"liteoci$one\"(c) AS ("});
        options.appends.emplace_back(shape.match[i],
                                     " SELECT LITEOCI_SINGLE_ROW(c) FROM (SELECT c FROM \"liteoci$one\" LIMIT 2))");
    }
    return {};
}

}  // namespace liteoci
