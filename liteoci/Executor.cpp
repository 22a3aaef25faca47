#include "Executor.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <cstring>

#include "AlterModify.h"
#include "Catalog.h"
#include "OracleForms.h"
#include "Merge.h"
#include "MultiInsert.h"
#include "OuterJoin.h"
#include "ColumnRules.h"
#include "TableChange.h"
#include "WithinGroup.h"
#include "Quantified.h"
#include "SchemaNames.h"
#include "Identity.h"
#include "CreateAs.h"
#include "DateForms.h"
#include "Dictionary.h"
#include "Explain.h"
#include "Hierarchy.h"
#include "OraCodes.h"
#include "OraFormat.h"
#include "PlEngine.h"
#include "PlRunner.h"
#include "PlTriggers.h"
#include "QueryChecks.h"
#include "SqlFunctions.h"

namespace liteoci {

StmtHandle::StmtHandle() : HandleHeader(OCI_HTYPE_STMT) {}
StmtHandle::~StmtHandle() { Reset(); }

void StmtHandle::Reset() {
    if (vm) sqlite3_finalize(vm);
    vm = nullptr;
    block.reset();
    session.reset();
    translation = Translation{};
    placeholderCount = 0;
    compiled = false;
    columns.clear();
    params.clear();
    binds.clear();
    defines.clear();
    state = State::Prepared;
    rowCount = rowsFetched = 0;
    parseErrorOffset = 0;
    parts.clear();
    partTexts.clear();
}

namespace {

// ---- column types ------------------------------------------------------------------------------

enum class Kind : uint8_t { Unknown, Num, Chr, Dat, Ts, Tz, Ym, Ds };  // Tz: with time zone; Ym, Ds: intervals

void ParseTypeArgs(const std::string& up, int& a, int& b) {
    a = b = -1;
    size_t p = up.find('(');
    if (p == std::string::npos) return;
    a = std::atoi(up.c_str() + p + 1);
    size_t comma = up.find(',', p);
    if (comma != std::string::npos) b = std::atoi(up.c_str() + comma + 1);
}

bool Has(const std::string& s, const char* w) { return s.rfind(w, 0) == 0; }

Kind KindOfDecl(const char* decl) {
    Column c = ColumnFromDeclaredType(decl);
    if (c.sqlt == SQLT_NUM) return Kind::Num;
    if (c.sqlt == SQLT_DAT) return Kind::Dat;
    if (c.sqlt == SQLT_TIMESTAMP) return Kind::Ts;
    if (c.sqlt == SQLT_TIMESTAMP_TZ) return Kind::Tz;
    if (c.sqlt == SQLT_INTERVAL_YM) return Kind::Ym;
    if (c.sqlt == SQLT_INTERVAL_DS) return Kind::Ds;
    return Kind::Chr;
}

struct Typer {
    StmtHandle* st;
    std::string_view text;
    const std::vector<Token>& toks;
    std::vector<size_t> match;

    bool W(size_t i, std::string_view w) const { return i < toks.size() && IsWord(text, toks[i], w); }
    bool O(size_t i, std::string_view o) const { return i < toks.size() && IsOp(text, toks[i], o); }

    Kind Column(const std::string& qualifier, const std::string& name) const {
        for (const auto& [alias, table] : st->translation.tables) {
            if (!qualifier.empty() && qualifier != alias) continue;
            const char* decl = nullptr;
            if (sqlite3_table_column_metadata(st->session->db(), nullptr, table.c_str(), name.c_str(), &decl, nullptr,
                                              nullptr, nullptr, nullptr) == SQLITE_OK)
                return decl ? KindOfDecl(decl) : Kind::Unknown;
        }
        return Kind::Unknown;
    }

    // The type of an interval literal (INTERVAL '1-2' YEAR TO MONTH), or Unknown when none starts at b.
    Kind IntervalLiteral(size_t b, size_t e) const {
        if (!W(b, "INTERVAL") || b + 2 >= e || toks[b + 1].kind != Tok::String) return Kind::Unknown;
        return W(b + 2, "YEAR") || W(b + 2, "MONTH") ? Kind::Ym : Kind::Ds;
    }

    // CAST(expr AS type) by the type named after its last AS.
    Kind CastKind(size_t open) const {
        if (match[open] == SIZE_MAX) return Kind::Unknown;
        size_t as = SIZE_MAX;
        for (size_t i = open + 1; i < match[open]; ++i) {
            if (O(i, "(") && match[i] != SIZE_MAX) i = match[i];
            else if (W(i, "AS")) as = i;
        }
        if (as == SIZE_MAX || as + 1 >= match[open]) return Kind::Unknown;
        return KindOfDecl(std::string(TokText(text, toks[as + 1])).c_str());
    }

