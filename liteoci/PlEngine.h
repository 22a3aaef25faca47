// The PL/SQL engine of one session: the stored units it has compiled, the state of its packages,
// the call targets that SQL reaches through LITEOCI_PLCALL, and the interpreter that runs now.
//
// Invariants: a CallTarget id is valid while the Program that registered it lives (the program
// unregisters its ids when it is destroyed); LITEOCI_PLCALL refuses an id it does not know, so a
// number typed into a query by a user cannot reach freed memory.
#ifndef LITEOCI_PLENGINE_H
#define LITEOCI_PLENGINE_H

#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "OraCodes.h"
#include "PlTree.h"

namespace liteoci {

// Oracle error numbers the engine raises.
constexpr int kOraNoDataFound = 1403;
constexpr int kOraTooManyRows = 1422;
constexpr int kOraZeroDivide = 1476;
constexpr int kOraValueError = 6502;
constexpr int kOraDupValOnIndex = 1;
constexpr int kOraUserException = 6510;
constexpr int kOraCursorAlreadyOpen = 6511;
constexpr int kOraInvalidCursor = 1001;
constexpr int kOraCaseNotFound = 6592;
constexpr int kOraSubscriptBeyondCount = 6533;
constexpr int kOraSubscriptOutsideLimit = 6532;
constexpr int kOraCollectionIsNull = 6531;
constexpr int kOraFunctionNoReturn = 6503;
constexpr int kOraCompile = 6550;
constexpr int kOraAppErrorRange = 21000;
constexpr int kOraStoredInvalid = 6575;
constexpr int kOraProgramError = 6501;
constexpr int kOraStorageError = 6500;
constexpr int kMaxBlockNesting = 255;  // levels of block nesting the compiler accepts
constexpr int kMaxCallDepth = 200;  // nested calls at run time before ORA-06500-like refusal

struct CallTarget {
    enum Kind : uint8_t { Function, Builtin, Element, Method } kind = Function;
    std::shared_ptr<Subprogram> fn;
    int linkUp = -1;
    std::string builtin;   // Builtin: "SQLERRM", ...; Method: "COUNT", ...
    VarRef var;            // Element, Method
    std::vector<int> afterPath;
    bool textKeys = false;
    Program* owner = nullptr;
};

class Interpreter;

// The statement whose row triggers run now (INSERTING, UPDATING, DELETING answer from it).
struct TriggerContext {
    DmlTarget::Event event = DmlTarget::None;
    const std::vector<std::string>* setColumns = nullptr;
};

// The rows a statement would change, recorded by the capture triggers: each row is the rowid,
// then the old values (UPDATE, DELETE), then the new values (INSERT, UPDATE).
struct CaptureState {
    std::string table;
    int event = 0;
    std::vector<std::vector<Value>> rows;
};

struct PlState {
    Session* session = nullptr;
    std::map<int64_t, CallTarget> targets;
    int64_t nextTarget = 1;
    std::map<std::string, std::shared_ptr<Program>> units;  // "PROCEDURE P" -> compiled unit
    std::map<std::string, std::string> unitText;            // the text it was compiled from
    std::map<std::string, std::shared_ptr<Package>> packages;
    Interpreter* current = nullptr;
    int callDepth = 0;
    std::string lastErrorStack, lastBacktrace;  // for DBMS_UTILITY
    std::set<std::string> compiling;  // units being compiled now (a unit that names itself)
    uint64_t randomState = 0x9E3779B97F4A7C15ull;
    // triggers (PlTriggers.cpp)
    std::map<std::string, std::shared_ptr<void>> triggers;  // name -> compiled trigger
    std::vector<TriggerContext> triggerStack;
    CaptureState* capture = nullptr;
    std::vector<std::string> mutating;                   // tables whose row triggers run now
    std::map<std::string, std::string> captureColumns;   // table -> columns its capture triggers record
    int dmlDepth = 0;                                    // statements with triggers running inside each other
    sqlite3_stmt* triggerLookup = nullptr;               // the triggers of a table (every DML asks)
    ~PlState();
};

// The session's engine, made (and LITEOCI_PLCALL registered) on first use.
PlState& EngineOf(Session& s);

int64_t RegisterTarget(Session& s, CallTarget t);
void UnregisterTargets(Session& s, const std::vector<int64_t>& ids);

// A stored standalone procedure or function, compiled on first use. Empty with err clear when no
// such unit exists; err PLS-00905 when it exists but does not compile.
std::shared_ptr<Subprogram> FindStoredSubprogram(Session& s, const std::string& name, OraError& err,
                                                 std::shared_ptr<void>& keep);
// A package with its body, compiled and its state made on first use.
std::shared_ptr<Package> FindPackage(Session& s, const std::string& name, OraError& err);

// Compiles a whole stored unit text (CREATE ... tokens [b, e)); kind is "PROCEDURE", "FUNCTION",
// "PACKAGE" or "PACKAGE BODY". On failure the errors are ORA-06550 texts (PLS- messages).
OraError CompileUnit(Session& s, const std::string& kind, const std::string& name, std::string_view text,
                     const std::vector<Token>& toks, size_t b, size_t e, std::shared_ptr<Program>& out,
                     std::shared_ptr<Package> pkg);
// Compiles an anonymous block.
OraError CompileBlock(Session& s, std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                      std::shared_ptr<Program>& out);

// Runs a program's main block / subprogram with placeholders.
OraError RunProgram(Session& s, Program& prog, std::vector<Value>& binds, std::vector<bool>& assigned);
// Runs a package's initialisation part once per session.
OraError InitPackage(Session& s, Package& pkg);

// The function behind LITEOCI_PLCALL.
void PlCallFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv);

// Built-in packages: statements and functions (PlBuiltins.cpp).
bool IsBuiltinProcedure(const std::string& qualified);
bool IsBuiltinFunction(const std::string& qualified);
OraError CallBuiltinProcedure(Interpreter& in, const std::string& name, std::vector<Value>& args,
                              std::vector<bool>& assigned);
OraError CallBuiltinFunction(Interpreter& in, const std::string& name, std::vector<Value>& args, Value& out);

std::string ValueToText(const Value& v);
// Runs one statement text as the client runs any statement (DDL, blocks, ...).
OraError RunStatementText(Session& s, const std::string& text);
// The parameters of a built-in procedure that has OUT parameters, or null.
const std::vector<Param>* BuiltinParams(const std::string& qualified);
// Makes a stored function callable from SQL under its name; false when no such function exists.
bool RegisterSqlCallable(Session& s, const std::string& upperName);
// Makes function `name` of package `package` callable from SQL; sqlName receives how SQL names it.
// False when no such package exists.
bool RegisterPackageCallable(Session& s, const std::string& package, const std::string& name, std::string& sqlName);
// After "no such column: X" from preparing sql: when X is a stored function, rewrites its use in sql
// into a call without arguments and returns true (the caller prepares again).
bool CallWithoutParentheses(Session& s, std::string& sql);
// Compiles the text of CREATE ... (kind, name) to see whether it compiles; errors as ORA-06550.
OraError CheckUnit(Session& s, const std::string& kind, const std::string& name, std::string_view text,
                   const std::vector<Token>& toks, size_t kindTok);
OraError ToNumber(const Value& v, Value& out);

}  // namespace liteoci

#endif
