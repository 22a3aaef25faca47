// The text buffer: line store, changes, undo and redo, view notices, loading and saving.
//
// Invariants of the line store (checked by IsConsistent):
//  1. Once initialised the buffer has at least one line.
//  2. A line with capacity > 0 owns a heap block of `capacity` bytes, a multiple of 16 greater than its
//     length. A line with capacity 0 owns nothing: its bytes lie in one of loadedBlocks_ (each loaded
//     line has a byte range of its own there, which it may shrink in place) or it has none.
//  3. No line holds a NUL byte. Lines made by Insert hold no CR either; lines read from a file may.
//  4. Every length and every line index fits a 32-bit signed position.
#include "TextBuffer.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace editor {

namespace {

// Lines and texts stay well inside 32-bit positions, so that x + length never overflows.
constexpr int64_t kMaxLineLength = INT32_MAX - 64;
constexpr int64_t kMaxLineCount = INT32_MAX - 1;
// The first bytes of a file that decide its line-end mode.
constexpr size_t kDetectBytes = 32768;

int64_t RoundedCapacity(int64_t length) {
    return (length / 16 + 1) * 16;
}

// The text a caller passes ends at its first NUL byte, as a C string would.
std::string_view UpToNul(std::string_view text) {
    size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

// A CR ends a line, and one LF right after it belongs to the same line end; a lone LF does not end a
// line. So "a\nb" is one line, "a\r\nb" and "a\rb" are two, and "a\r\n\r\nb" three.
void SplitAtLineEnds(std::string_view text, std::vector<std::string_view>& segments) {
    size_t begin = 0;
    for (;;) {
        size_t cr = text.find('\r', begin);
        if (cr == std::string_view::npos) {
            segments.push_back(text.substr(begin));
            return;
        }
        segments.push_back(text.substr(begin, cr - begin));
        begin = cr + 1;
        if (begin < text.size() && text[begin] == '\n')
            ++begin;
    }
}

// Looks at the first LF of the file's first block: none, or CR before it, is DOS; CR after it is UNIX
// (unless the LF is the block's last byte); anything else is MAC.
int32_t DetectEolMode(const char* bytes, size_t size) {
    const char* lf = static_cast<const char*>(std::memchr(bytes, '\n', size));
    if (lf == nullptr)
        return EOL_DOS;
    size_t at = static_cast<size_t>(lf - bytes);
    if (at > 0 && bytes[at - 1] == '\r')
        return EOL_DOS;
    if (at + 1 < size && bytes[at + 1] == '\r')
        return EOL_UNIX;
    return EOL_MAC;
}

bool WriteAll(CFileAccess& files, int fd, const char* data, size_t size) {
    while (size > 0) {
        int64_t written = files.Write(fd, data, size);
        if (written <= 0) {
            if (written == 0 && errno == 0)
                errno = ENOSPC; // nothing more goes in, and the system gave no reason
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Closes a descriptor on every path out of a load.
class CReadGuard {
public:
    CReadGuard(CFileAccess& files, int fd) : files_(files), fd_(fd) {}
    ~CReadGuard() { files_.Close(fd_); }
    CReadGuard(const CReadGuard&) = delete;
    CReadGuard& operator=(const CReadGuard&) = delete;

private:
    CFileAccess& files_;
    int fd_;
};

} // namespace

std::string_view EolSeparator(int32_t mode) {
    switch (mode) {
    case EOL_DOS:
        return "\r\n";
    case EOL_UNIX:
        return "\n\r";
    case EOL_MAC:
        return "\n";
    default:
        return {};
    }
}

const char* EolModeName(int32_t mode) {
    switch (mode) {
    case EOL_DOS:
        return "DOS";
    case EOL_UNIX:
        return "UNIX";
    case EOL_MAC:
        return "MAC";
    default:
        return "";
    }
}

CTextBuffer::CTextBuffer() = default;

CTextBuffer::~CTextBuffer() {
    FreeLines();
}

// ---------------------------------------------------------------------------------------------------
// Line storage

void CTextBuffer::EnsureCapacity(SLineInfo& line, int64_t needed) {
    if (line.capacity > needed)
        return;
    // A line that borrows loaded bytes may reuse its own range of them, up to its present length.
    if (line.capacity == 0 && needed <= line.length)
        return;
    int64_t capacity = RoundedCapacity(needed);
    // Long lines grow by half at a time, so that typing at the end of a long line does not copy the
    // line every 16 bytes.
    if (line.capacity >= 256)
        capacity = std::max(capacity, RoundedCapacity(line.capacity + line.capacity / 2));
    capacity = std::min(capacity, RoundedCapacity(kMaxLineLength));
    char* block;
    if (line.capacity > 0) {
        block = static_cast<char*>(std::realloc(line.chars, static_cast<size_t>(capacity)));
    } else {
        block = static_cast<char*>(std::malloc(static_cast<size_t>(capacity)));
        if (block != nullptr && line.length > 0)
            std::memcpy(block, line.chars, static_cast<size_t>(line.length));
    }
    if (block == nullptr)
        throw std::bad_alloc();
    line.chars = block;
    line.capacity = static_cast<int32_t>(capacity);
}

void CTextBuffer::FreeLine(SLineInfo& line) {
    if (line.capacity > 0)
        std::free(line.chars);
    line.chars = nullptr;
    line.length = 0;
    line.capacity = 0;
}

CTextBuffer::SLineInfo CTextBuffer::MakeLine(std::string_view first, std::string_view second) {
    SLineInfo line;
    size_t length = first.size() + second.size();
    if (length == 0)
        return line;
    int64_t capacity = RoundedCapacity(static_cast<int64_t>(length));
    line.chars = static_cast<char*>(std::malloc(static_cast<size_t>(capacity)));
    if (line.chars == nullptr)
        throw std::bad_alloc();
    if (!first.empty())
        std::memcpy(line.chars, first.data(), first.size());
    if (!second.empty())
        std::memcpy(line.chars + first.size(), second.data(), second.size());
    line.length = static_cast<int32_t>(length);
    line.capacity = static_cast<int32_t>(capacity);
    return line;
}

void CTextBuffer::FreeLines() {
    for (SLineInfo& line : lines_)
        FreeLine(line);
    lines_.clear();
    loadedBlocks_.clear();
}

// ---------------------------------------------------------------------------------------------------
// Text access

int32_t CTextBuffer::LineLength(int32_t line) const {
    return line >= 0 && line < LineCount() ? lines_[static_cast<size_t>(line)].length : 0;
}

const char* CTextBuffer::LineText(int32_t line) const {
    if (line < 0 || line >= LineCount() || lines_[static_cast<size_t>(line)].chars == nullptr)
        return "";
    return lines_[static_cast<size_t>(line)].chars;
}

uint32_t CTextBuffer::LineFlags(int32_t line) const {
    return line >= 0 && line < LineCount() ? lines_[static_cast<size_t>(line)].flags : 0;
}

bool CTextBuffer::IsValidPosition(int32_t line, int32_t x) const {
    return line >= 0 && line < LineCount() && x >= 0 && x <= lines_[static_cast<size_t>(line)].length;
}

bool CTextBuffer::IsValidRange(int32_t startLine, int32_t startChar, int32_t endLine, int32_t endChar) const {
    return IsValidPosition(startLine, startChar) && IsValidPosition(endLine, endChar) &&
           !(TextPosition{endChar, endLine} < TextPosition{startChar, startLine});
}

bool CTextBuffer::ReadText(int32_t startLine, int32_t startChar, int32_t endLine, int32_t endChar,
                           std::string& text, std::string_view separator) const {
    return ReadRange(TextPosition{startChar, startLine}, TextPosition{endChar, endLine}, text, separator,
                     nullptr);
}

bool CTextBuffer::ReadRange(TextPosition start, TextPosition end, std::string& text, std::string_view separator,
                            std::vector<int32_t>* breaks) const {
    text.clear();
    if (!IsValidRange(start.y, start.x, end.y, end.x))
        return false;
    const std::string_view first = LineView(start.y);
    if (start.y == end.y) {
        text.assign(first.substr(static_cast<size_t>(start.x), static_cast<size_t>(end.x - start.x)));
        return true;
    }
    size_t size = first.size() - static_cast<size_t>(start.x) + static_cast<size_t>(end.x);
    for (int32_t y = start.y + 1; y < end.y; ++y)
        size += static_cast<size_t>(lines_[static_cast<size_t>(y)].length);
    size += separator.size() * static_cast<size_t>(end.y - start.y);
    text.reserve(size);

    text.append(first.substr(static_cast<size_t>(start.x)));
    for (int32_t y = start.y + 1; y <= end.y; ++y) {
        if (breaks != nullptr)
            breaks->push_back(static_cast<int32_t>(text.size()));
        text.append(separator);
        const std::string_view line = LineView(y);
        text.append(y < end.y ? line : line.substr(0, static_cast<size_t>(end.x)));
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Changes

bool CTextBuffer::ApplyInsert(CBufferView* source, int32_t line, int32_t x, std::string_view text,
                              int32_t& endLine, int32_t& endChar) {
    if (readOnly_ || !IsValidPosition(line, x))
        return false;
    text = UpToNul(text);
    // A text taken from the very line it goes into would move under our feet: copy it first.
    std::string copy;
    const SLineInfo& target = lines_[static_cast<size_t>(line)];
    const auto from = reinterpret_cast<uintptr_t>(text.data());
    const auto lineFrom = reinterpret_cast<uintptr_t>(target.chars);
    const auto lineTo = lineFrom + static_cast<uintptr_t>(std::max(target.capacity, target.length));
    if (!text.empty() && target.chars != nullptr && from < lineTo && from + text.size() > lineFrom) {
        copy.assign(text);
        text = copy;
    }
    if (text.find('\r') == std::string_view::npos) // typing: one segment, nothing to allocate
        return InsertSegments(source, line, x, &text, 1, endLine, endChar);
    std::vector<std::string_view> segments;
    SplitAtLineEnds(text, segments);
    return InsertSegments(source, line, x, segments.data(), segments.size(), endLine, endChar);
}

bool CTextBuffer::InsertSegments(CBufferView* source, int32_t line, int32_t x, const std::string_view* segs,
                                 size_t count, int32_t& endLine, int32_t& endChar) {
    if (count == 1 && segs[0].empty()) {
        endLine = line;
        endChar = x;
        return true;
    }
    if (count > 1 && lines_.size() + (count - 1) > lines_.capacity()) {
        if (static_cast<int64_t>(lines_.size()) + static_cast<int64_t>(count - 1) > kMaxLineCount)
            return false;
        // Reserved before the target line is touched, so that running out of memory here changes nothing.
        lines_.reserve(std::max(lines_.size() + (count - 1), lines_.capacity() * 2));
    }
    SLineInfo& target = lines_[static_cast<size_t>(line)];
    const int64_t tailLength = target.length - x;
    uint32_t flags;
    if (count == 1) {
        const int64_t k = static_cast<int64_t>(segs[0].size());
        if (target.length + k > kMaxLineLength)
            return false;
        EnsureCapacity(target, target.length + k);
        std::memmove(target.chars + x + k, target.chars + x, static_cast<size_t>(tailLength));
        std::memcpy(target.chars + x, segs[0].data(), static_cast<size_t>(k));
        target.length += static_cast<int32_t>(k);
        endLine = line;
        endChar = static_cast<int32_t>(x + k);
        flags = UPD_LINE_TEXT;
    } else {
        if (static_cast<int64_t>(lines_.size()) + static_cast<int64_t>(count - 1) > kMaxLineCount)
            return false;
        if (x + static_cast<int64_t>(segs[0].size()) > kMaxLineLength ||
            static_cast<int64_t>(segs[count - 1].size()) + tailLength > kMaxLineLength)
            return false;
        for (size_t i = 1; i + 1 < count; ++i) {
            if (static_cast<int64_t>(segs[i].size()) > kMaxLineLength)
                return false;
        }
        // The new lines are built first; the last one takes the rest of the target line with it.
        std::vector<SLineInfo> added;
        try {
            added.reserve(count - 1);
            for (size_t i = 1; i + 1 < count; ++i)
                added.push_back(MakeLine(segs[i], {}));
            added.push_back(MakeLine(segs[count - 1], std::string_view(target.chars + x, static_cast<size_t>(tailLength))));
            target.length = x;
            EnsureCapacity(target, x + static_cast<int64_t>(segs[0].size()));
            lines_.insert(lines_.begin() + line + 1, added.begin(), added.end());
        } catch (...) {
            for (SLineInfo& made : added)
                FreeLine(made);
            throw;
        }
        SLineInfo& first = lines_[static_cast<size_t>(line)];
        if (!segs[0].empty())
            std::memcpy(first.chars + x, segs[0].data(), segs[0].size());
        first.length = static_cast<int32_t>(x + static_cast<int64_t>(segs[0].size()));
        endLine = static_cast<int32_t>(line + static_cast<int64_t>(count) - 1);
        endChar = static_cast<int32_t>(segs[count - 1].size());
        flags = UPD_LINE_COUNT;
    }
    CInsertContext context(TextPosition{x, line}, TextPosition{endChar, endLine});
    NotifyViews(source, &context, flags, line);
    if (!modified_)
        MarkModified(true);
    return true;
}

bool CTextBuffer::ApplyDelete(CBufferView* source, int32_t startLine, int32_t startChar, int32_t endLine,
                              int32_t endChar) {
    if (readOnly_ || !IsValidRange(startLine, startChar, endLine, endChar))
        return false;
    if (startLine == endLine && startChar == endChar)
        return true;
    SLineInfo& first = lines_[static_cast<size_t>(startLine)];
    uint32_t flags;
    if (startLine == endLine) {
        // A line may always shrink in place, whether it owns its block or borrows loaded bytes.
        std::memmove(first.chars + startChar, first.chars + endChar, static_cast<size_t>(first.length - endChar));
        first.length -= endChar - startChar;
        flags = UPD_LINE_TEXT;
    } else {
        const SLineInfo& last = lines_[static_cast<size_t>(endLine)];
        const int64_t tailLength = last.length - endChar;
        const int64_t joined = startChar + tailLength;
        if (joined > kMaxLineLength)
            return false;
        EnsureCapacity(first, joined);
        if (tailLength > 0)
            std::memcpy(first.chars + startChar, last.chars + endChar, static_cast<size_t>(tailLength));
        first.length = static_cast<int32_t>(joined);
        for (int32_t y = startLine + 1; y <= endLine; ++y)
            FreeLine(lines_[static_cast<size_t>(y)]);
        lines_.erase(lines_.begin() + startLine + 1, lines_.begin() + endLine + 1);
        flags = UPD_LINE_COUNT;
    }
    CDeleteContext context(TextPosition{startChar, startLine}, TextPosition{endChar, endLine});
    NotifyViews(source, &context, flags, startLine);
    if (!modified_)
        MarkModified(true);
    return true;
}

bool CTextBuffer::Insert(CBufferView* source, int32_t line, int32_t x, std::string_view text, int32_t& endLine,
                         int32_t& endChar, int32_t action) {
    if (readOnly_)
        return false;
    SUndoRecord record;
    record.flags = UR_INSERT;
    record.action = action;
    // The record keeps its own copy before the change, which also makes a text taken from the buffer
    // itself safe to insert.
    record.text.assign(UpToNul(text));
    if (!ApplyInsert(source, line, x, record.text, endLine, endChar))
        return false;
    if (record.text.empty())
        return true;
    record.start = TextPosition{x, line};
    record.end = TextPosition{endChar, endLine};
    RecordChange(source, std::move(record));
    return true;
}

bool CTextBuffer::Delete(CBufferView* source, int32_t startLine, int32_t startChar, int32_t endLine,
                         int32_t endChar, int32_t action) {
    if (readOnly_)
        return false;
    SUndoRecord record;
    record.action = action;
    record.start = TextPosition{startChar, startLine};
    record.end = TextPosition{endChar, endLine};
    if (!ReadRange(record.start, record.end, record.text, "\r\n", &record.lineBreaks))
        return false;
    if (!ApplyDelete(source, startLine, startChar, endLine, endChar))
        return false;
    if (record.start == record.end)
        return true;
    RecordChange(source, std::move(record));
    return true;
}

void CTextBuffer::RecordChange(CBufferView* source, SUndoRecord record) {
    const bool openedHere = !history_.IsGroupOpen();
    if (openedHere)
        history_.OpenGroup(false);
    history_.Add(std::move(record));
    groupAddedRecord_ = true;
    if (openedHere)
        CloseUndoGroup(source);
}

void CTextBuffer::MarkModified(bool modified) {
    modified_ = modified;
}

void CTextBuffer::ChangeLineFlag(int32_t line, uint32_t flag, bool set, bool clearOthers) {
    if (flag == 0 || (flag & (flag - 1)) != 0)
        return;
    if (line == -1) {
        line = FindFlaggedLine(flag);
        if (line < 0)
            return;
        clearOthers = false;
    }
    if (line < 0 || line >= LineCount())
        return;
    const uint32_t old = lines_[static_cast<size_t>(line)].flags;
    const uint32_t now = set ? (old | flag) : (old & ~flag);
    if (now == old)
        return;
    if (clearOthers && set) {
        for (int32_t y = 0; y < LineCount(); ++y) {
            if (y != line && (lines_[static_cast<size_t>(y)].flags & flag) != 0) {
                lines_[static_cast<size_t>(y)].flags &= ~flag;
                NotifyViews(nullptr, nullptr, UPD_LINE_FLAGS, y);
                break;
            }
        }
    }
    lines_[static_cast<size_t>(line)].flags = now;
    NotifyViews(nullptr, nullptr, UPD_LINE_FLAGS, line);
}

int32_t CTextBuffer::FindFlaggedLine(uint32_t flag) const {
    for (int32_t y = 0; y < LineCount(); ++y) {
        if ((lines_[static_cast<size_t>(y)].flags & flag) != 0)
            return y;
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------------
// Undo

void CTextBuffer::OpenUndoGroup(bool mergeWithPrevious) {
    history_.OpenGroup(mergeWithPrevious);
    groupAddedRecord_ = false;
}

void CTextBuffer::CloseUndoGroup(CBufferView* source) {
    // Only a group that recorded a change of its own is reported: the last record of an empty group
    // belongs to an earlier command, and answering it again (automatic indentation after a line break)
    // would repeat that command's work.
    const bool tell = source != nullptr && groupAddedRecord_ && history_.Position() > 0;
    groupAddedRecord_ = false;
    int32_t action = ACT_UNKNOWN;
    std::string text;
    if (tell) {
        history_.StartNextGroup();
        const SUndoRecord& last = history_.At(history_.Position() - 1);
        action = last.action;
        text = last.text;
    }
    // Closed before the view hears of it, so that a change the view makes in reply (automatic
    // indentation) forms a group of its own.
    history_.CloseGroup();
    if (tell)
        source->OnEditDone(action, text);
}

void CTextBuffer::ReinsertDeleted(const SUndoRecord& record) {
    std::vector<std::string_view> segments;
    std::string_view text = record.text;
    size_t begin = 0;
    for (int32_t at : record.lineBreaks) {
        segments.push_back(text.substr(begin, static_cast<size_t>(at) - begin));
        begin = static_cast<size_t>(at) + 2; // the CR LF that stood for the line break
    }
    segments.push_back(text.substr(begin));
    int32_t endLine = 0;
    int32_t endChar = 0;
    if (IsValidPosition(record.start.y, record.start.x))
        InsertSegments(nullptr, record.start.y, record.start.x, segments.data(), segments.size(), endLine, endChar);
}

bool CTextBuffer::Undo(TextPosition& cursor) {
    if (readOnly_ || !history_.HasUndo())
        return false;
    int32_t position = history_.Position();
    for (;;) {
        --position;
        history_.SetPosition(position);
        const SUndoRecord& record = history_.At(position);
        if (record.IsInsert()) {
            ApplyDelete(nullptr, record.start.y, record.start.x, record.end.y, record.end.x);
            cursor = record.start;
        } else {
            ReinsertDeleted(record);
            cursor = record.end;
        }
        if (record.StartsGroup() || position == 0)
            break;
    }
    AfterUndoOrRedo();
    return true;
}

bool CTextBuffer::Redo(TextPosition& cursor) {
    if (readOnly_ || !history_.HasRedo())
        return false;
    int32_t position = history_.Position();
    do {
        const SUndoRecord& record = history_.At(position);
        if (record.IsInsert()) {
            int32_t endLine = 0;
            int32_t endChar = 0;
            ApplyInsert(nullptr, record.start.y, record.start.x, record.text, endLine, endChar);
            cursor = record.end;
        } else {
            ApplyDelete(nullptr, record.start.y, record.start.x, record.end.y, record.end.x);
            cursor = record.start;
        }
        ++position;
        history_.SetPosition(position);
    } while (position < history_.Count() && !history_.At(position).StartsGroup());
    AfterUndoOrRedo();
    return true;
}

void CTextBuffer::AfterUndoOrRedo() {
    if (modified_ && history_.IsAtSaved())
        MarkModified(false);
    if (!modified_ && !history_.IsAtSaved())
        MarkModified(true);
}

bool CTextBuffer::DescribeAction(int32_t action, std::string& text) const {
    const char* name = EditActionText(action);
    if (name == nullptr)
        return false;
    text = name;
    return true;
}

int32_t CTextBuffer::DescribeUndo(std::string& text, int32_t pos) const {
    text.clear();
    const int32_t from = pos != 0 ? pos : history_.Position();
    if (from < 1 || from > history_.Count())
        return 0;
    const int32_t index = history_.GroupStartAtOrBefore(from - 1);
    DescribeAction(history_.At(index).action, text);
    return index;
}

int32_t CTextBuffer::DescribeRedo(std::string& text, int32_t pos) const {
    text.clear();
    const int32_t from = pos != 0 ? pos : history_.Position();
    if (from < 0 || from >= history_.Count())
        return 0;
    DescribeAction(history_.At(from).action, text);
    const int32_t next = history_.NextGroupStartAfter(from);
    return next < 0 ? 0 : next;
}

// ---------------------------------------------------------------------------------------------------
// Life cycle

void CTextBuffer::ReplaceText(SLoadedText&& text, bool readOnly) {
    FreeLines();
    lines_ = std::move(text.lines);
    loadedBlocks_ = std::move(text.blocks);
    history_.Clear();
    groupAddedRecord_ = false;
    eolMode_ = text.eolMode;
    linesCutAtNul_ = text.linesCutAtNul;
    byteOrderMark_ = text.byteOrderMark;
    initialised_ = true;
    readOnly_ = readOnly;
    modified_ = false;
    NotifyViews(nullptr, nullptr, UPD_RESET, -1);
}

void CTextBuffer::ResetToEmpty(int32_t eolMode) {
    SLoadedText text;
    text.lines.emplace_back();
    text.eolMode = eolMode >= EOL_DOS && eolMode <= EOL_MAC ? eolMode : EOL_DOS;
    ReplaceText(std::move(text), false);
}

void CTextBuffer::Clear() {
    FreeLines();
    history_.Clear();
    groupAddedRecord_ = false;
    linesCutAtNul_ = 0;
    byteOrderMark_ = false;
    initialised_ = false;
    // The views still hold positions, caches and scroll places of the lines that are gone.
    NotifyViews(nullptr, nullptr, UPD_RESET, -1);
}

// ---------------------------------------------------------------------------------------------------
// Loading

bool CTextBuffer::LoadFile(const std::string& path, int32_t eolMode) {
    if (eolMode < EOL_AUTO || eolMode > EOL_MAC)
        return false;
    CFileAccess& files = Files();
    CFileAccess::SFileInfo info;
    if (!files.Stat(path, info) || !info.isRegular)
        return false;
    SLoadedText text;
    {
        int fd = files.OpenForReading(path);
        if (fd < 0)
            return false;
        CReadGuard guard(files, fd);
        if (!ReadLines(files, fd, info.size, eolMode, text))
            return false;
    }
    // A UTF-8 byte-order mark is no character of the text: colouring, search and execution must see
    // the first keyword where it is. The line borrows its bytes, so it simply starts after the mark.
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (!text.lines.empty()) {
        SLineInfo& first = text.lines.front();
        if (first.length >= 3 && std::string_view(first.chars, 3) == kByteOrderMark) {
            first.chars += 3;
            first.length -= 3;
            text.byteOrderMark = true;
        }
    }
    ReplaceText(std::move(text), info.readOnly);
    return true;
}

// Reads the file in large blocks and cuts it into lines where the mode's separator matches. The lines
// borrow their bytes from the blocks, so a file costs one allocation per block rather than per line.
//
// The separator is matched byte by byte with a counter: a byte equal to the separator's next byte
// advances it, and a full match ends the line; any other byte resets the counter without being tested
// as the start of a new match and stays in the line with the partly matched bytes. So in DOS mode
// CR CR LF stays in the line whole, and a CR at the very end of the file belongs to the last line.
// The bytes after a separator always form one more line, even when there are none (an empty file is
// one empty line). A NUL byte cuts its line: the bytes from it to the line end are dropped.
bool CTextBuffer::ReadLines(CFileAccess& files, int fd, uint64_t sizeHint, int32_t eolMode, SLoadedText& out) {
    size_t capacity = static_cast<size_t>(std::clamp<uint64_t>(sizeHint + 1, 64 * 1024, 8 * 1024 * 1024));
    std::unique_ptr<char[]> block(new char[capacity]);
    char* base = block.get();
    size_t filled = 0;      // bytes of the block holding data
    size_t lineStart = 0;   // where the unfinished line begins
    size_t scan = 0;        // where the separator search goes on
    size_t nulSearched = 0; // the NUL search has looked at the bytes before this
    size_t nextNul = 0;     // the first NUL found at or after lineStart, or nulSearched when none
    uint64_t consumed = 0;  // bytes of the file in the blocks before this one
    bool blockHasLines = false;
    bool atEnd = false;
    int32_t mode = eolMode;
    std::string_view separator = EolSeparator(mode);

    auto addLine = [&](size_t end) -> bool {
        if (nextNul < lineStart) {
            nulSearched = lineStart;
            nextNul = lineStart;
        }
        if (nextNul == nulSearched && nulSearched < end) {
            const void* nul = std::memchr(base + nulSearched, 0, filled - nulSearched);
            nextNul = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - base) : filled;
            nulSearched = filled;
        }
        size_t length = end - lineStart;
        if (nextNul < end) {
            length = nextNul - lineStart;
            ++out.linesCutAtNul;
        }
        if (static_cast<int64_t>(length) > kMaxLineLength ||
            static_cast<int64_t>(out.lines.size()) >= kMaxLineCount)
            return false;
        if (out.lines.size() == out.lines.capacity() && sizeHint > 0 && consumed + end > 0) {
            // Grow the table to the line count that the file's size suggests rather than by doubling.
            double perByte = static_cast<double>(out.lines.size() + 1) / static_cast<double>(consumed + end);
            size_t guess = static_cast<size_t>(perByte * static_cast<double>(sizeHint) * 1.1) + 16;
            out.lines.reserve(std::max(guess, out.lines.size() * 2));
        }
        out.lines.push_back(SLineInfo{base + lineStart, static_cast<int32_t>(length), 0, 0});
        blockHasLines = true;
        return true;
    };

    for (;;) {
        if (filled == capacity) {
            // The block is full: the unfinished line moves to a fresh block (a larger one when the line
            // already takes more than half of it). The old block stays for the lines that borrow it.
            size_t partial = filled - lineStart;
            size_t nextCapacity = capacity;
            while (partial > nextCapacity / 2)
                nextCapacity *= 2;
            std::unique_ptr<char[]> next(new char[nextCapacity]);
            std::memcpy(next.get(), base + lineStart, partial);
            if (blockHasLines)
                out.blocks.push_back(std::move(block));
            block = std::move(next);
            base = block.get();
            capacity = nextCapacity;
            scan -= lineStart;
            consumed += lineStart;
            filled = partial;
            lineStart = 0;
            nulSearched = 0;
            nextNul = 0;
            blockHasLines = false;
        }
        int64_t got = files.Read(fd, base + filled, capacity - filled);
        if (got < 0)
            return false;
        if (got == 0)
            atEnd = true;
        filled += static_cast<size_t>(got);
        if (mode == EOL_AUTO) {
            // The first block is always at least this large, so it holds the file's first bytes whole.
            if (filled < kDetectBytes && !atEnd)
                continue;
            mode = DetectEolMode(base, std::min(filled, kDetectBytes));
            separator = EolSeparator(mode);
        }

        if (separator.size() == 1) {
            while (scan < filled) {
                const void* hit = std::memchr(base + scan, separator[0], filled - scan);
                if (hit == nullptr) {
                    scan = filled;
                    break;
                }
                size_t at = static_cast<size_t>(static_cast<const char*>(hit) - base);
                if (!addLine(at))
                    return false;
                lineStart = scan = at + 1;
            }
        } else {
            while (scan < filled) {
                const void* hit = std::memchr(base + scan, separator[0], filled - scan);
                if (hit == nullptr) {
                    scan = filled;
                    break;
                }
                size_t at = static_cast<size_t>(static_cast<const char*>(hit) - base);
                if (at + 1 == filled) {
                    scan = at; // the next byte decides; look again when it is here
                    break;
                }
                if (base[at + 1] == separator[1]) {
                    if (!addLine(at))
                        return false;
                    lineStart = scan = at + 2;
                } else {
                    scan = at + 2; // the byte that broke the match never starts a new one
                }
            }
        }
        if (atEnd) {
            if (!addLine(filled))
                return false;
            out.blocks.push_back(std::move(block));
            out.eolMode = mode;
            return true;
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Saving

bool CTextBuffer::WriteText(CFileAccess& files, int fd, std::string_view separator) const {
    constexpr size_t kChunk = 1 << 20;
    std::string pending;
    pending.reserve(kChunk);
    if (byteOrderMark_)
        pending.append("\xEF\xBB\xBF");
    for (size_t y = 0; y < lines_.size(); ++y) {
        if (y > 0)
            pending.append(separator);
        const SLineInfo& line = lines_[y];
        if (line.length == 0)
            continue;
        if (static_cast<size_t>(line.length) >= kChunk / 4) {
            if (!WriteAll(files, fd, pending.data(), pending.size()))
                return false;
            pending.clear();
            if (!WriteAll(files, fd, line.chars, static_cast<size_t>(line.length)))
                return false;
            continue;
        }
        pending.append(line.chars, static_cast<size_t>(line.length));
        if (pending.size() >= kChunk) {
            if (!WriteAll(files, fd, pending.data(), pending.size()))
                return false;
            pending.clear();
        }
    }
    return WriteAll(files, fd, pending.data(), pending.size());
}

// The old file stays whole until the new one is complete on the disk: the text goes to a new file in
// the target's folder, which is flushed and then renamed over the target in one step. Nothing deletes
// the target first, so a failure at any point leaves either the old file or the new one in place.
bool CTextBuffer::SaveFile(const std::string& path, int32_t eolMode, bool clearModified) {
    // Each failure keeps the system's reason (errno of the call that failed) for the message.
    auto fail = [this](int reason) {
        saveError_ = reason != 0 ? reason : EIO;
        return false;
    };
    if (!initialised_ || path.empty())
        return fail(EINVAL);
    const std::string_view separator = EolSeparator(eolMode == EOL_AUTO ? eolMode_ : eolMode);
    if (separator.empty())
        return fail(EINVAL);
    CFileAccess& files = Files();
    const std::string target = files.ResolveLinks(path);
    CFileAccess::SFileInfo info;
    const bool exists = files.Stat(target, info);
    // A directory or device is no text file, and a read-only file is not replaced behind its back.
    if (exists && !info.isRegular)
        return fail(EISDIR);
    if (exists && info.readOnly)
        return fail(EACCES);
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);

    std::string temporary;
    errno = 0;
    int fd = files.CreateTemporary(folder, "QVT", temporary);
    if (fd < 0)
        return fail(errno);
    bool ok;
    errno = 0;
    try {
        ok = WriteText(files, fd, separator);
    } catch (...) {
        files.Close(fd);
        files.Remove(temporary);
        throw;
    }
    if (ok && exists) {
        errno = 0;
        ok = files.SetPermissions(fd, info.permissions);
    }
    if (ok) {
        errno = 0;
        ok = files.SyncToDisk(fd);
    }
    int reason = ok ? 0 : errno;
    errno = 0;
    const bool closed = files.Close(fd);
    if (ok && !closed)
        reason = errno;
    ok = ok && closed;
    if (ok) {
        errno = 0;
        ok = files.Rename(temporary, target);
        if (!ok)
            reason = errno;
    }
    if (!ok) {
        files.Remove(temporary);
        return fail(reason);
    }
    files.SyncFolder(folder);
    saveError_ = 0;
    if (clearModified) {
        MarkModified(false);
        history_.MarkSaved();
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Views

void CTextBuffer::AttachView(CBufferView* view) {
    if (view != nullptr)
        views_.push_back(view);
}

void CTextBuffer::DetachView(CBufferView* view) {
    auto found = std::find(views_.begin(), views_.end(), view);
    if (found == views_.end() || view == nullptr)
        return;
    if (notifyDepth_ > 0)
        *found = nullptr; // the notice loop is walking the list; it removes the hole when done
    else
        views_.erase(found);
}

void CTextBuffer::NotifyViews(CBufferView* source, const CChangeContext* context, uint32_t flags, int32_t line) {
    ++notifyDepth_;
    for (size_t i = 0; i < views_.size(); ++i) {
        if (views_[i] != nullptr)
            views_[i]->OnBufferChange(source, context, flags, line);
    }
    if (--notifyDepth_ == 0)
        views_.erase(std::remove(views_.begin(), views_.end(), nullptr), views_.end());
}

// ---------------------------------------------------------------------------------------------------

bool CTextBuffer::IsConsistent() const {
    if (initialised_ && lines_.empty())
        return false;
    for (const SLineInfo& line : lines_) {
        if (line.length < 0 || line.capacity < 0 || (line.length > 0 && line.chars == nullptr))
            return false;
        if (line.capacity > 0 && (line.capacity % 16 != 0 || line.capacity <= line.length))
            return false;
        if (line.length > 0 && std::memchr(line.chars, 0, static_cast<size_t>(line.length)) != nullptr)
            return false;
    }
    return history_.IsConsistent();
}

} // namespace editor
