#include "DBConnect.h"

#include "DynamicLibrary.h"

#include <cstring>

namespace {

// Copies a C string into a fresh owned buffer (length + 1 bytes).
std::unique_ptr<char[]> CopyText(const char* text) {
    if (!text)
        text = "";
    size_t n = std::strlen(text);
    auto copy = std::make_unique<char[]>(n + 1);
    std::memcpy(copy.get(), text, n + 1);
    return copy;
}

template <typename Fn> bool Resolve(const platform::DynamicLibrary& lib, Fn& slot, const char* name) {
    slot = reinterpret_cast<Fn>(lib.Symbol(name));
    return slot != nullptr;
}

} // namespace

DBConnect::DBConnect() { std::memset(errorText_, 0, sizeof errorText_); }

// A session still open when its object goes is logged off, so its handles go back to the client.
DBConnect::~DBConnect() { Logoff(); }

void DBConnect::FailLoad() {
    library_.reset();
    std::memset(errorText_, 0, sizeof errorText_);
    std::string text = "Can't load " + libraryName_;
    std::strncpy(errorText_, text.c_str(), sizeof errorText_ - 1);
    throw OtherException();
}

void DBConnect::LoadClient() {
    if (library_)
        return;
    platform::LoadResult loaded = platform::LoadOciLibrary();
    libraryName_ = loaded.lastTried;
    if (!loaded.library)
        FailLoad();
    library_ = std::move(loaded.library);
    const auto& lib = *library_;
    // A library without one of the entry points the program calls is as good as no library.
    bool ok = Resolve(lib, fn_.Initialize, "OCIInitialize") && Resolve(lib, fn_.EnvInit, "OCIEnvInit") &&
              Resolve(lib, fn_.HandleAlloc, "OCIHandleAlloc") &&
              Resolve(lib, fn_.ServerAttach, "OCIServerAttach") && Resolve(lib, fn_.AttrSet, "OCIAttrSet") &&
              Resolve(lib, fn_.SessionBegin, "OCISessionBegin") &&
              Resolve(lib, fn_.SessionEnd, "OCISessionEnd") &&
              Resolve(lib, fn_.ServerDetach, "OCIServerDetach") &&
              Resolve(lib, fn_.HandleFree, "OCIHandleFree") && Resolve(lib, fn_.ErrorGet, "OCIErrorGet") &&
              Resolve(lib, fn_.Break, "OCIBreak");
    ok = ok && Resolve(lib, stmtFn_.HandleAlloc, "OCIHandleAlloc") &&
         Resolve(lib, stmtFn_.StmtPrepare, "OCIStmtPrepare") && Resolve(lib, stmtFn_.ErrorGet, "OCIErrorGet") &&
         Resolve(lib, stmtFn_.HandleFree, "OCIHandleFree") &&
         Resolve(lib, stmtFn_.StmtExecute, "OCIStmtExecute") &&
         Resolve(lib, stmtFn_.TransCommit, "OCITransCommit") &&
         Resolve(lib, stmtFn_.TransRollback, "OCITransRollback") &&
         Resolve(lib, stmtFn_.BindByPos, "OCIBindByPos") && Resolve(lib, stmtFn_.DefineByPos, "OCIDefineByPos") &&
         Resolve(lib, stmtFn_.StmtFetch, "OCIStmtFetch") && Resolve(lib, stmtFn_.ParamGet, "OCIParamGet") &&
         Resolve(lib, stmtFn_.AttrGet, "OCIAttrGet") &&
         Resolve(lib, stmtFn_.DescriptorAlloc, "OCIDescriptorAlloc");
    if (!ok) {
        fn_ = {};
        stmtFn_ = {};
        FailLoad();
    }
    Resolve(lib, stmtFn_.NumberToText, "OCINumberToText");
    Resolve(lib, stmtFn_.DefineObject, "OCIDefineObject");
    Resolve(lib, stmtFn_.DescriptorFree, "OCIDescriptorFree");
    Resolve(lib, stmtFn_.AttrSet, "OCIAttrSet");
    Resolve(lib, stmtFn_.LobGetLength, "OCILobGetLength");
    Resolve(lib, stmtFn_.LobRead, "OCILobRead");
    Resolve(lib, stmtFn_.LobCharSetForm, "OCILobCharSetForm");
}

void DBConnect::ReadErrorRecord() {
    // Cleared first: a handle without a record must read as "no error", never as the previous one.
    errorCode_ = 0;
    std::memset(errorText_, 0, sizeof errorText_);
    if (!err_)
        return;
    fn_.ErrorGet(err_, 1, nullptr, &errorCode_, reinterpret_cast<OraText*>(errorText_),
                 static_cast<ub4>(sizeof errorText_), OCI_HTYPE_ERROR);
    errorText_[sizeof errorText_ - 1] = '\0';
}

void DBConnect::Check() {
    ReadErrorRecord();
    if (ErrorCode() != 0)
        throw OtherException();
}

const char* DBConnect::ErrorText() {
    if (library_ && err_)
        ReadErrorRecord();
    return errorText_;
}

