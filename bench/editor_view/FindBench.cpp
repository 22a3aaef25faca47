// Find and replace on large texts, offscreen, each figure against a baseline of the same run:
//   FindNothing/MatchCase  a search that finds nothing, from the middle of a 100 MB, 2-million-line
//                          script with wrap (what F3 does), against memmem over the same bytes;
//   FindNothing/IgnoreCase the same ignoring case, against upper-casing the bytes plus memmem;
//   F3/NextScreen          F3 with the next match within the next screen, including the repaint
//                          (its time is the answer time a user sees; the target is 16 ms);
//   ReplaceAll             Replace All of 100,000 occurrences in a 10 MB script through the Replace
//                          dialog, with the one repaint at its end, against the same 100,000
//                          deletions and insertions made directly on the buffer.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BigSqlFile.h"
#include "CReplaceDlg.h"
#include "EditAction.h"
#include "SqlEditorView.h"
#include "TextBuffer.h"
#include "TextSearch.h"

namespace {

constexpr int32_t kBigLines = 2'000'000;
constexpr int32_t kReplaceLines = 200'000; // every other one holds the text replaced
const char* const kAbsent = "no such text";

// The SQL pane's view without the message box: notices are counted instead of shown.
class QuietView : public editor::CSqlEditorView {
public:
    void ShowMessage(const std::string&) override { ++messages; }
    int messages = 0;
};

bool WriteReplaceFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    std::string text;
    char line[128];
    for (int32_t y = 0; y < kReplaceLines; ++y) {
        const int n = y % 2 == 0 ? std::snprintf(line, sizeof line, "update emp set grade = 'old' where id = %d;", y)
                                 : std::snprintf(line, sizeof line, "select ename, sal from emp where id = %d;", y);
        text.append(line, static_cast<size_t>(n));
        if (y + 1 < kReplaceLines)
            text += "\r\n";
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

std::string ReadAll(const std::string& path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char block[1 << 16];
        size_t n;
        while ((n = std::fread(block, 1, sizeof block, file)) > 0)
            bytes.append(block, n);
        std::fclose(file);
    }
    return bytes;
}

struct Fixture {
    QTemporaryDir dir;
    std::string bigPath = dir.path().toStdString() + "/big.sql";
    std::string replacePath = dir.path().toStdString() + "/replace.sql";
    editor::CTextBuffer big;
    std::string bigBytes; // the same text in one piece, for the baselines
    QuietView view;
    std::vector<editor::TextPosition> replaceAt; // where 'old' stands in the replace file

