#include "StatementHistory.h"

#include "TimeText.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace script {

namespace {

// Ends every line with CR LF, as a file written in text mode does on the desktop the log was first
// read on. A line that already ends in CR LF is left alone rather than given a second CR.
void AppendWithCrLf(std::string& out, const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
}

} // namespace

std::string StatementHistoryEntry(const std::string& text, const std::tm& time) {
    std::string entry;
    entry.reserve(text.size() + text.size() / 16 + 32);
    AppendWithCrLf(entry, HistoryTimeStamp(time) + "\n" + text + "\n" + "\n");
    return entry;
}

bool AppendStatementHistory(const std::string& text, bool historyOn, int* reason) {
    if (reason)
        *reason = 0;
    if (!historyOn)
        return false;
    return AppendStatementHistory(text, historyOn, kStatementHistoryFile, LocalTimeNow(), reason);
}

bool AppendStatementHistory(const std::string& text, bool historyOn, const std::string& path, const std::tm& time,
                            int* reason) {
    if (reason)
        *reason = 0;
    if (!historyOn)
        return false;
    auto failed = [reason](int error) {
        if (reason)
            *reason = error != 0 ? error : EIO;
        return false;
    };
    const std::string entry = StatementHistoryEntry(text, time);
    // Binary append: the line ends are already in the entry.
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file)
        return failed(errno);
    errno = 0;
    const bool written = std::fwrite(entry.data(), 1, entry.size(), file) == entry.size() && std::fflush(file) == 0;
    int error = written ? 0 : errno;
    errno = 0;
    const bool closed = std::fclose(file) == 0;
    if (written && !closed)
        error = errno;
    return written && closed ? true : failed(error);
}

std::string StatementHistoryPath() {
    std::error_code error;
    std::filesystem::path here = std::filesystem::current_path(error);
    if (error)
        return kStatementHistoryFile;
    return (here / kStatementHistoryFile).string();
}

} // namespace script
