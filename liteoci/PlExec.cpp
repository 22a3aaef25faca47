#include "PlExec.h"

#include <cmath>
#include <cstring>

#include "OuterJoin.h"
#include "PlTriggers.h"
#include "StackGuard.h"
#include "Translate.h"

namespace liteoci {
namespace {

OraError PlError(int code, const char* text) { return MakeRawError(code, text); }


}  // namespace

std::string ValueToText(const Value& v) { return ValueText(v); }

OraError ToNumber(const Value& v, Value& out) {
    if (v.type != Value::Text) {
        out = v;
        return {};
    }
    double d;
    if (ParseNumberText(v.s, d)) return MakeError(kOraValueError, ": character to number conversion error");
    out = Value{};
    if (std::fabs(d) < 9e15 && d == std::trunc(d)) out.type = Value::Int, out.i = static_cast<int64_t>(d);
    else out.type = Value::Real, out.d = d;
    return {};
}

Interpreter::Interpreter(Session& s, std::vector<Value>* binds, std::vector<bool>* assigned)
    : s_(s), st_(EngineOf(s)), outer_(st_.current), binds_(binds), assigned_(assigned) {
    st_.current = this;
}

Interpreter::~Interpreter() { st_.current = outer_; }

Frame* Interpreter::Climb(int up) {
    Frame* f = frame_;
    for (int k = 0; k < up && f; ++k) f = f->link;
    return f;
}

Datum* Interpreter::Resolve(const VarRef& r) {
    Datum* d = nullptr;
    if (r.pkg) {
        if (!r.pkg->initialised) RunPackageInit(*r.pkg);
        if (r.slot < 0 || static_cast<size_t>(r.slot) >= r.pkg->frame.size()) return nullptr;
        d = &r.pkg->frame[static_cast<size_t>(r.slot)];
    } else {
        Frame* f = Climb(r.up);
        if (!f || r.slot < 0 || static_cast<size_t>(r.slot) >= f->slots.size()) return nullptr;
        d = &f->slots[static_cast<size_t>(r.slot)];
    }
    for (int p : r.path) {
        if (static_cast<size_t>(p) >= d->fields.size()) return nullptr;
        d = &d->fields[static_cast<size_t>(p)];
    }
    return d;
}

std::string Interpreter::Where(const Frame& f) const {
    const Program* p = f.sub ? f.sub->owner : prog_;
    if (!p || f.pendingPos < 0) return {};
    int line, col;
    LineColumn(p->text, static_cast<uint32_t>(f.pendingPos), line, col);
    if (p->unitName.empty()) return "at line " + std::to_string(line);
    return "at \"" + p->unitName + "\", line " + std::to_string(line);
}

OraError Interpreter::Located(OraError e, uint32_t pos) {
    if (e && frame_ && frame_->pendingPos < 0) frame_->pendingPos = static_cast<int>(pos);
    return e;
}

OraError Interpreter::Raise(OraError e, const ExcDecl* exc) {
    raised_ = exc;
    return e;
}

// ---- expressions -------------------------------------------------------------------------------

OraError Interpreter::Bind(Expr& x, sqlite3_stmt* vm) {
    for (size_t k = 0; k < x.operands.size(); ++k) {
        const Operand& o = x.operands[k];
        Value v;
        switch (o.kind) {
            case Operand::Bind:
                if (binds_ && static_cast<size_t>(o.bind) < binds_->size()) v = (*binds_)[static_cast<size_t>(o.bind)];
                break;
            case Operand::Var: {
                Datum* d = Resolve(o.var);
                if (!d) return MakeError(kOraProgramError);
                if (!d->fields.empty() || d->coll)
                    return MakeError(kOraValueError, "");
                v = d->v;
                break;
            }
            case Operand::SqlAttr:
            case Operand::CursorAttr: {
                bool found = false, open = false, used = true;
                int64_t count = 0;
                if (o.kind == Operand::SqlAttr) {
                    found = sqlFound_, count = sqlRowCount_, used = sqlUsed_;
                } else {
                    Datum* d = Resolve(o.var);
                    CursorState* c = d ? d->cursor.get() : nullptr;
                    if (!c || !c->open) {
                        if (o.attr != Operand::IsOpen) return MakeError(kOraInvalidCursor);
                    } else {
                        open = true, found = c->found, count = c->rowCount, used = c->fetched;
                    }
                }
                v.type = Value::Int;
                switch (o.attr) {
                    case Operand::Found:
                        if (!used) v.type = Value::Null;
                        v.i = found;
                        break;
                    case Operand::NotFound:
                        if (!used) v.type = Value::Null;
                        v.i = !found;
                        break;
                    case Operand::RowCount:
                        if (o.kind == Operand::SqlAttr && !used) v.type = Value::Null;
                        v.i = count;
                        break;
                    case Operand::IsOpen: v.i = o.kind == Operand::SqlAttr ? 0 : open; break;
                }
                break;
            }
        }
        BindValue(vm, static_cast<int>(k) + 1, v);
    }
    return {};
}

// Steps x once; vm is x.vm or, when x is already being stepped (recursion), a statement of its own.
OraError Interpreter::EvalRow(Expr& x, sqlite3_stmt*& vm, bool& owned) {
    if (s_.cancelled()) return MakeError(kOraCancelled);
    owned = false;
    vm = x.vm;
    if (!st_.mutating.empty() && !x.tables.empty())
        if (OraError e = CheckMutating(s_, x.tables)) return e;
    if (x.busy || !vm) {
        if (sqlite3_prepare_v2(s_.db(), x.sql.c_str(), static_cast<int>(x.sql.size()), &vm, nullptr) != SQLITE_OK) {
            OraError e = s_.MapError(sqlite3_errcode(s_.db()));
            sqlite3_finalize(vm);
            vm = nullptr;
            return e;
        }
        owned = true;
    } else {
        sqlite3_reset(vm);
    }
    if (OraError e = Bind(x, vm)) {
        if (owned) sqlite3_finalize(vm);
        return e;
    }
    return {};
}

OraError Interpreter::Eval(Expr& x, Value& out) {
    sqlite3_stmt* vm;
    bool owned;
    if (OraError e = EvalRow(x, vm, owned)) return e;
    bool wasBusy = x.busy;
    x.busy = true;
    pendingCallError = OraError{};
    int rc = sqlite3_step(vm);
    x.busy = wasBusy;
    OraError e;
    if (rc == SQLITE_ROW) out = ValueFromColumn(vm, 0);
    else if (pendingCallError) {
        e = pendingCallError;
        raised_ = pendingCallExc;
    } else e = s_.MapError(rc);
    pendingCallError = OraError{};
    if (owned) sqlite3_finalize(vm);
    else sqlite3_reset(vm);
    return e;
}

OraError Interpreter::Truth(Expr& x, bool& out) {
    Value v;
    if (OraError e = Eval(x, v)) return e;
    out = (v.type == Value::Int && v.i != 0) || (v.type == Value::Real && v.d != 0);
    return {};
}

// ---- assignment --------------------------------------------------------------------------------

OraError Interpreter::Store(Datum& d, const TypeP& type, Value v, uint32_t pos) {
    if (type && v.type != Value::Null) {
        switch (type->kind) {
            case PlType::Number:
            case PlType::Boolean:
                if (OraError e = ToNumber(v, v)) return e;
                if (type->integer && v.type == Value::Real) {
                    v.i = static_cast<int64_t>(std::llround(v.d));
                    v.type = Value::Int;
                }
                break;
            case PlType::Varchar:
                if (v.type != Value::Text) v.s = ValueText(v), v.type = Value::Text;
                if (type->maxLen > 0 && v.s.size() > type->maxLen)
                    return MakeError(kOraValueError, ": character string buffer too small");
                break;
            default: break;
        }
    }
    (void)pos;
    d.v = std::move(v);
    return {};
}

OraError Interpreter::AssignDatum(LValue& t, Datum d, uint32_t pos) {
    if (t.bind) {
        (*binds_)[static_cast<size_t>(t.bindSlot)] = d.v;
        (*assigned_)[static_cast<size_t>(t.bindSlot)] = true;
        return {};
    }
    Datum* base = Resolve(t.var);
    if (!base) return MakeError(kOraProgramError);
    if (t.index) {
        Value key;
        if (OraError e = Eval(*t.index, key)) return e;
        if (!base->coll) return PlError(kOraCollectionIsNull, "Reference to uninitialized collection");
        if (key.type == Value::Null) return MakeError(kOraValueError, ": NULL index table key value");
        CollKey k;
        if (t.textKeys) {
            k.s = ValueText(key);
        } else {
            Value n;
            if (ToNumber(key, n)) return MakeError(kOraValueError, ": character to number conversion error");
            k.i = n.type == Value::Int ? n.i : static_cast<int64_t>(std::llround(n.d));
        }
        if (t.bounded && (k.i < 1 || k.i > base->coll->extent))
            return PlError(kOraSubscriptBeyondCount, "Subscript beyond count");
        auto it = base->coll->items.find(k);
        if (it == base->coll->items.end()) it = base->coll->items.emplace(k, Datum{}).first;
        Datum* dst = &it->second;
        for (int p : t.afterPath) {
            if (static_cast<size_t>(p) >= dst->fields.size()) dst->fields.resize(static_cast<size_t>(p) + 1);
            dst = &dst->fields[static_cast<size_t>(p)];
        }
        if (!d.fields.empty() || d.coll) {
            *dst = std::move(d);
            return {};
        }
        return Store(*dst, t.type, std::move(d.v), pos);
    }
    if (!d.fields.empty() || d.coll || (t.type && t.type->IsComposite())) {
        *base = std::move(d);
        return {};
    }
    return Store(*base, t.type, std::move(d.v), pos);
}

OraError Interpreter::Assign(LValue& t, Value v, uint32_t pos) {
    Datum d;
    d.v = std::move(v);
    return AssignDatum(t, std::move(d), pos);
}

// A collection constructor "t(a, b, ...)" or "t()".
OraError Interpreter::Construct(Expr& x, const TypeP& type, Datum& out) {
    out = Datum{};
    out.coll = std::make_shared<Collection>();
    if (x.sql == "CONSTRUCTOR") return {};
    sqlite3_stmt* vm;
    bool owned;
    std::string saved = x.sql;
    if (OraError e = EvalRow(x, vm, owned)) return e;
    int rc = sqlite3_step(vm);
    OraError e;
    if (rc == SQLITE_ROW) {
        int n = sqlite3_column_count(vm);
        if (type && type->kind == PlType::Varray && type->limit > 0 && static_cast<size_t>(n) > type->limit)
            e = PlError(kOraSubscriptOutsideLimit, "Subscript outside of limit");
        for (int c = 0; c < n && !e; ++c) {
            CollKey k;
            k.i = c + 1;
            Datum d;
            e = Store(d, type ? type->elem : nullptr, ValueFromColumn(vm, c), x.pos);
            out.coll->items.emplace(k, std::move(d));
        }
        out.coll->extent = n;
    } else {
        e = pendingCallError ? pendingCallError : s_.MapError(rc);
    }
    if (owned) sqlite3_finalize(vm);
    else sqlite3_reset(vm);
    return e;
}

// ---- statements --------------------------------------------------------------------------------

OraError Interpreter::RunList(Body& list) {
    for (Node& n : list) {
        if (OraError e = Run(n)) return e;
        if (flow_ != Flow::Normal) return {};
    }
    return {};
}

OraError Interpreter::InitDecls(Node& n) {
    for (auto& [slot, type] : n.fresh) frame_->slots[static_cast<size_t>(slot)] = InitialDatum(*type);
    for (size_t k = 0; k < n.inits.size(); ++k) {
        auto& [slot, init] = n.inits[k];
        if (!init) continue;
        const TypeP& type = n.fresh[k].second;
        Datum& d = frame_->slots[static_cast<size_t>(slot)];
        if (init->sql.rfind("CONSTRUCTOR", 0) == 0) {
            Expr& x = *init;
            if (x.sql != "CONSTRUCTOR") {
                std::string full = x.sql;
            }
            if (OraError e = Construct(*init, type, d)) return Located(e, init->pos);
            continue;
        }
        Value v;
        if (OraError e = Eval(*init, v)) return Located(e, init->pos);
        if (OraError e = Store(d, type, std::move(v), init->pos)) return Located(e, init->pos);
    }
    return {};
}

OraError Interpreter::RunBlock(Node& n) {
    if (OraError e = InitDecls(n)) return e;
    OraError e = RunList(n.bodies[0]);
    if (!e || e.code == kOraCancelled || n.handlers.empty()) return e;
    const ExcDecl* exc = raised_;
    for (Handler& h : n.handlers) {
        bool match = false;
        for (int c : h.codes) match = match || c == 0 || (c == e.code && !exc) || (c == e.code && exc && exc->code);
        for (const ExcDecl* x : h.exceptions) match = match || x == exc || (x->code != 0 && x->code == e.code);
        if (!match) continue;
        // the error is handled: its position no longer counts, but the backtrace keeps it
        std::string trace;
        for (size_t at = e.text.find("\nORA-06512: "); at != std::string::npos; at = e.text.find("\nORA-06512: ", at + 1)) {
            size_t nl = e.text.find('\n', at + 1);
            trace += e.text.substr(at + 1, nl == std::string::npos ? std::string::npos : nl - at - 1) + "\n";
        }
        std::string here = Where(*frame_);
        if (!here.empty()) trace += "ORA-06512: " + here + "\n";
        st_.lastBacktrace = trace;
        frame_->pendingPos = -1;
        raised_ = nullptr;
        handling_.push_back(e);
        handlingExc_.push_back(exc);
        st_.lastErrorStack = e.text;
        OraError r = RunList(h.body);
        handling_.pop_back();
        handlingExc_.pop_back();
        return r;
    }
    return e;
}

OraError Interpreter::BeginDml() {
    if (OraError e = s_.BeginWrite()) return e;
    if (topLevel_ && !savepoint_) savepoint_ = !s_.Exec("SAVEPOINT liteoci_block");
    return {};
}

OraError Interpreter::Run(Node& n) {
    if (s_.cancelled()) return MakeError(kOraCancelled);
    OraError e;
    switch (n.kind) {
        case Node::Null: return {};
        case Node::Assign: {
            LValue& t = n.targets[0];
            Expr& x = *n.exprs[0];
            if (x.sql.rfind("CONSTRUCTOR", 0) == 0) {
                Datum d;
                if (OraError err = Construct(x, t.type, d)) return Located(err, n.pos);
                return Located(AssignDatum(t, std::move(d), n.pos), n.pos);
            }
            // a record or collection assigned whole: "r := other_r"
            if (t.type && t.type->IsComposite() && x.operands.size() == 1 && x.operands[0].kind == Operand::Var &&
                x.sql == "SELECT ?1") {
                Datum* src = Resolve(x.operands[0].var);
                if (!src) return Located(MakeError(kOraProgramError), n.pos);
                return Located(AssignDatum(t, CopyDatum(*src), n.pos), n.pos);
            }
            Value v;
            if (OraError err = Eval(x, v)) return Located(err, n.pos);
            return Located(Assign(t, std::move(v), n.pos), n.pos);
        }
        case Node::Call: return RunCall(n);
        case Node::If:
        case Node::Case: {
            for (size_t k = 0; k < n.exprs.size(); ++k) {
                bool t = false;
                if (OraError err = Truth(*n.exprs[k], t)) return Located(err, n.exprs[k]->pos);
                if (t) return RunList(n.bodies[k]);
            }
            if (n.hasElse) return RunList(n.bodies.back());
            if (n.kind == Node::Case) return Located(PlError(kOraCaseNotFound, "CASE not found while executing CASE statement"), n.pos);
            return {};
        }
        case Node::Loop:
        case Node::While:
            for (;;) {
                if (s_.cancelled()) return MakeError(kOraCancelled);
                if (n.kind == Node::While) {
                    bool t = false;
                    if (OraError err = Truth(*n.exprs[0], t)) return Located(err, n.pos);
                    if (!t) break;
                }
                if (OraError err = RunList(n.bodies[0])) return err;
                if (flow_ == Flow::Continue && (flowLabel_.empty() || flowLabel_ == n.label)) {
                    flow_ = Flow::Normal;
                    continue;
                }
                if (flow_ == Flow::Exit && (flowLabel_.empty() || flowLabel_ == n.label)) {
                    flow_ = Flow::Normal;
                    break;
                }
                if (flow_ != Flow::Normal) break;
            }
            return {};
        case Node::ForNum: {
            Value lo, hi;
            if (OraError err = Eval(*n.exprs[0], lo)) return Located(err, n.pos);
            if (OraError err = Eval(*n.exprs[1], hi)) return Located(err, n.pos);
            if (lo.type == Value::Null || hi.type == Value::Null)
                return Located(MakeError(kOraValueError, ": FOR loop index is null"), n.pos);
            if (OraError err = ToNumber(lo, lo)) return Located(err, n.pos);
            if (OraError err = ToNumber(hi, hi)) return Located(err, n.pos);
            auto asInt = [](const Value& x) { return x.type == Value::Int ? x.i : static_cast<int64_t>(std::llround(x.d)); };
            int64_t a = asInt(lo), b = asInt(hi);
            for (int64_t k = n.reverse ? b : a; n.reverse ? k >= a : k <= b; n.reverse ? --k : ++k) {
                if (s_.cancelled()) return MakeError(kOraCancelled);
                Datum& d = frame_->slots[static_cast<size_t>(n.varSlot)];
                d.v.type = Value::Int;
                d.v.i = k;
                if (OraError err = RunList(n.bodies[0])) return err;
                if (flow_ == Flow::Continue && (flowLabel_.empty() || flowLabel_ == n.label)) {
                    flow_ = Flow::Normal;
                    continue;
                }
                if (flow_ == Flow::Exit && (flowLabel_.empty() || flowLabel_ == n.label)) {
                    flow_ = Flow::Normal;
                    break;
                }
                if (flow_ != Flow::Normal) break;
            }
            return {};
        }
        case Node::ForCursor: return RunCursorLoop(n);
        case Node::Exit:
        case Node::Continue: {
            bool t = true;
            if (!n.exprs.empty())
                if (OraError err = Truth(*n.exprs[0], t)) return Located(err, n.pos);
            if (t) {
                flow_ = n.kind == Node::Exit ? Flow::Exit : Flow::Continue;
                flowLabel_ = n.label;
            }
            return {};
        }
        case Node::Return:
            if (!n.exprs.empty())
                if (OraError err = Eval(*n.exprs[0], ret_)) return Located(err, n.pos);
            flow_ = Flow::Return;
            return {};
        case Node::Raise: {
            if (n.exc) {
                if (n.exc->code == 0)
                    return Located(Raise(PlError(kOraUserException, "PL/SQL: unhandled user-defined exception"), n.exc), n.pos);
                OraError x = n.exc->code >= 20000 && n.exc->code <= 20999 ? MakeRawError(n.exc->code, "")
                                                                            : MakeError(n.exc->code);
                if (x.text.find("unknown error") != std::string::npos) x = MakeRawError(n.exc->code, "");
                return Located(Raise(x, n.exc), n.pos);
            }
            return Located(Raise(MakeError(n.excCode), nullptr), n.pos);
        }
        case Node::Reraise:
            if (handling_.empty())
                return Located(MakeRawError(kOraCompile, "RAISE outside a handler"), n.pos);
            return Located(Raise(handling_.back(), handlingExc_.back()), n.pos);
        case Node::Sql: return RunSql(n);
        case Node::SelectInto: return RunSelectInto(n);
        case Node::Open: return RunOpen(n);
        case Node::Fetch: return RunFetch(n);
        case Node::Close: {
            CursorState* c = CursorOf(n);
            if (!c || !c->open) return Located(MakeError(kOraInvalidCursor), n.pos);
            sqlite3_finalize(c->vm);
            c->vm = nullptr;
            c->open = false;
            return {};
        }
        case Node::ExecImmediate: return RunExecImmediate(n);
        case Node::Forall: return RunForall(n);
        case Node::Block: return RunBlock(n);
        case Node::Commit:
            // a trigger's statement must be able to undo what the trigger did
            if (st_.dmlDepth > 0) return Located(MakeError(4092, "COMMIT"), n.pos);
            savepoint_ = false;
            if (OraError err = s_.Commit()) return Located(err, n.pos);
            return {};
        case Node::Rollback:
            if (st_.dmlDepth > 0) return Located(MakeError(4092, "ROLLBACK"), n.pos);
            savepoint_ = false;
            if (OraError err = s_.Rollback()) return Located(err, n.pos);
            return {};
    }
    return e;
}

OraError Interpreter::RunSql(Node& n) {
    Expr& x = *n.exprs[0];
    if (OraError e = BeginDml()) return Located(e, n.pos);
    sqlite3_stmt* vm;
    bool owned;
    if (OraError e = EvalRow(x, vm, owned)) return Located(e, n.pos);
    pendingCallError = OraError{};
    OraError e;
    int64_t changes = 0;
    if (RunDmlWithTriggers(s_, vm, n.dml, nullptr, e, changes)) {
        if (!e) {
            sqlRowCount_ = changes;
            sqlFound_ = changes > 0;
            sqlUsed_ = true;
        }
    } else {
        int rc = sqlite3_step(vm);
        while (rc == SQLITE_ROW) rc = sqlite3_step(vm);
        if (rc != SQLITE_DONE) e = pendingCallError ? pendingCallError : s_.MapError(rc);
        else {
            sqlRowCount_ = sqlite3_changes64(s_.db());
            sqlFound_ = sqlRowCount_ > 0;
            sqlUsed_ = true;
        }
    }
    if (owned) sqlite3_finalize(vm);
    else sqlite3_reset(vm);
    return Located(e, n.pos);
}

// Assigns the current row of vm to targets (one record, or one variable per column); index >= 0
// appends to collections instead (BULK COLLECT).
OraError Interpreter::RowInto(sqlite3_stmt* vm, std::vector<LValue>& targets, uint32_t pos, int index) {
    int cols = sqlite3_column_count(vm);
    auto rowDatum = [&](const TypeP& rt, int from, Datum& d) -> OraError {
        d = rt ? InitialDatum(*rt) : Datum{};
        for (int c = from; c < cols; ++c) {
            size_t f = static_cast<size_t>(c - from);
            if (f >= d.fields.size()) d.fields.resize(f + 1);
            TypeP ft = rt && f < rt->fields.size() ? rt->fields[f].second : nullptr;
            if (OraError e = Store(d.fields[f], ft, ValueFromColumn(vm, c), pos)) return e;
        }
        return {};
    };
    if (index >= 0) {
        for (size_t t = 0; t < targets.size(); ++t) {
            LValue& lv = targets[t];
            Datum* base = Resolve(lv.var);
            if (!base) return MakeError(kOraProgramError);
            if (!base->coll) base->coll = std::make_shared<Collection>();
            CollKey k;
            k.i = index + 1;
            Datum d;
            TypeP et = lv.type ? lv.type->elem : nullptr;
            if (et && et->kind == PlType::Record && targets.size() == 1) {
                if (OraError e = rowDatum(et, 0, d)) return e;
            } else if (OraError e = Store(d, et, ValueFromColumn(vm, static_cast<int>(t)), pos)) {
                return e;
            }
            base->coll->items[k] = std::move(d);
            base->coll->extent = std::max<int64_t>(base->coll->extent, index + 1);
        }
        return {};
    }
    if (targets.size() == 1 && targets[0].type && targets[0].type->kind == PlType::Record && cols >= 1) {
        Datum d;
        if (OraError e = rowDatum(targets[0].type, 0, d)) return e;
        return AssignDatum(targets[0], std::move(d), pos);
    }
    for (size_t c = 0; c < targets.size() && static_cast<int>(c) < cols; ++c)
        if (OraError e = Assign(targets[c], ValueFromColumn(vm, static_cast<int>(c)), pos)) return e;
    return {};
}

OraError Interpreter::RunSelectInto(Node& n) {
    Expr& x = *n.exprs[0];
    sqlite3_stmt* vm;
    bool owned;
    if (OraError e = EvalRow(x, vm, owned)) return Located(e, n.pos);
    bool wasBusy = x.busy;
    x.busy = true;
    pendingCallError = OraError{};
    OraError e;
    if (n.bulk) {
        for (LValue& lv : n.targets) {
            Datum* base = Resolve(lv.var);
            if (base) base->coll = std::make_shared<Collection>();
        }
        int rows = 0;
        int rc;
        while (!e && (rc = sqlite3_step(vm)) == SQLITE_ROW) e = RowInto(vm, n.targets, n.pos, rows++);
        if (!e && rc != SQLITE_DONE) e = pendingCallError ? pendingCallError : s_.MapError(rc);
        sqlRowCount_ = rows;
        sqlFound_ = rows > 0;
        sqlUsed_ = true;
    } else {
        int rc = sqlite3_step(vm);
        if (rc == SQLITE_DONE) {
            e = MakeError(kOraNoDataFound);
            sqlRowCount_ = 0, sqlFound_ = false, sqlUsed_ = true;
        } else if (rc != SQLITE_ROW) {
            e = pendingCallError ? pendingCallError : s_.MapError(rc);
        } else {
            e = RowInto(vm, n.targets, n.pos, -1);
            if (!e) {
                rc = sqlite3_step(vm);
                if (rc == SQLITE_ROW) e = MakeError(kOraTooManyRows);
                sqlRowCount_ = 1, sqlFound_ = true, sqlUsed_ = true;
            }
        }
    }
    x.busy = wasBusy;
    if (owned) sqlite3_finalize(vm);
    else sqlite3_reset(vm);
    return Located(e, n.pos);
}

CursorState* Interpreter::CursorOf(Node& n) {
    Datum* d = nullptr;
    if (n.cursorUp == -1 || n.cursorUp == -2) d = Resolve(n.targets[0].var);
    else {
        Frame* f = Climb(n.cursorUp);
        if (f && n.cursor && n.cursor->slot >= 0 && static_cast<size_t>(n.cursor->slot) < f->slots.size())
            d = &f->slots[static_cast<size_t>(n.cursor->slot)];
    }
    if (!d) return nullptr;
    if (!d->cursor) d->cursor = std::make_shared<CursorState>();
    return d->cursor.get();
}

OraError Interpreter::RunOpen(Node& n) {
    CursorState* c = CursorOf(n);
    if (!c) return Located(MakeError(kOraInvalidCursor), n.pos);
    if (c->open && n.cursorUp != -2) return Located(PlError(kOraCursorAlreadyOpen, "PL/SQL: cursor already open"), n.pos);
    sqlite3_finalize(c->vm);
    c->vm = nullptr;
    c->open = false;
    if (n.cursorUp == -2 && n.usingOut) {
        // OPEN cv FOR 'text' USING ...
        Value textV;
        if (OraError e = Eval(*n.exprs[0], textV)) return Located(e, n.pos);
        std::string q = ValueText(textV);
        Lexed lx = Lex(q);
        if (lx.error) return Located(lx.error, n.pos);
        Translation tr;
        TranslateOptions opt;
        opt.query = true;
        PositionalResolver pr;
        if (OraError e = TranslateWithOuterJoins(q, lx.toks, 0, lx.toks.size(), opt, {}, pr, tr)) return Located(e, n.pos);
        if (sqlite3_prepare_v2(s_.db(), tr.sql.c_str(), -1, &c->vm, nullptr) != SQLITE_OK)
            return Located(s_.MapError(sqlite3_errcode(s_.db())), n.pos);
        for (size_t k = 1; k < n.exprs.size(); ++k) {
            Value v;
            if (OraError e = Eval(*n.exprs[k], v)) return Located(e, n.pos);
            BindValue(c->vm, static_cast<int>(k), v);
        }
    } else {
        CursorDecl& cd = *n.cursor;
        // parameters live in the declaring frame
        Frame* f = n.cursorUp >= 0 ? Climb(n.cursorUp) : nullptr;
        for (size_t k = 0; k < cd.paramSlots.size(); ++k) {
            Value v;
            if (k < n.exprs.size()) {
                if (OraError e = Eval(*n.exprs[k], v)) return Located(e, n.pos);
            } else if (cd.paramDefaults[k]) {
                if (OraError e = Eval(*cd.paramDefaults[k], v)) return Located(e, n.pos);
            }
            if (f) f->slots[static_cast<size_t>(cd.paramSlots[k])].v = v;
        }
        bool owned;
        sqlite3_stmt* vm;
        // a cursor keeps a statement of its own: the declaration may be open in several frames
        cd.query->busy = true;
        OraError e = EvalRow(*cd.query, vm, owned);
        cd.query->busy = false;
        if (e) return Located(e, n.pos);
        c->vm = vm;
    }
    c->open = true;
    c->found = false;
    c->fetched = false;
    c->rowCount = 0;
    return {};
}

OraError Interpreter::RunFetch(Node& n) {
    CursorState* c = CursorOf(n);
    if (!c || !c->open) return Located(MakeError(kOraInvalidCursor), n.pos);
    std::vector<LValue>& targets = n.targets;
    size_t first = (n.cursorUp == -1 || n.cursorUp == -2) ? 1 : 0;
    std::vector<LValue> into;
    for (size_t k = first; k < targets.size(); ++k) into.push_back(std::move(targets[k]));
    OraError e;
    if (n.bulk) {
        int64_t limit = -1;
        if (!n.exprs.empty()) {
            Value v;
            if (OraError err = Eval(*n.exprs[0], v)) e = err;
            else if (ToNumber(v, v)) e = MakeError(kOraValueError, "");
            else limit = v.type == Value::Int ? v.i : static_cast<int64_t>(v.d);
        }
        for (LValue& lv : into) {
            Datum* base = Resolve(lv.var);
            if (base) base->coll = std::make_shared<Collection>();
        }
        int rows = 0;
        while (!e && (limit < 0 || rows < limit)) {
            int rc = sqlite3_step(c->vm);
            if (rc == SQLITE_DONE) {
                c->found = false;
                break;
            }
            if (rc != SQLITE_ROW) {
                e = s_.MapError(rc);
                break;
            }
            e = RowInto(c->vm, into, n.pos, rows++);
            ++c->rowCount;
            c->found = true;
        }
        if (limit >= 0 && rows < limit) c->found = false;
        c->fetched = true;
    } else {
        int rc = sqlite3_step(c->vm);
        c->fetched = true;
        if (rc == SQLITE_ROW) {
            c->found = true;
            ++c->rowCount;
            e = RowInto(c->vm, into, n.pos, -1);
        } else if (rc == SQLITE_DONE) {
            c->found = false;
            sqlite3_reset(c->vm);
            // keep answering "no more rows" without starting again
            sqlite3_finalize(c->vm);
            if (sqlite3_prepare_v2(s_.db(), "SELECT 1 WHERE 0", -1, &c->vm, nullptr) != SQLITE_OK) c->vm = nullptr;
        } else {
            e = s_.MapError(rc);
        }
    }
    for (size_t k = first; k < targets.size(); ++k) targets[k] = std::move(into[k - first]);
    return Located(e, n.pos);
}

OraError Interpreter::RunCursorLoop(Node& n) {
    CursorState* c = CursorOf(n);
    if (!c) return Located(MakeError(kOraInvalidCursor), n.pos);
    if (c->open) return Located(PlError(kOraCursorAlreadyOpen, "PL/SQL: cursor already open"), n.pos);
    Node open;
    open.kind = Node::Open;
    open.pos = n.pos;
    open.cursor = n.cursor;
    open.cursorUp = n.cursorUp;
    open.exprs = std::move(n.exprs);
    OraError e = RunOpen(open);
    n.exprs = std::move(open.exprs);
    if (e) return e;
    TypeP rt = n.cursor->rowType;
    while (!e) {
        if (s_.cancelled()) {
            e = MakeError(kOraCancelled);
            break;
        }
        int rc = sqlite3_step(c->vm);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) {
            e = Located(pendingCallError ? pendingCallError : s_.MapError(rc), n.pos);
            break;
        }
        ++c->rowCount;
        c->found = true;
        c->fetched = true;
        Datum row = InitialDatum(*rt);
        int cols = sqlite3_column_count(c->vm);
        if (row.fields.size() < static_cast<size_t>(cols)) row.fields.resize(static_cast<size_t>(cols));
        for (int k = 0; k < cols && !e; ++k) {
            TypeP ft = static_cast<size_t>(k) < rt->fields.size() ? rt->fields[static_cast<size_t>(k)].second : nullptr;
            e = Store(row.fields[static_cast<size_t>(k)], ft, ValueFromColumn(c->vm, k), n.pos);
        }
        if (e) break;
        frame_->slots[static_cast<size_t>(n.varSlot)] = std::move(row);
        e = RunList(n.bodies[0]);
        if (e) break;
        if (flow_ == Flow::Continue && (flowLabel_.empty() || flowLabel_ == n.label)) {
            flow_ = Flow::Normal;
            continue;
        }
        if (flow_ == Flow::Exit && (flowLabel_.empty() || flowLabel_ == n.label)) {
            flow_ = Flow::Normal;
            break;
        }
        if (flow_ != Flow::Normal) break;
    }
    c = CursorOf(n);
    if (c) {
        sqlite3_finalize(c->vm);
        c->vm = nullptr;
        c->open = false;
    }
    return e;
}

