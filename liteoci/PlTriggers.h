// Triggers: their definitions (CREATE TRIGGER), their compiled bodies and their firing around the DML
// statements of their tables.
//
// How a statement with triggers runs: under a savepoint of its own, the BEFORE statement triggers
// fire; then the statement runs once with capture triggers of SQLite in place that record each row
// it would change (old and new values) and skip the change itself; then each recorded row is
// applied by rowid in order, with the BEFORE row triggers before (they may change :NEW) and the
// AFTER row triggers after it; then the AFTER statement triggers. Any failure rolls back to the
// savepoint, so a statement whose trigger fails leaves nothing behind.
//
// Invariants: while row triggers of a table run, the table is "mutating": a statement of PL/SQL that
// reads or writes it fails with ORA-04091 (unless the statement is a single-row INSERT ... VALUES).
// Capture happens only while the statement of one table and event runs; everything else, the row
// changes applied by this file included, passes the capture triggers untouched.
#ifndef LITEOCI_PLTRIGGERS_H
#define LITEOCI_PLTRIGGERS_H

#include <string>
#include <string_view>
#include <vector>

#include "PlEngine.h"

namespace liteoci {

struct TriggerDef {
    std::string name, table;  // upper case
    bool before = true;
    bool onInsert = false, onUpdate = false, onDelete = false;
    std::vector<std::string> updateColumns;  // UPDATE OF ...; empty: any update
    bool row = false;                        // FOR EACH ROW
    std::string newName = "NEW", oldName = "OLD";
    bool enabled = true;                     // ENABLE / DISABLE of the CREATE statement
    size_t whenBegin = 0, whenEnd = 0;       // tokens of the WHEN condition (inside its parentheses)
    size_t bodyBegin = 0;                    // first token of the body (DECLARE, BEGIN or CALL)
    std::string Type() const;                // "BEFORE EACH ROW", "AFTER STATEMENT", ...
    std::string Events() const;              // "INSERT OR UPDATE", ...
};

// Reads the header of CREATE TRIGGER (kindTok: the TRIGGER keyword). Errors as Oracle's DDL gives
// them (ORA-04071, 04072, 04073, 04077, 04082, 25002).
OraError ParseTriggerDef(std::string_view text, const std::vector<Token>& toks, size_t kindTok, TriggerDef& out);

// The table, kind and SET columns of the DML statement in tokens [b, e).
DmlTarget DmlTargetOf(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e);

// Compiles a trigger's body; errors are ORA-06550 texts with lines counted from the body's first
// line, as Oracle counts them for triggers.
OraError CompileTrigger(Session& s, const TriggerDef& def, std::string_view text, const std::vector<Token>& toks,
                        std::shared_ptr<Program>& out);

// Runs vm (bound, not yet stepped) as the DML statement `target` with the enabled triggers of its
// table. Returns false, having done nothing, when no trigger applies; otherwise err and changes
// tell how it went (changes: the rows the statement changed).
bool RunDmlWithTriggers(Session& s, sqlite3_stmt* vm, const DmlTarget& target, const ErrorContext* ctx,
                        OraError& err, int64_t& changes);

// ORA-04091 when one of `tables` is mutating now.
OraError CheckMutating(Session& s, const std::vector<std::string>& tables);

// The connection's functions for capturing rows (made with the session's engine).
void RegisterTriggerFunctions(Session& s);

// Stores CREATE TRIGGER's definition row; DDL of triggers: ALTER TRIGGER, ALTER TABLE ... ALL
// TRIGGERS, DROP TRIGGER; and forgetting the triggers of a dropped table.
OraError StoreTriggerDef(Session& s, const TriggerDef& def);
OraError AlterTriggers(Session& s, std::string_view text, const std::vector<Token>& toks);
void ForgetTableTriggers(Session& s, const std::string& upperTable);

}  // namespace liteoci

#endif
