#include "PlTriggers.h"

#include <cstring>

#include "PlExec.h"
#include "StackGuard.h"

namespace liteoci {
namespace {

constexpr int kMaxTriggerNesting = 32;  // statements with triggers inside triggers, as ORA-00036 counts them

struct Compiled {
    TriggerDef def;
    std::string text;
    std::string columns;  // the table's columns it was compiled for
    std::shared_ptr<Program> prog;  // null: the body does not compile
};

// LITEOCI_CAPTURING(table, event): whether the statement of that table and event is being captured.
void CapturingFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    Session& s = *static_cast<Session*>(sqlite3_user_data(ctx));
    PlState& st = EngineOf(s);
    bool on = false;
    if (st.capture && argc == 2) {
        const char* t = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
        on = t && st.capture->table == t && st.capture->event == sqlite3_value_int(argv[1]);
    }
    sqlite3_result_int(ctx, on ? 1 : 0);
}

// LITEOCI_CAPTURE(rowid, values...): records one row of the statement being captured.
void CaptureFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    Session& s = *static_cast<Session*>(sqlite3_user_data(ctx));
    PlState& st = EngineOf(s);
    if (st.capture) {
        std::vector<Value> row;
        row.reserve(static_cast<size_t>(argc));
        for (int k = 0; k < argc; ++k) row.push_back(ValueOfSqlArgument(argv[k]));
        st.capture->rows.push_back(std::move(row));
    }
    sqlite3_result_null(ctx);
}

struct ColumnInfo {
    std::vector<std::string> names;  // as the table declares them
    int rowidAlias = -1;             // the INTEGER PRIMARY KEY column, which SQLite keeps as the rowid
};

bool TableColumns(Session& s, const std::string& table, ColumnInfo& out) {
    sqlite3_stmt* q = nullptr;
    std::string sql = "SELECT name, upper(type), pk FROM pragma_table_info(" + QuoteString(table) + ")";
    if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr) != SQLITE_OK) {
        sqlite3_finalize(q);
        return false;
    }
    int keys = 0, integerKey = -1;
    while (sqlite3_step(q) == SQLITE_ROW) {
        const char* n = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(q, 1));
        if (sqlite3_column_int(q, 2) > 0) {
            ++keys;
            if (t && std::strcmp(t, "INTEGER") == 0) integerKey = static_cast<int>(out.names.size());
        }
        out.names.emplace_back(n ? n : "");
    }
    sqlite3_finalize(q);
    if (keys == 1) out.rowidAlias = integerKey;
    return !out.names.empty();
}

// The capture triggers of a table, made (again) when missing or made for other columns.
OraError EnsureCapture(Session& s, const std::string& table, const ColumnInfo& cols) {
    PlState& st = EngineOf(s);
    std::string sig;
    for (const std::string& c : cols.names) sig += c + ",";
    const std::string names[3] = {"liteoci$cap_i_" + table, "liteoci$cap_u_" + table, "liteoci$cap_d_" + table};
    int present = 0;
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v2(s.db(), "SELECT count(*) FROM sqlite_temp_master WHERE type = 'trigger' AND name IN (?1, ?2, ?3)",
                           -1, &q, nullptr) == SQLITE_OK) {
        for (int k = 0; k < 3; ++k) sqlite3_bind_text(q, k + 1, names[k].c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(q) == SQLITE_ROW) present = sqlite3_column_int(q, 0);
    }
    sqlite3_finalize(q);
    auto it = st.captureColumns.find(table);
    if (present == 3 && it != st.captureColumns.end() && it->second == sig) return {};
    std::string oldCols, newCols;
    for (const std::string& c : cols.names) {
        oldCols += ", OLD." + QuoteIdentifier(c);
        newCols += ", NEW." + QuoteIdentifier(c);
    }
    const std::string on = " ON main." + QuoteIdentifier(table) + " WHEN LITEOCI_CAPTURING(" + QuoteString(table) + ", ";
    const std::string tail = "); SELECT RAISE(IGNORE); END";
    std::string sql;
    for (const std::string& n : names) sql += "DROP TRIGGER IF EXISTS temp." + QuoteIdentifier(n) + ";";
    sql += "CREATE TEMP TRIGGER " + QuoteIdentifier(names[0]) + " BEFORE INSERT" + on + "1) BEGIN SELECT LITEOCI_CAPTURE(NEW.rowid" +
           newCols + tail + ";";
    sql += "CREATE TEMP TRIGGER " + QuoteIdentifier(names[1]) + " BEFORE UPDATE" + on + "2) BEGIN SELECT LITEOCI_CAPTURE(OLD.rowid" +
           oldCols + newCols + tail + ";";
    sql += "CREATE TEMP TRIGGER " + QuoteIdentifier(names[2]) + " BEFORE DELETE" + on + "3) BEGIN SELECT LITEOCI_CAPTURE(OLD.rowid" +
           oldCols + tail + ";";
    if (OraError e = s.Exec(sql.c_str())) return e;
    st.captureColumns[table] = sig;
    return {};
}

