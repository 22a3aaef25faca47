// One logged-on session: its own SQLite connection to the database file, Oracle's transaction
// rules on top of it, the DBMS_OUTPUT buffer and the break of a running call.
//
// Threads: a session is used by one thread at a time (the program's UI thread and its worker take
// turns), except for Break(), which another thread may call at any moment. Break() touches only
// the call-state fields below, under callMutex_, and sqlite3_interrupt(), which SQLite allows from
// any thread while the connection is open.
#ifndef LITEOCI_SESSION_H
#define LITEOCI_SESSION_H

#include <sqlite3.h>
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"
#include "Lexer.h"
#include "SqlFunctions.h"
#include "Translate.h"

namespace liteoci {

// Tables of the client's own, named so that no Oracle identifier of a user can reach them.
inline constexpr const char* kUsersTable = "\"liteoci$users\"";
inline constexpr const char* kSourceTable = "\"liteoci$source\"";
inline constexpr const char* kErrorsTable = "\"liteoci$errors\"";      // compilation errors of stored units
inline constexpr const char* kTriggersTable = "\"liteoci$triggers\"";  // trigger name -> table, kind, enabled

class DbmsOutput {
public:
    // ENABLE(size): size < 0 means "no argument" (20000), 0 means NULL (no limit).
    void Enable(long long size);
    void Disable();
    bool enabled() const { return enabled_; }
    OraError Put(std::string_view text);
    OraError PutLine(std::string_view text);
    OraError NewLine();
    // The next complete line; false when none is left.
    bool GetLine(std::string& line);

private:
    OraError Account(size_t bytes);
    void DiscardAfterRead();

    bool enabled_ = false;
    size_t limit_ = 20000;  // 0: unlimited
    size_t used_ = 0;
    std::deque<std::string> lines_;
    std::string partial_;
    bool readSincePut_ = false;
};

// A session's statistics as Oracle's V$MYSTAT shows them, with the names of V$STATNAME.
struct SessionStatistics {
    std::atomic<uint64_t> roundTrips{0};  // 'SQL*Net roundtrips to/from client'
};

// The connect string of the embedded client: the database file's path, then options after a "?"
// ("demo.db?rtt=2ms"). A string that names an existing file is a path as a whole.
struct ConnectString {
    std::string path;
    // The simulated round-trip time; unset when the string gives none (LITEOCI_RTT applies).
    bool hasRoundTripTime = false;
    std::chrono::microseconds roundTripTime{0};
};
ConnectString ParseConnectString(const std::string& text);
// "2ms", "500us", "0": false for anything else.
bool ParseDuration(std::string_view text, std::chrono::microseconds& out);
// The process-wide round-trip time of LITEOCI_RTT (zero when unset or unreadable).
std::chrono::microseconds ProcessRoundTripTime();

// What an error mapper needs to know of the statement that failed.
struct ErrorContext {
    std::string_view text;
    const std::vector<Token>* toks = nullptr;
    const Translation* translation = nullptr;
    uint16_t ociType = 0;
};

class Session {
public:
    ~Session();
    // Opens the file and logs on; ORA-01017 / 01031 / 12154 on failure.
    static OraError Open(const std::string& path, const std::string& user, const std::string& password,
                         bool sysdba, std::shared_ptr<Session>& out);

    sqlite3* db() const { return db_; }
    bool isOpen() const { return db_ != nullptr; }
    const std::string& user() const { return settings_.user; }
    bool sysdba() const { return sysdba_; }
    SessionSettings& settings() { return settings_; }
    DbmsOutput& output() { return output_; }
    // The PL/SQL engine of the session (stored units compiled, package state), made on first use.
    std::shared_ptr<void>& plEngine() { return plEngine_; }

    // Rolls back what is pending and closes the connection.
    void Close();
    // Ends the session as the client interface's session end does: commits what is pending, then
    // closes. Returns the commit's failure (the session is closed either way).
    OraError End();

