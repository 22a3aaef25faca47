#include "PlRunner.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "OraFormat.h"
#include "Translate.h"

namespace liteoci {

Value ValueFromColumn(sqlite3_stmt* vm, int col) {
    Value v;
    switch (sqlite3_column_type(vm, col)) {
        case SQLITE_INTEGER: v.type = Value::Int, v.i = sqlite3_column_int64(vm, col); break;
        case SQLITE_FLOAT: v.type = Value::Real, v.d = sqlite3_column_double(vm, col); break;
        case SQLITE_NULL: break;
        default: {
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(vm, col));
            v.s.assign(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(vm, col)));
            if (!v.s.empty()) v.type = Value::Text;
        }
    }
    return v;
}

void BindValue(sqlite3_stmt* vm, int index, const Value& v) {
    switch (v.type) {
        case Value::Null: sqlite3_bind_null(vm, index); break;
        case Value::Int: sqlite3_bind_int64(vm, index, v.i); break;
        case Value::Real: sqlite3_bind_double(vm, index, v.d); break;
        case Value::Text: sqlite3_bind_text(vm, index, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT); break;
    }
}

std::string ValueText(const Value& v) {
    char buf[kNumberTextMax];
    switch (v.type) {
        case Value::Int: return std::string(buf, FormatInteger(v.i, buf));
        case Value::Real: return std::string(buf, FormatDouble(v.d, buf));
        case Value::Text: return v.s;
        default: return {};
    }
}

namespace {

struct Expr {
    uint32_t pos = 0;
    std::string sql;
    std::vector<ParamRef> params;
    sqlite3_stmt* vm = nullptr;
    ~Expr() { sqlite3_finalize(vm); }
};

struct Target {
    bool bind = false;
    int index = -1;
};

struct Node {
    enum Kind {
        Null, Put, PutLine, NewLine, Enable, Disable, GetLine, Sql, SelectInto, Assign, If, For, While, Loop, Exit,
        Raise, Commit, Rollback, Block,
    } kind = Null;
    uint32_t pos = 0;
    std::vector<std::unique_ptr<Expr>> exprs;
    std::vector<std::vector<Node>> bodies;
    std::vector<Target> targets;
    int var = -1;
    bool reverse = false;
    std::vector<std::pair<std::vector<int>, size_t>> handlers;  // codes (0 = OTHERS) -> body index
};

struct Var {
    std::string name;
    enum Type { Num, Chr, Dat } type = Chr;
    size_t maxLen = 0;  // 0: unbounded
    bool constant = false;
    Value value;
    std::unique_ptr<Expr> init;
};

}  // namespace

struct PlProgram {
    std::string text;
    std::vector<std::string> placeholders;
    std::vector<Var> vars;  // 0: SQLCODE, 1: SQLERRM
    Node root;
    bool hasDml = false;
};

namespace {

constexpr int kSqlCode = 0, kSqlErrm = 1;

OraError PlsError(std::string_view text, uint32_t pos, const std::string& message) {
    int line, col;
    LineColumn(text, pos, line, col);
    OraError e = MakeError(6550, std::to_string(line), std::to_string(col), message);
    e.offset = static_cast<int>(pos);
    return e;
}

class PlResolver : public Resolver {
public:
    explicit PlResolver(PlProgram& p) : p_(p) {}
    ParamRef Placeholder(std::string_view name) override {
        std::string up = Upper(name);
        for (size_t k = 0; k < p_.placeholders.size(); ++k)
            if (p_.placeholders[k] == up) return {ParamRef::BindSlot, static_cast<int>(k)};
        p_.placeholders.push_back(up);
        return {ParamRef::BindSlot, static_cast<int>(p_.placeholders.size() - 1)};
    }
    int Variable(const std::string& upperName) override {
        for (size_t k = p_.vars.size(); k-- > 0;)
            if (p_.vars[k].name == upperName) return static_cast<int>(k);
        return -1;
    }

private:
    PlProgram& p_;
};

struct Compiler {
    Session& s;
    std::string_view text;
    const std::vector<Token>& toks;
    size_t end;
    size_t i;
    PlProgram& prog;
    std::vector<size_t> match;
    PlResolver resolver{prog};

    bool W(size_t k, std::string_view w) const { return k < end && IsWord(text, toks[k], w); }
    bool O(size_t k, std::string_view o) const { return k < end && IsOp(text, toks[k], o); }
    uint32_t Pos(size_t k) const {
        return k < end ? toks[k].pos : (end > 0 ? toks[end - 1].pos + toks[end - 1].len : 0);
    }

