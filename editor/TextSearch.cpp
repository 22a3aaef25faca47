#include "TextSearch.h"

#include <algorithm>
#include <string>

namespace editor {

namespace {

bool IsWordByte(unsigned char c) {
    // Bytes of multi-byte UTF-8 characters are taken as parts of letters, so that a search for "ab"
    // as a whole word does not stop inside "abé".
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
}

// The first occurrence of `what` in `line` at or after `from`. For the whole-word test the bytes of the
// line before `from` count too: a search that starts inside a word does not find that word's tail.
int32_t MatchInLine(std::string_view line, size_t from, std::string_view what, bool wholeWord) {
    if (what.empty() || from > line.size())
        return -1;
    for (;;) {
        size_t at = line.find(what, from);
        if (at == std::string_view::npos)
            return -1;
        if (!wholeWord)
            return static_cast<int32_t>(at);
        const size_t after = at + what.size();
        const bool startsWord = at == 0 || !IsWordByte(static_cast<unsigned char>(line[at - 1]));
        const bool endsWord = after == line.size() || !IsWordByte(static_cast<unsigned char>(line[after]));
        if (startsWord && endsWord)
            return static_cast<int32_t>(at);
        from = at + 1;
    }
}

void ToUpperAscii(std::string& text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
}

// One line as the search sees it: upper-cased unless the case must match.
class CLineReader {
public:
    CLineReader(const CTextBuffer& buffer, bool matchCase) : buffer_(buffer), matchCase_(matchCase) {}

    std::string_view Line(int32_t y) {
        std::string_view line = buffer_.LineView(y);
        if (matchCase_)
            return line;
        folded_.assign(line);
        ToUpperAscii(folded_);
        return folded_;
    }

private:
    const CTextBuffer& buffer_;
    bool matchCase_;
    std::string folded_;
};

} // namespace

int32_t MatchInText(std::string_view where, std::string_view what, bool wholeWord) {
    return MatchInLine(where, 0, what, wholeWord);
}

bool FindInBlock(const CTextBuffer& buffer, std::string_view text, TextPosition start, TextPosition blockBegin,
                 TextPosition blockEnd, uint32_t flags, bool wrap, TextPosition& found) {
    const int32_t lineCount = buffer.LineCount();
    if (blockBegin == blockEnd || text.empty() || lineCount == 0)
        return false;
    if (blockEnd < blockBegin)
        std::swap(blockBegin, blockEnd);
    blockBegin = std::max(blockBegin, TextPosition{0, 0});
    blockBegin.x = std::max(blockBegin.x, 0);
    TextPosition current = std::max(start, blockBegin);
    current.x = std::max(current.x, 0);

    const bool matchCase = (flags & FIND_MATCH_CASE) != 0;
    const bool wholeWord = (flags & FIND_WHOLE_WORD) != 0;
    std::string what(text);
    if (!matchCase)
        ToUpperAscii(what);
    CLineReader reader(buffer, matchCase);

    if ((flags & FIND_UP) == 0) {
        for (;;) {
            int32_t x = current.x;
            for (int32_t y = current.y; y <= blockEnd.y && y < lineCount; ++y, x = 0) {
                std::string_view line = reader.Line(y);
                if (static_cast<size_t>(x) >= line.size())
                    continue;
                int32_t at = MatchInLine(line, static_cast<size_t>(x), what, wholeWord);
                if (at < 0)
                    continue;
                // A match must lie inside the block: on the block's last line it must end by the
                // block's end, so that a replacement in a selection never reaches past it.
                if (y == blockEnd.y && static_cast<int64_t>(at) + static_cast<int64_t>(what.size()) > blockEnd.x)
                    break;
                found = TextPosition{at, y};
                return true;
            }
            if (!wrap)
                return false;
            wrap = false;
            current = blockBegin;
        }
    }

    // Upwards: the current line from the start position to its end (the first match there counts, even
    // one right of the start), then each line above it whole.
    int32_t y = current.y;
    int32_t x = current.x;
    if (y >= lineCount) {
        y = lineCount - 1;
        x = 0;
    }
    for (;;) {
        for (; y >= 0; --y, x = 0) {
            std::string_view line = reader.Line(y);
            if (static_cast<size_t>(x) >= line.size())
                continue;
            int32_t at = MatchInLine(line, static_cast<size_t>(x), what, wholeWord);
            if (at >= 0) {
                found = TextPosition{at, y};
                return true;
            }
        }
        if (!wrap)
            return false;
        wrap = false;
        y = lineCount - 1;
        x = 0;
    }
}

bool FindText(const CTextBuffer& buffer, std::string_view text, TextPosition start, uint32_t flags, bool wrap,
              TextPosition& found) {
    const int32_t last = buffer.LineCount() - 1;
    if (last < 0)
        return false;
    return FindInBlock(buffer, text, start, TextPosition{0, 0}, TextPosition{buffer.LineLength(last), last}, flags,
                       wrap, found);
}

} // namespace editor
