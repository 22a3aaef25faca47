// Triggers and the dictionary of stored units, as Oracle's PL/SQL Language Reference and Database
// Reference describe them: firing order, pseudorecords, conditional predicates, the error stack of
// a failing trigger and the statement it undoes, the mutating-table rule, enable/disable/drop,
// USER_SOURCE, USER_ERRORS, USER_TRIGGERS; and functions called from SQL.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "OciClient.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string Up(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

class PlsqlTriggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(c_.Logon("DEMO", "demo", MakeDatabase()).code, 0);
        ASSERT_EQ(Exec(c_, "BEGIN DBMS_OUTPUT.ENABLE(NULL); END;").code, 0);
        Run("create table emp (empno number(4) primary key, ename varchar2(10), sal number(7,2), deptno number(2))");
        Run("insert into emp values (7839, 'KING', 5000, 10)");
        Run("insert into emp values (7782, 'CLARK', 2450, 10)");
        Run("insert into emp values (7369, 'SMITH', 800, 20)");
        Run("commit");
    }
    void Run(const std::string& sql, int expected = 0) {
        Error e = Exec(c_, sql);
        ASSERT_EQ(e.code, expected) << sql << ": " << e.text;
    }
    std::vector<std::string> Output() {
        std::vector<std::string> lines;
        Stmt s(c_, "BEGIN DBMS_OUTPUT.GET_LINE(:l, :s); END;");
        char line[4000];
        sb2 ind = 0;
        int status = 0;
        Oci().BindByPos(s.st, nullptr, c_.err, 1, line, sizeof line, SQLT_STR, &ind, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
        Oci().BindByPos(s.st, nullptr, c_.err, 2, &status, 4, SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
        while (lines.size() < 1000) {
            sword rc = s.Execute();
            if ((rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) || status == 1) break;
            lines.push_back(ind == -1 ? std::string() : std::string(line));
        }
        return lines;
    }
    Conn c_;
};

TEST_F(PlsqlTriggerTest, StatementAndRowTriggersFireInOraclesOrder) {
    // before statement, then for each row its before and after row triggers, then after statement
    Run("CREATE TRIGGER bs BEFORE UPDATE ON emp BEGIN DBMS_OUTPUT.PUT_LINE('before statement'); END;");
    Run("CREATE TRIGGER br BEFORE UPDATE ON emp FOR EACH ROW BEGIN DBMS_OUTPUT.PUT_LINE('before row ' || :OLD.ename); END;");
    Run("CREATE TRIGGER ar AFTER UPDATE ON emp FOR EACH ROW BEGIN DBMS_OUTPUT.PUT_LINE('after row ' || :NEW.ename); END;");
    Run("CREATE TRIGGER as_ AFTER UPDATE ON emp BEGIN DBMS_OUTPUT.PUT_LINE('after statement'); END;");
    Output();
    Stmt s(c_, "UPDATE emp SET ename = LOWER(ename) WHERE deptno = 10");
    ASSERT_EQ(s.Execute(), OCI_SUCCESS) << s.LastError().text;
    EXPECT_EQ(s.RowCount(), 2u);
    std::vector<std::string> out = Output();
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[0], "before statement");
    EXPECT_EQ(out[5], "after statement");
    // the rows may come in any order, but each row's pair is together
    EXPECT_EQ(out[1].substr(0, 11), "before row ");
    EXPECT_EQ(out[2].substr(0, 10), "after row ");
    EXPECT_EQ(Up(out[1].substr(11)), Up(out[2].substr(10)));
    EXPECT_EQ(Up(out[3].substr(11)), Up(out[4].substr(10)));
    EXPECT_NE(Up(out[1]), Up(out[3]));

    // a statement trigger fires even when no row is affected; a row trigger does not
    Stmt none(c_, "UPDATE emp SET sal = 0 WHERE deptno = 99");
    ASSERT_EQ(none.Execute(), OCI_SUCCESS);
    EXPECT_EQ(none.RowCount(), 0u);
    EXPECT_EQ(Output(), (std::vector<std::string>{"before statement", "after statement"}));
}

