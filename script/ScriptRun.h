// Execute As Script (F8): the selected text split into statements by the splitter and run one after
// another on the window's run, each step reported in the output list, the line of the statement being
// run marked, SELECT refused, and a failure ending the run with the caret on the error. Server output
// is read once, after the last statement.
//
// Thread contract: ExecuteScript runs on the UI thread; the script body on the worker, reaching windows
// only through synchronous sends and the host's any-thread members.
#pragma once

#include "Execution.h"
#include "ScriptSplitter.h"

#include <functional>
#include <string>

namespace script {

using SplitterSource = std::function<Splitter()>;

// Starts the script run for `selectedText`, which starts on line `selectionFirstLine` of the pane.
// `splitter` is asked for the splitter by the worker (the library by default).
exec::Outcome ExecuteScript(exec::ExecContext& cx, const std::string& selectedText, int32_t selectionFirstLine,
                            SplitterSource splitter = LoadMorvexSplitter);

} // namespace script
