#include "OciClient.h"

#include <cstdlib>

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

template <class T>
void Resolve(void* lib, T& fn, const char* name) {
    fn = reinterpret_cast<T>(dlsym(lib, name));
    if (!fn) throw std::runtime_error(std::string("missing entry point ") + name);
}

Api Load() {
    void* lib = dlopen(LITEOCI_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!lib) throw std::runtime_error(std::string("cannot load ") + LITEOCI_LIBRARY + ": " + dlerror());
    Api a{};
    Resolve(lib, a.Initialize, "OCIInitialize");
    Resolve(lib, a.LobGetLength, "OCILobGetLength");
    Resolve(lib, a.LobRead, "OCILobRead");
    Resolve(lib, a.LobOpen, "OCILobOpen");
    Resolve(lib, a.LobClose, "OCILobClose");
    Resolve(lib, a.EnvInit, "OCIEnvInit");
    Resolve(lib, a.HandleAlloc, "OCIHandleAlloc");
    Resolve(lib, a.HandleFree, "OCIHandleFree");
    Resolve(lib, a.ServerAttach, "OCIServerAttach");
    Resolve(lib, a.ServerDetach, "OCIServerDetach");
    Resolve(lib, a.AttrSet, "OCIAttrSet");
    Resolve(lib, a.AttrGet, "OCIAttrGet");
    Resolve(lib, a.SessionBegin, "OCISessionBegin");
    Resolve(lib, a.SessionEnd, "OCISessionEnd");
    Resolve(lib, a.ErrorGet, "OCIErrorGet");
    Resolve(lib, a.Break, "OCIBreak");
    Resolve(lib, a.StmtPrepare, "OCIStmtPrepare");
    Resolve(lib, a.StmtExecute, "OCIStmtExecute");
    Resolve(lib, a.StmtFetch, "OCIStmtFetch");
    Resolve(lib, a.BindByPos, "OCIBindByPos");
    Resolve(lib, a.DefineByPos, "OCIDefineByPos");
    Resolve(lib, a.ParamGet, "OCIParamGet");
    Resolve(lib, a.DescriptorAlloc, "OCIDescriptorAlloc");
    Resolve(lib, a.DescriptorFree, "OCIDescriptorFree");
    Resolve(lib, a.TransCommit, "OCITransCommit");
    Resolve(lib, a.TransRollback, "OCITransRollback");
    Resolve(lib, a.ClientVersion, "OCIClientVersion");
    return a;
}

}  // namespace

const Api& Oci() {
    static Api api = Load();
    return api;
}

std::string TempDir() {
    char tmpl[] = "/tmp/liteoci-test-XXXXXX";
    const char* d = mkdtemp(tmpl);
    if (!d) throw std::runtime_error("mkdtemp failed");
    return d;
}

