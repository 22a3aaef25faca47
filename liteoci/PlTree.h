// The parse tree of PL/SQL: types, variables, compiled expressions, statements, subprograms and
// units, as the compiler (PlCompile.cpp) builds them and the interpreter (PlExec.cpp) runs them.
//
// Invariants:
// - Expressions are SQL evaluated by SQLite ("SELECT <expr>"). Each "?k" parameter of an
//   expression's SQL is an Operand: a placeholder of the caller, a variable (possibly a field of a
//   record), a cursor or SQL% attribute. Everything that needs PL/SQL to compute it (a call of a
//   PL/SQL function, an element of a collection, SQLCODE) is a call of LITEOCI_PLCALL(id, args...)
//   whose id names a CallTarget registered with the session while the program lives.
// - A variable lives in the frame of the subprogram (or anonymous block) that declares it; a
//   VarRef names it by how many static links lie between the frame that uses it and the frame that
//   holds it, and by its slot. Package variables live in the package's own frame in the session.
// - Nothing in a Program points into another Program except through shared_ptr (units and packages
//   it calls stay alive as long as it does).
#ifndef LITEOCI_PLTREE_H
#define LITEOCI_PLTREE_H

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "PlRunner.h"

namespace liteoci {

struct PlType;
using TypeP = std::shared_ptr<const PlType>;

struct PlType {
    enum Kind : uint8_t { Number, Varchar, Date, Boolean, Record, Table, Varray, RefCursor } kind = Varchar;
    size_t maxLen = 0;  // VARCHAR2(n); 0: no limit of its own
    bool integer = false;  // PLS_INTEGER and friends: values are rounded
    bool notNull = false;
    std::string name;   // as declared, for messages
    std::vector<std::pair<std::string, TypeP>> fields;  // Record
    TypeP elem;                                        // Table, Varray
    bool assoc = false;        // INDEX BY: exists without a constructor
    bool indexByText = false;  // INDEX BY VARCHAR2
    size_t limit = 0;          // Varray(n)
    bool IsComposite() const { return kind == Record || kind == Table || kind == Varray; }
    int FieldIndex(const std::string& upper) const {
        for (size_t k = 0; k < fields.size(); ++k)
            if (fields[k].first == upper) return static_cast<int>(k);
        return -1;
    }
};

struct Collection;
struct CursorState;

// The value of a variable: a scalar, a record's fields or a collection.
struct Datum {
    Value v;
    std::vector<Datum> fields;
    std::shared_ptr<Collection> coll;  // null: atomically null (a nested table not yet constructed)
    std::shared_ptr<CursorState> cursor;
};

struct CollKey {
    int64_t i = 0;
    std::string s;
    bool operator<(const CollKey& o) const { return s != o.s ? s < o.s : i < o.i; }
};

struct Collection {
    std::map<CollKey, Datum> items;
    int64_t extent = 0;  // nested tables and varrays: the number of slots made by EXTEND / constructors
};

// Makes the initial value of a variable of type t (records get their fields, index-by tables an
// empty collection).
Datum InitialDatum(const PlType& t);
// Copies with value semantics (collections are copied, not shared).
Datum CopyDatum(const Datum& d);

struct VarRef {
    int up = 0;    // static links to follow
    int slot = -1;
    struct Package* pkg = nullptr;  // package variable: slot in pkg's frame
    std::vector<int> path;          // record fields below the variable
};

struct Operand {
    enum Kind : uint8_t { Bind, Var, SqlAttr, CursorAttr } kind = Var;
    int bind = -1;  // Bind: 0-based placeholder slot
    VarRef var;     // Var, CursorAttr
    enum Attr : uint8_t { Found, NotFound, RowCount, IsOpen } attr = Found;
};

struct Expr {
    uint32_t pos = 0;
    std::string sql;
    std::vector<Operand> operands;
    sqlite3_stmt* vm = nullptr;
    bool busy = false;  // stepping now: a recursive use prepares a statement of its own
    TypeP type;         // what the value is assigned as, when known (for INTO lists and records)
    std::vector<std::string> tables;  // tables the statement reads or writes (upper case), for ORA-04091
    ~Expr() { sqlite3_finalize(vm); }
};
using ExprP = std::unique_ptr<Expr>;

// Where an assignment goes: a placeholder, a variable (field path) or a collection element.
struct LValue {
    bool bind = false;
    int bindSlot = -1;
    VarRef var;
    TypeP type;
    ExprP index;                // var(index)
    std::vector<int> afterPath;  // var(index).field...
    bool textKeys = false;       // the collection is indexed by VARCHAR2
    bool bounded = false;        // a nested table or varray: subscripts lie in 1..extent
    std::string name;
};

// What a DML statement changes: its table, its kind and, for UPDATE, the columns it sets.
struct DmlTarget {
    enum Event : uint8_t { None, Insert, Update, Delete } event = None;
    std::string table;                    // upper case
    std::vector<std::string> setColumns;  // UPDATE: the columns of its SET list, upper case
    bool singleRow = false;               // INSERT ... VALUES: one row, its table does not count as mutating
    bool merge = false;                   // MERGE INTO table: its triggers are not fired (refused)
};

struct ExcDecl {
    std::string name;
    int code = 0;  // from PRAGMA EXCEPTION_INIT (Oracle's number, positive), 0: user-defined
};

struct Subprogram;
struct Node;
using Body = std::vector<Node>;

struct Handler {
    std::vector<int> codes;                    // Oracle numbers; 0: OTHERS
    std::vector<const ExcDecl*> exceptions;    // user-defined exceptions
    Body body;
};

struct CursorDecl {
    std::string name;
    ExprP query;                 // the SELECT, with parameters as variables
    std::vector<int> paramSlots;  // slots of the parameters in the declaring frame
    std::vector<ExprP> paramDefaults;
    std::vector<std::string> columns;  // result column names (upper case)
    TypeP rowType;               // record of the columns
    int slot = -1;               // slot of the cursor's state
    int up = 0;
};

struct Arg {
    ExprP value;    // IN
    LValue target;  // OUT / IN OUT
    bool hasTarget = false;
};

// A built-in procedure or the call of a user's one.
struct CallStmt {
    std::shared_ptr<Subprogram> callee;  // user's subprogram, or null for a built-in
    int linkUp = -1;                     // static link of a local subprogram: frames to climb to its parent
    std::string builtin;                 // "DBMS_OUTPUT.PUT_LINE", ...
    std::vector<Arg> args;               // in the callee's parameter order (defaults filled later)
    std::vector<bool> given;
};

struct Node {
    enum Kind : uint8_t {
        Null, Assign, Call, If, Case, Loop, While, ForNum, ForCursor, Exit, Continue, Return, Raise, Reraise,
        Sql, SelectInto, Open, Fetch, Close, ExecImmediate, Block, Commit, Rollback, Forall,
    } kind = Null;
    uint32_t pos = 0;
    std::vector<ExprP> exprs;
    std::vector<Body> bodies;
    std::vector<LValue> targets;
    std::vector<Handler> handlers;
    std::unique_ptr<CallStmt> call;
    std::string label;          // loop label, EXIT label
    int varSlot = -1;           // FOR index / cursor FOR record
    bool reverse = false;
    bool bulk = false;          // BULK COLLECT
    bool hasElse = false;
    const ExcDecl* exc = nullptr;  // RAISE name
    int excCode = 0;               // RAISE of a predefined exception
    std::shared_ptr<CursorDecl> cursor;
    int cursorUp = 0;
    std::vector<std::pair<int, ExprP>> inits;  // Block: variables to initialise on entry (slot, expr or null)
    std::vector<std::pair<int, TypeP>> fresh;  // Block: variables reset on entry
    bool usingOut = false;
    DmlTarget dml;                 // Sql: what the statement changes, for the triggers of its table
};

enum class ParamMode : uint8_t { In, Out, InOut };

struct Param {
    std::string name;
    ParamMode mode = ParamMode::In;
    TypeP type;
    ExprP def;
    int slot = -1;
};

struct Program;
struct PlState;

struct Subprogram {
    std::string name;
    bool isFunction = false;
    TypeP ret;
    std::vector<Param> params;
    int frameSize = 0;
    std::vector<TypeP> slotTypes;
    Node body;  // Block
    bool defined = false;
    int depth = 0;        // lexical depth (0: top level of its unit)
    Program* owner = nullptr;
    std::string qualified;  // "DEMO.PKG" for error stacks, empty in anonymous blocks
};

// Session state of a package: its variables.
struct Package {
    std::string name;
    std::vector<Datum> frame;
    std::vector<TypeP> slotTypes;
    std::map<std::string, int> vars;                       // public and private variables
    std::map<std::string, std::shared_ptr<const ExcDecl>> exceptions;
    std::map<std::string, TypeP> types;
    std::map<std::string, std::vector<std::shared_ptr<Subprogram>>> subs;
    std::map<std::string, std::shared_ptr<CursorDecl>> cursors;
    std::vector<std::string> publicNames;  // names the package header declares (its public part)
    std::shared_ptr<Program> spec, body;
    bool initialised = false;
};

// A compiled text: an anonymous block, a stored subprogram, or a package header or body.
struct Program {
    std::string text;
    std::vector<Token> toks;
    std::vector<std::string> placeholders;
    std::shared_ptr<Subprogram> main;  // the block or the stored subprogram
    std::vector<std::shared_ptr<Subprogram>> locals;
    std::vector<std::shared_ptr<ExcDecl>> exceptions;
    std::vector<std::shared_ptr<void>> keep;  // units and packages this program uses
    std::vector<int64_t> callTargets;          // ids registered with the session
    std::string unitName;                      // "DEMO.P" of a stored unit, empty for a block
    Node initBlock;                            // package body's initialisation part
    int newSlot = -1, oldSlot = -1;            // a row trigger: its :NEW and :OLD records in the main frame
    ExprP when;                                // a row trigger's WHEN condition, or null
    PlState* engine = nullptr;
    ~Program();
};

}  // namespace liteoci

#endif