bool Applies(const TriggerDef& d, const DmlTarget& t) {
    switch (t.event) {
        case DmlTarget::Insert: return d.onInsert;
        case DmlTarget::Delete: return d.onDelete;
        case DmlTarget::Update:
            if (!d.onUpdate) return false;
            if (d.updateColumns.empty()) return true;
            for (const std::string& c : d.updateColumns)
                for (const std::string& x : t.setColumns)
                    if (c == x) return true;
            return false;
        default: return false;
    }
}

// The enabled triggers of the statement's table that its event fires, in the order they were made.
void LoadTriggers(Session& s, const DmlTarget& t, std::vector<std::shared_ptr<Compiled>>& out) {
    PlState& st = EngineOf(s);
    std::string columns;  // a trigger compiled for other columns of its table is compiled again
    if (!st.triggerLookup) {
        std::string sql = std::string("SELECT t.name, s.text FROM ") + kTriggersTable + " t JOIN " + kSourceTable +
                          " s ON s.name = t.name AND s.type = 'TRIGGER' WHERE t.table_name = ?1 AND t.enabled = 1 "
                          "ORDER BY t.rowid";
        if (sqlite3_prepare_v3(s.db(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st.triggerLookup, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st.triggerLookup);  // a file made before triggers were kept has none
            st.triggerLookup = nullptr;
            return;
        }
    }
    sqlite3_stmt* q = st.triggerLookup;
    sqlite3_reset(q);
    sqlite3_bind_text(q, 1, t.table.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<std::pair<std::string, std::string>> found;
    while (sqlite3_step(q) == SQLITE_ROW) {
        const char* n = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
        const char* x = reinterpret_cast<const char*>(sqlite3_column_text(q, 1));
        found.emplace_back(n ? n : "", x ? x : "");
    }
    sqlite3_reset(q);
    if (found.empty()) return;
    ColumnInfo info;
    TableColumns(s, t.table, info);
    for (const std::string& n : info.names) columns += n + ",";
    for (auto& [name, text] : found) {
        auto& slot = st.triggers[name];
        auto c = std::static_pointer_cast<Compiled>(slot);
        if (!c || c->text != text || c->columns != columns) {
            c = std::make_shared<Compiled>();
            c->text = text;
            c->columns = columns;
            Lexed lx = Lex(text);
            size_t kind = 1;
            while (kind < lx.toks.size() && !IsWord(text, lx.toks[kind], "TRIGGER")) ++kind;
            if (!lx.error && !ParseTriggerDef(text, lx.toks, kind, c->def)) {
                std::shared_ptr<Program> prog;
                if (!CompileTrigger(s, c->def, text, lx.toks, prog)) c->prog = prog;
            }
            c->def.name = name;
            slot = c;
        }
        if (Applies(c->def, t) || !c->prog || t.merge) out.push_back(c);
    }
}

OraError Fire(Session& s, Compiled& c, Datum* newRow, Datum* oldRow) {
    Interpreter in(s, nullptr, nullptr);
    bool fired = false;
    OraError e = in.RunTrigger(*c.prog, newRow, oldRow, fired);
    if (e && e.code != kOraCancelled) e.text += "\nORA-04088: error during execution of trigger '" + c.prog->unitName + "'";
    return e;
}

Datum RowDatum(const std::vector<Value>& row, size_t from, size_t n) {
    Datum d;
    d.fields.resize(n);
    for (size_t k = 0; k < n && from + k < row.size(); ++k) d.fields[k].v = row[from + k];
    return d;
}

struct Applier {
    sqlite3_stmt* vm = nullptr;
    ~Applier() { sqlite3_finalize(vm); }
};

OraError RunStatement(Session& s, const DmlTarget& t, sqlite3_stmt* vm, const ErrorContext* ctx,
                      std::vector<std::shared_ptr<Compiled>>& trigs, int64_t& changes) {
    PlState& st = EngineOf(s);
    ColumnInfo cols;
    if (!TableColumns(s, t.table, cols)) return {};
    const size_t n = cols.names.size();
    for (auto& c : trigs)
        if (!c->prog) return MakeError(4098, s.user() + "." + c->def.name);
    if (OraError e = EnsureCapture(s, t.table, cols)) return e;
    auto stage = [&](bool before, bool row) {
        std::vector<Compiled*> r;
        for (auto& c : trigs)
            if (c->def.before == before && c->def.row == row) r.push_back(c.get());
        return r;
    };
    for (Compiled* c : stage(true, false))
        if (OraError e = Fire(s, *c, nullptr, nullptr)) return e;

    // the rows the statement changes, without changing them yet
    CaptureState cap;
    cap.table = t.table;
    cap.event = t.event;
    CaptureState* savedCapture = st.capture;
    st.capture = &cap;
    if (st.current) st.current->pendingCallError = OraError{};
    int rc = sqlite3_step(vm);
    while (rc == SQLITE_ROW) rc = sqlite3_step(vm);
    st.capture = savedCapture;
    if (rc != SQLITE_DONE) {
        if (st.current && st.current->pendingCallError) return st.current->pendingCallError;
        return s.MapError(rc, ctx);
    }

    std::vector<Compiled*> beforeRow = stage(true, true), afterRow = stage(false, true);
    Applier apply;
    std::string sql;
    if (t.event == DmlTarget::Insert) {
        std::string names, marks;
        for (size_t k = 0; k < n; ++k) {
            names += (k ? ", " : "") + QuoteIdentifier(cols.names[k]);
            marks += (k ? ", ?" : "?") + std::to_string(k + 1);
        }
        sql = "INSERT INTO main." + QuoteIdentifier(t.table) + " (" + names + ") VALUES (" + marks + ")";
    } else if (t.event == DmlTarget::Update) {
        std::string sets;
        for (size_t k = 0; k < n; ++k) sets += (k ? ", " : "") + QuoteIdentifier(cols.names[k]) + " = ?" + std::to_string(k + 1);
        sql = "UPDATE main." + QuoteIdentifier(t.table) + " SET " + sets + " WHERE rowid = ?" + std::to_string(n + 1);
    } else {
        sql = "DELETE FROM main." + QuoteIdentifier(t.table) + " WHERE rowid = ?1";
    }
    if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &apply.vm, nullptr) != SQLITE_OK) return s.MapError(sqlite3_errcode(s.db()));

    const bool mutating = !t.singleRow && (!beforeRow.empty() || !afterRow.empty());
    if (mutating) st.mutating.push_back(t.table);
    OraError e;
    for (const std::vector<Value>& row : cap.rows) {
        if (s.cancelled()) {
            e = MakeError(kOraCancelled);
            break;
        }
        Datum oldRow, newRow;
        switch (t.event) {
            case DmlTarget::Insert:
                oldRow = RowDatum({}, 0, n), newRow = RowDatum(row, 1, n);
                // Before the row exists SQLite shows its rowid column as -1 whether it was given as
                // NULL or left out: both mean "number it", which a NULL in :NEW says.
                if (cols.rowidAlias >= 0) {
                    Value& id = newRow.fields[static_cast<size_t>(cols.rowidAlias)].v;
                    if (id.type == Value::Int && id.i == -1) id = Value{};
                }
                break;
            case DmlTarget::Update: oldRow = RowDatum(row, 1, n), newRow = RowDatum(row, 1 + n, n); break;
            default: oldRow = RowDatum(row, 1, n), newRow = RowDatum({}, 0, n); break;
        }
        for (Compiled* c : beforeRow)
            if ((e = Fire(s, *c, &newRow, &oldRow))) break;
        if (e) break;
        sqlite3_reset(apply.vm);
        if (t.event == DmlTarget::Delete) {
            BindValue(apply.vm, 1, row[0]);
        } else {
            for (size_t k = 0; k < n; ++k)
                BindValue(apply.vm, static_cast<int>(k + 1), k < newRow.fields.size() ? newRow.fields[k].v : Value{});
            if (t.event == DmlTarget::Update) BindValue(apply.vm, static_cast<int>(n + 1), row[0]);
        }
        rc = sqlite3_step(apply.vm);
        if (rc != SQLITE_DONE) {
            e = s.MapError(rc, ctx);
            break;
        }
        ++changes;
        for (Compiled* c : afterRow)
            if ((e = Fire(s, *c, &newRow, &oldRow))) break;
        if (e) break;
    }
    if (mutating) st.mutating.pop_back();
    if (e) return e;
    for (Compiled* c : stage(false, false))
        if (OraError x = Fire(s, *c, nullptr, nullptr)) return x;
    return {};
}

}  // namespace

