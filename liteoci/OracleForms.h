// Oracle forms that SQLite spells differently, found before translation and handed to it as
// substitutions and appended texts:
// - ORDER BY without NULLS FIRST/LAST: Oracle sorts NULLs as the largest value (last ascending, first
//   descending); SQLite sorts them as the smallest, so every such item gets Oracle's choice written out;
// - UPDATE t e SET e.c = ... and DELETE FROM t e: SQLite wants "t AS e" and bare column names in SET;
// - DEFAULT SYSDATE (or USER, SYSTIMESTAMP): SQLite takes a function call as a default only in parentheses;
//   SYSTIMESTAMP keeps its fractional seconds.
#ifndef LITEOCI_ORACLEFORMS_H
#define LITEOCI_ORACLEFORMS_H

#include <string_view>
#include <vector>

#include "Translate.h"

namespace liteoci {

// Adds to options.appends and options.substitutions what tokens [b, e) need.
void RewriteOracleForms(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                        TranslateOptions& options);

}  // namespace liteoci

#endif
