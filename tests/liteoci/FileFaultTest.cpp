// The database file under an open session: deleted, replaced, read-only, damaged. Each is reported
// as what it is, and nothing is reported as done that went nowhere.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "OciClient.h"

namespace {

std::string Folder(const std::string& path) { return path.substr(0, path.rfind('/')); }

TEST(FileFaultTest, CommitAfterTheFileWasDeletedFailsNamingIt) {
    const std::string path = MakeDatabase();
    Conn c;
    ASSERT_EQ(c.Logon("DEMO", "demo", path).code, 0);
    ASSERT_EQ(Exec(c, "create table t (n number)").code, 0);
    ASSERT_EQ(Exec(c, "insert into t values (1)").code, 0);
    for (const char* suffix : {"", "-wal", "-shm"}) ::unlink((path + suffix).c_str());
    Error e = Exec(c, "commit");
    EXPECT_EQ(e.code, 3135);
    EXPECT_NE(e.text.find(path), std::string::npos) << e.text;
    // Every later call says the same, and the commit of the client interface too.
    EXPECT_EQ(Exec(c, "select 1 from dual").code, 3135);
    EXPECT_NE(Oci().TransCommit(c.svc, c.err, OCI_DEFAULT), OCI_SUCCESS);
}

TEST(FileFaultTest, AFileReplacedUnderTheSessionIsNotWrittenTo) {
    const std::string path = MakeDatabase(), other = MakeDatabase();
    Conn c;
    ASSERT_EQ(c.Logon("DEMO", "demo", path).code, 0);
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    Error e = Exec(c, "create table t (n number)");
    EXPECT_EQ(e.code, 3135);
    // A new session works on the new file.
    Conn d;
    ASSERT_EQ(d.Logon("DEMO", "demo", path).code, 0);
    EXPECT_EQ(Exec(d, "create table t (n number)").code, 0);
}

// Makes folder read-only for this process: by its mode, or, for root (whom modes do not stop), by
// a read-only bind mount over it. False when neither can be done here.
bool MakeReadOnly(const std::string& folder, bool& mounted) {
    mounted = false;
    if (::geteuid() != 0) return ::chmod(folder.c_str(), 0555) == 0;
    if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
    if (::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        ::umount(folder.c_str());
        return false;
    }
    mounted = true;
    return true;
}

TEST(FileFaultTest, ReadOnlyDatabaseAnswersQueriesAndRefusesChanges) {
    const std::string path = MakeDatabase();
    {
        Conn c;
        ASSERT_EQ(c.Logon("DEMO", "demo", path).code, 0);
        ASSERT_EQ(Exec(c, "create table t (n number)").code, 0);
        ASSERT_EQ(Exec(c, "insert into t values (7)").code, 0);
        ASSERT_EQ(Exec(c, "commit").code, 0);
    }
    bool mounted = false;
    if (!MakeReadOnly(Folder(path), mounted)) GTEST_SKIP() << "cannot make a read-only folder here";
    struct Restore {
        std::string folder;
        bool mounted;
        ~Restore() {
            if (mounted) ::umount(folder.c_str());
            else ::chmod(folder.c_str(), 0755);
        }
    } restore{Folder(path), mounted};
    {
        Conn c;
        ASSERT_EQ(c.Logon("DEMO", "demo", path).code, 0);
        EXPECT_EQ(Scalar(c, "select n from t"), "7");
        Error e = Exec(c, "insert into t values (8)");
        EXPECT_EQ(e.code, 16000);
        EXPECT_NE(e.text.find(path), std::string::npos) << e.text;
        EXPECT_EQ(Exec(c, "create table u (n number)").code, 16000);
        EXPECT_EQ(Scalar(c, "select count(*) from t"), "1");
    }
}

TEST(FileFaultTest, DamagedUserTableIsReportedAsDamageNotAsABadPassword) {
    const std::string path = MakeDatabase();
    int root = 0, pageSize = 0;
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        sqlite3_stmt* q = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_master "
                                         "WHERE name = 'liteoci$users'", -1, &q, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(q), SQLITE_ROW);
        root = sqlite3_column_int(q, 0);
        pageSize = sqlite3_column_int(q, 1);
        sqlite3_finalize(q);
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    ASSERT_GT(root, 1);
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(root - 1) * pageSize);
        const std::string junk(static_cast<size_t>(pageSize), '\xA5');
        f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    Conn c;
    Error e = c.Logon("DEMO", "demo", path);
    EXPECT_EQ(e.code, 1578) << e.text;
    EXPECT_NE(e.text.find(path), std::string::npos) << e.text;
}

}  // namespace
