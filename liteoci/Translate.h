// From Oracle-flavoured SQL to the SQL that SQLite runs.
//
// The text is rewritten token by token (see Lexer.h), so quotes and comments are never touched by
// mistake. Each emitted token remembers where it came from, so that an error position that SQLite
// reports in the rewritten text can be mapped back to the text the user wrote.
#ifndef LITEOCI_TRANSLATE_H
#define LITEOCI_TRANSLATE_H

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Errors.h"
#include "Lexer.h"

namespace liteoci {

struct TableChange;
struct IdentityPlan;
struct CreateAs;

// Where the value of one "?N" parameter of the rewritten text comes from.
struct ParamRef {
    enum Source : uint8_t { BindSlot, Variable } source;
    int index;  // bind slot (0-based position) or variable number
};

// Names placeholders (":name") and, inside PL/SQL, variables.
class Resolver {
public:
    virtual ~Resolver() = default;
    // The parameter a placeholder stands for.
    virtual ParamRef Placeholder(std::string_view name) = 0;
    // The variable an identifier names, or -1 when it names none.
    virtual int Variable(const std::string& upperName) { (void)upperName; return -1; }
};

// SQL statements bind by position: every placeholder occurrence is the next position.
class PositionalResolver : public Resolver {
public:
    ParamRef Placeholder(std::string_view) override { return {ParamRef::BindSlot, next_++}; }
    int count() const { return next_; }

private:
    int next_ = 0;
};

struct SelectItem {
    size_t first = 0, last = 0;  // token range [first, last) of the expression, alias excluded
    std::string name;            // the column name Oracle reports
    bool star = false;           // "*" or "t.*"
};

struct Translation {
    std::string sql;
    std::vector<std::pair<uint32_t, uint32_t>> map;  // (offset in sql, offset in the user's text)
    std::vector<ParamRef> params;                    // parameter ?k is params[k-1]
    std::vector<SelectItem> items;                   // the outermost select list of a query
    std::vector<std::pair<std::string, std::string>> tables;  // (alias or name, table) of its FROM
    bool forUpdate = false;
    std::string replaceView;  // CREATE OR REPLACE VIEW of an existing view: dropped when the statement runs
    std::shared_ptr<const TableChange> tableChange;
    std::shared_ptr<const IdentityPlan> identity;
    std::shared_ptr<const CreateAs> createAs;  // CREATE TABLE ... AS SELECT: run by the client  // CREATE TABLE with identity columns: their sequences and triggers  // ALTER TABLE that adds or drops a constraint: run by the client
    int hiddenColumns = 0;    // the last columns of the query that the user does not see

    // Offset in the user's text of the token at `sqlOffset` of the rewritten text.
    int MapOffset(int sqlOffset) const;
};

// Tokens [first, end) emitted as `text` instead of being translated.
struct Substitution {
    size_t first = 0, end = 0;
    std::string text;
};

struct TranslateOptions {
    bool query = false;       // the outermost select gets Oracle's column names, ROWNUM, FOR UPDATE
    bool allowSemicolon = false;
    std::string levelText;    // what LEVEL stands for inside a hierarchical query (empty: LEVEL as written)
    std::vector<Substitution> substitutions;
    std::vector<std::pair<size_t, std::string>> appends;  // (token, text emitted after it)
    const std::atomic<bool>* cancel = nullptr;  // a break of the session: translation stops with ORA-01013
    int hiddenColumns = 0;    // set by rewrites that add columns of their own after the query's (RowLimit.h)
};

// How deep parentheses and CASE expressions may nest in one statement. Deeper nesting would take the
// recursive parts of the client (and SQLite's parser) too close to the end of a thread's stack.
inline constexpr int kMaxNesting = 255;
// ORA-00600 naming the nesting limit.
OraError NestingTooDeep(int offset);

// Rewrites tokens [b, e) of text.
OraError Translate(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                   const TranslateOptions& options, Resolver& resolver, Translation& out);

// The statement classes the executor distinguishes, decided by the first keywords.
enum class StmtClass : uint8_t {
    Query, Dml, Ddl, Block, PlsqlUnit, Commit, Rollback, AlterSession, Ignored, Unknown, Explain, Savepoint, Comment,
};
struct Classification {
    StmtClass cls = StmtClass::Unknown;
    uint16_t ociType = 0;  // OCI_ATTR_STMT_TYPE
};
Classification Classify(std::string_view text, const std::vector<Token>& toks);

// An SQL string literal of v: in single quotes, each quote doubled.
std::string QuoteString(std::string_view v);

// Matching parenthesis of each "(" and ")" in toks, or SIZE_MAX.
std::vector<size_t> MatchParens(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e);

}  // namespace liteoci

#endif
