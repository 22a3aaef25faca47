// Finding a search text in the buffer's lines: the windowless half of Find, Repeat and Replace. The
// view highlights what these functions find; the dialogs decide where to start and what to do next.
#pragma once

#include "TextBuffer.h"
#include "TextPosition.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace editor {

enum FindFlags : uint32_t {
    FIND_MATCH_CASE = 0x1,
    FIND_WHOLE_WORD = 0x2,
    FIND_UP = 0x10, // towards the start of the text
};

// The offset of the first occurrence of `what` in `where`, or -1: a plain byte search, in which an
// occurrence counts only when it starts and ends on character boundaries (UTF-8 sequences, see Utf8.h).
// With `wholeWord` it counts only when neither the byte before it nor the byte after it is a letter, a
// digit or an underscore (bytes of multi-byte UTF-8 characters count as letters). An empty `what` is
// never found.
int32_t MatchInText(std::string_view where, std::string_view what, bool wholeWord);

// Searches `text` within the block [blockBegin, blockEnd) from `start`. Downwards a match must lie inside
// the block; with `wrap` the search goes round once, from the block's beginning. Upwards (FIND_UP) the
// current line is searched from `start` to its end and then each line above it whole, the first match
// in a line counting; with `wrap` it goes on once from the last line of the text; the block end does not
// apply. True and `found` set on a match.
bool FindInBlock(const CTextBuffer& buffer, std::string_view text, TextPosition start, TextPosition blockBegin,
                 TextPosition blockEnd, uint32_t flags, bool wrap, TextPosition& found);

// Without FIND_MATCH_CASE both the search text and the lines are compared with the ASCII letters a-z
// turned to upper case; every other byte, and so every non-ASCII character, is compared as it is.

// FindInBlock over the whole text.
bool FindText(const CTextBuffer& buffer, std::string_view text, TextPosition start, uint32_t flags, bool wrap,
              TextPosition& found);

// What the program says when a search finds nothing: Cannot find the string"<text>".
std::string NotFoundMessage(std::string_view text);

} // namespace editor
