#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <string>

#include "SqlKeywords.h"
#include "SqlScanner.h"
#include "Utf8.h"

namespace editor {
namespace {

// One letter per byte for the colour the runs give it: n plain, k keyword, c comment, d number,
// s string. Reads much better in a failure than a run list.
std::string Paint(const std::string& line, ParseState state = 0, ParseState* end = nullptr) {
    ColourRuns runs;
    const ParseState after = ScanLine(state, line, &runs);
    if (end != nullptr)
        *end = after;
    std::string painted;
    for (std::size_t i = 0; i < line.size(); ++i) {
        switch (runs.ColourAt(static_cast<int32_t>(i))) {
        case CI_NORMAL: painted += 'n'; break;
        case CI_KEYWORD: painted += 'k'; break;
        case CI_COMMENT: painted += 'c'; break;
        case CI_NUMBER: painted += 'd'; break;
        case CI_STRING: painted += 's'; break;
        default: painted += '?'; break;
        }
    }
    return painted;
}

// The scan rules transcribed step by step, one byte per step, with nothing skipped. The scanner takes
// shortcuts for speed; its runs must still be exactly these.
ParseState ReferenceScan(ParseState state, const std::string& line, std::vector<ColourRun>& out) {
    ColourRuns runs;
    const std::size_t n = line.size();
    if (n == 0) {
        out.clear();
        return state & PS_BLOCK_COMMENT;
    }
    bool redefine = true;
    bool fromPrevious = false;
    long wordStart = -1;
    std::size_t i = 0;
    auto testWord = [&](std::size_t end) {
        const std::string word = line.substr(static_cast<std::size_t>(wordStart), end - static_cast<std::size_t>(wordStart));
        if (IsSqlKeyword(word))
            runs.Add(static_cast<std::size_t>(wordStart), CI_KEYWORD);
        else if (IsSqlNumber(word))
            runs.Add(static_cast<std::size_t>(wordStart), CI_NUMBER);
    };
    for (; i <= n; ++i) {
        if (redefine) {
            const int32_t colour = (state & (PS_LINE_COMMENT | PS_BLOCK_COMMENT)) ? CI_COMMENT
                                   : (state & (PS_DQUOTE | PS_SQUOTE))          ? CI_STRING
                                                                                : CI_NORMAL;
            runs.Add(fromPrevious ? i - 1 : i, colour);
            redefine = fromPrevious = false;
        }
        if (i == n)
            break;
        const char c = line[i];
        const char prev = i >= 1 ? line[i - 1] : '\0';
        if (state & PS_LINE_COMMENT) {
            runs.Add(i, CI_COMMENT);
            break;
        }
        if (state & PS_DQUOTE) {
            if (c == '"' && !(i >= 1 && prev == '\\')) {
                state &= ~PS_DQUOTE;
                redefine = true;
            }
            continue;
        }
        if (state & PS_SQUOTE) {
            if (c == '\'' && !(i >= 1 && prev == '\\')) {
                state &= ~PS_SQUOTE;
                redefine = true;
            }
            continue;
        }
        if (state & PS_BLOCK_COMMENT) {
            if (c == '/' && i >= 1 && prev == '*') {
                state &= ~PS_BLOCK_COMMENT;
                redefine = true;
            }
            continue;
        }
        if (c == '-' && i >= 1 && prev == '-') {
            runs.Add(i - 1, CI_COMMENT);
            state |= PS_LINE_COMMENT;
            break;
        }
        if (c == '"' || c == '\'') {
            runs.Add(i, CI_STRING);
            state |= c == '"' ? PS_DQUOTE : PS_SQUOTE;
            continue;
        }
        if (c == '*' && i >= 1 && prev == '/') {
            runs.Add(i - 1, CI_COMMENT);
            state |= PS_BLOCK_COMMENT;
            continue;
        }
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '_' || c == '.' || u >= 0x80) {
            if (wordStart < 0)
                wordStart = static_cast<long>(i);
        } else if (wordStart >= 0) {
            testWord(i);
            redefine = fromPrevious = true;
            wordStart = -1;
        }
    }
    if (wordStart >= 0)
        testWord(std::min(i, n));
    out = runs.Runs();
    return line.back() == '\\' ? state : (state & PS_BLOCK_COMMENT);
}

ParseState EndState(const std::string& line, ParseState state = 0) {
    return ScanLine(state, line, nullptr);
}

TEST(SqlScanner, RunsOfAPlainQuery) {
    ColourRuns runs;
    EXPECT_EQ(ScanLine(0, "select * from dual", &runs), 0u);
    const std::vector<ColourRun> expected = {{0, CI_NORMAL}, {0, CI_KEYWORD}, {6, CI_NORMAL},
                                             {9, CI_KEYWORD}, {13, CI_NORMAL}};
    EXPECT_EQ(runs.Runs(), expected);
    EXPECT_EQ(Paint("SELECT * FROM dual"), "kkkkkknnnkkkknnnnn");
    EXPECT_EQ(Paint("SeLeCt * fRoM dual"), "kkkkkknnnkkkknnnnn");
}

TEST(SqlScanner, RunsOfAStringWithDoubledQuote) {
    ColourRuns runs;
    EXPECT_EQ(ScanLine(0, "x := 'it''s';", &runs), 0u);
    // The doubled quote closes one string and opens the next at once.
    const std::vector<ColourRun> expected = {{0, CI_NORMAL}, {1, CI_NORMAL}, {5, CI_STRING},
                                             {9, CI_NORMAL}, {9, CI_STRING},  {12, CI_NORMAL}};
    EXPECT_EQ(runs.Runs(), expected);
    EXPECT_EQ(Paint("x := 'it''s';"), "nnnnnsssssssn");
    EXPECT_EQ(Paint("a = \"q\"\"r\" or"), "nnnnssssssnkk");
}

TEST(SqlScanner, BackslashKeepsAQuoteOpenAndEscapesAQuote) {
    EXPECT_EQ(Paint("'it\\'s' end"), "sssssssnkkk");
    EXPECT_EQ(Paint("\"a\\\"b\" x"), "ssssssnn");
    // An unterminated string ends with its line ...
    EXPECT_EQ(EndState("x := 'open"), 0u);
    EXPECT_EQ(EndState("x := \"open"), 0u);
    // ... unless the line ends in a backslash; then the next line starts inside it.
    ParseState end = 0;
    EXPECT_EQ(Paint("x := 'open\\", 0, &end), "nnnnnssssss");
    EXPECT_EQ(end, PS_SQUOTE);
    EXPECT_EQ(Paint("still' from", end, &end), "ssssssnkkkk");
    EXPECT_EQ(end, 0u);
    EXPECT_EQ(EndState("\"dq\\", 0), PS_DQUOTE);
}

TEST(SqlScanner, LineComments) {
    EXPECT_EQ(Paint("a - b"), "nnnnn");
    EXPECT_EQ(Paint("select--from"), "kkkkkkcccccc");
    EXPECT_EQ(Paint("x -- select 'q' /*"), "nncccccccccccccccc");
    EXPECT_EQ(Paint("--"), "cc");
    EXPECT_EQ(EndState("x -- /* not a block"), 0u);
    // Continued by a backslash, the next line is comment throughout.
    ParseState end = 0;
    EXPECT_EQ(Paint("-- more \\", 0, &end), "ccccccccc");
    EXPECT_EQ(end, PS_LINE_COMMENT);
    EXPECT_EQ(Paint("select 1", end, &end), "cccccccc");
    EXPECT_EQ(end, 0u);
}

TEST(SqlScanner, BlockCommentsAcrossLines) {
    ParseState end = 0;
    EXPECT_EQ(Paint("select /* starts", 0, &end), "kkkkkknccccccccc");
    EXPECT_EQ(end, PS_BLOCK_COMMENT);
    EXPECT_EQ(Paint("select 'x' -- all comment", end, &end), "ccccccccccccccccccccccccc");
    EXPECT_EQ(end, PS_BLOCK_COMMENT);
    // An empty line keeps the comment open but would drop a quote.
    EXPECT_EQ(EndState("", end), PS_BLOCK_COMMENT);
    EXPECT_EQ(EndState("", PS_SQUOTE), 0u);
    EXPECT_EQ(EndState("", PS_LINE_COMMENT | PS_BLOCK_COMMENT), PS_BLOCK_COMMENT);
    // The closing asterisk and slash are still comment; a keyword right after is coloured again.
    EXPECT_EQ(Paint("x */select 1", end, &end), "cccckkkkkknd");
    EXPECT_EQ(end, 0u);
    // A slash at the start of a line has no asterisk before it on that line.
    EXPECT_EQ(EndState("/ still open", PS_BLOCK_COMMENT), PS_BLOCK_COMMENT);
    EXPECT_EQ(Paint("a/*b*/c"), "ncccccn");
    EXPECT_EQ(EndState("/* one */ /* two"), PS_BLOCK_COMMENT);
}

TEST(SqlScanner, QuotesAndCommentsDoNotNest) {
    EXPECT_EQ(Paint("'--' x"), "ssssnn");
    EXPECT_EQ(Paint("'/*' x"), "ssssnn");
    EXPECT_EQ(EndState("'/*'"), 0u);
    EXPECT_EQ(Paint("/* ' */ x"), "cccccccnn");
    EXPECT_EQ(Paint("\"'\" or"), "sssnkk");
}

TEST(SqlScanner, KeywordsAtBoundaries) {
    EXPECT_EQ(Paint("end"), "kkk");
    EXPECT_EQ(Paint("x end"), "nnkkk");
    EXPECT_EQ(Paint("(select)"), "nkkkkkkn");
    EXPECT_EQ(Paint("t.select"), "nnnnnnnn");
    EXPECT_EQ(Paint("v_end"), "nnnnn");
    EXPECT_EQ(Paint("ends"), "nnnn");
    EXPECT_EQ(Paint("begin;end;"), "kkkkknkkkn");
    EXPECT_EQ(Paint("\tbegin\tnull;"), "nkkkkknkkkkn");
    // A non-ASCII letter continues a word rather than splitting off a keyword.
    EXPECT_EQ(Paint("select\xC3\xA9 x"), "nnnnnnnnnn");
}

TEST(SqlScanner, Numbers) {
    for (const char* word : {"0x1F", "0xff", "12", "1.5", "1e10", "7", "1E+5", "0x0"})
        EXPECT_TRUE(IsSqlNumber(word)) << word;
    for (const char* word : {"0X1F", "12ab", "0x", "0xg1", ".5", "x1", "", "1_000"})
        EXPECT_FALSE(IsSqlNumber(word)) << word;
    EXPECT_EQ(Paint("x = 0x1F + 1.5*1e10"), "nnnnddddnnndddndddd");
    EXPECT_EQ(Paint("12ab 0X1F 007"), "nnnnnnnnnnddd");
}

TEST(SqlScanner, KeywordList) {
    const auto words = SqlKeywords();
    EXPECT_EQ(words.size(), 464u);
    std::set<std::string_view> distinct(words.begin(), words.end());
    EXPECT_EQ(distinct.size(), words.size());
    for (std::string_view w : words) {
        EXPECT_TRUE(IsSqlKeyword(w)) << w;
        std::string upper(w);
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
        EXPECT_TRUE(IsSqlKeyword(upper)) << upper;
        EXPECT_FALSE(IsSqlKeyword(std::string(w) + "x")) << w;
        EXPECT_FALSE(IsSqlKeyword(std::string(w) + " ")) << w;
    }
    for (const char* w : {"buffer_pool", "varchar2", "autoallocate", "subpartition", "by", "or"})
        EXPECT_TRUE(IsSqlKeyword(w)) << w;
    for (const char* w : {"", "x", "a", "c", "dual", "emp", "b y", "select\xC3\xA9", "joins", "timezone_minutes"})
        EXPECT_FALSE(IsSqlKeyword(w)) << w;
}

// The words of joins, merges and PL/SQL loops that Oracle lists as reserved words or keywords are
// coloured like the older ones, in any case, and only as whole words.
TEST(SqlScanner, OracleKeywordsAreColoured) {
    for (const char* w : {"JOIN", "left", "Right", "INNER", "outer", "FULL", "cross", "MERGE", "matched", "WHILE",
                          "varchar", "integer", "distinct", "forall", "pipelined", "parallel_enable",
                          "timezone_minute", "nested_table_id", "intersect", "minus", "rownum"})
        EXPECT_TRUE(IsSqlKeyword(w)) << w;
    EXPECT_EQ(Paint("a JOIN b"), "nnkkkknn");
    EXPECT_EQ(Paint("WHILE x LOOP"), "kkkkknnnkkkk");
    EXPECT_EQ(Paint("joined"), "nnnnnn");
}

TEST(SqlScanner, RunListRules) {
    ColourRuns runs;
    runs.Add(3, CI_KEYWORD);
    runs.Add(3, CI_NORMAL); // same start: kept, and the later one wins
    runs.Add(2, CI_STRING); // before the last start: dropped
    runs.Add(5, CI_COMMENT);
    const std::vector<ColourRun> expected = {{3, CI_KEYWORD}, {3, CI_NORMAL}, {5, CI_COMMENT}};
    EXPECT_EQ(runs.Runs(), expected);
    EXPECT_EQ(runs.ColourAt(0), CI_NORMAL);
    EXPECT_EQ(runs.ColourAt(3), CI_NORMAL);
    EXPECT_EQ(runs.ColourAt(9), CI_COMMENT);
    // A scan starts from an empty list and an empty line adds nothing.
    ScanLine(0, "", &runs);
    EXPECT_TRUE(runs.empty());
}

TEST(SqlScanner, StateBitsOutsideTheKnownOnesAreIgnored) {
    EXPECT_EQ(Paint("select", 0x100), "kkkkkk");
    EXPECT_EQ(EndState("x\\", 0xFFFF0000u), 0u);
    EXPECT_EQ(EndState("x\\", 0xFFFF0000u | PS_SQUOTE), PS_SQUOTE);
}

// Both scanning paths skip stretches of bytes; on every input they must agree with the step-by-step
// rules, and runs must be ordered, inside the line and on character boundaries.
TEST(SqlScanner, AgreesWithTheStepByStepRulesOnRandomLines) {
    const std::string alphabet[] = {"a", "e", "x", "0", "1", ".", "_", " ", "\t", "-", "/", "*", "\"",
                                    "'", "\\", "+", "\xC3\xA9", "\xE2\x82\xAC", "\xFF", "\x80", "end",
                                    "select", "0x", "E", ";", "(", "--", "/*", "*/"};
    const ParseState starts[] = {0, PS_LINE_COMMENT, PS_BLOCK_COMMENT, PS_DQUOTE, PS_SQUOTE,
                                 PS_DQUOTE | PS_BLOCK_COMMENT};
    std::mt19937 random(20240607);
    ColourRuns runs;
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        const int pieces = static_cast<int>(random() % 14);
        for (int k = 0; k < pieces; ++k)
            line += alphabet[random() % std::size(alphabet)];
        const ParseState start = starts[random() % std::size(starts)];
        const ParseState withRuns = ScanLine(start, line, &runs);
        std::vector<ColourRun> expected;
        ASSERT_EQ(ReferenceScan(start, line, expected), withRuns) << "line [" << line << "] state " << start;
        ASSERT_EQ(runs.Runs(), expected) << "line [" << line << "] state " << start;
        ASSERT_EQ(ScanLine(start, line, nullptr), withRuns) << "line [" << line << "] state " << start;
        int32_t previous = 0;
        for (const ColourRun& run : runs) {
            ASSERT_GE(run.start, previous) << line;
            ASSERT_LE(run.start, static_cast<int32_t>(line.size())) << line;
            ASSERT_TRUE(utf8::IsCharBoundary(line, run.start)) << line;
            previous = run.start;
        }
        if (line.empty() || line.back() != '\\') {
            ASSERT_EQ(withRuns & ~PS_BLOCK_COMMENT, 0u) << line;
        }
    }
}

} // namespace
} // namespace editor
