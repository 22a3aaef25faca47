// The windowless rules of execution and the grid: caret on a parse error, reported texts, captions,
// column widths, the sort comparison and the clipboard text.
#include "ExecRules.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace exec;

TEST(ExecRules, ParseErrorCaretCountsLinesAndColumnsFromTheLastLineFeed) {
    const std::string text = "select a,\n  b\n  from nowhere x";
    // Offset 16 is the "f" of "from" on the third line, column 2.
    CaretPlace place = CaretForParseError(text, 16);
    EXPECT_EQ(place.line, 2);
    EXPECT_EQ(place.column, 2);
    place = CaretForParseError(text, 0);
    EXPECT_EQ(place.line, 0);
    EXPECT_EQ(place.column, 0);
    place = CaretForParseError(text, 5);
    EXPECT_EQ(place.line, 0);
    EXPECT_EQ(place.column, 5);
    // An offset beyond the text never reads past it.
    place = CaretForParseError("a\nb", 60000);
    EXPECT_EQ(place.line, 1);
    EXPECT_EQ(place.column, 60000 - 2);
}

TEST(ExecRules, ReportedTexts) {
    EXPECT_EQ(RowCountText(StatementKind::Update, 3), "3 row(s) updated.");
    EXPECT_EQ(RowCountText(StatementKind::Delete, 0), "0 row(s) deleted.");
    EXPECT_EQ(RowCountText(StatementKind::Insert, 1), "1 row(s) inserted.");
    EXPECT_EQ(RowCountText(StatementKind::Other, 4), "");
    std::string progress = "a longer text that the next one replaces";
    WriteProgressText(120, progress);
    EXPECT_EQ(progress, "120 rows fetched.");
    EXPECT_EQ(FinalFetchText(0), "Statement processed. 0 Row(s) selected.");
    EXPECT_EQ(SelectedCaption(60), "60 Row(s) selected");
    EXPECT_EQ(RowCaption(49, 50, false), "Row 50 of 50 (partial)");
    EXPECT_EQ(RowCaption(59, 60, true), "Row 60 of 60");
    EXPECT_EQ(RowCaption(-1, 60, false), "");
}

TEST(ExecRules, AutoformatWidthsByNameDataBothAndNeither) {
    EXPECT_EQ(AutoformatWidth(4, 10, false, true), 4 * 7 + 20);
    EXPECT_EQ(AutoformatWidth(4, 10, true, false), 10 * 7 + 20);
    EXPECT_EQ(AutoformatWidth(12, 10, true, true), 12 * 7 + 20);
    EXPECT_EQ(AutoformatWidth(4, 10, true, true), 10 * 7 + 20);
    EXPECT_EQ(AutoformatWidth(4, 10, false, false), CreatedWidth(4));
    EXPECT_EQ(CreatedWidth(4), 28);
    // Long names and long data stop at 128 characters.
    EXPECT_EQ(AutoformatWidth(300, 5000, true, true), 128 * 7 + 20);
    EXPECT_EQ(AutoformatWidth(3, 0, true, false), 20); // an all-NULL column
}

TEST(ExecRules, ColumnLengthsGrowOnlyWhenALongerCellArrives) {
    ColumnLengths lengths;
    lengths.Reset(2);
    EXPECT_TRUE(lengths.Note(0, 5));
    EXPECT_FALSE(lengths.Note(0, 5));
    EXPECT_FALSE(lengths.Note(0, 3));
    EXPECT_TRUE(lengths.Note(1, 1));
    EXPECT_FALSE(lengths.Note(7, 100)); // no such column: ignored
    EXPECT_EQ(lengths.Longest(0), 5u);
    EXPECT_EQ(lengths.Longest(1), 1u);
    lengths.Reset(1);
    EXPECT_EQ(lengths.Longest(0), 0u);
}

TEST(ExecRules, CompareCellsOrdersLeadingNumbersNumericallyThenBytes) {
    std::vector<std::string> cells{"10", "9", "100", "9a", "-3", "abc", "", "9"};
    std::stable_sort(cells.begin(), cells.end(),
                     [](const std::string& a, const std::string& b) { return CompareCells(a, b) < 0; });
    // Texts without digits count as 0, between -3 and 9; among equal numbers the bytes decide.
    EXPECT_EQ(cells, (std::vector<std::string>{"-3", "", "abc", "9", "9", "9a", "10", "100"}));
    EXPECT_LT(CompareCells("9", "10"), 0);
    EXPECT_GT(CompareCells("10", "9"), 0);
    EXPECT_EQ(CompareCells("x", "x"), 0);
    EXPECT_LT(CompareCells("1.5", "1.7"), 0); // the fraction compares by bytes
    EXPECT_GT(CompareCells("\xE9", "e"), 0);  // bytes compare unsigned
    // Digits beyond the range of a 64-bit number saturate instead of overflowing.
    EXPECT_EQ(LeadingInteger("99999999999999999999999"), LeadingInteger("99999999999999999999"));
    EXPECT_EQ(LeadingInteger("  -42x"), -42);
    EXPECT_EQ(LeadingInteger("+7"), 7);
    EXPECT_EQ(LeadingInteger("-"), 0);
}

TEST(ExecRules, SortKeysOrderAsTheBytesDoAroundTheirSixteenBytePrefix) {
    // Texts that agree on their first 8 or 16 bytes, end there, run past them, or hold high bytes:
    // comparing keys must agree in sign with comparing the bytes themselves.
    const std::vector<std::string> texts{
        "", "a", "ab", "abcdefgh", "abcdefghX", "abcdefghijklmnop", "abcdefghijklmnopq", "abcdefghijklmnopr",
        "abcdefghijklmnoq", "abcdefgh\xE9", "\xE9t\xE9", "entry 123456", "entry 1234567", "entry 12345678",
        "entry 1234567890123456 a", "entry 1234567890123456 b", "12 x", "12 y", "-3 z"};
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const std::string& a : texts)
        for (const std::string& b : texts) {
            const int bytes = sign(LeadingInteger(a) != LeadingInteger(b)
                                       ? (LeadingInteger(a) < LeadingInteger(b) ? -1 : 1)
                                       : std::string_view(a).compare(b));
            EXPECT_EQ(sign(CompareSortKeys(MakeSortKey(a), MakeSortKey(b))), bytes) << a << " / " << b;
            EXPECT_EQ(sign(CompareCells(a, b)), bytes) << a << " / " << b;
        }
}

TEST(ExecRules, SharedSortStateFlipsOnEveryClick) {
    SortState& state = SharedSortState();
    const int before = state.direction;
    state.direction = 1 - state.direction;
    EXPECT_EQ(&SharedSortState(), &state);
    EXPECT_EQ(SharedSortState().direction, 1 - before);
    state.direction = before;
}

TEST(ExecRules, CopyTextJoinsWithSemicolonsAndEndsLinesWithCrLf) {
    std::string text;
    AppendCopyLine(text, {"ROW#", "ID", "NAME"});
    AppendCopyLine(text, {"1", "7", ""});
    AppendCopyLine(text, {"2", "8", "b;c"});
    EXPECT_EQ(text, "ROW#;ID;NAME\r\n1;7;\r\n2;8;b;c\r\n");
    std::string other;
    AppendCopyLine(other, {"ROW#", "A", "B", "C"});
    AppendCopyLine(other, {"1", "x", "", "z"});
    EXPECT_EQ(other, "ROW#;A;B;C\r\n1;x;;z\r\n");
}
