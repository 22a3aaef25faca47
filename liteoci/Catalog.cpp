#include "Catalog.h"

#include <cstdio>

#include "OraCodes.h"
#include "Session.h"

namespace liteoci {
namespace {

void AppendJsonString(std::string& out, std::string_view s) {
    out += '"';
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\', out += c;
        else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else out += c;
    }
    out += '"';
}

void AppendJsonList(std::string& out, const std::vector<std::string>& items) {
    out += '[';
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) out += ',';
        AppendJsonString(out, items[i]);
    }
    out += ']';
}

struct ConstraintParser {
    std::string_view sql;
    Lexed lx;
    std::vector<size_t> match;
    std::vector<std::string> tableColumns;
    std::vector<ConstraintDef> out;

    bool W(size_t i, std::string_view w) const { return i < lx.toks.size() && IsWord(sql, lx.toks[i], w); }
    bool O(size_t i, std::string_view o) const { return i < lx.toks.size() && IsOp(sql, lx.toks[i], o); }

    // The names inside the parentheses that open at i; i moves past them.
    std::vector<std::string> NameList(size_t& i) const {
        std::vector<std::string> names;
        if (!O(i, "(") || match[i] == SIZE_MAX) return names;
        for (size_t k = i + 1; k < match[i]; ++k)
            if (IsName(lx.toks[k])) names.push_back(IdentName(sql, lx.toks[k]));
        i = match[i] + 1;
        return names;
    }

    // The raw text inside the parentheses that open at i; i moves past them.
    std::string Inside(size_t& i) const {
        if (!O(i, "(") || match[i] == SIZE_MAX) return {};
        const size_t close = match[i];
        std::string text;
        if (close > i + 1) {
            const Token& a = lx.toks[i + 1];
            const Token& z = lx.toks[close - 1];
            text = std::string(sql.substr(a.pos, z.pos + z.len - a.pos));
        }
        i = close + 1;
        return text;
    }

    // The table's column names that the condition in tokens (open, close) reads, in order.
    std::vector<std::string> ColumnsOf(size_t open, size_t close) const {
        std::vector<std::string> cols;
        for (size_t k = open + 1; k < close; ++k) {
            if (!IsName(lx.toks[k])) continue;
            std::string n = IdentName(sql, lx.toks[k]);
            bool known = false;
            for (const auto& c : tableColumns) known = known || c == n;
            bool seen = false;
            for (const auto& c : cols) seen = seen || c == n;
            if (known && !seen) cols.push_back(n);
        }
        return cols;
    }

    void References(size_t& k, ConstraintDef& c) const {
        if (!W(k, "REFERENCES")) return;
        ++k;
        if (k + 2 < lx.toks.size() && O(k + 1, ".")) k += 2;  // schema-qualified
        if (k < lx.toks.size() && IsName(lx.toks[k])) c.refTable = IdentName(sql, lx.toks[k++]);
        if (O(k, "(")) c.refColumns = NameList(k);
        if (W(k, "ON") && W(k + 1, "DELETE")) {
            if (W(k + 2, "CASCADE")) c.deleteRule = "CASCADE", k += 3;
            else if (W(k + 2, "SET") && W(k + 3, "NULL")) c.deleteRule = "SET NULL", k += 4;
        }
    }

    // A condition the client added itself (the checks of lengths and precisions) is no constraint of
    // the user's.
    bool Internal(const std::string& condition) const {
        return Upper(condition).find("LITEOCI_") != std::string::npos;
    }

    // PRIMARY KEY (..), UNIQUE (..), FOREIGN KEY (..) REFERENCES .., CHECK (..) at k.
    void TableConstraint(size_t k, size_t first, size_t end, const std::string& name) {
        ConstraintDef c;
        c.name = name;
        c.tableLevel = true;
        c.from = lx.toks[first].pos;
        c.to = lx.toks[end - 1].pos + lx.toks[end - 1].len;
        if (W(k, "PRIMARY") && W(k + 1, "KEY")) {
            c.type = 'P', k += 2;
            c.columns = NameList(k);
        } else if (W(k, "UNIQUE")) {
            c.type = 'U', ++k;
            c.columns = NameList(k);
        } else if (W(k, "FOREIGN") && W(k + 1, "KEY")) {
            c.type = 'R', k += 2;
            c.columns = NameList(k);
            References(k, c);
        } else if (W(k, "CHECK") && O(k + 1, "(") && match[k + 1] != SIZE_MAX) {
            c.type = 'C';
            size_t open = k + 1;
            c.columns = ColumnsOf(open, match[open]);
            ++k;
            c.condition = Inside(k);
            if (Internal(c.condition)) return;
        } else {
            return;
        }
        out.push_back(std::move(c));
    }

