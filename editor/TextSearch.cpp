// The search reads the buffer's lines as runs: consecutive lines whose bytes follow each other in
// memory (as the lines of a loaded file do, separated only by their line ends) are searched with one
// memmem call, and each hit is mapped back to its line. A hit that falls into a line end or runs past
// its line's end is no match. Runs start short and double while they find nothing, so a search whose
// next match is near costs little and one that finds nothing costs about one pass over the bytes.
#include "TextSearch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "Utf8.h"

namespace editor {

namespace {

constexpr int32_t kFirstRunLines = 2;
constexpr int32_t kMaxRunLines = 64 * 1024;
constexpr uintptr_t kMaxLineGap = 2; // the longest line end between two lines of a run

bool IsWordByte(unsigned char c) {
    // Bytes of multi-byte UTF-8 characters are taken as parts of letters, so that a search for "ab"
    // as a whole word does not stop inside "abé".
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
}

// Copies `size` bytes with a-z turned to A-Z; every other byte, and so every byte of a multi-byte
// character, stays as it is. Eight bytes at a time: a byte is a lower-case letter when its low seven
// bits lie in 'a' .. 'z' and its high bit is clear; its case bit (0x20) is then flipped.
void CopyUpperAscii(char* to, const char* from, size_t size) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, from + i, 8);
        const uint64_t low = word & ~kHigh;
        const uint64_t atLeastA = low + (0x80 - 'a') * kOnes;
        const uint64_t aboveZ = low + (0x7F - 'z') * kOnes;
        const uint64_t lower = atLeastA & ~aboveZ & ~word & kHigh;
        word ^= lower >> 2;
        std::memcpy(to + i, &word, 8);
    }
    for (; i < size; ++i) {
        const auto c = static_cast<unsigned char>(from[i]);
        to[i] = static_cast<char>(c - (static_cast<unsigned>(c - 'a') < 26u ? 'a' - 'A' : 0));
    }
}

// Whether an occurrence of `length` bytes at `at` in `line` counts: on character boundaries at both
// ends (the view never selects half a character) and, for a whole word, between non-word bytes. The
// bytes before the search's start count too: a search that starts inside a word does not find that
// word's tail as a word of its own.
bool Accepted(std::string_view line, size_t at, size_t length, bool wholeWord) {
    const size_t after = at + length;
    if (!utf8::IsCharBoundary(line, static_cast<int32_t>(at)) || !utf8::IsCharBoundary(line, static_cast<int32_t>(after)))
        return false;
    if (!wholeWord)
        return true;
    const bool startsWord = at == 0 || !IsWordByte(static_cast<unsigned char>(line[at - 1]));
    const bool endsWord = after == line.size() || !IsWordByte(static_cast<unsigned char>(line[after]));
    return startsWord && endsWord;
}

int32_t MatchInLine(std::string_view line, size_t from, std::string_view what, bool wholeWord) {
    if (what.empty() || from > line.size())
        return -1;
    while (line.size() - from >= what.size()) {
        const void* hit = memmem(line.data() + from, line.size() - from, what.data(), what.size());
        if (hit == nullptr)
            return -1;
        const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - line.data());
        if (Accepted(line, at, what.size(), wholeWord))
            return static_cast<int32_t>(at);
        from = at + 1;
    }
    return -1;
}

// The upper-cased copy of the run being searched: kept between searches, so that a run of many short
// searches (Replace All) does not allocate for each one. Searches run on the window's thread; the
// buffer is per thread all the same.
std::string& FoldedScratch() {
    thread_local std::string scratch;
    return scratch;
}

struct Match {
    int32_t line = -1;
    int32_t x = -1;
};

// Searches the buffer's lines in runs, upper-cased unless the case must match.
class CRunSearch {
public:
    CRunSearch(const CTextBuffer& buffer, std::string_view what, bool matchCase, bool wholeWord)
        : buffer_(buffer), what_(what), matchCase_(matchCase), wholeWord_(wholeWord) {
        if (!matchCase_)
            CopyUpperAscii(what_.data(), what_.data(), what_.size());
    }

    // The first match of lines first .. last (ascending), the first line from byte x on.
    Match FirstIn(int32_t first, int32_t x, int32_t last) {
        int32_t runLines = kFirstRunLines;
        while (first <= last) {
            const int32_t runEnd = RunForward(first, last, runLines);
            Match match = SearchRun(first, x, runEnd, false);
            if (match.line >= 0)
                return match;
            first = runEnd + 1;
            x = 0;
            runLines = std::min(runLines * 2, kMaxRunLines);
        }
        return Match{};
    }

    // The first match of the highest line of lines first .. last that has one, searching from `last`
    // towards `first` (each line whole).
    Match LastLineIn(int32_t first, int32_t last) {
        int32_t runLines = kFirstRunLines;
        while (last >= first) {
            const int32_t runStart = RunBackward(first, last, runLines);
            Match match = SearchRun(runStart, 0, last, true);
            if (match.line >= 0)
                return match;
            last = runStart - 1;
            runLines = std::min(runLines * 2, kMaxRunLines);
        }
        return Match{};
    }

    // The first match in one line from byte x.
    Match InLine(int32_t line, int32_t x) { return SearchRun(line, x, line, false); }

private:
    static bool Follows(std::string_view before, std::string_view after) {
        const auto end = reinterpret_cast<uintptr_t>(before.data() + before.size());
        const auto next = reinterpret_cast<uintptr_t>(after.data());
        return next >= end && next - end <= kMaxLineGap;
    }

