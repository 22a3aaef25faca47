// What a pass over the tokens of a statement works with before the translator runs: the text, its
// tokens [b, e), their matching parentheses and the options it adds substitutions and appends to.
#ifndef LITEOCI_TOKENPASS_H
#define LITEOCI_TOKENPASS_H

#include <string_view>
#include <vector>

#include "Translate.h"

namespace liteoci {

struct TokenPass {
    std::string_view text;
    const std::vector<Token>& toks;
    size_t b, e;
    std::vector<size_t> match;
    TranslateOptions& options;

    bool W(size_t i, std::string_view w) const { return i < e && IsWord(text, toks[i], w); }
    bool O(size_t i, std::string_view o) const { return i < e && IsOp(text, toks[i], o); }
};

}  // namespace liteoci

#endif
