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
    "found", "union", "all", "elsif", "inserting", "updating", "deleting",
    // Oracle's SQL reserved words, its PL/SQL reserved words and keywords, and the SQL keywords of
    // joins, merges and analytic clauses, each once (words of one letter are left out: they are far
    // more often a table alias than a keyword).
    "asc", "column_value", "comment", "compress", "decimal", "distinct", "exclusive", "file", "float",
    "initial", "integer", "intersect", "level", "minus", "mlslabel", "mode", "nested_table_id", "nocompress",
    "offline", "online", "pctfree", "row", "rowid", "rownum", "rows", "share", "smallint", "uid", "validate",
    "varchar", "clusters", "colauth", "columns", "crash", "goto", "indexes", "overlaps", "sql", "subtype",
    "tabauth", "views", "accessible", "agent", "aggregate", "array", "attribute", "authid", "avg",
    "bfile_base", "binary", "blob_base", "block", "both", "bound", "bulk", "byte", "call", "calling",
    "char_base", "charset", "charsetform", "charsetid", "clob_base", "clone", "collect", "committed",
    "compiled", "constant", "constructor", "context", "continue", "convert", "count", "credential",
    "customdatum", "dangling", "data", "date_base", "day", "define", "deterministic", "directory", "double",
    "duration", "element", "empty", "escape", "except", "exceptions", "external", "final", "first", "fixed",
    "forall", "force", "general", "heap", "hidden", "hour", "immutable", "indicator", "indices", "infinite",
    "instantiable", "int", "interface", "interval", "invalidate", "isolation", "java", "language", "large",
    "leading", "length", "library", "like2", "like4", "likec", "limit", "limited", "map", "max", "maxlen",
    "member", "merge", "min", "minute", "mod", "month", "multiset", "name", "nan", "native", "nchar", "new",
    "nocopy", "number_base", "ocicoll", "ocidate", "ocidatetime", "ociduration", "ociinterval",
    "ociloblocator", "ocinumber", "ociraw", "ociref", "ocirefcursor", "ocirowid", "ocistring", "ocitype",
    "old", "only", "opaque", "operator", "oracle", "oradata", "organization", "orlany", "orlvary", "others",
    "overriding", "parallel_enable", "parameter", "parameters", "parent", "pascal", "persistable", "pipe",
    "pipelined", "pluggable", "polymorphic", "precision", "private", "raise", "record", "ref", "reference",
    "relies_on", "rem", "remainder", "result", "result_cache", "returning", "reverse", "sample", "save",
    "savepoint", "sb1", "sb2", "sb4", "second", "self", "separate", "serializable", "short", "size_t",
    "some", "sparse", "sqlcode", "sqldata", "sqlname", "sqlstate", "standard", "static", "stddev", "stored",
    "string", "struct", "style", "submultiset", "substitutable", "sum", "tdo", "the", "time",
    "timezone_abbr", "timezone_hour", "timezone_minute", "timezone_region", "trailing", "transaction",
    "transactional", "trusted", "ub1", "ub2", "ub4", "under", "unplug", "unsigned", "untrusted", "use",
    "valist", "value", "variable", "variance", "varray", "varying", "void", "while", "work", "wrapped",
    "year", "zone", "join", "left", "right", "inner", "outer", "full", "cross", "natural", "matched",
    "lateral", "apply", "pivot", "unpivot", "offset", "next", "nulls", "last", "over", "rollup", "cube",
    "grouping", "sets", "purge", "nvarchar2", "nclob", "binary_float", "binary_double"
};

constexpr std::size_t kKeywordCount = std::size(kKeywords);
static_assert(kKeywordCount == 194 + 270);
constexpr std::size_t kShortest = 2;
constexpr std::size_t kLongest = 15;

constexpr char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The hash reads every byte of the (lower-cased, at most 15 bytes long) word; collisions just
// lengthen a probe chain, and the table is large enough (under 25% full) that chains stay short.
constexpr std::size_t kTableSize = 2048;
constexpr std::uint16_t kEmpty = 0xFFFF;
static_assert(kKeywordCount < kEmpty, "slot values must fit with room for the empty mark");

constexpr std::size_t Hash(const char* lowered, std::size_t n) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < n; ++i)
        hash = (hash ^ static_cast<unsigned char>(lowered[i])) * 16777619u;
    return hash % kTableSize;
}

constexpr std::array<std::uint16_t, kTableSize> BuildTable() {
    std::array<std::uint16_t, kTableSize> table{};
    for (auto& slot : table)
        slot = kEmpty;
    for (std::size_t k = 0; k < kKeywordCount; ++k) {
        std::size_t slot = Hash(kKeywords[k].data(), kKeywords[k].size());
        while (table[slot] != kEmpty)
            slot = (slot + 1) % kTableSize;
        table[slot] = static_cast<std::uint16_t>(k);
    }
    return table;
}

constexpr std::array<std::uint16_t, kTableSize> kTable = BuildTable();

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
