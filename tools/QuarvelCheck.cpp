// Console check of the database layer: logs on, runs one statement and prints its rows or its outcome,
// the way the editor's grid fetches them (describe, define by kind, one row at a time).
#include "ColumnSlots.h"
#include "DBConnect.h"
#include "DBStmt.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s CONNECT-STRING USER PASSWORD SQL [--sysdba]\n", argv[0]);
        return 2;
    }
    bool sysdba = argc > 5 && std::string(argv[5]) == "--sysdba";
    DBConnect session;
    try {
        if (sysdba)
            session.LogonSysdba(argv[2], argv[3], argv[1]);
        else
            session.Logon(argv[2], argv[3], argv[1]);
    } catch (const DBConnect::OtherException&) {
        std::fprintf(stderr, "%s\n", session.ErrorText());
        return 1;
    }
    std::printf("Connected to %s as %s.\n", argv[1], argv[2]);
    std::string sql = argv[4];
    DBStmt stmt;
    ColumnSlots slots;
    int status = 0;
    try {
        stmt.Prepare(&session, sql.c_str());
        if (stmt.StatementType() != StatementKind::Select) {
            stmt.Execute();
            std::printf("Statement processed. %u row(s).\n", stmt.RowCount());
            stmt.Commit();
        } else {
            uint32_t count = stmt.Describe();
            for (uint32_t i = 0; i < count && i < ColumnSlots::kMaxColumns; ++i) {
                std::printf("%s%s", i ? "\t" : "", stmt.ColumnName(i + 1));
                ColumnKind kind = stmt.ColumnType(i + 1);
                if (!slots.DefineColumn(stmt, i, kind, stmt.ColumnSize(i + 1))) {
                    std::fprintf(stderr, "Unsupported data type.\n");
                    return 1;
                }
            }
            std::printf("\n");
            unsigned rows = 0;
            try {
                for (;;) {
                    stmt.Fetch();
                    ++rows;
                    for (uint32_t i = 0; i < count; ++i) {
                        auto text = slots.CellText(i).value_or("");
                        std::printf("%s%.*s", i ? "\t" : "", int(text.size()), text.data());
                    }
                    std::printf("\n");
                }
            } catch (const DBStmt::OtherException&) {
                if (stmt.ErrorCode() != 1403)
                    throw;
            }
            std::printf("Statement processed. %u Row(s) selected.\n", rows);
        }
    } catch (const DBStmt::OtherException&) {
        std::fprintf(stderr, "%s\n", stmt.ErrorText());
        status = 1;
    }
    session.Logoff();
    return status;
}
