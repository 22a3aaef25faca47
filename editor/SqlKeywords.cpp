// The keyword list and a lookup table for it, both fixed at compile time: the colouring tests every
// word of every visible line, so the test must not allocate and must reject most words after a
// length check and one or two probes.
#include "SqlKeywords.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace editor {
namespace {

constexpr std::string_view kKeywords[] = {
    "create", "using", "increment", "minvalue", "nocycle", "nocache", "noorder", "alter", "drop",
    "truncate", "rebuild", "select", "insert", "update", "delete", "split", "move", "exchange", "from",
    "where", "and", "is", "null", "between", "for", "replace", "sysdate", "order", "by", "desc", "set",
    "current", "of", "commit", "rollback", "in", "out", "grant", "revoke", "range", "maxvalue", "than",
    "at", "as", "connect", "resource", "dba", "values", "into", "rename", "start", "with", "prior",
    "cache", "default", "on", "exists", "like", "declare", "nowait", "if", "else", "then", "pragma",
    "group", "having", "audit", "noaudit", "access", "link", "whenever", "successful", "cascade",
    "including", "contents", "references", "modify", "storage", "maxextents", "immediate", "add",
    "identified", "initially", "deferred", "deferrable", "unique", "account", "lock", "unlock",
    "temporary", "quota", "unlimited", "to", "debug", "query", "rewrite", "refresh", "flashback", "admin",
    "option", "read", "write", "execute", "analyze", "sys", "any", "tempfile", "size", "extent",
    "management", "local", "uniform", "blocksize", "autoallocate", "undo", "maxdatafiles", "character",
    "national", "logfile", "controlfile", "reuse", "segment", "space", "materialized", "public", "synonym",
    "hash", "hashkeys", "single", "cluster", "buffer_pool", "keep", "recycle", "or", "explain", "plan",
    "table", "index", "view", "package", "body", "trigger", "procedure", "function", "constraint",
    "column", "primary", "key", "foreign", "check", "database", "tablespace", "datafile", "role", "object",
    "type", "partition", "subpartition", "user", "session", "system", "sequence", "snapshot", "varchar2",
    "number", "date", "long", "raw", "blob", "clob", "bfile", "char", "timestamp", "begin", "end", "loop",
    "case", "cursor", "open", "fetch", "exception", "close", "return", "rowtype", "exit", "when", "not",
    "found", "union", "all", "elsif", "inserting", "updating", "deleting"
};

constexpr std::size_t kKeywordCount = std::size(kKeywords);
static_assert(kKeywordCount == 194);
constexpr std::size_t kShortest = 2;
constexpr std::size_t kLongest = 12;

constexpr char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The hash looks at the length and three bytes only (the word is lower-cased first); collisions just
// lengthen a probe chain, and the table is large enough (under 40% full) that chains stay short.
constexpr std::size_t kTableSize = 512;
constexpr std::uint8_t kEmpty = 0xFF;
static_assert(kKeywordCount < kEmpty, "slot values must fit a byte with room for the empty mark");

constexpr std::size_t Hash(const char* lowered, std::size_t n) {
    const auto first = static_cast<unsigned char>(lowered[0]);
    const auto second = static_cast<unsigned char>(lowered[1]);
    const auto last = static_cast<unsigned char>(lowered[n - 1]);
    return (n * 97 + first * 31 + second * 7 + last * 131) % kTableSize;
}

constexpr std::array<std::uint8_t, kTableSize> BuildTable() {
    std::array<std::uint8_t, kTableSize> table{};
    for (auto& slot : table)
        slot = kEmpty;
    for (std::size_t k = 0; k < kKeywordCount; ++k) {
        std::size_t slot = Hash(kKeywords[k].data(), kKeywords[k].size());
        while (table[slot] != kEmpty)
            slot = (slot + 1) % kTableSize;
        table[slot] = static_cast<std::uint8_t>(k);
    }
    return table;
}

constexpr std::array<std::uint8_t, kTableSize> kTable = BuildTable();

// The longest probe any keyword needs; a word that is no keyword stops at the first empty slot.
constexpr std::size_t LongestProbe() {
    std::size_t longest = 0;
    for (std::string_view k : kKeywords) {
        std::size_t slot = Hash(k.data(), k.size());
        std::size_t probes = 1;
        while (kKeywords[kTable[slot]] != k) {
            slot = (slot + 1) % kTableSize;
            ++probes;
        }
        longest = probes > longest ? probes : longest;
    }
    return longest;
}
static_assert(LongestProbe() <= 5, "the keyword hash spreads the list well");

constexpr bool CheckBounds() {
    for (std::string_view k : kKeywords) {
        if (k.size() < kShortest || k.size() > kLongest)
            return false;
        for (char c : k)
            if (Lower(c) != c)
                return false;
    }
    return true;
}
static_assert(CheckBounds(), "every keyword is lower case and within the length bounds");

} // namespace

std::span<const std::string_view> SqlKeywords() {
    return std::span<const std::string_view>(kKeywords, kKeywordCount);
}

bool IsSqlKeyword(std::string_view word) {
    const std::size_t n = word.size();
    if (n < kShortest || n > kLongest)
        return false;
    char lowered[kLongest];
    for (std::size_t i = 0; i < n; ++i)
        lowered[i] = Lower(word[i]);
    std::size_t slot = Hash(lowered, n);
    while (kTable[slot] != kEmpty) {
        const std::string_view keyword = kKeywords[kTable[slot]];
        if (keyword.size() == n && std::memcmp(keyword.data(), lowered, n) == 0)
            return true;
        slot = (slot + 1) % kTableSize;
    }
    return false;
}

} // namespace editor
