#include "Session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>

#include "Catalog.h"
#include "ColumnRules.h"
#include "DateFunctions.h"
#include "Dictionary.h"
#include "OraCodes.h"
#include "Sha256.h"
#include "TextFunctions.h"
#include "GroupFunctions.h"

namespace liteoci {
namespace {

constexpr int kBusyTimeoutMs = 3000;

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS \"liteoci$users\" (name TEXT PRIMARY KEY, salt TEXT NOT NULL, hash TEXT NOT NULL, "
    "sysdba INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS \"liteoci$source\" (name TEXT NOT NULL, type TEXT NOT NULL, text TEXT NOT NULL, "
    "status TEXT NOT NULL, PRIMARY KEY (name, type));";
// Run at every logon as well: files made before sequences existed get their table then.
const char* const kSequenceSchema =
    "CREATE TABLE IF NOT EXISTS \"liteoci$sequences\" (name TEXT PRIMARY KEY, next INTEGER NOT NULL, "
    "step INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS \"liteoci$errors\" (name TEXT NOT NULL, type TEXT NOT NULL, sequence INTEGER NOT NULL, "
    "line INTEGER NOT NULL, position INTEGER NOT NULL, text TEXT NOT NULL, attribute TEXT NOT NULL, "
    "message_number INTEGER, PRIMARY KEY (name, type, sequence));"
    "CREATE TABLE IF NOT EXISTS \"liteoci$triggers\" (name TEXT PRIMARY KEY, table_name TEXT NOT NULL, "
    "trigger_type TEXT NOT NULL, triggering_event TEXT NOT NULL, enabled INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS \"liteoci$objects\" (name TEXT NOT NULL, type TEXT NOT NULL, created DATE, "
    "last_ddl DATE, text TEXT, PRIMARY KEY (name, type));"
    "CREATE TABLE IF NOT EXISTS \"liteoci$comments\" (table_name TEXT NOT NULL, column_name TEXT NOT NULL, "
    "text TEXT, PRIMARY KEY (table_name, column_name))";

std::string RandomSalt() {
    std::random_device rd;
    std::string s;
    static const char kHex[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) s += kHex[rd() % 16];
    return s;
}

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// Text between the first ": " and the end, e.g. "no such table: emp" -> "emp".
std::string After(std::string_view msg, std::string_view prefix) {
    return std::string(msg.substr(prefix.size()));
}

// "emp.ename" -> "DEMO"."EMP"."ENAME" style pieces.
std::string QuotedPath(const std::string& user, std::string_view dotted) {
    std::string r = "\"" + user + "\"";
    size_t start = 0;
    while (start <= dotted.size()) {
        size_t dot = dotted.find('.', start);
        std::string_view part = dotted.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        r += ".\"" + Upper(part) + "\"";
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return r;
}

std::string ConstraintName(const std::string& user, std::string_view detail) {
    // "dept.deptno" or "dept.a, dept.b"
    std::string name = Upper(detail.substr(0, detail.find(',')));
    for (char& c : name)
        if (c == '.') c = '_';
    return user + "." + name;
}

// The primary or unique key of SQLite's "T.A, T.B" detail, by the name its table declares.
std::string KeyConstraintName(sqlite3* db, std::string_view detail) {
    std::string table;
    std::vector<std::string> columns;
    size_t start = 0;
    while (start < detail.size()) {
        size_t comma = detail.find(", ", start);
        std::string_view part = detail.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        const size_t dot = part.find('.');
        if (dot == std::string_view::npos) return {};
        table = std::string(part.substr(0, dot));
        columns.emplace_back(part.substr(dot + 1));
        if (comma == std::string_view::npos) break;
        start = comma + 2;
    }
    for (const ConstraintDef& c : TableConstraints(db, table))
        if ((c.type == 'P' || c.type == 'U') && c.columns == columns) return c.name;
    // else a unique index made by CREATE UNIQUE INDEX, which Oracle names in the message
    std::string found;
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT l.name, (SELECT group_concat(i.name, ',') FROM (SELECT name FROM pragma_index_info(l.name) "
                           "ORDER BY seqno) i) FROM pragma_index_list(?1) l WHERE l.\"unique\" AND l.origin = 'c'",
                           -1, &q, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(q, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        std::string wanted;
        for (const std::string& c : columns) wanted += (wanted.empty() ? "" : ",") + c;
        while (found.empty() && sqlite3_step(q) == SQLITE_ROW) {
            const char* cols = reinterpret_cast<const char*>(sqlite3_column_text(q, 1));
            if (cols && wanted == cols) found = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
        }
    }
    sqlite3_finalize(q);
    return found;
}

// SQLite names a failed check by its constraint name, or by its condition when it has none.
std::string CheckConstraintName(sqlite3* db, std::string_view detail) {
    for (const std::string& table : UserTables(db))
        for (const ConstraintDef& c : TableConstraints(db, table))
            if (c.type == 'C' && (c.name == detail || c.condition == detail)) return c.name;
    return {};
}

// The foreign key a failed statement broke: one of its table's (parent key not found) or one that
// refers to its table (child record found). SQLite does not say which one.
std::string ForeignKeyName(sqlite3* db, const ErrorContext& ctx, bool referring) {
    if (!ctx.toks) return {};
    const auto& toks = *ctx.toks;
    std::string target;
    for (size_t k = 0; k + 1 < toks.size() && k < 3; ++k)
        if (IsWord(ctx.text, toks[k], "INTO") || IsWord(ctx.text, toks[k], "UPDATE") || IsWord(ctx.text, toks[k], "FROM")) {
            size_t n = k + 1;
            if (n + 2 < toks.size() && IsOp(ctx.text, toks[n + 1], ".")) n += 2;
            target = IdentName(ctx.text, toks[n]);
            break;
        }
    if (target.empty()) return {};
    if (!referring) {
        for (const ConstraintDef& c : TableConstraints(db, target))
            if (c.type == 'R') return c.name;
        return {};
    }
    for (const std::string& table : UserTables(db))
        for (const ConstraintDef& c : TableConstraints(db, table))
            if (c.type == 'R' && c.refTable == target) return c.name;
    return {};
}

bool KeywordNoExpressionEnd(std::string_view text, const Token& t) {
    static const char* const kWords[] = {"SELECT", "FROM", "WHERE", "AND",  "OR",     "NOT",   "BY",     "ON",
                                         "SET",    "VALUES", "INTO", "IN",  "IS",     "LIKE",  "BETWEEN", "THEN",
                                         "ELSE",   "WHEN", "CASE",   "DISTINCT", "HAVING", "AS", "TABLE", "UNION",
                                         "ALL",    "JOIN", "INSERT", "UPDATE", "DELETE", "CREATE", "DROP", "ALTER"};
    for (const char* w : kWords)
        if (IsWord(text, t, w)) return true;
    return false;
}

bool EndsExpression(std::string_view text, const Token& t) {
    switch (t.kind) {
        case Tok::Word: return !KeywordNoExpressionEnd(text, t);
        case Tok::QIdent:
        case Tok::String:
        case Tok::Number:
        case Tok::Bind: return true;
        case Tok::Op: return IsOp(text, t, ")") || IsOp(text, t, "*");
    }
    return false;
}

// The ORA error of a syntax error at token k (k == toks.size(): the text ended too early).
OraError SyntaxError(const ErrorContext& ctx, size_t k) {
    const std::vector<Token>& toks = *ctx.toks;
    std::string_view text = ctx.text;
    int at = k < toks.size() ? static_cast<int>(toks[k].pos)
                             : (toks.empty() ? 0 : static_cast<int>(toks.back().pos + toks.back().len));
    if (k == 0) return MakeErrorAt(at, 900);
    const Token& prev = toks[k - 1];
    if (IsWord(text, prev, "FROM")) return MakeErrorAt(at, 903);
    // depth and the select list of the outermost query
    int depth = 0;
    size_t openParen = SIZE_MAX;
    bool inSelectList = false;
    std::vector<size_t> opens;
    for (size_t i = 0; i < k && i < toks.size(); ++i) {
        if (IsOp(text, toks[i], "(")) opens.push_back(i), ++depth;
        else if (IsOp(text, toks[i], ")") && depth > 0) opens.pop_back(), --depth;
        else if (depth == 0 && IsWord(text, toks[i], "SELECT")) inSelectList = true;
        else if (depth == 0 && (IsWord(text, toks[i], "FROM") || IsWord(text, toks[i], "INTO"))) inSelectList = false;
    }
    if (!opens.empty()) openParen = opens.back();
    if (!EndsExpression(text, prev) || k >= toks.size()) return MakeErrorAt(at, 936);
    if (depth > 0) {
        if (openParen > 0 && IsWord(text, toks[openParen - 1], "VALUES")) return MakeErrorAt(at, 917);
        return MakeErrorAt(at, 907);
    }
    if (inSelectList && !IsWord(text, toks[k], "FROM")) return MakeErrorAt(at, 923);
    return MakeErrorAt(at, 933);
}

size_t TokenAt(const std::vector<Token>& toks, int offset) {
    for (size_t i = 0; i < toks.size(); ++i)
        if (static_cast<int>(toks[i].pos) >= offset) return i;
    return toks.size();
}

int FindIdentifier(const ErrorContext* ctx, const std::string& upperName) {
    if (!ctx || !ctx->toks) return -1;
    for (const Token& t : *ctx->toks)
        if ((t.kind == Tok::Word || t.kind == Tok::QIdent) && Upper(IdentName(ctx->text, t)) == upperName)
            return static_cast<int>(t.pos);
    return -1;
}

}  // namespace

// ---- DBMS_OUTPUT -------------------------------------------------------------------------------

void DbmsOutput::Enable(long long size) {
    enabled_ = true;
    if (size < 0) limit_ = 20000;
    else if (size == 0) limit_ = 0;
    else limit_ = static_cast<size_t>(size < 2000 ? 2000 : size > 1000000 ? 1000000 : size);
}

void DbmsOutput::Disable() {
    enabled_ = false;
    lines_.clear();
    partial_.clear();
    used_ = 0;
    readSincePut_ = false;
}

void DbmsOutput::DiscardAfterRead() {
    // Lines not read before the next PUT are dropped, so they cannot mix with the new message.
    if (readSincePut_) {
        lines_.clear();
        used_ = partial_.size();
        readSincePut_ = false;
    }
}

OraError DbmsOutput::Account(size_t bytes) {
    if (limit_ != 0 && used_ + bytes > limit_)
        return MakeRawError(20000, "ORU-10027: buffer overflow, limit of " + std::to_string(limit_) + " bytes");
    used_ += bytes;
    return {};
}

OraError DbmsOutput::Put(std::string_view text) {
    if (!enabled_) return {};
    DiscardAfterRead();
    if (partial_.size() + text.size() > 32767)
        return MakeRawError(20000, "ORU-10028: line length overflow, limit of 32767 bytes per line");
    if (OraError e = Account(text.size())) return e;
    partial_.append(text);
    return {};
}

OraError DbmsOutput::PutLine(std::string_view text) {
    if (!enabled_) return {};
    if (OraError e = Put(text)) return e;
    return NewLine();
}

OraError DbmsOutput::NewLine() {
    if (!enabled_) return {};
    DiscardAfterRead();
    lines_.push_back(std::move(partial_));
    partial_.clear();
    return {};
}

bool DbmsOutput::GetLine(std::string& line) {
    if (!enabled_ || lines_.empty()) {
        line.clear();
        return false;
    }
    line = std::move(lines_.front());
    lines_.pop_front();
    used_ = used_ >= line.size() ? used_ - line.size() : 0;
    readSincePut_ = true;
    return true;
}

// ---- Session -----------------------------------------------------------------------------------

Session::~Session() { Close(); }

std::string NormalizeUserName(std::string_view name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') return std::string(name.substr(1, name.size() - 2));
    return Upper(name);
}

// A read-only connection to path, or null. Without write access to the folder SQLite cannot make the
// files a write-ahead log is read through; as nobody can change the file then, it is read as unchanging.
static sqlite3* OpenReadOnly(const std::string& path) {
    std::string uri = "file:";
    for (char c : path) {
        if (c == '?' || c == '#' || c == '%') {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(c));
            uri += buf;
        } else {
            uri += c;
        }
    }
    for (const char* mode : {"?mode=ro", "?mode=ro&immutable=1"}) {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2((uri + mode).c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) == SQLITE_OK &&
            sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) == SQLITE_OK)
            return db;
        sqlite3_close(db);
    }
    return nullptr;
}

OraError CheckDatabaseFile(const std::string& path) {
    struct stat st{};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return MakeError(12154);
    sqlite3* db = OpenReadOnly(path);
    bool ok = db != nullptr;
    if (ok) {
        sqlite3_stmt* st2 = nullptr;
        ok = sqlite3_prepare_v2(db, "SELECT 1 FROM \"liteoci$users\" LIMIT 1", -1, &st2, nullptr) == SQLITE_OK;
        sqlite3_finalize(st2);
    }
    sqlite3_close(db);
    return ok ? OraError{} : MakeError(12154);
}

OraError Session::Open(const std::string& path, const std::string& user, const std::string& password, bool sysdba,
                       std::shared_ptr<Session>& out) {
    if (OraError e = CheckDatabaseFile(path)) return e;
    std::shared_ptr<Session> s(new Session());
    if (OraError e = s->OpenFile(path)) return e;
    sqlite3_busy_handler(s->db_, &Session::BusyHandler, s.get());
    std::string name = NormalizeUserName(user);
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(s->db_, "SELECT salt, hash, sysdba FROM \"liteoci$users\" WHERE name = ?1", -1, &st,
                                nullptr);
    if (rc != SQLITE_OK) return s->DamageOr(rc, MakeError(12154));
    sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    rc = sqlite3_step(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        OraError e = s->DamageOr(rc, rc == SQLITE_BUSY ? MakeError(54) : MakeError(12154));
        sqlite3_finalize(st);
        return e;
    }
    bool known = false, privileged = false;
    if (rc == SQLITE_ROW) {
        std::string salt = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        std::string hash = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        known = Sha256Hex(salt + password) == hash;
        privileged = sqlite3_column_int(st, 2) != 0;
    }
    sqlite3_finalize(st);
    if (rc == SQLITE_BUSY) return MakeError(54);
    if (!known) return MakeError(1017);
    if (sysdba && !privileged) return MakeError(1031);
    // SYS owns the dictionary: the server lets it in only with its administrative privilege
    if (name == "SYS" && !sysdba) return MakeError(kOraSysNeedsSysdba);

    s->settings_.user = name;
    s->sysdba_ = sysdba;
    s->settings_.dateFormat.Compile("DD-MON-RR");
    s->settings_.timestampFormat.Compile("DD-MON-RR HH.MI.SSXFF AM");
    s->settings_.timestampTzFormat.Compile("DD-MON-RR HH.MI.SSXFF AM TZR");
    if (!s->readOnly_) {
        s->Exec("PRAGMA journal_mode=WAL");
        s->Exec(kSequenceSchema);
    }
    s->Exec("PRAGMA foreign_keys=ON");
    if (RegisterSqlFunctions(s->db_, &s->settings_) != SQLITE_OK ||
        RegisterColumnRuleFunctions(s->db_, &s->settings_) != SQLITE_OK ||
        RegisterTextFunctions(s->db_, &s->settings_) != SQLITE_OK || RegisterGroupFunctions(s->db_) != SQLITE_OK ||
        RegisterDateFunctions(s->db_, &s->settings_) != SQLITE_OK)
        return MakeError(600, "functions");
    if (OraError e = s->MakeDual()) return e;
    if (OraError e = CreateDictionaryViews(*s)) return e;
    if (OraError e = CreateCatalogViews(*s)) return e;
    if (OraError e = s->RegisterStatistics()) return e;
    out = std::move(s);
    return {};
}

OraError Session::OpenFile(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return MakeError(12154);
    path_ = path;
    device_ = st.st_dev;
    inode_ = st.st_ino;
    // A file or folder that cannot be written (a read-only file system, a read-only copy) still
    // answers queries; changes are refused with ORA-16000 when they are tried.
    std::string folder = path.find('/') == std::string::npos ? std::string(".") : path.substr(0, path.rfind('/') + 1);
    const bool writable = ::access(path.c_str(), W_OK) == 0 && ::access(folder.c_str(), W_OK) == 0;
    if (writable && sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) return {};
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
    readOnly_ = true;
    db_ = OpenReadOnly(path);
    return db_ ? OraError{} : MakeError(12154);
}

OraError Session::DamageOr(int rc, OraError otherwise) const {
    const int primary = rc & 0xff;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        return MakeRawError(kDataBlockCorrupted, "ORACLE data block corrupted (database file " + path_ + ": " +
                                                     (db_ ? sqlite3_errmsg(db_) : "damaged") + ")");
    return otherwise;
}

OraError Session::CheckFile() const {
    struct stat st{};
    if (path_.empty()) return {};
    if (::stat(path_.c_str(), &st) != 0 || st.st_dev != device_ || st.st_ino != inode_)
        return MakeRawError(kOraConnectionLost, "connection lost contact: the database file " + path_ +
                                                    " was deleted or replaced while the session was open");
    return {};
}

OraError Session::End() {
    OraError e;
    if (db_ && inTxn_) e = Commit();
    Close();
    return e;
}

void Session::Close() {
    if (!db_) return;
    if (inTxn_) Exec("ROLLBACK");
    inTxn_ = false;
    sqlite3* db = db_;
    {
        std::lock_guard<std::mutex> lock(callMutex_);
        db_ = nullptr;
    }
    // Statements still open on this session keep the connection alive until they are finalized.
    sqlite3_close_v2(db);
}

int Session::BusyHandler(void* self, int count) {
    Session* s = static_cast<Session*>(self);
    constexpr int kStepMs = 10;
    if (s->cancelled() || count * kStepMs >= kBusyTimeoutMs) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
    return 1;
}

// DUAL lives in the file, so that a view may read it (SQLite keeps views from reading a session's
// temporary tables); its one row cannot be changed. A file that cannot be written and has none gets a
// DUAL of the session's own.
OraError Session::MakeDual() {
    sqlite3_stmt* q = nullptr;
    bool present = false;
    if (sqlite3_prepare_v2(db_, "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = 'DUAL'", -1, &q,
                           nullptr) == SQLITE_OK)
        present = sqlite3_step(q) == SQLITE_ROW;
    sqlite3_finalize(q);
    if (present) return {};
    if (readOnly_ || Exec("BEGIN IMMEDIATE"))
        return Exec("CREATE TEMP TABLE DUAL (DUMMY VARCHAR2(1)); INSERT INTO temp.DUAL VALUES ('X')");
    const std::string refuse = "BEGIN SELECT LITEOCI_RAISE(" + std::to_string(kOraInsufficientPrivileges) + "); END;";
    std::string sql = "CREATE TABLE IF NOT EXISTS main.DUAL (DUMMY VARCHAR2(1)); "
                      "INSERT INTO main.DUAL SELECT 'X' WHERE NOT EXISTS (SELECT 1 FROM main.DUAL);";
    for (const char* event : {"INSERT", "UPDATE", "DELETE"})
        sql += std::string("CREATE TRIGGER IF NOT EXISTS main.\"liteoci$dual$") + event + "\" BEFORE " + event +
               " ON DUAL " + refuse;
    OraError e = Exec(sql.c_str());
    Exec(e ? "ROLLBACK" : "COMMIT");
    if (e) return Exec("CREATE TEMP TABLE DUAL (DUMMY VARCHAR2(1)); INSERT INTO temp.DUAL VALUES ('X')");
    return {};
}

OraError Session::Exec(const char* sql) {
    if (!db_) return MakeError(3114);
    char* err = nullptr;
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) return MapError(rc);
    return {};
}

