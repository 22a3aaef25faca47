// The embedded client's SQL and PL/SQL entry on arbitrary bytes, as the program calls it: prepare,
// the statement type, then for a query describe, define every column as text and fetch up to 64 rows;
// for anything else execute with up to two text binds; then roll back. The session is one logon on a
// scratch database (a table of a few rows, a sequence, a package) made once per process.
//
// Properties checked besides the sanitizers: every call returns one of the documented return codes;
// a call that fails leaves an error record with an ORA- or PLS- text; a fetch never reports more
// bytes than the define buffer holds. A statement that runs longer than two seconds (an endless loop
// of a block) is broken from a watchdog thread and must then end.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "../oci/oci_abi.h"
#include "Session.h"

extern "C" {
sword OCIEnvInit(OCIEnv**, ub4, size_t, void**);
sword OCIHandleAlloc(const void*, void**, const ub4, const size_t, void**);
sword OCIHandleFree(void*, const ub4);
sword OCIServerAttach(OCIServer*, OCIError*, const OraText*, sb4, ub4);
sword OCIAttrSet(void*, ub4, void*, ub4, ub4, OCIError*);
sword OCIAttrGet(const void*, ub4, void*, ub4*, ub4, OCIError*);
sword OCISessionBegin(OCISvcCtx*, OCIError*, OCISession*, ub4, ub4);
sword OCIErrorGet(void*, ub4, OraText*, sb4*, OraText*, ub4, ub4);
sword OCIStmtPrepare(OCIStmt*, OCIError*, const OraText*, ub4, ub4, ub4);
sword OCIStmtExecute(OCISvcCtx*, OCIStmt*, OCIError*, ub4, ub4, const OCISnapshot*, OCISnapshot*, ub4);
sword OCIStmtFetch(OCIStmt*, OCIError*, ub4, ub2, ub4);
sword OCIDefineByPos(OCIStmt*, OCIDefine**, OCIError*, ub4, void*, sb4, ub2, void*, ub2*, ub2*, ub4);
sword OCIBindByPos(OCIStmt*, OCIBind**, OCIError*, ub4, void*, sb4, ub2, void*, ub2*, ub2*, ub4, ub4*, ub4);
sword OCITransRollback(OCISvcCtx*, OCIError*, ub4);
sword OCIBreak(void*, OCIError*);
}

namespace {

[[noreturn]] void Fault(const char* what, const std::string& detail) {
    std::fprintf(stderr, "liteoci fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

struct Session {
    OCIEnv* env = nullptr;
    OCIError* err = nullptr;
    OCIServer* srv = nullptr;
    OCISvcCtx* svc = nullptr;
    OCISession* ses = nullptr;
    std::string dir;
    std::string file;

    std::string ErrorText() const {
        char text[1024] = {};
        sb4 code = 0;
        OCIErrorGet(err, 1, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text, OCI_HTYPE_ERROR);
        return text;
    }

    void Open() {
        char pattern[] = "/tmp/liteoci-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            Fault("set-up", "no temporary folder");
        dir = pattern;
        file = dir + "/fuzz.db";
        static std::string made;
        made = dir;
        std::atexit([] { (void)!std::system(("rm -rf '" + made + "'").c_str()); });
        std::string error = liteoci::CreateDatabaseFile(file);
        if (error.empty())
            error = liteoci::SetUser(file, "DEMO", "demo", false);
        if (!error.empty())
            Fault("set-up", error);
        OCIEnvInit(&env, OCI_DEFAULT, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void**>(&srv), OCI_HTYPE_SERVER, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void**>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void**>(&ses), OCI_HTYPE_SESSION, 0, nullptr);
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, srv, 0, OCI_ATTR_SERVER, err);
        if (OCIServerAttach(srv, err, reinterpret_cast<const OraText*>(file.c_str()), static_cast<sb4>(file.size()),
                            OCI_DEFAULT) != OCI_SUCCESS)
            Fault("attach", ErrorText());
        static char user[] = "DEMO";
        static char password[] = "demo";
        OCIAttrSet(ses, OCI_HTYPE_SESSION, user, 4, OCI_ATTR_USERNAME, err);
        OCIAttrSet(ses, OCI_HTYPE_SESSION, password, 4, OCI_ATTR_PASSWORD, err);
        if (OCISessionBegin(svc, err, ses, OCI_CRED_RDBMS, OCI_DEFAULT) != OCI_SUCCESS)
            Fault("logon", ErrorText());
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, ses, 0, OCI_ATTR_SESSION, err);
        for (const char* sql : {
                 "create table emp (empno number(4), ename varchar2(10), sal number(7,2), hiredate date)",
                 "insert into emp values (7369, 'SMITH', 800, sysdate)",
                 "insert into emp values (7499, 'ALLEN', 1600.5, sysdate - 30)",
                 "insert into emp values (7521, null, null, null)",
                 "create sequence emp_seq",
                 "create or replace function twice(n number) return number is begin return n * 2; end;",
             }) {
            OCIStmt* st = nullptr;
            OCIHandleAlloc(env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT, 0, nullptr);
            OCIStmtPrepare(st, err, reinterpret_cast<const OraText*>(sql), static_cast<ub4>(std::strlen(sql)),
                           OCI_NTV_SYNTAX, OCI_DEFAULT);
            if (OCIStmtExecute(svc, st, err, 1, 0, nullptr, nullptr, OCI_COMMIT_ON_SUCCESS) != OCI_SUCCESS)
                Fault("set-up", std::string(sql) + ": " + ErrorText());
            OCIHandleFree(st, OCI_HTYPE_STMT);
        }
    }
};

Session& TheSession() {
    static Session* session = [] {
        auto* made = new Session;
        made->Open();
        return made;
    }();
    return *session;
}

// Breaks the session's call when one input has run for too long.
class Watchdog {
public:
    explicit Watchdog(Session& session) : session_(session), thread_([this] { Run(); }) { thread_.detach(); }
    void Start() {
        std::lock_guard<std::mutex> lock(mutex_);
        ++generation_;
        running_ = true;
        changed_.notify_all();
    }
    void Stop() {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
    }

private:
    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return running_; });
            const uint64_t watched = generation_;
            if (!changed_.wait_for(lock, std::chrono::seconds(2), [&] { return !running_ || generation_ != watched; }))
                OCIBreak(session_.svc, session_.err);
            changed_.wait(lock, [&] { return !running_ || generation_ != watched; });
        }
    }

    Session& session_;
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t generation_ = 0;
    bool running_ = false;
    std::thread thread_;
};

