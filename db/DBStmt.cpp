#include "DBStmt.h"

#include <algorithm>
#include <cstring>

DBStmt::DBStmt() {
    std::memset(errorText_, 0, sizeof errorText_);
    std::memset(columnName_, 0, sizeof columnName_);
}

DBStmt::DBStmt(DBConnect* session, const char* sqlText) : DBStmt() { Prepare(session, sqlText); }

DBStmt::~DBStmt() {
    if (stmt_ && fn_.HandleFree)
        fn_.HandleFree(stmt_, OCI_HTYPE_STMT);
    ReleaseLocators();
}

void DBStmt::ReleaseLocators() {
    if (fn_.DescriptorFree)
        for (void* locator : locators_)
            if (locator)
                fn_.DescriptorFree(locator, OCI_DTYPE_LOB);
    locators_.clear();
}

void DBStmt::Fail(const char* text) {
    std::memset(errorText_, 0, sizeof errorText_);
    std::strncpy(errorText_, text, sizeof errorText_ - 1);
    throw OtherException();
}

void DBStmt::LoadStatementFunctions(DBConnect* session) {
    if (!session || !session->IsLibraryLoaded()) {
        std::string text = "Can't load ";
        text += session && !session->LibraryName().empty() ? session->LibraryName() : std::string("libclntsh.so");
        Fail(text.c_str());
    }
    fn_ = session->StatementFunctions();
}

void DBStmt::ReadErrorRecord() {
    // Cleared first: a handle without a record must read as "no error", never as the previous one.
    errorCode_ = 0;
    std::memset(errorText_, 0, sizeof errorText_);
    OCIError* err = session_ ? session_->ErrorHandle() : nullptr;
    if (!err || !fn_.ErrorGet)
        return;
    fn_.ErrorGet(err, 1, nullptr, &errorCode_, reinterpret_cast<OraText*>(errorText_),
                 static_cast<ub4>(sizeof errorText_), OCI_HTYPE_ERROR);
    errorText_[sizeof errorText_ - 1] = '\0';
}

void DBStmt::Check() {
    ReadErrorRecord();
    if (errorCode_ != 0)
        throw OtherException();
}

// Compilation warnings, truncation and nulls in aggregates leave the row or execution standing.
void DBStmt::CheckAllowingWarnings() {
    ReadErrorRecord();
    if (errorCode_ == 0)
        return;
    if (errorCode_ == 24344 || errorCode_ == 24345 || errorCode_ == 24347) {
        session_->ResetErrorHandle();
        return;
    }
    throw OtherException();
}

void DBStmt::Prepare(DBConnect* session, const char* sqlText) {
    LoadStatementFunctions(session);
    if (stmt_) {
        fn_.HandleFree(stmt_, OCI_HTYPE_STMT);
        stmt_ = nullptr;
        binds_.clear();
        defines_.clear();
    }
    sqlText_ = sqlText ? sqlText : "";
    session_ = session;
    executed_ = 0;
    errorCode_ = 0;
    fn_.HandleAlloc(session->Environment(), reinterpret_cast<void**>(&stmt_), OCI_HTYPE_STMT, 0, nullptr);
    fn_.StmtPrepare(stmt_, session->ErrorHandle(), reinterpret_cast<const OraText*>(sqlText_),
                    static_cast<ub4>(std::strlen(sqlText_)), OCI_NTV_SYNTAX, OCI_DEFAULT);
    Check();
}

uint32_t DBStmt::Describe() {
    fn_.StmtExecute(session_->ServiceContext(), stmt_, session_->ErrorHandle(), 1, 0, nullptr, nullptr,
                    OCI_DESCRIBE_ONLY);
    Check();
    ub4 count = 0;
    fn_.AttrGet(stmt_, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, session_->ErrorHandle());
    Check();
    return count;
}

OCIParam* DBStmt::Parameter(uint32_t position) {
    void* param = nullptr;
    fn_.ParamGet(stmt_, OCI_HTYPE_STMT, session_->ErrorHandle(), &param, position);
    Check();
    return static_cast<OCIParam*>(param);
}

const char* DBStmt::ColumnName(uint32_t position) {
    OCIParam* param = Parameter(position);
    OraText* name = nullptr;
    ub4 length = 0;
    fn_.AttrGet(param, OCI_DTYPE_PARAM, &name, &length, OCI_ATTR_NAME, session_->ErrorHandle());
    Check();
    // Names of any length fit: the copy stops at the buffer's end.
    size_t n = name ? std::min<size_t>(length, sizeof columnName_ - 1) : 0;
    if (n)
        std::memcpy(columnName_, name, n);
    columnName_[n] = '\0';
    return columnName_;
}

