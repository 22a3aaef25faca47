// Oracle's multitable insert: INSERT ALL | FIRST with INTO clauses (unconditional, or under WHEN ...
// THEN and ELSE) and one subquery whose rows they take.
//
// SQLite inserts into one table per statement, so the statement is split into one
// "INSERT INTO t (cols) SELECT values FROM (subquery) WHERE condition" per INTO clause, written in
// Oracle's SQL out of slices of the user's text and then compiled like any other statement. The
// executor runs them in order as one statement (under a savepoint: all rows or none).
//
// The conditions: under ALL each INTO takes the rows its WHEN condition is true for, and the ELSE
// INTOs the rows no WHEN condition is true for; under FIRST a row goes only to the INTOs of the first
// WHEN whose condition is true for it.
#ifndef LITEOCI_MULTIINSERT_H
#define LITEOCI_MULTIINSERT_H

#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"
#include "SubStatements.h"

namespace liteoci {


// Whether the statement is a multitable insert.
bool IsMultiInsert(std::string_view text, const std::vector<Token>& toks);

// The single-table inserts of the multitable insert in toks; Oracle's syntax errors otherwise.
OraError SplitMultiInsert(std::string_view text, const std::vector<Token>& toks, std::vector<SubStatement>& parts);

}  // namespace liteoci

#endif
