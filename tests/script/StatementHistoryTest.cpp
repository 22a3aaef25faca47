// The history log byte for byte: entry layout, line ends, appending, the switch, unwritable files.
#include "StatementHistory.h"
#include "SmallDisk.h"
#include "TimeText.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

std::tm At(int day, int month, int year, int hour, int minute, int second) {
    std::tm t{};
    t.tm_mday = day;
    t.tm_mon = month - 1;
    t.tm_year = year - 1900;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class History : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quarvel-history-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        path_ = dir_ + "/Quarvel.log";
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string dir_;
    std::string path_;
};

} // namespace

TEST(TimeText, FieldsAreTwoDigitsAndTheYearFour) {
    const std::tm t = At(7, 12, 2026, 22, 10, 14);
    EXPECT_EQ(script::HistoryTimeStamp(t), "07-12-2026 22-10-14");
    EXPECT_EQ(script::OutputLinePrefix(t), "[22:10:14]: ");
    const std::tm early = At(1, 2, 987, 3, 4, 5);
    EXPECT_EQ(script::HistoryTimeStamp(early), "01-02-0987 03-04-05");
    EXPECT_EQ(script::OutputLinePrefix(early), "[03:04:05]: ");
}

TEST_F(History, EntriesAreAppendedByteForByteWithCrLf) {
    ASSERT_TRUE(script::AppendStatementHistory("select * from emp", true, path_, At(7, 12, 2026, 22, 10, 14)));
    EXPECT_EQ(ReadAll(path_), "07-12-2026 22-10-14\r\nselect * from emp\r\n\r\n");

    // A script as the script runner passes it: each line ends in a blank and LF.
    ASSERT_TRUE(script::AppendStatementHistory("begin \nnull; \nend; \n/", true, path_, At(8, 12, 2026, 0, 0, 9)));
    EXPECT_EQ(ReadAll(path_), "07-12-2026 22-10-14\r\nselect * from emp\r\n\r\n"
                              "08-12-2026 00-00-09\r\nbegin \r\nnull; \r\nend; \r\n/\r\n\r\n");
}

TEST_F(History, TextIsKeptExactlyEvenWhenOddOrEmpty) {
    const std::tm t = At(31, 1, 2027, 23, 59, 59);
    // Empty text, a CR LF already present, a lone CR, a NUL-free UTF-8 text and a leading LF.
    ASSERT_TRUE(script::AppendStatementHistory("", true, path_, t));
    ASSERT_TRUE(script::AppendStatementHistory("a\r\nb\rc", true, path_, t));
    ASSERT_TRUE(script::AppendStatementHistory("\nselect 'ä€' from dual", true, path_, t));
    EXPECT_EQ(ReadAll(path_), "31-01-2027 23-59-59\r\n\r\n\r\n"
                              "31-01-2027 23-59-59\r\na\r\nb\rc\r\n\r\n"
                              "31-01-2027 23-59-59\r\n\r\nselect 'ä€' from dual\r\n\r\n");
}

TEST_F(History, SwitchedOffWritesNothingAndLeavesAnExistingLogUntouched) {
    EXPECT_FALSE(script::AppendStatementHistory("select 1 from dual", false, path_, At(1, 1, 2026, 1, 1, 1)));
    EXPECT_FALSE(std::filesystem::exists(path_));

    { std::ofstream(path_, std::ios::binary) << "old entry\r\n"; }
    const auto before = std::filesystem::last_write_time(path_);
    EXPECT_FALSE(script::AppendStatementHistory("select 2 from dual", false, path_, At(1, 1, 2026, 1, 1, 1)));
    EXPECT_EQ(ReadAll(path_), "old entry\r\n");
    EXPECT_EQ(std::filesystem::last_write_time(path_), before);
}

TEST_F(History, AFileThatCannotBeWrittenLosesTheEntryAndTellsWhy) {
    int reason = -1;
    EXPECT_FALSE(script::AppendStatementHistory("x", true, dir_ + "/missing/Quarvel.log", At(1, 1, 2026, 1, 1, 1), &reason));
    EXPECT_EQ(reason, ENOENT);
    EXPECT_FALSE(script::AppendStatementHistory("x", true, dir_, At(1, 1, 2026, 1, 1, 1), &reason)); // a folder
    EXPECT_EQ(reason, EISDIR);
    // The switch off is no failure.
    EXPECT_FALSE(script::AppendStatementHistory("x", false, dir_, At(1, 1, 2026, 1, 1, 1), &reason));
    EXPECT_EQ(reason, 0);
    EXPECT_TRUE(script::AppendStatementHistory("x", true, path_, At(1, 1, 2026, 1, 1, 1), &reason));
    EXPECT_EQ(reason, 0);
    // A full disk refuses the entry when it is flushed.
    SmallDisk full(SmallDisk::Kind::Full);
    if (full.Mounted()) {
        EXPECT_FALSE(script::AppendStatementHistory(std::string(10000, 'x'), true, full.File("Quarvel.log"),
                                                    At(1, 1, 2026, 1, 1, 1), &reason));
        EXPECT_EQ(reason, ENOSPC);
    }
}

TEST_F(History, CurrentDirectoryLogUsesTheRealClock) {
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    const std::string stampBefore = script::HistoryTimeStamp(script::LocalTimeNow());
    const bool written = script::AppendStatementHistory("commit", true);
    const std::string stampAfter = script::HistoryTimeStamp(script::LocalTimeNow());
    const std::string where = script::StatementHistoryPath();
    ASSERT_EQ(chdir(previous), 0);

    ASSERT_TRUE(written);
    EXPECT_EQ(where, path_);
    const std::string log = ReadAll(path_);
    const std::string tail = "\r\ncommit\r\n\r\n";
    ASSERT_EQ(log.size(), 19 + tail.size());
    EXPECT_EQ(log.substr(19), tail);
    const std::string stamp = log.substr(0, 19);
    EXPECT_TRUE(stamp == stampBefore || stamp == stampAfter) << stamp;
}
