// Writing several settings at once: the text edit keeps everything else in the file, what it writes reads
// back exactly through the INI reader, and a failure at any step leaves the old file whole.
#include "IniSettingsKey.h"
#include "IniText.h"
#include "SettingsFileWrite.h"

#include <gtest/gtest.h>

#include <QSettings>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class SettingsFileWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quarvel-write-XXXXXX";
        dir_ = mkdtemp(pattern);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir_, ignored);
    }
    std::string File() const { return dir_ + "/VORANTE.ini"; }
    void Put(const std::string& text) const { std::ofstream(File(), std::ios::binary) << text; }
    std::string Contents() const {
        std::ifstream in(File(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string Value(const std::string& name) const {
        auto key = IniSettingsKey::OpenForReading(File());
        return key ? key->Read(name).value_or("<absent>") : "<no key>";
    }
    size_t FilesInFolder() const {
        size_t n = 0;
        for (const auto& entry : fs::directory_iterator(dir_))
            n += entry.path().filename() != "VORANTE.ini.lock";
        return n;
    }
    std::string dir_;
};

// Fails the chosen call with the chosen error, as a full disk or a broken device would.
class FailingFiles : public CFileAccess {
public:
    enum class Step { None, Create, Write, Sync, Close, Rename };
    Step fail = Step::None;
    int error = ENOSPC;
    std::string temporary;

    int CreateTemporary(const std::string& folder, const std::string& prefix, std::string& path) override {
        if (fail == Step::Create)
            return Fail(-1);
        const int fd = CFileAccess::CreateTemporary(folder, prefix, path);
        temporary = path;
        return fd;
    }
    int64_t Write(int fd, const char* data, size_t size) override {
        if (fail == Step::Write) {
            CFileAccess::Write(fd, data, size / 2); // part of it reached the disk
            return Fail(-1);
        }
        return CFileAccess::Write(fd, data, size);
    }
    bool SyncToDisk(int fd) override { return fail == Step::Sync ? Fail(false) : CFileAccess::SyncToDisk(fd); }
    bool Close(int fd) override {
        const bool closed = CFileAccess::Close(fd);
        return fail == Step::Close ? Fail(false) : closed;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        return fail == Step::Rename ? Fail(false) : CFileAccess::Rename(from, to);
    }

private:
    template <class T>
    T Fail(T result) {
        errno = error;
        return result;
    }
};

const std::vector<IniValue> kFive = {{"SQLFirstFetchCount", "7"},
                                     {"DbmsOutputBufferSize", "abc"},
                                     {"SaveSqlHistory", "1"},
                                     {"ShowSqlOutputWindow", "0"},
                                     {"ExplainPlanTableName", "MY PLAN"}};

} // namespace

TEST_F(SettingsFileWriteTest, AwkwardTextsReadBackExactlyThroughTheIniReader) {
    const std::vector<std::string> texts = {"",      "  75",     "abc",       " trailing ", "a, b",  "x=y;z",
                                            "#hash", "\"q\"",    "back\\slash", "@Variant(x)", "@@two", "Grüße",
                                            "tab\there", "a\nb\r\nc", std::string("\x01" "7f", 3), "\x7f" "a",
                                            "[General]", "; not a comment", "100"};
    std::vector<IniValue> values;
    for (size_t i = 0; i < texts.size(); ++i)
        values.push_back({"V" + std::to_string(i), texts[i]});
    ASSERT_EQ(WriteSettingsFile(File(), values), "");
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(Value("V" + std::to_string(i)), texts[i]) << IniValueLine("V", texts[i]);
    // Plain numbers and names stay readable by hand.
    EXPECT_EQ(IniValueLine("SQLFirstFetchCount", "100"), "SQLFirstFetchCount=100");
    EXPECT_EQ(IniValueLine("ExplainPlanTableName", "PLAN_TABLE"), "ExplainPlanTableName=PLAN_TABLE");
}

TEST_F(SettingsFileWriteTest, ReplacesInPlaceAddsTheRestInOrderAndKeepsEverythingElse) {
    const std::string before = "; kept by hand\r\n"
                               "[General]\r\n"
                               "ChildWndStatus=1\r\n"
                               "SaveSqlHistory = 2\r\n"
                               "SQLFirstFetchCount=old\\\r\n"
                               "continued\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               "SQLFirstFetchCount=not ours\r\n"
                               "SaveSqlHistory=also not ours\r\n";
    Put(before);
    ASSERT_EQ(WriteSettingsFile(File(), kFive), "");
    EXPECT_EQ(Contents(), "; kept by hand\r\n"
                          "[General]\r\n"
                          "ChildWndStatus=1\r\n"
                          "SaveSqlHistory=1\r\n"
                          "SQLFirstFetchCount=7\r\n"
                          "DbmsOutputBufferSize=abc\r\n"
                          "ShowSqlOutputWindow=0\r\n"
                          "ExplainPlanTableName=MY PLAN\r\n"
                          "\r\n"
                          "[Other]\r\n"
                          "SQLFirstFetchCount=not ours\r\n"
                          "SaveSqlHistory=also not ours\r\n");
    EXPECT_EQ(Value("ChildWndStatus"), "1");
    EXPECT_EQ(Value("SQLFirstFetchCount"), "7");
    EXPECT_EQ(Value("ExplainPlanTableName"), "MY PLAN");
    QSettings reader(QString::fromStdString(File()), QSettings::IniFormat);
    EXPECT_EQ(reader.value("Other/SQLFirstFetchCount").toString(), QStringLiteral("not ours"));
    // The continued old value went whole: no piece of it is left as a value of its own.
    EXPECT_EQ(reader.childKeys().size(), 6);
}

TEST_F(SettingsFileWriteTest, TopLevelValuesWithoutAGeneralSectionAndDuplicates) {
    // Values above the first section are top-level too; a second line of the same name goes.
    Put("SQLFirstFetchCount=1\nSQLFirstFetchCount=2\n[Other]\nx=1");
    ASSERT_EQ(WriteSettingsFile(File(), {{"SQLFirstFetchCount", "3"}, {"SaveSqlHistory", "0"}}), "");
    EXPECT_EQ(Contents(), "SQLFirstFetchCount=3\nSaveSqlHistory=0\n[Other]\nx=1");
    EXPECT_EQ(Value("SQLFirstFetchCount"), "3");
    EXPECT_EQ(Value("SaveSqlHistory"), "0");

    // Only a section elsewhere: a [General] section comes first, as the INI writer puts it.
    Put("[Other]\nx=1\n");
    ASSERT_EQ(WriteSettingsFile(File(), {{"SaveSqlHistory", "1"}}), "");
    EXPECT_EQ(Contents(), "[General]\nSaveSqlHistory=1\n\n[Other]\nx=1\n");
    EXPECT_EQ(Value("SaveSqlHistory"), "1");

    // [general] in any case is the top level; a file that ends without a line end gets one first.
    Put("[general]\nChildWndStatus=0");
    ASSERT_EQ(WriteSettingsFile(File(), {{"SaveSqlHistory", "1"}}), "");
    EXPECT_EQ(Contents(), "[general]\nChildWndStatus=0\nSaveSqlHistory=1\n");
    EXPECT_EQ(Value("SaveSqlHistory"), "1");
    EXPECT_EQ(Value("ChildWndStatus"), "0");
}

TEST_F(SettingsFileWriteTest, MissingFileAndFolderAreMade) {
    const std::string file = dir_ + "/a/b/VORANTE.ini";
    ASSERT_EQ(WriteSettingsFile(file, kFive), "");
    auto key = IniSettingsKey::OpenForReading(file);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->Read("DbmsOutputBufferSize").value_or("<absent>"), "abc");
    EXPECT_EQ(WriteSettingsFile("", kFive).empty(), false);
}