OraError Interpreter::RunForall(Node& n) {
    Value lo, hi;
    if (OraError e = Eval(*n.exprs[0], lo)) return Located(e, n.pos);
    if (OraError e = Eval(*n.exprs[1], hi)) return Located(e, n.pos);
    if (OraError e = ToNumber(lo, lo)) return Located(e, n.pos);
    if (OraError e = ToNumber(hi, hi)) return Located(e, n.pos);
    if (lo.type == Value::Null || hi.type == Value::Null) return Located(MakeError(kOraValueError, ""), n.pos);
    int64_t a = lo.type == Value::Int ? lo.i : static_cast<int64_t>(lo.d);
    int64_t b = hi.type == Value::Int ? hi.i : static_cast<int64_t>(hi.d);
    if (OraError e = BeginDml()) return Located(e, n.pos);
    int64_t total = 0;
    Node dml;
    dml.kind = Node::Sql;
    dml.pos = n.pos;
    dml.exprs.push_back(std::move(n.exprs[2]));
    dml.dml = n.dml;
    OraError e;
    for (int64_t k = a; k <= b && !e; ++k) {
        Datum& d = frame_->slots[static_cast<size_t>(n.varSlot)];
        d.v.type = Value::Int;
        d.v.i = k;
        e = RunSql(dml);
        total += sqlRowCount_;
    }
    n.exprs[2] = std::move(dml.exprs[0]);
    if (!e) {
        sqlRowCount_ = total;
        sqlFound_ = total > 0;
    }
    return e;
}

