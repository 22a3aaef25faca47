// Splitting rules of ParseScript, one group per rule, plus whole scripts split the way the program does.
#include "SplitChecks.h"
#include "morvex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

constexpr uint32_t kToEnd = UINT32_MAX; // expected *pnNext: the whole scanned length

struct Split {
    std::string text;  // the statement as a caller reads it: up to the first NUL
    std::string bytes; // every byte before *pnNext, NULs included
    uint32_t next = 0;
};

// One call with exactly sized heap buffers: n bytes of input, n + 1 zeroed bytes of output.
Split SplitFirst(const std::string& script, uint32_t n) {
    const auto in = morvex_check::ExactCopy(script.data(), n);
    std::vector<char> out(size_t(n) + 1, 0);
    Split result;
    result.next = UINT32_MAX;
    ParseScript(in.get(), out.data(), n, &result.next);
    result.text = out.data();
    result.bytes.assign(out.data(), std::min<size_t>(result.next, n));
    return result;
}

Split SplitFirst(const std::string& script) {
    return SplitFirst(script, uint32_t(script.size()));
}

struct Case {
    std::string input;
    std::string statement;
    uint32_t next; // kToEnd: the input's length
};

void ExpectSplits(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.input));
        const Split s = SplitFirst(c.input);
        EXPECT_EQ(s.text, c.statement);
        EXPECT_EQ(s.next, c.next == kToEnd ? uint32_t(c.input.size()) : c.next);
    }
}

