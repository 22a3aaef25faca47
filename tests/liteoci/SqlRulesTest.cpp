// Column rules, constraint names, savepoints and the dictionary in the cases around the everyday ones:
// composite and unnamed keys, rules that meet triggers, savepoints reused and erased, DDL that renames.
// Expected values follow Oracle's documented behaviour.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OciClient.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

class SqlRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = MakeDatabase();
        ASSERT_EQ(c_.Logon("DEMO", "demo", path_).code, 0);
    }
    void Run(const std::string& sql) { ASSERT_EQ(Exec(c_, sql).code, 0) << sql << ": " << c_.LastError().text; }
    std::string ErrorOf(const std::string& sql) {
        Error e = Exec(c_, sql);
        return e.text.substr(0, e.text.find('\n'));
    }
    std::string path_;
    Conn c_;
};

TEST_F(SqlRulesTest, CompositeAndUnnamedKeysKeepTheirNamesInDictionaryAndMessages) {
    Run("create table pairs (a number, b number, c varchar2(3) unique, constraint pairs_pk primary key (a, b), "
        "check (a < 100))");
    Run("insert into pairs values (1, 1, 'x')");
    EXPECT_EQ(ErrorOf("insert into pairs values (1, 1, 'y')"), "ORA-00001: unique constraint (DEMO.PAIRS_PK) violated");
    // the unnamed unique key and check get generated names, the same in the dictionary and the message
    Rows gen = Query(c_, "select constraint_name, constraint_type, generated from user_constraints where table_name = "
                         "'PAIRS' and constraint_type in ('U', 'C') order by constraint_type");
    ASSERT_EQ(gen.size(), 2u);
    EXPECT_EQ(gen[0][1], "C");
    EXPECT_EQ(gen[1][1], "U");
    EXPECT_EQ(gen[0][0].rfind("SYS_C", 0), 0u);
    EXPECT_EQ(gen[1][2], "GENERATED NAME");
    EXPECT_EQ(ErrorOf("insert into pairs values (2, 2, 'x')"), "ORA-00001: unique constraint (DEMO." + gen[1][0] + ") violated");
    EXPECT_EQ(ErrorOf("insert into pairs values (200, 2, 'z')"), "ORA-02290: check constraint (DEMO." + gen[0][0] + ") violated");
    EXPECT_EQ(Query(c_, "select column_name, position from user_cons_columns where constraint_name = 'PAIRS_PK' "
                        "order by position"),
              (Rows{{"A", "1"}, {"B", "2"}}));
    // key columns are NOT NULL in Oracle
    EXPECT_EQ(Query(c_, "select nullable from user_tab_columns where table_name = 'PAIRS' and column_name = 'B'"),
              (Rows{{"N"}}));
}

TEST_F(SqlRulesTest, ForeignKeysShowTheirRuleAndTheKeyTheyReferTo) {
    Run("create table parent (id number primary key)");
    Run("create table child (id number, pid number, constraint child_fk foreign key (pid) references parent (id) "
        "on delete cascade)");
    EXPECT_EQ(Query(c_, "select r_owner, delete_rule, status from user_constraints where constraint_name = 'CHILD_FK'"),
              (Rows{{"DEMO", "CASCADE", "ENABLED"}}));
    const Rows pk = Query(c_, "select constraint_name from user_constraints where table_name = 'PARENT'");
    ASSERT_EQ(pk.size(), 1u);
    EXPECT_EQ(Query(c_, "select r_constraint_name from user_constraints where constraint_name = 'CHILD_FK'"), (Rows{{pk[0][0]}}));
    EXPECT_EQ(ErrorOf("insert into child values (1, 9)"),
              "ORA-02291: integrity constraint (DEMO.CHILD_FK) violated - parent key not found");
}

TEST_F(SqlRulesTest, LengthsAndPrecisionsHoldForUpdatesAddedColumnsAndBinds) {
    Run("create table sized (code char(2), name nvarchar2(3), n number(4,1), i integer)");
    EXPECT_EQ(ErrorOf("insert into sized (code) values ('abc')"),
              "ORA-12899: value too large for column \"DEMO\".\"SIZED\".\"CODE\" (actual: 3, maximum: 2)");
    Run("insert into sized (code, n, i) values ('ab', 999.94, 2.5)");
    EXPECT_EQ(Query(c_, "select n, i from sized"), (Rows{{"999.9", "3"}}));
    EXPECT_EQ(ErrorOf("update sized set n = 999.96"), "ORA-01438: value larger than specified precision allowed for this column");
    EXPECT_EQ(ErrorOf("insert into sized (n) values ('twelve')"), "ORA-01722: invalid number");
    Run("alter table sized add (extra varchar2(2))");
    EXPECT_EQ(ErrorOf("update sized set extra = 'xyz'"),
              "ORA-12899: value too large for column \"DEMO\".\"SIZED\".\"EXTRA\" (actual: 3, maximum: 2)");
    Error e;
    QueryBound(c_, "select count(*) from sized where code = :1", {"ab"}, &e);
    EXPECT_EQ(e.code, 0);
    Stmt bound(c_, "insert into sized (code) values (:1)");
    std::string value = "toolong";
    OCIBind* b = nullptr;
    Oci().BindByPos(bound.st, &b, c_.err, 1, value.data(), static_cast<sb4>(value.size()), SQLT_CHR, nullptr, nullptr,
                    nullptr, 0, nullptr, OCI_DEFAULT);
    EXPECT_EQ(bound.Execute(), OCI_ERROR);
    EXPECT_EQ(c_.LastError().code, 12899);
    // the rules are no constraints of the user's
    EXPECT_EQ(Query(c_, "select count(*) from user_constraints where table_name = 'SIZED'"), (Rows{{"0"}}));
}