OraError Interpreter::RunExecImmediate(Node& n) {
    Value textV;
    if (OraError e = Eval(*n.exprs[0], textV)) return Located(e, n.pos);
    std::string q = ValueText(textV);
    while (!q.empty() && (q.back() == ' ' || q.back() == '\n' || q.back() == '\t' || q.back() == '\r')) q.pop_back();
    Lexed lx = Lex(q);
    if (lx.error) return Located(lx.error, n.pos);
    if (lx.toks.empty()) return Located(MakeError(900), n.pos);
    Classification cls = Classify(q, lx.toks);
    size_t intoCount = static_cast<size_t>(n.varSlot);
    std::vector<Value> args;
    for (size_t k = 1; k < n.exprs.size(); ++k) {
        Value v;
        if (OraError e = Eval(*n.exprs[k], v)) return Located(e, n.pos);
        args.push_back(std::move(v));
    }
    if (cls.cls == StmtClass::Query || cls.cls == StmtClass::Dml) {
        // :name placeholders bind by position to the USING list
        Translation tr;
        TranslateOptions opt;
        opt.query = cls.cls == StmtClass::Query;
        PositionalResolver pr;
        if (OraError e = TranslateWithOuterJoins(q, lx.toks, 0, lx.toks.size(), opt, {}, pr, tr)) return Located(e, n.pos);
        if (pr.count() > static_cast<int>(args.size())) return Located(MakeError(1008), n.pos);
        if (cls.cls == StmtClass::Dml)
            if (OraError e = BeginDml()) return Located(e, n.pos);
        sqlite3_stmt* vm = nullptr;
        if (sqlite3_prepare_v2(s_.db(), tr.sql.c_str(), -1, &vm, nullptr) != SQLITE_OK) {
            ErrorContext ctx;
            ctx.text = q;
            ctx.toks = &lx.toks;
            ctx.translation = &tr;
            OraError e = s_.MapError(sqlite3_errcode(s_.db()), &ctx);
            sqlite3_finalize(vm);
            return Located(e, n.pos);
        }
        for (int k = 0; k < pr.count(); ++k) BindValue(vm, k + 1, args[static_cast<size_t>(k)]);
        std::vector<LValue> into;
        for (size_t k = 0; k < intoCount; ++k) into.push_back(std::move(n.targets[k]));
        OraError e;
        int64_t changes = 0;
        DmlTarget target = cls.cls == StmtClass::Dml ? DmlTargetOf(q, lx.toks, 0, lx.toks.size()) : DmlTarget{};
        if (RunDmlWithTriggers(s_, vm, target, nullptr, e, changes)) {
            if (!e) {
                sqlRowCount_ = changes;
                sqlFound_ = changes > 0;
                sqlUsed_ = true;
            }
            sqlite3_finalize(vm);
            for (size_t k = 0; k < intoCount; ++k) n.targets[k] = std::move(into[k]);
            return Located(e, n.pos);
        }
        int rc = sqlite3_step(vm);
        if (cls.cls == StmtClass::Query) {
            if (n.bulk) {
                for (LValue& lv : into)
                    if (Datum* base = Resolve(lv.var)) base->coll = std::make_shared<Collection>();
                int rows = 0;
                while (!e && rc == SQLITE_ROW) {
                    e = RowInto(vm, into, n.pos, rows++);
                    rc = sqlite3_step(vm);
                }
                if (!e && rc != SQLITE_DONE) e = s_.MapError(rc);
            } else if (rc == SQLITE_DONE && !into.empty()) {
                e = MakeError(kOraNoDataFound);
            } else if (rc == SQLITE_ROW) {
                if (!into.empty()) {
                    e = RowInto(vm, into, n.pos, -1);
                    if (!e && sqlite3_step(vm) == SQLITE_ROW) e = MakeError(kOraTooManyRows);
                }
            } else if (rc != SQLITE_DONE) {
                e = s_.MapError(rc);
            }
        } else {
            while (rc == SQLITE_ROW) rc = sqlite3_step(vm);
            if (rc != SQLITE_DONE) e = s_.MapError(rc);
            else {
                sqlRowCount_ = sqlite3_changes64(s_.db());
                sqlFound_ = sqlRowCount_ > 0;
                sqlUsed_ = true;
            }
        }
        sqlite3_finalize(vm);
        for (size_t k = 0; k < intoCount; ++k) n.targets[k] = std::move(into[k]);
        return Located(e, n.pos);
    }
    // DDL, blocks and the rest: the statement runs as the client runs any statement
    if (!args.empty()) return Located(MakeError(1006), n.pos);
    // DDL commits, which a trigger may not do
    if (st_.dmlDepth > 0 && cls.cls != StmtClass::Block) return Located(MakeError(4092, "COMMIT"), n.pos);
    savepoint_ = false;
    OraError e = RunStatementText(s_, q);
    return Located(e, n.pos);
}

