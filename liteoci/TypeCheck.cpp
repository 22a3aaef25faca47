#include "TypeCheck.h"

#include "GroupCheck.h"
#include "OraCodes.h"

namespace liteoci {
namespace {

const char* KindName(ValueKind k) {
    return k == ValueKind::Number ? "NUMBER" : k == ValueKind::Date ? "DATE" : k == ValueKind::Text ? "CHAR" : "-";
}

struct Typer {
    std::string_view text;
    const std::vector<Token>& toks;
    const QueryShape& shape;
    const ColumnKind& kindOf;
    const std::vector<std::pair<std::string, std::string>>* from = nullptr;  // of the block being looked at

    bool W(size_t i, std::string_view w) const { return i < toks.size() && IsWord(text, toks[i], w); }
    bool O(size_t i, std::string_view o) const { return i < toks.size() && IsOp(text, toks[i], o); }
    size_t Close(size_t open) const { return shape.match[open] == SIZE_MAX ? toks.size() : shape.match[open]; }

    ValueKind Column(const std::string& qualifier, const std::string& name) const {
        if (!kindOf || !from) return ValueKind::Unknown;
        ValueKind found = ValueKind::Unknown;
        int tables = 0;
        for (const auto& [alias, table] : *from) {
            if (!qualifier.empty() && qualifier != alias) continue;
            if (table.empty()) return ValueKind::Unknown;  // an inline view may have the column
            ValueKind k = kindOf(table, name);
            if (k != ValueKind::Unknown) found = k, ++tables;
        }
        return tables == 1 ? found : ValueKind::Unknown;
    }

    // The kind of the expression [b, e); Unknown unless its form tells.
    ValueKind Infer(size_t b, size_t e, int depth = 0) const {
        while (e > b + 1 && O(b, "(") && Close(b) == e - 1) ++b, --e;
        if (b >= e || depth > 4) return ValueKind::Unknown;
        // a || b is text; sums and products of numbers are numbers
        bool arithmetic = false, allNumbers = true;
        size_t s = b;
        for (size_t i = b; i <= e; ++i) {
            if (i < e && O(i, "(")) {
                i = Close(i);
                continue;
            }
            if (i < e && W(i, "CASE")) return ValueKind::Unknown;
            if (i < e && O(i, "||")) return ValueKind::Text;
            const bool op = i < e && (O(i, "+") || O(i, "-") || O(i, "*") || O(i, "/"));
            if (!op && i < e) continue;
            if (op) arithmetic = true;
            if (arithmetic && (i > s || i == e)) allNumbers = allNumbers && i > s && Infer(s, i, depth + 1) == ValueKind::Number;
            s = i + 1;
        }
        if (arithmetic) return allNumbers ? ValueKind::Number : ValueKind::Unknown;
        const Token& t = toks[b];
        if (e == b + 1) {
            if (t.kind == Tok::Number) return ValueKind::Number;
            if (t.kind == Tok::String) return ValueKind::Text;
            if (W(b, "SYSDATE") || W(b, "CURRENT_DATE")) return ValueKind::Date;
            if (W(b, "ROWNUM") || W(b, "LEVEL")) return ValueKind::Number;
            if (W(b, "USER")) return ValueKind::Text;
            if (IsName(t)) return Column("", IdentName(text, t));
            return ValueKind::Unknown;
        }
        if (e == b + 2 && W(b, "DATE") && toks[b + 1].kind == Tok::String) return ValueKind::Date;
        if (e == b + 3 && IsName(t) && O(b + 1, ".") && IsName(toks[b + 2])) {
            if (W(b + 2, "NEXTVAL") || W(b + 2, "CURRVAL")) return ValueKind::Number;
            return Column(IdentName(text, t), IdentName(text, toks[b + 2]));
        }
        if (t.kind == Tok::Word && O(b + 1, "(") && Close(b + 1) == e - 1) {
            const std::string f = IdentName(text, t);
            static const char* const kNumber[] = {"COUNT", "SUM", "AVG", "LENGTH", "INSTR", "TO_NUMBER", "ABS", "MOD",
                                                  "CEIL", "FLOOR", "POWER", "SQRT", "SIGN", "MONTHS_BETWEEN",
                                                  "ROW_NUMBER", "STDDEV", "VARIANCE", "LN", "EXP", "LOG"};
            static const char* const kDate[] = {"TO_DATE", "ADD_MONTHS", "LAST_DAY", "NEXT_DAY"};
            static const char* const kText[] = {"TO_CHAR", "UPPER", "LOWER", "INITCAP", "SUBSTR", "LPAD", "RPAD",
                                                "LTRIM", "RTRIM", "TRIM", "REPLACE", "CONCAT", "CHR"};
            for (const char* n : kNumber)
                if (f == n) return ValueKind::Number;
            for (const char* n : kDate)
                if (f == n) return ValueKind::Date;
            for (const char* n : kText)
                if (f == n) return ValueKind::Text;
            if (f == "MIN" || f == "MAX" || f == "NVL") {
                size_t k = b + 2;
                while (k < e - 1 && !O(k, ",")) k = O(k, "(") ? Close(k) + 1 : k + 1;
                if (f == "NVL" || !W(b + 2, "DISTINCT")) return Infer(b + 2, k, depth + 1);
            }
        }
        return ValueKind::Unknown;
    }

