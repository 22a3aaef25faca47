// The statement-execution fields of one editor window's document. The execution commands and the
// worker fill and use them; the document builds them with their initial values.
//
// Thread contract: the UI thread writes them before it starts a worker and while the worker waits in a
// synchronous send; the worker writes them between its sends. At most one worker per document runs
// (its Run says which).
#pragma once

#include "ColumnSlots.h"
#include "DBStmt.h"
#include "MessageTarget.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace exec {

struct StatementState {
    std::unique_ptr<DBStmt> statement;  // the current statement, null when none
    std::string executedText;           // as executed, carriage returns replaced by blanks
    std::string lastStatementText;
    std::string outputText;             // what the next SQL_OUTPUT_MESSAGE delivers
    std::string resultCaptionText;      // the grid's status line
    int32_t startFlag = 0;              // 1 only while Execute asks the views to start
    ColumnSlots columns;                // value buffers, lengths, kinds, indicators, return codes
    int32_t allFetched = 0;
    int32_t rowsThisBatch = 0;
    int32_t rowsFetched = 0;
    int32_t selectNewRow = 0;
    StatementKind statementKind = StatementKind::Other;
    int32_t serverOutputOn = 0;
    std::vector<std::string> serverOutputLines;
    int32_t pendingChanges = 0;
    // 1 while DML or a PL/SQL block has run since the last commit, rollback or DDL: closing the window
    // asks before the session ends with them.
    int32_t uncommittedWork = 0;
    int32_t autoformatByData = 1;
    int32_t autoformatByName = 1;
    int32_t activePaneKind = 0; // 3 text pane, 4 result grid, 5 output list
    // The windows of the editor, reachable from the worker thread.
    platform::MessageHandle gridWindow;
    platform::MessageHandle outputWindow;
    platform::MessageHandle textPaneWindow;
    platform::MessageHandle frameWindow;
    // The text pane line where the executed selection starts; a parse error's line counts from it.
    int32_t selectionFirstLine = 0;
    // Explain Plan: the id of the current plan in the plan table, and the EXPLAIN PLAN statement's
    // text (the current statement borrows it while it lives).
    std::string statementId;
    std::string planStatementText;
};

} // namespace exec
