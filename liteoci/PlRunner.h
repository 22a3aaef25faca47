// A small runner of anonymous PL/SQL blocks: DBMS_OUTPUT, NULL, DML, SELECT INTO, variables,
// assignments, IF, loops, RAISE_APPLICATION_ERROR and exception handlers. Expressions are evaluated
// by SQLite through the SQL translation ("SELECT <expr>"), with variables and placeholders passed as
// parameters. A block is compiled completely before it runs, so that an error in its text fails the
// whole block with ORA-06550 before anything has happened, as on the server.
#ifndef LITEOCI_PLRUNNER_H
#define LITEOCI_PLRUNNER_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"
#include "Session.h"

namespace liteoci {

struct Value {
    enum Type : uint8_t { Null, Int, Real, Text } type = Null;
    int64_t i = 0;
    double d = 0;
    std::string s;
};

// Reads a result column or a function argument into a Value.
Value ValueFromColumn(sqlite3_stmt* vm, int col);
// Binds v as parameter `index` (1-based) of vm.
void BindValue(sqlite3_stmt* vm, int index, const Value& v);
// Oracle's text of a value (numbers without trailing zeros).
std::string ValueText(const Value& v);

struct PlProgram;

class PlBlock {
public:
    ~PlBlock();
    // Compiles tokens [b, e) of text: "[DECLARE ...] BEGIN ... END;" or "CALL proc(...)".
    static OraError Compile(Session& session, std::string_view text, const std::vector<Token>& toks, size_t b,
                            size_t e, std::unique_ptr<PlBlock>& out);
    // Placeholders of the block, each distinct name once, in order of first appearance.
    int placeholderCount() const;
    // Runs the block. binds holds the IN values of the placeholders and receives the values the
    // block assigned; assigned[k] tells which ones.
    OraError Run(Session& session, std::vector<Value>& binds, std::vector<bool>& assigned);

private:
    PlBlock() = default;
    std::unique_ptr<PlProgram> program_;
};

// Parses the source of a stored unit (CREATE ... PROCEDURE ...). Returns an empty error when the
// runner can run it.
OraError CheckStoredUnit(Session& session, std::string_view text, const std::vector<Token>& toks, size_t bodyStart);

}  // namespace liteoci

#endif