std::string TriggerDef::Type() const {
    return std::string(before ? "BEFORE" : "AFTER") + (row ? " EACH ROW" : " STATEMENT");
}

std::string TriggerDef::Events() const {
    std::string r;
    if (onInsert) r += "INSERT";
    if (onUpdate) r += std::string(r.empty() ? "" : " OR ") + "UPDATE";
    if (onDelete) r += std::string(r.empty() ? "" : " OR ") + "DELETE";
    return r;
}

OraError ParseTriggerDef(std::string_view text, const std::vector<Token>& toks, size_t kindTok, TriggerDef& out) {
    out = TriggerDef{};
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    auto o = [&](size_t i, std::string_view op) { return i < toks.size() && IsOp(text, toks[i], op); };
    auto ident = [&](size_t i) { return i < toks.size() && (toks[i].kind == Tok::Word || toks[i].kind == Tok::QIdent); };
    auto at = [&](size_t i) {
        return i < toks.size() ? static_cast<int>(toks[i].pos)
                               : (toks.empty() ? 0 : static_cast<int>(toks.back().pos + toks.back().len));
    };
    size_t k = kindTok + 1;
    if (!ident(k)) return MakeErrorAt(at(k), 900);
    if (o(k + 1, ".") && ident(k + 2)) k += 2;
    out.name = IdentName(text, toks[k++]);
    if (w(k, "BEFORE")) out.before = true, ++k;
    else if (w(k, "AFTER")) out.before = false, ++k;
    else if (w(k, "INSTEAD") && w(k + 1, "OF")) return MakeErrorAt(at(k), 25002);
    else if (w(k, "FOR")) return MakeErrorAt(at(k), 3001);
    else return MakeErrorAt(at(k), 4071);
    for (;;) {
        if (w(k, "INSERT")) out.onInsert = true, ++k;
        else if (w(k, "DELETE")) out.onDelete = true, ++k;
        else if (w(k, "UPDATE")) {
            out.onUpdate = true;
            ++k;
            if (w(k, "OF")) {
                ++k;
                while (ident(k)) {
                    out.updateColumns.push_back(IdentName(text, toks[k++]));
                    if (!o(k, ",")) break;
                    ++k;
                }
                if (out.updateColumns.empty()) return MakeErrorAt(at(k), 4072);
            }
        } else {
            return MakeErrorAt(at(k), 4072);
        }
        if (w(k, "OF")) return MakeErrorAt(at(k), 4073);
        if (!w(k, "OR")) break;
        ++k;
    }
    if (!w(k, "ON")) return MakeErrorAt(at(k), 969);
    ++k;
    if (!ident(k)) return MakeErrorAt(at(k), 903);
    if (o(k + 1, ".") && ident(k + 2)) k += 2;
    out.table = Upper(IdentName(text, toks[k++]));
    if (w(k, "REFERENCING")) {
        ++k;
        while (w(k, "OLD") || w(k, "NEW") || w(k, "PARENT")) {
            std::string which = Upper(TokText(text, toks[k++]));
            if (w(k, "AS")) ++k;
            if (!ident(k)) return MakeErrorAt(at(k), 4074);
            std::string alias = IdentName(text, toks[k++]);
            if (which == "OLD") out.oldName = alias;
            else if (which == "NEW") out.newName = alias;
        }
    }
    if (w(k, "FOR") && w(k + 1, "EACH") && w(k + 2, "ROW")) out.row = true, k += 3;
    while (w(k, "FOLLOWS") || w(k, "PRECEDES")) {
        ++k;
        while (ident(k)) {
            k += o(k + 1, ".") ? 3 : 1;
            if (!o(k, ",")) break;
            ++k;
        }
    }
    if (w(k, "ENABLE")) ++k;
    else if (w(k, "DISABLE")) out.enabled = false, ++k;
    if (w(k, "WHEN")) {
        if (!out.row) return MakeErrorAt(at(k), 4077);
        ++k;
        if (!o(k, "(")) return MakeErrorAt(at(k), 906);
        int depth = 0;
        size_t open = k;
        for (; k < toks.size(); ++k) {
            if (o(k, "(")) ++depth;
            else if (o(k, ")") && --depth == 0) break;
        }
        if (k >= toks.size()) return MakeErrorAt(at(k), 907);
        out.whenBegin = open + 1;
        out.whenEnd = k;
        ++k;
    }
    if (!w(k, "DECLARE") && !w(k, "BEGIN") && !w(k, "CALL")) return MakeErrorAt(at(k), 4075);
    out.bodyBegin = k;
    if (!out.row)
        for (size_t i = k; i < toks.size(); ++i)
            if (toks[i].kind == Tok::Bind) {
                std::string b = Upper(TokText(text, toks[i]).substr(1));
                if (b == out.newName || b == out.oldName) return MakeErrorAt(at(i), 4082);
            }
    return {};
}

