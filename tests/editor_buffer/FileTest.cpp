// Loading and saving: line-end detection, separator matching, byte-for-byte round trips, NUL bytes,
// read-only files, and the failure paths that must leave the old file and the buffer as they were.
#include "BufferTestSupport.h"
#include "EditAction.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace editor {
namespace {

using test::Joined;
using test::Lines;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The real file system, with one chosen step made to fail and reads cut into small pieces.
class FaultyFiles : public CFileAccess {
public:
    enum class Step { None, Read, Create, Write, Permissions, Sync, Close, Rename };
    Step failing = Step::None;
    size_t readPiece = 0;        // at most this many bytes a read (0: no limit)
    int64_t writeBudget = -1;    // bytes written before a write fails (with Step::Write)
    bool hideSize = false;       // report size 0, so that the loader reads in its smallest blocks
    std::vector<std::string> temporaries;

    bool Stat(const std::string& path, SFileInfo& info) override {
        bool found = CFileAccess::Stat(path, info);
        if (hideSize)
            info.size = 0;
        return found;
    }
    int64_t Read(int fd, char* buffer, size_t size) override {
        if (failing == Step::Read)
            return -1;
        return CFileAccess::Read(fd, buffer, readPiece > 0 ? std::min(size, readPiece) : size);
    }
    int CreateTemporary(const std::string& folder, const std::string& prefix, std::string& path) override {
        if (failing == Step::Create)
            return -1;
        int fd = CFileAccess::CreateTemporary(folder, prefix, path);
        temporaries.push_back(path);
        return fd;
    }
    int64_t Write(int fd, const char* data, size_t size) override {
        if (failing == Step::Write) {
            if (writeBudget <= 0)
                return -1;
            size = std::min(size, static_cast<size_t>(writeBudget));
            writeBudget -= static_cast<int64_t>(size);
        }
        return CFileAccess::Write(fd, data, size);
    }
    bool SetPermissions(int fd, uint32_t permissions) override {
        return failing != Step::Permissions && CFileAccess::SetPermissions(fd, permissions);
    }
    bool SyncToDisk(int fd) override { return failing != Step::Sync && CFileAccess::SyncToDisk(fd); }
    bool Close(int fd) override {
        bool closed = CFileAccess::Close(fd);
        return failing != Step::Close && closed;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        return failing != Step::Rename && CFileAccess::Rename(from, to);
    }
};

struct RoundTrip {
    const char* name;
    std::string bytes;
    int32_t mode;
    std::vector<std::string> lines;
};

TEST(BufferFile, EveryLineEndModeLoadsAndSavesByteForByte) {
    const std::string noLfFor32k = std::string(32768, 'x') + "\nafter";
    const std::string lfAtBlockEnd = std::string(32767, 'y') + "\n\rz";
    const RoundTrip cases[] = {
        {"dos", "select 1\r\nfrom dual\r\n", EOL_DOS, {"select 1", "from dual", ""}},
        {"unix", "select 1\n\rfrom dual", EOL_UNIX, {"select 1", "from dual"}},
        {"mac", "select 1\nfrom dual\n\n", EOL_MAC, {"select 1", "from dual", "", ""}},
        {"no line end at all", "select 1", EOL_DOS, {"select 1"}},
        {"empty", "", EOL_DOS, {""}},
        {"dos with CR CR LF", "a\r\r\nb\r\nc", EOL_DOS, {"a\r\r\nb", "c"}},
        {"dos with lone CR and LF", "a\r\nb\rc\nd\r", EOL_DOS, {"a", "b\rc\nd\r"}},
        {"unix with LF LF CR", "a\n\rb\n\n\rc", EOL_UNIX, {"a", "b\n\n\rc"}},
        {"mac keeps CR", "a\nb\r\nc\r", EOL_MAC, {"a", "b\r", "c\r"}},
        {"tabs and UTF-8", "\tselect 'é'\r\n", EOL_DOS, {"\tselect 'é'", ""}},
        {"first LF after 32768 bytes", noLfFor32k, EOL_DOS, {noLfFor32k}},
        {"first LF is the first block's last byte", lfAtBlockEnd, EOL_MAC,
         {std::string(32767, 'y'), "\rz"}},
    };
    TempDir dir;
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string in = dir.File("in.sql");
        const std::string out = dir.File("out.sql");
        WriteFile(in, c.bytes);
        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(in));
        EXPECT_EQ(buffer.EolMode(), c.mode);
        EXPECT_EQ(Lines(buffer), c.lines);
        EXPECT_FALSE(buffer.IsModified());
        EXPECT_FALSE(buffer.IsReadOnly());
        EXPECT_EQ(buffer.LinesCutAtNul(), 0);
        ASSERT_TRUE(buffer.SaveFile(out));
        EXPECT_EQ(ReadFile(out), c.bytes);
        EXPECT_TRUE(buffer.IsConsistent());
    }
}

