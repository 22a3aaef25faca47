// Fetching all rows of the demo database's 1,000,000-row table BIG_LOG:
// - baseline: the raw fetch through DBStmt and the column slots, no window;
// - Last Row through the real result grid (offscreen, progress dialog included): rows per second and
//   the memory the rows take;
// - Stop pressed during that Last Row: how long until the run is over;
// - the time from Execute to the first 50 rows in the grid;
// - Last Row of 100,000 rows and the first batch over a simulated 2 ms network, with round trips;
// - the hand-off alone: a synchronous send from a worker to a window thread running its event loop,
//   against the same send on the window's own thread.
// Run scripts/make-demo-db.sh first (scripts/setup.sh does).
#include "BenchProgram.h"
#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "ColumnSlots.h"
#include "DBConnect.h"
#include "DBStmt.h"
#include "CommandIds.h"
#include "ExecCommands.h"
#include "Execution.h"
#include "MessageBox.h"
#include "RegisteredMessages.h"
#include "ResultModel.h"
#include "SecondSession.h"
#include "SyncSend.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

const char* kQuery = "select * from big_log";
constexpr int kBigRows = 1000000;

bool HaveDemo() {
    return std::filesystem::exists(QUARVEL_DEMO_DB);
}

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

// CPU time the host took from this virtual machine so far (all CPUs), in milliseconds: a run that
// lost much of it measured the neighbours, not this program.
double StolenMilliseconds() {
    std::ifstream stat("/proc/stat");
    std::string cpu;
    double fields[8] = {};
    stat >> cpu;
    for (double& field : fields)
        stat >> field;
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    return ticksPerSecond > 0 ? fields[7] * 1000.0 / static_cast<double>(ticksPerSecond) : 0;
}

std::unique_ptr<DBConnect> Logon(const std::string& options = {}) {
    auto session = std::make_unique<DBConnect>();
    const std::string connect = std::string(QUARVEL_DEMO_DB) + options;
    session->Logon("DEMO", "demo", connect.c_str());
    return session;
}


// The raw fetch's time per iteration, for the grid's ratio in the same run.
double rawFetchSeconds = 0;

void BM_RawFetchAll(benchmark::State& state) {
    if (!HaveDemo())
        return state.SkipWithError("no demo.db: run scripts/make-demo-db.sh");
    auto session = Logon();
    int64_t rows = 0;
    const double stolenBefore = StolenMilliseconds();
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) {
        DBStmt stmt(session.get(), kQuery);
        const uint32_t columns = stmt.Describe();
        auto columnSlots = std::make_unique<ColumnSlots>();
        for (uint32_t p = 1; p <= columns; ++p) {
            const ColumnKind kind = stmt.ColumnType(p);
            columnSlots->DefineColumn(stmt, p - 1, kind, stmt.ColumnSize(p));
        }
        size_t bytes = 0;
        try {
            for (;;) {
                stmt.Fetch();
                for (uint32_t c = 0; c < columns; ++c)
                    bytes += columnSlots->CellText(c)->size();
                ++rows;
            }
        } catch (const DBStmt::OtherException&) {
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
    state.counters["stolen_ms"] = StolenMilliseconds() - stolenBefore;
    rawFetchSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() /
                      static_cast<double>(state.iterations());
}

// The program, started as on a desktop (the connect dialog that opens first is cancelled); each
// GridWindow is an editor window of it, offscreen, on the demo database: the grid with everything
// around it that a fetch touches.
CTavrelApp* theApp = nullptr;

struct GridWindow {
    QPointer<CSqlMainFrame> frame;
    CQuarvelDoc* doc = nullptr;
    explicit GridWindow(const std::string& options = {}) {
        theApp->Fields().pendingConnection = Logon(options);
        frame = theApp->OpenNewDocument();
        doc = frame->Document();
    }
    ~GridWindow() { bench::CloseEditorWindow(frame, doc); }
    CQuarvelView* Grid() const { return frame->SplitFrame()->Grid(); }
    bool Execute(const char* query = kQuery) {
        const bool started = exec::ExecuteCommand(doc->Exec(), query, 0) == exec::Outcome::Started;
        doc->WaitForWorker();
        QApplication::processEvents();
        return started;
    }
};

void BM_GridLastRow(benchmark::State& state) {
    if (!HaveDemo())
        return state.SkipWithError("no demo.db: run scripts/make-demo-db.sh");
    double megabytes = 0;
    double stolen = 0;
    double seconds = 0;
    int64_t longestStallMs = 0;
    int64_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<GridWindow>();
        window->Execute();
        const double before = ResidentMegabytes();
        const double stolenBefore = StolenMilliseconds();
        // The longest time the window's event loop went without a turn: how long a repaint or a click
        // on Cancel could have waited.
        QElapsedTimer sinceTurn;
        QTimer turns;
        QObject::connect(&turns, &QTimer::timeout, [&] {
            longestStallMs = std::max<int64_t>(longestStallMs, sinceTurn.restart());
        });
        turns.start(1);
        sinceTurn.start();
        const auto started = std::chrono::steady_clock::now();
        state.ResumeTiming();
        window->Grid()->LastRow();
        state.PauseTiming();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        turns.stop();
        stolen += StolenMilliseconds() - stolenBefore;
        rows += window->Grid()->Model()->RowCount();
        if (window->Grid()->Model()->RowCount() != kBigRows)
            state.SkipWithError("not every row arrived");
        megabytes = std::max(megabytes, ResidentMegabytes() - before);
        window.reset();
        state.ResumeTiming();
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
    state.counters["rows_MB"] = megabytes;
    state.counters["stolen_ms"] = stolen;
    state.counters["stall_ms"] = static_cast<double>(longestStallMs);
    if (rawFetchSeconds > 0)
        state.counters["x_raw"] = seconds / static_cast<double>(state.iterations()) / rawFetchSeconds;
}

void BM_ExecuteToFirst50Rows(benchmark::State& state) {
    if (!HaveDemo())
        return state.SkipWithError("no demo.db: run scripts/make-demo-db.sh");
    GridWindow window;
    for (auto _ : state) {
        window.Execute();
        if (window.Grid()->model()->rowCount() != 50)
            state.SkipWithError("the first batch did not show 50 rows");
    }
}

// Stop pressed part-way through Last Row of BIG_LOG: the time from the command until the run is over
// and the progress dialog has gone (against the whole Last Row measured above).
void BM_StopDuringLastRow(benchmark::State& state) {
    if (!HaveDemo())
        return state.SkipWithError("no demo.db: run scripts/make-demo-db.sh");
    double stopMs = 0;
    int64_t rowsLeft = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<GridWindow>();
        window->Execute();
        std::chrono::steady_clock::time_point pressed;
        CQuarvelDoc* doc = window->doc;
        QTimer::singleShot(300, [doc, &pressed] {
            pressed = std::chrono::steady_clock::now();
            RouteSessionCommand(*doc, cmd::kStopSql);
        });
        state.ResumeTiming();
        window->Grid()->LastRow();
        state.PauseTiming();
        stopMs = std::max(stopMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - pressed).count());
        rowsLeft += kBigRows - window->Grid()->Model()->RowCount();
        if (window->doc->IsWorkerRunning() || rowsLeft == 0)
            state.SkipWithError("the stop did not end the run part-way");
        window.reset();
        state.ResumeTiming();
    }
    state.counters["stop_ms"] = stopMs;
}

