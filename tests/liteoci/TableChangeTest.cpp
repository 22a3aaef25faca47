// ALTER TABLE ... ADD / DROP CONSTRAINT builds the table again: what the table had before must all be
// there after it, and a change that the rows refuse must leave the table as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OciClient.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

class TableChangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = MakeDatabase();
        ASSERT_EQ(c_.Logon("DEMO", "demo", path_).code, 0);
        Run("create table parent (id number constraint parent_pk primary key, name varchar2(5))");
        Run("create table child (id number, pid number, amount number(6,2), "
            "constraint child_fk foreign key (pid) references parent (id))");
        Run("insert into parent values (1, 'one')");
        Run("insert into parent values (2, 'two')");
        Run("insert into child values (10, 1, 5)");
        Run("insert into child values (11, 2, 5)");
        Run("commit");
    }
    void Run(const std::string& sql) { ASSERT_EQ(Exec(c_, sql).code, 0) << sql << ": " << c_.LastError().text; }
    std::string ErrorOf(const std::string& sql) {
        Error e = Exec(c_, sql);
        return e.text.substr(0, e.text.find('\n'));
    }
    std::string path_;
    Conn c_;
};

TEST_F(TableChangeTest, TheTableKeepsItsRowsIndexesTriggersViewsAndKeys) {
    Run("create index child_amount_ix on child (amount)");
    Run("create view child_v as select id, amount from child");
    Run("create table audit_log (what varchar2(20))");
    Run("create trigger child_ai after insert on child for each row begin "
        "insert into audit_log values ('added ' || :new.id); end;");
    Run("alter table child add constraint child_uq unique (id)");
    Run("alter table child add constraint child_ck check (amount < 1000)");

    EXPECT_EQ(Query(c_, "select id, pid, amount from child order by id"), (Rows{{"10", "1", "5"}, {"11", "2", "5"}}));
    EXPECT_EQ(Query(c_, "select index_name from user_indexes where table_name = 'CHILD' and index_name = 'CHILD_AMOUNT_IX'"),
              (Rows{{"CHILD_AMOUNT_IX"}}));
    EXPECT_EQ(Query(c_, "select count(*) from child_v"), (Rows{{"2"}}));
    Run("insert into child values (12, 1, 7.257)");
    // the stored trigger still fires, and NUMBER(6,2) still rounds
    EXPECT_EQ(Query(c_, "select what from audit_log"), (Rows{{"added 12"}}));
    EXPECT_EQ(Query(c_, "select amount from child where id = 12"), (Rows{{"7.26"}}));
    // the old foreign key and the new constraints hold
    EXPECT_EQ(ErrorOf("insert into child values (13, 9, 1)"),
              "ORA-02291: integrity constraint (DEMO.CHILD_FK) violated - parent key not found");
    EXPECT_EQ(ErrorOf("insert into child values (12, 1, 1)"), "ORA-00001: unique constraint (DEMO.CHILD_UQ) violated");
    EXPECT_EQ(ErrorOf("insert into child values (14, 1, 5000)"), "ORA-02290: check constraint (DEMO.CHILD_CK) violated");
    // and a parent built again still has its children's key pointing at it
    Run("alter table parent add constraint parent_name_uq unique (name)");
    EXPECT_EQ(ErrorOf("delete from parent where id = 1"),
              "ORA-02292: integrity constraint (DEMO.CHILD_FK) violated - child record found");
}

TEST_F(TableChangeTest, ARefusedChangeLeavesTheTableAsItWas) {
    Run("insert into child values (10, 2, 6)");
    Run("commit");
    EXPECT_EQ(ErrorOf("alter table child add constraint child_pk primary key (id)"),
              "ORA-02437: cannot validate (DEMO.CHILD_PK) - primary key violated");
    EXPECT_EQ(Query(c_, "select count(*) from child"), (Rows{{"3"}}));
    EXPECT_EQ(Query(c_, "select constraint_name from user_constraints where table_name = 'CHILD'"),
              (Rows{{"CHILD_FK"}}));
    EXPECT_EQ(ErrorOf("alter table child add constraint child_fk2 foreign key (amount) references parent"),
              "ORA-02298: cannot validate (DEMO.CHILD_FK2) - parent keys not found");
    EXPECT_EQ(ErrorOf("alter table child add constraint child_fk3 foreign key (pid) references parent (name)"),
              "ORA-02270: no matching unique or primary key for this column-list");
    EXPECT_EQ(ErrorOf("alter table no_such add constraint x unique (id)"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Query(c_, "select count(*) from child"), (Rows{{"3"}}));
    // the key that another table refers to cannot go; once the reference is gone it can
    EXPECT_EQ(ErrorOf("alter table parent drop constraint parent_pk"),
              "ORA-02273: this unique/primary key is referenced by some foreign keys");
    Run("alter table child drop constraint child_fk");
    Run("alter table parent drop constraint parent_pk");
    Run("insert into parent values (1, 'again')");
    EXPECT_EQ(Query(c_, "select count(*) from parent where id = 1"), (Rows{{"2"}}));
}

TEST_F(TableChangeTest, ChangesCommitPendingWorkAsDdlDoes) {
    Run("insert into parent values (3, 'three')");
    Run("alter table parent add constraint parent_name_ck check (name is not null)");
    Run("rollback");
    EXPECT_EQ(Query(c_, "select count(*) from parent"), (Rows{{"3"}}));
    // a key added later makes its columns NOT NULL too
    Run("create table loose (a number, b number)");
    Run("alter table loose add primary key (a, b)");
    EXPECT_EQ(ErrorOf("insert into loose values (1, null)"), "ORA-01400: cannot insert NULL into (\"DEMO\".\"LOOSE\".\"B\")");
    Run("alter table loose drop primary key");
    Run("insert into loose values (1, null)");
}

}  // namespace
