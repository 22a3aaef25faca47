// CREATE TABLE t [(c1, c2, ...)] AS SELECT ...: SQLite would type the new columns by their affinity
// only (a DATE column becomes a number, a VARCHAR2(10) loses its length). The query is described as
// the program would see it, the table is made with those Oracle types and their rules, and the rows
// are inserted into it, all when the statement runs.
#ifndef LITEOCI_CREATEAS_H
#define LITEOCI_CREATEAS_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"
#include "Handles.h"
#include "Lexer.h"

namespace liteoci {

class Session;

struct CreateAs {
    std::string table;
    std::string createSql;  // the table with its columns' types and checks
    std::string insertSql;  // INSERT INTO the table the rows of the query
};

// The index of the AS before the query of a CREATE TABLE ... AS, or 0 when toks are none.
size_t CreateAsQuery(std::string_view text, const std::vector<Token>& toks);

// Builds the statements from the query's described columns.
OraError CompileCreateAs(std::string_view text, const std::vector<Token>& toks, size_t as,
                         const std::vector<Column>& columns, std::shared_ptr<const CreateAs>& out);

// Makes the table and fills it; a failed fill drops it again.
OraError RunCreateAs(Session& s, const CreateAs& c, long long& rows);

}  // namespace liteoci

#endif
