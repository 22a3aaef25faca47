// Hierarchical queries: START WITH ... CONNECT BY [NOCYCLE] [PRIOR] ..., LEVEL and ORDER SIBLINGS BY.
//
// A hierarchical query over one table becomes a recursive common table expression that walks the
// tree from its roots. Each row of the walk carries its level, the values of the PRIOR expressions
// of its own row (so that its children can compare against them) and a path key. The path key is the
// concatenation, root first, of one element per ancestor: the row's sibling sort key, "!", its rowid
// as 16 hex digits, "/". Sorting by the key gives Oracle's depth-first order (a parent before its
// children, siblings in ORDER SIBLINGS BY order, else in the table's row order), and a row whose
// "!rowid/" already occurs in its parent's key is its own ancestor: ORA-01436 (or, with NOCYCLE,
// the row is left out).
//
// The WHERE clause filters the rows of the finished walk, as in Oracle; it does not prune the tree.
#ifndef LITEOCI_HIERARCHY_H
#define LITEOCI_HIERARCHY_H

#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"
#include "Translate.h"

namespace liteoci {

// True when the query block [b, e) has a CONNECT BY clause of its own (not one of a subquery).
bool IsHierarchicalQuery(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e);

// Translates the hierarchical query block [b, e) into out (which must be empty).
OraError TranslateHierarchical(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                               Resolver& resolver, Translation& out);

// INSERT ... SELECT ... CONNECT BY (the common row generator): where the statement's query starts, when
// tokens [b, e) are such an INSERT whose head has no placeholders; SIZE_MAX otherwise.
size_t HierarchicalInsertQuery(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e);
// Translates it: the head as any statement, the query as a hierarchical one.
OraError TranslateHierarchicalInsert(std::string_view text, const std::vector<Token>& toks, size_t b, size_t query,
                                     size_t e, const TranslateOptions& options, Resolver& resolver, Translation& out);

}  // namespace liteoci

#endif
