// Windowless rules of statement execution and the result grid: where a parse error puts the caret, the
// texts the worker reports, the grid's status caption, column widths, the sort comparison and the
// clipboard text of selected rows.
#pragma once

#include "DBStmt.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace exec {

// A fetch-all batch asks for this many rows; the worker stops one short of it.
inline constexpr int32_t kAllRows = 1000000000;
inline constexpr int32_t kFetchCap = 999999999;

// Line and column of a parse error, the line counted from the first line of the executed text.
struct CaretPlace {
    int32_t line = 0;
    int32_t column = 0;
};
CaretPlace CaretForParseError(std::string_view executedText, uint32_t offset);

// The selected text as it is executed: every CR (of the CR LF line ends) becomes a blank.
std::string ExecutedText(std::string_view selectedText);
// The same rule on a text the caller hands over, in place (no second copy of a large selection).
void BlankCarriageReturns(std::string& text);

// "3 row(s) updated." and the like; empty for kinds that report no count.
std::string RowCountText(StatementKind kind, uint32_t count);
// "120 rows fetched." into `text`, reusing its storage: the worker writes it once per fetched row.
void WriteProgressText(int32_t rowsFetched, std::string& text);
// "Statement processed. 60 Row(s) selected."
std::string FinalFetchText(int32_t rowsFetched);
// "60 Row(s) selected" (the grid's caption once everything is fetched).
std::string SelectedCaption(int32_t rowCount);
// "Row 5 of 50 (partial)"; empty when no row is selected (selectedRow < 0).
std::string RowCaption(int32_t selectedRow, int32_t rowCount, bool allFetched);

// Column widths in pixels.
inline constexpr int kRowNumberWidth = 50;
inline constexpr size_t kWidthCharCap = 128;
inline constexpr size_t kCellReadCap = 3999; // the cell text is read through a 4000-character buffer
int CreatedWidth(size_t titleLength);
// The autoformat width of a column, or the created width when neither flag is set.
int AutoformatWidth(size_t titleLength, size_t longestCell, bool byData, bool byName);

// The longest cell text of every query column, kept as rows arrive so that an appended row costs
// one step per column, whatever the number of rows.
class ColumnLengths {
public:
    void Reset(size_t columns) { longest_.assign(columns, 0); }
    // Notes a cell of `column`; true when its longest length grew.
    bool Note(size_t column, size_t length);
    size_t Longest(size_t column) const { return column < longest_.size() ? longest_[column] : 0; }
    size_t Columns() const { return longest_.size(); }

private:
    std::vector<size_t> longest_;
};

// The sort order of the grids: leading decimal integers first, then the bytes of the texts.
// Negative, zero or positive like strcmp.
int CompareCells(std::string_view a, std::string_view b);
// The leading decimal integer of a text (blanks, a sign, digits); 0 without digits; saturates.
int64_t LeadingInteger(std::string_view text);
// CompareCells with the leading integers read beforehand, for sorting many rows.
struct SortKey {
    int64_t number = 0;
    uint64_t prefix[2] = {}; // the first 16 bytes, big-endian, zero-padded: most texts differ there
    std::string_view text;
};
SortKey MakeSortKey(std::string_view text);
// The sort key of a DATE cell: by the date and time it reads (DD-MON-RR, DD-MON-YYYY, YYYY-MM-DD, each
// with an optional HH24:MI[:SS]); a text that reads as no date sorts before every date, by its text.
// Two-digit years follow Oracle's RR rule around `currentYear`.
SortKey MakeDateSortKey(std::string_view text, int currentYear);
// The date a cell text reads as, yyyymmddhhmmss; false when it reads as none.
bool ParseDateText(std::string_view text, int currentYear, int64_t& value);
int CurrentYear();
// The kinds whose values are numbers (right-aligned in the grid).
bool IsNumberKind(ColumnKind kind);
int CompareSortKeys(const SortKey& a, const SortKey& b);

// The sort state shared by every grid of the program: the column clicked last and the direction flag
// (0 ascending, 1 descending). A click flips the flag first, so the first click sorts descending.
struct SortState {
    int column = -1;
    int direction = 0;
};
SortState& SharedSortState();

// What a statement that ran successfully does to the session's transaction: DML, MERGE and PL/SQL
// blocks leave changes pending; DDL, COMMIT and ROLLBACK end the transaction; the rest leave it as
// it was.
enum class TransactionEffect { None, Opens, Ends };
TransactionEffect TransactionEffectOf(StatementKind kind, std::string_view text);
// Applies the effect of a successful statement to the window's flag of uncommitted work.
void NoteTransactionEffect(int32_t& uncommittedWork, StatementKind kind, std::string_view text);

// The clipboard text of rows is the titles joined by ";" and ended by CR LF, then each row the same
// way: this appends one such line to `out`, so that a copy of many rows never holds them twice.
// The prefetch of a batch of `rows` (kAllRows for Last Row), set before the batch's first fetch.
struct Prefetch {
    uint32_t rows = 0;
    uint32_t memoryBytes = 0;
};
Prefetch PrefetchForBatch(int32_t rows);

void AppendCopyLine(std::string& out, const std::vector<std::string_view>& fields);

} // namespace exec
