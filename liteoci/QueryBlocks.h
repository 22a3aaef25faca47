// The query blocks of a statement (each SELECT with its clauses), found in one pass over the tokens so
// that the checks which Oracle makes on a query block before running it (grouping, the types of set
// operator branches, single-row subqueries) can look at each block without parsing the whole grammar.
#ifndef LITEOCI_QUERYBLOCKS_H
#define LITEOCI_QUERYBLOCKS_H

#include <cstdint>
#include <string_view>
#include <vector>

#include "Lexer.h"

namespace liteoci {

enum class Clause : uint8_t { None, Select, From, Where, GroupBy, Having, OrderBy, Connect, Set, Other };

struct QueryBlock {
    size_t select = 0;        // the SELECT token
    size_t end = 0;           // just after the block's last token
    size_t listBegin = 0;     // the select list [listBegin, listEnd), DISTINCT/UNIQUE/ALL excluded
    size_t listEnd = 0;
    size_t from = SIZE_MAX, where = SIZE_MAX, groupBy = SIZE_MAX, having = SIZE_MAX, orderBy = SIZE_MAX;
    bool hierarchical = false;  // CONNECT BY or START WITH
    bool opaque = false;        // PIVOT, UNPIVOT, MODEL or MATCH_RECOGNIZE: clauses the checks do not model
    size_t parent = SIZE_MAX;   // index of the enclosing block, if any
    size_t setOperator = SIZE_MAX;  // the UNION/INTERSECT/MINUS/EXCEPT token just before this block
    size_t previous = SIZE_MAX;     // with setOperator: index of the block before the operator
    bool compound = false;          // a branch of a set operation
    std::vector<size_t> marks;      // where its clauses start, in order
};

struct QueryShape {
    std::vector<QueryBlock> blocks;  // in the order of their SELECT tokens
    std::vector<size_t> match;       // matching parenthesis of each "(" and ")"
    std::vector<Clause> clause;      // per token: the clause of the block at the token's own level
    size_t begin = 0, end = 0;       // the tokens looked at
    bool balanced = true;            // every parenthesis closed: otherwise the statement's syntax error comes first
    // The end of the clause of block `q` that starts at token `at` (the next clause, or the block's end).
    size_t ClauseEnd(const QueryBlock& q, size_t at) const;
};

QueryShape ShapeOf(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e);

// An aggregate function's name, in upper case (COUNT, SUM, ...).
bool IsAggregateName(const std::string& upper);

}  // namespace liteoci

#endif