// ---- calls -------------------------------------------------------------------------------------

OraError Interpreter::Call(const Subprogram& sp, Frame* link, std::vector<Datum>& args, const std::vector<bool>& given,
                           Value* result) {
    if (st_.callDepth >= kMaxCallDepth || StackNearlyFull()) return MakeRawError(kOraStorageError, "PL/SQL: storage error");
    Frame f;
    f.slots.resize(static_cast<size_t>(sp.frameSize));
    for (size_t k = 0; k < sp.slotTypes.size() && k < f.slots.size(); ++k)
        if (sp.slotTypes[k]) f.slots[k] = InitialDatum(*sp.slotTypes[k]);
    f.link = link;
    f.sub = &sp;
    Frame* saved = frame_;
    // defaults are evaluated in the callee's frame, where earlier parameters are visible
    frame_ = &f;
    for (size_t k = 0; k < sp.params.size(); ++k) {
        const Param& p = sp.params[k];
        Datum& d = f.slots[static_cast<size_t>(p.slot)];
        if (k < given.size() && given[k]) {
            if (p.mode == ParamMode::Out) continue;
            if (!args[k].fields.empty() || args[k].coll) d = CopyDatum(args[k]);
            else if (OraError e = Store(d, p.type, args[k].v, 0)) {
                frame_ = saved;
                return e;
            }
        } else if (p.def) {
            Value v;
            OraError e = Eval(*p.def, v);
            if (!e) e = Store(d, p.type, std::move(v), 0);
            if (e) {
                frame_ = saved;
                return e;
            }
        }
    }
    ++st_.callDepth;
    Flow savedFlow = flow_;
    flow_ = Flow::Normal;
    ret_ = Value{};
    OraError e = RunBlock(const_cast<Node&>(sp.body));
    bool returned = flow_ == Flow::Return;
    flow_ = savedFlow;
    --st_.callDepth;
    if (e && e.code != kOraCancelled) {
        std::string w = Where(f);
        if (!w.empty()) e.text += "\nORA-06512: " + w;
    } else if (!e && sp.isFunction && !returned) {
        e = PlError(kOraFunctionNoReturn, "PL/SQL: Function returned without value");
        int line, col;
        const Program* p = sp.owner;
        LineColumn(p->text, static_cast<uint32_t>(sp.body.pos), line, col);
        e.text += "\nORA-06512: " + std::string(p->unitName.empty() ? "at line " : "at \"" + p->unitName + "\", line ") +
                  std::to_string(line);
    }
    if (!e) {
        for (size_t k = 0; k < sp.params.size(); ++k)
            if (sp.params[k].mode != ParamMode::In) args[k] = std::move(f.slots[static_cast<size_t>(sp.params[k].slot)]);
        if (result) *result = ret_;
    }
    frame_ = saved;
    return e;
}

