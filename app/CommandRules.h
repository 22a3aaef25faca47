// Which commands the editor window's frames enable. A rule answers "enabled" or "disabled"; no answer
// means the frame has no rule and the command's handler (if any) decides.
#pragma once

#include <cstdint>
#include <optional>

// The editor window (menu and its two tool bars).
std::optional<bool> SqlMainFrameRule(uint32_t commandId, bool workerRunning);
// The frame of the result grid (its tool bar).
std::optional<bool> SplitFrameRule(uint32_t commandId, bool workerRunning);
