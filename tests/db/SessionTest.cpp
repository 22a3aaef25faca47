// Logon, logoff and error records of DBConnect against the embedded client.
#include "DbTestSupport.h"

#include <cstring>

namespace {

TEST(Session, LogonSucceedsAndLeavesNoErrorRecord) {
    TestDatabase db;
    DBConnect session;
    session.Logon("demo", "demo", db.Path().c_str()); // unquoted names compare case-insensitively
    EXPECT_EQ(session.IsConnected(), 1);
    EXPECT_EQ(session.ErrorCode(), 0);
    EXPECT_STREQ(session.ErrorText(), "");
    session.Logoff();
    EXPECT_EQ(session.IsConnected(), 0);
}

TEST(Session, MissingLibraryIsReportedWithTheFileTried) {
    setenv("QUARVEL_OCI_LIBRARY", "/nonexistent/libnothing.so", 1);
    DBConnect session;
    EXPECT_THROW(session.Logon("DEMO", "demo", "x.db"), DBConnect::OtherException);
    EXPECT_STREQ(session.ErrorText(), "Can't load /nonexistent/libnothing.so");
    EXPECT_EQ(session.IsConnected(), 0);
    EXPECT_EQ(session.UserName(), nullptr); // nothing copied before the library loaded

    // A statement on a session without a library refuses with the same words.
    DBStmt stmt;
    EXPECT_THROW(stmt.Prepare(&session, "select 1 from dual"), DBStmt::OtherException);
    EXPECT_STREQ(stmt.ErrorText(), "Can't load /nonexistent/libnothing.so");
    unsetenv("QUARVEL_OCI_LIBRARY");
}

TEST(Session, AnEmptyLibraryVariableIsNamedInTheMessage) {
    setenv("QUARVEL_OCI_LIBRARY", "", 1);
    DBConnect session;
    EXPECT_THROW(session.Logon("DEMO", "demo", "x.db"), DBConnect::OtherException);
    EXPECT_STREQ(session.ErrorText(), "Can't load the client library: QUARVEL_OCI_LIBRARY is set but empty (unset it, "
                                      "or set it to the library's file)");
    EXPECT_FALSE(session.IsLibraryLoaded());
    DBStmt stmt;
    EXPECT_THROW(stmt.Prepare(&session, "select 1 from dual"), DBStmt::OtherException);
    EXPECT_STREQ(stmt.ErrorText(), session.ErrorText());
    unsetenv("QUARVEL_OCI_LIBRARY");
}

TEST(Session, LibraryWithoutTheEntryPointsCountsAsMissing) {
    setenv("QUARVEL_OCI_LIBRARY", PARTIAL_CLIENT_LIBRARY, 1);
    DBConnect session;
    EXPECT_THROW(session.Logon("DEMO", "demo", "x.db"), DBConnect::OtherException);
    EXPECT_EQ(std::string(session.ErrorText()), std::string("Can't load ") + PARTIAL_CLIENT_LIBRARY);
    EXPECT_FALSE(session.IsLibraryLoaded());
    unsetenv("QUARVEL_OCI_LIBRARY");
}

TEST(Session, LogoffOnANeverLoadedObjectOnlyClearsTheFlag) {
    DBConnect session;
    session.Logoff();
    EXPECT_EQ(session.IsConnected(), 0);
    EXPECT_EQ(session.ErrorCode(), 0);
    EXPECT_STREQ(session.ErrorText(), "");
}

TEST(Session, ServerErrorsOfTheLogonPath) {
    TestDatabase db;
    {
        DBConnect session;
        EXPECT_THROW(session.Logon("DEMO", "wrong", db.Path().c_str()), DBConnect::OtherException);
        EXPECT_EQ(session.ErrorCode(), 1017);
        EXPECT_EQ(std::string(session.ErrorText()).rfind("ORA-01017: invalid username/password; logon denied", 0),
                  0u);
        EXPECT_EQ(session.IsConnected(), 0);
        // The connect dialog offers the same object again; the right password then works.
        session.Logon("DEMO", "demo", db.Path().c_str());
        EXPECT_EQ(session.IsConnected(), 1);
        EXPECT_EQ(session.ErrorCode(), 0);
    }
    {
        DBConnect session;
        EXPECT_THROW(session.Logon("NOBODY", "demo", db.Path().c_str()), DBConnect::OtherException);
        EXPECT_EQ(session.ErrorCode(), 1017);
    }
    {
        DBConnect session;
        std::string missing = db.Dir() + "/missing.db";
        EXPECT_THROW(session.Logon("DEMO", "demo", missing.c_str()), DBConnect::OtherException);
        EXPECT_EQ(session.ErrorCode(), 12154);
    }
    {
        DBConnect session;
        EXPECT_THROW(session.LogonSysdba("DEMO", "demo", db.Path().c_str()), DBConnect::OtherException);
        EXPECT_EQ(session.ErrorCode(), 1031);
        EXPECT_EQ(session.IsConnected(), 0);
    }
    {
        DBConnect session;
        session.LogonSysdba("SYS", "sys", db.Path().c_str());
        EXPECT_EQ(session.IsConnected(), 1);
    }
}

TEST(Session, TwoSessionsOnOneFileWorkSideBySide) {
    TestDatabase db;
    auto first = Connect(db);
    auto second = Connect(db);
    ASSERT_TRUE(first->IsConnected() && second->IsConnected());
    EXPECT_EQ(Query(*first, "select 1 from dual"), (Rows{{"1"}}));
    EXPECT_EQ(Query(*second, "select 2 from dual"), (Rows{{"2"}}));
}

} // namespace