TEST_F(PlsqlTriggerTest, PseudorecordsHoldTheOldAndNewValuesOfEachStatement) {
    Run("CREATE TRIGGER show BEFORE INSERT OR UPDATE OR DELETE ON emp FOR EACH ROW BEGIN\n"
        "  DBMS_OUTPUT.PUT_LINE(NVL(TO_CHAR(:OLD.sal), 'null') || ' -> ' || NVL(TO_CHAR(:NEW.sal), 'null'));\nEND;");
    Output();
    Run("INSERT INTO emp (empno, ename, sal) VALUES (1, 'NEW', 100)");
    Run("UPDATE emp SET sal = sal * 2 WHERE empno = 1");
    Run("DELETE FROM emp WHERE empno = 1");
    // INSERT: OLD fields are NULL; DELETE: NEW fields are NULL
    EXPECT_EQ(Output(), (std::vector<std::string>{"null -> 100", "100 -> 200", "200 -> null"}));
}

TEST_F(PlsqlTriggerTest, BeforeRowTriggerChangesTheRowWritten) {
    Run("create sequence emp_seq start with 9000");
    Run("CREATE OR REPLACE TRIGGER emp_bir BEFORE INSERT ON emp FOR EACH ROW\nBEGIN\n"
        "  IF :NEW.empno IS NULL THEN :NEW.empno := emp_seq.NEXTVAL; END IF;\n  :NEW.ename := UPPER(:NEW.ename);\nEND;");
    Run("INSERT INTO emp (ename, sal) VALUES ('adams', 1100)");
    Run("INSERT INTO emp (ename, sal) SELECT 'ford', 3000 FROM dual UNION ALL SELECT 'james', 950 FROM dual");
    EXPECT_EQ(Query(c_, "SELECT empno, ename FROM emp WHERE empno >= 9000 ORDER BY empno"),
              (Rows{{"9000", "ADAMS"}, {"9001", "FORD"}, {"9002", "JAMES"}}));
    // an INTEGER PRIMARY KEY left out is numbered as without the trigger
    Run("create table k (id integer primary key, v varchar2(5))");
    Run("CREATE TRIGGER k_bir BEFORE INSERT ON k FOR EACH ROW BEGIN :NEW.v := NVL(:NEW.v, 'dflt'); END;");
    Run("INSERT INTO k (v) VALUES ('a')");
    Run("INSERT INTO k (v) VALUES (NULL)");
    Run("INSERT INTO k VALUES (10, 'c')");
    EXPECT_EQ(Query(c_, "SELECT id, v FROM k ORDER BY id"), (Rows{{"1", "a"}, {"2", "dflt"}, {"10", "c"}}));
    // the column default is in :NEW before the trigger runs
    Run("create table t (id number, status varchar2(10) default 'open')");
    Run("CREATE TRIGGER t_bir BEFORE INSERT ON t FOR EACH ROW BEGIN DBMS_OUTPUT.PUT_LINE(:NEW.status); END;");
    Output();
    Run("INSERT INTO t (id) VALUES (1)");
    EXPECT_EQ(Output(), (std::vector<std::string>{"open"}));
}