    OraError Unexpected(size_t k, const char* expecting) const {
        std::string sym = k < end ? std::string(TokText(text, toks[k])) : "end-of-file";
        return PlsError(text, Pos(k), "PLS-00103: Encountered the symbol \"" + Upper(sym) +
                                          "\" when expecting one of the following:\n\n   " + expecting);
    }
    OraError Expect(std::string_view op, const char* expecting) {
        if (!O(i, op) && !W(i, op)) return Unexpected(i, expecting);
        ++i;
        return {};
    }

    // End of an expression at depth 0: the first token for which stop() holds.
    template <class F>
    size_t ExprEnd(size_t from, F stop) const {
        size_t k = from;
        while (k < end && !stop(k)) {
            if (O(k, "(") && match[k] != SIZE_MAX) k = match[k];
            ++k;
        }
        return k;
    }

    OraError CompileExpr(size_t b, size_t e, std::unique_ptr<Expr>& out) {
        if (b >= e) return Unexpected(b, "( - + case mod new not null <an identifier>");
        auto x = std::make_unique<Expr>();
        x->pos = toks[b].pos;
        Translation tr;
        TranslateOptions opt;
        if (OraError err = Translate(text, toks, b, e, opt, resolver, tr))
            return PlsError(text, err.offset >= 0 ? static_cast<uint32_t>(err.offset) : x->pos, "PL/SQL: " + err.text);
        x->sql = "SELECT " + tr.sql;
        for (auto& m : tr.map) m.first += 7;
        x->params = tr.params;
        if (OraError err = Prepare(x->sql, tr, x->pos, x->vm)) return err;
        out = std::move(x);
        return {};
    }

    OraError Prepare(const std::string& sql, const Translation& tr, uint32_t pos, sqlite3_stmt*& vm) {
        int rc = sqlite3_prepare_v3(s.db(), sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &vm,
                                    nullptr);
        if (rc == SQLITE_OK) return {};
        std::string msg = sqlite3_errmsg(s.db());
        int off = sqlite3_error_offset(s.db());
        uint32_t at = off >= 0 ? static_cast<uint32_t>(tr.MapOffset(off)) : pos;
        for (const char* p : {"no such column: ", "no such function: "}) {
            if (msg.rfind(p, 0) == 0) {
                std::string name = Upper(msg.substr(std::strlen(p)));
                return PlsError(text, at, "PLS-00201: identifier '" + name + "' must be declared");
            }
        }
        ErrorContext ctx;
        ctx.text = text;
        ctx.toks = &toks;
        ctx.translation = &tr;
        OraError e = s.MapError(rc, &ctx);
        return PlsError(text, e.offset >= 0 ? static_cast<uint32_t>(e.offset) : at, "PL/SQL: " + e.text);
    }

    OraError ParseTarget(size_t k, Target& t) {
        if (k < end && toks[k].kind == Tok::Bind) {
            t.bind = true;
            t.index = resolver.Placeholder(TokText(text, toks[k]).substr(1)).index;
            return {};
        }
        if (k < end && (toks[k].kind == Tok::Word || toks[k].kind == Tok::QIdent)) {
            std::string name = IdentName(text, toks[k]);
            t.index = resolver.Variable(name);
            if (t.index < 0) return PlsError(text, Pos(k), "PLS-00201: identifier '" + name + "' must be declared");
            if (prog.vars[static_cast<size_t>(t.index)].constant)
                return PlsError(text, Pos(k), "PLS-00363: expression '" + name + "' cannot be used as an assignment target");
            return {};
        }
        return PlsError(text, Pos(k), "PLS-00363: expression '" + (k < end ? Upper(TokText(text, toks[k])) : std::string()) +
                                          "' cannot be used as an assignment target");
    }

    OraError ParseDeclarations() {
        while (i < end && !W(i, "BEGIN")) {
            if (toks[i].kind != Tok::Word && toks[i].kind != Tok::QIdent) return Unexpected(i, "begin function pragma procedure");
            Var v;
            v.name = IdentName(text, toks[i]);
            ++i;
            if (W(i, "CONSTANT")) v.constant = true, ++i;
            if (i >= end || toks[i].kind != Tok::Word) return Unexpected(i, "<a type name>");
            std::string type = Upper(TokText(text, toks[i]));
            ++i;
            if (type.find("CHAR") != std::string::npos || type == "STRING" || type == "CLOB") v.type = Var::Chr;
            else if (type == "DATE" || type == "TIMESTAMP") v.type = Var::Dat;
            else if (type == "NUMBER" || type == "INTEGER" || type == "PLS_INTEGER" || type == "BINARY_INTEGER" ||
                     type == "FLOAT" || type == "NATURAL" || type == "POSITIVE" || type == "BOOLEAN" ||
                     type == "SIMPLE_INTEGER" || type == "DECIMAL" || type == "INT")
                v.type = Var::Num;
            else return PlsError(text, toks[i - 1].pos, "PLS-00201: identifier '" + type + "' must be declared");
            if (O(i, "(")) {
                if (i + 1 < end && toks[i + 1].kind == Tok::Number && v.type == Var::Chr)
                    v.maxLen = static_cast<size_t>(std::atol(std::string(TokText(text, toks[i + 1])).c_str()));
                if (match[i] == SIZE_MAX) return Unexpected(end, ")");
                i = match[i] + 1;
            }
            if (W(i, "NOT") && W(i + 1, "NULL")) i += 2;
            if (O(i, ":=") || W(i, "DEFAULT")) {
                ++i;
                size_t e = ExprEnd(i, [&](size_t k) { return O(k, ";"); });
                if (OraError err = CompileExpr(i, e, v.init)) return err;
                i = e;
            }
            if (OraError err = Expect(";", ":= ; not null default character")) return err;
            prog.vars.push_back(std::move(v));
        }
        return {};
    }

