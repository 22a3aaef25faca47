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

TEST(TransactionEffect, DmlAndBlocksOpenDdlCommitAndRollbackEnd) {
    using exec::TransactionEffect;
    EXPECT_EQ(exec::TransactionEffectOf(StatementKind::Insert, "insert into t values (1)"), TransactionEffect::Opens);
    EXPECT_EQ(exec::TransactionEffectOf(StatementKind::Begin, "begin null; end;"), TransactionEffect::Opens);
    EXPECT_EQ(exec::TransactionEffectOf(StatementKind::Declare, "declare x number; begin null; end;"),
              TransactionEffect::Opens);
    EXPECT_EQ(exec::TransactionEffectOf(StatementKind::Other, "  -- note\n merge into t using s on (1=1)"),
              TransactionEffect::Opens);
    EXPECT_EQ(exec::TransactionEffectOf(StatementKind::Create, "create table x (a number)"), TransactionEffect::Ends);
    EXPECT_EQ(exec::TransactionEffectOf(StatementKind::Other, "/* c */ Commit"), TransactionEffect::Ends);
    EXPECT_EQ(exec::TransactionEffectOf(StatementKind::Other, "rollback"), TransactionEffect::Ends);
    EXPECT_EQ(exec::TransactionEffectOf(StatementKind::Other, "truncate table t"), TransactionEffect::Ends);
    // A rollback to a savepoint keeps the earlier work pending.
    EXPECT_EQ(exec::TransactionEffectOf(StatementKind::Other, "rollback to savepoint a"), TransactionEffect::None);
    EXPECT_EQ(exec::TransactionEffectOf(StatementKind::Select, "select * from t for update"), TransactionEffect::None);
    EXPECT_EQ(exec::TransactionEffectOf(StatementKind::Other, "savepoint a"), TransactionEffect::None);

    int32_t pending = 0;
    exec::NoteTransactionEffect(pending, StatementKind::Update, "update t set a = 1");
    exec::NoteTransactionEffect(pending, StatementKind::Select, "select 1 from dual");
    EXPECT_EQ(pending, 1);
    exec::NoteTransactionEffect(pending, StatementKind::Alter, "alter table t add b number");
    EXPECT_EQ(pending, 0);
}

TEST(DateSort, ReadsOracleDateTextsWithTheRrRule) {
    int64_t v = 0;
    ASSERT_TRUE(exec::ParseDateText("15-APR-02", 2026, v));
    EXPECT_EQ(v, 20020415000000);
    // RR: a year of 50..99 read in the first half of a century belongs to the previous one.
    ASSERT_TRUE(exec::ParseDateText("15-APR-87", 2026, v));
    EXPECT_EQ(v, 19870415000000);
    // ... and one of 00..49 read in the second half to the next one.
    ASSERT_TRUE(exec::ParseDateText("01-jan-10", 1995, v));
    EXPECT_EQ(v, 20100101000000);
    ASSERT_TRUE(exec::ParseDateText("31-DEC-1999 23:59:58", 2026, v));
    EXPECT_EQ(v, 19991231235958);
    ASSERT_TRUE(exec::ParseDateText("2005-08-15 07:05", 2026, v));
    EXPECT_EQ(v, 20050815070500);
    for (const char* bad : {"", "hello", "15-XYZ-02", "32-JAN-02", "15-APR", "2005-13-01", "15-APR-2"})
        EXPECT_FALSE(exec::ParseDateText(bad, 2026, v)) << bad;

    // By date, not by text; texts that read as no date come first.
    std::vector<std::string> cells{"15-APR-07", "15-AUG-05", "", "15-APR-02", "n/a"};
    std::stable_sort(cells.begin(), cells.end(), [](const std::string& a, const std::string& b) {
        return exec::CompareSortKeys(exec::MakeDateSortKey(a, 2026), exec::MakeDateSortKey(b, 2026)) < 0;
    });
    EXPECT_EQ(cells, (std::vector<std::string>{"", "n/a", "15-APR-02", "15-AUG-05", "15-APR-07"}));
}
