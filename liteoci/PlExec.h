// The PL/SQL interpreter: runs the parse tree of PlTree.h on a session.
//
// Invariants: one Interpreter runs one top-level call (a block, or a function called from SQL);
// nested calls of subprograms push frames on it. An error travels as an OraError; a user-defined
// exception travels with raised_ naming its declaration. The first statement that fails in a frame
// records its position, and the error gains one "ORA-06512" line for each frame it leaves.
#ifndef LITEOCI_PLEXEC_H
#define LITEOCI_PLEXEC_H

#include <string>
#include <vector>

#include "PlEngine.h"

namespace liteoci {

struct CursorState {
    sqlite3_stmt* vm = nullptr;
    bool open = false;
    bool found = false;
    bool fetched = false;
    int64_t rowCount = 0;
    ~CursorState() { sqlite3_finalize(vm); }
};

struct Frame {
    std::vector<Datum> slots;
    Frame* link = nullptr;
    const Subprogram* sub = nullptr;
    int pendingPos = -1;  // the innermost statement that failed here
};

class Interpreter {
public:
    Interpreter(Session& s, std::vector<Value>* binds, std::vector<bool>* assigned);
    ~Interpreter();

    // Runs prog's main block in a new frame.
    OraError RunMain(Program& prog);
    // Calls a subprogram with argument values in parameter order (missing: defaults); OUT values
    // come back in args.
    OraError Call(const Subprogram& sp, Frame* link, std::vector<Datum>& args, const std::vector<bool>& given,
                  Value* result);
    OraError RunPackageInit(Package& pkg);
    // Runs a trigger's program with its :NEW and :OLD records (either may be null for a statement
    // trigger); newRow receives what the body left in :NEW. fired is false when the WHEN condition
    // did not hold.
    OraError RunTrigger(Program& prog, Datum* newRow, Datum* oldRow, bool& fired);
    Frame* Climb(int up);

    Session& session() { return s_; }
    // The exception being handled now (SQLCODE, SQLERRM), if any.
    const OraError* handling() const { return handling_.empty() ? nullptr : &handling_.back(); }
    const ExcDecl* handlingExc() const { return handlingExc_.empty() ? nullptr : handlingExc_.back(); }
    OraError pendingCallError;  // the full error of a call made from inside SQL
    const ExcDecl* pendingCallExc = nullptr;
    std::string lastBacktrace;
    const ExcDecl* raised() const { return raised_; }

    // For LITEOCI_PLCALL targets.
    Datum* Resolve(const VarRef& r);
    OraError ElementOf(const CallTarget& t, const Value& key, Value& out);
    OraError Method(const CallTarget& t, int argc, sqlite3_value** argv, Value& out);

private:
    enum class Flow : uint8_t { Normal, Exit, Continue, Return };

    OraError Run(Node& n);
    OraError RunList(Body& list);
    OraError RunBlock(Node& n);
    OraError Eval(Expr& x, Value& out);
    OraError EvalRow(Expr& x, sqlite3_stmt*& vm, bool& owned);
    OraError Bind(Expr& x, sqlite3_stmt* vm);
    OraError Truth(Expr& x, bool& out);
    OraError Assign(LValue& t, Value v, uint32_t pos);
    OraError AssignDatum(LValue& t, Datum d, uint32_t pos);
    OraError Store(Datum& d, const TypeP& type, Value v, uint32_t pos);
    OraError Located(OraError e, uint32_t pos);
    OraError InitDecls(Node& n);
    OraError RunCall(Node& n);
    OraError RunSql(Node& n);
    OraError RunSelectInto(Node& n);
    OraError RunCursorLoop(Node& n);
    OraError RunOpen(Node& n);
    OraError RunFetch(Node& n);
    OraError RunExecImmediate(Node& n);
    OraError RunForall(Node& n);
    OraError Construct(Expr& x, const TypeP& type, Datum& out);
    OraError RowInto(sqlite3_stmt* vm, std::vector<LValue>& targets, uint32_t pos, int index);
    CursorState* CursorOf(Node& n);
    OraError BeginDml();
    std::string Where(const Frame& f) const;
    OraError Raise(OraError e, const ExcDecl* exc);

    Session& s_;
    PlState& st_;
    Interpreter* outer_;
    std::vector<Value>* binds_;
    std::vector<bool>* assigned_;
    Frame* frame_ = nullptr;
    const Program* prog_ = nullptr;
    Flow flow_ = Flow::Normal;
    std::string flowLabel_;
    Value ret_;
    int64_t sqlRowCount_ = 0;
    bool sqlFound_ = false, sqlUsed_ = false;
    std::vector<OraError> handling_;
    std::vector<const ExcDecl*> handlingExc_;
    const ExcDecl* raised_ = nullptr;
    bool savepoint_ = false;
    bool topLevel_ = false;

public:
    bool failedDml = false;
    friend OraError RunProgram(Session&, Program&, std::vector<Value>&, std::vector<bool>&);
    friend void PlCallFunction(sqlite3_context*, int, sqlite3_value**);
    Value& sqlRowCountValue();
    int64_t sqlRowCount() const { return sqlRowCount_; }
    bool sqlFound() const { return sqlFound_; }
    bool sqlUsed() const { return sqlUsed_; }
};

// The PL/SQL value of an argument SQLite hands to a function of the engine ('' reads as NULL).
Value ValueOfSqlArgument(sqlite3_value* a);

}  // namespace liteoci

#endif
