// Oracle syntax the embedded client rewrites for SQLite, in the cases the corpus does not reach: the
// row counts the client reports, placeholders inside rewritten parts, triggers under MERGE, outer
// joins of several tables and inside subqueries, and the dictionary and rules after ALTER TABLE
// ... MODIFY. Expected values follow Oracle's documented behaviour.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OciClient.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

class SyntaxTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = MakeDatabase();
        ASSERT_EQ(c_.Logon("DEMO", "demo", path_).code, 0);
        Run("create table dept (deptno number(2) primary key, dname varchar2(14))");
        Run("create table emp (empno number(4) primary key, ename varchar2(10), sal number(7,2), deptno number(2), "
            "mgr number(4))");
        Run("insert into dept values (10, 'ACCOUNTING')");
        Run("insert into dept values (20, 'RESEARCH')");
        Run("insert into dept values (40, 'OPERATIONS')");
        Run("insert into emp values (1, 'KING', 5000, 10, null)");
        Run("insert into emp values (2, 'CLARK', 2450, 10, 1)");
        Run("insert into emp values (3, 'SMITH', 800, 20, 2)");
        Run("insert into emp values (4, 'ADAMS', 1100, 20, 3)");
        Run("commit");
    }
    void Run(const std::string& sql) { ASSERT_EQ(Exec(c_, sql).code, 0) << sql << ": " << c_.LastError().text; }
    std::string ErrorOf(const std::string& sql) {
        Error e = Exec(c_, sql);
        return e.text.substr(0, e.text.find('\n'));
    }
    // Executes sql with its placeholders bound to the texts of binds; the rows it changed, or -1 on an error.
    long Changed(const std::string& sql, std::vector<std::string> binds = {}) {
        Stmt s(c_, sql);
        for (size_t k = 0; k < binds.size(); ++k) {
            OCIBind* b = nullptr;
            Oci().BindByPos(s.st, &b, c_.err, static_cast<ub4>(k + 1), binds[k].data(), static_cast<sb4>(binds[k].size()),
                            SQLT_CHR, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
        }
        if (s.Execute() != OCI_SUCCESS) {
            last_ = c_.LastError().text;
            return -1;
        }
        return static_cast<long>(s.RowCount());
    }
    std::string path_, last_;
    Conn c_;
};

TEST_F(SyntaxTest, OuterJoinsOfSeveralTablesAndInSubqueries) {
    // a chain: each optional table joined to the one before it
    Run("create table proj (deptno number(2), pname varchar2(10))");
    Run("insert into proj values (10, 'LEDGER')");
    EXPECT_EQ(Query(c_, "select d.dname, e.ename, p.pname from dept d, emp e, proj p "
                        "where d.deptno = e.deptno(+) and e.deptno = p.deptno(+) and d.deptno in (20, 40) "
                        "order by d.deptno, e.ename"),
              (Rows{{"RESEARCH", "ADAMS", "<null>"}, {"RESEARCH", "SMITH", "<null>"}, {"OPERATIONS", "<null>", "<null>"}}));
    // one optional table joined to two others; the (+) on the left of =
    EXPECT_EQ(Query(c_, "select d.deptno, p.pname from emp e, proj p, dept d "
                        "where p.deptno(+) = d.deptno and p.deptno(+) = e.deptno and e.empno = 1 and d.deptno = 10"),
              (Rows{{"10", "LEDGER"}}));
    // an outer join inside a subquery, and an unqualified marked column found in its table
    EXPECT_EQ(Scalar(c_, "select count(*) from (select dname, ename from dept, emp "
                         "where dept.deptno = emp.deptno(+) and sal(+) > 1000)"),
              "4");
    EXPECT_EQ(Scalar(c_, "select count(*) from dept d where exists (select 1 from emp e, emp m "
                         "where e.mgr = m.empno(+) and e.deptno = d.deptno)"),
              "2");
    // a placeholder inside a condition that moves into the ON clause keeps its position
    EXPECT_EQ(QueryBound(c_, "select d.dname, e.ename from dept d, emp e where d.deptno = e.deptno(+) "
                             "and e.sal(+) > :s and d.deptno <= :d order by d.deptno, e.ename",
                         {"1000", "20"}),
              (Rows{{"ACCOUNTING", "CLARK"}, {"ACCOUNTING", "KING"}, {"RESEARCH", "ADAMS"}}));
    // three tables in a cycle
    EXPECT_EQ(ErrorOf("select 1 from dept a, dept b, dept c where a.deptno = b.deptno(+) and b.deptno = c.deptno(+) "
                      "and c.deptno = a.deptno(+)"),
              "ORA-01416: two tables cannot be outer-joined to each other");
}