TEST_F(PlsqlTriggerTest, BodiesCallProceduresWithFieldsAndRenameThePseudorecords) {
    Run("CREATE PROCEDURE say (what VARCHAR2) IS BEGIN DBMS_OUTPUT.PUT_LINE(what); END;");
    Run("CREATE TRIGGER named BEFORE UPDATE ON emp REFERENCING NEW AS n OLD AS o FOR EACH ROW WHEN (n.sal <> o.sal)\n"
        "BEGIN say(:o.ename || ' ' || :o.sal || ' ' || :n.sal); :n.sal := ROUND(:n.sal); END;");
    Run("CREATE TRIGGER called AFTER DELETE ON emp FOR EACH ROW CALL say(:OLD.ename)");
    Run("CREATE TRIGGER handled AFTER INSERT ON emp FOR EACH ROW\nDECLARE n NUMBER;\nBEGIN\n  n := 1 / 0;\n"
        "EXCEPTION WHEN ZERO_DIVIDE THEN say('handled ' || :NEW.empno);\nEND;");
    Output();
    Run("UPDATE emp SET sal = sal + 0.4 WHERE empno = 7369");
    Run("DELETE FROM emp WHERE empno = 7782");
    Run("INSERT INTO emp (empno) VALUES (3)");
    EXPECT_EQ(Output(), (std::vector<std::string>{"SMITH 800 800.4", "CLARK", "handled 3"}));
    EXPECT_EQ(Scalar(c_, "SELECT sal FROM emp WHERE empno = 7369"), "800");
}

TEST_F(PlsqlTriggerTest, WhenClauseAndUpdateOfColumnsChooseTheRows) {
    Run("CREATE TRIGGER raise_only AFTER UPDATE OF sal ON emp FOR EACH ROW WHEN (NEW.sal > OLD.sal)\n"
        "BEGIN DBMS_OUTPUT.PUT_LINE(:NEW.ename || ' +' || (:NEW.sal - :OLD.sal)); END;");
    Output();
    Run("UPDATE emp SET sal = sal + 10 WHERE empno = 7369");
    Run("UPDATE emp SET sal = sal - 10 WHERE empno = 7782");  // WHEN does not hold
    Run("UPDATE emp SET ename = 'SMYTHE' WHERE empno = 7369");  // sal is not set
    EXPECT_EQ(Output(), (std::vector<std::string>{"SMITH +10"}));
}

TEST_F(PlsqlTriggerTest, ConditionalPredicatesTellTheTriggeringStatement) {
    // the reference's example: one statement trigger for three events
    Run("CREATE OR REPLACE TRIGGER t\n  BEFORE\n    INSERT OR\n    UPDATE OF sal, deptno OR\n    DELETE\n  ON emp\nBEGIN\n"
        "  CASE\n    WHEN INSERTING THEN\n      DBMS_OUTPUT.PUT_LINE('Inserting');\n"
        "    WHEN UPDATING('sal') THEN\n      DBMS_OUTPUT.PUT_LINE('Updating salary');\n"
        "    WHEN UPDATING('deptno') THEN\n      DBMS_OUTPUT.PUT_LINE('Updating department ID');\n"
        "    WHEN DELETING THEN\n      DBMS_OUTPUT.PUT_LINE('Deleting');\n  END CASE;\nEND;");
    Output();
    Run("INSERT INTO emp (empno) VALUES (2)");
    Run("UPDATE emp SET sal = 1 WHERE empno = 2");
    Run("UPDATE emp SET deptno = 30 WHERE empno = 2");
    Run("UPDATE emp SET ename = 'X' WHERE empno = 2");  // not a column of UPDATE OF: does not fire
    Run("DELETE FROM emp WHERE empno = 2");
    EXPECT_EQ(Output(),
              (std::vector<std::string>{"Inserting", "Updating salary", "Updating department ID", "Deleting"}));
}