TEST_F(SettingsFileWriteTest, EachFailingStepReportsTheSystemErrorAndKeepsTheOldFile) {
    const std::string before = "[General]\nSQLFirstFetchCount=50\nChildWndStatus=1\n";
    for (FailingFiles::Step step : {FailingFiles::Step::Create, FailingFiles::Step::Write, FailingFiles::Step::Sync,
                                    FailingFiles::Step::Close, FailingFiles::Step::Rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        Put(before);
        FailingFiles files;
        files.fail = step;
        const std::string error = WriteSettingsFile(File(), kFive, files);
        EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << error;
        EXPECT_NE(error.find(File()), std::string::npos) << error;
        EXPECT_EQ(Contents(), before);
        EXPECT_EQ(FilesInFolder(), 1u); // no temporary file is left behind
    }
}

TEST_F(SettingsFileWriteTest, ReadOnlyFileIsReportedAndNotReplaced) {
    // A file without write permission is not replaced, even by a user the system would let do it.
    const std::string before = "[General]\nSQLFirstFetchCount=50\n";
    Put(before);
    fs::permissions(File(), fs::perms::owner_read | fs::perms::group_read);
    std::string error = IniSettingsKey::WriteValues(File(), kFive);
    EXPECT_NE(error.find(std::strerror(EACCES)), std::string::npos) << error;
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(SettingsFileWriteTest, ReadOnlyFolderIsReportedAndTheFileStays) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder";
    const std::string before = "[General]\nSQLFirstFetchCount=50\n";
    Put(before);
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string error = IniSettingsKey::WriteValues(File(), kFive);
    EXPECT_NE(error.find(std::strerror(EACCES)), std::string::npos) << error;
    EXPECT_EQ(Contents(), before);
}

TEST_F(SettingsFileWriteTest, KeepsTheFilesPermissions) {
    Put("[General]\n");
    fs::permissions(File(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(WriteSettingsFile(File(), kFive), "");
    EXPECT_EQ(fs::status(File()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
