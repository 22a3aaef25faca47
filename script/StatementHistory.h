// The statement history log: every statement or script the user executes, appended to a plain text
// file with the time it ran. Each entry is three lines, all ending in CR LF:
//   the local time as "%d-%m-%Y %H-%M-%S" (e.g. 07-12-2026 22-10-14),
//   the executed text exactly as passed in (it may span several lines),
//   an empty line.
// The file is only ever appended to. Each entry opens and closes it, so several windows may write to
// it one after another. A file that cannot be written loses the entry; the caller is told why (the
// window says so once).
#pragma once

#include <ctime>
#include <string>

namespace script {

// The log's file name, in the process's current directory.
inline constexpr const char* kStatementHistoryFile = "Quarvel.log";

// The entry as it is written: time stamp, text and an empty line, with every line ending in CR LF.
// A CR LF already in the text is kept as it is; every other LF becomes CR LF.
std::string StatementHistoryEntry(const std::string& text, const std::tm& time);

// Appends the entry for `text`, stamped with the current local time, to kStatementHistoryFile, when
// `historyOn` is true (the caller reads the SaveSqlHistory setting). True when an entry was written.
// When writing fails, `reason` (if given) receives the errno value of the failing call; it is 0 when
// nothing failed (also with the history off).
bool AppendStatementHistory(const std::string& text, bool historyOn, int* reason = nullptr);

// The same with the file and the time given (tests, and a caller that keeps the log elsewhere).
bool AppendStatementHistory(const std::string& text, bool historyOn, const std::string& path, const std::tm& time,
                            int* reason = nullptr);

// The absolute path of kStatementHistoryFile in the current directory (for the text viewer).
std::string StatementHistoryPath();

} // namespace script
