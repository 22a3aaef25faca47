// The editing view: CTextView plus typing, line breaks with automatic indentation, overwrite mode,
// Delete and Backspace, block indent and unindent with Tab and Shift+Tab, cut and paste, undo and redo
// with named menu items, and moving or copying text by drag and drop. Every change goes through the
// buffer's Insert and Delete with an action code, so undo groups and their menu names follow.
//
// Every command first checks that input is enabled; commands that change the text further need an
// editable buffer (present and not read-only) and otherwise do nothing.
//
// The SQL text pane derives from this view (through CSqlEditorView for the colouring), supplying its
// document's buffer through LocateBuffer and its font through SetFont. The frame asks the Can* and
// *MenuText functions when it updates its menus and tool bar, and the *StatusEnabled functions for
// its status-bar items.
#pragma once

#include <memory>
#include <string>

#include "TextView.h"

class QInputMethodEvent;

namespace editor {

class CEditDropTarget;

class CEditorView : public CTextView {
    Q_OBJECT

public:
    explicit CEditorView(QWidget* parent = nullptr);
    ~CEditorView() override;

    // The buffer exists and is not read-only.
    bool IsEditable() const;
    bool IsOverwrite() const { return overwrite_; }
    void SetOverwrite(bool on);
    bool IsAutoIndent() const { return autoIndent_; }
    void SetAutoIndent(bool on) { autoIndent_ = on; }

    // --- Commands (keys in parentheses).
    void TypeText(const std::string& text); // printable keys: one character, UTF-8
    void NewLine();                         // Enter
    void DeleteKey();                       // Delete
    void Backspace();                       // Backspace
    void Tab();                             // Tab
    void ShiftTab();                        // Shift+Tab
    void ToggleOverwrite();                 // Insert
    void Cut();                             // Ctrl+X, Shift+Delete
    void Paste();                           // Ctrl+V, Shift+Insert
    void Undo();                            // Ctrl+Z, Alt+Backspace
    void Redo();                            // Ctrl+Y, Ctrl+Shift+Z
    void DeleteWordLeft();                  // Ctrl+Backspace: to where Ctrl+Left goes
    void DeleteWordRight();                 // Ctrl+Delete: to where Ctrl+Right goes
    // Middle click: the X11 primary selection goes in at `at` (nothing without one).
    void PastePrimaryAt(TextPosition at);
    void OnEditReplace();                   // Ctrl+H: the replace dialog (EditorViewReplace.cpp)

    // Replaces a non-empty selection by `text`: the deletion and the insertion are two undo steps;
    // the inserted text ends up selected with the caret at its end, scrolled into view. False, with
    // nothing changed, for an empty selection or a buffer that cannot be edited.
    bool ReplaceSelection(const std::string& text);
    bool ReplaceSelection(const std::string& text, TextPosition& insertedEnd);

    // --- Menu and tool-bar state.
    bool CanCut() const;
    bool CanPaste() const;
    bool CanUndo() const;
    bool CanRedo() const;
    // Replace opens only on an editable buffer while input is enabled.
    bool CanReplace() const { return IsInputEnabled() && IsEditable(); }
    // "&Undo <action>\tCtrl+Z" while undo is possible, else "&Undo\tCtrl+Z"; likewise for redo.
    std::string UndoMenuText() const;
    std::string RedoMenuText() const;
    // The Insert command's check mark and the "OVR" status item.
    bool OverwriteStatusEnabled() const { return overwrite_; }
    // The read-only status item.
    bool ReadOnlyStatusEnabled() const;

    // CBufferView
    void OnBufferChange(CBufferView* source, const CChangeContext* context, uint32_t flags,
                        int32_t line) override;
    // Automatic indentation after a typed line break.
    void OnEditDone(int32_t action, const std::string& text) override;

protected:
    void ResetView() override;
    bool HandleKey(QKeyEvent* event) override;
    bool WantsKey(const QKeyEvent* event) const override;
    Qt::DropActions DropEffect() const override;
    void OnDropSource(Qt::DropAction effect) override;
    void OnDragStarting() override;
    void OnDragFinished() override;

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    void DeleteToWord(bool right);
    friend class CEditDropTarget;

    // Opens an undo group on the view's buffer and closes it when the command is done. A group in
    // which the view saw no change is closed without naming the view, so the view hears only of its
    // own edits (automatic indentation must not answer an earlier group's line break).
    class UndoGroup {
    public:
        UndoGroup(CEditorView& view, bool merge) : view_(view), mark_(view.changeCount_) {
            if (view_.Buffer() != nullptr) {
                view_.Buffer()->OpenUndoGroup(merge);
                open_ = true;
            }
        }
        ~UndoGroup() { Close(); }
        UndoGroup(const UndoGroup&) = delete;
        UndoGroup& operator=(const UndoGroup&) = delete;

        void Close() {
            if (!open_)
                return;
            open_ = false;
            if (view_.Buffer() != nullptr)
                view_.Buffer()->CloseUndoGroup(view_.changeCount_ != mark_ ? &view_ : nullptr);
        }

    private:
        CEditorView& view_;
        uint64_t mark_;
        bool open_ = false;
    };

    // Deletes a non-empty selection (caret at its start); false when nothing was selected.
    bool DeleteSelection();
    // The lines a block indent or unindent works on, with the selection set to them as whole lines.
    bool SelectBlockLines(int32_t& first, int32_t& last);
    bool Insert(TextPosition at, const std::string& text, int32_t action, TextPosition& end);
    bool Delete(TextPosition start, TextPosition end, int32_t action);

    bool overwrite_ = false;
    bool autoIndent_ = true;
    std::unique_ptr<CEditDropTarget> dropTarget_;
    // Counts the text changes this view has seen; an undo group that saw none is closed without
    // telling the view, so that no command reacts to an earlier group's last change.
    uint64_t changeCount_ = 0;
    uint64_t dragGroupMark_ = 0;
    bool dragGroupOpen_ = false;
};

} // namespace editor
