#include "ServerOutput.h"

#include "ExecContext.h"
#include "RunEnd.h"

#include <cstring>
#include <string>
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

void ReadServerOutput(ExecContext& cx) {
    static const char kGetLine[] = "BEGIN DBMS_OUTPUT.GET_LINE(line=>:p1, status=>:p2); END;";
    DBStmt reader;
    // The longest line and its terminating NUL; the bind's 16-bit length field holds that size.
    std::vector<char> line(kServerOutputLineMax + 1, '\0');
    uint16_t length = 0;
    int16_t indicator = 0;
    uint16_t returnCode = 0;
    int32_t status = 0;
    try {
        reader.Prepare(cx.session, kGetLine);
        reader.BindString(1, line.data(), static_cast<int32_t>(line.size()), &length, &indicator, &returnCode);
        reader.BindInt(2, &status);
        while (status != 1) {
            line[0] = '\0';
            indicator = 0;
            reader.Execute();
            if (status == 1)
                break;
            // A NULL line (PUT_LINE of an empty text) reads as an empty line.
            const size_t n = indicator == -1 ? 0 : strnlen(line.data(), kServerOutputLineMax);
            cx.state.serverOutputLines.emplace_back(line.data(), n);
        }
    } catch (const DBStmt::OtherException&) {
        const std::string text = reader.ErrorText();
        SendOutput(cx, text);
        if (cx.host)
            cx.host->ShowMessageText(text);
        RenewErrorHandle(cx);
    }
}

} // namespace exec
