// The output list with 200,000 notices appended in bursts as a fast script reports them (published
// every 1,000 lines, scrolled to the bottom and painted each time), through the real list (offscreen):
// - baseline: a plain tree view over the same line model with rows of one height;
// - the output list with notices of one line each (it keeps rows of one height);
// - the output list with every tenth notice three lines long (rows of their own height).
#include "CSqlOutputView.h"
#include "OutputLines.h"

#include <QApplication>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <string>

namespace {

void Fill(QTreeView& view, OutputLines& lines, int count, bool multiLine) {
    for (int i = 0; i < count; ++i) {
        std::string text = "[12:00:00]: [" + std::to_string(i) + "]: insert into t values (" + std::to_string(i) + ")";
        if (multiLine && i % 10 == 0)
            text += "\nORA-00001: unique constraint violated\nline 2";
        lines.Insert(lines.Count(), text);
        if (i % 1000 == 999) {
            lines.Publish();
            view.scrollToBottom();
            view.viewport()->repaint();
            QApplication::processEvents();
        }
    }
    lines.Publish();
    view.scrollToBottom();
    view.viewport()->repaint();
}

void BM_PlainTreeOneRowHeight(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        QTreeView view;
        OutputLines lines;
        view.setModel(&lines);
        view.setUniformRowHeights(true);
        view.setHeaderHidden(true);
        view.setRootIsDecorated(false);
        view.resize(800, 300);
        view.show();
        QApplication::processEvents();
        Fill(view, lines, count, true);
        benchmark::DoNotOptimize(view.model()->rowCount());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void Output(benchmark::State& state, bool multiLine) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CSqlOutputView view;
        view.resize(800, 300);
        view.show();
        QApplication::processEvents();
        Fill(view, *view.Lines(), count, multiLine);
        benchmark::DoNotOptimize(view.model()->rowCount());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_OutputListOneLineNotices(benchmark::State& state) {
    Output(state, false);
}

void BM_OutputListSomeNoticesOfThreeLines(benchmark::State& state) {
    Output(state, true);
}

BENCHMARK(BM_PlainTreeOneRowHeight)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_OutputListOneLineNotices)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_OutputListSomeNoticesOfThreeLines)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
