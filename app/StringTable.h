// The program's string table: every string id that a window, dialog or message uses, in one place.
#pragma once

#include <cstdint>
#include <string>

namespace strings {
inline constexpr uint32_t kExportNoRows = 957;
inline constexpr uint32_t kStatementRunning = 958;
inline constexpr uint32_t kNeedConnectString = 976;
inline constexpr uint32_t kNeedUserName = 979;
inline constexpr uint32_t kNeedPassword = 980;
inline constexpr uint32_t kNoSettingsKey = 987;
inline constexpr uint32_t kOleInitFailed = 1003;
inline constexpr uint32_t kSavePartialFetch = 1198;
inline constexpr uint32_t kApplicationProblem = 1323;
inline constexpr uint32_t kAppTitle = 57344;
inline constexpr uint32_t kIdle = 57345;
inline constexpr uint32_t kUntitled = 61443;
inline constexpr uint32_t kFailedToOpenDocument = 61697;
inline constexpr uint32_t kFailedToCreateDocument = 61700;
inline constexpr uint32_t kAskToSave = 61704;
} // namespace strings

// The text of string `id`, or null when the table has no such string.
const char* LoadStringResource(uint32_t id);

// The two halves of a command's string, split at the first "\n": the tool tip and the status prompt.
// A string without "\n" is both. Empty texts when the command has no string.
struct CommandPrompt {
    std::string toolTip;
    std::string statusPrompt;
};
CommandPrompt CommandPromptFor(uint32_t commandId);
