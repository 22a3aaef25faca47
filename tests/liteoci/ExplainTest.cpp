// EXPLAIN PLAN into a plan table, read back with the program's hierarchical plan query.
#include <gtest/gtest.h>

#include "OciClient.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

// The plan table the program creates, piece by piece as it builds it.
const char* const kPlanTableColumns =
    "statement_id    varchar2(30),timestamp       date,remarks         varchar2(80),operation       varchar2(30),"
    "options         varchar2(255),object_node     varchar2(128),object_owner    varchar2(30),"
    "object_name     varchar2(30),object_instance numeric,object_type     varchar2(30),"
    "optimizer       varchar2(255),search_columns  number,id              numeric,parent_id       numeric,"
    "position        numeric,cost            numeric,cardinality     numeric,bytes           numeric,"
    "other_tag       varchar2(255),partition_start varchar2(255),partition_stop  varchar2(255),"
    "partition_id    numeric,other           long,distribution    varchar2(30),cpu_cost        numeric,"
    "io_cost         numeric,temp_space      numeric,access_predicates varchar2(4000),"
    "filter_predicates varchar2(4000))";

// The query the program reads a plan with.
std::string PlanQuery(const std::string& table) {
    return "select to_char(id), lpad(' ', 2*level)||operation||decode(id,0,decode(nvl(cost,-1),-1,'',' Cost = '||"
           "to_char(cost)))||' '||options||' '||object_name from " + table + " where statement_id = :1 "
           "connect by prior id = parent_id and statement_id = :2 start with id = 0 and statement_id = :3 ";
}

class ExplainTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        path_ = new std::string(MakeDatabase());
        Conn c;
        ASSERT_EQ(c.Logon("DEMO", "demo", *path_).code, 0);
        ASSERT_EQ(Exec(c, std::string("create table PLAN_TABLE (") + kPlanTableColumns).code, 0);
        ASSERT_EQ(Exec(c, "create table observers (observer_id number primary key, name varchar2(40))").code, 0);
        ASSERT_EQ(Exec(c, "create table observations (obs_id number primary key, observer_id number, "
                          "instrument_id number, started date, magnitude number)").code, 0);
        ASSERT_EQ(Exec(c, "create index obs_instrument on observations (instrument_id)").code, 0);
        for (int i = 1; i <= 30; ++i)
            ASSERT_EQ(Exec(c, "insert into observations values (" + std::to_string(i) + ", " + std::to_string(i % 3 + 1) +
                              ", " + std::to_string(i % 5 * 10) + ", sysdate - " + std::to_string(i) + ", " +
                              std::to_string(i) + ")").code, 0);
        for (int i = 1; i <= 3; ++i)
            ASSERT_EQ(Exec(c, "insert into observers values (" + std::to_string(i) + ", 'o" + std::to_string(i) + "')").code, 0);
        ASSERT_EQ(Exec(c, "commit").code, 0);
    }
    static void TearDownTestSuite() { delete path_; }
    void SetUp() override { ASSERT_EQ(c_.Logon("DEMO", "demo", *path_).code, 0); }

    // The plan rows of sql as the program shows them: id and indented operation text.
    Rows Plan(const std::string& sql, Error* error = nullptr) {
        ++counter_;
        const std::string id = "T" + std::to_string(counter_);
        Error e = Exec(c_, "explain plan set statement_id =  '" + id + "' into PLAN_TABLE for " + sql);
        if (error) *error = e;
        if (e.code != 0) return {};
        return QueryBound(c_, PlanQuery("PLAN_TABLE"), {id, id, id});
    }
    // The operation texts without their costs, which are estimates.
    static Rows Shapes(Rows rows) {
        for (auto& r : rows) {
            std::string& t = r[1];
            size_t cost = t.find(" Cost = ");
            if (cost != std::string::npos) t.erase(cost, t.find(' ', cost + 8) - cost);
            while (!t.empty() && t.back() == ' ') t.pop_back();
        }
        return rows;
    }

    static std::string* path_;
    static int counter_;  // statement ids stay unique: plans are committed when a session ends
    Conn c_;
};
std::string* ExplainTest::path_ = nullptr;
int ExplainTest::counter_ = 0;

TEST_F(ExplainTest, ScansAndLookupsAreNamedAsOracleNamesThem) {
    EXPECT_EQ(Shapes(Plan("select * from observations")),
              (Rows{{"0", "  SELECT STATEMENT"}, {"1", "    TABLE ACCESS FULL OBSERVATIONS"}}));
    Rows byKey = Shapes(Plan("select name from observers where observer_id = 2"));
    ASSERT_EQ(byKey.size(), 3u);
    EXPECT_EQ(byKey[1][1], "    TABLE ACCESS BY INDEX ROWID OBSERVERS");
    EXPECT_EQ(byKey[2][1].substr(0, 31), "      INDEX UNIQUE SCAN SYS_C00");
    EXPECT_EQ(Shapes(Plan("select * from observations where instrument_id = 10")),
              (Rows{{"0", "  SELECT STATEMENT"},
                    {"1", "    TABLE ACCESS BY INDEX ROWID OBSERVATIONS"},
                    {"2", "      INDEX RANGE SCAN OBS_INSTRUMENT"}}));
}

