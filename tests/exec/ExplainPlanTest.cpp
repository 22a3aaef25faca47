// Explain Plan on a headless editor window against the embedded client: the plan table made ready
// (asked for, created, old rows of the same statement id removed), the EXPLAIN PLAN on the worker, the
// plan read back as the grid reads it, and every way the command can fail leaving the window idle.
#include "ExecWindow.h"
#include "ExplainPlan.h"
#include "IniSettingsKey.h"
#include "RegisteredMessages.h"
#include "SecondSession.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

namespace {

using exectest::Window;
using Texts = std::vector<std::string>;

class ExplainPlanTest : public ::testing::Test {
public:
    static void SetUpTestSuite() { platform::RegisterProgramMessages(); }

    void SetUp() override {
        char pattern[] = "/tmp/quarvel-plan-XXXXXX";
        configDir_ = mkdtemp(pattern);
        setenv("QUARVEL_CONFIG_DIR", configDir_.c_str(), 1);
        Admin("create table t (id number primary key, name varchar2(20))");
        Admin("insert into t values (1, 'a')");
        Admin("commit");
    }
    void TearDown() override {
        window_.reset();
        admin_.reset();
        unsetenv("QUARVEL_CONFIG_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(configDir_, ignored);
    }
    void Admin(const std::string& sql) {
        if (!admin_) {
            admin_ = std::make_unique<DBConnect>();
            admin_->Logon("DEMO", "demo", db_.Path().c_str());
        }
        RunOnSession(*admin_, sql);
    }
    // The number of rows of `table` seen from another session; -1 when the table does not exist.
    int RowsOf(const std::string& table) {
        DBConnect other;
        other.Logon("DEMO", "demo", db_.Path().c_str());
        const std::string sql = "select count(*) from " + table;
        int32_t count = -1;
        DBStmt stmt;
        try {
            stmt.Prepare(&other, sql.c_str());
            stmt.DefineInt(1, &count);
            stmt.Execute();
        } catch (const DBStmt::OtherException&) {
            return -1;
        }
        return count;
    }
    void Open() {
        window_.reset();
        window_ = std::make_unique<Window>(db_.Path());
    }
    exec::Outcome Explain(const std::string& text) {
        window_->windows->outputs.clear();
        const exec::Outcome outcome = exec::ExplainPlan(window_->cx, text, 0);
        window_->cx.run.Wait();
        return outcome;
    }
    Texts& Outputs() { return window_->windows->outputs; }
    exectest::TestHost& Host() { return *window_->host; }
    const exec::PlanRead& Plan() { return window_->windows->plan; }
    exec::Run& RunOf() { return window_->cx.run; }

    TestDatabase db_;
    std::string configDir_;
    std::unique_ptr<DBConnect> admin_;
    std::unique_ptr<Window> window_;
};

TEST_F(ExplainPlanTest, StatementTextsAreBuiltAsTheServerExpectsThem) {
    const std::string create = exec::PlanTableCreateText("PLAN_TABLE");
    EXPECT_EQ(create.rfind("create table PLAN_TABLE (statement_id    varchar2(30),timestamp       date,", 0), 0u);
    EXPECT_NE(create.find("other           long,distribution"), std::string::npos);
    EXPECT_TRUE(create.ends_with("access_predicates varchar2(4000),filter_predicates varchar2(4000))"));
    EXPECT_EQ(exec::PlanStatementText("EPID09122026101500", "PT", "select 1 from dual"),
              "Explain plan set statement_id =  'EPID09122026101500' into PT for select 1 from dual");
    const std::string query = exec::PlanQueryText("PT");
    EXPECT_NE(query.find(" from PT where statement_id = :1 connect by prior id = parent_id and statement_id = :2 "
                         "start with id = 0 and statement_id = :3 "),
              std::string::npos);
    EXPECT_EQ(exec::PlanTableQuestion("PT"), "Explain Plan Table (PT) not exists. Create table?");
}

TEST_F(ExplainPlanTest, DecliningToCreateThePlanTableChangesNothing) {
    Open();
    Host().answerOk = false;
    EXPECT_EQ(Explain("select * from t"), exec::Outcome::NotStarted);
    EXPECT_EQ(Host().questions, Texts{"Explain Plan Table (PLAN_TABLE) not exists. Create table?"});
    EXPECT_EQ(RowsOf("plan_table"), -1);
    EXPECT_TRUE(Outputs().empty());
    EXPECT_EQ(window_->windows->plansShown, 0);
    EXPECT_FALSE(RunOf().IsActive());
    EXPECT_EQ(Host().caretRestored.load(), 1);
    EXPECT_EQ(Host().resultHidden, 1);
}

TEST_F(ExplainPlanTest, AgreedTableIsCreatedAndTheFullScanPlanReadsAsATree) {
    Open();
    ASSERT_EQ(Explain("select *\r\nfrom t"), exec::Outcome::Started);
    EXPECT_EQ(Host().questions.size(), 1u);
    EXPECT_EQ(Outputs(), (Texts{"Explain plan for statement:", "select * \nfrom t", "Statement processed."}));
    ASSERT_TRUE(Plan().ok) << Plan().error;
    ASSERT_EQ(Plan().rows.size(), 2u);
    EXPECT_EQ(Plan().rows[0].id, "0");
    // The root: two blanks for level 1, its cost, then a blank for each of the empty options and name.
    EXPECT_TRUE(std::regex_match(Plan().rows[0].operation, std::regex("  SELECT STATEMENT( Cost = [0-9]+)?  ")))
        << Plan().rows[0].operation;
    EXPECT_EQ(Plan().rows[1].id, "1");
    EXPECT_EQ(Plan().rows[1].operation, "    TABLE ACCESS FULL T");
    EXPECT_EQ(Host().marks, std::vector<int32_t>{0});
    EXPECT_EQ(Host().inputDisabled, 1);
    EXPECT_EQ(Host().caretRestored.load(), 1);
    EXPECT_FALSE(RunOf().IsActive());
    EXPECT_EQ(RunOf().EndedCount(), 1);
    EXPECT_FALSE(window_->cx.state.statement);
    // The second plan needs no question: the table is there now.
    ASSERT_EQ(Explain("select name from t where id = 1"), exec::Outcome::Started);
    EXPECT_EQ(Host().questions.size(), 1u);
    ASSERT_EQ(Plan().rows.size(), 3u);
    EXPECT_EQ(Plan().rows[1].operation, "    TABLE ACCESS BY INDEX ROWID T");
    EXPECT_EQ(Plan().rows[2].operation.rfind("      INDEX UNIQUE SCAN ", 0), 0u) << Plan().rows[2].operation;
}

TEST_F(ExplainPlanTest, TwoPlansInOneSecondShareTheirIdAndTheSecondReplacesTheFirst) {
    Admin(exec::PlanTableCreateText("PLAN_TABLE"));
    Open();
    ASSERT_EQ(Explain("select * from t"), exec::Outcome::Started);
    const std::string first = window_->cx.state.statementId;
    const size_t rows = Plan().rows.size();
    ASSERT_EQ(Explain("select * from t"), exec::Outcome::Started);
    EXPECT_TRUE(Host().questions.empty());
    EXPECT_TRUE(std::regex_match(window_->cx.state.statementId, std::regex("EPID[0-9]{14}")));
    if (window_->cx.state.statementId == first) {
        // The same id: the old rows went before the new plan, so the tree is not doubled.
        EXPECT_EQ(Plan().rows.size(), rows);
    }
}

TEST_F(ExplainPlanTest, TheDeleteOfOldRowsCommitsTheUsersOpenTransaction) {
    Admin(exec::PlanTableCreateText("PLAN_TABLE"));
    Open();
    ASSERT_TRUE(window_->Run("insert into t values (2, 'b')"));
    EXPECT_EQ(RowsOf("t"), 1);
    ASSERT_EQ(Explain("select * from t"), exec::Outcome::Started);
    EXPECT_EQ(RowsOf("t"), 2);
}

TEST_F(ExplainPlanTest, FailuresLeaveTheWindowIdle) {
    Admin(exec::PlanTableCreateText("PLAN_TABLE"));
    Open();
    // Nothing selected.
    EXPECT_EQ(Explain(""), exec::Outcome::NotStarted);
    EXPECT_EQ(Outputs(), Texts{"Error: Select text for processing."});
    // A block cannot be explained: the server's error goes to the output list.
    const exec::Outcome block = Explain("begin null; end;");
    EXPECT_NE(block, exec::Outcome::Refused);
    ASSERT_FALSE(Outputs().empty());
    EXPECT_EQ(Outputs().back().rfind("ORA-", 0), 0u) << Outputs().back();
    EXPECT_EQ(window_->windows->plansShown, 0);
    // A missing table in the explained statement: ORA-00942.
    Explain("select * from no_such_table");
    ASSERT_FALSE(Outputs().empty());
    EXPECT_EQ(Outputs().back().rfind("ORA-00942", 0), 0u) << Outputs().back();
    EXPECT_FALSE(RunOf().IsActive());
    EXPECT_EQ(Host().caretRestored.load(), 3); // one per command
    EXPECT_TRUE(Host().messageTexts.empty());
    // And the window still explains afterwards.
    ASSERT_EQ(Explain("select * from t"), exec::Outcome::Started);
    EXPECT_EQ(Plan().rows.size(), 2u);
}

TEST_F(ExplainPlanTest, ExplainWhileARunIsGoingIsRefused) {
    Admin(exec::PlanTableCreateText("PLAN_TABLE"));
    for (int i = 2; i <= 30; ++i)
        Admin("insert into t values (" + std::to_string(i) + ", 'x')");
    Admin("commit");
    Open();
    exec::Outcome during = exec::Outcome::Started;
    window_->windows->onRow = [&](size_t n) {
        if (n == 2)
            during = exec::ExplainPlan(window_->cx, "select * from t", 0);
    };
    ASSERT_TRUE(window_->Run("select * from t"));
    EXPECT_EQ(during, exec::Outcome::Refused);
    EXPECT_EQ(window_->windows->plansShown, 0);
}

TEST_F(ExplainPlanTest, ATableNameFromTheSettingsIsUsedAsItStands) {
    platform::IniSettingsKey::OpenProgramCreating()->Write("ExplainPlanTableName", "my plans");
    Open();
    const exec::Outcome outcome = Explain("select * from t");
    EXPECT_NE(outcome, exec::Outcome::Started);
    // "my plans" reads as table MY with the alias PLANS: missing, so the question names it unchanged,
    // and the CREATE then fails on the blank.
    ASSERT_EQ(Host().questions.size(), 1u);
    EXPECT_EQ(Host().questions[0], "Explain Plan Table (my plans) not exists. Create table?");
    ASSERT_EQ(Host().messageTexts.size(), 1u);
    EXPECT_EQ(Host().messageTexts[0].rfind("ORA-", 0), 0u) << Host().messageTexts[0];
    EXPECT_FALSE(RunOf().IsActive());
    EXPECT_EQ(RowsOf("my"), -1);
}

TEST_F(ExplainPlanTest, APlanWithoutRootReadsAsNoRows) {
    Admin(exec::PlanTableCreateText("PLAN_TABLE"));
    Admin("insert into plan_table (statement_id, id, parent_id, operation) values ('X', 1, 0, 'TABLE ACCESS')");
    Admin("commit");
    Open();
    window_->cx.state.statementId = "X";
    const exec::PlanRead read = exec::ReadPlan(window_->cx);
    EXPECT_TRUE(read.ok) << read.error;
    EXPECT_TRUE(read.rows.empty());
}

TEST_F(ExplainPlanTest, ClosingTheWindowRightAfterF6NeitherHangsNorCrashes) {
    Admin(exec::PlanTableCreateText("PLAN_TABLE"));
    for (int round = 0; round < 5; ++round) {
        Open();
        exec::ExplainPlan(window_->cx, "select * from t a, t b, t c", 0);
        window_.reset(); // closes while the worker may still run
    }
    Open();
    ASSERT_EQ(Explain("select * from t"), exec::Outcome::Started);
    EXPECT_EQ(Plan().rows.size(), 2u);
}

} // namespace
