// The one way a run of an editor window ends. Whatever made the run end (all rows fetched, the batch's
// count reached, Cancel, Stop, a failed call, a row the grid refused, the window closing, a thread that
// would not start) describes it as a RunEnd, and EndRun carries it out, always in the same order:
//
//   1. the progress dialog learns that the run is over;
//   2. the server output collected during the statement is read, when due, with its heading when it
//      found lines;
//   3. the caret goes to the place of a parse error, when there is one;
//   4. the report goes to the output list;
//   5. caret and input go back to the text pane (exactly once per run);
//   6. the grid learns that every row is there, when it is;
//   7. the statement is dropped, when it cannot go on;
//   8. the error handle is renewed after a failure;
//   9. the run is idle again.
//
// Thread contract: called by the worker at the end of its body, or on the UI thread for a run that
// never started a worker. It reaches windows only through synchronous sends and the host.
#pragma once

#include "ExecRules.h"

#include <optional>
#include <string>

namespace exec {

struct ExecContext;

struct RunEnd {
    std::string report{};                 // for the output list; empty for none
    bool readServerOutput = false;        // read DBMS_OUTPUT's lines before the report
    std::string serverOutputHeading{};    // shown when the read found lines
    std::optional<CaretPlace> errorPlace{}; // in the executed text
    bool allRowsShown = false;            // tell the grid the query has no more rows
    bool dropStatement = false;
    bool renewErrorHandle = false;
};

void EndRun(ExecContext& cx, const RunEnd& end);

// Drops the current statement and its buffers (UI thread, or the worker while it runs).
void DropStatement(ExecContext& cx);
// Starts the session's error handle afresh, so an old error is not read as the next call's.
void RenewErrorHandle(ExecContext& cx);
// Puts `text` into the output text and sends it to the output list (SQL_OUTPUT_MESSAGE).
void SendOutput(ExecContext& cx, const std::string& text);

} // namespace exec