TEST_F(PlsqlTriggerTest, FailingTriggerUndoesItsStatementOnlyAndReportsTheStack) {
    Run("CREATE TRIGGER no_negative BEFORE INSERT OR UPDATE ON emp FOR EACH ROW\nBEGIN\n"
        "  IF :NEW.sal < 0 THEN RAISE_APPLICATION_ERROR(-20002, 'negative'); END IF;\nEND;");
    Run("INSERT INTO emp (empno, sal) VALUES (1, 10)");  // the transaction's earlier change
    // the second row is refused: the first row of the same statement goes too
    Error e = Exec(c_, "INSERT INTO emp (empno, sal) SELECT 2, 5 FROM dual UNION ALL SELECT 3, -1 FROM dual");
    EXPECT_EQ(e.code, 20002);
    EXPECT_EQ(e.text, "ORA-20002: negative\nORA-06512: at \"DEMO.NO_NEGATIVE\", line 2\n"
                      "ORA-04088: error during execution of trigger 'DEMO.NO_NEGATIVE'");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM emp WHERE empno IN (1, 2, 3)"), "1");
    EXPECT_EQ(Exec(c_, "UPDATE emp SET sal = -sal").code, 20002);
    EXPECT_EQ(Scalar(c_, "SELECT MIN(sal) FROM emp"), "10");
    // a handler of the calling block sees the trigger's error
    Output();
    Run("BEGIN UPDATE emp SET sal = -1 WHERE empno = 1;\nEXCEPTION WHEN OTHERS THEN DBMS_OUTPUT.PUT_LINE(SQLCODE); END;");
    EXPECT_EQ(Output(), (std::vector<std::string>{"-20002"}));
}

TEST_F(PlsqlTriggerTest, RowTriggerThatReadsItsOwnTableFindsItMutating) {
    Run("CREATE TRIGGER max_sal BEFORE INSERT OR UPDATE OF sal ON emp FOR EACH ROW\nDECLARE\n  m NUMBER;\nBEGIN\n"
        "  SELECT MAX(sal) INTO m FROM emp;\n  IF :NEW.sal > m THEN RAISE_APPLICATION_ERROR(-20001, 'too much'); END IF;\nEND;");
    Error e = Exec(c_, "UPDATE emp SET sal = 60000 WHERE empno = 7839");
    EXPECT_EQ(e.code, 4091);
    EXPECT_EQ(e.text, "ORA-04091: table DEMO.EMP is mutating, trigger/function may not see it\n"
                      "ORA-06512: at \"DEMO.MAX_SAL\", line 4\n"
                      "ORA-04088: error during execution of trigger 'DEMO.MAX_SAL'");
    // a single-row INSERT ... VALUES does not make its table mutating
    EXPECT_EQ(Exec(c_, "INSERT INTO emp (empno, sal) VALUES (5, 6000)").code, 20001);
    Run("INSERT INTO emp (empno, sal) VALUES (5, 100)");
    EXPECT_EQ(Exec(c_, "INSERT INTO emp (empno, sal) SELECT 6, 100 FROM dual").code, 4091);
}

TEST_F(PlsqlTriggerTest, DisabledTriggersDoNotFireAndDroppedOnesAreGone) {
    Run("create table audit_log (what varchar2(40))");
    Run("CREATE TRIGGER log_del AFTER DELETE ON emp FOR EACH ROW BEGIN INSERT INTO audit_log VALUES ('deleted ' || :OLD.ename); END;");
    Run("ALTER TRIGGER log_del DISABLE");
    Run("DELETE FROM emp WHERE empno = 7369");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM audit_log"), "0");
    EXPECT_EQ(Query(c_, "SELECT trigger_name, trigger_type, triggering_event, table_name, status FROM user_triggers"),
              (Rows{{"LOG_DEL", "AFTER EACH ROW", "DELETE", "EMP", "DISABLED"}}));
    Run("ALTER TRIGGER log_del ENABLE");
    Run("DELETE FROM emp WHERE empno = 7782");
    EXPECT_EQ(Scalar(c_, "SELECT what FROM audit_log"), "deleted CLARK");
    Run("ALTER TABLE emp DISABLE ALL TRIGGERS");
    Run("DELETE FROM emp WHERE empno = 7839");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM audit_log"), "1");
    Run("ALTER TABLE emp ENABLE ALL TRIGGERS");
    Run("DROP TRIGGER log_del");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM user_triggers"), "0");
    Error e = Exec(c_, "DROP TRIGGER log_del");
    EXPECT_EQ(e.text, "ORA-04080: trigger 'DEMO.LOG_DEL' does not exist");
    EXPECT_EQ(Exec(c_, "ALTER TRIGGER nope ENABLE").code, 4080);
    // a trigger on a table that is not there is not created
    EXPECT_EQ(Exec(c_, "CREATE TRIGGER x BEFORE INSERT ON no_such_table BEGIN NULL; END;").code, 942);
    // dropping the table takes its triggers
    Run("CREATE TRIGGER on_log BEFORE INSERT ON audit_log BEGIN NULL; END;");
    Run("DROP TABLE audit_log");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM user_triggers"), "0");
}

