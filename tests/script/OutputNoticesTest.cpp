// Where the output list puts each notice's lines: the first-notice rule, empty notices, the next index
// running ahead of the lines, and the server-output lines repeated with every notice.
#include "OutputNotices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Carries out plans on a plain vector, as the list widget does.
struct List {
    std::vector<std::string> lines;
    int nextIndex = 0;
    int selectionClears = 0;
    std::vector<std::string> serverLines;

    script::NoticePlan Notice(const std::string& text, int pending, int serverOn = 0) {
        script::NoticeInput in;
        in.prefix = "[10:00:00]: ";
        in.outputText = text;
        in.pendingChanges = pending;
        in.serverOutputOn = serverOn;
        in.serverOutputLines = &serverLines;
        script::NoticePlan plan = script::PlanNotice(static_cast<int>(lines.size()), nextIndex, in);
        for (const auto& line : plan.lines) {
            EXPECT_GE(line.index, 0);
            EXPECT_LE(line.index, static_cast<int>(lines.size()));
            lines.insert(lines.begin() + line.index, line.text);
        }
        nextIndex = plan.nextIndex;
        selectionClears += plan.clearSelection ? 1 : 0;
        return plan;
    }
};

} // namespace

TEST(OutputNotices, FirstNoticeOfARunAddsItsTextUnlessEmpty) {
    List list;
    auto plan = list.Notice("Executing..", 0);
    EXPECT_TRUE(plan.firstNotice);
    EXPECT_FALSE(plan.clearSelection);
    EXPECT_EQ(list.lines, (std::vector<std::string>{"[10:00:00]: Executing.."}));
    EXPECT_EQ(list.nextIndex, 1);

    // An empty first notice adds nothing, yet the next index still moves on.
    plan = list.Notice("", 0);
    EXPECT_TRUE(plan.firstNotice);
    EXPECT_TRUE(plan.lines.empty());
    EXPECT_EQ(list.lines.size(), 1u);
    EXPECT_EQ(list.nextIndex, 2);
}

TEST(OutputNotices, NoticesOfARunningRunAlwaysAddALineAndClearTheSelection) {
    List list;
    list.Notice("Executing..", 0);
    auto plan = list.Notice("", 1); // an empty notice while a run reports: the prefix alone
    EXPECT_FALSE(plan.firstNotice);
    EXPECT_TRUE(plan.clearSelection);
    list.Notice("3 row(s) updated.", 1);
    EXPECT_EQ(list.lines, (std::vector<std::string>{"[10:00:00]: Executing..", "[10:00:00]: ",
                                                    "[10:00:00]: 3 row(s) updated."}));
    EXPECT_EQ(list.nextIndex, 3);
    EXPECT_EQ(list.selectionClears, 2);
}

TEST(OutputNotices, NextIndexAheadOfTheLinesStillAppendsInOrder) {
    List list;
    list.Notice("one", 0);
    list.Notice("", 0);    // next index 2 with one line
    list.Notice("two", 1); // lands at the end, not past it
    list.Notice("three", 1);
    EXPECT_EQ(list.lines, (std::vector<std::string>{"[10:00:00]: one", "[10:00:00]: two", "[10:00:00]: three"}));
    EXPECT_EQ(list.nextIndex, 4);
    // The next first notice re-synchronises with the line count.
    list.Notice("four", 0);
    EXPECT_EQ(list.nextIndex, 4);
    EXPECT_EQ(list.lines.back(), "[10:00:00]: four");

    // A stale next index far beyond the lines, or a negative one, never leaves the list.
    auto plan = script::PlanNotice(2, 1000, {"[p]: ", "x", 1, 0, nullptr});
    ASSERT_EQ(plan.lines.size(), 1u);
    EXPECT_EQ(plan.lines[0].index, 2);
    plan = script::PlanNotice(2, -5, {"[p]: ", "x", 1, 0, nullptr});
    EXPECT_EQ(plan.lines[0].index, 0);
}

TEST(OutputNotices, ServerOutputLinesFollowEveryNoticeWhileSwitchedOn) {
    List list;
    list.serverLines = {"first line", "second line"};
    list.Notice("Statement processed.", 1, 1);
    // A later commit (first notice) lists the same two lines again.
    list.Notice("[+]: Commit complete.", 0, 1);
    EXPECT_EQ(list.lines, (std::vector<std::string>{
                              "[10:00:00]: Statement processed.", "[10:00:00]: first line",
                              "[10:00:00]: second line", "[10:00:00]: [+]: Commit complete.",
                              "[10:00:00]: first line", "[10:00:00]: second line"}));
    EXPECT_EQ(list.nextIndex, 6);

    // An empty first notice still lists them; with the switch off nothing follows.
    list.Notice("", 0, 1);
    EXPECT_EQ(list.lines.size(), 8u);
    EXPECT_EQ(list.lines[6], "[10:00:00]: first line");
    list.Notice("done", 1, 0);
    EXPECT_EQ(list.lines.size(), 9u);
    EXPECT_EQ(list.lines.back(), "[10:00:00]: done");
}