    void ColumnDef(size_t s, size_t end) {
        const std::string col = IdentName(sql, lx.toks[s]);
        std::string pending;
        size_t pendingFrom = s;
        for (size_t k = s + 1; k < end;) {
            if (O(k, "(") && match[k] != SIZE_MAX) {
                k = match[k] + 1;
                continue;
            }
            ConstraintDef c;
            c.name = pending;
            c.columns = {col};
            if (W(k, "CONSTRAINT") && k + 1 < end) {
                pending = IdentName(sql, lx.toks[k + 1]);
                pendingFrom = k;
                k += 2;
                continue;
            }
            const size_t first = pending.empty() ? k : pendingFrom;
            if (W(k, "PRIMARY") && W(k + 1, "KEY")) {
                c.type = 'P', k += 2;
            } else if (W(k, "UNIQUE")) {
                c.type = 'U', ++k;
            } else if (W(k, "NOT") && W(k + 1, "NULL")) {
                c.type = 'C', k += 2;
                c.condition = "\"" + col + "\" IS NOT NULL";
            } else if (W(k, "CHECK") && O(k + 1, "(") && match[k + 1] != SIZE_MAX) {
                c.type = 'C', ++k;
                c.condition = Inside(k);
                if (Internal(c.condition)) {
                    pending.clear();
                    continue;
                }
            } else if (W(k, "REFERENCES")) {
                c.type = 'R';
                References(k, c);
            } else {
                ++k;
                continue;
            }
            const bool internal = pending.rfind("liteoci$", 0) == 0;  // NOT NULL of a key's column
            pending.clear();
            if (internal) continue;
            c.from = lx.toks[first].pos;
            c.to = lx.toks[k - 1].pos + lx.toks[k - 1].len;
            out.push_back(std::move(c));
        }
    }

    void Parse(long long id) {
        const auto& t = lx.toks;
        match = MatchParens(sql, t, 0, t.size());
        size_t open = 0;
        while (open < t.size() && !O(open, "(")) ++open;
        if (open >= t.size() || match[open] == SIZE_MAX) return;
        const size_t close = match[open];
        std::vector<std::pair<size_t, size_t>> items;
        size_t s = open + 1;
        for (size_t k = open + 1; k <= close; ++k) {
            if (k < close && O(k, "(") && match[k] != SIZE_MAX) {
                k = match[k];
                continue;
            }
            if (k == close || O(k, ",")) {
                if (k > s) items.emplace_back(s, k);
                s = k + 1;
            }
        }
        auto tableLevel = [&](size_t k) {
            return W(k, "CONSTRAINT") || (W(k, "PRIMARY") && W(k + 1, "KEY")) || (W(k, "FOREIGN") && W(k + 1, "KEY")) ||
                   (W(k, "UNIQUE") && O(k + 1, "(")) || (W(k, "CHECK") && O(k + 1, "("));
        };
        for (auto [b, e] : items)
            if (!tableLevel(b) && IsName(t[b])) tableColumns.push_back(IdentName(sql, t[b]));
        for (auto [b, e] : items) {
            if (W(b, "CONSTRAINT") && b + 2 < e) TableConstraint(b + 2, b, e, IdentName(sql, t[b + 1]));
            else if (tableLevel(b)) TableConstraint(b, b, e, "");
            else if (IsName(t[b])) ColumnDef(b, e);
        }
        // Oracle names the constraints the text leaves unnamed SYS_Cnnnnnnn.
        int ordinal = 0;
        for (auto& c : out) {
            ++ordinal;
            if (!c.name.empty()) continue;
            char buf[32];
            std::snprintf(buf, sizeof buf, "SYS_C%07lld", id * 64 + ordinal);
            c.name = buf;
            c.generated = true;
        }
    }
};

std::string_view ArgText(sqlite3_value* v) {
    const unsigned char* p = sqlite3_value_text(v);
    return p ? std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(sqlite3_value_bytes(v)))
             : std::string_view();
}