OraError Interpreter::RunCall(Node& n) {
    CallStmt& c = *n.call;
    if (!c.builtin.empty()) {
        std::vector<Value> vals;
        for (Arg& a : c.args) {
            Value v;
            if (a.value)
                if (OraError e = Eval(*a.value, v)) return Located(e, n.pos);
            vals.push_back(std::move(v));
        }
        // trailing parameters not given are left out, as the built-ins count their arguments
        size_t keep = vals.size();
        while (keep > 0 && keep <= c.given.size() && !c.given[keep - 1]) --keep;
        vals.resize(keep);
        if (c.builtin[0] == '$') {
            // collection methods: DELETE, EXTEND, TRIM
            Datum* d = Resolve(n.targets[0].var);
            if (!d) return Located(MakeError(kOraProgramError), n.pos);
            if (!d->coll) return Located(PlError(kOraCollectionIsNull, "Reference to uninitialized collection"), n.pos);
            Collection& col = *d->coll;
            const std::string m = c.builtin.substr(1);
            auto keyOf = [&](const Value& v) {
                CollKey k;
                if (v.type == Value::Text) k.s = v.s;
                else k.i = v.type == Value::Int ? v.i : static_cast<int64_t>(v.d);
                return k;
            };
            if (m == "DELETE") {
                if (vals.empty()) col.items.clear(), col.extent = 0;
                else if (vals.size() == 1) col.items.erase(keyOf(vals[0]));
                else {
                    CollKey a = keyOf(vals[0]), b = keyOf(vals[1]);
                    for (auto it = col.items.lower_bound(a); it != col.items.end() && !(b < it->first);) it = col.items.erase(it);
                }
            } else if (m == "EXTEND") {
                int64_t count = vals.empty() ? 1 : (vals[0].type == Value::Int ? vals[0].i : static_cast<int64_t>(vals[0].d));
                const TypeP& t = n.targets[0].type;
                if (t && t->kind == PlType::Varray && t->limit > 0 && col.extent + count > static_cast<int64_t>(t->limit))
                    return Located(PlError(kOraSubscriptOutsideLimit, "Subscript outside of limit"), n.pos);
                for (int64_t k = 0; k < count; ++k) {
                    CollKey key;
                    key.i = ++col.extent;
                    Datum nd = t && t->elem ? InitialDatum(*t->elem) : Datum{};
                    if (vals.size() == 2) {
                        CollKey src;
                        src.i = vals[1].type == Value::Int ? vals[1].i : 0;
                        auto it = col.items.find(src);
                        if (it != col.items.end()) nd = CopyDatum(it->second);
                    }
                    col.items[key] = std::move(nd);
                }
            } else if (m == "TRIM") {
                int64_t count = vals.empty() ? 1 : (vals[0].type == Value::Int ? vals[0].i : static_cast<int64_t>(vals[0].d));
                if (count > static_cast<int64_t>(col.items.size()))
                    return Located(PlError(kOraSubscriptBeyondCount, "Subscript beyond count"), n.pos);
                for (int64_t k = 0; k < count && !col.items.empty(); ++k) {
                    col.items.erase(std::prev(col.items.end()));
                    --col.extent;
                }
            }
            return {};
        }
        std::vector<bool> assigned;
        OraError e = CallBuiltinProcedure(*this, c.builtin, vals, assigned);
        if (e) return Located(e, n.pos);
        for (size_t k = 0; k < c.args.size() && k < vals.size(); ++k)
            if (c.args[k].hasTarget)
                if (OraError err = Assign(c.args[k].target, vals[k], n.pos)) return Located(err, n.pos);
        return {};
    }
    const Subprogram& sp = *c.callee;
    std::vector<Datum> args(sp.params.size());
    for (size_t k = 0; k < sp.params.size() && k < c.args.size(); ++k) {
        Arg& a = c.args[k];
        if (!c.given[k]) continue;
        if (a.value) {
            Expr& x = *a.value;
            if (x.sql.rfind("CONSTRUCTOR", 0) == 0) {
                if (OraError e = Construct(x, sp.params[k].type, args[k])) return Located(e, n.pos);
            } else if (sp.params[k].type && sp.params[k].type->IsComposite() && x.operands.size() == 1 &&
                       x.operands[0].kind == Operand::Var && x.sql == "SELECT ?1") {
                Datum* src = Resolve(x.operands[0].var);
                if (src) args[k] = CopyDatum(*src);
            } else if (OraError e = Eval(x, args[k].v)) {
                return Located(e, n.pos);
            }
        }
    }
    Frame* link = c.linkUp >= 0 ? Climb(c.linkUp) : nullptr;
    if (sp.owner && !sp.owner->unitName.empty()) {
        // a package's state is made before its first subprogram runs
        for (auto& [name, pkg] : st_.packages)
            if (pkg->body.get() == sp.owner && !pkg->initialised)
                if (OraError e = RunPackageInit(*pkg)) return Located(e, n.pos);
    }
    OraError e = Call(sp, link, args, c.given, nullptr);
    if (e) return Located(e, n.pos);
    for (size_t k = 0; k < sp.params.size() && k < c.args.size(); ++k) {
        if (sp.params[k].mode == ParamMode::In || !c.args[k].hasTarget) continue;
        if (OraError err = AssignDatum(c.args[k].target, std::move(args[k]), n.pos)) return Located(err, n.pos);
    }
    return {};
}

