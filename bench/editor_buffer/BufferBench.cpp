// Text buffer figures, each against a baseline measured in the same run:
//  - loading a 100 MB SQL file (about two million lines) against reading the same file into memory and
//    counting its line ends ("vs_baseline" is the ratio of the two; the aim is 3 or less);
//  - single-byte inserts and deletes at random places, with undo records, in buffers of 100,000 and
//    1,000,000 lines ("vs_small" is the larger buffer's time per change over the smaller one's; about
//    1 means the cost does not grow with the buffer);
//  - line breaks typed at random places (each adds a line to the line table), the same two sizes.
// Random places in a large buffer cost cache misses whatever the data structure; "vs_read" sets each
// change against reading one byte at the same kind of random place in a buffer of the same size.
#include "TextBuffer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

using namespace editor;

namespace {

using Clock = std::chrono::steady_clock;

// The 100 MB script, written once per run into a temporary folder that goes at exit.
class BigScript {
public:
    static const BigScript& Get() {
        static BigScript script;
        return script;
    }
    const std::string& Path() const { return path_; }
    int64_t Lines() const { return lines_; }

    ~BigScript() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

private:
    BigScript() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quarvel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        folder_ = pattern;
        path_ = folder_ + "/big.sql";
        std::FILE* out = std::fopen(path_.c_str(), "wb");
        if (out == nullptr)
            std::abort();
        constexpr int64_t kSize = 100 * 1000 * 1000;
        int64_t written = 0;
        char line[160];
        std::mt19937 random(7);
        while (written < kSize) {
            int n;
            switch (random() % 4) {
            case 0:
                n = std::snprintf(line, sizeof line, "select id, name_%u, amount from orders_%u\r\n",
                                  static_cast<unsigned>(random() % 100), static_cast<unsigned>(random() % 50));
                break;
            case 1:
                n = std::snprintf(line, sizeof line, " where customer_id = %u and status = 'OPEN';\r\n",
                                  static_cast<unsigned>(random() % 100000));
                break;
            case 2:
                n = std::snprintf(line, sizeof line, "\r\n");
                break;
            default:
                n = std::snprintf(line, sizeof line, "insert into audit_log values (%u, sysdate, 'x');\r\n",
                                  static_cast<unsigned>(random()));
                break;
            }
            std::fwrite(line, 1, static_cast<size_t>(n), out);
            written += n;
            ++lines_;
        }
        std::fclose(out);
    }

    std::string folder_;
    std::string path_;
    int64_t lines_ = 0;
};

// Seconds per iteration of the baselines, keyed by name, for the ratios.
std::map<std::string, double>& Baselines() {
    static std::map<std::string, double> baselines;
    return baselines;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_ReadFileAndCountLineEnds(benchmark::State& state) {
    const BigScript& script = BigScript::Get();
    const size_t size = std::filesystem::file_size(script.Path());
    double total = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        std::unique_ptr<char[]> bytes(new char[size]);
        int fd = ::open(script.Path().c_str(), O_RDONLY);
        size_t filled = 0;
        for (ssize_t got; filled < size && (got = ::read(fd, bytes.get() + filled, size - filled)) > 0;)
            filled += static_cast<size_t>(got);
        ::close(fd);
        int64_t lineEnds = 0;
        for (const char* p = bytes.get(); (p = static_cast<const char*>(std::memchr(p, '\n', bytes.get() + filled - p)));
             ++p)
            ++lineEnds;
        benchmark::DoNotOptimize(lineEnds);
        bytes.reset();
        total += SecondsSince(start);
    }
    Baselines()["read"] = total / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(size) * state.iterations());
}

void BM_LoadFile(benchmark::State& state) {
    const BigScript& script = BigScript::Get();
    const size_t size = std::filesystem::file_size(script.Path());
    double total = 0;
    int32_t lines = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        {
            CTextBuffer buffer;
            if (!buffer.LoadFile(script.Path()))
                state.SkipWithError("load failed");
            lines = buffer.LineCount();
        }
        total += SecondsSince(start);
    }
    state.SetBytesProcessed(static_cast<int64_t>(size) * state.iterations());
    state.counters["lines"] = lines;
    auto baseline = Baselines().find("read");
    if (baseline != Baselines().end())
        state.counters["vs_baseline"] = total / static_cast<double>(state.iterations()) / baseline->second;
}

