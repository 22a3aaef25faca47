// Statements run on sessions of the test's own, beside the window or worker under test: set-up, and
// the second session that checks what a commit or rollback really did.
#pragma once

#include "DBConnect.h"
#include "DBStmt.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// Runs one statement on `session`; "commit" commits.
inline void RunOnSession(DBConnect& session, const std::string& sql) {
    DBStmt stmt(&session, sql.c_str());
    if (sql == "commit")
        stmt.Commit();
    else
        stmt.Execute();
}

// count(*) of table t under `where`, seen from a new session as DEMO on the database file.
inline int CountOnSecondSession(const std::string& databasePath, const std::string& where) {
    DBConnect other;
    other.Logon("DEMO", "demo", databasePath.c_str());
    const std::string sql = "select count(*) from t where " + where;
    DBStmt stmt(&other, sql.c_str());
    char buffer[64] = {};
    uint16_t length = 0, code = 0;
    int16_t indicator = 0;
    stmt.DefineChars(1, buffer, sizeof buffer - 1, &length, &indicator, &code);
    stmt.Fetch();
    return std::atoi(buffer);
}

// The round trips `session` has paid so far, as V$MYSTAT counts them (the read pays its own).
inline long RoundTripsOf(DBConnect& session) {
    DBStmt stmt;
    int32_t value = 0;
    stmt.Prepare(&session, "select m.value from v$mystat m, v$statname n where n.statistic# = m.statistic# "
                           "and n.name = 'SQL*Net roundtrips to/from client'");
    stmt.DefineInt(1, &value);
    stmt.Execute();
    return value;
}
