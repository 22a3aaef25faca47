// The table of every persisted setting of the program, with its defaults and the rules by which each
// reader turns the stored text into a value. All values are text; numbers are read by
// DecimalConversion and never range-checked, so 0 or a negative size is passed on unchanged.
//
//   value name              stored form          default        read by
//   SQLFirstFetchCount      decimal digits       50             document: decimal conversion
//   DbmsOutputBufferSize    decimal digits       20000          document: decimal conversion
//   ShowSqlOutputWindow     "1" or "0"           1 (shown)      document: decimal; 0 hides, else shows
//   ExplainPlanTableName    text                 "PLAN_TABLE"   document: the text as stored
//   SaveSqlHistory          "1" or "0"           on             text pane: on only when exactly 1
//   ChildWndStatus          "1" or "0"           (not read)     written when an editor window closes
//
// The settings dialog writes the first five, all at once: the texts as typed, the switches as "1"/"0".
#pragma once

#include "SettingsKey.h"

#include <cstdint>
#include <string>

namespace platform {

namespace setting {
inline constexpr const char* kFirstFetchCount = "SQLFirstFetchCount";
inline constexpr const char* kDbmsOutputBufferSize = "DbmsOutputBufferSize";
inline constexpr const char* kShowSqlOutputWindow = "ShowSqlOutputWindow";
inline constexpr const char* kExplainPlanTableName = "ExplainPlanTableName";
inline constexpr const char* kSaveSqlHistory = "SaveSqlHistory";
inline constexpr const char* kChildWndStatus = "ChildWndStatus";

inline constexpr int32_t kDefaultFirstFetchCount = 50;
inline constexpr int32_t kDefaultDbmsOutputBufferSize = 20000;
inline constexpr int32_t kDefaultShowSqlOutputWindow = 1;
inline constexpr const char* kDefaultExplainPlanTableName = "PLAN_TABLE";
} // namespace setting

// What a document reads once, when it is built.
struct DocumentSettings {
    int32_t firstFetchCount = setting::kDefaultFirstFetchCount;
    int32_t dbmsOutputBufferSize = setting::kDefaultDbmsOutputBufferSize;
    int32_t showSqlOutputWindow = setting::kDefaultShowSqlOutputWindow;
    std::string explainPlanTableName = setting::kDefaultExplainPlanTableName;
};

// Reads the four document values in their order; null (no key) or an absent value gives the default.
DocumentSettings ReadDocumentSettings(const SettingsKey* key);

// The statement history switch: on when the value is absent, else only when it converts to exactly 1.
bool ReadSaveSqlHistory(const SettingsKey* key);

// Whether a check box for a "1"/"0" value shows checked: present and converting to exactly 1.
bool ReadSwitchIsExactlyOne(const SettingsKey* key, const char* name);

// Writes "1" for a maximized editor window, else "0". False when the store refused it.
bool WriteChildWndStatus(SettingsKey& key, bool maximized);

} // namespace platform
