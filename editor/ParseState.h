// The state the SQL colouring carries from the end of one line to the start of the next: which kind of
// comment or string is still open. Line 0 starts in state 0.
#pragma once

#include <cstdint>

namespace editor {

using ParseState = std::uint32_t;

inline constexpr ParseState PS_LINE_COMMENT = 0x1;  // after "--"; survives the line end only after a backslash
inline constexpr ParseState PS_BLOCK_COMMENT = 0x4; // inside "/* ... */"; always survives the line end
inline constexpr ParseState PS_DQUOTE = 0x8;        // inside "..."
inline constexpr ParseState PS_SQUOTE = 0x10;       // inside '...'

// Every bit a scan can produce. Other bits never come out of a scan, so a cache may use any value
// outside this mask as "not computed".
inline constexpr ParseState PS_ALL_BITS = PS_LINE_COMMENT | PS_BLOCK_COMMENT | PS_DQUOTE | PS_SQUOTE;

} // namespace editor
