// One Oracle session, reached only through the client library loaded at run time.
//
// Thread contract: the session is used by two threads, the window's UI thread (logon, logoff, commit,
// rollback, describe and define) and that window's statement worker (execute and fetch). There is no
// lock: the program never starts a second statement while a worker runs, and `Break` is the only call
// the UI thread makes while the worker is inside a server call. `Break` therefore touches nothing the
// worker uses: it interrupts through a short-lived error handle of its own.
#pragma once

#include "oci_abi.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class DynamicLibrary;
}

// The statement entry points, resolved once per loaded library and copied by every statement.
struct OciStatementFunctions {
    OCIHandleAlloc_t HandleAlloc = nullptr;
    OCIStmtPrepare_t StmtPrepare = nullptr;
    OCIErrorGet_t ErrorGet = nullptr;
    OCIHandleFree_t HandleFree = nullptr;
    OCIStmtExecute_t StmtExecute = nullptr;
    OCITransCommit_t TransCommit = nullptr;
    OCITransRollback_t TransRollback = nullptr;
    OCIBindByPos_t BindByPos = nullptr;
    OCIDefineByPos_t DefineByPos = nullptr;
    OCIStmtFetch_t StmtFetch = nullptr;
    OCIParamGet_t ParamGet = nullptr;
    OCIAttrGet_t AttrGet = nullptr;
    OCINumberToText_t NumberToText = nullptr; // looked up, never called; may be absent
    OCIDescriptorAlloc_t DescriptorAlloc = nullptr;
    OCIDefineObject_t DefineObject = nullptr; // looked up, never called; may be absent
    OCIDescriptorFree_t DescriptorFree = nullptr; // frees LOB locators with their statement; may be absent
    OCIAttrSet_t AttrSet = nullptr; // the statement's prefetch; may be absent
    // LOB reads; a client without them shows LOB cells by their type's name.
    OCILobGetLength_t LobGetLength = nullptr;
    OCILobRead_t LobRead = nullptr;
    OCILobCharSetForm_t LobCharSetForm = nullptr; // NCLOBs are read in the national character set
};

class DBConnect {
public:
    class OtherException {};

    static constexpr size_t kErrorTextSize = 512;
    // Characters of each LOB that come with its row (the grid's first read of a CLOB cell).
    static constexpr uint32_t kLobPrefetchSize = 8192;

    DBConnect();
    ~DBConnect();
    DBConnect(const DBConnect&) = delete;
    DBConnect& operator=(const DBConnect&) = delete;

    void LoadClient();
    void Logon(const char* user, const char* password, const char* connectString);
    void LogonSysdba(const char* user, const char* password, const char* connectString);
    void Logoff();
    int IsConnected() const { return connected_; }

    const char* ErrorText();
    int32_t ErrorCode();
    void ResetErrorHandle();
    void Break();

    // What statements borrow from their session.
    bool IsLibraryLoaded() const { return library_ != nullptr; }
    const std::string& LibraryName() const { return libraryName_; }
    const OciStatementFunctions& StatementFunctions() const { return stmtFn_; }
    OCIEnv* Environment() const { return env_; }
    OCISvcCtx* ServiceContext() const { return svc_; }
    OCIError* ErrorHandle() const { return err_; }
    const char* UserName() const { return userName_.get(); }
    const char* ConnectString() const { return connectString_.get(); }

private:
    void LogonWithModes(const char* user, const char* password, const char* connectString, ub4 initMode,
                        ub4 sessionMode);
    void FailLoad();
    void ReadErrorRecord();
    void Check();
    void FreeHandles();

    std::unique_ptr<char[]> userName_;
    std::unique_ptr<char[]> password_;
    std::unique_ptr<char[]> connectString_;
    OCIServer* server_ = nullptr;
    OCISvcCtx* svc_ = nullptr;
    OCISession* session_ = nullptr;
    OCIError* err_ = nullptr;
    OCIEnv* env_ = nullptr;
    char errorText_[kErrorTextSize];
    int32_t errorCode_ = 0;
    int connected_ = 0;
    std::unique_ptr<platform::DynamicLibrary> library_;
    std::string libraryName_;

    struct SessionFunctions {
        OCIInitialize_t Initialize = nullptr;
        OCIEnvInit_t EnvInit = nullptr;
        OCIHandleAlloc_t HandleAlloc = nullptr;
        OCIServerAttach_t ServerAttach = nullptr;
        OCIAttrSet_t AttrSet = nullptr;
        OCISessionBegin_t SessionBegin = nullptr;
        OCISessionEnd_t SessionEnd = nullptr;
        OCIServerDetach_t ServerDetach = nullptr;
        OCIHandleFree_t HandleFree = nullptr;
        OCIErrorGet_t ErrorGet = nullptr;
        OCIBreak_t Break = nullptr;
    } fn_;
    OciStatementFunctions stmtFn_;
};
