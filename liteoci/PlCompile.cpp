// The PL/SQL compiler: from tokens to the parse tree of PlTree.h, resolving every name on the way
// (PlScope.h). Expressions and SQL statements are rewritten so that PL/SQL names become parameters
// or LITEOCI_PLCALL calls, then translated to SQLite and prepared, so that an error in any of them
// fails the whole compilation with ORA-06550 before anything runs, as on the server.
//
// Every recursion of the compiler (nested blocks, statements, types) counts its depth and stops
// with PLS-00102 at kMaxBlockNesting, far below what the stack of a worker thread holds.
#include <cstring>
#include <functional>

#include "DateForms.h"
#include "OracleForms.h"
#include "PlEngine.h"
#include "SchemaNames.h"
#include "WithinGroup.h"
#include "Quantified.h"
#include "PlScope.h"
#include "OuterJoin.h"
#include "PlTriggers.h"
#include "QueryChecks.h"
#include "StackGuard.h"
#include "Translate.h"

namespace liteoci {
namespace {

OraError PlsError(std::string_view text, uint32_t pos, const std::string& message) {
    int line, col;
    LineColumn(text, pos, line, col);
    OraError e = MakeError(kOraCompile, std::to_string(line), std::to_string(col), message);
    e.offset = static_cast<int>(pos);
    return e;
}

TypeP Scalar(PlType::Kind k, size_t len = 0, bool integer = false, const char* name = "") {
    auto t = std::make_shared<PlType>();
    t->kind = k;
    t->maxLen = len;
    t->integer = integer;
    t->name = name;
    return t;
}

const TypeP& NumberType() {
    static const TypeP t = Scalar(PlType::Number, 0, false, "NUMBER");
    return t;
}

// Type of a column of a table by its declared SQLite type.
TypeP TypeOfDeclared(const std::string& decl) {
    std::string up = Upper(decl);
    if (up.find("CHAR") != std::string::npos || up.find("CLOB") != std::string::npos || up.find("TEXT") != std::string::npos) {
        size_t len = 0;
        size_t p = up.find('(');
        if (p != std::string::npos) len = static_cast<size_t>(std::atol(up.c_str() + p + 1));
        return Scalar(PlType::Varchar, up.find("CLOB") != std::string::npos ? 0 : len, false, "VARCHAR2");
    }
    if (up.find("DATE") != std::string::npos || up.find("TIMESTAMP") != std::string::npos) return Scalar(PlType::Date, 0, false, "DATE");
    return NumberType();
}

// Positional resolver for a rewritten text: "LITEOCI#n" words are operand n, placeholders are the
// program's placeholders.
class RewriteResolver : public Resolver {
public:
    RewriteResolver(Program& p, std::vector<Operand>& ops) : p_(p), ops_(ops) {}
    ParamRef Placeholder(std::string_view name) override {
        std::string up = Upper(name);
        size_t k = 0;
        for (; k < p_.placeholders.size(); ++k)
            if (p_.placeholders[k] == up) break;
        if (k == p_.placeholders.size()) p_.placeholders.push_back(up);
        Operand o;
        o.kind = Operand::Bind;
        o.bind = static_cast<int>(k);
        ops_.push_back(o);
        return {ParamRef::BindSlot, static_cast<int>(ops_.size() - 1)};
    }
    int Variable(const std::string& upperName) override {
        if (upperName.rfind("LITEOCI#", 0) != 0) return -1;
        return std::atoi(upperName.c_str() + 8);
    }

private:
    Program& p_;
    std::vector<Operand>& ops_;
};

struct Rewritten {
    std::string text;
    std::vector<std::pair<uint32_t, uint32_t>> map;  // offset in text -> offset in the program text
    std::vector<Operand> operands;                    // "LITEOCI#n" words
    uint32_t Original(int off) const {
        uint32_t r = map.empty() ? 0 : map[0].second;
        for (const auto& m : map) {
            if (static_cast<int>(m.first) > off) break;
            r = m.second;
        }
        return r;
    }
};

// Authorizer that only records the tables a statement reads or writes (not those of triggers).
int CollectTables(void* out, int action, const char* a1, const char*, const char* db, const char* trigger) {
    if (trigger || !a1 || (db && std::strcmp(db, "temp") == 0)) return SQLITE_OK;
    if (action != SQLITE_READ && action != SQLITE_INSERT && action != SQLITE_UPDATE && action != SQLITE_DELETE)
        return SQLITE_OK;
    if (std::strncmp(a1, "sqlite_", 7) == 0 || std::strncmp(a1, "liteoci$", 8) == 0) return SQLITE_OK;
    auto& tables = *static_cast<std::vector<std::string>*>(out);
    std::string t = Upper(a1);
    for (const std::string& x : tables)
        if (x == t) return SQLITE_OK;
    tables.push_back(std::move(t));
    return SQLITE_OK;
}

// Words of SQL expressions that never name a stored function (no lookup is made for them).
bool SqlWord(const std::string& upper) {
    static const char* const kWords[] = {
        "NULL", "AND", "OR", "NOT", "IS", "IN", "LIKE", "BETWEEN", "CASE", "WHEN", "THEN", "ELSE", "END",
        "SYSDATE", "SYSTIMESTAMP", "CURRENT_DATE", "CURRENT_TIMESTAMP", "USER", "ROWNUM", "LEVEL", "DATE",
        "TIMESTAMP", "INTERVAL", "DISTINCT", "ESCAPE", "EXISTS", "ANY", "ALL", "SOME", "PRIOR", "SELECT", "FROM",
        "WHERE", "AS", "DAY", "MONTH", "YEAR", "HOUR", "MINUTE", "SECOND", "TO", "NULLS", "FIRST", "LAST"};
    for (const char* w : kWords)
        if (upper == w) return true;
    return false;
}

const char* const kStatementStart = "begin case declare exit for goto if loop mod null pragma raise return select update while with <an identifier>";

struct Compiler {
    Session& s;
    Program& prog;
    std::string_view text;
    const std::vector<Token>& toks;
    size_t end;
    size_t i;
    std::vector<size_t> match;
    Scopes scopes;
    std::vector<FrameInfo> frames;  // frames[d]: the frame at depth d being compiled
    int nesting = 0;
    Package* pkg = nullptr;      // compiling a package header or body
    bool pkgLevel = false;       // declarations go to the package frame
    std::vector<std::string> loopLabels;
    int loopDepth = 0;
    Subprogram* currentSub = nullptr;
    const TriggerDef* trig = nullptr;  // compiling the body of this trigger
    bool exprOnly = false;             // compiling a PL/SQL expression, not an SQL statement

    Compiler(Session& ss, Program& p, size_t b, size_t e)
        : s(ss), prog(p), text(p.text), toks(p.toks), end(e), i(b), match(MatchParens(p.text, p.toks, b, e)) {}

    bool W(size_t k, std::string_view w) const { return k < end && IsWord(text, toks[k], w); }
    bool O(size_t k, std::string_view o) const { return k < end && IsOp(text, toks[k], o); }
    bool Ident(size_t k) const { return k < end && (toks[k].kind == Tok::Word || toks[k].kind == Tok::QIdent); }
    uint32_t Pos(size_t k) const {
        return k < end ? toks[k].pos : (end > 0 ? toks[end - 1].pos + toks[end - 1].len : 0);
    }
    std::string Name(size_t k) const { return IdentName(text, toks[k]); }
    // :NEW or :OLD (or their REFERENCING names) in the body of a row trigger.
    bool TrigRef(size_t k) const {
        if (!trig || !trig->row || k >= end || toks[k].kind != Tok::Bind) return false;
        std::string n = Upper(TokText(text, toks[k]).substr(1));
        return n == trig->newName || n == trig->oldName;
    }
    // The name of a part of a name chain; a trigger's pseudorecord keeps its colon.
    std::string PartName(size_t k) const { return TrigRef(k) ? Upper(TokText(text, toks[k])) : Name(k); }

    OraError Err(size_t k, const std::string& m) const { return PlsError(text, Pos(k), m); }
    OraError Unexpected(size_t k, const char* expecting) const {
        std::string sym = k < end ? std::string(TokText(text, toks[k])) : "end-of-file";
        if (k < end && toks[k].kind != Tok::String) sym = Upper(sym);
        return Err(k, "PLS-00103: Encountered the symbol \"" + sym + "\" when expecting one of the following:\n\n   " +
                          expecting);
    }
    OraError Expect(std::string_view op, const char* expecting) {
        if (!O(i, op) && !W(i, op)) return Unexpected(i, expecting);
        ++i;
        return {};
    }
    OraError Undeclared(size_t k, const std::string& name) const {
        return Err(k, "PLS-00201: identifier '" + name + "' must be declared");
    }

    // Guards each recursion of the compiler.
    struct Depth {
        Compiler& c;
        explicit Depth(Compiler& cc) : c(cc) {
            // a small stack ends the nesting sooner
            added = StackNearlyFull() ? kMaxBlockNesting + 1 : 1;
            c.nesting += added;
        }
        ~Depth() { c.nesting -= added; }
        int added;
    };
    OraError TooDeep(size_t k) const {
        return Err(k, "PLS-00102: parser stack overflow because nesting is too deep");
    }

    template <class F>
    size_t ExprEnd(size_t from, F stop) const {
        size_t k = from;
        while (k < end && !stop(k)) {
            if (O(k, "(") && match[k] != SIZE_MAX) k = match[k];
            else if (W(k, "CASE")) {
                int d = 0;
                for (; k < end; ++k) {
                    if (W(k, "CASE")) ++d;
                    else if (W(k, "END") && --d == 0) break;
                }
                if (k >= end) return end;
            }
            ++k;
        }
        return k;
    }

    // ---- slots -------------------------------------------------------------------------------

    int NewSlot(const TypeP& t) {
        if (pkgLevel && pkg) {
            pkg->slotTypes.push_back(t);
            return static_cast<int>(pkg->slotTypes.size() - 1);
        }
        FrameInfo& f = frames.back();
        f.types.push_back(t);
        return f.size++;
    }

    Entry& Declare(const std::string& name, Entry e) {
        if (pkgLevel && pkg) e.pkg = pkg;
        Entry& slot = scopes.Top().names[name];
        slot = std::move(e);
        return slot;
    }

    VarRef RefOf(const Entry& en, int at) const {
        VarRef r;
        r.slot = en.slot;
        if (en.pkg) r.pkg = en.pkg;
        else r.up = scopes.depth() - at;
        return r;
    }

    // ---- types -------------------------------------------------------------------------------

    OraError TableRowType(size_t k, const std::string& table, TypeP& out) {
        sqlite3_stmt* q = nullptr;
        std::string sql = "SELECT name, type FROM pragma_table_info(" + QuoteString(table) + ")";
        if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr) != SQLITE_OK) {
            sqlite3_finalize(q);
            return Undeclared(k, table);
        }
        auto t = std::make_shared<PlType>();
        t->kind = PlType::Record;
        t->name = table + "%ROWTYPE";
        while (sqlite3_step(q) == SQLITE_ROW) {
            const char* n = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
            const char* d = reinterpret_cast<const char*>(sqlite3_column_text(q, 1));
            t->fields.emplace_back(Upper(n ? n : ""), TypeOfDeclared(d ? d : ""));
        }
        sqlite3_finalize(q);
        if (t->fields.empty()) return Undeclared(k, table);
        out = t;
        return {};
    }

