#include "IniSettingsKey.h"
#include "ProgramSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {
class IniSettingsKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quarvel-settings-XXXXXX";
        dir_ = mkdtemp(pattern);
        setenv("QUARVEL_CONFIG_DIR", (dir_ + "/cfg").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("QUARVEL_CONFIG_DIR");
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::string File() const { return dir_ + "/cfg/VORANTE.ini"; }
    std::string dir_;
};
} // namespace

TEST_F(IniSettingsKeyTest, MissingFileIsAMissingKeyUntilOpenedCreating) {
    EXPECT_EQ(IniSettingsKey::OpenProgramForReading(), nullptr);
    EXPECT_EQ(ReadDocumentSettings(IniSettingsKey::OpenProgramForReading().get()).firstFetchCount, 50);
    {
        auto key = IniSettingsKey::OpenProgramCreating();
        ASSERT_NE(key, nullptr);
        EXPECT_TRUE(fs::exists(File()));
        EXPECT_FALSE(key->Read("SQLFirstFetchCount").has_value());
    }
    EXPECT_NE(IniSettingsKey::OpenProgramForReading(), nullptr);
}

TEST_F(IniSettingsKeyTest, ValuesRoundTripExactlyThroughTheFile) {
    const std::vector<std::string> texts = {"  75", "abc", "", " trailing ", "a, b", "x=y;z", "#hash", "\"q\"",
                                            "back\\slash", "@Variant(x)", "Grüße"};
    {
        auto key = IniSettingsKey::OpenProgramCreating();
        ASSERT_NE(key, nullptr);
        for (size_t i = 0; i < texts.size(); ++i)
            EXPECT_TRUE(key->Write("V" + std::to_string(i), texts[i]));
    }
    auto key = IniSettingsKey::OpenProgramForReading();
    ASSERT_NE(key, nullptr);
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(key->Read("V" + std::to_string(i)).value_or("<absent>"), texts[i]);
}

TEST_F(IniSettingsKeyTest, HandWrittenFileIsReadByTheSettingsRules) {
    fs::create_directories(dir_ + "/cfg");
    std::ofstream(File()) << "[General]\nSQLFirstFetchCount=120rows\nShowSqlOutputWindow=0\n"
                             "ExplainPlanTableName=MY_PLAN\nDbmsOutputBufferSize="
                          << std::string(300, '9') << "\nSaveSqlHistory=2\n";
    auto key = IniSettingsKey::OpenProgramForReading();
    ASSERT_NE(key, nullptr);
    DocumentSettings s = ReadDocumentSettings(key.get());
    EXPECT_EQ(s.firstFetchCount, 120);
    EXPECT_EQ(s.dbmsOutputBufferSize, 20000); // longer than the buffer: absent
    EXPECT_EQ(s.showSqlOutputWindow, 0);
    EXPECT_EQ(s.explainPlanTableName, "MY_PLAN");
    EXPECT_FALSE(ReadSaveSqlHistory(key.get()));
}

TEST_F(IniSettingsKeyTest, UnwritablePlacesGiveNoKey) {
    // A plain file where the folder should be: the folder cannot be made.
    std::ofstream(dir_ + "/cfg") << "not a folder";
    EXPECT_EQ(IniSettingsKey::OpenProgramCreating(), nullptr);
    EXPECT_EQ(IniSettingsKey::OpenProgramForReading(), nullptr);
    // A folder where the file should be is no key either.
    fs::remove(dir_ + "/cfg");
    fs::create_directories(File());
    EXPECT_EQ(IniSettingsKey::OpenProgramForReading(), nullptr);
    EXPECT_EQ(IniSettingsKey::OpenProgramCreating(), nullptr);
    EXPECT_EQ(IniSettingsKey::OpenForReading(""), nullptr);
}

TEST_F(IniSettingsKeyTest, AFileThatIsThereButUnusableSaysWhatItIs) {
    fs::create_directories(dir_ + "/cfg");
    EXPECT_EQ(IniSettingsKey::Problem(File()), ""); // missing: nothing to add
    std::ofstream(File()) << "[General]\n";
    EXPECT_EQ(IniSettingsKey::Problem(File()), "");
    fs::remove(File());
    fs::create_directory(File());
    EXPECT_EQ(IniSettingsKey::Problem(File()), File() + " is a folder, not a settings file.");
    fs::remove(File());
    // A pipe: nothing may open it (an open for reading would wait for a writer for ever).
    ASSERT_EQ(mkfifo(File().c_str(), 0644), 0);
    EXPECT_EQ(IniSettingsKey::Problem(File()), File() + " is a pipe (FIFO), not a settings file.");
    EXPECT_EQ(IniSettingsKey::OpenProgramForReading(), nullptr);
    EXPECT_EQ(IniSettingsKey::OpenProgramCreating(), nullptr);
    EXPECT_EQ(IniSettingsKey::Problem("/dev/null"), "/dev/null is a device or other special file, not a settings file.");
    if (geteuid() != 0) {
        fs::remove(File());
        std::ofstream(File()) << "[General]\n";
        fs::permissions(File(), fs::perms::none);
        EXPECT_EQ(IniSettingsKey::Problem(File()), File() + " cannot be read: Permission denied.");
    }
}
