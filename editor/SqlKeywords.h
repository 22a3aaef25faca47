// The words the SQL colouring shows as keywords, and the test that tells a word is one.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace editor {

// The keywords, all lower case, each once, in their traditional order.
std::span<const std::string_view> SqlKeywords();

// True if the word, with A-Z turned to lower case (no other byte changes), equals a keyword exactly.
bool IsSqlKeyword(std::string_view word);

} // namespace editor
