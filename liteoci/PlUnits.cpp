// Stored units and the session's engine: finding, compiling and caching procedures, functions and
// packages from the source table, the LITEOCI_PLCALL bridge from SQL into PL/SQL, and stored
// functions made callable from SQL.
#include <cctype>
#include <cstring>

#include "Executor.h"
#include "Handles.h"
#include "PlExec.h"
#include "PlTriggers.h"

namespace liteoci {
namespace {

// The keyword token of a CREATE statement: PROCEDURE, FUNCTION or PACKAGE.
size_t KindToken(std::string_view text, const std::vector<Token>& toks) {
    size_t k = 1;
    if (k + 1 < toks.size() && IsWord(text, toks[k], "OR") && IsWord(text, toks[k + 1], "REPLACE")) k += 2;
    if (k < toks.size() && (IsWord(text, toks[k], "EDITIONABLE") || IsWord(text, toks[k], "NONEDITIONABLE"))) ++k;
    return k;
}

// The stored text and status of (name, type); false when there is none.
bool LoadSource(Session& s, const std::string& name, const char* type, std::string& text, bool& valid) {
    sqlite3_stmt* q = nullptr;
    std::string sql = std::string("SELECT text, status FROM ") + kSourceTable + " WHERE name = ?1 AND type = ?2";
    if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr) != SQLITE_OK) {
        sqlite3_finalize(q);
        return false;
    }
    sqlite3_bind_text(q, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(q, 2, type, -1, SQLITE_STATIC);
    bool found = false;
    if (sqlite3_step(q) == SQLITE_ROW) {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
        const char* st = reinterpret_cast<const char*>(sqlite3_column_text(q, 1));
        text = t ? t : "";
        valid = st && std::strcmp(st, "VALID") == 0;
        found = true;
    }
    sqlite3_finalize(q);
    return found;
}

OraError Invalid(Session& s, const std::string& name) {
    return MakeError(kOraCompile, "1", "1", "PLS-00905: object " + s.user() + "." + name + " is invalid");
}

void ResultValue(sqlite3_context* ctx, const Value& v) {
    switch (v.type) {
        case Value::Null: sqlite3_result_null(ctx); break;
        case Value::Int: sqlite3_result_int64(ctx, v.i); break;
        case Value::Real: sqlite3_result_double(ctx, v.d); break;
        case Value::Text: sqlite3_result_text(ctx, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT); break;
    }
}

// Calls fn with the SQL arguments argv[first..argc) and sets the result of ctx.
void CallFunctionFromSql(sqlite3_context* ctx, Session& s, Interpreter& in, const Subprogram& fn, Frame* link,
                         int first, int argc, sqlite3_value** argv) {
    size_t n = static_cast<size_t>(argc - first);
    if (n > fn.params.size()) {
        OraError e = MakeError(kOraCompile, "1", "1", "PLS-00306: wrong number or types of arguments in call to '" + fn.name + "'");
        in.pendingCallError = e;
        sqlite3_result_error(ctx, e.text.c_str(), -1);
        return;
    }
    std::vector<Datum> args(fn.params.size());
    std::vector<bool> given(fn.params.size(), false);
    for (size_t k = 0; k < n; ++k) {
        args[k].v = ValueOfSqlArgument(argv[static_cast<size_t>(first) + k]);
        given[k] = true;
    }
    Value result;
    (void)s;
    OraError e = in.Call(fn, link, args, given, &result);
    if (e) {
        in.pendingCallError = e;
        in.pendingCallExc = in.raised();
        sqlite3_result_error(ctx, e.text.c_str(), -1);
        return;
    }
    ResultValue(ctx, result);
}

struct SqlCallable {
    Session* session;
    std::string name;
};

void SqlCallableFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    auto* c = static_cast<SqlCallable*>(sqlite3_user_data(ctx));
    Session& s = *c->session;
    OraError err;
    std::shared_ptr<void> keep;
    auto fn = FindStoredSubprogram(s, c->name, err, keep);
    if (err || !fn || !fn->isFunction) {
        // from SQL, a unit that does not compile is "in an invalid state"
        if (err) err = MakeRawError(kOraStoredInvalid, "Package or function " + c->name + " is in an invalid state");
        else err = MakeError(904, c->name);
        sqlite3_result_error(ctx, err.text.c_str(), -1);
        return;
    }
    PlState& st = EngineOf(s);
    if (st.current) {
        CallFunctionFromSql(ctx, s, *st.current, *fn, nullptr, 0, argc, argv);
        return;
    }
    Interpreter in(s, nullptr, nullptr);
    CallFunctionFromSql(ctx, s, in, *fn, nullptr, 0, argc, argv);
}

