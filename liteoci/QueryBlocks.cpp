#include "QueryBlocks.h"

#include <algorithm>

#include "Translate.h"

namespace liteoci {

bool IsAggregateName(const std::string& f) {
    static const char* const kNames[] = {
        "COUNT",       "SUM",          "AVG",          "MIN",         "MAX",        "STDDEV",      "VARIANCE",
        "STDDEV_POP",  "STDDEV_SAMP",  "VAR_POP",      "VAR_SAMP",    "MEDIAN",     "LISTAGG",     "COLLECT",
        "CORR",        "COVAR_POP",    "COVAR_SAMP",   "REGR_SLOPE",  "REGR_INTERCEPT", "REGR_COUNT", "REGR_R2",
        "REGR_AVGX",   "REGR_AVGY",    "REGR_SXX",     "REGR_SYY",    "REGR_SXY",   "XMLAGG",      "PERCENTILE_CONT",
        "PERCENTILE_DISC", "CUME_DIST", "PERCENT_RANK", "RANK",       "DENSE_RANK", "APPROX_COUNT_DISTINCT",
        "STATS_MODE",  "GROUPING",     "GROUPING_ID",  "GROUP_ID",    "JSON_ARRAYAGG", "JSON_OBJECTAGG", "ANY_VALUE",
        "BIT_AND_AGG", "BIT_OR_AGG",   "BIT_XOR_AGG",  "KURTOSIS_POP", "KURTOSIS_SAMP", "SKEWNESS_POP",
        "SKEWNESS_SAMP", "APPROX_MEDIAN", "APPROX_PERCENTILE", "APPROX_COUNT"};
    for (const char* n : kNames)
        if (f == n) return true;
    return f.rfind("STATS_", 0) == 0 || f.rfind("REGR_", 0) == 0 || f.rfind("APPROX_", 0) == 0 || f == "CHECKSUM";
}

size_t QueryShape::ClauseEnd(const QueryBlock& q, size_t at) const {
    auto it = std::upper_bound(q.marks.begin(), q.marks.end(), at);
    return it == q.marks.end() ? q.end : std::min(*it, q.end);
}

QueryShape ShapeOf(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e) {
    QueryShape shape;
    shape.match = MatchParens(text, toks, b, e);
    shape.clause.assign(toks.size(), Clause::None);
    shape.begin = b;
    shape.end = e;
    struct Frame {
        size_t block = SIZE_MAX;
        Clause clause = Clause::None;
        size_t setOp = SIZE_MAX, before = SIZE_MAX;
        size_t open = SIZE_MAX;        // its "("
        size_t first = SIZE_MAX;       // the block that starts right after it
        size_t lastGroup = SIZE_MAX;   // the block of the last (SELECT ...) closed at this level, just before
    };
    std::vector<Frame> frames(1);
    auto w = [&](size_t i, std::string_view word) { return i < e && IsWord(text, toks[i], word); };
    auto open = [&]() {
        for (size_t f = frames.size(); f-- > 0;)
            if (frames[f].block != SIZE_MAX) return frames[f].block;
        return SIZE_MAX;
    };
    auto close = [&](Frame& f, size_t at) {
        if (f.block == SIZE_MAX) return;
        QueryBlock& q = shape.blocks[f.block];
        q.end = at;
        if (q.listEnd == 0) q.listEnd = at;
        f.block = SIZE_MAX;
    };
    for (size_t i = b; i < e; ++i) {
        const Token& t = toks[i];
        if (t.kind == Tok::Op) {
            if (IsOp(text, t, "(")) {
                shape.clause[i] = frames.back().clause;
                Frame child;
                child.open = i;
                // (SELECT ...) after a set operator: a branch of it
                child.setOp = frames.back().setOp;
                child.before = frames.back().before;
                frames.back().setOp = SIZE_MAX;
                frames.back().lastGroup = SIZE_MAX;
                frames.push_back(child);
            } else if (IsOp(text, t, ")") && frames.size() > 1) {
                close(frames.back(), i);
                const size_t first = frames.back().first;
                const bool whole = first != SIZE_MAX && shape.blocks[first].end == i;
                frames.pop_back();
                frames.back().lastGroup = whole ? first : SIZE_MAX;
                shape.clause[i] = frames.back().clause;
            } else {
                if (IsOp(text, t, ")")) shape.balanced = false;
                shape.clause[i] = frames.back().clause;
                frames.back().lastGroup = SIZE_MAX;
            }
            continue;
        }
        Frame& f = frames.back();
        const size_t lastGroup = f.lastGroup;
        f.lastGroup = SIZE_MAX;
        if (t.kind == Tok::Word) {
            Clause c = Clause::None;
            bool mark = true;
            if (w(i, "SELECT")) {
                const size_t parent = open();
                close(f, i);
                QueryBlock q;
                q.select = i;
                q.parent = parent;
                size_t l = i + 1;
                if (w(l, "DISTINCT") || w(l, "UNIQUE") || w(l, "ALL")) ++l;
                q.listBegin = l;
                if (f.setOp != SIZE_MAX) {
                    q.setOperator = f.setOp;
                    q.previous = f.before;
                    q.compound = true;
                    if (f.before != SIZE_MAX) shape.blocks[f.before].compound = true;
                }
                f.setOp = f.before = SIZE_MAX;
                if (i == f.open + 1) f.first = shape.blocks.size();
                f.block = shape.blocks.size();
                shape.blocks.push_back(std::move(q));
                f.clause = Clause::Select;
                shape.clause[i] = Clause::Select;
                continue;
            }
            if (w(i, "UNION") || w(i, "INTERSECT") || w(i, "MINUS") || w(i, "EXCEPT")) {
                const size_t before = f.block != SIZE_MAX ? f.block : lastGroup;
                close(f, i);
                f.setOp = i;
                f.before = before;
                f.clause = Clause::None;
                if (w(i + 1, "ALL")) shape.clause[++i] = Clause::None;
                continue;
            }
            if (w(i, "FROM")) c = Clause::From;
            else if (w(i, "WHERE")) c = Clause::Where;
            else if (w(i, "GROUP") && w(i + 1, "BY")) c = Clause::GroupBy;
            else if (w(i, "HAVING")) c = Clause::Having;
            else if (w(i, "ORDER") && w(i + 1, "BY") && !(i > b && w(i - 1, "SIBLINGS"))) c = Clause::OrderBy;
            else if ((w(i, "CONNECT") && w(i + 1, "BY")) || (w(i, "START") && w(i + 1, "WITH"))) c = Clause::Connect;
            else if (w(i, "SET") && f.block == SIZE_MAX) c = Clause::Set;
            else if (w(i, "INTO") || w(i, "VALUES") || w(i, "FETCH") || w(i, "OFFSET") || w(i, "RETURNING") ||
                     w(i, "WINDOW") || (w(i, "FOR") && w(i + 1, "UPDATE")))
                c = Clause::Other;
            else mark = false;
            if (f.block != SIZE_MAX && (w(i, "PIVOT") || w(i, "UNPIVOT") || w(i, "MODEL") || w(i, "MATCH_RECOGNIZE")))
                shape.blocks[f.block].opaque = true;
            if (mark) {
                // (a FROM of EXTRACT or TRIM is inside their parentheses: another level)
                if (f.block != SIZE_MAX) {
                    QueryBlock& q = shape.blocks[f.block];
                    if (f.clause == Clause::Select && q.listEnd == 0) q.listEnd = i;
                    size_t* slot = c == Clause::From ? &q.from : c == Clause::Where ? &q.where
                                 : c == Clause::GroupBy ? &q.groupBy : c == Clause::Having ? &q.having
                                 : c == Clause::OrderBy ? &q.orderBy : nullptr;
                    if (slot && *slot == SIZE_MAX) *slot = i;
                    if (c == Clause::Connect) q.hierarchical = true;
                    q.marks.push_back(i);
                }
                f.clause = c;
            }
        }
        shape.clause[i] = f.clause;
    }
    if (frames.size() > 1) shape.balanced = false;
    while (!frames.empty()) {
        close(frames.back(), e);
        frames.pop_back();
    }
    return shape;
}

}  // namespace liteoci
