// The block runner: DBMS_OUTPUT with OUT binds, compile errors, stored units.
#include <gtest/gtest.h>

#include <cstring>

#include "OciClient.h"

namespace {

class PlsqlTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = MakeDatabase();
        ASSERT_EQ(c_.Logon("DEMO", "demo", path_).code, 0);
    }
    // Reads the lines as the program does: GET_LINE with a 256-byte SQLT_STR and an SQLT_INT status.
    std::vector<std::string> ReadLines() {
        std::vector<std::string> lines;
        Stmt s(c_, "BEGIN DBMS_OUTPUT.GET_LINE(line=>:p1, status=>:p2); END;");
        char line[256];
        ub2 len = 0, rcode = 0;
        sb2 ind = 0;
        int status = 0;
        Oci().BindByPos(s.st, nullptr, c_.err, 1, line, 256, SQLT_STR, &ind, &len, &rcode, 0, nullptr, OCI_DEFAULT);
        Oci().BindByPos(s.st, nullptr, c_.err, 2, &status, 4, SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
        while (status != 1) {
            sword rc = s.Execute();
            EXPECT_TRUE(rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO) << c_.LastError().text;
            if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) break;
            if (status != 1) lines.push_back(line);
            if (lines.size() > 1000) break;
        }
        return lines;
    }
    std::string path_;
    Conn c_;
};

TEST_F(PlsqlTest, ServerOutputRoundTrip) {
    ASSERT_EQ(Exec(c_, "BEGIN DBMS_OUTPUT.ENABLE(20000); END;").code, 0);
    Error e = Exec(c_,
                   "declare\n  n number := 3;\n  s varchar2(20);\nbegin\n"
                   "  for i in 1..n loop\n    dbms_output.put_line('line ' || i);\n  end loop;\n"
                   "  dbms_output.put('a'); dbms_output.put('b'); dbms_output.new_line;\n"
                   "  s := upper('x') || 0.5;\n  if s = 'X.5' then dbms_output.put_line(s); else null; end if;\n"
                   "end;");
    ASSERT_EQ(e.code, 0) << e.text;
    EXPECT_EQ(ReadLines(), (std::vector<std::string>{"line 1", "line 2", "line 3", "ab", "X.5"}));
    EXPECT_TRUE(ReadLines().empty());  // status 1 at once when nothing is left

    // disabled output discards lines
    ASSERT_EQ(Exec(c_, "BEGIN DBMS_OUTPUT.DISABLE; DBMS_OUTPUT.PUT_LINE('lost'); END;").code, 0);
    ASSERT_EQ(Exec(c_, "BEGIN DBMS_OUTPUT.ENABLE; END;").code, 0);
    EXPECT_TRUE(ReadLines().empty());
}

// The SQL of a block is Oracle's SQL as a statement of the session would be: qualified names, LISTAGG,
// NULLs ordered as Oracle orders them, CHAR padding.
TEST_F(PlsqlTest, SqlInsideBlocksReadsAsTheSessionsSqlDoes) {
    ASSERT_EQ(Exec(c_, "create table crew (name varchar2(10), rank number)").code, 0);
    ASSERT_EQ(Exec(c_, "insert into crew values ('Ada', 2)").code, 0);
    ASSERT_EQ(Exec(c_, "insert into crew values ('Bo', null)").code, 0);
    ASSERT_EQ(Exec(c_, "insert into crew values ('Cy', 1)").code, 0);
    ASSERT_EQ(Exec(c_, "BEGIN DBMS_OUTPUT.ENABLE(20000); END;").code, 0);
    Error e = Exec(c_,
                   "declare\n  v varchar2(100);\nbegin\n"
                   "  select listagg(name, ',') within group (order by rank) into v from demo.crew;\n"
                   "  dbms_output.put_line(v);\n"
                   "  for r in (select name from crew order by rank desc) loop dbms_output.put_line(r.name); end loop;\n"
                   "  select '[' || cast('ab' as char(4)) || ']' into v from dual;\n"
                   "  dbms_output.put_line(v);\n"
                   "end;");
    ASSERT_EQ(e.code, 0) << e.text;
    EXPECT_EQ(ReadLines(), (std::vector<std::string>{"Cy,Ada,Bo", "Bo", "Ada", "Cy", "[ab  ]"}));
}

TEST_F(PlsqlTest, OutputBufferOverflowIsOraclesError) {
    ASSERT_EQ(Exec(c_, "BEGIN DBMS_OUTPUT.ENABLE(2000); END;").code, 0);
    Error e = Exec(c_, "begin\n  for i in 1..100 loop\n    dbms_output.put_line(rpad('x', 50, 'x'));\n  end loop;\nend;");
    EXPECT_EQ(e.code, 20000);
    EXPECT_EQ(e.text.substr(0, e.text.find('\n')), "ORA-20000: ORU-10027: buffer overflow, limit of 2000 bytes");
    EXPECT_NE(e.text.find("ORA-06512: at line 3"), std::string::npos);
}