TEST(BufferFile, AGivenModeOverridesDetectionOnLoadAndOnSave) {
    TempDir dir;
    WriteFile(dir.File("a.sql"), "a\r\nb\nc");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("a.sql"), EOL_MAC));
    EXPECT_EQ(Lines(buffer), (std::vector<std::string>{"a\r", "b", "c"}));
    EXPECT_EQ(buffer.EolMode(), EOL_MAC);
    std::string text;
    ASSERT_TRUE(buffer.ReadText(0, 0, 2, 1, text)); // ranges are always joined with CR LF
    EXPECT_EQ(text, "a\r\r\nb\r\nc");

    ASSERT_TRUE(buffer.SaveFile(dir.File("u.sql"), EOL_UNIX));
    EXPECT_EQ(ReadFile(dir.File("u.sql")), "a\r\n\rb\n\rc");
    EXPECT_EQ(buffer.EolMode(), EOL_MAC); // saving in another mode does not change the buffer's
    EXPECT_FALSE(buffer.LoadFile(dir.File("a.sql"), 5));
}

// A UTF-8 byte-order mark is not part of the text and comes back on save; a file without one gets none,
// and only the three bytes together at the very start are a mark.
TEST(BufferFile, AByteOrderMarkStaysOutOfTheTextAndIsWrittenBack) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
        bool mark;
    };
    const std::vector<Case> cases = {
        {"mark and CR LF", "\xEF\xBB\xBFselect 1\r\nfrom dual", {"select 1", "from dual"}, true},
        {"mark and LF", "\xEF\xBB\xBF-- x\n", {"-- x", ""}, true},
        {"mark alone", "\xEF\xBB\xBF", {""}, true},
        {"two bytes only", "\xEF\xBBx", {"\xEF\xBBx"}, false},
        {"mark on the second line", "a\n\xEF\xBB\xBF", {"a", "\xEF\xBB\xBF"}, false},
        {"no mark", "select 1", {"select 1"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.File("in.sql"), c.bytes);
        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(dir.File("in.sql")));
        EXPECT_EQ(Lines(buffer), c.lines);
        EXPECT_EQ(buffer.HasByteOrderMark(), c.mark);
        EXPECT_TRUE(buffer.IsConsistent());
        ASSERT_TRUE(buffer.SaveFile(dir.File("out.sql")));
        EXPECT_EQ(ReadFile(dir.File("out.sql")), c.bytes);
    }
    // Editing the first line keeps the mark out of it; new text and a cleared buffer have none.
    WriteFile(dir.File("in.sql"), "\xEF\xBB\xBF" "ab");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("in.sql")));
    int32_t endLine = 0, endChar = 0;
    ASSERT_TRUE(buffer.Insert(nullptr, 0, 0, "x", endLine, endChar, ACT_PASTE));
    ASSERT_TRUE(buffer.SaveFile(dir.File("out.sql")));
    EXPECT_EQ(ReadFile(dir.File("out.sql")), "\xEF\xBB\xBF" "xab");
    buffer.ResetToEmpty(EOL_MAC);
    EXPECT_FALSE(buffer.HasByteOrderMark());
    ASSERT_TRUE(buffer.SaveFile(dir.File("out.sql")));
    EXPECT_EQ(ReadFile(dir.File("out.sql")), "");
}

TEST(BufferFile, ANulByteCutsItsLine) {
    TempDir dir;
    WriteFile(dir.File("nul.sql"), std::string("ab\0cd\r\nef\r\n\0\r\ngh", 16));
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("nul.sql")));
    EXPECT_EQ(Lines(buffer), (std::vector<std::string>{"ab", "ef", "", "gh"}));
    EXPECT_EQ(buffer.LinesCutAtNul(), 2);
    EXPECT_TRUE(buffer.IsConsistent());
}

