// Execute As Script against the embedded client on a headless window: the notices of each step, the
// execution marks, SELECT refused, a failure in the middle with the caret on its line, server output
// read once at the end, a missing splitter, Stop between statements and refusal while a run is going.
// Also the walk through a script against a plain copy of the splitting loop.
#include "ExecWindow.h"
#include "ScriptRun.h"
#include "ScriptSteps.h"
#include "SecondSession.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

namespace {

using Texts = std::vector<std::string>;

class ScriptRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platform::RegisterProgramMessages(); }
    void SetUp() override {
        char pattern[] = "/tmp/quarvel-script-XXXXXX";
        configDir_ = mkdtemp(pattern);
        setenv("QUARVEL_CONFIG_DIR", configDir_.c_str(), 1);
        admin_.Logon("DEMO", "demo", db_.Path().c_str());
        RunOnSession(admin_, "create table t (id number)");
        window_ = std::make_unique<exectest::Window>(db_.Path());
    }
    void TearDown() override {
        window_.reset();
        unsetenv("QUARVEL_CONFIG_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(configDir_, ignored);
    }
    bool Script(const std::string& text, int32_t firstLine = 0,
                script::SplitterSource splitter = script::LoadMorvexSplitter) {
        Outputs().clear();
        const bool started = script::ExecuteScript(window_->cx, text, firstLine, std::move(splitter)) == exec::Outcome::Started;
        window_->cx.run.Wait();
        return started;
    }
    Texts& Outputs() { return window_->windows->outputs; }
    exectest::TestHost& Host() { return *window_->host; }
    int Count(const std::string& where) { return CountOnSecondSession(db_.Path(), where); }

    TestDatabase db_;
    std::string configDir_;
    DBConnect admin_;
    std::unique_ptr<exectest::Window> window_;
};

