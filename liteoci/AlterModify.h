// ALTER TABLE t MODIFY (c type [DEFAULT x] [NOT NULL | NULL], ...) and MODIFY c ...
//
// SQLite cannot change a column. What MODIFY changes here never touches the stored rows: a
// declared type of the same kind (its length or precision), the column's rules (ColumnRules.h),
// its default and its NOT NULL. So the table's CREATE TABLE text in SQLite's catalogue is rewritten
// in place, in one transaction that also tells every connection to read the catalogue again, once
// the rows have been checked against the new definition with Oracle's errors (ORA-01439, 01440,
// 01441, 01442, 01451, 02296). A change of the kind of type is taken only for a column of NULLs.
#ifndef LITEOCI_ALTERMODIFY_H
#define LITEOCI_ALTERMODIFY_H

#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"

namespace liteoci {

class Session;

bool IsAlterModify(std::string_view text, const std::vector<Token>& toks);

// Runs the statement (DDL: the caller has committed).
OraError AlterModify(Session& s, std::string_view text, const std::vector<Token>& toks);

}  // namespace liteoci

#endif
