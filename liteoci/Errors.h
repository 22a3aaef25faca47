// Oracle error numbers and texts as the client reports them ("ORA-NNNNN: text").
#ifndef LITEOCI_ERRORS_H
#define LITEOCI_ERRORS_H

#include <string>
#include <string_view>

namespace liteoci {

// One diagnostic record. code 0 means "no error"; offset is the byte offset of the offending
// token in the statement text as the user wrote it, or -1 when no position is known.
struct OraError {
    int code = 0;
    std::string text;
    int offset = -1;

    explicit operator bool() const { return code != 0; }
};

// The standard text of `code` with its "%s" markers filled from args (in order), prefixed with
// "ORA-NNNNN: ".
OraError MakeError(int code, std::string_view arg1 = {}, std::string_view arg2 = {},
                   std::string_view arg3 = {});
// The same with a known position in the statement text.
OraError MakeErrorAt(int offset, int code, std::string_view arg1 = {}, std::string_view arg2 = {});
// An error whose message is given in full, after "ORA-NNNNN: ".
OraError MakeRawError(int code, std::string_view message);
// Errors raised from inside SQL functions travel through SQLite as "ORA-NNNNN: text"; this reads
// them back. Returns a code-0 error when `message` is not of that form.
OraError ParseOraMessage(std::string_view message);

}  // namespace liteoci

#endif