TEST_F(SyntaxTest, MultitableInsertCountsTheRowsOfAllTablesAndTakesPlaceholders) {
    Run("create table lo (n number, s varchar2(10))");
    Run("create table hi (n number, s varchar2(10))");
    EXPECT_EQ(Changed("insert all into lo values (empno, ename) into hi (s, n) values (ename, empno) "
                      "select empno, ename from emp"),
              8);
    EXPECT_EQ(Changed("insert first when sal > :big then into hi values (empno, 'BIG') else into lo values (empno, :tag) "
                      "select empno, sal from emp where deptno = :d",
                      {"3000", "SMALL", "10"}),
              2);
    EXPECT_EQ(Query(c_, "select n, s from hi where s = 'BIG'"), (Rows{{"1", "BIG"}}));
    EXPECT_EQ(Query(c_, "select n, s from lo where s = 'SMALL'"), (Rows{{"2", "SMALL"}}));
    // a row that breaks a rule of one table takes back the rows of all of them
    Run("create table tiny (s varchar2(3))");
    EXPECT_EQ(Changed("insert all into lo values (empno, ename) into tiny values (ename) select empno, ename from emp"), -1);
    EXPECT_EQ(last_.substr(0, 10), "ORA-12899:");
    EXPECT_EQ(Scalar(c_, "select count(*) from lo"), "5");
    // a subquery reading a table it inserts into sees the rows from before the statement, every time it runs
    Run("create table seq (n number)");
    Run("insert into seq values (1)");
    {
        Stmt twice(c_, "insert all into seq values (n + 1) into seq values (n + 2) select n from seq");
        ASSERT_EQ(twice.Execute(), OCI_SUCCESS) << twice.LastError().text;
        EXPECT_EQ(twice.RowCount(), 2u);
        ASSERT_EQ(twice.Execute(), OCI_SUCCESS) << twice.LastError().text;
        EXPECT_EQ(twice.RowCount(), 6u);
    }
    EXPECT_EQ(Query(c_, "select n, count(*) from seq group by n order by n"),
              (Rows{{"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "2"}, {"5", "1"}}));
    // an error in one INTO clause points into the statement as written
    const std::string bad = "insert all into lo values (1, 'a') into hi values (2, nosuch) select * from dual";
    Stmt s(c_, bad);
    EXPECT_NE(s.Execute(), OCI_SUCCESS);
    EXPECT_EQ(s.LastError().text.substr(0, 10), "ORA-00904:");
    EXPECT_EQ(s.ParseErrorOffset(), bad.find("nosuch"));
}

TEST_F(SyntaxTest, MergeCountsRowsMergedAndFiresTheTriggersOfItsStatements) {
    Run("create table audit_log (what varchar2(20))");
    Run("create or replace trigger dept_audit after insert or update on dept for each row begin "
        "if inserting then insert into audit_log values ('I ' || :new.deptno); "
        "else insert into audit_log values ('U ' || :new.deptno); end if; end;");
    EXPECT_EQ(Changed("merge into dept d using (select deptno, 'X' || deptno name from emp group by deptno "
                      "union all select 30, 'NEW' from dual) s on (d.deptno = s.deptno) "
                      "when matched then update set d.dname = s.name "
                      "when not matched then insert (deptno, dname) values (s.deptno, s.name)"),
              3);
    EXPECT_EQ(Query(c_, "select deptno, dname from dept order by deptno"),
              (Rows{{"10", "X10"}, {"20", "X20"}, {"30", "NEW"}, {"40", "OPERATIONS"}}));
    EXPECT_EQ(Query(c_, "select what from audit_log order by what"), (Rows{{"I 30"}, {"U 10"}, {"U 20"}}));
    // placeholders in the source, the condition and the values
    EXPECT_EQ(Changed("merge into dept d using (select :no deptno from dual) s on (d.deptno = s.deptno) "
                      "when not matched then insert values (s.deptno, :name)",
                      {"50", "FIFTY"}),
              1);
    EXPECT_EQ(Scalar(c_, "select dname from dept where deptno = 50"), "FIFTY");
    // DELETE WHERE sees the updated values and spares the rows the same MERGE inserted
    EXPECT_EQ(Changed("merge into dept d using (select 40 deptno from dual union all select 60 from dual) s "
                      "on (d.deptno = s.deptno) when matched then update set d.dname = 'GONE' "
                      "delete where (d.dname = 'GONE') "
                      "when not matched then insert values (s.deptno, 'GONE')"),
              2);
    EXPECT_EQ(Query(c_, "select deptno from dept where dname = 'GONE'"), (Rows{{"60"}}));
}

TEST_F(SyntaxTest, ModifyKeepsRulesIndexesAndDataAndNamesTheConstraint) {
    Run("create index emp_name_ix on emp (ename)");
    Run("alter table emp modify (ename varchar2(20) not null, sal number(9,2))");
    EXPECT_EQ(Query(c_, "select column_name, data_length, data_precision, nullable from user_tab_columns "
                        "where table_name = 'EMP' and column_name in ('ENAME', 'SAL') order by column_id"),
              (Rows{{"ENAME", "20", "<null>", "N"}, {"SAL", "22", "9", "Y"}}));
    EXPECT_EQ(Query(c_, "select index_name from user_indexes where table_name = 'EMP' and index_name = 'EMP_NAME_IX'"),
              (Rows{{"EMP_NAME_IX"}}));
    EXPECT_EQ(Scalar(c_, "select count(*) from emp"), "4");
    // the new rules hold for new rows: length, NOT NULL, precision and its rounding
    EXPECT_EQ(ErrorOf("insert into emp (empno, ename) values (5, 'ABCDEFGHIJKLMNOPQRSTU')").substr(0, 10), "ORA-12899:");
    EXPECT_EQ(ErrorOf("insert into emp (empno) values (6)").substr(0, 10), "ORA-01400:");
    Run("insert into emp (empno, ename, sal) values (7, 'NEW', 1234567.456)");
    EXPECT_EQ(Scalar(c_, "select sal from emp where empno = 7"), "1234567.46");
    Run("alter table dept modify (dname constraint dname_nn not null)");
    EXPECT_EQ(Query(c_, "select constraint_name from user_constraints where table_name = 'DEPT' and constraint_type = 'C'"),
              (Rows{{"DNAME_NN"}}));
    Run("create table empty_one (v varchar2(10))");
    Run("alter table empty_one modify (v number(3))");  // no rows: the type may change
    EXPECT_EQ(Query(c_, "select data_type, data_precision from user_tab_columns where table_name = 'EMPTY_ONE'"),
              (Rows{{"NUMBER", "3"}}));
    EXPECT_EQ(ErrorOf("alter table emp modify (nosuch number)"), "ORA-00904: \"NOSUCH\": invalid identifier");
}

TEST_F(SyntaxTest, RowLimitsTakePlaceholdersAndOraclesCountsOfRows) {
    EXPECT_EQ(QueryBound(c_, "select ename from emp order by empno offset :m rows fetch first :n rows only", {"1", "2"}),
              (Rows{{"CLARK"}, {"SMITH"}}));
    // a fraction is cut off, a negative count or offset counts as none
    EXPECT_EQ(QueryBound(c_, "select ename from emp order by empno fetch first :n rows only", {"1.9"}), (Rows{{"KING"}}));
    EXPECT_EQ(QueryBound(c_, "select ename from emp order by empno fetch first :n rows only", {"-3"}), Rows{});
    EXPECT_EQ(Query(c_, "select ename from emp order by empno offset -5 rows fetch first 1 row only"), (Rows{{"KING"}}));
    EXPECT_EQ(QueryBound(c_, "select ename from emp order by deptno fetch first :n rows with ties", {"1"}).size(), 2u);
    // the numbers the client adds are not columns of the result
    Stmt s(c_, "select * from emp order by sal fetch first 50 percent rows with ties");
    EXPECT_EQ(s.Describe(), 5u);
}

}  // namespace
