// Exporting the demo database's 1,000,000-row table BIG_LOG from the result grid (offscreen, fetched
// once with Last Row), through the export command's writing step with its progress dialog:
// - baseline: one plain loop over the rows' strings writing the same ";" text to a file;
// - the ";" text, the quoted CSV and the workbook, each as a ratio to that loop (x_loop), and for the
//   workbook the peak memory above what the process held with the grid filled (peak_MB);
// - a second baseline for the workbook: the same cells handed straight to libxlsxwriter by one loop
//   (x_library: the export against it), which is what any workbook of this library costs.
// Run scripts/make-demo-db.sh first (scripts/setup.sh does).
#include "BenchProgram.h"
#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "DBConnect.h"
#include "ExecCommands.h"
#include "Execution.h"
#include "ExportCommand.h"
#include "ResultModel.h"

#include <xlsxwriter.h>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

const char* kQuery = "select * from big_log";
constexpr int kBigRows = 1000000;

bool HaveDemo() {
    return std::filesystem::exists(QUARVEL_DEMO_DB);
}

double StatusMegabytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0)
            return std::atof(line.c_str() + n) / 1024.0;
    return 0;
}

// Starts a new peak of the resident set (Linux keeps the old one otherwise). False when it cannot.
bool ResetPeakResident() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

CTavrelApp* theApp = nullptr;
std::string outFolder;

// One editor window whose grid holds every row of BIG_LOG, made once for all benchmarks.
struct FilledGrid {
    QPointer<CSqlMainFrame> frame;
    CQuarvelDoc* doc = nullptr;
    double gridMegabytes = 0;

    FilledGrid() {
        theApp->Fields().pendingConnection = std::make_unique<DBConnect>();
        theApp->Fields().pendingConnection->Logon("DEMO", "demo", QUARVEL_DEMO_DB);
        frame = theApp->OpenNewDocument();
        doc = frame->Document();
        exec::ExecuteCommand(doc->Exec(), kQuery, 0);
        doc->WaitForWorker();
        QApplication::processEvents();
        const double before = StatusMegabytes("VmRSS:");
        Grid()->LastRow();
        gridMegabytes = StatusMegabytes("VmRSS:") - before;
    }
    ~FilledGrid() { bench::CloseEditorWindow(frame, doc); }
    CQuarvelView* Grid() const { return frame->SplitFrame()->Grid(); }
    bool Full() const { return frame && Grid()->Model()->RowCount() == kBigRows; }
};

std::unique_ptr<FilledGrid> filledGrid;

FilledGrid& Filled() {
    if (!filledGrid)
        filledGrid = std::make_unique<FilledGrid>();
    return *filledGrid;
}

uintmax_t loopBytes = 0;
double loopSeconds = 0;

// The same ";" CR LF text as the export, written by one loop in 1 MB pieces.
void BM_PlainLoop(benchmark::State& state) {
    if (!HaveDemo())
        return state.SkipWithError("no demo.db: run scripts/make-demo-db.sh");
    FilledGrid& filled = Filled();
    if (!filled.Full())
        return state.SkipWithError("the grid did not get every row");
    const ResultModel& model = *filled.Grid()->Model();
    const std::string path = outFolder + "/loop.csv";
    double seconds = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        std::string text;
        text.reserve(1 << 21);
        const int columns = model.ColumnCount() - 1;
        auto line = [&](auto&& field) {
            for (int c = 0; c < columns; ++c) {
                if (c)
                    text += ';';
                text += field(c);
            }
            text += "\r\n";
            if (text.size() >= (1u << 20)) {
                benchmark::DoNotOptimize(::write(fd, text.data(), text.size()));
                text.clear();
            }
        };
        line([&](int c) -> const std::string& { return model.Title(c + 1); });
        for (int r = 0; r < model.RowCount(); ++r)
            line([&](int c) { return model.QueryCell(r, c); });
        benchmark::DoNotOptimize(::write(fd, text.data(), text.size()));
        ::fsync(fd);
        ::close(fd);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    loopSeconds = seconds / static_cast<double>(state.iterations());
    loopBytes = std::filesystem::file_size(path);
    state.counters["MB"] = static_cast<double>(loopBytes) / 1e6;
    std::filesystem::remove(path);
}

double libraryWorkbookSeconds = 0;