int RunAdmin(const std::string& args) {
    std::string cmd = std::string(LITEOCI_ADMIN) + " " + args + " >/dev/null 2>&1";
    int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string MakeDatabase() {
    std::string path = TempDir() + "/test.db";
    if (RunAdmin("create " + path) != 0 || RunAdmin("user " + path + " DEMO demo") != 0 ||
        RunAdmin("user " + path + " SYS sys --sysdba") != 0)
        throw std::runtime_error("liteoci-admin failed");
    return path;
}

Conn::~Conn() { Logoff(); }

Error Conn::LastError() const {
    Error e;
    char buf[512] = {0};
    sb4 code = 0;
    Oci().ErrorGet(err, 1, nullptr, &code, reinterpret_cast<OraText*>(buf), sizeof buf, OCI_HTYPE_ERROR);
    e.code = code;
    e.text = buf;
    return e;
}

Error Conn::Logon(const std::string& user, const std::string& password, const std::string& connect, bool sysdba) {
    const Api& o = Oci();
    o.Initialize((sysdba ? OCI_DEFAULT : OCI_OBJECT) | OCI_THREADED, nullptr, nullptr, nullptr, nullptr);
    o.EnvInit(&env, OCI_DEFAULT, 0, nullptr);
    o.HandleAlloc(env, reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR, 0, nullptr);
    o.HandleAlloc(env, reinterpret_cast<void**>(&srv), OCI_HTYPE_SERVER, 0, nullptr);
    o.HandleAlloc(env, reinterpret_cast<void**>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr);
    o.AttrSet(svc, OCI_HTYPE_SVCCTX, srv, 0, OCI_ATTR_SERVER, err);
    o.HandleAlloc(env, reinterpret_cast<void**>(&ses), OCI_HTYPE_SESSION, 0, nullptr);
    o.ServerAttach(srv, err, reinterpret_cast<const OraText*>(connect.c_str()), static_cast<sb4>(connect.size()), OCI_DEFAULT);
    if (Error e = LastError(); e.code) return e;
    o.AttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>(user.c_str()), static_cast<ub4>(user.size()), OCI_ATTR_USERNAME, err);
    if (Error e = LastError(); e.code) return e;
    o.AttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>(password.c_str()), static_cast<ub4>(password.size()),
              OCI_ATTR_PASSWORD, err);
    if (Error e = LastError(); e.code) return e;
    o.SessionBegin(svc, err, ses, OCI_CRED_RDBMS, sysdba ? OCI_SYSDBA : OCI_DEFAULT);
    if (Error e = LastError(); e.code) return e;
    o.AttrSet(svc, OCI_HTYPE_SVCCTX, ses, 0, OCI_ATTR_SESSION, err);
    if (Error e = LastError(); e.code) return e;
    connected = true;
    return {};
}

void Conn::Logoff() {
    const Api& o = Oci();
    if (connected) o.SessionEnd(svc, err, ses, OCI_DEFAULT);
    connected = false;
    if (srv) o.ServerDetach(srv, err, OCI_DEFAULT);
    if (ses) o.HandleFree(ses, OCI_HTYPE_SESSION);
    if (srv) o.HandleFree(srv, OCI_HTYPE_SERVER);
    if (svc) o.HandleFree(svc, OCI_HTYPE_SVCCTX);
    if (err) o.HandleFree(err, OCI_HTYPE_ERROR);
    if (env) o.HandleFree(env, OCI_HTYPE_ENV);
    ses = nullptr, srv = nullptr, svc = nullptr, err = nullptr, env = nullptr;
}

Stmt::Stmt(Conn& c, const std::string& text) : conn(c), sql(text) {
    Oci().HandleAlloc(c.env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT, 0, nullptr);
    Oci().StmtPrepare(st, c.err, reinterpret_cast<const OraText*>(sql.c_str()), static_cast<ub4>(sql.size()),
                      OCI_NTV_SYNTAX, OCI_DEFAULT);
}

Stmt::~Stmt() { Oci().HandleFree(st, OCI_HTYPE_STMT); }

sword Stmt::Execute(ub4 mode, ub4 iters) {
    return Oci().StmtExecute(conn.svc, st, conn.err, iters, 0, nullptr, nullptr, mode);
}

sword Stmt::Fetch() { return Oci().StmtFetch(st, conn.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT); }

ub4 Stmt::Describe() {
    Execute(OCI_DESCRIBE_ONLY);
    ub4 n = 0;
    Oci().AttrGet(st, OCI_HTYPE_STMT, &n, nullptr, OCI_ATTR_PARAM_COUNT, conn.err);
    return n;
}

std::string Stmt::ColumnName(ub4 pos) {
    void* p = nullptr;
    Oci().ParamGet(st, OCI_HTYPE_STMT, conn.err, &p, pos);
    OraText* name = nullptr;
    ub4 len = 0;
    Oci().AttrGet(p, OCI_DTYPE_PARAM, &name, &len, OCI_ATTR_NAME, conn.err);
    return name ? std::string(reinterpret_cast<char*>(name), len) : std::string("<none>");
}

ub2 Stmt::ColumnSize(ub4 pos) {
    void* p = nullptr;
    Oci().ParamGet(st, OCI_HTYPE_STMT, conn.err, &p, pos);
    ub2 v = 0;
    Oci().AttrGet(p, OCI_DTYPE_PARAM, &v, nullptr, OCI_ATTR_DATA_SIZE, conn.err);
    return v;
}

