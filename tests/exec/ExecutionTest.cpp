// The Execute command, the start of execution and the worker's batches against the embedded client,
// with recording stand-ins for the windows: the texts reported in order, the rows delivered, the
// caret requests, and what Commit, Rollback and the server-output switch do to the session.
#include "CQuarvelDoc.h"
#include "Execution.h"
#include "ExecRules.h"
#include "IniSettingsKey.h"
#include "RegisteredMessages.h"
#include "StringTable.h"
#include "SecondSession.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace {

// Stands in for the grid, the output list and the frame.
class Windows : public platform::MessageTarget {
public:
    explicit Windows(CQuarvelDoc& doc) : doc_(doc) {}
    ~Windows() override { CloseMessages(); }

    intptr_t HandleRegisteredMessage(uint32_t id) override {
        StatementState& s = doc_.State();
        if (id == SQL_OUTPUT_MESSAGE) {
            outputs.push_back(s.outputText);
        } else if (id == INSERT_SQL_REPORT_MESSAGE) {
            if (s.allFetched == 1) {
                ++finals;
                return 0;
            }
            std::vector<std::string> row;
            for (size_t i = 0; i < columns; ++i) {
                auto text = s.columns.CellText(static_cast<uint32_t>(i));
                row.push_back(text ? std::string(*text) : "<none>");
            }
            rows.push_back(row);
            if (dropStatementAtRow && rows.size() == dropStatementAtRow)
                s.statement.reset(); // what the grid does with a row it cannot show
        } else if (id == SB_SQL_SERVER_OUTPUT_MESSAGE) {
            ++serverOutputNotices;
        }
        return 0;
    }

    size_t columns = 0;
    size_t dropStatementAtRow = 0;
    std::vector<std::string> outputs;
    std::vector<std::vector<std::string>> rows;
    int finals = 0;
    int serverOutputNotices = 0;

private:
    CQuarvelDoc& doc_;
};

class TestHost : public exec::ExecHost {
public:
    TestHost(CQuarvelDoc& doc, Windows& windows) : doc_(doc), windows_(windows) {}
    std::weak_ptr<TestHost> self;

    void HideResultPane() override { ++resultHidden; }
    void ShowOutputPane() override { outputShown = true; }
    void HideOutputPane() override { outputShown = false; }
    void DisableInput() override { ++inputDisabled; }
    void WriteHistory(const std::string& text) override { history.push_back(text); }
    void UpdateViews() override {
        windows_.rows.clear();
        exec::StartExecution(doc_, self.lock(), titles);
        windows_.columns = titles.size();
    }
    void RestoreCaret() override { ++caretRestored; }
    void PlaceCaret(int32_t line, int32_t column) override {
        std::lock_guard lock(mutex);
        carets.push_back({line, column});
    }
    void ShowMessageId(uint32_t id) override {
        std::lock_guard lock(mutex);
        messageIds.push_back(id);
    }
    void ShowMessageText(const std::string& text) override {
        std::lock_guard lock(mutex);
        messageTexts.push_back(text);
    }

    int resultHidden = 0;
    int inputDisabled = 0;
    bool outputShown = true;
    std::atomic<int> caretRestored{0};
    std::vector<std::string> history;
    std::vector<std::string> titles;
    std::mutex mutex;
    std::vector<exec::CaretPlace> carets;
    std::vector<uint32_t> messageIds;
    std::vector<std::string> messageTexts;

private:
    CQuarvelDoc& doc_;
    Windows& windows_;
};

class ExecutionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platform::RegisterProgramMessages(); }

    void SetUp() override {
        char pattern[] = "/tmp/quarvel-exec-XXXXXX";
        configDir_ = mkdtemp(pattern);
        setenv("QUARVEL_CONFIG_DIR", configDir_.c_str(), 1);
        app_.fetchCancel.Poll(); // a cancel left by another test must not stop this one
        Admin("create table t (id number, name varchar2(20))");
        for (int i = 1; i <= 12; ++i)
            Admin("insert into t values (" + std::to_string(i) + ", " +
                  (i % 4 == 0 ? std::string("NULL") : "'n" + std::to_string(i) + "'") + ")");
        Admin("commit");
    }
    void TearDown() override {
        windows_.reset();
        doc_.reset();
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
        app_.pendingConnection = std::make_unique<DBConnect>();
        app_.pendingConnection->Logon("DEMO", "demo", db_.Path().c_str());
        doc_ = std::make_unique<CQuarvelDoc>(app_);
        windows_ = std::make_unique<Windows>(*doc_);
        StatementState& s = doc_->State();
        s.gridWindow = s.outputWindow = s.frameWindow = windows_->Handle();
        host_ = std::make_shared<TestHost>(*doc_, *windows_);
        host_->self = host_;
    }
    bool Run(const std::string& text) {
        windows_->outputs.clear();
        const bool started = exec::ExecuteCommand(*doc_, host_, text);
        doc_->WaitForWorker();
        return started;
    }
    bool Batch(int32_t rows, bool selectNew = true) {
        windows_->outputs.clear();
        const bool started = exec::StartBatch(*doc_, host_, rows, selectNew);
        doc_->WaitForWorker();
        return started;
    }
    std::vector<std::string>& Outputs() { return windows_->outputs; }

    TestDatabase db_;
    std::string configDir_;
    std::unique_ptr<DBConnect> admin_;
    ApplicationFields app_;
    std::unique_ptr<CQuarvelDoc> doc_;
    std::unique_ptr<Windows> windows_;
    std::shared_ptr<TestHost> host_;
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
    EXPECT_EQ(doc_->State().allFetched, 1);
    EXPECT_EQ(doc_->State().executedText, executed);
    EXPECT_EQ(host_->history, Texts{executed});
    EXPECT_EQ(host_->resultHidden, 1);
    EXPECT_EQ(host_->inputDisabled, 1);
    EXPECT_GE(host_->caretRestored.load(), 1);
    EXPECT_EQ(doc_->State().pendingChanges, 1);
    EXPECT_FALSE(Batch(1)); // everything is fetched: no further batch
}

TEST_F(ExecutionTest, BatchesFirstCountThenOneMoreThenAllThenNothing) {
    Store("SQLFirstFetchCount", "5");
    Open();
    ASSERT_TRUE(Run("select id, name from t order by id"));
    EXPECT_EQ(Outputs().back(), "Statement processed (partial).");
    EXPECT_EQ(windows_->rows.size(), 5u);
    EXPECT_EQ(doc_->State().allFetched, 0);

    ASSERT_TRUE(Batch(1));
    EXPECT_EQ(Outputs(), (Texts{"Executing..", "Statement processed (partial)."}));
    ASSERT_EQ(windows_->rows.size(), 6u);
    EXPECT_EQ(windows_->rows[5], (Texts{"6", "n6"}));
    EXPECT_EQ(doc_->State().selectNewRow, 1); // left for the grid, which clears it when it selects

    ASSERT_TRUE(Batch(exec::kAllRows, false));
    EXPECT_EQ(Outputs(), (Texts{"Executing..", "Statement processed. 12 Row(s) selected."}));
    ASSERT_EQ(windows_->rows.size(), 12u);
    EXPECT_EQ(windows_->rows[7], (Texts{"8", ""})); // NULL reads as an empty cell
    EXPECT_EQ(app_.fetchBusy.load(), 0);
    EXPECT_EQ(app_.progressText, "12 rows fetched.");
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

    doc_.reset();
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
    app_.fetchCancel.Set();
    ASSERT_TRUE(Batch(exec::kAllRows, false));
    EXPECT_EQ(Outputs(), (Texts{"Executing..", "Statement processed (partial)."}));
    EXPECT_EQ(windows_->rows.size(), 2u);
    ASSERT_TRUE(Batch(exec::kAllRows, false));
    ASSERT_EQ(windows_->rows.size(), 12u);
    EXPECT_EQ(windows_->rows[2], Texts{"3"});
}