TEST_F(PlsqlTest, LongLinesArriveTruncatedWithAWarningInsteadOfFailing) {
    ASSERT_EQ(Exec(c_, "BEGIN DBMS_OUTPUT.ENABLE(NULL); DBMS_OUTPUT.PUT_LINE(rpad('y', 300, 'y')); END;").code, 0);
    auto lines = ReadLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string(255, 'y'));
}

TEST_F(PlsqlTest, OutBindsAndBlockDml) {
    ASSERT_EQ(Exec(c_, "create table acc (id number, bal number)").code, 0);
    Stmt s(c_, "declare v number; begin insert into acc values (:id, 100); update acc set bal = bal + :id where id = :id;"
               " select bal into v from acc where id = :id; :out := 'balance ' || v; end;");
    int id = 7;
    char out[32];
    sb2 ind = 0;
    ub2 len = 0;
    Oci().BindByPos(s.st, nullptr, c_.err, 1, &id, 4, SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    Oci().BindByPos(s.st, nullptr, c_.err, 2, out, 32, SQLT_STR, &ind, &len, nullptr, 0, nullptr, OCI_DEFAULT);
    ASSERT_EQ(s.Execute(), OCI_SUCCESS) << c_.LastError().text;
    EXPECT_STREQ(out, "balance 107");
    EXPECT_EQ(ind, 0);
    // a failing block leaves none of its changes behind
    Error e = Exec(c_, "begin insert into acc values (8, 1); insert into nowhere values (1); end;");
    EXPECT_EQ(e.code, 6550);
    e = Exec(c_, "begin insert into acc values (8, 1); raise_application_error(-20001, 'stop here'); end;");
    EXPECT_EQ(e.code, 20001);
    EXPECT_EQ(e.text.substr(0, e.text.find('\n')), "ORA-20001: stop here");
    EXPECT_EQ(Scalar(c_, "select count(*) from acc"), "1");
    e = Exec(c_, "begin select bal into :x from acc where id = 99; exception when no_data_found then :x := -1; end;");
    EXPECT_EQ(e.code, 1008);
}

TEST_F(PlsqlTest, WhatTheRunnerCannotRunFailsWith6550) {
    Error e = Exec(c_, "begin\n  null;\n  foo;\nend;");
    EXPECT_EQ(e.code, 6550);
    EXPECT_EQ(e.text, "ORA-06550: line 3, column 3:\nPLS-00201: identifier 'FOO' must be declared\n"
                      "ORA-06550: line 3, column 3:\nPL/SQL: Statement ignored");
    e = Exec(c_, "BEGIN dbms_output.put_line(undefined_var); END;");
    EXPECT_EQ(e.code, 6550);
    EXPECT_EQ(e.text, "ORA-06550: line 1, column 28:\nPLS-00201: identifier 'UNDEFINED_VAR' must be declared\n"
                      "ORA-06550: line 1, column 7:\nPL/SQL: Statement ignored");
    e = Exec(c_, "begin dbms_output.shout('x'); end;");
    EXPECT_NE(e.text.find("PLS-00302: component 'SHOUT' must be declared"), std::string::npos);
    e = Exec(c_, "begin null end;");
    EXPECT_EQ(e.code, 6550);
    EXPECT_NE(e.text.find("PLS-00103"), std::string::npos);
}

TEST_F(PlsqlTest, StoredUnitsAreKeptAndCompileErrorsAreWarnings) {
    Stmt good(c_, "create or replace procedure greet is\nbegin\n  dbms_output.put_line('hi');\nend;");
    EXPECT_EQ(good.Type(), OCI_STMT_CREATE);
    EXPECT_EQ(good.Execute(), OCI_SUCCESS) << c_.LastError().text;
    Stmt bad(c_, "create or replace procedure broken is\nbegin\n  no_such_thing;\nend;");
    EXPECT_EQ(bad.Execute(), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(c_.LastError().code, 24344);
    EXPECT_EQ(c_.LastError().text, "ORA-24344: success with compilation error");
    // every kind of unit is checked, and one that does not compile fails when it is used
    Stmt badFn(c_, "create or replace function bad_fn return number is begin return nothing_here; end;");
    EXPECT_EQ(badFn.Execute(), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(c_.LastError().code, 24344);
    Stmt badPkg(c_, "create or replace package bad_pkg as x no_such_type; end;");
    EXPECT_EQ(badPkg.Execute(), OCI_SUCCESS_WITH_INFO);
    Error e;
    Query(c_, "select bad_fn() from dual", &e);
    EXPECT_EQ(e.text.substr(0, e.text.find('\n')), "ORA-06575: Package or function BAD_FN is in an invalid state");
    Stmt again(c_, "create procedure greet is begin null; end;");
    EXPECT_EQ(again.Execute(), OCI_ERROR);
    EXPECT_EQ(c_.LastError().code, 955);
}

}  // namespace
