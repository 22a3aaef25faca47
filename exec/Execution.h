// Running one statement of an editor window: the Execute command, the start of execution of a query
// (describe and define), the batches of the worker, and the four commands that act on the session
// (Commit, Rollback, Stop, the server-output switch). Everything here uses only the document, the
// registered messages and an ExecHost; the grid and the text pane call in.
//
// Thread contract: everything but RunBatch runs on the UI thread. RunBatch is the worker's body; it
// reaches windows only through synchronous sends and the host's any-thread members.
#pragma once

#include "ExecHost.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CQuarvelDoc;

namespace exec {

// Sends the document's output text to its output list (SQL_OUTPUT_MESSAGE).
void SendOutput(CQuarvelDoc& doc, const std::string& text);

// The Execute command for the selected text. False when nothing was started.
bool ExecuteCommand(CQuarvelDoc& doc, const std::shared_ptr<ExecHost>& host, const std::string& selectedText);

// Start of execution of the current statement, after the grid has emptied itself. For a query it
// describes and defines the columns and fills `titles` with the query's column names; then it starts
// the first batch. False when the statement was refused (and dropped) or no worker could start.
bool StartExecution(CQuarvelDoc& doc, const std::shared_ptr<ExecHost>& host, std::vector<std::string>& titles);

// Starts one batch of `rows` fetches on the current statement (one more row, or all rows with
// kAllRows). Refused (false) when everything was fetched, there is no statement or a worker runs.
bool StartBatch(CQuarvelDoc& doc, const std::shared_ptr<ExecHost>& host, int32_t rows, bool selectNewRow);

// Starts the worker on the current batch fields; reports and drops the statement when no thread starts.
bool StartWorker(CQuarvelDoc& doc, const std::shared_ptr<ExecHost>& host);

// The worker's body: one batch.
void RunBatch(CQuarvelDoc& doc, ExecHost& host);

// Commit, Rollback, Stop and the server-output switch.
void CommitCommand(CQuarvelDoc& doc, ExecHost& host);
void RollbackCommand(CQuarvelDoc& doc, ExecHost& host);
void StopCommand(CQuarvelDoc& doc);
void ServerOutputCommand(CQuarvelDoc& doc, ExecHost& host);

} // namespace exec
