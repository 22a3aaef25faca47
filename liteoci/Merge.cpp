#include "Merge.h"

#include <algorithm>
#include <climits>
#include <string>

#include "OraCodes.h"
#include "Translate.h"

namespace liteoci {
namespace {

struct Range {
    size_t b = SIZE_MAX, e = 0;
    bool given() const { return b != SIZE_MAX; }
};

struct Parser {
    std::string_view text;
    const std::vector<Token>& toks;
    size_t e;
    std::vector<size_t> match;
    std::vector<int> bindOrdinal;

    bool W(size_t i, std::string_view w) const { return i < e && IsWord(text, toks[i], w); }
    bool O(size_t i, std::string_view o) const { return i < e && IsOp(text, toks[i], o); }
    int At(size_t i) const { return static_cast<int>(i < e ? toks[i].pos : toks[e - 1].pos + toks[e - 1].len); }

    // From k to the first of `stops` at the statement's level (or its end).
    size_t Until(size_t k, std::initializer_list<std::string_view> stops) const {
        for (; k < e; ++k) {
            if (O(k, "(") && match[k] != SIZE_MAX) {
                k = match[k];
                continue;
            }
            for (std::string_view s : stops)
                if (W(k, s)) return k;
        }
        return e;
    }

    void Append(SubStatement& part, Range r) const {
        if (!r.given() || r.b >= r.e) return;
        part.slices.emplace_back(static_cast<uint32_t>(part.text.size()), toks[r.b].pos);
        part.text.append(text.substr(toks[r.b].pos, toks[r.e - 1].pos + toks[r.e - 1].len - toks[r.b].pos));
        for (size_t i = r.b; i < r.e; ++i)
            if (bindOrdinal[i] >= 0) part.bindSlots.push_back(bindOrdinal[i]);
    }
};

std::string Quoted(const std::string& name) {
    std::string r = "\"";
    for (char c : name) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

}  // namespace

OraError SplitMerge(std::string_view text, const std::vector<Token>& toks, std::vector<SubStatement>& parts) {
    Parser p{text, toks, toks.size(), MatchParens(text, toks, 0, toks.size()), std::vector<int>(toks.size(), -1)};
    int binds = 0;
    for (size_t i = 0; i < toks.size(); ++i)
        if (toks[i].kind == Tok::Bind) p.bindOrdinal[i] = binds++;
    const size_t e = p.e;
    auto name = [&](size_t i) { return i < e && IsName(toks[i]); };
    size_t k = 1;
    if (!p.W(k, "INTO")) return MakeErrorAt(p.At(k), kOraMissingKeyword);
    ++k;
    if (!name(k)) return MakeErrorAt(p.At(k), 903);
    Range target{k, k + 1};
    if (p.O(k + 1, ".") && name(k + 2)) k += 2, target.e = k + 1;
    std::string qualifier = IdentName(text, toks[k]);
    ++k;
    Range targetAlias;
    if (name(k) && !p.W(k, "USING")) {
        qualifier = IdentName(text, toks[k]);
        targetAlias = {k, k + 1};
        ++k;
    }
    if (!p.W(k, "USING")) return MakeErrorAt(p.At(k), kOraMissingKeyword);
    ++k;
    Range source{k, k};
    if (p.O(k, "(")) {
        if (p.match[k] == SIZE_MAX) return MakeErrorAt(p.At(e), 907);
        k = p.match[k] + 1;
    } else if (name(k)) {
        if (p.O(k + 1, ".") && name(k + 2)) k += 2;
        ++k;
    } else {
        return MakeErrorAt(p.At(k), 903);
    }
    if (name(k) && !p.W(k, "ON")) ++k;
    source.e = k;
    if (!p.W(k, "ON")) return MakeErrorAt(p.At(k), kOraMissingOnKeyword);
    ++k;
    if (!p.O(k, "(")) return MakeErrorAt(p.At(k), 906);
    if (p.match[k] == SIZE_MAX) return MakeErrorAt(p.At(e), 907);
    const Range cond{k + 1, p.match[k]};
    if (cond.b == cond.e) return MakeErrorAt(p.At(cond.e), kOraMissingExpression);
    k = cond.e + 1;

    Range set, updateWhere, deleteWhere, columns, values, insertWhere;
    bool update = false, insert = false;
    while (p.W(k, "WHEN")) {
        if (!update && p.W(k + 1, "MATCHED") && p.W(k + 2, "THEN") && p.W(k + 3, "UPDATE") && p.W(k + 4, "SET")) {
            update = true;
            set = {k + 5, p.Until(k + 5, {"WHERE", "DELETE", "WHEN"})};
            if (set.b == set.e) return MakeErrorAt(p.At(set.e), kOraMissingExpression);
            k = set.e;
            if (p.W(k, "WHERE")) {
                updateWhere = {k + 1, p.Until(k + 1, {"DELETE", "WHEN"})};
                k = updateWhere.e;
            }
            if (p.W(k, "DELETE")) {
                if (!p.W(k + 1, "WHERE")) return MakeErrorAt(p.At(k + 1), kOraMissingKeyword);
                deleteWhere = {k + 2, p.Until(k + 2, {"WHEN"})};
                k = deleteWhere.e;
            }
        } else if (!insert && p.W(k + 1, "NOT") && p.W(k + 2, "MATCHED") && p.W(k + 3, "THEN") && p.W(k + 4, "INSERT")) {
            insert = true;
            k += 5;
            if (p.O(k, "(")) {
                if (p.match[k] == SIZE_MAX) return MakeErrorAt(p.At(e), 907);
                columns = {k, p.match[k] + 1};
                k = columns.e;
            }
            if (!p.W(k, "VALUES")) return MakeErrorAt(p.At(k), 926);
            if (!p.O(k + 1, "(")) return MakeErrorAt(p.At(k + 1), 906);
            if (p.match[k + 1] == SIZE_MAX) return MakeErrorAt(p.At(e), 907);
            values = {k + 2, p.match[k + 1]};
            k = values.e + 1;
            if (p.W(k, "WHERE")) {
                insertWhere = {k + 1, p.Until(k + 1, {"WHEN"})};
                k = insertWhere.e;
            }
        } else {
            return MakeErrorAt(p.At(k + 1), kOraMissingKeyword);
        }
        for (Range r : {updateWhere, deleteWhere, insertWhere})
            if (r.given() && r.b == r.e) return MakeErrorAt(p.At(r.e), kOraMissingExpression);
    }
    if (!update && !insert) return MakeErrorAt(p.At(k), kOraMissingKeyword);
    if (k < e) return MakeErrorAt(p.At(k), kOraNotProperlyEnded);

    if (update) {
        // the columns SET changes, against the target's columns in the ON condition
        std::vector<std::string> changed;
        bool start = true;
        for (size_t i = set.b; i < set.e; ++i) {
            if (p.O(i, "(") && p.match[i] != SIZE_MAX) {
                if (start)
                    for (size_t j = i + 1; j < p.match[i]; ++j)
                        if (name(j) && !p.O(j + 1, ".")) changed.push_back(IdentName(text, toks[j]));
                i = p.match[i];
                start = false;
                continue;
            }
            if (p.O(i, ",")) {
                start = true;
                continue;
            }
            if (start && name(i)) {
                size_t last = i;
                while (p.O(last + 1, ".") && name(last + 2)) last += 2;
                changed.push_back(IdentName(text, toks[last]));
                i = last;
            }
            start = false;
        }
        for (size_t i = cond.b; i < cond.e; ++i) {
            if (!name(i) || (i > cond.b && p.O(i - 1, "."))) continue;
            size_t last = i;
            while (p.O(last + 1, ".") && name(last + 2)) last += 2;
            const bool ours = last == i || IdentName(text, toks[last - 2]) == qualifier;
            const std::string column = IdentName(text, toks[last]);
            if (ours && !p.O(last + 1, "(") && std::find(changed.begin(), changed.end(), column) != changed.end())
                return MakeErrorAt(p.At(i), kOraOnColumnUpdated, Quoted(qualifier) + "." + Quoted(column));
            i = last;
        }
    }

    const Range targetName{target.b, target.e};
    auto targetWithAlias = [&](SubStatement& part) {
        p.Append(part, targetName);
        if (targetAlias.given()) {
            part.text += ' ';
            p.Append(part, targetAlias);
        }
    };
    auto matchedWhere = [&](SubStatement& part) {
        part.text += " WHERE (";
        p.Append(part, cond);
        part.text += ")";
        if (updateWhere.given()) {
            part.text += " AND (";
            p.Append(part, updateWhere);
            part.text += ")";
        }
    };
    const std::string rowid = Quoted(qualifier) + ".ROWID";
    if (update) {
        SubStatement check;
        check.role = SubStatement::NoRow;
        check.error = kOraUnstableRows;
        check.text = "SELECT 1 FROM ";
        targetWithAlias(check);
        check.text += ", ";
        p.Append(check, source);
        matchedWhere(check);
        check.text += " GROUP BY " + rowid + " HAVING COUNT(*) > 1";
        parts.push_back(std::move(check));

        SubStatement upd;
        upd.text = "UPDATE ";
        targetWithAlias(upd);
        upd.text += " SET ";
        p.Append(upd, set);
        upd.text += " FROM ";
        p.Append(upd, source);
        matchedWhere(upd);
        parts.push_back(std::move(upd));
    }
    if (deleteWhere.given()) {
        SubStatement top;
        top.role = SubStatement::Remember;
        top.text = "SELECT MAX(ROWID) FROM ";
        p.Append(top, targetName);
        parts.push_back(std::move(top));
    }
    if (insert) {
        SubStatement ins;
        ins.text = "INSERT INTO ";
        p.Append(ins, targetName);
        if (columns.given()) {
            // the target's alias may qualify the columns: SQLite wants their names alone
            ins.text += " (";
            bool first = true;
            for (size_t i = columns.b + 1; i + 1 < columns.e; ++i) {
                if (!name(i) || p.O(i + 1, ".")) continue;
                ins.text += (first ? "" : ", ") + Quoted(IdentName(text, toks[i]));
                first = false;
            }
            ins.text += ")";
        }
        ins.text += " SELECT ";
        p.Append(ins, values);
        ins.text += " FROM ";
        p.Append(ins, source);
        ins.text += " WHERE NOT EXISTS (SELECT 1 FROM ";
        targetWithAlias(ins);
        ins.text += " WHERE (";
        p.Append(ins, cond);
        ins.text += "))";
        if (insertWhere.given()) {
            ins.text += " AND (";
            p.Append(ins, insertWhere);
            ins.text += ")";
        }
        parts.push_back(std::move(ins));
    }
    if (deleteWhere.given()) {
        SubStatement del;
        del.role = SubStatement::Uncounted;
        del.text = "DELETE FROM ";
        targetWithAlias(del);
        del.text += " WHERE " + rowid + " <= :top";
        del.bindSlots.push_back(SubStatement::kRemembered);
        del.text += " AND EXISTS (SELECT 1 FROM ";
        p.Append(del, source);
        matchedWhere(del);
        del.text += " AND (";
        p.Append(del, deleteWhere);
        del.text += "))";
        parts.push_back(std::move(del));
    }
    return {};
}

}  // namespace liteoci