    Kind Infer(size_t b, size_t e) const {
        if (b >= e) return Kind::Unknown;
        if (O(b, "(") && match[b] == e - 1) return Infer(b + 1, e - 1);
        // (a - b) DAY TO SECOND
        if (O(b, "(") && match[b] != SIZE_MAX && match[b] + 1 < e && W(match[b] + 1, "DAY") &&
            IntervalExpressionStart(text, toks, match, b, e - 1, e) == b)
            return Kind::Ds;
        // split into operands at depth 0
        std::vector<std::pair<size_t, size_t>> parts;
        size_t s = b;
        bool arithmetic = false;
        for (size_t i = b; i < e; ++i) {
            if (O(i, "(") && match[i] != SIZE_MAX) {
                i = match[i];
                continue;
            }
            if (W(i, "CASE")) {
                int nest = 0;
                for (; i < e; ++i) {
                    if (W(i, "CASE")) ++nest;
                    else if (W(i, "END") && --nest == 0) break;
                }
                continue;
            }
            if (O(i, "||")) return Kind::Chr;
            if (O(i, "+") || O(i, "-") || O(i, "*") || O(i, "/")) {
                if (i > s) parts.emplace_back(s, i);
                s = i + 1;
                arithmetic = true;
            }
        }
        if (arithmetic) {
            if (e > s) parts.emplace_back(s, e);
            if (parts.size() == 1) return Infer(parts[0].first, parts[0].second);
            int dates = 0, stamps = 0, intervals = 0;
            bool zoned = false;
            Kind interval = Kind::Unknown;
            for (auto [pb, pe] : parts) {
                const Kind k = Infer(pb, pe);
                dates += k == Kind::Dat;
                stamps += k == Kind::Ts || k == Kind::Tz;
                if (k == Kind::Tz) zoned = true;
                if (k == Kind::Ym || k == Kind::Ds) {
                    if (intervals++ == 0) interval = k;
                }
            }
            // datetime arithmetic: two datetimes with a TIMESTAMP differ by an interval; a TIMESTAMP
            // moved by an interval stays one, by a number of days it becomes a DATE
            if (stamps > 0 && dates + stamps > 1) return Kind::Ds;
            if (stamps == 1) return intervals > 0 ? (zoned ? Kind::Tz : Kind::Ts) : Kind::Dat;
            if (dates == 1) return Kind::Dat;
            return intervals > 0 ? interval : Kind::Num;
        }
        const Token& t = toks[b];
        if (t.kind == Tok::Number) return Kind::Num;
        if (t.kind == Tok::String || t.kind == Tok::Bind) return Kind::Chr;
        if (W(b, "NULL")) return Kind::Chr;
        if ((W(b, "DATE") || W(b, "SYSDATE") || W(b, "CURRENT_DATE")) && e - b <= 2) return Kind::Dat;
        if (const Kind k = IntervalLiteral(b, e); k != Kind::Unknown) return k;
        if ((W(b, "SYSTIMESTAMP") || W(b, "CURRENT_TIMESTAMP")) && e - b == 1) return Kind::Tz;
        if (W(b, "TIMESTAMP") && e - b == 2 && toks[b + 1].kind == Tok::String) {
            // TIMESTAMP '1999-01-01 10:00:00 -08:00' has a time zone
            const std::string v = StringValue(text, toks[b + 1]);
            const size_t sign = v.find_last_of("+-");
            return sign != std::string::npos && sign > 10 ? Kind::Tz : Kind::Ts;
        }
        if (W(b, "LOCALTIMESTAMP") && e - b == 1) return Kind::Ts;
        if (W(b, "ROWNUM") || W(b, "LEVEL")) return Kind::Num;
        if (W(b, "USER")) return Kind::Chr;
        if (W(b, "CASE")) {
            for (size_t i = b; i < e; ++i)
                if (W(i, "THEN")) {
                    size_t j = i + 1;
                    while (j < e && !W(j, "WHEN") && !W(j, "ELSE") && !W(j, "END")) {
                        if (O(j, "(") && match[j] != SIZE_MAX) j = match[j];
                        ++j;
                    }
                    return Infer(i + 1, j);
                }
            return Kind::Unknown;
        }
        if (t.kind == Tok::Word && O(b + 1, "(")) {
            std::string f = Upper(TokText(text, t));
            static const char* const kNum[] = {"COUNT", "SUM", "AVG", "LENGTH", "INSTR", "TO_NUMBER", "ABS", "MOD",
                                               "CEIL", "FLOOR", "POWER", "SQRT", "SIGN", "MONTHS_BETWEEN",
                                               "ROW_NUMBER", "RANK", "DENSE_RANK", "STDDEV", "VARIANCE", "LN", "EXP",
                                               "LOG", "EXTRACT"};
            static const char* const kDat[] = {"TO_DATE", "ADD_MONTHS", "LAST_DAY", "NEXT_DAY"};
            static const char* const kFirstArg[] = {"MIN", "MAX", "NVL", "COALESCE", "TRUNC", "ROUND", "GREATEST",
                                                    "LEAST"};
            for (const char* n : kNum)
                if (f == n) return Kind::Num;
            for (const char* n : kDat)
                if (f == n) return Kind::Dat;
            if (f == "TO_TIMESTAMP" || f == "SYS_EXTRACT_UTC") return Kind::Ts;
            if (f == "TO_TIMESTAMP_TZ" || f == "FROM_TZ") return Kind::Tz;
            if (f == "NUMTODSINTERVAL" || f == "TO_DSINTERVAL") return Kind::Ds;
            if (f == "NUMTOYMINTERVAL" || f == "TO_YMINTERVAL") return Kind::Ym;
            if (f == "CAST") return CastKind(b + 1);
            std::vector<std::pair<size_t, size_t>> args;
            size_t close = match[b + 1] == SIZE_MAX ? e : match[b + 1];
            size_t a = b + 2;
            for (size_t i = a; i <= close && i < e + 1; ++i) {
                if (i == close || (O(i, ",") && true)) {
                    args.emplace_back(a, i);
                    a = i + 1;
                    if (i == close) break;
                } else if (O(i, "(") && match[i] != SIZE_MAX) {
                    i = match[i];
                }
            }
            auto argKind = [&](size_t k) { return k < args.size() ? Infer(args[k].first, args[k].second) : Kind::Unknown; };
            for (const char* n : kFirstArg)
                if (f == n) {
                    Kind k = argKind(0);
                    if (k == Kind::Unknown && args.size() > 1) k = argKind(1);
                    if (k == Kind::Unknown && (f == "TRUNC" || f == "ROUND")) k = Kind::Num;
                    if ((k == Kind::Ts || k == Kind::Tz) && (f == "TRUNC" || f == "ROUND")) k = Kind::Dat;
                    return k;
                }
            if (f == "NVL2") return argKind(1);
            if (f == "DECODE") return argKind(2);
            return Kind::Chr;
        }
        if ((t.kind == Tok::Word || t.kind == Tok::QIdent)) {
            if (e - b == 3 && O(b + 1, ".") && (W(b + 2, "NEXTVAL") || W(b + 2, "CURRVAL"))) return Kind::Num;
            if (e - b == 1) return Column("", IdentName(text, t));
            if (e - b == 3 && O(b + 1, ".")) return Column(IdentName(text, t), IdentName(text, toks[b + 2]));
        }
        return Kind::Unknown;
    }
};

void Describe(StmtHandle* st) {
    st->columns.clear();
    st->params.clear();
    int n = sqlite3_column_count(st->vm) - st->translation.hiddenColumns;
    const auto& items = st->translation.items;
    size_t stars = 0;
    for (const auto& it : items) stars += it.star;
    Typer typer{st, st->text, st->lex.toks, MatchParens(st->text, st->lex.toks, 0, st->lex.toks.size())};
    size_t nonStar = items.size() - stars;
    for (int i = 0; i < n; ++i) {
        const char* decl = sqlite3_column_decltype(st->vm, i);
        Column c;
        if (decl) {
            c = ColumnFromDeclaredType(decl);
        } else {
            // which select item produced column i: possible when at most one "*" is in the list
            const SelectItem* item = nullptr;
            if (stars <= 1 && static_cast<size_t>(n) >= nonStar) {
                size_t expand = static_cast<size_t>(n) - nonStar, col = 0;
                for (const auto& it : items) {
                    size_t width = it.star ? expand : 1;
                    if (static_cast<size_t>(i) < col + width) {
                        if (!it.star) item = &it;
                        break;
                    }
                    col += width;
                }
            }
            Kind k = item ? typer.Infer(item->first, item->last) : Kind::Unknown;
            if (k == Kind::Num) c = ColumnFromDeclaredType("NUMBER");
            else if (k == Kind::Dat) c = ColumnFromDeclaredType("DATE");
            else if (k == Kind::Ym) c = ColumnFromDeclaredType("INTERVAL YEAR TO MONTH");
            else if (k == Kind::Ds) c = ColumnFromDeclaredType("INTERVAL DAY TO SECOND");
            else if (k == Kind::Ts || k == Kind::Tz) {
                c = ColumnFromDeclaredType(k == Kind::Tz ? "TIMESTAMP WITH TIME ZONE" : "TIMESTAMP");
                c.scale = -1;  // each value shows its own fractional seconds
            }
            else c = ColumnFromDeclaredType("VARCHAR2(4000)");
        }
        const char* name = sqlite3_column_name(st->vm, i);
        c.name = name ? name : "";
        st->columns.push_back(c);
        auto p = std::make_unique<ParamHandle>();
        p->column = c;
        st->params.push_back(std::move(p));
    }
}

// ---- compiling ---------------------------------------------------------------------------------

ErrorContext ContextOf(StmtHandle* st) {
    ErrorContext ctx;
    ctx.text = st->text;
    ctx.toks = &st->lex.toks;
    ctx.translation = &st->translation;
    ctx.ociType = st->cls.ociType;
    return ctx;
}

OraError PrepareVm(StmtHandle* st, Session& s) {
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v3(s.db(), st->translation.sql.c_str(), static_cast<int>(st->translation.sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &st->vm, &tail);
    // a stored function used in SQL becomes known to the connection on first use
    if (rc != SQLITE_OK && std::strncmp(sqlite3_errmsg(s.db()), "no such function: ", 18) == 0 &&
        RegisterSqlCallable(s, Upper(sqlite3_errmsg(s.db()) + 18))) {
        sqlite3_finalize(st->vm);
        st->vm = nullptr;
        rc = sqlite3_prepare_v3(s.db(), st->translation.sql.c_str(), static_cast<int>(st->translation.sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &st->vm, &tail);
    }
    // a function named without parentheses ("SELECT f FROM dual", "pkg.f") when no column has its name
    for (int tries = 0; rc != SQLITE_OK && tries < 16 && CallWithoutParentheses(s, st->translation.sql); ++tries) {
        sqlite3_finalize(st->vm);
        st->vm = nullptr;
        rc = sqlite3_prepare_v3(s.db(), st->translation.sql.c_str(), static_cast<int>(st->translation.sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &st->vm, &tail);
    }
    if (rc != SQLITE_OK) {
        // the lookups above ran statements of their own, which replaced the connection's message
        sqlite3_finalize(st->vm);
        st->vm = nullptr;
        rc = sqlite3_prepare_v3(s.db(), st->translation.sql.c_str(), static_cast<int>(st->translation.sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &st->vm, &tail);
    }
    if (rc != SQLITE_OK) {
        ErrorContext ctx = ContextOf(st);
        OraError e = s.MapError(rc, &ctx);
        sqlite3_finalize(st->vm);
        st->vm = nullptr;
        return e;
    }
    if (!st->vm) return MakeError(900);
    return {};
}

// CREATE SEQUENCE name [START WITH n] [INCREMENT BY n] [the other options, accepted and ignored] and
// DROP SEQUENCE name become a row written to or deleted from the sequence table.
OraError CompileSequenceDdl(StmtHandle* st, Session& s) {
    const auto& toks = st->lex.toks;
    std::string_view text = st->text;
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    auto endPos = [&] { return static_cast<int>(toks.back().pos + toks.back().len); };
    const bool create = w(0, "CREATE");
    if (toks.size() < 3 || (toks[2].kind != Tok::Word && toks[2].kind != Tok::QIdent))
        return MakeErrorAt(toks.size() > 2 ? static_cast<int>(toks[2].pos) : endPos(), 2277);
    const std::string name = IdentName(text, toks[2]);
    long long start = 1, step = 1;
    // A signed whole number at token i; advances i past it.
    auto number = [&](size_t& i, long long& out) -> OraError {
        bool negative = false;
        if (i < toks.size() && (IsOp(text, toks[i], "-") || IsOp(text, toks[i], "+")))
            negative = IsOp(text, toks[i++], "-");
        if (i >= toks.size() || toks[i].kind != Tok::Number) return MakeErrorAt(i < toks.size() ? static_cast<int>(toks[i].pos) : endPos(), 4002);
        out = std::atoll(std::string(text.substr(toks[i].pos, toks[i].len)).c_str());
        if (negative) out = -out;
        ++i;
        return {};
    };
    for (size_t i = 3; i < toks.size();) {
        long long ignored = 0;
        if (create && w(i, "START") && w(i + 1, "WITH")) {
            i += 2;
            if (OraError e = number(i, start)) return e;
        } else if (create && w(i, "INCREMENT") && w(i + 1, "BY")) {
            i += 2;
            if (OraError e = number(i, step)) return e;
        } else if (create && (w(i, "MINVALUE") || w(i, "MAXVALUE") || w(i, "CACHE"))) {
            ++i;
            if (OraError e = number(i, ignored)) return e;
        } else if (create && (w(i, "NOMINVALUE") || w(i, "NOMAXVALUE") || w(i, "NOCACHE") || w(i, "CYCLE") ||
                              w(i, "NOCYCLE") || w(i, "ORDER") || w(i, "NOORDER"))) {
            ++i;
        } else {
            return MakeErrorAt(static_cast<int>(toks[i].pos), 933);
        }
    }
    if (step == 0) return MakeErrorAt(static_cast<int>(toks[0].pos), 4002);
    const std::string quoted = QuoteString(name);
    Translation t;
    t.sql = create ? std::string("INSERT INTO ") + kSequenceTable + " (name, next, step) SELECT " + quoted + ", " +
                         std::to_string(start) + ", " + std::to_string(step) + " WHERE LITEOCI_SEQUENCE_CHECK(" +
                         quoted + ", 0)"
                   // The check is the key looked up, so it runs even when there is no row to look at.
                   : std::string("DELETE FROM ") + kSequenceTable + " WHERE name = (SELECT " + quoted +
                         " WHERE LITEOCI_SEQUENCE_CHECK(" + quoted + ", 1))";
    t.map.emplace_back(0, toks[0].pos);
    st->translation = std::move(t);
    st->placeholderCount = 0;
    return PrepareVm(st, s);
}

bool ViewExists(Session& s, const std::string& name) {
    sqlite3_stmt* q = nullptr;
    bool found = false;
    if (sqlite3_prepare_v2(s.db(), "SELECT 1 FROM main.sqlite_master WHERE type = 'view' AND name = ?1", -1, &q,
                           nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        found = sqlite3_step(q) == SQLITE_ROW;
    }
    sqlite3_finalize(q);
    return found;
}

OraError Compile(StmtHandle* st, const std::shared_ptr<Session>& s);

// Whether a table of the session's database has a column: for the outer joins of unqualified columns.
ColumnProbe ColumnProbeOf(Session& s) {
    return [&s](const std::string& table, const std::string& column) {
        return sqlite3_table_column_metadata(s.db(), nullptr, table.c_str(), column.c_str(), nullptr, nullptr,
                                             nullptr, nullptr, nullptr) == SQLITE_OK;
    };
}

OraError CompileSql(StmtHandle* st, Session& s);

// INSERT ALL | FIRST and MERGE: each statement they split into is compiled as a statement of its own.
OraError CompileSubStatements(StmtHandle* st, Session& s) {
    std::vector<SubStatement> texts;
    const bool merge = IsWord(st->text, st->lex.toks[0], "MERGE");
    if (OraError e = merge ? SplitMerge(st->text, st->lex.toks, texts) : SplitMultiInsert(st->text, st->lex.toks, texts))
        return e;
    int binds = 0;
    for (const Token& t : st->lex.toks) binds += t.kind == Tok::Bind;
    for (SubStatement& part : texts) {
        auto child = std::make_unique<StmtHandle>();
        PrepareStatement(child.get(), part.text.data(), part.text.size());
        child->session = st->session;
        OraError e = child->lex.error ? child->lex.error : part.deferred ? OraError{} : CompileSql(child.get(), s);
        if (e) {
            e.offset = part.Original(e.offset);
            return e;
        }
        st->parts.push_back(std::move(child));
    }
    st->partTexts = std::move(texts);
    st->placeholderCount = binds;
    return {};
}

OraError CompileSql(StmtHandle* st, Session& s) {
    const auto& toks = st->lex.toks;
    if (st->cls.cls == StmtClass::Dml && (IsMultiInsert(st->text, toks) || IsWord(st->text, toks[0], "MERGE")))
        return CompileSubStatements(st, s);
    if (st->cls.cls == StmtClass::Ddl && IsAlterModify(st->text, toks)) return {};  // runs on its own: AlterModify.h
    if (st->cls.cls == StmtClass::Ddl && toks.size() > 1 && IsWord(st->text, toks[1], "SEQUENCE") &&
        (IsWord(st->text, toks[0], "CREATE") || IsWord(st->text, toks[0], "DROP")))
        return CompileSequenceDdl(st, s);
    // A temporary table's rows are each session's own, which one database file shared by the sessions
    // cannot give; a shared table in its place would show one session's rows to the others.
    if (st->cls.cls == StmtClass::Ddl && toks.size() > 2 && IsWord(st->text, toks[0], "CREATE") &&
        IsWord(st->text, toks[1], "GLOBAL") && IsWord(st->text, toks[2], "TEMPORARY"))
        return MakeErrorAt(static_cast<int>(toks[1].pos), kOraUnimplemented);
    if (st->cls.cls == StmtClass::Ddl && IsTableChange(st->text, toks))
        return CompileTableChange(st->text, toks, st->translation.tableChange);
    if (const size_t as = st->cls.cls == StmtClass::Ddl ? CreateAsQuery(st->text, toks) : 0) {
        // the query, described as a statement of its own, gives the new columns their types
        const bool paren = IsOp(st->text, toks[as + 1], "(") && IsOp(st->text, toks.back(), ")");
        const size_t at = toks[as + (paren ? 2 : 1)].pos;
        const size_t end = paren ? toks.back().pos : st->text.size();
        StmtHandle query;
        PrepareStatement(&query, st->text.data() + at, end - at);
        if (OraError e = Compile(&query, st->session)) {
            if (e.offset >= 0) e.offset += static_cast<int>(at);
            return e;
        }
        return CompileCreateAs(st->text, toks, as, query.columns, st->translation.createAs);
    }
    std::string_view text = st->text;
    size_t b = 0, e = toks.size();
    std::string prefix;
    TranslateOptions opt;
    opt.query = st->cls.cls == StmtClass::Query;
    opt.cancel = s.cancelFlag();
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    std::string replaceView;
    std::shared_ptr<const IdentityPlan> identity;
    if (st->cls.cls == StmtClass::Ddl && w(0, "CREATE") && w(1, "OR") && w(2, "REPLACE")) {
        // SQLite has no OR REPLACE (nor FORCE) for views: the old view is dropped when this runs
        size_t v = 3;
        if (w(v, "FORCE") || w(v, "NOFORCE")) ++v;
        if (w(v, "EDITIONABLE") || w(v, "NONEDITIONABLE")) ++v;
        if (w(v, "VIEW") && v + 1 < toks.size()) {
            size_t n = v + 1;
            if (n + 2 < toks.size() && IsOp(text, toks[n + 1], ".")) n += 2;
            replaceView = IdentName(text, toks[n]);
            opt.substitutions.push_back({1, v, ""});
        }
    }
    if (st->cls.cls == StmtClass::Ddl) {
        std::string table;
        opt.appends = ColumnChecks(ColumnRulesOf(text, toks, table), table);
        for (auto& a : PrimaryKeyNotNull(text, toks)) opt.appends.push_back(std::move(a));
        if (OraError e = PlanIdentities(s, text, toks, opt, identity)) return e;
        if (w(0, "TRUNCATE")) {
            if (!w(1, "TABLE")) return MakeErrorAt(toks.size() > 1 ? static_cast<int>(toks[1].pos) : 0, 900);
            prefix = "DELETE FROM ";
            b = 2;
        } else if (w(0, "RENAME")) {
            prefix = "ALTER TABLE ";
            b = 1;
        } else if (w(0, "DROP")) {
            if (e > 0 && w(e - 1, "PURGE")) --e;
            if (e > 1 && w(e - 2, "CASCADE") && w(e - 1, "CONSTRAINTS")) e -= 2;
        }
    }
    // pkg.f(...) and schema.pkg.f(...): a function of a package, called under a name of its own
    for (size_t i = b; i + 3 < e; ++i) {
        auto ident = [&](size_t k) { return k < e && (toks[k].kind == Tok::Word || toks[k].kind == Tok::QIdent); };
        if (!ident(i) || (i > b && IsOp(text, toks[i - 1], "."))) continue;
        size_t p = i;
        if (i + 5 < e && ident(i + 2) && ident(i + 4) && IsOp(text, toks[i + 1], ".") && IsOp(text, toks[i + 3], ".") &&
            IsOp(text, toks[i + 5], "(") && IdentName(text, toks[i]) == s.user())
            p = i + 2;
        if (!(ident(p) && p + 3 < e && IsOp(text, toks[p + 1], ".") && ident(p + 2) && IsOp(text, toks[p + 3], "(")))
            continue;
        std::string sqlName;
        if (!RegisterPackageCallable(s, IdentName(text, toks[p]), IdentName(text, toks[p + 2]), sqlName)) continue;
        opt.substitutions.push_back({i, p + 3, sqlName});
        i = p + 2;
    }
    DropSchemaNames(s, text, toks, b, e, opt);
    RewriteOracleForms(text, toks, b, e, opt);
    RewriteGroupForms(text, toks, b, e, opt);
    RewriteQuantified(text, toks, b, e, opt);
    if (OraError err = CheckQueryBlocks(s.db(), text, toks, b, e, opt)) return err;
    PositionalResolver resolver;
    if (b > 0) st->translation.sql = prefix;
    Translation tmp;
    const size_t insertQuery = HierarchicalInsertQuery(text, toks, b, e);
    OraError err = opt.query && IsHierarchicalQuery(text, toks, b, e)
                       ? TranslateHierarchical(text, toks, b, e, resolver, tmp)
                   : insertQuery != SIZE_MAX
                       ? TranslateHierarchicalInsert(text, toks, b, insertQuery, e, opt, resolver, tmp)
                       : TranslateWithOuterJoins(text, toks, b, e, opt, ColumnProbeOf(s), resolver, tmp);
    if (err) return err;
    tmp.hiddenColumns = opt.hiddenColumns;
    PlaceMarkedOperands(tmp);
    if (b > 0) {
        for (auto& m : tmp.map) m.first += static_cast<uint32_t>(prefix.size());
        tmp.sql = prefix + tmp.sql;
    }
    // RENAME a TO b: ALTER TABLE a RENAME TO b
    if (w(0, "RENAME")) {
        size_t to = tmp.sql.find(" TO ");
        if (to != std::string::npos) tmp.sql.insert(to, " RENAME");
    }
    // ALTER TABLE t ADD (c NUMBER): SQLite takes the column without the parentheses
    if (st->cls.cls == StmtClass::Ddl && w(0, "ALTER") && w(1, "TABLE") && w(3, "ADD") && e > 5 &&
        IsOp(text, toks[4], "(") && IsOp(text, toks[e - 1], ")")) {
        Translation t2;
        PositionalResolver r2;
        if (OraError e2 = Translate(text, toks, 0, 4, opt, r2, t2)) return e2;
        Translation t3;
        if (OraError e3 = Translate(text, toks, 5, e - 1, opt, r2, t3)) return e3;
        for (auto& m : t3.map) m.first += static_cast<uint32_t>(t2.sql.size() + 8);
        t2.sql += " COLUMN " + t3.sql;
        t2.map.insert(t2.map.end(), t3.map.begin(), t3.map.end());
        tmp = std::move(t2);
    }
    tmp.identity = std::move(identity);
    st->translation = std::move(tmp);
    st->placeholderCount = resolver.count();
    if (!replaceView.empty() && ViewExists(s, replaceView)) {
        st->translation.replaceView = replaceView;
        return {};
    }
    return PrepareVm(st, s);
}

OraError Compile(StmtHandle* st, const std::shared_ptr<Session>& s) {
    if (st->compiled && st->session == s) return {};
    if (st->vm) sqlite3_finalize(st->vm);
    st->vm = nullptr;
    st->block.reset();
    st->translation = Translation{};
    st->parts.clear();
    st->partTexts.clear();
    st->session = s;
    st->compiled = false;
    if (st->lex.error) return st->lex.error;
    if (st->lex.toks.empty()) return MakeErrorAt(0, 900);
    OraError e;
    switch (st->cls.cls) {
        case StmtClass::Query:
        case StmtClass::Dml:
        case StmtClass::Ddl:
            e = CompileSql(st, *s);
            if (!e && st->cls.cls == StmtClass::Query) Describe(st);
            break;
        case StmtClass::Block:
            e = PlBlock::Compile(*s, st->text, st->lex.toks, 0, st->lex.toks.size(), st->block);
            if (!e) st->placeholderCount = st->block->placeholderCount();
            break;
        case StmtClass::Unknown: e = MakeErrorAt(static_cast<int>(st->lex.toks[0].pos), 900); break;
        default: break;
    }
    if (e) return e;
    st->compiled = true;
    return {};
}

// ---- binds -------------------------------------------------------------------------------------

OraError ReadBind(const BindHandle* b, ub4 iter, Value& v) {
    v = Value{};
    if (b->ind && b->ind[iter] == -1) return {};
    const char* p = static_cast<const char*>(b->value) + static_cast<size_t>(iter) * static_cast<size_t>(b->size);
    if (!b->value) return {};
    switch (b->dty) {
        case SQLT_INT: {
            v.type = Value::Int;
            switch (b->size) {
                case 1: v.i = *reinterpret_cast<const signed char*>(p); break;
                case 2: { int16_t x; std::memcpy(&x, p, 2); v.i = x; break; }
                case 4: { int32_t x; std::memcpy(&x, p, 4); v.i = x; break; }
                case 8: { int64_t x; std::memcpy(&x, p, 8); v.i = x; break; }
                default: return MakeError(932);
            }
            return {};
        }
        case SQLT_UIN: {
            v.type = Value::Int;
            uint32_t x = 0;
            if (b->size == 4) std::memcpy(&x, p, 4);
            else return MakeError(932);
            v.i = x;
            return {};
        }
        case SQLT_FLT: {
            v.type = Value::Real;
            if (b->size == 8) std::memcpy(&v.d, p, 8);
            else if (b->size == 4) { float f; std::memcpy(&f, p, 4); v.d = f; }
            else return MakeError(932);
            return {};
        }
        case SQLT_CHR:
        case SQLT_AFC:
        case SQLT_VCS:
        case SQLT_LNG:
        case SQLT_STR: {
            size_t len = b->size > 0 ? static_cast<size_t>(b->size) : 0;
            if (b->dty == SQLT_STR) len = strnlen(p, len);
            else if (b->alen) len = std::min<size_t>(len, b->alen[iter]);
            if (len == 0) return {};  // empty text is NULL
            v.type = Value::Text;
            v.s.assign(p, len);
            return {};
        }
        default: return MakeError(932);
    }
}

// Writes an OUT value; sets `truncated` when it did not fit.
OraError WriteBind(BindHandle* b, const Value& v, bool& truncated) {
    if (!b->value) return {};
    char* p = static_cast<char*>(b->value);
    if (v.type == Value::Null) {
        if (b->ind) *b->ind = -1;
        if (b->alen) *b->alen = 0;
        if (b->rcode) *b->rcode = 1405;
        if (b->dty == SQLT_STR && b->size > 0) p[0] = '\0';
        return {};
    }
    if (b->ind) *b->ind = 0;
    if (b->rcode) *b->rcode = 0;
    switch (b->dty) {
        case SQLT_INT:
        case SQLT_UIN: {
            double d = 0;
            if (v.type == Value::Int) d = static_cast<double>(v.i);
            else if (v.type == Value::Real) d = v.d;
            else if (ParseNumberText(v.s, d)) return MakeError(6502, ": character to number conversion error");
            int64_t x = v.type == Value::Int ? v.i : static_cast<int64_t>(std::llround(d));
            switch (b->size) {
                case 1: { int8_t y = static_cast<int8_t>(x); std::memcpy(p, &y, 1); break; }
                case 2: { int16_t y = static_cast<int16_t>(x); std::memcpy(p, &y, 2); break; }
                case 4: { int32_t y = static_cast<int32_t>(x); std::memcpy(p, &y, 4); break; }
                case 8: std::memcpy(p, &x, 8); break;
                default: return MakeError(932);
            }
            if (b->alen) *b->alen = static_cast<ub2>(b->size);
            return {};
        }
        case SQLT_FLT: {
            double d = v.type == Value::Int ? static_cast<double>(v.i) : v.d;
            if (v.type == Value::Text && ParseNumberText(v.s, d)) return MakeError(6502, ": character to number conversion error");
            if (b->size == 8) std::memcpy(p, &d, 8);
            else if (b->size == 4) { float f = static_cast<float>(d); std::memcpy(p, &f, 4); }
            else return MakeError(932);
            return {};
        }
        default: {
            std::string s = ValueText(v);
            size_t cap = b->size > 0 ? static_cast<size_t>(b->size) : 0;
            if (b->dty == SQLT_STR) cap = cap > 0 ? cap - 1 : 0;
            size_t n = std::min(cap, s.size());
            std::memcpy(p, s.data(), n);
            if (b->dty == SQLT_STR && b->size > 0) p[n] = '\0';
            if (b->alen) *b->alen = static_cast<ub2>(std::min<size_t>(n, 65535));
            if (n < s.size()) {
                truncated = true;
                if (b->ind) *b->ind = s.size() > 32767 ? -2 : static_cast<sb2>(s.size());
                if (b->rcode) *b->rcode = 1406;
            }
            return {};
        }
    }
}

OraError BindAll(StmtHandle* st, ub4 iter) {
    for (int k = 0; k < static_cast<int>(st->translation.params.size()); ++k) {
        int slot = st->translation.params[static_cast<size_t>(k)].index;
        if (slot >= static_cast<int>(st->binds.size()) || !st->binds[static_cast<size_t>(slot)])
            return MakeError(1008);
        Value v;
        if (OraError e = ReadBind(st->binds[static_cast<size_t>(slot)].get(), iter, v)) return e;
        BindValue(st->vm, k + 1, v);
    }
    return {};
}

// ---- fetching ----------------------------------------------------------------------------------

struct RowOutcome {
    bool warning = false;
    OraError error;
};

// Copies text into a CHR/STR define, blank-padded to padTo.
void CopyText(DefineHandle* d, ub4 row, const char* src, size_t len, size_t padTo, RowOutcome& out) {
    size_t total = len < padTo ? padTo : len;
    size_t stride = static_cast<size_t>(d->size);
    char* dst = static_cast<char*>(d->value) + row * stride;
    size_t cap = d->size > 0 ? static_cast<size_t>(d->size) : 0;
    if (d->dty == SQLT_STR) cap = cap > 0 ? cap - 1 : 0;
    if (d->rlen && cap > 65535) cap = 65535;  // the returned length is 16 bits wide
    size_t n = total < cap ? total : cap;
    size_t fromSrc = len < n ? len : n;
    std::memcpy(dst, src, fromSrc);
    if (n > fromSrc) std::memset(dst + fromSrc, ' ', n - fromSrc);
    if (d->dty == SQLT_STR && d->size > 0) dst[n] = '\0';
    if (d->rlen) d->rlen[row] = static_cast<ub2>(n);
    if (n < total) {
        if (!d->ind && !d->rcode) {
            out.error = MakeError(1406);
            return;
        }
        if (d->ind) d->ind[row] = total > 32767 ? -2 : static_cast<sb2>(total);
        if (d->rcode) d->rcode[row] = 1406;
        out.warning = true;
    } else {
        if (d->ind) d->ind[row] = 0;
        if (d->rcode) d->rcode[row] = 0;
    }
}

// Hexadecimal digits into their bytes, in place; a text that is not all hex pairs stays as it is.
void DecodeHex(std::string& text) {
    if (text.size() % 2 != 0) return;
    auto digit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    std::string bytes(text.size() / 2, '\0');
    for (size_t k = 0; k < bytes.size(); ++k) {
        const int hi = digit(text[2 * k]), lo = digit(text[2 * k + 1]);
        if (hi < 0 || lo < 0) return;
        bytes[k] = static_cast<char>(hi * 16 + lo);
    }
    text.swap(bytes);
}

void ConvertColumn(StmtHandle* st, int i, DefineHandle* d, ub4 row, RowOutcome& out) {
    sqlite3_stmt* vm = st->vm;
    const Column& c = st->columns[static_cast<size_t>(i)];
    int type = sqlite3_column_type(vm, i);
    size_t stride = static_cast<size_t>(d->size);
    if (type == SQLITE_NULL) {
        if (!d->ind) {
            out.error = MakeError(1405);
            return;
        }
        d->ind[row] = -1;
        if (d->rlen) d->rlen[row] = 0;
        if (d->rcode) d->rcode[row] = 1405;
        if (d->dty == SQLT_CLOB || d->dty == SQLT_BLOB || d->dty == SQLT_BFILE)
            if (auto* lob = Checked<LobHandle>(static_cast<void**>(d->value)[row], OCI_DTYPE_LOB)) {
                lob->initialized = false;
                lob->value.clear();
            }
        if (d->dty == SQLT_STR && d->size > 0) static_cast<char*>(d->value)[row * stride] = '\0';
        return;
    }
    switch (d->dty) {
        case SQLT_CLOB:
        case SQLT_BLOB:
        case SQLT_BFILE: {
            // The locator takes the value; LOB reads come from it.
            if (auto* lob = Checked<LobHandle>(static_cast<void**>(d->value)[row], OCI_DTYPE_LOB)) {
                lob->characters = d->dty == SQLT_CLOB;
                const void* p = type == SQLITE_BLOB ? sqlite3_column_blob(vm, i)
                                                    : static_cast<const void*>(sqlite3_column_text(vm, i));
                const size_t n = static_cast<size_t>(sqlite3_column_bytes(vm, i));
                lob->value.assign(static_cast<const char*>(p ? p : ""), n);
                // Binary values written as text (RAW literals, UTL_RAW) are kept as hexadecimal digits.
                if (d->dty == SQLT_BLOB && type == SQLITE_TEXT) DecodeHex(lob->value);
                lob->initialized = true;
            }
            if (d->ind) d->ind[row] = 0;
            if (d->rcode) d->rcode[row] = 0;
            if (d->rlen) d->rlen[row] = 0;
            return;
        }
        case SQLT_INT:
        case SQLT_UIN:
        case SQLT_FLT: {
            double dv = 0;
            int64_t iv = 0;
            bool isInt = false;
            if (type == SQLITE_INTEGER) iv = sqlite3_column_int64(vm, i), isInt = true;
            else if (type == SQLITE_FLOAT) dv = sqlite3_column_double(vm, i);
            else {
                const char* p = reinterpret_cast<const char*>(sqlite3_column_text(vm, i));
                if (ParseNumberText(std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(vm, i))), dv)) {
                    out.error = MakeError(1722);
                    return;
                }
            }
            char* dst = static_cast<char*>(d->value) + row * stride;
            if (d->dty == SQLT_FLT) {
                double x = isInt ? static_cast<double>(iv) : dv;
                if (d->size == 4) { float f = static_cast<float>(x); std::memcpy(dst, &f, 4); }
                else std::memcpy(dst, &x, 8);
            } else {
                int64_t x = isInt ? iv : static_cast<int64_t>(std::llround(dv));
                switch (d->size) {
                    case 1: { int8_t y = static_cast<int8_t>(x); std::memcpy(dst, &y, 1); break; }
                    case 2: { int16_t y = static_cast<int16_t>(x); std::memcpy(dst, &y, 2); break; }
                    case 8: std::memcpy(dst, &x, 8); break;
                    default: { int32_t y = static_cast<int32_t>(x); std::memcpy(dst, &y, 4); break; }
                }
            }
            if (d->ind) d->ind[row] = 0;
            if (d->rcode) d->rcode[row] = 0;
            if (d->rlen) d->rlen[row] = static_cast<ub2>(d->size);
            return;
        }
        default: break;
    }
    char buf[256];
    switch (type) {
        case SQLITE_INTEGER: {
            size_t n = FormatInteger(sqlite3_column_int64(vm, i), buf);
            return CopyText(d, row, buf, n, c.conv == Conv::Pad ? c.padTo : 0, out);
        }
        case SQLITE_FLOAT: {
            size_t n = FormatDouble(sqlite3_column_double(vm, i), buf);
            return CopyText(d, row, buf, n, c.conv == Conv::Pad ? c.padTo : 0, out);
        }
        case SQLITE_TEXT: {
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(vm, i));
            size_t n = static_cast<size_t>(sqlite3_column_bytes(vm, i));
            if (c.conv == Conv::Date) {
                DateTime dt;
                if (ParseStoredDate(p, n, dt)) {
                    size_t m = st->session->settings().dateFormat.Format(dt, buf, sizeof buf);
                    return CopyText(d, row, buf, m, 0, out);
                }
            }
            if (c.conv == Conv::Timestamp) {
                DateTime dt;
                if (ParseStoredDate(p, n, dt)) {
                    if (!dt.IsTimestamp()) dt.nanos = 0;
                    const int precision = c.scale >= 0 ? c.scale : dt.IsTimestamp() ? dt.precision : 6;
                    dt = RoundFraction(dt, precision);
                    dt.precision = precision;
                    const SessionSettings& settings = st->session->settings();
                    size_t m = (dt.hasZone ? settings.timestampTzFormat : settings.timestampFormat).Format(dt, buf, sizeof buf);
                    return CopyText(d, row, buf, m, 0, out);
                }
            }
            return CopyText(d, row, p, n, c.conv == Conv::Pad ? c.padTo : 0, out);
        }
        default: {  // BLOB: hexadecimal text, as RAW values are shown
            const unsigned char* p = static_cast<const unsigned char*>(sqlite3_column_blob(vm, i));
            size_t n = static_cast<size_t>(sqlite3_column_bytes(vm, i));
            static const char kHex[] = "0123456789ABCDEF";
            st->scratch.resize(n * 2);
            for (size_t k = 0; k < n; ++k) {
                st->scratch[2 * k] = kHex[p[k] >> 4];
                st->scratch[2 * k + 1] = kHex[p[k] & 15];
            }
            return CopyText(d, row, st->scratch.data(), st->scratch.size(), 0, out);
        }
    }
}

sword Fail(ErrorHandle* err, OraError e) {
    err->Set(std::move(e));
    return OCI_ERROR;
}

// Steps the cursor up to nrows times into the defines.
sword FetchRows(StmtHandle* st, ErrorHandle* err, ub4 nrows) {
    Session& s = *st->session;
    st->rowsFetched = 0;
    bool warning = false;
    for (ub4 r = 0; r < nrows; ++r) {
        if (s.cancelled()) {
            sqlite3_reset(st->vm);
            st->state = StmtHandle::State::Done;
            return Fail(err, MakeError(1013));
        }
        int rc = sqlite3_step(st->vm);
        if (rc == SQLITE_ROW) {
            RowOutcome out;
            int ncols = static_cast<int>(st->columns.size());
            for (size_t k = 0; k < st->defines.size(); ++k) {
                DefineHandle* d = st->defines[k].get();
                if (!d) continue;
                if (static_cast<int>(k) >= ncols) {
                    out.error = MakeError(1007);
                    break;
                }
                ConvertColumn(st, static_cast<int>(k), d, r, out);
                if (out.error) break;
            }
            ++st->rowCount;
            ++st->rowsFetched;
            if (out.error) return Fail(err, std::move(out.error));
            warning = warning || out.warning;
            continue;
        }
        sqlite3_reset(st->vm);
        st->state = StmtHandle::State::Done;
        if (rc == SQLITE_DONE) {
            err->Set(MakeError(1403));
            return OCI_NO_DATA;
        }
        ErrorContext ctx = ContextOf(st);
        return Fail(err, s.MapError(rc, &ctx));
    }
    if (warning) {
        err->Set(MakeError(24345));
        return OCI_SUCCESS_WITH_INFO;
    }
    return OCI_SUCCESS;
}

// ---- the statement classes ---------------------------------------------------------------------

// The parts of a statement, one iteration of its binds: all of them or, on an error, none.
OraError RunSubStatements(StmtHandle* st, Session& s, ub4 iter, int64_t& rows) {
    if (OraError e = s.Exec("SAVEPOINT \"liteoci$parts\"")) return e;
    OraError failure;
    rows = 0;
    bool haveRemembered = false;
    sqlite3_int64 remembered = 0;
    for (size_t p = 0; p < st->parts.size() && !failure; ++p) {
        StmtHandle* part = st->parts[p].get();
        const SubStatement& texts = st->partTexts[p];
        if (!part->vm) {
            failure = CompileSql(part, s);
            if (!failure && !part->vm) failure = MakeError(kOraInvalidSql);
            if (failure) {
                failure.offset = texts.Original(failure.offset);
                break;
            }
        }
        // the rows of a query taken into the session's table of rows, for the parts after it
        sqlite3_stmt* vm = part->vm;
        sqlite3_stmt* take = nullptr;
        if (texts.role == SubStatement::Materialize) {
            const std::string sql = "CREATE TEMP TABLE \"liteoci rows\" AS " + part->translation.sql;
            if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &take, nullptr) != SQLITE_OK) {
                failure = s.MapError(sqlite3_errcode(s.db()));
                sqlite3_finalize(take);
                break;
            }
            vm = take;
        }
        sqlite3_reset(vm);
        for (size_t k = 0; k < part->translation.params.size() && !failure; ++k) {
            const int own = part->translation.params[k].index;
            const int slot = own >= 0 && static_cast<size_t>(own) < texts.bindSlots.size()
                                 ? texts.bindSlots[static_cast<size_t>(own)] : -1;
            if (slot == SubStatement::kRemembered) {
                if (haveRemembered) sqlite3_bind_int64(vm, static_cast<int>(k) + 1, remembered);
                else sqlite3_bind_null(vm, static_cast<int>(k) + 1);
                continue;
            }
            if (slot < 0 || static_cast<size_t>(slot) >= st->binds.size() || !st->binds[static_cast<size_t>(slot)]) {
                failure = MakeError(1008);
                break;
            }
            Value v;
            failure = ReadBind(st->binds[static_cast<size_t>(slot)].get(), iter, v);
            if (!failure) BindValue(vm, static_cast<int>(k) + 1, v);
        }
        ErrorContext ctx = ContextOf(part);
        if (take) {
            if (!failure) {
                const int rc = sqlite3_step(take);
                if (rc != SQLITE_DONE) failure = s.MapError(rc, &ctx);
            }
            sqlite3_finalize(take);
            if (failure) failure.offset = texts.Original(failure.offset);
            continue;
        }
        if (failure) break;
        if (texts.role == SubStatement::NoRow || texts.role == SubStatement::Remember) {
            const int rc = sqlite3_step(part->vm);
            if (rc == SQLITE_ROW && texts.role == SubStatement::NoRow) failure = MakeError(texts.error);
            else if (rc == SQLITE_ROW && sqlite3_column_type(part->vm, 0) != SQLITE_NULL)
                haveRemembered = true, remembered = sqlite3_column_int64(part->vm, 0);
            else if (rc != SQLITE_ROW && rc != SQLITE_DONE) failure = s.MapError(rc, &ctx);
            sqlite3_reset(part->vm);
            if (failure) failure.offset = texts.Original(failure.offset);
            continue;
        }
        const DmlTarget target = DmlTargetOf(part->text, part->lex.toks, 0, part->lex.toks.size());
        int64_t changes = 0;
        if (RunDmlWithTriggers(s, part->vm, target, &ctx, failure, changes)) {
            sqlite3_reset(part->vm);
        } else {
            int rc = sqlite3_step(part->vm);
            while (rc == SQLITE_ROW) rc = sqlite3_step(part->vm);
            if (rc != SQLITE_DONE) failure = s.MapError(rc, &ctx);
            else changes = sqlite3_changes(s.db());
            sqlite3_reset(part->vm);
        }
        if (failure) failure.offset = texts.Original(failure.offset);
        if (texts.role == SubStatement::Change) rows += changes;
    }
    if (failure) s.Exec("ROLLBACK TO \"liteoci$parts\"");
    s.Exec("RELEASE \"liteoci$parts\"");
    return failure;
}

sword RunDml(StmtHandle* st, ErrorHandle* err, ub4 iters) {
    Session& s = *st->session;
    if (iters == 0) return Fail(err, MakeError(24333));
    if (!st->parts.empty()) {
        if (OraError e = s.BeginWrite()) return Fail(err, std::move(e));
        st->rowCount = 0;
        for (ub4 it = 0; it < iters; ++it) {
            int64_t rows = 0;
            if (OraError e = RunSubStatements(st, s, it, rows)) return Fail(err, std::move(e));
            st->rowCount += static_cast<ub4>(rows);
        }
        st->state = StmtHandle::State::Executed;
        return OCI_SUCCESS;
    }
    if (OraError e = s.BeginWrite()) return Fail(err, std::move(e));
    st->rowCount = 0;
    const DmlTarget target = DmlTargetOf(st->text, st->lex.toks, 0, st->lex.toks.size());
    for (ub4 it = 0; it < iters; ++it) {
        sqlite3_reset(st->vm);
        if (OraError e = BindAll(st, it)) return Fail(err, std::move(e));
        OraError te;
        int64_t changes = 0;
        ErrorContext tctx = ContextOf(st);
        if (RunDmlWithTriggers(s, st->vm, target, &tctx, te, changes)) {
            sqlite3_reset(st->vm);
            if (te) return Fail(err, std::move(te));
            st->rowCount += static_cast<ub4>(changes);
            continue;
        }
        int rc = sqlite3_step(st->vm);
        while (rc == SQLITE_ROW) rc = sqlite3_step(st->vm);
        if (rc != SQLITE_DONE) {
            ErrorContext ctx = ContextOf(st);
            OraError e = s.MapError(rc, &ctx);
            sqlite3_reset(st->vm);
            return Fail(err, std::move(e));
        }
        st->rowCount += static_cast<ub4>(sqlite3_changes(s.db()));
        sqlite3_reset(st->vm);
    }
    st->state = StmtHandle::State::Executed;
    return OCI_SUCCESS;
}

// SQLite takes a view whose query names what does not exist and fails only where it is used (and
// in every later ALTER TABLE); Oracle refuses to make it. The view's query is compiled once to see.
OraError CheckView(StmtHandle* st, Session& s, const std::string& name) {
    std::string probe = "SELECT * FROM \"";
    for (char c : name) {
        if (c == '"') probe += '"';
        probe += c;
    }
    probe += "\"";
    sqlite3_stmt* q = nullptr;
    const int rc = sqlite3_prepare_v2(s.db(), probe.c_str(), -1, &q, nullptr);
    OraError e;
    if (rc != SQLITE_OK) {
        ErrorContext ctx = ContextOf(st);
        ctx.translation = nullptr;  // the offsets are of the probe, not of the statement
        e = s.MapError(rc, &ctx);
    }
    sqlite3_finalize(q);
    return e;
}

// The view CREATE [OR REPLACE] [NO]FORCE VIEW makes, or empty.
std::string CreatedView(std::string_view text, const std::vector<Token>& toks) {
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    if (!w(0, "CREATE")) return {};
    size_t v = 1;
    if (w(v, "OR") && w(v + 1, "REPLACE")) v += 2;
    if (w(v, "FORCE") || w(v, "NOFORCE")) ++v;
    if (w(v, "EDITIONABLE") || w(v, "NONEDITIONABLE")) ++v;
    if (!w(v, "VIEW") || v + 1 >= toks.size()) return {};
    size_t n = v + 1;
    if (n + 2 < toks.size() && IsOp(text, toks[n + 1], ".")) n += 2;
    return IdentName(text, toks[n]);
}

// CREATE OR REPLACE VIEW of a view that exists: the old one is dropped and the new one made in one
// step, so that a new text that fails leaves the old view in place.
OraError ReplaceView(StmtHandle* st, Session& s) {
    if (OraError e = s.Exec("SAVEPOINT \"liteoci$replace\"")) return e;
    std::string drop = "DROP VIEW \"";
    for (char c : st->translation.replaceView) {
        if (c == '"') drop += '"';
        drop += c;
    }
    drop += "\"";
    OraError e = s.Exec(drop.c_str());
    if (!e) {
        if (st->vm) sqlite3_finalize(st->vm);
        st->vm = nullptr;
        e = PrepareVm(st, s);
    }
    if (!e) {
        const int rc = sqlite3_step(st->vm);
        if (rc != SQLITE_DONE) {
            ErrorContext ctx = ContextOf(st);
            e = s.MapError(rc, &ctx);
        }
        sqlite3_reset(st->vm);
    }
    if (!e) e = CheckView(st, s, st->translation.replaceView);
    if (e) s.Exec("ROLLBACK TO \"liteoci$replace\"");
    s.Exec("RELEASE \"liteoci$replace\"");
    return e;
}

sword RunDdl(StmtHandle* st, ErrorHandle* err) {
    Session& s = *st->session;
    if (OraError e = s.Commit()) return Fail(err, std::move(e));
    if (IsAlterModify(st->text, st->lex.toks)) {
        if (OraError e = AlterModify(s, st->text, st->lex.toks)) return Fail(err, std::move(e));
        NoteDdl(s, st->text, st->lex.toks);
        st->rowCount = 0;
        st->state = StmtHandle::State::Executed;
        return OCI_SUCCESS;
    }
    if (st->translation.createAs) {
        long long rows = 0;
        if (OraError e = RunCreateAs(s, *st->translation.createAs, rows)) return Fail(err, std::move(e));
        NoteDdl(s, st->text, st->lex.toks);
        st->rowCount = static_cast<ub4>(rows);
        st->state = StmtHandle::State::Executed;
        return OCI_SUCCESS;
    }
    if (st->translation.tableChange) {
        if (OraError e = RunTableChange(s, *st->translation.tableChange)) return Fail(err, std::move(e));
        NoteDdl(s, st->text, st->lex.toks);
        st->rowCount = 0;
        st->state = StmtHandle::State::Executed;
        return OCI_SUCCESS;
    }
    if (!st->translation.replaceView.empty()) {
        if (OraError e = ReplaceView(st, s)) return Fail(err, std::move(e));
        NoteDdl(s, st->text, st->lex.toks);
        st->rowCount = 0;
        st->state = StmtHandle::State::Executed;
        return OCI_SUCCESS;
    }
    sqlite3_reset(st->vm);
    if (OraError e = BindAll(st, 0)) return Fail(err, std::move(e));
    int rc = sqlite3_step(st->vm);
    while (rc == SQLITE_ROW) rc = sqlite3_step(st->vm);
    OraError e;
    if (rc != SQLITE_DONE) {
        ErrorContext ctx = ContextOf(st);
        e = s.MapError(rc, &ctx);
    }
    sqlite3_reset(st->vm);
    if (e) return Fail(err, std::move(e));
    const std::string view = CreatedView(st->text, st->lex.toks);
    if (!view.empty())
        if (OraError bad = CheckView(st, s, view)) {
            const std::string drop = "DROP VIEW \"" + view + "\"";
            s.Exec(drop.c_str());
            return Fail(err, std::move(bad));
        }
    NoteDdl(s, st->text, st->lex.toks);
    if (IsWord(st->text, st->lex.toks[0], "CREATE")) {
        std::string table;
        const std::vector<ColumnRule> rules = ColumnRulesOf(st->text, st->lex.toks, table);
        if (!rules.empty()) CreateRoundingTrigger(s, table, rules);
        if (st->translation.identity)
            if (OraError e = CreateIdentities(s, *st->translation.identity)) {
                s.Exec(("DROP TABLE \"" + st->translation.identity->table + "\"").c_str());
                return Fail(err, std::move(e));
            }
    } else if (IsWord(st->text, st->lex.toks[0], "ALTER")) {
        std::string table;
        if (!ColumnRulesOf(st->text, st->lex.toks, table).empty()) RefreshRoundingTrigger(s, table);
    }
    const auto& toks = st->lex.toks;
    // RENAME a TO b and ALTER TABLE a RENAME TO b
    {
        auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(st->text, toks[i], word); };
        size_t a = SIZE_MAX;
        if (w(0, "RENAME")) a = 1;
        else if (w(0, "ALTER") && w(1, "TABLE")) a = toks.size() > 4 && IsOp(st->text, toks[3], ".") ? 4 : 2;
        if (a != SIZE_MAX && w(a + 1 + (w(0, "ALTER") ? 1 : 0), "TO") && (w(0, "RENAME") || w(a + 1, "RENAME"))) {
            const size_t to = a + (w(0, "ALTER") ? 3 : 2);
            if (to < toks.size())
                RenameInColumnChecks(s, IdentName(st->text, toks[a]), IdentName(st->text, toks[to]));
        }
    }
    // a dropped table takes its triggers with it
    if (toks.size() > 2 && IsWord(st->text, toks[0], "DROP") && IsWord(st->text, toks[1], "TABLE")) {
        size_t k = toks.size() > 4 && IsOp(st->text, toks[3], ".") ? 4 : 2;
        ForgetTableTriggers(s, Upper(IdentName(st->text, toks[k])));
    }
    st->rowCount = 0;
    st->state = StmtHandle::State::Executed;
    return OCI_SUCCESS;
}

sword RunBlock(StmtHandle* st, ErrorHandle* err) {
    Session& s = *st->session;
    int n = st->placeholderCount;
    std::vector<Value> values(static_cast<size_t>(n));
    std::vector<bool> assigned(static_cast<size_t>(n), false);
    for (int k = 0; k < n; ++k) {
        if (k >= static_cast<int>(st->binds.size()) || !st->binds[static_cast<size_t>(k)]) return Fail(err, MakeError(1008));
        if (OraError e = ReadBind(st->binds[static_cast<size_t>(k)].get(), 0, values[static_cast<size_t>(k)]))
            return Fail(err, std::move(e));
    }
    if (OraError e = st->block->Run(s, values, assigned)) return Fail(err, std::move(e));
    bool truncated = false;
    for (int k = 0; k < n; ++k) {
        if (!assigned[static_cast<size_t>(k)]) continue;
        if (OraError e = WriteBind(st->binds[static_cast<size_t>(k)].get(), values[static_cast<size_t>(k)], truncated))
            return Fail(err, std::move(e));
    }
    st->rowCount = 1;
    st->state = StmtHandle::State::Executed;
    if (truncated) {
        err->Set(MakeError(24345));
        return OCI_SUCCESS_WITH_INFO;
    }
    return OCI_SUCCESS;
}

// DROP PROCEDURE / FUNCTION / PACKAGE [BODY] / TRIGGER name.
sword DropUnit(StmtHandle* st, ErrorHandle* err) {
    Session& s = *st->session;
    const auto& toks = st->lex.toks;
    std::string_view text = st->text;
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    std::string type = Upper(TokText(text, toks[1]));
    size_t k = 2;
    if (type == "PACKAGE" && w(k, "BODY")) type += " BODY", ++k;
    if (k >= toks.size() || (toks[k].kind != Tok::Word && toks[k].kind != Tok::QIdent))
        return Fail(err, MakeErrorAt(k < toks.size() ? static_cast<int>(toks[k].pos) : 0, 900));
    if (k + 2 < toks.size() && IsOp(text, toks[k + 1], ".")) k += 2;
    const std::string name = IdentName(text, toks[k]);
    if (OraError e = s.Commit()) return Fail(err, std::move(e));
    // a package goes with its body
    std::vector<std::string> types{type};
    if (type == "PACKAGE") types.push_back("PACKAGE BODY");
    int removed = 0;
    for (const std::string& t : types) {
        sqlite3_stmt* q = nullptr;
        std::string sql = std::string("DELETE FROM ") + kSourceTable + " WHERE name = ?1 AND type = ?2";
        if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(q, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(q, 2, t.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(q) == SQLITE_DONE) removed += sqlite3_changes(s.db());
        }
        sqlite3_finalize(q);
        ForgetErrors(s, name, t);
    }
    if (removed == 0 || (type == "PACKAGE" && removed == 0))
        return Fail(err, type == "TRIGGER" ? MakeErrorAt(static_cast<int>(toks[k].pos), 4080, s.user() + "." + name)
                                           : MakeErrorAt(static_cast<int>(toks[k].pos), 4043, s.user() + "." + name));
    if (type == "TRIGGER") {
        std::string del = std::string("DELETE FROM ") + kTriggersTable + " WHERE name = " + QuoteString(name);
        s.Exec(del.c_str());
    }
    NoteDdl(s, text, toks);
    st->state = StmtHandle::State::Executed;
    return OCI_SUCCESS;
}

sword StoreUnit(StmtHandle* st, ErrorHandle* err) {
    Session& s = *st->session;
    const auto& toks = st->lex.toks;
    std::string_view text = st->text;
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    if (w(0, "DROP")) return DropUnit(st, err);
    if (w(0, "ALTER")) {
        if (OraError e = AlterTriggers(s, text, toks)) return Fail(err, std::move(e));
        st->state = StmtHandle::State::Executed;
        return OCI_SUCCESS;
    }
    size_t k = 1;
    bool replace = false;
    if (w(k, "OR") && w(k + 1, "REPLACE")) k += 2, replace = true;
    if (w(k, "EDITIONABLE") || w(k, "NONEDITIONABLE")) ++k;
    std::string type = Upper(TokText(text, toks[k]));
    ++k;
    if ((type == "PACKAGE" || type == "TYPE") && w(k, "BODY")) type += " BODY", ++k;
    if (k >= toks.size() || (toks[k].kind != Tok::Word && toks[k].kind != Tok::QIdent))
        return Fail(err, MakeErrorAt(k < toks.size() ? static_cast<int>(toks[k].pos) : 0, 900));
    if (k + 2 < toks.size() && IsOp(text, toks[k + 1], ".")) k += 2;  // schema-qualified name
    std::string name = IdentName(text, toks[k]);
    if (OraError e = s.Commit()) return Fail(err, std::move(e));
    size_t kindTok = 1;
    while (kindTok < toks.size() && !w(kindTok, "PROCEDURE") && !w(kindTok, "FUNCTION") && !w(kindTok, "PACKAGE") &&
           !w(kindTok, "TRIGGER") && !w(kindTok, "TYPE"))
        ++kindTok;
    TriggerDef trig;
    OraError check;
    if (type == "TRIGGER") {
        // the header must be sound and name a table; only the body may have compilation errors
        if (OraError e = ParseTriggerDef(text, toks, kindTok, trig)) return Fail(err, std::move(e));
        sqlite3_stmt* q = nullptr;
        bool table = false;
        std::string probe = "SELECT 1 FROM pragma_table_info(" + QuoteString(trig.table) + ")";
        if (sqlite3_prepare_v2(s.db(), probe.c_str(), -1, &q, nullptr) == SQLITE_OK) table = sqlite3_step(q) == SQLITE_ROW;
        sqlite3_finalize(q);
        if (!table) {
            size_t on = kindTok;
            while (on < toks.size() && !w(on, "ON")) ++on;
            return Fail(err, MakeErrorAt(on + 1 < toks.size() ? static_cast<int>(toks[on + 1].pos) : 0, 942));
        }
        std::shared_ptr<Program> prog;
        check = CompileTrigger(s, trig, text, toks, prog);
    } else if (type == "TYPE" || type == "TYPE BODY") {
        check = MakeError(24344);
    } else {
        check = CheckStoredUnit(s, text, toks, kindTok, type, name);
    }
    // DDL: the unit is stored in its own committed transaction.
    sqlite3_stmt* q = nullptr;
    std::string sql = std::string(replace ? "INSERT OR REPLACE" : "INSERT") + " INTO " + kSourceTable +
                      " (name, type, text, status) VALUES (?1, ?2, ?3, ?4)";
    int rc = sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(q, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(q, 2, type.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(q, 3, st->text.c_str(), static_cast<int>(st->text.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(q, 4, check ? "INVALID" : "VALID", -1, SQLITE_STATIC);
        rc = sqlite3_step(q);
    }
    sqlite3_finalize(q);
    if (rc != SQLITE_DONE) {
        if ((rc & 0xff) == SQLITE_CONSTRAINT)
            return Fail(err, type == "TRIGGER" ? MakeErrorAt(static_cast<int>(toks[k].pos), 4081, s.user() + "." + name)
                                               : MakeErrorAt(static_cast<int>(toks[k].pos), 955));
        return Fail(err, s.MapError(rc));
    }
    if (type == "TRIGGER") {
        trig.name = name;
        if (OraError e = StoreTriggerDef(s, trig)) return Fail(err, std::move(e));
    }
    // a trigger's errors count from its body already; other units' from their kind keyword
    int startLine = 1, startColumn = 1;
    if (type != "TRIGGER") LineColumn(text, toks[kindTok].pos, startLine, startColumn);
    RecordErrors(s, name, type, check.code == kOraCompile ? check : OraError{}, startLine, startColumn);
    NoteDdl(s, text, toks);
    st->state = StmtHandle::State::Executed;
    if (check) {
        err->Set(MakeError(24344));
        return OCI_SUCCESS_WITH_INFO;
    }
    return OCI_SUCCESS;
}

sword AlterSession(StmtHandle* st, ErrorHandle* err) {
    const auto& toks = st->lex.toks;
    std::string_view text = st->text;
    // ALTER SESSION SET name = value [name = value ...]
    for (size_t i = 3; i + 2 < toks.size(); ++i) {
        if (IsWord(text, toks[i], "NLS_DATE_FORMAT") && IsOp(text, toks[i + 1], "=") &&
            toks[i + 2].kind == Tok::String) {
            DateFormat f;
            if (OraError e = f.Compile(StringValue(text, toks[i + 2]))) return Fail(err, std::move(e));
            st->session->settings().dateFormat = f;
        }
        if (IsWord(text, toks[i], "NLS_TIMESTAMP_FORMAT") && IsOp(text, toks[i + 1], "=") &&
            toks[i + 2].kind == Tok::String) {
            DateFormat f;
            if (OraError e = f.Compile(StringValue(text, toks[i + 2]))) return Fail(err, std::move(e));
            st->session->settings().timestampFormat = f;
        }
        if (IsWord(text, toks[i], "NLS_TIMESTAMP_TZ_FORMAT") && IsOp(text, toks[i + 1], "=") &&
            toks[i + 2].kind == Tok::String) {
            DateFormat f;
            if (OraError e = f.Compile(StringValue(text, toks[i + 2]))) return Fail(err, std::move(e));
            st->session->settings().timestampTzFormat = f;
        }
    }
    st->state = StmtHandle::State::Executed;
    return OCI_SUCCESS;
}

}  // namespace

Column ColumnFromDeclaredType(const char* decl) {
    Column c;
    std::string up = Upper(decl ? decl : "");
    int a, b;
    ParseTypeArgs(up, a, b);
    auto sized = [&](ub2 sqlt, int def) {
        c.sqlt = sqlt;
        c.size = static_cast<ub2>(a > 0 && a <= 65535 ? a : def);
    };
    if (Has(up, "VARCHAR") || Has(up, "NVARCHAR") || Has(up, "CHARACTER VARYING") || Has(up, "TEXT") ||
        Has(up, "STRING")) {
        sized(SQLT_CHR, 4000);
    } else if (Has(up, "NCHAR") || Has(up, "CHAR")) {
        sized(SQLT_AFC, 1);
        c.conv = Conv::Pad;
        c.padTo = c.size;
    } else if (Has(up, "TIMESTAMP")) {
        c.sqlt = up.find("LOCAL") != std::string::npos ? SQLT_TIMESTAMP_LTZ
                 : up.find("ZONE") != std::string::npos ? SQLT_TIMESTAMP_TZ
                                                        : SQLT_TIMESTAMP;
        c.size = up.find("ZONE") != std::string::npos ? 13 : 11;
        c.scale = static_cast<sb1>(a >= 0 && a <= 9 ? a : 6);  // the fractional seconds precision
        if (c.sqlt == SQLT_TIMESTAMP || c.sqlt == SQLT_TIMESTAMP_TZ) c.conv = Conv::Timestamp;
    } else if (Has(up, "INTERVAL")) {
        c.sqlt = up.find("YEAR") != std::string::npos ? SQLT_INTERVAL_YM : SQLT_INTERVAL_DS;
        c.size = up.find("YEAR") != std::string::npos ? 5 : 11;
    } else if (Has(up, "NUMBER") || Has(up, "INTEGER") || Has(up, "INT") || Has(up, "SMALLINT") ||
               Has(up, "FLOAT") || Has(up, "DECIMAL") || Has(up, "NUMERIC") || Has(up, "REAL") ||
               Has(up, "DOUBLE") || Has(up, "BINARY_") || Has(up, "PLS_INTEGER")) {
        c.sqlt = SQLT_NUM;
        c.size = 22;
        c.precision = static_cast<sb2>(a > 0 ? a : Has(up, "INT") || Has(up, "SMALLINT") ? 38 : 0);
        c.scale = static_cast<sb1>(b > 0 ? b : Has(up, "INT") || Has(up, "SMALLINT") ? 0 : (Has(up, "NUMBER") && a > 0 ? 0 : -127));
    } else if (Has(up, "DATE")) {
        c.sqlt = SQLT_DAT;
        c.size = 7;
        c.conv = Conv::Date;
    } else if (Has(up, "CLOB") || Has(up, "NCLOB")) {
        c.sqlt = SQLT_CLOB;
        c.size = 4000;
    } else if (Has(up, "BLOB")) {
        c.sqlt = SQLT_BLOB;
        c.size = 4000;
    } else if (Has(up, "BFILE")) {
        c.sqlt = SQLT_BFILE;
        c.size = 530;
    } else if (Has(up, "LONG RAW")) {
        c.sqlt = SQLT_LBI;
        c.size = 0;
    } else if (Has(up, "LONG")) {
        c.sqlt = SQLT_LNG;
        c.size = 0;
    } else if (Has(up, "RAW")) {
        sized(SQLT_BIN, 2000);
    } else if (Has(up, "ROWID") || Has(up, "UROWID")) {
        c.sqlt = SQLT_RID;
        c.size = 10;
    } else {
        c.sqlt = SQLT_CHR;
        c.size = 4000;
    }
    return c;
}

void PrepareStatement(StmtHandle* st, const char* text, size_t len) {
    st->Reset();
    st->text.assign(text, len);
    st->lex = Lex(st->text);
    st->cls = Classify(st->text, st->lex.toks);
}

sword ExecuteStatement(SvcCtxHandle* svc, StmtHandle* st, ErrorHandle* err, ub4 iters, ub4 mode) {
    SessionHandle* sh = svc->session ? Checked<SessionHandle>(svc->session, OCI_HTYPE_SESSION) : nullptr;
    if (!sh || !sh->session || !sh->session->isOpen()) return Fail(err, MakeError(3114));
    std::shared_ptr<Session> session = sh->session;
    st->parseErrorOffset = 0;
    if (OraError e = session->CheckFile()) return Fail(err, std::move(e));
    if (OraError e = Compile(st, session)) {
        st->parseErrorOffset = static_cast<ub2>(e.offset > 0 ? std::min(e.offset, 65535) : 0);
        return Fail(err, std::move(e));
    }
    if (mode & OCI_DESCRIBE_ONLY) {
        if (st->cls.cls == StmtClass::Query) st->state = StmtHandle::State::Described;
        return OCI_SUCCESS;
    }
    sword rc = OCI_SUCCESS;
    switch (st->cls.cls) {
        case StmtClass::Query: {
            sqlite3_reset(st->vm);
            st->rowCount = st->rowsFetched = 0;
            st->state = StmtHandle::State::Done;
            if (OraError e = BindAll(st, 0)) return Fail(err, std::move(e));
            if (st->translation.forUpdate)
                if (OraError e = session->BeginWrite()) return Fail(err, std::move(e));
            st->state = StmtHandle::State::Open;
            if (iters == 0) return OCI_SUCCESS;
            rc = FetchRows(st, err, iters);
            break;
        }
        case StmtClass::Dml: rc = RunDml(st, err, iters); break;
        case StmtClass::Ddl: rc = RunDdl(st, err); break;
        case StmtClass::Block: rc = RunBlock(st, err); break;
        case StmtClass::PlsqlUnit: rc = StoreUnit(st, err); break;
        case StmtClass::Commit:
            if (OraError e = session->Commit()) return Fail(err, std::move(e));
            st->state = StmtHandle::State::Executed;
            break;
        case StmtClass::Rollback: {
            // ROLLBACK [WORK] [TO [SAVEPOINT] name]
            const auto& toks = st->lex.toks;
            size_t k = 1;
            if (k < toks.size() && IsWord(st->text, toks[k], "WORK")) ++k;
            OraError e;
            if (k < toks.size() && IsWord(st->text, toks[k], "TO")) {
                ++k;
                if (k < toks.size() && IsWord(st->text, toks[k], "SAVEPOINT")) ++k;
                if (k >= toks.size() || (toks[k].kind != Tok::Word && toks[k].kind != Tok::QIdent))
                    return Fail(err, MakeErrorAt(k < toks.size() ? static_cast<int>(toks[k].pos) : 0, kOraMissingExpression));
                if (k + 1 < toks.size()) return Fail(err, MakeErrorAt(static_cast<int>(toks[k + 1].pos), kOraNotProperlyEnded));
                e = session->RollbackTo(IdentName(st->text, toks[k]));
            } else if (k < toks.size()) {
                return Fail(err, MakeErrorAt(static_cast<int>(toks[k].pos), kOraNotProperlyEnded));
            } else {
                e = session->Rollback();
            }
            if (e) return Fail(err, std::move(e));
            st->state = StmtHandle::State::Executed;
            break;
        }
        case StmtClass::Savepoint: {
            const auto& toks = st->lex.toks;
            if (toks.size() < 2 || (toks[1].kind != Tok::Word && toks[1].kind != Tok::QIdent))
                return Fail(err, MakeErrorAt(toks.size() > 1 ? static_cast<int>(toks[1].pos) : 0, kOraMissingExpression));
            if (toks.size() > 2) return Fail(err, MakeErrorAt(static_cast<int>(toks[2].pos), kOraNotProperlyEnded));
            if (OraError e = session->Savepoint(IdentName(st->text, toks[1]))) return Fail(err, std::move(e));
            st->state = StmtHandle::State::Executed;
            break;
        }
        case StmtClass::Comment:
            if (OraError e = RunComment(*session, st->text, st->lex.toks)) return Fail(err, std::move(e));
            st->state = StmtHandle::State::Executed;
            break;
        case StmtClass::AlterSession: rc = AlterSession(st, err); break;
        case StmtClass::Ignored: st->state = StmtHandle::State::Executed; break;
        case StmtClass::Explain:
            if (OraError e = ExplainPlan(*session, st->text, st->lex.toks)) return Fail(err, std::move(e));
            st->state = StmtHandle::State::Executed;
            break;
        case StmtClass::Unknown: return Fail(err, MakeErrorAt(0, 900));
    }
    if (rc == OCI_SUCCESS && (mode & OCI_COMMIT_ON_SUCCESS))
        if (OraError e = session->Commit()) return Fail(err, std::move(e));
    return rc;
}

sword FetchStatement(StmtHandle* st, ErrorHandle* err, ub4 nrows, ub2 orientation) {
    if (orientation != OCI_FETCH_NEXT && orientation != OCI_DEFAULT) return Fail(err, MakeError(24391));
    if (st->cls.cls != StmtClass::Query) return Fail(err, MakeError(st->state == StmtHandle::State::Executed ? 1002 : 24338));
    if (st->state == StmtHandle::State::Prepared || st->state == StmtHandle::State::Described)
        return Fail(err, MakeError(24338));
    if (!st->session || !st->session->isOpen()) return Fail(err, MakeError(3114));
    if (st->state == StmtHandle::State::Done) return Fail(err, MakeError(1002));
    if (nrows == 0) {  // cancels the cursor
        sqlite3_reset(st->vm);
        st->state = StmtHandle::State::Done;
        return OCI_SUCCESS;
    }
    return FetchRows(st, err, nrows);
}

}  // namespace liteoci
