// The text of one SQL document: an array of lines of bytes, every change made to it, the undo and redo
// history, loading and saving the text file, and the notices that keep the views up to date.
//
// Thread contract: none. The buffer takes no locks and is used on the thread of the window that shows
// it; requests from worker threads (marking the executing line) must be carried to that thread first.
//
// The buffer knows nothing of SQL, fonts or windows. Texts are byte strings and positions are byte
// offsets; a line never holds a NUL byte, and a line holds a CR only when a file read in DOS or UNIX
// mode had one that did not belong to a line end.
#pragma once

#include "BufferView.h"
#include "ChangeContext.h"
#include "EditAction.h"
#include "FileAccess.h"
#include "TextPosition.h"
#include "UndoHistory.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace editor {

using platform::CFileAccess;

// Line-end modes. A file is written back with the separator it was read with.
enum : int32_t {
    EOL_AUTO = -1, // as an argument only: detect on load, the buffer's own mode on save
    EOL_DOS = 0,   // CR LF
    EOL_UNIX = 1,  // LF CR
    EOL_MAC = 2,   // LF alone
};

// The bytes written between two lines in a mode; empty for a value that is not a mode.
std::string_view EolSeparator(int32_t mode);
// The name shown in the status bar: "DOS", "UNIX" or "MAC"; empty for a value that is not a mode.
const char* EolModeName(int32_t mode);

// Line flags. A flag handled by ChangeLineFlag is exactly one bit; the other bits are free.
enum : uint32_t {
    LF_EXEC_MARK = 0x80000, // the line of the statement being executed
};

class CTextBuffer {
public:
    // The notice of an insertion of the range [start, end).
    class CInsertContext : public CChangeContext {
    public:
        CInsertContext(TextPosition start, TextPosition end) : start_(start), end_(end) {}
        void AdjustPoint(TextPosition& point) const override;

    private:
        TextPosition start_;
        TextPosition end_;
    };

    // The notice of a deletion of the range [start, end).
    class CDeleteContext : public CChangeContext {
    public:
        CDeleteContext(TextPosition start, TextPosition end) : start_(start), end_(end) {}
        void AdjustPoint(TextPosition& point) const override;

    private:
        TextPosition start_;
        TextPosition end_;
    };

    static constexpr int32_t kUndoLimit = CUndoHistory::kLimit;

    CTextBuffer();
    virtual ~CTextBuffer();
    CTextBuffer(const CTextBuffer&) = delete;
    CTextBuffer& operator=(const CTextBuffer&) = delete;

    // --- Text access. An invalid line index reads as an empty line without flags.
    bool IsInitialised() const { return initialised_; }
    int32_t LineCount() const { return static_cast<int32_t>(lines_.size()); }
    int32_t LineLength(int32_t line) const;
    // The line's bytes, not NUL-terminated; valid until the next change.
    const char* LineText(int32_t line) const;
    // Inline: the search and the view read lines in tight loops.
    std::string_view LineView(int32_t line) const {
        if (line < 0 || line >= LineCount())
            return std::string_view();
        const SLineInfo& info = lines_[static_cast<size_t>(line)];
        return info.chars == nullptr ? std::string_view() : std::string_view(info.chars, static_cast<size_t>(info.length));
    }
    uint32_t LineFlags(int32_t line) const;
    int32_t EolMode() const { return eolMode_; }
    bool IsReadOnly() const { return readOnly_; }
    bool IsModified() const { return modified_; }

    // The text of a range, lines joined by `separator` (CR LF whatever the buffer's mode). False, with
    // `text` empty, for a range that does not lie in the text or ends before it starts.
    bool ReadText(int32_t startLine, int32_t startChar, int32_t endLine, int32_t endChar, std::string& text,
                  std::string_view separator = "\r\n") const;

