// DBMS_OUTPUT for the statements of an editor window: switching its buffer on before a statement and
// reading the lines a statement put into it. Shared by every worker that runs PL/SQL.
//
// Thread contract: on the UI thread before a run, or on the worker during it; never both at once.
#pragma once

#include <cstddef>

namespace exec {

struct ExecContext;

// The longest line DBMS_OUTPUT keeps, in bytes: a shorter read buffer would cut lines.
inline constexpr size_t kServerOutputLineMax = 32767;

// "BEGIN DBMS_OUTPUT.ENABLE(<buffer size>); END;". False after reporting `failurePrefix` and the
// server's text to the output list.
bool EnableServerOutput(ExecContext& cx, const char* failurePrefix = "Enable DBMS_OUTPUT Error: ");

// Appends the collected lines to the state's server output lines. A failure goes to the output list
// and to a message box.
void ReadServerOutput(ExecContext& cx);

} // namespace exec