    bool AtBodyEnd() const { return i >= end || W(i, "END") || W(i, "EXCEPTION") || W(i, "ELSE") || W(i, "ELSIF") || W(i, "WHEN"); }

    OraError ParseStatements(std::vector<Node>& out) {
        while (!AtBodyEnd()) {
            Node n;
            if (OraError e = ParseStatement(n)) return e;
            out.push_back(std::move(n));
        }
        if (out.empty()) return Unexpected(i, "begin case declare exit for goto if loop mod null pragma raise return select update while with");
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
                std::vector<int> codes;
                for (;;) {
                    static const struct { const char* name; int code; } kNames[] = {
                        {"OTHERS", 0}, {"NO_DATA_FOUND", 1403}, {"TOO_MANY_ROWS", 1422}, {"ZERO_DIVIDE", 1476},
                        {"VALUE_ERROR", 6502}, {"DUP_VAL_ON_INDEX", 1}, {"INVALID_NUMBER", 1722}};
                    bool found = false;
                    for (const auto& k : kNames)
                        if (W(i, k.name)) codes.push_back(k.code), found = true;
                    if (!found) {
                        if (i < end && toks[i].kind == Tok::Word)
                            return PlsError(text, Pos(i), "PLS-00201: identifier '" + Upper(TokText(text, toks[i])) + "' must be declared");
                        return Unexpected(i, "<an identifier>");
                    }
                    ++i;
                    if (!W(i, "OR")) break;
                    ++i;
                }
                if (OraError e = Expect("THEN", "then or")) return e;
                n.bodies.emplace_back();
                if (OraError e = ParseStatements(n.bodies.back())) return e;
                n.handlers.emplace_back(std::move(codes), n.bodies.size() - 1);
            }
        }
        if (OraError e = Expect("END", "end")) return e;
        if (i < end && (toks[i].kind == Tok::Word || toks[i].kind == Tok::QIdent) && !O(i, ";")) ++i;
        return Expect(";", ";");
    }

    OraError ParseStatement(Node& n) {
        n.pos = Pos(i);
        size_t start = i;
        auto semi = [&](size_t k) { return O(k, ";"); };
        if (W(i, "NULL")) {
            n.kind = Node::Null;
            ++i;
            return Expect(";", ";");
        }
        if (W(i, "BEGIN")) return ParseBody(n);
        if (W(i, "DECLARE")) {
            ++i;
            if (OraError e = ParseDeclarations()) return e;
            return ParseBody(n);
        }
        if (W(i, "IF")) {
            n.kind = Node::If;
            for (;;) {
                ++i;  // IF / ELSIF
                size_t e = ExprEnd(i, [&](size_t k) { return W(k, "THEN") || O(k, ";"); });
                std::unique_ptr<Expr> cond;
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
                n.bodies.emplace_back();
                if (OraError err = ParseStatements(n.bodies.back())) return err;
            }
            if (OraError err = Expect("END", "end")) return err;
            if (OraError err = Expect("IF", "if")) return err;
            return Expect(";", ";");
        }
        if (W(i, "FOR") || W(i, "WHILE") || W(i, "LOOP")) {
            size_t varsBefore = prog.vars.size();
            if (W(i, "FOR")) {
                n.kind = Node::For;
                ++i;
                if (i >= end || toks[i].kind != Tok::Word) return Unexpected(i, "<an identifier>");
                Var v;
                v.name = IdentName(text, toks[i]);
                v.type = Var::Num;
                ++i;
                if (OraError e = Expect("IN", "in")) return e;
                if (W(i, "REVERSE")) n.reverse = true, ++i;
                size_t e1 = ExprEnd(i, [&](size_t k) { return O(k, "..") || W(k, "LOOP"); });
                std::unique_ptr<Expr> lo, hi;
                if (OraError e = CompileExpr(i, e1, lo)) return e;
                i = e1;
                if (OraError e = Expect("..", "..")) return e;
                size_t e2 = ExprEnd(i, [&](size_t k) { return W(k, "LOOP"); });
                if (OraError e = CompileExpr(i, e2, hi)) return e;
                i = e2;
                n.exprs.push_back(std::move(lo));
                n.exprs.push_back(std::move(hi));
                prog.vars.push_back(std::move(v));
                n.var = static_cast<int>(prog.vars.size() - 1);
            } else if (W(i, "WHILE")) {
                n.kind = Node::While;
                ++i;
                size_t e = ExprEnd(i, [&](size_t k) { return W(k, "LOOP"); });
                std::unique_ptr<Expr> cond;
                if (OraError err = CompileExpr(i, e, cond)) return err;
                n.exprs.push_back(std::move(cond));
                i = e;
            } else {
                n.kind = Node::Loop;
            }
            if (OraError e = Expect("LOOP", "loop")) return e;
            n.bodies.emplace_back();
            if (OraError e = ParseStatements(n.bodies[0])) return e;
            if (OraError e = Expect("END", "end")) return e;
            if (OraError e = Expect("LOOP", "loop")) return e;
            // the loop variable is visible inside the loop only
            if (n.kind == Node::For) prog.vars[static_cast<size_t>(n.var)].name += "$out of scope";
            (void)varsBefore;
            return Expect(";", ";");
        }
        if (W(i, "EXIT")) {
            n.kind = Node::Exit;
            ++i;
            if (W(i, "WHEN")) {
                ++i;
                size_t e = ExprEnd(i, semi);
                std::unique_ptr<Expr> cond;
                if (OraError err = CompileExpr(i, e, cond)) return err;
                n.exprs.push_back(std::move(cond));
                i = e;
            }
            return Expect(";", "; when");
        }
        if (W(i, "COMMIT") || W(i, "ROLLBACK")) {
            n.kind = W(i, "COMMIT") ? Node::Commit : Node::Rollback;
            ++i;
            if (W(i, "WORK")) ++i;
            return Expect(";", ";");
        }
        if (W(i, "INSERT") || W(i, "UPDATE") || W(i, "DELETE") || W(i, "MERGE")) {
            n.kind = Node::Sql;
            size_t e = ExprEnd(i, semi);
            auto x = std::make_unique<Expr>();
            x->pos = toks[i].pos;
            Translation tr;
            TranslateOptions opt;
            if (OraError err = Translate(text, toks, i, e, opt, resolver, tr))
                return PlsError(text, err.offset >= 0 ? static_cast<uint32_t>(err.offset) : x->pos, "PL/SQL: " + err.text);
            x->sql = tr.sql;
            x->params = tr.params;
            if (OraError err = Prepare(x->sql, tr, x->pos, x->vm)) return err;
            n.exprs.push_back(std::move(x));
            prog.hasDml = true;
            i = e;
            return Expect(";", ";");
        }
        if (W(i, "SELECT")) {
            n.kind = Node::SelectInto;
            size_t e = ExprEnd(i, semi);
            size_t into = ExprEnd(i, [&](size_t k) { return W(k, "INTO") || k >= e; });
            if (into >= e) return PlsError(text, toks[i].pos, "PLS-00428: an INTO clause is expected in this SELECT statement");
            size_t from = ExprEnd(into, [&](size_t k) { return W(k, "FROM") || k >= e; });
            for (size_t k = into + 1; k < from; k += 2) {
                Target t;
                if (OraError err = ParseTarget(k, t)) return err;
                n.targets.push_back(t);
                if (k + 1 < from && !O(k + 1, ",")) return Unexpected(k + 1, ", from");
            }
            auto x = std::make_unique<Expr>();
            x->pos = toks[i].pos;
            Translation tr;
            TranslateOptions opt;
            OraError err = Translate(text, toks, i, into, opt, resolver, tr);
            if (!err) err = Translate(text, toks, from, e, opt, resolver, tr);
            if (err) return PlsError(text, err.offset >= 0 ? static_cast<uint32_t>(err.offset) : x->pos, "PL/SQL: " + err.text);
            x->sql = tr.sql;
            x->params = tr.params;
            if (OraError perr = Prepare(x->sql, tr, x->pos, x->vm)) return perr;
            if (sqlite3_column_count(x->vm) != static_cast<int>(n.targets.size()))
                return PlsError(text, toks[into].pos, "PLS-00394: wrong number of values in the INTO list of a FETCH statement");
            n.exprs.push_back(std::move(x));
            i = e;
            return Expect(";", ";");
        }
        if (W(i, "RAISE_APPLICATION_ERROR")) {
            n.kind = Node::Raise;
            ++i;
            if (OraError e = ParseArgs(n, 2, 3, "RAISE_APPLICATION_ERROR", nullptr)) return e;
            return Expect(";", ";");
        }
        if (W(i, "DBMS_OUTPUT") && O(i + 1, ".")) {
            i += 2;
            if (i >= end || toks[i].kind != Tok::Word) return Unexpected(i, "<an identifier>");
            std::string name = Upper(TokText(text, toks[i]));
            ++i;
            if (name == "PUT_LINE" || name == "PUT") {
                n.kind = name == "PUT" ? Node::Put : Node::PutLine;
                if (OraError e = ParseArgs(n, 1, 1, name, nullptr)) return e;
            } else if (name == "NEW_LINE" || name == "DISABLE") {
                n.kind = name == "DISABLE" ? Node::Disable : Node::NewLine;
                if (O(i, "(") && O(i + 1, ")")) i += 2;
            } else if (name == "ENABLE") {
                n.kind = Node::Enable;
                if (O(i, "("))
                    if (OraError e = ParseArgs(n, 0, 1, name, nullptr)) return e;
            } else if (name == "GET_LINE") {
                n.kind = Node::GetLine;
                static const char* const kNames[] = {"LINE", "STATUS"};
                if (OraError e = ParseArgs(n, 2, 2, name, kNames)) return e;
            } else {
                return PlsError(text, toks[i - 1].pos, "PLS-00302: component '" + name + "' must be declared");
            }
            return Expect(";", ";");
        }
        if ((toks[i].kind == Tok::Word || toks[i].kind == Tok::QIdent || toks[i].kind == Tok::Bind) && O(i + 1, ":=")) {
            n.kind = Node::Assign;
            Target t;
            if (OraError e = ParseTarget(i, t)) return e;
            n.targets.push_back(t);
            i += 2;
            size_t e = ExprEnd(i, semi);
            std::unique_ptr<Expr> x;
            if (OraError err = CompileExpr(i, e, x)) return err;
            n.exprs.push_back(std::move(x));
            i = e;
            return Expect(";", ";");
        }
        if (toks[i].kind == Tok::Word || toks[i].kind == Tok::QIdent) {
            std::string name = IdentName(text, toks[start]);
            size_t k = start + 1;
            while (O(k, ".") && k + 1 < end && (toks[k + 1].kind == Tok::Word || toks[k + 1].kind == Tok::QIdent))
                name += "." + IdentName(text, toks[k + 1]), k += 2;
            return PlsError(text, toks[start].pos, "PLS-00201: identifier '" + name + "' must be declared");
        }
        return Unexpected(i, "begin case declare exit for goto if loop mod null pragma raise return select update while with");
    }

    // ( [name =>] expr, ... ) into n.exprs / n.targets. names: parameter names for GET_LINE, whose
    // arguments are assignment targets.
    OraError ParseArgs(Node& n, size_t minArgs, size_t maxArgs, const std::string& proc, const char* const* names) {
        std::vector<std::pair<size_t, size_t>> args;
        std::vector<std::string> argNames;
        if (O(i, "(")) {
            size_t close = match[i];
            if (close == SIZE_MAX) return Unexpected(end, ")");
            size_t k = i + 1;
            while (k < close) {
                std::string argName;
                if ((toks[k].kind == Tok::Word) && O(k + 1, "=>")) argName = Upper(TokText(text, toks[k])), k += 2;
                size_t e = ExprEnd(k, [&](size_t q) { return q >= close || O(q, ","); });
                args.emplace_back(k, e);
                argNames.push_back(argName);
                k = e < close ? e + 1 : close;
            }
            i = close + 1;
        }
        auto wrong = [&] {
            return PlsError(text, n.pos, "PLS-00306: wrong number or types of arguments in call to '" + proc + "'");
        };
        if (args.size() < minArgs || args.size() > maxArgs) return wrong();
        if (names) {
            std::vector<std::pair<size_t, size_t>> ordered(args.size());
            std::vector<bool> used(args.size(), false);
            for (size_t a = 0; a < args.size(); ++a) {
                size_t slot = a;
                if (!argNames[a].empty()) {
                    slot = SIZE_MAX;
                    for (size_t q = 0; q < maxArgs; ++q)
                        if (argNames[a] == names[q]) slot = q;
                    if (slot == SIZE_MAX) return wrong();
                }
                if (used[slot]) return wrong();
                used[slot] = true;
                ordered[slot] = args[a];
            }
            for (auto [b, e] : ordered) {
                if (e != b + 1) return PlsError(text, Pos(b), "PLS-00363: expression cannot be used as an assignment target");
                Target t;
                if (OraError err = ParseTarget(b, t)) return err;
                n.targets.push_back(t);
            }
            return {};
        }
        for (auto [b, e] : args) {
            std::unique_ptr<Expr> x;
            if (OraError err = CompileExpr(b, e, x)) return err;
            n.exprs.push_back(std::move(x));
        }
        return {};
    }
};

