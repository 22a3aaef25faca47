#include "ProgramSettings.h"
#include "SettingsLocation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

using namespace platform;

namespace {
class MemoryKey : public SettingsKey {
public:
    std::map<std::string, std::string> values;
    bool refuseWrites = false;
    bool Write(const std::string& name, const std::string& value) override {
        if (refuseWrites)
            return false;
        values[name] = value;
        return true;
    }

protected:
    std::optional<std::string> ReadStored(const std::string& name) const override {
        auto it = values.find(name);
        if (it == values.end())
            return std::nullopt;
        return it->second;
    }
};
} // namespace

TEST(ProgramSettings, NoKeyGivesEveryDefault) {
    DocumentSettings s = ReadDocumentSettings(nullptr);
    EXPECT_EQ(s.firstFetchCount, 50);
    EXPECT_EQ(s.dbmsOutputBufferSize, 20000);
    EXPECT_EQ(s.showSqlOutputWindow, 1);
    EXPECT_EQ(s.explainPlanTableName, "PLAN_TABLE");
    EXPECT_TRUE(ReadSaveSqlHistory(nullptr));
}

TEST(ProgramSettings, EmptyKeyGivesEachValueItsOwnDefault) {
    MemoryKey key;
    key.values["DbmsOutputBufferSize"] = "100";
    DocumentSettings s = ReadDocumentSettings(&key);
    EXPECT_EQ(s.firstFetchCount, 50);
    EXPECT_EQ(s.dbmsOutputBufferSize, 100);
    EXPECT_EQ(s.showSqlOutputWindow, 1);
    EXPECT_EQ(s.explainPlanTableName, "PLAN_TABLE");
}

TEST(ProgramSettings, NumbersGoThroughDecimalConversionUnchecked) {
    MemoryKey key;
    for (auto [text, expected] : std::vector<std::pair<std::string, int32_t>>{
             {"0", 0}, {"abc", 0}, {"  75", 75}, {"120rows", 120}, {"-3", -3}, {"", 0}}) {
        key.values["SQLFirstFetchCount"] = text;
        key.values["DbmsOutputBufferSize"] = text;
        DocumentSettings s = ReadDocumentSettings(&key);
        EXPECT_EQ(s.firstFetchCount, expected) << "'" << text << "'";
        EXPECT_EQ(s.dbmsOutputBufferSize, expected) << "'" << text << "'";
    }
}

TEST(ProgramSettings, ShowOutputWindowAnyNonZeroShowsButCheckBoxWantsExactlyOne) {
    MemoryKey key;
    key.values["ShowSqlOutputWindow"] = "2";
    EXPECT_EQ(ReadDocumentSettings(&key).showSqlOutputWindow, 2);
    EXPECT_FALSE(ReadSwitchIsExactlyOne(&key, setting::kShowSqlOutputWindow));
    key.values["ShowSqlOutputWindow"] = "0";
    EXPECT_EQ(ReadDocumentSettings(&key).showSqlOutputWindow, 0);
    key.values["ShowSqlOutputWindow"] = "1";
    EXPECT_TRUE(ReadSwitchIsExactlyOne(&key, setting::kShowSqlOutputWindow));
    EXPECT_FALSE(ReadSwitchIsExactlyOne(nullptr, setting::kShowSqlOutputWindow));
    key.values.erase("ShowSqlOutputWindow");
    EXPECT_FALSE(ReadSwitchIsExactlyOne(&key, setting::kShowSqlOutputWindow));
}

TEST(ProgramSettings, HistoryIsOnWhenAbsentOrExactlyOne) {
    MemoryKey key;
    EXPECT_TRUE(ReadSaveSqlHistory(&key));
    key.values["SaveSqlHistory"] = "1";
    EXPECT_TRUE(ReadSaveSqlHistory(&key));
    key.values["SaveSqlHistory"] = " 1x";
    EXPECT_TRUE(ReadSaveSqlHistory(&key));
    key.values["SaveSqlHistory"] = "2";
    EXPECT_FALSE(ReadSaveSqlHistory(&key));
    key.values["SaveSqlHistory"] = "0";
    EXPECT_FALSE(ReadSaveSqlHistory(&key));
    key.values["SaveSqlHistory"] = std::string(241, '1'); // too long: absent, so on
    EXPECT_TRUE(ReadSaveSqlHistory(&key));
}

TEST(ProgramSettings, PlanTableIsTheTextAsStoredWithinTheBufferSize) {
    MemoryKey key;
    key.values["ExplainPlanTableName"] = "";
    EXPECT_EQ(ReadDocumentSettings(&key).explainPlanTableName, "");
    key.values["ExplainPlanTableName"] = " my plan ";
    EXPECT_EQ(ReadDocumentSettings(&key).explainPlanTableName, " my plan ");
    key.values["ExplainPlanTableName"] = std::string(240, 'T');
    EXPECT_EQ(ReadDocumentSettings(&key).explainPlanTableName, std::string(240, 'T'));
    key.values["ExplainPlanTableName"] = std::string(241, 'T');
    EXPECT_EQ(ReadDocumentSettings(&key).explainPlanTableName, "PLAN_TABLE");
}

TEST(ProgramSettings, TooLongNumberCountsAsAbsent) {
    MemoryKey key;
    key.values["SQLFirstFetchCount"] = "7" + std::string(240, ' ');
    EXPECT_EQ(ReadDocumentSettings(&key).firstFetchCount, 50);
}

TEST(ProgramSettings, ChildWindowStatusIsOneOrZero) {
    MemoryKey key;
    EXPECT_TRUE(WriteChildWndStatus(key, true));
    EXPECT_EQ(key.values["ChildWndStatus"], "1");
    EXPECT_TRUE(WriteChildWndStatus(key, false));
    EXPECT_EQ(key.values["ChildWndStatus"], "0");
    key.refuseWrites = true;
    EXPECT_FALSE(WriteChildWndStatus(key, true));
}

TEST(SettingsLocation, FolderFollowsTheEnvironmentInOrder) {
    const char* saved[3] = {std::getenv("QUARVEL_CONFIG_DIR"), std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")};
    std::string keep[3];
    for (int i = 0; i < 3; ++i)
        keep[i] = saved[i] ? saved[i] : "";

    setenv("QUARVEL_CONFIG_DIR", "/tmp/q/", 1);
    setenv("XDG_CONFIG_HOME", "/tmp/x", 1);
    setenv("HOME", "/tmp/h", 1);
    EXPECT_EQ(SettingsFolder(), "/tmp/q");
    EXPECT_EQ(ProgramSettingsFile(), "/tmp/q/VORANTE.ini");
    EXPECT_EQ(UserProfileFile(), "/tmp/q/Quarvel.ini");
    unsetenv("QUARVEL_CONFIG_DIR");
    EXPECT_EQ(SettingsFolder(), "/tmp/x/VORANTE");
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(SettingsFolder(), "/tmp/h/.config/VORANTE");
    unsetenv("HOME");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFolder(), "");
    EXPECT_EQ(ProgramSettingsFile(), "");

    const char* names[3] = {"QUARVEL_CONFIG_DIR", "XDG_CONFIG_HOME", "HOME"};
    for (int i = 0; i < 3; ++i) {
        if (saved[i])
            setenv(names[i], keep[i].c_str(), 1);
        else
            unsetenv(names[i]);
    }
}
