// The parse state at the start of each line, remembered so that drawing a line in the middle of a long
// text does not rescan everything above it every time.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "ColourRuns.h"
#include "ParseState.h"

namespace editor {

// What the cache needs of a text: its lines as bytes (without line ends). The view implements this
// over its buffer. The text returned must stay valid until the next call.
class LineSource {
public:
    virtual ~LineSource() = default;
    virtual int32_t LineCount() const = 0;
    virtual std::string_view LineText(int32_t line) const = 0;
};

// A line scanner: (state at line start, line bytes, optional runs) -> state at the next line's start.
// The SQL colouring's is ScanLine.
using LineScanner = ParseState (*)(ParseState state, std::string_view line, ColourRuns* runs);

// Window thread only: the view that owns the cache asks for states while drawing and invalidates it
// from its change notification, both on its own thread.
//
// Invariant: the states known form a prefix: states_[n] is the state at the start of line n for every
// n < states_.size(), and states_[0] == 0. The state at the start of line n depends only on lines
// 0 .. n - 1, so a change in line k leaves the states of lines 0 .. k valid and invalidates the rest,
// and knowing a state always means knowing all before it. Invalidation is therefore a truncation
// (O(1), no per-line marking), and catching up always starts from the last known state.
class ParseStateCache {
public:
    explicit ParseStateCache(LineScanner scanner);
    ParseStateCache();  // the SQL scanner

    // The state at the start of `line`, scanning forward (without runs) from the last known state and
    // remembering each result. `line` is clamped to 0 .. LineCount(); the state "at the start" of
    // line LineCount() is the state after the last line.
    ParseState StateAt(const LineSource& lines, int32_t line);

    // Scans `line` with runs, starting from its cached state, and remembers its end state (the next
    // line's start state), which is what drawing a line needs. Returns that end state. A line outside
    // the text gets no runs and returns 0.
    ParseState ScanWithRuns(const LineSource& lines, int32_t line, ColourRuns& runs);

    // Line `changedLine` changed (its text, or lines were inserted or removed from there on): the
    // states of every later line are forgotten. A negative line forgets everything.
    void InvalidateFrom(int32_t changedLine);

    // Forgets everything and gives the memory back (a new text was loaded).
    void Reset();

    // How many lines, from line 0, have a known start state.
    int32_t KnownLineCount() const { return static_cast<int32_t>(states_.size()); }

private:
    void CheckInvariants() const;

    LineScanner scanner_;
    std::vector<ParseState> states_;
};

} // namespace editor