// Splits a whole text the way the program does: the text plus its terminating NUL in one buffer, the
// statement buffer zeroed before every call, nLength = the bytes left, and a tail of fewer than 7
// bytes left alone.
std::vector<std::string> SplitScript(const std::string& script, std::string* tail = nullptr) {
    const std::string buffer = script + '\0';
    const uint32_t total = uint32_t(buffer.size());
    std::vector<char> statement(total + 1);
    std::vector<std::string> statements;
    uint32_t offset = 0;
    while (total - offset >= 7) {
        std::fill(statement.begin(), statement.end(), 0);
        uint32_t next = 0;
        ParseScript(buffer.data() + offset, statement.data(), total - offset, &next);
        if (next == 0)
            break; // cannot happen on a non-empty text; guards the loop
        offset += next;
        statements.emplace_back(statement.data());
    }
    if (tail)
        *tail = buffer.substr(offset);
    return statements;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST(SplitterBasics, SplitsAtSemicolonAndCarriesOnFromNext) {
    const std::string script = "select 1 from dual;select 2 from dual;";
    const Split first = SplitFirst(script);
    EXPECT_EQ(first.text, "select 1 from dual");
    EXPECT_EQ(first.next, 19u);
    const Split second = SplitFirst(script.substr(first.next));
    EXPECT_EQ(second.text, "select 2 from dual");
    EXPECT_EQ(second.next, 19u);

    ExpectSplits({
        {";rest;", "", 1},                                         // empty statement, still progress
        {"\n  select 1 from dual;", "\n  select 1 from dual", 22}, // leading blanks are kept
        {"a\tb\x01\x7f\x80\xff;", "a\tb\x01\x7f\x80\xff", 8},      // control and high bytes are plain text
    });
}

TEST(SplitterLiterals, QuotesHideTerminatorsAndCommentMarkers) {
    ExpectSplits({
        {"select 'a;b' from dual;", "select 'a;b' from dual", 23},
        {"select 'it''s;' from dual;", "select 'it''s;' from dual", 26},
        {"select '''' x; y;", "select '''' x", 14}, // a literal holding one quote
        {"select '' x; y;", "select '' x", 12},     // an empty literal
        {"x 'a''''b;' y; z;", "x 'a''''b;' y", 14}, // two doubled pairs in a row
        {"x '--' y; z;", "x '--' y", 9},
        {"x '/*' y; z;", "x '/*' y", 9},
        {"x 'a\n/ b'; z;", "x 'a\n/ b'", 10},   // a "/" line inside a literal
        {"x 'begin' y; z;", "x 'begin' y", 12}, // no keyword inside a literal
        {"x 'open; y;", "x 'open; y;", kToEnd}, // unclosed: runs to the end
        {"x 'a'", "x 'a'", kToEnd},             // a quote at the last position closes
        {"x 'a''", "x 'a''", kToEnd},           // ... unless it starts a pair
    });
}

TEST(SplitterComments, LineAndBlockCommentsAndTheirInterplay) {
    ExpectSplits({
        {"select 1 from dual -- note; more\n;", "select 1 from dual -- note; more\n", 34},
        {"x -- c;\r\ny; z;", "x -- c;\ny", 11}, // CR ends a line comment too
        {"x /* a; b */ y; z;", "x /* a; b */ y", 15},
        {"x /* a\n/ b */ y; z;", "x /* a\n/ b */ y", 16}, // no "/" line inside a block comment
        {"x -- it's\ny; z;", "x -- it's\ny", 12},         // no literal inside a comment
        {"x /* it's */ y; z;", "x /* it's */ y", 15},
        {"x -- c\n/* d */ y; z;", "x -- c\n/* d */ y", 17}, // "/*" right after an LF opens a comment
        {"x /* c; z", "x /* c; z", kToEnd},                 // unclosed: runs to the end
        // "--" inside a block comment holds until the end of the line, even after "*/".
        {"/* -- */ a; b;", "/* -- */ a; b;", kToEnd},
        {"x /* -- */ y;\nz; w;", "x /* -- */ y;\nz", 16},
        // "/*" inside a line comment opens a block comment that the LF does not close.
        {"x -- see /*\ny; z;", "x -- see /*\ny; z;", kToEnd},
        {"x -- see /*\n*/ y; z;", "x -- see /*\n*/ y", 17},
        {"x */ y; z;", "x */ y", 7}, // a stray "*/" changes nothing
    });
}

TEST(SplitterBlockMode, KeywordsOpenBlocksThatOnlyASlashLineEnds) {
    ExpectSplits({
        {"begin\n  null;\nend;\n/\nselect 1 from dual;", "begin\n  null;\nend;\n", 20},
        {"declare\n  n number;\nbegin\n  n := 1;\nend;\n/\nx;",
         "declare\n  n number;\nbegin\n  n := 1;\nend;\n", 42},
        {"BeGiN x; y;", "BeGiN x; y;", kToEnd},                   // case does not matter
        {"select begin from t;", "select begin from t;", kToEnd}, // even as a column name
        {"create or replace procedure p is begin null; end;",
         "create or replace procedure p is begin null; end;", kToEnd},
        {"create function f return number is\nbegin return 1; end;\n/\nx;",
         "create function f return number is\nbegin return 1; end;\n", 57},
        {"create package pkg is\n  procedure p;\nend;\n/\n", "create package pkg is\n  procedure p;\nend;\n",
         43},
        {"create type t as object (n number, member function f return number);\n/\n",
         "create type t as object (n number, member function f return number);\n", 70},
        {"create trigger tr before insert on t for each row\nbegin\n  null;\nend;\n/\n",
         "create trigger tr before insert on t for each row\nbegin\n  null;\nend;\n", 70},
    });
}

TEST(SplitterBlockMode, KeywordBoundariesAndConditions) {
    ExpectSplits({
        // Whitespace before: space, CR, LF or the start of the text; nothing else.
        {"begin x; y;", "begin x; y;", kToEnd},
        {"a\rbegin x; y;", "abegin x; y;", kToEnd},
        {"a\nbegin x; y;", "a\nbegin x; y;", kToEnd},
        {"a\tbegin x; y;", "a\tbegin x", 10},
        {"(begin x; y;", "(begin x", 9},
        {"xbegin y; z;", "xbegin y", 9},
        // Whitespace after: space, CR or LF; a tab, a letter or punctuation is not.
        {"BEGIN\tNULL; END;", "BEGIN\tNULL", 11},
        {"begin\rx; y;", "beginx; y;", kToEnd},
        {"begin;", "begin", 6},
        {"begins x; y;", "begins x", 9},
        {"x begin", "x begin", kToEnd}, // runs into the end: no block, no harm
        // FUNCTION, PACKAGE, PROCEDURE count only after CREATE.
        {"drop procedure p; x;", "drop procedure p", 17},
        {"drop package body p; x;", "drop package body p", 20},
        {"drop function f; x;", "drop function f", 16},
        {"create table t (procedure_name varchar2(30)); x;", "create table t (procedure_name varchar2(30))",
         45},
        {"create type t as object (n number); x;", "create type t as object (n number)", 35},
        // PROCEDURE and the whitespace after it just fill the 10-byte window.
        {"create procedure\np is begin null; end;", "create procedure\np is begin null; end;", kToEnd},
        {"create\nprocedure p; x;", "create\nprocedure p; x;", kToEnd},
    });
}

TEST(SplitterSlashLine, SlashEndsOnlyInTheFirstColumnOutsideComments) {
    ExpectSplits({
        {"begin\n  null;\n /\nend;\n/\nx;", "begin\n  null;\n /\nend;\n", 23}, // indented: plain text
        {"/x; y;", "/x", 3}, // position 0 has no LF before it
        {"\n/ rest", "\n", 2},
        {"a\n/2; b;", "a\n", 3},              // a division at a line start ends too
        {"a\r\n/ b", "a\n", 4},               // CR LF: the LF comes right before
        {"a\r/ b; c;", "a/ b", 6},            // a lone CR does not count
        {"x -- c\n/ y", "x -- c\n", 8},       // the LF closed the line comment
        {"a\n/* c */; b;", "a\n/* c */", 10}, // "/*" opens a comment, not a terminator
        {"x /*\n/ */ y; z;", "x /*\n/ */ y", 12},
        {"create package p is x; end;\n/", "create package p is x; end;\n", 29},
    });
}

TEST(SplitterLineEnds, CarriageReturnsAndTrailingSpaces) {
    ExpectSplits({
        {"a  \r\nb;", "a\nb", 7},
        {"a   \r\nb;", "a\nb", 8}, // no stale space survives behind the text written later
        {"a      \r\nbc;", "a\nbc", 12},
        {"   \r\nx;", "\nx", 7},     // trimming stops at the first byte
        {"a \t \r\n;", "a \t\n", 7}, // spaces only, not tabs
        {"a  \nb;", "a  \nb", 6},    // an LF alone keeps the spaces
        {"a\r\r\rb;", "ab", 6},
        {"'a  \r\nb';", "'a\nb'", 9}, // inside a literal too
        {"x -- c  \r\ny;", "x -- c\ny", 12},
    });

    // Removed spaces are zeroed, so the bytes after the text are all NUL.
    const Split s = SplitFirst("ab      \r\nc;");
    EXPECT_EQ(s.bytes, "ab\nc"s + std::string(8, '\0'));
}

TEST(SplitterLineEnds, WritesOnlyBeforeNextAndANulAfterEachLf) {
    // A buffer full of a marker shows exactly which bytes the call writes.
    const std::string script = "ab\n;cd";
    std::vector<char> out(script.size() + 1, 'Z');
    uint32_t next = 0;
    ParseScript(script.data(), out.data(), uint32_t(script.size()), &next);
    EXPECT_EQ(next, 4u);
    EXPECT_EQ(std::string(out.data(), out.size()), "ab\n\0ZZZ"s);

    // An LF at the last scanned position gets no NUL: that byte is the caller's terminator.
    std::vector<char> out2(3, 'Z');
    ParseScript("a\n", out2.data(), 2, &next);
    EXPECT_EQ(next, 2u);
    EXPECT_EQ(std::string(out2.data(), out2.size()), "a\nZ"s);
}

TEST(SplitterGrantRevoke, GrantStopsCreateFromOpeningABlock) {
    ExpectSplits({
        {"grant create procedure to scott; x;", "grant create procedure to scott", 32},
        {"REVOKE CREATE ANY PROCEDURE FROM x; y;", "REVOKE CREATE ANY PROCEDURE FROM x", 35},
        {"grant\ncreate package to x; y;", "grant\ncreate package to x", 26},
        {"GRANT\t create procedure to x; y;", "GRANT\t create procedure to x; y;", kToEnd}, // tab: no GRANT
    });

    // Grant seen lasts one call: the CREATE PROCEDURE after it is a block again.
    const std::string script = "grant x to y; create procedure p is begin null; end;\n/\n";
    const Split first = SplitFirst(script);
    EXPECT_EQ(first.text, "grant x to y");
    const Split second = SplitFirst(script.substr(first.next));
    EXPECT_EQ(second.text, " create procedure p is begin null; end;\n");
    EXPECT_EQ(first.next + second.next, script.size() - 1);
}

TEST(SplitterWrapped, QuotesInWrappedSourceDoNotHideTheSlashLine) {
    ExpectSplits({
        {"create or replace procedure p wrapped\na000000\n'ab;\n/\nx;",
         "create or replace procedure p wrapped\na000000\n'ab;\n", 52},
        // Without WRAPPED the quote opens a literal that swallows the "/" line.
        {"create or replace procedure p is\n'ab;\n/\nx;", "create or replace procedure p is\n'ab;\n/\nx;",
         kToEnd},
        // WRAPPED counts only after CREATE.
        {"select wrapped 'a;b' from t; x;", "select wrapped 'a;b' from t", 28},
    });
}

TEST(SplitterEndOfText, ScanStopsAtNLength) {
    ExpectSplits({
        {"create procedure p is begin null; end;", "create procedure p is begin null; end;", kToEnd},
        {"select 1 from dual", "select 1 from dual", kToEnd},
        {"", "", 0},
    });

    // Only nLength bytes count, whatever lies behind them.
    const Split cut = SplitFirst("select 1; x", 5);
    EXPECT_EQ(cut.text, "selec");
    EXPECT_EQ(cut.next, 5u);

    // A NUL inside the length is ordinary text: copied, and the scan goes on past it.
    const Split nul = SplitFirst("a\0b;c"s);
    EXPECT_EQ(nul.bytes, "a\0b\0"s);
    EXPECT_EQ(nul.next, 4u);

    // The program counts its buffer's terminating NUL: the last statement ends at the scan's end.
    const Split last = SplitFirst("select 1 from dual\0"s);
    EXPECT_EQ(last.text, "select 1 from dual");
    EXPECT_EQ(last.next, 19u);
}

TEST(SplitterEndOfText, EmptyScanAndNullPointersTouchNothing) {
    char out[4] = {'Z', 'Z', 'Z', 'Z'};
    uint32_t next = 77;
    ParseScript("abc;", out, 0, &next);
    EXPECT_EQ(next, 0u);
    EXPECT_EQ(std::string(out, 4), "ZZZZ");

    ParseScript(nullptr, out, 3, &next);
    EXPECT_EQ(next, 3u);
    ParseScript("abc", nullptr, 3, &next);
    EXPECT_EQ(next, 3u);
    ParseScript("abc", out, 3, nullptr);
    EXPECT_EQ(std::string(out, 4), "ZZZZ");
}

TEST(SplitterWholeScript, SplitsARealisticScriptLikeTheProgram) {
    const std::string script = "-- demo schema\n"
                               "create table dept (\n"
                               "  deptno number(2) primary key,\n"
                               "  dname  varchar2(14)\n"
                               ");\n"
                               "\n"
                               "insert into dept values (10, 'ACCOUNTING');\n"
                               "insert into dept values (20, 'R;D');\n"
                               "update dept set dname = 'it''s' where deptno = 20;\n"
                               "/* remove the test row; it is not needed */\n"
                               "delete from dept where deptno = 30;\n"
                               "begin\n"
                               "  insert into dept values (40, 'OPS');\n"
                               "  commit;\n"
                               "end;\n"
                               "/\n"
                               "declare\n"
                               "  n number;\n"
                               "begin\n"
                               "  select count(*) into n from dept;\n"
                               "  dbms_output.put_line('rows: ' || n);\n"
                               "end;\n"
                               "/\n"
                               "create or replace package pkg is\n"
                               "  procedure p(x number);\n"
                               "end pkg;\n"
                               "/\n"
                               "create or replace package body pkg is\n"
                               "  procedure p(x number) is\n"
                               "  begin\n"
                               "    null; -- nothing yet; later\n"
                               "  end;\n"
                               "end pkg;\n"
                               "/\n"
                               "grant execute on pkg to scott;\n"
                               "create index dept_i on dept (dname);\n";
    const std::vector<std::string> expected = {
        "-- demo schema\ncreate table dept (\n  deptno number(2) primary key,\n  dname  varchar2(14)\n)",
        "\n\ninsert into dept values (10, 'ACCOUNTING')",
        "\ninsert into dept values (20, 'R;D')",
        "\nupdate dept set dname = 'it''s' where deptno = 20",
        "\n/* remove the test row; it is not needed */\ndelete from dept where deptno = 30",
        "\nbegin\n  insert into dept values (40, 'OPS');\n  commit;\nend;\n",
        "\ndeclare\n  n number;\nbegin\n  select count(*) into n from dept;\n"
        "  dbms_output.put_line('rows: ' || n);\nend;\n",
        "\ncreate or replace package pkg is\n  procedure p(x number);\nend pkg;\n",
        "\ncreate or replace package body pkg is\n  procedure p(x number) is\n  begin\n"
        "    null; -- nothing yet; later\n  end;\nend pkg;\n",
        "\ngrant execute on pkg to scott",
        "\ncreate index dept_i on dept (dname)",
    };
    std::string tail;
    EXPECT_EQ(SplitScript(script, &tail), expected);
    EXPECT_EQ(tail, "\n\0"s);

    // The same file with CR LF line ends gives the same statements.
    EXPECT_EQ(SplitScript(Replace(script, "\n", "\r\n")), expected);

    // The program turns every CR of the selection into a space before splitting: the statements then
    // keep a space before each LF, and nothing else changes.
    std::vector<std::string> spaced = SplitScript(Replace(script, "\n", " \n"));
    for (std::string& statement : spaced)
        statement = Replace(statement, " \n", "\n");
    EXPECT_EQ(spaced, expected);
}

TEST(SplitterWholeScript, TwoInsertLinesAsTheProgramSendsThem) {
    std::string tail;
    EXPECT_EQ(SplitScript("insert into t values (1); \ninsert into t values (2); \n", &tail),
              (std::vector<std::string>{"insert into t values (1)", " \ninsert into t values (2)"}));
    EXPECT_EQ(tail, " \n\0"s);
}

TEST(SplitterProperties, RandomScriptsKeepEveryBoundAndLoseNothing) {
    // Scripts glued from the pieces the rules care about, split at every length from 0 to the whole.
    const std::vector<std::string> pieces = {
        "begin ",
        "BEGIN\n",
        "declare ",
        "create ",
        "procedure ",
        "package ",
        "function ",
        "wrapped ",
        "grant ",
        "revoke ",
        "'",
        "''",
        "--",
        "/*",
        "*/",
        "\n/",
        "/",
        ";",
        "\r\n",
        "  \r",
        "\n",
        " ",
        "\t",
        "x",
        "*",
        "-",
        "\0"s,
        "\xff",
        "select 1 from dual",
        "end;",
        "procedure\n",
        "PrOcEdUrE\r",
    };
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> count(0, 24);
    for (int round = 0; round < 1500; ++round) {
        std::string script;
        for (int k = count(random); k > 0; --k)
            script += pieces[pick(random)];
        for (uint32_t n = 0; n <= script.size(); ++n) {
            const std::string fault = morvex_check::CheckSplit(script.data(), n);
            ASSERT_EQ(fault, "") << testing::PrintToString(script.substr(0, n));
        }
    }
}
