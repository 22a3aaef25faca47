// Hierarchical queries: START WITH, CONNECT BY [NOCYCLE] PRIOR, LEVEL, ORDER SIBLINGS BY, loops.
#include <gtest/gtest.h>

#include "OciClient.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

class HierarchyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        path_ = new std::string(MakeDatabase());
        Conn c;
        ASSERT_EQ(c.Logon("DEMO", "demo", *path_).code, 0);
        ASSERT_EQ(Exec(c, "create table staff (empno number primary key, ename varchar2(10), mgr number)").code, 0);
        // Inserted in an order that is neither the tree's nor the names'.
        const char* rows[] = {"(4, 'SCOTT', 2)", "(1, 'KING', null)", "(6, 'FORD', 2)", "(2, 'JONES', 1)",
                              "(7, 'ALLEN', 3)", "(3, 'BLAKE', 1)", "(5, 'ADAMS', 4)", "(8, 'CLARK', 1)"};
        for (const char* r : rows) ASSERT_EQ(Exec(c, std::string("insert into staff values ") + r).code, 0);
        ASSERT_EQ(Exec(c, "commit").code, 0);
    }
    static void TearDownTestSuite() { delete path_; }
    void SetUp() override { ASSERT_EQ(c_.Logon("DEMO", "demo", *path_).code, 0); }
    static std::string* path_;
    Conn c_;
};
std::string* HierarchyTest::path_ = nullptr;

TEST_F(HierarchyTest, TreeComesDepthFirstWithSiblingsInTheirOrder) {
    // Each parent is followed by its whole subtree before its next sibling.
    Rows rows = Query(c_, "select lpad(' ', 2*(level-1)) || ename tree, level from staff "
                          "start with mgr is null connect by prior empno = mgr order siblings by ename");
    Rows expected = {{"KING", "1"},     {"  BLAKE", "2"},      {"    ALLEN", "3"}, {"  CLARK", "2"},
                     {"  JONES", "2"},  {"    FORD", "3"},     {"    SCOTT", "3"}, {"      ADAMS", "4"}};
    EXPECT_EQ(rows, expected);
    Rows desc = Query(c_, "select ename from staff start with empno = 2 connect by prior empno = mgr "
                          "order siblings by ename desc");
    EXPECT_EQ(desc, (Rows{{"JONES"}, {"SCOTT"}, {"ADAMS"}, {"FORD"}}));
}

TEST_F(HierarchyTest, WhereFiltersTheFinishedTreeAndOrderByReordersIt) {
    // WHERE removes rows after the walk: ADAMS' parent SCOTT is gone but ADAMS, at level 4, is kept.
    Rows rows = Query(c_, "select ename, level from staff where ename <> 'SCOTT' start with empno = 2 "
                          "connect by prior empno = mgr order siblings by ename");
    EXPECT_EQ(rows, (Rows{{"JONES", "1"}, {"FORD", "2"}, {"ADAMS", "3"}}));
    Rows ordered = Query(c_, "select e.ename from staff e where level = 2 start with e.mgr is null "
                             "connect by prior e.empno = e.mgr order by e.ename desc");
    EXPECT_EQ(ordered, (Rows{{"JONES"}, {"CLARK"}, {"BLAKE"}}));
    // The condition on the child and on LEVEL belongs to the walk: it prunes whole subtrees.
    Rows pruned = Query(c_, "select ename from staff start with mgr is null "
                            "connect by prior empno = mgr and level <= 2 order siblings by ename");
    EXPECT_EQ(pruned, (Rows{{"KING"}, {"BLAKE"}, {"CLARK"}, {"JONES"}}));
    EXPECT_EQ(Scalar(c_, "select count(*) from staff start with mgr is null connect by prior empno = mgr"), "8");
    // Without START WITH every row is a root: each employee once per ancestor-or-self (8+7+4+1).
    EXPECT_EQ(Scalar(c_, "select count(*) from staff connect by prior empno = mgr"), "20");
}

TEST_F(HierarchyTest, RowGeneratorOnDualAndStarSelectsTheTableColumnsOnly) {
    EXPECT_EQ(Query(c_, "select level from dual connect by level <= 4"), (Rows{{"1"}, {"2"}, {"3"}, {"4"}}));
    Stmt s(c_, "select * from staff start with empno = 5 connect by prior mgr = empno");
    EXPECT_EQ(s.Describe(), 3u);
    EXPECT_EQ(s.ColumnName(1), "EMPNO");
    // Walking upwards: ADAMS, SCOTT, JONES, KING.
    EXPECT_EQ(Query(c_, "select ename from staff start with empno = 5 connect by prior mgr = empno"),
              (Rows{{"ADAMS"}, {"SCOTT"}, {"JONES"}, {"KING"}}));
}

TEST_F(HierarchyTest, LoopIsRefusedUnlessNocycle) {
    Conn w;
    ASSERT_EQ(w.Logon("DEMO", "demo", *path_).code, 0);
    ASSERT_EQ(Exec(w, "update staff set mgr = 5 where empno = 1").code, 0);  // KING now reports to ADAMS
    Error e;
    Query(w, "select ename from staff start with empno = 1 connect by prior empno = mgr", &e);
    EXPECT_EQ(e.code, 1436);
    EXPECT_NE(e.text.find("ORA-01436: CONNECT BY loop in user data"), std::string::npos) << e.text;
    // NOCYCLE leaves out the row that would repeat an ancestor.
    Rows rows = Query(w, "select ename from staff start with empno = 1 connect by nocycle prior empno = mgr "
                         "order siblings by ename");
    EXPECT_EQ(rows, (Rows{{"KING"}, {"BLAKE"}, {"ALLEN"}, {"CLARK"}, {"JONES"}, {"FORD"}, {"SCOTT"}, {"ADAMS"}}));
    ASSERT_EQ(Exec(w, "rollback").code, 0);
}

TEST_F(HierarchyTest, BindsAreNumberedInTextOrderAcrossTheClauses) {
    ASSERT_EQ(Exec(c_, "create table tree2 (grp varchar2(5), id number, parent_id number, name varchar2(10))").code, 0);
    const char* rows[] = {"('A', 0, null, 'root')", "('A', 1, 0, 'one')", "('A', 2, 0, 'two')",
                          "('B', 0, null, 'other')", "('B', 1, 0, 'stray')", "('A', 3, 1, 'three')"};
    for (const char* r : rows) ASSERT_EQ(Exec(c_, std::string("insert into tree2 values ") + r).code, 0);
    Rows got = QueryBound(c_, "select name from tree2 where grp = :1 connect by prior id = parent_id and grp = :2 "
                              "start with id = 0 and grp = :3",
                          {"A", "A", "B"});
    // Roots come from group B, children from group A, and WHERE keeps group A: none survives but
    // the children of B's root that are in A.
    EXPECT_EQ(got, (Rows{{"one"}, {"three"}, {"two"}}));
    ASSERT_EQ(Exec(c_, "drop table tree2").code, 0);
}

}  // namespace
