#include "BufferTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace editor {

void PrintTo(const TextPosition& position, std::ostream* out) {
    *out << "(" << position.x << ", " << position.y << ")";
}

namespace test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quarvel-buffer-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void RecordingView::OnBufferChange(CBufferView* source, const CChangeContext* context, uint32_t flags,
                                   int32_t line) {
    notices.push_back(Notice{source, flags, line, context != nullptr});
    if (context != nullptr) {
        for (TextPosition& point : points)
            context->AdjustPoint(point);
    }
}

void RecordingView::OnEditDone(int32_t action, const std::string& text) {
    editsDone.emplace_back(action, text);
}

std::vector<std::string> Lines(const CTextBuffer& buffer) {
    std::vector<std::string> lines;
    for (int32_t y = 0; y < buffer.LineCount(); ++y)
        lines.emplace_back(buffer.LineView(y));
    return lines;
}

std::string Joined(const CTextBuffer& buffer) {
    std::string text;
    for (int32_t y = 0; y < buffer.LineCount(); ++y) {
        if (y > 0)
            text += '|';
        text.append(buffer.LineView(y));
    }
    return text;
}

void Fill(CTextBuffer& buffer, const std::vector<std::string>& lines) {
    buffer.ResetToEmpty(EOL_DOS);
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines[i];
    }
    int32_t endLine = 0;
    int32_t endChar = 0;
    buffer.ApplyInsert(nullptr, 0, 0, text, endLine, endChar);
    buffer.MarkModified(false);
}

} // namespace test
} // namespace editor
