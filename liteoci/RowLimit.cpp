#include "RowLimit.h"

#include <climits>
#include <string>

namespace liteoci {
namespace {

// Oracle's count of rows: NULL and negative numbers are 0, fractions are cut off.
constexpr const char* kCountOpen = "MAX(0, CAST(IFNULL((";
constexpr const char* kCountClose = "), 0) AS INTEGER))";

struct Limits {
    std::string_view text;
    const std::vector<Token>& toks;
    size_t b, e;
    TranslateOptions& options;
    bool mayWrap;
    std::vector<size_t> match;
    std::vector<int> depth;

    bool W(size_t i, std::string_view w) const { return i < e && IsWord(text, toks[i], w); }
    bool O(size_t i, std::string_view o) const { return i < e && IsOp(text, toks[i], o); }
    bool Rows(size_t i) const { return W(i, "ROW") || W(i, "ROWS"); }

    // From k to the first ROW[S] (or PERCENT) at k's depth.
    size_t ExprEnd(size_t k, bool percent) const {
        if (k >= e) return e;
        const int d = depth[k - b];
        for (; k < e; ++k) {
            if (depth[k - b] < d) return e;
            if (depth[k - b] == d && (Rows(k) || (percent && W(k, "PERCENT")))) return k;
        }
        return e;
    }

    void Run() {
        match = MatchParens(text, toks, b, e);
        depth.assign(e - b, 0);
        int d = 0;
        for (size_t i = b; i < e; ++i) {
            if (O(i, ")")) --d;
            depth[i - b] = d;
            if (O(i, "(")) ++d;
        }
        for (size_t i = b; i < e; ++i) {
            if (!W(i, "OFFSET") && !(W(i, "FETCH") && (W(i + 1, "FIRST") || W(i + 1, "NEXT")))) continue;
            size_t k = i;
            size_t offset = SIZE_MAX, offsetRows = SIZE_MAX;  // OFFSET and its ROW[S]
            if (W(k, "OFFSET")) {
                offset = k;
                offsetRows = ExprEnd(k + 1, false);
                if (offsetRows >= e || offsetRows == k + 1) continue;
                k = offsetRows + 1;
            }
            size_t fetch = SIZE_MAX, countEnd = SIZE_MAX, tail = SIZE_MAX, end = k;
            bool percent = false, ties = false;
            if (W(k, "FETCH") && (W(k + 1, "FIRST") || W(k + 1, "NEXT"))) {
                fetch = k;
                countEnd = ExprEnd(k + 2, true);
                if (countEnd >= e) continue;
                tail = countEnd;
                if (W(tail, "PERCENT")) percent = true, ++tail;
                if (!Rows(tail)) continue;
                if (W(tail + 1, "ONLY")) end = tail + 2;
                else if (W(tail + 1, "WITH") && W(tail + 2, "TIES")) ties = true, end = tail + 3;
                else continue;
            }
            const Wrapped w = percent || ties ? Wrap(offset, offsetRows, fetch, countEnd, end, percent, ties) : AsOnly;
            // a clause this cannot do stays as written, and SQLite refuses it
            if (w == AsOnly) Limit(offset, offsetRows, fetch, countEnd, end);
            i = end - 1;
        }
    }

    // LIMIT m, n
    void Limit(size_t offset, size_t offsetRows, size_t fetch, size_t countEnd, size_t end) {
        auto& subs = options.substitutions;
        const bool noCount = fetch != SIZE_MAX && countEnd == fetch + 2;
        if (offset != SIZE_MAX) {
            subs.push_back({offset, offset + 1, std::string("LIMIT ") + kCountOpen});
            subs.push_back({offsetRows, offsetRows + 1,
                            std::string(kCountClose) + ", " + (fetch == SIZE_MAX ? "-1" : std::string(kCountOpen) + (noCount ? "1" : ""))});
        }
        if (fetch == SIZE_MAX) return;
        const std::string open = offset == SIZE_MAX ? std::string("LIMIT ") + kCountOpen + (noCount ? "1" : "") : "";
        subs.push_back({fetch, fetch + 2, open});
        subs.push_back({countEnd, end, kCountClose});
    }

