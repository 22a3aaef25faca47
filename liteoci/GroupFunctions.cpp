#include "GroupFunctions.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "FunctionSupport.h"

namespace liteoci {
namespace {

std::string TextOf(sqlite3_value* v) { return std::string(Text(v)); }

// The state of one group lives on the heap; SQLite's aggregate context holds the pointer, and the
// final call (which SQLite also makes when a statement is reset midway) frees it.
template <typename State>
State* StateOf(sqlite3_context* ctx, bool create) {
    auto** slot = static_cast<State**>(sqlite3_aggregate_context(ctx, create ? sizeof(State*) : 0));
    if (!slot) return nullptr;
    if (!*slot && create) *slot = new State();
    return *slot;
}

template <typename State>
void Free(sqlite3_context* ctx) {
    auto** slot = static_cast<State**>(sqlite3_aggregate_context(ctx, 0));
    if (slot) {
        delete *slot;
        *slot = nullptr;
    }
}

// ---- MEDIAN: the middle value, or the mean of the two middle values, NULLs left out -------------

using Values = std::multiset<double>;

// A number argument; false for NULL, and for a text that is no number, which also fails the call.
bool NumberOf(sqlite3_context* ctx, sqlite3_value* v, double& out) {
    return sqlite3_value_type(v) != SQLITE_NULL && AsNumber(ctx, v, out);
}

void MedianStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    double v;
    if (!NumberOf(ctx, argv[0], v)) return;
    if (Values* s = StateOf<Values>(ctx, true)) s->insert(v);
}

void MedianInverse(sqlite3_context* ctx, int, sqlite3_value** argv) {
    double v;
    Values* s = StateOf<Values>(ctx, false);
    if (!s || sqlite3_value_type(argv[0]) == SQLITE_NULL || !NumberOf(ctx, argv[0], v)) return;
    auto it = s->find(v);
    if (it != s->end()) s->erase(it);
}

void MedianValue(sqlite3_context* ctx) {
    Values* s = StateOf<Values>(ctx, false);
    if (!s || s->empty()) return sqlite3_result_null(ctx);
    const size_t n = s->size();
    auto mid = std::next(s->begin(), static_cast<long>((n - 1) / 2));
    if (n % 2) return ResultNumber(ctx, *mid);
    const double a = *mid, b = *std::next(mid);
    ResultNumber(ctx, a + (b - a) / 2);
}

void MedianFinal(sqlite3_context* ctx) {
    MedianValue(ctx);
    Free<Values>(ctx);
}

// ---- LITEOCI_LISTAGG(distinct, value, delimiter, sort key) --------------------------------------

struct List {
    std::vector<std::pair<std::string, std::string>> items;  // (sort key, value)
    std::string delimiter;
    bool distinct = false;
};

void ListStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    List* l = StateOf<List>(ctx, true);
    if (!l) return;
    l->distinct = sqlite3_value_int(argv[0]) != 0;
    l->delimiter = TextOf(argv[2]);
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return;
    l->items.emplace_back(TextOf(argv[3]), TextOf(argv[1]));
}

void ListInverse(sqlite3_context* ctx, int, sqlite3_value** argv) {
    List* l = StateOf<List>(ctx, false);
    if (!l || sqlite3_value_type(argv[1]) == SQLITE_NULL) return;
    const std::pair<std::string, std::string> item(TextOf(argv[3]), TextOf(argv[1]));
    auto it = std::find(l->items.begin(), l->items.end(), item);
    if (it != l->items.end()) l->items.erase(it);
}

