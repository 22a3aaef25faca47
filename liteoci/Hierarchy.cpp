#include "Hierarchy.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "OraCodes.h"

namespace liteoci {
namespace {

constexpr const char* kWalk = "\"liteoci$h\"";
constexpr const char* kWalkLevel = "\"liteoci$h\".\"LEVEL\"";
constexpr const char* kWalkPath = "\"liteoci$h\".\"liteoci$path\"";
constexpr const char* kWalkRowid = "\"liteoci$h\".\"liteoci$rid\"";

std::string QuoteName(const std::string& name) {
    std::string r = "\"";
    for (char c : name) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

// Where each clause of the query block starts (SIZE_MAX: absent).
struct Clauses {
    size_t select = SIZE_MAX, from = SIZE_MAX, where = SIZE_MAX, start = SIZE_MAX, connect = SIZE_MAX,
           group = SIZE_MAX, having = SIZE_MAX, order = SIZE_MAX;
    bool nocycle = false, siblings = false;
    size_t setOperator = SIZE_MAX;  // UNION and the like at the block's own level

    // The token just after the clause that starts at `at`.
    size_t EndOf(size_t at, size_t e) const {
        size_t end = e;
        for (size_t k : {select, from, where, start, connect, group, having, order, setOperator})
            if (k != SIZE_MAX && k > at && k < end) end = k;
        return end;
    }
};

struct Reader {
    std::string_view text;
    const std::vector<Token>& toks;
    size_t b, e;
    std::vector<size_t> match;

    bool Word(size_t i, std::string_view w) const { return i < e && IsWord(text, toks[i], w); }
    bool Op(size_t i, std::string_view o) const { return i < e && IsOp(text, toks[i], o); }
    int At(size_t i) const { return static_cast<int>(i < toks.size() ? toks[i].pos : (toks.empty() ? 0 : toks.back().pos)); }

    Clauses Find() const {
        Clauses c;
        for (size_t i = b; i < e; ++i) {
            if (Op(i, "(") && match[i] != SIZE_MAX) {
                i = match[i];
                continue;
            }
            if (Word(i, "SELECT") && c.select == SIZE_MAX) c.select = i;
            else if (Word(i, "FROM") && c.from == SIZE_MAX) c.from = i;
            else if (Word(i, "WHERE") && c.where == SIZE_MAX) c.where = i;
            else if (Word(i, "START") && Word(i + 1, "WITH") && c.start == SIZE_MAX) c.start = i;
            else if (Word(i, "CONNECT") && Word(i + 1, "BY") && c.connect == SIZE_MAX) {
                c.connect = i;
                c.nocycle = Word(i + 2, "NOCYCLE");
            } else if (Word(i, "GROUP") && Word(i + 1, "BY") && c.group == SIZE_MAX) c.group = i;
            else if (Word(i, "HAVING") && c.having == SIZE_MAX) c.having = i;
            else if (Word(i, "ORDER") && (Word(i + 1, "BY") || (Word(i + 1, "SIBLINGS") && Word(i + 2, "BY"))) &&
                     c.order == SIZE_MAX) {
                c.order = i;
                c.siblings = Word(i + 1, "SIBLINGS");
            } else if ((Word(i, "UNION") || Word(i, "INTERSECT") || Word(i, "MINUS") || Word(i, "EXCEPT") ||
                        Word(i, "FETCH") || (Word(i, "FOR") && Word(i + 1, "UPDATE"))) &&
                       c.setOperator == SIZE_MAX)
                c.setOperator = i;
        }
        return c;
    }

    // Just after the operand that starts at i: a parenthesis, a call or a dotted name.
    size_t OperandEnd(size_t i) const {
        if (i >= e) return e;
        if (Op(i, "(")) return match[i] == SIZE_MAX ? e : match[i] + 1;
        if (IsName(toks[i])) {
            size_t j = i + 1;
            while (j + 1 < e && Op(j, ".") && IsName(toks[j + 1])) j += 2;
            if (Op(j, "(") && match[j] != SIZE_MAX) return match[j] + 1;
            return j;
        }
        return i + 1;
    }
};

// The pieces of the query, each translated on its own, in the order of the text (so that
// placeholders are numbered as the user wrote them).
struct Pieces {
    std::string_view text;
    const std::vector<Token>& toks;
    Resolver& resolver;
    Translation work;
    struct Piece {
        size_t sqlFrom = 0, sqlTo = 0, mapFrom = 0, mapTo = 0;
    };

    OraError Add(size_t pb, size_t pe, const TranslateOptions& options, Piece& out) {
        out.sqlFrom = work.sql.size();
        out.mapFrom = work.map.size();
        if (OraError err = Translate(text, toks, pb, pe, options, resolver, work)) return err;
        out.sqlTo = work.sql.size();
        out.mapTo = work.map.size();
        return {};
    }
};

// The final text, with the error map of each placed piece shifted to where it was placed.
struct Assembler {
    const Pieces& pieces;
    Translation& out;

    void Text(std::string_view s) { out.sql += s; }
    void Put(const Pieces::Piece& p) {
        const size_t at = out.sql.size();
        for (size_t k = p.mapFrom; k < p.mapTo; ++k) {
            const auto& m = pieces.work.map[k];
            out.map.emplace_back(static_cast<uint32_t>(at + (m.first - p.sqlFrom)), m.second);
        }
        out.sql += ' ';
        out.sql.append(pieces.work.sql, p.sqlFrom, p.sqlTo - p.sqlFrom);
        out.sql += ' ';
    }
};

}  // namespace

bool IsHierarchicalQuery(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e) {
    Reader r{text, toks, b, e, MatchParens(text, toks, b, e)};
    Clauses c = r.Find();
    return c.connect != SIZE_MAX && c.select == b;
}

OraError TranslateHierarchical(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                               Resolver& resolver, Translation& out) {
    Reader r{text, toks, b, e, MatchParens(text, toks, b, e)};
    const Clauses c = r.Find();
    if (c.from == SIZE_MAX) return MakeErrorAt(r.At(e), 923);
    if (c.setOperator != SIZE_MAX) return MakeErrorAt(r.At(c.setOperator), kOraUnimplemented);
    if (c.where != SIZE_MAX && (c.where > c.connect || (c.start != SIZE_MAX && c.where > c.start)))
        return MakeErrorAt(r.At(c.where), kOraNotProperlyEnded);

    // The one table the hierarchy is built from: name [alias], schema.name [alias], with AS or not.
    const size_t f0 = c.from + 1, f1 = c.EndOf(c.from, e);
    size_t nameTok = f0, k = f0;
    if (k >= f1 || !IsName(toks[k])) return MakeErrorAt(r.At(k), 903);
    if (r.Op(k + 1, ".") && k + 2 < f1 && IsName(toks[k + 2])) nameTok = k = k + 2;
    ++k;
    if (r.Word(k, "AS")) ++k;
    size_t aliasTok = nameTok;
    if (k < f1 && IsName(toks[k])) aliasTok = k++;
    if (k != f1) return MakeErrorAt(r.At(k), kOraUnimplemented);  // joins and subqueries in FROM
    const std::string alias = QuoteName(IdentName(text, toks[aliasTok]));
    out.tables.emplace_back(IdentName(text, toks[aliasTok]), IdentName(text, toks[nameTok]));

    // PRIOR operands become values carried by the walk; a row's children compare against them.
    const size_t c0 = c.connect + (c.nocycle ? 3 : 2), c1 = c.EndOf(c.connect, e);
    if (c0 >= c1) return MakeErrorAt(r.At(c0), kOraMissingExpression);
    std::vector<std::pair<size_t, size_t>> priors;
    TranslateOptions connectOptions;
    connectOptions.levelText = std::string("(") + kWalkLevel + " + 1)";
    for (size_t i = c0; i < c1; ++i) {
        if (!r.Word(i, "PRIOR")) continue;
        const size_t end = std::min(r.OperandEnd(i + 1), c1);
        if (end <= i + 1) return MakeErrorAt(r.At(i + 1), kOraMissingExpression);
        for (size_t q = i + 1; q < end; ++q)
            if (toks[q].kind == Tok::Bind || r.Word(q, "PRIOR")) return MakeErrorAt(r.At(q), kOraUnimplemented);
        priors.emplace_back(i + 1, end);
        connectOptions.substitutions.push_back(
            {i, end, std::string(kWalk) + ".\"liteoci$p" + std::to_string(priors.size()) + "\""});
        i = end - 1;
    }

    Pieces pieces{text, toks, resolver, {}};
    TranslateOptions plain;
    plain.levelText = kWalkLevel;
    // SELECT * lists the table's columns, not the walk's.
    TranslateOptions selectOptions = plain;
    selectOptions.query = true;
    for (size_t i = c.select + 1; i < c.from; ++i) {
        if (!r.Op(i, "*")) continue;
        bool before = r.Word(i - 1, "SELECT") || r.Word(i - 1, "DISTINCT") || r.Word(i - 1, "UNIQUE") ||
                      r.Word(i - 1, "ALL") || r.Op(i - 1, ",");
        bool after = i + 1 == c.from || r.Op(i + 1, ",");
        if (before && after) selectOptions.substitutions.push_back({i, i + 1, alias + ".*"});
    }

    Pieces::Piece selectList, fromItem, where, start, connect, group, having, order;
    std::vector<Pieces::Piece> priorPieces(priors.size());
    std::vector<Pieces::Piece> siblingKeys;
    std::string siblingFlags;
    struct Job {
        size_t b, e;
        const TranslateOptions* options;
        Pieces::Piece* piece;
    };
    std::vector<Job> jobs;
    jobs.push_back({c.select, c.from, &selectOptions, &selectList});
    jobs.push_back({f0, f1, &plain, &fromItem});
    if (c.where != SIZE_MAX) jobs.push_back({c.where, c.EndOf(c.where, e), &plain, &where});
    TranslateOptions startOptions;
    startOptions.levelText = "1";
    if (c.start != SIZE_MAX) {
        if (c.start + 2 >= c.EndOf(c.start, e)) return MakeErrorAt(r.At(c.start + 2), kOraMissingExpression);
        jobs.push_back({c.start + 2, c.EndOf(c.start, e), &startOptions, &start});
    }
    TranslateOptions priorOptions;
    priorOptions.levelText = kWalkLevel;
    jobs.push_back({c0, c1, &connectOptions, &connect});
    for (size_t p = 0; p < priors.size(); ++p) jobs.push_back({priors[p].first, priors[p].second, &priorOptions, &priorPieces[p]});
    if (c.group != SIZE_MAX) jobs.push_back({c.group, c.EndOf(c.group, e), &plain, &group});
    if (c.having != SIZE_MAX) jobs.push_back({c.having, c.EndOf(c.having, e), &plain, &having});
    TranslateOptions siblingOptions;
    siblingOptions.levelText = "0";
    if (c.order != SIZE_MAX && !c.siblings) {
        jobs.push_back({c.order, c.EndOf(c.order, e), &plain, &order});
    } else if (c.order != SIZE_MAX) {
        // ORDER SIBLINGS BY key [ASC|DESC] [NULLS FIRST|LAST], ...
        const size_t o1 = c.EndOf(c.order, e);
        size_t s = c.order + 3;
        std::vector<std::pair<size_t, size_t>> keys;
        for (size_t i = s; i <= o1; ++i) {
            if (i < o1 && !r.Op(i, ",")) {
                if (r.Op(i, "(") && r.match[i] != SIZE_MAX) i = r.match[i];
                continue;
            }
            size_t ke = i;
            bool desc = false, nullsFirst = false, nullsGiven = false;
            if (ke >= s + 3 && r.Word(ke - 2, "NULLS") && (r.Word(ke - 1, "FIRST") || r.Word(ke - 1, "LAST"))) {
                nullsGiven = true;
                nullsFirst = r.Word(ke - 1, "FIRST");
                ke -= 2;
            }
            if (ke > s + 1 && (r.Word(ke - 1, "ASC") || r.Word(ke - 1, "DESC"))) desc = r.Word(--ke, "DESC");
            if (ke <= s) return MakeErrorAt(r.At(s), kOraMissingExpression);
            if (!nullsGiven) nullsFirst = desc;  // Oracle sorts NULLs as the largest value
            siblingFlags += desc ? (nullsFirst ? 'D' : 'E') : (nullsFirst ? 'B' : 'A');
            keys.emplace_back(s, ke);
            s = i + 1;
        }
        siblingKeys.resize(keys.size());
        for (size_t q = 0; q < keys.size(); ++q) jobs.push_back({keys[q].first, keys[q].second, &siblingOptions, &siblingKeys[q]});
    }
    std::stable_sort(jobs.begin(), jobs.end(), [](const Job& x, const Job& y) { return x.b < y.b; });
    for (const Job& j : jobs)
        if (OraError err = pieces.Add(j.b, j.e, *j.options, *j.piece)) return err;
    out.items = pieces.work.items;
    out.params = pieces.work.params;

    Assembler a{pieces, out};
    auto putElement = [&] {
        a.Text(" ");
        if (!siblingKeys.empty()) {
            a.Text("LITEOCI_SORTKEY('" + siblingFlags + "'");
            for (const auto& key : siblingKeys) {
                a.Text(",");
                a.Put(key);
            }
            a.Text(") || ");
        }
        a.Text("'!' || printf('%016X', " + alias + ".rowid) || '/'");
    };
    auto putPriors = [&] {
        for (const auto& p : priorPieces) {
            a.Text(", ");
            a.Put(p);
        }
    };
    a.Text("WITH RECURSIVE ");
    a.Text(kWalk);
    a.Text(" (\"liteoci$rid\", \"LEVEL\", \"liteoci$path\"");
    for (size_t p = 1; p <= priors.size(); ++p) a.Text(", \"liteoci$p" + std::to_string(p) + "\"");
    a.Text(") AS (SELECT " + alias + ".rowid, 1, ");
    putElement();
    putPriors();
    a.Text(" FROM ");
    a.Put(fromItem);
    if (c.start != SIZE_MAX) {
        a.Text(" WHERE (");
        a.Put(start);
        a.Text(")");
    }
    a.Text(" UNION ALL SELECT " + alias + ".rowid, " + kWalkLevel + " + 1, " + kWalkPath + " || ");
    putElement();
    putPriors();
    a.Text(std::string(" FROM ") + kWalk + ", ");
    a.Put(fromItem);
    a.Text(" WHERE (");
    a.Put(connect);
    a.Text(")");
    if (!priors.empty()) {
        const std::string seen = std::string("instr(") + kWalkPath + ", '!' || printf('%016X', " + alias +
                                 ".rowid) || '/') = 0";
        if (c.nocycle) {
            a.Text(" AND " + seen);
        } else {
            // Raised only for a row that is really a child, whatever order SQLite tests the terms in.
            a.Text(" AND CASE WHEN " + seen + " THEN 1 WHEN (");
            a.Put(connect);
            a.Text(") THEN LITEOCI_RAISE(" + std::to_string(kOraConnectByLoop) + ") ELSE 0 END");
        }
    }
    a.Text(") ");
    a.Put(selectList);
    a.Text(std::string(" FROM ") + kWalk + " JOIN ");
    a.Put(fromItem);
    a.Text(" ON " + alias + ".rowid = " + kWalkRowid);
    if (c.where != SIZE_MAX) a.Put(where);
    if (c.group != SIZE_MAX) a.Put(group);
    if (c.having != SIZE_MAX) a.Put(having);
    if (c.order != SIZE_MAX && !c.siblings) a.Put(order);
    else if (c.group == SIZE_MAX) a.Text(std::string(" ORDER BY ") + kWalkPath);
    return {};
}

size_t HierarchicalInsertQuery(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e) {
    if (b >= e || !IsWord(text, toks[b], "INSERT")) return SIZE_MAX;
    int depth = 0;
    for (size_t k = b + 1; k < e; ++k) {
        if (IsOp(text, toks[k], "(")) ++depth;
        else if (IsOp(text, toks[k], ")")) --depth;
        else if (toks[k].kind == Tok::Bind) return SIZE_MAX;
        else if (depth == 0 && (IsWord(text, toks[k], "SELECT") || IsWord(text, toks[k], "WITH")))
            return IsHierarchicalQuery(text, toks, k, e) ? k : SIZE_MAX;
        else if (depth == 0 && IsWord(text, toks[k], "VALUES")) return SIZE_MAX;
    }
    return SIZE_MAX;
}

OraError TranslateHierarchicalInsert(std::string_view text, const std::vector<Token>& toks, size_t b, size_t query,
                                     size_t e, const TranslateOptions& options, Resolver& resolver, Translation& out) {
    TranslateOptions head = options;
    head.query = false;
    if (OraError err = Translate(text, toks, b, query, head, resolver, out)) return err;
    Translation tail;
    if (OraError err = TranslateHierarchical(text, toks, query, e, resolver, tail)) return err;
    const uint32_t shift = static_cast<uint32_t>(out.sql.size() + 1);
    out.sql += " " + tail.sql;
    for (const auto& m : tail.map) out.map.emplace_back(m.first + shift, m.second);
    out.params.insert(out.params.end(), tail.params.begin(), tail.params.end());
    return {};
}

}  // namespace liteoci