    Fixture() {
        if (!bench::WriteSqlFile(bigPath, kBigLines) || !big.LoadFile(bigPath) || !WriteReplaceFile(replacePath)) {
            std::fprintf(stderr, "cannot make or load the test files\n");
            std::exit(1);
        }
        bigBytes = ReadAll(bigPath);
        editor::CTextBuffer replace;
        replace.LoadFile(replacePath);
        for (int32_t y = 0; y < replace.LineCount(); ++y) {
            const size_t at = replace.LineView(y).find("'old'");
            if (at != std::string_view::npos)
                replaceAt.push_back(editor::TextPosition{static_cast<int32_t>(at), y});
        }
        editor::FontDescription font;
        font.faceName = "Courier";
        font.height = 16;
        view.SetFont(font);
        view.resize(1000, 700);
        view.show();
        view.setFocus();
        QApplication::processEvents();
    }
};

Fixture* fixture = nullptr;

void ShowBig(QuietView& view) {
    if (view.Buffer() != &fixture->big) {
        view.AttachBuffer(&fixture->big);
        view.viewport()->repaint();
    }
}

void BM_Baseline_Memmem(benchmark::State& state) {
    const std::string& bytes = fixture->bigBytes;
    for (auto _ : state) {
        const void* hit = memmem(bytes.data(), bytes.size(), kAbsent, std::strlen(kAbsent));
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_Baseline_UpperCaseAndMemmem(benchmark::State& state) {
    const std::string& bytes = fixture->bigBytes;
    std::string upper(bytes.size(), '\0');
    std::string what(kAbsent);
    for (char& c : what)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    for (auto _ : state) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            const auto c = static_cast<unsigned char>(bytes[i]);
            upper[i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        }
        const void* hit = memmem(upper.data(), upper.size(), what.data(), what.size());
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void FindNothing(benchmark::State& state, uint32_t flags) {
    QuietView& view = fixture->view;
    ShowBig(view);
    view.SelectNothingAt(editor::TextPosition{0, kBigLines / 2});
    editor::TextPosition found;
    for (auto _ : state) {
        const bool hit = view.FindText(kAbsent, view.CaretPosition(), flags, true, found);
        benchmark::DoNotOptimize(hit);
        if (hit)
            state.SkipWithError("found what is not there");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture->bigBytes.size()));
}

void BM_FindNothing_MatchCase(benchmark::State& state) {
    FindNothing(state, editor::FIND_MATCH_CASE);
}

void BM_FindNothing_IgnoreCase(benchmark::State& state) {
    FindNothing(state, 0);
}

void BM_F3_NextScreen(benchmark::State& state) {
    QuietView& view = fixture->view;
    ShowBig(view);
    view.SelectNothingAt(editor::TextPosition{0, kBigLines / 2});
    view.viewport()->repaint();
    view.RememberSearch("audit_log", 0); // once every 14 lines
    const int before = view.messages;
    for (auto _ : state) {
        view.OnEditRepeat();
        view.viewport()->repaint();
    }
    if (view.messages != before)
        state.SkipWithError("F3 found nothing");
    state.counters["line"] = view.CaretPosition().y;
}

void BM_Baseline_DirectReplacePairs(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto buffer = std::make_unique<editor::CTextBuffer>();
        buffer->LoadFile(fixture->replacePath);
        state.ResumeTiming();
        for (const editor::TextPosition& at : fixture->replaceAt) {
            buffer->Delete(nullptr, at.y, at.x, at.y, at.x + 5, editor::ACT_DELETE_SELECTION);
            int32_t line = 0;
            int32_t x = 0;
            buffer->Insert(nullptr, at.y, at.x, "'new1'", line, x, editor::ACT_REPLACE);
        }
        state.PauseTiming();
        buffer.reset();
        state.ResumeTiming();
    }
    state.counters["pairs"] = static_cast<double>(fixture->replaceAt.size());
}

void BM_ReplaceAll(benchmark::State& state) {
    QuietView& view = fixture->view;
    int64_t replaced = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto buffer = std::make_unique<editor::CTextBuffer>();
        buffer->LoadFile(fixture->replacePath);
        view.AttachBuffer(buffer.get());
        view.viewport()->repaint();
        editor::SearchOptions texts;
        texts.findWhat = "'old'";
        texts.replaceWith = "'new1'";
        auto dialog = std::make_unique<editor::CReplaceDlg>(view, editor::TextPosition{0, 0}, std::nullopt, texts);
        auto* button = dialog->findChild<QPushButton*>(QString::number(editor::CReplaceDlg::kReplaceAllId));
        state.ResumeTiming();
        button->click();
        view.viewport()->repaint();
        state.PauseTiming();
        for (int32_t y = 0; y < buffer->LineCount(); ++y)
            replaced += buffer->LineView(y).find("'new1'") != std::string_view::npos ? 1 : 0;
        dialog.reset();
        view.AttachBuffer(nullptr);
        buffer.reset();
        state.ResumeTiming();
    }
    if (replaced != static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fixture->replaceAt.size()))
        state.SkipWithError("Replace All did not replace every occurrence");
    state.counters["replaced"] = static_cast<double>(fixture->replaceAt.size());
}

BENCHMARK(BM_Baseline_Memmem)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FindNothing_MatchCase)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Baseline_UpperCaseAndMemmem)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FindNothing_IgnoreCase)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_F3_NextScreen)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Baseline_DirectReplacePairs)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(5);

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