DmlTarget DmlTargetOf(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e) {
    DmlTarget t;
    auto w = [&](size_t i, std::string_view word) { return i < e && IsWord(text, toks[i], word); };
    auto o = [&](size_t i, std::string_view op) { return i < e && IsOp(text, toks[i], op); };
    auto ident = [&](size_t i) { return i < e && (toks[i].kind == Tok::Word || toks[i].kind == Tok::QIdent); };
    size_t k = b;
    if (w(k, "MERGE") && w(k + 1, "INTO") && ident(k + 2)) {
        k += 2;
        if (o(k + 1, ".") && ident(k + 2)) k += 2;
        t.table = Upper(IdentName(text, toks[k]));
        t.merge = true;
        return t;
    }
    if (w(k, "INSERT") && w(k + 1, "INTO")) t.event = DmlTarget::Insert, k += 2;
    else if (w(k, "UPDATE")) t.event = DmlTarget::Update, ++k;
    else if (w(k, "DELETE")) {
        t.event = DmlTarget::Delete, ++k;
        if (w(k, "FROM")) ++k;
    } else return t;
    if (!ident(k)) return DmlTarget{};
    if (o(k + 1, ".") && ident(k + 2)) k += 2;
    t.table = Upper(IdentName(text, toks[k++]));
    if (t.event == DmlTarget::Insert) {
        // [alias] [(columns)] VALUES (...)
        if (ident(k) && !w(k, "VALUES") && !w(k, "SELECT") && !w(k, "WITH")) ++k;
        if (o(k, "(")) {
            int depth = 0;
            for (; k < e; ++k) {
                if (o(k, "(")) ++depth;
                else if (o(k, ")") && --depth == 0) break;
            }
            ++k;
        }
        t.singleRow = w(k, "VALUES");
    } else if (t.event == DmlTarget::Update) {
        while (k < e && !w(k, "SET")) ++k;
        ++k;
        int depth = 0;
        bool start = true;
        for (; k < e; ++k) {
            if (depth == 0 && (w(k, "WHERE") || w(k, "RETURNING") || w(k, "RETURN"))) break;
            if (start && depth == 0 && o(k, "(")) {
                // (a, b) = (subquery)
                for (++k; k < e && !o(k, ")"); ++k)
                    if (ident(k) && !o(k + 1, ".")) t.setColumns.push_back(IdentName(text, toks[k]));
                start = false;
                continue;
            }
            if (start && ident(k)) {
                size_t c = k;
                while (o(c + 1, ".") && ident(c + 2)) c += 2;
                t.setColumns.push_back(IdentName(text, toks[c]));
                k = c;
                start = false;
                continue;
            }
            if (o(k, "(")) ++depth;
            else if (o(k, ")")) --depth;
            else if (depth == 0 && o(k, ",")) start = true;
        }
        for (std::string& c : t.setColumns) c = Upper(c);
    }
    return t;
}