void ListValue(sqlite3_context* ctx) {
    List* l = StateOf<List>(ctx, false);
    if (!l || l->items.empty()) return sqlite3_result_null(ctx);
    std::vector<std::pair<std::string, std::string>> items = l->items;
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out;
    std::set<std::string> seen;
    bool first = true;
    for (const auto& item : items) {
        if (l->distinct && !seen.insert(item.second).second) continue;
        if (!first) out += l->delimiter;
        out += item.second;
        first = false;
        if (out.size() > kListaggLimit) return Fail(ctx, MakeError(kOraConcatenationTooLong));
    }
    sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

void ListFinal(sqlite3_context* ctx) {
    ListValue(ctx);
    Free<List>(ctx);
}

// ---- VARIANCE, STDDEV and their _POP and _SAMP forms --------------------------------------------

// Sums kept relative to the first value, so that large values close together lose no precision.
struct Moments {
    double shift = 0;
    double sum = 0, squares = 0;
    long long n = 0;
    bool shifted = false;
};

template <int Kind>  // 0 VARIANCE, 1 VAR_SAMP, 2 VAR_POP; +3 the square root of each
struct Spread {
    static void Step(sqlite3_context* ctx, int, sqlite3_value** argv) {
        double v;
        if (!NumberOf(ctx, argv[0], v)) return;
        Moments* m = StateOf<Moments>(ctx, true);
        if (!m) return;
        if (!m->shifted) m->shift = v, m->shifted = true;
        v -= m->shift;
        m->sum += v, m->squares += v * v, ++m->n;
    }
    static void Inverse(sqlite3_context* ctx, int, sqlite3_value** argv) {
        double v;
        Moments* m = StateOf<Moments>(ctx, false);
        if (!m || sqlite3_value_type(argv[0]) == SQLITE_NULL || !NumberOf(ctx, argv[0], v)) return;
        v -= m->shift;
        m->sum -= v, m->squares -= v * v, --m->n;
    }
    static void Value(sqlite3_context* ctx) {
        Moments* m = StateOf<Moments>(ctx, false);
        const int kind = Kind % 3;
        if (!m || m->n == 0) return sqlite3_result_null(ctx);
        // VARIANCE is 0 for one value where VAR_SAMP has none
        if (m->n == 1 && kind != 2) return kind == 0 ? sqlite3_result_int(ctx, 0) : sqlite3_result_null(ctx);
        const double n = static_cast<double>(m->n);
        double var = (m->squares - m->sum * m->sum / n) / (kind == 2 ? n : n - 1);
        if (var < 0) var = 0;  // rounding of equal values
        ResultNumber(ctx, Kind >= 3 ? std::sqrt(var) : var);
    }
    static void Final(sqlite3_context* ctx) {
        Value(ctx);
        Free<Moments>(ctx);
    }
};

template <int Kind>
int RegisterSpread(sqlite3* db, const char* name) {
    return sqlite3_create_window_function(db, name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, Spread<Kind>::Step,
                                          Spread<Kind>::Final, Spread<Kind>::Value, Spread<Kind>::Inverse, nullptr);
}

// ---- one-row functions ---------------------------------------------------------------------------

// REMAINDER(n2, n1): n2 - n1 * N, N the integer nearest n2 / n1, the even one when halfway.
void Remainder(sqlite3_context* ctx, int, sqlite3_value** argv) {
    double n2, n1;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    if (!NumberOf(ctx, argv[0], n2) || !NumberOf(ctx, argv[1], n1)) return;
    if (n1 == 0) return Fail(ctx, MakeError(kOraDivisorZero));
    ResultNumber(ctx, std::remainder(n2, n1));
}

// LITEOCI_RATIO(value, sum over the window): RATIO_TO_REPORT's result.
void Ratio(sqlite3_context* ctx, int, sqlite3_value** argv) {
    double v, sum;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    if (!NumberOf(ctx, argv[0], v) || !NumberOf(ctx, argv[1], sum)) return;
    if (sum == 0) return Fail(ctx, MakeError(kOraDivisorZero));
    sqlite3_result_double(ctx, v / sum);
}

}  // namespace

int RegisterGroupFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_window_function(db, "MEDIAN", 1, flags, nullptr, MedianStep, MedianFinal, MedianValue,
                                            MedianInverse, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_window_function(db, "LITEOCI_LISTAGG", 4, flags, nullptr, ListStep, ListFinal, ListValue,
                                            ListInverse, nullptr);
    if (rc == SQLITE_OK) rc = RegisterSpread<0>(db, "VARIANCE");
    if (rc == SQLITE_OK) rc = RegisterSpread<1>(db, "VAR_SAMP");
    if (rc == SQLITE_OK) rc = RegisterSpread<2>(db, "VAR_POP");
    if (rc == SQLITE_OK) rc = RegisterSpread<3>(db, "STDDEV");
    if (rc == SQLITE_OK) rc = RegisterSpread<4>(db, "STDDEV_SAMP");
    if (rc == SQLITE_OK) rc = RegisterSpread<5>(db, "STDDEV_POP");
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "REMAINDER", 2, flags, nullptr, Remainder, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "LITEOCI_RATIO", 2, flags, nullptr, Ratio, nullptr, nullptr, nullptr);
    return rc;
}

}  // namespace liteoci