OraError Interpreter::RunPackageInit(Package& pkg) {
    if (pkg.initialised) return {};
    pkg.initialised = true;
    pkg.frame.assign(pkg.slotTypes.size(), Datum{});
    for (size_t k = 0; k < pkg.slotTypes.size(); ++k)
        if (pkg.slotTypes[k]) pkg.frame[k] = InitialDatum(*pkg.slotTypes[k]);
    for (Program* p : {pkg.spec.get(), pkg.body.get()}) {
        if (!p) continue;
        Node& init = p->initBlock;
        Frame f;
        f.slots.resize(p->main ? static_cast<size_t>(p->main->frameSize) : 0);
        f.sub = p->main.get();
        Frame* saved = frame_;
        frame_ = &f;
        OraError e;
        for (size_t k = 0; k < init.inits.size() && !e; ++k) {
            auto& [slot, x] = init.inits[k];
            if (!x) continue;
            Datum& d = pkg.frame[static_cast<size_t>(slot)];
            if (x->sql.rfind("CONSTRUCTOR", 0) == 0) e = Construct(*x, init.fresh[k].second, d);
            else {
                Value v;
                e = Eval(*x, v);
                if (!e) e = Store(d, init.fresh[k].second, std::move(v), x->pos);
            }
            if (e) f.pendingPos = static_cast<int>(x->pos);
        }
        if (!e && !init.bodies.empty()) e = RunList(init.bodies[0]);
        if (e && e.code != kOraCancelled) {
            std::string w = Where(f);
            if (!w.empty()) e.text += "\nORA-06512: " + w;
        }
        frame_ = saved;
        if (e) {
            pkg.initialised = false;
            return e;
        }
    }
    return {};
}

