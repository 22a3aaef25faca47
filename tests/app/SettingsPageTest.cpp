// What the settings page shows for stored values, and what its OK stores, in which order.
#include "SettingsPage.h"
#include "UpDownStep.h"

#include <gtest/gtest.h>

#include <map>

namespace {
class MemoryKey : public platform::SettingsKey {
public:
    std::map<std::string, std::string> values;
    bool Write(const std::string& name, const std::string& value) override {
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

TEST(SettingsPage, AbsentValuesAndNoKeyShowEmptyNumbersUncheckedSwitchesAndThePlanTable) {
    MemoryKey empty;
    for (const platform::SettingsKey* key : {static_cast<const platform::SettingsKey*>(&empty),
                                             static_cast<const platform::SettingsKey*>(nullptr)}) {
        const SettingsPageValues v = ReadSettingsPage(key);
        EXPECT_EQ(v.firstFetchCount, "");
        EXPECT_EQ(v.dbmsOutputBufferSize, "");
        EXPECT_FALSE(v.saveSqlHistory);
        EXPECT_FALSE(v.showSqlOutputWindow);
        EXPECT_EQ(v.explainPlanTableName, "PLAN_TABLE");
    }
}

TEST(SettingsPage, StoredTextsShowAsStoredAndSwitchesOnlyForExactlyOne) {
    MemoryKey key;
    key.values = {{"SQLFirstFetchCount", "  75rows"}, {"DbmsOutputBufferSize", "20000"},
                  {"SaveSqlHistory", " +1x"},         {"ShowSqlOutputWindow", "2"},
                  {"ExplainPlanTableName", ""}};
    SettingsPageValues v = ReadSettingsPage(&key);
    EXPECT_EQ(v.firstFetchCount, "  75rows");
    EXPECT_EQ(v.dbmsOutputBufferSize, "20000");
    EXPECT_TRUE(v.saveSqlHistory); // converts to 1
    EXPECT_FALSE(v.showSqlOutputWindow);
    EXPECT_EQ(v.explainPlanTableName, ""); // an empty name is a name

    key.values = {{"ExplainPlanTableName", std::string(241, 'P')}, {"SaveSqlHistory", "0"},
                  {"ShowSqlOutputWindow", "1"}};
    v = ReadSettingsPage(&key);
    EXPECT_EQ(v.explainPlanTableName, "PLAN_TABLE"); // too long to read: absent
    EXPECT_FALSE(v.saveSqlHistory);
    EXPECT_TRUE(v.showSqlOutputWindow);
}

TEST(SettingsPage, OkWritesAllFiveInOrderTextsAsTypedSwitchesAsOneOrZero) {
    SettingsPageValues v;
    v.firstFetchCount = "abc";
    v.dbmsOutputBufferSize = "";
    v.saveSqlHistory = true;
    v.showSqlOutputWindow = false;
    v.explainPlanTableName = "MY_PLAN";
    const std::vector<platform::IniValue> expected = {{"SQLFirstFetchCount", "abc"},
                                                      {"DbmsOutputBufferSize", ""},
                                                      {"SaveSqlHistory", "1"},
                                                      {"ShowSqlOutputWindow", "0"},
                                                      {"ExplainPlanTableName", "MY_PLAN"}};
    EXPECT_EQ(SettingsPageWrites(v), expected);
}

TEST(UpDownStep, StepsFromTheNumberInTheTextAndKeepsToTheRange) {
    EXPECT_EQ(widgets::UpDownStep("20000", 1, 1, 10000), "10000");
    EXPECT_EQ(widgets::UpDownStep("20000", -1, 1, 10000), "10000");
    EXPECT_EQ(widgets::UpDownStep("50", 1, 1, 10000), "51");
    EXPECT_EQ(widgets::UpDownStep("50", -1, 1, 10000), "49");
    EXPECT_EQ(widgets::UpDownStep("10000", 1, 1, 10000), "10000");
    EXPECT_EQ(widgets::UpDownStep("1", -1, 1, 10000), "1");
    // Not a number, empty or negative: counted from 0 as every reader of the setting would, then held.
    EXPECT_EQ(widgets::UpDownStep("abc", 1, 1, 10000), "1");
    EXPECT_EQ(widgets::UpDownStep("", -1, 1, 10000), "1");
    EXPECT_EQ(widgets::UpDownStep("-5", 1, 1, 10000), "1");
    EXPECT_EQ(widgets::UpDownStep(" 120rows", 1, 1, 10000), "121");
    // The largest number the conversion gives does not overflow the step.
    EXPECT_EQ(widgets::UpDownStep("99999999999999", 1, 1, 10000), "10000");
    EXPECT_EQ(widgets::UpDownStep("-99999999999999", -1, 1, 10000), "1");
    // Limits given the wrong way round are the same range.
    EXPECT_EQ(widgets::UpDownStep("0", -1, 10000, 1), "1");
}