OraError Session::BeginWrite() {
    if (readOnly_) return ReadOnlyError();
    if (inTxn_) return {};
    if (OraError e = Exec("BEGIN IMMEDIATE")) return e;
    inTxn_ = true;
    return {};
}

OraError Session::ReadOnlyError() const {
    return MakeRawError(kOraReadOnlyDatabase,
                        "database or pluggable database open for read-only access (file " + path_ + ")");
}

OraError Session::Commit() {
    if (!inTxn_) return {};
    if (OraError gone = CheckFile()) {
        Exec("ROLLBACK");
        if (sqlite3_get_autocommit(db_)) inTxn_ = false;
        return gone;
    }
    if (OraError e = Exec("COMMIT")) return e;
    inTxn_ = false;
    savepoints_.clear();
    return {};
}

OraError Session::Rollback() {
    if (!inTxn_) return {};
    OraError e = Exec("ROLLBACK");
    if (sqlite3_get_autocommit(db_)) inTxn_ = false;
    savepoints_.clear();
    return e;
}

namespace {
std::string SavepointSql(const char* verb, const std::string& name) {
    std::string quoted = "\"liteoci$sp$";
    for (char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return std::string(verb) + " " + quoted + "\"";
}
}  // namespace

OraError Session::Savepoint(const std::string& name) {
    if (OraError e = BeginWrite()) return e;
    if (OraError e = Exec(SavepointSql("SAVEPOINT", name).c_str())) return e;
    // a name used again moves the savepoint: the older one is gone
    savepoints_.erase(std::remove(savepoints_.begin(), savepoints_.end(), name), savepoints_.end());
    savepoints_.push_back(name);
    return {};
}

OraError Session::RollbackTo(const std::string& name) {
    auto it = std::find(savepoints_.begin(), savepoints_.end(), name);
    if (!inTxn_ || it == savepoints_.end()) return MakeError(kOraSavepointNeverEstablished, name);
    if (OraError e = Exec(SavepointSql("ROLLBACK TO", name).c_str())) return e;
    savepoints_.erase(it + 1, savepoints_.end());
    return {};
}

ConnectString ParseConnectString(const std::string& text) {
    ConnectString out;
    out.path = text;
    const size_t question = text.find('?');
    struct stat st{};
    if (question == std::string::npos || ::stat(text.c_str(), &st) == 0) return out;
    out.path = text.substr(0, question);
    std::string_view options(text);
    options.remove_prefix(question + 1);
    while (!options.empty()) {
        const size_t amp = options.find('&');
        std::string_view option = options.substr(0, amp);
        options = amp == std::string_view::npos ? std::string_view() : options.substr(amp + 1);
        if (option.rfind("rtt=", 0) == 0 && ParseDuration(option.substr(4), out.roundTripTime))
            out.hasRoundTripTime = true;
    }
    return out;
}

bool ParseDuration(std::string_view text, std::chrono::microseconds& out) {
    size_t digits = 0;
    uint64_t value = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && digits < 9)
        value = value * 10 + static_cast<uint64_t>(text[digits++] - '0');
    if (digits == 0) return false;
    const std::string_view unit = text.substr(digits);
    if (unit == "us") out = std::chrono::microseconds(value);
    else if (unit == "ms") out = std::chrono::microseconds(value * 1000);
    else if (unit == "s") out = std::chrono::microseconds(value * 1000000);
    else if (unit.empty() && value == 0) out = std::chrono::microseconds(0);
    else return false;
    return true;
}

