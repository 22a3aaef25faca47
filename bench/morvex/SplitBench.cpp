// Splitting a 50 MB script into all its statements, the way the program's script runner does, against
// one plain pass that upper-cases every byte of the same text into a buffer (the baseline).
#include "morvex.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr size_t kScriptBytes = 50u * 1024u * 1024u;

struct Script {
    std::string text; // the script plus its terminating NUL, as the program holds it
    size_t statements = 0;
};

// Typical script content: DML and DDL ended by ";", comments, anonymous blocks and stored procedures
// ended by a "/" line, grants.
const Script& TypicalScript() {
    static const Script script = [] {
        Script s;
        s.text.reserve(kScriptBytes + 4096);
        char buf[1024];
        for (unsigned n = 0; s.text.size() < kScriptBytes; ++n) {
            switch (n % 8) {
            case 0:
                std::snprintf(buf, sizeof buf,
                              "-- load batch %u\ninsert into emp (empno, ename, job, sal, deptno)\n"
                              "  values (%u, 'NAME_%u', 'CLERK', 1234.50, 20);\n",
                              n, n, n);
                break;
            case 1:
                std::snprintf(buf, sizeof buf,
                              "update emp set sal = sal * 1.05, job = 'it''s' where empno = %u and job <> "
                              "'PRESIDENT';\n",
                              n);
                break;
            case 2:
                std::snprintf(
                    buf, sizeof buf,
                    "/* monthly clean-up; keeps the last year */\n"
                    "delete from audit_log where logged_at < add_months(sysdate, -12) and id = %u;\n",
                    n);
                break;
            case 3:
                std::snprintf(buf, sizeof buf,
                              "create table t_%u (\n  id number primary key,\n  name varchar2(40),\n"
                              "  created date default sysdate\n);\n",
                              n);
                break;
            case 4:
                std::snprintf(
                    buf, sizeof buf,
                    "begin\n  update stats set hits = hits + 1 where id = %u;\n  commit;\nend;\n/\n", n);
                break;
            case 5:
                std::snprintf(buf, sizeof buf,
                              "create or replace procedure p_%u (x in number) is\n  v number;\nbegin\n"
                              "  select count(*) into v from emp where deptno = x; -- per department\n"
                              "  dbms_output.put_line('count: ' || v);\nend;\n/\n",
                              n);
                break;
            case 6:
                std::snprintf(buf, sizeof buf, "grant select, insert on t_%u to scott;\n", n);
                break;
            default:
                std::snprintf(buf, sizeof buf,
                              "select e.ename, d.dname from emp e join dept d on d.deptno = e.deptno "
                              "where e.sal > %u order by 1;\n",
                              n);
                break;
            }
            s.text += buf;
            ++s.statements;
        }
        s.text += '\0';
        return s;
    }();
    return script;
}

unsigned char UpperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? (unsigned char)(c - 32) : c;
}

void BM_UpperCasePass(benchmark::State& state) {
    const std::string& text = TypicalScript().text;
    std::vector<unsigned char> out(text.size());
    for (auto _ : state) {
        const unsigned char* in = reinterpret_cast<const unsigned char*>(text.data());
        for (size_t i = 0; i < text.size(); ++i)
            out[i] = UpperAscii(in[i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

// The caller's loop: nLength is always all the bytes left, and only the bytes the previous call may
// have written (its *pnNext) are zeroed again.
void BM_SplitWholeScript(benchmark::State& state) {
    const Script& script = TypicalScript();
    const uint32_t total = uint32_t(script.text.size());
    std::vector<char> statement(size_t(total) + 1, 0);
    size_t statements = 0;
    for (auto _ : state) {
        statements = 0;
        uint32_t offset = 0, written = 0;
        while (offset < total) {
            std::memset(statement.data(), 0, written);
            uint32_t next = 0;
            ParseScript(script.text.data() + offset, statement.data(), total - offset, &next);
            written = next;
            offset += next;
            ++statements;
            benchmark::DoNotOptimize(statement.data());
        }
    }
    // The last call takes the tail after the final terminator (the LF and the NUL).
    if (statements != script.statements + 1)
        state.SkipWithError("the script did not split into the statements it was built from");
    state.counters["statements"] = double(statements);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(total));
}

BENCHMARK(BM_UpperCasePass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitWholeScript)->Unit(benchmark::kMillisecond);

// Prints each run as usual and keeps its CPU time per iteration for the ratio at the end (CPU time:
// on a shared machine the wall clock also counts the time other work held the core).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                seconds_[run.run_name.function_name] = run.cpu_accumulated_time / double(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Seconds(const std::string& name) const {
        auto it = seconds_.find(name);
        return it == seconds_.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double base = reporter.Seconds("BM_UpperCasePass");
    const double split = reporter.Seconds("BM_SplitWholeScript");
    if (base > 0.0 && split > 0.0) {
        const double mb = double(TypicalScript().text.size()) / 1e6;
        std::printf("\nscript: %.1f MB, %zu statements\n", mb, TypicalScript().statements);
        std::printf("upper-case pass: %.0f MB/s; split: %.0f MB/s; split takes %.2fx the baseline's time\n",
                    mb / base, mb / split, split / base);
    }
    return 0;
}