// A buffer of n lines of 20 to 60 bytes.
void FillLines(CTextBuffer& buffer, int64_t n) {
    std::mt19937 random(11);
    std::string text;
    text.reserve(static_cast<size_t>(n) * 42);
    for (int64_t i = 0; i < n; ++i) {
        if (i > 0)
            text += "\r\n";
        text.append(20 + random() % 41, static_cast<char>('a' + i % 26));
    }
    buffer.ResetToEmpty(EOL_DOS);
    int32_t endLine = 0;
    int32_t endChar = 0;
    buffer.ApplyInsert(nullptr, 0, 0, text, endLine, endChar);
}

// Changes at random places; reports the time per change and, for the larger buffer, its ratio to the
// smaller one's measured just before.
template <typename Change>
double RunChanges(benchmark::State& state, const char* kind, Change change) {
    const int64_t lineCount = state.range(0);
    CTextBuffer buffer;
    FillLines(buffer, lineCount);
    std::mt19937 random(5);
    const Clock::time_point start = Clock::now();
    for (auto _ : state)
        change(buffer, random);
    const double perChange = SecondsSince(start) / static_cast<double>(state.iterations());
    auto smaller = Baselines().find(kind);
    if (smaller == Baselines().end())
        Baselines()[kind] = perChange;
    else
        state.counters["vs_small"] = perChange / smaller->second;
    auto read = Baselines().find("read/" + std::to_string(lineCount));
    if (read != Baselines().end() && read->first != kind)
        state.counters["vs_read"] = perChange / read->second;
    return perChange;
}

// The baseline of the changes: one byte read at a random place.
void BM_ReadOneByte(benchmark::State& state) {
    const std::string key = "read/" + std::to_string(state.range(0));
    Baselines()[key] = RunChanges(state, key.c_str(), [](CTextBuffer& buffer, std::mt19937& random) {
        const int32_t line = static_cast<int32_t>(random() % static_cast<uint32_t>(buffer.LineCount()));
        const int32_t x = static_cast<int32_t>(random() % static_cast<uint32_t>(buffer.LineLength(line)));
        benchmark::DoNotOptimize(buffer.LineText(line)[x]);
    });
}

void BM_InsertOneByte(benchmark::State& state) {
    RunChanges(state, "insert", [](CTextBuffer& buffer, std::mt19937& random) {
        const int32_t line = static_cast<int32_t>(random() % static_cast<uint32_t>(buffer.LineCount()));
        const int32_t x = static_cast<int32_t>(random() % static_cast<uint32_t>(buffer.LineLength(line) + 1));
        int32_t endLine = 0;
        int32_t endChar = 0;
        buffer.Insert(nullptr, line, x, "x", endLine, endChar, ACT_TYPING);
    });
}

void BM_DeleteOneByte(benchmark::State& state) {
    RunChanges(state, "delete", [](CTextBuffer& buffer, std::mt19937& random) {
        const int32_t line = static_cast<int32_t>(random() % static_cast<uint32_t>(buffer.LineCount()));
        const int32_t length = buffer.LineLength(line);
        if (length == 0)
            return;
        const int32_t x = static_cast<int32_t>(random() % static_cast<uint32_t>(length));
        buffer.Delete(nullptr, line, x, line, x + 1, ACT_DELETE);
    });
}

void BM_InsertLineBreak(benchmark::State& state) {
    RunChanges(state, "break", [](CTextBuffer& buffer, std::mt19937& random) {
        const int32_t line = static_cast<int32_t>(random() % static_cast<uint32_t>(buffer.LineCount()));
        const int32_t x = static_cast<int32_t>(random() % static_cast<uint32_t>(buffer.LineLength(line) + 1));
        int32_t endLine = 0;
        int32_t endChar = 0;
        buffer.Insert(nullptr, line, x, "\r\n", endLine, endChar, ACT_TYPING);
    });
}

} // namespace

BENCHMARK(BM_ReadFileAndCountLineEnds)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadOneByte)->Arg(100000)->Arg(1000000)->Iterations(100000)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_InsertOneByte)->Arg(100000)->Arg(1000000)->Iterations(100000)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_DeleteOneByte)->Arg(100000)->Arg(1000000)->Iterations(100000)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_InsertLineBreak)->Arg(100000)->Arg(1000000)->Iterations(2000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
