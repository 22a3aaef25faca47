// Oracle's datetime syntax of more than one word, found before translation and handed to it as
// substitutions (the calls are in DateFunctions):
// - EXTRACT(YEAR FROM expr) as LITEOCI_EXTRACT('YEAR', expr);
// - INTERVAL '1-2' YEAR TO MONTH (any interval literal) as LITEOCI_INTERVAL('1-2', 'YEAR TO MONTH');
// - CAST(expr AS VARCHAR2(n) | DATE | TIMESTAMP(p)) as LITEOCI_CAST(expr, 'VARCHAR2(20)'), since
//   SQLite would read a date's text as a number for DATE and TIMESTAMP and keep a date's stored text
//   for the character types (in CAST(expr AS CHAR(n)) expr becomes LITEOCI_CAST(expr, 'VARCHAR2'));
// - TIMESTAMP '2020-01-02 10:00:00.5' as the stored text of a TIMESTAMP, fraction kept;
// - SYSTIMESTAMP and CURRENT_TIMESTAMP as LITEOCI_SYSTIMESTAMP(), LOCALTIMESTAMP as LITEOCI_LOCALTIMESTAMP();
// - an interval literal or interval function times a number or placeholder as LITEOCI_INTERVAL_TIMES;
// - the interval expression (expr1 - expr2) DAY [(p)] TO SECOND [(f)] as LITEOCI_DAY_TO_SECOND.
#ifndef LITEOCI_DATEFORMS_H
#define LITEOCI_DATEFORMS_H

#include <cstddef>
#include <string_view>
#include <vector>

#include "Translate.h"

namespace liteoci {

void RewriteDateForms(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                      TranslateOptions& options);

// The Oracle error of the text of a DATE or TIMESTAMP literal that is none: ORA-01843 for a month
// that does not exist, ORA-01847 or ORA-01839 for such a day, ORA-01861 for text of another form.
int DatetimeLiteralError(std::string_view literal);

// Where the interval expression whose qualifier ends at token j starts (its "(" before
// "(a - b) DAY TO SECOND"), or SIZE_MAX when no qualifier after a parenthesis ends there.
size_t IntervalExpressionStart(std::string_view text, const std::vector<Token>& toks, const std::vector<size_t>& match,
                               size_t b, size_t j, size_t e);

// Just after the interval literal that starts at token i (INTERVAL 'text' qualifier), or SIZE_MAX when
// none starts there.
size_t IntervalLiteralEnd(std::string_view text, const std::vector<Token>& toks, size_t i, size_t e);

}  // namespace liteoci

#endif
