#include "OuterJoin.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <queue>
#include <unordered_map>

#include "OraCodes.h"

namespace liteoci {
namespace {

// Marker kinds after the mark byte: a piece starts, a piece ends, a block's FROM list goes here.
constexpr char kStart = 'S', kEnd = 'E', kSlot = 'L';

std::string QuoteName(const std::string& name) {
    std::string r = "\"";
    for (char c : name) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

struct Item {
    size_t first = 0, last = 0;  // tokens [first, last)
    std::string alias, table;    // table empty for an inline view
    std::vector<int> deps;       // the items it is outer-joined to
    std::vector<size_t> on;      // the conditions of its ON clause
    bool optional = false;
    int piece = -1;
};

struct Condition {
    size_t first = 0, last = 0;  // tokens [first, last)
    size_t connector = 0;        // the WHERE or AND before it
    bool moved = false;
    int piece = -1;
};

struct Planner {
    std::string_view text;
    const std::vector<Token>& toks;
    size_t b, e;
    const ColumnProbe& probe;
    TranslateOptions& options;
    OuterJoinPlan& plan;
    std::vector<size_t> match;
    std::vector<int> depth;

    bool W(size_t i, std::string_view w) const { return i < e && IsWord(text, toks[i], w); }
    bool O(size_t i, std::string_view o) const { return i < e && IsOp(text, toks[i], o); }
    bool Marked(size_t i) const { return O(i, "(") && O(i + 1, "+") && O(i + 2, ")"); }
    int At(size_t i) const { return static_cast<int>(i < e ? toks[i].pos : (e > b ? toks[e - 1].pos : 0)); }

    std::string Marker(char kind, int id) const {
        return std::string(1, plan.mark) + kind + std::to_string(id) + plan.mark;
    }

    bool NestedQuery(size_t open) const {
        return O(open, "(") && match[open] != SIZE_MAX && (W(open + 1, "SELECT") || W(open + 1, "WITH"));
    }

    bool ClauseEnd(size_t k) const {
        static const char* const kWords[] = {"GROUP", "ORDER", "HAVING", "CONNECT", "START", "UNION", "INTERSECT",
                                             "MINUS", "EXCEPT", "FETCH", "OFFSET", "FOR", "WINDOW", "MODEL"};
        for (const char* w : kWords)
            if (W(k, w)) return true;
        return O(k, ";");
    }

    OraError Block(size_t sel, const std::vector<size_t>& marks);
    OraError Run();
};

OraError Planner::Run() {
    std::vector<size_t> marks;
    for (size_t i = b; i + 2 < e; ++i)
        if (Marked(i)) marks.push_back(i);
    if (marks.empty()) return {};
    match = MatchParens(text, toks, b, e);
    depth.assign(e - b, 0);
    // the query block of each (+): the innermost SELECT open at its place
    std::vector<std::pair<size_t, int>> open;  // (SELECT token, depth)
    std::vector<size_t> blockOf(marks.size(), SIZE_MAX);
    int d = 0;
    size_t next = 0;
    for (size_t i = b; i < e; ++i) {
        if (O(i, ")")) {
            while (!open.empty() && open.back().second >= d) open.pop_back();
            --d;
        }
        depth[i - b] = d;
        if (W(i, "SELECT")) {
            while (!open.empty() && open.back().second >= d) open.pop_back();
            open.emplace_back(i, d);
        }
        if (next < marks.size() && marks[next] == i) blockOf[next++] = open.empty() ? SIZE_MAX : open.back().first;
        if (O(i, "(")) ++d;
    }
    // the character that marks pieces: one the statement does not contain
    for (char c : {'\x05', '\x06', '\x07', '\x0e', '\x0f', '\x10', '\x11', '\x12'})
        if (text.find(c) == std::string_view::npos) {
            plan.mark = c;
            break;
        }
    if (!plan.mark) return MakeErrorAt(At(marks[0]), 911);
    // the marks of each block, blocks in the order of their first mark
    std::vector<size_t> blocks;
    std::unordered_map<size_t, std::vector<size_t>> marksOf;
    for (size_t k = 0; k < marks.size(); ++k) {
        if (blockOf[k] == SIZE_MAX) return MakeErrorAt(At(marks[k]), kOraOuterJoinNotAllowed);
        auto& list = marksOf[blockOf[k]];
        if (list.empty()) blocks.push_back(blockOf[k]);
        list.push_back(marks[k]);
    }
    for (size_t sel : blocks)
        if (OraError err = Block(sel, marksOf[sel])) return err;
    return {};
}

OraError Planner::Block(size_t sel, const std::vector<size_t>& marks) {
    const int d = depth[sel - b];
    auto inBlock = [&](size_t k) { return k < e && depth[k - b] >= d; };
    size_t from = SIZE_MAX, where = SIZE_MAX, whereEnd = SIZE_MAX, star = SIZE_MAX;
    bool ansi = false;
    for (size_t k = sel + 1; inBlock(k); ++k) {
        if (depth[k - b] != d) continue;
        if (k > sel + 1 && (W(k, "UNION") || W(k, "INTERSECT") || W(k, "MINUS") || W(k, "EXCEPT"))) {
            if (where != SIZE_MAX && whereEnd == SIZE_MAX) whereEnd = k;
            break;
        }
        if (from == SIZE_MAX) {
            if (W(k, "FROM")) from = k;
            else if (O(k, "*") && (W(k - 1, "SELECT") || W(k - 1, "DISTINCT") || W(k - 1, "UNIQUE") ||
                                   W(k - 1, "ALL") || O(k - 1, ",")) &&
                     (W(k + 1, "FROM") || O(k + 1, ",")))
                star = k;
        } else if (where == SIZE_MAX) {
            if (W(k, "WHERE")) where = k;
            else if (W(k, "JOIN")) ansi = true;
        } else if (whereEnd == SIZE_MAX && ClauseEnd(k)) {
            whereEnd = k;
        }
    }
    if (ansi) return MakeErrorAt(At(marks[0]), kOraOldOuterJoinWithAnsi);
    if (where == SIZE_MAX) return MakeErrorAt(At(marks[0]), kOraOuterJoinNotAllowed);
    if (whereEnd == SIZE_MAX) {
        whereEnd = where + 1;
        while (inBlock(whereEnd)) ++whereEnd;
    }
    for (size_t m : marks)
        if (m < where || m >= whereEnd) return MakeErrorAt(At(m), kOraOuterJoinNotAllowed);

    // the FROM items
    std::vector<Item> items;
    for (size_t s = from + 1, k = from + 1; k <= where; ++k) {
        if (k < where && !(depth[k - b] == d && O(k, ","))) continue;
        if (k == s) return MakeErrorAt(At(k), kOraMissingExpression);
        Item it;
        it.first = s, it.last = k;
        const size_t lastTok = k - 1;
        if (IsName(toks[lastTok]) && !(lastTok > s && O(lastTok - 1, "."))) it.alias = IdentName(text, toks[lastTok]);
        size_t nameTok = SIZE_MAX;
        if (IsName(toks[s])) {
            nameTok = s;
            while (O(nameTok + 1, ".") && nameTok + 2 < k && IsName(toks[nameTok + 2])) nameTok += 2;
            it.table = IdentName(text, toks[nameTok]);
            if (it.alias.empty() || lastTok == nameTok) it.alias = it.table;
        }
        items.push_back(std::move(it));
        s = k + 1;
    }
    auto itemOf = [&](const std::string& alias) {
        for (size_t q = 0; q < items.size(); ++q)
            if (items[q].alias == alias) return static_cast<int>(q);
        return -1;
    };

    // the conditions joined by AND at the block's level
    std::vector<Condition> conds;
    {
        int cases = 0;
        bool between = false;
        size_t s = where + 1, connector = where;
        for (size_t k = where + 1; k <= whereEnd; ++k) {
            if (k < whereEnd) {
                if (depth[k - b] != d) continue;
                if (W(k, "CASE")) ++cases;
                else if (W(k, "END") && cases > 0) --cases;
                else if (W(k, "BETWEEN") && cases == 0) between = true;
                if (!W(k, "AND") || cases > 0) continue;
                if (between) {
                    between = false;
                    continue;
                }
            }
            if (k == s) return MakeErrorAt(At(k), kOraMissingExpression);
            conds.push_back({s, k, connector});
            connector = k;
            s = k + 1;
        }
    }

    // which table each condition marks, and which others it names
    size_t nextMark = 0;
    std::vector<int> viewItems;
    for (size_t q = 0; q < items.size(); ++q)
        if (items[q].table.empty()) viewItems.push_back(static_cast<int>(q));
    for (size_t ci = 0; ci < conds.size(); ++ci) {
        Condition& c = conds[ci];
        while (nextMark < marks.size() && marks[nextMark] < c.first) ++nextMark;
        if (nextMark >= marks.size() || marks[nextMark] >= c.last) continue;
        int marked = -1;
        std::vector<int> others;
        bool orIn = false, subquery = false;
        for (size_t k = c.first; k < c.last; ++k) {
            if (NestedQuery(k)) {
                subquery = true;
                k = match[k];
                continue;
            }
            if (W(k, "OR") || W(k, "IN")) orIn = true;
            if (Marked(k)) {
                if (k == c.first || !IsName(toks[k - 1])) return MakeErrorAt(At(k), kOraOuterJoinNotAllowed);
                k += 2;
                continue;
            }
            if (!IsName(toks[k]) || (k > c.first && O(k - 1, "."))) continue;
            size_t last = k;
            while (O(last + 1, ".") && last + 2 < c.last && IsName(toks[last + 2])) last += 2;
            const bool mark = Marked(last + 1);
            if (O(last + 1, "(") && !mark) {  // a function's name
                k = last;
                continue;
            }
            int item = -1;
            const std::string column = IdentName(text, toks[last]);
            if (last > k) {
                item = itemOf(IdentName(text, toks[last - 2]));
                if (item < 0 && mark) return MakeErrorAt(At(last + 1), kOraOuterJoinOnCorrelation);
            } else {
                int found = 0;
                for (size_t q = 0; q < items.size(); ++q)
                    if (!items[q].table.empty() && probe && probe(items[q].table, column)) {
                        item = static_cast<int>(q);
                        ++found;
                    }
                if (found == 0 && mark && viewItems.size() == 1) item = viewItems[0];
                if (mark && found > 1) return MakeErrorAt(At(k), 918);
                if (mark && item < 0) return MakeErrorAt(At(k), 904, "\"" + column + "\"");
                if (found > 1) item = -1;
            }
            k = last;
            if (item < 0) continue;
            if (mark) {
                if (marked >= 0 && marked != item) return MakeErrorAt(At(last + 1), kOraOneOuterJoinedTable);
                marked = item;
            } else if (std::find(others.begin(), others.end(), item) == others.end()) {
                others.push_back(item);
            }
        }
        if (marked < 0) continue;
        if (orIn) return MakeErrorAt(At(marks[nextMark]), kOraOuterJoinInOrIn);
        if (subquery) return MakeErrorAt(At(marks[nextMark]), kOraOuterJoinToSubquery);
        Item& opt = items[static_cast<size_t>(marked)];
        opt.optional = true;
        opt.on.push_back(ci);
        for (int o : others)
            if (o != marked && std::find(opt.deps.begin(), opt.deps.end(), o) == opt.deps.end()) opt.deps.push_back(o);
    }
    // the (+) itself is gone whatever happens to its condition
    for (size_t m : marks) options.substitutions.push_back({m, m + 3, ""});

    // an optional table named with constants only is optional to all the tables that are not
    bool anyPlain = false;
    for (const Item& it : items) anyPlain = anyPlain || !it.optional;
    for (size_t q = 0; q < items.size(); ++q) {
        Item& it = items[q];
        if (!it.optional || !it.deps.empty()) continue;
        if (!anyPlain) {
            it.optional = false;  // nothing to be joined to: its conditions filter as written
            it.on.clear();
            continue;
        }
        for (size_t o = 0; o < items.size(); ++o)
            if (o != q && !items[o].optional) it.deps.push_back(static_cast<int>(o));
    }
    bool anyOptional = false;
    for (const Item& it : items) anyOptional = anyOptional || it.optional;
    if (!anyOptional) return {};
    for (const Item& it : items)
        for (size_t ci : it.on) conds[ci].moved = true;

    // the order: every optional table after those it is joined to, otherwise as written
    std::vector<int> indegree(items.size(), 0);
    std::vector<std::vector<int>> users(items.size());
    for (size_t q = 0; q < items.size(); ++q)
        for (int dep : items[q].deps) {
            ++indegree[q];
            users[static_cast<size_t>(dep)].push_back(static_cast<int>(q));
        }
    std::priority_queue<int, std::vector<int>, std::greater<int>> ready;
    for (size_t q = 0; q < items.size(); ++q)
        if (indegree[q] == 0) ready.push(static_cast<int>(q));
    std::vector<int> order;
    while (!ready.empty()) {
        const int q = ready.top();
        ready.pop();
        order.push_back(q);
        for (int u : users[static_cast<size_t>(q)])
            if (--indegree[static_cast<size_t>(u)] == 0) ready.push(u);
    }
    if (order.size() != items.size()) {
        for (size_t q = 0; q < items.size(); ++q)
            if (indegree[q] > 0 && !items[q].on.empty())
                return MakeErrorAt(At(conds[items[q].on.front()].first), kOraOuterJoinedToEachOther);
        return MakeErrorAt(At(marks[0]), kOraOuterJoinedToEachOther);
    }

    // the pieces and their markers
    for (Item& it : items) it.piece = plan.pieces++;
    for (Condition& c : conds)
        if (c.moved) c.piece = plan.pieces++;
    const int slot = static_cast<int>(plan.slots.size());
    plan.slots.emplace_back();
    options.substitutions.push_back({from, from + 1, "FROM" + Marker(kSlot, slot) + Marker(kStart, items[0].piece)});
    for (size_t q = 1; q < items.size(); ++q)
        options.substitutions.push_back({items[q].first - 1, items[q].first,
                                         Marker(kEnd, items[q - 1].piece) + Marker(kStart, items[q].piece)});
    bool kept = false;
    for (size_t ci = 0; ci < conds.size(); ++ci) {
        const Condition& c = conds[ci];
        std::string connector = ci == 0 ? Marker(kEnd, items.back().piece) : std::string();
        if (!c.moved) connector += kept ? "AND" : "WHERE", kept = true;
        else connector += Marker(kStart, c.piece);
        options.substitutions.push_back({c.connector, c.connector + 1, connector});
        if (c.moved) options.appends.emplace_back(c.last - 1, Marker(kEnd, c.piece));
    }
    std::vector<OuterJoinPlan::Element>& list = plan.slots.back();
    for (size_t n = 0; n < order.size(); ++n) {
        const Item& it = items[static_cast<size_t>(order[n])];
        if (n > 0) list.push_back({-1, it.optional ? " LEFT JOIN" : " ,"});
        list.push_back({it.piece, {}});
        if (!it.optional) continue;
        for (size_t k = 0; k < it.on.size(); ++k) {
            list.push_back({-1, k == 0 ? " ON (" : ") AND ("});
            list.push_back({conds[it.on[k]].piece, {}});
        }
        list.push_back({-1, ")"});
    }
    // SELECT * keeps the columns in the order of the FROM list as written
    bool reordered = false;
    for (size_t n = 0; n < order.size(); ++n) reordered = reordered || order[n] != static_cast<int>(n);
    if (reordered && star != SIZE_MAX) {
        std::string cols;
        bool named = true;
        for (const Item& it : items) {
            named = named && !it.alias.empty();
            cols += (cols.empty() ? "" : ", ") + QuoteName(it.alias) + ".*";
        }
        if (named) options.substitutions.push_back({star, star + 1, cols});
    }
    return {};
}

// A piece of the translated text with the positions of its tokens.
struct Buffer {
    std::string text;
    std::vector<std::pair<uint32_t, uint32_t>> map;
};

struct Assembler {
    const OuterJoinPlan& plan;
    std::vector<Buffer> pieces;
    Translation& out;
    std::string sql;
    std::vector<std::pair<uint32_t, uint32_t>> map;

    // Reads a marker at text[i] (the mark byte); returns the index after it.
    size_t ReadMarker(const std::string& text, size_t i, char& kind, int& id) const {
        kind = i + 1 < text.size() ? text[i + 1] : 0;
        id = 0;
        size_t k = i + 2;
        while (k < text.size() && text[k] != plan.mark) id = id * 10 + (text[k++] - '0');
        return k + 1;
    }

    void Emit(const Buffer& buf, int nesting) {
        size_t q = 0;
        for (size_t i = 0; i < buf.text.size();) {
            while (q < buf.map.size() && buf.map[q].first <= i) {
                map.emplace_back(static_cast<uint32_t>(sql.size()), buf.map[q].second);
                ++q;
            }
            if (buf.text[i] != plan.mark) {
                size_t j = buf.text.find(plan.mark, i);
                if (j == std::string::npos) j = buf.text.size();
                if (q < buf.map.size() && buf.map[q].first < j) j = buf.map[q].first;
                sql.append(buf.text, i, j - i);
                i = j;
                continue;
            }
            char kind;
            int id;
            i = ReadMarker(buf.text, i, kind, id);
            if (kind != kSlot || id < 0 || static_cast<size_t>(id) >= plan.slots.size() || nesting > 2 * kMaxNesting)
                continue;
            for (const OuterJoinPlan::Element& el : plan.slots[static_cast<size_t>(id)]) {
                if (el.piece < 0) sql += el.text;
                else if (static_cast<size_t>(el.piece) < pieces.size()) Emit(pieces[static_cast<size_t>(el.piece)], nesting + 1);
            }
        }
        while (q < buf.map.size()) map.emplace_back(static_cast<uint32_t>(sql.size()), buf.map[q++].second);
    }

    void Run() {
        pieces.resize(static_cast<size_t>(plan.pieces));
        Buffer main;
        std::vector<Buffer*> stack{&main};
        const std::string& in = out.sql;
        size_t q = 0;
        for (size_t i = 0; i < in.size();) {
            Buffer& cur = *stack.back();
            while (q < out.map.size() && out.map[q].first <= i) {
                cur.map.emplace_back(static_cast<uint32_t>(cur.text.size()), out.map[q].second);
                ++q;
            }
            if (in[i] != plan.mark) {
                size_t j = in.find(plan.mark, i);
                if (j == std::string::npos) j = in.size();
                if (q < out.map.size() && out.map[q].first < j) j = out.map[q].first;
                cur.text.append(in, i, j - i);
                i = j;
                continue;
            }
            char kind;
            int id;
            const size_t after = ReadMarker(in, i, kind, id);
            const bool known = id >= 0 && id < plan.pieces;
            if (kind == kStart && known) {
                stack.push_back(&pieces[static_cast<size_t>(id)]);
                i = after;
            } else if (kind == kEnd && known && stack.size() > 1) {
                Buffer& done = *stack.back();
                stack.pop_back();
                i = after;
                // the closing parentheses of calls around the condition's last operand are its own
                while (i < in.size() && in[i] == ')') done.text += in[i++];
            } else {
                cur.text.append(in, i, after - i);  // a slot: filled when emitted
                i = after;
            }
        }
        while (q < out.map.size()) {
            stack.back()->map.emplace_back(static_cast<uint32_t>(stack.back()->text.size()), out.map[q].second);
            ++q;
        }
        sql.reserve(in.size() + 64);
        Emit(main, 0);
        out.sql = std::move(sql);
        out.map = std::move(map);
    }
};

}  // namespace

OraError PlanOuterJoins(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                        const ColumnProbe& probe, TranslateOptions& options, OuterJoinPlan& plan) {
    Planner p{text, toks, b, e, probe, options, plan, {}, {}};
    return p.Run();
}

void ApplyOuterJoins(const OuterJoinPlan& plan, Translation& out) {
    if (!plan.mark || plan.slots.empty()) return;
    Assembler a{plan, {}, out, {}, {}};
    a.Run();
}

OraError TranslateWithOuterJoins(std::string_view text, const std::vector<Token>& toks, size_t b, size_t e,
                                 TranslateOptions options, const ColumnProbe& probe, Resolver& resolver,
                                 Translation& out) {
    OuterJoinPlan plan;
    if (OraError err = PlanOuterJoins(text, toks, b, e, probe, options, plan)) return err;
    if (OraError err = Translate(text, toks, b, e, options, resolver, out)) return err;
    ApplyOuterJoins(plan, out);
    return {};
}

}  // namespace liteoci