// LITEOCI_CONSTRAINTS(sql, id): the constraints of a CREATE TABLE text as a JSON array, for the views.
void ConstraintsFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const std::vector<ConstraintDef> list = ParseConstraints(ArgText(argv[0]), sqlite3_value_int64(argv[1]));
    std::string json = "[";
    for (size_t i = 0; i < list.size(); ++i) {
        const ConstraintDef& c = list[i];
        if (i) json += ',';
        json += "{\"n\":";
        AppendJsonString(json, c.name);
        json += ",\"t\":\"";
        json += c.type;
        json += "\",\"g\":";
        json += c.generated ? "1" : "0";
        json += ",\"c\":";
        AppendJsonList(json, c.columns);
        json += ",\"r\":";
        if (c.refTable.empty()) json += "null";
        else AppendJsonString(json, c.refTable);
        json += ",\"rc\":";
        if (c.refColumns.empty()) json += "null";
        else AppendJsonList(json, c.refColumns);
        json += ",\"s\":";
        if (c.condition.empty()) json += "null";
        else AppendJsonString(json, c.condition);
        json += ",\"d\":";
        AppendJsonString(json, c.deleteRule);
        json += '}';
    }
    json += ']';
    sqlite3_result_text(ctx, json.c_str(), static_cast<int>(json.size()), SQLITE_TRANSIENT);
}

// The parts of a declared type as the dictionary shows them.
struct TypeParts {
    std::string type;
    long long length = 0;
    bool hasPrecision = false, hasScale = false;
    long long precision = 0, scale = 0;
    long long charLength = 0;
};

TypeParts PartsOf(std::string_view decl) {
    std::string up = Upper(decl);
    TypeParts p;
    long long a = -1, b = -1;
    const size_t paren = up.find('(');
    std::string base = up.substr(0, paren);
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (paren != std::string::npos) {
        a = std::atoll(up.c_str() + paren + 1);
        const size_t comma = up.find(',', paren);
        if (comma != std::string::npos) b = std::atoll(up.c_str() + comma + 1);
    }
    auto is = [&](const char* w) { return base == w; };
    if (is("VARCHAR2") || is("VARCHAR") || is("TEXT") || base.empty() || is("CHARACTER VARYING")) {
        p.type = "VARCHAR2";
        p.length = a > 0 ? a : 4000;
        p.charLength = p.length;
    } else if (is("NVARCHAR2")) {
        p.type = "NVARCHAR2", p.charLength = a > 0 ? a : 2000, p.length = p.charLength * 2;
    } else if (is("CHAR") || is("CHARACTER")) {
        p.type = "CHAR", p.length = a > 0 ? a : 1, p.charLength = p.length;
    } else if (is("NCHAR")) {
        p.type = "NCHAR", p.charLength = a > 0 ? a : 1, p.length = p.charLength * 2;
    } else if (is("NUMBER") || is("NUMERIC") || is("DECIMAL") || is("NUM")) {
        p.type = "NUMBER", p.length = 22;
        if (a > 0) p.hasPrecision = true, p.precision = a, p.hasScale = true, p.scale = b >= 0 ? b : 0;
    } else if (is("INTEGER") || is("INT") || is("SMALLINT")) {
        p.type = "NUMBER", p.length = 22, p.hasScale = true, p.scale = 0;
    } else if (is("FLOAT") || is("REAL") || is("DOUBLE PRECISION") || is("DOUBLE")) {
        p.type = "FLOAT", p.length = 22, p.hasPrecision = true, p.precision = a > 0 ? a : 126;
    } else if (is("BINARY_DOUBLE") || is("BINARY_FLOAT")) {
        p.type = base, p.length = is("BINARY_DOUBLE") ? 8 : 4;
    } else if (is("DATE")) {
        p.type = "DATE", p.length = 7;
    } else if (base.rfind("TIMESTAMP", 0) == 0) {
        const long long fraction = a >= 0 ? a : 6;
        p.type = "TIMESTAMP(" + std::to_string(fraction) + ")";
        if (base.find("LOCAL") != std::string::npos) p.type += " WITH LOCAL TIME ZONE", p.length = 11;
        else if (base.find("ZONE") != std::string::npos) p.type += " WITH TIME ZONE", p.length = 13;
        else p.length = 11;
        p.hasScale = true, p.scale = fraction;
    } else if (base == "INTERVAL_YEAR_TO_MONTH") {
        p.type = "INTERVAL YEAR(2) TO MONTH", p.length = 5, p.hasPrecision = true, p.precision = 2, p.hasScale = true;
    } else if (base == "INTERVAL_DAY_TO_SECOND") {
        p.type = "INTERVAL DAY(2) TO SECOND(6)", p.length = 11, p.hasPrecision = true, p.precision = 2;
        p.hasScale = true, p.scale = 6;
    } else if (is("CLOB") || is("NCLOB") || is("BLOB")) {
        p.type = base, p.length = 4000;
    } else if (is("RAW")) {
        p.type = "RAW", p.length = a > 0 ? a : 2000;
    } else if (is("LONG") || is("LONG RAW")) {
        p.type = base, p.length = 0;
    } else {
        p.type = base, p.length = a > 0 ? a : 0;
    }
    return p;
}

