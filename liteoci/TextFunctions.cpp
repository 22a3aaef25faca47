#include "TextFunctions.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"
#include "OraCodes.h"
#include "FunctionSupport.h"
#include "SqlFunctions.h"

namespace liteoci {
namespace {

bool IsNull(sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; }


// REPLACE(char, search [, replacement]): without a replacement, or with a NULL one, the search text is
// removed; a NULL search text leaves char unchanged.
void FnReplace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    const std::string_view s = Text(argv[0]);
    if (IsNull(argv[1]) || Text(argv[1]).empty()) return ResultText(ctx, s);
    const std::string_view from = Text(argv[1]);
    const std::string_view to = argc > 2 && !IsNull(argv[2]) ? Text(argv[2]) : std::string_view();
    std::string out;
    for (size_t at = 0;;) {
        const size_t hit = s.find(from, at);
        if (hit == std::string_view::npos) {
            out.append(s.substr(at));
            break;
        }
        out.append(s.substr(at, hit - at)).append(to);
        at = hit + from.size();
    }
    ResultText(ctx, out);
}

// The characters of a UTF-8 text, each as its bytes.
std::vector<std::string_view> Characters(std::string_view s) {
    std::vector<std::string_view> out;
    for (size_t i = 0; i < s.size();) {
        size_t n = 1;
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0xF0) n = 4;
        else if (c >= 0xE0) n = 3;
        else if (c >= 0xC0) n = 2;
        n = std::min(n, s.size() - i);
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

// TRANSLATE(char, from, to): each character of `from` becomes the one at its place in `to`, or goes
// when `to` is shorter. Any NULL argument gives NULL.
void FnTranslate(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1]) || IsNull(argv[2])) return sqlite3_result_null(ctx);
    const auto from = Characters(Text(argv[1]));
    const auto to = Characters(Text(argv[2]));
    std::string out;
    for (std::string_view c : Characters(Text(argv[0]))) {
        size_t k = 0;
        while (k < from.size() && from[k] != c) ++k;
        if (k == from.size()) out.append(c);
        else if (k < to.size()) out.append(to[k]);
    }
    ResultText(ctx, out);
}

// LITEOCI_TRIM(where, character, text): where is 'L', 'T' or 'B'.
void FnTrim(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNull(argv[1]) || IsNull(argv[2])) return sqlite3_result_null(ctx);
    const auto chars = Characters(Text(argv[1]));
    if (chars.size() != 1) return Fail(ctx, MakeError(kOraTrimSetOneCharacter));
    const std::string_view c = chars[0];
    const std::string_view where = Text(argv[0]);
    std::string_view s = Text(argv[2]);
    if (where != "T")
        while (s.substr(0, c.size()) == c) s.remove_prefix(c.size());
    if (where != "L")
        while (s.size() >= c.size() && s.substr(s.size() - c.size()) == c) s.remove_suffix(c.size());
    ResultText(ctx, s);
}

// A pattern of Oracle's regular expressions (POSIX extended, with Perl's \d \w \s) compiled for
// std::regex; without a flags argument the compiled form is kept with the call while the pattern
// stays the same. Flags: i (ignore case), c (respect case), m (lines). Null with the error set when
// the pattern is not one.
const std::regex* Pattern(sqlite3_context* ctx, sqlite3_value** argv, int patternArg, int flagsArg, int argc,
                          std::regex& local) {
    const bool plain = flagsArg >= argc || IsNull(argv[flagsArg]);
    if (plain)
        if (auto* cached = static_cast<std::regex*>(sqlite3_get_auxdata(ctx, patternArg))) return cached;
    auto flags = std::regex::ECMAScript;
    if (!plain)
        for (char f : Text(argv[flagsArg])) {
            if (f == 'i') flags |= std::regex::icase;
            else if (f == 'c') flags &= ~std::regex::icase;
            else if (f == 'm') flags |= std::regex::multiline;
        }
    try {
        local = std::regex(std::string(Text(argv[patternArg])), flags);
    } catch (const std::regex_error& e) {
        int code = kOraRegexBracket;
        if (e.code() == std::regex_constants::error_paren) code = kOraRegexParenthesis;
        else if (e.code() == std::regex_constants::error_backref) code = kOraRegexBackReference;
        else if (e.code() == std::regex_constants::error_range) code = kOraRegexRange;
        else if (e.code() == std::regex_constants::error_ctype) code = kOraRegexClass;
        Fail(ctx, MakeError(code));
        return nullptr;
    }
    if (plain) sqlite3_set_auxdata(ctx, patternArg, new std::regex(local), [](void* p) { delete static_cast<std::regex*>(p); });
    return &local;
}

