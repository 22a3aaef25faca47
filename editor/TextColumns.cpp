#include "TextColumns.h"

#include <QChar>

#include <algorithm>
#include <cstring>

#include "Utf8.h"

namespace editor::columns {
namespace {

int32_t Width(char32_t c, int32_t column, int32_t tabSize) {
    if (c == '\t')
        return tabSize - column % tabSize;
    return c >= 0x1100 && IsWide(c) ? 2 : 1;
}

// The character at byte i: its code point and byte count.
char32_t At(std::string_view line, int32_t i, int32_t* size) {
    const auto c = static_cast<unsigned char>(line[static_cast<std::size_t>(i)]);
    if (c < 0x80) {
        *size = 1;
        return c;
    }
    return utf8::DecodeAt(line, i, size);
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
        int32_t size = 1;
        const char32_t c = At(line, i, &size);
        if (i + size > x)
            break; // x lies inside this character: it counts as the character's start
        column += Width(c, column, tabSize);
        i += size;
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
        int32_t size = 1;
        const char32_t c = At(line, i, &size);
        const int32_t width = Width(c, at, tabSize);
        const int32_t next = i + size;
        if (at + width > column) {
            // Inside a tab: whichever side the column is nearer to, with ties going before it. The
            // second column of a wide character counts as the character.
            if (c != '\t')
                return i;
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
        int32_t size = 1;
        const char32_t c = At(line, i, &size);
        at += Width(c, at, tabSize);
        i += size;
    }
    return i;
}

int32_t ByteNearestColumn(std::string_view line, int64_t column256, int32_t tabSize) {
    const int32_t length = Clamp(line, INT32_MAX);
    int64_t at = 0;
    int32_t i = 0;
    while (i < length) {
        int32_t size = 1;
        const char32_t c = At(line, i, &size);
        const int32_t width = Width(c, static_cast<int32_t>(at), tabSize);
        if (column256 < (at * 2 + width) * 128)
            return i;
        at += width;
        i += size;
    }
    return length;
}

bool IsWide(char32_t c) {
    // East Asian Wide and Fullwidth blocks, and the pictographs drawn as emoji.
    static constexpr char32_t kRanges[][2] = {
        {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
        {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
        {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
        {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},
        {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
    };
    for (const auto& range : kRanges) {
        if (c < range[0])
            return false;
        if (c <= range[1])
            return true;
    }
    return false;
}

bool IsWordChar(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    return QChar::isLetterOrNumber(c);
}

bool IsBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int32_t WrapRows(std::string_view line, int32_t tabSize, int32_t width, std::vector<WrappedRow>* rows) {
    tabSize = std::max(1, tabSize);
    width = std::max(1, width);
    const auto length = static_cast<int32_t>(line.size());
    int32_t count = 0;
    auto addRow = [&](int32_t startByte, int32_t endByte, int32_t startColumn, int32_t endColumn) {
        ++count;
        if (rows != nullptr)
            rows->push_back(WrappedRow{startByte, endByte, startColumn, endColumn});
    };
    int32_t rowByte = 0;
    int32_t rowColumn = 0;
    int32_t breakByte = -1; // just after the row's last space or tab, where a word-wrap would cut it
    int32_t breakColumn = 0;
    int32_t i = 0;
    int32_t column = 0;
    while (i < length) {
        int32_t size = 1;
        const char32_t c = At(line, i, &size);
        const int32_t w = Width(c, column, tabSize);
        const bool space = c == ' ' || c == '\t';
        if (column + w - rowColumn > width && column > rowColumn) {
            if (space) {
                // The row ends here and the blank that would overflow it is dropped.
                addRow(rowByte, i, rowColumn, column);
                i += size;
                column += w;
                rowByte = i;
                rowColumn = column;
                breakByte = -1;
                continue;
            }
            if (breakByte > rowByte) {
                addRow(rowByte, breakByte, rowColumn, breakColumn);
                rowByte = breakByte;
                rowColumn = breakColumn;
                breakByte = -1;
                continue; // this character again, on the new row
            }
            addRow(rowByte, i, rowColumn, column);
            rowByte = i;
            rowColumn = column;
            breakByte = -1;
        }
        i += size;
        column += w;
        if (space) {
            breakByte = i;
            breakColumn = column;
        }
    }
    if (rowByte < length || count == 0)
        addRow(rowByte, length, rowColumn, column);
    return count;
}

} // namespace editor::columns