TEST_F(PlsqlTriggerTest, TriggersCascadeAndEndlessRecursionEndsWithAnError) {
    // the reference's audit example: an AFTER row trigger writes a log row, whose own trigger fires
    Run("create table emp_log (emp_id number, log_date date, new_salary number, action varchar2(20))");
    Run("create table log_count (n number)");
    Run("insert into log_count values (0)");
    Run("CREATE OR REPLACE TRIGGER log_salary_increase\n  AFTER UPDATE OF sal ON emp\n  FOR EACH ROW\nBEGIN\n"
        "  INSERT INTO emp_log (emp_id, log_date, new_salary, action)\n"
        "  VALUES (:NEW.empno, SYSDATE, :NEW.sal, 'New Salary');\nEND;");
    Run("CREATE TRIGGER count_logs AFTER INSERT ON emp_log FOR EACH ROW BEGIN UPDATE log_count SET n = n + 1; END;");
    Run("UPDATE emp SET sal = sal + 1000.0 WHERE deptno = 10");
    EXPECT_EQ(Query(c_, "SELECT emp_id, new_salary, action FROM emp_log ORDER BY emp_id"),
              (Rows{{"7782", "3450", "New Salary"}, {"7839", "6000", "New Salary"}}));
    EXPECT_EQ(Scalar(c_, "SELECT n FROM log_count"), "2");

    // a trigger that inserts into its own table with one-row inserts calls itself until the limit
    Run("create table chain (n number)");
    Run("CREATE TRIGGER again AFTER INSERT ON chain FOR EACH ROW BEGIN INSERT INTO chain VALUES (:NEW.n + 1); END;");
    Error e = Exec(c_, "INSERT INTO chain VALUES (1)");
    EXPECT_EQ(e.code, 36);
    EXPECT_EQ(e.text.substr(0, e.text.find('\n')), "ORA-00036: maximum number of recursive SQL levels (50) exceeded");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM chain"), "0");
}

TEST_F(PlsqlTriggerTest, CursorLoopUpdatesRowsOfATableWithTriggers) {
    // the first statement with triggers prepares their capture while the loop's query is open
    Run("CREATE TRIGGER up BEFORE UPDATE ON emp FOR EACH ROW BEGIN :NEW.ename := :NEW.ename || '!'; END;");
    Output();
    Run("BEGIN FOR r IN (SELECT empno FROM emp ORDER BY empno) LOOP UPDATE emp SET sal = sal + 1 WHERE empno = r.empno;"
        " DBMS_OUTPUT.PUT_LINE(r.empno || ' ' || SQL%ROWCOUNT); END LOOP; END;");
    EXPECT_EQ(Output(), (std::vector<std::string>{"7369 1", "7782 1", "7839 1"}));
    EXPECT_EQ(Query(c_, "SELECT ename, sal FROM emp ORDER BY empno"),
              (Rows{{"SMITH!", "801"}, {"CLARK!", "2451"}, {"KING!", "5001"}}));
}

