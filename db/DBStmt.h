// One SQL statement or PL/SQL block on a `DBConnect` session, fetched one row at a time.
//
// Thread contract: one thread at a time. The UI thread prepares, describes and defines; the worker
// executes and fetches; the UI thread reads the defined buffers only while the worker waits for it
// between two fetches. All statements of a session share the session's error handle, so two statements
// of one session never run calls at the same time.
#pragma once

#include "ColumnKind.h"
#include "DBConnect.h"

#include <cstdint>
#include <string>
#include <vector>

enum class StatementKind : int {
    Select = 1,
    Update = 2,
    Delete = 3,
    Insert = 4,
    Create = 5,
    Drop = 6,
    Alter = 7,
    Begin = 8,
    Declare = 9,
    Other = 10,
};

class DBStmt {
public:
    class OtherException {};

    static constexpr size_t kErrorTextSize = 512;
    static constexpr size_t kColumnNameSize = 512;

    DBStmt();
    // The text is borrowed: it must outlive the statement.
    DBStmt(DBConnect* session, const char* sqlText);
    ~DBStmt();
    DBStmt(const DBStmt&) = delete;
    DBStmt& operator=(const DBStmt&) = delete;

    void Prepare(DBConnect* session, const char* sqlText);
    uint32_t Describe();
    // Positions count from 1. The name buffer holds one name at a time.
    const char* ColumnName(uint32_t position);
    uint16_t ColumnSize(uint32_t position);
    ColumnKind ColumnType(uint32_t position);

    void Execute();
    void Fetch();
    uint32_t RowCount();
    StatementKind StatementType();
    uint16_t ParseErrorOffset();
    // Rows the client brings with each round trip beyond those fetched, bounded by `memoryBytes` of
    // row data (0: no bound). Takes effect from the next round trip; a client that refuses it
    // fetches as before.
    void SetPrefetch(uint32_t rows, uint32_t memoryBytes);
    void Commit();
    void Rollback();

    void BindInt(uint32_t position, int32_t* value);
    void BindChars(uint32_t position, char* buffer, int32_t size);
    void BindString(uint32_t position, char* buffer, int32_t size, uint16_t* length, int16_t* indicator,
                    uint16_t* returnCode);

    void DefineChars(uint32_t position, char* buffer, int32_t size, uint16_t* length, int16_t* indicator,
                     uint16_t* returnCode);
    void DefineInt(uint32_t position, int32_t* value);
    void DefineString(uint32_t position, char* buffer, int32_t size);
    void DefineBlob(uint32_t position, void** locator, int32_t size, uint16_t* length, int16_t* indicator,
                    uint16_t* returnCode);
    void DefineClob(uint32_t position, void** locator, int32_t size, uint16_t* length, int16_t* indicator,
                    uint16_t* returnCode);
    void DefineBfile(uint32_t position, void** locator, int32_t size, uint16_t* length, int16_t* indicator,
                     uint16_t* returnCode);

    // LOB reads through a fetched locator. False when the client offers none.
    bool CanReadLobs() const { return fn_.LobRead && fn_.LobGetLength; }
    // Characters of a CLOB, bytes of a BLOB.
    uint64_t LobLength(void* locator);
    // Appends up to `amount` characters (CLOB, as UTF-8) or bytes (BLOB) from the 1-based `offset` to
    // `out`, in one client call; returns the characters or bytes read (0 at the end).
    uint64_t ReadLob(void* locator, bool characters, uint64_t offset, uint32_t amount, std::string& out);

    const char* ErrorText() const { return errorText_; }
    int32_t ErrorCode() const { return errorCode_; }
    const char* SqlText() const { return sqlText_; }

private:
    void LoadStatementFunctions(DBConnect* session);
    void Fail(const char* text);
    void ReadErrorRecord();
    void Check();
    void CheckAllowingWarnings();
    OCIParam* Parameter(uint32_t position);
    void Define(uint32_t position, void* value, int32_t size, uint16_t type, int16_t* indicator,
                uint16_t* length, uint16_t* returnCode);
    void DefineLocator(uint32_t position, void** locator, uint16_t type, uint16_t* length, int16_t* indicator,
                       uint16_t* returnCode);
    void Bind(uint32_t position, void* value, int32_t size, uint16_t type, int16_t* indicator, uint16_t* length,
              uint16_t* returnCode);
    void ReleaseLocators();

    char errorText_[kErrorTextSize];
    OCIStmt* stmt_ = nullptr;
    const char* sqlText_ = nullptr;
    DBConnect* session_ = nullptr;
    int executed_ = 0;
    int32_t errorCode_ = 0;
    char columnName_[kColumnNameSize];
    std::vector<OCIBind*> binds_;
    std::vector<OCIDefine*> defines_;
    std::vector<void*> locators_; // LOB descriptors this statement allocated, freed with it
    OciStatementFunctions fn_;
};