// The loader, byte by byte, as the line-end rules read: a separator byte that matches advances the
// match, a full match ends the line, any other byte resets it and is not tested as a new start.
std::vector<std::string> ReferenceLines(const std::string& bytes, std::string_view separator) {
    std::vector<std::string> lines;
    std::string line;
    size_t matched = 0;
    for (char c : bytes) {
        if (c == separator[matched]) {
            line += c;
            if (++matched == separator.size()) {
                line.resize(line.size() - separator.size());
                lines.push_back(line.substr(0, line.find('\0')));
                line.clear();
                matched = 0;
            }
        } else {
            line += c;
            matched = 0;
        }
    }
    lines.push_back(line.substr(0, line.find('\0')));
    return lines;
}

TEST(BufferFile, LinesAcrossReadPiecesAndBlocksMatchTheByteRules) {
    TempDir dir;
    std::mt19937 random(20240611);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\r', '\n', '\0', ' '};
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        std::string bytes;
        // Long lines (past the smallest block) and dense line ends, both.
        const size_t size = 150000 + random() % 50000;
        while (bytes.size() < size) {
            if (random() % 40 == 0)
                bytes.append(40000 + random() % 60000, 'L');
            bytes += alphabet[random() % sizeof alphabet];
        }
        WriteFile(dir.File("r.sql"), bytes);
        for (int32_t mode : {EOL_DOS, EOL_UNIX, EOL_MAC}) {
            FaultyFiles files;
            files.hideSize = true;
            files.readPiece = 1 + random() % 9000;
            CTextBuffer buffer;
            buffer.SetFileAccess(&files);
            ASSERT_TRUE(buffer.LoadFile(dir.File("r.sql"), mode));
            ASSERT_EQ(Lines(buffer), ReferenceLines(bytes, EolSeparator(mode))) << "mode " << mode;
            EXPECT_TRUE(buffer.IsConsistent());
        }
    }
}

TEST(BufferFile, LoadedLinesCanBeEditedLikeAnyOther) {
    TempDir dir;
    WriteFile(dir.File("a.sql"), "select a,\r\n       b\r\nfrom t");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("a.sql")));
    int32_t endLine = 0;
    int32_t endChar = 0;
    ASSERT_TRUE(buffer.Insert(nullptr, 0, 9, " c,", endLine, endChar, ACT_TYPING));
    ASSERT_TRUE(buffer.Delete(nullptr, 1, 0, 1, 6, ACT_DELETE));
    ASSERT_TRUE(buffer.Delete(nullptr, 1, 1, 2, 4, ACT_DELETE));
    ASSERT_TRUE(buffer.Insert(nullptr, 1, 0, "\r\n", endLine, endChar, ACT_TYPING));
    EXPECT_EQ(Joined(buffer), "select a, c,||  t");
    EXPECT_TRUE(buffer.IsModified());
    ASSERT_TRUE(buffer.SaveFile(dir.File("a.sql")));
    EXPECT_EQ(ReadFile(dir.File("a.sql")), "select a, c,\r\n\r\n  t");
    EXPECT_FALSE(buffer.IsModified());
}

TEST(BufferFileFailure, AFailedLoadLeavesTheBufferAsItWas) {
    TempDir dir;
    CTextBuffer buffer;
    EXPECT_FALSE(buffer.LoadFile(dir.File("missing.sql")));
    EXPECT_FALSE(buffer.IsInitialised());
    EXPECT_EQ(buffer.LineCount(), 0);
    EXPECT_FALSE(buffer.LoadFile(dir.Path())); // a folder is no text file

    WriteFile(dir.File("a.sql"), "kept\r\ntext");
    ASSERT_TRUE(buffer.LoadFile(dir.File("a.sql")));
    int32_t endLine = 0;
    int32_t endChar = 0;
    buffer.Insert(nullptr, 0, 0, ">", endLine, endChar, ACT_TYPING);

    WriteFile(dir.File("b.sql"), std::string(200000, 'x'));
    FaultyFiles files;
    files.failing = FaultyFiles::Step::Read;
    buffer.SetFileAccess(&files);
    test::RecordingView view;
    buffer.AttachView(&view);
    EXPECT_FALSE(buffer.LoadFile(dir.File("b.sql")));
    EXPECT_EQ(Joined(buffer), ">kept|text");
    EXPECT_TRUE(buffer.HasUndo());
    EXPECT_TRUE(buffer.IsModified());
    EXPECT_TRUE(view.notices.empty());
}