// LITEOCI_TYPE(decl, part): part 0 DATA_TYPE, 1 DATA_LENGTH, 2 DATA_PRECISION, 3 DATA_SCALE, 4 CHAR_LENGTH.
void TypeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const TypeParts p = PartsOf(ArgText(argv[0]));
    switch (sqlite3_value_int(argv[1])) {
        case 0: sqlite3_result_text(ctx, p.type.c_str(), -1, SQLITE_TRANSIENT); break;
        case 1: sqlite3_result_int64(ctx, p.length); break;
        case 2: p.hasPrecision ? sqlite3_result_int64(ctx, p.precision) : sqlite3_result_null(ctx); break;
        case 3: p.hasScale ? sqlite3_result_int64(ctx, p.scale) : sqlite3_result_null(ctx); break;
        default: sqlite3_result_int64(ctx, p.charLength); break;
    }
}

// The user's tables, views and indexes of SQLite's catalogue.
// DUAL is SYS's in Oracle, not the user's.
const char* const kUserObjects = " m.name NOT LIKE 'sqlite%' AND m.name NOT LIKE 'liteoci$%' AND m.tbl_name <> 'DUAL' ";

}  // namespace

std::vector<ConstraintDef> ParseConstraints(std::string_view sql, long long id) {
    ConstraintParser p{sql, Lex(sql), {}, {}, {}};
    if (p.lx.error) return {};
    p.Parse(id);
    return std::move(p.out);
}

std::vector<std::string> UserTables(sqlite3* db) {
    std::vector<std::string> names;
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM main.sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
                               "AND name NOT LIKE 'liteoci$%'", -1, &q, nullptr) == SQLITE_OK)
        while (sqlite3_step(q) == SQLITE_ROW) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)));
    sqlite3_finalize(q);
    return names;
}

std::vector<ConstraintDef> TableConstraints(sqlite3* db, const std::string& table) {
    sqlite3_stmt* q = nullptr;
    std::vector<ConstraintDef> out;
    if (sqlite3_prepare_v2(db, "SELECT sql, rootpage FROM main.sqlite_master WHERE type = 'table' AND name = ?1", -1,
                           &q, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(q) == SQLITE_ROW) {
            const char* sql = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
            out = ParseConstraints(sql ? sql : "", sqlite3_column_int64(q, 1));
        }
    }
    sqlite3_finalize(q);
    return out;
}

