// Export of result rows to a file: ";"-separated text (the grid's copy lines), comma-separated text
// quoted as RFC 4180 has it, or a workbook. Windowless; the window side asks the questions and shows
// the outcome.
//
// Invariants:
//  1. A target file is only ever replaced in one step: the rows go to a temporary file beside it,
//     which is renamed over the target when complete. A failure or a cancel leaves the old file (or
//     no file) and removes the temporary one.
//  2. Cell and heading texts are exported whole; only a workbook cuts a text at kMaxWorkbookCell
//     characters (never inside a UTF-8 sequence) and counts the cells it cut.
#pragma once

#include "FileAccess.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace script {

// The save dialog's filters, in this order: the chosen position (1-based) is the format.
enum class ExportFormat { Workbook = 1, Text = 2, QuotedCsv = 3 };
const std::vector<std::string>& ExportFilters();

// The path to write: the chosen path as typed, with ".xlsx" (workbook) or ".csv" appended unless
// ".xls" or ".csv" already occurs in it, letters compared without regard to case.
std::string ExportTargetPath(std::string_view chosen, ExportFormat format);

// The rows to export: headings and cell texts by position, in the order they are exported.
class ExportSource {
public:
    virtual ~ExportSource() = default;
    virtual size_t ColumnCount() const = 0;
    virtual std::string_view Heading(size_t column) const = 0;
    virtual size_t RowCount() const = 0;
    virtual std::string_view Cell(size_t row, size_t column) const = 0;
};

// One comma-separated line ended by CR LF: a field holding a comma, quote, CR or LF is quoted and
// its quotes doubled.
void AppendQuotedCsvLine(std::string& out, const std::vector<std::string_view>& fields);

// A workbook cell is written as a number when its text is a plain decimal number ("-12", "3.25",
// ".5") that a double holds exactly as shown (at most 15 significant digits, no leading zeros).
bool IsPlainNumber(std::string_view text, double& value);

inline constexpr size_t kMaxWorkbookCell = 32767;     // characters in one worksheet cell
inline constexpr uint32_t kWorksheetRows = 1048576;   // lines of one worksheet, heading included

struct ExportOptions {
    uint32_t worksheetRows = kWorksheetRows;
    // Called every few thousand rows with the rows written so far; false cancels the export.
    std::function<bool(size_t)> progress;
    platform::CFileAccess* files = nullptr; // the system's when null
};

struct ExportOutcome {
    bool saved = false;
    bool cancelled = false;
    size_t rows = 0;       // data rows written (the heading lines are not counted)
    size_t cellsCut = 0;   // workbook cells cut at kMaxWorkbookCell
    std::string error;     // why nothing was saved, with the system's or the writer's text
};

// Writes every row of `source` to `target` (invariant 1). An existing target is replaced: the caller
// asks the user first.
ExportOutcome ExportRows(const ExportSource& source, ExportFormat format, const std::string& target,
                         const ExportOptions& options = {});

// "File Saved. 3 Row(s) Exported." and, when cells were cut, how many.
std::string SavedText(const ExportOutcome& outcome);

} // namespace script