TEST_F(SqlRulesTest, RoundingMeetsTriggersOfTheTable) {
    Run("create table priced (id number, price number(6,2))");
    Run("create table audit_log (id number, price number)");
    Run("create trigger priced_audit after insert or update on priced for each row begin "
        "insert into audit_log values (:new.id, :new.price); end;");
    Run("insert into priced values (1, 10.125)");
    Run("update priced set price = 3.14159 where id = 1");
    EXPECT_EQ(Query(c_, "select price from priced"), (Rows{{"3.14"}}));
    // the trigger fired once per statement's row, not again for the rounding
    EXPECT_EQ(Query(c_, "select count(*) from audit_log"), (Rows{{"2"}}));
}

TEST_F(SqlRulesTest, SavepointsAreErasedAndMovedAsOracleDoes) {
    Run("create table steps (n number)");
    Run("insert into steps values (1)");
    Run("savepoint a");
    Run("insert into steps values (2)");
    Run("savepoint b");
    Run("insert into steps values (3)");
    Run("rollback to a");
    EXPECT_EQ(Query(c_, "select n from steps order by n"), (Rows{{"1"}}));
    // b came after a: gone with the rollback to a; a itself stays
    EXPECT_EQ(ErrorOf("rollback to savepoint b"), "ORA-01086: savepoint 'B' never established in this session or is invalid");
    Run("insert into steps values (4)");
    Run("rollback to savepoint a");
    Run("insert into steps values (5)");
    Run("savepoint a");  // moved: the older a is erased
    Run("insert into steps values (6)");
    Run("rollback to a");
    EXPECT_EQ(Query(c_, "select n from steps order by n"), (Rows{{"1"}, {"5"}}));
    Run("commit");
    EXPECT_EQ(ErrorOf("rollback to a"), "ORA-01086: savepoint 'A' never established in this session or is invalid");
    EXPECT_EQ(ErrorOf("savepoint"), "ORA-00936: missing expression");
    // a DDL statement commits, and its savepoints end with the transaction
    Run("insert into steps values (7)");
    Run("savepoint c");
    Run("create table other (x number)");
    EXPECT_EQ(ErrorOf("rollback to c"), "ORA-01086: savepoint 'C' never established in this session or is invalid");
    EXPECT_EQ(Query(c_, "select count(*) from steps"), (Rows{{"3"}}));
}

TEST_F(SqlRulesTest, DictionaryFollowsRenamesAndDropsAndSeesOtherSessionsDdl) {
    Run("create table old_name (id number)");
    Run("comment on table old_name is 'kept'");
    Run("rename old_name to new_name");
    EXPECT_EQ(Query(c_, "select comments from user_tab_comments where table_name = 'NEW_NAME'"), (Rows{{"kept"}}));
    EXPECT_EQ(Query(c_, "select count(*) from user_objects where object_name = 'NEW_NAME' and created is not null"),
              (Rows{{"1"}}));
    Conn other;
    ASSERT_EQ(other.Logon("DEMO", "demo", path_).code, 0);
    ASSERT_EQ(Exec(other, "create table from_other (x varchar2(7))").code, 0);
    EXPECT_EQ(Query(c_, "select data_type, data_length from user_tab_columns where table_name = 'FROM_OTHER'"),
              (Rows{{"VARCHAR2", "7"}}));
    Run("comment on table new_name is ''");
    EXPECT_EQ(Query(c_, "select comments from user_tab_comments where table_name = 'NEW_NAME'"), (Rows{{"<null>"}}));
    Run("drop table new_name");
    EXPECT_EQ(Query(c_, "select count(*) from user_tab_comments where table_name = 'NEW_NAME'"), (Rows{{"0"}}));
    EXPECT_EQ(ErrorOf("comment on table new_name is 'x'"), "ORA-00942: table or view does not exist");
    // the client's own tables stay out of the dictionary
    EXPECT_EQ(Query(c_, "select count(*) from all_objects where object_name like 'liteoci%' or object_name like 'sqlite%'"),
              (Rows{{"0"}}));
}

TEST_F(SqlRulesTest, UnitsAppearInUserObjectsWithTheirStatus) {
    Run("create procedure good_proc is begin null; end;");
    Exec(c_, "create procedure bad_proc is begin no_such_call; end;");
    EXPECT_EQ(Query(c_, "select object_name, object_type, status from user_objects where object_type = 'PROCEDURE' "
                        "order by object_name"),
              (Rows{{"BAD_PROC", "PROCEDURE", "INVALID"}, {"GOOD_PROC", "PROCEDURE", "VALID"}}));
    Run("drop procedure bad_proc");
    EXPECT_EQ(Query(c_, "select count(*) from user_objects where object_name = 'BAD_PROC'"), (Rows{{"0"}}));
}

}  // namespace
