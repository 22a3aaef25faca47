// Oracle forms that SQLite spells differently, found before translation and handed to it as
// substitutions and appended texts:
// - ORDER BY without NULLS FIRST/LAST: Oracle sorts NULLs as the largest value (last ascending, first
//   descending); SQLite sorts them as the smallest, so every such item gets Oracle's choice written out;
// - UPDATE t e SET e.c = ... and DELETE [FROM] t e: SQLite wants "t AS e", bare column names in SET
//   and the FROM;
// - DEFAULT SYSDATE (or USER, SYSTIMESTAMP): SQLite takes a function call as a default only in parentheses;
//   SYSTIMESTAMP keeps its fractional seconds;
// - a query in parentheses as a member of UNION and the like, or after INSERT INTO t: SQLite takes
//   only bare ones there;
// - CAST(x AS CHAR(n)): Oracle pads the text with blanks to the length, SQLite keeps it as it is;
// - CAST(x AS NUMBER(p,s)): Oracle rounds to the scale, checks the precision and refuses a text that is
//   no number, where SQLite's CAST gives 0.
#ifndef LITEOCI_ORACLEFORMS_H
#define LITEOCI_ORACLEFORMS_H

#include <string_view>
#include <vector>

#include "Translate.h"

namespace liteoci {

// Adds to options.appends and options.substitutions what tokens [b, e) need; `inBlock` for the SQL of
// a PL/SQL block, whose texts stand for the block's variables where SQL would have columns.
void RewriteOracleForms(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                        TranslateOptions& options, bool inBlock = false);

}  // namespace liteoci

#endif
