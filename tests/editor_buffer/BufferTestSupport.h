// Helpers shared by the text buffer tests: temporary folders and files, a view that records the
// notices it gets, and short ways to fill and read a buffer.
#pragma once

#include "TextBuffer.h"

#include <ostream>
#include <string>
#include <vector>

namespace editor {

// gtest prints positions as (x, y).
void PrintTo(const TextPosition& position, std::ostream* out);

namespace test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // The names in the folder, sorted.
    std::vector<std::string> Names() const;

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// A view that writes down every notice and every finished edit.
class RecordingView : public CBufferView {
public:
    struct Notice {
        CBufferView* source;
        uint32_t flags;
        int32_t line;
        bool hasContext;
    };
    void OnBufferChange(CBufferView* source, const CChangeContext* context, uint32_t flags,
                        int32_t line) override;
    void OnEditDone(int32_t action, const std::string& text) override;

    std::vector<Notice> notices;
    std::vector<std::pair<int32_t, std::string>> editsDone;
    // Positions the view keeps; every notice with a context moves them.
    std::vector<TextPosition> points;
};

// The buffer's lines.
std::vector<std::string> Lines(const CTextBuffer& buffer);
// The lines joined with "|" (short to compare in assertions).
std::string Joined(const CTextBuffer& buffer);
// Fills a fresh buffer with the given lines, without undo records and left unmodified.
void Fill(CTextBuffer& buffer, const std::vector<std::string>& lines);

} // namespace test
} // namespace editor
