#pragma once

#include "ColumnSlots.h"
#include "DBConnect.h"
#include "DBStmt.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Rows = std::vector<std::vector<std::string>>;

inline std::unique_ptr<DBConnect> Connect(const TestDatabase& db, const char* user = "DEMO",
                                          const char* password = "demo") {
    auto session = std::make_unique<DBConnect>();
    try {
        session->Logon(user, password, db.Path().c_str());
    } catch (const DBConnect::OtherException&) {
        ADD_FAILURE() << "logon failed: " << session->ErrorText();
    }
    return session;
}

// Runs a statement that returns no rows; fails the test with the server's text on an error.
inline void Exec(DBConnect& session, const std::string& sql) {
    DBStmt stmt;
    try {
        stmt.Prepare(&session, sql.c_str());
        stmt.Execute();
    } catch (const DBStmt::OtherException&) {
        ADD_FAILURE() << sql << ": " << stmt.ErrorText();
        session.ResetErrorHandle();
    }
}

// Describes, defines by kind and fetches every row, as the result grid does.
inline Rows Query(DBConnect& session, const std::string& sql) {
    Rows rows;
    DBStmt stmt;
    ColumnSlots slots;
    try {
        stmt.Prepare(&session, sql.c_str());
        uint32_t count = stmt.Describe();
        for (uint32_t i = 0; i < count; ++i) {
            ColumnKind kind = stmt.ColumnType(i + 1);
            EXPECT_TRUE(slots.DefineColumn(stmt, i, kind, stmt.ColumnSize(i + 1)));
        }
        for (;;) {
            stmt.Fetch();
            std::vector<std::string> row;
            for (uint32_t i = 0; i < count; ++i)
                row.emplace_back(slots.CellText(i).value_or("<unsupported>"));
            rows.push_back(std::move(row));
        }
    } catch (const DBStmt::OtherException&) {
        if (stmt.ErrorCode() != 1403)
            ADD_FAILURE() << sql << ": " << stmt.ErrorText();
        session.ResetErrorHandle();
    }
    return rows;
}
