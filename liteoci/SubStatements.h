// A statement the executor runs as several statements of its own (a multitable insert, a MERGE):
// each part is written in Oracle's SQL out of slices of the user's text and compiled like any other
// statement; together they run as one statement, under a savepoint (all of them or none).
#ifndef LITEOCI_SUBSTATEMENTS_H
#define LITEOCI_SUBSTATEMENTS_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace liteoci {

struct SubStatement {
    enum Role : uint8_t {
        Change,    // an INSERT, UPDATE or DELETE; its rows count in the statement's row count
        Uncounted, // the same, not counted
        NoRow,     // a query that must return no row: the statement fails with `error` if it does
        Remember,  // a query whose first value later parts take (their placeholder kRemembered)
        Materialize,  // a query whose rows go into the session's table temp."liteoci rows" (not counted)
    };
    Role role = Change;
    int error = 0;
    bool deferred = false;  // compiled when it first runs: it reads a table an earlier part makes
    std::string text;                                   // Oracle's SQL
    std::vector<std::pair<uint32_t, uint32_t>> slices;  // (offset in text, offset in the user's text)
    std::vector<int> bindSlots;                         // per placeholder of text: the user's bind position
    static constexpr int kRemembered = -2;              // ... or the value a Remember part found

    // The offset in the user's text of an offset in text.
    int Original(int offset) const {
        if (offset < 0 || slices.empty()) return offset;
        size_t k = 0;
        for (size_t i = 0; i < slices.size() && slices[i].first <= static_cast<uint32_t>(offset); ++i) k = i;
        const int within = offset - static_cast<int>(slices[k].first);
        return static_cast<int>(slices[k].second) + (within > 0 ? within : 0);
    }
};

}  // namespace liteoci

#endif
