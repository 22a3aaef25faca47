// The colour indexes a view paints with. The scanner speaks only in these indexes; which colour an
// index means is the view's business, except for the fixed colours below.
#pragma once

#include <cstdint>
#include <optional>

namespace editor {

enum ColourIndex : int32_t {
    CI_WHITESPACE = 0,     // area after a line's end and below the last line
    CI_BACKGROUND = 1,     // behind the text
    CI_NORMAL = 2,         // plain text
    CI_MARGIN = 3,         // selection margin
    CI_SEL_BACKGROUND = 4, // behind selected text
    CI_SEL_TEXT = 5,       // selected text
    CI_KEYWORD = 6,
    CI_COMMENT = 7,
    CI_NUMBER = 8,
    CI_STRING = 10,
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// True for the indexes whose colour comes from the desktop's palette (window, window text, button face).
constexpr bool IsSystemColour(int32_t index) {
    return index >= CI_WHITESPACE && index <= CI_MARGIN;
}

// The colour of an index that does not depend on the desktop: nullopt for the system colours. Selected
// text turns light blue-grey while input is disabled, so the user sees that the pane is busy; an index
// the view does not know is drawn red so that it stands out.
constexpr std::optional<Rgb> FixedColour(int32_t index, bool inputEnabled) {
    switch (index) {
    case CI_WHITESPACE:
    case CI_BACKGROUND:
    case CI_NORMAL:
    case CI_MARGIN:
        return std::nullopt;
    case CI_SEL_BACKGROUND:
        return Rgb{0, 0, 102};
    case CI_SEL_TEXT:
        return inputEnabled ? Rgb{255, 255, 255} : Rgb{156, 212, 221};
    case CI_KEYWORD:
        return Rgb{0, 0, 255};
    case CI_COMMENT:
        return Rgb{30, 130, 60};
    case CI_NUMBER:
        return Rgb{128, 0, 0};
    case CI_STRING:
        return Rgb{255, 0, 0};
    default:
        return Rgb{255, 0, 0};
    }
}

} // namespace editor
