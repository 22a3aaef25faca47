// A subquery used as a value (in a select list, compared with =, <, ..., in arithmetic, in SET c = or
// after THEN/ELSE) must give at most one row: Oracle raises ORA-01427 on a second row, where SQLite
// would take the first. Each such subquery is run through an aggregate that raises the error; no row
// still gives NULL. A value is one column: more are ORA-00913.
#ifndef LITEOCI_SCALARSUBQUERY_H
#define LITEOCI_SCALARSUBQUERY_H

#include <string_view>
#include <vector>

#include "QueryBlocks.h"
#include "Translate.h"

namespace liteoci {

// Adds to options the substitutions and appends that wrap the single-row subqueries of [b, e); such a
// subquery of several columns is ORA-00913.
OraError WrapScalarSubqueries(std::string_view text, const std::vector<Token>& toks, const QueryShape& shape,
                              size_t b, size_t e, TranslateOptions& options);

}  // namespace liteoci

#endif
