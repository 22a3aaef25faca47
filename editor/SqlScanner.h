// The SQL colouring of one line of text: a pure function of the parse state at the line's start and
// the line's bytes, giving the line's colour runs and the state at the start of the next line.
#pragma once

#include <string_view>

#include "ColourRuns.h"
#include "ParseState.h"

namespace editor {

// Scans one line (its bytes, without the line end) that starts in `state`.
// With `runs`, the list is cleared and filled with the line's colour runs (byte offsets). Without it,
// only the end state is computed, on a faster path that skips everything that cannot change the
// state; both paths always agree on the end state.
// Returns the state at the start of the next line. Bits outside PS_ALL_BITS in `state` are ignored.
ParseState ScanLine(ParseState state, std::string_view line, ColourRuns* runs);

// The number test: "0x" followed by one or more hex digits, or a digit followed by digits and any of
// "+-.eE". Case-sensitive ("0X1F" is not a number).
bool IsSqlNumber(std::string_view word);

} // namespace editor