struct PackageCallable {
    Session* session;
    std::string package, name;
};

// A function of a package called from SQL: pkg.f(args).
void PackageFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    auto* c = static_cast<PackageCallable*>(sqlite3_user_data(ctx));
    Session& s = *c->session;
    OraError err;
    auto pkg = FindPackage(s, c->package, err);
    std::shared_ptr<Subprogram> fn;
    if (pkg) {
        auto it = pkg->subs.find(c->name);
        if (it != pkg->subs.end())
            for (auto& sp : it->second)
                if (sp->isFunction && sp->params.size() >= static_cast<size_t>(argc) && (!fn || sp->params.size() < fn->params.size()))
                    fn = sp;
    }
    if (err || !fn) {
        err = err ? MakeRawError(kOraStoredInvalid, "Package or function " + c->package + " is in an invalid state")
                  : MakeError(904, "\"" + c->package + "\".\"" + c->name + "\"");
        sqlite3_result_error(ctx, err.text.c_str(), -1);
        return;
    }
    PlState& st = EngineOf(s);
    std::unique_ptr<Interpreter> own;
    Interpreter* in = st.current;
    if (!in) {
        own = std::make_unique<Interpreter>(s, nullptr, nullptr);
        in = own.get();
    }
    if (!pkg->initialised) {
        if (OraError e = in->RunPackageInit(*pkg)) {
            in->pendingCallError = e;
            sqlite3_result_error(ctx, e.text.c_str(), -1);
            return;
        }
    }
    CallFunctionFromSql(ctx, s, *in, *fn, nullptr, 0, argc, argv);
}

}  // namespace

bool RegisterPackageCallable(Session& s, const std::string& package, const std::string& name, std::string& sqlName) {
    std::string text;
    bool valid = false;
    if (!LoadSource(s, package, "PACKAGE", text, valid)) return false;
    sqlName = "\"" + package + "." + name + "\"";
    auto* c = new PackageCallable{&s, package, name};
    int rc = sqlite3_create_function_v2(s.db(), (package + "." + name).c_str(), -1, SQLITE_UTF8, c, PackageFunction,
                                        nullptr, nullptr, [](void* p) { delete static_cast<PackageCallable*>(p); });
    return rc == SQLITE_OK;
}

