#include "DateForms.h"

#include <cstdint>
#include <string>

#include "OraCodes.h"
#include "OraFormat.h"
#include "TokenPass.h"

namespace liteoci {
namespace {

bool IsField(std::string_view text, const Token& t) {
    static const char* const kFields[] = {"YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND"};
    for (const char* f : kFields)
        if (IsWord(text, t, f)) return true;
    return false;
}

// A field of an interval qualifier at k, with its precisions "(p)" or "(p, f)": the token after it, and
// its text appended to `qualifier`; SIZE_MAX when there is none.
size_t QualifierField(std::string_view text, const std::vector<Token>& toks, size_t k, size_t e, std::string& qualifier) {
    if (k >= e || !IsField(text, toks[k])) return SIZE_MAX;
    qualifier += Upper(TokText(text, toks[k]));
    ++k;
    if (k < e && IsOp(text, toks[k], "(")) {
        qualifier += '(';
        ++k;
        while (k < e && !IsOp(text, toks[k], ")")) {
            if (toks[k].kind != Tok::Number && !IsOp(text, toks[k], ",")) return SIZE_MAX;
            qualifier += TokText(text, toks[k]);
            ++k;
        }
        if (k >= e) return SIZE_MAX;
        qualifier += ')';
        ++k;
    }
    return k;
}

size_t IntervalLiteral(std::string_view text, const std::vector<Token>& toks, size_t i, size_t e, std::string& qualifier) {
    if (i + 2 >= e || !IsWord(text, toks[i], "INTERVAL") || toks[i + 1].kind != Tok::String) return SIZE_MAX;
    qualifier.clear();
    size_t k = QualifierField(text, toks, i + 2, e, qualifier);
    if (k == SIZE_MAX) return SIZE_MAX;
    if (k + 1 < e && IsWord(text, toks[k], "TO") && IsField(text, toks[k + 1])) {
        qualifier += " TO ";
        k = QualifierField(text, toks, k + 1, e, qualifier);
    }
    return k;
}

// DAY [(p)] TO SECOND [(f)] at k: the token after it, SIZE_MAX when there is none.
size_t DayToSecond(std::string_view text, const std::vector<Token>& toks, size_t k, size_t e, std::string& qualifier) {
    if (k >= e || !IsWord(text, toks[k], "DAY")) return SIZE_MAX;
    qualifier.clear();
    k = QualifierField(text, toks, k, e, qualifier);
    if (k == SIZE_MAX || k + 1 >= e || !IsWord(text, toks[k], "TO") || !IsWord(text, toks[k + 1], "SECOND")) return SIZE_MAX;
    qualifier += " TO ";
    return QualifierField(text, toks, k + 1, e, qualifier);
}

struct DateForms : TokenPass {

    bool Qualified(size_t i) const { return (i > b && O(i - 1, ".")) || O(i + 1, "."); }
    void Substitute(size_t first, size_t end, std::string s) { options.substitutions.push_back({first, end, std::move(s)}); }

    void Extract() {
        static const char* const kFields[] = {"YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND", "TIMEZONE_HOUR",
                                              "TIMEZONE_MINUTE", "TIMEZONE_REGION", "TIMEZONE_ABBR"};
        for (size_t i = b; i + 4 < e; ++i) {
            if (!W(i, "EXTRACT") || Qualified(i) || !O(i + 1, "(") || !W(i + 3, "FROM")) continue;
            bool field = false;
            for (const char* f : kFields) field = field || W(i + 2, f);
            if (!field) continue;
            Substitute(i, i + 1, "LITEOCI_EXTRACT");
            Substitute(i + 2, i + 4, "'" + Upper(TokText(text, toks[i + 2])) + "',");
        }
    }

    void Intervals() {
        for (size_t i = b; i + 2 < e; ++i) {
            std::string qualifier;
            const size_t end = IntervalLiteral(text, toks, i, e, qualifier);
            if (end == SIZE_MAX) continue;
            std::string call =
                "LITEOCI_INTERVAL(" + QuoteString(StringValue(text, toks[i + 1])) + ", " + QuoteString(qualifier) + ")";
            Substitute(i, end, Product(i, end) + call);
            i = end - 1;
        }
        static const char* const kCalls[] = {"NUMTODSINTERVAL", "NUMTOYMINTERVAL", "TO_DSINTERVAL", "TO_YMINTERVAL"};
        for (size_t i = b; i + 1 < e; ++i) {
            bool call = false;
            for (const char* f : kCalls) call = call || W(i, f);
            if (!call || Qualified(i) || !O(i + 1, "(") || match[i + 1] == SIZE_MAX) continue;
            const std::string prefix = Product(i, match[i + 1] + 1);
            if (!prefix.empty()) Substitute(i, i + 1, prefix + Upper(TokText(text, toks[i])));
        }
    }

    // A number or placeholder: what an interval is multiplied by here.
    bool Factor(size_t k) const { return k >= b && k < e && (toks[k].kind == Tok::Number || toks[k].kind == Tok::Bind); }

    // interval * n and n * interval for the interval that takes tokens [first, end): SQLite would
    // multiply the interval's text as a number. Rewrites the product as LITEOCI_INTERVAL_TIMES(a, b)
    // and returns what goes before the interval's own text.
    std::string Product(size_t first, size_t end) {
        if (O(end, "*") && Factor(end + 1) && !O(end + 2, "*") && !O(end + 2, "/")) {
            Substitute(end, end + 1, ",");
            options.appends.emplace_back(end + 1, ")");
            return "LITEOCI_INTERVAL_TIMES(";
        }
        if (first >= b + 2 && O(first - 1, "*") && Factor(first - 2) &&
            !(first >= b + 3 && (O(first - 3, "*") || O(first - 3, "/")))) {
            Substitute(first - 2, first - 1, "LITEOCI_INTERVAL_TIMES(" + std::string(TokText(text, toks[first - 2])));
            Substitute(first - 1, first, ",");
            options.appends.emplace_back(end - 1, ")");
        }
        return {};
    }