std::chrono::microseconds ProcessRoundTripTime() {
    static const std::chrono::microseconds rtt = [] {
        std::chrono::microseconds value{0};
        const char* text = std::getenv("LITEOCI_RTT");
        if (text && !ParseDuration(text, value)) value = std::chrono::microseconds(0);
        return value;
    }();
    return rtt;
}

namespace {
// Oracle's number and class of the statistic (class 1: user).
constexpr int kRoundTripsStatistic = 12;

void MyStatFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    auto* session = static_cast<Session*>(sqlite3_user_data(ctx));
    if (argc == 1 && sqlite3_value_int(argv[0]) == kRoundTripsStatistic)
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(session->statistics().roundTrips.load()));
    else
        sqlite3_result_int(ctx, 0);
}
}  // namespace

OraError Session::RegisterStatistics() {
    if (sqlite3_create_function_v2(db_, "LITEOCI_MYSTAT", 1, SQLITE_UTF8, this, MyStatFunction, nullptr, nullptr,
                                   nullptr) != SQLITE_OK)
        return MakeError(600, "statistics");
    const std::string views =
        "CREATE TEMP TABLE \"V$STATNAME\" (\"STATISTIC#\" NUMBER, NAME VARCHAR2(64), CLASS NUMBER);"
        "INSERT INTO temp.\"V$STATNAME\" VALUES (" + std::to_string(kRoundTripsStatistic) +
        ", 'SQL*Net roundtrips to/from client', 1);"
        "CREATE TEMP VIEW \"V$MYSTAT\" AS SELECT 1 AS SID, \"STATISTIC#\", "
        "LITEOCI_MYSTAT(\"STATISTIC#\") AS VALUE FROM temp.\"V$STATNAME\"";
    return Exec(views.c_str());
}

