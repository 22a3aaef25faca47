#include "Explain.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <string>

#include "Hierarchy.h"
#include "OraCodes.h"
#include "OuterJoin.h"
#include "Session.h"
#include "Translate.h"

namespace liteoci {
namespace {

// One row of SQLite's query plan.
struct SqliteStep {
    int id = 0, parent = 0;
    std::string detail;
    std::vector<const SqliteStep*> children;
};

// One operation of the Oracle plan.
struct Op {
    std::string operation, options, objectName, objectType;
    double cost = 0, cardinality = 1;
    std::vector<std::unique_ptr<Op>> children;
};
using OpPtr = std::unique_ptr<Op>;

OpPtr MakeOp(std::string operation, std::string options = {}, std::string object = {}, std::string type = {}) {
    auto op = std::make_unique<Op>();
    op->operation = std::move(operation);
    op->options = std::move(options);
    op->objectName = std::move(object);
    op->objectType = std::move(type);
    return op;
}

OpPtr Wrap(std::string operation, std::string options, OpPtr child, double extraCost = 0) {
    OpPtr op = MakeOp(std::move(operation), std::move(options));
    op->cost = (child ? child->cost : 0) + extraCost;
    op->cardinality = child ? child->cardinality : 1;
    if (child) op->children.push_back(std::move(child));
    return op;
}

std::string QuotedName(const std::string& name) {
    std::string r = "\"";
    for (char c : name) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

bool Starts(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// What the statement's own text says about its outermost query block.
struct Shape {
    bool groupBy = false, orderBy = false, aggregate = false, rownumFilter = false, rownum = false;
};

Shape ShapeOf(std::string_view text, const std::vector<Token>& toks) {
    Shape sh;
    int depth = 0;
    bool inWhere = false;
    static const char* const kAggregates[] = {"COUNT", "SUM", "AVG", "MIN", "MAX", "STDDEV", "VARIANCE", "MEDIAN"};
    for (size_t i = 0; i < toks.size(); ++i) {
        if (IsOp(text, toks[i], "(")) ++depth;
        else if (IsOp(text, toks[i], ")")) --depth;
        if (depth != 0) continue;
        auto w = [&](std::string_view word) { return IsWord(text, toks[i], word); };
        if (w("WHERE")) inWhere = true;
        else if (w("GROUP") || w("ORDER") || w("CONNECT") || w("START")) inWhere = false;
        if (w("GROUP") && i + 1 < toks.size() && IsWord(text, toks[i + 1], "BY")) sh.groupBy = true;
        if (w("ORDER") && i + 1 < toks.size() && IsWord(text, toks[i + 1], "BY")) sh.orderBy = true;
        if (w("ROWNUM")) (inWhere ? sh.rownumFilter : sh.rownum) = true;
        for (const char* a : kAggregates)
            if (w(a) && i + 1 < toks.size() && IsOp(text, toks[i + 1], "(")) sh.aggregate = true;
    }
    return sh;
}

class PlanBuilder {
public:
    explicit PlanBuilder(Session& s) : s_(s) {}

    // SQLite's plan names a table by its alias where the statement gives one; Oracle's by its name.
    void LearnAliases(std::string_view text, const std::vector<Token>& toks) {
        auto ident = [&](size_t i) { return i < toks.size() && (toks[i].kind == Tok::Word || toks[i].kind == Tok::QIdent); };
        for (size_t i = 0; i + 1 < toks.size(); ++i) {
            if (!ident(i)) continue;
            size_t a = i + 1;
            if (IsWord(text, toks[a], "AS")) ++a;
            if (!ident(a) || !IsTable(IdentName(text, toks[i]))) continue;
            aliases_[Upper(IdentName(text, toks[a]))] = IdentName(text, toks[i]);
        }
    }

    // The operations of one query level: SQLite's steps that share a parent.
    OpPtr Level(const std::vector<const SqliteStep*>& steps, const Shape* shape) {
        std::map<std::string, const SqliteStep*> views;  // CO-ROUTINE / MATERIALIZE steps by name
        OpPtr tree;
        std::vector<OpPtr> subqueries;
        bool sortOrder = false, sortGroup = false, distinct = false, correlated = false;
        for (const SqliteStep* st : steps) {
            const std::string& d = st->detail;
            if (Starts(d, "CO-ROUTINE ") || Starts(d, "MATERIALIZE ")) {
                views[d.substr(d.find(' ') + 1)] = st;
            } else if (Starts(d, "SCAN ") || Starts(d, "SEARCH ")) {
                OpPtr access = Access(*st, views);
                if (!tree) tree = std::move(access);
                else tree = Join(std::move(tree), std::move(access));
            } else if (Starts(d, "USE TEMP B-TREE FOR ORDER BY") || Starts(d, "USE TEMP B-TREE FOR RIGHT PART") ||
                       Starts(d, "USE TEMP B-TREE FOR LAST")) {
                sortOrder = true;
            } else if (Starts(d, "USE TEMP B-TREE FOR GROUP BY")) {
                sortGroup = true;
            } else if (Starts(d, "USE TEMP B-TREE FOR DISTINCT")) {
                distinct = true;
            } else if (Starts(d, "COMPOUND QUERY")) {
                tree = Compound(*st);
            } else if (d.find("SUBQUERY") != std::string::npos) {
                correlated = correlated || Starts(d, "CORRELATED");
                subqueries.push_back(Level(st->children, nullptr));
            }
        }
        if (!tree) tree = MakeOp("FAST DUAL");
        if (!subqueries.empty()) {
            // Subqueries of a WHERE or a select list: evaluated for the rows of the level.
            OpPtr filter = Wrap("FILTER", "", std::move(tree));
            for (auto& q : subqueries) {
                if (correlated) filter->cost += q->cost;
                filter->children.push_back(std::move(q));
            }
            tree = std::move(filter);
        }
        const bool grouped = sortGroup || (shape && shape->groupBy);
        if (grouped) {
            // SQLite groups by sorting; Oracle hashes unless the rows must come sorted anyway.
            const bool ordered = shape && shape->orderBy && !sortOrder;
            tree = Wrap(ordered || !sortGroup ? "SORT" : "HASH",
                        sortGroup ? "GROUP BY" : (ordered ? "GROUP BY" : "GROUP BY NOSORT"), std::move(tree), 1);
            tree->cardinality = std::max(1.0, tree->cardinality / 10);
        } else if (shape && shape->aggregate) {
            tree = Wrap("SORT", "AGGREGATE", std::move(tree));
            tree->cardinality = 1;
        }
        if (distinct) tree = Wrap("HASH", "UNIQUE", std::move(tree), 1);
        // ROWNUM is counted before the block's own ORDER BY sorts, but after the sort of an inline view
        // that SQLite merged into the block.
        const bool counted = shape && (shape->rownumFilter || shape->rownum);
        const bool ownSort = shape && shape->orderBy;
        // ROWNUM before an ORDER BY is counted in an inline view of the client's own making: no VIEW of the user's.
        if (counted && ownSort && tree->operation == "VIEW" && tree->objectName.empty() && tree->children.size() == 1)
            tree = std::move(tree->children.front());
        if (counted && ownSort) tree = Wrap("COUNT", shape->rownumFilter ? "STOPKEY" : "", std::move(tree));
        if (sortOrder) tree = Wrap("SORT", "ORDER BY", std::move(tree), 1);
        if (counted && !ownSort) tree = Wrap("COUNT", shape->rownumFilter ? "STOPKEY" : "", std::move(tree));
        return tree;
    }

private:
    bool IsTable(const std::string& name) {
        sqlite3_stmt* q = nullptr;
        bool found = false;
        if (sqlite3_prepare_v2(s_.db(), "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1", -1, &q,
                               nullptr) == SQLITE_OK) {
            sqlite3_bind_text(q, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            found = sqlite3_step(q) == SQLITE_ROW;
        }
        sqlite3_finalize(q);
        return found;
    }

    double Rows(const std::string& table) {
        auto it = rows_.find(table);
        if (it != rows_.end()) return it->second;
        double n = 1;
        sqlite3_stmt* q = nullptr;
        std::string sql = "SELECT count(*) FROM " + QuotedName(table);
        if (sqlite3_prepare_v2(s_.db(), sql.c_str(), -1, &q, nullptr) == SQLITE_OK && sqlite3_step(q) == SQLITE_ROW)
            n = std::max<double>(1, static_cast<double>(sqlite3_column_int64(q, 0)));
        sqlite3_finalize(q);
        return rows_[table] = n;
    }

    // Oracle calls the indexes of unnamed keys SYS_Cnnnnnnn.
    std::string IndexName(const std::string& name) {
        if (!Starts(name, "sqlite_autoindex_")) return name;
        sqlite3_stmt* q = nullptr;
        long long id = 0;
        if (sqlite3_prepare_v2(s_.db(), "SELECT rowid FROM sqlite_master WHERE name = ?1", -1, &q, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(q, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(q) == SQLITE_ROW) id = sqlite3_column_int64(q, 0);
        }
        sqlite3_finalize(q);
        char buf[32];
        std::snprintf(buf, sizeof buf, "SYS_C%07lld", id);
        return buf;
    }

    bool UniqueOnAll(const std::string& index, size_t equalities) {
        sqlite3_stmt* q = nullptr;
        bool unique = false;
        std::string sql = "SELECT \"unique\", (SELECT count(*) FROM pragma_index_info(?1)) FROM pragma_index_list("
                          "(SELECT tbl_name FROM sqlite_master WHERE name = ?1)) WHERE name = ?1";
        if (sqlite3_prepare_v2(s_.db(), sql.c_str(), -1, &q, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(q, 1, index.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(q) == SQLITE_ROW)
                unique = sqlite3_column_int(q, 0) != 0 && static_cast<size_t>(sqlite3_column_int(q, 1)) == equalities;
        }
        sqlite3_finalize(q);
        return unique;
    }

    // "SCAN t [AS a] [USING [COVERING] INDEX i]", "SEARCH t [AS a] USING ... (a=? AND b>?)".
    OpPtr Access(const SqliteStep& st, const std::map<std::string, const SqliteStep*>& views) {
        const std::string& d = st.detail;
        const bool search = Starts(d, "SEARCH ");
        std::string rest = d.substr(search ? 7 : 5);
        std::string table = rest.substr(0, rest.find(' '));
        if (table == "CONSTANT") return MakeOp("FAST DUAL");
        auto view = views.find(table);
        if (view != views.end() || Starts(table, "(subquery")) {
            OpPtr inner = view != views.end() ? Level(view->second->children, nullptr) : MakeOp("FAST DUAL");
            OpPtr v = Wrap("VIEW", "", std::move(inner));
            if (!Starts(table, "(")) v->objectName = table;
            return v;
        }
        if (Upper(table) == "DUAL") return MakeOp("FAST DUAL");
        if (!IsTable(table)) {
            auto alias = aliases_.find(Upper(table));
            if (alias != aliases_.end()) table = alias->second;
        }
        const double rows = Rows(table);
        size_t using_ = rest.find(" USING ");
        std::string how = using_ == std::string::npos ? std::string() : rest.substr(using_ + 7);
        std::string terms;
        if (size_t open = how.find(" ("); open != std::string::npos) {
            terms = how.substr(open + 2);
            how = how.substr(0, open);
        }
        size_t equalities = 0, ranges = 0;
        for (size_t k = 0; k < terms.size(); ++k) {
            if (terms[k] == '=' && (k == 0 || (terms[k - 1] != '<' && terms[k - 1] != '>'))) ++equalities;
            else if (terms[k] == '<' || terms[k] == '>') ++ranges;
        }
        if (how.empty() || Starts(how, "AUTOMATIC")) {
            OpPtr op = MakeOp("TABLE ACCESS", "FULL", table, "TABLE");
            op->cardinality = rows;
            op->cost = 2 + rows / 100;
            return op;
        }
        if (Starts(how, "INTEGER PRIMARY KEY") || Starts(how, "ROWID")) {
            OpPtr op = MakeOp("TABLE ACCESS", equalities ? "BY USER ROWID" : "BY ROWID RANGE", table, "TABLE");
            op->cardinality = equalities ? 1 : std::max(1.0, rows / 10);
            op->cost = 1 + op->cardinality / 100;
            return op;
        }
        const bool covering = Starts(how, "COVERING INDEX ");
        std::string index = how.substr(how.find("INDEX ") + 6);
        std::string options = "FULL SCAN";
        double card = rows;
        if (search) {
            const bool unique = ranges == 0 && UniqueOnAll(index, equalities);
            options = unique ? "UNIQUE SCAN" : "RANGE SCAN";
            card = unique ? 1 : std::max(1.0, rows / 10);
        }
        const bool uniqueIndex = UniqueOnAll(index, SIZE_MAX) || options == "UNIQUE SCAN";
        OpPtr ix = MakeOp("INDEX", options, IndexName(index), uniqueIndex ? "INDEX (UNIQUE)" : "INDEX");
        ix->cardinality = card;
        ix->cost = options == "UNIQUE SCAN" ? 0 : 1 + card / 200;
        if (covering) return ix;
        OpPtr op = Wrap("TABLE ACCESS", "BY INDEX ROWID", std::move(ix), card);
        op->objectName = table;
        op->objectType = "TABLE";
        return op;
    }

    static OpPtr Join(OpPtr outer, OpPtr inner) {
        OpPtr nl = MakeOp("NESTED LOOPS");
        nl->cost = outer->cost + outer->cardinality * std::max(inner->cost, 0.01);
        nl->cardinality = std::max(1.0, outer->cardinality * inner->cardinality /
                                            (inner->operation == "TABLE ACCESS" && inner->options == "FULL" ? 10 : 1));
        nl->children.push_back(std::move(outer));
        nl->children.push_back(std::move(inner));
        return nl;
    }

    OpPtr Compound(const SqliteStep& st) {
        std::string kind = "UNION-ALL";
        bool unique = false;
        OpPtr set = MakeOp(kind);
        for (const SqliteStep* part : st.children) {
            const std::string& d = part->detail;
            if (Starts(d, "UNION USING")) unique = true;
            else if (Starts(d, "INTERSECT")) set->operation = "INTERSECTION";
            else if (Starts(d, "EXCEPT")) set->operation = "MINUS";
            OpPtr branch = Level(part->children, nullptr);
            set->cost += branch->cost;
            set->cardinality += branch->cardinality;
            set->children.push_back(std::move(branch));
        }
        if (unique && set->operation == "UNION-ALL") return Wrap("SORT", "UNIQUE", std::move(set), 1);
        return set;
    }

    Session& s_;
    std::map<std::string, double> rows_;
    std::map<std::string, std::string> aliases_;
};

// The table a DML statement changes: UPDATE t, DELETE [FROM] t, INSERT INTO t, MERGE INTO t.
std::string TargetTable(std::string_view text, const std::vector<Token>& toks) {
    size_t k = 1;
    if (k < toks.size() && (IsWord(text, toks[k], "FROM") || IsWord(text, toks[k], "INTO"))) ++k;
    if (k + 2 < toks.size() && IsOp(text, toks[k + 1], ".")) k += 2;
    return k < toks.size() ? IdentName(text, toks[k]) : std::string();
}

struct PlanRow {
    const Op* op;
    int id, parent, position;
};

void Flatten(const Op& op, int parent, int position, std::vector<PlanRow>& rows) {
    const int id = static_cast<int>(rows.size());
    rows.push_back({&op, id, parent, position});
    int p = 0;
    for (const auto& c : op.children) Flatten(*c, id, ++p, rows);
}

}  // namespace

OraError ExplainPlan(Session& s, std::string_view text, const std::vector<Token>& toks) {
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    auto at = [&](size_t i) {
        return static_cast<int>(i < toks.size() ? toks[i].pos : toks.back().pos + toks.back().len);
    };
    if (!w(1, "PLAN")) return MakeErrorAt(at(1), kOraMissingKeyword);
    size_t k = 2;
    std::string statementId;
    bool haveId = false;
    if (w(k, "SET")) {
        if (!w(k + 1, "STATEMENT_ID")) return MakeErrorAt(at(k + 1), kOraMissingKeyword);
        if (!(k + 2 < toks.size() && IsOp(text, toks[k + 2], "="))) return MakeErrorAt(at(k + 2), kOraMissingKeyword);
        if (!(k + 3 < toks.size() && toks[k + 3].kind == Tok::String))
            return MakeErrorAt(at(k + 3), kOraStringLiteralRequired);
        statementId = StringValue(text, toks[k + 3]);
        haveId = true;
        k += 4;
    }
    std::string into = "PLAN_TABLE";
    if (w(k, "INTO")) {
        ++k;
        if (k + 2 < toks.size() && IsOp(text, toks[k + 1], ".")) k += 2;  // the schema is the session's own
        if (k >= toks.size() || (toks[k].kind != Tok::Word && toks[k].kind != Tok::QIdent))
            return MakeErrorAt(at(k), 903);
        into = IdentName(text, toks[k]);
        ++k;
    }
    if (!w(k, "FOR")) return MakeErrorAt(at(k), kOraMissingKeyword);
    const std::vector<Token> inner(toks.begin() + static_cast<long>(k) + 1, toks.end());
    if (inner.empty()) return MakeErrorAt(at(k + 1), kOraInvalidSql);
    const Classification cls = Classify(text, inner);
    const char* rootName = nullptr;
    switch (cls.ociType) {
        case 1: rootName = "SELECT STATEMENT"; break;
        case 2: rootName = "UPDATE STATEMENT"; break;
        case 3: rootName = "DELETE STATEMENT"; break;
        case 4: rootName = "INSERT STATEMENT"; break;
        case 16: rootName = "MERGE STATEMENT"; break;
        default: return MakeErrorAt(static_cast<int>(inner[0].pos), kOraInvalidSql);
    }

    PositionalResolver resolver;
    Translation tr;
    TranslateOptions opt;
    opt.query = cls.cls == StmtClass::Query;
    OraError err = opt.query && IsHierarchicalQuery(text, inner, 0, inner.size())
                       ? TranslateHierarchical(text, inner, 0, inner.size(), resolver, tr)
                       : TranslateWithOuterJoins(text, inner, 0, inner.size(), opt, {}, resolver, tr);
    if (err) return err;

    const std::string sql = "EXPLAIN QUERY PLAN " + tr.sql;
    sqlite3_stmt* q = nullptr;
    int rc = sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(q);
        for (auto& m : tr.map) m.first += 19;
        ErrorContext ctx;
        ctx.text = text;
        ctx.toks = &inner;
        ctx.translation = &tr;
        ctx.ociType = cls.ociType;
        return s.MapError(rc, &ctx);
    }
    std::vector<std::unique_ptr<SqliteStep>> steps;
    std::map<int, SqliteStep*> byId;
    std::vector<const SqliteStep*> top;
    while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
        auto st = std::make_unique<SqliteStep>();
        st->id = sqlite3_column_int(q, 0);
        st->parent = sqlite3_column_int(q, 1);
        const unsigned char* d = sqlite3_column_text(q, 3);
        st->detail = d ? reinterpret_cast<const char*>(d) : "";
        auto parent = byId.find(st->parent);
        if (parent != byId.end()) parent->second->children.push_back(st.get());
        else top.push_back(st.get());
        byId[st->id] = st.get();
        steps.push_back(std::move(st));
    }
    sqlite3_finalize(q);
    if (rc != SQLITE_DONE) return s.MapError(rc);

    PlanBuilder builder(s);
    builder.LearnAliases(text, inner);
    const Shape shape = ShapeOf(text, inner);
    OpPtr root = MakeOp(rootName);
    OpPtr body;
    if (cls.cls == StmtClass::Query) {
        body = builder.Level(top, &shape);
    } else {
        const std::string target = TargetTable(text, inner);
        const char* change = cls.ociType == 2 ? "UPDATE" : cls.ociType == 3 ? "DELETE" : cls.ociType == 4
                                 ? "LOAD TABLE" : "MERGE";
        body = MakeOp(change, cls.ociType == 4 ? "CONVENTIONAL" : "", target);
        // DELETE without WHERE empties the table at once in SQLite; Oracle reads it in full.
        SqliteStep whole;
        whole.detail = "SCAN " + target;
        if (top.empty() && (cls.ociType == 2 || cls.ociType == 3)) top.push_back(&whole);
        if (!top.empty()) {
            OpPtr access = builder.Level(top, nullptr);
            if (access->operation != "FAST DUAL") {
                body->cost = access->cost;
                body->cardinality = access->cardinality;
                body->children.push_back(std::move(access));
            }
        }
    }
    root->cost = std::max(1.0, body->cost);
    root->cardinality = body->cardinality;
    root->children.push_back(std::move(body));

    std::vector<PlanRow> rows;
    Flatten(*root, -1, 0, rows);
    if (OraError e = s.BeginWrite()) return e;
    const std::string insert =
        "INSERT INTO " + QuotedName(into) + " (\"STATEMENT_ID\", \"TIMESTAMP\", \"OPERATION\", \"OPTIONS\", \"OBJECT_OWNER\", "
        "\"OBJECT_NAME\", \"OBJECT_TYPE\", \"OPTIMIZER\", \"ID\", \"PARENT_ID\", \"POSITION\", \"COST\", "
        "\"CARDINALITY\", \"DEPTH\") VALUES (?1, SYSDATE(), ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)";
    // The plan table of the program has no DEPTH column; Oracle's newer one has. Either is taken.
    std::string sqlInsert = insert;
    rc = sqlite3_prepare_v2(s.db(), sqlInsert.c_str(), -1, &q, nullptr);
    if (rc != SQLITE_OK && std::string(sqlite3_errmsg(s.db())).find("DEPTH") != std::string::npos) {
        sqlite3_finalize(q);
        sqlInsert = insert;
        sqlInsert.replace(sqlInsert.find(", \"DEPTH\""), 9, "");
        sqlInsert.replace(sqlInsert.find(", ?13"), 5, "");
        rc = sqlite3_prepare_v2(s.db(), sqlInsert.c_str(), -1, &q, nullptr);
    }
    if (rc != SQLITE_OK) {
        sqlite3_finalize(q);
        ErrorContext ctx;
        ctx.text = text;
        ctx.toks = &toks;
        OraError e = s.MapError(rc, &ctx);
        if (e.code == kOraTableNotFound || e.code == 904) e.offset = -1;
        return e;
    }
    const bool withDepth = sqlInsert.find("DEPTH") != std::string::npos;
    std::vector<int> depth(rows.size(), 0);
    for (const PlanRow& r : rows) {
        if (r.parent >= 0) depth[static_cast<size_t>(r.id)] = depth[static_cast<size_t>(r.parent)] + 1;
        const Op& op = *r.op;
        sqlite3_reset(q);
        sqlite3_clear_bindings(q);
        auto text = [&](int i, const std::string& v) {
            if (!v.empty()) sqlite3_bind_text(q, i, v.c_str(), -1, SQLITE_TRANSIENT);
        };
        if (haveId) text(1, statementId);
        text(2, op.operation);
        text(3, op.options);
        if (!op.objectName.empty()) text(4, s.user());
        text(5, op.objectName);
        text(6, op.objectType);
        if (r.id == 0) text(7, "ALL_ROWS");
        sqlite3_bind_int(q, 8, r.id);
        if (r.parent >= 0) sqlite3_bind_int(q, 9, r.parent);
        // The position of the statement row is its cost; of the others, the place among siblings.
        const long long cost = static_cast<long long>(op.cost + 0.999);
        sqlite3_bind_int64(q, 10, r.id == 0 ? cost : r.position);
        if (op.operation != "FAST DUAL" || r.id == 0) sqlite3_bind_int64(q, 11, cost);
        sqlite3_bind_int64(q, 12, static_cast<long long>(op.cardinality + 0.5));
        if (withDepth) sqlite3_bind_int(q, 13, depth[static_cast<size_t>(r.id)]);
        rc = sqlite3_step(q);
        if (rc != SQLITE_DONE) {
            OraError e = s.MapError(rc);
            sqlite3_finalize(q);
            return e;
        }
    }
    sqlite3_finalize(q);
    return {};
}

}  // namespace liteoci
