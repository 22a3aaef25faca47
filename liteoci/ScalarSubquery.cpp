#include "ScalarSubquery.h"

#include <algorithm>

namespace liteoci {

void WrapScalarSubqueries(std::string_view text, const std::vector<Token>& toks, const QueryShape& shape, size_t b,
                          size_t e, TranslateOptions& options) {
    auto w = [&](size_t i, std::string_view word) { return i < e && IsWord(text, toks[i], word); };
    auto o = [&](size_t i, std::string_view op) { return i < e && IsOp(text, toks[i], op); };
    size_t next = 0;  // blocks are in the order of their SELECT tokens
    for (size_t i = b + 1; i + 1 < e; ++i) {
        if (!o(i, "(") || !w(i + 1, "SELECT") || shape.match[i] == SIZE_MAX) continue;
        while (next < shape.blocks.size() && shape.blocks[next].select < i + 1) ++next;
        if (next >= shape.blocks.size() || shape.blocks[next].select != i + 1) continue;
        const QueryBlock& q = shape.blocks[next];
        // one column, named by no "*"
        bool single = q.listEnd > q.listBegin;
        for (size_t k = q.listBegin; single && k < q.listEnd; ++k) {
            if (o(k, "(") && shape.match[k] != SIZE_MAX) k = shape.match[k];
            else if (o(k, ",") || (o(k, "*") && (k == q.listBegin || o(k - 1, ".")))) single = false;
        }
        if (!single) continue;
        const size_t p = i - 1;
        const Clause c = shape.clause[i];
        const Token& pt = toks[p];
        const bool item = c == Clause::Select && (o(p, ",") || w(p, "SELECT") || w(p, "DISTINCT") || w(p, "UNIQUE") ||
                                                  (w(p, "ALL") && p > b && w(p - 1, "SELECT")));
        bool value = item || w(p, "THEN") || w(p, "ELSE");
        if (!value && pt.kind == Tok::Op) {
            static const char* const kOps[] = {"=", "<>", "!=", "^=", "<", ">", "<=", ">=", "+", "-", "*", "/", "||"};
            for (const char* op : kOps)
                if (o(p, op)) value = c == Clause::Select || c == Clause::Where || c == Clause::Having ||
                                      c == Clause::Set || c == Clause::None;
        }
        if (!value) continue;
        options.substitutions.push_back({i, i + 1, "(WITH \"liteoci$one\"(c) AS ("});
        options.appends.emplace_back(shape.match[i],
                                     " SELECT LITEOCI_SINGLE_ROW(c) FROM (SELECT c FROM \"liteoci$one\" LIMIT 2))");
    }
}

}  // namespace liteoci
