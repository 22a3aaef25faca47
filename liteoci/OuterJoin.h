// Oracle's outer join operator: "FROM a, b WHERE a.x = b.x(+)" names the optional table of a join
// by marking its columns in the WHERE clause; SQLite knows only "a LEFT JOIN b ON a.x = b.x".
//
// Each query block whose WHERE clause marks columns is rewritten: the FROM list is ordered so that
// every optional table comes after the tables it is joined to, becomes a LEFT JOIN, and takes as its
// ON condition every WHERE condition that marks its columns (e.x(+) = d.x, e.sal(+) > 1000); the
// other conditions stay in the WHERE clause.
//
// How: before translation the FROM items and the moved conditions are wrapped in markers (through
// TranslateOptions' substitutions and appends); after translation the marked pieces of the SQLite
// text are cut out and put together again in the new order, with the positions of their tokens.
// The tokens themselves are translated like all others, so nothing is translated twice.
#ifndef LITEOCI_OUTERJOIN_H
#define LITEOCI_OUTERJOIN_H

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Translate.h"

namespace liteoci {

// Whether table (as the dictionary names it) has the column; decides which table an unqualified
// marked column belongs to. May be empty: then only qualified columns are placed.
using ColumnProbe = std::function<bool(const std::string& table, const std::string& column)>;

struct OuterJoinPlan {
    struct Element {
        int piece = -1;    // a marked piece of the translated text, or
        std::string text;  // a text of its own
    };
    char mark = 0;                                // the byte that starts a marker (0: nothing to do)
    std::vector<std::vector<Element>> slots;      // per rewritten query block: its new FROM list
    int pieces = 0;
};

// Checks tokens [b, e) against Oracle's rules for (+) (ORA-01416, 01468, 01705, 01719, 01799, 25156,
// 30563) and adds to options what moves the pieces.
OraError PlanOuterJoins(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                        const ColumnProbe& probe, TranslateOptions& options, OuterJoinPlan& plan);

// Puts the pieces of out.sql (and the positions of out.map) where the plan wants them.
void ApplyOuterJoins(const OuterJoinPlan& plan, Translation& out);

// Translate with the outer joins of the statement rewritten.
OraError TranslateWithOuterJoins(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                                 TranslateOptions options, const ColumnProbe& probe, Resolver& resolver,
                                 Translation& out);

}  // namespace liteoci

#endif
