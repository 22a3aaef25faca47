// Row-at-a-time fetch through the client interface against a raw SQLite step loop over the same
// rows (1,000,000 rows of NUMBER, VARCHAR2, DATE, NUMBER with a fraction, CHAR). The "ratio"
// counter of BM_FetchRatio is the figure that matters: client fetch time / raw loop time, both
// measured in the same iteration.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../../oci/oci_abi.h"
#include "../Session.h"

extern "C" {
sword OCIEnvInit(OCIEnv**, ub4, size_t, void**);
sword OCIHandleAlloc(const void*, void**, const ub4, const size_t, void**);
sword OCIServerAttach(OCIServer*, OCIError*, const OraText*, sb4, ub4);
sword OCIAttrSet(void*, ub4, void*, ub4, ub4, OCIError*);
sword OCISessionBegin(OCISvcCtx*, OCIError*, OCISession*, ub4, ub4);
sword OCIStmtPrepare(OCIStmt*, OCIError*, const OraText*, ub4, ub4, ub4);
sword OCIStmtExecute(OCISvcCtx*, OCIStmt*, OCIError*, ub4, ub4, const OCISnapshot*, OCISnapshot*, ub4);
sword OCIStmtFetch(OCIStmt*, OCIError*, ub4, ub2, ub4);
sword OCIDefineByPos(OCIStmt*, OCIDefine**, OCIError*, ub4, void*, sb4, ub2, void*, ub2*, ub2*, ub4);
sword OCIHandleFree(void*, const ub4);
}

namespace {

constexpr int kRows = 1000000;

struct Fixture {
    std::string path;
    OCIEnv* env = nullptr;
    OCIError* err = nullptr;
    OCISvcCtx* svc = nullptr;

    Fixture() {
        char tmpl[] = "/tmp/liteoci-bench-XXXXXX";
        path = std::string(mkdtemp(tmpl)) + "/bench.db";
        liteoci::CreateDatabaseFile(path);
        liteoci::SetUser(path, "BENCH", "bench", false);
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "CREATE TABLE BIG (ID NUMBER(10), NAME VARCHAR2(30), CREATED DATE, AMOUNT NUMBER(12,2), CODE CHAR(4));"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
                     "INSERT INTO BIG SELECT i, 'name ' || i, date('2020-01-01', '+' || (i % 2000) || ' days') || ' 00:00:00', "
                     "(i % 100000) / 100.0 + 0.25, CASE i % 3 WHEN 0 THEN 'A' WHEN 1 THEN 'BB' ELSE 'CCC' END FROM n;",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        OCIServer* srv = nullptr;
        OCISession* ses = nullptr;
        OCIEnvInit(&env, OCI_DEFAULT, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void**>(&srv), OCI_HTYPE_SERVER, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void**>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void**>(&ses), OCI_HTYPE_SESSION, 0, nullptr);
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, srv, 0, OCI_ATTR_SERVER, err);
        OCIServerAttach(srv, err, reinterpret_cast<const OraText*>(path.c_str()), static_cast<sb4>(path.size()), 0);
        OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>("BENCH"), 5, OCI_ATTR_USERNAME, err);
        OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>("bench"), 5, OCI_ATTR_PASSWORD, err);
        OCISessionBegin(svc, err, ses, OCI_CRED_RDBMS, OCI_DEFAULT);
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, ses, 0, OCI_ATTR_SESSION, err);
    }
};

Fixture& Get() {
    static Fixture f;
    return f;
}

const char* const kQuery = "SELECT ID, NAME, CREATED, AMOUNT, CODE FROM BIG";

long RawLoop(Fixture& f) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &st, nullptr);
    long bytes = 0, rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < 5; ++c) {
            const unsigned char* p = sqlite3_column_text(st, c);
            benchmark::DoNotOptimize(p);
            bytes += sqlite3_column_bytes(st, c);
        }
        ++rows;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    benchmark::DoNotOptimize(bytes);
    return rows;
}

long OciLoop(Fixture& f) {
    OCIStmt* st = nullptr;
    OCIHandleAlloc(f.env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT, 0, nullptr);
    OCIStmtPrepare(st, f.err, reinterpret_cast<const OraText*>(kQuery), static_cast<ub4>(std::strlen(kQuery)), OCI_NTV_SYNTAX, 0);
    OCIStmtExecute(f.svc, st, f.err, 1, 0, nullptr, nullptr, OCI_DESCRIBE_ONLY);
    static char bufs[5][4001];
    ub2 len[5], rcode[5];
    sb2 ind[5];
    for (ub4 c = 0; c < 5; ++c)
        OCIDefineByPos(st, nullptr, f.err, c + 1, bufs[c], c == 1 ? 31 : 128, SQLT_CHR, &ind[c], &len[c], &rcode[c], 0);
    long rows = 0;
    sword rc = OCIStmtExecute(f.svc, st, f.err, 1, 0, nullptr, nullptr, OCI_DEFAULT);
    while (rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO) {
        ++rows;
        benchmark::DoNotOptimize(bufs);
        rc = OCIStmtFetch(st, f.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT);
    }
    OCIHandleFree(st, OCI_HTYPE_STMT);
    return rows;
}

double Seconds(long (*fn)(Fixture&), Fixture& f, long& rows) {
    auto t0 = std::chrono::steady_clock::now();
    rows = fn(f);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_FetchRatio(benchmark::State& state) {
    Fixture& f = Get();
    double raw = 0, oci = 0;
    long rawRows = 0, ociRows = 0;
    for (auto _ : state) {
        raw += Seconds(RawLoop, f, rawRows);
        oci += Seconds(OciLoop, f, ociRows);
    }
    if (rawRows != kRows || ociRows != kRows) state.SkipWithError("row count mismatch");
    state.counters["raw_s"] = raw / static_cast<double>(state.iterations());
    state.counters["client_s"] = oci / static_cast<double>(state.iterations());
    state.counters["ratio"] = oci / raw;
}
BENCHMARK(BM_FetchRatio)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
