// The datatype rules Oracle applies before running a statement, where SQLite would compare or combine
// values of any types: the branches of UNION, INTERSECT and MINUS must give the same type in each column
// (ORA-01790), a DATE is never compared with a NUMBER (ORA-00932), and a text compared with a number is
// read as a number (ORA-01722 when it is none). Only expressions whose type is
// plain from their form (literals, columns of the block's tables, functions of a known result) are
// checked; any other is taken to fit.
#ifndef LITEOCI_TYPECHECK_H
#define LITEOCI_TYPECHECK_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"
#include "QueryBlocks.h"

namespace liteoci {

enum class ValueKind : uint8_t { Unknown, Number, Text, Date };

// The kind of column `column` of table `table` (both in upper case); Unknown when there is none.
using ColumnKind = std::function<ValueKind(const std::string& table, const std::string& column)>;

// Adds to `appends` (token, text after it) the conversions to numbers of texts compared with numbers.
OraError CheckTypes(std::string_view text, const std::vector<Token>& toks, const QueryShape& shape,
                    const ColumnKind& kindOf, std::vector<std::pair<size_t, std::string>>* appends);

}  // namespace liteoci

#endif
