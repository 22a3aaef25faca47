// EXPLAIN PLAN [SET STATEMENT_ID = 'id'] [INTO [schema.]table] FOR statement.
//
// The statement is translated as it would run, SQLite is asked for its query plan, and that plan is
// rewritten as the rows Oracle writes into a plan table: one row per operation, named as Oracle names
// its operations ("TABLE ACCESS" "FULL", "INDEX" "RANGE SCAN", "NESTED LOOPS", "SORT" "ORDER BY", ...),
// with id 0 for the statement itself, parent_id and position forming the tree (position of id 0 is
// the cost, as in Oracle). Costs and cardinalities are estimates from the tables' row counts, not
// Oracle's optimizer. The rows are inserted in the session's transaction, as Oracle does: they are
// visible to the session at once and need a commit to be seen by others.
#ifndef LITEOCI_EXPLAIN_H
#define LITEOCI_EXPLAIN_H

#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"

namespace liteoci {

class Session;

// Explains the statement in toks (which start with EXPLAIN) into its plan table.
OraError ExplainPlan(Session& s, std::string_view text, const std::vector<Token>& toks);

}  // namespace liteoci

#endif
