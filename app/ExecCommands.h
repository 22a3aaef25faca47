// The execution commands as the text pane routes them to the document's execution: Execute (F9) for
// the pane's selection, and Commit, Rollback, Stop and the server-output switch. UI thread only.
#pragma once

#include <cstdint>
#include <string>

class CQuarvelDoc;

// Runs `selectedText` as one statement. `selectionFirstLine` is the pane line where the selection
// starts (a parse error puts the caret relative to it). False when nothing was started.
bool ExecuteSql(CQuarvelDoc& doc, const std::string& selectedText, int32_t selectionFirstLine);

// Commit (281), Rollback (283), Stop (287) or the server-output switch (312); false for other ids.
bool RunSessionCommand(CQuarvelDoc& doc, uint32_t id);
bool IsSessionCommand(uint32_t id);
