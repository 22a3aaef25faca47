// Statements Oracle refuses (or fails while running) that SQLite would answer with a value of some row:
// columns outside GROUP BY, scalar subqueries with a second row, text that is no number in arithmetic,
// set operator branches of other types, dates compared with numbers. And, as much as the refusals,
// the neighbouring statements that Oracle accepts and that must keep running. Expected values follow
// Oracle's documented behaviour (SQL Language Reference, Error Messages).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OciClient.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

class OracleErrorsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        path_ = new std::string(MakeDatabase());
        Conn c;
        ASSERT_EQ(c.Logon("DEMO", "demo", *path_).code, 0);
        for (const char* sql : {
                 "create table dept (deptno number(2) primary key, dname varchar2(14), loc varchar2(13))",
                 "create table emp (empno number(4) primary key, ename varchar2(10), job varchar2(9), mgr number(4), "
                 "hiredate date, sal number(7,2), comm number(7,2), deptno number(2))",
                 "insert into dept values (10, 'ACCOUNTING', 'NEW YORK')",
                 "insert into dept values (20, 'RESEARCH', 'DALLAS')",
                 "insert into dept values (40, 'OPERATIONS', 'BOSTON')",
                 "insert into emp values (7782, 'CLARK', 'MANAGER', 7839, date '1981-06-09', 2450, null, 10)",
                 "insert into emp values (7839, 'KING', 'PRESIDENT', null, date '1981-11-17', 5000, null, 10)",
                 "insert into emp values (7369, 'SMITH', 'CLERK', 7782, date '1980-12-17', 800, null, 20)",
                 "insert into emp values (7566, 'JONES', 'MANAGER', 7839, date '1981-04-02', 2975, 100, 20)",
                 "commit"})
            ASSERT_EQ(Exec(c, sql).code, 0) << sql << ": " << c.LastError().text;
    }
    static void TearDownTestSuite() {
        delete path_;
        path_ = nullptr;
    }
    void SetUp() override { ASSERT_EQ(c_.Logon("DEMO", "demo", *path_).code, 0); }

    std::string ErrorOf(const std::string& sql) {
        Error e = Exec(c_, sql);
        return e.text.substr(0, e.text.find('\n'));
    }
    // The error code and the offset it points at.
    std::pair<int, int> Refusal(const std::string& sql) {
        Stmt s(c_, sql);
        s.Execute();
        return {c_.LastError().code, s.ParseErrorOffset()};
    }
    Rows Run(const std::string& sql) {
        Error e;
        Rows r = Query(c_, sql, &e);
        EXPECT_EQ(e.code, 0) << sql << ": " << e.text;
        return r;
    }

    static std::string* path_;
    Conn c_;
};

std::string* OracleErrorsTest::path_ = nullptr;

TEST_F(OracleErrorsTest, UngroupedColumnsAreRefusedAtTheColumn) {
    EXPECT_EQ(ErrorOf("select deptno, ename, count(*) from emp group by deptno"), "ORA-00979: not a GROUP BY expression");
    EXPECT_EQ(Refusal("select deptno, ename, count(*) from emp group by deptno"), std::make_pair(979, 15));
    EXPECT_EQ(ErrorOf("select deptno, count(*) from emp"), "ORA-00937: not a single-group group function");
    EXPECT_EQ(Refusal("select deptno, count(*) from emp"), std::make_pair(937, 7));
    EXPECT_EQ(Refusal("select count(*), e.job from emp e"), std::make_pair(937, 17));
    EXPECT_EQ(Refusal("select deptno as d, ename, count(*) from emp group by deptno"), std::make_pair(979, 20));
    // a column inside an expression, in HAVING, in ORDER BY, in an inline view, a subquery, a branch
    EXPECT_EQ(Refusal("select deptno, upper(job) || 'x' from emp group by deptno").first, 979);
    EXPECT_EQ(Refusal("select deptno from emp group by deptno having sal > 1000"), std::make_pair(979, 46));
    EXPECT_EQ(Refusal("select deptno from emp group by deptno order by ename").first, 979);
    EXPECT_EQ(Refusal("select * from (select job, deptno, max(sal) from emp group by job)").first, 979);
    EXPECT_EQ(Refusal("select dname from dept where deptno in (select deptno from emp e group by e.job)").first, 979);
    EXPECT_EQ(Refusal("select 1 from dual union select sal + sum(sal) from emp").first, 937);
    EXPECT_EQ(Refusal("select job, sum(sal) from emp group by job + 0").first, 979);
    // HAVING groups without GROUP BY, and is looked at before the select list
    EXPECT_EQ(Refusal("select ename from emp having ename > 'A'"), std::make_pair(979, 29));
    EXPECT_EQ(Run("select count(*) from emp having count(*) > 1"), (Rows{{"4"}}));
    EXPECT_EQ(Refusal("select job from emp group by deptno having sal > 1"), std::make_pair(979, 43));
    // DISTINCT sorts by selected expressions only
    EXPECT_EQ(ErrorOf("select distinct ename from emp order by sal"), "ORA-01791: not a SELECTed expression");
    EXPECT_EQ(Refusal("select distinct ename from emp e order by ename, e.sal desc"), std::make_pair(1791, 49));
    EXPECT_EQ(Run("select distinct e.ename n from emp e where deptno = 10 order by n"), (Rows{{"CLARK"}, {"KING"}}));
    EXPECT_EQ(Run("select distinct ename, sal from emp where deptno = 10 order by 2 desc, ename nulls last"),
              (Rows{{"KING", "5000"}, {"CLARK", "2450"}}));
    EXPECT_EQ(Run("select distinct job from emp where deptno = 20 order by lower(job)"), (Rows{{"CLERK"}, {"MANAGER"}}));
}