// ---- running -----------------------------------------------------------------------------------

struct Runner {
    Session& s;
    PlProgram& prog;
    std::vector<Value>& binds;
    std::vector<bool>& assigned;
    bool exiting = false;
    bool transactionEnded = false;

    OraError At(uint32_t pos, OraError e) {
        if (e.code == 1013 || e.text.find("\nORA-06512: at line") != std::string::npos) return e;
        int line, col;
        LineColumn(prog.text, pos, line, col);
        e.text += "\nORA-06512: at line " + std::to_string(line);
        return e;
    }

    OraError BindParams(Expr& x) {
        sqlite3_reset(x.vm);
        for (size_t k = 0; k < x.params.size(); ++k) {
            const ParamRef& p = x.params[k];
            const Value& v = p.source == ParamRef::Variable ? prog.vars[static_cast<size_t>(p.index)].value
                                                            : binds[static_cast<size_t>(p.index)];
            BindValue(x.vm, static_cast<int>(k) + 1, v);
        }
        return {};
    }

    OraError Eval(Expr& x, Value& out) {
        if (s.cancelled()) return MakeError(1013);
        BindParams(x);
        int rc = sqlite3_step(x.vm);
        if (rc == SQLITE_ROW) {
            out = ValueFromColumn(x.vm, 0);
            sqlite3_reset(x.vm);
            return {};
        }
        OraError e = s.MapError(rc);
        sqlite3_reset(x.vm);
        return At(x.pos, e);
    }