    // --- Changes. `source` (may be null) is the view that makes the change; it is passed back to the
    // views in the notice. All four return false, with nothing changed, when the buffer is read-only or
    // the position or range does not lie in the text.
    //
    // Inserts `text` before (x, line) and returns the position just after it. A CR, or CR LF, ends a
    // line; a lone LF is an ordinary byte of the line. The text ends at its first NUL byte, if any.
    bool Insert(CBufferView* source, int32_t line, int32_t x, std::string_view text, int32_t& endLine,
                int32_t& endChar, int32_t action);
    bool Delete(CBufferView* source, int32_t startLine, int32_t startChar, int32_t endLine, int32_t endChar,
                int32_t action);
    // The same without recording them for undo.
    bool ApplyInsert(CBufferView* source, int32_t line, int32_t x, std::string_view text, int32_t& endLine,
                     int32_t& endChar);
    bool ApplyDelete(CBufferView* source, int32_t startLine, int32_t startChar, int32_t endLine,
                     int32_t endChar);

    // Sets the modified flag. A subclass that keeps the flag elsewhere (the document's) overrides it,
    // and the buffer's own flag then stays false.
    virtual void MarkModified(bool modified);

    // Sets or clears a one-bit flag on a line (-1: on the first line that has it). With `clearOthers`
    // the flag leaves the line that had it before, so that it marks one line at a time.
    void ChangeLineFlag(int32_t line, uint32_t flag, bool set, bool clearOthers = true);
    // The first line carrying the flag, or -1.
    int32_t FindFlaggedLine(uint32_t flag) const;

    // --- Undo.
    bool HasUndo() const { return history_.HasUndo(); }
    bool HasRedo() const { return history_.HasRedo(); }
    // Revert or make again one group of changes; `cursor` is where the caret should go. False when
    // there is nothing to undo or redo.
    bool Undo(TextPosition& cursor);
    bool Redo(TextPosition& cursor);
    // Commands that make several changes wrap them in a group so that one Undo reverts them together.
    // A group opened with `mergeWithPrevious` joins the group before it (a run of typed letters).
    void OpenUndoGroup(bool mergeWithPrevious = false);
    // Closes the group; with a source view, also tells it what the group's last change was, provided
    // the group recorded a change at all.
    void CloseUndoGroup(CBufferView* source);
    // The menu text of an action code; false for a code outside the table.
    virtual bool DescribeAction(int32_t action, std::string& text) const;
    // The action text of the next group to undo (or redo), and a position to pass to a further call to
    // describe the group beyond it. `pos` 0 means the undo position.
    int32_t DescribeUndo(std::string& text, int32_t pos = 0) const;
    int32_t DescribeRedo(std::string& text, int32_t pos = 0) const;
    int32_t UndoRecordCount() const { return history_.Count(); }
    int32_t UndoPosition() const { return history_.Position(); }

    // --- Files and life cycle.
    // Replaces everything by one empty line in the given mode (EOL_AUTO stands for EOL_DOS).
    void ResetToEmpty(int32_t eolMode);
    // Replaces the text by the file's. With EOL_AUTO the mode comes from the first LF in the file's first
    // 32768 bytes. On failure (missing file, failed open or read, a line or line count beyond 32-bit
    // positions) the buffer is left exactly as it was.
    bool LoadFile(const std::string& path, int32_t eolMode = EOL_AUTO);
    // Writes the text to a new file beside the target, flushes it to the disk and only then puts it in
    // the target's place in one step; on any failure the old file is untouched. Refuses an uninitialised
    // buffer and a target that may not be written.
    bool SaveFile(const std::string& path, int32_t eolMode = EOL_AUTO, bool clearModified = true);
    // Why the last SaveFile failed, as an errno value (EACCES for a read-only target, EISDIR for one
    // that is no regular file, the failing call's errno otherwise); 0 after a save that succeeded.
    int SaveErrorNumber() const { return saveError_; }
    // Drops every line and the undo history; the buffer is uninitialised afterwards. The views get the
    // notice of a reset.
    void Clear();
    // How many lines the last load cut short at a NUL byte (the bytes from the NUL to the line end are
    // not kept, so saving such a text does not give the file back): the document can warn about it.
    int32_t LinesCutAtNul() const { return linesCutAtNul_; }
    // Whether the loaded file began with a UTF-8 byte-order mark. The mark is not part of the text
    // (the first line starts after it); a save writes it back in front.
    bool HasByteOrderMark() const { return byteOrderMark_; }
    // Replaces the file-system door (null: the real one). The object must outlive the buffer's use of it.
    void SetFileAccess(CFileAccess* access) { files_ = access; }