TEST_F(OracleErrorsTest, GroupedQueriesOracleAcceptsStillRun) {
    EXPECT_EQ(Run("select deptno, count(*) from emp group by deptno order by deptno"), (Rows{{"10", "2"}, {"20", "2"}}));
    // expressions made of grouped expressions, constants and aggregates; qualifiers either way
    EXPECT_EQ(Run("select e.deptno + 1, 'x', sum(sal) / count(*), max(sal) - min(sal) from emp e group by deptno "
                  "order by 1"),
              (Rows{{"11", "x", "3725", "2550"}, {"21", "x", "1887.5", "2175"}}));
    EXPECT_EQ(Run("select upper(job) j, count(*) c from emp group by job having count(*) > 1 order by j, c"),
              (Rows{{"MANAGER", "2"}}));
    EXPECT_EQ(Run("select to_char(hiredate, 'YYYY') y, count(*) from emp group by to_char(hiredate, 'YYYY') "
                  "order by y"),
              (Rows{{"1980", "1"}, {"1981", "3"}}));
    EXPECT_EQ(Run("select case when deptno = 10 then 'A' else 'B' end k, count(*) from emp "
                  "group by case when deptno = 10 then 'A' else 'B' end order by 1"),
              (Rows{{"A", "2"}, {"B", "2"}}));
    EXPECT_EQ(Run("select nvl(comm, 0), count(distinct job) from emp group by nvl(comm, 0) order by 1"),
              (Rows{{"0", "3"}, {"100", "1"}}));
    // an alias that is also a column's name, CAST's type words, analytic functions
    EXPECT_EQ(Run("select deptno sal, cast(deptno as number(4)) d, count(*) from emp group by deptno order by 1"),
              (Rows{{"10", "10", "2"}, {"20", "20", "2"}}));
    EXPECT_EQ(Run("select ename, count(*) over () from emp where empno = 7369"), (Rows{{"SMITH", "1"}}));
    EXPECT_EQ(Run("select deptno, sum(sal), rank() over (order by sum(sal)) from emp group by deptno order by 1"),
              (Rows{{"10", "7450", "2"}, {"20", "3775", "1"}}));
    // columns of the outer query are constants to a grouped subquery
    EXPECT_EQ(Run("select d.deptno, (select count(*) + d.deptno from emp e where e.deptno = d.deptno) from dept d "
                  "order by 1"),
              (Rows{{"10", "12"}, {"20", "22"}, {"40", "40"}}));
    EXPECT_EQ(Run("select e.deptno, (select max(x.sal) from emp x where x.deptno = e.deptno) from emp e "
                  "group by e.deptno order by 1"),
              (Rows{{"10", "5000"}, {"20", "2975"}}));
    EXPECT_EQ(Run("select dname from dept d where 1 < (select count(*) from emp where emp.deptno = d.deptno) "
                  "order by 1"),
              (Rows{{"ACCOUNTING"}, {"RESEARCH"}}));
    EXPECT_EQ(Run("select job, count(*) from emp group by job, deptno order by 1, 2").size(), 4u);
    EXPECT_EQ(Run("select v.deptno, count(*) from (select deptno from emp) v group by v.deptno order by 1").size(), 2u);
}