OraError Interpreter::RunTrigger(Program& prog, Datum* newRow, Datum* oldRow, bool& fired) {
    prog_ = &prog;
    Subprogram& m = *prog.main;
    Frame f;
    f.slots.resize(static_cast<size_t>(m.frameSize));
    for (size_t k = 0; k < m.slotTypes.size() && k < f.slots.size(); ++k)
        if (m.slotTypes[k]) f.slots[k] = InitialDatum(*m.slotTypes[k]);
    f.sub = &m;
    if (newRow && prog.newSlot >= 0) f.slots[static_cast<size_t>(prog.newSlot)] = CopyDatum(*newRow);
    if (oldRow && prog.oldSlot >= 0) f.slots[static_cast<size_t>(prog.oldSlot)] = CopyDatum(*oldRow);
    frame_ = &f;
    fired = true;
    OraError e;
    if (prog.when) {
        bool t = false;
        e = Truth(*prog.when, t);
        fired = !e && t;
    }
    if (!e && fired) e = RunBlock(m.body);
    if (e && e.code != kOraCancelled) {
        std::string w = Where(f);
        if (!w.empty()) e.text += "\nORA-06512: " + w;
    }
    if (!e && fired && newRow && prog.newSlot >= 0) *newRow = std::move(f.slots[static_cast<size_t>(prog.newSlot)]);
    frame_ = nullptr;
    return e;
}

