// The SQL editing view on a 100 MB, 2-million-line file, offscreen:
//   (a) the first paint after a jump to the middle, including the catch-up of parse states;
//   (b) typing one character in the middle and repainting;
//   (c) scrolling one page and repainting;
//   (d) repainting the same screen.
// Baseline, in the same run: repainting the same screen of the same text with a view that does no
// colouring. Compare the figures as ratios to it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <string>

#include "BigSqlFile.h"
#include "EditorView.h"
#include "SqlEditorView.h"
#include "TextBuffer.h"

namespace {

constexpr int32_t kLines = 2'000'000;
constexpr int32_t kMiddle = kLines / 2;

std::string MakeFile(const std::string& dir) {
    const std::string path = dir + "/big.sql";
    return bench::WriteSqlFile(path, kLines) ? path : std::string();
}

struct Fixture {
    QTemporaryDir dir;
    editor::CTextBuffer buffer;
    std::unique_ptr<editor::CSqlEditorView> sql;
    std::unique_ptr<editor::CEditorView> plain;

    Fixture() {
        const std::string path = MakeFile(dir.path().toStdString());
        if (path.empty() || !buffer.LoadFile(path)) {
            std::fprintf(stderr, "cannot make or load the test file\n");
            std::exit(1);
        }
        editor::FontDescription font;
        font.faceName = "Courier";
        font.height = 16;
        sql = std::make_unique<editor::CSqlEditorView>();
        plain = std::make_unique<editor::CEditorView>();
        for (editor::CTextView* view : {static_cast<editor::CTextView*>(sql.get()), static_cast<editor::CTextView*>(plain.get())}) {
            view->SetFont(font);
            view->resize(1000, 700);
            view->AttachBuffer(&buffer);
            view->show();
        }
        sql->setFocus();
        QApplication::processEvents();
    }
};

Fixture* fixture = nullptr;

void Repaint(editor::CTextView& view) {
    view.viewport()->repaint();
}

void BM_Baseline_PlainRepaint(benchmark::State& state) {
    editor::CEditorView& view = *fixture->plain;
    view.SelectNothingAt(editor::TextPosition{0, kMiddle});
    Repaint(view);
    for (auto _ : state)
        Repaint(view);
    state.counters["lines"] = view.VisibleLines();
}

void BM_A_FirstPaintAfterJump(benchmark::State& state) {
    editor::CSqlEditorView& view = *fixture->sql;
    for (auto _ : state) {
        state.PauseTiming();
        view.SelectNothingAt(editor::TextPosition{0, 0});
        view.ForgetParseStates();
        Repaint(view);
        state.ResumeTiming();
        view.SelectNothingAt(editor::TextPosition{0, kMiddle});
        Repaint(view);
    }
    state.counters["states"] = view.KnownStateCount();
}

void BM_B_TypeInMiddle(benchmark::State& state) {
    editor::CSqlEditorView& view = *fixture->sql;
    view.SelectNothingAt(editor::TextPosition{10, kMiddle + 20});
    Repaint(view);
    for (auto _ : state) {
        view.TypeText("x");
        Repaint(view);
    }
}

void BM_C_ScrollOnePage(benchmark::State& state) {
    editor::CSqlEditorView& view = *fixture->sql;
    view.SelectNothingAt(editor::TextPosition{0, kMiddle});
    Repaint(view);
    const int32_t page = view.VisibleLines() - 1;
    for (auto _ : state) {
        view.ScrollToLine(view.FirstVisibleLine() + page);
        Repaint(view);
    }
}

void BM_D_RepaintSameScreen(benchmark::State& state) {
    editor::CSqlEditorView& view = *fixture->sql;
    view.SelectNothingAt(editor::TextPosition{0, kMiddle});
    Repaint(view);
    for (auto _ : state)
        Repaint(view);
}

BENCHMARK(BM_Baseline_PlainRepaint)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_A_FirstPaintAfterJump)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_B_TypeInMiddle)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_C_ScrollOnePage)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_D_RepaintSameScreen)->Unit(benchmark::kMillisecond)->MinTime(0.5);

} // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Fixture made;
    fixture = &made;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture = nullptr;
    return 0;
}