TEST_F(ScriptRunTest, TwoInsertsReportEachStepAndMarkEachTerminatorLine) {
    ASSERT_TRUE(Script("insert into t values (1);\r\ninsert into t values (2);\r\n", 4));
    EXPECT_EQ(Outputs(), (Texts{"Execute script..", "[1]: insert into t values (1)", "Statement processed.",
                                "[2]:  \ninsert into t values (2)", "Statement processed."}));
    EXPECT_EQ(Host().marks, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(Host().history, Texts{"insert into t values (1); \ninsert into t values (2); \n"});
    EXPECT_EQ(Host().inputDisabled, 1);
    EXPECT_EQ(Host().caretRestored.load(), 1);
    EXPECT_EQ(window_->cx.state.pendingChanges, 1);
    EXPECT_FALSE(window_->cx.run.IsActive());
    // Still pending until a commit: the script runs in the window's transaction.
    EXPECT_EQ(Count("id in (1, 2)"), 0);
    EXPECT_EQ(window_->Session(exec::SessionCommand::Commit), exec::Outcome::Started);
    EXPECT_EQ(Count("id in (1, 2)"), 2);
}

TEST_F(ScriptRunTest, ABlockEndedBySlashThenDdlAndTailsThatNeverReachTheServer) {
    ASSERT_TRUE(Script("begin\n  insert into t values (7);\nend;\n/\ncreate table u (x number);\n/\n"));
    const Texts& out = Outputs();
    ASSERT_EQ(std::count(out.begin(), out.end(), "Statement processed."), 2) << ::testing::PrintToString(out);
    EXPECT_EQ(out.back(), "Statement processed.");
    EXPECT_EQ(out[1].find("[1]: begin"), 0u);
    EXPECT_EQ(out[1].find('/'), std::string::npos); // the "/" line is not part of the block
    EXPECT_EQ(out[3].find("[2]: "), 0u);
    EXPECT_NE(out[3].find("create table u"), std::string::npos);
    RunOnSession(admin_, "insert into u values (1)"); // the table exists
}

TEST_F(ScriptRunTest, ASelectStopsTheScriptAfterTheStatementsBeforeIt) {
    ASSERT_TRUE(Script("insert into t values (1);\ninsert into t values (2);\nselect * from t;\ninsert into t values (3);\n"));
    const Texts& out = Outputs();
    EXPECT_EQ(out.back(), "Select statement in script not supported.");
    EXPECT_EQ(std::count(out.begin(), out.end(), "Statement processed."), 2);
    EXPECT_EQ(window_->cx.state.statement, nullptr);
    EXPECT_EQ(Host().caretRestored.load(), 1);
    // The refused SELECT took the statement with it; the changes before it are still the window's.
    ASSERT_TRUE(window_->Run("commit"));
    EXPECT_EQ(Count("id = 3"), 0);
    EXPECT_EQ(Count("id in (1, 2)"), 2);
}

TEST_F(ScriptRunTest, AFailureInTheMiddlePutsTheCaretOnItsLineAndKeepsWhatRan) {
    ASSERT_TRUE(Script("insert into t values (1);\ninsert into t\nvalues (1,, 2);\ninsert into t values (3);\n", 10));
    const Texts& out = Outputs();
    EXPECT_EQ(out.back().rfind("ORA-", 0), 0u) << out.back();
    EXPECT_EQ(std::count(out.begin(), out.end(), "Statement processed."), 1);
    ASSERT_EQ(Host().carets.size(), 1u);
    // The error is in "values (1,, 2)", the statement's second line: line 2 of the script.
    EXPECT_EQ(Host().carets[0].line, 12);
    EXPECT_GE(Host().carets[0].column, 0);
    EXPECT_LE(Host().carets[0].column, 14);
    EXPECT_EQ(window_->cx.state.statement, nullptr);
    window_->Session(exec::SessionCommand::Commit); // no statement: nothing to commit through
    RunOnSession(admin_, "commit");
}

TEST_F(ScriptRunTest, ServerOutputIsReadOnceAfterTheLastStatementAndLongLinesArriveWhole) {
    window_->Session(exec::SessionCommand::ServerOutput);
    const std::string longLine(1000, 'x');
    ASSERT_TRUE(Script("begin dbms_output.put_line('one'); dbms_output.put_line('two'); end;\n/\n"
                       "begin dbms_output.put_line('" + longLine + "'); end;\n/\n"));
    EXPECT_EQ(Outputs().back(), "Server output:");
    // The server keeps every block's lines until they are read, once, at the end; the long one whole.
    EXPECT_EQ(window_->cx.state.serverOutputLines, (Texts{"one", "two", longLine}));

    ASSERT_TRUE(Script("begin dbms_output.put_line('one'); dbms_output.put_line('two'); end;\n/\n"));
    EXPECT_EQ(window_->cx.state.serverOutputLines, (Texts{"one", "two"}));
    EXPECT_EQ(std::count(Outputs().begin(), Outputs().end(), "Server output:"), 1);
}

TEST_F(ScriptRunTest, AMissingSplitterEndsTheRunWithItsName) {
    const auto missing = [] { return script::Splitter{nullptr, "/opt/quarvel/bin/libmorvex.so"}; };
    ASSERT_TRUE(Script("insert into t values (1);\n", 0, missing));
    EXPECT_EQ(Outputs(), (Texts{"Execute script..", "Error during load dinamic library libmorvex.so"}));
    EXPECT_EQ(Host().caretRestored.load(), 1);
    EXPECT_EQ(window_->cx.state.pendingChanges, 0);
}

TEST_F(ScriptRunTest, StopBetweenStatementsEndsTheRunAsABrokenCall) {
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += "insert into t values (" + std::to_string(i) + ");\n";
    window_->windows->onOutput = [this](const std::string& notice) {
        if (notice.rfind("[3]: ", 0) == 0)
            window_->Session(exec::SessionCommand::Stop);
    };
    ASSERT_TRUE(Script(text));
    EXPECT_EQ(Outputs().back(), exec::kStopReport);
    EXPECT_LE(std::count(Outputs().begin(), Outputs().end(), "Statement processed."), 3);
    EXPECT_EQ(Host().caretRestored.load(), 1);
    EXPECT_FALSE(window_->cx.run.IsActive());
}

TEST_F(ScriptRunTest, RefusedWhileAStatementOfTheWindowFetchesAndEmptyTextStartsNothing) {
    RunOnSession(admin_, "insert into t values (1)");
    RunOnSession(admin_, "insert into t values (2)");
    RunOnSession(admin_, "commit");
    std::vector<exec::Outcome> during;
    window_->windows->onRow = [&](size_t) {
        during.push_back(script::ExecuteScript(window_->cx, "insert into t values (9);\n", 0));
    };
    ASSERT_TRUE(window_->Run("select id from t"));
    EXPECT_EQ(during, (std::vector<exec::Outcome>(2, exec::Outcome::Refused)));

    EXPECT_FALSE(Script(""));
    EXPECT_EQ(Outputs(), Texts{"Error: Select text for processing."});
}

// The walk, against the splitting loop written plainly: the whole buffer zeroed and the line feeds
// counted from the start for every statement.
TEST(ScriptSteps, RandomScriptsGiveTheSameStatementsAndLinesAsThePlainLoop) {
    std::mt19937 random(20261209);
    const std::vector<std::string> pieces = {"select 1 from dual", ";", "\n", " ", "/", "\n/\n", "begin null; end;",
                                             "'a;b'", "-- c;\n", "/* x; */", "x", "\n\n", "insert into t values (1)"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int n = static_cast<int>(random() % 40);
        for (int i = 0; i < n; ++i)
            text += pieces[random() % pieces.size()];

        struct Plain {
            std::string text;
            size_t start;
            int32_t line;
        };
        std::vector<Plain> expected;
        {
            const uint32_t length = static_cast<uint32_t>(text.size() + 1);
            std::vector<char> copy(length, '\0'), statement(length, '\0');
            std::memcpy(copy.data(), text.data(), text.size());
            uint32_t offset = 0;
            while (length - offset >= 7) {
                std::fill(statement.begin(), statement.end(), '\0');
                uint32_t next = 0;
                ParseScript(copy.data() + offset, statement.data(), length - offset, &next);
                const size_t start = offset;
                offset += next;
                const int32_t line = static_cast<int32_t>(std::count(copy.begin(), copy.begin() + offset, '\n'));
                expected.push_back({std::string(statement.data()), start, line});
            }
        }
        script::ScriptSteps steps(text, &ParseScript);
        script::ScriptStep step;
        std::vector<Plain> walked;
        while (steps.Next(step))
            walked.push_back({std::string(step.text), step.start, step.terminatorLine});
        ASSERT_EQ(walked.size(), expected.size()) << text;
        for (size_t i = 0; i < walked.size(); ++i) {
            EXPECT_EQ(walked[i].text, expected[i].text) << text;
            EXPECT_EQ(walked[i].start, expected[i].start) << text;
            EXPECT_EQ(walked[i].line, expected[i].line) << text;
        }
    }
}

TEST(ScriptSteps, TheErrorPlaceCountsLinesOfTheScriptAndColumnsWithinTheLine) {
    const std::string text = "insert into t values (1);\ninsert into t\nvalues (1,, 2);\n";
    // The second statement starts after the first ";" (at its " \n" remainder).
    const size_t start = text.find(';') + 1;
    const uint32_t inStatement = static_cast<uint32_t>(text.find(",,") - start);
    const exec::CaretPlace place = script::ScriptErrorPlace(text, start, inStatement);
    EXPECT_EQ(place.line, 2);
    EXPECT_EQ(place.column, 9);
    // An error on the statement's first line counts from the line's start, not the statement's.
    const std::string oneLine = "insert into t values (1); insert into t values (1,, 2);";
    const size_t second = oneLine.find(';') + 1;
    const exec::CaretPlace same = script::ScriptErrorPlace(oneLine, second, static_cast<uint32_t>(oneLine.rfind(",,") - second));
    EXPECT_EQ(same.line, 0);
    EXPECT_EQ(same.column, static_cast<int32_t>(oneLine.rfind(",,")));
    // An error without a position (a constraint violated) marks the statement's first character,
    // not the line end before it.
    const exec::CaretPlace unplaced = script::ScriptErrorPlace(text, start, 0);
    EXPECT_EQ(unplaced.line, 1);
    EXPECT_EQ(unplaced.column, 0);
}

} // namespace
