// Local-time texts of the output list and the statement history log.
#pragma once

#include <ctime>
#include <string>

namespace script {

// The current local time as a broken-down time.
std::tm LocalTimeNow();

// "[" + "%H:%M:%S" + "]: ", the prefix of every output line, e.g. "[22:10:14]: ".
std::string OutputLinePrefix(const std::tm& time);

// "%d-%m-%Y %H-%M-%S", the first line of a history entry, e.g. "07-12-2026 22-10-14".
std::string HistoryTimeStamp(const std::tm& time);

} // namespace script
