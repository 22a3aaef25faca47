#include "Translate.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>

#include "DateForms.h"
#include "OraCodes.h"
#include "OraFormat.h"

namespace liteoci {
namespace {

constexpr std::string_view kInternalPrefix = "LITEOCI$";

bool Cancelled(const TranslateOptions& options) {
    return options.cancel && options.cancel->load(std::memory_order_relaxed);
}

// Oracle names that SQLite knows under another name.
struct Rename {
    const char* oracle;
    const char* sqlite;
};
constexpr Rename kFunctionRenames[] = {
    {"NVL", "IFNULL"},   {"GREATEST", "MAX"}, {"LEAST", "MIN"},
    {"CONCAT", "LITEOCI_CONCAT"}, {"CHR", "CHAR"}, {"ASCII", "UNICODE"},
};
constexpr Rename kWordRenames[] = {
    {"MINUS", "EXCEPT"},
    {"UID", "LITEOCI_UID()"},  // a reserved word of Oracle's: never a column's name
    {"UNIQUE", nullptr},  // handled where it means DISTINCT
};

// Words that end a clause of the outermost query. GROUP does only as GROUP BY: WITHIN GROUP belongs to
// the call before it.
bool IsClauseEnd(std::string_view text, const Token& t, const Token* next = nullptr) {
    static const char* const kWords[] = {"WHERE", "ORDER",   "HAVING", "UNION", "INTERSECT",
                                         "MINUS", "EXCEPT", "CONNECT", "START", "FOR",   "FETCH"};
    for (const char* w : kWords)
        if (IsWord(text, t, w)) return true;
    return IsWord(text, t, "GROUP") && (!next || IsWord(text, *next, "BY"));
}

// Words after which an operand starts, so that a sign after them belongs to that operand.
bool IsKeywordBeforeOperand(std::string_view text, const Token& t) {
    static const char* const kWords[] = {
        "SELECT", "WHERE", "AND", "OR", "NOT", "THEN", "ELSE", "WHEN", "ON", "SET", "BY", "IN", "IS",
        "LIKE", "BETWEEN", "VALUES", "RETURN", "CASE", "DISTINCT", "UNIQUE", "ALL", "FROM", "HAVING",
        "PRIOR", "WITH", "UNION", "EXCEPT", "MINUS", "INTERSECT", "INTO", "ESCAPE", "ANY", "SOME",
        "EXISTS", "START", "CONNECT", "ORDER", "GROUP", "USING", "AS", "DEFAULT", "CHECK", "RETURNING",
        "OFFSET"};
    for (const char* w : kWords)
        if (IsWord(text, t, w)) return true;
    return false;
}

// An operand that may hold a date or a text: arithmetic on it goes through a function that looks at the value.
bool MayHoldText(const Token& t) { return IsName(t) || t.kind == Tok::String || t.kind == Tok::Bind; }

// A term right after a text literal belongs to that literal (INTERVAL '1' DAY): it is no operand of its own.
bool FollowsLiteral(const std::vector<Token>& toks, size_t b, size_t left) {
    return left > b && toks[left - 1].kind == Tok::String;
}

// The functions that do Oracle's arithmetic where SQLite's differs: a / b refuses a zero divisor (SQLite gives
// NULL); a * b, a + b and a - b of a text that is no number raise ORA-01722 (SQLite reads it as 0); a date
// plus or minus days is a date.
const char* ArithmeticCall(char c) {
    return c == 'D' ? "LITEOCI_DIV(" : c == 'M' ? "LITEOCI_MUL(" : c == 'S' ? "LITEOCI_SUB(" : "LITEOCI_ADD(";
}

// Texts attached to tokens. Most tokens get none, so that a statement of millions of tokens keeps one
// index per token and only the texts there are.
class TokenTexts {
public:
    explicit TokenTexts(size_t n) : at_(n, 0) {}
    // The token's text, made empty on first use.
    std::string& operator[](size_t i) {
        if (!at_[i]) {
            texts_.emplace_back();
            at_[i] = static_cast<uint32_t>(texts_.size());
        }
        return texts_[at_[i] - 1];
    }
    const std::string& Get(size_t i) const {
        static const std::string kNone;
        return at_[i] ? texts_[at_[i] - 1] : kNone;
    }

private:
    std::vector<uint32_t> at_;
    std::deque<std::string> texts_;  // a deque: the references handed out stay valid as it grows
};

struct Rewriter {
    std::string_view text;
    const std::vector<Token>& toks;
    size_t b, e;
    std::vector<size_t> match;
    std::vector<uint16_t> depth;  // of parentheses, at most kMaxNesting
    TokenTexts pre, post, replace;
    std::vector<uint8_t> skip, hasReplace;
    TokenTexts calls;  // per token: the arithmetic calls that start there, innermost first

    Rewriter(std::string_view t, const std::vector<Token>& k, size_t bb, size_t ee)
        : text(t), toks(k), b(bb), e(ee), pre(ee - bb), post(ee - bb), replace(ee - bb), skip(ee - bb),
          hasReplace(ee - bb), calls(ee - bb) {}