TEST_F(PlsqlTriggerTest, TriggerMayNotEndTheTransactionAndSeesColumnsAddedLater) {
    Run("CREATE TRIGGER commits AFTER DELETE ON emp BEGIN COMMIT; END;");
    Error e = Exec(c_, "DELETE FROM emp WHERE empno = 7369");
    EXPECT_EQ(e.text, "ORA-04092: cannot COMMIT in a trigger\nORA-06512: at \"DEMO.COMMITS\", line 1\n"
                      "ORA-04088: error during execution of trigger 'DEMO.COMMITS'");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM emp"), "3");
    Run("DROP TRIGGER commits");
    // a column added to the table after the trigger was made is in its pseudorecords
    Run("CREATE TRIGGER note BEFORE UPDATE ON emp FOR EACH ROW BEGIN :NEW.ename := :OLD.ename || '*'; END;");
    Run("UPDATE emp SET sal = sal WHERE empno = 7369");
    Run("ALTER TABLE emp ADD (comm NUMBER)");
    Run("CREATE OR REPLACE TRIGGER note BEFORE UPDATE ON emp FOR EACH ROW BEGIN :NEW.comm := 7; END;");
    Run("UPDATE emp SET sal = sal WHERE empno = 7369");
    EXPECT_EQ(Query(c_, "SELECT ename, comm FROM emp WHERE empno = 7369"), (Rows{{"SMITH*", "7"}}));
}

TEST_F(PlsqlTriggerTest, HeaderErrorsRefuseTheTriggerBodyErrorsStoreItInvalid) {
    EXPECT_EQ(Exec(c_, "CREATE TRIGGER h1 INSERT ON emp BEGIN NULL; END;").code, 4071);
    EXPECT_EQ(Exec(c_, "CREATE TRIGGER h2 BEFORE INSERT OF sal ON emp BEGIN NULL; END;").code, 4073);
    EXPECT_EQ(Exec(c_, "CREATE TRIGGER h3 BEFORE INSERT ON emp WHEN (1 = 1) BEGIN NULL; END;").code, 4077);
    EXPECT_EQ(Exec(c_, "CREATE TRIGGER h4 BEFORE INSERT ON emp BEGIN :NEW.sal := 1; END;").code, 4082);
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM user_triggers"), "0");

    // a body that does not compile: created with compilation errors, and every statement it would
    // fire for fails until it is mended, disabled or dropped
    Error e = Exec(c_, "CREATE TRIGGER bad BEFORE INSERT ON emp FOR EACH ROW\nBEGIN\n  no_such_proc(:NEW.empno);\nEND;");
    EXPECT_EQ(e.code, 24344);
    EXPECT_EQ(Query(c_, "SELECT line, position, text FROM user_errors WHERE name = 'BAD' ORDER BY sequence"),
              (Rows{{"2", "3", "PLS-00201: identifier 'NO_SUCH_PROC' must be declared"},
                    {"2", "3", "PL/SQL: Statement ignored"}}));
    e = Exec(c_, "INSERT INTO emp (empno) VALUES (1)");
    EXPECT_EQ(e.text, "ORA-04098: trigger 'DEMO.BAD' is invalid and failed re-validation");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM emp"), "3");
    Run("ALTER TRIGGER bad DISABLE");
    Run("INSERT INTO emp (empno) VALUES (1)");
    Run("CREATE OR REPLACE TRIGGER bad BEFORE INSERT ON emp FOR EACH ROW\nBEGIN\n  NULL;\nEND;");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM user_errors"), "0");
}

