#include "MultiInsert.h"

#include <climits>

#include "OraCodes.h"
#include "Translate.h"

namespace liteoci {
namespace {

struct Into {
    size_t tableB = 0, tableE = 0;
    size_t colsB = SIZE_MAX, colsE = 0;  // the column list with its parentheses
    size_t valsB = SIZE_MAX, valsE = 0;  // inside the parentheses of VALUES
};

struct Group {
    size_t condB = SIZE_MAX, condE = 0;  // WHEN's condition; none for ELSE and unconditional INTOs
    bool otherwise = false;              // ELSE
    std::vector<Into> intos;
};

struct Splitter {
    std::string_view text;
    const std::vector<Token>& toks;
    size_t e;
    std::vector<size_t> match;
    std::vector<int> bindOrdinal;  // per token: its bind position, or -1

    bool W(size_t i, std::string_view w) const { return i < e && IsWord(text, toks[i], w); }
    bool O(size_t i, std::string_view o) const { return i < e && IsOp(text, toks[i], o); }
    int At(size_t i) const { return static_cast<int>(i < e ? toks[i].pos : toks[e - 1].pos + toks[e - 1].len); }
    bool Query(size_t i) const { return W(i, "SELECT") || W(i, "WITH") || (O(i, "(") && Query(i + 1)); }

    OraError ReadInto(size_t& k, Into& into) const {
        if (!W(k, "INTO")) return MakeErrorAt(At(k), kOraMissingKeyword);
        ++k;
        if (k >= e || !IsName(toks[k])) return MakeErrorAt(At(k), 903);
        into.tableB = k;
        if (O(k + 1, ".") && k + 2 < e && IsName(toks[k + 2])) k += 2;
        into.tableE = ++k;
        // an alias of the table: the values name the subquery's columns, so it has no use here
        if (k < e && IsName(toks[k]) && !W(k, "VALUES") && !W(k, "INTO") && !W(k, "WHEN") && !W(k, "ELSE") &&
            !W(k, "SELECT") && !W(k, "WITH"))
            ++k;
        if (O(k, "(") && !Query(k)) {
            if (match[k] == SIZE_MAX) return MakeErrorAt(At(e), 907);
            into.colsB = k;
            into.colsE = match[k] + 1;
            k = into.colsE;
        }
        if (W(k, "VALUES")) {
            if (!O(k + 1, "(")) return MakeErrorAt(At(k + 1), 906);
            if (match[k + 1] == SIZE_MAX) return MakeErrorAt(At(e), 907);
            into.valsB = k + 2;
            into.valsE = match[k + 1];
            if (into.valsE == into.valsB) return MakeErrorAt(At(into.valsE), kOraMissingExpression);
            k = into.valsE + 1;
        }
        return {};
    }

    OraError ReadIntos(size_t& k, Group& g) const {
        do {
            Into into;
            if (OraError err = ReadInto(k, into)) return err;
            g.intos.push_back(into);
        } while (W(k, "INTO"));
        return {};
    }