    OraError Truth(Expr& x, bool& out) {
        Value v;
        if (OraError e = Eval(x, v)) return e;
        out = (v.type == Value::Int && v.i != 0) || (v.type == Value::Real && v.d != 0);
        return {};
    }

    OraError Assign(const Target& t, Value v, uint32_t pos) {
        if (t.bind) {
            binds[static_cast<size_t>(t.index)] = std::move(v);
            assigned[static_cast<size_t>(t.index)] = true;
            return {};
        }
        Var& var = prog.vars[static_cast<size_t>(t.index)];
        if (v.type != Value::Null) {
            if (var.type == Var::Num && v.type == Value::Text) {
                double d;
                if (ParseNumberText(v.s, d))
                    return At(pos, MakeError(6502, ": character to number conversion error"));
                v.type = std::fabs(d) < 9e15 && d == std::trunc(d) ? Value::Int : Value::Real;
                v.i = static_cast<int64_t>(d);
                v.d = d;
            } else if (var.type == Var::Chr && v.type != Value::Text) {
                v.s = ValueText(v);
                v.type = Value::Text;
            }
            if (var.type == Var::Chr && var.maxLen > 0 && v.s.size() > var.maxLen)
                return At(pos, MakeError(6502, ": character string buffer too small"));
        }
        var.value = std::move(v);
        return {};
    }