uint16_t DBStmt::ColumnSize(uint32_t position) {
    OCIParam* param = Parameter(position);
    ub2 size = 0;
    fn_.AttrGet(param, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, session_->ErrorHandle());
    Check();
    return size;
}

ColumnKind DBStmt::ColumnType(uint32_t position) {
    OCIParam* param = Parameter(position);
    ub2 code = 0;
    fn_.AttrGet(param, OCI_DTYPE_PARAM, &code, nullptr, OCI_ATTR_DATA_TYPE, session_->ErrorHandle());
    Check();
    ColumnKind kind = ColumnKindFromSqlt(code);
    if (kind == ColumnKind::Unsupported) {
        std::string text = "[OCI]: Unsupported data type: ";
        text += SqltName(code);
        Fail(text.c_str());
    }
    return kind;
}

void DBStmt::Execute() {
    fn_.StmtExecute(session_->ServiceContext(), stmt_, session_->ErrorHandle(), 1, 0, nullptr, nullptr,
                    OCI_DEFAULT);
    executed_ = 1;
    CheckAllowingWarnings();
}

void DBStmt::Fetch() {
    if (!executed_) {
        Execute();
        return;
    }
    fn_.StmtFetch(stmt_, session_->ErrorHandle(), 1, OCI_FETCH_NEXT, OCI_DEFAULT);
    CheckAllowingWarnings();
}

uint32_t DBStmt::RowCount() {
    ub4 count = 0;
    fn_.AttrGet(stmt_, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_ROW_COUNT, session_->ErrorHandle());
    Check();
    return count;
}

StatementKind DBStmt::StatementType() {
    ub2 type = 0;
    fn_.AttrGet(stmt_, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, session_->ErrorHandle());
    Check();
    if (type >= 1 && type <= 9)
        return static_cast<StatementKind>(type);
    return StatementKind::Other;
}

uint16_t DBStmt::ParseErrorOffset() {
    if (!stmt_ || !session_ || !session_->Environment())
        return 0;
    OCIError* probe = nullptr;
    fn_.HandleAlloc(session_->Environment(), reinterpret_cast<void**>(&probe), OCI_HTYPE_ERROR, 0, nullptr);
    if (!probe)
        return 0;
    ub2 offset = 0;
    fn_.AttrGet(stmt_, OCI_HTYPE_STMT, &offset, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET, probe);
    sb4 code = 0;
    OraText text[512] = {};
    fn_.ErrorGet(probe, 1, nullptr, &code, text, sizeof text, OCI_HTYPE_ERROR);
    fn_.HandleFree(probe, OCI_HTYPE_ERROR);
    return code == 0 ? offset : 0;
}

// Checked like every other call: a commit or rollback the server refused must not read as done.
void DBStmt::SetPrefetch(uint32_t rows, uint32_t memoryBytes) {
    if (!stmt_ || !fn_.AttrSet || !session_)
        return;
    ub4 value = rows;
    const sword rowsSet = fn_.AttrSet(stmt_, OCI_HTYPE_STMT, &value, 0, OCI_ATTR_PREFETCH_ROWS, session_->ErrorHandle());
    ub4 memory = memoryBytes;
    const sword memorySet =
        fn_.AttrSet(stmt_, OCI_HTYPE_STMT, &memory, 0, OCI_ATTR_PREFETCH_MEMORY, session_->ErrorHandle());
    // A refusal must not be read as the next call's failure.
    if (rowsSet != OCI_SUCCESS || memorySet != OCI_SUCCESS)
        session_->ResetErrorHandle();
}

void DBStmt::Commit() {
    fn_.TransCommit(session_->ServiceContext(), session_->ErrorHandle(), OCI_DEFAULT);
    Check();
}

void DBStmt::Rollback() {
    fn_.TransRollback(session_->ServiceContext(), session_->ErrorHandle(), OCI_DEFAULT);
    Check();
}

void DBStmt::Bind(uint32_t position, void* value, int32_t size, uint16_t type, int16_t* indicator,
                  uint16_t* length, uint16_t* returnCode) {
    OCIBind* bind = nullptr;
    fn_.BindByPos(stmt_, &bind, session_->ErrorHandle(), position, value, size, type, indicator, length,
                  returnCode, 0, nullptr, OCI_DEFAULT);
    Check();
    binds_.push_back(bind);
}

void DBStmt::BindInt(uint32_t position, int32_t* value) {
    Bind(position, value, 4, SQLT_INT, nullptr, nullptr, nullptr);
}