    // The database file must still be the one the session opened: deleted or replaced under an open
    // session, work would go to a file nobody can reach (ORA-03135 naming the path).
    OraError CheckFile() const;
    bool readOnly() const { return readOnly_; }

    // Oracle's transactions: DML opens one (waiting for other sessions' writes up to the busy time,
    // then ORA-00054), COMMIT / ROLLBACK end it, DDL commits first.
    OraError BeginWrite();
    OraError Commit();
    OraError Rollback();
    bool inTransaction() const { return inTxn_; }
    // SAVEPOINT name (opening the transaction when none is open) and ROLLBACK TO SAVEPOINT name, which
    // undoes what followed the savepoint and keeps it, erasing the savepoints made after it.
    OraError Savepoint(const std::string& name);
    OraError RollbackTo(const std::string& name);

    // The DUAL table, made on first logon to a file.
    OraError MakeDual();
    // Runs an internal statement (no results).
    OraError Exec(const char* sql);
    OraError MapError(int rc, const ErrorContext* ctx = nullptr);

    // The network to the "server", simulated: every call that would reach a server pays the round
    // trip once (RoundTrip), so that what a real network costs can be measured and counted here.
    void SetRoundTripTime(std::chrono::microseconds rtt) { rtt_ = rtt; }
    std::chrono::microseconds roundTripTime() const { return rtt_; }
    // Counts one round trip and waits its time; false when a break arrived meanwhile.
    bool RoundTrip();
    SessionStatistics& statistics() { return stats_; }
    // LOB prefetch: the length and the first `size` characters (bytes of a BLOB) of each LOB travel
    // with its row, so that reading them needs no round trip of its own. 0: none (the default).
    void SetLobPrefetchSize(uint32_t size) { lobPrefetch_ = size; }
    uint32_t lobPrefetchSize() const { return lobPrefetch_; }

    // Call bracket for Break(): see the class comment.
    void EnterCall();
    // Returns true when a break arrived during the call.
    bool LeaveCall();
    void Break();
    bool cancelled() const { return breakRequested_.load(std::memory_order_relaxed); }
    const std::atomic<bool>* cancelFlag() const { return &breakRequested_; }

private:
    Session() = default;
    static int BusyHandler(void* self, int count);
    // Opens the connection, read-only when the file or its folder cannot be written.
    OraError OpenFile(const std::string& path);
    // ORA-01578 naming the file when rc says the file is damaged, else `otherwise`.
    OraError DamageOr(int rc, OraError otherwise) const;
    OraError ReadOnlyError() const;
    // V$STATNAME and V$MYSTAT of this session.
    OraError RegisterStatistics();

    sqlite3* db_ = nullptr;
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool readOnly_ = false;  // opened from a file or folder that cannot be written
    bool sysdba_ = false;    // logged on AS SYSDBA
    SessionSettings settings_;
    DbmsOutput output_;
    bool inTxn_ = false;
    std::vector<std::string> savepoints_;  // of the open transaction, oldest first
    std::shared_ptr<void> plEngine_;

    std::chrono::microseconds rtt_{0};
    uint32_t lobPrefetch_ = 0;
    SessionStatistics stats_;

    std::mutex callMutex_;
    bool inCall_ = false;
    std::atomic<bool> breakRequested_{false};
};

// Checks that path is a database file of this client (ORA-12154 otherwise).
OraError CheckDatabaseFile(const std::string& path);

// Administration: a new empty database file; adding a user or changing one. An empty result means
// success, otherwise it is the reason for the failure.
std::string CreateDatabaseFile(const std::string& path);
std::string SetUser(const std::string& path, const std::string& name, const std::string& password, bool sysdba);

// A user name as Oracle compares it: unquoted names upper-cased, "quoted" ones as written.
std::string NormalizeUserName(std::string_view name);

}  // namespace liteoci

#endif