bool RunDmlWithTriggers(Session& s, sqlite3_stmt* vm, const DmlTarget& target, const ErrorContext* ctx,
                        OraError& err, int64_t& changes) {
    err = OraError{};
    changes = 0;
    if ((target.event == DmlTarget::None && !target.merge) || target.table.empty()) return false;
    std::vector<std::shared_ptr<Compiled>> trigs;
    LoadTriggers(s, target, trigs);
    if (trigs.empty()) return false;
    if (target.merge) {
        // MERGE is not split into its inserts and updates here: refused rather than run without them
        err = MakeRawError(3001, "unimplemented feature: MERGE into a table that has triggers");
        return true;
    }
    PlState& st = EngineOf(s);
    if (st.dmlDepth >= kMaxTriggerNesting || StackNearlyFull()) {
        err = MakeError(36, "50");
        return true;
    }
    const std::string sp = "liteoci_dml" + std::to_string(st.dmlDepth);
    if ((err = s.Exec(("SAVEPOINT " + sp).c_str()))) return true;
    ++st.dmlDepth;
    st.triggerStack.push_back(TriggerContext{target.event, &target.setColumns});
    err = RunStatement(s, target, vm, ctx, trigs, changes);
    st.triggerStack.pop_back();
    --st.dmlDepth;
    // a statement whose trigger fails leaves nothing of its own behind
    if (err) {
        s.Exec(("ROLLBACK TO " + sp).c_str());
        changes = 0;
    }
    s.Exec(("RELEASE " + sp).c_str());
    return true;
}

