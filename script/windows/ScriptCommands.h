// The window side of Execute As Script (F8): runs the text pane's selection as a script on the
// window's run and shows string 958 when a run is going. UI thread only.
#pragma once

#include <cstdint>
#include <string>

class CQuarvelDoc;

// False when nothing was started.
bool ExecuteScriptSql(CQuarvelDoc& doc, const std::string& selectedText, int32_t selectionFirstLine);
