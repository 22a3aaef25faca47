// Oracle's spellings of group and analytic functions that SQLite cannot take as written, rewritten
// into calls of the client's own functions (GroupFunctions.h):
// - LISTAGG([DISTINCT] x[, delimiter]) WITHIN GROUP (ORDER BY ...): SQLite's aggregates have no
//   ORDER BY of their own, so the items travel with a sort key made by LITEOCI_SORTKEY:
//   LITEOCI_LISTAGG(distinct, x, delimiter, LITEOCI_SORTKEY(flags, ...));
// - RATIO_TO_REPORT(x) OVER (...): x divided by SUM(x) OVER (...). The translated x is needed twice;
//   markers around it are replaced once the statement is translated (PlaceMarkedOperands).
#ifndef LITEOCI_WITHINGROUP_H
#define LITEOCI_WITHINGROUP_H

#include <string>
#include <string_view>
#include <vector>

#include "Translate.h"

namespace liteoci {

// Adds to options the substitutions and appends that tokens [b, e) need. Runs after
// RewriteOracleForms, whose NULLS FIRST/LAST it takes back inside WITHIN GROUP.
void RewriteGroupForms(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                       TranslateOptions& options);

// Markers a pass leaves in the texts it hands the translator, around an operand that must stand
// elsewhere once it is translated: S and E around it, C where a copy goes, M where it moves to. Each
// pass has a family of its own; n tells the operands of one statement apart.
inline constexpr char kGroupForms = '\x04';
inline constexpr char kQuantifiedForms = '\x05';
std::string OperandMarker(char family, char kind, int n);

// Puts the translated operands where their markers say, in t.sql.
void PlaceMarkedOperands(Translation& t);

}  // namespace liteoci

#endif