    // A declared type at i: scalar names, x%TYPE, t%ROWTYPE, user types, pkg.type.
    OraError ParseType(TypeP& out) {
        if (!Ident(i)) return Unexpected(i, "<a type name>");
        size_t start = i;
        std::vector<std::string> parts{Name(i)};
        ++i;
        while (O(i, ".") && Ident(i + 1)) parts.push_back(Name(i + 1)), i += 2;
        if (O(i, "%") && (W(i + 1, "TYPE") || W(i + 1, "ROWTYPE"))) {
            bool row = W(i + 1, "ROWTYPE");
            i += 2;
            int at = 0;
            const Entry* en = scopes.Find(parts[0], at);
            if (row) {
                if (en && en->kind == Entry::Cursor && parts.size() == 1) {
                    out = en->cursor->rowType;
                    return {};
                }
                return TableRowType(start, parts.back(), out);
            }
            if (en && en->kind == Entry::Var) {
                TypeP t = en->type;
                for (size_t p = 1; p < parts.size() && t; ++p) {
                    int f = t->FieldIndex(parts[p]);
                    if (f < 0) return Err(start, "PLS-00302: component '" + parts[p] + "' must be declared");
                    t = t->fields[static_cast<size_t>(f)].second;
                }
                out = t;
                return {};
            }
            if (parts.size() >= 2) {
                // table.column%TYPE
                TypeP row;
                if (OraError e = TableRowType(start, parts[parts.size() - 2], row)) return e;
                int f = row->FieldIndex(parts.back());
                if (f < 0) return Err(start, "PLS-00302: component '" + parts.back() + "' must be declared");
                out = row->fields[static_cast<size_t>(f)].second;
                return {};
            }
            return Undeclared(start, parts[0]);
        }
        if (parts.size() == 2) {
            OraError err;
            auto p = FindPackage(s, parts[0], err);
            if (err) return err;
            if (p) {
                auto it = p->types.find(parts[1]);
                if (it == p->types.end()) return Err(start, "PLS-00302: component '" + parts[1] + "' must be declared");
                prog.keep.push_back(p);
                out = it->second;
                return {};
            }
            return Undeclared(start, parts[0] + "." + parts[1]);
        }
        const std::string& n = parts[0];
        int at = 0;
        if (const Entry* en = scopes.Find(n, at); en && en->kind == Entry::Type) {
            out = en->type;
            return {};
        }
        size_t len = 0;
        int a1 = -1;
        if (O(i, "(")) {
            if (match[i] == SIZE_MAX) return Unexpected(end, ")");
            if (i + 1 < end && toks[i + 1].kind == Tok::Number)
                a1 = std::atoi(std::string(TokText(text, toks[i + 1])).c_str());
            i = match[i] + 1;
        }
        if (n.find("CHAR") != std::string::npos || n == "STRING" || n == "CLOB" || n == "NCLOB" || n == "LONG" ||
            n == "RAW" || n == "ROWID" || n == "UROWID") {
            if (a1 > 0) len = static_cast<size_t>(a1);
            out = Scalar(PlType::Varchar, len, false, n.c_str());
            return {};
        }
        if (n == "DATE" || n == "TIMESTAMP") {
            // TIMESTAMP [(n)] [WITH [LOCAL] TIME ZONE]
            if (W(i, "WITH")) {
                ++i;
                if (W(i, "LOCAL")) ++i;
                if (W(i, "TIME")) ++i;
                if (W(i, "ZONE")) ++i;
            }
            out = Scalar(PlType::Date, 0, false, n.c_str());
            return {};
        }
        if (n == "BOOLEAN") {
            out = Scalar(PlType::Boolean, 0, false, "BOOLEAN");
            return {};
        }
        static const char* const kInts[] = {"PLS_INTEGER", "BINARY_INTEGER", "INTEGER", "INT", "SMALLINT", "NATURAL",
                                            "NATURALN", "POSITIVE", "POSITIVEN", "SIMPLE_INTEGER", "SIGNTYPE"};
        for (const char* k : kInts)
            if (n == k) {
                out = Scalar(PlType::Number, 0, true, k);
                return {};
            }
        static const char* const kNums[] = {"NUMBER", "FLOAT", "DECIMAL", "DEC", "NUMERIC", "REAL",
                                            "DOUBLE", "BINARY_DOUBLE", "BINARY_FLOAT"};
        for (const char* k : kNums)
            if (n == k) {
                if (n == "DOUBLE" && W(i, "PRECISION")) ++i;
                out = Scalar(PlType::Number, 0, false, k);
                return {};
            }
        if (n == "SYS_REFCURSOR") {
            out = Scalar(PlType::RefCursor, 0, false, "SYS_REFCURSOR");
            return {};
        }
        return Undeclared(start, n);
    }

    // TYPE name IS RECORD (...) | TABLE OF t [INDEX BY t] | VARRAY(n) OF t | REF CURSOR;
    OraError ParseTypeDecl() {
        Depth d(*this);
        if (nesting > kMaxBlockNesting) return TooDeep(i);
        ++i;  // TYPE
        if (!Ident(i)) return Unexpected(i, "<an identifier>");
        std::string name = Name(i);
        ++i;
        if (OraError e = Expect("IS", "is")) return e;
        auto t = std::make_shared<PlType>();
        t->name = name;
        if (W(i, "RECORD")) {
            ++i;
            t->kind = PlType::Record;
            if (OraError e = Expect("(", "(")) return e;
            for (;;) {
                if (!Ident(i)) return Unexpected(i, "<an identifier>");
                std::string f = Name(i);
                ++i;
                TypeP ft;
                if (OraError e = ParseType(ft)) return e;
                if (W(i, "NOT") && W(i + 1, "NULL")) i += 2;
                if (O(i, ":=") || W(i, "DEFAULT")) {
                    ++i;
                    i = ExprEnd(i, [&](size_t k) { return O(k, ",") || O(k, ")"); });
                }
                t->fields.emplace_back(f, ft);
                if (O(i, ",")) {
                    ++i;
                    continue;
                }
                if (OraError e = Expect(")", ", )")) return e;
                break;
            }
        } else if (W(i, "TABLE") || W(i, "VARRAY") || (W(i, "VARYING") && W(i + 1, "ARRAY"))) {
            t->kind = W(i, "TABLE") ? PlType::Table : PlType::Varray;
            if (W(i, "VARYING")) ++i;
            ++i;
            if (t->kind == PlType::Varray) {
                if (!O(i, "(") || i + 1 >= end || toks[i + 1].kind != Tok::Number) return Unexpected(i, "(");
                t->limit = static_cast<size_t>(std::atol(std::string(TokText(text, toks[i + 1])).c_str()));
                i = match[i] + 1;
            }
            if (OraError e = Expect("OF", "of")) return e;
            if (OraError e = ParseType(t->elem)) return e;
            if (W(i, "NOT") && W(i + 1, "NULL")) i += 2;
            if (W(i, "INDEX") && W(i + 1, "BY")) {
                i += 2;
                t->assoc = true;
                TypeP kt;
                if (OraError e = ParseType(kt)) return e;
                t->indexByText = kt->kind == PlType::Varchar;
            }
        } else if (W(i, "REF") && W(i + 1, "CURSOR")) {
            i += 2;
            t->kind = PlType::RefCursor;
            if (W(i, "RETURN")) {
                ++i;
                TypeP rt;
                if (OraError e = ParseType(rt)) return e;
            }
        } else {
            return Unexpected(i, "record table varray ref");
        }
        if (OraError e = Expect(";", ";")) return e;
        Entry en;
        en.kind = Entry::Type;
        en.type = t;
        Declare(name, std::move(en));
        if (pkgLevel && pkg) pkg->types[name] = t;
        return {};
    }

    // ---- rewriting of expressions and SQL ------------------------------------------------------

    // A parenthesised argument list at k (k is "("): rewrites each argument into r, separated by
    // commas. Named notation is refused inside expressions.
    OraError RewriteArgs(size_t k, Rewritten& r, size_t& after) {
        size_t close = match[k];
        if (close == SIZE_MAX) return Unexpected(end, ")");
        size_t a = k + 1;
        bool first = true;
        while (a < close) {
            size_t e = ExprEnd(a, [&](size_t q) { return q >= close || O(q, ","); });
            if (!first) r.text += ",";
            first = false;
            if (OraError err = RewriteRange(a, e, r)) return err;
            a = e + 1;
        }
        after = close + 1;
        return {};
    }

    void Emit(Rewritten& r, size_t k, std::string_view piece) {
        if (!r.text.empty() && r.text.back() != ' ' && r.text.back() != '(') r.text += ' ';
        r.map.emplace_back(static_cast<uint32_t>(r.text.size()), Pos(k));
        r.text += piece;
    }
    void EmitOperand(Rewritten& r, size_t k, Operand o) {
        r.operands.push_back(std::move(o));
        Emit(r, k, "LITEOCI#" + std::to_string(r.operands.size() - 1));
    }
    void EmitCall(Rewritten& r, size_t k, CallTarget t) {
        t.owner = &prog;
        int64_t id = RegisterTarget(s, std::move(t));
        prog.callTargets.push_back(id);
        Emit(r, k, "LITEOCI_PLCALL(" + std::to_string(id));
    }