bool Session::RoundTrip() {
    stats_.roundTrips.fetch_add(1, std::memory_order_relaxed);
    if (rtt_.count() <= 0) return true;
    // Waited in short steps, so that a break ends the wait as it would end a call on the wire.
    const auto until = std::chrono::steady_clock::now() + rtt_;
    for (;;) {
        if (cancelled()) return false;
        const auto now = std::chrono::steady_clock::now();
        if (now >= until) return true;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(until - now, std::chrono::milliseconds(5)));
    }
}

void Session::EnterCall() {
    std::lock_guard<std::mutex> lock(callMutex_);
    inCall_ = true;
    breakRequested_.store(false, std::memory_order_relaxed);
}

bool Session::LeaveCall() {
    std::lock_guard<std::mutex> lock(callMutex_);
    inCall_ = false;
    return breakRequested_.exchange(false, std::memory_order_relaxed);
}

void Session::Break() {
    std::lock_guard<std::mutex> lock(callMutex_);
    // A break with no call running is dropped, so that it cannot cancel the next call.
    if (!inCall_ || !db_) return;
    breakRequested_.store(true, std::memory_order_relaxed);
    sqlite3_interrupt(db_);
}

OraError Session::MapError(int rc, const ErrorContext* ctx) {
    const char* raw = db_ ? sqlite3_errmsg(db_) : "not connected";
    std::string msg = raw ? raw : "";
    int ext = db_ ? sqlite3_extended_errcode(db_) : rc;
    int sqlOffset = db_ ? sqlite3_error_offset(db_) : -1;
    int offset = -1;
    if (ctx && ctx->translation && sqlOffset >= 0) offset = ctx->translation->MapOffset(sqlOffset);

    OraError e = ParseOraMessage(msg);
    if (e) return e;
    const std::string& user = settings_.user;
    int primary = rc & 0xff;
    if (primary == SQLITE_INTERRUPT || cancelled()) return MakeError(1013);
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) return MakeError(54);
    if (primary == SQLITE_CONSTRAINT) {
        std::string_view detail = msg;
        size_t colon = detail.find(": ");
        detail = colon == std::string_view::npos ? std::string_view() : detail.substr(colon + 2);
        switch (ext) {
            case SQLITE_CONSTRAINT_UNIQUE:
            case SQLITE_CONSTRAINT_PRIMARYKEY: {
                const std::string name = KeyConstraintName(db_, detail);
                return MakeError(kOraUniqueViolated, name.empty() ? ConstraintName(user, detail) : user + "." + name);
            }
            case SQLITE_CONSTRAINT_NOTNULL:
                return MakeError(ctx && ctx->ociType == kStmtUpdate ? kOraCannotUpdateToNull : kOraCannotInsertNull,
                                 QuotedPath(user, detail));
            case SQLITE_CONSTRAINT_CHECK: {
                const std::string name = CheckConstraintName(db_, detail);
                return MakeError(kOraCheckViolated, name.empty() ? ConstraintName(user, detail.empty() ? "CHECK" : detail)
                                                                 : user + "." + name);
            }
            case SQLITE_CONSTRAINT_FOREIGNKEY: {
                const bool parent = ctx && ctx->ociType == kStmtDelete;
                const std::string name = ctx ? ForeignKeyName(db_, *ctx, parent) : std::string();
                return MakeError(parent ? kOraChildRecordFound : kOraParentKeyNotFound,
                                 user + "." + (name.empty() ? std::string("FOREIGN_KEY") : name));
            }
            default: return MakeError(kOraUniqueViolated, ConstraintName(user, detail));
        }
    }
    std::string_view m = msg;
    if (StartsWith(m, "no such table: ")) {
        std::string name = After(m, "no such table: ");
        if (name.rfind("main.", 0) == 0) name = name.substr(5);
        if (offset < 0) offset = FindIdentifier(ctx, Upper(name));
        return MakeErrorAt(offset < 0 ? 0 : offset, 942);
    }
    if (StartsWith(m, "no such column: ") || StartsWith(m, "no such function: ")) {
        std::string name = After(m, StartsWith(m, "no such column: ") ? "no such column: " : "no such function: ");
        std::string shown;
        size_t start = 0;
        while (true) {
            size_t dot = name.find('.', start);
            std::string part = name.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
            if (!shown.empty()) shown += ".";
            shown += "\"" + part + "\"";
            if (dot == std::string::npos) break;
            start = dot + 1;
        }
        if (offset < 0) {
            std::string last = name.substr(name.rfind('.') == std::string::npos ? 0 : name.rfind('.') + 1);
            offset = FindIdentifier(ctx, Upper(last));
        }
        return MakeErrorAt(offset < 0 ? 0 : offset, 904, shown);
    }
    if (m.find("already exists") != std::string_view::npos) return MakeErrorAt(offset < 0 ? 0 : offset, 955);
    if (StartsWith(m, "ambiguous column name")) return MakeErrorAt(offset < 0 ? 0 : offset, 918);
    if (StartsWith(m, "wrong number of arguments")) return MakeErrorAt(offset < 0 ? 0 : offset, 909);
    if (StartsWith(m, "misuse of aggregate")) return MakeErrorAt(offset < 0 ? 0 : offset, 934);
    if (StartsWith(m, "misuse of window function")) return MakeErrorAt(offset < 0 ? 0 : offset, 904, "\"ROWNUM\"");
    if (m.find("do not have the same number of result columns") != std::string_view::npos)
        return MakeErrorAt(offset < 0 ? 0 : offset, 1789);
    if (StartsWith(m, "no tables specified")) return MakeErrorAt(offset < 0 ? 0 : offset, 923);
    if (StartsWith(m, "datatype mismatch")) return MakeError(932);
    if (ctx && ctx->toks && (StartsWith(m, "near \"") || m == "incomplete input")) {
        size_t k = m == "incomplete input" || offset < 0 ? ctx->toks->size() : TokenAt(*ctx->toks, offset);
        return SyntaxError(*ctx, k);
    }
    // SQLite's own limits on nesting, below which the client's translation already stopped most texts.
    if (m.find("too large (maximum depth") != std::string_view::npos || m.find("stack overflow") != std::string_view::npos ||
        m.find("too many levels of nesting") != std::string_view::npos || StartsWith(m, "too many terms in compound"))
        return NestingTooDeep(offset < 0 ? 0 : offset);
    if (StartsWith(m, "too many columns")) return MakeErrorAt(offset < 0 ? 0 : offset, 1792);
    if (StartsWith(m, "unrecognized token")) return MakeErrorAt(offset < 0 ? 0 : offset, 911);
    // "table T has 3 columns but 2 values were supplied", "1 values for 2 columns"
    if (m.find("values were supplied") != std::string_view::npos || m.find(" values for ") != std::string_view::npos) {
        long long columns = 0, values = 0;
        if (std::sscanf(msg.c_str(), "table %*s has %lld columns but %lld values", &columns, &values) != 2 &&
            std::sscanf(msg.c_str(), "%lld values for %lld columns", &values, &columns) != 2)
            columns = values = 0;
        if (columns != values)
            return MakeErrorAt(offset < 0 ? 0 : offset, values < columns ? kOraNotEnoughValues : kOraTooManyValues);
    }
    if (StartsWith(m, "table") && m.find("has no column named") != std::string_view::npos) {
        std::string name = std::string(m.substr(m.rfind(' ') + 1));
        if (offset < 0) offset = FindIdentifier(ctx, Upper(name));
        return MakeErrorAt(offset < 0 ? 0 : offset, 904, "\"" + Upper(name) + "\"");
    }
    if (primary == SQLITE_READONLY && readOnly_) return ReadOnlyError();
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) return DamageOr(rc, {});
    if (primary == SQLITE_READONLY || primary == SQLITE_AUTH || primary == SQLITE_PERM) return MakeError(1031);
    return MakeError(600, "liteoci], [" + msg);
}

