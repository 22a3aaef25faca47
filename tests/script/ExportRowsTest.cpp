// Exported files read back byte for byte: the ";" text, the quoted CSV through Python's csv module,
// workbooks through unzip; extensions, long cells, worksheet overflow, cancel and failing files.
#include "ExportRows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/mount.h>
#include <unistd.h>

namespace {

using script::ExportFormat;
using script::ExportOptions;
using script::ExportOutcome;
using script::ExportRows;

class Rows : public script::ExportSource {
public:
    Rows(std::vector<std::string> headings, std::vector<std::vector<std::string>> rows)
        : headings_(std::move(headings)), rows_(std::move(rows)) {}
    size_t ColumnCount() const override { return headings_.size(); }
    std::string_view Heading(size_t c) const override { return headings_[c]; }
    size_t RowCount() const override { return rows_.size(); }
    std::string_view Cell(size_t r, size_t c) const override { return rows_[r][c]; }

private:
    std::vector<std::string> headings_;
    std::vector<std::vector<std::string>> rows_;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

size_t FilesIn(const std::string& folder) {
    size_t n = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/quarvel-export-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;
};

// Cells that break naive writers: separators, quotes, line breaks, TAB, an empty (NULL) cell and
// multi-byte UTF-8.
const std::vector<std::string> kAwkward{"a;b", "say \"hi\"", "cr\rhere", "lf\nthere", "tab\there", "",
                                        "Grüße – ☃", "x,y"};

TEST_F(ExportTest, TextFileIsTheCopyLinesByteForByte) {
    Rows rows({"ID", "NAME"}, {{"1", "A"}, {"2", "B"}});
    ExportOutcome outcome = ExportRows(rows, ExportFormat::Text, Path("r.csv"));
    ASSERT_TRUE(outcome.saved) << outcome.error;
    EXPECT_EQ(ReadAll(Path("r.csv")), "ID;NAME\r\n1;A\r\n2;B\r\n");
    EXPECT_EQ(script::SavedText(outcome), "File Saved. 2 Row(s) Exported.");

    // Nothing is quoted: a ";" in a cell makes an extra field; a grid without rows gives the heading.
    Rows awkward({"H1", "H2"}, {{kAwkward[0], kAwkward[1]}, {kAwkward[3], kAwkward[6]}});
    ASSERT_TRUE(ExportRows(awkward, ExportFormat::Text, Path("w.csv")).saved);
    EXPECT_EQ(ReadAll(Path("w.csv")), "H1;H2\r\na;b;say \"hi\"\r\nlf\nthere;Grüße – ☃\r\n");
    Rows empty({"ID"}, {});
    ExportOutcome none = ExportRows(empty, ExportFormat::Text, Path("e.csv"));
    EXPECT_EQ(ReadAll(Path("e.csv")), "ID\r\n");
    EXPECT_EQ(none.rows, 0u);
    EXPECT_EQ(FilesIn(dir_), 3u); // no temporary file left behind
}

TEST_F(ExportTest, QuotedCsvReadsBackEveryFieldThroughPythonsCsvModule) {
    std::vector<std::string> headings;
    for (size_t i = 0; i < kAwkward.size(); ++i)
        headings.push_back("C" + std::to_string(i));
    const std::string big(40000, 'z');
    Rows rows(headings, {kAwkward, {big, "1", "", "\"", ",", "\r\n", "end", "-"}});
    ASSERT_TRUE(ExportRows(rows, ExportFormat::QuotedCsv, Path("q.csv")).saved);
    // Python prints each field's UTF-8 bytes in hex, one row a line, so the comparison is exact.
    const std::string script = Path("read.py");
    WriteAll(script, "import csv,sys\n"
                     "csv.field_size_limit(10**7)\n"
                     "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                     "    for row in csv.reader(f):\n"
                     "        print(' '.join(x.encode('utf-8').hex() or '-' for x in row))\n");
    std::istringstream lines(Output("python3 " + script + " " + Path("q.csv")));
    std::vector<std::vector<std::string>> expected{headings, kAwkward, {big, "1", "", "\"", ",", "\r\n", "end", "-"}};
    std::string line;
    size_t r = 0;
    while (std::getline(lines, line)) {
        ASSERT_LT(r, expected.size());
        std::istringstream fields(line);
        std::string hex;
        size_t c = 0;
        while (fields >> hex) {
            ASSERT_LT(c, expected[r].size());
            std::string bytes;
            if (hex != "-")
                for (size_t i = 0; i < hex.size(); i += 2)
                    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
            EXPECT_EQ(bytes, expected[r][c]) << "row " << r << " column " << c;
            ++c;
        }
        EXPECT_EQ(c, expected[r].size());
        ++r;
    }
    EXPECT_EQ(r, expected.size());
}

TEST_F(ExportTest, WorkbookHoldsNumbersTextsWholeCellsAndCutsAtTheCellLimit) {
    const std::string longCell = std::string(32766, 'a') + "é" + "tail"; // cut after the é
    Rows rows({"N", "T", "L"}, {{"12", "a<b&c", longCell}, {"-3.25", kAwkward[3], "007"},
                                 {".5", kAwkward[6], "12345678901234567890"}});
    ExportOutcome outcome = ExportRows(rows, ExportFormat::Workbook, Path("b.xlsx"));
    ASSERT_TRUE(outcome.saved) << outcome.error;
    EXPECT_EQ(outcome.rows, 3u);
    EXPECT_EQ(outcome.cellsCut, 1u);
    EXPECT_NE(script::SavedText(outcome).find("1 cell(s)"), std::string::npos);
    const std::string sheet = Output("unzip -p " + Path("b.xlsx") + " xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("<v>12</v>"), std::string::npos);
    EXPECT_NE(sheet.find("<v>-3.25</v>"), std::string::npos);
    EXPECT_NE(sheet.find("<v>0.5</v>"), std::string::npos);
    EXPECT_NE(sheet.find("<t>a&lt;b&amp;c</t>"), std::string::npos);
    EXPECT_NE(sheet.find("lf\nthere"), std::string::npos);
    EXPECT_NE(sheet.find("Grüße – ☃"), std::string::npos);
    // A leading zero and more digits than a double keeps stay texts.
    EXPECT_NE(sheet.find("<t>007</t>"), std::string::npos);
    EXPECT_NE(sheet.find("<t>12345678901234567890</t>"), std::string::npos);
    EXPECT_NE(sheet.find(std::string(32766, 'a') + "é<"), std::string::npos);
    EXPECT_EQ(sheet.find("tail"), std::string::npos);
}

TEST_F(ExportTest, RowsBeyondAWorksheetGoOnInTheNextOneUnderTheHeading) {
    std::vector<std::vector<std::string>> data;
    for (int i = 1; i <= 5; ++i)
        data.push_back({"r" + std::to_string(i)});
    ExportOptions options;
    options.worksheetRows = 3; // heading and two rows a sheet
    ExportOutcome outcome = ExportRows(Rows({"H"}, data), ExportFormat::Workbook, Path("s.xlsx"), options);
    ASSERT_TRUE(outcome.saved) << outcome.error;
    EXPECT_EQ(outcome.rows, 5u);
    const std::string third = Output("unzip -p " + Path("s.xlsx") + " xl/worksheets/sheet3.xml");
    EXPECT_NE(third.find("<t>H</t>"), std::string::npos);
    EXPECT_NE(third.find("<t>r5</t>"), std::string::npos);
    const std::string second = Output("unzip -p " + Path("s.xlsx") + " xl/worksheets/sheet2.xml");
    EXPECT_NE(second.find("<t>r3</t>"), std::string::npos);
    EXPECT_NE(second.find("<t>r4</t>"), std::string::npos);
    EXPECT_EQ(second.find("<t>r5</t>"), std::string::npos);
}

TEST(ExportPath, ExtensionsAreAppendedToThePathAsTyped) {
    using script::ExportTargetPath;
    EXPECT_EQ(ExportTargetPath("/home/Ann/Reports/Result", ExportFormat::Text), "/home/Ann/Reports/Result.csv");
    EXPECT_EQ(ExportTargetPath("Result", ExportFormat::QuotedCsv), "Result.csv");
    EXPECT_EQ(ExportTargetPath("Result", ExportFormat::Workbook), "Result.xlsx");
    EXPECT_EQ(ExportTargetPath("data.xls.bak", ExportFormat::Workbook), "data.xls.bak");
    EXPECT_EQ(ExportTargetPath("Book.XLSX", ExportFormat::Workbook), "Book.XLSX");
    EXPECT_EQ(ExportTargetPath("Old.CSV", ExportFormat::Text), "Old.CSV");
}

TEST(ExportNumbers, OnlyPlainDecimalsThatADoubleKeepsBecomeNumbers) {
    double v = 0;
    EXPECT_TRUE(script::IsPlainNumber("0", v));
    EXPECT_TRUE(script::IsPlainNumber("-.5", v));
    EXPECT_EQ(v, -0.5);
    EXPECT_TRUE(script::IsPlainNumber("0.000123456789012345", v)); // leading zeros are not significant
    for (const char* text : {"", "-", ".", "1.", "1e5", " 1", "1 ", "+1", "0x10", "01", "1,5", "1234567890123456"})
        EXPECT_FALSE(script::IsPlainNumber(text, v)) << text;
}

// Makes one call of the seam fail, as a full disk or a failing close would.
class FailingFiles : public platform::CFileAccess {
public:
    enum class Step { None, Create, Write, Close };
    Step failing = Step::None;
    int CreateTemporary(const std::string& folder, const std::string& prefix, std::string& path) override {
        if (failing == Step::Create) {
            errno = EACCES;
            return -1;
        }
        return CFileAccess::CreateTemporary(folder, prefix, path);
    }
    int64_t Write(int fd, const char* data, size_t size) override {
        if (failing == Step::Write) {
            errno = ENOSPC;
            return -1;
        }
        return CFileAccess::Write(fd, data, size);
    }
    bool Close(int fd) override {
        bool closed = CFileAccess::Close(fd);
        if (failing == Step::Close) {
            errno = EIO;
            return false;
        }
        return closed;
    }
};

TEST_F(ExportTest, AFailingFileReportsTheSystemErrorAndKeepsTheOldFile) {
    Rows rows({"ID"}, {{"1"}});
    WriteAll(Path("old.csv"), "precious");
    FailingFiles files;
    ExportOptions options;
    options.files = &files;
    const std::pair<FailingFiles::Step, const char*> cases[] = {{FailingFiles::Step::Create, "Permission denied"},
                                                                {FailingFiles::Step::Write, "No space left"},
                                                                {FailingFiles::Step::Close, "Input/output error"}};
    for (auto [step, text] : cases) {
        files.failing = step;
        for (ExportFormat format : {ExportFormat::Text, ExportFormat::QuotedCsv}) {
            ExportOutcome outcome = ExportRows(rows, format, Path("old.csv"), options);
            EXPECT_FALSE(outcome.saved);
            EXPECT_NE(outcome.error.find(text), std::string::npos) << outcome.error;
            EXPECT_EQ(ReadAll(Path("old.csv")), "precious");
            EXPECT_EQ(FilesIn(dir_), 1u);
        }
    }
    // A folder that does not exist: the system's own text, for the workbook too.
    for (ExportFormat format : {ExportFormat::Text, ExportFormat::Workbook}) {
        ExportOutcome missing = ExportRows(rows, format, Path("no/such/r.csv"));
        EXPECT_FALSE(missing.saved);
        EXPECT_NE(missing.error.find("No such file or directory"), std::string::npos) << missing.error;
    }
}

TEST_F(ExportTest, CancelLeavesTheOldFileAndNoPartialOne) {
    std::vector<std::vector<std::string>> data(10000, {"x"});
    Rows rows({"H"}, data);
    WriteAll(Path("keep.xlsx"), "old");
    WriteAll(Path("keep.csv"), "old");
    size_t calls = 0;
    ExportOptions options;
    options.progress = [&](size_t done) { return ++calls, done < 5000; };
    for (auto [format, name] : {std::pair{ExportFormat::Workbook, "keep.xlsx"}, std::pair{ExportFormat::Text, "keep.csv"}}) {
        ExportOutcome outcome = ExportRows(rows, format, Path(name), options);
        EXPECT_TRUE(outcome.cancelled);
        EXPECT_FALSE(outcome.saved);
        EXPECT_TRUE(outcome.error.empty());
        EXPECT_EQ(ReadAll(Path(name)), "old");
    }
    EXPECT_GT(calls, 2u);
    EXPECT_EQ(FilesIn(dir_), 2u);
}

// A real full file system: a small tmpfs, which only root may mount.
TEST_F(ExportTest, AFullFileSystemGivesTheErrorAndKeepsTheOldFile) {
    const std::string mountPoint = Path("small");
    std::filesystem::create_directory(mountPoint);
    if (::geteuid() != 0 || ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "needs root and a tmpfs mount";
    const std::string target = mountPoint + "/r.csv";
    WriteAll(target, "precious");
    std::vector<std::vector<std::string>> data(20000, {std::string(40, 'q')});
    for (ExportFormat format : {ExportFormat::Text, ExportFormat::Workbook}) {
        ExportOutcome outcome = ExportRows(Rows({"H"}, data), format, target);
        EXPECT_FALSE(outcome.saved);
        EXPECT_FALSE(outcome.error.empty());
        EXPECT_EQ(ReadAll(target), "precious");
        EXPECT_EQ(FilesIn(mountPoint), 1u);
    }
    ::umount(mountPoint.c_str());
}

} // namespace
