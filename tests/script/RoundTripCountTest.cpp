// The round trips the program pays to its server, counted by the embedded client as a server counts
// them (V$MYSTAT, 'SQL*Net roundtrips to/from client'): F9 and its first batch, Next Row after it,
// Last Row of 100,000 rows, a script of 100 statements, Explain Plan and server output. The expected
// counts follow the client interface's prefetch rule (a round trip brings the rows asked for plus the
// prefetch; the fetch after the buffered rows travels again; a short answer tells the end) applied to
// the prefetch sizes the program sets.
#include "DBStmt.h"
#include "ExecRules.h"
#include "ExecWindow.h"
#include "ExplainPlan.h"
#include "ScriptRun.h"
#include "ScriptSplitter.h"
#include "SecondSession.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

class RoundTripCountTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platform::RegisterProgramMessages(); }
    void SetUp() override {
        char pattern[] = "/tmp/quarvel-rtt-XXXXXX";
        configDir_ = mkdtemp(pattern);
        setenv("QUARVEL_CONFIG_DIR", configDir_.c_str(), 1);
        admin_.Logon("DEMO", "demo", db_.Path().c_str());
        RunOnSession(admin_, "create table t (id number, name varchar2(20))");
        RunOnSession(admin_, "create table u (id number)");
        RunOnSession(admin_, "begin for i in 1 .. 100 loop insert into t values (i, 'n' || i); end loop; "
                             "for i in 1 .. 10 loop insert into u values (i); end loop; end;");
        RunOnSession(admin_, "commit");
        window_ = std::make_unique<exectest::Window>(db_.Path());
        const long first = Count();
        overhead_ = Count() - first;
    }
    void TearDown() override {
        window_.reset();
        unsetenv("QUARVEL_CONFIG_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(configDir_, ignored);
    }
    // The window's own session's count (reading it travels too; `overhead_` is what one read costs).
    long Count() { return RoundTripsOf(window_->session); }
    template <class F>
    long Paid(F action) {
        const long before = Count();
        action();
        return Count() - before - overhead_;
    }
    // Round trips for fetching `rows` more rows one at a time from the position `delivered`, the
    // client holding rows up to `covered`, each round trip bringing one row plus `prefetch`; `end`
    // adds the fetch that finds no more rows.
    static long FetchTrips(long delivered, long& covered, long rows, long prefetch, bool end) {
        long trips = 0;
        const long last = delivered + rows + (end ? 1 : 0);
        for (long next = delivered + 1; next <= last; ++next) {
            if (next > covered) {
                ++trips;
                covered = next + prefetch;
            }
        }
        return trips;
    }

    TestDatabase db_;
    std::string configDir_;
    DBConnect admin_;
    std::unique_ptr<exectest::Window> window_;
    long overhead_ = 0;
};

TEST_F(RoundTripCountTest, TheFirstBatchTravelsWithItsExecuteAndNextRowIsAlreadyThere) {
    const int batch = window_->cx.settings.firstFetchCount; // 50 by default
    ASSERT_EQ(batch, 50);
    // 60 rows: the describe, then the execute that brings the batch and its prefetch.
    EXPECT_EQ(Paid([&] { ASSERT_TRUE(window_->Run("select id, name from t where id <= 60 order by id")); }), 2);
    EXPECT_EQ(window_->windows->rows.size(), 50u);
    EXPECT_EQ(Paid([&] { ASSERT_TRUE(window_->Batch(1)); }), 0);
    EXPECT_EQ(window_->windows->rows.size(), 51u);
    EXPECT_EQ(window_->windows->rows.back()[0], "51");
}

TEST_F(RoundTripCountTest, LastRowOf100000RowsTakesAFewDozenRoundTrips) {
    const long n = 100000;
    ASSERT_TRUE(window_->Run("select a.id, b.id, c.id from t a, t b, u c"));
    const exec::Prefetch first = exec::PrefetchForBatch(50), all = exec::PrefetchForBatch(exec::kAllRows);
    long covered = 1 + first.rows;
    const long paid = Paid([&] { ASSERT_TRUE(window_->Batch(exec::kAllRows, false)); });
    ASSERT_EQ(window_->windows->rows.size(), static_cast<size_t>(n));
    const long expected = FetchTrips(50, covered, n - 50, all.rows, true);
    EXPECT_EQ(paid, expected);
    EXPECT_LE(paid, 25); // against 99,951 without prefetch
    EXPECT_EQ(window_->windows->outputs.back(), "Statement processed. 100000 Row(s) selected.");
}