// ---- administration ----------------------------------------------------------------------------

std::string CreateDatabaseFile(const std::string& path) {
    // O_EXCL: an existing file is never overwritten, even when two creators race.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        if (errno == EEXIST) return "file already exists: " + path;
        return "cannot create " + path + ": " + std::strerror(errno);
    }
    ::close(fd);
    sqlite3* db = nullptr;
    std::string error;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        error = std::string("cannot open ") + path + ": " + sqlite3_errmsg(db);
    } else {
        char* err = nullptr;
        if (sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, &err) != SQLITE_OK ||
            sqlite3_exec(db, kSchema, nullptr, nullptr, &err) != SQLITE_OK ||
            sqlite3_exec(db, kSequenceSchema, nullptr, nullptr, &err) != SQLITE_OK) {
            error = err ? err : "cannot write the database";
        }
        sqlite3_free(err);
    }
    sqlite3_close(db);
    if (!error.empty()) ::unlink(path.c_str());
    return error;
}

std::string SetUser(const std::string& path, const std::string& name, const std::string& password, bool sysdba) {
    if (OraError e = CheckDatabaseFile(path)) return "not a database file of this client: " + path;
    std::string user = NormalizeUserName(name);
    if (user.empty()) return "the user name is empty";
    if (password.empty()) return "the password is empty";
    sqlite3* db = nullptr;
    std::string error;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        error = std::string("cannot open ") + path;
    } else {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        sqlite3_stmt* st = nullptr;
        const char* sql =
            "INSERT INTO \"liteoci$users\" (name, salt, hash, sysdba) VALUES (?1, ?2, ?3, ?4) "
            "ON CONFLICT (name) DO UPDATE SET salt = excluded.salt, hash = excluded.hash, sysdba = excluded.sysdba";
        std::string salt = RandomSalt();
        std::string hash = Sha256Hex(salt + password);
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(st, 1, user.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, salt.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 3, hash.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 4, sysdba ? 1 : 0);
            if (sqlite3_step(st) != SQLITE_DONE) error = sqlite3_errmsg(db);
        } else {
            error = sqlite3_errmsg(db);
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return error;
}

}  // namespace liteoci
