// The texts of the editor window's status panes.
#pragma once

#include <string>

inline constexpr const char* kStatusReady = "Ready";
inline constexpr const char* kStatusExecuting = "Executing..";
inline constexpr const char* kServerOutputOn = "Server Output is ON";
inline constexpr const char* kServerOutputOff = "Server Output is OFF";

// Pane 0 after a new output line: the line itself when the output list is hidden by the setting;
// otherwise "Executing.." while the line mentions "Executing", else "Ready".
std::string StatusPaneText(int showOutputWindowSetting, const std::string& outputText);

// Pane 2: the server-output switch.
std::string ServerOutputPaneText(int serverOutputFlag);
