// The Execute command, the start of execution and the worker's batches against the embedded client,
// on an execution context of their own with recording stand-ins for the windows: the texts reported
// in order, the rows delivered, the caret requests, and what Commit, Rollback, Stop and the
// server-output switch do to the session.
#include "ExecContext.h"
#include "ExecRules.h"
#include "Execution.h"
#include "IniSettingsKey.h"
#include "RegisteredMessages.h"
#include "RunEnd.h"
#include "SecondSession.h"
#include "SessionCommands.h"
#include "SyncSend.h"
#include "TestDatabase.h"
#include "ExecWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>

namespace {

using exectest::Window;
using exectest::Windows;
using exectest::TestHost;

class ExecutionTest : public ::testing::Test {
public:
    static void SetUpTestSuite() { platform::RegisterProgramMessages(); }

    void SetUp() override {
        char pattern[] = "/tmp/quarvel-exec-XXXXXX";
        configDir_ = mkdtemp(pattern);
        setenv("QUARVEL_CONFIG_DIR", configDir_.c_str(), 1);
        Admin("create table t (id number, name varchar2(20))");
        for (int i = 1; i <= 12; ++i)
            Admin("insert into t values (" + std::to_string(i) + ", " +
                  (i % 4 == 0 ? std::string("NULL") : "'n" + std::to_string(i) + "'") + ")");
        Admin("commit");
    }
    void TearDown() override {
        window_.reset();
        unsetenv("QUARVEL_CONFIG_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(configDir_, ignored);
    }

    void Store(const std::string& name, const std::string& value) {
        platform::IniSettingsKey::OpenProgramCreating()->Write(name, value);
    }

    // Runs statements on a session of its own (setup and the second session of the commit checks).
    void Admin(const std::string& sql) {
        if (!admin_) {
            admin_ = std::make_unique<DBConnect>();
            admin_->Logon("DEMO", "demo", db_.Path().c_str());
        }
        RunOnSession(*admin_, sql);
    }
    int CountOnSecondSession(const std::string& where) { return ::CountOnSecondSession(db_.Path(), where); }

    void Open() {
        window_.reset();
        window_ = std::make_unique<Window>(db_.Path());
        windows_ = window_->windows.get();
        host_ = window_->host.get();
    }
    bool Run(const std::string& text) { return window_->Run(text); }
    bool Batch(int32_t rows, bool selectNew = true) { return window_->Batch(rows, selectNew); }
    std::vector<std::string>& Outputs() { return windows_->outputs; }
    exec::StatementState& State() { return window_->cx.state; }
    exec::Run& RunOf() { return window_->cx.run; }

    TestDatabase db_;
    std::string configDir_;
    std::unique_ptr<DBConnect> admin_;
    std::unique_ptr<Window> window_;
    Windows* windows_ = nullptr;
    TestHost* host_ = nullptr;
};

using Texts = std::vector<std::string>;

TEST_F(ExecutionTest, QueryWithFewerRowsThanTheFirstBatchEndsWithTheFinalCount) {
    Open();
    const std::string sql = "select id, name from t\r\nwhere id <= 3 order by id";
    ASSERT_TRUE(Run(sql));
    const std::string executed = "select id, name from t \nwhere id <= 3 order by id";
    EXPECT_EQ(Outputs(), (Texts{"Execute statement:", executed, "Executing..", "Statement processed. 3 Row(s) selected."}));
    EXPECT_EQ(host_->titles, (Texts{"ID", "NAME"}));
    ASSERT_EQ(windows_->rows.size(), 3u);
    EXPECT_EQ(windows_->rows[1], (Texts{"2", "n2"}));
    EXPECT_EQ(windows_->finals, 1);
    EXPECT_EQ(State().allFetched, 1);
    EXPECT_EQ(State().executedText, executed);
    EXPECT_EQ(host_->history, Texts{executed});
    EXPECT_EQ(host_->resultHidden, 1);
    EXPECT_EQ(host_->inputDisabled, 1);
    EXPECT_EQ(host_->caretRestored.load(), 1);
    EXPECT_EQ(RunOf().EndedCount(), 1);
    EXPECT_FALSE(RunOf().IsActive());
    EXPECT_EQ(State().pendingChanges, 1);
    EXPECT_FALSE(Batch(1)); // everything is fetched: no further batch
}

TEST_F(ExecutionTest, BatchesFirstCountThenOneMoreThenAllThenNothing) {
    Store("SQLFirstFetchCount", "5");
    Open();
    ASSERT_TRUE(Run("select id, name from t order by id"));
    EXPECT_EQ(Outputs().back(), "Statement processed (partial).");
    EXPECT_EQ(windows_->rows.size(), 5u);
    EXPECT_EQ(State().allFetched, 0);

    ASSERT_TRUE(Batch(1));
    EXPECT_EQ(Outputs(), (Texts{"Executing..", "Statement processed (partial)."}));
    ASSERT_EQ(windows_->rows.size(), 6u);
    EXPECT_EQ(windows_->rows[5], (Texts{"6", "n6"}));
    EXPECT_EQ(State().selectNewRow, 1); // left for the grid, which clears it when it selects

    ASSERT_TRUE(Batch(exec::kAllRows, false));
    EXPECT_EQ(Outputs(), (Texts{"Executing..", "Statement processed. 12 Row(s) selected."}));
    ASSERT_EQ(windows_->rows.size(), 12u);
    EXPECT_EQ(windows_->rows[7], (Texts{"8", ""})); // NULL reads as an empty cell
    EXPECT_EQ(RunOf().busy.load(), 0);
    EXPECT_EQ(RunOf().progressText, "12 rows fetched.");
    EXPECT_FALSE(Batch(1));
}

TEST_F(ExecutionTest, RowCountEqualToTheFirstBatchNeedsOneMoreFetchToEnd) {
    Store("SQLFirstFetchCount", "4");
    Open();
    ASSERT_TRUE(Run("select id from t where id <= 4"));
    EXPECT_EQ(Outputs().back(), "Statement processed (partial).");
    ASSERT_TRUE(Batch(1));
    EXPECT_EQ(Outputs(), (Texts{"Executing..", "Statement processed. 4 Row(s) selected."}));
    EXPECT_EQ(windows_->rows.size(), 4u);
    EXPECT_EQ(windows_->finals, 1);
}

TEST_F(ExecutionTest, NoRowsAndAFirstCountOfZero) {
    Open();
    ASSERT_TRUE(Run("select id from t where id > 100"));
    EXPECT_EQ(Outputs(), (Texts{"Execute statement:", "select id from t where id > 100", "Executing..",
                                "Statement processed. 0 Row(s) selected."}));
    EXPECT_TRUE(windows_->rows.empty());

    Store("SQLFirstFetchCount", "0");
    Open();
    ASSERT_TRUE(Run("select id from t"));
    EXPECT_EQ(Outputs().back(), "Executing.."); // no closing text
    EXPECT_TRUE(windows_->rows.empty());
    ASSERT_TRUE(Batch(1));
    EXPECT_EQ(windows_->rows.size(), 1u);
}

TEST_F(ExecutionTest, CancelEndsAnAllRowsBatchAndTheNextOneContinues) {
    Store("SQLFirstFetchCount", "2");
    Open();
    ASSERT_TRUE(Run("select id from t order by id"));
    RunOf().Cancel(); // a Cancel left from before this batch does not stop it
    windows_->onRow = [this](size_t n) {
        if (n == 4)
            RunOf().Cancel();
    };
    ASSERT_TRUE(Batch(exec::kAllRows, false));
    EXPECT_EQ(Outputs(), (Texts{"Executing..", "Statement processed (partial)."}));
    EXPECT_EQ(windows_->rows.size(), 4u);
    windows_->onRow = nullptr;
    ASSERT_TRUE(Batch(exec::kAllRows, false));
    ASSERT_EQ(windows_->rows.size(), 12u);
    EXPECT_EQ(windows_->rows[4], Texts{"5"});
}

TEST_F(ExecutionTest, DmlReportsRowCountsAndCommitAndRollbackReachTheServer) {
    Open();
    ASSERT_TRUE(Run("update t set name = 'u' where id <= 3"));
    EXPECT_EQ(Outputs().back(), "3 row(s) updated.");
    EXPECT_EQ(CountOnSecondSession("name = 'u'"), 0); // still pending
    window_->Session(exec::SessionCommand::Commit);
    EXPECT_EQ(Outputs().back(), "Commit complete.");
    EXPECT_EQ(State().pendingChanges, 0);
    EXPECT_EQ(CountOnSecondSession("name = 'u'"), 3);

    ASSERT_TRUE(Run("delete from t where id > 10"));
    EXPECT_EQ(Outputs().back(), "2 row(s) deleted.");
    window_->Session(exec::SessionCommand::Rollback);
    EXPECT_EQ(Outputs().back(), "Rollback complete.");
    EXPECT_EQ(CountOnSecondSession("id > 10"), 2);

    ASSERT_TRUE(Run("insert into t values (50, 'x')"));
    EXPECT_EQ(Outputs().back(), "1 row(s) inserted.");
    window_->Session(exec::SessionCommand::Rollback);
    EXPECT_EQ(CountOnSecondSession("id = 50"), 0);
}

TEST_F(ExecutionTest, FailingStatementPutsTheCaretOnItsLineAndIsDropped) {
    Open();
    ASSERT_TRUE(Run("update t\nset name = 'x'\nwhere id = = 3"));
    ASSERT_FALSE(Outputs().empty());
    EXPECT_EQ(Outputs()[2], "Executing..");
    EXPECT_NE(Outputs().back().find("ORA-"), std::string::npos) << Outputs().back();
    ASSERT_EQ(host_->carets.size(), 1u);
    EXPECT_EQ(host_->carets[0].line, 2);
    EXPECT_GE(host_->carets[0].column, 0);
    EXPECT_LE(host_->carets[0].column, 14);
    EXPECT_EQ(State().statement, nullptr);
    // Commit and Rollback without a statement do nothing and say nothing.
    const size_t before = Outputs().size();
    window_->Session(exec::SessionCommand::Commit);
    window_->Session(exec::SessionCommand::Rollback);
    EXPECT_EQ(Outputs().size(), before);
    EXPECT_FALSE(Batch(1));

    // A query the server cannot parse is refused while its columns are described.
    ASSERT_TRUE(Run("select id\nfrom t\nwhere id = = 3"));
    EXPECT_EQ(Outputs().size(), 3u);
    EXPECT_NE(Outputs().back().find("ORA-"), std::string::npos);
    EXPECT_EQ(State().statement, nullptr);
}

TEST_F(ExecutionTest, RefusalsBeforeAnyRowIsFetched) {
    Open();
    EXPECT_FALSE(Run(""));
    EXPECT_EQ(Outputs(), Texts{"Error: Select text for processing."});
    EXPECT_EQ(State().statement, nullptr);
    EXPECT_EQ(host_->history.size(), 0u);
}

TEST_F(ExecutionTest, MoreThan1024ColumnsAndUnsupportedTypesAreRefused) {
    Open();
    std::string wide = "select 0 c0";
    for (int i = 1; i <= 1024; ++i)
        wide += ", " + std::to_string(i) + " c" + std::to_string(i);
    wide += " from dual";
    Run(wide);
    EXPECT_EQ(Outputs().back(), "Max field count for query: 1024");
    EXPECT_EQ(State().statement, nullptr);
    EXPECT_EQ(host_->caretRestored.load(), 1);
    EXPECT_TRUE(host_->titles.empty());

    Admin("create table ts (id number, at timestamp)");
    Run("select id, at from ts");
    EXPECT_EQ(Outputs().back(), "[OCI]: Unsupported data type: (Unsupported type)");
    EXPECT_EQ(State().statement, nullptr);
    EXPECT_FALSE(RunOf().IsActive());
}

TEST_F(ExecutionTest, ARowTheGridRefusesEndsTheBatchAndDropsTheStatement) {
    Open();
    windows_->refuseRowAt = 2;
    Run("select id from t");
    EXPECT_EQ(windows_->rows.size(), 2u);
    EXPECT_EQ(host_->caretRestored.load(), 1);
    EXPECT_EQ(State().statement, nullptr);
    EXPECT_FALSE(Batch(1));
}

TEST_F(ExecutionTest, ServerOutputLinesAreReadOnlyWhileTheSwitchIsOn) {
    Store("ShowSqlOutputWindow", "0");
    Open();
    const std::string block =
        "BEGIN DBMS_OUTPUT.PUT_LINE('one'); DBMS_OUTPUT.PUT_LINE('two'); DBMS_OUTPUT.PUT_LINE('three'); END;";
    window_->Session(exec::SessionCommand::ServerOutput);
    EXPECT_EQ(State().serverOutputOn, 1);
    EXPECT_TRUE(host_->outputShown);
    EXPECT_EQ(windows_->serverOutputNotices, 1);
    ASSERT_TRUE(Run(block));
    EXPECT_EQ(Outputs().back(), "Statement processed.");
    EXPECT_EQ(State().serverOutputLines, (Texts{"one", "two", "three"}));

    window_->Session(exec::SessionCommand::ServerOutput);
    EXPECT_EQ(State().serverOutputOn, 0);
    EXPECT_FALSE(host_->outputShown); // the setting keeps the pane hidden
    ASSERT_TRUE(Run(block));
    EXPECT_TRUE(State().serverOutputLines.empty());
}

TEST_F(ExecutionTest, OtherStatementsEndWithStatementProcessed) {
    Open();
    ASSERT_TRUE(Run("create table other (x number)"));
    EXPECT_EQ(Outputs().back(), "Statement processed.");
    EXPECT_EQ(State().allFetched, 1);
}

// Every way a run ends passes the one end path once: caret and input come back exactly once and the
// run is idle again.
TEST_F(ExecutionTest, EveryWayARunEndsGivesTheCaretBackExactlyOnce) {
    struct Way {
        const char* name;
        std::function<void(ExecutionTest&)> run; // after Open with a first batch of 5
        const char* lastReport;
    };
    const std::vector<Way> ways = {
        {"all rows", [](ExecutionTest& t) { t.Run("select id from t where id <= 3"); },
         "Statement processed. 3 Row(s) selected."},
        {"first batch count reached", [](ExecutionTest& t) { t.Run("select id from t"); },
         "Statement processed (partial)."},
        {"cancel",
         [](ExecutionTest& t) {
             t.windows_->onRow = [&t](size_t n) {
                 if (n == 2)
                     t.RunOf().Cancel();
             };
             t.Run("select id from t");
         },
         "Statement processed (partial)."},
        {"stop",
         [](ExecutionTest& t) {
             t.windows_->onRow = [&t](size_t n) {
                 if (n == 2)
                     t.window_->Session(exec::SessionCommand::Stop);
             };
             t.Run("select id from t");
         },
         exec::kStopReport},
        {"failed call", [](ExecutionTest& t) { t.Run("update t set name = 'x' where id = = 3"); }, nullptr},
        {"row refused",
         [](ExecutionTest& t) {
             t.windows_->refuseRowAt = 2;
             t.Run("select id from t");
         },
         "Executing.."},
        {"window closing",
         [](ExecutionTest& t) {
             t.windows_->onRow = [&t](size_t n) {
                 if (n == 2)
                     t.RunOf().RequestClose();
             };
             t.Run("select id from t");
         },
         "Statement processed (partial)."},
    };
    Store("SQLFirstFetchCount", "5");
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Open();
        way.run(*this);
        EXPECT_EQ(host_->caretRestored.load(), 1);
        EXPECT_EQ(RunOf().EndedCount(), 1);
        EXPECT_FALSE(RunOf().IsActive());
        EXPECT_EQ(RunOf().busy.load(), 0);
        ASSERT_FALSE(Outputs().empty());
        if (way.lastReport)
            EXPECT_EQ(Outputs().back(), way.lastReport);
        else
            EXPECT_EQ(Outputs().back().rfind("ORA-", 0), 0u) << Outputs().back();
    }
}

TEST_F(ExecutionTest, StopBetweenRowsEndsAsABrokenCallAndDropsTheStatement) {
    Open();
    windows_->onRow = [this](size_t n) {
        if (n == 3)
            window_->Session(exec::SessionCommand::Stop);
    };
    ASSERT_TRUE(Run("select id from t"));
    EXPECT_EQ(windows_->rows.size(), 3u);
    EXPECT_EQ(Outputs().back(), "ORA-01013: user requested cancel of current operation");
    EXPECT_EQ(State().statement, nullptr);
    EXPECT_FALSE(Batch(1));
    // The next statement runs: neither the stop nor the break is left over.
    windows_->onRow = nullptr;
    ASSERT_TRUE(Run("select id from t where id <= 2"));
    EXPECT_EQ(Outputs().back(), "Statement processed. 2 Row(s) selected.");
}

TEST_F(ExecutionTest, ClosingEndsTheBatchQuietlyAndKeepsTheStatement) {
    Store("SQLFirstFetchCount", "3");
    Open();
    ASSERT_TRUE(Run("select id from t"));
    windows_->onRow = [this](size_t n) {
        if (n == 5)
            RunOf().RequestClose();
    };
    ASSERT_TRUE(Batch(exec::kAllRows, false));
    EXPECT_EQ(Outputs(), (Texts{"Executing..", "Statement processed (partial)."}));
    EXPECT_EQ(windows_->rows.size(), 5u);
    EXPECT_NE(State().statement, nullptr);
}

TEST_F(ExecutionTest, CommitAndRollbackAreRefusedWhileARunIsGoing) {
    Open();
    ASSERT_TRUE(Run("update t set name = 'r' where id = 1"));
    std::vector<exec::Outcome> during;
    windows_->onRow = [&](size_t) {
        during.push_back(window_->Session(exec::SessionCommand::Commit));
        during.push_back(window_->Session(exec::SessionCommand::Rollback));
        during.push_back(exec::ExecuteCommand(window_->cx, "select 1 from dual", 0));
        during.push_back(exec::StartBatch(window_->cx, 1, true) ? exec::Outcome::Started : exec::Outcome::Refused);
    };
    ASSERT_TRUE(Run("select id from t where id = 1"));
    EXPECT_EQ(during, (std::vector<exec::Outcome>(4, exec::Outcome::Refused)));
    EXPECT_EQ(CountOnSecondSession("name = 'r'"), 0); // nothing was committed under the worker
    EXPECT_EQ(window_->Session(exec::SessionCommand::Rollback), exec::Outcome::Started);
    EXPECT_EQ(Outputs().back(), "Rollback complete.");
}

// Records what one window's progress dialog is told, and the run's progress at that moment.
struct ProgressDialog : platform::MessageTarget {
    explicit ProgressDialog(exec::Run& r) : run(r) {}
    ~ProgressDialog() override { CloseMessages(); }
    intptr_t HandleRegisteredMessage(uint32_t id) override {
        if (id == FETCH_ROW_STATUS) {
            if (run.busy.load() == 1)
                texts.push_back(run.progressText);
            else
                ++closes;
        }
        return 0;
    }
    exec::Run& run;
    std::vector<std::string> texts;
    int closes = 0;
};

// Two windows on one database, one fetching all rows under its progress dialog while the other runs,
// is cancelled and ends its own batches: neither sees the other's progress, dialog or cancel.
TEST_F(ExecutionTest, TwoWindowsRunsKeepTheirOwnProgressDialogAndCancel) {
    Store("SQLFirstFetchCount", "2");
    Open();
    Window other(db_.Path());
    ASSERT_TRUE(Run("select id from t order by id"));
    ASSERT_TRUE(other.Run("select name from t order by id"));

    ProgressDialog dialog(RunOf());
    std::vector<std::string> otherReports;
    windows_->onRow = [&](size_t n) {
        if (n == 3) {
            RunOf().SetProgressDialog(dialog.Handle());
            // The other window fetches all its rows and ends, and a Cancel is pressed in it.
            other.Batch(exec::kAllRows, false);
            otherReports = other.windows->outputs;
            other.cx.run.Cancel();
            EXPECT_EQ(dialog.closes, 0); // the other run's end does not close this dialog
        }
    };
    ASSERT_TRUE(Batch(exec::kAllRows, false));
    EXPECT_EQ(windows_->rows.size(), 12u); // the other window's Cancel did not stop this fetch
    EXPECT_EQ(Outputs().back(), "Statement processed. 12 Row(s) selected.");
    EXPECT_EQ(otherReports.back(), "Statement processed. 12 Row(s) selected.");
    EXPECT_EQ(dialog.closes, 1);
    ASSERT_FALSE(dialog.texts.empty());
    for (const std::string& text : dialog.texts) // only this window's counts, which pass 3
        EXPECT_GE(std::atoi(text.c_str()), 3) << text;
    EXPECT_EQ(dialog.texts.back(), "12 rows fetched.");

    // The Cancel pressed in the other window after its last row does not stop its next run.
    ASSERT_TRUE(other.Run("select id from t"));
    EXPECT_EQ(other.windows->rows.size(), 2u);
    ASSERT_TRUE(other.Batch(exec::kAllRows, false));
    EXPECT_EQ(other.windows->rows.size(), 12u);
}

TEST(RunState, OneRunAtATimeAndEveryRunEndsOnce) {
    exec::Run run;
    EXPECT_EQ(run.State(), exec::RunState::Idle);
    ASSERT_TRUE(run.Begin());
    EXPECT_FALSE(run.Begin()); // a second command is refused while the first one starts
    EXPECT_EQ(run.State(), exec::RunState::Starting);
    run.RequestStop(); // no worker yet: nothing to stop
    EXPECT_FALSE(run.StopRequested());
    std::atomic<bool> release{false};
    ASSERT_TRUE(run.Launch([&] {
        while (!release)
            std::this_thread::yield();
        EXPECT_TRUE(run.EnterEnding());
        run.Finish();
    }));
    EXPECT_TRUE(run.IsActive());
    run.RequestStop();
    EXPECT_EQ(run.State(), exec::RunState::Stopping);
    EXPECT_TRUE(run.StopRequested());
    EXPECT_FALSE(run.Begin());
    release = true;
    run.Wait();
    EXPECT_EQ(run.State(), exec::RunState::Idle);
    EXPECT_EQ(run.EndedCount(), 1);
    EXPECT_FALSE(run.StopRequested()); // a stop belongs to the run it was meant for

    run.Cancel(); // pressed after the run's last check
    ASSERT_TRUE(run.Begin());
    EXPECT_FALSE(run.TakeCancel()); // the new run starts without it
    EXPECT_TRUE(run.EnterEnding());
    run.Finish();
    EXPECT_EQ(run.EndedCount(), 2);
}

} // namespace
