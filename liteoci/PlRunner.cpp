#include "PlRunner.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "OraFormat.h"
#include "PlEngine.h"

namespace liteoci {

Value ValueFromColumn(sqlite3_stmt* vm, int col) {
    Value v;
    switch (sqlite3_column_type(vm, col)) {
        case SQLITE_INTEGER: v.type = Value::Int, v.i = sqlite3_column_int64(vm, col); break;
        case SQLITE_FLOAT: v.type = Value::Real, v.d = sqlite3_column_double(vm, col); break;
        case SQLITE_NULL: break;
        default: {
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(vm, col));
            v.s.assign(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(vm, col)));
            if (!v.s.empty()) v.type = Value::Text;
        }
    }
    return v;
}

void BindValue(sqlite3_stmt* vm, int index, const Value& v) {
    switch (v.type) {
        case Value::Null: sqlite3_bind_null(vm, index); break;
        case Value::Int: sqlite3_bind_int64(vm, index, v.i); break;
        case Value::Real: sqlite3_bind_double(vm, index, v.d); break;
        case Value::Text: sqlite3_bind_text(vm, index, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT); break;
    }
}

std::string ValueText(const Value& v) {
    char buf[kNumberTextMax];
    switch (v.type) {
        case Value::Int: return std::string(buf, FormatInteger(v.i, buf));
        case Value::Real: return std::string(buf, FormatDouble(v.d, buf));
        case Value::Text: return v.s;
        default: return {};
    }
}

PlBlock::~PlBlock() = default;

OraError PlBlock::Compile(Session& session, std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                          std::unique_ptr<PlBlock>& out) {
    std::shared_ptr<Program> prog;
    if (OraError err = CompileBlock(session, text, toks, b, e, prog)) return err;
    out.reset(new PlBlock());
    out->program_ = std::move(prog);
    return {};
}

int PlBlock::placeholderCount() const { return static_cast<int>(program_->placeholders.size()); }

OraError PlBlock::Run(Session& session, std::vector<Value>& binds, std::vector<bool>& assigned) {
    return RunProgram(session, *program_, binds, assigned);
}

OraError CheckStoredUnit(Session& session, std::string_view text, const std::vector<Token>& toks, size_t kindTok,
                         const std::string& type, const std::string& name) {
    return CheckUnit(session, type, name, text, toks, kindTok);
}

}  // namespace liteoci
