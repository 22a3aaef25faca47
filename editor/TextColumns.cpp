#include "TextColumns.h"

#include <QChar>

#include <algorithm>
#include <cstring>

#include "Utf8.h"

namespace editor::columns {
namespace {

int32_t Width(unsigned char c, int32_t column, int32_t tabSize) {
    return c == '\t' ? tabSize - column % tabSize : 1;
}

// True when no byte of the block needs a closer look (no tab, nothing outside ASCII): then every byte
// is one column.
bool IsPlainAscii(const char* p, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080ull)
            return false;
        // A byte equal to 0x09 anywhere in the word.
        const uint64_t x = word ^ 0x0909090909090909ull;
        if ((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull)
            return false;
    }
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c >= 0x80 || c == '\t')
            return false;
    }
    return true;
}

int32_t Clamp(std::string_view line, int32_t x) {
    const auto length = static_cast<int32_t>(std::min<std::size_t>(line.size(), INT32_MAX));
    return std::clamp(x, 0, length);
}

} // namespace

int32_t ExpandedLength(std::string_view line, int32_t tabSize) {
    const int32_t length = Clamp(line, INT32_MAX);
    if (IsPlainAscii(line.data(), static_cast<std::size_t>(length)))
        return length;
    return ColumnOfByte(line, length, tabSize);
}

int32_t ColumnOfByte(std::string_view line, int32_t x, int32_t tabSize) {
    x = Clamp(line, x);
    int32_t column = 0;
    int32_t i = 0;
    while (i < x) {
        const auto c = static_cast<unsigned char>(line[static_cast<std::size_t>(i)]);
        if (c < 0x80) {
            column += Width(c, column, tabSize);
            ++i;
            continue;
        }
        const int32_t next = i + utf8::SequenceLength(line, i);
        if (next > x)
            break; // x lies inside this character: it counts as the character's start
        ++column;
        i = next;
    }
    return column;
}

int32_t ByteForColumn(std::string_view line, int32_t column, int32_t tabSize) {
    const int32_t length = Clamp(line, INT32_MAX);
    int32_t at = 0;
    int32_t i = 0;
    while (i < length) {
        if (at >= column)
            return i;
        const auto c = static_cast<unsigned char>(line[static_cast<std::size_t>(i)]);
        const int32_t width = Width(c, at, tabSize);
        const int32_t next = i + (c < 0x80 ? 1 : utf8::SequenceLength(line, i));
        if (at + width > column) {
            // Inside a tab: whichever side the column is nearer to, with ties going before it.
            return (at + width) - column >= tabSize / 2 ? i : next;
        }
        at += width;
        i = next;
    }
    return length;
}

int32_t ByteReachingColumn(std::string_view line, int32_t column, int32_t tabSize) {
    const int32_t length = Clamp(line, INT32_MAX);
    int32_t at = 0;
    int32_t i = 0;
    while (i < length && at < column) {
        const auto c = static_cast<unsigned char>(line[static_cast<std::size_t>(i)]);
        at += Width(c, at, tabSize);
        i += c < 0x80 ? 1 : utf8::SequenceLength(line, i);
    }
    return i;
}

int32_t ByteNearestColumn(std::string_view line, int64_t column256, int32_t tabSize) {
    const int32_t length = Clamp(line, INT32_MAX);
    int64_t at = 0;
    int32_t i = 0;
    while (i < length) {
        const auto c = static_cast<unsigned char>(line[static_cast<std::size_t>(i)]);
        const int32_t width = Width(c, static_cast<int32_t>(at), tabSize);
        if (column256 < (at * 2 + width) * 128)
            return i;
        at += width;
        i += c < 0x80 ? 1 : utf8::SequenceLength(line, i);
    }
    return length;
}

bool IsWordChar(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    return QChar::isLetterOrNumber(c);
}

bool IsBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace editor::columns