    // Resolves the name chain at k; true when it rewrote something and moved k.
    OraError RewriteName(size_t& k, size_t e, Rewritten& r, bool& done) {
        done = false;
        std::vector<std::string> parts{PartName(k)};
        size_t j = k + 1;
        while (j + 1 < e && O(j, ".") && Ident(j + 1)) parts.push_back(Name(j + 1)), j += 2;
        bool pct = j + 1 < e && O(j, "%") && Ident(j + 1);
        auto attrOf = [&](const std::string& a, Operand::Attr& out) {
            if (a == "FOUND") out = Operand::Found;
            else if (a == "NOTFOUND") out = Operand::NotFound;
            else if (a == "ROWCOUNT") out = Operand::RowCount;
            else if (a == "ISOPEN") out = Operand::IsOpen;
            else return false;
            return true;
        };
        if (pct && parts.size() == 1) {
            Operand o;
            std::string a = Name(j + 1);
            if (!attrOf(a, o.attr)) return Err(j + 1, "PLS-00208: identifier '" + a + "' is not a legal cursor attribute");
            if (parts[0] == "SQL") {
                o.kind = Operand::SqlAttr;
            } else {
                int at = 0;
                const Entry* en = scopes.Find(parts[0], at);
                if (!en || (en->kind != Entry::Cursor && !(en->kind == Entry::Var && en->type->kind == PlType::RefCursor)))
                    return Undeclared(k, parts[0]);
                o.kind = Operand::CursorAttr;
                o.var = en->kind == Entry::Cursor ? RefOf(*en, at) : RefOf(*en, at);
                if (en->kind == Entry::Cursor) o.var.slot = en->cursor->slot;
            }
            EmitOperand(r, k, std::move(o));
            k = j + 2;
            done = true;
            return {};
        }
        int at = 0;
        const Entry* en = scopes.Find(parts[0], at);
        size_t used = 1;  // parts consumed
        Package* p = nullptr;
        if (!en && parts.size() >= 2) {
            // pkg.name
            int dummy;
            if (!scopes.Find(parts[0], dummy)) {
                OraError err;
                auto pk = (parts[0] == "DBMS_OUTPUT" || parts[0] == "DBMS_RANDOM" || parts[0] == "DBMS_UTILITY" ||
                           parts[0] == "DBMS_LOB" || parts[0] == "UTL_RAW")
                              ? nullptr
                              : FindPackage(s, parts[0], err);
                if (err) return Err(k, err.text.substr(err.text.find('\n') + 1));
                if (pk) {
                    prog.keep.push_back(pk);
                    p = pk.get();
                    auto vit = p->vars.find(parts[1]);
                    if (vit != p->vars.end()) {
                        static Entry tmp;
                        tmp = Entry{};
                        tmp.kind = Entry::Var;
                        tmp.slot = vit->second;
                        tmp.type = p->slotTypes[static_cast<size_t>(vit->second)];
                        tmp.pkg = p;
                        en = &tmp;
                        used = 2;
                    } else if (auto sit = p->subs.find(parts[1]); sit != p->subs.end()) {
                        static Entry tmp2;
                        tmp2 = Entry{};
                        tmp2.kind = Entry::Sub;
                        tmp2.subs = sit->second;
                        tmp2.pkg = p;
                        en = &tmp2;
                        used = 2;
                    } else {
                        return Err(j - 1, "PLS-00302: component '" + parts[1] + "' must be declared");
                    }
                }
            }
        }
        if (!en) {
            if (parts.size() == 1) {
                const std::string& n = parts[0];
                if (n == "TRUE" || n == "FALSE") {
                    Emit(r, k, n == "TRUE" ? "1" : "0");
                    k = j;
                    done = true;
                    return {};
                }
                // Built-ins called with or without an argument list: SQLCODE, SQLERRM, and in a
                // trigger its conditional predicates.
                if (n == "SQLCODE" || n == "SQLERRM" ||
                    (trig && (n == "INSERTING" || n == "UPDATING" || n == "DELETING"))) {
                    CallTarget t;
                    t.kind = CallTarget::Builtin;
                    t.builtin = n;
                    EmitCall(r, k, std::move(t));
                    if (O(j, "(")) {
                        r.text += ",";
                        size_t after;
                        if (OraError err = RewriteArgs(j, r, after)) return err;
                        j = after;
                    }
                    r.text += ")";
                    k = j;
                    done = true;
                    return {};
                }
            }
            std::string q = parts.size() >= 2 ? parts[0] + "." + parts[1] : parts[0];
            if (parts.size() >= 2 && IsBuiltinFunction(q)) {
                CallTarget t;
                t.kind = CallTarget::Builtin;
                t.builtin = q;
                EmitCall(r, k, std::move(t));
                size_t nj = k + 3;
                if (O(nj, "(")) {
                    size_t after;
                    std::string before = r.text;
                    r.text += ",";
                    size_t mark = r.text.size();
                    if (OraError err = RewriteArgs(nj, r, after)) return err;
                    if (r.text.size() == mark) r.text = before;
                    nj = after;
                }
                r.text += ")";
                k = nj;
                done = true;
                return {};
            }
            // A stored function called without parentheses: in an SQL statement a column of that name
            // comes first, so only PL/SQL expressions take the name as the function.
            if (parts.size() == 1 && !O(j, "(") && (!exprOnly || SqlWord(parts[0]))) return {};
            if (parts.size() == 1) {
                OraError err;
                std::shared_ptr<void> keep;
                auto fn = FindStoredSubprogram(s, parts[0], err, keep);
                if (err) return Err(k, err.text.substr(err.text.find('\n') + 1));
                if (fn && fn->isFunction) {
                    prog.keep.push_back(keep);
                    static Entry tmp3;
                    tmp3 = Entry{};
                    tmp3.kind = Entry::Sub;
                    tmp3.subs = {fn};
                    en = &tmp3;
                    at = -1;
                }
            }
            if (!en) return {};
        }
        if (en->kind == Entry::Var) {
            VarRef ref = RefOf(*en, at);
            TypeP t = en->type;
            size_t q = used;
            while (q < parts.size() && t && t->kind == PlType::Record) {
                int f = t->FieldIndex(parts[q]);
                if (f < 0) return Err(k + 2 * q, "PLS-00302: component '" + parts[q] + "' must be declared");
                ref.path.push_back(f);
                t = t->fields[static_cast<size_t>(f)].second;
                ++q;
            }
            size_t next = k + 2 * q - 1;  // token after the consumed names
            if (t && (t->kind == PlType::Table || t->kind == PlType::Varray)) {
                if (q < parts.size()) {
                    // collection methods
                    const std::string& m = parts[q];
                    static const char* const kMethods[] = {"COUNT", "FIRST", "LAST", "EXISTS", "NEXT", "PRIOR", "LIMIT"};
                    bool ok = false;
                    for (const char* x : kMethods) ok = ok || m == x;
                    if (!ok) return Err(k + 2 * q, "PLS-00302: component '" + m + "' must be declared");
                    CallTarget ct;
                    ct.kind = CallTarget::Method;
                    ct.builtin = m;
                    ct.textKeys = t->indexByText;
                    ct.var = ref;
                    EmitCall(r, k, std::move(ct));
                    size_t nj = next + 2;
                    if (O(nj, "(")) {
                        r.text += ",";
                        size_t after;
                        if (OraError err = RewriteArgs(nj, r, after)) return err;
                        nj = after;
                    }
                    r.text += ")";
                    k = nj;
                    done = true;
                    return {};
                }
                if (O(next, "(")) {
                    CallTarget ct;
                    ct.kind = CallTarget::Element;
                    ct.var = ref;
                    ct.textKeys = t->indexByText;
                    size_t after;
                    // element fields after the index
                    size_t close = match[next];
                    if (close == SIZE_MAX) return Unexpected(end, ")");
                    size_t a = close + 1;
                    TypeP et = t->elem;
                    while (O(a, ".") && Ident(a + 1) && et && et->kind == PlType::Record) {
                        int f = et->FieldIndex(Name(a + 1));
                        if (f < 0) return Err(a + 1, "PLS-00302: component '" + Name(a + 1) + "' must be declared");
                        ct.afterPath.push_back(f);
                        et = et->fields[static_cast<size_t>(f)].second;
                        a += 2;
                    }
                    EmitCall(r, k, std::move(ct));
                    r.text += ",";
                    if (OraError err = RewriteArgs(next, r, after)) return err;
                    r.text += ")";
                    k = a;
                    done = true;
                    return {};
                }
            }
            if (q < parts.size()) return Err(k + 2 * q, "PLS-00302: component '" + parts[q] + "' must be declared");
            Operand o;
            o.kind = Operand::Var;
            o.var = ref;
            EmitOperand(r, k, std::move(o));
            k = next;
            done = true;
            return {};
        }
        if (en->kind == Entry::Sub) {
            std::shared_ptr<Subprogram> fn;
            for (auto& sp : en->subs)
                if (sp->isFunction) fn = sp;
            if (!fn) return Err(k, "PLS-00222: no function with name '" + parts[used - 1] + "' exists in this scope");
            CallTarget ct;
            ct.kind = CallTarget::Function;
            ct.fn = fn;
            ct.linkUp = (en->pkg || at < 0) ? -1 : scopes.depth() - at;
            EmitCall(r, k, std::move(ct));
            size_t nj = k + 2 * used - 1;
            if (O(nj, "(")) {
                // named notation is not supported inside expressions
                size_t close = match[nj];
                for (size_t q = nj + 1; q < close && q < end; ++q)
                    if (O(q, "=>")) return Err(q, "PLS-00306: wrong number or types of arguments in call to '" + fn->name + "'");
                r.text += ",";
                size_t after;
                size_t mark = r.text.size();
                if (OraError err = RewriteArgs(nj, r, after)) return err;
                if (r.text.size() == mark) r.text.pop_back();
                nj = after;
            }
            r.text += ")";
            k = nj;
            done = true;
            return {};
        }
        if (en->kind == Entry::Exception)
            return Err(k, "PLS-00321: expression '" + parts[0] + "' is inappropriate as the left hand side of an assignment statement");
        return {};
    }

    OraError RewriteRange(size_t b, size_t e, Rewritten& r) {
        Depth d(*this);
        if (nesting > kMaxBlockNesting) return TooDeep(b);
        size_t k = b;
        while (k < e) {
            const Token& t = toks[k];
            bool chainStart = (t.kind == Tok::Word || t.kind == Tok::QIdent || TrigRef(k)) && !(k > b && O(k - 1, "."));
            if (chainStart) {
                bool done = false;
                size_t before = k;
                if (OraError err = RewriteName(k, e, r, done)) return err;
                if (done) continue;
                k = before;
            }
            Emit(r, k, TokText(text, t));
            ++k;
        }
        return {};
    }

    // Rewrites, translates and prepares tokens [b, e) as an SQL text with `prefix` before it.
    OraError CompileSql(size_t b, size_t e, const std::string& prefix, bool query, ExprP& out,
                        const std::vector<std::pair<size_t, size_t>>* skip = nullptr) {
        if (b >= e) return Unexpected(b, "( - + case mod new not null <an identifier>");
        Rewritten r;
        size_t k = b;
        if (skip) {
            for (auto [sb, se] : *skip) {
                if (OraError err = RewriteRange(k, sb, r)) return err;
                k = se;
            }
        }
        if (OraError err = RewriteRange(k, e, r)) return err;
        Lexed lx = Lex(r.text);
        if (lx.error) return Err(b, "PL/SQL: " + lx.error.text);
        auto x = std::make_unique<Expr>();
        x->pos = Pos(b);
        Translation tr;
        TranslateOptions opt;
        opt.query = query;
        std::vector<Operand> ops = r.operands;
        RewriteResolver res(prog, ops);
        // the Oracle forms that the SQL of a session is rewritten for, also inside blocks
        DropSchemaNames(s, r.text, lx.toks, 0, lx.toks.size(), opt);
        RewriteOracleForms(r.text, lx.toks, 0, lx.toks.size(), opt, true);
        RewriteGroupForms(r.text, lx.toks, 0, lx.toks.size(), opt);
        RewriteQuantified(r.text, lx.toks, 0, lx.toks.size(), opt);
        OraError err = CheckQueryBlocks(s.db(), r.text, lx.toks, 0, lx.toks.size(), opt);
        if (err || (err = TranslateWithOuterJoins(r.text, lx.toks, 0, lx.toks.size(), opt, {}, res, tr))) {
            // Inside a block, too-deep nesting of an expression is the compiler's own overflow.
            if (err.text.find("nesting deeper than") != std::string::npos) return TooDeep(b);
            uint32_t at = err.offset >= 0 ? r.Original(err.offset) : x->pos;
            return PlsError(text, at, "PL/SQL: " + err.text);
        }
        PlaceMarkedOperands(tr);
        x->sql = prefix + tr.sql;
        for (const ParamRef& p : tr.params) x->operands.push_back(ops[static_cast<size_t>(p.index)]);
        // the tables the statement touches, for the mutating-table check of row triggers
        sqlite3_set_authorizer(s.db(), CollectTables, &x->tables);
        int rc = sqlite3_prepare_v3(s.db(), x->sql.c_str(), static_cast<int>(x->sql.size()), SQLITE_PREPARE_PERSISTENT,
                                    &x->vm, nullptr);
        // a stored function named without parentheses, where no column has its name
        for (int tries = 0; rc != SQLITE_OK && tries < 16 && CallWithoutParentheses(s, x->sql); ++tries) {
            sqlite3_finalize(x->vm);
            x->vm = nullptr;
            rc = sqlite3_prepare_v3(s.db(), x->sql.c_str(), static_cast<int>(x->sql.size()), SQLITE_PREPARE_PERSISTENT,
                                    &x->vm, nullptr);
        }
        sqlite3_set_authorizer(s.db(), nullptr, nullptr);
        if (rc != SQLITE_OK) {
            std::string msg = sqlite3_errmsg(s.db());
            int off = sqlite3_error_offset(s.db());
            uint32_t at = x->pos;
            if (off >= static_cast<int>(prefix.size())) at = r.Original(tr.MapOffset(off - static_cast<int>(prefix.size())));
            for (const char* p : {"no such column: ", "no such function: "}) {
                if (msg.rfind(p, 0) == 0) {
                    std::string name = Upper(msg.substr(std::strlen(p)));
                    return PlsError(text, at, "PLS-00201: identifier '" + name + "' must be declared");
                }
            }
            if (msg.find("parser stack overflow") != std::string::npos || msg.find("too large (maximum depth") != std::string::npos)
                return TooDeep(b);
            ErrorContext ctx;
            OraError me = s.MapError(rc, &ctx);
            return PlsError(text, at, "PL/SQL: " + me.text);
        }
        out = std::move(x);
        return {};
    }

    OraError CompileExpr(size_t b, size_t e, ExprP& out) {
        bool saved = exprOnly;
        exprOnly = true;
        OraError err = CompileSql(b, e, "SELECT ", false, out);
        exprOnly = saved;
        return err;
    }

    // ---- assignment targets --------------------------------------------------------------------

    OraError Target(size_t& k, size_t e, LValue& lv) {
        if (k < e && toks[k].kind == Tok::Bind && !TrigRef(k)) {
            lv.bind = true;
            std::vector<Operand> tmp;
            RewriteResolver res(prog, tmp);
            res.Placeholder(TokText(text, toks[k]).substr(1));
            lv.bindSlot = tmp.back().bind;
            lv.name = std::string(TokText(text, toks[k]));
            ++k;
            return {};
        }
        if (!(k < e && (Ident(k) || TrigRef(k)))) return Err(k, "PLS-00103: Encountered the symbol \"" +
                                                    (k < end ? Upper(TokText(text, toks[k])) : std::string("end-of-file")) +
                                                    "\" when expecting one of the following:\n\n   <an identifier>");
        std::string first = PartName(k);
        lv.name = first;
        if (TrigRef(k)) {
            // OLD is never assigned; NEW only before the row is written
            if (first == ":" + trig->oldName) return Err(k, "ORA-04085: cannot change the value of an OLD reference variable");
            if (!trig->before || (!trig->onInsert && !trig->onUpdate))
                return Err(k, "ORA-04084: cannot change NEW values for this trigger type");
        }
        int at = 0;
        const Entry* en = scopes.Find(first, at);
        size_t start = k;
        ++k;
        Entry pkgEntry;
        if (!en && O(k, ".") && Ident(k + 1)) {
            OraError err;
            auto pk = FindPackage(s, first, err);
            if (err) return Err(start, err.text.substr(err.text.find('\n') + 1));
            if (pk) {
                prog.keep.push_back(pk);
                auto vit = pk->vars.find(Name(k + 1));
                if (vit == pk->vars.end()) return Err(k + 1, "PLS-00302: component '" + Name(k + 1) + "' must be declared");
                pkgEntry.kind = Entry::Var;
                pkgEntry.slot = vit->second;
                pkgEntry.type = pk->slotTypes[static_cast<size_t>(vit->second)];
                pkgEntry.pkg = pk.get();
                en = &pkgEntry;
                lv.name += "." + Name(k + 1);
                k += 2;
            }
        }
        if (!en) return Undeclared(start, first);
        if (en->kind != Entry::Var)
            return Err(start, "PLS-00321: expression '" + first + "' is inappropriate as the left hand side of an assignment statement");
        if (en->constant)
            return Err(start, "PLS-00363: expression '" + first + "' cannot be used as an assignment target");
        lv.var = RefOf(*en, at);
        TypeP t = en->type;
        std::vector<int>* path = &lv.var.path;
        for (;;) {
            if (O(k, ".") && Ident(k + 1) && t && t->kind == PlType::Record) {
                int f = t->FieldIndex(Name(k + 1));
                if (f < 0) return Err(k + 1, "PLS-00302: component '" + Name(k + 1) + "' must be declared");
                path->push_back(f);
                t = t->fields[static_cast<size_t>(f)].second;
                k += 2;
                continue;
            }
            if (O(k, "(") && t && (t->kind == PlType::Table || t->kind == PlType::Varray) && !lv.index) {
                size_t close = match[k];
                if (close == SIZE_MAX) return Unexpected(end, ")");
                if (OraError err = CompileExpr(k + 1, close, lv.index)) return err;
                lv.textKeys = t->indexByText;
                lv.bounded = !t->assoc;
                k = close + 1;
                t = t->elem;
                path = &lv.afterPath;
                continue;
            }
            break;
        }
        lv.type = t;
        return {};
    }