// The grid's cells written by one loop straight into a constant-memory workbook, numbers as numbers.
void BM_LibraryWorkbookLoop(benchmark::State& state) {
    if (!HaveDemo())
        return state.SkipWithError("no demo.db: run scripts/make-demo-db.sh");
    FilledGrid& filled = Filled();
    if (!filled.Full())
        return state.SkipWithError("the grid did not get every row");
    const ResultModel& model = *filled.Grid()->Model();
    const std::string path = outFolder + "/library.xlsx";
    double seconds = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        lxw_workbook_options settings{};
        settings.constant_memory = LXW_TRUE;
        settings.use_zip64 = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(path.c_str(), &settings);
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        const int columns = model.ColumnCount() - 1;
        for (int c = 0; c < columns; ++c)
            worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), model.Title(c + 1).c_str(), nullptr);
        std::string cell;
        for (int r = 0; r < model.RowCount(); ++r) {
            for (int c = 0; c < columns; ++c) {
                const std::string_view text = model.QueryCell(r, c);
                double number = 0;
                if (text.empty())
                    continue;
                if (script::IsPlainNumber(text, number)) {
                    worksheet_write_number(sheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c), number, nullptr);
                } else {
                    cell.assign(text);
                    worksheet_write_string(sheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c), cell.c_str(), nullptr);
                }
            }
        }
        if (workbook_close(book) != LXW_NO_ERROR)
            return state.SkipWithError("the library could not write the workbook");
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    libraryWorkbookSeconds = seconds / static_cast<double>(state.iterations());
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    if (loopSeconds > 0)
        state.counters["x_loop"] = libraryWorkbookSeconds / loopSeconds;
    std::filesystem::remove(path);
}

void BM_Export(benchmark::State& state) {
    if (!HaveDemo())
        return state.SkipWithError("no demo.db: run scripts/make-demo-db.sh");
    FilledGrid& filled = Filled();
    if (!filled.Full())
        return state.SkipWithError("the grid did not get every row");
    const auto format = static_cast<script::ExportFormat>(state.range(0));
    const std::string path = outFolder + (format == script::ExportFormat::Workbook ? "/rows.xlsx" : "/rows.csv");
    double seconds = 0;
    double peak = 0;
    bool peakKnown = true;
    for (auto _ : state) {
        const double before = StatusMegabytes("VmRSS:");
        peakKnown = ResetPeakResident() && StatusMegabytes("VmHWM:") <= StatusMegabytes("VmRSS:") + 1 && peakKnown;
        const auto started = std::chrono::steady_clock::now();
        const script::ExportOutcome outcome = WriteGridRows(*filled.Grid(), std::nullopt, format, path);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        peak = std::max(peak, StatusMegabytes("VmHWM:") - before);
        if (!outcome.saved || outcome.rows != static_cast<size_t>(kBigRows))
            return state.SkipWithError(("not saved: " + outcome.error).c_str());
    }
    const uintmax_t bytes = std::filesystem::file_size(path);
    if (format == script::ExportFormat::Text && loopBytes != 0 && bytes != loopBytes)
        state.SkipWithError("the export and the loop wrote different texts");
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    if (peakKnown)
        state.counters["peak_MB"] = peak;
    state.counters["grid_MB"] = filled.gridMegabytes;
    const double perExport = seconds / static_cast<double>(state.iterations());
    if (loopSeconds > 0)
        state.counters["x_loop"] = perExport / loopSeconds;
    if (format == script::ExportFormat::Workbook && libraryWorkbookSeconds > 0)
        state.counters["x_library"] = perExport / libraryWorkbookSeconds;
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_LibraryWorkbookLoop)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_Export)
    ->ArgName("format")
    ->Arg(static_cast<int>(script::ExportFormat::Text))
    ->Arg(static_cast<int>(script::ExportFormat::QuotedCsv))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();
BENCHMARK(BM_Export)
    ->ArgName("format")
    ->Arg(static_cast<int>(script::ExportFormat::Workbook))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

int main(int argc, char** argv) {
    setenv("QUARVEL_OCI_LIBRARY", LITEOCI_LIBRARY, 0);
    return bench::RunInProgram(
        argc, argv, theApp, [](const std::string& config) { outFolder = config; }, [] { filledGrid.reset(); });
}