    // --- Views.
    void AttachView(CBufferView* view);
    // Removes the view; safe to call from inside a notice.
    void DetachView(CBufferView* view);
    void NotifyViews(CBufferView* source, const CChangeContext* context, uint32_t flags, int32_t line);

    // Checks the invariants of the line store and the undo history (for tests; it reads every line).
    bool IsConsistent() const;

private:
    // One line. `chars` is owned (a heap block of `capacity` bytes, a multiple of 16 greater than the
    // length) when capacity > 0; with capacity 0 the line borrows its bytes from a block read by
    // LoadFile (or has none) and gets its own block at the first change that makes it longer.
    struct SLineInfo {
        char* chars = nullptr;
        int32_t length = 0;
        int32_t capacity = 0;
        uint32_t flags = 0;
    };
    // What LoadFile read, kept apart until the whole file is in.
    struct SLoadedText {
        std::vector<SLineInfo> lines;
        std::vector<std::unique_ptr<char[]>> blocks;
        int32_t eolMode = EOL_DOS;
        int32_t linesCutAtNul = 0;
        bool byteOrderMark = false;
    };

    bool IsValidPosition(int32_t line, int32_t x) const;
    bool IsValidRange(int32_t startLine, int32_t startChar, int32_t endLine, int32_t endChar) const;
    // Inserts lines given as segments: the first joins the line at x, each further one starts a new
    // line, and the rest of the line at x follows the last one.
    bool InsertSegments(CBufferView* source, int32_t line, int32_t x, const std::string_view* segs, size_t count,
                        int32_t& endLine, int32_t& endChar);
    bool ReadRange(TextPosition start, TextPosition end, std::string& text, std::string_view separator,
                   std::vector<int32_t>* breaks) const;
    void RecordChange(CBufferView* source, SUndoRecord record);
    void ReinsertDeleted(const SUndoRecord& record);
    void AfterUndoOrRedo();
    void FreeLines();
    void ReplaceText(SLoadedText&& text, bool readOnly);
    CFileAccess& Files() const { return files_ != nullptr ? *files_ : CFileAccess::System(); }
    bool WriteText(CFileAccess& files, int fd, std::string_view separator) const;
    static bool ReadLines(CFileAccess& files, int fd, uint64_t sizeHint, int32_t eolMode, SLoadedText& out);

    static void EnsureCapacity(SLineInfo& line, int64_t needed);
    static void FreeLine(SLineInfo& line);
    static SLineInfo MakeLine(std::string_view first, std::string_view second);

    bool initialised_ = false;
    bool readOnly_ = false;
    bool modified_ = false;
    int32_t eolMode_ = EOL_DOS;
    std::vector<SLineInfo> lines_;
    std::vector<std::unique_ptr<char[]>> loadedBlocks_; // the bytes that loaded lines borrow
    CUndoHistory history_;
    bool groupAddedRecord_ = false; // the open (or last) undo group recorded a change
    std::vector<CBufferView*> views_; // a detached view leaves a null entry while notices are going out
    int notifyDepth_ = 0;
    int32_t linesCutAtNul_ = 0;
    int saveError_ = 0;
    bool byteOrderMark_ = false;
    CFileAccess* files_ = nullptr;
};

} // namespace editor
