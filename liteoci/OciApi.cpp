// The exported entry points of the client library, with the published prototypes and C linkage.
// Each one checks its handles, clears the error handle it was given, and leaves at most one
// diagnostic record behind.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#include "../oci/oci_abi.h"
#include "Executor.h"
#include "Handles.h"

#define LITEOCI_EXPORT extern "C" __attribute__((visibility("default")))

using namespace liteoci;

namespace {

ErrorHandle* Err(OCIError* errhp) {
    ErrorHandle* e = Checked<ErrorHandle>(errhp, OCI_HTYPE_ERROR);
    if (e) e->Clear();
    return e;
}

sword Fail(ErrorHandle* err, OraError e) {
    err->Set(std::move(e));
    return OCI_ERROR;
}

// Brackets a call that runs on a session, so that OCIBreak from another thread can reach it.
class CallScope {
public:
    explicit CallScope(const std::shared_ptr<Session>& s) : s_(s) {
        if (s_) s_->EnterCall();
    }
    ~CallScope() {
        if (s_) s_->LeaveCall();
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

private:
    std::shared_ptr<Session> s_;
};

std::shared_ptr<Session> SessionOf(SvcCtxHandle* svc) {
    if (!svc) return nullptr;
    SessionHandle* sh = Checked<SessionHandle>(svc->session, OCI_HTYPE_SESSION);
    return sh ? sh->session : nullptr;
}

// The rows one round trip brings beyond those asked for.
uint64_t PrefetchOf(const StmtHandle* st) {
    uint64_t rows = st->prefetchRows;
    if (st->prefetchMemory > 0) {
        uint64_t width = 0;
        for (const Column& c : st->columns) width += c.size;
        const uint64_t byMemory = st->prefetchMemory / (width > 0 ? width : 1);
        rows = rows == 0 ? byMemory : std::min<uint64_t>(rows, byMemory);
    }
    return rows;
}

// One round trip of the session; ORA-01013 when a break ended it.
sword PayRoundTrip(const std::shared_ptr<Session>& s, ErrorHandle* err) {
    if (s && !s->RoundTrip()) return Fail(err, MakeError(1013));
    return OCI_SUCCESS;
}

template <class T>
sword WriteAttr(void* attributep, ub4* sizep, T value) {
    if (!attributep) return OCI_ERROR;
    std::memcpy(attributep, &value, sizeof(T));
    if (sizep) *sizep = sizeof(T);
    return OCI_SUCCESS;
}

std::string TextArg(const void* p, ub4 size) {
    if (!p) return {};
    return std::string(static_cast<const char*>(p), size);
}

}  // namespace

LITEOCI_EXPORT sword OCIInitialize(ub4 mode, void* ctxp, OCIMallocFn malocfp, OCIReallocFn ralocfp, OCIFreeFn mfreefp) {
    (void)mode, (void)ctxp, (void)malocfp, (void)ralocfp, (void)mfreefp;
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCIEnvInit(OCIEnv** envp, ub4 mode, size_t xtramem_sz, void** usrmempp) {
    (void)mode, (void)xtramem_sz;
    if (!envp) return OCI_ERROR;
    *envp = reinterpret_cast<OCIEnv*>(new EnvHandle());
    if (usrmempp) *usrmempp = nullptr;
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCIEnvCreate(OCIEnv** envp, ub4 mode, void* ctxp, OCIMallocFn malocfp, OCIReallocFn ralocfp,
                                  OCIFreeFn mfreefp, size_t xtramem_sz, void** usrmempp) {
    (void)ctxp, (void)malocfp, (void)ralocfp, (void)mfreefp;
    return OCIEnvInit(envp, mode, xtramem_sz, usrmempp);
}

LITEOCI_EXPORT sword OCIHandleAlloc(const void* parenth, void** hndlpp, const ub4 type, const size_t xtramem_sz,
                                    void** usrmempp) {
    (void)xtramem_sz;
    if (!Checked<EnvHandle>(parenth, OCI_HTYPE_ENV)) return OCI_INVALID_HANDLE;
    if (!hndlpp) return OCI_ERROR;
    HandleHeader* h = nullptr;
    switch (type) {
        case OCI_HTYPE_ERROR: h = new ErrorHandle(); break;
        case OCI_HTYPE_SVCCTX: h = new SvcCtxHandle(); break;
        case OCI_HTYPE_STMT: h = new StmtHandle(); break;
        case OCI_HTYPE_SERVER: h = new ServerHandle(); break;
        case OCI_HTYPE_SESSION: h = new SessionHandle(); break;
        case OCI_HTYPE_TRANS: h = new TransHandle(); break;
        default: return OCI_INVALID_HANDLE;
    }
    *hndlpp = h;
    if (usrmempp) *usrmempp = nullptr;
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCIHandleFree(void* hndlp, const ub4 type) {
    switch (type) {
        case OCI_HTYPE_ENV:
            if (auto* h = Checked<EnvHandle>(hndlp, type)) return delete h, OCI_SUCCESS;
            break;
        case OCI_HTYPE_ERROR:
            if (auto* h = Checked<ErrorHandle>(hndlp, type)) return delete h, OCI_SUCCESS;
            break;
        case OCI_HTYPE_SVCCTX:
            if (auto* h = Checked<SvcCtxHandle>(hndlp, type)) return delete h, OCI_SUCCESS;
            break;
        case OCI_HTYPE_STMT:
            if (auto* h = Checked<StmtHandle>(hndlp, type)) return delete h, OCI_SUCCESS;
            break;
        case OCI_HTYPE_SERVER:
            if (auto* h = Checked<ServerHandle>(hndlp, type)) return delete h, OCI_SUCCESS;
            break;
        case OCI_HTYPE_SESSION:
            if (auto* h = Checked<SessionHandle>(hndlp, type)) return delete h, OCI_SUCCESS;
            break;
        case OCI_HTYPE_TRANS:
            if (auto* h = Checked<TransHandle>(hndlp, type)) return delete h, OCI_SUCCESS;
            break;
        case OCI_HTYPE_BIND:
        case OCI_HTYPE_DEFINE:
            // owned by their statement
            if (Checked<HandleHeader>(hndlp, type)) return OCI_SUCCESS;
            break;
        default: break;
    }
    return OCI_INVALID_HANDLE;
}

LITEOCI_EXPORT sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len, ub4 mode) {
    (void)mode;
    ServerHandle* srv = Checked<ServerHandle>(srvhp, OCI_HTYPE_SERVER);
    ErrorHandle* err = Err(errhp);
    if (!srv || !err) return OCI_INVALID_HANDLE;
    std::string path;
    if (dblink) path = dblink_len > 0 ? std::string(reinterpret_cast<const char*>(dblink), static_cast<size_t>(dblink_len))
                                      : std::string(reinterpret_cast<const char*>(dblink));
    const ConnectString connect = ParseConnectString(path);
    if (OraError e = CheckDatabaseFile(connect.path)) return Fail(err, std::move(e));
    srv->path = connect.path;
    srv->roundTripTime = connect.hasRoundTripTime ? connect.roundTripTime : ProcessRoundTripTime();
    srv->attached = true;
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4 mode) {
    (void)mode;
    ServerHandle* srv = Checked<ServerHandle>(srvhp, OCI_HTYPE_SERVER);
    ErrorHandle* err = Err(errhp);
    if (!srv || !err) return OCI_INVALID_HANDLE;
    srv->attached = false;
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype,
                                OCIError* errhp) {
    ErrorHandle* err = Err(errhp);
    if (!err) return OCI_INVALID_HANDLE;
    switch (trghndltyp) {
        case OCI_HTYPE_SVCCTX: {
            auto* svc = Checked<SvcCtxHandle>(trgthndlp, trghndltyp);
            if (!svc) return OCI_INVALID_HANDLE;
            if (attrtype == OCI_ATTR_SERVER) {
                if (attributep && !Checked<ServerHandle>(attributep, OCI_HTYPE_SERVER)) return OCI_INVALID_HANDLE;
                svc->server = static_cast<ServerHandle*>(attributep);
                return OCI_SUCCESS;
            }
            if (attrtype == OCI_ATTR_SESSION) {
                if (attributep && !Checked<SessionHandle>(attributep, OCI_HTYPE_SESSION)) return OCI_INVALID_HANDLE;
                svc->session = static_cast<SessionHandle*>(attributep);
                return OCI_SUCCESS;
            }
            break;
        }
        case OCI_HTYPE_SESSION: {
            auto* ses = Checked<SessionHandle>(trgthndlp, trghndltyp);
            if (!ses) return OCI_INVALID_HANDLE;
            if (attrtype == OCI_ATTR_USERNAME) return ses->user = TextArg(attributep, size), OCI_SUCCESS;
            if (attrtype == OCI_ATTR_PASSWORD) return ses->password = TextArg(attributep, size), OCI_SUCCESS;
            if (attrtype == OCI_ATTR_DEFAULT_LOBPREFETCH_SIZE) {
                if (!attributep) return Fail(err, MakeError(24315));
                std::memcpy(&ses->lobPrefetchSize, attributep, sizeof ses->lobPrefetchSize);
                if (ses->session) ses->session->SetLobPrefetchSize(ses->lobPrefetchSize);
                return OCI_SUCCESS;
            }
            break;
        }
        case OCI_HTYPE_STMT: {
            auto* st = Checked<StmtHandle>(trgthndlp, trghndltyp);
            if (!st) return OCI_INVALID_HANDLE;
            if (attrtype == OCI_ATTR_PREFETCH_ROWS || attrtype == OCI_ATTR_PREFETCH_MEMORY) {
                if (!attributep) return Fail(err, MakeError(24315));
                ub4 value = 0;
                std::memcpy(&value, attributep, sizeof value);
                (attrtype == OCI_ATTR_PREFETCH_ROWS ? st->prefetchRows : st->prefetchMemory) = value;
                return OCI_SUCCESS;
            }
            break;
        }
        case OCI_HTYPE_SERVER:
            if (!Checked<ServerHandle>(trgthndlp, trghndltyp)) return OCI_INVALID_HANDLE;
            break;
        case OCI_HTYPE_ENV:
            if (!Checked<EnvHandle>(trgthndlp, trghndltyp)) return OCI_INVALID_HANDLE;
            break;
        default: return OCI_INVALID_HANDLE;
    }
    return Fail(err, MakeError(24315));
}

LITEOCI_EXPORT sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype,
                                OCIError* errhp) {
    ErrorHandle* err = Err(errhp);
    if (!err) return OCI_INVALID_HANDLE;
    if (!attributep) return Fail(err, MakeError(24315));
    switch (trghndltyp) {
        case OCI_HTYPE_STMT: {
            auto* st = Checked<StmtHandle>(trgthndlp, trghndltyp);
            if (!st) return OCI_INVALID_HANDLE;
            switch (attrtype) {
                case OCI_ATTR_ROW_COUNT: return WriteAttr<ub4>(attributep, sizep, st->rowCount);
                case 457 /* UB8_ROW_COUNT */: return WriteAttr<unsigned long long>(attributep, sizep, st->rowCount);
                case OCI_ATTR_PARAM_COUNT:
                    return WriteAttr<ub4>(attributep, sizep, st->compiled ? static_cast<ub4>(st->columns.size()) : 0);
                case OCI_ATTR_STMT_TYPE: return WriteAttr<ub2>(attributep, sizep, st->cls.ociType);
                case OCI_ATTR_PARSE_ERROR_OFFSET: return WriteAttr<ub2>(attributep, sizep, st->parseErrorOffset);
                case OCI_ATTR_ROWS_FETCHED: return WriteAttr<ub4>(attributep, sizep, st->rowsFetched);
                case OCI_ATTR_PREFETCH_ROWS: return WriteAttr<ub4>(attributep, sizep, st->prefetchRows);
                case OCI_ATTR_PREFETCH_MEMORY: return WriteAttr<ub4>(attributep, sizep, st->prefetchMemory);
                default: break;
            }
            break;
        }
        case OCI_DTYPE_PARAM: {
            auto* p = Checked<ParamHandle>(trgthndlp, trghndltyp);
            if (!p) return OCI_INVALID_HANDLE;
            const Column& c = p->column;
            switch (attrtype) {
                case OCI_ATTR_DATA_SIZE: return WriteAttr<ub2>(attributep, sizep, c.size);
                case OCI_ATTR_DATA_TYPE: return WriteAttr<ub2>(attributep, sizep, c.sqlt);
                case OCI_ATTR_NAME:
                    *static_cast<const OraText**>(attributep) = reinterpret_cast<const OraText*>(c.name.c_str());
                    if (sizep) *sizep = static_cast<ub4>(c.name.size());
                    return OCI_SUCCESS;
                case OCI_ATTR_PRECISION: return WriteAttr<sb2>(attributep, sizep, c.precision);
                case OCI_ATTR_SCALE: return WriteAttr<sb1>(attributep, sizep, c.scale);
                case OCI_ATTR_IS_NULL: return WriteAttr<ub1>(attributep, sizep, 1);
                case 286 /* CHAR_SIZE */:
                    return WriteAttr<ub2>(attributep, sizep, c.sqlt == SQLT_CHR || c.sqlt == SQLT_AFC ? c.size : 0);
                default: break;
            }
            break;
        }
        case OCI_HTYPE_SVCCTX: {
            auto* svc = Checked<SvcCtxHandle>(trgthndlp, trghndltyp);
            if (!svc) return OCI_INVALID_HANDLE;
            if (attrtype == OCI_ATTR_SERVER) return WriteAttr<void*>(attributep, sizep, svc->server);
            if (attrtype == OCI_ATTR_SESSION) return WriteAttr<void*>(attributep, sizep, svc->session);
            break;
        }
        case OCI_HTYPE_SESSION: {
            auto* ses = Checked<SessionHandle>(trgthndlp, trghndltyp);
            if (!ses) return OCI_INVALID_HANDLE;
            if (attrtype == OCI_ATTR_USERNAME) {
                *static_cast<const OraText**>(attributep) = reinterpret_cast<const OraText*>(ses->user.c_str());
                if (sizep) *sizep = static_cast<ub4>(ses->user.size());
                return OCI_SUCCESS;
            }
            break;
        }
        case OCI_HTYPE_SERVER: {
            if (!Checked<ServerHandle>(trgthndlp, trghndltyp)) return OCI_INVALID_HANDLE;
            if (attrtype == 3 /* NONBLOCKING_MODE */) return WriteAttr<ub1>(attributep, sizep, 0);
            break;
        }
        default: return OCI_INVALID_HANDLE;
    }
    return Fail(err, MakeError(24315));
}

LITEOCI_EXPORT sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode) {
    auto* svc = Checked<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
    ErrorHandle* err = Err(errhp);
    auto* ses = Checked<SessionHandle>(usrhp, OCI_HTYPE_SESSION);
    if (!svc || !err || !ses) return OCI_INVALID_HANDLE;
    ServerHandle* srv = Checked<ServerHandle>(svc->server, OCI_HTYPE_SERVER);
    if (!srv || !srv->attached) return Fail(err, MakeError(3114));
    if (credt != OCI_CRED_RDBMS) return Fail(err, MakeError(1017));
    if (ses->session) return Fail(err, MakeError(600, "session already begun"));
    std::shared_ptr<Session> s;
    if (OraError e = Session::Open(srv->path, ses->user, ses->password, (mode & OCI_SYSDBA) != 0, s))
        return Fail(err, std::move(e));
    s->SetRoundTripTime(srv->roundTripTime);
    s->SetLobPrefetchSize(ses->lobPrefetchSize);
    s->RoundTrip();  // the logon
    ses->session = std::move(s);
    svc->session = ses;
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 mode) {
    (void)mode;
    auto* svc = Checked<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
    ErrorHandle* err = Err(errhp);
    if (!svc || !err) return OCI_INVALID_HANDLE;
    SessionHandle* ses = usrhp ? Checked<SessionHandle>(usrhp, OCI_HTYPE_SESSION) : svc->session;
    if (!ses) return OCI_INVALID_HANDLE;
    OraError ended;
    if (ses->session) {
        ended = ses->session->End();  // commits what is pending, as the server does at a session's end
        ses->session.reset();
    }
    if (svc->session == ses) svc->session = nullptr;
    if (ended) {
        err->Set(std::move(ended));
        return OCI_ERROR;
    }
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCIErrorGet(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep, OraText* bufp, ub4 bufsiz,
                                 ub4 type) {
    const OraError* rec = nullptr;
    if (type == OCI_HTYPE_ERROR) {
        auto* err = Checked<ErrorHandle>(hndlp, OCI_HTYPE_ERROR);
        if (!err) return OCI_INVALID_HANDLE;
        if (recordno == 1 && err->record.code != 0) rec = &err->record;
    } else if (type == OCI_HTYPE_ENV) {
        if (!Checked<EnvHandle>(hndlp, OCI_HTYPE_ENV)) return OCI_INVALID_HANDLE;
    } else {
        return OCI_INVALID_HANDLE;
    }
    if (sqlstate) sqlstate[0] = '\0';
    if (errcodep) *errcodep = rec ? rec->code : 0;
    if (bufp && bufsiz > 0) {
        size_t n = 0;
        if (rec) {
            n = rec->text.size() < bufsiz - 1 ? rec->text.size() : bufsiz - 1;
            std::memcpy(bufp, rec->text.data(), n);
        }
        bufp[n] = '\0';
    }
    return rec ? OCI_SUCCESS : OCI_NO_DATA;
}

LITEOCI_EXPORT sword OCIBreak(void* hndlp, OCIError* errhp) {
    ErrorHandle* err = Err(errhp);
    if (!err) return OCI_INVALID_HANDLE;
    if (auto* svc = Checked<SvcCtxHandle>(hndlp, OCI_HTYPE_SVCCTX)) {
        if (std::shared_ptr<Session> s = SessionOf(svc)) s->Break();
        return OCI_SUCCESS;
    }
    if (Checked<ServerHandle>(hndlp, OCI_HTYPE_SERVER)) return OCI_SUCCESS;  // nothing runs on a bare server
    return OCI_INVALID_HANDLE;
}

LITEOCI_EXPORT sword OCIReset(void* hndlp, OCIError* errhp) {
    ErrorHandle* err = Err(errhp);
    if (!err) return OCI_INVALID_HANDLE;
    if (Checked<SvcCtxHandle>(hndlp, OCI_HTYPE_SVCCTX) || Checked<ServerHandle>(hndlp, OCI_HTYPE_SERVER)) return OCI_SUCCESS;
    return OCI_INVALID_HANDLE;
}

LITEOCI_EXPORT sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len, ub4 language,
                                    ub4 mode) {
    (void)language, (void)mode;
    auto* st = Checked<StmtHandle>(stmtp, OCI_HTYPE_STMT);
    ErrorHandle* err = Err(errhp);
    if (!st || !err) return OCI_INVALID_HANDLE;
    if (!stmt) return Fail(err, MakeError(900));
    PrepareStatement(st, reinterpret_cast<const char*>(stmt), stmt_len);
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff,
                                    const OCISnapshot* snap_in, OCISnapshot* snap_out, ub4 mode) {
    (void)rowoff, (void)snap_in, (void)snap_out;
    auto* svc = Checked<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
    auto* st = Checked<StmtHandle>(stmtp, OCI_HTYPE_STMT);
    ErrorHandle* err = Err(errhp);
    if (!svc || !st || !err) return OCI_INVALID_HANDLE;
    std::shared_ptr<Session> s = SessionOf(svc);
    CallScope call(s);
    // Parse, execute and the first rows with their prefetch travel together.
    if (sword rc = PayRoundTrip(s, err); rc != OCI_SUCCESS) return rc;
    const sword rc = ExecuteStatement(svc, st, err, iters, mode);
    st->rowsCovered = 0;
    if ((rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO) && (mode & OCI_DESCRIBE_ONLY) == 0)
        st->rowsCovered = iters + PrefetchOf(st);
    return rc;
}

LITEOCI_EXPORT sword OCIStmtFetch2(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4 scrollOffset,
                                   ub4 mode) {
    (void)scrollOffset, (void)mode;
    auto* st = Checked<StmtHandle>(stmtp, OCI_HTYPE_STMT);
    ErrorHandle* err = Err(errhp);
    if (!st || !err) return OCI_INVALID_HANDLE;
    CallScope call(st->session);
    // Rows beyond what the client holds need a round trip, which brings the prefetch along.
    if (nrows > 0 && st->rowCount + nrows > st->rowsCovered) {
        if (sword rc = PayRoundTrip(st->session, err); rc != OCI_SUCCESS) return rc;
        st->rowsCovered = st->rowCount + nrows + PrefetchOf(st);
    }
    return FetchStatement(st, err, nrows, orientation);
}

LITEOCI_EXPORT sword OCIStmtFetch(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, ub4 mode) {
    return OCIStmtFetch2(stmtp, errhp, nrows, orientation, 0, mode);
}

LITEOCI_EXPORT sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position, void* valuep,
                                  sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2* rcodep, ub4 maxarr_len,
                                  ub4* curelep, ub4 mode) {
    (void)maxarr_len, (void)curelep, (void)mode;
    auto* st = Checked<StmtHandle>(stmtp, OCI_HTYPE_STMT);
    ErrorHandle* err = Err(errhp);
    if (!st || !err) return OCI_INVALID_HANDLE;
    if (position == 0 || position > 65535) return Fail(err, MakeError(1036));
    if (value_sz < 0) return Fail(err, MakeError(932));
    if (st->binds.size() < position) st->binds.resize(position);
    auto& slot = st->binds[position - 1];
    if (!slot) slot = std::make_unique<BindHandle>();
    slot->value = valuep;
    slot->size = value_sz;
    slot->dty = dty;
    slot->ind = static_cast<sb2*>(indp);
    slot->alen = alenp;
    slot->rcode = rcodep;
    if (bindp) *bindp = reinterpret_cast<OCIBind*>(slot.get());
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, const OraText* placeholder,
                                   sb4 placeh_len, void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp,
                                   ub2* rcodep, ub4 maxarr_len, ub4* curelep, ub4 mode) {
    (void)bindp, (void)placeholder, (void)placeh_len, (void)valuep, (void)value_sz, (void)dty, (void)indp, (void)alenp,
        (void)rcodep, (void)maxarr_len, (void)curelep, (void)mode;
    auto* st = Checked<StmtHandle>(stmtp, OCI_HTYPE_STMT);
    ErrorHandle* err = Err(errhp);
    if (!st || !err) return OCI_INVALID_HANDLE;
    return Fail(err, MakeError(1036));  // binding by name is not offered; bind by position instead
}

