#include "ExportRows.h"

#include "ExecRules.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace script {

namespace {

constexpr size_t kRowsPerProgress = 4096;
constexpr size_t kTextChunk = 1 << 20;
constexpr int kMaxExactDigits = 15;

std::string SystemError(const char* what, int error) {
    return std::string(what) + ": " + std::strerror(error != 0 ? error : EIO);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    if (part.size() > text.size())
        return false;
    for (size_t i = 0; i + part.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < part.size() && std::tolower(static_cast<unsigned char>(text[i + k])) == part[k])
            ++k;
        if (k == part.size())
            return true;
    }
    return false;
}

// The bytes of the first `limit` UTF-8 characters of `text` (all of it when shorter).
size_t CharacterPrefix(std::string_view text, size_t limit) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (characters == limit)
                return i;
            ++characters;
        }
    }
    return text.size();
}

bool Cancelled(const ExportOptions& options, size_t rows) {
    return rows % kRowsPerProgress == 0 && options.progress && !options.progress(rows);
}

// Writes the lines to a temporary file beside the target and renames it over the target when whole.
ExportOutcome WriteText(const ExportSource& source, ExportFormat format, const std::string& target,
                        const ExportOptions& options) {
    platform::CFileAccess& files = options.files ? *options.files : platform::CFileAccess::System();
    ExportOutcome outcome;
    std::string temporary;
    errno = 0;
    const int fd = files.CreateTemporary(FolderOf(target), ".quarvel-export-", temporary);
    if (fd < 0) {
        outcome.error = SystemError(("Cannot create " + target).c_str(), errno);
        return outcome;
    }
    const size_t columns = source.ColumnCount();
    std::vector<std::string_view> fields(columns);
    std::string pending;
    pending.reserve(kTextChunk + 4096);
    auto appendLine = [&] {
        if (format == ExportFormat::Text)
            exec::AppendCopyLine(pending, fields);
        else
            AppendQuotedCsvLine(pending, fields);
    };
    auto flush = [&]() -> bool {
        size_t done = 0;
        while (done < pending.size()) {
            errno = 0;
            const int64_t n = files.Write(fd, pending.data() + done, pending.size() - done);
            if (n <= 0) {
                outcome.error = SystemError(("Cannot write " + target).c_str(), errno);
                return false;
            }
            done += static_cast<size_t>(n);
        }
        pending.clear();
        return true;
    };
    for (size_t c = 0; c < columns; ++c)
        fields[c] = source.Heading(c);
    appendLine();
    bool ok = true;
    const size_t rows = source.RowCount();
    for (size_t r = 0; r < rows && ok; ++r) {
        if (Cancelled(options, r)) {
            outcome.cancelled = true;
            ok = false;
            break;
        }
        for (size_t c = 0; c < columns; ++c)
            fields[c] = source.Cell(r, c);
        appendLine();
        ++outcome.rows;
        if (pending.size() >= kTextChunk)
            ok = flush();
    }
    if (ok)
        ok = flush();
    if (ok) {
        errno = 0;
        if (!files.SyncToDisk(fd)) {
            outcome.error = SystemError(("Cannot write " + target).c_str(), errno);
            ok = false;
        }
    }
    errno = 0;
    const bool closed = files.Close(fd);
    if (ok && !closed) {
        outcome.error = SystemError(("Cannot write " + target).c_str(), errno);
        ok = false;
    }
    if (ok) {
        errno = 0;
        if (!files.Rename(temporary, target)) {
            outcome.error = SystemError(("Cannot replace " + target).c_str(), errno);
            ok = false;
        }
    }
    if (!ok) {
        files.Remove(temporary);
        return outcome;
    }
    files.SyncFolder(FolderOf(target));
    outcome.saved = true;
    return outcome;
}