bool CallWithoutParentheses(Session& s, std::string& sql) {
    const char* msg = sqlite3_errmsg(s.db());
    if (std::strncmp(msg, "no such column: ", 16) != 0) return false;
    std::string name = Upper(msg + 16);
    int off = sqlite3_error_offset(s.db());
    if (off < 0 || static_cast<size_t>(off) >= sql.size()) return false;
    // the offset may point at the last part of a dotted name
    auto wordChar = [](char ch) {
        return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '$' || ch == '#' || ch == '"';
    };
    for (;;) {
        int p = off - 1;
        while (p >= 0 && sql[static_cast<size_t>(p)] == ' ') --p;
        if (p < 1 || sql[static_cast<size_t>(p)] != '.') break;
        --p;
        while (p >= 0 && sql[static_cast<size_t>(p)] == ' ') --p;
        if (p < 0 || !wordChar(sql[static_cast<size_t>(p)])) break;
        while (p > 0 && wordChar(sql[static_cast<size_t>(p) - 1])) --p;
        off = p;
    }
    // the name as the statement spells it: words and quoted words joined by dots
    size_t end = static_cast<size_t>(off);
    std::string spelled;
    for (;;) {
        if (end < sql.size() && sql[end] == '"') {
            size_t close = sql.find('"', end + 1);
            if (close == std::string::npos) return false;
            spelled += sql.substr(end + 1, close - end - 1);
            end = close + 1;
        } else {
            size_t from = end;
            while (end < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[end])) || sql[end] == '_' ||
                                        sql[end] == '$' || sql[end] == '#'))
                ++end;
            if (end == from) return false;
            spelled += sql.substr(from, end - from);
        }
        size_t dot = end;
        while (dot < sql.size() && sql[dot] == ' ') ++dot;
        if (dot + 1 < sql.size() && sql[dot] == '.') {
            spelled += '.';
            end = dot + 1;
            while (end < sql.size() && sql[end] == ' ') ++end;
            continue;
        }
        break;
    }
    if (Upper(spelled) != name) return false;
    size_t dot = name.find('.');
    std::string call;
    bool known;
    if (dot == std::string::npos) {
        known = RegisterSqlCallable(s, name);
        call = sql.substr(static_cast<size_t>(off), end - static_cast<size_t>(off)) + "()";
    } else {
        known = name.find('.', dot + 1) == std::string::npos &&
                RegisterPackageCallable(s, name.substr(0, dot), name.substr(dot + 1), call);
        call += "()";
    }
    if (!known) {
        // looking the name up overwrote the connection's error; the caller reports the statement's own
        sqlite3_stmt* again = nullptr;
        sqlite3_prepare_v2(s.db(), sql.c_str(), static_cast<int>(sql.size()), &again, nullptr);
        sqlite3_finalize(again);
        return false;
    }
    sql.replace(static_cast<size_t>(off), end - static_cast<size_t>(off), call);
    return true;
}

PlState& EngineOf(Session& s) {
    auto& slot = s.plEngine();
    if (!slot) {
        auto st = std::make_shared<PlState>();
        st->session = &s;
        sqlite3_create_function_v2(s.db(), "LITEOCI_PLCALL", -1, SQLITE_UTF8, &s, PlCallFunction, nullptr, nullptr, nullptr);
        RegisterTriggerFunctions(s);
        slot = st;
    }
    return *static_cast<PlState*>(slot.get());
}

PlState::~PlState() {
    sqlite3_finalize(triggerLookup);
    // programs unregister their targets while the map still exists
    units.clear();
    packages.clear();
}

int64_t RegisterTarget(Session& s, CallTarget t) {
    PlState& st = EngineOf(s);
    int64_t id = st.nextTarget++;
    st.targets.emplace(id, std::move(t));
    return id;
}

void UnregisterTargets(Session& s, const std::vector<int64_t>& ids) {
    PlState& st = EngineOf(s);
    for (int64_t id : ids) st.targets.erase(id);
}

std::shared_ptr<Subprogram> FindStoredSubprogram(Session& s, const std::string& name, OraError& err,
                                                 std::shared_ptr<void>& keep) {
    err = OraError{};
    PlState& st = EngineOf(s);
    for (const char* type : {"PROCEDURE", "FUNCTION"}) {
        std::string text;
        bool valid = false;
        if (!LoadSource(s, name, type, text, valid)) continue;
        if (!valid) {
            err = Invalid(s, name);
            return nullptr;
        }
        std::string key = std::string(type) + " " + name;
        auto it = st.units.find(key);
        if (it != st.units.end() && st.unitText[key] == text) {
            keep = it->second;
            return it->second->main;
        }
        if (st.compiling.count(key)) return nullptr;
        st.compiling.insert(key);
        Lexed lx = Lex(text);
        std::shared_ptr<Program> prog;
        OraError e = lx.error ? lx.error
                              : CompileUnit(s, type, name, text, lx.toks, KindToken(text, lx.toks), lx.toks.size(), prog, nullptr);
        st.compiling.erase(key);
        if (e) {
            err = Invalid(s, name);
            return nullptr;
        }
        st.units[key] = prog;
        st.unitText[key] = text;
        keep = prog;
        return prog->main;
    }
    return nullptr;
}