    // The items of a select list [b, e), each as [first, last).
    std::vector<std::pair<size_t, size_t>> Items(size_t b, size_t e) const {
        std::vector<std::pair<size_t, size_t>> out;
        size_t s = b;
        for (size_t i = b; i <= e; ++i) {
            if (i < e && O(i, "(")) {
                i = Close(i);
                continue;
            }
            if (i < e && !O(i, ",")) continue;
            size_t last = i;
            // an alias is no part of the expression
            if (last >= s + 2 && IsName(toks[last - 1]) && !O(last - 2, ".") &&
                (toks[last - 2].kind != Tok::Op || O(last - 2, ")"))) {
                --last;
                if (W(last - 1, "AS")) --last;
            }
            out.emplace_back(s, last);
            s = i + 1;
        }
        return out;
    }

    // A primary expression ending at token j: where it starts, or SIZE_MAX when it is none.
    size_t PrimaryStart(size_t j, size_t b) const {
        if (O(j, ")")) {
            size_t open = shape.match[j];
            if (open == SIZE_MAX || open < b) return SIZE_MAX;
            if (W(open + 1, "SELECT") || W(open + 1, "WITH")) return SIZE_MAX;
            if (open > b && toks[open - 1].kind == Tok::Word) return open - 1;
            return open;
        }
        if (toks[j].kind == Tok::String) return j > b && W(j - 1, "DATE") ? j - 1 : j;
        if (toks[j].kind == Tok::Number) return j;
        if (!IsName(toks[j])) return SIZE_MAX;
        size_t i = j;
        while (i >= b + 2 && O(i - 1, ".") && IsName(toks[i - 2])) i -= 2;
        return i;
    }
    // A primary expression starting at token i: just past it, or SIZE_MAX when it is none.
    size_t PrimaryEnd(size_t i, size_t e) const {
        if (i >= e) return SIZE_MAX;
        if (O(i, "(")) return SIZE_MAX;
        if (W(i, "DATE") && i + 1 < e && toks[i + 1].kind == Tok::String) return i + 2;
        if (toks[i].kind == Tok::String || toks[i].kind == Tok::Number) return i + 1;
        if (!IsName(toks[i])) return SIZE_MAX;
        size_t j = i + 1;
        while (j + 1 < e && O(j, ".") && IsName(toks[j + 1])) j += 2;
        if (O(j, "(")) return Close(j) + 1;
        return j;
    }
};

bool IsComparison(std::string_view text, const Token& t);

// A function whose arguments are numbers: a text given to it is read as one (SQLite would read it as 0).
bool NumericArguments(const Typer& ty, size_t f) {
    static const char* const kNames[] = {"SUM",  "AVG", "ABS", "CEIL", "FLOOR", "SQRT",     "SIGN",   "EXP",
                                         "LN",   "MOD", "POWER", "REMAINDER", "STDDEV", "VARIANCE", "MEDIAN"};
    for (const char* n : kNames)
        if (ty.W(f, n)) return true;
    return false;
}

// Each argument of the call whose "(" is `open` that is a text gets TO_NUMBER: ORA-01722 when it is no number.
void NumberArguments(const Typer& ty, size_t open, std::vector<std::pair<size_t, std::string>>& appends) {
    const size_t close = ty.Close(open);
    if (close >= ty.toks.size()) return;
    size_t s = open + 1;
    if (ty.W(s, "DISTINCT") || ty.W(s, "ALL")) ++s;
    for (size_t k = s; k <= close; ++k) {
        if (k < close && ty.O(k, "(")) {
            k = ty.Close(k);
            continue;
        }
        if (k < close && !ty.O(k, ",")) continue;
        if (k > s && !ty.W(k - 1, "OVER") && ty.Infer(s, k) == ValueKind::Text) {
            appends.emplace_back(s - 1, " TO_NUMBER(");
            appends.emplace_back(k - 1, ")");
        }
        s = k + 1;
    }
}

// x [NOT] IN (a, b, ...) with `in` the IN and `open` its "(": a text x with a number in the list, or a text
// in the list of a number x, is read as a number.
void NumberInList(const Typer& ty, size_t b, size_t in, size_t open,
                  std::vector<std::pair<size_t, std::string>>& appends) {
    if (!ty.O(open, "(") || ty.W(open + 1, "SELECT") || ty.W(open + 1, "WITH")) return;
    const size_t close = ty.Close(open);
    const size_t l = ty.PrimaryStart(in - 1, b);
    if (close >= ty.toks.size() || l == SIZE_MAX || l == 0) return;
    const Token& before = ty.toks[l - 1];
    if (!(before.kind == Tok::Word || ty.O(l - 1, "(") || ty.O(l - 1, ","))) return;
    const ValueKind x = ty.Infer(l, in);
    if (x != ValueKind::Text && x != ValueKind::Number) return;
    std::vector<std::pair<size_t, size_t>> texts;
    bool number = false;
    for (size_t k = open + 1, s = k; k <= close; ++k) {
        if (k < close && ty.O(k, "(")) {
            k = ty.Close(k);
            continue;
        }
        if (k < close && !ty.O(k, ",")) continue;
        const ValueKind v = k > s ? ty.Infer(s, k) : ValueKind::Unknown;
        if (v == ValueKind::Number) number = true;
        if (v == ValueKind::Text) texts.emplace_back(s, k);
        s = k + 1;
    }
    if (x == ValueKind::Text && number) {
        appends.emplace_back(l - 1, " TO_NUMBER(");
        appends.emplace_back(in - 1, ")");
    } else if (x == ValueKind::Number) {
        for (auto [s, k] : texts) {
            appends.emplace_back(s - 1, " TO_NUMBER(");
            appends.emplace_back(k - 1, ")");
        }
    }
}

// x [NOT] BETWEEN y AND z, with `at` the BETWEEN, as the two comparisons it stands for.
OraError CheckBetween(const Typer& ty, size_t b, size_t e, size_t at,
                      std::vector<std::pair<size_t, std::string>>* appends) {
    const size_t xEnd = ty.W(at - 1, "NOT") ? at - 1 : at;
    const size_t l = ty.PrimaryStart(xEnd - 1, b), yEnd = ty.PrimaryEnd(at + 1, e);
    if (l == SIZE_MAX || l == 0 || yEnd == SIZE_MAX || !ty.W(yEnd, "AND")) return {};
    const size_t zEnd = ty.PrimaryEnd(yEnd + 1, e);
    if (zEnd == SIZE_MAX || zEnd > e) return {};
    const Token& before = ty.toks[l - 1];
    const bool xWhole = before.kind == Tok::Word || ty.O(l - 1, "(") || ty.O(l - 1, ",");
    const bool zWhole = zEnd >= e || ty.toks[zEnd].kind == Tok::Word || ty.O(zEnd, ")") || ty.O(zEnd, ",");
    if (!xWhole || !zWhole || ty.W(l, "ROWNUM") || ty.W(l, "LEVEL")) return {};
    const ValueKind x = ty.Infer(l, xEnd);
    const std::pair<size_t, size_t> bounds[] = {{at + 1, yEnd}, {yEnd + 1, zEnd}};
    bool numbers = false;
    for (auto [s, k] : bounds) {
        const ValueKind v = ty.Infer(s, k);
        if ((x == ValueKind::Date && v == ValueKind::Number) || (x == ValueKind::Number && v == ValueKind::Date))
            return MakeErrorAt(static_cast<int>(ty.toks[s].pos), kOraInconsistentTypes, KindName(x), KindName(v));
        numbers = numbers || v == ValueKind::Number;
        if (appends && x == ValueKind::Number && v == ValueKind::Text) {
            appends->emplace_back(s - 1, " TO_NUMBER(");
            appends->emplace_back(k - 1, ")");
        }
    }
    if (appends && x == ValueKind::Text && numbers) {
        appends->emplace_back(l - 1, " TO_NUMBER(");
        appends->emplace_back(xEnd - 1, ")");
    }
    return {};
}

// The comparisons of [b, e) outside the query blocks nested there, with the tables `from`: a date with a
// number is ORA-00932; a text compared with a number is read as a number (SQLite would compare it as
// text), ORA-01722 when it is none.
OraError CheckComparisons(Typer& ty, const std::vector<std::pair<std::string, std::string>>& from, size_t b,
                          size_t e, std::vector<std::pair<size_t, std::string>>* appends) {
    const auto& toks = ty.toks;
    ty.from = &from;
    for (size_t i = b; i + 1 < e; ++i) {
        if (ty.O(i, "(") && (ty.W(i + 1, "SELECT") || ty.W(i + 1, "WITH"))) {  // a block of its own
            i = ty.Close(i);
            continue;
        }
        if (appends && toks[i].kind == Tok::Word && ty.O(i + 1, "(") && NumericArguments(ty, i)) {
            NumberArguments(ty, i + 1, *appends);
            continue;
        }
        if (appends && (ty.W(i, "IN") || (ty.W(i, "NOT") && ty.W(i + 1, "IN"))) && i > b) {
            const bool negated = !ty.W(i, "IN");
            NumberInList(ty, b, i, negated ? i + 2 : i + 1, *appends);
            if (negated) ++i;
            continue;
        }
        if (appends && ty.O(i, "-") && (i == b || toks[i - 1].kind == Tok::Op ? !ty.O(i - 1, ")")
                                                                             : ty.W(i - 1, "SELECT") || ty.W(i - 1, "WHERE") ||
                                                                                   ty.W(i - 1, "AND") || ty.W(i - 1, "OR") ||
                                                                                   ty.W(i - 1, "THEN") || ty.W(i - 1, "ELSE"))) {
            // a sign before a text reads it as a number
            const size_t r = ty.PrimaryEnd(i + 1, e);
            const bool whole = r != SIZE_MAX && (r >= e || toks[r].kind == Tok::Word || ty.O(r, ")") || ty.O(r, ","));
            if (whole && r <= e && ty.Infer(i + 1, r) == ValueKind::Text) {
                appends->emplace_back(i, " TO_NUMBER(");
                appends->emplace_back(r - 1, ")");
            }
            continue;
        }
        if (ty.W(i, "BETWEEN") && i > b + 1) {
            if (OraError err = CheckBetween(ty, b, e, i, appends)) return err;
            continue;
        }
        if (!IsComparison(ty.text, toks[i]) || i == b) continue;
        // only comparisons of whole operands at this level, in its function calls and conditions
        const size_t l = ty.PrimaryStart(i - 1, b), r = ty.PrimaryEnd(i + 1, e);
        if (l == SIZE_MAX || l == 0 || r == SIZE_MAX || r > e) continue;
        const Token& before = toks[l - 1];
        const bool leftWhole = before.kind == Tok::Word || ty.O(l - 1, "(") || ty.O(l - 1, ",");
        const bool rightWhole = r >= e || toks[r].kind == Tok::Word || ty.O(r, ")") || ty.O(r, ",");
        if (!leftWhole || !rightWhole || ty.W(l - 1, "PRIOR")) continue;
        const ValueKind x = ty.Infer(l, i), y = ty.Infer(i + 1, r);
        if ((x == ValueKind::Date && y == ValueKind::Number) || (x == ValueKind::Number && y == ValueKind::Date))
            return MakeErrorAt(static_cast<int>(toks[i + 1].pos), kOraInconsistentTypes, KindName(x), KindName(y));
        // SET c = v assigns; ROWNUM and LEVEL comparisons are rewritten elsewhere
        if (!appends || ty.shape.clause[i] == Clause::Set || ty.W(l, "ROWNUM") || ty.W(i + 1, "ROWNUM") ||
            ty.W(l, "LEVEL") || ty.W(i + 1, "LEVEL"))
            continue;
        if (x == ValueKind::Text && y == ValueKind::Number) {
            appends->emplace_back(l - 1, " TO_NUMBER(");
            appends->emplace_back(i - 1, ")");
        } else if (x == ValueKind::Number && y == ValueKind::Text) {
            appends->emplace_back(i, " TO_NUMBER(");
            appends->emplace_back(r - 1, ")");
        }
    }
    return {};
}

// INSERT INTO t (c1, c2, ...) VALUES (v1, v2, ...): a number given to a DATE column, or a date to a
// NUMBER column, is ORA-00932 at the value.
OraError CheckInsertedValues(Typer& ty, const QueryShape& shape) {
    const auto& toks = ty.toks;
    size_t t = shape.begin + 2;
    if (!ty.W(shape.begin, "INSERT") || !ty.W(shape.begin + 1, "INTO") || t >= shape.end || !IsName(toks[t]))
        return {};
    if (t + 2 < shape.end && ty.O(t + 1, ".") && IsName(toks[t + 2])) t += 2;
    const std::string table = IdentName(ty.text, toks[t]);
    size_t cols = t + 1;
    if (cols < shape.end && IsName(toks[cols]) && !ty.W(cols, "VALUES")) ++cols;  // an alias
    if (!ty.O(cols, "(")) return {};
    const size_t colsEnd = ty.Close(cols);
    if (colsEnd >= shape.end || !ty.W(colsEnd + 1, "VALUES") || !ty.O(colsEnd + 2, "(")) return {};
    const size_t vals = colsEnd + 2, valsEnd = ty.Close(vals);
    if (valsEnd >= shape.end) return {};
    const auto names = ty.Items(cols + 1, colsEnd), values = ty.Items(vals + 1, valsEnd);
    if (names.size() != values.size()) return {};
    const std::vector<std::pair<std::string, std::string>> from{{table, table}};
    ty.from = &from;
    for (size_t k = 0; k < names.size(); ++k) {
        if (names[k].second != names[k].first + 1 || !IsName(toks[names[k].first])) continue;
        const ValueKind c = ty.Column("", IdentName(ty.text, toks[names[k].first]));
        const ValueKind v = ty.Infer(values[k].first, values[k].second);
        if ((c == ValueKind::Date && v == ValueKind::Number) || (c == ValueKind::Number && v == ValueKind::Date))
            return MakeErrorAt(static_cast<int>(toks[values[k].first].pos), kOraInconsistentTypes, KindName(c),
                               KindName(v));
    }
    return {};
}

bool IsComparison(std::string_view text, const Token& t) {
    if (t.kind != Tok::Op) return false;
    std::string_view o = TokText(text, t);
    return o == "=" || o == "<>" || o == "!=" || o == "^=" || o == "<" || o == ">" || o == "<=" || o == ">=";
}

}  // namespace

OraError CheckTypes(std::string_view text, const std::vector<Token>& toks, const QueryShape& shape,
                    const ColumnKind& kindOf, std::vector<std::pair<size_t, std::string>>* appends) {
    Typer ty{text, toks, shape, kindOf};
    // The columns of the branches of a set operator: each takes the type of the first branch that tells it.
    struct Known {
        ValueKind kind = ValueKind::Unknown;
        size_t at = 0;  // the item that told it
    };
    std::vector<std::vector<Known>> chain(shape.blocks.size());
    for (size_t n = 0; n < shape.blocks.size(); ++n) {
        const QueryBlock& q = shape.blocks[n];
        if (!q.compound) continue;
        const auto items = ty.Items(q.listBegin, q.listEnd);
        const auto from = FromTables(text, toks, shape, q);
        ty.from = &from;
        std::vector<Known> kinds;
        if (q.previous != SIZE_MAX) kinds = std::move(chain[q.previous]);
        const bool check = q.previous != SIZE_MAX && kinds.size() == items.size() && !q.opaque;
        if (!check) kinds.assign(items.size(), Known{});
        for (size_t k = 0; k < items.size() && !q.opaque; ++k) {
            const ValueKind v = ty.Infer(items[k].first, items[k].second);
            if (v == ValueKind::Unknown) continue;
            if (kinds[k].kind == ValueKind::Unknown) kinds[k] = {v, items[k].first};
            else if (kinds[k].kind != v) return MakeErrorAt(static_cast<int>(toks[kinds[k].at].pos), kOraSetOperandTypes);
        }
        chain[n] = std::move(kinds);
    }
    // A date compared with a number, in any condition of a block.
    for (const QueryBlock& q : shape.blocks) {
        if (q.opaque) continue;
        const auto from = FromTables(text, toks, shape, q);
        if (OraError err = CheckComparisons(ty, from, q.select + 1, q.end, appends)) return err;
    }
    // ... and in the conditions and SET of UPDATE and DELETE, whose table is the one named first
    size_t t = shape.begin + 1;
    if (ty.W(shape.begin, "DELETE") && ty.W(t, "FROM")) ++t;
    if ((ty.W(shape.begin, "UPDATE") || ty.W(shape.begin, "DELETE")) && t < shape.end && IsName(toks[t])) {
        if (t + 2 < shape.end && ty.O(t + 1, ".") && IsName(toks[t + 2])) t += 2;
        std::vector<std::pair<std::string, std::string>> from{{IdentName(text, toks[t]), IdentName(text, toks[t])}};
        if (t + 1 < shape.end && IsName(toks[t + 1]) && !ty.W(t + 1, "SET") && !ty.W(t + 1, "WHERE"))
            from[0].first = IdentName(text, toks[t + 1]);
        if (OraError err = CheckComparisons(ty, from, t + 1, shape.end, appends)) return err;
    }
    return CheckInsertedValues(ty, shape);
}

}  // namespace liteoci