long long IntArg(sqlite3_value** argv, int argc, int k, long long fallback) {
    return k < argc && !IsNull(argv[k]) ? sqlite3_value_int64(argv[k]) : fallback;
}

// The occurrence-th match at or after the 1-based position; false when there is none.
bool FindMatch(const std::string& s, const std::regex& re, long long position, long long occurrence, std::smatch& m,
               size_t& offset) {
    if (position < 1) position = 1;
    offset = static_cast<size_t>(position - 1);
    if (offset > s.size()) return false;
    auto begin = s.cbegin() + static_cast<std::ptrdiff_t>(offset);
    for (long long n = 0; n < occurrence; ++n) {
        if (!std::regex_search(begin, s.cend(), m, re)) return false;
        if (n + 1 == occurrence) {
            offset = static_cast<size_t>(m[0].first - s.cbegin());
            return true;
        }
        begin = m[0].second == m[0].first ? m[0].second + (m[0].second == s.cend() ? 0 : 1) : m[0].second;
        if (begin == s.cend() && m[0].first == m[0].second) return false;
    }
    return false;
}

void FnRegexpLike(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(ctx);
    std::regex local;
    const std::regex* re = Pattern(ctx, argv, 1, 2, argc, local);
    if (!re) return;
    const std::string s(Text(argv[0]));
    sqlite3_result_int(ctx, std::regex_search(s, *re) ? 1 : 0);
}

// REGEXP_SUBSTR(s, pattern [, position [, occurrence [, flags [, subexpression]]]])
void FnRegexpSubstr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(ctx);
    std::regex local;
    const std::regex* re = Pattern(ctx, argv, 1, 4, argc, local);
    if (!re) return;
    const std::string s(Text(argv[0]));
    std::smatch m;
    size_t offset = 0;
    if (!FindMatch(s, *re, IntArg(argv, argc, 2, 1), IntArg(argv, argc, 3, 1), m, offset)) return sqlite3_result_null(ctx);
    const long long sub = IntArg(argv, argc, 5, 0);
    if (sub < 0 || static_cast<size_t>(sub) >= m.size()) return sqlite3_result_null(ctx);
    ResultText(ctx, m[static_cast<size_t>(sub)].str());
}

// REGEXP_INSTR(s, pattern [, position [, occurrence [, return_option [, flags [, subexpression]]]]])
void FnRegexpInstr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(ctx);
    std::regex local;
    const std::regex* re = Pattern(ctx, argv, 1, 5, argc, local);
    if (!re) return;
    const std::string s(Text(argv[0]));
    std::smatch m;
    size_t offset = 0;
    if (!FindMatch(s, *re, IntArg(argv, argc, 2, 1), IntArg(argv, argc, 3, 1), m, offset)) return sqlite3_result_int(ctx, 0);
    const size_t sub = static_cast<size_t>(std::max<long long>(0, IntArg(argv, argc, 6, 0)));
    if (sub >= m.size() || !m[sub].matched) return sqlite3_result_int(ctx, 0);
    const size_t start = static_cast<size_t>(m[sub].first - s.cbegin());
    const size_t end = static_cast<size_t>(m[sub].second - s.cbegin());
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>((IntArg(argv, argc, 4, 0) ? end : start) + 1));
}

// REGEXP_COUNT(s, pattern [, position [, flags]])
void FnRegexpCount(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(ctx);
    std::regex local;
    const std::regex* re = Pattern(ctx, argv, 1, 3, argc, local);
    if (!re) return;
    const std::string s(Text(argv[0]));
    const long long position = std::max<long long>(1, IntArg(argv, argc, 2, 1));
    if (static_cast<size_t>(position - 1) > s.size()) return sqlite3_result_int(ctx, 0);
    long long n = 0;
    for (auto it = std::sregex_iterator(s.cbegin() + position - 1, s.cend(), *re); it != std::sregex_iterator(); ++it)
        if (it->length(0) > 0) ++n;
    sqlite3_result_int64(ctx, n);
}

