// The client's face of PL/SQL: anonymous blocks compiled once and run with placeholders, and the
// check of a stored unit's text. The engine behind it: PlTree.h (parse tree), PlScope.h (names),
// PlCompile.cpp (compiler), PlExec.cpp (interpreter), PlUnits.cpp (stored units, calls from SQL),
// PlBuiltins.cpp (built-in packages). A block is compiled completely before it runs, so that an
// error in its text fails the whole block with ORA-06550 before anything has happened.
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

struct Program;

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
    std::shared_ptr<Program> program_;
};

// Compiles the source of a stored unit (CREATE ... type name ...; kindTok is the token of its
// PROCEDURE / FUNCTION / PACKAGE keyword). Returns an empty error when it compiles.
OraError CheckStoredUnit(Session& session, std::string_view text, const std::vector<Token>& toks, size_t kindTok,
                         const std::string& type, const std::string& name);

}  // namespace liteoci

#endif
