// Walking a script statement by statement with the splitter: where each statement starts and ends in
// the script, its text, and the line of its terminator. Linear in the script's size: the statement
// buffer is cleared only where the previous call wrote, and line feeds are counted once, as the walk
// passes them.
//
// Also the caret place of an error inside one of the statements.
#pragma once

#include "ExecRules.h"
#include "morvex.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace script {

// A tail shorter than this (bytes left, counting the terminating NUL) is never sent: a final line end,
// a "/" line or a few blanks after the last terminator.
inline constexpr uint32_t kShortestStatementTail = 7;

struct ScriptStep {
    std::string_view text;       // up to its first NUL; valid until the next call of Next
    size_t start = 0;            // offset of the statement's first byte in the script
    size_t end = 0;              // offset after its terminator (the next statement's start)
    int32_t terminatorLine = 0;  // line feeds in the script before `end`: the line of the terminator
};

class ScriptSteps {
public:
    // `script` must outlive the walk; `split` is the splitter's entry.
    ScriptSteps(std::string_view script, ParseScriptFn split);
    // The next statement; false when what is left is too short to be one.
    bool Next(ScriptStep& step);

private:
    std::vector<char> copy_;      // the script and its terminating NUL
    std::vector<char> statement_; // as large as the copy: the splitter never writes more
    size_t offset_ = 0;
    uint32_t written_ = 0;        // bytes the last call may have written into statement_
    int32_t lineFeeds_ = 0;       // line feeds in copy_ before offset_
    ParseScriptFn split_;
};

// Line and column in the script of the error at `errorOffset` within the statement that starts at
// `statementStart`; an offset on blanks before the statement moves on to its first character.
exec::CaretPlace ScriptErrorPlace(std::string_view script, size_t statementStart, uint32_t errorOffset);

} // namespace script