TEST_F(OracleErrorsTest, SubqueriesUsedAsValuesGiveOneRowAtMost) {
    const std::string e1427 = "ORA-01427: single-row subquery returns more than one row";
    EXPECT_EQ(ErrorOf("select (select ename from emp) from dual"), e1427);
    EXPECT_EQ(ErrorOf("select ename from emp where sal = (select sal from emp where deptno = 10)"), e1427);
    EXPECT_EQ(ErrorOf("select ename from emp where sal > 1 + (select sal from emp)"), e1427);
    EXPECT_EQ(ErrorOf("select case when 1 = 1 then (select ename from emp) end from dual"), e1427);
    EXPECT_EQ(ErrorOf("select (select 1 from dual union all select 2 from dual) from dual"), e1427);
    EXPECT_EQ(ErrorOf("select nvl((select ename from emp), 'x') from dual"), e1427);
    EXPECT_EQ(ErrorOf("select decode(1, (select empno from emp), 'y') from dual"), e1427);
    EXPECT_EQ(ErrorOf("update emp set comm = (select comm from emp where deptno = 20) where empno = 7369"), e1427);
    EXPECT_EQ(ErrorOf("insert into dept values (50, (select dname from dept), 'X')"), e1427);
    EXPECT_EQ(Run("select comm from emp where empno = 7369"), (Rows{{"<null>"}}));
    // no row is NULL; one row is its value, also per row of the outer query and nested
    EXPECT_EQ(Run("select (select ename from emp where empno = 1) from dual"), (Rows{{"<null>"}}));
    EXPECT_EQ(Run("select nvl((select ename from emp where empno = 1), 'none') from dual"), (Rows{{"none"}}));
    EXPECT_EQ(Run("select ename, (select dname from dept d where d.deptno = e.deptno) from emp e order by 1"),
              (Rows{{"CLARK", "ACCOUNTING"}, {"JONES", "RESEARCH"}, {"KING", "ACCOUNTING"}, {"SMITH", "RESEARCH"}}));
    EXPECT_EQ(Run("select (select (select 7 from dual) from dual) from dual"), (Rows{{"7"}}));
    EXPECT_EQ(Run("select ename from emp where sal = (select max(sal) from emp)"), (Rows{{"KING"}}));
    // a value is one column
    EXPECT_EQ(ErrorOf("select (select empno, ename from emp where empno = 7369) from dual"),
              "ORA-00913: too many values");
    EXPECT_EQ(ErrorOf("select ename from emp where sal = (select sal, comm from emp where empno = 7369)"),
              "ORA-00913: too many values");
    // lists of rows are no single value: IN, EXISTS, ANY, comparisons of several columns
    EXPECT_EQ(Run("select count(*) from emp where deptno in (select deptno from dept)"), (Rows{{"4"}}));
    EXPECT_EQ(Run("select count(*) from dept d where exists (select 1 from emp e where e.deptno = d.deptno)"),
              (Rows{{"2"}}));
    EXPECT_EQ(Run("select ename from emp where (deptno, job) = (select deptno, job from emp where empno = 7369)"),
              (Rows{{"SMITH"}}));
    EXPECT_EQ(Run("with x as (select 3 a from dual) select (select a from x) from dual"), (Rows{{"3"}}));
}