// A server across a network, simulated by the embedded client: Last Row of 100,000 rows of BIG_LOG
// at a 2 ms round trip against the same at none (x_zero), F9 to the first 50 rows at 2 ms, and the
// first page of OBSERVATIONS with its CLOB column. Round trips are counted by the server's own
// statistic and given per 1,000 rows.
constexpr const char* kHundredThousand = "select * from big_log where rownum <= 100000";
double zeroRttLastRowSeconds = 0;

void BM_LastRowAtRoundTrip(benchmark::State& state) {
    if (!HaveDemo())
        return state.SkipWithError("no demo.db: run scripts/make-demo-db.sh");
    const long rttUs = state.range(0);
    double seconds = 0;
    long trips = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<GridWindow>(rttUs ? "?rtt=" + std::to_string(rttUs) + "us" : std::string());
        window->Execute(kHundredThousand);
        const long before = RoundTripsOf(*window->doc->Exec().session);
        const auto started = std::chrono::steady_clock::now();
        state.ResumeTiming();
        window->Grid()->LastRow();
        state.PauseTiming();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        trips += RoundTripsOf(*window->doc->Exec().session) - before - 1;
        if (window->Grid()->Model()->RowCount() != 100000)
            state.SkipWithError("not every row arrived");
        window.reset();
        state.ResumeTiming();
    }
    const double perRun = seconds / static_cast<double>(state.iterations());
    if (rttUs == 0)
        zeroRttLastRowSeconds = perRun;
    else if (zeroRttLastRowSeconds > 0)
        state.counters["x_zero"] = perRun / zeroRttLastRowSeconds;
    state.counters["trips"] = static_cast<double>(trips) / static_cast<double>(state.iterations());
    state.counters["trips_per_1000_rows"] = static_cast<double>(trips) / static_cast<double>(state.iterations()) / 100.0;
}

void BM_FirstBatchAtRoundTrip(benchmark::State& state) {
    if (!HaveDemo())
        return state.SkipWithError("no demo.db: run scripts/make-demo-db.sh");
    const char* query = state.range(0) == 0 ? kQuery : "select * from observations";
    GridWindow window("?rtt=2ms");
    long trips = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const long before = RoundTripsOf(*window.doc->Exec().session);
        state.ResumeTiming();
        window.Execute(query);
        state.PauseTiming();
        trips += RoundTripsOf(*window.doc->Exec().session) - before - 1;
        if (window.Grid()->model()->rowCount() != 50)
            state.SkipWithError("the first batch did not show 50 rows");
        state.ResumeTiming();
    }
    state.counters["trips"] = static_cast<double>(trips) / static_cast<double>(state.iterations());
    state.counters["trips_per_1000_rows"] = static_cast<double>(trips) / static_cast<double>(state.iterations()) * 20.0;
}

