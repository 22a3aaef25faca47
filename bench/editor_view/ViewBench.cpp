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

#include "EditorView.h"
#include "SqlEditorView.h"
#include "TextBuffer.h"

namespace {

constexpr int32_t kLines = 2'000'000;
constexpr int32_t kMiddle = kLines / 2;

// Real-looking SQL: queries, DML, PL/SQL blocks, comments (block comments over several lines),
// strings with doubled quotes, numbers and tabs; about 50 bytes a line with its CR LF.
const char* const kTemplates[] = {
    "select e.empno, e.ename, e.sal * 12 annual_sal",
    "  from emp e join dept d on d.deptno = e.deptno",
    " where e.hiredate > sysdate - %d and e.comm is null",
    "   and e.ename like 'S%%' order by e.sal desc;",
    "/* report %d: salaries above the department average",
    "   are listed first, then the rest */",
    "insert into audit_log values (%d, 'it''s done', 1.5e3);",
    "update emp set sal = sal * 1.05 where empno = %d;",
    "begin",
    "\tdbms_output.put_line('row ' || to_char(%d));",
    "\tif v_count > 0x1F then v_total := v_total + 1; end if;",
    "end; -- of block %d",
    "delete from bonus where ename = \"Smith\" and sal < %d;",
    "commit;",
};

std::string MakeFile(const std::string& dir) {
    const std::string path = dir + "/big.sql";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return {};
    std::string block;
    char line[160];
    const int count = static_cast<int>(sizeof kTemplates / sizeof kTemplates[0]);
    for (int32_t y = 0; y < kLines; ++y) {
        const int n = std::snprintf(line, sizeof line, kTemplates[y % count], y);
        block.append(line, static_cast<std::size_t>(n));
        if (y + 1 < kLines)
            block += "\r\n";
        if (block.size() > (1 << 20)) {
            std::fwrite(block.data(), 1, block.size(), file);
            block.clear();
        }
    }
    std::fwrite(block.data(), 1, block.size(), file);
    std::fclose(file);
    return path;
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
