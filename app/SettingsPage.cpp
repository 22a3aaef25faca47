#include "SettingsPage.h"

#include "IniSettingsKey.h"

SettingsPageValues ReadSettingsPage(const platform::SettingsKey* key) {
    namespace setting = platform::setting;
    SettingsPageValues values;
    if (!key)
        return values;
    values.firstFetchCount = key->Read(setting::kFirstFetchCount).value_or(std::string());
    values.dbmsOutputBufferSize = key->Read(setting::kDbmsOutputBufferSize).value_or(std::string());
    values.saveSqlHistory = platform::ReadSwitchIsExactlyOne(key, setting::kSaveSqlHistory);
    values.showSqlOutputWindow = platform::ReadSwitchIsExactlyOne(key, setting::kShowSqlOutputWindow);
    values.explainPlanTableName =
        key->Read(setting::kExplainPlanTableName).value_or(std::string(setting::kDefaultExplainPlanTableName));
    return values;
}

std::vector<platform::IniValue> SettingsPageWrites(const SettingsPageValues& values) {
    namespace setting = platform::setting;
    return {
        {setting::kFirstFetchCount, values.firstFetchCount},
        {setting::kDbmsOutputBufferSize, values.dbmsOutputBufferSize},
        {setting::kSaveSqlHistory, values.saveSqlHistory ? "1" : "0"},
        {setting::kShowSqlOutputWindow, values.showSqlOutputWindow ? "1" : "0"},
        {setting::kExplainPlanTableName, values.explainPlanTableName},
    };
}

std::string SaveSettingsPage(const SettingsPageValues& values) {
    return platform::IniSettingsKey::WriteProgramValues(SettingsPageWrites(values));
}
