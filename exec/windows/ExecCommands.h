// The window side of the execution commands: Execute (F9) and Explain Plan (F6) for the text pane's
// selection, and the one
// dispatch of the session commands (Commit, Rollback, Stop, the server-output switch) for every pane
// that offers them. Here an outcome of exec becomes what the user sees (string 958 for a refusal).
// UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CQuarvelDoc;

namespace exec {
enum class Outcome;
}

// Shows string 958 for a refusal; true when the command started.
bool ShowOutcome(exec::Outcome outcome);

// Runs `selectedText` as one statement. `selectionFirstLine` is the pane line where the selection
// starts (a parse error puts the caret relative to it). False when nothing was started.
bool ExecuteSql(CQuarvelDoc& doc, const std::string& selectedText, int32_t selectionFirstLine);

// Explain Plan (F6) for `selectedText`; false when no worker was started.
bool ExplainPlanSql(CQuarvelDoc& doc, const std::string& selectedText, int32_t selectionFirstLine);

// Commit (281), Rollback (283), Stop (287) or the server-output switch (312); false for other ids.
// `reportPrefix` precedes the "... complete." report.
bool RouteSessionCommand(CQuarvelDoc& doc, uint32_t id, std::string_view reportPrefix = {});
bool IsSessionCommand(uint32_t id);
