// Oracle's row limiting clause: [OFFSET m ROW[S]] [FETCH FIRST | NEXT [n [PERCENT]] ROW[S] ONLY | WITH TIES].
//
// ONLY becomes SQLite's "LIMIT m, n", with any expression (placeholders too) for m and n: a NULL or
// negative one counts as 0 and a fraction is cut off, as Oracle does.
//
// WITH TIES and PERCENT need to see every row: the query becomes "SELECT * FROM (the query with its
// row number, rank and row count as extra columns) WHERE ...", its ORDER BY becoming the window the
// numbers are taken over. The extra columns come last and are not shown (TranslateOptions::
// hiddenColumns). This is done for the outermost query of a statement, without set operators, with
// a number (or nothing) as the offset, when mayWrap; otherwise WITH TIES and PERCENT stay as written.
#ifndef LITEOCI_ROWLIMIT_H
#define LITEOCI_ROWLIMIT_H

#include <string_view>
#include <vector>

#include "Translate.h"

namespace liteoci {

// Adds to options what the row limiting clauses of tokens [b, e) need.
void RewriteRowLimits(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                      TranslateOptions& options, bool mayWrap = true);

}  // namespace liteoci

#endif