bool Documented(sword rc) {
    return rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO || rc == OCI_NO_DATA || rc == OCI_ERROR ||
           rc == OCI_INVALID_HANDLE || rc == OCI_NEED_DATA || rc == OCI_STILL_EXECUTING;
}

void Check(Session& s, sword rc, const char* call, const std::string& sql) {
    if (!Documented(rc))
        Fault(call, "undocumented return code " + std::to_string(rc) + " for: " + sql.substr(0, 200));
    if (rc == OCI_ERROR) {
        const std::string text = s.ErrorText();
        if (text.rfind("ORA-", 0) != 0 && text.rfind("PLS-", 0) != 0)
            Fault(call, "a failure without an Oracle error text (\"" + text + "\") for: " + sql.substr(0, 200));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024)
        return 0;
    Session& s = TheSession();
    static Watchdog* watchdog = new Watchdog(s);
    const std::string sql(reinterpret_cast<const char*>(data), size);

    OCIStmt* st = nullptr;
    OCIHandleAlloc(s.env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT, 0, nullptr);
    watchdog->Start();
    sword rc = OCIStmtPrepare(st, s.err, reinterpret_cast<const OraText*>(sql.data()), static_cast<ub4>(sql.size()),
                              OCI_NTV_SYNTAX, OCI_DEFAULT);
    Check(s, rc, "OCIStmtPrepare", sql);
    if (rc == OCI_SUCCESS) {
        ub2 type = 0;
        OCIAttrGet(st, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, s.err);
        if (type == OCI_STMT_SELECT) {
            rc = OCIStmtExecute(s.svc, st, s.err, 0, 0, nullptr, nullptr, OCI_DESCRIBE_ONLY);
            Check(s, rc, "OCIStmtExecute (describe)", sql);
            ub4 columns = 0;
            if (rc == OCI_SUCCESS)
                OCIAttrGet(st, OCI_HTYPE_STMT, &columns, nullptr, OCI_ATTR_PARAM_COUNT, s.err);
            if (columns > 1000)
                columns = 1000;
            constexpr sb4 kWidth = 256;
            std::vector<std::vector<char>> cells(columns, std::vector<char>(kWidth));
            std::vector<sb2> nulls(columns);
            std::vector<ub2> lengths(columns);
            for (ub4 c = 0; c < columns; ++c)
                Check(s,
                      OCIDefineByPos(st, nullptr, s.err, c + 1, cells[c].data(), kWidth, SQLT_STR, &nulls[c],
                                     &lengths[c], nullptr, OCI_DEFAULT),
                      "OCIDefineByPos", sql);
            if (rc == OCI_SUCCESS) {
                rc = OCIStmtExecute(s.svc, st, s.err, 1, 0, nullptr, nullptr, OCI_DEFAULT);
                Check(s, rc, "OCIStmtExecute (query)", sql);
                for (int row = 0; row < 64 && (rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO); ++row) {
                    for (ub4 c = 0; c < columns; ++c)
                        if (lengths[c] > kWidth)
                            Fault("OCIStmtFetch", "a cell longer than its buffer for: " + sql.substr(0, 200));
                    rc = OCIStmtFetch(st, s.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT);
                    Check(s, rc, "OCIStmtFetch", sql);
                }
            }
        } else {
            char first[32] = "7369";
            char second[32] = "SMITH";
            OCIBindByPos(st, nullptr, s.err, 1, first, sizeof first, SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr,
                         OCI_DEFAULT);
            OCIBindByPos(st, nullptr, s.err, 2, second, sizeof second, SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr,
                         OCI_DEFAULT);
            rc = OCIStmtExecute(s.svc, st, s.err, 1, 0, nullptr, nullptr, OCI_DEFAULT);
            Check(s, rc, "OCIStmtExecute", sql);
        }
    }
    watchdog->Stop();
    OCITransRollback(s.svc, s.err, OCI_DEFAULT);
    OCIHandleFree(st, OCI_HTYPE_STMT);
    return 0;
}