    OraError RunList(std::vector<Node>& list) {
        for (Node& n : list) {
            if (OraError e = Run(n)) return e;
            if (exiting) return {};
        }
        return {};
    }

    OraError Run(Node& n) {
        if (s.cancelled()) return MakeError(1013);
        DbmsOutput& out = s.output();
        Value v;
        switch (n.kind) {
            case Node::Null: return {};
            case Node::Put:
            case Node::PutLine: {
                if (OraError e = Eval(*n.exprs[0], v)) return e;
                OraError e = n.kind == Node::Put ? out.Put(ValueText(v)) : out.PutLine(ValueText(v));
                return e ? At(n.pos, e) : OraError{};
            }
            case Node::NewLine: {
                OraError e = out.NewLine();
                return e ? At(n.pos, e) : OraError{};
            }
            case Node::Disable: out.Disable(); return {};
            case Node::Enable: {
                long long size = -1;
                if (!n.exprs.empty()) {
                    if (OraError e = Eval(*n.exprs[0], v)) return e;
                    size = v.type == Value::Null ? 0 : v.type == Value::Int ? v.i : static_cast<long long>(v.d);
                    if (v.type == Value::Text) {
                        double d;
                        if (ParseNumberText(v.s, d)) return At(n.pos, MakeError(6502, ": character to number conversion error"));
                        size = static_cast<long long>(d);
                    }
                }
                out.Enable(size);
                return {};
            }
            case Node::GetLine: {
                std::string line;
                bool got = out.GetLine(line);
                Value lv, sv;
                sv.type = Value::Int;
                sv.i = got ? 0 : 1;
                if (got && !line.empty()) lv.type = Value::Text, lv.s = std::move(line);
                if (OraError e = Assign(n.targets[0], std::move(lv), n.pos)) return e;
                return Assign(n.targets[1], std::move(sv), n.pos);
            }
            case Node::Sql: {
                Expr& x = *n.exprs[0];
                if (OraError e = s.BeginWrite()) return At(n.pos, e);
                BindParams(x);
                int rc = sqlite3_step(x.vm);
                while (rc == SQLITE_ROW) rc = sqlite3_step(x.vm);
                OraError e = rc == SQLITE_DONE ? OraError{} : s.MapError(rc);
                sqlite3_reset(x.vm);
                return e ? At(n.pos, e) : OraError{};
            }
            case Node::SelectInto: {
                Expr& x = *n.exprs[0];
                BindParams(x);
                int rc = sqlite3_step(x.vm);
                if (rc == SQLITE_DONE) {
                    sqlite3_reset(x.vm);
                    return At(n.pos, MakeError(1403));
                }
                if (rc != SQLITE_ROW) {
                    OraError e = s.MapError(rc);
                    sqlite3_reset(x.vm);
                    return At(n.pos, e);
                }
                std::vector<Value> row;
                for (int c = 0; c < sqlite3_column_count(x.vm); ++c) row.push_back(ValueFromColumn(x.vm, c));
                rc = sqlite3_step(x.vm);
                sqlite3_reset(x.vm);
                if (rc == SQLITE_ROW) return At(n.pos, MakeError(1422));
                for (size_t c = 0; c < row.size(); ++c)
                    if (OraError e = Assign(n.targets[c], std::move(row[c]), n.pos)) return e;
                return {};
            }
            case Node::Assign:
                if (OraError e = Eval(*n.exprs[0], v)) return e;
                return Assign(n.targets[0], std::move(v), n.pos);
            case Node::If: {
                for (size_t k = 0; k < n.exprs.size(); ++k) {
                    bool t = false;
                    if (OraError e = Truth(*n.exprs[k], t)) return e;
                    if (t) return RunList(n.bodies[k]);
                }
                if (n.bodies.size() > n.exprs.size()) return RunList(n.bodies.back());
                return {};
            }
            case Node::For: {
                Value lo, hi;
                if (OraError e = Eval(*n.exprs[0], lo)) return e;
                if (OraError e = Eval(*n.exprs[1], hi)) return e;
                auto asInt = [](const Value& x) {
                    return x.type == Value::Int ? x.i : x.type == Value::Real ? static_cast<int64_t>(std::llround(x.d))
                                                                              : std::atoll(x.s.c_str());
                };
                if (lo.type == Value::Null || hi.type == Value::Null)
                    return At(n.pos, MakeError(6502, ": FOR loop index is null"));
                int64_t a = asInt(lo), b = asInt(hi);
                Var& var = prog.vars[static_cast<size_t>(n.var)];
                for (int64_t k = n.reverse ? b : a; n.reverse ? k >= a : k <= b; n.reverse ? --k : ++k) {
                    if (s.cancelled()) return MakeError(1013);
                    var.value.type = Value::Int;
                    var.value.i = k;
                    if (OraError e = RunList(n.bodies[0])) return e;
                    if (exiting) break;
                }
                exiting = false;
                return {};
            }
            case Node::While:
            case Node::Loop:
                for (;;) {
                    if (s.cancelled()) return MakeError(1013);
                    if (n.kind == Node::While) {
                        bool t = false;
                        if (OraError e = Truth(*n.exprs[0], t)) return e;
                        if (!t) break;
                    }
                    if (OraError e = RunList(n.bodies[0])) return e;
                    if (exiting) break;
                }
                exiting = false;
                return {};
            case Node::Exit: {
                bool t = true;
                if (!n.exprs.empty())
                    if (OraError e = Truth(*n.exprs[0], t)) return e;
                exiting = t;
                return {};
            }
            case Node::Raise: {
                Value code, msg;
                if (OraError e = Eval(*n.exprs[0], code)) return e;
                if (OraError e = Eval(*n.exprs[1], msg)) return e;
                long long c = code.type == Value::Int ? code.i : static_cast<long long>(code.d);
                if (c > -20000 || c < -20999)
                    return At(n.pos, MakeRawError(21000, "error number argument to raise_application_error of " +
                                                             std::to_string(c) + " is out of range"));
                return At(n.pos, MakeRawError(static_cast<int>(-c), ValueText(msg)));
            }
            case Node::Commit:
                transactionEnded = true;
                if (OraError e = s.Commit()) return At(n.pos, e);
                return {};
            case Node::Rollback:
                transactionEnded = true;
                if (OraError e = s.Rollback()) return At(n.pos, e);
                return {};
            case Node::Block: {
                OraError e = RunList(n.bodies[0]);
                if (!e || e.code == 1013 || n.handlers.empty()) return e;
                for (auto& [codes, body] : n.handlers) {
                    for (int c : codes) {
                        if (c == 0 || c == e.code) {
                            Value code, text;
                            code.type = Value::Int;
                            code.i = e.code == 1403 ? 100 : -e.code;
                            text.type = Value::Text;
                            text.s = e.text.substr(0, e.text.find("\nORA-06512"));
                            prog.vars[kSqlCode].value = code;
                            prog.vars[kSqlErrm].value = text;
                            return RunList(n.bodies[body]);
                        }
                    }
                }
                return e;
            }
        }
        return {};
    }
};