// Stop during Last Row over a simulated 50 ms network: the time from the command until the run is
// over (a round trip in flight is broken too).
void BM_StopAtRoundTrip(benchmark::State& state) {
    if (!HaveDemo())
        return state.SkipWithError("no demo.db: run scripts/make-demo-db.sh");
    double stopMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<GridWindow>("?rtt=50ms");
        window->Execute();
        std::chrono::steady_clock::time_point pressed;
        CQuarvelDoc* doc = window->doc;
        QTimer::singleShot(400, [doc, &pressed] {
            pressed = std::chrono::steady_clock::now();
            RouteSessionCommand(*doc, cmd::kStopSql);
        });
        state.ResumeTiming();
        window->Grid()->LastRow();
        state.PauseTiming();
        stopMs = std::max(stopMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - pressed).count());
        if (window->doc->IsWorkerRunning() || window->Grid()->Model()->RowCount() >= kBigRows)
            state.SkipWithError("the stop did not end the run part-way");
        window.reset();
        state.ResumeTiming();
    }
    state.counters["stop_ms"] = stopMs;
}

// Sorting a million rows by a header click: by a column whose texts start with numbers (ID) and by
// one whose texts do not (NAME), against std::stable_sort of the same texts with plain comparison.
constexpr int kSortRows = 1000000;

std::vector<std::string> SortTexts(int column) {
    std::vector<std::string> texts;
    texts.reserve(kSortRows);
    for (int i = 0; i < kSortRows; ++i) {
        const int key = static_cast<int>((static_cast<int64_t>(i) * 7919) % kSortRows); // shuffled
        texts.push_back(column == 1 ? std::to_string(key) : "entry " + std::to_string(key));
    }
    return texts;
}

void BM_SortBaseline(benchmark::State& state) {
    const std::vector<std::string> texts = SortTexts(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> copy = texts;
        state.ResumeTiming();
        std::stable_sort(copy.begin(), copy.end());
        benchmark::DoNotOptimize(copy.data());
    }
}

void BM_SortGridRows(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0));
    const std::vector<std::string> ids = SortTexts(1), names = SortTexts(2);
    for (auto _ : state) {
        state.PauseTiming();
        ResultModel model;
        model.SetColumns({"ID", "NAME", "CODE"});
        for (int i = 0; i < kSortRows; ++i)
            model.AppendRow(static_cast<uint32_t>(i + 1), {ids[static_cast<size_t>(i)], names[static_cast<size_t>(i)], "BB"});
        model.Publish();
        state.ResumeTiming();
        model.SortRows(column, false);
        state.PauseTiming();
        if (model.Cell(0, column) != (column == 1 ? "0" : "entry 0"))
            state.SkipWithError("not sorted");
        state.ResumeTiming();
    }
}

class Receiver : public platform::MessageTarget {
public:
    ~Receiver() override { CloseMessages(); }
    intptr_t HandleRegisteredMessage(uint32_t) override { return ++count; }
    int64_t count = 0;
};

constexpr int kSends = 100000;

void BM_HandOffSameThread(benchmark::State& state) {
    Receiver receiver;
    for (auto _ : state)
        for (int i = 0; i < kSends; ++i)
            benchmark::DoNotOptimize(platform::Send(&receiver, INSERT_SQL_REPORT_MESSAGE));
    state.counters["sends/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kSends, benchmark::Counter::kIsRate);
}

void BM_HandOffFromWorker(benchmark::State& state) {
    Receiver receiver;
    const platform::MessageHandle handle = receiver.Handle();
    for (auto _ : state) {
        QEventLoop loop;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            for (int i = 0; i < kSends; ++i)
                platform::Send(handle, INSERT_SQL_REPORT_MESSAGE);
            done = true;
        });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done)
                loop.quit();
        });
        poll.start(1);
        loop.exec();
        worker.join();
    }
    state.counters["sends/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kSends, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_RawFetchAll)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_GridLastRow)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_StopDuringLastRow)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_LastRowAtRoundTrip)->Arg(0)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_FirstBatchAtRoundTrip)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_StopAtRoundTrip)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ExecuteToFirst50Rows)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();
BENCHMARK(BM_SortBaseline)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SortGridRows)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_HandOffSameThread)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_HandOffFromWorker)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv) {
    setenv("QUARVEL_OCI_LIBRARY", LITEOCI_LIBRARY, 0);
    return bench::RunInProgram(argc, argv, theApp);
}
