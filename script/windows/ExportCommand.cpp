#include "ExportCommand.h"

#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CommandIds.h"
#include "ExportRows.h"
#include "FileAccess.h"
#include "MessageBox.h"
#include "ResultModel.h"
#include "StringTable.h"
#include "cExportProgress.h"
#include "cExportRowsDlg.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QPointer>

#include <optional>
#include <string>
#include <vector>

namespace {

// A long export shows its progress: at once when it has this many rows, else once it has run this long.
constexpr size_t kProgressAtOnceRows = 50000;
constexpr qint64 kProgressAfterMs = 300;
// Laying out the progress text at every report would cost more than the rows between two reports.
constexpr qint64 kProgressEveryMs = 50;

// The grid's rows as the export reads them: the query's columns (a query's fetch number is the grid's
// own; a plan's columns are all its own), either every row or the chosen ones, in list order.
class GridRows : public script::ExportSource {
public:
    GridRows(const ResultModel& model, std::optional<std::vector<int>> rows)
        : model_(model), rows_(std::move(rows)), columns_(static_cast<size_t>(model.QueryColumnCount())),
          firstColumn_(model.ColumnCount() - model.QueryColumnCount()) {}

    size_t ColumnCount() const override { return columns_; }
    std::string_view Heading(size_t column) const override {
        return model_.Title(firstColumn_ + static_cast<int>(column));
    }
    size_t RowCount() const override { return rows_ ? rows_->size() : static_cast<size_t>(model_.RowCount()); }
    std::string_view Cell(size_t row, size_t column) const override {
        const int listRow = rows_ ? (*rows_)[row] : static_cast<int>(row);
        return model_.QueryCell(listRow, static_cast<int>(column));
    }

private:
    const ResultModel& model_;
    std::optional<std::vector<int>> rows_;
    size_t columns_;
    int firstColumn_; // the grid column of the first exported one
};

struct Target {
    std::string path; // as chosen, in the file system's bytes
    script::ExportFormat format = script::ExportFormat::Workbook;
};

// The save dialog. Nothing when the user cancelled or the window went meanwhile.
std::optional<Target> ChooseTarget(const QPointer<CQuarvelView>& grid) {
    QStringList filters;
    for (const std::string& filter : script::ExportFilters())
        filters << QString::fromStdString(filter);
    QPointer<QFileDialog> dialog = new QFileDialog(grid, QStringLiteral("Save As"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(filters);
    dialog->selectNameFilter(filters.front());
    // The extension is added after the choice, so the question before replacing comes after it too.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    const int result = dialog->exec();
    if (!grid || !dialog)
        return std::nullopt;
    std::optional<Target> target;
    const QStringList files = dialog->selectedFiles();
    const qsizetype filter = filters.indexOf(dialog->selectedNameFilter());
    delete dialog.data();
    if (result != QDialog::Accepted || files.isEmpty() || files.front().isEmpty())
        return target;
    target.emplace();
    target->path = QFile::encodeName(files.front()).toStdString();
    target->format = static_cast<script::ExportFormat>(std::max<qsizetype>(filter, 0) + 1);
    return target;
}

// The export's progress reports: the dialog comes up when the export is long, and from then on each
// report lets events through, so that its Cancel (and nothing behind it: the dialog is modal) works.
class Progress {
public:
    Progress(const QPointer<CQuarvelView>& grid, size_t total) : grid_(grid), total_(total) { clock_.start(); }
    ~Progress() { delete dialog_.data(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    bool Report(size_t rows) {
        if (!grid_)
            return false;
        if (!dialog_ && (total_ >= kProgressAtOnceRows || clock_.elapsed() >= kProgressAfterMs)) {
            dialog_ = new cExportProgress(total_, grid_);
            dialog_->show();
            shown_.start();
        }
        if (!dialog_)
            return true;
        if (shown_.elapsed() >= kProgressEveryMs) {
            dialog_->SetRows(rows);
            shown_.start();
        }
        QCoreApplication::processEvents();
        return grid_ && dialog_ && !dialog_->Cancelled();
    }

private:
    QPointer<CQuarvelView> grid_;
    size_t total_;
    QElapsedTimer clock_;
    QElapsedTimer shown_; // since the progress text was last set
    QPointer<cExportProgress> dialog_;
};

} // namespace

void ExportGridRows(CQuarvelView& view) {
    QPointer<CQuarvelView> grid(&view);
    CQuarvelDoc* doc = view.Document();
    if (!doc)
        return;
    // The rows must hold still while they are read.
    if (doc->IsWorkerRunning()) {
        MessageBoxById(strings::kStatementRunning);
        return;
    }

    QPointer<cExportRowsDlg> question = new cExportRowsDlg(grid);
    const int choice = question->exec();
    if (!grid)
        return;
    delete question.data();
    if (choice == cExportRowsDlg::kCancelled)
        return;

    std::optional<std::vector<int>> chosenRows;
    if (choice == cExportRowsDlg::kSelectedRows) {
        chosenRows = grid->SelectedRows();
        if (chosenRows->empty()) {
            MessageBoxById(strings::kExportNoRows);
            return;
        }
    }

    const std::optional<Target> target = ChooseTarget(grid);
    if (!target || !grid)
        return;
    const std::string path = script::ExportTargetPath(target->path, target->format);

    if (!chosenRows) {
        const bool whole = grid->FetchRemainingRows();
        if (!grid)
            return;
        if (!whole && (MessageBoxById(strings::kSavePartialFetch, 1) != IDOK || !grid))
            return;
    }

    platform::CFileAccess::SFileInfo existing;
    if (platform::CFileAccess::System().Stat(path, existing)) {
        if (MessageBoxText("File " + path + " already exists. Replace?", 1) != IDOK || !grid)
            return;
    }

    const script::ExportOutcome outcome = WriteGridRows(*grid, std::move(chosenRows), target->format, path);
    if (outcome.cancelled)
        return;
    MessageBoxText(outcome.saved ? script::SavedText(outcome) : outcome.error);
}

script::ExportOutcome WriteGridRows(CQuarvelView& view, std::optional<std::vector<int>> rows,
                                    script::ExportFormat format, const std::string& path) {
    QPointer<CQuarvelView> grid(&view);
    const GridRows source(*view.Model(), std::move(rows));
    Progress progress(grid, source.RowCount());
    platform::CFileAccess& files = platform::CFileAccess::System();
    script::ExportOptions options;
    options.progress = [&progress](size_t done) { return progress.Report(done); };
    options.files = &files;
    // Replacing a symbolic link's target, not the link.
    return script::ExportRows(source, format, files.ResolveLinks(path), options);
}