    // The last line of the run that starts at `first`: consecutive in memory, at most `count` lines, not
    // past `last`.
    int32_t RunForward(int32_t first, int32_t last, int32_t count) const {
        int32_t end = first;
        std::string_view line = buffer_.LineView(first);
        const int32_t limit = std::min<int64_t>(last, static_cast<int64_t>(first) + count - 1);
        while (end < limit) {
            std::string_view next = buffer_.LineView(end + 1);
            if (!Follows(line, next))
                break;
            line = next;
            ++end;
        }
        return end;
    }

    // The first line of the run that ends at `last`, going towards `first`.
    int32_t RunBackward(int32_t first, int32_t last, int32_t count) const {
        int32_t start = last;
        std::string_view line = buffer_.LineView(last);
        const int32_t limit = std::max<int64_t>(first, static_cast<int64_t>(last) - count + 1);
        while (start > limit) {
            std::string_view previous = buffer_.LineView(start - 1);
            if (!Follows(previous, line))
                break;
            line = previous;
            --start;
        }
        return start;
    }

    // Lines first .. last lie one after the other in memory; the search covers them from byte x of the
    // first line to the end of the last. Returns the first match, or with `highestLine` the first
    // match of the highest line that has one.
    Match SearchRun(int32_t first, int32_t x, int32_t last, bool highestLine) {
        std::string_view firstLine = buffer_.LineView(first);
        const size_t from = std::min(static_cast<size_t>(std::max(x, 0)), firstLine.size());
        const char* const begin = firstLine.data() + from;
        std::string_view lastLine = buffer_.LineView(last);
        const char* const end = lastLine.data() + lastLine.size();
        const size_t size = static_cast<size_t>(end - begin);
        Match best;
        if (what_.empty() || size < what_.size())
            return best;
        const char* hay = begin;
        if (!matchCase_) {
            std::string& folded = FoldedScratch();
            if (folded.size() < size)
                folded.resize(std::max(size, folded.size() * 2));
            CopyUpperAscii(folded.data(), begin, size);
            hay = folded.data();
        }
        int32_t y = first;
        std::string_view line = firstLine;
        size_t offset = 0;
        while (size - offset >= what_.size()) {
            const void* hit = memmem(hay + offset, size - offset, what_.data(), what_.size());
            if (hit == nullptr)
                break;
            const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - hay);
            const char* const p = begin + at;
            while (y < last && p >= line.data() + line.size()) {
                ++y;
                line = buffer_.LineView(y);
            }
            offset = at + 1;
            if (p < line.data() || p + what_.size() > line.data() + line.size())
                continue; // in a line end, or across one
            if (highestLine && y == best.line)
                continue; // the first match of this line is known
            const auto lineX = static_cast<size_t>(p - line.data());
            if (!Accepted(line, lineX, what_.size(), wholeWord_))
                continue;
            best = Match{y, static_cast<int32_t>(lineX)};
            if (!highestLine)
                return best;
        }
        return best;
    }

    const CTextBuffer& buffer_;
    std::string what_;
    bool matchCase_;
    bool wholeWord_;
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
    CRunSearch search(buffer, text, (flags & FIND_MATCH_CASE) != 0, (flags & FIND_WHOLE_WORD) != 0);

    if ((flags & FIND_UP) == 0) {
        // The second pass, from the block's beginning, can stop at the start line: every line after
        // it was searched whole by the first pass, which found nothing there.
        int32_t lastLine = std::min(blockEnd.y, lineCount - 1);
        for (;;) {
            if (current.y <= lastLine) {
                const Match match = search.FirstIn(current.y, current.x, lastLine);
                // A match must lie inside the block: on the block's last line it must end by the
                // block's end, so that a replacement in a selection never reaches past it.
                if (match.line >= 0 &&
                    (match.line != blockEnd.y ||
                     static_cast<int64_t>(match.x) + static_cast<int64_t>(text.size()) <= blockEnd.x)) {
                    found = TextPosition{match.x, match.line};
                    return true;
                }
            }
            if (!wrap)
                return false;
            wrap = false;
            lastLine = std::min(lastLine, current.y);
            current = blockBegin;
        }
    }

    // Upwards: the current line from the start position to its end (the first match there counts, even
    // one right of the start), then each line above it whole. Going round from the last line, the
    // search can stop at the start line, which it then searches whole.
    int32_t y = current.y;
    int32_t x = current.x;
    if (y >= lineCount) {
        y = lineCount - 1;
        x = 0;
    }
    Match match = search.InLine(y, x);
    if (match.line < 0 && y > 0)
        match = search.LastLineIn(0, y - 1);
    if (match.line < 0 && wrap)
        match = search.LastLineIn(y, lineCount - 1);
    if (match.line < 0)
        return false;
    found = TextPosition{match.x, match.line};
    return true;
}

bool FindText(const CTextBuffer& buffer, std::string_view text, TextPosition start, uint32_t flags, bool wrap,
              TextPosition& found) {
    const int32_t last = buffer.LineCount() - 1;
    if (last < 0)
        return false;
    return FindInBlock(buffer, text, start, TextPosition{0, 0}, TextPosition{buffer.LineLength(last), last}, flags,
                       wrap, found);
}

std::string NotFoundMessage(std::string_view text) {
    std::string message = "Cannot find the string\"";
    message.append(text);
    message += '"';
    return message;
}

} // namespace editor