    // ---- declarations --------------------------------------------------------------------------

    OraError ParseCursorDecl() {
        ++i;  // CURSOR
        if (!Ident(i)) return Unexpected(i, "<an identifier>");
        auto c = std::make_shared<CursorDecl>();
        c->name = Name(i);
        ++i;
        scopes.Push(scopes.depth());  // the parameters are visible in the query only
        if (O(i, "(")) {
            ++i;
            for (;;) {
                if (!Ident(i)) return Unexpected(i, "<an identifier>");
                std::string pn = Name(i);
                ++i;
                if (W(i, "IN")) ++i;
                TypeP pt;
                if (OraError e = ParseType(pt)) return e;
                Entry en;
                en.kind = Entry::Var;
                en.type = pt;
                en.slot = NewSlot(pt);
                c->paramSlots.push_back(en.slot);
                ExprP def;
                if (O(i, ":=") || W(i, "DEFAULT")) {
                    ++i;
                    size_t e = ExprEnd(i, [&](size_t k) { return O(k, ",") || O(k, ")"); });
                    if (OraError err = CompileExpr(i, e, def)) return err;
                    i = e;
                }
                c->paramDefaults.push_back(std::move(def));
                Declare(pn, std::move(en));
                if (O(i, ",")) {
                    ++i;
                    continue;
                }
                if (OraError e = Expect(")", ", )")) return e;
                break;
            }
        }
        if (W(i, "RETURN")) {
            ++i;
            TypeP rt;
            if (OraError e = ParseType(rt)) return e;
        }
        if (OraError e = Expect("IS", "is")) return e;
        size_t e = ExprEnd(i, [&](size_t k) { return O(k, ";"); });
        if (OraError err = CompileSql(i, e, "", true, c->query)) return err;
        auto rt = std::make_shared<PlType>();
        rt->kind = PlType::Record;
        rt->name = c->name + "%ROWTYPE";
        int n = sqlite3_column_count(c->query->vm);
        for (int q = 0; q < n; ++q) {
            const char* cn = sqlite3_column_name(c->query->vm, q);
            const char* dt = sqlite3_column_decltype(c->query->vm, q);
            std::string name = cn ? cn : "";
            rt->fields.emplace_back(name, dt ? TypeOfDeclared(dt) : TypeP(Scalar(PlType::Varchar)));
        }
        c->rowType = rt;
        i = e;
        scopes.Pop();
        if (OraError err = Expect(";", ";")) return err;
        Entry en;
        en.kind = Entry::Cursor;
        en.cursor = c;
        c->slot = NewSlot(Scalar(PlType::RefCursor));
        en.slot = c->slot;
        Declare(c->name, std::move(en));
        if (pkgLevel && pkg) pkg->cursors[c->name] = c;
        return {};
    }

    OraError ParseParams(Subprogram& sp) {
        if (!O(i, "(")) return {};
        ++i;
        for (;;) {
            if (!Ident(i)) return Unexpected(i, "<an identifier>");
            Param p;
            p.name = Name(i);
            ++i;
            if (W(i, "IN") && W(i + 1, "OUT")) p.mode = ParamMode::InOut, i += 2;
            else if (W(i, "IN")) ++i;
            else if (W(i, "OUT")) p.mode = ParamMode::Out, ++i;
            if (W(i, "NOCOPY")) ++i;
            if (OraError e = ParseType(p.type)) return e;
            if (O(i, ":=") || W(i, "DEFAULT")) {
                ++i;
                size_t e = ExprEnd(i, [&](size_t k) { return O(k, ",") || O(k, ")"); });
                if (OraError err = CompileExpr(i, e, p.def)) return err;
                i = e;
            }
            sp.params.push_back(std::move(p));
            if (O(i, ",")) {
                ++i;
                continue;
            }
            return Expect(")", ", )");
        }
    }

    // PROCEDURE name [(params)] [IS|AS decls BEGIN ... END [name];] or a forward declaration.
    OraError ParseSubprogram(bool topLevel, std::shared_ptr<Subprogram>* outSub = nullptr) {
        Depth d(*this);
        if (nesting > kMaxBlockNesting) return TooDeep(i);
        bool isFunction = W(i, "FUNCTION");
        ++i;
        if (!Ident(i)) return Unexpected(i, "<an identifier>");
        auto sp = std::make_shared<Subprogram>();
        sp->name = Name(i);
        sp->isFunction = isFunction;
        sp->owner = &prog;
        sp->qualified = prog.unitName;
        ++i;
        // Parameters and the return type are resolved in the enclosing scope.
        if (OraError e = ParseParams(*sp)) return e;
        if (isFunction) {
            if (OraError e = Expect("RETURN", "return")) return e;
            if (OraError e = ParseType(sp->ret)) return e;
            while (W(i, "DETERMINISTIC") || W(i, "PIPELINED") || W(i, "PARALLEL_ENABLE") || W(i, "RESULT_CACHE")) ++i;
        }
        if (W(i, "AUTHID")) i += 2;
        // A declaration already made (forward or in the package header) gets its body now.
        std::shared_ptr<Subprogram> target = sp;
        {
            if (scopes.DeclaredHere(sp->name)) {
                Entry& en = scopes.Top().names[sp->name];
                for (auto& other : en.subs)
                    if (!other->defined && other->params.size() == sp->params.size() && other->isFunction == isFunction)
                        target = other;
                if (target == sp) en.subs.push_back(sp);
            } else {
                Entry en;
                en.kind = Entry::Sub;
                en.subs.push_back(sp);
                Declare(sp->name, std::move(en));
            }
            if (pkg && pkgLevel) {
                auto& list = pkg->subs[sp->name];
                bool found = false;
                for (auto& x : list) found = found || x == target;
                if (!found) list.push_back(target);
            }
        }
        if (outSub) *outSub = target;
        if (O(i, ";")) {  // forward declaration or package header
            ++i;
            return {};
        }
        if (!W(i, "IS") && !W(i, "AS")) return Unexpected(i, "( ; is with authid as");
        ++i;
        if (target != sp) {
            target->params = std::move(sp->params);
            target->ret = sp->ret;
        }
        if (OraError e = CompileBody(*target)) return e;
        if (topLevel) return {};
        return {};
    }

    // The declarations and body of a subprogram, in a frame of its own.
    OraError CompileBody(Subprogram& sp) {
        bool savedPkgLevel = pkgLevel;
        pkgLevel = false;
        Subprogram* savedSub = currentSub;
        currentSub = &sp;
        int depth = frames.empty() ? 0 : scopes.depth() + 1;
        if (prog.main.get() == &sp && frames.empty()) depth = 0;
        sp.depth = depth;
        frames.emplace_back();
        scopes.Push(depth);
        for (Param& p : sp.params) {
            Entry en;
            en.kind = Entry::Var;
            en.type = p.type;
            en.slot = NewSlot(p.type);
            en.constant = p.mode == ParamMode::In;
            p.slot = en.slot;
            Declare(p.name, std::move(en));
        }
        OraError e = ParseDeclarations(sp.body);
        if (!e) e = ParseBody(sp.body);
        scopes.Pop();
        sp.frameSize = frames.back().size;
        sp.slotTypes = frames.back().types;
        frames.pop_back();
        sp.defined = !e;
        currentSub = savedSub;
        pkgLevel = savedPkgLevel;
        return e;
    }

    OraError ParseDeclarations(Node& block) {
        while (i < end && !W(i, "BEGIN") && !(pkgLevel && W(i, "END"))) {
            if (W(i, "PROCEDURE") || W(i, "FUNCTION")) {
                if (OraError e = ParseSubprogram(false)) return e;
                continue;
            }
            if (W(i, "TYPE") || W(i, "SUBTYPE")) {
                if (W(i, "SUBTYPE")) {
                    ++i;
                    if (!Ident(i)) return Unexpected(i, "<an identifier>");
                    std::string n = Name(i);
                    ++i;
                    if (OraError e = Expect("IS", "is")) return e;
                    TypeP t;
                    if (OraError e = ParseType(t)) return e;
                    if (W(i, "NOT") && W(i + 1, "NULL")) i += 2;
                    if (W(i, "RANGE")) i = ExprEnd(i, [&](size_t k) { return O(k, ";"); });
                    if (OraError e = Expect(";", ";")) return e;
                    Entry en;
                    en.kind = Entry::Type;
                    en.type = t;
                    Declare(n, std::move(en));
                    if (pkgLevel && pkg) pkg->types[n] = t;
                    continue;
                }
                if (OraError e = ParseTypeDecl()) return e;
                continue;
            }
            if (W(i, "CURSOR")) {
                if (OraError e = ParseCursorDecl()) return e;
                continue;
            }
            if (W(i, "PRAGMA")) {
                ++i;
                if (W(i, "EXCEPTION_INIT")) {
                    ++i;
                    if (!O(i, "(") || !Ident(i + 1) || !O(i + 2, ",")) return Unexpected(i, "(");
                    std::string n = Name(i + 1);
                    int at = 0;
                    const Entry* en = scopes.Find(n, at);
                    if (!en || en->kind != Entry::Exception) return Undeclared(i + 1, n);
                    size_t k = i + 3;
                    bool neg = O(k, "-");
                    if (neg) ++k;
                    if (k >= end || toks[k].kind != Tok::Number) return Unexpected(k, "<an integer literal>");
                    int code = std::atoi(std::string(TokText(text, toks[k])).c_str());
                    const_cast<ExcDecl*>(en->exc)->code = neg ? code : -code;
                    if (!neg && code == 100) const_cast<ExcDecl*>(en->exc)->code = kOraNoDataFound;
                    i = k + 1;
                    if (OraError e = Expect(")", ")")) return e;
                } else {
                    // AUTONOMOUS_TRANSACTION, SERIALLY_REUSABLE, RESTRICT_REFERENCES: accepted
                    i = ExprEnd(i, [&](size_t k) { return O(k, ";"); });
                }
                if (OraError e = Expect(";", ";")) return e;
                continue;
            }
            if (!Ident(i)) return Unexpected(i, "begin function pragma procedure subtype type <an identifier>");
            size_t nameTok = i;
            std::string name = Name(i);
            ++i;
            if (W(i, "EXCEPTION")) {
                ++i;
                auto x = std::make_shared<ExcDecl>();
                x->name = name;
                prog.exceptions.push_back(x);
                Entry en;
                en.kind = Entry::Exception;
                en.exc = x.get();
                Declare(name, std::move(en));
                if (pkgLevel && pkg) pkg->exceptions[name] = x;
                if (OraError e = Expect(";", ";")) return e;
                continue;
            }
            bool constant = false;
            if (W(i, "CONSTANT")) constant = true, ++i;
            TypeP t;
            if (OraError e = ParseType(t)) {
                if (e.text.find("PLS-00103") == std::string::npos) {
                    int line, col;
                    LineColumn(text, Pos(nameTok), line, col);
                    e.text += "\nORA-06550: line " + std::to_string(line) + ", column " + std::to_string(col) +
                              ":\nPL/SQL: Item ignored";
                }
                return e;
            }
            if (W(i, "NOT") && W(i + 1, "NULL")) i += 2;
            ExprP init;
            if (O(i, ":=") || W(i, "DEFAULT")) {
                ++i;
                size_t e = ExprEnd(i, [&](size_t k) { return O(k, ";"); });
                if (OraError err = CompileInit(i, e, t, init)) return err;
                i = e;
            } else if (constant) {
                return Err(i, "PLS-00322: declaration of a constant '" + name + "' must contain an initialization assignment");
            }
            if (OraError e = Expect(";", ":= ; not null default character")) return e;
            if (scopes.DeclaredHere(name)) return Err(nameTok, "PLS-00371: at most one declaration for '" + name + "' is permitted");
            Entry en;
            en.kind = Entry::Var;
            en.type = t;
            en.constant = constant;
            en.slot = NewSlot(t);
            int slot = en.slot;
            Declare(name, std::move(en));
            if (pkgLevel && pkg) pkg->vars[name] = slot;
            block.fresh.emplace_back(slot, t);
            block.inits.emplace_back(slot, std::move(init));
        }
        return {};
    }