    // A slice of the user's text from token a to token b (exclusive) appended to part.
    void Append(SubStatement& part, size_t a, size_t b) const {
        if (a >= b) return;
        part.slices.emplace_back(static_cast<uint32_t>(part.text.size()), toks[a].pos);
        part.text.append(text.substr(toks[a].pos, toks[b - 1].pos + toks[b - 1].len - toks[a].pos));
        for (size_t i = a; i < b; ++i)
            if (bindOrdinal[i] >= 0) part.bindSlots.push_back(bindOrdinal[i]);
    }
};

}  // namespace

bool IsMultiInsert(std::string_view text, const std::vector<Token>& toks) {
    return toks.size() > 1 && IsWord(text, toks[0], "INSERT") &&
           (IsWord(text, toks[1], "ALL") || IsWord(text, toks[1], "FIRST"));
}

OraError SplitMultiInsert(std::string_view text, const std::vector<Token>& toks, std::vector<SubStatement>& parts) {
    Splitter sp{text, toks, toks.size(), MatchParens(text, toks, 0, toks.size()), std::vector<int>(toks.size(), -1)};
    int binds = 0;
    for (size_t i = 0; i < toks.size(); ++i)
        if (toks[i].kind == Tok::Bind) sp.bindOrdinal[i] = binds++;
    const bool first = sp.W(1, "FIRST");
    std::vector<Group> groups;
    size_t k = 2;
    if (sp.W(k, "WHEN")) {
        while (sp.W(k, "WHEN")) {
            Group g;
            g.condB = ++k;
            int depth = 0, cases = 0;
            for (; k < sp.e; ++k) {
                if (sp.O(k, "(")) ++depth;
                else if (sp.O(k, ")")) --depth;
                else if (depth == 0 && sp.W(k, "CASE")) ++cases;
                else if (depth == 0 && cases > 0 && sp.W(k, "END")) --cases;
                else if (depth == 0 && cases == 0 && sp.W(k, "THEN")) break;
            }
            if (k >= sp.e) return MakeErrorAt(sp.At(k), kOraMissingKeyword);
            g.condE = k++;
            if (g.condE == g.condB) return MakeErrorAt(sp.At(g.condE), kOraMissingExpression);
            if (OraError err = sp.ReadIntos(k, g)) return err;
            groups.push_back(std::move(g));
        }
        if (sp.W(k, "ELSE")) {
            Group g;
            g.otherwise = true;
            ++k;
            if (OraError err = sp.ReadIntos(k, g)) return err;
            groups.push_back(std::move(g));
        }
    } else {
        if (first) return MakeErrorAt(sp.At(k), kOraMissingKeyword);  // FIRST takes WHEN clauses only
        Group g;
        if (OraError err = sp.ReadIntos(k, g)) return err;
        groups.push_back(std::move(g));
    }
    if (!sp.Query(k)) return MakeErrorAt(sp.At(k), kOraMissingSelect);
    const size_t subB = k;
    // A subquery that reads a table the statement inserts into must see it as it was before the
    // statement: its rows are taken once into a table of the session's own, which the inserts read.
    bool readsTarget = false;
    {
        std::vector<std::string> targets;
        for (const Group& g : groups)
            for (const Into& into : g.intos) targets.push_back(IdentName(text, toks[into.tableE - 1]));
        for (size_t i = subB; i < sp.e && !readsTarget; ++i)
            if (IsName(toks[i]))
                for (const std::string& t : targets) readsTarget = readsTarget || IdentName(text, toks[i]) == t;
    }
    constexpr const char* kRows = "temp.\"liteoci rows\"";
    if (readsTarget) {
        SubStatement take;
        take.role = SubStatement::Materialize;
        take.text = "SELECT * FROM (";
        sp.Append(take, subB, sp.e);
        take.text += ")";
        parts.push_back(std::move(take));
    }

    // "CASE WHEN (c1) THEN 1 WHEN (c2) THEN 1 ELSE 0 END = 0" over the WHEN conditions before group `upTo`:
    // true when none of them is true (a condition that is NULL is not true)
    auto noneTrue = [&](SubStatement& part, size_t upTo) {
        part.text += "CASE";
        for (size_t g = 0; g < upTo; ++g) {
            if (groups[g].otherwise) continue;
            part.text += " WHEN (";
            sp.Append(part, groups[g].condB, groups[g].condE);
            part.text += ") THEN 1";
        }
        part.text += " ELSE 0 END = 0";
    };
    for (size_t g = 0; g < groups.size(); ++g) {
        for (const Into& into : groups[g].intos) {
            SubStatement part;
            part.text = "INSERT INTO ";
            sp.Append(part, into.tableB, into.tableE);
            if (into.colsB != SIZE_MAX) {
                part.text += ' ';
                sp.Append(part, into.colsB, into.colsE);
            }
            part.text += " SELECT ";
            if (into.valsB != SIZE_MAX) sp.Append(part, into.valsB, into.valsE);
            else part.text += '*';
            if (readsTarget) {
                part.text += std::string(" FROM ") + kRows;
                part.deferred = true;
            } else {
                part.text += " FROM (";
                sp.Append(part, subB, sp.e);
                part.text += ")";
            }
            const Group& grp = groups[g];
            if (grp.otherwise) {
                part.text += " WHERE ";
                noneTrue(part, g);
            } else if (grp.condB != SIZE_MAX) {
                part.text += " WHERE (";
                sp.Append(part, grp.condB, grp.condE);
                part.text += ")";
                if (first && g > 0) {
                    part.text += " AND ";
                    noneTrue(part, g);
                }
            }
            parts.push_back(std::move(part));
        }
    }
    if (readsTarget) {
        SubStatement drop;
        drop.role = SubStatement::Uncounted;
        drop.deferred = true;
        drop.text = std::string("DROP TABLE ") + kRows;
        parts.push_back(std::move(drop));
    }
    return {};
}

}  // namespace liteoci
