// SHA-256, for the password hashes kept in the database file.
#ifndef LITEOCI_SHA256_H
#define LITEOCI_SHA256_H

#include <string>
#include <string_view>

namespace liteoci {

// Lower-case hexadecimal digest of data.
std::string Sha256Hex(std::string_view data);

}  // namespace liteoci

#endif