TEST_F(OracleErrorsTest, TextInArithmeticMustReadAsANumber) {
    EXPECT_EQ(ErrorOf("select 'x' + 1 from dual"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("select 2 - 'x' from dual"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("select ename * 2 from emp"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("select 'a' / 2 from dual"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("select sal + job from emp"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("select -ename from emp"), "ORA-01722: invalid number");
    EXPECT_EQ(Run("select -'5' * 2, 2 * -'5', -sal from emp where empno = 7369"), (Rows{{"-10", "-10", "-800"}}));
    Error e;
    QueryBound(c_, "select :1 + 1 from dual", {"abc"}, &e);
    EXPECT_EQ(e.text, "ORA-01722: invalid number");
    EXPECT_EQ(QueryBound(c_, "select :1 * 2 from dual", {"21"}), (Rows{{"42"}}));
    // and so in the functions of numbers, aggregates included, and in IN lists
    EXPECT_EQ(ErrorOf("select sum(ename) from emp"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("select avg(distinct job) from emp"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("select mod('x', 2) from dual"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("select count(*) from emp where ename in (1, 2)"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("select count(*) from emp where deptno not in (10, 'x')"), "ORA-01722: invalid number");
    EXPECT_EQ(Run("select sum(to_char(sal)), count(*) from emp where deptno in ('10', '20 ')"),
              (Rows{{"11225", "4"}}));
    EXPECT_EQ(Run("select count(*) from emp where job in ('CLERK', 'X')"), (Rows{{"1"}}));
    // text that reads as a number is one; NULL stays NULL
    EXPECT_EQ(Run("select '5' + 1, '3' * '4', ' 5 ' * 2, '1e3' * 1, null * 'x' from dual"),
              (Rows{{"6", "12", "10", "1000", "<null>"}}));
    // products of numbers as before, whatever the operators around them
    EXPECT_EQ(Run("select sal * 2, -sal * 2, 2 * (sal + 1), sal / 2 * 3, sal * 2 / 4, sal * 1.5 from emp "
                  "where empno = 7369"),
              (Rows{{"1600", "-1600", "1602", "1200", "400", "1200"}}));
    // date arithmetic keeps its rules
    EXPECT_EQ(Run("select hiredate + 1, hiredate - date '1980-12-01' from emp where empno = 7369"),
              (Rows{{"18-DEC-80", "16"}}));
    EXPECT_EQ(ErrorOf("select hiredate * 2 from emp"), "ORA-00932: inconsistent datatypes: expected NUMBER got DATE");
    EXPECT_EQ(ErrorOf("select 1 - sysdate from dual"), "ORA-00932: inconsistent datatypes: expected NUMBER got DATE");
}

TEST_F(OracleErrorsTest, SetOperatorBranchesHaveTheSameTypes) {
    const std::string e1790 = "ORA-01790: expression must have same datatype as corresponding expression";
    EXPECT_EQ(ErrorOf("select 1 from dual union select sysdate from dual"), e1790);
    EXPECT_EQ(ErrorOf("select ename from emp union all select deptno from dept"), e1790);
    EXPECT_EQ(ErrorOf("select 1 a, 'x' from dual minus select 2 b, hiredate from emp"), e1790);
    EXPECT_EQ(ErrorOf("select sal from emp intersect select to_char(sal) from emp"), e1790);
    EXPECT_EQ(Refusal("select 1 from dual union select sysdate from dual"), std::make_pair(1790, 7));
    EXPECT_EQ(ErrorOf("select 1 from dual union (select sysdate from dual)"), e1790);
    EXPECT_EQ(ErrorOf("select 'a' from dual union all ((select 2 from dual))"), e1790);
    // a branch of unknown type between them does not hide the difference
    EXPECT_EQ(ErrorOf("select 1, 'a' from dual union select null, 'b' from dual union all select sysdate, 'c' "
                      "from dual"),
              e1790);
    // NULL fits any type; columns and literals of one type; what the form does not tell is accepted
    EXPECT_EQ(Run("select ename, null from emp where empno = 7369 union select 'X', loc from dept where deptno = 10 "
                  "order by 1"),
              (Rows{{"SMITH", "<null>"}, {"X", "NEW YORK"}}));
    EXPECT_EQ(Run("select hiredate from emp where empno = 7369 union select date '2000-01-01' from dual order by 1"),
              (Rows{{"17-DEC-80"}, {"01-JAN-00"}}));
    EXPECT_EQ(Run("select empno from emp where empno = 7369 union select count(*) from emp order by 1"),
              (Rows{{"4"}, {"7369"}}));
    // the columns of a table made from a query have no type names of Oracle's here: they are not judged
    ASSERT_EQ(Exec(c_, "create table emp_counts as select deptno, count(*) n, max(ename) m from emp group by deptno")
                  .code,
              0);
    EXPECT_EQ(Run("select n from emp_counts union select 7 from dual order by 1"), (Rows{{"2"}, {"7"}}));
    EXPECT_EQ(Run("select count(*) from emp_counts where n = 2 and m > 'A'"), (Rows{{"2"}}));
}

TEST_F(OracleErrorsTest, DatesAreNotComparedWithNumbers) {
    EXPECT_EQ(ErrorOf("select 1 from dual where sysdate > 5"),
              "ORA-00932: inconsistent datatypes: expected DATE got NUMBER");
    EXPECT_EQ(Refusal("select 1 from dual where 5 < sysdate").first, 932);
    EXPECT_EQ(ErrorOf("select ename from emp e where e.hiredate = 19801217"),
              "ORA-00932: inconsistent datatypes: expected DATE got NUMBER");
    EXPECT_EQ(ErrorOf("select count(*) from emp where hiredate between 1 and 2"),
              "ORA-00932: inconsistent datatypes: expected DATE got NUMBER");
    EXPECT_EQ(ErrorOf("select count(*) from emp where sal between 'a' and 'b'"), "ORA-01722: invalid number");
    EXPECT_EQ(Run("select count(*) from emp where sal between '1000' and 3000 and hiredate between "
                  "date '1981-01-01' and sysdate"),
              (Rows{{"2"}}));
    // the same in UPDATE and DELETE, and a number assigned to a date
    EXPECT_EQ(ErrorOf("delete from emp where hiredate = 5"),
              "ORA-00932: inconsistent datatypes: expected DATE got NUMBER");
    EXPECT_EQ(ErrorOf("update emp e set sal = 1 where e.hiredate > 19810101"),
              "ORA-00932: inconsistent datatypes: expected DATE got NUMBER");
    EXPECT_EQ(ErrorOf("update emp set hiredate = 5 where empno = 7369"),
              "ORA-00932: inconsistent datatypes: expected DATE got NUMBER");
    EXPECT_EQ(ErrorOf("delete from emp where ename = 7369"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("insert into emp (empno, hiredate) values (1, 19800101)"),
              "ORA-00932: inconsistent datatypes: expected DATE got NUMBER");
    EXPECT_EQ(ErrorOf("insert into emp (empno, sal) values (1, sysdate)"),
              "ORA-00932: inconsistent datatypes: expected NUMBER got DATE");
    EXPECT_EQ(Run("select count(*) from emp"), (Rows{{"4"}}));
    // text compared with a number is read as a number
    EXPECT_EQ(ErrorOf("select ename from emp where ename = 5"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("select count(*) from emp where 5 = job"), "ORA-01722: invalid number");
    EXPECT_EQ(ErrorOf("select count(*) from emp where sal = 'abc'"), "ORA-01722: invalid number");
    EXPECT_EQ(Run("select count(*) from emp where empno = '7369' or to_char(deptno) = 10.0"), (Rows{{"3"}}));
    // a date with a date, with text in the session's format, and date arithmetic compared with a number
    EXPECT_EQ(Run("select count(*) from emp where hiredate > date '1981-01-01' and sal > 1000"), (Rows{{"3"}}));
    EXPECT_EQ(Run("select count(*) from emp where hiredate < '01-JAN-81'"), (Rows{{"1"}}));
    EXPECT_EQ(Run("select count(*) from emp where hiredate - date '1981-01-01' > 100"), (Rows{{"2"}}));
}

TEST_F(OracleErrorsTest, SyntaxErrorsComeBeforeTheseChecks) {
    EXPECT_EQ(ErrorOf("select deptno, count(*) from emp group by"), "ORA-00936: missing expression");
    EXPECT_EQ(ErrorOf("select deptno, count(*) from emp group by deptno,"), "ORA-00936: missing expression");
    EXPECT_EQ(ErrorOf("select deptno, count(*) from emp group by ("), "ORA-00907: missing right parenthesis");
    EXPECT_EQ(ErrorOf("select (select ename from emp from dual"), "ORA-00907: missing right parenthesis");
    EXPECT_EQ(ErrorOf("select 1 from dual where sysdate >"), "ORA-00936: missing expression");
    EXPECT_EQ(ErrorOf("select 1 from dual union"), "ORA-00936: missing expression");
}

TEST_F(OracleErrorsTest, BlocksGetTheSameChecksForTheirStatements) {
    Error e = Exec(c_, "declare v number; begin select deptno into v from emp where empno = 7369 group by job; end;");
    EXPECT_EQ(e.text.substr(0, e.text.find("\nORA-06550", 1)),
              "ORA-06550: line 1, column 32:\nPL/SQL: ORA-00979: not a GROUP BY expression");
    e = Exec(c_, "declare v varchar2(10); begin select (select ename from emp) into v from dual; end;");
    EXPECT_EQ(e.text.substr(0, e.text.find('\n')), "ORA-01427: single-row subquery returns more than one row");
    // a variable is no column, also in a grouped query
    e = Exec(c_, "declare v number; d number := 10; begin select count(*) + d into v from emp where deptno = d; "
                 "if v <> 12 then raise_application_error(-20001, 'wrong'); end if; end;");
    EXPECT_EQ(e.code, 0) << e.text;
}

}  // namespace
