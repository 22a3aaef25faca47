// Everything statement execution works on for one editor window: the window's session, the settings
// read when its document was built, the statement state, the window's run and the window side of
// execution. The document owns one and outlives every worker of it.
//
// Thread contract: as StatementState and Run. `session` and `settings` do not change while a run is
// active; `host` is set once, when the window is built, before any command runs.
#pragma once

#include "DBConnect.h"
#include "ExecHost.h"
#include "ProgramSettings.h"
#include "Run.h"
#include "StatementState.h"

#include <memory>

namespace exec {

struct ExecContext {
    DBConnect* session = nullptr; // owned by the document
    platform::DocumentSettings settings;
    StatementState state;
    Run run;
    std::shared_ptr<ExecHost> host;
};

} // namespace exec
