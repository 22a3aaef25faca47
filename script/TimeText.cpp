#include "TimeText.h"

#include <cstdio>
#include <initializer_list>

namespace script {

namespace {

// Fields are written by hand so that every one has its fixed width whatever the C library makes of
// odd years, and a field out of range cannot overflow the buffer.
std::string Fields(const char* format, std::initializer_list<int> values) {
    char buffer[96];
    auto v = values.begin();
    int length = 0;
    if (values.size() == 3)
        length = std::snprintf(buffer, sizeof buffer, format, v[0], v[1], v[2]);
    else
        length = std::snprintf(buffer, sizeof buffer, format, v[0], v[1], v[2], v[3], v[4], v[5]);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

} // namespace

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string OutputLinePrefix(const std::tm& time) {
    return "[" + Fields("%02d:%02d:%02d", {time.tm_hour, time.tm_min, time.tm_sec}) + "]: ";
}

std::string HistoryTimeStamp(const std::tm& time) {
    return Fields("%02d-%02d-%04d %02d-%02d-%02d", {time.tm_mday, time.tm_mon + 1, time.tm_year + 1900, time.tm_hour,
                                                   time.tm_min, time.tm_sec});
}

} // namespace script
