// A place in the text: x is the byte index within the line (a tab is one byte like any other), y the
// line index, both counted from zero. A range is a start and an end position, the end exclusive.
#pragma once

#include <compare>
#include <cstdint>

namespace editor {

struct TextPosition {
    int32_t x = 0;
    int32_t y = 0;

    friend constexpr bool operator==(const TextPosition&, const TextPosition&) = default;
    // Text order: by line first, then by byte within the line.
    friend constexpr std::strong_ordering operator<=>(const TextPosition& a, const TextPosition& b) {
        if (auto byLine = a.y <=> b.y; byLine != 0)
            return byLine;
        return a.x <=> b.x;
    }
};

} // namespace editor