std::shared_ptr<Package> FindPackage(Session& s, const std::string& name, OraError& err) {
    err = OraError{};
    PlState& st = EngineOf(s);
    std::string spec, body;
    bool specValid = false, bodyValid = false;
    if (!LoadSource(s, name, "PACKAGE", spec, specValid)) return nullptr;
    bool hasBody = LoadSource(s, name, "PACKAGE BODY", body, bodyValid);
    auto it = st.packages.find(name);
    if (it != st.packages.end()) {
        if (st.compiling.count("PACKAGE " + name)) return it->second;
        if (st.unitText["PACKAGE " + name] == spec && st.unitText["PACKAGE BODY " + name] == (hasBody ? body : ""))
            return it->second;
    }
    if (!specValid || (hasBody && !bodyValid)) {
        err = Invalid(s, name);
        return nullptr;
    }
    auto pkg = std::make_shared<Package>();
    pkg->name = name;
    st.packages[name] = pkg;
    st.compiling.insert("PACKAGE " + name);
    Lexed lx = Lex(spec);
    std::shared_ptr<Program> sp, bp;
    OraError e = lx.error ? lx.error
                          : CompileUnit(s, "PACKAGE", name, spec, lx.toks, KindToken(spec, lx.toks), lx.toks.size(), sp, pkg);
    if (!e && hasBody) {
        Lexed lb = Lex(body);
        e = lb.error ? lb.error
                     : CompileUnit(s, "PACKAGE BODY", name, body, lb.toks, KindToken(body, lb.toks), lb.toks.size(), bp, pkg);
    }
    st.compiling.erase("PACKAGE " + name);
    if (e) {
        st.packages.erase(name);
        err = Invalid(s, name);
        return nullptr;
    }
    pkg->spec = sp;
    pkg->body = bp;
    st.unitText["PACKAGE " + name] = spec;
    st.unitText["PACKAGE BODY " + name] = hasBody ? body : "";
    return pkg;
}

OraError CheckUnit(Session& s, const std::string& kind, const std::string& name, std::string_view text,
                   const std::vector<Token>& toks, size_t kindTok) {
    PlState& st = EngineOf(s);
    std::shared_ptr<Program> prog;
    if (kind == "PROCEDURE" || kind == "FUNCTION")
        return CompileUnit(s, kind, name, text, toks, kindTok, toks.size(), prog, nullptr);
    if (kind == "PACKAGE") {
        auto pkg = std::make_shared<Package>();
        pkg->name = name;
        return CompileUnit(s, kind, name, text, toks, kindTok, toks.size(), prog, pkg);
    }
    if (kind == "PACKAGE BODY") {
        std::string spec;
        bool valid = false;
        if (!LoadSource(s, name, "PACKAGE", spec, valid) || !valid)
            return MakeError(kOraCompile, "0", "0", "PLS-00201: identifier '" + name + "' must be declared");
        auto pkg = std::make_shared<Package>();
        pkg->name = name;
        auto saved = st.packages.find(name) != st.packages.end() ? st.packages[name] : nullptr;
        st.packages[name] = pkg;
        st.compiling.insert("PACKAGE " + name);
        Lexed lx = Lex(spec);
        std::shared_ptr<Program> sp;
        OraError e = lx.error ? lx.error
                              : CompileUnit(s, "PACKAGE", name, spec, lx.toks, KindToken(spec, lx.toks), lx.toks.size(), sp, pkg);
        if (!e) e = CompileUnit(s, kind, name, text, toks, kindTok, toks.size(), prog, pkg);
        st.compiling.erase("PACKAGE " + name);
        if (saved) st.packages[name] = saved;
        else st.packages.erase(name);
        return e;
    }
    return {};
}