TEST_F(RoundTripCountTest, PrefetchKeepsTheRowsAndTheirOrderAcrossBatchesAndCancel) {
    ASSERT_TRUE(window_->Run("select a.id, b.name from t a, t b where a.id <= 30 order by b.id, a.id desc"));
    window_->windows->onRow = [&](size_t shown) {
        if (shown == 1234)
            window_->cx.run.Cancel();
    };
    ASSERT_TRUE(window_->Batch(exec::kAllRows, false));
    window_->windows->onRow = nullptr;
    ASSERT_EQ(window_->windows->rows.size(), 1234u);
    ASSERT_TRUE(window_->Batch(1));
    ASSERT_TRUE(window_->Batch(exec::kAllRows, false));
    const auto rows = window_->windows->rows;
    ASSERT_EQ(rows.size(), 3000u);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int b = static_cast<int>(i / 30) + 1, a = 30 - static_cast<int>(i % 30);
        ASSERT_EQ(rows[i], (std::vector<std::string>{std::to_string(a), "n" + std::to_string(b)})) << i;
    }
}

TEST_F(RoundTripCountTest, AScriptPaysOneRoundTripAStatement) {
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "insert into u values (" + std::to_string(100 + i) + ");\n";
    const long paid = Paid([&] {
        ASSERT_EQ(script::ExecuteScript(window_->cx, text, 0, script::LoadMorvexSplitter), exec::Outcome::Started);
        window_->cx.run.Wait();
    });
    EXPECT_EQ(window_->windows->outputs.back(), "Statement processed.");
    EXPECT_EQ(paid, 100);
}

TEST_F(RoundTripCountTest, ExplainPlanPaysForEachOfItsSteps) {
    RunOnSession(admin_, exec::PlanTableCreateText("PLAN_TABLE"));
    const long paid = Paid([&] {
        ASSERT_EQ(exec::ExplainPlan(window_->cx, "select * from t where id = 5", 0), exec::Outcome::Started);
        window_->cx.run.Wait();
    });
    ASSERT_TRUE(window_->windows->plan.ok);
    // The statement id, the probe, the delete and its commit, the EXPLAIN PLAN, and the plan query
    // (its rows come with its execute; the end with them).
    EXPECT_EQ(paid, 6);
}

TEST_F(RoundTripCountTest, ServerOutputOfAThousandLines) {
    window_->Session(exec::SessionCommand::ServerOutput);
    const long paid = Paid([&] {
        ASSERT_TRUE(window_->Run("begin for i in 1 .. 1000 loop dbms_output.put_line('line ' || i); end loop; end;"));
    });
    ASSERT_EQ(window_->cx.state.serverOutputLines.size(), 1000u);
    EXPECT_EQ(window_->cx.state.serverOutputLines[999], "line 1000");
    // Enabling DBMS_OUTPUT, the block, then the lines read in chunks of many lines a round trip.
    EXPECT_LE(paid, 2 + 3);
}

TEST_F(RoundTripCountTest, ServerOutputLinesOfEveryShapeArriveWhole) {
    window_->cx.settings.dbmsOutputBufferSize = 1000000; // the lines below are more than the default holds
    window_->Session(exec::SessionCommand::ServerOutput);
    ASSERT_TRUE(window_->Run("begin dbms_output.put_line('12:34 a: b'); dbms_output.put_line(''); "
                             "dbms_output.put_line('\xc3\xa4\xe2\x82\xac:' || chr(10) || 'x'); "
                             "dbms_output.put_line(rpad('w', 31990, 'z')); dbms_output.put_line(rpad('v', 32767, 'y')); "
                             "dbms_output.put_line('last'); end;"));
    const std::vector<std::string>& lines = window_->cx.state.serverOutputLines;
    ASSERT_EQ(lines.size(), 6u) << window_->windows->outputs.back();
    EXPECT_EQ(lines[0], "12:34 a: b");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "\xc3\xa4\xe2\x82\xac:\nx");
    EXPECT_EQ(lines[3], "w" + std::string(31989, 'z'));
    EXPECT_EQ(lines[4], "v" + std::string(32766, 'y'));
    EXPECT_EQ(lines[5], "last");
}

} // namespace
