// Fetching 1,000,000 rows of 5 columns through DBStmt one row at a time (describe, define by kind,
// execute, fetch, cell text), against the same rows read by a plain sqlite3_step loop in the same run.
#include "ColumnSlots.h"
#include "DBConnect.h"
#include "DBStmt.h"
#include "TestDatabase.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace {

constexpr int kRows = 1000000;
const char* kQuery = "select id, name, created, amount, code from fetch_rows";

struct Fixture {
    TestDatabase db;

    Fixture() {
        DBConnect session;
        session.Logon("DEMO", "demo", db.Path().c_str());
        Exec(session, "create table fetch_rows (id number(10), name varchar2(30), created date, "
                      "amount number(12,2), code char(4))");
        std::string fill = "insert into fetch_rows select i, 'name ' || i, sysdate - mod(i, 1000), "
                           "i / 8, 'C' || mod(i, 100) from (with n(i) as (select 1 from dual union all "
                           "select i + 1 from n where i < " +
                           std::to_string(kRows) + ") select i from n)";
        Exec(session, fill);
        Exec(session, "commit");
        session.Logoff();
    }
    static void Exec(DBConnect& session, const std::string& sql) {
        DBStmt stmt(&session, sql.c_str());
        try {
            stmt.Execute();
        } catch (const DBStmt::OtherException&) {
            throw std::runtime_error(sql + ": " + stmt.ErrorText());
        }
    }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void BM_RawSqliteStep(benchmark::State& state) {
    const std::string& path = Data().db.Path();
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, kQuery, -1, &stmt, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            sqlite3_close(db);
            return;
        }
        size_t bytes = 0;
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < 5; ++c) {
                const unsigned char* text = sqlite3_column_text(stmt, c);
                bytes += text ? static_cast<size_t>(sqlite3_column_bytes(stmt, c)) : 0;
            }
            ++rows;
        }
        benchmark::DoNotOptimize(bytes);
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        state.counters["rows"] = rows;
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_DBStmtFetch(benchmark::State& state) {
    DBConnect session;
    session.Logon("DEMO", "demo", Data().db.Path().c_str());
    for (auto _ : state) {
        DBStmt stmt(&session, kQuery);
        ColumnSlots slots;
        uint32_t count = stmt.Describe();
        for (uint32_t i = 0; i < count; ++i)
            slots.DefineColumn(stmt, i, stmt.ColumnType(i + 1), stmt.ColumnSize(i + 1));
        size_t bytes = 0;
        int rows = 0;
        try {
            for (;;) {
                stmt.Fetch();
                for (uint32_t i = 0; i < count; ++i)
                    bytes += slots.CellText(i)->size();
                ++rows;
            }
        } catch (const DBStmt::OtherException&) {
            if (stmt.ErrorCode() != 1403) {
                state.SkipWithError(stmt.ErrorText());
                return;
            }
            session.ResetErrorHandle();
        }
        benchmark::DoNotOptimize(bytes);
        state.counters["rows"] = rows;
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_RawSqliteStep)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DBStmtFetch)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