    const Token& T(size_t i) const { return toks[i]; }
    bool Word(size_t i, std::string_view w) const { return i < e && IsWord(text, toks[i], w); }
    bool Op(size_t i, std::string_view o) const { return i < e && IsOp(text, toks[i], o); }
    void Replace(size_t i, std::string s) {
        replace[i - b] = std::move(s);
        hasReplace[i - b] = 1;
    }
    void Skip(size_t i) { skip[i - b] = 1; }

    // Token index just after the operand that starts at i.
    size_t OperandEnd(size_t i) const {
        while (i < e && (Op(i, "-") || Op(i, "+"))) ++i;
        if (i >= e) return e;
        if (Op(i, "(")) {
            if (match[i] == SIZE_MAX) return e;
            // (a - b) DAY TO SECOND ends after its qualifier
            if (Word(match[i] + 1, "DAY"))
                for (size_t k = match[i] + 1; k < e && k < match[i] + 12; ++k)
                    if (IntervalExpressionStart(text, toks, match, b, k, e) == i) return k + 1;
            return match[i] + 1;
        }
        if (Word(i, "CASE")) {
            int nest = 0;
            for (size_t j = i; j < e; ++j) {
                if (Word(j, "CASE")) ++nest;
                else if (Word(j, "END") && --nest == 0) return j + 1;
            }
            return e;
        }
        if ((Word(i, "DATE") || Word(i, "TIMESTAMP")) && i + 1 < e && T(i + 1).kind == Tok::String) return i + 2;
        if (const size_t end = IntervalLiteralEnd(text, toks, i, e); end != SIZE_MAX) return end;
        if (IsName(T(i))) {
            size_t j = i + 1;
            while (j + 1 < e && Op(j, ".") && IsName(T(j + 1))) j += 2;
            if (Op(j, "(") && match[j] != SIZE_MAX) return CallEnd(match[j] + 1);
            return j;
        }
        return i + 1;
    }

    // Where the interval literal that ends at token j starts (INTERVAL '4 5:12' DAY(2) TO MINUTE), or
    // SIZE_MAX when none ends there.
    size_t IntervalStart(size_t j) const {
        for (size_t k = j + 1; k-- > b && j - k < 12;)
            if (Word(k, "INTERVAL") && IntervalLiteralEnd(text, toks, k, e) == j + 1) return k;
        return SIZE_MAX;
    }

    // Token j ends an expression whose last word is no alias: CASE ... END or an interval literal or
    // expression.
    bool EndsWithKeyword(size_t j) const {
        return Word(j, "END") || IntervalStart(j) != SIZE_MAX ||
               IntervalExpressionStart(text, toks, match, b, j, e) != SIZE_MAX;
    }

    // Past what an analytic or ordered-set call carries after its arguments that end before k:
    // f(...) WITHIN GROUP (...) and f(...) OVER (...).
    size_t CallEnd(size_t k) const {
        if (Word(k, "WITHIN") && Word(k + 1, "GROUP") && Op(k + 2, "(") && match[k + 2] != SIZE_MAX) k = match[k + 2] + 1;
        if (Word(k, "OVER") && Op(k + 1, "(") && match[k + 1] != SIZE_MAX) k = match[k + 1] + 1;
        return k;
    }

