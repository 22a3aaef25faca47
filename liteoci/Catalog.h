// The data dictionary of tables and the objects around them: USER_TABLES, USER_TAB_COLUMNS,
// USER_OBJECTS, USER_VIEWS, USER_SEQUENCES, USER_INDEXES, USER_IND_COLUMNS, USER_CONSTRAINTS,
// USER_CONS_COLUMNS, the comment views, USER_USERS and their ALL_ forms. They are temporary views of
// each session over SQLite's own catalogue, so they are current after every DDL without bookkeeping;
// what SQLite does not keep (creation times, the text as written, comments) is kept in the client's
// own tables by NoteDdl and RunComment.
#ifndef LITEOCI_CATALOG_H
#define LITEOCI_CATALOG_H

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"

namespace liteoci {

class Session;

inline constexpr const char* kObjectsTable = "\"liteoci$objects\"";    // name, type -> created, last DDL, text
inline constexpr const char* kCommentsTable = "\"liteoci$comments\"";  // table, column ('' for the table) -> text

// One constraint of a table as its CREATE TABLE text declares it.
struct ConstraintDef {
    std::string name;
    char type = 'C';          // P primary key, U unique, R foreign key, C check (NOT NULL included)
    bool generated = false;   // the name was made up (SYS_C...) because the text gave none
    std::vector<std::string> columns;
    std::string refTable;
    std::vector<std::string> refColumns;
    std::string condition;    // C: the condition as the text has it
    std::string deleteRule = "NO ACTION";
    // Where the text declares it: [from, to) in bytes, a leading CONSTRAINT name included; a
    // constraint of the table's own (not inside a column's definition) is a whole item of the list.
    size_t from = 0, to = 0;
    bool tableLevel = false;
};

// The constraints declared by `sql` (a CREATE TABLE text as SQLite keeps it). `id` makes the names of
// unnamed constraints unique among tables.
std::vector<ConstraintDef> ParseConstraints(std::string_view sql, long long id);
// The names of the user's tables.
std::vector<std::string> UserTables(sqlite3* db);
// The constraints of a table of the database (empty when there is no such table).
std::vector<ConstraintDef> TableConstraints(sqlite3* db, const std::string& table);

// The views and the functions they use, on the session's connection.
OraError CreateCatalogViews(Session& s);

// Records what a successful DDL statement did to the object it names (creation and change times, the
// text of a view as written); dropping forgets the object and its comments.
void NoteDdl(Session& s, std::string_view text, const std::vector<Token>& toks);

// COMMENT ON TABLE t IS '...' and COMMENT ON COLUMN t.c IS '...'.
OraError RunComment(Session& s, std::string_view text, const std::vector<Token>& toks);

}  // namespace liteoci

#endif
