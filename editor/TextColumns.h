// Columns of a line as the view shows it: every character (one UTF-8 sequence, or a stray byte)
// takes one column, a wide character (CJK ideographs, Hangul, full-width forms, emoji) two, and a tab
// advances to the next multiple of the tab size, counted from the line's start. Text positions stay
// byte offsets; these helpers convert between the two.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace editor::columns {

// The number of columns the whole line takes.
int32_t ExpandedLength(std::string_view line, int32_t tabSize);

// The column at which the character at byte `x` starts (x is clamped to the line; an offset inside a
// character counts as that character's start).
int32_t ColumnOfByte(std::string_view line, int32_t x, int32_t tabSize);

// Where a vertical move lands on a line when it tries to keep `column`: the character that starts at
// that column; inside a tab, before the tab when the column lies at least half a tab before the
// tab's end, else after it; the line's end when the line is shorter.
int32_t ByteForColumn(std::string_view line, int32_t column, int32_t tabSize);

// The first character boundary whose column is at least `column` (the line's end if none is).
int32_t ByteReachingColumn(std::string_view line, int32_t column, int32_t tabSize);

// The character boundary nearest to a pixel-exact column position given in 1/256 columns: a click on
// the left half of a character lands before it, on the right half after it.
int32_t ByteNearestColumn(std::string_view line, int64_t column256, int32_t tabSize);

// True for a character that a fixed-pitch font draws two columns wide.
bool IsWide(char32_t c);

// One row of a word-wrapped line: the bytes [startByte, endByte), shown in the columns
// [startColumn, endColumn) of the whole line.
struct WrappedRow {
    int32_t startByte = 0;
    int32_t endByte = 0;
    int32_t startColumn = 0;
    int32_t endColumn = 0;
};

// Breaks `line` into rows of at most `width` columns (at least 1): after the last space or tab that
// fits; a word longer than a row is broken after its last character that fits. A space or tab that
// would start beyond the row's end ends the row and is not carried over. A character wider than the
// whole row gets a row of its own. An empty line is one empty row. Returns the number of rows and,
// when `rows` is given, appends them to it.
int32_t WrapRows(std::string_view line, int32_t tabSize, int32_t width, std::vector<WrappedRow>* rows);

// Character classes for word moves and word selection. A word is letters, digits and underscores
// (letters and digits of any script).
bool IsWordChar(char32_t c);
// Space, tab and the other ASCII white-space bytes (LF, VT, FF, CR).
bool IsBlank(char32_t c);

} // namespace editor::columns