TEST(BufferFile, AReadOnlyFileGivesAReadOnlyBufferThatRefusesChanges) {
    TempDir dir;
    const std::string path = dir.File("ro.sql");
    WriteFile(path, "select 1");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(path));
    EXPECT_TRUE(buffer.IsReadOnly());
    int32_t endLine = 0;
    int32_t endChar = 0;
    EXPECT_FALSE(buffer.Insert(nullptr, 0, 0, "x", endLine, endChar, ACT_TYPING));
    EXPECT_FALSE(buffer.ApplyInsert(nullptr, 0, 0, "x", endLine, endChar));
    EXPECT_FALSE(buffer.Delete(nullptr, 0, 0, 0, 1, ACT_DELETE));
    EXPECT_FALSE(buffer.ApplyDelete(nullptr, 0, 0, 0, 1));
    EXPECT_EQ(Joined(buffer), "select 1");
    EXPECT_EQ(buffer.UndoRecordCount(), 0);
    EXPECT_FALSE(buffer.IsModified());
    TextPosition cursor;
    EXPECT_FALSE(buffer.Undo(cursor));

    // Saving elsewhere works; replacing the read-only file does not.
    EXPECT_TRUE(buffer.SaveFile(dir.File("copy.sql")));
    EXPECT_FALSE(buffer.SaveFile(path));
    EXPECT_EQ(ReadFile(path), "select 1");
    buffer.ResetToEmpty(EOL_DOS);
    EXPECT_FALSE(buffer.IsReadOnly());
}

class BufferSaveFailure : public ::testing::Test {
protected:
    void SetUp() override {
        target_ = dir_.File("script.sql");
        WriteFile(target_, "the old text\r\n");
        ASSERT_TRUE(buffer_.LoadFile(target_));
        int32_t endLine = 0;
        int32_t endChar = 0;
        ASSERT_TRUE(buffer_.Insert(nullptr, 0, 0, std::string(3 << 20, 'n') + "\r\n", endLine, endChar,
                                   ACT_PASTE));
        buffer_.SetFileAccess(&files_);
    }
    // The old file is whole, no temporary file is left, and the buffer still counts as modified.
    void ExpectNothingLost() {
        EXPECT_EQ(ReadFile(target_), "the old text\r\n");
        EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"script.sql"}));
        EXPECT_TRUE(buffer_.IsModified());
    }
    TempDir dir_;
    std::string target_;
    CTextBuffer buffer_;
    FaultyFiles files_;
};

TEST_F(BufferSaveFailure, EachFailingStepKeepsTheOldFile) {
    using Step = FaultyFiles::Step;
    for (Step step : {Step::Create, Step::Write, Step::Permissions, Step::Sync, Step::Close, Step::Rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        files_.failing = step;
        files_.writeBudget = 1 << 20; // a disk that fills up part of the way through
        EXPECT_FALSE(buffer_.SaveFile(target_));
        ExpectNothingLost();
    }
    files_.failing = Step::None;
    ASSERT_TRUE(buffer_.SaveFile(target_));
    EXPECT_EQ(ReadFile(target_).size(), (3u << 20) + 2 + 14);
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"script.sql"}));
    EXPECT_FALSE(buffer_.IsModified());
    ASSERT_EQ(files_.temporaries.size(), 6u); // made beside the target, with the program's prefix
    EXPECT_EQ(files_.temporaries.back().rfind(dir_.Path() + "/QVT", 0), 0u);
}

TEST_F(BufferSaveFailure, AFolderThatCannotBeWrittenKeepsTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes any folder";
    ASSERT_EQ(::chmod(dir_.Path().c_str(), 0555), 0);
    EXPECT_FALSE(buffer_.SaveFile(target_));
    ::chmod(dir_.Path().c_str(), 0755);
    ExpectNothingLost();
}

TEST_F(BufferSaveFailure, NoFileIsMadeFromAnUninitialisedBufferOrIntoAMissingFolder) {
    CTextBuffer empty;
    EXPECT_FALSE(empty.SaveFile(target_));
    EXPECT_FALSE(buffer_.SaveFile(dir_.File("no/such/folder.sql")));
    EXPECT_FALSE(buffer_.SaveFile(dir_.Path()));
    EXPECT_FALSE(buffer_.SaveFile(""));
    ExpectNothingLost();
}

TEST(BufferFile, SavingKeepsTheFilesPermissionsAndFollowsLinks) {
    TempDir dir;
    const std::string real = dir.File("real.sql");
    const std::string link = dir.File("link.sql");
    WriteFile(real, "old");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    std::filesystem::create_symlink(real, link);
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(link));
    int32_t endLine = 0;
    int32_t endChar = 0;
    buffer.Insert(nullptr, 0, 3, " new", endLine, endChar, ACT_TYPING);
    ASSERT_TRUE(buffer.SaveFile(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "old new");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"link.sql", "real.sql"}));
}

} // namespace
} // namespace editor
