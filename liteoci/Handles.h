// The handles and descriptors behind the opaque pointers of the C interface.
//
// Every object starts with a header holding a magic number and its handle type; an entry point
// checks both before it uses a pointer, so that a null, foreign or mistyped handle is answered with
// OCI_INVALID_HANDLE instead of a crash. Freeing clears the magic number.
#ifndef LITEOCI_HANDLES_H
#define LITEOCI_HANDLES_H

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../oci/oci_abi.h"
#include "Errors.h"
#include "SubStatements.h"
#include "Session.h"

namespace liteoci {

constexpr uint32_t kMagic = 0x4C4F4349;  // "LOCI"
constexpr uint32_t kDeadMagic = 0xDEADF4EE;

struct HandleHeader {
    explicit HandleHeader(uint32_t t) : type(t) {}
    ~HandleHeader() { magic = kDeadMagic; }
    HandleHeader(const HandleHeader&) = delete;
    HandleHeader& operator=(const HandleHeader&) = delete;
    uint32_t magic = kMagic;
    uint32_t type;
};

template <class T>
T* Checked(const void* p, uint32_t type) {
    if (p == nullptr) return nullptr;
    auto* h = static_cast<const HandleHeader*>(p);
    if (h->magic != kMagic || h->type != type) return nullptr;
    return static_cast<T*>(const_cast<HandleHeader*>(h));
}

struct EnvHandle : HandleHeader {
    EnvHandle() : HandleHeader(OCI_HTYPE_ENV) {}
};

struct ErrorHandle : HandleHeader {
    ErrorHandle() : HandleHeader(OCI_HTYPE_ERROR) {}
    OraError record;
    void Clear() { record = OraError{}; }
    void Set(OraError e) { record = std::move(e); }
};

struct ServerHandle : HandleHeader {
    ServerHandle() : HandleHeader(OCI_HTYPE_SERVER) {}
    std::string path;
    bool attached = false;
    std::chrono::microseconds roundTripTime{0};  // of the sessions begun on this server
};

struct SessionHandle : HandleHeader {
    SessionHandle() : HandleHeader(OCI_HTYPE_SESSION) {}
    std::string user, password;
    std::shared_ptr<Session> session;
    ub4 lobPrefetchSize = 0;  // DEFAULT_LOBPREFETCH_SIZE, also when set before the session began
};

struct SvcCtxHandle : HandleHeader {
    SvcCtxHandle() : HandleHeader(OCI_HTYPE_SVCCTX) {}
    ServerHandle* server = nullptr;
    SessionHandle* session = nullptr;
};

struct TransHandle : HandleHeader {
    TransHandle() : HandleHeader(OCI_HTYPE_TRANS) {}
};

struct BindHandle : HandleHeader {
    BindHandle() : HandleHeader(OCI_HTYPE_BIND) {}
    void* value = nullptr;
    sb4 size = 0;
    ub2 dty = 0;
    sb2* ind = nullptr;
    ub2* alen = nullptr;
    ub2* rcode = nullptr;
};

struct DefineHandle : HandleHeader {
    DefineHandle() : HandleHeader(OCI_HTYPE_DEFINE) {}
    void* value = nullptr;
    sb4 size = 0;
    ub2 dty = 0;
    sb2* ind = nullptr;
    ub2* rlen = nullptr;
    ub2* rcode = nullptr;
};

// How a fetched text is shaped for its column, chosen once when the statement is described.
enum class Conv : uint8_t { Plain, Date, Pad, Timestamp };

struct Column {
    std::string name;
    ub2 sqlt = SQLT_CHR;
    ub2 size = 4000;
    sb2 precision = 0;
    sb1 scale = 0;
    Conv conv = Conv::Plain;
    uint16_t padTo = 0;
};

struct ParamHandle : HandleHeader {
    ParamHandle() : HandleHeader(OCI_DTYPE_PARAM) {}
    Column column;
};

// A LOB locator: a fetch hands it the column's value, which the LOB calls read from then on (the
// database is local, so the value is carried along instead of a reference into the file).
struct LobHandle : HandleHeader {
    LobHandle() : HandleHeader(OCI_DTYPE_LOB) {}
    bool initialized = false;  // a fetch put a non-NULL value here
    bool characters = true;    // CLOB / NCLOB: amounts and offsets count characters
    bool open = false;         // between OCILobOpen and OCILobClose
    std::string value;         // UTF-8 text of a CLOB, bytes of a BLOB
};

class PlBlock;

struct StmtHandle : HandleHeader {
    StmtHandle();
    ~StmtHandle();
    void Reset();  // back to "nothing prepared"; binds and defines go too

    std::string text;
    Lexed lex;
    Classification cls;

    std::shared_ptr<Session> session;  // the session the statement was compiled on
    sqlite3_stmt* vm = nullptr;
    Translation translation;
    int placeholderCount = 0;
    std::unique_ptr<PlBlock> block;
    bool compiled = false;

    std::vector<Column> columns;
    std::vector<std::unique_ptr<ParamHandle>> params;
    std::vector<std::unique_ptr<BindHandle>> binds;      // by position - 1
    std::vector<std::unique_ptr<DefineHandle>> defines;  // by position - 1

    enum class State : uint8_t { Prepared, Described, Open, Done, Executed } state = State::Prepared;
    ub4 rowCount = 0;
    ub4 rowsFetched = 0;
    ub2 parseErrorOffset = 0;
    std::string scratch;  // reused for long converted values

    // A statement that runs as several: each part is a statement of its own, compiled on the same
    // session, whose placeholders take the binds of this one (a multitable insert).
    std::vector<std::unique_ptr<StmtHandle>> parts;
    std::vector<SubStatement> partTexts;

    // Prefetching as the client interface does it: each round trip of a query brings the rows asked
    // for plus the prefetch (PREFETCH_ROWS, bounded by PREFETCH_MEMORY), and fetches within what the
    // client holds need no round trip. Rows are counted, not copied: the database is local.
    ub4 prefetchRows = 1;
    ub4 prefetchMemory = 0;
    uint64_t rowsCovered = 0;  // rows the round trips since the execute brought (rowCount is how many were handed out)
};

}  // namespace liteoci

#endif