void DBStmt::BindChars(uint32_t position, char* buffer, int32_t size) {
    Bind(position, buffer, size, SQLT_CHR, nullptr, nullptr, nullptr);
}

void DBStmt::BindString(uint32_t position, char* buffer, int32_t size, uint16_t* length, int16_t* indicator,
                        uint16_t* returnCode) {
    Bind(position, buffer, size, SQLT_STR, indicator, length, returnCode);
}

void DBStmt::Define(uint32_t position, void* value, int32_t size, uint16_t type, int16_t* indicator,
                    uint16_t* length, uint16_t* returnCode) {
    OCIDefine* define = nullptr;
    fn_.DefineByPos(stmt_, &define, session_->ErrorHandle(), position, value, size, type, indicator, length,
                    returnCode, OCI_DEFAULT);
    Check();
    defines_.push_back(define);
}

void DBStmt::DefineChars(uint32_t position, char* buffer, int32_t size, uint16_t* length, int16_t* indicator,
                         uint16_t* returnCode) {
    Define(position, buffer, size, SQLT_CHR, indicator, length, returnCode);
}

void DBStmt::DefineInt(uint32_t position, int32_t* value) {
    Define(position, value, 4, SQLT_INT, nullptr, nullptr, nullptr);
}

void DBStmt::DefineString(uint32_t position, char* buffer, int32_t size) {
    Define(position, buffer, size, SQLT_STR, nullptr, nullptr, nullptr);
}

void DBStmt::DefineLocator(uint32_t position, void** locator, uint16_t type, uint16_t* length,
                           int16_t* indicator, uint16_t* returnCode) {
    *locator = nullptr;
    fn_.DescriptorAlloc(session_->Environment(), locator, OCI_DTYPE_LOB, 0, nullptr);
    Check();
    if (*locator)
        locators_.push_back(*locator);
    Define(position, locator, 0, type, indicator, length, returnCode);
}

void DBStmt::DefineClob(uint32_t position, void** locator, int32_t, uint16_t* length, int16_t* indicator,
                        uint16_t* returnCode) {
    DefineLocator(position, locator, SQLT_CLOB, length, indicator, returnCode);
}

void DBStmt::DefineBlob(uint32_t position, void** locator, int32_t, uint16_t* length, int16_t* indicator,
                        uint16_t* returnCode) {
    DefineLocator(position, locator, SQLT_BLOB, length, indicator, returnCode);
}

void DBStmt::DefineBfile(uint32_t position, void** locator, int32_t, uint16_t* length, int16_t* indicator,
                         uint16_t* returnCode) {
    DefineLocator(position, locator, SQLT_BFILE, length, indicator, returnCode);
}

uint64_t DBStmt::LobLength(void* locator) {
    if (!CanReadLobs() || !session_)
        Fail("LOB reads are not offered by this client.");
    ub4 length = 0;
    fn_.LobGetLength(session_->ServiceContext(), session_->ErrorHandle(), static_cast<OCILobLocator*>(locator),
                     &length);
    Check();
    return length;
}

uint64_t DBStmt::ReadLob(void* locator, bool characters, uint64_t offset, uint32_t amount, std::string& out) {
    if (!CanReadLobs() || !session_)
        Fail("LOB reads are not offered by this client.");
    auto* lob = static_cast<OCILobLocator*>(locator);
    ub1 form = SQLCS_IMPLICIT;
    if (characters && fn_.LobCharSetForm) {
        ub1 found = 0;
        if (fn_.LobCharSetForm(session_->Environment(), session_->ErrorHandle(), lob, &found) == OCI_SUCCESS &&
            found != 0)
            form = found;
    }
    // A UTF-8 character takes at most 4 bytes; the amount comes back in bytes for such a character set.
    const size_t capacity = characters ? static_cast<size_t>(amount) * 4 : amount;
    const size_t at = out.size();
    out.resize(at + capacity);
    ub4 read = amount;
    const sword rc = fn_.LobRead(session_->ServiceContext(), session_->ErrorHandle(), lob, &read,
                                 static_cast<ub4>(offset), out.data() + at, static_cast<ub4>(capacity), nullptr,
                                 nullptr, characters ? OCI_AL32UTF8ID : 0, characters ? form : 0);
    if (rc == OCI_NO_DATA) {
        out.resize(at);
        return 0;
    }
    if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) {
        out.resize(at);
        Check();
        Fail("LOB read failed.");
    }
    out.resize(at + std::min<size_t>(read, capacity));
    if (!characters)
        return read;
    uint64_t count = 0;
    for (size_t i = at; i < out.size(); ++i)
        count += (static_cast<unsigned char>(out[i]) & 0xC0) != 0x80;
    return count;
}
