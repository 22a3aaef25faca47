#include "ParseStateCache.h"

#include <algorithm>
#include <cassert>

#include "SqlScanner.h"

namespace editor {

ParseStateCache::ParseStateCache(LineScanner scanner) : scanner_(scanner ? scanner : &ScanLine) {
    states_.push_back(0);
}

ParseStateCache::ParseStateCache() : ParseStateCache(&ScanLine) {}

void ParseStateCache::CheckInvariants() const {
    assert(!states_.empty() && states_.front() == 0);
}

ParseState ParseStateCache::StateAt(const LineSource& lines, int32_t line) {
    CheckInvariants();
    const int32_t count = std::max<int32_t>(lines.LineCount(), 0);
    line = std::clamp<int32_t>(line, 0, count);
    const auto wanted = static_cast<std::size_t>(line);
    if (states_.size() <= wanted) {
        ParseState state = states_.back();
        for (auto from = static_cast<int32_t>(states_.size() - 1); from < line; ++from) {
            state = scanner_(state, lines.LineText(from), nullptr);
            states_.push_back(state);
        }
    }
    return states_[wanted];
}

ParseState ParseStateCache::ScanWithRuns(const LineSource& lines, int32_t line, ColourRuns& runs) {
    runs.clear();
    if (line < 0 || line >= lines.LineCount())
        return 0;
    const ParseState start = StateAt(lines, line);
    const ParseState end = scanner_(start, lines.LineText(line), &runs);
    // StateAt has made every state up to this line's known; this line's end is the next one.
    if (states_.size() == static_cast<std::size_t>(line) + 1)
        states_.push_back(end);
    return end;
}

void ParseStateCache::InvalidateFrom(int32_t changedLine) {
    // The changed line's own start state depends only on the lines above it.
    const std::size_t keep = changedLine < 0 ? 1 : static_cast<std::size_t>(changedLine) + 1;
    if (states_.size() > keep)
        states_.resize(keep);
    CheckInvariants();
}

void ParseStateCache::Reset() {
    std::vector<ParseState>{0}.swap(states_);
}

} // namespace editor