OraError Interpreter::RunMain(Program& prog) {
    prog_ = &prog;
    topLevel_ = true;
    Subprogram& m = *prog.main;
    Frame f;
    f.slots.resize(static_cast<size_t>(m.frameSize));
    for (size_t k = 0; k < m.slotTypes.size() && k < f.slots.size(); ++k)
        if (m.slotTypes[k]) f.slots[k] = InitialDatum(*m.slotTypes[k]);
    f.sub = &m;
    frame_ = &f;
    OraError e = RunBlock(m.body);
    if (e && e.code != kOraCancelled) {
        std::string w = Where(f);
        if (!w.empty()) e.text += "\nORA-06512: " + w;
    }
    if (savepoint_) {
        // a failing block leaves nothing of its own changes behind, as on the server
        if (e) s_.Exec("ROLLBACK TO liteoci_block");
        s_.Exec("RELEASE liteoci_block");
        savepoint_ = false;
    }
    frame_ = nullptr;
    return e;
}

// ---- what LITEOCI_PLCALL reaches -----------------------------------------------------------------

OraError Interpreter::ElementOf(const CallTarget& t, const Value& key, Value& out) {
    Datum* d = Resolve(t.var);
    if (!d) return MakeError(kOraProgramError);
    if (!d->coll) return PlError(kOraCollectionIsNull, "Reference to uninitialized collection");
    CollKey k;
    if (key.type == Value::Null) return MakeError(kOraValueError, ": NULL index table key value");
    if (t.textKeys) {
        k.s = ValueText(key);
    } else {
        Value nv;
        if (ToNumber(key, nv)) return MakeError(kOraValueError, ": character to number conversion error");
        k.i = nv.type == Value::Int ? nv.i : static_cast<int64_t>(std::llround(nv.d));
    }
    auto it = d->coll->items.find(k);
    if (it == d->coll->items.end()) {
        if (d->coll->extent > 0 && k.s.empty() && (k.i < 1 || k.i > d->coll->extent))
            return PlError(kOraSubscriptBeyondCount, "Subscript beyond count");
        return MakeError(kOraNoDataFound);
    }
    const Datum* e = &it->second;
    for (int p : t.afterPath) {
        if (static_cast<size_t>(p) >= e->fields.size()) return MakeError(kOraProgramError);
        e = &e->fields[static_cast<size_t>(p)];
    }
    out = e->v;
    return {};
}

OraError Interpreter::Method(const CallTarget& t, int argc, sqlite3_value** argv, Value& out) {
    Datum* d = Resolve(t.var);
    if (!d) return MakeError(kOraProgramError);
    const std::string& m = t.builtin;
    if (!d->coll) {
        if (m == "EXISTS") {
            out.type = Value::Int;
            out.i = 0;
            return {};
        }
        return PlError(kOraCollectionIsNull, "Reference to uninitialized collection");
    }
    auto& items = d->coll->items;
    auto keyValue = [&](const CollKey& k) {
        Value v;
        if (!k.s.empty()) v.type = Value::Text, v.s = k.s;
        else v.type = Value::Int, v.i = k.i;
        return v;
    };
    auto argKey = [&](int a, CollKey& k) {
        if (a >= argc || sqlite3_value_type(argv[a]) == SQLITE_NULL) return false;
        if (t.textKeys) {
            const char* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[a]));
            k.s = p ? p : "";
        } else if (sqlite3_value_type(argv[a]) == SQLITE_TEXT) {
            const char* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[a]));
            Value tv;
            tv.type = Value::Text;
            tv.s = p ? p : "";
            Value nv;
            if (ToNumber(tv, nv)) k.s = tv.s;
            else k.i = nv.type == Value::Int ? nv.i : static_cast<int64_t>(nv.d);
        } else {
            k.i = sqlite3_value_int64(argv[a]);
        }
        return true;
    };
    out = Value{};
    if (m == "COUNT") {
        out.type = Value::Int;
        out.i = static_cast<int64_t>(items.size());
    } else if (m == "FIRST") {
        if (!items.empty()) out = keyValue(items.begin()->first);
    } else if (m == "LAST") {
        if (!items.empty()) out = keyValue(items.rbegin()->first);
    } else if (m == "EXISTS") {
        CollKey k;
        out.type = Value::Int;
        out.i = argKey(1, k) && items.count(k);
    } else if (m == "NEXT") {
        CollKey k;
        if (argKey(1, k)) {
            auto it = items.upper_bound(k);
            if (it != items.end()) out = keyValue(it->first);
        }
    } else if (m == "PRIOR") {
        CollKey k;
        if (argKey(1, k)) {
            auto it = items.lower_bound(k);
            if (it != items.begin()) out = keyValue(std::prev(it)->first);
        }
    } else if (m == "LIMIT") {
        // varrays have one; other collections answer NULL
    }
    return {};
}

}  // namespace liteoci
