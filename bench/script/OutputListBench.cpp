// The output list with 200,000 notices, some of several lines, appended in bursts as a fast script
// reports them (published every 1,000 lines, scrolled to the bottom and painted each time), through the
// real list (offscreen). Rows of several lines need rows of their own height; the baseline is the same
// list told that every row has one height, in the same run.
#include "CSqlOutputView.h"
#include "OutputLines.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <string>

namespace {

void Fill(CSqlOutputView& view, int count) {
    OutputLines* lines = view.Lines();
    for (int i = 0; i < count; ++i) {
        std::string text = "[12:00:00]: [" + std::to_string(i) + "]: insert into t values (" + std::to_string(i) + ")";
        if (i % 10 == 0)
            text += "\nORA-00001: unique constraint violated\nline 2";
        lines->Insert(lines->Count(), text);
        if (i % 1000 == 999) {
            lines->Publish();
            view.scrollToBottom();
            view.viewport()->repaint();
            QApplication::processEvents();
        }
    }
    lines->Publish();
    view.scrollToBottom();
    view.viewport()->repaint();
}

void Run(benchmark::State& state, bool uniform) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CSqlOutputView view;
        view.setUniformRowHeights(uniform);
        view.resize(800, 300);
        view.show();
        QApplication::processEvents();
        Fill(view, count);
        benchmark::DoNotOptimize(view.model()->rowCount());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_OneRowHeight(benchmark::State& state) {
    Run(state, true);
}

void BM_RowsOfTheirOwnHeight(benchmark::State& state) {
    Run(state, false);
}

BENCHMARK(BM_OneRowHeight)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RowsOfTheirOwnHeight)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
