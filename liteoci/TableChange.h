// ALTER TABLE ... ADD and DROP of constraints. SQLite cannot change the constraints of a table in
// place, so the table is built again: a new table with the changed definition takes the rows (which
// is where the existing rows are checked against a new constraint, as Oracle validates them), the
// old one is dropped and the new one takes its name, indexes and triggers, all in one transaction.
#ifndef LITEOCI_TABLECHANGE_H
#define LITEOCI_TABLECHANGE_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"

namespace liteoci {

class Session;

struct TableChange {
    std::string table;
    enum Kind { AddConstraint, DropConstraint, DropPrimaryKey } kind = AddConstraint;
    std::string name;        // the constraint's name (empty: the text gives none)
    char type = 0;           // of an added constraint: P, U, R or C
    std::string definition;  // of an added constraint, as SQLite takes it (CONSTRAINT name included)
    int position = 0;        // where the statement names the constraint, for errors
};

// Whether toks are ALTER TABLE t ADD <table constraint>, DROP CONSTRAINT n or DROP PRIMARY KEY.
bool IsTableChange(std::string_view text, const std::vector<Token>& toks);

// Reads the statement; the definition of an added constraint is translated like any other SQL.
OraError CompileTableChange(std::string_view text, const std::vector<Token>& toks,
                            std::shared_ptr<const TableChange>& out);

// Makes the change (the caller has committed, as every DDL does).
OraError RunTableChange(Session& s, const TableChange& change);

// Builds `table` again from `createSql` (a CREATE TABLE text as SQLite keeps it) with its rows,
// indexes and triggers; `adding` names the constraint being added, for the error when a row breaks it.
OraError RebuildTable(Session& s, const std::string& table, const std::string& createSql, const std::string& adding,
                      char addingType);

}  // namespace liteoci

#endif