    void Casts() {
        for (size_t i = b; i + 1 < e; ++i) {
            if (!W(i, "CAST") || Qualified(i) || !O(i + 1, "(") || match[i + 1] == SIZE_MAX) continue;
            const size_t close = match[i + 1];
            size_t as = SIZE_MAX;
            for (size_t k = i + 2; k < close; ++k) {
                if (O(k, "(") && match[k] != SIZE_MAX) k = match[k];
                else if (W(k, "AS")) as = k;
            }
            if (as == SIZE_MAX || as + 1 >= close) continue;
            const size_t t = as + 1;
            if (W(t, "CHAR") || W(t, "NCHAR")) {
                // the blank-padding CAST of OracleForms pads the value's Oracle text: a date's in the
                // session's format
                options.appends.emplace_back(i + 1, "LITEOCI_CAST(");
                options.appends.emplace_back(as - 1, ", 'VARCHAR2')");
                continue;
            }
            const bool character = W(t, "VARCHAR2") || W(t, "VARCHAR") || W(t, "NVARCHAR2");
            if (!character && !W(t, "DATE") && !W(t, "TIMESTAMP")) continue;
            std::string type = Upper(TokText(text, toks[t]));
            size_t k = t + 1;
            if (O(k, "(") && match[k] != SIZE_MAX && match[k] < close) {
                type += '(';
                for (size_t q = k + 1; q < match[k]; ++q)
                    if (toks[q].kind == Tok::Number) type += TokText(text, toks[q]);
                type += ')';
                k = match[k] + 1;
            }
            if (k != close) continue;  // TIMESTAMP WITH TIME ZONE and the like: as written
            Substitute(i, i + 1, "LITEOCI_CAST");
            Substitute(as, close, ", " + QuoteString(type));
        }
    }

    // (a - b) DAY TO SECOND: the difference as an interval of that precision (2 digits of days unless
    // it says otherwise), whether a and b are DATEs (a number of days) or TIMESTAMPs (an interval).
    void IntervalExpressions() {
        for (size_t i = b; i + 1 < e; ++i) {
            if (!O(i, "(") || match[i] == SIZE_MAX) continue;
            const size_t close = match[i];
            std::string qualifier;
            const size_t end = DayToSecond(text, toks, close + 1, e, qualifier);
            if (end == SIZE_MAX) continue;
            Substitute(i, i + 1, "LITEOCI_DAY_TO_SECOND(" + QuoteString(qualifier) + ", (");
            Substitute(close + 1, end, ")");
        }
    }

    void TimestampLiterals() {
        for (size_t i = b; i + 1 < e; ++i) {
            if (!W(i, "TIMESTAMP") || toks[i + 1].kind != Tok::String) continue;
            const std::string v = StringValue(text, toks[i + 1]);
            DateTime dt;
            // the translator reports a literal that is not a timestamp
            if (v.size() < 19 || !ParseStoredDate(v.data(), v.size(), dt)) continue;
            if (!dt.IsTimestamp()) dt.nanos = 0;
            Substitute(i, i + 2, QuoteString(StoreTimestamp(dt, 9)));
        }
    }

    void Now() {
        for (size_t i = b; i < e; ++i) {
            if (!(W(i, "SYSTIMESTAMP") || W(i, "CURRENT_TIMESTAMP") || W(i, "LOCALTIMESTAMP"))) continue;
            if (Qualified(i) || O(i + 1, "(") || (i > b && W(i - 1, "DEFAULT"))) continue;
            Substitute(i, i + 1, W(i, "LOCALTIMESTAMP") ? "LITEOCI_LOCALTIMESTAMP()" : "LITEOCI_SYSTIMESTAMP()");
        }
    }
};

}  // namespace

int DatetimeLiteralError(std::string_view literal) {
    DateFormat f;
    DateTime dt;
    f.Compile("YYYY-MM-DD HH24:MI:SS");
    const OraError e = f.Parse(literal, dt);
    static const int kMeaningful[] = {kOraNotValidMonth, kOraDayOfMonthRange, kOraDateNotValidForMonth,
                                      kOraHourRange,     kOraMinuteRange,     kOraSecondRange};
    for (int code : kMeaningful)
        if (e.code == code) return code;
    return kOraLiteralDoesNotMatch;
}

size_t IntervalExpressionStart(std::string_view text, const std::vector<Token>& toks, const std::vector<size_t>& match,
                               size_t b, size_t j, size_t e) {
    std::string qualifier;
    for (size_t k = j + 1; k-- > b + 1 && j - k < 10;)
        if (IsOp(text, toks[k - 1], ")") && match[k - 1] != SIZE_MAX && DayToSecond(text, toks, k, e, qualifier) == j + 1)
            return match[k - 1];
    return SIZE_MAX;
}

size_t IntervalLiteralEnd(std::string_view text, const std::vector<Token>& toks, size_t i, size_t e) {
    std::string qualifier;
    return IntervalLiteral(text, toks, i, e, qualifier);
}

void RewriteDateForms(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                      TranslateOptions& options) {
    DateForms f{{text, toks, b, e, MatchParens(text, toks, b, e), options}};
    f.Extract();
    f.Intervals();
    f.Casts();
    f.IntervalExpressions();
    f.TimestampLiterals();
    f.Now();
}

}  // namespace liteoci