OraError CreateCatalogViews(Session& s) {
    sqlite3_create_function_v2(s.db(), "LITEOCI_CONSTRAINTS", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               ConstraintsFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(s.db(), "LITEOCI_TYPE", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, TypeFunction,
                               nullptr, nullptr, nullptr);
    const std::string owner = QuoteString(s.user());
    const std::string master = "main.sqlite_master m ";
    const std::string mine = kUserObjects;
    const std::string objects = kObjectsTable;
    const std::string comments = kCommentsTable;
    std::string v;
    // every constraint of every table, one row each
    v += "CREATE TEMP VIEW \"liteoci$cons\" AS SELECT m.name AS tab, json_extract(j.value, '$.n') AS name, "
         "json_extract(j.value, '$.t') AS type, json_extract(j.value, '$.g') AS generated, "
         "json_extract(j.value, '$.c') AS cols, json_extract(j.value, '$.r') AS rtab, "
         "json_extract(j.value, '$.rc') AS rcols, json_extract(j.value, '$.s') AS search, "
         "json_extract(j.value, '$.d') AS delrule, j.key AS ordinal "
         "FROM " + master + ", json_each(LITEOCI_CONSTRAINTS(m.sql, m.rootpage)) j WHERE m.type = 'table' AND" + mine + ";";
    const std::string tables =
        " m.name AS TABLE_NAME, 'USERS' AS TABLESPACE_NAME, NULL AS CLUSTER_NAME, NULL AS IOT_NAME, "
        "'VALID' AS STATUS, 10 AS PCT_FREE, 'YES' AS LOGGING, NULL AS NUM_ROWS, NULL AS BLOCKS, "
        "NULL AS AVG_ROW_LEN, NULL AS LAST_ANALYZED, 'NO' AS PARTITIONED, 'N' AS TEMPORARY, 'NO' AS NESTED, "
        "'NO' AS DROPPED, 'NO' AS READ_ONLY FROM " + master + "WHERE m.type = 'table' AND" + mine;
    // An identity column's default names its sequence and its kind: LITEOCI_NEXTVAL('ISEQ$$_n', 'kind').
    const std::string isIdentity = "coalesce(c.dflt_value LIKE '%LITEOCI_NEXTVAL(''ISEQ$$%', 0)";
    const std::string seqAt = "instr(c.dflt_value, 'ISEQ$$_')";
    const std::string sequence = "substr(c.dflt_value, " + seqAt + ", instr(substr(c.dflt_value, " + seqAt + "), '''') - 1)";
    const std::string kindAt = "(" + seqAt + " + length(" + sequence + ") + 4)";
    const std::string kind = "substr(c.dflt_value, " + kindAt + ", instr(substr(c.dflt_value, " + kindAt + "), '''') - 1)";
    const std::string columns =
        " m.name AS TABLE_NAME, c.name AS COLUMN_NAME, LITEOCI_TYPE(c.type, 0) AS DATA_TYPE, "
        "LITEOCI_TYPE(c.type, 1) AS DATA_LENGTH, LITEOCI_TYPE(c.type, 2) AS DATA_PRECISION, "
        "LITEOCI_TYPE(c.type, 3) AS DATA_SCALE, CASE WHEN c.\"notnull\" OR c.pk > 0 THEN 'N' ELSE 'Y' END AS NULLABLE, "
        "c.cid + 1 AS COLUMN_ID, CASE WHEN " + isIdentity + " THEN '\"' || " + owner + " || '\".\"' || " + sequence +
        " || '\".nextval' ELSE c.dflt_value END AS DATA_DEFAULT, LITEOCI_TYPE(c.type, 4) AS CHAR_LENGTH, "
        "CASE WHEN " + isIdentity + " THEN 'YES' ELSE 'NO' END AS IDENTITY_COLUMN "
        "FROM " + master + ", pragma_table_info(m.name) c WHERE m.type IN ('table', 'view') AND" + mine;
    const std::string identityCols =
        " m.name AS TABLE_NAME, c.name AS COLUMN_NAME, CASE WHEN " + kind + " = 'ALWAYS' THEN 'ALWAYS' ELSE "
        "'BY DEFAULT' END AS GENERATION_TYPE, " + sequence + " AS SEQUENCE_NAME "
        "FROM " + master + ", pragma_table_info(m.name) c WHERE m.type = 'table' AND " +
        isIdentity + " AND" + mine;
    // the index of a primary or unique key carries the constraint's name
    const std::string indexes =
        " x.* FROM (SELECT m.name AS INDEX_NAME, 'NORMAL' AS INDEX_TYPE, " + owner + " AS TABLE_OWNER, m.tbl_name AS TABLE_NAME, "
        "'TABLE' AS TABLE_TYPE, CASE WHEN (SELECT l.\"unique\" FROM pragma_index_list(m.tbl_name) l WHERE l.name = m.name) "
        "THEN 'UNIQUE' ELSE 'NONUNIQUE' END AS UNIQUENESS, 'USERS' AS TABLESPACE_NAME, 'VALID' AS STATUS, "
        "'N' AS GENERATED FROM " + master + "WHERE m.type = 'index' AND m.sql IS NOT NULL AND" + mine +
        "UNION ALL SELECT k.name, 'NORMAL', " + owner + ", k.tab, 'TABLE', 'UNIQUE', 'USERS', 'VALID', "
        "CASE k.generated WHEN 1 THEN 'Y' ELSE 'N' END FROM \"liteoci$cons\" k WHERE k.type IN ('P', 'U')) x";
    const std::string indColumns =
        " x.* FROM (SELECT m.name AS INDEX_NAME, m.tbl_name AS TABLE_NAME, i.name AS COLUMN_NAME, i.seqno + 1 AS COLUMN_POSITION, "
        "LITEOCI_TYPE((SELECT c.type FROM pragma_table_info(m.tbl_name) c WHERE c.name = i.name), 1) AS COLUMN_LENGTH, "
        "'ASC' AS DESCEND FROM " + master + ", pragma_index_info(m.name) i WHERE m.type = 'index' AND m.sql IS NOT NULL AND" +
        mine +
        "UNION ALL SELECT k.name, k.tab, j.value, j.key + 1, "
        "LITEOCI_TYPE((SELECT c.type FROM pragma_table_info(k.tab) c WHERE c.name = j.value), 1), 'ASC' "
        "FROM \"liteoci$cons\" k, json_each(k.cols) j WHERE k.type IN ('P', 'U')) x";
    const std::string constraints =
        " k.name AS CONSTRAINT_NAME, k.type AS CONSTRAINT_TYPE, k.tab AS TABLE_NAME, k.search AS SEARCH_CONDITION, "
        "CASE WHEN k.type = 'R' THEN " + owner + " END AS R_OWNER, "
        "CASE WHEN k.type = 'R' THEN (SELECT p.name FROM \"liteoci$cons\" p WHERE p.tab = k.rtab AND "
        "((k.rcols IS NULL AND p.type = 'P') OR (p.type IN ('P', 'U') AND p.cols = k.rcols)) LIMIT 1) END "
        "AS R_CONSTRAINT_NAME, CASE WHEN k.type = 'R' THEN k.delrule END AS DELETE_RULE, 'ENABLED' AS STATUS, "
        "'NOT DEFERRABLE' AS \"DEFERRABLE\", 'IMMEDIATE' AS \"DEFERRED\", 'VALIDATED' AS VALIDATED, "
        "CASE k.generated WHEN 1 THEN 'GENERATED NAME' ELSE 'USER NAME' END AS GENERATED, "
        "CASE WHEN k.type IN ('P', 'U') THEN k.name END AS INDEX_NAME FROM \"liteoci$cons\" k";
    const std::string consColumns =
        " k.name AS CONSTRAINT_NAME, k.tab AS TABLE_NAME, j.value AS COLUMN_NAME, "
        "CASE WHEN k.type = 'C' THEN NULL ELSE j.key + 1 END AS POSITION FROM \"liteoci$cons\" k, json_each(k.cols) j";
    const std::string objectRows =
        " x.name AS OBJECT_NAME, NULL AS SUBOBJECT_NAME, x.id AS OBJECT_ID, x.id AS DATA_OBJECT_ID, "
        "x.type AS OBJECT_TYPE, o.created AS CREATED, o.last_ddl AS LAST_DDL_TIME, "
        "strftime('%Y-%m-%d:%H:%M:%S', o.last_ddl) AS TIMESTAMP, x.status AS STATUS, 'N' AS TEMPORARY, "
        "x.generated AS GENERATED, 'N' AS SECONDARY FROM ("
        "SELECT m.name AS name, upper(m.type) AS type, m.rowid AS id, 'VALID' AS status, 'N' AS generated, m.name AS ddlname, "
        "upper(m.type) AS ddltype FROM " + master + "WHERE (m.type IN ('table', 'view') OR (m.type = 'index' AND "
        "m.sql IS NOT NULL)) AND" + mine +
        "UNION ALL SELECT k.name, 'INDEX', 100000 + k.ordinal + 64 * (SELECT rowid FROM main.sqlite_master "
        "WHERE name = k.tab), 'VALID', CASE k.generated WHEN 1 THEN 'Y' ELSE 'N' END, k.tab, 'TABLE' "
        "FROM \"liteoci$cons\" k "
        "WHERE k.type IN ('P', 'U') "
        "UNION ALL SELECT q.name, 'SEQUENCE', 1000000 + q.rowid, 'VALID', 'N', q.name, 'SEQUENCE' "
        "FROM \"liteoci$sequences\" q "
        "UNION ALL SELECT u.name, u.type, 2000000 + u.rowid, u.status, 'N', u.name, u.type FROM " +
        std::string(kSourceTable) + " u) x LEFT JOIN " + objects + " o ON o.name = x.ddlname AND o.type = x.ddltype";
    const std::string views =
        " m.name AS VIEW_NAME, length(coalesce(o.text, m.sql)) AS TEXT_LENGTH, coalesce(o.text, m.sql) AS TEXT "
        "FROM " + master + "LEFT JOIN " + objects + " o ON o.name = m.name AND o.type = 'VIEW' WHERE m.type = 'view' AND" +
        mine;
    const std::string sequences =
        " q.name AS SEQUENCE_NAME, CASE WHEN q.step > 0 THEN 1 ELSE '-999999999999999999999999999' END AS MIN_VALUE, "
        "CASE WHEN q.step > 0 THEN '9999999999999999999999999999' ELSE -1 END AS MAX_VALUE, "
        "q.step AS INCREMENT_BY, 'N' AS CYCLE_FLAG, 'N' AS ORDER_FLAG, 20 AS CACHE_SIZE, q.next AS LAST_NUMBER "
        "FROM \"liteoci$sequences\" q";
    const std::string tabComments =
        " m.name AS TABLE_NAME, upper(m.type) AS TABLE_TYPE, c.text AS COMMENTS FROM " + master + "LEFT JOIN " + comments +
        " c ON c.table_name = m.name AND c.column_name = '' WHERE m.type IN ('table', 'view') AND" + mine;
    const std::string colComments =
        " m.name AS TABLE_NAME, p.name AS COLUMN_NAME, c.text AS COMMENTS FROM " + master +
        "JOIN pragma_table_info(m.name) p LEFT JOIN " + comments +
        " c ON c.table_name = m.name AND c.column_name = p.name WHERE m.type IN ('table', 'view') AND" + mine;
    const std::string users = std::string(kUsersTable);
    for (const char* scope : {"USER", "ALL", "DBA"}) {
        const bool user = std::string(scope) == "USER";
        const std::string own = user ? "" : owner + " AS OWNER,";
        auto view = [&](const char* name, const std::string& body) {
            v += std::string("CREATE TEMP VIEW ") + scope + "_" + name + " AS SELECT " + own + body + ";";
        };
        view("TABLES", tables);
        view("TAB_COLUMNS", columns);
        view("TAB_IDENTITY_COLS", identityCols);
        view("INDEXES", indexes);
        view("IND_COLUMNS", indColumns);
        view("CONSTRAINTS", constraints);
        view("CONS_COLUMNS", consColumns);
        view("OBJECTS", objectRows);
        view("VIEWS", views);
        view("TAB_COMMENTS", tabComments);
        view("COL_COMMENTS", colComments);
        if (user) view("SEQUENCES", sequences);
        else v += std::string("CREATE TEMP VIEW ") + scope + "_SEQUENCES AS SELECT " + owner +
                  " AS SEQUENCE_OWNER," + sequences + ";";
    }
    v += "CREATE TEMP VIEW USER_USERS AS SELECT u.name AS USERNAME, u.rowid AS USER_ID, 'OPEN' AS ACCOUNT_STATUS, "
         "NULL AS LOCK_DATE, NULL AS EXPIRY_DATE, 'USERS' AS DEFAULT_TABLESPACE, 'TEMP' AS TEMPORARY_TABLESPACE "
         "FROM " + users + " u WHERE u.name = " + owner + ";";
    v += "CREATE TEMP VIEW ALL_USERS AS SELECT u.name AS USERNAME, u.rowid AS USER_ID FROM " + users + " u;";
    // USER_TAB_COLS shows the same columns as USER_TAB_COLUMNS here: the client has no hidden ones.
    v += "CREATE TEMP VIEW USER_TAB_COLS AS SELECT * FROM temp.USER_TAB_COLUMNS;";
    // One statement at a time: a file that cannot be written and predates a table of the client's
    // still gets every view that does not need it.
    for (size_t at = 0; at < v.size();) {
        size_t end = v.find(";CREATE TEMP VIEW", at);
        end = end == std::string::npos ? v.size() : end + 1;
        s.Exec(v.substr(at, end - at).c_str());
        at = end;
    }
    return {};
}

void NoteDdl(Session& s, std::string_view text, const std::vector<Token>& toks) {
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    auto nameAt = [&](size_t& k) -> std::string {
        if (k + 2 < toks.size() && IsOp(text, toks[k + 1], ".")) k += 2;
        return k < toks.size() && IsName(toks[k]) ? IdentName(text, toks[k]) : std::string();
    };
    auto kindAt = [&](size_t& k) -> std::string {
        static const char* const kKinds[] = {"TABLE", "VIEW", "INDEX", "SEQUENCE", "PROCEDURE", "FUNCTION",
                                             "PACKAGE", "TRIGGER", "TYPE"};
        for (const char* kind : kKinds)
            if (w(k, kind)) {
                ++k;
                std::string type = kind;
                if ((type == "PACKAGE" || type == "TYPE") && w(k, "BODY")) type += " BODY", ++k;
                return type;
            }
        return {};
    };
    std::string sql;
    std::string name, type, kept;
    size_t k = 1;
    if (w(0, "CREATE")) {
        if (w(k, "OR") && w(k + 1, "REPLACE")) k += 2;
        while (w(k, "UNIQUE") || w(k, "BITMAP") || w(k, "GLOBAL") || w(k, "TEMPORARY") || w(k, "FORCE") ||
               w(k, "NOFORCE") || w(k, "EDITIONABLE") || w(k, "NONEDITIONABLE"))
            ++k;
        type = kindAt(k);
        name = nameAt(k);
        if (type == "VIEW") {
            // the query as written, after AS
            for (size_t a = k; a + 1 < toks.size(); ++a)
                if (w(a, "AS")) {
                    kept = std::string(text.substr(toks[a + 1].pos));
                    break;
                }
        }
        sql = std::string("INSERT INTO ") + kObjectsTable +
              " (name, type, created, last_ddl, text) VALUES (?1, ?2, SYSDATE(), SYSDATE(), ?3) "
              "ON CONFLICT (name, type) DO UPDATE SET last_ddl = excluded.last_ddl, text = excluded.text";
    } else if (w(0, "ALTER") || w(0, "TRUNCATE")) {
        type = kindAt(k);
        name = nameAt(k);
        sql = std::string("UPDATE ") + kObjectsTable + " SET last_ddl = SYSDATE() WHERE name = ?1 AND type = ?2";
    } else if (w(0, "DROP")) {
        type = kindAt(k);
        name = nameAt(k);
        sql = std::string("DELETE FROM ") + kObjectsTable + " WHERE name = ?1 AND (type = ?2 OR (?2 = 'PACKAGE' AND "
              "type = 'PACKAGE BODY'));";
        if (type == "TABLE" || type == "VIEW") {
            const std::string del = std::string("DELETE FROM ") + kCommentsTable + " WHERE table_name = " + QuoteString(name);
            s.Exec(del.c_str());
        }
    } else if (w(0, "RENAME") && toks.size() >= 4) {
        size_t a = 1;
        name = nameAt(a);
        size_t b = a + 2;
        kept = nameAt(b);
        type = "TABLE";
        sql = std::string("UPDATE ") + kObjectsTable + " SET name = ?3, last_ddl = SYSDATE() WHERE name = ?1 AND "
              "type IN (?2, 'VIEW')";
        const std::string moved = std::string("UPDATE ") + kCommentsTable + " SET table_name = " + QuoteString(kept) +
                                  " WHERE table_name = " + QuoteString(name);
        s.Exec(moved.c_str());
    }
    if (sql.empty() || name.empty() || type.empty()) return;
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(q, 2, type.c_str(), -1, SQLITE_TRANSIENT);
        if (kept.empty()) sqlite3_bind_null(q, 3);
        else sqlite3_bind_text(q, 3, kept.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(q);
    }
    sqlite3_finalize(q);
}

OraError RunComment(Session& s, std::string_view text, const std::vector<Token>& toks) {
    auto w = [&](size_t i, std::string_view word) { return i < toks.size() && IsWord(text, toks[i], word); };
    auto pos = [&](size_t i) {
        return i < toks.size() ? static_cast<int>(toks[i].pos)
                               : toks.empty() ? 0 : static_cast<int>(toks.back().pos + toks.back().len);
    };
    if (!w(1, "ON")) return MakeErrorAt(pos(1), kOraMissingOnKeyword);
    const bool column = w(2, "COLUMN");
    if (!column && !w(2, "TABLE")) return MakeErrorAt(pos(2), 905);
    std::vector<std::string> parts;
    size_t k = 3;
    while (k < toks.size() && IsName(toks[k])) {
        parts.push_back(IdentName(text, toks[k++]));
        if (k < toks.size() && IsOp(text, toks[k], ".")) ++k;
        else break;
    }
    if (parts.size() == (column ? 3u : 2u) && parts[0] == s.user()) parts.erase(parts.begin());  // schema.
    if (parts.size() != (column ? 2u : 1u)) return MakeErrorAt(pos(k), kOraMissingKeyword);
    if (!w(k, "IS")) return MakeErrorAt(pos(k), 905);
    if (k + 1 >= toks.size() || toks[k + 1].kind != Tok::String) return MakeErrorAt(pos(k + 1), 1780);
    if (k + 2 < toks.size()) return MakeErrorAt(pos(k + 2), 933);
    const std::string comment = StringValue(text, toks[k + 1]);
    const std::string& table = parts[0];
    const std::string col = column ? parts[1] : std::string();
    // the table (or view) and the column must exist
    sqlite3_stmt* q = nullptr;
    bool found = false, hasColumn = !column;
    if (sqlite3_prepare_v2(s.db(), "SELECT name FROM pragma_table_info(?1)", -1, &q, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(q) == SQLITE_ROW) {
            found = true;
            const char* n = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
            if (column && n && col == n) hasColumn = true;
        }
    }
    sqlite3_finalize(q);
    if (!found || table.rfind("liteoci$", 0) == 0 || table.rfind("sqlite", 0) == 0) return MakeErrorAt(pos(3), 942);
    if (!hasColumn) return MakeErrorAt(pos(k - 1), 904, "\"" + col + "\"");
    if (OraError e = s.Commit()) return e;
    const std::string sql = std::string("INSERT INTO ") + kCommentsTable +
                            " (table_name, column_name, text) VALUES (?1, ?2, ?3) "
                            "ON CONFLICT (table_name, column_name) DO UPDATE SET text = excluded.text";
    OraError result;
    if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(q, 2, col.c_str(), -1, SQLITE_TRANSIENT);
        // '' is NULL: the comment is removed
        if (comment.empty()) sqlite3_bind_null(q, 3);
        else sqlite3_bind_text(q, 3, comment.c_str(), -1, SQLITE_TRANSIENT);
        const int rc = sqlite3_step(q);
        if (rc != SQLITE_DONE) result = s.MapError(rc);
    } else {
        result = s.MapError(sqlite3_errcode(s.db()));
    }
    sqlite3_finalize(q);
    return result;
}

}  // namespace liteoci
