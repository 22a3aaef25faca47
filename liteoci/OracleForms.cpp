#include "OracleForms.h"

namespace liteoci {
namespace {

bool IsName(const Token& t) { return t.kind == Tok::Word || t.kind == Tok::QIdent; }

struct Forms {
    std::string_view text;
    const std::vector<Token>& toks;
    size_t b, e;
    std::vector<size_t> match;
    TranslateOptions& options;

    bool W(size_t i, std::string_view w) const { return i < e && IsWord(text, toks[i], w); }
    bool O(size_t i, std::string_view o) const { return i < e && IsOp(text, toks[i], o); }

    bool EndsOrderBy(size_t i) const {
        static const char* const kWords[] = {"FETCH", "OFFSET", "FOR", "UNION", "INTERSECT", "MINUS", "EXCEPT",
                                             "ROWS", "RANGE", "GROUPS", "LIMIT"};
        for (const char* w : kWords)
            if (W(i, w)) return true;
        return O(i, ";");
    }

    void NullOrder() {
        for (size_t i = b; i + 1 < e; ++i) {
            if (!W(i, "ORDER") || !W(i + 1, "BY")) continue;
            size_t itemEnd = i + 2;
            size_t k = i + 2;
            auto finish = [&](size_t last) {  // last: the item's last token
                if (last < i + 2) return;
                if (W(last, "FIRST") || W(last, "LAST")) return;  // NULLS FIRST / LAST given
                options.appends.emplace_back(last, W(last, "DESC") ? " NULLS FIRST" : " NULLS LAST");
            };
            for (; k < e; ++k) {
                if (O(k, "(")) {
                    if (match[k] == SIZE_MAX) return;
                    k = match[k];
                    continue;
                }
                if (O(k, ")") || EndsOrderBy(k)) break;
                if (O(k, ",")) {
                    finish(k - 1);
                    itemEnd = k + 1;
                }
            }
            if (k > itemEnd) finish(k - 1);
            i = k > i + 1 ? k - 1 : i + 1;
        }
    }

    // UPDATE t e SET e.c = ..., DELETE [FROM] t e WHERE ...
    void DmlAlias() {
        size_t t = SIZE_MAX;
        if (W(b, "UPDATE")) t = b + 1;
        else if (W(b, "DELETE")) t = W(b + 1, "FROM") ? b + 2 : b + 1;
        if (t == SIZE_MAX || t >= e || !IsName(toks[t])) return;
        if (O(t + 1, ".") && t + 2 < e && IsName(toks[t + 2])) t += 2;
        const size_t a = t + 1;
        if (a >= e || !IsName(toks[a]) || W(a, "SET") || W(a, "WHERE") || W(a, "AS") || W(a, "RETURNING")) return;
        options.appends.emplace_back(t, " AS");
        if (!W(b, "UPDATE")) return;
        const std::string alias = IdentName(text, toks[a]);
        // the qualified targets of SET: "e.c =" and "(e.a, e.b) ="
        size_t set = a + 1;
        if (!W(set, "SET")) return;
        int depth = 0;
        for (size_t k = set + 1; k + 2 < e; ++k) {
            if (O(k, "(")) ++depth;
            else if (O(k, ")")) --depth;
            if (depth == 0 && W(k, "WHERE")) break;
            const bool target = (O(k - 1, ",") || W(k - 1, "SET") || (O(k - 1, "(") && depth == 1 && W(set, "SET"))) &&
                                IsName(toks[k]) && IdentName(text, toks[k]) == alias && O(k + 1, ".");
            if (target) options.substitutions.push_back({k, k + 2, ""});
        }
    }

    void FunctionDefaults() {
        for (size_t i = b; i + 1 < e; ++i) {
            if (!W(i, "DEFAULT")) continue;
            const size_t v = i + 1;
            if (W(v, "SYSDATE") || W(v, "SYSTIMESTAMP") || W(v, "CURRENT_DATE") || W(v, "CURRENT_TIMESTAMP"))
                options.substitutions.push_back({v, v + 1, "(SYSDATE())"});
            else if (W(v, "USER"))
                options.substitutions.push_back({v, v + 1, "(LITEOCI_USER())"});
        }
    }
};

}  // namespace

void RewriteOracleForms(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                        TranslateOptions& options) {
    Forms f{text, toks, b, e, MatchParens(text, toks, b, e), options};
    f.NullOrder();
    f.DmlAlias();
    if (b < e && (IsWord(text, toks[b], "CREATE") || IsWord(text, toks[b], "ALTER"))) f.FunctionDefaults();
}

}  // namespace liteoci
