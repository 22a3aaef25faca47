// How fast the SQL colouring gets through a large file, against a plain byte pass on the same data.
//
//   ScanAllLinesWithRuns      every line of a 100 MB, ~2 million line SQL text scanned for colour runs
//   ScanAllLinesEndStateOnly  the same without runs (the path that catching up states takes)
//   UpperCasePass             baseline: one pass over the same bytes, upper-casing each into a buffer
//   CacheCatchUpToLine1M      a fresh parse-state cache asked for the state of line 1,000,000, as the
//                             first paint after a jump to the middle of the file must (budget: 100 ms
//                             together with painting)
//   UpperCasePassFirst1M      baseline: the upper-case pass over the bytes of those first 1,000,000 lines
//
// After the table, each measurement is printed as a ratio to its baseline from the same run.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "ParseStateCache.h"
#include "SqlScanner.h"

namespace {

using editor::ColourRuns;
using editor::ParseState;

constexpr std::size_t kTextBytes = 100'000'000;
constexpr int32_t kMiddleLine = 1'000'000;

// Statements, PL/SQL and comments of the kind people keep in script files. Groups are emitted whole so
// that block comments and blocks are balanced.
const std::vector<std::vector<std::string>> kGroups = {
    {"SELECT e.empno, e.ename, e.sal * 1.1 AS raise, d.dname",
     "  FROM emp e JOIN dept d ON d.deptno = e.deptno",
     " WHERE e.hiredate > DATE '2001-01-01' AND e.job <> 'CLERK'  -- not clerks",
     "   AND e.comm IS NOT NULL OR e.sal BETWEEN 1500 AND 3000", " ORDER BY d.dname, e.sal DESC;", ""},
    {"/* Monthly report of salaries, grouped by department.", "   Keeps the old column order. */"},
    {"CREATE OR REPLACE PROCEDURE raise_salary(p_empno IN NUMBER, p_pct IN NUMBER) IS",
     "  v_old NUMBER(8,2);", "BEGIN", "    SELECT sal INTO v_old FROM emp WHERE empno = p_empno FOR UPDATE;",
     "    UPDATE emp SET sal = sal * (1 + p_pct / 100) WHERE empno = p_empno;",
     "    IF SQL%ROWCOUNT = 0 THEN",
     "        RAISE_APPLICATION_ERROR(-20001, 'No employee ' || p_empno);", "    END IF;",
     "    DBMS_OUTPUT.PUT_LINE('raised from ' || v_old);", "EXCEPTION",
     "    WHEN NO_DATA_FOUND THEN NULL;", "END;", "/", ""},
    {"INSERT INTO audit_log (id, at, note) VALUES (audit_seq.NEXTVAL, SYSDATE, 'it''s done');",
     "UPDATE dept SET loc = \"Boston\" WHERE deptno = 0x1F; COMMIT;"},
    {"CREATE TABLE bonus_2024 (empno NUMBER(4) PRIMARY KEY, amount NUMBER(10,2) DEFAULT 0,",
     "    paid DATE, note VARCHAR2(200)) TABLESPACE users STORAGE (INITIAL 64K);",
     "ALTER TABLE bonus_2024 ADD CONSTRAINT fk_emp FOREIGN KEY (empno) REFERENCES emp;", ""},
};

struct SqlText {
    std::string bytes;
    std::vector<std::string_view> lines;
};

const SqlText& Text() {
    static const SqlText text = [] {
        SqlText t;
        t.bytes.reserve(kTextBytes + 4096);
        std::vector<std::size_t> starts;
        std::mt19937 random(12345);
        while (t.bytes.size() < kTextBytes) {
            for (const std::string& line : kGroups[random() % kGroups.size()]) {
                starts.push_back(t.bytes.size());
                t.bytes += line;
                t.bytes += '\n';
            }
        }
        starts.push_back(t.bytes.size());
        t.lines.reserve(starts.size() - 1);
        for (std::size_t k = 0; k + 1 < starts.size(); ++k)
            t.lines.emplace_back(t.bytes.data() + starts[k], starts[k + 1] - starts[k] - 1);
        return t;
    }();
    return text;
}

class TextLines : public editor::LineSource {
public:
    explicit TextLines(const SqlText& text) : text_(text) {}
    int32_t LineCount() const override { return static_cast<int32_t>(text_.lines.size()); }
    std::string_view LineText(int32_t line) const override {
        return text_.lines[static_cast<std::size_t>(line)];
    }

private:
    const SqlText& text_;
};

const std::array<unsigned char, 256> kUpper = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return table;
}();

