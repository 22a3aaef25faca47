// The built-in packages everyday PL/SQL calls: DBMS_OUTPUT, DBMS_LOB, DBMS_UTILITY, DBMS_RANDOM,
// UTL_RAW, RAISE_APPLICATION_ERROR, SQLCODE and SQLERRM. LOBs are plain text values here.
#include <chrono>
#include <cmath>
#include <cstdio>

#include "PlExec.h"

namespace liteoci {
namespace {

bool AsInt(const Value& v, int64_t& out) {
    Value n;
    if (v.type == Value::Null || ToNumber(v, n)) return false;
    out = n.type == Value::Int ? n.i : static_cast<int64_t>(std::floor(n.d));
    return true;
}

Value Text(std::string s) {
    Value v;
    if (!s.empty()) v.type = Value::Text, v.s = std::move(s);
    return v;
}
Value Int(int64_t i) {
    Value v;
    v.type = Value::Int;
    v.i = i;
    return v;
}

// Characters of a UTF-8 text (LOB lengths and offsets count characters).
std::vector<size_t> CharStarts(const std::string& s) {
    std::vector<size_t> r;
    for (size_t k = 0; k < s.size(); ++k)
        if ((static_cast<unsigned char>(s[k]) & 0xC0) != 0x80) r.push_back(k);
    return r;
}

uint64_t NextRandom(PlState& st) {
    // xorshift64*: good enough for DBMS_RANDOM's purposes, and seedable
    uint64_t x = st.randomState;
    x ^= x >> 12;
    x ^= x << 25;
    x ^= x >> 27;
    st.randomState = x;
    return x * 0x2545F4914F6CDD1Dull;
}
double Uniform(PlState& st) { return static_cast<double>(NextRandom(st) >> 11) / 9007199254740992.0; }

std::vector<Param> Params(std::initializer_list<std::pair<const char*, ParamMode>> list) {
    std::vector<Param> ps;
    for (const auto& [n, m] : list) {
        Param p;
        p.name = n;
        p.mode = m;
        ps.push_back(std::move(p));
    }
    return ps;
}

std::string MessageOnly(const std::string& text) {
    std::string r;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        if (line.rfind("ORA-06512", 0) != 0) r += line + "\n";
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return r;
}

}  // namespace

const std::vector<Param>* BuiltinParams(const std::string& q) {
    using M = ParamMode;
    static const std::vector<Param> getLine = Params({{"LINE", M::Out}, {"STATUS", M::Out}});
    static const std::vector<Param> append = Params({{"DEST_LOB", M::InOut}, {"SRC_LOB", M::In}});
    static const std::vector<Param> writeAppend = Params({{"LOB_LOC", M::InOut}, {"AMOUNT", M::In}, {"BUFFER", M::In}});
    static const std::vector<Param> createTemp = Params({{"LOB_LOC", M::InOut}, {"CACHE", M::In}, {"DUR", M::In}});
    static const std::vector<Param> freeTemp = Params({{"LOB_LOC", M::InOut}});
    static const std::vector<Param> trim = Params({{"LOB_LOC", M::InOut}, {"NEWLEN", M::In}});
    if (q == "DBMS_OUTPUT.GET_LINE") return &getLine;
    if (q == "DBMS_LOB.APPEND") return &append;
    if (q == "DBMS_LOB.WRITEAPPEND") return &writeAppend;
    if (q == "DBMS_LOB.CREATETEMPORARY") return &createTemp;
    if (q == "DBMS_LOB.FREETEMPORARY") return &freeTemp;
    if (q == "DBMS_LOB.TRIM") return &trim;
    return nullptr;
}

bool IsBuiltinProcedure(const std::string& q) {
    static const char* const kNames[] = {
        "DBMS_OUTPUT.PUT_LINE", "DBMS_OUTPUT.PUT", "DBMS_OUTPUT.NEW_LINE", "DBMS_OUTPUT.ENABLE",
        "DBMS_OUTPUT.DISABLE", "DBMS_OUTPUT.GET_LINE", "DBMS_LOB.APPEND", "DBMS_LOB.WRITEAPPEND",
        "DBMS_LOB.CREATETEMPORARY", "DBMS_LOB.FREETEMPORARY", "DBMS_LOB.TRIM", "DBMS_RANDOM.SEED",
        "DBMS_RANDOM.INITIALIZE", "DBMS_LOCK.SLEEP", "DBMS_SESSION.SLEEP"};
    for (const char* n : kNames)
        if (q == n) return true;
    return false;
}

bool IsBuiltinFunction(const std::string& q) {
    static const char* const kNames[] = {
        "DBMS_RANDOM.VALUE", "DBMS_RANDOM.STRING", "DBMS_RANDOM.RANDOM", "DBMS_RANDOM.NORMAL",
        "DBMS_UTILITY.FORMAT_ERROR_STACK", "DBMS_UTILITY.FORMAT_ERROR_BACKTRACE", "DBMS_UTILITY.FORMAT_CALL_STACK",
        "DBMS_UTILITY.GET_TIME", "DBMS_LOB.GETLENGTH", "DBMS_LOB.SUBSTR", "DBMS_LOB.INSTR", "UTL_RAW.CAST_TO_RAW",
        "UTL_RAW.CAST_TO_VARCHAR2", "UTL_RAW.LENGTH"};
    for (const char* n : kNames)
        if (q == n) return true;
    return false;
}

OraError CallBuiltinProcedure(Interpreter& in, const std::string& name, std::vector<Value>& a,
                              std::vector<bool>& assigned) {
    DbmsOutput& out = in.session().output();
    (void)assigned;
    if (name == "DBMS_OUTPUT.PUT_LINE") return out.PutLine(a.empty() ? "" : ValueText(a[0]));
    if (name == "DBMS_OUTPUT.PUT") return out.Put(a.empty() ? "" : ValueText(a[0]));
    if (name == "DBMS_OUTPUT.NEW_LINE") return out.NewLine();
    if (name == "DBMS_OUTPUT.DISABLE") {
        out.Disable();
        return {};
    }
    if (name == "DBMS_OUTPUT.ENABLE") {
        long long size = -1;
        if (!a.empty()) {
            int64_t n = 0;
            if (a[0].type == Value::Null) size = 0;
            else if (!AsInt(a[0], n)) return MakeError(kOraValueError, ": character to number conversion error");
            else size = n;
        }
        out.Enable(size);
        return {};
    }
    if (name == "DBMS_OUTPUT.GET_LINE") {
        std::string line;
        bool got = out.GetLine(line);
        a.resize(2);
        a[0] = got ? Text(std::move(line)) : Value{};
        a[1] = Int(got ? 0 : 1);
        return {};
    }
    if (name == "RAISE_APPLICATION_ERROR") {
        int64_t c = 0;
        if (a.empty() || !AsInt(a[0], c)) return MakeError(kOraValueError, "");
        if (c > -20000 || c < -20999)
            return MakeRawError(kOraAppErrorRange,
                                "error number argument to raise_application_error of " + std::to_string(c) + " is out of range");
        return MakeRawError(static_cast<int>(-c), a.size() > 1 ? ValueText(a[1]) : "");
    }
    if (name == "DBMS_LOB.APPEND" || name == "DBMS_LOB.WRITEAPPEND") {
        a.resize(3);
        std::string add = ValueText(name == "DBMS_LOB.APPEND" ? a[1] : a[2]);
        if (name == "DBMS_LOB.WRITEAPPEND") {
            int64_t amount = 0;
            if (AsInt(a[1], amount)) {
                auto starts = CharStarts(add);
                if (amount >= 0 && static_cast<size_t>(amount) < starts.size()) add.resize(starts[static_cast<size_t>(amount)]);
            }
        }
        a[0] = Text(ValueText(a[0]) + add);
        return {};
    }
    if (name == "DBMS_LOB.CREATETEMPORARY") {
        a[0] = Value{};
        return {};
    }
    if (name == "DBMS_LOB.FREETEMPORARY") {
        a[0] = Value{};
        return {};
    }
    if (name == "DBMS_LOB.TRIM") {
        int64_t n = 0;
        std::string s = ValueText(a[0]);
        auto starts = CharStarts(s);
        if (a.size() > 1 && AsInt(a[1], n) && n >= 0 && static_cast<size_t>(n) < starts.size()) s.resize(starts[static_cast<size_t>(n)]);
        a[0] = Text(s);
        return {};
    }
    if (name == "DBMS_RANDOM.SEED" || name == "DBMS_RANDOM.INITIALIZE") {
        std::string seed = a.empty() ? "0" : ValueText(a[0]);
        uint64_t h = 1469598103934665603ull;
        for (char ch : seed) h = (h ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
        EngineOf(in.session()).randomState = h ? h : 1;
        return {};
    }
    if (name == "DBMS_LOCK.SLEEP" || name == "DBMS_SESSION.SLEEP") return {};
    return MakeError(kOraCompile, "1", "1", "PLS-00302: component '" + name + "' must be declared");
}

OraError CallBuiltinFunction(Interpreter& in, const std::string& name, std::vector<Value>& a, Value& out) {
    PlState& st = EngineOf(in.session());
    out = Value{};
    if (name == "INSERTING" || name == "UPDATING" || name == "DELETING") {
        // the innermost statement whose triggers run now
        const TriggerContext* t = st.triggerStack.empty() ? nullptr : &st.triggerStack.back();
        DmlTarget::Event want = name == "INSERTING" ? DmlTarget::Insert : name == "UPDATING" ? DmlTarget::Update : DmlTarget::Delete;
        bool yes = t && t->event == want;
        if (yes && want == DmlTarget::Update && !a.empty()) {
            // UPDATING('column'): the statement sets that column
            std::string col = Upper(ValueText(a[0]));
            yes = false;
            if (t->setColumns)
                for (const std::string& c : *t->setColumns) yes = yes || c == col;
        }
        out = Int(yes ? 1 : 0);
        return {};
    }
    if (name == "SQLCODE") {
        const OraError* e = in.handling();
        if (!e) out = Int(0);
        else if (in.handlingExc() && in.handlingExc()->code == 0) out = Int(1);
        else out = Int(e->code == kOraNoDataFound ? 100 : -e->code);
        return {};
    }
    if (name == "SQLERRM") {
        if (!a.empty()) {
            int64_t c = 0;
            if (!AsInt(a[0], c)) return {};
            if (c == 0) out = Text("ORA-0000: normal, successful completion");
            else if (c == 100) out = Text(MakeError(kOraNoDataFound).text);
            else if (c > 0) out = Text("-" + std::to_string(c) + ": non-ORACLE exception ");
            else {
                OraError e = MakeError(static_cast<int>(-c));
                if (e.text.find("unknown error") != std::string::npos) {
                    char buf[96];
                    std::snprintf(buf, sizeof buf, "ORA-%05lld: Message %lld not found; ", static_cast<long long>(-c),
                                  static_cast<long long>(-c));
                    e.text = buf;
                }
                out = Text(e.text);
            }
            return {};
        }
        const OraError* e = in.handling();
        if (!e) out = Text("ORA-0000: normal, successful completion");
        else if (in.handlingExc() && in.handlingExc()->code == 0) out = Text("User-Defined Exception");
        else out = Text(e->text.substr(0, e->text.find("\nORA-06512")));
        return {};
    }
    if (name == "DBMS_UTILITY.FORMAT_ERROR_STACK") {
        const OraError* e = in.handling();
        if (e) out = Text(MessageOnly(e->text));
        return {};
    }
    if (name == "DBMS_UTILITY.FORMAT_ERROR_BACKTRACE") {
        if (in.handling()) out = Text(st.lastBacktrace);
        return {};
    }
    if (name == "DBMS_UTILITY.FORMAT_CALL_STACK") {
        out = Text("----- PL/SQL Call Stack -----\n");
        return {};
    }
    if (name == "DBMS_UTILITY.GET_TIME") {
        auto now = std::chrono::steady_clock::now().time_since_epoch();
        out = Int(std::chrono::duration_cast<std::chrono::milliseconds>(now).count() / 10 % 2147483647);
        return {};
    }
    if (name == "DBMS_RANDOM.VALUE") {
        double u = Uniform(st);
        if (a.size() >= 2) {
            Value lo, hi;
            if (ToNumber(a[0], lo) || ToNumber(a[1], hi)) return MakeError(kOraValueError, "");
            double l = lo.type == Value::Int ? static_cast<double>(lo.i) : lo.d;
            double h = hi.type == Value::Int ? static_cast<double>(hi.i) : hi.d;
            u = l + u * (h - l);
        }
        out.type = Value::Real;
        out.d = u;
        return {};
    }
    if (name == "DBMS_RANDOM.RANDOM") {
        out = Int(static_cast<int32_t>(NextRandom(st) >> 32));
        return {};
    }
    if (name == "DBMS_RANDOM.NORMAL") {
        double u1 = Uniform(st), u2 = Uniform(st);
        if (u1 <= 0) u1 = 1e-300;
        out.type = Value::Real;
        out.d = std::sqrt(-2 * std::log(u1)) * std::cos(6.283185307179586 * u2);
        return {};
    }
    if (name == "DBMS_RANDOM.STRING") {
        std::string opt = a.empty() ? "U" : Upper(ValueText(a[0]));
        int64_t len = 0;
        if (a.size() < 2 || !AsInt(a[1], len) || len <= 0) return {};
        if (len > 4000) len = 4000;
        std::string chars;
        char o = opt.empty() ? 'U' : opt[0];
        if (o == 'U') chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        else if (o == 'L') chars = "abcdefghijklmnopqrstuvwxyz";
        else if (o == 'A') chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        else if (o == 'X') chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        else
            for (char ch = 32; ch < 127; ++ch) chars += ch;
        std::string r;
        for (int64_t k = 0; k < len; ++k) r += chars[NextRandom(st) % chars.size()];
        out = Text(r);
        return {};
    }
    if (name == "DBMS_LOB.GETLENGTH") {
        if (!a.empty() && a[0].type != Value::Null) out = Int(static_cast<int64_t>(CharStarts(ValueText(a[0])).size()));
        return {};
    }
    if (name == "DBMS_LOB.SUBSTR") {
        // SUBSTR(lob, amount = 32767, offset = 1)
        if (a.empty() || a[0].type == Value::Null) return {};
        std::string s = ValueText(a[0]);
        int64_t amount = 32767, offset = 1;
        if (a.size() > 1 && !AsInt(a[1], amount)) return {};
        if (a.size() > 2 && !AsInt(a[2], offset)) return {};
        if (amount < 1 || offset < 1) return {};
        auto starts = CharStarts(s);
        if (static_cast<size_t>(offset) > starts.size()) return {};
        size_t from = starts[static_cast<size_t>(offset - 1)];
        size_t lastChar = static_cast<size_t>(offset - 1 + amount);
        size_t to = lastChar < starts.size() ? starts[lastChar] : s.size();
        out = Text(s.substr(from, to - from));
        return {};
    }
    if (name == "DBMS_LOB.INSTR") {
        // INSTR(lob, pattern, offset = 1, nth = 1)
        if (a.size() < 2 || a[0].type == Value::Null || a[1].type == Value::Null) return {};
        std::string s = ValueText(a[0]), p = ValueText(a[1]);
        int64_t offset = 1, nth = 1;
        if (a.size() > 2 && !AsInt(a[2], offset)) return {};
        if (a.size() > 3 && !AsInt(a[3], nth)) return {};
        if (offset < 1 || nth < 1) return {};
        auto starts = CharStarts(s);
        out = Int(0);
        if (static_cast<size_t>(offset) > starts.size()) return {};
        size_t at = starts[static_cast<size_t>(offset - 1)];
        for (int64_t k = 0; k < nth; ++k) {
            size_t f = s.find(p, at);
            if (f == std::string::npos) return {};
            if (k + 1 == nth) {
                int64_t chars = 0;
                for (size_t q : starts)
                    if (q <= f) ++chars;
                out = Int(chars);
                return {};
            }
            at = f + 1;
        }
        return {};
    }
    if (name == "UTL_RAW.CAST_TO_RAW") {
        static const char kHex[] = "0123456789ABCDEF";
        std::string s = a.empty() ? "" : ValueText(a[0]), r;
        for (unsigned char ch : s) r += kHex[ch >> 4], r += kHex[ch & 15];
        out = Text(r);
        return {};
    }
    if (name == "UTL_RAW.CAST_TO_VARCHAR2") {
        std::string h = a.empty() ? "" : ValueText(a[0]), r;
        auto nib = [](char c) { return c >= 'a' ? c - 'a' + 10 : c >= 'A' ? c - 'A' + 10 : c - '0'; };
        for (size_t k = 0; k + 1 < h.size(); k += 2) r += static_cast<char>(nib(h[k]) * 16 + nib(h[k + 1]));
        out = Text(r);
        return {};
    }
    if (name == "UTL_RAW.LENGTH") {
        if (!a.empty() && a[0].type != Value::Null) out = Int(static_cast<int64_t>(ValueText(a[0]).size() / 2));
        return {};
    }
    return MakeError(kOraCompile, "1", "1", "PLS-00302: component '" + name + "' must be declared");
}

}  // namespace liteoci
