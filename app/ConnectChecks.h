// The connect dialog's checks of its fields, in their order.
#pragma once

#include <cstdint>
#include <string>

// 0 when all three fields are filled in; else the string id of the first empty one's message:
// user name 979, password 980, connect string 976.
uint32_t FirstConnectFieldError(const std::string& user, const std::string& password, const std::string& connect);
