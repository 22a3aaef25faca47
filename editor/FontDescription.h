// How a text view's font is described: the face name and size the user or the document asks for. The
// view turns it into a real fixed-pitch font; a face that is not installed falls back to the
// desktop's fixed-pitch font of the same size.
#pragma once

#include <cstdint>
#include <string>

namespace editor {

struct FontDescription {
    std::string faceName = "FixedSys";
    int32_t height = 0;  // pixel height of a character cell; 0 takes the desktop's default size
    int32_t weight = 400; // 400 normal, 700 bold
    bool italic = false;
    uint8_t charSet = 1;  // kept for the document's record; text is always UTF-8 here

    friend bool operator==(const FontDescription&, const FontDescription&) = default;
};

} // namespace editor
