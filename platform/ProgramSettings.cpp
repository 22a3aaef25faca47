#include "ProgramSettings.h"

#include "DecimalText.h"

namespace platform {

namespace {
int32_t ReadNumber(const SettingsKey& key, const char* name, int32_t fallback) {
    std::optional<std::string> text = key.Read(name);
    return text ? DecimalConversion(*text) : fallback;
}
} // namespace

DocumentSettings ReadDocumentSettings(const SettingsKey* key) {
    DocumentSettings settings;
    if (!key)
        return settings;
    settings.firstFetchCount = ReadNumber(*key, setting::kFirstFetchCount, setting::kDefaultFirstFetchCount);
    settings.dbmsOutputBufferSize =
        ReadNumber(*key, setting::kDbmsOutputBufferSize, setting::kDefaultDbmsOutputBufferSize);
    settings.showSqlOutputWindow =
        ReadNumber(*key, setting::kShowSqlOutputWindow, setting::kDefaultShowSqlOutputWindow);
    std::optional<std::string> table = key->Read(setting::kExplainPlanTableName);
    settings.explainPlanTableName = table ? *table : std::string(setting::kDefaultExplainPlanTableName);
    return settings;
}

bool ReadSaveSqlHistory(const SettingsKey* key) {
    if (!key)
        return true;
    std::optional<std::string> text = key->Read(setting::kSaveSqlHistory);
    return !text || DecimalConversion(*text) == 1;
}

bool ReadSwitchIsExactlyOne(const SettingsKey* key, const char* name) {
    if (!key)
        return false;
    std::optional<std::string> text = key->Read(name);
    return text && DecimalConversion(*text) == 1;
}

bool WriteChildWndStatus(SettingsKey& key, bool maximized) {
    return key.Write(setting::kChildWndStatus, maximized ? "1" : "0");
}

} // namespace platform
