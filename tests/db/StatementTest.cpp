// Statement life cycle, kinds, binds, server output, transactions and break of DBStmt.
#include "DbTestSupport.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class Statements : public ::testing::Test {
protected:
    void SetUp() override {
        session = Connect(db);
        ASSERT_TRUE(session->IsConnected());
        Exec(*session, "create table item (id number(10), name varchar2(30), price number(8,2))");
        Exec(*session, "insert into item values (1, 'bolt', 0.5)");
        Exec(*session, "insert into item values (2, 'nut', 1.25)");
        Exec(*session, "insert into item values (3, 'washer', 10)");
        Exec(*session, "commit");
    }
    TestDatabase db;
    std::unique_ptr<DBConnect> session;
};

TEST_F(Statements, FetchOnAFreshStatementExecutesAndDeliversTheFirstRow) {
    DBStmt stmt(session.get(), "select name from item order by id");
    ASSERT_EQ(stmt.Describe(), 1u);
    ColumnSlots slots;
    ASSERT_TRUE(slots.DefineColumn(stmt, 0, stmt.ColumnType(1), stmt.ColumnSize(1)));
    stmt.Fetch();
    EXPECT_EQ(slots.CellText(0), "bolt");
    stmt.Fetch();
    EXPECT_EQ(slots.CellText(0), "nut");
    stmt.Fetch();
    EXPECT_EQ(slots.CellText(0), "washer");
    try {
        stmt.Fetch();
        FAIL() << "expected the end of the rows";
    } catch (const DBStmt::OtherException&) {
        EXPECT_EQ(stmt.ErrorCode(), 1403);
    }
    session->ResetErrorHandle();
    EXPECT_EQ(stmt.RowCount(), 3u);
}

TEST_F(Statements, AQueryWithoutRowsEndsAtTheFirstFetch) {
    DBStmt stmt(session.get(), "select name from item where id > 100");
    stmt.Describe();
    ColumnSlots slots;
    slots.DefineColumn(stmt, 0, stmt.ColumnType(1), stmt.ColumnSize(1));
    try {
        stmt.Fetch();
        FAIL() << "expected no rows";
    } catch (const DBStmt::OtherException&) {
        EXPECT_EQ(stmt.ErrorCode(), 1403);
    }
}

TEST_F(Statements, RowCountsOfDml) {
    DBStmt update(session.get(), "update item set price = price * 2");
    update.Execute();
    EXPECT_EQ(update.RowCount(), 3u);
    DBStmt del(session.get(), "delete from item where id = 2");
    del.Execute();
    EXPECT_EQ(del.RowCount(), 1u);
    DBStmt insert(session.get(), "insert into item select id + 10, name, price from item");
    insert.Execute();
    EXPECT_EQ(insert.RowCount(), 2u);
}

TEST_F(Statements, StatementKindsFollowTheFirstKeyword) {
    struct Case {
        const char* sql;
        StatementKind kind;
    } cases[] = {
        {"select 1 from dual", StatementKind::Select},
        {"  with t as (select 1 a from dual) select a from t", StatementKind::Select},
        {"update item set id = 1", StatementKind::Update},
        {"DELETE from item", StatementKind::Delete},
        {"insert into item values (9, 'x', 1)", StatementKind::Insert},
        {"create table t2 (a number)", StatementKind::Create},
        {"drop table t2", StatementKind::Drop},
        {"alter table item add (note varchar2(10))", StatementKind::Alter},
        {"begin null; end;", StatementKind::Begin},
        {"declare x number; begin null; end;", StatementKind::Declare},
        {"commit", StatementKind::Other},
        {"merge into item using dual on (1 = 0) when not matched then insert (id) values (1)",
         StatementKind::Other},
    };
    for (const auto& c : cases) {
        DBStmt stmt(session.get(), c.sql);
        EXPECT_EQ(stmt.StatementType(), c.kind) << c.sql;
    }
}

TEST_F(Statements, ParseErrorsCarryTheOffsetOfTheOffendingToken) {
    const char* sql = "select name from no_such_table";
    DBStmt stmt(session.get(), sql);
    EXPECT_EQ(stmt.ParseErrorOffset(), 0u); // nothing has failed yet
    EXPECT_THROW(stmt.Describe(), DBStmt::OtherException);
    EXPECT_EQ(stmt.ErrorCode(), 942);
    std::string text = stmt.ErrorText();
    EXPECT_EQ(stmt.ParseErrorOffset(), 17u);
    EXPECT_EQ(stmt.ErrorText(), text); // the probe leaves the statement's own error alone
    session->ResetErrorHandle();

    DBStmt column(session.get(), "select name,\n  bogus from item");
    EXPECT_THROW(column.Describe(), DBStmt::OtherException);
    EXPECT_EQ(column.ErrorCode(), 904);
    EXPECT_EQ(column.ParseErrorOffset(), 15u);
    session->ResetErrorHandle();
}