    // An initial value: an expression, or a collection constructor "type(a, b, ...)".
    OraError CompileInit(size_t b, size_t e, const TypeP& t, ExprP& out) {
        if (t && (t->kind == PlType::Table || t->kind == PlType::Varray) && Ident(b) && Name(b) == t->name) {
            // constructor: compiled as a list of expressions in one SELECT
            return CompileConstructor(b, e, out);
        }
        return CompileExpr(b, e, out);
    }
    OraError CompileConstructor(size_t b, size_t e, ExprP& out) {
        size_t open = b + 1;
        if (!O(open, "(")) {
            out = std::make_unique<Expr>();
            out->pos = Pos(b);
            out->sql = "CONSTRUCTOR";
            return {};
        }
        size_t close = match[open];
        if (close == SIZE_MAX || close + 1 != e) return CompileExpr(b, e, out);
        if (close == open + 1) {
            out = std::make_unique<Expr>();
            out->pos = Pos(b);
            out->sql = "CONSTRUCTOR";
            return {};
        }
        if (OraError err = CompileSql(open + 1, close, "SELECT ", false, out)) return err;
        out->sql = "CONSTRUCTOR " + out->sql;
        return {};
    }

    // ---- statements ----------------------------------------------------------------------------

    bool AtBodyEnd() const {
        return i >= end || W(i, "END") || W(i, "EXCEPTION") || W(i, "ELSE") || W(i, "ELSIF") || W(i, "WHEN");
    }

    OraError ParseStatements(Body& out) {
        while (!AtBodyEnd()) {
            Node n;
            if (OraError e = ParseStatement(n)) return e;
            out.push_back(std::move(n));
        }
        if (out.empty()) return Unexpected(i, kStatementStart);
        return {};
    }

    // BEGIN stmts [EXCEPTION handlers] END [name] ;
    OraError ParseBody(Node& n) {
        n.kind = Node::Block;
        n.pos = Pos(i);
        if (OraError e = Expect("BEGIN", "begin")) return e;
        n.bodies.emplace_back();
        if (OraError e = ParseStatements(n.bodies[0])) return e;
        if (W(i, "EXCEPTION")) {
            ++i;
            while (W(i, "WHEN")) {
                ++i;
                Handler h;
                for (;;) {
                    static const struct { const char* name; int code; } kNames[] = {
                        {"OTHERS", 0},
                        {"NO_DATA_FOUND", kOraNoDataFound},
                        {"TOO_MANY_ROWS", kOraTooManyRows},
                        {"ZERO_DIVIDE", kOraZeroDivide},
                        {"VALUE_ERROR", kOraValueError},
                        {"DUP_VAL_ON_INDEX", kOraDupValOnIndex},
                        {"INVALID_NUMBER", kOraInvalidNumber},
                        {"CURSOR_ALREADY_OPEN", kOraCursorAlreadyOpen},
                        {"INVALID_CURSOR", kOraInvalidCursor},
                        {"CASE_NOT_FOUND", kOraCaseNotFound},
                        {"SUBSCRIPT_BEYOND_COUNT", kOraSubscriptBeyondCount},
                        {"SUBSCRIPT_OUTSIDE_LIMIT", kOraSubscriptOutsideLimit},
                        {"COLLECTION_IS_NULL", kOraCollectionIsNull},
                        {"PROGRAM_ERROR", kOraProgramError},
                        {"LOGIN_DENIED", 1017},
                        {"NOT_LOGGED_ON", 1012},
                        {"TIMEOUT_ON_RESOURCE", 51},
                        {"STORAGE_ERROR", 6500},
                        {"ROWTYPE_MISMATCH", 6504},
                    };
                    bool found = false;
                    if (Ident(i)) {
                        std::string nm = Name(i);
                        int at = 0;
                        const Entry* en = scopes.Find(nm, at);
                        Entry pkgExc;
                        if (!en && O(i + 1, ".") && Ident(i + 2)) {
                            OraError err;
                            auto pk = FindPackage(s, nm, err);
                            if (pk) {
                                auto it = pk->exceptions.find(Name(i + 2));
                                if (it != pk->exceptions.end()) {
                                    prog.keep.push_back(pk);
                                    pkgExc.kind = Entry::Exception;
                                    pkgExc.exc = it->second.get();
                                    en = &pkgExc;
                                    i += 2;
                                }
                            }
                        }
                        if (en && en->kind == Entry::Exception) {
                            h.exceptions.push_back(en->exc);
                            found = true;
                        } else {
                            for (const auto& k : kNames)
                                if (nm == k.name) h.codes.push_back(k.code), found = true;
                        }
                        if (!found) return Undeclared(i, nm);
                    } else {
                        return Unexpected(i, "<an identifier>");
                    }
                    ++i;
                    if (!W(i, "OR")) break;
                    ++i;
                }
                if (OraError e = Expect("THEN", "then or")) return e;
                if (OraError e = ParseStatements(h.body)) return e;
                n.handlers.push_back(std::move(h));
            }
        }
        if (OraError e = Expect("END", "end")) return e;
        if (Ident(i) && !O(i, ";")) ++i;
        return Expect(";", ";");
    }

    // ( [name =>] expr, ... ) for a call of sp or a built-in with parameter names.
    OraError ParseCallArgs(CallStmt& c, const std::vector<Param>* params, size_t nameTok, const std::string& shown,
                           bool optional = false) {
        std::vector<std::pair<std::string, std::pair<size_t, size_t>>> given;  // (name or "", range)
        if (O(i, "(")) {
            size_t close = match[i];
            if (close == SIZE_MAX) return Unexpected(end, ")");
            size_t a = i + 1;
            while (a < close) {
                size_t e = ExprEnd(a, [&](size_t q) { return q >= close || O(q, ","); });
                std::string nm;
                size_t from = a;
                if (Ident(a) && O(a + 1, "=>")) nm = Name(a), from = a + 2;
                given.push_back({nm, {from, e}});
                a = e + 1;
            }
            i = close + 1;
        }
        auto wrong = [&] {
            return Err(nameTok, "PLS-00306: wrong number or types of arguments in call to '" + shown + "'");
        };
        if (!params) {
            for (auto& g : given) {
                Arg arg;
                size_t from = g.second.first, to = g.second.second;
                if (OraError e = CompileExpr(from, to, arg.value)) return e;
                c.args.push_back(std::move(arg));
                c.given.push_back(true);
            }
            return {};
        }
        std::vector<int> at(params->size(), -1);
        bool named = false;
        for (size_t g = 0; g < given.size(); ++g) {
            int p = -1;
            if (!given[g].first.empty()) {
                named = true;
                for (size_t q = 0; q < params->size(); ++q)
                    if ((*params)[q].name == given[g].first) p = static_cast<int>(q);
                if (p < 0) return wrong();
            } else {
                if (named) return Err(given[g].second.first, "PLS-00312: a positional parameter association may not follow a named association");
                p = static_cast<int>(g);
                if (p >= static_cast<int>(params->size())) return wrong();
            }
            if (at[static_cast<size_t>(p)] >= 0) return wrong();
            at[static_cast<size_t>(p)] = static_cast<int>(g);
        }
        for (size_t q = 0; q < params->size(); ++q) {
            const Param& pm = (*params)[q];
            Arg arg;
            int g = at[q];
            if (g < 0) {
                if (!pm.def && !optional) return wrong();
                c.args.push_back(std::move(arg));
                c.given.push_back(false);
                continue;
            }
            size_t from = given[static_cast<size_t>(g)].second.first, to = given[static_cast<size_t>(g)].second.second;
            if (pm.mode != ParamMode::Out) {
                if (OraError e = CompileInit(from, to, pm.type, arg.value)) return e;
            }
            if (pm.mode != ParamMode::In) {
                size_t k = from;
                if (OraError e = Target(k, to, arg.target)) {
                    if (e.text.find("PLS-00201") != std::string::npos) return e;
                    return Err(from, "PLS-00363: expression '" + Upper(TokText(text, toks[from])) +
                                         "' cannot be used as an assignment target");
                }
                if (k != to)
                    return Err(from, "PLS-00363: expression '" + Upper(TokText(text, toks[from])) +
                                         "' cannot be used as an assignment target");
                arg.hasTarget = true;
            }
            c.args.push_back(std::move(arg));
            c.given.push_back(true);
        }
        return {};
    }

    // A statement that names something wrong is reported as Oracle does: the error, then the
    // statement that was ignored because of it.
    OraError ParseStatement(Node& n) {
        size_t start = i;
        while (O(start, "<") && O(start + 1, "<") && O(start + 3, ">")) start += 5;
        OraError e = ParseStatementInner(n);
        if (!e || e.code != kOraCompile || e.text.find("Statement ignored") != std::string::npos) return e;
        if (e.text.find("PLS-00103") != std::string::npos || e.text.find("PLS-00102") != std::string::npos) return e;
        bool sql = e.text.find("PL/SQL: ORA-") != std::string::npos;
        int line, col;
        LineColumn(text, Pos(start), line, col);
        e.text += "\nORA-06550: line " + std::to_string(line) + ", column " + std::to_string(col) + ":\n" +
                  (sql ? "PL/SQL: SQL Statement ignored" : "PL/SQL: Statement ignored");
        return e;
    }