TEST_F(PlsqlTriggerTest, SourceAndErrorsOfStoredUnits) {
    Run("CREATE OR REPLACE PROCEDURE hello IS\nBEGIN\n  DBMS_OUTPUT.PUT_LINE('Hello');\nEND;");
    EXPECT_EQ(Query(c_, "SELECT line, text FROM user_source WHERE name = 'HELLO' AND type = 'PROCEDURE' ORDER BY line"),
              (Rows{{"1", "PROCEDURE hello IS\n"}, {"2", "BEGIN\n"}, {"3", "  DBMS_OUTPUT.PUT_LINE('Hello');\n"}, {"4", "END;"}}));
    EXPECT_EQ(Scalar(c_, "SELECT owner FROM all_source WHERE name = 'HELLO' AND line = 1"), "DEMO");

    // errors count lines and columns in the unit's own text
    EXPECT_EQ(Exec(c_, "CREATE PROCEDURE broken IS\nBEGIN\n  no_such_thing;\nEND;").code, 24344);
    EXPECT_EQ(Query(c_, "SELECT type, sequence, line, position, text, attribute, message_number FROM user_errors"),
              (Rows{{"PROCEDURE", "1", "3", "3", "PLS-00201: identifier 'NO_SUCH_THING' must be declared", "ERROR", "201"},
                    {"PROCEDURE", "2", "3", "3", "PL/SQL: Statement ignored", "ERROR", "0"}}));
    EXPECT_EQ(Exec(c_, "CREATE PROCEDURE b2 IS BEGIN x; END;").code, 24344);
    EXPECT_EQ(Scalar(c_, "SELECT position FROM dba_errors WHERE name = 'B2' AND sequence = 1"), "23");
    // mended, the errors go; dropped, the source goes
    Run("CREATE OR REPLACE PROCEDURE broken IS\nBEGIN\n  NULL;\nEND;");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM user_errors WHERE name = 'BROKEN'"), "0");
    Run("DROP PROCEDURE broken");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM user_source WHERE name = 'BROKEN'"), "0");
    EXPECT_EQ(Exec(c_, "BEGIN broken; END;").code, 6550);
    EXPECT_EQ(Exec(c_, "DROP PROCEDURE broken").text, "ORA-04043: object DEMO.BROKEN does not exist");
    // a package goes with its body
    Run("CREATE PACKAGE p AS FUNCTION f RETURN NUMBER; END;");
    Run("CREATE PACKAGE BODY p AS FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END; END;");
    Run("DROP PACKAGE p");
    EXPECT_EQ(Scalar(c_, "SELECT COUNT(*) FROM user_source WHERE name = 'P'"), "0");
}

TEST_F(PlsqlTriggerTest, FunctionsCalledFromSqlAndWithoutParentheses) {
    Run("CREATE PACKAGE pay AS rate NUMBER := 2; FUNCTION bonus(s NUMBER) RETURN NUMBER; FUNCTION base RETURN NUMBER; END;");
    Run("CREATE PACKAGE BODY pay AS FUNCTION bonus(s NUMBER) RETURN NUMBER IS BEGIN RETURN s * rate; END;\n"
        " FUNCTION base RETURN NUMBER IS BEGIN RETURN 100; END; END;");
    Run("CREATE FUNCTION ten RETURN NUMBER IS BEGIN RETURN 10; END;");
    EXPECT_EQ(Scalar(c_, "SELECT pay.bonus(21) FROM dual"), "42");
    EXPECT_EQ(Scalar(c_, "SELECT demo.pay.bonus(sal) FROM emp WHERE empno = 7369"), "1600");
    EXPECT_EQ(Scalar(c_, "SELECT pay.base FROM dual"), "100");
    EXPECT_EQ(Scalar(c_, "SELECT ten + 1 FROM dual"), "11");
    EXPECT_EQ(Query(c_, "SELECT ename FROM emp WHERE sal > pay.bonus(ten * 100) ORDER BY ename"), (Rows{{"CLARK"}, {"KING"}}));
    // a column of the name comes first
    Run("create table ten_t (ten number)");
    Run("insert into ten_t values (3)");
    EXPECT_EQ(Scalar(c_, "SELECT ten FROM ten_t"), "3");
    Output();
    Run("DECLARE n NUMBER; BEGIN n := ten; SELECT ten * 2 INTO n FROM dual; DBMS_OUTPUT.PUT_LINE(n || ' ' || pay.base);"
        " IF ten > 5 THEN DBMS_OUTPUT.PUT_LINE('big'); END IF; END;");
    EXPECT_EQ(Output(), (std::vector<std::string>{"20 100", "big"}));
    Error e;
    Query(c_, "SELECT pay.nothing(1) FROM dual", &e);
    EXPECT_EQ(e.code, 904);
}

}  // namespace