OraError CompileProgram(Session& session, std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                        bool storedUnit, PlProgram& prog) {
    prog.text = std::string(text);
    Var code, errm;
    code.name = "SQLCODE";
    code.type = Var::Num;
    code.constant = true;
    errm.name = "SQLERRM";
    errm.constant = true;
    prog.vars.push_back(std::move(code));
    prog.vars.push_back(std::move(errm));
    Compiler c{session, text, toks, e, b, prog, MatchParens(text, toks, b, e)};
    if (storedUnit) {
        // [(name [IN|OUT|IN OUT] type, ...)] IS|AS declarations BEGIN ... END [name];
        if (c.O(c.i, "(")) {
            size_t close = c.match[c.i];
            if (close == SIZE_MAX) return c.Unexpected(e, ")");
            size_t k = c.i + 1;
            while (k < close) {
                if (toks[k].kind != Tok::Word && toks[k].kind != Tok::QIdent) return c.Unexpected(k, "<an identifier>");
                Var v;
                v.name = IdentName(text, toks[k]);
                ++k;
                while (k < close && (c.W(k, "IN") || c.W(k, "OUT") || c.W(k, "NOCOPY"))) ++k;
                if (k >= close) return c.Unexpected(k, "<a type name>");
                std::string type = Upper(TokText(text, toks[k]));
                v.type = type.find("CHAR") != std::string::npos ? Var::Chr : type == "DATE" ? Var::Dat : Var::Num;
                while (k < close && !c.O(k, ",")) ++k;
                ++k;
                prog.vars.push_back(std::move(v));
            }
            c.i = close + 1;
        }
        if (!c.W(c.i, "IS") && !c.W(c.i, "AS")) return c.Unexpected(c.i, "( ; is with authid as");
        ++c.i;
        if (OraError err = c.ParseDeclarations()) return err;
        if (OraError err = c.ParseBody(prog.root)) return err;
    } else if (c.W(b, "CALL")) {
        return PlsError(text, toks[b].pos, "PLS-00201: identifier '" +
                                               (b + 1 < e ? IdentName(text, toks[b + 1]) : std::string("CALL")) +
                                               "' must be declared");
    } else {
        if (c.W(c.i, "DECLARE")) {
            ++c.i;
            if (OraError err = c.ParseDeclarations()) return err;
        }
        if (OraError err = c.ParseBody(prog.root)) return err;
    }
    if (c.i < e) return c.Unexpected(c.i, "end-of-file");
    return {};
}

}  // namespace

