// The statement around the caret, cut by the real splitter.
#include "CaretStatement.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using script::StatementAtCaret;
using script::TextPlace;
using script::TextSpan;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line))
        lines.push_back(line);
    if (text.empty() || text.back() == '\n')
        lines.emplace_back();
    return lines;
}

// The text the span covers, lines joined by LF; "<none>" when nothing is found.
std::string Found(const std::string& text, TextPlace caret) {
    const std::vector<std::string> lines = Lines(text);
    const auto span = StatementAtCaret([&](int32_t n) { return std::string_view(lines[static_cast<size_t>(n)]); },
                                       static_cast<int32_t>(lines.size()), caret, ParseScript);
    if (!span)
        return "<none>";
    std::string out;
    for (int32_t y = span->start.line; y <= span->end.line; ++y) {
        const std::string& line = lines[static_cast<size_t>(y)];
        const size_t from = y == span->start.line ? static_cast<size_t>(span->start.x) : 0;
        const size_t to = y == span->end.line ? static_cast<size_t>(span->end.x) : line.size();
        if (y > span->start.line)
            out += '\n';
        out += line.substr(from, to - from);
    }
    return out;
}

} // namespace

TEST(CaretStatement, TerminatorsAndBlankLinesBoundTheStatement) {
    const std::string three = "select 1 from dual;\nselect 2\n  from dual;\nselect 3 from dual;";
    EXPECT_EQ(Found(three, {0, 3}), "select 1 from dual");
    EXPECT_EQ(Found(three, {1, 0}), "select 2\n  from dual");
    EXPECT_EQ(Found(three, {2, 4}), "select 2\n  from dual");
    EXPECT_EQ(Found(three, {3, 19}), "select 3 from dual");
    // The caret right after a terminator still means the statement it ends.
    EXPECT_EQ(Found(three, {0, 19}), "select 1 from dual");
    // Two statements on one line.
    EXPECT_EQ(Found("select 1 from dual; select 2 from dual;", {0, 25}), "select 2 from dual");

    // Without terminators, blank lines part the statements.
    const std::string paragraphs = "select 1 from dual\n\nselect 2\nfrom dual\n   \nselect 3 from dual\n";
    EXPECT_EQ(Found(paragraphs, {0, 0}), "select 1 from dual");
    EXPECT_EQ(Found(paragraphs, {3, 2}), "select 2\nfrom dual");
    EXPECT_EQ(Found(paragraphs, {5, 7}), "select 3 from dual");
    // On a blank line, or in a text with nothing but blanks, there is nothing to run.
    EXPECT_EQ(Found(paragraphs, {1, 0}), "<none>");
    EXPECT_EQ(Found(paragraphs, {4, 1}), "<none>");
    EXPECT_EQ(Found("", {0, 0}), "<none>");
}

TEST(CaretStatement, BlockKeepsItsEnd) {
    const std::string block = "begin\n  null;\n  x := 1;\nend;\n/\nselect 1 from dual;";
    EXPECT_EQ(Found(block, {1, 3}), "begin\n  null;\n  x := 1;\nend;");
    EXPECT_EQ(Found(block, {0, 0}), "begin\n  null;\n  x := 1;\nend;");
    EXPECT_EQ(Found(block, {5, 2}), "select 1 from dual");
    // A block that runs to the end of the text without a "/" keeps its END; whole.
    EXPECT_EQ(Found("declare\n  n number;\nbegin\n  n := 1;\nend;", {2, 1}), "declare\n  n number;\nbegin\n  n := 1;\nend;");
}

TEST(CaretStatement, BadPlacesFindNothing) {
    const std::vector<std::string> lines = {"select 1 from dual;"};
    auto at = [&](int32_t n) { return std::string_view(lines[static_cast<size_t>(n)]); };
    EXPECT_FALSE(StatementAtCaret(at, 1, {5, 0}, ParseScript));
    EXPECT_FALSE(StatementAtCaret(at, 1, {-1, 0}, ParseScript));
    EXPECT_FALSE(StatementAtCaret(at, 1, {0, 0}, nullptr));
    // A column past the line's end counts as its end.
    const auto span = StatementAtCaret(at, 1, {0, 500}, ParseScript);
    ASSERT_TRUE(span);
    EXPECT_EQ(*span, (TextSpan{{0, 0}, {0, 18}}));
}
