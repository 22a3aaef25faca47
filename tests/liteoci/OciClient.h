// A small test client: loads libliteoci.so with dlopen and follows the program's call sequences.
#ifndef LITEOCI_TEST_OCICLIENT_H
#define LITEOCI_TEST_OCICLIENT_H

#include <string>
#include <vector>

#include "oci_abi.h"

struct Api {
    OCIInitialize_t Initialize;
    OCIEnvInit_t EnvInit;
    OCIHandleAlloc_t HandleAlloc;
    OCIHandleFree_t HandleFree;
    OCIServerAttach_t ServerAttach;
    OCIServerDetach_t ServerDetach;
    OCIAttrSet_t AttrSet;
    OCIAttrGet_t AttrGet;
    OCISessionBegin_t SessionBegin;
    OCISessionEnd_t SessionEnd;
    OCIErrorGet_t ErrorGet;
    OCIBreak_t Break;
    OCIStmtPrepare_t StmtPrepare;
    OCIStmtExecute_t StmtExecute;
    OCIStmtFetch_t StmtFetch;
    OCIBindByPos_t BindByPos;
    OCIDefineByPos_t DefineByPos;
    OCIParamGet_t ParamGet;
    OCIDescriptorAlloc_t DescriptorAlloc;
    OCIDescriptorFree_t DescriptorFree;
    OCITransCommit_t TransCommit;
    OCITransRollback_t TransRollback;
    OCIClientVersion_t ClientVersion;
    OCILobGetLength_t LobGetLength;
    OCILobRead_t LobRead;
    OCILobOpen_t LobOpen;
    OCILobClose_t LobClose;
};

// The loaded library (loaded once per test program).
const Api& Oci();

// A fresh folder with a database file made by liteoci-admin: users DEMO/demo and SYS/sys (SYSDBA).
std::string MakeDatabase();
std::string TempDir();
int RunAdmin(const std::string& args);

struct Error {
    int code = 0;
    std::string text;
};

// One session, logged on with the program's 14 steps.
class Conn {
public:
    Conn() = default;
    ~Conn();
    Conn(const Conn&) = delete;
    Conn& operator=(const Conn&) = delete;

    Error Logon(const std::string& user, const std::string& password, const std::string& connect, bool sysdba = false);
    void Logoff();
    Error LastError() const;

    OCIEnv* env = nullptr;
    OCIError* err = nullptr;
    OCIServer* srv = nullptr;
    OCISvcCtx* svc = nullptr;
    OCISession* ses = nullptr;
    bool connected = false;
};

// One statement on a session.
class Stmt {
public:
    Stmt(Conn& c, const std::string& sql);
    ~Stmt();
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    sword Execute(ub4 mode = OCI_DEFAULT, ub4 iters = 1);
    sword Fetch();
    ub4 Describe();  // execute with OCI_DESCRIBE_ONLY, then PARAM_COUNT
    std::string ColumnName(ub4 pos);
    ub2 ColumnSize(ub4 pos);
    ub2 ColumnType(ub4 pos);
    ub2 Type();
    ub4 RowCount();
    ub2 ParseErrorOffset();
    // Defines every column as SQLT_CHR of `size` bytes with indicator, length and return code.
    void DefineAllChars(ub4 count, sb4 size = 4001);
    std::string Cell(ub4 pos) const;  // the define buffer's text, "<null>" for NULL
    Error LastError() const { return conn.LastError(); }

    Conn& conn;
    OCIStmt* st = nullptr;
    std::string sql;
    std::vector<std::vector<char>> bufs;
    std::vector<ub2> lens, rcodes;
    std::vector<sb2> inds;
};

// Runs sql to the end; returns the error record (code 0 on success).
Error Exec(Conn& c, const std::string& sql);
// All rows of a query as text cells.
std::vector<std::vector<std::string>> Query(Conn& c, const std::string& sql, Error* error = nullptr);
// All rows of a query whose placeholders are bound by position to the texts of binds.
std::vector<std::vector<std::string>> QueryBound(Conn& c, const std::string& sql, const std::vector<std::string>& binds,
                                                 Error* error = nullptr);
// The first cell of a query.
std::string Scalar(Conn& c, const std::string& sql);
// The round trips the session has paid so far, as V$MYSTAT counts them (the read pays its own).
long RoundTrips(Conn& c);

#endif