// REGEXP_REPLACE(s, pattern [, replacement [, position [, occurrence [, flags]]]]): occurrence 0
// replaces every match; \1 to \9 in the replacement stand for the subexpressions.
void FnRegexpReplace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(ctx);
    if (IsNull(argv[1])) return sqlite3_result_value(ctx, argv[0]);
    std::regex local;
    const std::regex* re = Pattern(ctx, argv, 1, 5, argc, local);
    if (!re) return;
    const std::string s(Text(argv[0]));
    std::string format;
    for (char c : argc > 2 && !IsNull(argv[2]) ? Text(argv[2]) : std::string_view()) {
        if (c == '$') format += "$$";
        else format += c;
    }
    for (size_t k = 0; k + 1 < format.size(); ++k)
        if (format[k] == '\\' && format[k + 1] >= '0' && format[k + 1] <= '9') format[k] = '$';
    const long long position = std::max<long long>(1, IntArg(argv, argc, 3, 1));
    const long long occurrence = IntArg(argv, argc, 4, 0);
    if (static_cast<size_t>(position - 1) > s.size()) return ResultText(ctx, s);
    const std::string head = s.substr(0, static_cast<size_t>(position - 1));
    const std::string tail = s.substr(static_cast<size_t>(position - 1));
    if (occurrence == 0) return ResultText(ctx, head + std::regex_replace(tail, *re, format));
    std::smatch m;
    size_t offset = 0;
    if (!FindMatch(s, *re, position, occurrence, m, offset)) return ResultText(ctx, s);
    const std::string out = s.substr(0, offset) + m.format(format) + s.substr(offset + static_cast<size_t>(m.length(0)));
    ResultText(ctx, out);
}

// SYS_CONTEXT('USERENV', attribute) for the attributes a session of this client has.
void FnSysContext(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* settings = static_cast<SessionSettings*>(sqlite3_user_data(ctx));
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(ctx);
    std::string space(Text(argv[0])), attribute(Text(argv[1]));
    for (char& c : space) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : attribute) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (space != "USERENV") return sqlite3_result_null(ctx);  // an application context never set
    if (attribute == "CURRENT_USER" || attribute == "SESSION_USER" || attribute == "CURRENT_SCHEMA" ||
        attribute == "AUTHENTICATED_IDENTITY")
        return ResultText(ctx, settings->user);
    if (attribute == "DB_NAME" || attribute == "INSTANCE_NAME" || attribute == "SERVICE_NAME" || attribute == "CON_NAME")
        return ResultText(ctx, "LITEOCI");
    if (attribute == "LANGUAGE") return ResultText(ctx, "AMERICAN_AMERICA.AL32UTF8");
    if (attribute == "LANG") return ResultText(ctx, "US");
    if (attribute == "NLS_TERRITORY") return ResultText(ctx, "AMERICA");
    if (attribute == "NLS_CALENDAR") return ResultText(ctx, "GREGORIAN");
    if (attribute == "SID" || attribute == "SESSIONID" || attribute == "INSTANCE") return ResultText(ctx, "1");
    if (attribute == "HOST" || attribute == "SERVER_HOST" || attribute == "TERMINAL") {
        char host[256] = {};
        if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
        return ResultText(ctx, host);
    }
    if (attribute == "OS_USER") {
        const char* u = getenv("USER");
        return ResultText(ctx, u ? u : "");
    }
    if (attribute == "ISDBA") return ResultText(ctx, settings->user == "SYS" ? "TRUE" : "FALSE");
    Fail(ctx, MakeError(kOraInvalidUserenvParameter));
}

// UID: the number of the session's user.
void FnUid(sqlite3_context* ctx, int, sqlite3_value**) {
    auto* settings = static_cast<SessionSettings*>(sqlite3_user_data(ctx));
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v2(sqlite3_context_db_handle(ctx), "SELECT rowid FROM \"liteoci$users\" WHERE name = ?1", -1, &q,
                           nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, settings->user.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(q) == SQLITE_ROW) sqlite3_result_int64(ctx, sqlite3_column_int64(q, 0));
        else sqlite3_result_null(ctx);
    }
    sqlite3_finalize(q);
}

struct Fn {
    const char* name;
    int args;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
};

constexpr Fn kFunctions[] = {
    {"REPLACE", 2, FnReplace},         {"REPLACE", 3, FnReplace},         {"TRANSLATE", 3, FnTranslate},
    {"LITEOCI_TRIM", 3, FnTrim},       {"REGEXP_LIKE", 2, FnRegexpLike},  {"REGEXP_LIKE", 3, FnRegexpLike},
    {"REGEXP_SUBSTR", -1, FnRegexpSubstr}, {"REGEXP_INSTR", -1, FnRegexpInstr},
    {"REGEXP_COUNT", -1, FnRegexpCount}, {"REGEXP_REPLACE", -1, FnRegexpReplace},
    {"SYS_CONTEXT", 2, FnSysContext},  {"LITEOCI_UID", 0, FnUid},
};

}  // namespace

int RegisterTextFunctions(sqlite3* db, SessionSettings* settings) {
    for (const Fn& f : kFunctions) {
        const bool deterministic = f.fn != FnSysContext && f.fn != FnUid;
        const int rc = sqlite3_create_function_v2(db, f.name, f.args,
                                                  SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0), settings,
                                                  f.fn, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

}  // namespace liteoci
