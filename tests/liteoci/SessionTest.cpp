// Transactions across two sessions, the busy error and the break of a running call.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "OciClient.h"

namespace {

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = MakeDatabase();
        ASSERT_EQ(a_.Logon("DEMO", "demo", path_).code, 0);
        ASSERT_EQ(b_.Logon("DEMO", "demo", path_).code, 0);
        ASSERT_EQ(Exec(a_, "create table t (id number)").code, 0);
    }
    std::string path_;
    Conn a_, b_;
};

TEST_F(SessionTest, PendingChangesAreInvisibleUntilCommitAndRollbackUndoes) {
    ASSERT_EQ(Exec(a_, "insert into t values (1)").code, 0);
    EXPECT_EQ(Scalar(a_, "select count(*) from t"), "1");
    EXPECT_EQ(Scalar(b_, "select count(*) from t"), "0");
    ASSERT_EQ(Oci().TransCommit(a_.svc, a_.err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(Scalar(b_, "select count(*) from t"), "1");

    ASSERT_EQ(Exec(a_, "delete from t").code, 0);
    ASSERT_EQ(Oci().TransRollback(a_.svc, a_.err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(Scalar(a_, "select count(*) from t"), "1");

    ASSERT_EQ(Exec(a_, "update t set id = 2").code, 0);
    ASSERT_EQ(Exec(a_, "rollback").code, 0);
    EXPECT_EQ(Scalar(a_, "select id from t"), "1");
}

TEST_F(SessionTest, DdlCommitsAndSessionEndCommits) {
    ASSERT_EQ(Exec(a_, "insert into t values (5)").code, 0);
    ASSERT_EQ(Exec(a_, "create table u (x number)").code, 0);
    EXPECT_EQ(Scalar(b_, "select count(*) from t"), "1");

    // Ending a session commits its pending transaction, as the client interface documents.
    ASSERT_EQ(Exec(a_, "insert into t values (6)").code, 0);
    a_.Logoff();
    EXPECT_EQ(Scalar(b_, "select count(*) from t"), "2");
}

TEST_F(SessionTest, BlockedDmlFailsWithResourceBusy) {
    ASSERT_EQ(Exec(a_, "insert into t values (1)").code, 0);
    auto start = std::chrono::steady_clock::now();
    Error e = Exec(b_, "insert into t values (2)");
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(e.code, 54);
    EXPECT_EQ(e.text, "ORA-00054: resource busy and acquire with NOWAIT specified or timeout expired");
    EXPECT_LT(waited, 10.0);
    ASSERT_EQ(Exec(a_, "commit").code, 0);
    EXPECT_EQ(Exec(b_, "insert into t values (2)").code, 0);
    EXPECT_EQ(Exec(b_, "commit").code, 0);
}

TEST_F(SessionTest, BreakCancelsALongQueryAndTheSessionWorksAfterwards) {
    // A break with no call running is dropped.
    OCIError* breakErr = nullptr;
    Oci().HandleAlloc(a_.env, reinterpret_cast<void**>(&breakErr), OCI_HTYPE_ERROR, 0, nullptr);
    EXPECT_EQ(Oci().Break(a_.svc, breakErr), OCI_SUCCESS);
    EXPECT_EQ(Scalar(a_, "select count(*) from t"), "0");

    Stmt s(a_, "with n(i) as (select 1 from dual union all select i + 1 from n where i < 2000000000) "
               "select count(*) from n");
    s.DefineAllChars(s.Describe());
    std::atomic<bool> done{false};
    sword rc = OCI_SUCCESS;
    std::thread worker([&] {
        rc = s.Execute();
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(done.load());
    EXPECT_EQ(Oci().Break(a_.svc, breakErr), OCI_SUCCESS);
    worker.join();
    EXPECT_EQ(rc, OCI_ERROR);
    Error e = a_.LastError();
    EXPECT_EQ(e.code, 1013);
    EXPECT_EQ(e.text, "ORA-01013: user requested cancel of current operation");
    Oci().HandleFree(breakErr, OCI_HTYPE_ERROR);

    EXPECT_EQ(Scalar(a_, "select count(*) from t"), "0");

    // a block looping forever is cancelled too
    Stmt loop(a_, "begin loop null; end loop; end;");
    std::thread w2([&] { rc = loop.Execute(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Oci().HandleAlloc(a_.env, reinterpret_cast<void**>(&breakErr), OCI_HTYPE_ERROR, 0, nullptr);
    Oci().Break(a_.svc, breakErr);
    w2.join();
    EXPECT_EQ(a_.LastError().code, 1013);
    Oci().HandleFree(breakErr, OCI_HTYPE_ERROR);
    EXPECT_EQ(Exec(a_, "insert into t values (3)").code, 0);
}

}  // namespace
