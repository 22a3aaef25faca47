#include "ConnectChecks.h"

#include "StringTable.h"

uint32_t FirstConnectFieldError(const std::string& user, const std::string& password, const std::string& connect) {
    if (user.empty())
        return strings::kNeedUserName;
    if (password.empty())
        return strings::kNeedPassword;
    if (connect.empty())
        return strings::kNeedConnectString;
    return 0;
}
