// Logon paths, error records and handle checks.
#include <gtest/gtest.h>

#include <cstring>

#include "OciClient.h"

namespace {

class LogonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { path_ = new std::string(MakeDatabase()); }
    static void TearDownTestSuite() { delete path_; }
    static std::string* path_;
};
std::string* LogonTest::path_ = nullptr;

TEST_F(LogonTest, SucceedsAndComparesUnquotedUserNamesCaseInsensitively) {
    Conn c;
    Error e = c.Logon("demo", "demo", *path_);
    EXPECT_EQ(e.code, 0) << e.text;
    EXPECT_EQ(Scalar(c, "select user from dual"), "DEMO");
    Conn quoted;
    EXPECT_EQ(quoted.Logon("\"DEMO\"", "demo", *path_).code, 0);
    Conn wrongCase;
    EXPECT_EQ(wrongCase.Logon("\"demo\"", "demo", *path_).code, 1017);
}

TEST_F(LogonTest, FailuresCarryTheServerErrors) {
    Conn missing;
    Error e = missing.Logon("DEMO", "demo", *path_ + ".nothere");
    EXPECT_EQ(e.code, 12154);
    EXPECT_EQ(e.text, "ORA-12154: TNS:could not resolve the connect identifier specified");

    Conn wrong;
    e = wrong.Logon("DEMO", "Demo", *path_);  // passwords are case-sensitive
    EXPECT_EQ(e.code, 1017);
    EXPECT_EQ(e.text, "ORA-01017: invalid username/password; logon denied");

    Conn unknown;
    EXPECT_EQ(unknown.Logon("NOBODY", "demo", *path_).code, 1017);

    Conn sysdba;
    e = sysdba.Logon("DEMO", "demo", *path_, true);
    EXPECT_EQ(e.code, 1031);
    EXPECT_EQ(e.text, "ORA-01031: insufficient privileges");

    Conn sys;
    EXPECT_EQ(sys.Logon("sys", "sys", *path_, true).code, 0);
}

TEST_F(LogonTest, ErrorRecordsAreClearedByEachCallAndBounded) {
    Conn c;
    ASSERT_EQ(c.Logon("DEMO", "demo", *path_).code, 0);
    {
        Stmt s(c, "select * from no_such_table");
        EXPECT_EQ(s.Execute(), OCI_ERROR);
        EXPECT_EQ(c.LastError().code, 942);
        // a bounded buffer: never written past bufsiz, always NUL-terminated
        char buf[12];
        std::memset(buf, 'x', sizeof buf);
        sb4 code = 0;
        EXPECT_EQ(Oci().ErrorGet(c.err, 1, nullptr, &code, reinterpret_cast<OraText*>(buf), 10, OCI_HTYPE_ERROR), OCI_SUCCESS);
        EXPECT_EQ(code, 942);
        EXPECT_STREQ(buf, "ORA-00942");
        EXPECT_EQ(buf[10], 'x');
        EXPECT_EQ(buf[11], 'x');
        // the next call that takes the error handle clears it
        ub2 type = 0;
        EXPECT_EQ(Oci().AttrGet(s.st, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, c.err), OCI_SUCCESS);
    }
    char buf[64] = "stale";
    sb4 code = 77;
    EXPECT_EQ(Oci().ErrorGet(c.err, 1, nullptr, &code, reinterpret_cast<OraText*>(buf), sizeof buf, OCI_HTYPE_ERROR),
              OCI_NO_DATA);
    EXPECT_EQ(code, 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(Oci().ErrorGet(c.err, 2, nullptr, &code, reinterpret_cast<OraText*>(buf), sizeof buf, OCI_HTYPE_ERROR),
              OCI_NO_DATA);
}

TEST_F(LogonTest, InvalidHandlesAreRefusedWithoutCrashing) {
    const Api& o = Oci();
    Conn c;
    ASSERT_EQ(c.Logon("DEMO", "demo", *path_).code, 0);
    int notAHandle[8] = {0};
    void* h = nullptr;
    EXPECT_EQ(o.HandleAlloc(nullptr, &h, OCI_HTYPE_ERROR, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(o.HandleAlloc(notAHandle, &h, OCI_HTYPE_ERROR, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(o.HandleFree(nullptr, OCI_HTYPE_STMT), OCI_INVALID_HANDLE);
    EXPECT_EQ(o.HandleFree(c.err, OCI_HTYPE_STMT), OCI_INVALID_HANDLE);  // wrong type
    EXPECT_EQ(o.StmtExecute(c.svc, nullptr, c.err, 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_INVALID_HANDLE);
    EXPECT_EQ(o.StmtExecute(c.svc, reinterpret_cast<OCIStmt*>(c.err), c.err, 1, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_INVALID_HANDLE);
    EXPECT_EQ(o.StmtFetch(reinterpret_cast<OCIStmt*>(notAHandle), c.err, 1, OCI_FETCH_NEXT, 0), OCI_INVALID_HANDLE);
    EXPECT_EQ(o.ErrorGet(nullptr, 1, nullptr, nullptr, nullptr, 0, OCI_HTYPE_ERROR), OCI_INVALID_HANDLE);
    EXPECT_EQ(o.Break(nullptr, c.err), OCI_INVALID_HANDLE);
    EXPECT_EQ(o.Break(c.svc, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(o.AttrGet(c.svc, OCI_HTYPE_STMT, &h, nullptr, OCI_ATTR_ROW_COUNT, c.err), OCI_INVALID_HANDLE);
    EXPECT_EQ(o.TransCommit(c.svc, reinterpret_cast<OCIError*>(c.svc), 0), OCI_INVALID_HANDLE);
    sword major = 0, minor = 0, u = 0, p = 0, pu = 0;
    o.ClientVersion(&major, &minor, &u, &p, &pu);
    EXPECT_GT(major, 0);
}

}  // namespace