int32_t DBConnect::ErrorCode() {
    if (library_ && err_)
        ReadErrorRecord();
    return errorCode_;
}

void DBConnect::Logon(const char* user, const char* password, const char* connectString) {
    LogonWithModes(user, password, connectString, OCI_OBJECT, OCI_DEFAULT);
}

void DBConnect::LogonSysdba(const char* user, const char* password, const char* connectString) {
    LogonWithModes(user, password, connectString, OCI_DEFAULT, OCI_SYSDBA);
}

void DBConnect::LogonWithModes(const char* user, const char* password, const char* connectString, ub4 initMode,
                               ub4 sessionMode) {
    LoadClient();
    // A second attempt on the same object (the connect dialog offers it again) starts from fresh handles.
    FreeHandles();
    connected_ = 0;
    userName_ = CopyText(user);
    password_ = CopyText(password);
    connectString_ = CopyText(connectString);

    // Threaded: the UI thread breaks calls that a worker thread is running on this session.
    fn_.Initialize(initMode | OCI_THREADED, nullptr, nullptr, nullptr, nullptr);
    fn_.EnvInit(&env_, OCI_DEFAULT, 0, nullptr);
    fn_.HandleAlloc(env_, reinterpret_cast<void**>(&err_), OCI_HTYPE_ERROR, 0, nullptr);
    fn_.HandleAlloc(env_, reinterpret_cast<void**>(&server_), OCI_HTYPE_SERVER, 0, nullptr);
    fn_.HandleAlloc(env_, reinterpret_cast<void**>(&svc_), OCI_HTYPE_SVCCTX, 0, nullptr);
    fn_.AttrSet(svc_, OCI_HTYPE_SVCCTX, server_, 0, OCI_ATTR_SERVER, err_);
    fn_.HandleAlloc(env_, reinterpret_cast<void**>(&session_), OCI_HTYPE_SESSION, 0, nullptr);

    const auto* cs = reinterpret_cast<const OraText*>(connectString_.get());
    fn_.ServerAttach(server_, err_, cs, static_cast<sb4>(std::strlen(connectString_.get())), OCI_DEFAULT);
    Check();
    fn_.AttrSet(session_, OCI_HTYPE_SESSION, userName_.get(), static_cast<ub4>(std::strlen(userName_.get())),
                OCI_ATTR_USERNAME, err_);
    Check();
    fn_.AttrSet(session_, OCI_HTYPE_SESSION, password_.get(), static_cast<ub4>(std::strlen(password_.get())),
                OCI_ATTR_PASSWORD, err_);
    Check();
    fn_.SessionBegin(svc_, err_, session_, OCI_CRED_RDBMS, sessionMode);
    Check();
    fn_.AttrSet(svc_, OCI_HTYPE_SVCCTX, session_, 0, OCI_ATTR_SESSION, err_);
    Check();
    // The grid shows the beginning of every CLOB of a row: with LOB prefetch that much travels with
    // the row, so a page of rows does not cost a round trip per CLOB cell. A client without it (older
    // than 11.1) refuses the attribute and reads as before.
    ub4 lobPrefetch = kLobPrefetchSize;
    if (fn_.AttrSet(session_, OCI_HTYPE_SESSION, &lobPrefetch, 0, OCI_ATTR_DEFAULT_LOBPREFETCH_SIZE, err_) != OCI_SUCCESS)
        ResetErrorHandle();
    connected_ = 1;
}

void DBConnect::Logoff() {
    if (library_ && svc_) {
        if (connected_)
            fn_.SessionEnd(svc_, err_, session_, OCI_DEFAULT);
        fn_.ServerDetach(server_, err_, OCI_DEFAULT);
    }
    FreeHandles();
    connected_ = 0;
}

void DBConnect::FreeHandles() {
    if (!library_)
        return;
    auto release = [this](auto*& handle, ub4 type) {
        if (handle)
            fn_.HandleFree(handle, type);
        handle = nullptr;
    };
    release(session_, OCI_HTYPE_SESSION);
    release(server_, OCI_HTYPE_SERVER);
    release(svc_, OCI_HTYPE_SVCCTX);
    release(err_, OCI_HTYPE_ERROR);
    release(env_, OCI_HTYPE_ENV);
}

void DBConnect::ResetErrorHandle() {
    if (!library_ || !env_)
        return;
    if (err_)
        fn_.HandleFree(err_, OCI_HTYPE_ERROR);
    err_ = nullptr;
    fn_.HandleAlloc(env_, reinterpret_cast<void**>(&err_), OCI_HTYPE_ERROR, 0, nullptr);
}

void DBConnect::Break() {
    if (!library_ || !env_ || !svc_)
        return;
    // The worker's interrupted call still reads the session's error handle; the break gets its own so
    // that the worker finds ORA-01013 there and reports it, then renews the handle on its error path.
    OCIError* breakErr = nullptr;
    fn_.HandleAlloc(env_, reinterpret_cast<void**>(&breakErr), OCI_HTYPE_ERROR, 0, nullptr);
    fn_.Break(svc_, breakErr);
    if (breakErr)
        fn_.HandleFree(breakErr, OCI_HTYPE_ERROR);
}
