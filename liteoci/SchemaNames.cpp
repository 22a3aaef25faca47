#include "SchemaNames.h"

#include <sqlite3.h>

#include <map>

#include "Session.h"

namespace liteoci {
namespace {

bool IsUser(Session& s, const std::string& name, std::map<std::string, bool>& known) {
    auto it = known.find(name);
    if (it != known.end()) return it->second;
    bool found = false;
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v2(s.db(), "SELECT 1 FROM \"liteoci$users\" WHERE name = ?1", -1, &q, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        found = sqlite3_step(q) == SQLITE_ROW;
    }
    sqlite3_finalize(q);
    known[name] = found;
    return found;
}

}  // namespace

void DropSchemaNames(Session& s, std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                     TranslateOptions& options) {
    std::vector<uint8_t> taken(e - b, 0);
    for (const Substitution& sub : options.substitutions)
        for (size_t k = std::max(sub.first, b); k < sub.end && k < e; ++k) taken[k - b] = 1;
    std::map<std::string, bool> users;
    std::map<std::string, bool> alone;
    auto standsAlone = [&](const std::string& name) {
        auto it = alone.find(name);
        if (it != alone.end()) return it->second;
        bool found = false;
        for (size_t k = b; k < e && !found; ++k)
            found = IsName(toks[k]) && !(k + 1 < e && IsOp(text, toks[k + 1], ".")) && IdentName(text, toks[k]) == name;
        return alone[name] = found;
    };
    auto w = [&](size_t i, std::string_view word) { return i < e && IsWord(text, toks[i], word); };
    for (size_t i = b; i + 2 < e; ++i) {
        if (!IsName(toks[i]) || !IsOp(text, toks[i + 1], ".") || !IsName(toks[i + 2])) continue;
        if (i > b && IsOp(text, toks[i - 1], ".")) continue;  // the middle of a longer name
        if (taken[i - b] || taken[i + 1 - b] || taken[i + 2 - b]) continue;
        // owner.sequence.NEXTVAL: the translator knows a sequence by the name just before the dot
        const bool sequence = i + 4 < e && IsOp(text, toks[i + 3], ".") && (w(i + 4, "NEXTVAL") || w(i + 4, "CURRVAL"));
        // owner.table.column and owner.object; a two-part name that is table.column stays as it is
        const bool threeParts = i + 4 < e && IsOp(text, toks[i + 3], ".") && IsName(toks[i + 4]) && !sequence;
        const std::string owner = IdentName(text, toks[i]);
        if (owner != s.user() && !(s.sysdba() && IsUser(s, owner, users))) continue;
        // "a.b" may also be column b of a table or alias named like the owner: then it stays
        if (!threeParts && !sequence && standsAlone(owner)) continue;
        if (sequence) {
            options.substitutions.push_back({i, i + 5, std::string(w(i + 4, "NEXTVAL") ? "LITEOCI_NEXTVAL(" : "LITEOCI_CURRVAL(") +
                                                           QuoteString(IdentName(text, toks[i + 2])) + ")"});
            i += 4;
            continue;
        }
        options.substitutions.push_back({i, i + 2, ""});
        i += 2;
    }
}

}  // namespace liteoci
