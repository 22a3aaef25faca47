#include "WithinGroup.h"
#include "TokenPass.h"

#include <algorithm>
#include <string>

namespace liteoci {
namespace {

struct Forms : TokenPass {
    int ratios = 0;

    void Sub(size_t first, size_t end, std::string s) { options.substitutions.push_back({first, end, std::move(s)}); }

    // The top-level commas of the parentheses that open at `open`.
    std::vector<size_t> Commas(size_t open) const {
        std::vector<size_t> out;
        for (size_t k = open + 1; k < match[open]; ++k) {
            if (O(k, "(") && match[k] != SIZE_MAX) k = match[k];
            else if (O(k, ",")) out.push_back(k);
        }
        return out;
    }

    void Listagg(size_t i) {
        const size_t open = i + 1;
        if (!O(open, "(") || match[open] == SIZE_MAX) return;
        const size_t close = match[open];
        size_t first = open + 1;
        bool distinct = false;
        if (W(first, "DISTINCT") || W(first, "UNIQUE")) distinct = true, ++first;
        else if (W(first, "ALL")) ++first;
        if (first >= close) return;
        std::vector<size_t> commas = Commas(open);
        // ON OVERFLOW ERROR is what happens anyway; ON OVERFLOW TRUNCATE is left for SQLite to refuse
        size_t argsEnd = close;
        for (size_t k = first; k < close; ++k)
            if (W(k, "ON") && W(k + 1, "OVERFLOW") && W(k + 2, "ERROR") && k + 3 == close) {
                argsEnd = k;
                Sub(k, close, "");
                break;
            }
        const bool delimiter = !commas.empty() && commas.front() < argsEnd;
        Sub(i, first, std::string("LITEOCI_LISTAGG(") + (distinct ? "1" : "0") + ", ");
        std::string tail = delimiter ? "" : ", NULL";
        size_t g = close + 1;
        if (!(W(g, "WITHIN") && W(g + 1, "GROUP") && O(g + 2, "(") && match[g + 2] != SIZE_MAX && W(g + 3, "ORDER") &&
              W(g + 4, "BY"))) {
            Sub(close, close + 1, tail + ", NULL)");
            return;
        }
        const size_t orderOpen = g + 2, orderClose = match[orderOpen];
        // the flags of the sort key, one per item, and the item's words that SQLite must not see
        std::string flags;
        size_t s = g + 5;
        for (size_t k = s; k <= orderClose; ++k) {
            if (k < orderClose && O(k, "(") && match[k] != SIZE_MAX) {
                k = match[k];
                continue;
            }
            if (k < orderClose && !O(k, ",")) continue;
            size_t last = k;  // one past the item
            bool desc = false, nullsFirst = false, nullsGiven = false;
            if (last >= s + 3 && W(last - 2, "NULLS") && (W(last - 1, "FIRST") || W(last - 1, "LAST"))) {
                nullsGiven = true;
                nullsFirst = W(last - 1, "FIRST");
                Sub(last - 2, last, "");
                last -= 2;
            }
            if (last >= s + 2 && (W(last - 1, "ASC") || W(last - 1, "DESC"))) {
                desc = W(last - 1, "DESC");
                Sub(last - 1, last, "");
            }
            if (!nullsGiven) nullsFirst = desc;  // Oracle's default: NULLs count as the largest value
            flags += desc ? (nullsFirst ? 'D' : 'E') : (nullsFirst ? 'B' : 'A');
            s = k + 1;
        }
        Sub(close, g + 5, tail + ", LITEOCI_SORTKEY('" + flags + "', ");
        Sub(orderClose, orderClose + 1, "))");
        // the NULLS FIRST/LAST that the ORDER BY pass wrote out for SQLite belong to no ORDER BY here
        auto& a = options.appends;
        a.erase(std::remove_if(a.begin(), a.end(),
                               [&](const auto& x) { return x.first > orderOpen && x.first < orderClose; }),
                a.end());
    }

    void Ratio(size_t i) {
        const size_t open = i + 1;
        if (!O(open, "(") || match[open] == SIZE_MAX || match[open] == open + 1) return;
        const size_t close = match[open];
        const size_t over = close + 1;
        if (!W(over, "OVER") || !O(over + 1, "(") || match[over + 1] == SIZE_MAX) return;
        const int n = ++ratios;
        // LITEOCI_RATIO( x , SUM( x ) OVER (...) ): the call's ")" moves behind the window
        Sub(i, i + 1, "LITEOCI_RATIO");
        options.appends.emplace_back(open, OperandMarker(kGroupForms, 'S', n));
        options.appends.emplace_back(close - 1, OperandMarker(kGroupForms, 'E', n));
        Sub(close, close + 1, "");
        options.appends.emplace_back(close, ", SUM(" + OperandMarker(kGroupForms, 'C', n) + ")");
        options.appends.emplace_back(match[over + 1], ")");
    }

    void Run() {
        match = MatchParens(text, toks, b, e);
        for (size_t i = b; i + 1 < e; ++i) {
            if (!O(i + 1, "(") || (i > b && O(i - 1, "."))) continue;
            if (W(i, "LISTAGG")) Listagg(i);
            else if (W(i, "RATIO_TO_REPORT")) Ratio(i);
        }
    }
};

}  // namespace

std::string OperandMarker(char family, char kind, int n) {
    return std::string{'\x01', family, kind} + std::to_string(n) + '\x02';
}

void RewriteGroupForms(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                       TranslateOptions& options) {
    Forms f{{text, toks, b, e, {}, options}};
    f.Run();
}

void PlaceMarkedOperands(Translation& t) {
    std::string& sql = t.sql;
    if (sql.find('\x01') == std::string::npos) return;
    // Every edit moves the rest of the text: the map from the translated text to the user's follows.
    auto edit = [&](size_t at, size_t len, const std::string& with) {
        sql.replace(at, len, with);
        const long delta = static_cast<long>(with.size()) - static_cast<long>(len);
        for (auto& m : t.map)
            if (m.first > at) m.first = static_cast<uint32_t>(static_cast<long>(m.first) + delta);
    };
    for (char family : {kGroupForms, kQuantifiedForms}) {
        const std::string prefix = {'\x01', family};
        if (sql.find(prefix) == std::string::npos) continue;
        for (int n = 1;; ++n) {
            const std::string start = OperandMarker(family, 'S', n), end = OperandMarker(family, 'E', n);
            const size_t s = sql.find(start), z = sql.find(end);
            if (s == std::string::npos || z == std::string::npos || z < s) break;
            const std::string operand = sql.substr(s + start.size(), z - s - start.size());
            const std::string copy = OperandMarker(family, 'C', n), move = OperandMarker(family, 'M', n);
            if (sql.find(move) != std::string::npos) {
                edit(s, z + end.size() - s, "");
                edit(sql.find(move), move.size(), operand);
                continue;
            }
            edit(z, end.size(), "");
            edit(s, start.size(), "");
            const size_t c = sql.find(copy);
            if (c != std::string::npos) edit(c, copy.size(), operand);
        }
    }
}

}  // namespace liteoci
