// The commands that act on an editor window's session rather than on a statement: Commit, Rollback,
// Stop and the server-output switch. Every window that offers them (text pane, grid, output list)
// comes here; they differ only in the text that precedes the report.
//
// Thread contract: UI thread only.
#pragma once

#include "Execution.h"

#include <string_view>

namespace exec {

enum class SessionCommand { Commit, Rollback, Stop, ServerOutput };

// Commit and Rollback are refused while a run is going. `reportPrefix` precedes "Commit complete." and
// "Rollback complete." (the output list's own commands show "[+]: ").
Outcome RunSessionCommand(ExecContext& cx, SessionCommand command, std::string_view reportPrefix = {});

} // namespace exec
