// The pass between lexing and translation that makes Oracle's checks of each query block which SQLite
// does not make (grouping, datatypes) and hands the translator the single-row guard of subqueries used
// as values. It runs once per statement, in time linear in its tokens.
#ifndef LITEOCI_QUERYCHECKS_H
#define LITEOCI_QUERYCHECKS_H

#include <sqlite3.h>

#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"
#include "Translate.h"

namespace liteoci {

// Checks tokens [b, e) against the tables of `db`; adds the subquery guards to options.
OraError CheckQueryBlocks(sqlite3* db, std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                          TranslateOptions& options);

}  // namespace liteoci

#endif