void UpperCase(std::string_view bytes, std::vector<unsigned char>& out) {
    out.resize(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = kUpper[p[i]];
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
}

std::size_t BytesOfFirstLines(const SqlText& text, int32_t lines) {
    return static_cast<std::size_t>(text.lines[static_cast<std::size_t>(lines)].data() - text.bytes.data());
}

void SetBytes(benchmark::State& state, std::size_t bytes, std::size_t lines) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["lines"] = static_cast<double>(lines);
}

void UpperCasePass(benchmark::State& state) {
    const SqlText& text = Text();
    std::vector<unsigned char> out;
    for (auto _ : state)
        UpperCase(text.bytes, out);
    SetBytes(state, text.bytes.size(), text.lines.size());
}

void ScanAllLinesWithRuns(benchmark::State& state) {
    const SqlText& text = Text();
    ColourRuns runs;
    std::size_t runCount = 0;
    for (auto _ : state) {
        ParseState parse = 0;
        for (std::string_view line : text.lines) {
            parse = editor::ScanLine(parse, line, &runs);
            runCount += runs.size();
        }
        benchmark::DoNotOptimize(parse);
    }
    benchmark::DoNotOptimize(runCount);
    SetBytes(state, text.bytes.size(), text.lines.size());
}

void ScanAllLinesEndStateOnly(benchmark::State& state) {
    const SqlText& text = Text();
    for (auto _ : state) {
        ParseState parse = 0;
        for (std::string_view line : text.lines)
            parse = editor::ScanLine(parse, line, nullptr);
        benchmark::DoNotOptimize(parse);
    }
    SetBytes(state, text.bytes.size(), text.lines.size());
}

void UpperCasePassFirst1M(benchmark::State& state) {
    const SqlText& text = Text();
    const std::string_view first(text.bytes.data(), BytesOfFirstLines(text, kMiddleLine));
    std::vector<unsigned char> out;
    for (auto _ : state)
        UpperCase(first, out);
    SetBytes(state, first.size(), kMiddleLine);
}

void CacheCatchUpToLine1M(benchmark::State& state) {
    const SqlText& text = Text();
    const TextLines lines(text);
    for (auto _ : state) {
        editor::ParseStateCache cache;
        benchmark::DoNotOptimize(cache.StateAt(lines, kMiddleLine));
    }
    SetBytes(state, BytesOfFirstLines(text, kMiddleLine), kMiddleLine);
}

// Short, fixed runs: the machine is shared, and each iteration already covers 50-100 MB.
BENCHMARK(UpperCasePass)->Unit(benchmark::kMillisecond)->Iterations(4)->UseRealTime();
BENCHMARK(ScanAllLinesWithRuns)->Unit(benchmark::kMillisecond)->Iterations(4)->UseRealTime();
BENCHMARK(ScanAllLinesEndStateOnly)->Unit(benchmark::kMillisecond)->Iterations(4)->UseRealTime();
BENCHMARK(UpperCasePassFirst1M)->Unit(benchmark::kMillisecond)->Iterations(8)->UseRealTime();
BENCHMARK(CacheCatchUpToLine1M)->Unit(benchmark::kMillisecond)->Iterations(8)->UseRealTime();

// Prints the table as usual and keeps each benchmark's seconds per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            seconds_[run.run_name.function_name] =
                run.real_accumulated_time / static_cast<double>(run.iterations);
        }
    }

    void PrintRatios() const {
        std::printf("\nRatios to the baseline measured in this run (time / baseline time):\n");
        Ratio("ScanAllLinesWithRuns", "UpperCasePass");
        Ratio("ScanAllLinesEndStateOnly", "UpperCasePass");
        Ratio("CacheCatchUpToLine1M", "UpperCasePassFirst1M");
        const auto catchUp = seconds_.find("CacheCatchUpToLine1M");
        if (catchUp != seconds_.end())
            std::printf("  catch-up to line 1,000,000: %.1f ms of the 100 ms first-paint budget\n",
                        catchUp->second * 1000.0);
    }

private:
    void Ratio(const char* measured, const char* baseline) const {
        const auto m = seconds_.find(measured);
        const auto b = seconds_.find(baseline);
        if (m == seconds_.end() || b == seconds_.end() || b->second <= 0)
            return;
        std::printf("  %-26s / %-22s = %.2f\n", measured, baseline, m->second / b->second);
    }

    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