PlBlock::~PlBlock() = default;

OraError PlBlock::Compile(Session& session, std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                          std::unique_ptr<PlBlock>& out) {
    auto prog = std::make_unique<PlProgram>();
    if (OraError err = CompileProgram(session, text, toks, b, e, false, *prog)) return err;
    out.reset(new PlBlock());
    out->program_ = std::move(prog);
    return {};
}

int PlBlock::placeholderCount() const { return static_cast<int>(program_->placeholders.size()); }

OraError PlBlock::Run(Session& session, std::vector<Value>& binds, std::vector<bool>& assigned) {
    PlProgram& prog = *program_;
    Runner r{session, prog, binds, assigned};
    for (Var& v : prog.vars) {
        v.value = Value{};
        if (v.init)
            if (OraError e = r.Eval(*v.init, v.value)) return e;
    }
    bool savepoint = false;
    if (prog.hasDml) {
        // A failing block leaves nothing of its own changes behind, as on the server.
        if (OraError e = session.BeginWrite()) return e;
        savepoint = !session.Exec("SAVEPOINT liteoci_block");
    }
    OraError e = r.Run(prog.root);
    if (savepoint && !r.transactionEnded) {
        if (e) session.Exec("ROLLBACK TO liteoci_block");
        session.Exec("RELEASE liteoci_block");
    }
    return e;
}

OraError CheckStoredUnit(Session& session, std::string_view text, const std::vector<Token>& toks, size_t bodyStart) {
    PlProgram prog;
    size_t e = toks.size();
    return CompileProgram(session, text, toks, bodyStart, e, true, prog);
}

}  // namespace liteoci
