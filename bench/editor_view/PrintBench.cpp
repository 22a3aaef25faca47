// Printing a 100,000-line SQL script to PDF, offscreen:
//   (a) pagination: the print job's page table (every line's wrapped height, page breaks);
//   (b) the whole print through the view: print job, every page drawn, the PDF written.
// Baseline, in the same run: measuring every line's wrapped height once at the page's width, with
// nothing else. Compare the figures as ratios to it. A second reference tells how much of (b) is the
// PDF engine's own work: Qt drawing the same lines, one drawText each, at the same places to a PDF. The counters give the page count, the bytes of
// the page table and how much the process's peak memory grew while the whole print ran.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <string>

#include "BigSqlFile.h"
#include "PageSetup.h"
#include "SqlEditorView.h"
#include "TextBuffer.h"
#include "TextColumns.h"
#include "TextPrintJob.h"

namespace {

constexpr int32_t kLines = 100'000;

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct Fixture {
    QTemporaryDir dir;
    editor::CTextBuffer buffer;
    std::unique_ptr<editor::CSqlEditorView> view;
    // A PDF printer with a painter open on it, for the layout alone.
    std::unique_ptr<QPrinter> printer;
    QPainter painter;
    int32_t columns = 1;

    Fixture() {
        const std::string path = dir.path().toStdString() + "/script.sql";
        if (!bench::WriteSqlFile(path, kLines) || !buffer.LoadFile(path)) {
            std::fprintf(stderr, "cannot make or load the test file\n");
            std::exit(1);
        }
        editor::FontDescription font;
        font.faceName = "Courier";
        font.height = 16;
        view = std::make_unique<editor::CSqlEditorView>();
        view->SetFont(font);
        view->resize(1000, 700);
        view->AttachBuffer(&buffer);
        view->show();
        QApplication::processEvents();

        printer = MakePrinter("layout.pdf");
        if (!painter.begin(printer.get())) {
            std::fprintf(stderr, "cannot print to %s\n", qPrintable(printer->outputFileName()));
            std::exit(1);
        }
        editor::CTextPrintJob job(&buffer, 0, buffer.LineCount());
        Layout(job);
        columns = std::max(1, job.TextRect().width() / job.CharWidth());
        job.End();
    }

    std::unique_ptr<QPrinter> MakePrinter(const char* name) const {
        auto made = std::make_unique<QPrinter>(QPrinter::HighResolution);
        made->setOutputFormat(QPrinter::PdfFormat);
        made->setOutputFileName(dir.path() + QLatin1Char('/') + QLatin1String(name));
        made->setPageSize(QPageSize(QPageSize::A4));
        made->setFullPage(true);
        return made;
    }

    // What the view's print does before the first page.
    void Layout(editor::CTextPrintJob& job) {
        job.Begin(painter, view->PlainFont(), view->logicalDpiY(), printer->logicalDpiY());
        job.Layout(painter, printer->paperRect(QPrinter::DevicePixel).toRect(), editor::ReadPageMargins(),
                   printer->logicalDpiX(), printer->logicalDpiY());
    }
};

Fixture* fixture = nullptr;

void BM_Baseline_MeasureEveryLineOnce(benchmark::State& state) {
    const editor::CTextBuffer& buffer = fixture->buffer;
    const int32_t columns = fixture->columns;
    int64_t rows = 0;
    for (auto _ : state) {
        rows = 0;
        for (int32_t y = 0; y < buffer.LineCount(); ++y) {
            const std::string_view line = buffer.LineView(y);
            rows += line.empty() ? 1 : editor::columns::WrapRows(line, editor::CTextPrintJob::kTabSize, columns, nullptr);
        }
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["columns"] = columns;
}

void BM_A_Paginate(benchmark::State& state) {
    int pages = 0;
    size_t tableBytes = 0;
    for (auto _ : state) {
        editor::CTextPrintJob job(&fixture->buffer, 0, fixture->buffer.LineCount());
        fixture->Layout(job);
        pages = job.PageCount();
        tableBytes = job.PageTable().capacity() * sizeof(editor::CTextPrintJob::PageStart);
        job.End();
    }
    state.counters["pages"] = pages;
    state.counters["tableBytes"] = static_cast<double>(tableBytes);
}

void BM_B_PrintWholeScriptToPdf(benchmark::State& state) {
    const long before = PeakKilobytes();
    bool ok = true;
    for (auto _ : state) {
        std::unique_ptr<QPrinter> printer = fixture->MakePrinter("whole.pdf");
        ok = fixture->view->PrintTo(*printer, false) && ok;
    }
    if (!ok)
        state.SkipWithError("the print failed");
    state.counters["peakGrowthKB"] = static_cast<double>(PeakKilobytes() - before);
}

void BM_Reference_QtDrawsTheSameLinesToPdf(benchmark::State& state) {
    editor::CTextPrintJob job(&fixture->buffer, 0, fixture->buffer.LineCount());
    fixture->Layout(job);
    const QRect rect = job.TextRect();
    const int32_t lineHeight = job.LineHeight();
    const QFont font = job.PrinterFont();
    const int perPage = std::max(1, rect.height() / lineHeight);
    job.End();
    const editor::CTextBuffer& buffer = fixture->buffer;
    for (auto _ : state) {
        std::unique_ptr<QPrinter> printer = fixture->MakePrinter("reference.pdf");
        QPainter painter(printer.get());
        painter.setFont(font);
        int row = 0;
        for (int32_t y = 0; y < buffer.LineCount(); ++y, ++row) {
            if (row == perPage) {
                printer->newPage();
                row = 0;
            }
            const std::string_view line = buffer.LineView(y);
            painter.drawText(rect.left(), rect.top() + row * lineHeight + lineHeight,
                             QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
        }
    }
}

BENCHMARK(BM_Baseline_MeasureEveryLineOnce)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_A_Paginate)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_B_PrintWholeScriptToPdf)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Reference_QtDrawsTheSameLinesToPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

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
