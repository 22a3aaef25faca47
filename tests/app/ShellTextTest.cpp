// String table, message texts, titles and status texts.
#include "CommandIds.h"
#include "MessageText.h"
#include "StatusTexts.h"
#include "StringTable.h"
#include "WindowTitles.h"

#include <gtest/gtest.h>

TEST(StringTable, MessageTextsAreTheProgramsOwn) {
    EXPECT_STREQ(LoadStringResource(958),
                 "Previous SQL statement is running now. Wait for execution complete or stop it first.");
    EXPECT_STREQ(LoadStringResource(979), "You must enter valid user name.");
    EXPECT_STREQ(LoadStringResource(980), "You must enter valid password.");
    EXPECT_STREQ(LoadStringResource(976), "You must specify valid database connect string.");
    EXPECT_STREQ(LoadStringResource(1198), "Do You Want to Save Result of Partial Fetch?");
    EXPECT_EQ(LoadStringResource(4711), nullptr);
    const std::string problem = LoadStringResource(1323);
    EXPECT_EQ(problem.rfind("Application has encountered a problem and needs to close.\n\n", 0), 0u);
    EXPECT_GT(problem.size(), std::string("Application has encountered a problem and needs to close.\n\n").size());
}

TEST(StringTable, CommandPromptsSplitIntoTipAndStatus) {
    CommandPrompt p = CommandPromptFor(cmd::kAutoformatByData);
    EXPECT_EQ(p.toolTip, "Autoformat by data");
    EXPECT_EQ(p.statusPrompt, "Autoformat based on column data");
    p = CommandPromptFor(cmd::kExplainPlan);
    EXPECT_EQ(p.toolTip, "Explain Plan  (F6)");
    EXPECT_EQ(p.statusPrompt, "Explain Plan  (F6)");
    p = CommandPromptFor(4711);
    EXPECT_TRUE(p.toolTip.empty());
    EXPECT_TRUE(p.statusPrompt.empty());
}

TEST(MessageText, MissingStringNamesItsIdAndLineFeedsBecomeBreaks) {
    EXPECT_EQ(ResourceTextOrError(4711), "<RESOURCE LOAD ERROR> - 4711");
    EXPECT_EQ(ResourceTextOrError(0), "<RESOURCE LOAD ERROR> - 0");
    EXPECT_EQ(ResourceTextOrError(958), LoadStringResource(958));
    EXPECT_EQ(LineFeedsToLineBreaks("one\ntwo"), "one\r\ntwo");
    EXPECT_EQ(LineFeedsToLineBreaks("\n\n"), "\r\n\r\n");
    EXPECT_EQ(LineFeedsToLineBreaks("plain"), "plain");
}

TEST(WindowTitles, CaptionsFollowTheirPatterns) {
    EXPECT_EQ(ConnectionTitle("SCOTT", "ORCL"), "Quarvel [SCOTT@ORCL]");
    EXPECT_EQ(DocumentTitle("SCOTT", "ORCL", "New SQL Script"), "Quarvel [SCOTT@ORCL] - New SQL Script");
    EXPECT_EQ(DocumentTitle("SCOTT", "", "New SQL Script"), "Quarvel [SCOTT@] - New SQL Script");
    EXPECT_EQ(SavedDocumentTitle("SCOTT", "ORCL", "/w/a.sql"), " Quarvel [SCOTT@ORCL] - /w/a.sql");
}

TEST(StatusTexts, PaneZeroFollowsTheOutputSetting) {
    EXPECT_EQ(StatusPaneText(1, "Executing.."), "Executing..");
    EXPECT_EQ(StatusPaneText(1, "12:00 Executing.. now"), "Executing..");
    EXPECT_EQ(StatusPaneText(1, "Statement processed."), "Ready");
    EXPECT_EQ(StatusPaneText(2, "executing"), "Ready"); // the match is case-sensitive
    EXPECT_EQ(StatusPaneText(0, "Statement processed."), "Statement processed.");
    EXPECT_EQ(StatusPaneText(0, "Executing.."), "Executing..");
    EXPECT_EQ(StatusPaneText(0, ""), "");
    EXPECT_EQ(ServerOutputPaneText(1), "Server Output is ON");
    EXPECT_EQ(ServerOutputPaneText(0), "Server Output is OFF");
    EXPECT_EQ(ServerOutputPaneText(2), "Server Output is OFF");
}
