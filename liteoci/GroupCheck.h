// Oracle refuses a grouped query whose select list, HAVING or ORDER BY reads a column that is neither
// grouped nor inside an aggregate (ORA-00979), and an aggregate query without GROUP BY that reads such
// a column in its select list (ORA-00937). SQLite would answer with a value of an arbitrary row, so the
// client checks each query block before running it. Whatever the check cannot see through is accepted.
// SELECT DISTINCT ... ORDER BY a column that is not selected is ORA-01791 for the same reason.
#ifndef LITEOCI_GROUPCHECK_H
#define LITEOCI_GROUPCHECK_H

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"
#include "QueryBlocks.h"

namespace liteoci {

// Whether table `table` has a column `column` (both in upper case).
using ColumnLookup = std::function<bool(const std::string& table, const std::string& column)>;

// The table names and aliases that the FROM clause of block q names: (alias, table); an inline view
// gives (alias, "").
std::vector<std::pair<std::string, std::string>> FromTables(std::string_view text, const std::vector<Token>& toks,
                                                           const QueryShape& shape, const QueryBlock& q);

OraError CheckGrouping(std::string_view text, const std::vector<Token>& toks, const QueryShape& shape,
                       const ColumnLookup& hasColumn);

}  // namespace liteoci

#endif
