// What the settings page shows and what its OK stores: the three texts and the two switches, read from
// the program's settings key and written back all at once.
#pragma once

#include "IniText.h"
#include "ProgramSettings.h"

#include <string>
#include <vector>

struct SettingsPageValues {
    std::string firstFetchCount;      // the stored text; empty when absent
    std::string dbmsOutputBufferSize; // the stored text; empty when absent
    bool saveSqlHistory = false;      // checked only for a value that converts to exactly 1
    bool showSqlOutputWindow = false; // the same rule
    std::string explainPlanTableName = platform::setting::kDefaultExplainPlanTableName;
};

// Both arrows of the page's number fields stay within this range; typing does not.
inline constexpr int32_t kSettingsStepLower = 1;
inline constexpr int32_t kSettingsStepUpper = 10000;

// The page's values from an open key; null (no key) gives what it shows for absent values.
SettingsPageValues ReadSettingsPage(const platform::SettingsKey* key);

// The five values OK stores, in the order they are written: the texts as typed, the switches as "1"/"0".
std::vector<platform::IniValue> SettingsPageWrites(const SettingsPageValues& values);

// Stores the five values in the program's settings file in one step. Empty on success, else what went
// wrong, with the system's error text; the old file then stays as it was.
std::string SaveSettingsPage(const SettingsPageValues& values);
