// Comparisons with ANY, SOME and ALL: x op ANY (subquery), x op ALL (a, b, ...). SQLite has none, so
// each becomes an EXISTS over the query or the list taken as a table of one column:
//   x > ANY (q)  ->  EXISTS (WITH t(v) AS (q) SELECT 1 FROM t WHERE x > v)
//   x > ALL (q)  ->  NOT EXISTS (WITH t(v) AS (q) SELECT 1 FROM t WHERE NOT coalesce(x > v, 0))
// ALL of no rows is true and ANY of no rows false, as in Oracle. Where Oracle's answer would be
// unknown (a NULL among the values), these give false, which a WHERE clause treats alike. The
// operand x is one name, call, literal or parenthesized expression; it moves into the EXISTS once
// it is translated (PlaceMarkedOperands).
#ifndef LITEOCI_QUANTIFIED_H
#define LITEOCI_QUANTIFIED_H

#include <string_view>
#include <vector>

#include "Translate.h"

namespace liteoci {

void RewriteQuantified(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                       TranslateOptions& options);

}  // namespace liteoci

#endif
