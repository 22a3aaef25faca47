#include "Dictionary.h"

#include <cstdlib>

#include "Session.h"

namespace liteoci {
namespace {

// LITEOCI_SOURCE_START(text): where the unit's own text starts (its PROCEDURE, PACKAGE, TRIGGER ...
// keyword), 1-based as substr counts; Oracle's source views leave out CREATE [OR REPLACE].
void SourceStartFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const char* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    std::string_view text(p ? p : "", static_cast<size_t>(sqlite3_value_bytes(argv[0])));
    Lexed lx = Lex(text);
    size_t k = 0;
    auto w = [&](size_t i, std::string_view word) { return i < lx.toks.size() && IsWord(text, lx.toks[i], word); };
    if (w(k, "CREATE")) ++k;
    if (w(k, "OR") && w(k + 1, "REPLACE")) k += 2;
    if (w(k, "EDITIONABLE") || w(k, "NONEDITIONABLE")) ++k;
    sqlite3_result_int64(ctx, k < lx.toks.size() ? static_cast<sqlite3_int64>(lx.toks[k].pos) + 1 : 1);
}

}  // namespace

OraError CreateDictionaryViews(Session& s) {
    sqlite3_create_function_v2(s.db(), "LITEOCI_SOURCE_START", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               SourceStartFunction, nullptr, nullptr, nullptr);
    const std::string owner = QuoteString(s.user());
    // each line of a unit's text with its line break, the way the server keeps them
    const std::string lines = std::string(
        "WITH RECURSIVE src(name, type, line, txt, rest) AS ("
        "SELECT name, type, 0, NULL, substr(text, LITEOCI_SOURCE_START(text)) FROM ") + kSourceTable +
        " UNION ALL SELECT name, type, line + 1, "
        "CASE WHEN instr(rest, char(10)) > 0 THEN substr(rest, 1, instr(rest, char(10))) ELSE rest END, "
        "CASE WHEN instr(rest, char(10)) > 0 THEN substr(rest, instr(rest, char(10)) + 1) ELSE '' END "
        "FROM src WHERE rest <> '') ";
    const std::string errors = std::string(" name AS NAME, type AS TYPE, sequence AS SEQUENCE, line AS LINE, "
                                           "position AS POSITION, text AS TEXT, attribute AS ATTRIBUTE, "
                                           "message_number AS MESSAGE_NUMBER FROM ") + kErrorsTable;
    const std::string triggers =
        std::string(" name AS TRIGGER_NAME, trigger_type AS TRIGGER_TYPE, triggering_event AS TRIGGERING_EVENT, ") +
        owner + " AS TABLE_OWNER, 'TABLE' AS BASE_OBJECT_TYPE, table_name AS TABLE_NAME, "
        "CASE enabled WHEN 1 THEN 'ENABLED' ELSE 'DISABLED' END AS STATUS FROM " + kTriggersTable;
    std::string sql;
    for (const char* scope : {"USER", "ALL", "DBA"}) {
        const std::string own = std::string(scope) == "USER" ? "" : owner + " AS OWNER,";
        sql += std::string("CREATE TEMP VIEW ") + scope + "_SOURCE AS " + lines + "SELECT " + own +
               " name AS NAME, type AS TYPE, line AS LINE, txt AS TEXT, 0 AS ORIGIN_CON_ID FROM src WHERE line > 0;";
        sql += std::string("CREATE TEMP VIEW ") + scope + "_ERRORS AS SELECT " + own + errors + ";";
        sql += std::string("CREATE TEMP VIEW ") + scope + "_TRIGGERS AS SELECT " + own + triggers + ";";
    }
    // A file that cannot be written and was made before errors and triggers were kept has no such
    // tables; its session works without these views rather than not at all.
    s.Exec(sql.c_str());
    return {};
}

void ForgetErrors(Session& s, const std::string& name, const std::string& type) {
    std::string del = std::string("DELETE FROM ") + kErrorsTable + " WHERE name = " + QuoteString(name) +
                      " AND type = " + QuoteString(type);
    s.Exec(del.c_str());
}

void RecordErrors(Session& s, const std::string& name, const std::string& type, const OraError& e, int startLine,
                  int startColumn) {
    ForgetErrors(s, name, type);
    if (!e) return;
    sqlite3_stmt* q = nullptr;
    std::string sql = std::string("INSERT INTO ") + kErrorsTable +
                      " (name, type, sequence, line, position, text, attribute, message_number) "
                      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, 'ERROR', ?7)";
    if (sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &q, nullptr) != SQLITE_OK) {
        sqlite3_finalize(q);
        return;
    }
    const std::string& t = e.text;
    const std::string mark = "ORA-06550: line ";
    int seq = 0;
    for (size_t at = t.find(mark); at != std::string::npos;) {
        size_t p = at + mark.size();
        int line = std::atoi(t.c_str() + p);
        size_t col = t.find("column ", p);
        size_t body = t.find(":\n", p);
        if (col == std::string::npos || body == std::string::npos) break;
        int position = std::atoi(t.c_str() + col + 7);
        if (line == startLine) position -= startColumn - 1;
        line -= startLine - 1;
        size_t next = t.find("\n" + mark, body);
        std::string msg = t.substr(body + 2, next == std::string::npos ? std::string::npos : next - body - 2);
        int number = msg.rfind("PLS-", 0) == 0 ? std::atoi(msg.c_str() + 4) : 0;
        sqlite3_reset(q);
        sqlite3_bind_text(q, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(q, 2, type.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(q, 3, ++seq);
        sqlite3_bind_int(q, 4, line);
        sqlite3_bind_int(q, 5, position);
        sqlite3_bind_text(q, 6, msg.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(q, 7, number);
        sqlite3_step(q);
        at = next == std::string::npos ? next : next + 1;
    }
    sqlite3_finalize(q);
}

}  // namespace liteoci