ub2 Stmt::ColumnType(ub4 pos) {
    void* p = nullptr;
    Oci().ParamGet(st, OCI_HTYPE_STMT, conn.err, &p, pos);
    ub2 v = 0;
    Oci().AttrGet(p, OCI_DTYPE_PARAM, &v, nullptr, OCI_ATTR_DATA_TYPE, conn.err);
    return v;
}

ub2 Stmt::Type() {
    ub2 v = 0;
    Oci().AttrGet(st, OCI_HTYPE_STMT, &v, nullptr, OCI_ATTR_STMT_TYPE, conn.err);
    return v;
}

ub4 Stmt::RowCount() {
    ub4 v = 0;
    Oci().AttrGet(st, OCI_HTYPE_STMT, &v, nullptr, OCI_ATTR_ROW_COUNT, conn.err);
    return v;
}

ub2 Stmt::ParseErrorOffset() {
    OCIError* tmp = nullptr;
    Oci().HandleAlloc(conn.env, reinterpret_cast<void**>(&tmp), OCI_HTYPE_ERROR, 0, nullptr);
    ub2 v = 0;
    Oci().AttrGet(st, OCI_HTYPE_STMT, &v, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET, tmp);
    Oci().HandleFree(tmp, OCI_HTYPE_ERROR);
    return v;
}

void Stmt::DefineAllChars(ub4 count, sb4 size) {
    bufs.assign(count, std::vector<char>(static_cast<size_t>(size) + 1));
    lens.assign(count, 0);
    rcodes.assign(count, 0);
    inds.assign(count, 0);
    for (ub4 i = 0; i < count; ++i)
        Oci().DefineByPos(st, nullptr, conn.err, i + 1, bufs[i].data(), size, SQLT_CHR, &inds[i], &lens[i], &rcodes[i],
                          OCI_DEFAULT);
}

std::string Stmt::Cell(ub4 pos) const {
    if (inds[pos - 1] == -1) return "<null>";
    return std::string(bufs[pos - 1].data(), lens[pos - 1]);
}

Error Exec(Conn& c, const std::string& sql) {
    Stmt s(c, sql);
    s.Execute();
    return c.LastError();
}

std::vector<std::vector<std::string>> Query(Conn& c, const std::string& sql, Error* error) {
    return QueryBound(c, sql, {}, error);
}

std::vector<std::vector<std::string>> QueryBound(Conn& c, const std::string& sql, const std::vector<std::string>& binds,
                                                 Error* error) {
    std::vector<std::vector<std::string>> rows;
    Stmt s(c, sql);
    std::vector<std::string> values = binds;
    for (size_t k = 0; k < values.size(); ++k) {
        OCIBind* b = nullptr;
        Oci().BindByPos(s.st, &b, c.err, static_cast<ub4>(k + 1), values[k].data(), static_cast<sb4>(values[k].size()),
                        SQLT_CHR, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    }
    ub4 n = s.Describe();
    Error e = c.LastError();
    if (e.code == 0) {
        s.DefineAllChars(n);
        sword rc = s.Execute();
        while (rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO) {
            std::vector<std::string> row;
            for (ub4 i = 1; i <= n; ++i) row.push_back(s.Cell(i));
            rows.push_back(row);
            rc = s.Fetch();
        }
        e = c.LastError();
        if (e.code == 1403) e = {};
    }
    if (error) *error = e;
    else EXPECT_EQ(e.code, 0) << sql << ": " << e.text;
    return rows;
}

std::string Scalar(Conn& c, const std::string& sql) {
    auto rows = Query(c, sql);
    return rows.empty() || rows[0].empty() ? std::string("<no rows>") : rows[0][0];
}

long RoundTrips(Conn& c) {
    return std::atol(Scalar(c, "select m.value from v$mystat m join v$statname n on n.statistic# = m.statistic# "
                               "where n.name = 'SQL*Net roundtrips to/from client'").c_str());
}