TEST_F(ExplainTest, JoinSortGroupAndRownumBuildTheTree) {
    Rows join = Shapes(Plan("select * from observations o join observers b on b.observer_id = o.observer_id "
                            "where o.instrument_id = 10 order by o.started"));
    ASSERT_EQ(join.size(), 7u);
    EXPECT_EQ(join[1][1], "    SORT ORDER BY");
    EXPECT_EQ(join[2][1], "      NESTED LOOPS");
    EXPECT_EQ(join[3][1], "        TABLE ACCESS BY INDEX ROWID OBSERVATIONS");
    EXPECT_EQ(join[4][1], "          INDEX RANGE SCAN OBS_INSTRUMENT");
    EXPECT_EQ(join[5][1], "        TABLE ACCESS BY INDEX ROWID OBSERVERS");
    EXPECT_EQ(join[6][1].substr(0, 33), "          INDEX UNIQUE SCAN SYS_C");

    Rows group = Shapes(Plan("select observer_id, count(*) from observations group by observer_id"));
    ASSERT_EQ(group.size(), 3u);
    EXPECT_TRUE(group[1][1] == "    HASH GROUP BY" || group[1][1] == "    SORT GROUP BY") << group[1][1];
    EXPECT_EQ(group[2][1], "      TABLE ACCESS FULL OBSERVATIONS");
    EXPECT_EQ(Shapes(Plan("select count(*) from observers")).at(1)[1], "    SORT AGGREGATE");

    // ROWNUM is taken before the query's own ORDER BY sorts.
    EXPECT_EQ(Shapes(Plan("select * from observations where rownum <= 5 order by magnitude")),
              (Rows{{"0", "  SELECT STATEMENT"}, {"1", "    SORT ORDER BY"}, {"2", "      COUNT STOPKEY"},
                    {"3", "        TABLE ACCESS FULL OBSERVATIONS"}}));
}

TEST_F(ExplainTest, DmlHasItsChangeAboveTheAccess) {
    Rows upd = Shapes(Plan("update observations set magnitude = 1 where obs_id = 4"));
    ASSERT_EQ(upd.size(), 4u);
    EXPECT_EQ(upd[0][1], "  UPDATE STATEMENT");
    EXPECT_EQ(upd[1][1], "    UPDATE  OBSERVATIONS");
    EXPECT_EQ(upd[2][1], "      TABLE ACCESS BY INDEX ROWID OBSERVATIONS");
    EXPECT_EQ(Shapes(Plan("delete from observers")),
              (Rows{{"0", "  DELETE STATEMENT"}, {"1", "    DELETE  OBSERVERS"}, {"2", "      TABLE ACCESS FULL OBSERVERS"}}));
    EXPECT_EQ(Shapes(Plan("insert into observers values (9, 'x')")),
              (Rows{{"0", "  INSERT STATEMENT"}, {"1", "    LOAD TABLE CONVENTIONAL OBSERVERS"}}));
    // Explaining changes nothing.
    EXPECT_EQ(Scalar(c_, "select count(*) from observers"), "3");
}

TEST_F(ExplainTest, PlanRowsFormATreeWithTheStatementRowCarryingTheCost) {
    Plan("select * from observations o join observers b on b.observer_id = o.observer_id order by o.started");
    const std::string id = "T" + std::to_string(counter_);
    Rows rows = QueryBound(c_, "select id, parent_id, position, cost, object_owner, optimizer, "
                               "nvl2(timestamp, 'set', 'unset') from plan_table where statement_id = :1 order by id",
                           {id});
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(rows[0][1], "<null>");
    EXPECT_EQ(rows[0][2], rows[0][3]);  // the statement row's position is its cost
    EXPECT_EQ(rows[0][5], "ALL_ROWS");
    for (size_t i = 1; i < rows.size(); ++i) {
        const int parent = std::stoi(rows[i][1]);
        EXPECT_LT(parent, static_cast<int>(i));  // a parent comes before its children
        EXPECT_EQ(rows[i][6], "set");
        // positions count the children of each parent from 1
        int siblingsBefore = 0;
        for (size_t k = 1; k < i; ++k) siblingsBefore += rows[k][1] == rows[i][1];
        EXPECT_EQ(std::stoi(rows[i][2]), siblingsBefore + 1) << i;
    }
    EXPECT_EQ(Scalar(c_, "select count(*) from plan_table where object_owner = 'DEMO' and object_name = 'OBSERVERS' "
                         "and statement_id = '" + id + "'"),
              "1");
}

TEST_F(ExplainTest, WhatCannotBeExplainedIsRefused) {
    Error e;
    Plan("select * from no_such_table", &e);
    EXPECT_EQ(e.code, 942);
    Plan("begin null; end;", &e);
    EXPECT_EQ(e.code, 900);
    Plan("create table z (a number)", &e);
    EXPECT_EQ(e.code, 900);
    EXPECT_EQ(Exec(c_, "explain plan into no_plans for select * from observers").code, 942);
    EXPECT_EQ(Exec(c_, "explain plan select * from observers").code, 905);
    // A table without the plan columns cannot take the plan.
    EXPECT_EQ(Exec(c_, "explain plan into observers for select * from observers").code, 904);
    // Without SET STATEMENT_ID the rows have none.
    ASSERT_EQ(Exec(c_, "explain plan for select * from observers").code, 0);
    EXPECT_EQ(Scalar(c_, "select count(*) from plan_table where statement_id is null"), "2");
}

}  // namespace

namespace {

// The outer join operator is rewritten for the plan as for the query: the optional table is read too.
TEST_F(ExplainTest, OuterJoinOperatorIsPlannedAsTheQueryRuns) {
    Error e;
    const Rows plan = Plan("select o.name, b.magnitude from observers o, observations b "
                           "where o.observer_id = b.observer_id(+)", &e);
    ASSERT_EQ(e.code, 0) << e.text;
    std::string all;
    for (const auto& r : plan) all += r[1] + "\n";
    EXPECT_NE(all.find("OBSERVERS"), std::string::npos) << all;
    EXPECT_NE(all.find("OBSERVATIONS"), std::string::npos) << all;
}

}  // namespace