    OraError ParseStatementInner(Node& n) {
        Depth d(*this);
        if (nesting > kMaxBlockNesting) return TooDeep(i);
        n.pos = Pos(i);
        auto semi = [&](size_t k) { return O(k, ";"); };
        // <<label>>
        std::string label;
        while (O(i, "<") && O(i + 1, "<") && Ident(i + 2) && O(i + 3, ">") && O(i + 4, ">")) {
            label = Name(i + 2);
            i += 5;
            n.pos = Pos(i);
        }
        if (W(i, "NULL")) {
            n.kind = Node::Null;
            ++i;
            return Expect(";", ";");
        }
        if (W(i, "BEGIN") || W(i, "DECLARE")) {
            scopes.Push(scopes.depth());
            scopes.Top().label = label;
            OraError e;
            if (W(i, "DECLARE")) {
                ++i;
                e = ParseDeclarations(n);
            }
            if (!e) e = ParseBody(n);
            scopes.Pop();
            return e;
        }
        if (W(i, "IF")) return ParseIf(n);
        if (W(i, "CASE")) return ParseCase(n);
        if (W(i, "FOR") || W(i, "WHILE") || W(i, "LOOP")) return ParseLoop(n, label);
        if (W(i, "FORALL")) return ParseForall(n);
        if (W(i, "EXIT") || W(i, "CONTINUE")) {
            n.kind = W(i, "EXIT") ? Node::Exit : Node::Continue;
            if (loopDepth == 0)
                return Err(i, n.kind == Node::Exit ? "PLS-00376: illegal EXIT/CONTINUE statement; it must appear inside a loop"
                                                   : "PLS-00376: illegal EXIT/CONTINUE statement; it must appear inside a loop");
            ++i;
            if (Ident(i) && !W(i, "WHEN")) {
                n.label = Name(i);
                ++i;
            }
            if (W(i, "WHEN")) {
                ++i;
                size_t e = ExprEnd(i, semi);
                ExprP cond;
                if (OraError err = CompileExpr(i, e, cond)) return err;
                n.exprs.push_back(std::move(cond));
                i = e;
            }
            return Expect(";", "; when");
        }
        if (W(i, "RETURN")) {
            n.kind = Node::Return;
            ++i;
            if (!O(i, ";")) {
                size_t e = ExprEnd(i, semi);
                ExprP x;
                if (OraError err = CompileExpr(i, e, x)) return err;
                n.exprs.push_back(std::move(x));
                i = e;
            }
            if (currentSub && currentSub->isFunction && n.exprs.empty())
                return Err(i, "PLS-00503: RETURN <value> statement required for this return from function");
            return Expect(";", ";");
        }
        if (W(i, "RAISE")) {
            ++i;
            if (O(i, ";")) {
                n.kind = Node::Reraise;
                ++i;
                return {};
            }
            n.kind = Node::Raise;
            if (!Ident(i)) return Unexpected(i, "<an identifier>");
            std::string nm = Name(i);
            int at = 0;
            const Entry* en = scopes.Find(nm, at);
            if (en && en->kind == Entry::Exception) {
                n.exc = en->exc;
                ++i;
            } else if (O(i + 1, ".") && Ident(i + 2)) {
                OraError err;
                auto pk = FindPackage(s, nm, err);
                if (!pk) return Undeclared(i, nm + "." + Name(i + 2));
                auto it = pk->exceptions.find(Name(i + 2));
                if (it == pk->exceptions.end()) return Err(i + 2, "PLS-00302: component '" + Name(i + 2) + "' must be declared");
                prog.keep.push_back(pk);
                n.exc = it->second.get();
                i += 3;
            } else {
                static const struct { const char* name; int code; } kNames[] = {
                    {"NO_DATA_FOUND", kOraNoDataFound}, {"TOO_MANY_ROWS", kOraTooManyRows},
                    {"ZERO_DIVIDE", kOraZeroDivide},    {"VALUE_ERROR", kOraValueError},
                    {"DUP_VAL_ON_INDEX", kOraDupValOnIndex}, {"INVALID_NUMBER", kOraInvalidNumber},
                    {"PROGRAM_ERROR", kOraProgramError}, {"CASE_NOT_FOUND", kOraCaseNotFound},
                    {"INVALID_CURSOR", kOraInvalidCursor}, {"CURSOR_ALREADY_OPEN", kOraCursorAlreadyOpen},
                };
                for (const auto& k : kNames)
                    if (nm == k.name) n.excCode = k.code;
                if (!n.excCode) return Undeclared(i, nm);
                ++i;
            }
            return Expect(";", ";");
        }
        if (W(i, "COMMIT") || W(i, "ROLLBACK")) {
            n.kind = W(i, "COMMIT") ? Node::Commit : Node::Rollback;
            ++i;
            if (W(i, "WORK")) ++i;
            if (n.kind == Node::Rollback && W(i, "TO")) return Err(i, "PLS-00201: identifier 'SAVEPOINT' must be declared");
            return Expect(";", ";");
        }
        if (W(i, "SAVEPOINT")) {
            n.kind = Node::Null;
            i = ExprEnd(i, semi);
            return Expect(";", ";");
        }
        if (W(i, "INSERT") || W(i, "UPDATE") || W(i, "DELETE") || W(i, "MERGE")) {
            n.kind = Node::Sql;
            size_t e = ExprEnd(i, semi);
            // RETURNING ... INTO targets
            size_t ret = ExprEnd(i, [&](size_t k) { return k >= e || W(k, "RETURNING") || W(k, "RETURN"); });
            if (ret < e) return Err(ret, "PLS-00201: identifier 'RETURNING' must be declared");
            ExprP x;
            if (OraError err = CompileSql(i, e, "", false, x)) return err;
            n.exprs.push_back(std::move(x));
            n.dml = DmlTargetOf(text, toks, i, e);
            i = e;
            return Expect(";", ";");
        }
        if (W(i, "SELECT") || W(i, "WITH")) return ParseSelectInto(n);
        if (W(i, "OPEN")) {
            n.kind = Node::Open;
            ++i;
            return ParseOpen(n);
        }
        if (W(i, "FETCH")) {
            n.kind = Node::Fetch;
            ++i;
            if (OraError e = CursorRef(n)) return e;
            if (W(i, "BULK") && W(i + 1, "COLLECT")) n.bulk = true, i += 2;
            if (OraError e = Expect("INTO", "into bulk")) return e;
            size_t e = ExprEnd(i, [&](size_t k) { return O(k, ";") || W(k, "LIMIT"); });
            if (OraError err = TargetList(i, e, n)) return err;
            i = e;
            if (W(i, "LIMIT")) {
                ++i;
                size_t le = ExprEnd(i, semi);
                ExprP lim;
                if (OraError err = CompileExpr(i, le, lim)) return err;
                n.exprs.push_back(std::move(lim));
                i = le;
            }
            return Expect(";", ";");
        }
        if (W(i, "CLOSE")) {
            n.kind = Node::Close;
            ++i;
            if (OraError e = CursorRef(n)) return e;
            return Expect(";", ";");
        }
        if (W(i, "EXECUTE") && W(i + 1, "IMMEDIATE")) return ParseExecImmediate(n);
        if (W(i, "GOTO")) return Err(i, "PLS-00201: identifier 'GOTO' must be declared");
        if (W(i, "PIPE")) return Err(i, "PLS-00201: identifier 'PIPE' must be declared");
        // assignment or procedure call
        if (i < end && (Ident(i) || toks[i].kind == Tok::Bind)) {
            size_t start = i;
            size_t assign = ExprEnd(i, [&](size_t k) { return O(k, ":=") || O(k, ";"); });
            if (O(assign, ":=")) {
                n.kind = Node::Assign;
                LValue lv;
                size_t k = i;
                if (OraError e = Target(k, assign, lv)) return e;
                if (k != assign) return Unexpected(k, ":= . ( @ % ;");
                i = assign + 1;
                size_t e = ExprEnd(i, semi);
                ExprP x;
                if (OraError err = CompileInit(i, e, lv.type ? lv.type : NumberType(), x)) return err;
                n.exprs.push_back(std::move(x));
                n.targets.push_back(std::move(lv));
                i = e;
                return Expect(";", ";");
            }
            return ParseCall(n, start);
        }
        return Unexpected(i, kStatementStart);
    }

    OraError ParseCall(Node& n, size_t start) {
        n.kind = Node::Call;
        n.call = std::make_unique<CallStmt>();
        CallStmt& c = *n.call;
        std::vector<std::string> parts{Name(i)};
        size_t k = i + 1;
        while (O(k, ".") && Ident(k + 1)) parts.push_back(Name(k + 1)), k += 2;
        std::string shown = parts[0];
        for (size_t q = 1; q < parts.size(); ++q) shown += "." + parts[q];
        // collection methods as statements: v.DELETE, v.EXTEND, v.TRIM
        int at = 0;
        const Entry* en = scopes.Find(parts[0], at);
        if (en && en->kind == Entry::Var) {
            TypeP t = en->type;
            VarRef ref = RefOf(*en, at);
            size_t q = 1;
            while (q < parts.size() && t && t->kind == PlType::Record) {
                int f = t->FieldIndex(parts[q]);
                if (f < 0) break;
                ref.path.push_back(f);
                t = t->fields[static_cast<size_t>(f)].second;
                ++q;
            }
            if (t && (t->kind == PlType::Table || t->kind == PlType::Varray) && q + 1 == parts.size() &&
                (parts[q] == "DELETE" || parts[q] == "EXTEND" || parts[q] == "TRIM")) {
                c.builtin = "$" + parts[q];
                LValue lv;
                lv.var = ref;
                lv.type = t;
                n.targets.push_back(std::move(lv));
                i = k;
                if (OraError e = ParseCallArgs(c, nullptr, start, shown)) return e;
                return Expect(";", ";");
            }
            return Err(start, "PLS-00221: '" + parts[0] + "' is not a procedure or is undefined");
        }
        std::shared_ptr<Subprogram> sp;
        if (en && en->kind == Entry::Sub) {
            for (auto& x : en->subs)
                if (!x->isFunction) sp = x;
            if (!sp) return Err(start, "PLS-00221: '" + parts[0] + "' is not a procedure or is undefined");
            c.linkUp = en->pkg ? -1 : scopes.depth() - at;
            if (parts.size() > 1) return Err(start, "PLS-00225: subprogram or cursor '" + parts[0] + "' reference is out of scope");
        } else if (en) {
            return Err(start, "PLS-00221: '" + parts[0] + "' is not a procedure or is undefined");
        } else if (parts.size() >= 2 && IsBuiltinProcedure(parts[0] + "." + parts[1])) {
            c.builtin = parts[0] + "." + parts[1];
            i = k;
            if (OraError e = ParseCallArgs(c, BuiltinParams(c.builtin), start, shown, true)) return e;
            return Expect(";", ";");
        } else if (parts.size() >= 2 && (parts[0] == "DBMS_OUTPUT" || parts[0] == "DBMS_LOB" || parts[0] == "DBMS_RANDOM" ||
                                         parts[0] == "DBMS_UTILITY")) {
            return Err(start + 2, "PLS-00302: component '" + parts[1] + "' must be declared");
        } else if (parts.size() == 1 && parts[0] == "RAISE_APPLICATION_ERROR") {
            c.builtin = "RAISE_APPLICATION_ERROR";
            i = k;
            if (OraError e = ParseCallArgs(c, nullptr, start, shown)) return e;
            if (c.args.size() < 2 || c.args.size() > 3)
                return Err(start, "PLS-00306: wrong number or types of arguments in call to 'RAISE_APPLICATION_ERROR'");
            return Expect(";", ";");
        } else {
            OraError err;
            std::shared_ptr<void> keep;
            if (parts.size() >= 2) {
                auto pk = FindPackage(s, parts[0], err);
                if (err) return Err(start, err.text.substr(err.text.find('\n') + 1));
                if (pk) {
                    auto it = pk->subs.find(parts[1]);
                    if (it == pk->subs.end()) return Err(start + 2, "PLS-00302: component '" + parts[1] + "' must be declared");
                    for (auto& x : it->second)
                        if (!x->isFunction) sp = x;
                    if (!sp) return Err(start, "PLS-00221: '" + parts[1] + "' is not a procedure or is undefined");
                    prog.keep.push_back(pk);
                }
            }
            if (!sp) {
                std::string unit = parts.size() >= 2 && parts[0] == s.user() ? parts[1] : parts[0];
                sp = FindStoredSubprogram(s, unit, err, keep);
                if (err) return Err(start, err.text.substr(err.text.find('\n') + 1));
                if (!sp) return Undeclared(start, shown);
                if (sp->isFunction) return Err(start, "PLS-00221: '" + unit + "' is not a procedure or is undefined");
                prog.keep.push_back(keep);
            }
        }
        c.callee = sp;
        i = k;
        if (OraError e = ParseCallArgs(c, &sp->params, start, sp->name)) return e;
        return Expect(";", ";");
    }

    OraError ParseIf(Node& n) {
        n.kind = Node::If;
        for (;;) {
            ++i;  // IF / ELSIF
            size_t e = ExprEnd(i, [&](size_t k) { return W(k, "THEN") || O(k, ";"); });
            ExprP cond;
            if (OraError err = CompileExpr(i, e, cond)) return err;
            n.exprs.push_back(std::move(cond));
            i = e;
            if (OraError err = Expect("THEN", "then and or")) return err;
            n.bodies.emplace_back();
            if (OraError err = ParseStatements(n.bodies.back())) return err;
            if (W(i, "ELSIF")) continue;
            break;
        }
        if (W(i, "ELSE")) {
            ++i;
            n.hasElse = true;
            n.bodies.emplace_back();
            if (OraError err = ParseStatements(n.bodies.back())) return err;
        }
        if (OraError err = Expect("END", "end")) return err;
        if (OraError err = Expect("IF", "if")) return err;
        return Expect(";", ";");
    }

    // CASE [selector] WHEN x THEN stmts ... [ELSE stmts] END CASE;
    OraError ParseCase(Node& n) {
        n.kind = Node::Case;
        size_t caseTok = i;
        ++i;
        size_t selB = i, selE = i;
        if (!W(i, "WHEN")) {
            selE = ExprEnd(i, [&](size_t k) { return W(k, "WHEN"); });
            i = selE;
        }
        bool simple = selE > selB;
        while (W(i, "WHEN")) {
            ++i;
            size_t e = ExprEnd(i, [&](size_t k) { return W(k, "THEN"); });
            ExprP cond;
            if (simple) {
                // selector = value, evaluated through SQL: compile "(sel) = (val)" by pieces
                Rewritten r;
                r.text = "(";
                if (OraError err = RewriteRange(selB, selE, r)) return err;
                r.text += ") = (";
                if (OraError err = RewriteRange(i, e, r)) return err;
                r.text += ")";
                if (OraError err = CompileRewritten(r, i, cond)) return err;
            } else if (OraError err = CompileExpr(i, e, cond)) {
                return err;
            }
            n.exprs.push_back(std::move(cond));
            i = e;
            if (OraError err = Expect("THEN", "then")) return err;
            n.bodies.emplace_back();
            if (OraError err = ParseStatements(n.bodies.back())) return err;
        }
        if (n.exprs.empty()) return Unexpected(i, "when");
        if (W(i, "ELSE")) {
            ++i;
            n.hasElse = true;
            n.bodies.emplace_back();
            if (OraError err = ParseStatements(n.bodies.back())) return err;
        }
        (void)caseTok;
        if (OraError err = Expect("END", "end")) return err;
        if (OraError err = Expect("CASE", "case")) return err;
        if (Ident(i) && !O(i, ";")) ++i;
        return Expect(";", ";");
    }

