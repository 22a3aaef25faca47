// Running one statement of an editor window with F9: the Execute command, the start of execution of a
// query (describe and define), and the batches of the worker that fetch its rows. Everything here
// works on the window's ExecContext; the grid and the text pane call in, and the window side turns
// the outcomes into what the user sees.
//
// Thread contract: everything but the batch body runs on the UI thread. The body runs on the worker;
// it reaches windows only through synchronous sends and the host's any-thread members.
#pragma once

#include "ExecContext.h"

#include <cstdint>
#include <string>
#include <vector>

namespace exec {

// What a command did. The window shows string 958 for Refused.
enum class Outcome {
    Started,    // a run was started (it may already have ended)
    Refused,    // another run of this window is going
    NotStarted, // nothing to do, or a failure that was reported
};

// The grid's answer to INSERT_SQL_REPORT_MESSAGE when it cannot show the row: the batch ends and the
// statement is dropped.
inline constexpr intptr_t kRowRefused = 1;

// The report of a run ended by Stop between two rows, as the server reports a broken call.
inline constexpr const char* kStopReport = "ORA-01013: user requested cancel of current operation";

// The Execute command for the selected text, which starts on line `selectionFirstLine` of the pane.
// The selection is taken over (callers move a large one in), so it is not copied again.
Outcome ExecuteCommand(ExecContext& cx, std::string selectedText, int32_t selectionFirstLine);

// Start of execution of the current statement, after the grid has emptied itself (while the start
// flag is 1). For a query it describes and defines the columns and fills `titles` with the query's
// column names; then it starts the first batch. False when the statement was refused (and dropped)
// or no worker could start.
bool StartExecution(ExecContext& cx, std::vector<std::string>& titles);

// Starts one batch of `rows` fetches on the current statement (one more row, or all rows with
// kAllRows). Refused (false) when everything was fetched, there is no statement or a run is going.
bool StartBatch(ExecContext& cx, int32_t rows, bool selectNewRow);

} // namespace exec
