#include "ScriptSteps.h"

#include <algorithm>
#include <cstring>

namespace script {

ScriptSteps::ScriptSteps(std::string_view script, ParseScriptFn split)
    : copy_(script.size() + 1, '\0'), statement_(script.size() + 1, '\0'), split_(split) {
    std::memcpy(copy_.data(), script.data(), script.size());
}

bool ScriptSteps::Next(ScriptStep& step) {
    const size_t length = copy_.size();
    if (!split_ || offset_ >= length || length - offset_ < kShortestStatementTail)
        return false;
    const uint32_t rest = static_cast<uint32_t>(length - offset_);
    std::memset(statement_.data(), 0, std::min<size_t>(written_, statement_.size()));
    uint32_t next = 0;
    split_(copy_.data() + offset_, statement_.data(), rest, &next);
    next = std::clamp<uint32_t>(next, 1, rest); // the splitter promises progress; never trust it blindly
    written_ = next;
    const size_t end = offset_ + next;
    lineFeeds_ += static_cast<int32_t>(std::count(copy_.begin() + static_cast<std::ptrdiff_t>(offset_),
                                                  copy_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
    step.text = std::string_view(statement_.data(), strnlen(statement_.data(), next));
    step.start = offset_;
    step.end = end;
    step.terminatorLine = lineFeeds_;
    offset_ = end;
    return true;
}

exec::CaretPlace ScriptErrorPlace(std::string_view script, size_t statementStart, uint32_t errorOffset) {
    size_t at = std::min(script.size(), statementStart + errorOffset);
    // An error without a position (offset 0) would leave the caret on the blanks and line ends that
    // come before the statement, usually at the end of the previous one: the statement's first
    // character is where the user looks for it.
    while (at < script.size() && (script[at] == ' ' || script[at] == '\t' || script[at] == '\r' || script[at] == '\n'))
        ++at;
    return exec::CaretForParseError(script, static_cast<uint32_t>(at));
}

} // namespace script
