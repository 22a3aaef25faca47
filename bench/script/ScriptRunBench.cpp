// Scripts of single-row INSERTs (about 60 bytes a statement, so 100,000 of them make 6 MB):
// - baseline: the same statements prepared and executed through DBStmt in a plain loop;
// - F8 through the real editor window (offscreen): the whole run, against the baseline of the same
//   size in the same run (x_plain), how many times a second the output list was painted, and the
//   longest time the window's event loop went without a turn;
// - growth: the window's time for 100,000 statements over its time for 10,000 (linear is 10);
// - Stop part-way through a 100,000-statement script: the time until the run is over.
// Each run's rows are rolled back, so every iteration starts on the same empty table.
#include "BenchProgram.h"
#include "CQuarvelDoc.h"
#include "CSqlMainFrame.h"
#include "CSqlOutputView.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "DBConnect.h"
#include "DBStmt.h"
#include "ExecCommands.h"
#include "IniSettingsKey.h"
#include "ScriptCommands.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

TestDatabase* theDatabase = nullptr;
CTavrelApp* theApp = nullptr;

std::string Statement(int i) {
    return "insert into s values (" + std::to_string(i) + ", 'observer " + std::to_string(i) + "', 42.5)";
}

std::string Script(int n) {
    std::string script;
    script.reserve(static_cast<size_t>(n) * 64);
    for (int i = 0; i < n; ++i)
        script += Statement(i) + ";\n";
    return script;
}

std::map<int, double> plainSeconds;  // per statement count, one iteration
std::map<int, double> windowSeconds;

void BM_PlainLoop(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    DBConnect session;
    session.Logon("DEMO", "demo", theDatabase->Path().c_str());
    std::vector<std::string> statements;
    for (int i = 0; i < n; ++i)
        statements.push_back(Statement(i));
    double seconds = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        for (const std::string& text : statements) {
            DBStmt stmt;
            stmt.Prepare(&session, text.c_str());
            stmt.Execute();
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        state.PauseTiming();
        DBStmt rollback(&session, "rollback");
        rollback.Rollback();
        state.ResumeTiming();
    }
    plainSeconds[n] = seconds / static_cast<double>(state.iterations());
}

struct EditorWindow {
    QPointer<CSqlMainFrame> frame;
    CQuarvelDoc* doc = nullptr;
    EditorWindow() {
        theApp->Fields().pendingConnection = std::make_unique<DBConnect>();
        theApp->Fields().pendingConnection->Logon("DEMO", "demo", theDatabase->Path().c_str());
        frame = theApp->OpenNewDocument();
        frame->resize(1100, 760);
        doc = frame->Document();
    }
    ~EditorWindow() {
        if (frame) {
            doc->StopWorker();
            RouteSessionCommand(*doc, cmd::kRollback);
        }
        bench::CloseEditorWindow(frame, doc);
    }
    // Serves the window's event loop, as the desktop would, until the run is over.
    void WaitIdle() {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!doc->IsWorkerRunning())
                loop.quit();
        });
        poll.start(1);
        loop.exec();
    }
};

// Counts the paints of one widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

void BM_ScriptThroughTheWindow(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string script = Script(n);
    EditorWindow window;
    double seconds = 0, paintsPerSecond = 1e9;
    int64_t longestStallMs = 0;
    for (auto _ : state) {
        PaintCounter paints(window.frame->OutputView()->viewport());
        QElapsedTimer sinceTurn;
        QTimer turns;
        QObject::connect(&turns, &QTimer::timeout, [&] { longestStallMs = std::max<int64_t>(longestStallMs, sinceTurn.restart()); });
        turns.start(1);
        sinceTurn.start();
        const auto started = std::chrono::steady_clock::now();
        if (!ExecuteScriptSql(*window.doc, script, 0))
            return state.SkipWithError("the script did not start");
        window.WaitIdle();
        const double run = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        turns.stop();
        seconds += run;
        paintsPerSecond = std::min(paintsPerSecond, paints.paints / run);
        state.PauseTiming();
        const QString last = window.frame->OutputView()->LineText(window.frame->OutputView()->LineCount() - 1);
        if (!last.endsWith(QStringLiteral("Statement processed.")))
            state.SkipWithError(qPrintable("the script did not run through: " + last));
        RouteSessionCommand(*window.doc, cmd::kRollback);
        state.ResumeTiming();
    }
    windowSeconds[n] = seconds / static_cast<double>(state.iterations());
    state.counters["statements/s"] = benchmark::Counter(static_cast<double>(n) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["paints/s"] = paintsPerSecond;
    state.counters["stall_ms"] = static_cast<double>(longestStallMs);
    if (plainSeconds.count(n))
        state.counters["x_plain"] = windowSeconds[n] / plainSeconds[n];
    if (n == 100000 && windowSeconds.count(10000))
        state.counters["x_10k"] = windowSeconds[n] / windowSeconds[10000];
}

void BM_StopDuringScript(benchmark::State& state) {
    const std::string script = Script(100000);
    EditorWindow window;
    double stopMs = 0;
    for (auto _ : state) {
        std::chrono::steady_clock::time_point pressed;
        CQuarvelDoc* doc = window.doc;
        QTimer::singleShot(500, [doc, &pressed] {
            pressed = std::chrono::steady_clock::now();
            RouteSessionCommand(*doc, cmd::kStopSql);
        });
        if (!ExecuteScriptSql(*window.doc, script, 0))
            return state.SkipWithError("the script did not start");
        window.WaitIdle();
        stopMs = std::max(stopMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - pressed).count());
        state.PauseTiming();
        RouteSessionCommand(*window.doc, cmd::kRollback);
        state.ResumeTiming();
    }
    state.counters["stop_ms"] = stopMs;
}

} // namespace

BENCHMARK(BM_PlainLoop)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ScriptThroughTheWindow)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_StopDuringScript)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv) {
    TestDatabase database;
    theDatabase = &database;
    {
        DBConnect session;
        session.Logon("DEMO", "demo", database.Path().c_str());
        DBStmt create(&session, "create table s (id number, name varchar2(40), score number)");
        create.Execute();
    }
    // The history log off: it is not what is measured.
    return bench::RunInProgram(argc, argv, theApp, [](const std::string&) {
        platform::IniSettingsKey::OpenProgramCreating()->Write("SaveSqlHistory", "0");
    });
}