    OraError CompileRewritten(Rewritten& r, size_t at, ExprP& out) {
        Lexed lx = Lex(r.text);
        if (lx.error) return Err(at, "PL/SQL: " + lx.error.text);
        auto x = std::make_unique<Expr>();
        x->pos = Pos(at);
        Translation tr;
        TranslateOptions opt;
        std::vector<Operand> ops = r.operands;
        RewriteResolver res(prog, ops);
        RewriteDateForms(r.text, lx.toks, 0, lx.toks.size(), opt);
        if (OraError err = Translate(r.text, lx.toks, 0, lx.toks.size(), opt, res, tr))
            return PlsError(text, err.offset >= 0 ? r.Original(err.offset) : x->pos, "PL/SQL: " + err.text);
        x->sql = "SELECT " + tr.sql;
        for (const ParamRef& p : tr.params) x->operands.push_back(ops[static_cast<size_t>(p.index)]);
        if (sqlite3_prepare_v3(s.db(), x->sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &x->vm, nullptr) != SQLITE_OK)
            return Err(at, "PL/SQL: " + std::string(sqlite3_errmsg(s.db())));
        out = std::move(x);
        return {};
    }

    OraError ParseLoop(Node& n, const std::string& label) {
        n.label = label;
        scopes.Push(scopes.depth());
        OraError e = ParseLoopInScope(n);
        scopes.Pop();
        return e;
    }

    OraError ParseLoopInScope(Node& n) {
        if (W(i, "FOR")) {
            ++i;
            if (!Ident(i)) return Unexpected(i, "<an identifier>");
            std::string var = Name(i);
            ++i;
            if (OraError e = Expect("IN", "in")) return e;
            if (W(i, "REVERSE")) n.reverse = true, ++i;
            // cursor FOR loop: FOR r IN cursor[(args)] LOOP or FOR r IN (SELECT ...) LOOP
            bool subquery = O(i, "(") && (W(i + 1, "SELECT") || W(i + 1, "WITH"));
            int at = 0;
            const Entry* cen = Ident(i) ? scopes.Find(Name(i), at) : nullptr;
            if (subquery || (cen && cen->kind == Entry::Cursor)) {
                n.kind = Node::ForCursor;
                TypeP rowType;
                if (subquery) {
                    size_t close = match[i];
                    if (close == SIZE_MAX) return Unexpected(end, ")");
                    auto c = std::make_shared<CursorDecl>();
                    if (OraError err = CompileSql(i + 1, close, "", true, c->query)) return err;
                    auto rt = std::make_shared<PlType>();
                    rt->kind = PlType::Record;
                    int cols = sqlite3_column_count(c->query->vm);
                    for (int q = 0; q < cols; ++q) {
                        const char* cn = sqlite3_column_name(c->query->vm, q);
                        const char* dt = sqlite3_column_decltype(c->query->vm, q);
                        rt->fields.emplace_back(cn ? cn : "", dt ? TypeOfDeclared(dt) : TypeP(Scalar(PlType::Varchar)));
                    }
                    c->rowType = rt;
                    c->slot = NewSlot(Scalar(PlType::RefCursor));
                    n.cursor = c;
                    n.cursorUp = 0;
                    i = close + 1;
                } else {
                    n.cursor = cen->cursor;
                    n.cursorUp = scopes.depth() - at;
                    ++i;
                    if (O(i, "(")) {
                        if (OraError err = CursorArgs(n)) return err;
                    }
                }
                rowType = n.cursor->rowType;
                Entry en;
                en.kind = Entry::Var;
                en.type = rowType;
                en.slot = NewSlot(rowType);
                n.varSlot = en.slot;
                Declare(var, std::move(en));
            } else {
                n.kind = Node::ForNum;
                size_t e1 = ExprEnd(i, [&](size_t k) { return O(k, "..") || W(k, "LOOP"); });
                ExprP lo, hi;
                if (OraError e = CompileExpr(i, e1, lo)) return e;
                i = e1;
                if (OraError e = Expect("..", "..")) return e;
                size_t e2 = ExprEnd(i, [&](size_t k) { return W(k, "LOOP"); });
                if (OraError e = CompileExpr(i, e2, hi)) return e;
                i = e2;
                n.exprs.push_back(std::move(lo));
                n.exprs.push_back(std::move(hi));
                Entry en;
                en.kind = Entry::Var;
                en.type = Scalar(PlType::Number, 0, true, "PLS_INTEGER");
                en.constant = true;
                en.slot = NewSlot(en.type);
                n.varSlot = en.slot;
                Declare(var, std::move(en));
            }
        } else if (W(i, "WHILE")) {
            n.kind = Node::While;
            ++i;
            size_t e = ExprEnd(i, [&](size_t k) { return W(k, "LOOP"); });
            ExprP cond;
            if (OraError err = CompileExpr(i, e, cond)) return err;
            n.exprs.push_back(std::move(cond));
            i = e;
        } else {
            n.kind = Node::Loop;
        }
        if (OraError e = Expect("LOOP", "loop")) return e;
        n.bodies.emplace_back();
        ++loopDepth;
        OraError e = ParseStatements(n.bodies[0]);
        --loopDepth;
        if (e) return e;
        if (OraError err = Expect("END", "end")) return err;
        if (OraError err = Expect("LOOP", "loop")) return err;
        if (Ident(i) && !O(i, ";")) ++i;
        return Expect(";", ";");
    }

    // FORALL i IN lo..hi dml;
    OraError ParseForall(Node& n) {
        n.kind = Node::Forall;
        ++i;
        if (!Ident(i)) return Unexpected(i, "<an identifier>");
        std::string var = Name(i);
        ++i;
        if (OraError e = Expect("IN", "in")) return e;
        scopes.Push(scopes.depth());
        size_t e1 = ExprEnd(i, [&](size_t k) { return O(k, ".."); });
        ExprP lo, hi;
        OraError err = CompileExpr(i, e1, lo);
        if (!err) {
            i = e1;
            err = Expect("..", "..");
        }
        size_t e2 = ExprEnd(i, [&](size_t k) { return W(k, "INSERT") || W(k, "UPDATE") || W(k, "DELETE") || W(k, "MERGE") || W(k, "SAVE"); });
        if (!err) err = CompileExpr(i, e2, hi);
        if (!err) {
            i = e2;
            if (W(i, "SAVE") && W(i + 1, "EXCEPTIONS")) i += 2;
            Entry en;
            en.kind = Entry::Var;
            en.type = Scalar(PlType::Number, 0, true, "PLS_INTEGER");
            en.constant = true;
            en.slot = NewSlot(en.type);
            n.varSlot = en.slot;
            Declare(var, std::move(en));
            size_t e = ExprEnd(i, [&](size_t k) { return O(k, ";"); });
            ExprP dml;
            err = CompileSql(i, e, "", false, dml);
            if (!err) {
                n.exprs.push_back(std::move(lo));
                n.exprs.push_back(std::move(hi));
                n.exprs.push_back(std::move(dml));
                n.dml = DmlTargetOf(text, toks, i, e);
                i = e;
            }
        }
        scopes.Pop();
        if (err) return err;
        return Expect(";", ";");
    }

    OraError TargetList(size_t b, size_t e, Node& n) {
        size_t k = b;
        for (;;) {
            LValue lv;
            if (OraError err = Target(k, e, lv)) return err;
            n.targets.push_back(std::move(lv));
            if (k < e && O(k, ",")) {
                ++k;
                continue;
            }
            if (k != e) return Unexpected(k, ", ;");
            return {};
        }
    }

    OraError ParseSelectInto(Node& n) {
        n.kind = Node::SelectInto;
        size_t e = ExprEnd(i, [&](size_t k) { return O(k, ";"); });
        size_t into = ExprEnd(i, [&](size_t k) { return W(k, "INTO") || W(k, "BULK") || k >= e; });
        if (into >= e) return Err(i, "PLS-00428: an INTO clause is expected in this SELECT statement");
        size_t intoB = into;
        if (W(into, "BULK")) {
            if (!W(into + 1, "COLLECT")) return Unexpected(into + 1, "collect");
            n.bulk = true;
            into += 2;
        }
        size_t from = ExprEnd(into, [&](size_t k) { return W(k, "FROM") || k >= e; });
        if (OraError err = TargetList(into + 1, from, n)) return err;
        std::vector<std::pair<size_t, size_t>> skip{{intoB, from}};
        ExprP x;
        if (OraError err = CompileSql(i, e, "", true, x, &skip)) return err;
        int cols = sqlite3_column_count(x->vm);
        bool record = n.targets.size() == 1 && n.targets[0].type && n.targets[0].type->kind == PlType::Record;
        bool collRecord = n.bulk && n.targets.size() == 1 && n.targets[0].type && n.targets[0].type->elem &&
                          n.targets[0].type->elem->kind == PlType::Record;
        if (!record && !collRecord && cols != static_cast<int>(n.targets.size()))
            return Err(into, cols > static_cast<int>(n.targets.size())
                                 ? "PLS-00403: expression '" + n.targets.back().name + "' cannot be used as an INTO-target of a SELECT/FETCH statement"
                                 : "PL/SQL: ORA-00947: not enough values");
        n.exprs.push_back(std::move(x));
        i = e;
        return Expect(";", ";");
    }

    OraError CursorRef(Node& n) {
        if (!Ident(i)) return Unexpected(i, "<an identifier>");
        std::string nm = Name(i);
        int at = 0;
        const Entry* en = scopes.Find(nm, at);
        if (en && en->kind == Entry::Cursor) {
            n.cursor = en->cursor;
            n.cursorUp = en->pkg ? -1 : scopes.depth() - at;
            if (en->pkg) {
                n.targets.emplace_back();
                n.targets.back().var = RefOf(*en, at);
            }
        } else if (en && en->kind == Entry::Var && en->type->kind == PlType::RefCursor) {
            LValue lv;
            lv.var = RefOf(*en, at);
            lv.type = en->type;
            n.targets.push_back(std::move(lv));
            n.cursorUp = -2;  // a cursor variable
        } else {
            return Undeclared(i, nm);
        }
        ++i;
        return {};
    }

    OraError CursorArgs(Node& n) {
        size_t close = match[i];
        if (close == SIZE_MAX) return Unexpected(end, ")");
        size_t a = i + 1;
        while (a < close) {
            size_t e = ExprEnd(a, [&](size_t q) { return q >= close || O(q, ","); });
            size_t from = (Ident(a) && O(a + 1, "=>")) ? a + 2 : a;
            ExprP x;
            if (OraError err = CompileExpr(from, e, x)) return err;
            n.exprs.push_back(std::move(x));
            a = e + 1;
        }
        if (n.exprs.size() > n.cursor->paramSlots.size())
            return Err(i, "PLS-00306: wrong number or types of arguments in call to '" + n.cursor->name + "'");
        i = close + 1;
        return {};
    }

    OraError ParseOpen(Node& n) {
        if (OraError e = CursorRef(n)) return e;
        if (n.cursorUp == -2) {
            // OPEN cv FOR select | string [USING ...]
            if (OraError e = Expect("FOR", "for")) return e;
            size_t e = ExprEnd(i, [&](size_t k) { return O(k, ";") || W(k, "USING"); });
            if (W(i, "SELECT") || W(i, "WITH")) {
                auto c = std::make_shared<CursorDecl>();
                if (OraError err = CompileSql(i, e, "", true, c->query)) return err;
                n.cursor = c;
            } else {
                ExprP x;
                if (OraError err = CompileExpr(i, e, x)) return err;
                n.exprs.push_back(std::move(x));
                n.usingOut = true;  // dynamic text
            }
            i = e;
            if (W(i, "USING")) {
                ++i;
                size_t ue = ExprEnd(i, [&](size_t k) { return O(k, ";"); });
                while (i < ue) {
                    if (W(i, "IN")) ++i;
                    size_t ae = ExprEnd(i, [&](size_t k) { return k >= ue || O(k, ","); });
                    ExprP x;
                    if (OraError err = CompileExpr(i, ae, x)) return err;
                    n.exprs.push_back(std::move(x));
                    i = ae < ue ? ae + 1 : ae;
                }
            }
            return Expect(";", ";");
        }
        if (O(i, "(")) {
            if (OraError e = CursorArgs(n)) return e;
        }
        return Expect(";", ";");
    }