TEST_F(ExecutionTest, DmlReportsRowCountsAndCommitAndRollbackReachTheServer) {
    Open();
    ASSERT_TRUE(Run("update t set name = 'u' where id <= 3"));
    EXPECT_EQ(Outputs().back(), "3 row(s) updated.");
    EXPECT_EQ(CountOnSecondSession("name = 'u'"), 0); // still pending
    exec::CommitCommand(*doc_, *host_);
    EXPECT_EQ(Outputs().back(), "Commit complete.");
    EXPECT_EQ(doc_->State().pendingChanges, 0);
    EXPECT_EQ(CountOnSecondSession("name = 'u'"), 3);

    ASSERT_TRUE(Run("delete from t where id > 10"));
    EXPECT_EQ(Outputs().back(), "2 row(s) deleted.");
    exec::RollbackCommand(*doc_, *host_);
    EXPECT_EQ(Outputs().back(), "Rollback complete.");
    EXPECT_EQ(CountOnSecondSession("id > 10"), 2);

    ASSERT_TRUE(Run("insert into t values (50, 'x')"));
    EXPECT_EQ(Outputs().back(), "1 row(s) inserted.");
    exec::RollbackCommand(*doc_, *host_);
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
    EXPECT_EQ(doc_->State().statement, nullptr);
    // Commit and Rollback without a statement do nothing and say nothing.
    const size_t before = Outputs().size();
    exec::CommitCommand(*doc_, *host_);
    exec::RollbackCommand(*doc_, *host_);
    EXPECT_EQ(Outputs().size(), before);
    EXPECT_FALSE(Batch(1));

    // A query the server cannot parse is refused while its columns are described.
    ASSERT_TRUE(Run("select id\nfrom t\nwhere id = = 3"));
    EXPECT_EQ(Outputs().size(), 3u);
    EXPECT_NE(Outputs().back().find("ORA-"), std::string::npos);
    EXPECT_EQ(doc_->State().statement, nullptr);
}

TEST_F(ExecutionTest, RefusalsBeforeAnyRowIsFetched) {
    Open();
    EXPECT_FALSE(Run(""));
    EXPECT_EQ(Outputs(), Texts{"Error: Select text for processing."});
    EXPECT_EQ(doc_->State().statement, nullptr);
    EXPECT_EQ(host_->history.size(), 0u);
}

TEST_F(ExecutionTest, MoreThan1024ColumnsAndUnsupportedTypesAreRefused) {
    Open();
    std::string wide = "select 0 c0";
    for (int i = 1; i <= 1024; ++i)
        wide += ", " + std::to_string(i) + " c" + std::to_string(i);
    wide += " from dual";
    const int restoredBefore = host_->caretRestored.load();
    Run(wide);
    EXPECT_EQ(Outputs().back(), "Max field count for query: 1024");
    EXPECT_EQ(doc_->State().statement, nullptr);
    EXPECT_GT(host_->caretRestored.load(), restoredBefore);
    EXPECT_TRUE(host_->titles.empty());

    Admin("create table ts (id number, at timestamp)");
    Run("select id, at from ts");
    EXPECT_EQ(Outputs().back(), "[OCI]: Unsupported data type: (Unsupported type)");
    EXPECT_EQ(doc_->State().statement, nullptr);
    EXPECT_FALSE(doc_->IsWorkerRunning());
}

TEST_F(ExecutionTest, AStatementDroppedWhileARowIsShownEndsTheBatchWithoutFetching) {
    Open();
    windows_->dropStatementAtRow = 2;
    Run("select id from t");
    EXPECT_EQ(windows_->rows.size(), 2u);
    EXPECT_EQ(doc_->State().statement, nullptr);
    EXPECT_FALSE(Batch(1));
}

TEST_F(ExecutionTest, ServerOutputLinesAreReadOnlyWhileTheSwitchIsOn) {
    Store("ShowSqlOutputWindow", "0");
    Open();
    const std::string block =
        "BEGIN DBMS_OUTPUT.PUT_LINE('one'); DBMS_OUTPUT.PUT_LINE('two'); DBMS_OUTPUT.PUT_LINE('three'); END;";
    exec::ServerOutputCommand(*doc_, *host_);
    EXPECT_EQ(doc_->State().serverOutputOn, 1);
    EXPECT_TRUE(host_->outputShown);
    EXPECT_EQ(windows_->serverOutputNotices, 1);
    ASSERT_TRUE(Run(block));
    EXPECT_EQ(Outputs().back(), "Statement processed.");
    EXPECT_EQ(doc_->State().serverOutputLines, (Texts{"one", "two", "three"}));

    exec::ServerOutputCommand(*doc_, *host_);
    EXPECT_EQ(doc_->State().serverOutputOn, 0);
    EXPECT_FALSE(host_->outputShown); // the setting keeps the pane hidden
    ASSERT_TRUE(Run(block));
    EXPECT_TRUE(doc_->State().serverOutputLines.empty());
}

TEST_F(ExecutionTest, OtherStatementsEndWithStatementProcessed) {
    Open();
    ASSERT_TRUE(Run("create table other (x number)"));
    EXPECT_EQ(Outputs().back(), "Statement processed.");
    EXPECT_EQ(doc_->State().allFetched, 1);
}

} // namespace
