// MERGE INTO target USING source ON (condition) WHEN MATCHED THEN UPDATE SET ... [WHERE ...]
// [DELETE WHERE ...] WHEN NOT MATCHED THEN INSERT [(columns)] VALUES (...) [WHERE ...].
//
// SQLite has no MERGE; the statement runs as parts (see SubStatements.h), in this order:
//  1. a query that finds a target row matched by more than one source row (ORA-30926);
//  2. UPDATE target SET ... FROM source WHERE condition [AND the update's WHERE];
//  3. the highest rowid of the target, so that the delete below spares the rows inserted after it;
//  4. INSERT INTO target SELECT values FROM source WHERE no target row matches [AND the insert's WHERE]
//     (the update changes no column of the ON condition, so the rows it matches are still matched);
//  5. DELETE of the updated rows that the DELETE WHERE condition, seeing their new values, holds for.
// The row count is the rows updated and inserted.
#ifndef LITEOCI_MERGE_H
#define LITEOCI_MERGE_H

#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"
#include "SubStatements.h"

namespace liteoci {

// The parts of the MERGE in toks; Oracle's errors for its syntax and for updating a column of the ON
// condition (ORA-38104).
OraError SplitMerge(std::string_view text, const std::vector<Token>& toks, std::vector<SubStatement>& parts);

}  // namespace liteoci

#endif
