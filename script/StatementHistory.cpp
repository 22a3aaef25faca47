#include "StatementHistory.h"

#include "TimeText.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string_view>

namespace script {

namespace {

// Ends every line with CR LF, as a file written in text mode does on the desktop the log was first
// read on. A line that already ends in CR LF is left alone rather than given a second CR. The entry is
// made piece by piece (time stamp, text, line ends) into a bounded buffer that `flush` empties, so a
// large statement is never copied whole once more for the log.
class CrLfWriter {
public:
    explicit CrLfWriter(std::function<bool(const std::string&)> flush) : flush_(std::move(flush)) {
        chunk_.reserve(kChunk + 2);
    }
    bool Put(std::string_view piece) {
        for (const char c : piece) {
            if (c == '\n' && previous_ != '\r')
                chunk_ += '\r';
            chunk_ += c;
            previous_ = c;
            if (chunk_.size() >= kChunk && !Flush())
                return false;
        }
        return true;
    }
    bool Flush() {
        const bool ok = chunk_.empty() || flush_(chunk_);
        chunk_.clear();
        return ok;
    }

private:
    static constexpr size_t kChunk = 64 * 1024;
    std::function<bool(const std::string&)> flush_;
    std::string chunk_;
    char previous_ = '\0';
};

bool WriteEntry(CrLfWriter& writer, const std::string& text, const std::tm& time) {
    return writer.Put(HistoryTimeStamp(time)) && writer.Put("\n") && writer.Put(text) && writer.Put("\n\n") &&
           writer.Flush();
}

} // namespace

std::string StatementHistoryEntry(const std::string& text, const std::tm& time) {
    std::string entry;
    entry.reserve(text.size() + text.size() / 16 + 32);
    CrLfWriter writer([&entry](const std::string& chunk) {
        entry += chunk;
        return true;
    });
    WriteEntry(writer, text, time);
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
    // Binary append: the entry brings its own line ends.
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file)
        return failed(errno);
    errno = 0;
    CrLfWriter writer([file](const std::string& chunk) {
        return std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
    });
    const bool written = WriteEntry(writer, text, time) && std::fflush(file) == 0;
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