TEST_F(Statements, ABlockThatCompilesWithErrorsIsNotAFailure) {
    DBStmt stmt(session.get(), "create or replace procedure broken as begin this is not plsql; end;");
    EXPECT_NO_THROW(stmt.Execute());
    EXPECT_EQ(stmt.ErrorCode(), 24344);
    // The benign warning renewed the handle: the next statement starts clean.
    DBStmt next(session.get(), "select 1 from dual");
    EXPECT_NO_THROW(next.Fetch());
}

TEST_F(Statements, ServerOutputRoundTripThroughBinds) {
    Exec(*session, "BEGIN DBMS_OUTPUT.ENABLE(20000); END;");
    Exec(*session, "begin dbms_output.put_line('one'); dbms_output.put_line('two' || 2); "
                  "dbms_output.put_line(''); end;");
    const char* getLine = "BEGIN DBMS_OUTPUT.GET_LINE(line=>:p1, status=>:p2); END;";
    DBStmt stmt(session.get(), getLine);
    char line[256] = {};
    uint16_t length = 0, returnCode = 0;
    int16_t indicator = 0;
    int32_t status = 0;
    stmt.BindString(1, line, sizeof line, &length, &indicator, &returnCode);
    stmt.BindInt(2, &status);
    std::vector<std::string> lines;
    while (status != 1) {
        stmt.Execute();
        if (status != 1)
            lines.emplace_back(line);
        ASSERT_LT(lines.size(), 10u);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two2", ""}));
}

TEST_F(Statements, CommitAndRollbackAsSeenByASecondSession) {
    auto other = Connect(db);
    Exec(*session, "insert into item values (4, 'gear', 3)");
    EXPECT_EQ(Query(*other, "select count(*) from item"), (Rows{{"3"}})); // pending, not visible
    DBStmt txn(session.get(), "select 1 from dual");
    txn.Rollback();
    EXPECT_EQ(Query(*session, "select count(*) from item"), (Rows{{"3"}}));

    Exec(*session, "insert into item values (5, 'cog', 4)");
    txn.Commit();
    EXPECT_EQ(Query(*other, "select count(*) from item"), (Rows{{"4"}}));

    // DDL commits the pending DML first.
    Exec(*session, "delete from item where id = 5");
    Exec(*session, "create table other_table (a number)");
    EXPECT_EQ(Query(*other, "select count(*) from item"), (Rows{{"3"}}));
}

TEST_F(Statements, LogoffWithoutCommitCommits) {
    // Ending a session commits its pending transaction, as the client interface documents.
    Exec(*session, "insert into item values (6, 'pin', 1)");
    session->Logoff();
    auto again = Connect(db);
    EXPECT_EQ(Query(*again, "select count(*) from item"), (Rows{{"4"}}));
}

TEST_F(Statements, BreakFromTheUiThreadEndsALongQueryWithOra01013) {
    const char* sql = "with n(i) as (select 1 from dual union all select i + 1 from n where i < 2000000000) "
                      "select count(*) from n";
    DBStmt stmt(session.get(), sql);
    stmt.Describe();
    ColumnSlots slots;
    slots.DefineColumn(stmt, 0, stmt.ColumnType(1), stmt.ColumnSize(1));
    std::atomic<bool> started{false};
    int32_t code = 0;
    std::thread worker([&] {
        started = true;
        try {
            stmt.Fetch();
        } catch (const DBStmt::OtherException&) {
            code = stmt.ErrorCode();
        }
    });
    while (!started)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    session->Break();
    worker.join();
    EXPECT_EQ(code, 1013);
    EXPECT_NE(std::string(stmt.ErrorText()).find("ORA-01013"), std::string::npos);
    session->ResetErrorHandle();
    // The session works on afterwards.
    EXPECT_EQ(Query(*session, "select 7 from dual"), (Rows{{"7"}}));
}

TEST_F(Statements, ABreakWithNothingRunningLeavesTheNextCallAlone) {
    session->Break();
    EXPECT_EQ(Query(*session, "select count(*) from item"), (Rows{{"3"}}));
}

} // namespace