LITEOCI_EXPORT sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnp, OCIError* errhp, ub4 position, void* valuep,
                                    sb4 value_sz, ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4 mode) {
    (void)mode;
    auto* st = Checked<StmtHandle>(stmtp, OCI_HTYPE_STMT);
    ErrorHandle* err = Err(errhp);
    if (!st || !err) return OCI_INVALID_HANDLE;
    if (position == 0 || position > 65535) return Fail(err, MakeError(1007));
    switch (dty) {
        case SQLT_CHR:
        case SQLT_STR:
        case SQLT_AFC:
        case SQLT_VCS:
        case SQLT_LNG:
            if (value_sz < 0 || (value_sz > 0 && !valuep)) return Fail(err, MakeError(932));
            break;
        case SQLT_INT:
        case SQLT_UIN:
            if (!valuep || (value_sz != 1 && value_sz != 2 && value_sz != 4 && value_sz != 8)) return Fail(err, MakeError(932));
            break;
        case SQLT_FLT:
            if (!valuep || (value_sz != 4 && value_sz != 8)) return Fail(err, MakeError(932));
            break;
        case SQLT_CLOB:
        case SQLT_BLOB:
        case SQLT_BFILE:
            if (!valuep || !Checked<LobHandle>(*static_cast<void**>(valuep), OCI_DTYPE_LOB))
                return Fail(err, MakeError(22275));
            break;
        default: return Fail(err, MakeError(932));
    }
    if (st->defines.size() < position) st->defines.resize(position);
    auto& slot = st->defines[position - 1];
    if (!slot) slot = std::make_unique<DefineHandle>();
    slot->value = valuep;
    slot->size = (dty == SQLT_CLOB || dty == SQLT_BLOB || dty == SQLT_BFILE) ? static_cast<sb4>(sizeof(void*)) : value_sz;
    slot->dty = dty;
    slot->ind = static_cast<sb2*>(indp);
    slot->rlen = rlenp;
    slot->rcode = rcodep;
    if (defnp) *defnp = reinterpret_cast<OCIDefine*>(slot.get());
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos) {
    ErrorHandle* err = Err(errhp);
    if (!err) return OCI_INVALID_HANDLE;
    if (htype != OCI_HTYPE_STMT) return OCI_INVALID_HANDLE;
    auto* st = Checked<StmtHandle>(hndlp, OCI_HTYPE_STMT);
    if (!st) return OCI_INVALID_HANDLE;
    if (!parmdpp) return Fail(err, MakeError(24334));
    if (!st->compiled || st->cls.cls != StmtClass::Query) return Fail(err, MakeError(24338));
    if (pos == 0 || pos > st->params.size()) return Fail(err, MakeError(24334));
    *parmdpp = st->params[pos - 1].get();
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCIDescriptorAlloc(const void* parenth, void** descpp, const ub4 type, const size_t xtramem_sz,
                                        void** usrmempp) {
    (void)xtramem_sz;
    if (!Checked<EnvHandle>(parenth, OCI_HTYPE_ENV)) return OCI_INVALID_HANDLE;
    if (!descpp) return OCI_ERROR;
    if (type != OCI_DTYPE_LOB && type != 56 /* OCI_DTYPE_FILE */) return OCI_INVALID_HANDLE;
    *descpp = new LobHandle();
    if (usrmempp) *usrmempp = nullptr;
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCIDescriptorFree(void* descp, const ub4 type) {
    if (type == OCI_DTYPE_LOB || type == 56) {
        if (auto* d = Checked<LobHandle>(descp, OCI_DTYPE_LOB)) return delete d, OCI_SUCCESS;
        return OCI_INVALID_HANDLE;
    }
    // Parameter descriptors belong to their statement and go with it.
    if (type == OCI_DTYPE_PARAM && Checked<ParamHandle>(descp, OCI_DTYPE_PARAM)) return OCI_SUCCESS;
    return OCI_INVALID_HANDLE;
}

LITEOCI_EXPORT sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, ub4 flags) {
    (void)flags;
    auto* svc = Checked<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
    ErrorHandle* err = Err(errhp);
    if (!svc || !err) return OCI_INVALID_HANDLE;
    std::shared_ptr<Session> s = SessionOf(svc);
    if (!s || !s->isOpen()) return Fail(err, MakeError(3114));
    CallScope call(s);
    if (sword rc = PayRoundTrip(s, err); rc != OCI_SUCCESS) return rc;
    if (OraError e = s->Commit()) return Fail(err, std::move(e));
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp, ub4 flags) {
    (void)flags;
    auto* svc = Checked<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
    ErrorHandle* err = Err(errhp);
    if (!svc || !err) return OCI_INVALID_HANDLE;
    std::shared_ptr<Session> s = SessionOf(svc);
    if (!s || !s->isOpen()) return Fail(err, MakeError(3114));
    CallScope call(s);
    if (sword rc = PayRoundTrip(s, err); rc != OCI_SUCCESS) return rc;
    if (OraError e = s->Rollback()) return Fail(err, std::move(e));
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCINumberToText(OCIError* err, const OCINumber* number, const oratext* fmt, ub4 fmt_length,
                                     const oratext* nls_params, ub4 nls_p_length, ub4* buf_size, oratext* buf) {
    (void)number, (void)fmt, (void)fmt_length, (void)nls_params, (void)nls_p_length;
    ErrorHandle* e = Err(err);
    if (!e) return OCI_INVALID_HANDLE;
    // Numbers reach the caller as text already; the internal number format is not produced here.
    if (buf && buf_size && *buf_size > 0) buf[0] = '\0';
    if (buf_size) *buf_size = 0;
    return Fail(e, MakeError(932));
}

LITEOCI_EXPORT sword OCIDefineObject(OCIDefine* defnp, OCIError* errhp, const OCIType* type, void** pgvpp, ub4* pvszsp,
                                     void** indpp, ub4* indszp) {
    (void)type, (void)pgvpp, (void)pvszsp, (void)indpp, (void)indszp;
    ErrorHandle* err = Err(errhp);
    if (!err || !Checked<DefineHandle>(defnp, OCI_HTYPE_DEFINE)) return OCI_INVALID_HANDLE;
    return Fail(err, MakeError(932));  // object types are not offered
}

LITEOCI_EXPORT void OCIClientVersion(sword* major_version, sword* minor_version, sword* update_num, sword* patch_num,
                                     sword* port_update_num) {
    if (major_version) *major_version = 19;
    if (minor_version) *minor_version = 8;
    if (update_num) *update_num = 0;
    if (patch_num) *patch_num = 0;
    if (port_update_num) *port_update_num = 0;
}

// ---------------------------------------------------------------------------------------------------
// LOB reads. The client's character set is UTF-8, a varying-width one: offsets and the amount asked
// for count characters of a CLOB (bytes of a BLOB), and the amount read comes back in bytes. Each
// call that would reach the server pays one round trip.

namespace {

bool IsUtf8Lead(unsigned char c) { return (c & 0xC0) != 0x80; }

uint64_t CharacterCount(std::string_view text) {
    uint64_t n = 0;
    for (unsigned char c : text) n += IsUtf8Lead(c);
    return n;
}

// The byte where character `index` (0-based) starts; the size when the text is shorter.
size_t ByteOfCharacter(std::string_view text, uint64_t index) {
    uint64_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsUtf8Lead(static_cast<unsigned char>(text[i]))) continue;
        if (seen == index) return i;
        ++seen;
    }
    return text.size();
}

struct LobCall {
    ErrorHandle* err = nullptr;
    LobHandle* lob = nullptr;
    std::shared_ptr<Session> session;
};

// Checks the handles of a LOB call on a service context: OCI_SUCCESS when they can be used.
sword StartLobCall(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, LobCall& call) {
    auto* svc = Checked<SvcCtxHandle>(svchp, OCI_HTYPE_SVCCTX);
    call.err = Err(errhp);
    if (!svc || !call.err) return OCI_INVALID_HANDLE;
    call.lob = Checked<LobHandle>(locp, OCI_DTYPE_LOB);
    if (!call.lob) return OCI_INVALID_HANDLE;
    call.session = SessionOf(svc);
    if (!call.session || !call.session->isOpen()) return Fail(call.err, MakeError(3114));
    if (!call.lob->initialized) return Fail(call.err, MakeError(22275));
    return OCI_SUCCESS;
}

}  // namespace