    enum Wrapped { Done, AsOnly, Refused };

    // SELECT * FROM (query with its numbers) WHERE ...; Refused when the query is not one this can wrap
    Wrapped Wrap(size_t offset, size_t offsetRows, size_t fetch, size_t countEnd, size_t end, bool percent, bool ties) {
        const size_t at = offset != SIZE_MAX ? offset : fetch;
        if (!mayWrap || !options.query || depth[at - b] != 0) return Refused;
        std::string m = "0";
        if (offset != SIZE_MAX) {
            if (offsetRows != offset + 2 || toks[offset + 1].kind != Tok::Number) return Refused;
            m = std::string(TokText(text, toks[offset + 1]));
        }
        size_t sel = SIZE_MAX, from = SIZE_MAX, order = SIZE_MAX;
        for (size_t k = b; k < at; ++k) {
            if (depth[k - b] != 0) continue;
            if (W(k, "UNION") || W(k, "INTERSECT") || W(k, "MINUS") || W(k, "EXCEPT") || W(k, "FOR")) return Refused;
            if (sel == SIZE_MAX && W(k, "SELECT")) sel = k;
            else if (sel != SIZE_MAX && from == SIZE_MAX && W(k, "FROM")) from = k;
            else if (from != SIZE_MAX && W(k, "ORDER") && W(k + 1, "BY")) order = k;
        }
        if (sel == SIZE_MAX || from == SIZE_MAX) return Refused;
        if (ties && order == SIZE_MAX) ties = false;  // without an order there are no ties to add
        if (!ties && !percent) return AsOnly;
        const std::string window = order != SIZE_MAX ? "\"liteoci$w\"" : "()";
        std::string columns = ", ROW_NUMBER() OVER " + window + " AS \"liteoci$n\"";
        int hidden = 1;
        if (ties) columns += ", RANK() OVER " + window + " AS \"liteoci$r\"", ++hidden;
        if (percent) columns += ", COUNT(*) OVER () AS \"liteoci$c\"", ++hidden;
        auto& subs = options.substitutions;
        subs.push_back({sel, sel + 1, "SELECT * FROM (SELECT"});
        subs.push_back({from, from + 1, columns + " FROM"});
        if (order != SIZE_MAX) {
            subs.push_back({order, order + 1, "WINDOW \"liteoci$w\" AS (ORDER"});
            options.appends.emplace_back(at - 1, ")");
        }
        if (offset != SIZE_MAX) subs.push_back({offset, offsetRows + 1, ""});
        const std::string rank = ties ? "\"liteoci$r\"" : "\"liteoci$n\"";
        const bool noCount = countEnd == fetch + 2;
        std::string head = ") WHERE \"liteoci$n\" > " + m + " AND ";
        if (percent) {
            // rank <= ceil(count * p / 100), in whole numbers
            head += "(" + rank + " - " + m + " - 1) * 100 < MAX(0, IFNULL((" + (noCount ? "1" : "");
            subs.push_back({fetch, fetch + 2, head});
            subs.push_back({countEnd, end, "), 0)) * \"liteoci$c\" ORDER BY \"liteoci$n\""});
        } else {
            head += rank + " <= " + m + " + " + kCountOpen + (noCount ? "1" : "");
            subs.push_back({fetch, fetch + 2, head});
            subs.push_back({countEnd, end, std::string(kCountClose) + " ORDER BY \"liteoci$n\""});
        }
        options.hiddenColumns = hidden;
        return Done;
    }
};

}  // namespace

void RewriteRowLimits(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                      TranslateOptions& options, bool mayWrap) {
    if (b >= e) return;
    Limits l{text, toks, b, e, options, mayWrap, {}, {}};
    l.Run();
}

}  // namespace liteoci