ExportOutcome WriteWorkbook(const ExportSource& source, const std::string& target, const ExportOptions& options) {
    platform::CFileAccess& files = options.files ? *options.files : platform::CFileAccess::System();
    ExportOutcome outcome;
    // The name is reserved by creating the file; the writer then writes it anew.
    std::string temporary;
    errno = 0;
    const int fd = files.CreateTemporary(FolderOf(target), ".quarvel-export-", temporary);
    if (fd < 0) {
        outcome.error = SystemError(("Cannot create " + target).c_str(), errno);
        return outcome;
    }
    files.Close(fd);

    lxw_workbook_options settings{};
    settings.constant_memory = LXW_TRUE; // rows go to the file as they are written
    settings.use_zip64 = LXW_TRUE;       // a million rows make a sheet larger than 4 GB unzipped
    lxw_workbook* book = workbook_new_opt(temporary.c_str(), &settings);
    if (book == nullptr) {
        files.Remove(temporary);
        outcome.error = "Cannot create " + target + ": the workbook could not be started.";
        return outcome;
    }
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);

    const size_t columns = std::min<size_t>(source.ColumnCount(), LXW_COL_MAX);
    const uint32_t perSheet = std::max<uint32_t>(options.worksheetRows, 2);
    std::string cell; // NUL-terminated copy for the writer
    lxw_worksheet* sheet = nullptr;
    uint32_t line = 0;
    lxw_error failure = LXW_NO_ERROR;
    auto put = [&](lxw_row_t row, size_t column, std::string_view text, lxw_format* format) {
        if (text.empty() || failure != LXW_NO_ERROR)
            return;
        double number = 0;
        if (format == nullptr && IsPlainNumber(text, number)) {
            failure = worksheet_write_number(sheet, row, static_cast<lxw_col_t>(column), number, nullptr);
            return;
        }
        const size_t keep = CharacterPrefix(text, kMaxWorkbookCell);
        if (keep < text.size())
            ++outcome.cellsCut;
        cell.assign(text.data(), keep);
        failure = worksheet_write_string(sheet, row, static_cast<lxw_col_t>(column), cell.c_str(), format);
    };
    auto newSheet = [&] {
        sheet = workbook_add_worksheet(book, nullptr);
        line = 0;
        if (sheet == nullptr) {
            failure = LXW_ERROR_MEMORY_MALLOC_FAILED;
            return;
        }
        for (size_t c = 0; c < columns; ++c)
            put(0, c, source.Heading(c), bold);
        line = 1;
    };
    newSheet();
    const size_t rows = source.RowCount();
    for (size_t r = 0; r < rows && failure == LXW_NO_ERROR; ++r) {
        if (Cancelled(options, r)) {
            outcome.cancelled = true;
            break;
        }
        if (line >= perSheet) {
            newSheet();
            if (failure != LXW_NO_ERROR)
                break;
        }
        for (size_t c = 0; c < columns; ++c)
            put(line, c, source.Cell(r, c), nullptr);
        ++line;
        ++outcome.rows;
    }
    const lxw_error closed = workbook_close(book);
    if (failure == LXW_NO_ERROR)
        failure = closed;
    if (failure != LXW_NO_ERROR || outcome.cancelled) {
        if (failure != LXW_NO_ERROR)
            outcome.error = "Cannot write " + target + ": " + lxw_strerror(failure);
        files.Remove(temporary);
        return outcome;
    }
    errno = 0;
    if (!files.Rename(temporary, target)) {
        outcome.error = SystemError(("Cannot replace " + target).c_str(), errno);
        files.Remove(temporary);
        return outcome;
    }
    files.SyncFolder(FolderOf(target));
    outcome.saved = true;
    return outcome;
}

} // namespace

const std::vector<std::string>& ExportFilters() {
    static const std::vector<std::string> filters{"Excel Files (*.xlsx)", "Comma Separated (*.csv)",
                                                  "CSV, quoted (*.csv)"};
    return filters;
}

std::string ExportTargetPath(std::string_view chosen, ExportFormat format) {
    std::string path(chosen);
    if (format == ExportFormat::Workbook) {
        if (!ContainsNoCase(path, ".xls"))
            path += ".xlsx";
    } else if (!ContainsNoCase(path, ".csv")) {
        path += ".csv";
    }
    return path;
}

void AppendQuotedCsvLine(std::string& out, const std::vector<std::string_view>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += ',';
        const std::string_view field = fields[i];
        if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
            out += field;
            continue;
        }
        out += '"';
        for (char ch : field) {
            if (ch == '"')
                out += '"';
            out += ch;
        }
        out += '"';
    }
    out += "\r\n";
}

bool IsPlainNumber(std::string_view text, double& value) {
    size_t i = 0;
    if (i < text.size() && text[i] == '-')
        ++i;
    const size_t intStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    const size_t intDigits = i - intStart;
    size_t fracDigits = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        const size_t fracStart = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        fracDigits = i - fracStart;
        if (fracDigits == 0)
            return false;
    }
    if (i != text.size() || intDigits + fracDigits == 0)
        return false;
    // A leading zero ("007", a code) would be lost as a number.
    if (intDigits > 1 && text[intStart] == '0')
        return false;
    // Significant digits: leading zeros of "0.000123" do not count.
    size_t significant = 0;
    bool started = false;
    for (size_t k = intStart; k < text.size(); ++k) {
        if (text[k] == '.')
            continue;
        if (text[k] != '0')
            started = true;
        if (started)
            ++significant;
    }
    if (significant > static_cast<size_t>(kMaxExactDigits))
        return false;
    const std::string copy(text);
    value = std::strtod(copy.c_str(), nullptr);
    return std::isfinite(value);
}

ExportOutcome ExportRows(const ExportSource& source, ExportFormat format, const std::string& target,
                         const ExportOptions& options) {
    if (format == ExportFormat::Workbook)
        return WriteWorkbook(source, target, options);
    return WriteText(source, format, target, options);
}

std::string SavedText(const ExportOutcome& outcome) {
    std::string text = "File Saved. " + std::to_string(outcome.rows) + " Row(s) Exported.";
    if (outcome.cellsCut > 0)
        text += " " + std::to_string(outcome.cellsCut) + " cell(s) longer than " + std::to_string(kMaxWorkbookCell) +
                " characters were cut to fit the worksheet.";
    return text;
}

} // namespace script
