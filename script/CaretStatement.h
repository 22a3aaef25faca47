// The statement around the caret, for Execute Statement (Ctrl+Enter) without a selection: the lines
// between the blank lines around the caret are cut into statements by the splitter, and the one the
// caret stands in (or right after) is the one to run.
//
// What is selected: from the statement's first character that is no blank to its last one. The ";"
// that ends a SQL statement is left out (the server would refuse it); a PL/SQL block, ended by a "/"
// line, keeps its "END;" and loses the "/".
//
// Thread contract: any thread; allocates only for the paragraph it looks at.
#pragma once

#include "morvex.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace script {

struct TextPlace {
    int32_t line = 0;
    int32_t x = 0; // byte offset in the line
    bool operator==(const TextPlace&) const = default;
};

struct TextSpan {
    TextPlace start;
    TextPlace end; // after the statement's last byte
    bool operator==(const TextSpan&) const = default;
};

// `lineAt` gives line `n` (0 <= n < lineCount) without its line end. Nothing when the caret stands on
// a blank line, when its paragraph holds no statement there, or without a splitter.
std::optional<TextSpan> StatementAtCaret(const std::function<std::string_view(int32_t)>& lineAt, int32_t lineCount,
                                         TextPlace caret, ParseScriptFn split);

} // namespace script
