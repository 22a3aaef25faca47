#include "ServerOutput.h"

#include "ExecContext.h"
#include "RunEnd.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace exec {

bool EnableServerOutput(ExecContext& cx, const char* failurePrefix) {
    const std::string enable = "BEGIN DBMS_OUTPUT.ENABLE(" + std::to_string(cx.settings.dbmsOutputBufferSize) + "); END;";
    DBStmt enabler;
    try {
        enabler.Prepare(cx.session, enable.c_str());
        enabler.Execute();
    } catch (const DBStmt::OtherException&) {
        SendOutput(cx, std::string(failurePrefix) + enabler.ErrorText());
        RenewErrorHandle(cx);
        return false;
    }
    return true;
}

namespace {

// Reads many lines a round trip: the block takes lines from DBMS_OUTPUT until the next one would not
// fit into the packed text, and hands that one back on its own. Each packed line is its length in
// characters, a colon and its text, so any text (colons, line ends) reads back whole, and a NULL line
// reads as an empty one. One call per line would cost a round trip per line on a real network.
constexpr const char kReadLines[] =
    "DECLARE l VARCHAR2(32767); s INTEGER := 0; packed VARCHAR2(32767); over VARCHAR2(32767); n INTEGER := 0; "
    "BEGIN "
    "LOOP "
    "DBMS_OUTPUT.GET_LINE(l, s); "
    "EXIT WHEN s <> 0; "
    "IF NVL(LENGTHB(packed), 0) + NVL(LENGTHB(l), 0) + 8 > 32000 THEN over := l; n := 1; EXIT; END IF; "
    "packed := packed || TO_CHAR(NVL(LENGTH(l), 0)) || ':' || l; "
    "END LOOP; "
    ":p1 := packed; :p2 := over; :p3 := n; :p4 := s; "
    "END;";

// Appends the lines of `packed` ("<characters>:<text>" each); false when it is not in that form.
bool UnpackLines(std::string_view packed, std::vector<std::string>& lines) {
    size_t at = 0;
    while (at < packed.size()) {
        size_t characters = 0;
        size_t digits = 0;
        while (at < packed.size() && packed[at] >= '0' && packed[at] <= '9' && digits < 6) {
            characters = characters * 10 + static_cast<size_t>(packed[at] - '0');
            ++at, ++digits;
        }
        if (digits == 0 || at >= packed.size() || packed[at] != ':')
            return false;
        const size_t start = ++at;
        for (size_t c = 0; c < characters; ++c) {
            if (at >= packed.size())
                return false;
            ++at;
            while (at < packed.size() && (static_cast<unsigned char>(packed[at]) & 0xC0) == 0x80)
                ++at;
        }
        lines.emplace_back(packed.substr(start, at - start));
    }
    return true;
}

} // namespace

void ReadServerOutput(ExecContext& cx) {
    DBStmt reader;
    // The longest text and its terminating NUL; the binds' 16-bit length fields hold that size.
    std::vector<char> packed(kServerOutputLineMax + 1, '\0'), over(kServerOutputLineMax + 1, '\0');
    uint16_t packedLength = 0, overLength = 0, packedCode = 0, overCode = 0;
    int16_t packedIndicator = 0, overIndicator = 0;
    int32_t overCount = 0, status = 0;
    std::vector<std::string>& lines = cx.state.serverOutputLines;
    try {
        reader.Prepare(cx.session, kReadLines);
        reader.BindString(1, packed.data(), static_cast<int32_t>(packed.size()), &packedLength, &packedIndicator,
                          &packedCode);
        reader.BindString(2, over.data(), static_cast<int32_t>(over.size()), &overLength, &overIndicator, &overCode);
        reader.BindInt(3, &overCount);
        reader.BindInt(4, &status);
        do {
            packed[0] = over[0] = '\0';
            packedIndicator = overIndicator = 0;
            overCount = 0;
            reader.Execute();
            if (packedIndicator != -1 &&
                !UnpackLines(std::string_view(packed.data(), strnlen(packed.data(), kServerOutputLineMax)), lines)) {
                SendOutput(cx, "Server output could not be read: its lines came back garbled.");
                return;
            }
            if (overCount == 1)
                lines.emplace_back(overIndicator == -1 ? std::string() : std::string(over.data(), strnlen(over.data(), kServerOutputLineMax)));
        } while (status == 0);
    } catch (const DBStmt::OtherException&) {
        const std::string text = reader.ErrorText();
        SendOutput(cx, text);
        if (cx.host)
            cx.host->ShowMessageText(text);
        RenewErrorHandle(cx);
    }
}

} // namespace exec
