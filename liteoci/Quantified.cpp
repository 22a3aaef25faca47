#include "Quantified.h"

#include <string>

#include "WithinGroup.h"
#include "TokenPass.h"

namespace liteoci {
namespace {

struct Forms : TokenPass {
    int n = 0;


    bool Comparison(size_t i) const {
        return O(i, "=") || O(i, "<>") || O(i, "!=") || O(i, "^=") || O(i, "<") || O(i, "<=") || O(i, ">") ||
               O(i, ">=");
    }

    // Where the operand that ends just before the operator at `op` starts, or SIZE_MAX when it is
    // more than one name, call, literal or parenthesized expression.
    size_t OperandStart(size_t op) const {
        if (op <= b) return SIZE_MAX;
        size_t k = op - 1;
        if (O(k, ")")) {
            if (match[k] == SIZE_MAX) return SIZE_MAX;
            k = match[k];
            if (k > b && IsName(toks[k - 1])) --k;
            else return k;
        } else if (!IsName(toks[k])) {
            const Tok kind = toks[k].kind;
            return kind == Tok::Number || kind == Tok::String || kind == Tok::Bind ? k : SIZE_MAX;
        }
        while (k >= b + 2 && O(k - 1, ".") && IsName(toks[k - 2])) k -= 2;
        return k;
    }

    // The operand must stand alone: what comes before it begins an operand.
    bool Alone(size_t start) const {
        if (start == b) return false;
        const size_t p = start - 1;
        return W(p, "WHERE") || W(p, "AND") || W(p, "OR") || W(p, "NOT") || W(p, "ON") || W(p, "WHEN") ||
               W(p, "HAVING") || O(p, "(") || O(p, ",") || W(p, "THEN") || W(p, "ELSE");
    }

    void Run() {
        match = MatchParens(text, toks, b, e);
        for (size_t i = b + 1; i + 2 < e; ++i) {
            if (!Comparison(i) || !(W(i + 1, "ANY") || W(i + 1, "SOME") || W(i + 1, "ALL"))) continue;
            const size_t open = i + 2;
            if (!O(open, "(") || match[open] == SIZE_MAX || match[open] == open + 1) continue;
            const size_t close = match[open];
            const size_t x = OperandStart(i);
            if (x == SIZE_MAX || !Alone(x)) continue;
            const bool all = W(i + 1, "ALL");
            const bool query = W(open + 1, "SELECT") || W(open + 1, "WITH");
            std::string op(TokText(text, toks[i]));
            if (op == "!=" || op == "^=") op = "<>";
            const int k = ++n;
            const std::string table = "\"liteoci$values" + std::to_string(k) + "\"";
            options.appends.emplace_back(x - 1, OperandMarker(kQuantifiedForms, 'S', k));
            options.appends.emplace_back(i - 1, OperandMarker(kQuantifiedForms, 'E', k));
            options.substitutions.push_back({i, open + 1, std::string(all ? "NOT " : "") + "EXISTS (WITH " + table +
                                                              "(\"V\") AS (" + (query ? "" : "VALUES (")});
            if (!query)
                for (size_t c = open + 1; c < close; ++c) {
                    if (O(c, "(") && match[c] != SIZE_MAX) c = match[c];
                    else if (O(c, ",")) options.substitutions.push_back({c, c + 1, "), ("});
                }
            const std::string test = OperandMarker(kQuantifiedForms, 'M', k) + " " + op + " \"V\"";
            options.substitutions.push_back({close, close + 1, std::string(query ? ")" : "))") + " SELECT 1 FROM " +
                                                                   table + " WHERE " +
                                                                   (all ? "NOT coalesce(" + test + ", 0))" : test + ")")});
            i = close;
        }
    }
};

}  // namespace

void RewriteQuantified(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                       TranslateOptions& options) {
    Forms f{{text, toks, b, e, {}, options}};
    f.Run();
}

}  // namespace liteoci