    // EXECUTE IMMEDIATE expr [INTO targets] [USING [IN|OUT|IN OUT] args];
    OraError ParseExecImmediate(Node& n) {
        n.kind = Node::ExecImmediate;
        i += 2;
        size_t e = ExprEnd(i, [&](size_t k) { return O(k, ";") || W(k, "INTO") || W(k, "USING") || W(k, "BULK"); });
        ExprP x;
        if (OraError err = CompileExpr(i, e, x)) return err;
        n.exprs.push_back(std::move(x));
        i = e;
        if (W(i, "BULK") && W(i + 1, "COLLECT")) n.bulk = true, i += 2;
        if (W(i, "INTO")) {
            ++i;
            size_t te = ExprEnd(i, [&](size_t k) { return O(k, ";") || W(k, "USING"); });
            if (OraError err = TargetList(i, te, n)) return err;
            i = te;
        }
        n.varSlot = static_cast<int>(n.targets.size());  // INTO targets come first
        if (W(i, "USING")) {
            ++i;
            size_t ue = ExprEnd(i, [&](size_t k) { return O(k, ";"); });
            while (i < ue) {
                bool out = false;
                if (W(i, "IN") && W(i + 1, "OUT")) out = true, i += 2;
                else if (W(i, "IN")) ++i;
                else if (W(i, "OUT")) out = true, ++i;
                size_t ae = ExprEnd(i, [&](size_t k) { return k >= ue || O(k, ","); });
                ExprP a;
                if (OraError err = CompileExpr(i, ae, a)) return err;
                n.exprs.push_back(std::move(a));
                LValue lv;
                if (out) {
                    size_t k = i;
                    if (OraError err = Target(k, ae, lv)) return err;
                    n.usingOut = true;
                }
                lv.name = out ? "OUT" : "";
                n.targets.push_back(std::move(lv));
                i = ae < ue ? ae + 1 : ae;
            }
        }
        return Expect(";", ";");
    }
};

}  // namespace

Datum InitialDatum(const PlType& t) {
    Datum d;
    if (t.kind == PlType::Record)
        for (const auto& f : t.fields) d.fields.push_back(InitialDatum(*f.second));
    else if ((t.kind == PlType::Table || t.kind == PlType::Varray) && t.assoc)
        d.coll = std::make_shared<Collection>();
    return d;
}

Datum CopyDatum(const Datum& d) {
    Datum r;
    r.v = d.v;
    r.cursor = d.cursor;
    for (const Datum& f : d.fields) r.fields.push_back(CopyDatum(f));
    if (d.coll) {
        r.coll = std::make_shared<Collection>();
        r.coll->extent = d.coll->extent;
        for (const auto& [k, v] : d.coll->items) r.coll->items.emplace(k, CopyDatum(v));
    }
    return r;
}

Program::~Program() {
    if (engine)
        for (int64_t id : callTargets) engine->targets.erase(id);
    // A subprogram that calls itself holds itself through its body's calls; once its program goes
    // nobody can call it any more, so its body is dropped to end that cycle.
    auto drop = [this](const std::shared_ptr<Subprogram>& sp) {
        if (sp && sp->owner == this) sp->body = Node{};
    };
    drop(main);
    for (const auto& local : locals) drop(local);
}

OraError CompileBlock(Session& s, std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                      std::shared_ptr<Program>& out) {
    auto prog = std::make_shared<Program>();
    prog->text = std::string(text);
    prog->toks = toks;
    prog->engine = &EngineOf(s);
    Compiler c(s, *prog, b, e);
    if (c.W(b, "CALL")) {
        // CALL name(args): a procedure call in SQL syntax
        if (b + 1 >= e || !c.Ident(b + 1)) return c.Unexpected(b + 1, "<an identifier>");
    }
    prog->main = std::make_shared<Subprogram>();
    prog->main->owner = prog.get();
    Subprogram& m = *prog->main;
    m.depth = 0;
    c.frames.emplace_back();
    c.scopes.Push(0);
    OraError err;
    if (c.W(b, "CALL")) {
        c.i = b + 1;
        m.body.kind = Node::Block;
        m.body.bodies.emplace_back();
        Node n;
        n.pos = c.Pos(c.i);
        // reuse the procedure call parser: it expects a ';' after the arguments
        err = c.ParseCall(n, c.i);
        if (err && err.text.find("PLS-00103") != std::string::npos && c.i >= e) err = {};
        m.body.bodies[0].push_back(std::move(n));
    } else {
        if (c.W(c.i, "DECLARE")) {
            ++c.i;
            err = c.ParseDeclarations(m.body);
        }
        if (!err) err = c.ParseBody(m.body);
        if (!err && c.i < e) err = c.Unexpected(c.i, "end-of-file");
    }
    c.scopes.Pop();
    m.frameSize = c.frames.back().size;
    m.slotTypes = c.frames.back().types;
    m.defined = true;
    if (err) return err;
    out = std::move(prog);
    return {};
}

OraError CompileUnit(Session& s, const std::string& kind, const std::string& name, std::string_view text,
                     const std::vector<Token>& toks, size_t b, size_t e, std::shared_ptr<Program>& out,
                     std::shared_ptr<Package> pkg) {
    auto prog = std::make_shared<Program>();
    prog->text = std::string(text);
    prog->toks = toks;
    prog->unitName = s.user() + "." + name;
    prog->engine = &EngineOf(s);
    Compiler c(s, *prog, b, e);
    OraError err;
    if (kind == "PROCEDURE" || kind == "FUNCTION") {
        // tokens from the unit's keyword: PROCEDURE name ...
        std::shared_ptr<Subprogram> sp;
        c.i = b;
        c.scopes.Push(0);  // the unit's own name, for recursive calls
        err = c.ParseSubprogram(true, &sp);
        if (!err && sp && !sp->defined) err = c.Unexpected(c.i, "is as");
        if (!err) {
            prog->main = sp;
            if (c.Ident(c.i) && c.i < e && !c.O(c.i, ";")) {
            }
        }
    } else {
        // PACKAGE [BODY] name IS|AS declarations [BEGIN init] END [name];
        c.pkg = pkg.get();
        c.i = b + (kind == "PACKAGE BODY" ? 2 : 1) + 1;
        if (c.O(c.i, ".") ) c.i += 2;
        while (c.W(c.i, "AUTHID") || c.W(c.i, "DEFINER") || c.W(c.i, "CURRENT_USER")) ++c.i;
        if (!c.W(c.i, "IS") && !c.W(c.i, "AS")) err = c.Unexpected(c.i, "is as authid");
        else ++c.i;
        if (!err) {
            c.frames.emplace_back();
            c.scopes.Push(0);
            // the header's names are visible in the body
            if (kind == "PACKAGE BODY") {
                for (auto& [n, slot] : pkg->vars) {
                    Entry en;
                    en.kind = Entry::Var;
                    en.slot = slot;
                    en.type = pkg->slotTypes[static_cast<size_t>(slot)];
                    en.pkg = pkg.get();
                    c.scopes.Top().names[n] = en;
                }
                for (auto& [n, t] : pkg->types) {
                    Entry en;
                    en.kind = Entry::Type;
                    en.type = t;
                    c.scopes.Top().names[n] = en;
                }
                for (auto& [n, x] : pkg->exceptions) {
                    Entry en;
                    en.kind = Entry::Exception;
                    en.exc = x.get();
                    c.scopes.Top().names[n] = en;
                }
                for (auto& [n, list] : pkg->subs) {
                    Entry en;
                    en.kind = Entry::Sub;
                    en.subs = list;
                    en.pkg = pkg.get();
                    c.scopes.Top().names[n] = en;
                }
                for (auto& [n, cur] : pkg->cursors) {
                    Entry en;
                    en.kind = Entry::Cursor;
                    en.cursor = cur;
                    en.slot = cur->slot;
                    en.pkg = pkg.get();
                    c.scopes.Top().names[n] = en;
                }
            }
            c.pkgLevel = true;
            // package-level variables are initialised by a block of their own
            prog->initBlock.kind = Node::Block;
            err = c.ParseDeclarations(prog->initBlock);
            c.pkgLevel = false;
            if (!err && c.W(c.i, "BEGIN")) {
                Node init;
                err = c.ParseBody(init);
                if (!err) {
                    prog->initBlock.bodies.emplace_back();
                    prog->initBlock.bodies[0].push_back(std::move(init));
                }
            } else if (!err) {
                if (OraError x = c.Expect("END", "end")) err = x;
                else {
                    if (c.Ident(c.i) && !c.O(c.i, ";")) ++c.i;
                    err = c.Expect(";", ";");
                }
            }
            if (!err && kind == "PACKAGE BODY") {
                for (auto& [n, list] : pkg->subs)
                    for (auto& sp : list)
                        if (!sp->defined)
                            err = c.Err(b, "PLS-00323: subprogram or cursor '" + n +
                                               "' is declared in a package specification and must be defined in the package body");
            }
            c.scopes.Pop();
            c.frames.pop_back();
        }
    }
    if (!err && c.i < e) err = c.Unexpected(c.i, "end-of-file");
    if (err) return err;
    out = std::move(prog);
    return {};
}

}  // namespace liteoci

namespace liteoci {

OraError CompileTrigger(Session& s, const TriggerDef& def, std::string_view text, const std::vector<Token>& toks,
                        std::shared_ptr<Program>& out) {
    // The program's text is the body, so that its lines count from the body's first line as the
    // server counts them for triggers; the WHEN condition follows on a line of its own.
    if (def.bodyBegin >= toks.size()) return MakeError(4075);
    const uint32_t from = toks[def.bodyBegin].pos;
    std::string all(text.substr(from));
    const size_t bodyLen = all.size();
    if (def.whenEnd > def.whenBegin) {
        uint32_t wb = toks[def.whenBegin].pos, we = toks[def.whenEnd - 1].pos + toks[def.whenEnd - 1].len;
        all += "\n" + std::string(text.substr(wb, we - wb));
    }
    Lexed lx = Lex(all);
    if (lx.error) return lx.error;
    size_t nBody = 0;
    while (nBody < lx.toks.size() && lx.toks[nBody].pos < bodyLen) ++nBody;
    auto prog = std::make_shared<Program>();
    prog->text = all;
    prog->toks = lx.toks;
    prog->unitName = s.user() + "." + def.name;
    prog->engine = &EngineOf(s);
    Compiler c(s, *prog, 0, nBody);
    c.match = MatchParens(prog->text, prog->toks, 0, prog->toks.size());
    c.trig = &def;
    prog->main = std::make_shared<Subprogram>();
    prog->main->owner = prog.get();
    Subprogram& m = *prog->main;
    c.frames.emplace_back();
    c.scopes.Push(0);
    OraError err;
    if (def.row) {
        // :NEW and :OLD are records of the table's row; the WHEN condition names them without colons
        TypeP rt;
        err = c.TableRowType(0, def.table, rt);
        if (!err) {
            Entry en;
            en.kind = Entry::Var;
            en.type = rt;
            en.slot = c.NewSlot(rt);
            prog->newSlot = en.slot;
            c.Declare(":" + def.newName, en);
            Entry eo = en;
            eo.slot = c.NewSlot(rt);
            prog->oldSlot = eo.slot;
            c.Declare(":" + def.oldName, eo);
            if (nBody < prog->toks.size()) {
                c.scopes.Push(0);
                c.Declare(def.newName, en);
                c.Declare(def.oldName, eo);
                c.end = prog->toks.size();
                err = c.CompileExpr(nBody, prog->toks.size(), prog->when);
                c.end = nBody;
                c.scopes.Pop();
            }
        }
    }
    if (!err && c.W(0, "CALL")) {
        c.i = 1;
        m.body.kind = Node::Block;
        m.body.bodies.emplace_back();
        Node n;
        n.pos = c.Pos(c.i);
        err = c.ParseCall(n, c.i);
        if (err && err.text.find("PLS-00103") != std::string::npos && c.i >= nBody) err = {};
        m.body.bodies[0].push_back(std::move(n));
    } else if (!err) {
        if (c.W(c.i, "DECLARE")) {
            ++c.i;
            err = c.ParseDeclarations(m.body);
        }
        if (!err) err = c.ParseBody(m.body);
        if (!err && c.i < nBody) err = c.Unexpected(c.i, "end-of-file");
    }
    c.scopes.Pop();
    m.frameSize = c.frames.back().size;
    m.slotTypes = c.frames.back().types;
    m.defined = true;
    if (err) return err;
    out = std::move(prog);
    return {};
}

}  // namespace liteoci