LITEOCI_EXPORT sword OCILobGetLength(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* lenp) {
    LobCall call;
    if (sword rc = StartLobCall(svchp, errhp, locp, call); rc != OCI_SUCCESS) return rc;
    if (!lenp) return Fail(call.err, MakeError(24801));
    CallScope scope(call.session);
    // With LOB prefetch the length came with the locator.
    if (call.session->lobPrefetchSize() == 0)
        if (sword rc = PayRoundTrip(call.session, call.err); rc != OCI_SUCCESS) return rc;
    const uint64_t length = call.lob->characters ? CharacterCount(call.lob->value) : call.lob->value.size();
    *lenp = static_cast<ub4>(std::min<uint64_t>(length, UINT32_MAX));
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCILobRead(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset,
                                void* bufp, ub4 bufl, void* ctxp, OCICallbackLobRead cbfp, ub2 csid, ub1 csfrm) {
    (void)csid, (void)csfrm;
    LobCall call;
    if (sword rc = StartLobCall(svchp, errhp, locp, call); rc != OCI_SUCCESS) return rc;
    if (!amtp || offset == 0 || (!bufp && bufl > 0)) return Fail(call.err, MakeError(24801));
    CallScope scope(call.session);
    const std::string_view value(call.lob->value);
    const bool chars = call.lob->characters;
    {
        // What the prefetch brought with the row is read without a round trip: the whole LOB when
        // it is that short, else the range asked for when it lies within the prefetched part.
        const uint64_t prefetched = call.session->lobPrefetchSize();
        const uint64_t length = chars ? CharacterCount(value) : value.size();
        const bool held = prefetched > 0 && (length <= prefetched || (*amtp > 0 && offset - 1 + uint64_t(*amtp) <= prefetched));
        if (!held)
            if (sword rc = PayRoundTrip(call.session, call.err); rc != OCI_SUCCESS) return rc;
    }
    const size_t start = chars ? ByteOfCharacter(value, offset - 1) : std::min<size_t>(offset - 1, value.size());
    if (start >= value.size() && !(value.empty() && offset == 1)) {
        *amtp = 0;
        return OCI_NO_DATA;  // the offset lies beyond the end
    }
    // An amount of 0 asks for the rest of the LOB.
    const uint64_t wanted = *amtp == 0 ? UINT64_MAX : *amtp;
    size_t end = chars ? start + ByteOfCharacter(value.substr(start), wanted) : start + std::min<uint64_t>(wanted, value.size() - start);
    end = std::min(end, value.size());
    // Whole characters only, as many as the buffer holds (with a callback, piece by piece).
    auto fit = [&](size_t from, size_t limit) {
        size_t to = std::min(end, from + limit);
        if (chars)
            while (to > from && to < value.size() && !IsUtf8Lead(static_cast<unsigned char>(value[to]))) --to;
        return to;
    };
    if (cbfp) {
        size_t at = start;
        ub4 total = 0;
        while (at < end) {
            const size_t to = fit(at, bufl);
            if (to == at) return Fail(call.err, MakeError(24801));
            std::memcpy(bufp, value.data() + at, to - at);
            const ub1 piece = at == start ? (to >= end ? OCI_ONE_PIECE : OCI_FIRST_PIECE) : (to >= end ? OCI_LAST_PIECE : OCI_NEXT_PIECE);
            total += static_cast<ub4>(to - at);
            if (cbfp(ctxp, bufp, static_cast<ub4>(to - at), piece) < 0) break;
            at = to;
        }
        *amtp = total;
        return OCI_SUCCESS;
    }
    const size_t to = fit(start, bufl);
    if (to > start) std::memcpy(bufp, value.data() + start, to - start);
    *amtp = static_cast<ub4>(to - start);
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCILobCharSetForm(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp, ub1* csfrm) {
    ErrorHandle* err = Err(errhp);
    if (!Checked<EnvHandle>(envhp, OCI_HTYPE_ENV) || !err) return OCI_INVALID_HANDLE;
    auto* lob = Checked<LobHandle>(locp, OCI_DTYPE_LOB);
    if (!lob) return OCI_INVALID_HANDLE;
    if (!csfrm) return Fail(err, MakeError(24801));
    // BLOBs have no character set form.
    *csfrm = lob->characters ? SQLCS_IMPLICIT : 0;
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCILobOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub1 mode) {
    (void)mode;
    LobCall call;
    if (sword rc = StartLobCall(svchp, errhp, locp, call); rc != OCI_SUCCESS) return rc;
    if (call.lob->open) return Fail(call.err, MakeError(22293));
    CallScope scope(call.session);
    if (sword rc = PayRoundTrip(call.session, call.err); rc != OCI_SUCCESS) return rc;
    call.lob->open = true;
    return OCI_SUCCESS;
}

LITEOCI_EXPORT sword OCILobClose(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp) {
    LobCall call;
    if (sword rc = StartLobCall(svchp, errhp, locp, call); rc != OCI_SUCCESS) return rc;
    if (!call.lob->open) return Fail(call.err, MakeError(22289, "CLOSE"));
    CallScope scope(call.session);
    if (sword rc = PayRoundTrip(call.session, call.err); rc != OCI_SUCCESS) return rc;
    call.lob->open = false;
    return OCI_SUCCESS;
}