OraError CheckMutating(Session& s, const std::vector<std::string>& tables) {
    PlState& st = EngineOf(s);
    for (const std::string& t : tables)
        for (const std::string& m : st.mutating)
            if (t == m) return MakeError(4091, s.user() + "." + t);
    return {};
}

void RegisterTriggerFunctions(Session& s) {
    sqlite3_create_function_v2(s.db(), "LITEOCI_CAPTURING", 2, SQLITE_UTF8, &s, CapturingFunction, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(s.db(), "LITEOCI_CAPTURE", -1, SQLITE_UTF8, &s, CaptureFunction, nullptr, nullptr, nullptr);
}

OraError StoreTriggerDef(Session& s, const TriggerDef& def) {
    sqlite3_stmt* q = nullptr;
    std::string sql = std::string("INSERT OR REPLACE INTO ") + kTriggersTable +
                      " (name, table_name, trigger_type, triggering_event, enabled) VALUES (?1, ?2, ?3, ?4, ?5)";
    int rc = sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(q, 1, def.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(q, 2, def.table.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(q, 3, def.Type().c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(q, 4, def.Events().c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(q, 5, def.enabled ? 1 : 0);
        rc = sqlite3_step(q);
    }
    sqlite3_finalize(q);
    return rc == SQLITE_DONE ? OraError{} : s.MapError(rc);
}

OraError AlterTriggers(Session& s, std::string_view text, const std::vector<Token>& toks) {
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    auto ident = [&](size_t i) { return i < toks.size() && (toks[i].kind == Tok::Word || toks[i].kind == Tok::QIdent); };
    size_t k = 2;
    if (!ident(k)) return MakeErrorAt(k < toks.size() ? static_cast<int>(toks[k].pos) : 0, 900);
    if (k + 2 < toks.size() && IsOp(text, toks[k + 1], ".") && ident(k + 2)) k += 2;
    std::string name = Upper(IdentName(text, toks[k]));
    int nameAt = static_cast<int>(toks[k].pos);
    ++k;
    if (OraError e = s.Commit()) return e;
    std::string sql;
    if (w(1, "TRIGGER")) {
        if (w(k, "COMPILE")) sql = std::string("SELECT 1 FROM ") + kTriggersTable + " WHERE name = ?1";
        else if (w(k, "ENABLE") || w(k, "DISABLE"))
            sql = std::string("UPDATE ") + kTriggersTable + " SET enabled = " + (w(k, "ENABLE") ? "1" : "0") + " WHERE name = ?1";
        else return MakeErrorAt(k < toks.size() ? static_cast<int>(toks[k].pos) : 0, 922);
    } else {
        ColumnInfo cols;
        if (!TableColumns(s, name, cols)) return MakeErrorAt(nameAt, 942);
        sql = std::string("UPDATE ") + kTriggersTable + " SET enabled = " + (w(k, "ENABLE") ? "1" : "0") +
              " WHERE table_name = ?1";
    }
    sqlite3_stmt* q = nullptr;
    int rc = sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr);
    bool found = false;
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(q, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(q);
        found = rc == SQLITE_ROW || (rc == SQLITE_DONE && sqlite3_changes(s.db()) > 0);
        if (rc == SQLITE_ROW) rc = SQLITE_DONE;
    }
    sqlite3_finalize(q);
    if (rc != SQLITE_DONE) return s.MapError(rc);
    if (w(1, "TRIGGER") && !found) return MakeErrorAt(nameAt, 4080, s.user() + "." + name);
    return {};
}

void ForgetTableTriggers(Session& s, const std::string& upperTable) {
    sqlite3_stmt* q = nullptr;
    std::string sql = std::string("SELECT name FROM ") + kTriggersTable + " WHERE table_name = ?1";
    std::vector<std::string> names;
    if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, upperTable.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(q) == SQLITE_ROW)
            names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)));
    }
    sqlite3_finalize(q);
    for (const std::string& n : names) {
        for (const char* table : {kTriggersTable, kSourceTable, kErrorsTable}) {
            std::string del = std::string("DELETE FROM ") + table + " WHERE name = " + QuoteString(n) +
                              (std::strcmp(table, kTriggersTable) == 0 ? "" : " AND type = 'TRIGGER'");
            s.Exec(del.c_str());
        }
        EngineOf(s).triggers.erase(n);
    }
}

}  // namespace liteoci