bool RegisterSqlCallable(Session& s, const std::string& upperName) {
    std::string text;
    bool valid = false;
    if (!LoadSource(s, upperName, "FUNCTION", text, valid)) return false;
    auto* c = new SqlCallable{&s, upperName};
    int rc = sqlite3_create_function_v2(s.db(), upperName.c_str(), -1, SQLITE_UTF8, c, SqlCallableFunction, nullptr,
                                        nullptr, [](void* p) { delete static_cast<SqlCallable*>(p); });
    return rc == SQLITE_OK;
}

OraError RunProgram(Session& s, Program& prog, std::vector<Value>& binds, std::vector<bool>& assigned) {
    Interpreter in(s, &binds, &assigned);
    return in.RunMain(prog);
}

OraError RunStatementText(Session& s, const std::string& text) {
    // The session is borrowed, not owned: the handles live only for this call.
    std::shared_ptr<Session> borrowed(std::shared_ptr<Session>{}, &s);
    SessionHandle sh;
    sh.session = borrowed;
    SvcCtxHandle svc;
    svc.session = &sh;
    StmtHandle st;
    ErrorHandle err;
    PrepareStatement(&st, text.c_str(), text.size());
    sword rc = ExecuteStatement(&svc, &st, &err, st.cls.cls == StmtClass::Query ? 0 : 1, OCI_DEFAULT);
    st.session.reset();
    if (rc == OCI_ERROR) return err.record;
    return {};
}

void PlCallFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    Session& s = *static_cast<Session*>(sqlite3_user_data(ctx));
    PlState& st = EngineOf(s);
    auto it = argc > 0 ? st.targets.find(sqlite3_value_int64(argv[0])) : st.targets.end();
    if (it == st.targets.end()) {
        sqlite3_result_error(ctx, "ORA-00904: \"LITEOCI_PLCALL\": invalid identifier", -1);
        return;
    }
    const CallTarget& t = it->second;
    std::unique_ptr<Interpreter> own;
    Interpreter* in = st.current;
    if (!in) {
        own = std::make_unique<Interpreter>(s, nullptr, nullptr);
        in = own.get();
    }
    Value out;
    OraError e;
    switch (t.kind) {
        case CallTarget::Function: {
            Frame* link = t.linkUp >= 0 ? in->Climb(t.linkUp) : nullptr;
            if (t.fn->owner && !t.fn->owner->unitName.empty()) {
                for (auto& [name, pkg] : st.packages)
                    if (pkg->body.get() == t.fn->owner && !pkg->initialised) e = in->RunPackageInit(*pkg);
            }
            if (!e) {
                CallFunctionFromSql(ctx, s, *in, *t.fn, link, 1, argc, argv);
                return;
            }
            break;
        }
        case CallTarget::Builtin: {
            std::vector<Value> args;
            for (int k = 1; k < argc; ++k) args.push_back(ValueOfSqlArgument(argv[k]));
            e = CallBuiltinFunction(*in, t.builtin, args, out);
            break;
        }
        case CallTarget::Element:
            e = in->ElementOf(t, argc > 1 ? ValueOfSqlArgument(argv[1]) : Value{}, out);
            break;
        case CallTarget::Method: e = in->Method(t, argc, argv, out); break;
    }
    if (e) {
        in->pendingCallError = e;
        in->pendingCallExc = nullptr;
        sqlite3_result_error(ctx, e.text.c_str(), -1);
        return;
    }
    ResultValue(ctx, out);
}

Value ValueOfSqlArgument(sqlite3_value* a) {
    Value v;
    switch (sqlite3_value_type(a)) {
        case SQLITE_INTEGER: v.type = Value::Int, v.i = sqlite3_value_int64(a); break;
        case SQLITE_FLOAT: v.type = Value::Real, v.d = sqlite3_value_double(a); break;
        case SQLITE_NULL: break;
        default: {
            const char* p = reinterpret_cast<const char*>(sqlite3_value_text(a));
            v.s.assign(p ? p : "", static_cast<size_t>(sqlite3_value_bytes(a)));
            if (!v.s.empty()) v.type = Value::Text;
        }
    }
    return v;
}

}  // namespace liteoci