    // Token index where the operand that ends at token j (inclusive) starts.
    size_t OperandStart(size_t j) const {
        if (const size_t start = IntervalStart(j); start != SIZE_MAX) return start;
        if (const size_t start = IntervalExpressionStart(text, toks, match, b, j, e); start != SIZE_MAX) return start;
        size_t i = j;
        if (Op(j, ")")) {
            if (match[j] == SIZE_MAX) return j;
            i = match[j];
            // the window or the ordering of a call belongs to the call
            if (i > b + 1 && Word(i - 1, "OVER") && Op(i - 2, ")")) return OperandStart(i - 2);
            if (i > b + 2 && Word(i - 1, "GROUP") && Word(i - 2, "WITHIN") && Op(i - 3, ")")) return OperandStart(i - 3);
            if (i > b && IsName(T(i - 1)) && !IsKeywordBeforeOperand(text, T(i - 1))) --i;
            else return i;
        } else if (Word(j, "END")) {
            int nest = 0;
            for (size_t k = j + 1; k-- > b;) {
                if (Word(k, "END")) ++nest;
                else if (Word(k, "CASE") && --nest == 0) return k;
            }
            return b;
        } else if (T(j).kind == Tok::String && j > b && (Word(j - 1, "DATE") || Word(j - 1, "TIMESTAMP"))) {
            return j - 1;
        } else if (!IsName(T(j))) {
            return j;
        }
        while (i >= b + 2 && Op(i - 1, ".") && IsName(T(i - 2))) i -= 2;
        return i;
    }
};



// The text that stands in the LIMIT for the operand of a ROWNUM comparison; replaced by the
// operand's own translated text once it has been emitted.
constexpr std::string_view kRownumOperand = "\x01\x02ROWNUM\x02\x01";
constexpr std::string_view kOperandStart = "\x01\x03";  // around the operand where the user wrote it
constexpr std::string_view kOperandEnd = "\x03\x01";

// Puts the operand's translated text into the LIMIT that repeats it.
void FillRownumOperand(std::string& sql) {
    const size_t from = sql.find(kOperandStart), to = sql.find(kOperandEnd);
    if (from == std::string::npos || to == std::string::npos || to < from) return;
    const std::string operand = sql.substr(from + kOperandStart.size(), to - from - kOperandStart.size());
    sql.erase(to, kOperandEnd.size());
    sql.erase(from, kOperandStart.size());
    for (size_t at = sql.find(kRownumOperand); at != std::string::npos; at = sql.find(kRownumOperand, at + operand.size()))
        sql.replace(at, kRownumOperand.size(), operand);
}

// WHERE ROWNUM <= n (also <, =, n >= ROWNUM, and any expression without columns, such as a
// placeholder, in place of n) becomes a LIMIT, taken before any ORDER BY as Oracle does. Only a
// comparison that all rows must pass is one: under an OR it is left alone.
// `first` is the query's first token, `level` the depth of its parentheses: the outermost query has 0.
void RownumLimit(Rewriter& rw, size_t first, size_t from, size_t stmtEnd, int level) {
    const size_t b = rw.b;
    size_t where = SIZE_MAX, order = SIZE_MAX;
    for (size_t k = from; k < stmtEnd; ++k) {
        if (rw.depth[k] != level) continue;
        if (where == SIZE_MAX && rw.Word(k, "WHERE")) where = k;
        if (rw.Word(k, "ORDER") && rw.Word(k + 1, "BY")) order = k;
    }
    if (where == SIZE_MAX) return;
    size_t whereEnd = stmtEnd;
    for (size_t k = where + 1; k < stmtEnd; ++k) {
        if (rw.depth[k] != level) continue;
        if (IsClauseEnd(rw.text, rw.T(k))) {
            whereEnd = k;
            break;
        }
        if (rw.Word(k, "OR")) return;
    }
    auto arithmetic = [&](size_t q) {
        return q >= b && q < stmtEnd &&
               (rw.Op(q, "+") || rw.Op(q, "-") || rw.Op(q, "*") || rw.Op(q, "/") || rw.Op(q, "||"));
    };
    // The operand may not read a column: then it is no limit for the whole query.
    auto constant = [&](size_t o0, size_t o1) {
        for (size_t q = o0; q < o1; ++q)
            if (rw.T(q).kind == Tok::Word && !rw.Op(q + 1, "(")) return false;
            else if (rw.T(q).kind == Tok::QIdent) return false;
        return o1 > o0;
    };
    for (size_t k = where + 1; k + 2 < whereEnd + 1 && k + 2 <= whereEnd; ++k) {
        if (rw.depth[k] != level) continue;
        const bool termStart = rw.Word(k - 1, "WHERE") || rw.Word(k - 1, "AND");
        if (!termStart) continue;
        size_t rn = SIZE_MAX, o0 = SIZE_MAX, o1 = SIZE_MAX;
        std::string_view op;
        if (rw.Word(k, "ROWNUM") && rw.T(k + 1).kind == Tok::Op) {
            rn = k, o0 = k + 2, o1 = rw.OperandEnd(k + 2);
            while (o1 < whereEnd && arithmetic(o1)) o1 = rw.OperandEnd(o1 + 1);
            op = TokText(rw.text, rw.T(k + 1));
        } else if ((rw.T(k).kind == Tok::Number || rw.T(k).kind == Tok::Bind) && rw.T(k + 1).kind == Tok::Op &&
                   rw.Word(k + 2, "ROWNUM")) {
            rn = k + 2, o0 = k, o1 = k + 1;
            std::string_view o = TokText(rw.text, rw.T(k + 1));
            op = o == ">=" ? "<=" : o == ">" ? "<" : o == "=" ? "=" : "?";
        }
        if (rn == SIZE_MAX || !(op == "<=" || op == "<" || op == "=")) continue;
        const size_t termEnd = rn > o0 ? rn + 1 : o1;
        if (!(termEnd >= whereEnd || rw.Word(termEnd, "AND"))) continue;
        if (!constant(o0, o1)) continue;
        std::string limit;
        const bool number = o1 == o0 + 1 && rw.T(o0).kind == Tok::Number;
        if (number) {
            double v = std::atof(std::string(TokText(rw.text, rw.T(o0))).c_str());
            long long n = static_cast<long long>(v);
            long long l = op == "<=" ? n : op == "<" ? n - 1 + (v > static_cast<double>(n) ? 1 : 0) : (v == 1 ? 1 : 0);
            limit = std::to_string(l < 0 ? 0 : l);
            for (size_t q = o0; q < o1; ++q) rw.Skip(q);
        } else {
            // The operand stays where it is (its placeholders keep their numbers) inside a term that
            // is always true, and its text is repeated in the LIMIT.
            const std::string x = std::string("CAST((") + std::string(kRownumOperand) + ") AS REAL)";
            const std::string whole = "CAST(" + x + " AS INTEGER)";
            if (op == "<=") limit = "max(0, coalesce(" + whole + ", 0))";
            else if (op == "<")
                limit = "max(0, coalesce(CASE WHEN " + whole + " < " + x + " THEN " + whole + " ELSE " + whole +
                        " - 1 END, 0))";
            else limit = "(CASE WHEN " + x + " = 1 THEN 1 ELSE 0 END)";
            rw.pre[o0 - b] = "(1 = 1 OR (" + std::string(kOperandStart) + rw.pre[o0 - b];
            rw.post[o1 - 1 - b] += std::string(kOperandEnd) + ") IS NULL)";
        }
        if (rn > o0) {
            rw.Skip(rn - 1);
            rw.Replace(rn, number ? "1 = 1" : "AND 1 = 1");
        } else {
            rw.Replace(rn, number ? "1 = 1" : "1 = 1 AND");
            rw.Skip(rn + 1);
        }
        const std::string lim = " LIMIT " + limit;
        if (order == SIZE_MAX) rw.post[stmtEnd - 1 - b] += lim;
        else {
            rw.pre[first - b] = "SELECT * FROM ( " + rw.pre[first - b];
            // OFFSET 0 keeps SQLite from reading the table backwards to suit the outer ORDER BY,
            // which would take the last rows instead of the first.
            rw.pre[order - b] += lim + " OFFSET 0 ) ";
        }
        return;
    }
}

// The outermost query's ROWNUM limit, and that of every query in parentheses inside the statement
// (IN (SELECT ... WHERE ROWNUM <= n), inline views).
void RownumLimits(Rewriter& rw, size_t from, size_t stmtEnd) {
    RownumLimit(rw, rw.b, from, stmtEnd, 0);
    for (size_t p = rw.b; p + 1 < stmtEnd; ++p) {
        if (!rw.Op(p, "(") || !rw.Word(p + 1, "SELECT") || rw.match[p] == SIZE_MAX) continue;
        const size_t end = rw.match[p];
        const int level = rw.depth[p + 1];
        size_t subFrom = end;
        for (size_t k = p + 2; k < end; ++k)
            if (rw.depth[k] == level && rw.Word(k, "FROM")) {
                subFrom = k;
                break;
            }
        if (subFrom < end) RownumLimit(rw, p + 1, subFrom, end, level);
    }
}

}  // namespace

std::string QuoteString(std::string_view v) {
    std::string r = "'";
    for (char c : v) {
        if (c == '\'') r += '\'';
        r += c;
    }
    return r + "'";
}

std::vector<size_t> MatchParens(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e) {
    std::vector<size_t> match(toks.size(), SIZE_MAX), stack;
    for (size_t i = b; i < e; ++i) {
        if (IsOp(text, toks[i], "(")) stack.push_back(i);
        else if (IsOp(text, toks[i], ")") && !stack.empty()) {
            match[i] = stack.back();
            match[stack.back()] = i;
            stack.pop_back();
        }
    }
    return match;
}

OraError NestingTooDeep(int offset) {
    OraError e = MakeErrorAt(offset, kOraTooDeep, "liteoci], [nesting deeper than " + std::to_string(kMaxNesting) +
                                                      " levels of parentheses or CASE");
    return e;
}

int Translation::MapOffset(int sqlOffset) const {
    if (map.empty() || sqlOffset < 0) return 0;
    auto it = std::upper_bound(map.begin(), map.end(), std::make_pair(static_cast<uint32_t>(sqlOffset), UINT32_MAX));
    if (it == map.begin()) return static_cast<int>(map.front().second);
    return static_cast<int>((it - 1)->second);
}

Classification Classify(std::string_view text, const std::vector<Token>& toks) {
    Classification c;
    size_t i = 0;
    while (i < toks.size() && IsOp(text, toks[i], "(")) ++i;
    if (i >= toks.size() || toks[i].kind != Tok::Word) return c;
    auto w = [&](size_t k, std::string_view word) { return k < toks.size() && IsWord(text, toks[k], word); };
    if (w(i, "SELECT") || w(i, "WITH")) c = {StmtClass::Query, 1};
    else if (i > 0) return c;
    else if (w(0, "UPDATE")) c = {StmtClass::Dml, 2};
    else if (w(0, "DELETE")) c = {StmtClass::Dml, 3};
    else if (w(0, "INSERT")) c = {StmtClass::Dml, 4};
    else if (w(0, "MERGE")) c = {StmtClass::Dml, 16};
    else if (w(0, "BEGIN")) c = {StmtClass::Block, 8};
    else if (w(0, "DECLARE")) c = {StmtClass::Block, 9};
    else if (w(0, "CALL")) c = {StmtClass::Block, 10};
    else if (w(0, "COMMIT")) c = {StmtClass::Commit, 21};
    else if (w(0, "EXPLAIN")) c = {StmtClass::Explain, 15};
    else if (w(0, "ROLLBACK")) c = {StmtClass::Rollback, 17};
    else if (w(0, "DROP"))
        c = {w(1, "PROCEDURE") || w(1, "FUNCTION") || w(1, "PACKAGE") || w(1, "TRIGGER") ? StmtClass::PlsqlUnit
                                                                                       : StmtClass::Ddl,
             6};
    else if (w(0, "TRUNCATE") || w(0, "RENAME")) c = {StmtClass::Ddl, 0};
    else if (w(0, "SAVEPOINT")) c = {StmtClass::Savepoint, 0};
    else if (w(0, "COMMENT")) c = {StmtClass::Comment, 0};
    else if (w(0, "GRANT") || w(0, "REVOKE") || w(0, "ANALYZE")) c = {StmtClass::Ignored, 0};
    else if (w(0, "SET") && w(1, "TRANSACTION")) c = {StmtClass::Ignored, 0};
    else if (w(0, "ALTER") && w(1, "SESSION")) c = {StmtClass::AlterSession, 7};
    else if (w(0, "ALTER")) {
        // ALTER TRIGGER and ALTER TABLE ... ENABLE|DISABLE ALL TRIGGERS change stored triggers
        bool triggers = w(1, "TRIGGER");
        for (size_t k = 2; k + 2 < toks.size() && !triggers; ++k)
            triggers = (w(k, "ENABLE") || w(k, "DISABLE")) && w(k + 1, "ALL") && w(k + 2, "TRIGGERS");
        c = {triggers ? StmtClass::PlsqlUnit : StmtClass::Ddl, 7};
    }
    else if (w(0, "CREATE")) {
        size_t k = 1;
        if (w(k, "OR") && w(k + 1, "REPLACE")) k += 2;
        if (w(k, "EDITIONABLE") || w(k, "NONEDITIONABLE")) ++k;
        bool unit = w(k, "PROCEDURE") || w(k, "FUNCTION") || w(k, "PACKAGE") || w(k, "TRIGGER") || w(k, "TYPE");
        c = {unit ? StmtClass::PlsqlUnit : StmtClass::Ddl, 5};
    }
    return c;
}

OraError Translate(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                   const TranslateOptions& options, Resolver& resolver, Translation& out) {
    Rewriter rw(text, toks, b, e);
    rw.match = MatchParens(text, toks, b, e);
    rw.depth.assign(toks.size(), 0);
    {
        int d = 0, cases = 0;
        for (size_t i = b; i < e; ++i) {
            if ((i & 0xffff) == 0 && Cancelled(options)) return MakeError(kOraCancelled);
            if (rw.Op(i, ")")) --d;
            if (d < 0) return MakeErrorAt(static_cast<int>(toks[i].pos), 933);
            rw.depth[i] = static_cast<uint16_t>(d);
            if (rw.Op(i, "(")) ++d;
            if (rw.Word(i, "CASE")) ++cases;
            else if (rw.Word(i, "END") && cases > 0) --cases;
            if (d > kMaxNesting || cases > kMaxNesting) return NestingTooDeep(static_cast<int>(toks[i].pos));
        }
        if (d > 0) {
            int at = e > b ? static_cast<int>(toks[e - 1].pos + toks[e - 1].len) : 0;
            return MakeErrorAt(at, 907);
        }
    }

    for (const Substitution& sub : options.substitutions) {
        if (sub.first < b || sub.end > e || sub.first >= sub.end) continue;
        rw.Replace(sub.first, sub.text);
        for (size_t q = sub.first + 1; q < sub.end; ++q) rw.Skip(q);
    }
    for (const auto& [k, more] : options.appends)
        if (k >= b && k < e) rw.post[k - b] += more;

    // Concatenation: Oracle treats NULL as empty text, so a || b || c becomes one function call.
    for (size_t i = b; i < e; ++i) {
        if (!rw.Op(i, "||") || rw.hasReplace[i - b]) continue;
        if (i == b || i + 1 >= e) return MakeErrorAt(static_cast<int>(toks[i].pos), 936);
        size_t left = rw.OperandStart(i - 1);
        rw.pre[left - b] += "LITEOCI_CONCAT(";
        size_t r = i;
        for (;;) {
            rw.Replace(r, ",");
            size_t end = rw.OperandEnd(r + 1);
            if (end >= e || !rw.Op(end, "||")) {
                rw.post[(end > r + 1 ? end - 1 : r) - b] += ")";
                break;
            }
            r = end;
        }
    }

    // Sums and differences. In Oracle a date plus or minus a number of days is a date, and a date
    // minus a date is a number of days; SQLite would read the date's text as a number. Every + and -
    // with something on either side that may be a date (anything but numbers and placeholders) goes
    // through a function that looks at the values. Terms bind tighter than + and -, and a sum is
    // read from the left, so each operator takes everything before it in its sum as its left side.
    {
        auto endsOperand = [&](size_t k) {  // a sign after token k is a binary operator
            const Token& t = toks[k];
            if (t.kind == Tok::Word) return !IsKeywordBeforeOperand(text, t);
            return t.kind != Tok::Op || rw.Op(k, ")");
        };
        auto isSign = [&](size_t k) { return rw.Op(k, "+") || rw.Op(k, "-"); };
        auto isTermOperator = [&](size_t k) { return rw.Op(k, "*") || rw.Op(k, "/") || rw.Op(k, "||"); };
        auto termEnd = [&](size_t j) {  // just after the term that starts at j
            size_t k = rw.OperandEnd(j);
            while (k + 1 < e && isTermOperator(k)) k = rw.OperandEnd(k + 1);
            return k;
        };
        auto termStart = [&](size_t j) {  // where the term that ends at token j starts
            size_t k = rw.OperandStart(j);
            while (k >= b + 2 && isTermOperator(k - 1)) k = rw.OperandStart(k - 2);
            while (k > b && isSign(k - 1) && (k - 1 == b || !endsOperand(k - 2))) --k;
            return k;
        };
        std::vector<uint32_t> identsBefore(e - b + 1, 0);  // operands that may hold text among [b, b + k)
        for (size_t k = b; k < e; ++k) identsBefore[k - b + 1] = identsBefore[k - b] + (MayHoldText(toks[k]) ? 1 : 0);
        auto mayBeDate = [&](size_t from, size_t to) { return identsBefore[to - b] > identsBefore[from - b]; };
        // Quotients and products first (see ArithmeticCall); the left side is the term back to the last + or -.
        for (size_t i = b + 1; i + 1 < e; ++i) {
            if (!(rw.Op(i, "/") || rw.Op(i, "*")) || !endsOperand(i - 1) || rw.hasReplace[i - b]) continue;
            if ((i & 0xffff) == 0 && Cancelled(options)) return MakeError(kOraCancelled);
            size_t left = rw.OperandStart(i - 1);
            while (left >= b + 2 && (rw.Op(left - 1, "*") || rw.Op(left - 1, "/"))) left = rw.OperandStart(left - 2);
            const size_t right = rw.OperandEnd(i + 1);
            if (right <= i + 1 || right > e || FollowsLiteral(toks, b, left) ||
                (rw.Op(i, "*") && !(mayBeDate(left, i) || mayBeDate(i + 1, right)))) continue;
            rw.calls[left - b] += rw.Op(i, "/") ? 'D' : 'M';
            rw.Replace(i, ",");
            rw.post[right - 1 - b] += ")";
        }
        std::vector<uint32_t> sumStart(e - b, UINT32_MAX);  // for each binary sign: where its left side starts
        for (size_t i = b + 1; i + 1 < e; ++i) {
            if ((i & 0xffff) == 0 && Cancelled(options)) return MakeError(kOraCancelled);
            if (!isSign(i) || !endsOperand(i - 1) || rw.hasReplace[i - b]) continue;
            const size_t leftTerm = termStart(i - 1);
            size_t left = leftTerm;
            if (left > b && sumStart[left - 1 - b] != UINT32_MAX) left = sumStart[left - 1 - b];
            sumStart[i - b] = static_cast<uint32_t>(left);
            const size_t right = termEnd(i + 1);
            if (right <= i + 1 || !(mayBeDate(left, i) || mayBeDate(i + 1, right))) continue;
            rw.calls[left - b] += rw.Op(i, "-") ? 'S' : 'A';
            rw.Replace(i, ",");
            rw.post[right - 1 - b] += ")";
        }
        // Each operator wrapped all before it that starts at the same token: the last call is outermost.
        for (size_t k = 0; k < e - b; ++k) {
            const std::string& calls = rw.calls.Get(k);
            if (calls.empty()) continue;
            std::string open;
            for (auto c = calls.rbegin(); c != calls.rend(); ++c)
                open += ArithmeticCall(*c);
            rw.pre[k] = open + rw.pre[k];
        }
    }

    // Multi-word Oracle type names become one word, so that SQLite keeps them as the declared type.
    for (size_t i = b; i + 1 < e; ++i) {
        if (rw.Word(i, "INTERVAL") && (rw.Word(i + 1, "YEAR") || rw.Word(i + 1, "DAY"))) {
            size_t k = i + 2;
            if (rw.Op(k, "(") && rw.match[k] != SIZE_MAX) k = rw.match[k] + 1;
            if (!rw.Word(k, "TO") || !(rw.Word(k + 1, "MONTH") || rw.Word(k + 1, "SECOND"))) continue;
            k += 2;
            if (rw.Op(k, "(") && rw.match[k] != SIZE_MAX) k = rw.match[k] + 1;
            rw.Replace(i, rw.Word(i + 1, "YEAR") ? "INTERVAL_YEAR_TO_MONTH" : "INTERVAL_DAY_TO_SECOND");
            for (size_t q = i + 1; q < k; ++q) rw.Skip(q);
        } else if (rw.Word(i, "TIMESTAMP") && toks[i + 1].kind != Tok::String) {
            size_t k = i + 1;
            if (rw.Op(k, "(") && rw.match[k] != SIZE_MAX) k = rw.match[k] + 1;
            if (!rw.Word(k, "WITH")) continue;
            bool local = rw.Word(k + 1, "LOCAL");
            size_t t = k + (local ? 2 : 1);
            if (!rw.Word(t, "TIME") || !rw.Word(t + 1, "ZONE")) continue;
            rw.Replace(i, local ? "TIMESTAMP_WITH_LOCAL_TIME_ZONE" : "TIMESTAMP_WITH_TIME_ZONE");
            for (size_t q = i + 1; q < t + 2; ++q) rw.Skip(q);
        }
    }

    size_t stmtEnd = e;
    if (options.query) {
        // FOR UPDATE locks in Oracle; here it opens a write transaction instead.
        for (size_t i = b; i + 1 < e; ++i) {
            if (rw.depth[i] == 0 && rw.Word(i, "FOR") && rw.Word(i + 1, "UPDATE")) {
                out.forUpdate = true;
                for (size_t k = i; k < e; ++k) rw.Skip(k);
                stmtEnd = i;
                break;
            }
        }
        size_t sel = SIZE_MAX;
        for (size_t i = b; i < stmtEnd; ++i)
            if (rw.depth[i] == 0 && rw.Word(i, "SELECT")) {
                sel = i;
                break;
            }
        if (sel != SIZE_MAX) {
            size_t i = sel + 1;
            if (rw.Word(i, "UNIQUE")) rw.Replace(i, "DISTINCT"), ++i;
            else if (rw.Word(i, "DISTINCT") || rw.Word(i, "ALL")) ++i;
            size_t from = stmtEnd;
            for (size_t k = i; k < stmtEnd; ++k)
                if (rw.depth[k] == 0 && (rw.Word(k, "FROM") || rw.Word(k, "INTO") ||
                                         IsClauseEnd(text, toks[k], k + 1 < stmtEnd ? &toks[k + 1] : nullptr))) {
                    from = k;
                    break;
                }
            // Select list items and the names Oracle gives their columns.
            size_t s = i;
            for (size_t k = i; k <= from; ++k) {
                if (k < from && !(rw.depth[k] == 0 && rw.Op(k, ","))) continue;
                SelectItem item;
                item.first = s;
                item.last = k;
                size_t n = k - s;
                if (n == 0) return MakeErrorAt(static_cast<int>(k < e ? toks[k].pos : 0), 936);
                if (rw.Op(k - 1, "*") && (n == 1 || (n >= 3 && rw.Op(k - 2, ".")))) {
                    item.star = true;
                } else {
                    size_t aliasTok = SIZE_MAX;
                    if (n >= 2 && IsName(toks[k - 1]) && !rw.EndsWithKeyword(k - 1) && !rw.Op(k - 2, ".")) {
                        const Token& p = toks[k - 2];
                        if (rw.Word(k - 2, "AS")) aliasTok = k - 1;
                        else if (p.kind == Tok::String || p.kind == Tok::Number || p.kind == Tok::Bind ||
                                 rw.Op(k - 2, ")") || rw.Word(k - 2, "END"))
                            aliasTok = k - 1;
                        // "a b" is an alias, "a b c" is not: the error then points at "c" as on the server
                        else if (IsName(p) && !(k >= s + 3 && IsName(toks[k - 3])))
                            aliasTok = k - 1;
                    }
                    if (aliasTok != SIZE_MAX) {
                        item.name = IdentName(text, toks[aliasTok]);
                        rw.Skip(aliasTok);
                        item.last = aliasTok;
                        if (rw.Word(aliasTok - 1, "AS")) rw.Skip(aliasTok - 1), item.last = aliasTok - 1;
                    } else {
                        bool chain = IsName(toks[s]);
                        for (size_t q = s + 1; chain && q < k; q += 2)
                            chain = q + 1 < k && rw.Op(q, ".") && IsName(toks[q + 1]);
                        if (chain) {
                            item.name = IdentName(text, toks[k - 1]);
                        } else {
                            for (size_t q = s; q < k; ++q) {
                                std::string_view tt = TokText(text, toks[q]);
                                if (toks[q].kind == Tok::QIdent) item.name += tt;
                                else item.name += Upper(tt);
                            }
                        }
                    }
                    if (item.last > item.first) rw.post[item.last - 1 - b] += " AS " + QuoteIdentifier(item.name);
                }
                out.items.push_back(std::move(item));
                s = k + 1;
            }
            // The tables of the FROM clause, for typing expressions later.
            if (from < stmtEnd && rw.Word(from, "FROM")) {
                size_t k = from + 1;
                while (k < stmtEnd && !(rw.depth[k] == 0 && IsClauseEnd(text, toks[k]))) {
                    if (rw.depth[k] == 0 && IsName(toks[k])) {
                        size_t nameTok = k;
                        if (k + 2 < stmtEnd && rw.Op(k + 1, ".") && IsName(toks[k + 2])) nameTok = k + 2;
                        std::string table = IdentName(text, toks[nameTok]);
                        size_t a = nameTok + 1;
                        if (rw.Word(a, "AS")) ++a;
                        std::string alias = table;
                        if (a < stmtEnd && IsName(toks[a]) && !IsClauseEnd(text, toks[a]) && !rw.Word(a, "JOIN") &&
                            !rw.Word(a, "ON") && !rw.Word(a, "INNER") && !rw.Word(a, "LEFT") &&
                            !rw.Word(a, "RIGHT") && !rw.Word(a, "FULL") && !rw.Word(a, "CROSS") &&
                            !rw.Word(a, "NATURAL") && !rw.Word(a, "USING")) {
                            alias = IdentName(text, toks[a]);
                            ++a;
                        }
                        out.tables.emplace_back(alias, table);
                        // skip to the next table reference
                        k = a;
                        while (k < stmtEnd && !(rw.depth[k] == 0 && (rw.Op(k, ",") || rw.Word(k, "JOIN") ||
                                                                     IsClauseEnd(text, toks[k]))))
                            ++k;
                        if (k < stmtEnd && !IsClauseEnd(text, toks[k])) ++k;
                        continue;
                    }
                    ++k;
                }
            }
            RownumLimits(rw, from, stmtEnd);
        }
    }

    // Emit.
    std::string& sql = out.sql;
    sql.reserve(text.size() + 64);
    for (size_t i = b; i < e; ++i) {
        const size_t r = i - b;
        if (!rw.pre.Get(r).empty()) {
            if (!sql.empty() && sql.back() != ' ') sql += ' ';
            sql += rw.pre.Get(r);
        }
        if (rw.skip[r]) {
            sql += rw.post.Get(r);
            continue;
        }
        if (!sql.empty() && sql.back() != ' ') sql += ' ';
        out.map.emplace_back(static_cast<uint32_t>(sql.size()), toks[i].pos);
        const Token& t = toks[i];
        if (rw.hasReplace[r]) {
            sql += rw.replace.Get(r);
        } else {
            switch (t.kind) {
                case Tok::Word: {
                    std::string w = Upper(TokText(text, t));
                    if (w.compare(0, kInternalPrefix.size(), kInternalPrefix) == 0)
                        return MakeErrorAt(static_cast<int>(t.pos), 942);
                    bool call = rw.Op(i + 1, "(");
                    bool qualified = (i > b && rw.Op(i - 1, ".")) || rw.Op(i + 1, ".");
                    // sequence.NEXTVAL and sequence.CURRVAL
                    if (!(i > b && rw.Op(i - 1, ".")) && rw.Op(i + 1, ".") &&
                        (rw.Word(i + 2, "NEXTVAL") || rw.Word(i + 2, "CURRVAL"))) {
                        sql += rw.Word(i + 2, "NEXTVAL") ? "LITEOCI_NEXTVAL(" : "LITEOCI_CURRVAL(";
                        sql += QuoteString(IdentName(text, t)) + ")";
                        rw.Skip(i + 1);
                        rw.Skip(i + 2);
                        break;
                    }
                    int var = (!call && !qualified) ? resolver.Variable(w) : -1;
                    if (var >= 0) {
                        out.params.push_back({ParamRef::Variable, var});
                        sql += "?" + std::to_string(out.params.size());
                        break;
                    }
                    if ((w == "DATE" || w == "TIMESTAMP") && i + 1 < e && toks[i + 1].kind == Tok::String) {
                        std::string v = StringValue(text, toks[i + 1]);
                        DateTime dt;
                        if (!ParseStoredDate(v.data(), v.size(), dt) &&
                            !(v.size() > 19 && ParseStoredDate(v.data(), 19, dt)))
                            return MakeErrorAt(static_cast<int>(toks[i + 1].pos), DatetimeLiteralError(v));
                        sql += QuoteString(StoreDate(dt));
                        rw.Skip(i + 1);
                        sql += rw.post.Get(r);
                        ++i;
                        sql += rw.post.Get(i - b);
                        continue;
                    }
                    if (!qualified && !call && (w == "SYSDATE" || w == "SYSTIMESTAMP" || w == "CURRENT_DATE")) {
                        sql += "SYSDATE()";
                        break;
                    }
                    if (!qualified && !call && w == "USER") {
                        sql += "LITEOCI_USER()";
                        break;
                    }
                    if (!qualified && !call && w == "LEVEL" && !options.levelText.empty()) {
                        sql += options.levelText;
                        break;
                    }
                    if (!qualified && w == "ROWNUM") {
                        sql += "(ROW_NUMBER() OVER ())";
                        break;
                    }
                    // "VARCHAR2(20 BYTE)": the length semantics word has no meaning here
                    if ((w == "BYTE" || w == "CHAR") && i > b && toks[i - 1].kind == Tok::Number && rw.Op(i + 1, ")")) {
                        if (!sql.empty() && sql.back() == ' ') sql.pop_back();
                        break;
                    }
                    bool renamed = false;
                    if (call)
                        for (const Rename& rn : kFunctionRenames)
                            if (w == rn.oracle) sql += rn.sqlite, renamed = true;
                    for (const Rename& rn : kWordRenames)
                        if (rn.sqlite && w == rn.oracle) sql += rn.sqlite, renamed = true;
                    // "#" may stand in an Oracle name (STATISTIC#) but not in an unquoted SQLite one.
                    if (!renamed) sql += w.find('#') == std::string::npos ? w : "\"" + w + "\"";
                    break;
                }
                case Tok::QIdent: {
                    std::string_view v = TokText(text, t);
                    if (Upper(v.substr(1)).compare(0, kInternalPrefix.size(), kInternalPrefix) == 0)
                        return MakeErrorAt(static_cast<int>(t.pos), 942);
                    sql += v;
                    break;
                }
                case Tok::String: {
                    std::string v = StringValue(text, t);
                    sql += v.empty() ? std::string("NULL") : QuoteString(v);  // '' is NULL in Oracle
                    break;
                }
                case Tok::Number: sql += TokText(text, t); break;
                case Tok::Bind: {
                    out.params.push_back(resolver.Placeholder(TokText(text, t).substr(1)));
                    sql += "?" + std::to_string(out.params.size());
                    break;
                }
                case Tok::Op: {
                    std::string_view o = TokText(text, t);
                    if (o == ";" && !options.allowSemicolon) return MakeErrorAt(static_cast<int>(t.pos), 911);
                    if (o == "!=" || o == "^=") sql += "<>";
                    else sql += o;
                    break;
                }
            }
        }
        sql += rw.post.Get(r);
    }
    FillRownumOperand(sql);
    return {};
}

}  // namespace liteoci
