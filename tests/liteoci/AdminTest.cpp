// liteoci-admin: creating files, refusing to overwrite, managing users.
#include <gtest/gtest.h>

#include <fstream>

#include "OciClient.h"

TEST(AdminTest, CreatesRefusesOverwriteAndManagesUsers) {
    std::string path = TempDir() + "/admin.db";
    EXPECT_EQ(RunAdmin("create " + path), 0);
    EXPECT_NE(RunAdmin("create " + path), 0);
    EXPECT_EQ(RunAdmin("user " + path + " scott tiger"), 0);
    {
        Conn c;
        EXPECT_EQ(c.Logon("SCOTT", "tiger", path).code, 0);
        Conn sysdba;
        EXPECT_EQ(sysdba.Logon("SCOTT", "tiger", path, true).code, 1031);
    }
    EXPECT_EQ(RunAdmin("user " + path + " scott lion --sysdba"), 0);
    Conn old;
    EXPECT_EQ(old.Logon("SCOTT", "tiger", path).code, 1017);
    Conn fresh;
    EXPECT_EQ(fresh.Logon("SCOTT", "lion", path, true).code, 0);

    EXPECT_EQ(RunAdmin(""), 2);
    EXPECT_EQ(RunAdmin("user " + path + " onlyname"), 2);
    EXPECT_EQ(RunAdmin("user " + path + " a b --bogus"), 2);
    EXPECT_NE(RunAdmin("user " + path + ".missing a b"), 0);

    std::string script = TempDir() + "/s.sql";
    std::ofstream(script) << "create table z (a number);\ninsert into z values (1);\n"
                             "begin\n  insert into z values (2);\nend;\n/\n";
    EXPECT_EQ(RunAdmin("run " + path + " scott lion " + script), 0);
    EXPECT_EQ(Scalar(fresh, "select sum(a) from z"), "3");
}
