// Cut, paste, undo and redo, the state of their menu items, and the editing view's side of a drag
// that starts in it.
#include "EditorView.h"

#include <QClipboard>
#include <QGuiApplication>

#include "TextMime.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

#include "EditAction.h"
#include "EditDropTarget.h"

namespace editor {

void CEditorView::Cut() {
    if (!IsInputEnabled() || !IsEditable() || IsSelectionEmpty())
        return;
    TextPosition start;
    TextPosition end;
    SelectionRange(start, end);
    std::string text;
    TextOfRange(start, end, text);
    PutToClipboard(text);
    SelectNothingAt(start);
    Delete(start, end, ACT_CUT);
}

void CEditorView::Paste() {
    if (!IsInputEnabled() || !IsEditable())
        return;
    UndoGroup group(*this, false);
    DeleteSelection();
    std::string text;
    if (GetFromClipboard(text) && !text.empty()) {
        TextPosition end;
        if (Insert(CaretPosition(), text, ACT_PASTE, end))
            SelectNothingAt(end);
    }
    group.Close();
}

void CEditorView::PastePrimaryAt(TextPosition at) {
    if (!IsInputEnabled() || !IsEditable())
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        return;
    std::string text;
    if (!EditorTextFromMime(clipboard->mimeData(QClipboard::Selection), text) || text.empty())
        return;
    // As desktop editors do: the text goes where the pointer is and the selection stays as it was.
    at = ClampPosition(at);
    UndoGroup group(*this, false);
    TextPosition end;
    if (Insert(at, text, ACT_PASTE, end))
        SelectNothingAt(end);
    group.Close();
}

void CEditorView::DeleteWordLeft() {
    DeleteToWord(false);
}

void CEditorView::DeleteWordRight() {
    DeleteToWord(true);
}

// Deletes from the caret to the next word boundary on one side; a selection goes as Delete takes it.
void CEditorView::DeleteToWord(bool right) {
    if (!IsInputEnabled() || !IsEditable())
        return;
    if (!IsSelectionEmpty()) {
        DeleteKey();
        return;
    }
    const TextPosition caret = CaretPosition();
    const TextPosition start = right ? caret : WordLeft(caret);
    const TextPosition end = right ? WordRight(caret) : caret;
    if (start == end)
        return;
    SelectNothingAt(start);
    Delete(start, end, right ? ACT_DELETE : ACT_BACKSPACE);
}

void CEditorView::Undo() {
    if (!IsInputEnabled() || !IsEditable() || !Buffer()->HasUndo())
        return;
    TextPosition cursor;
    if (Buffer()->Undo(cursor))
        SelectNothingAt(cursor);
}

void CEditorView::Redo() {
    if (!IsInputEnabled() || !IsEditable() || !Buffer()->HasRedo())
        return;
    TextPosition cursor;
    if (Buffer()->Redo(cursor))
        SelectNothingAt(cursor);
}

bool CEditorView::CanCut() const {
    return IsInputEnabled() && !IsSelectionEmpty();
}

bool CEditorView::CanPaste() const {
    return IsInputEnabled() && ClipboardHasText();
}

bool CEditorView::CanUndo() const {
    return IsInputEnabled() && Buffer() != nullptr && Buffer()->HasUndo();
}

bool CEditorView::CanRedo() const {
    return IsInputEnabled() && Buffer() != nullptr && Buffer()->HasRedo();
}

std::string CEditorView::UndoMenuText() const {
    if (!CanUndo())
        return "&Undo\tCtrl+Z";
    std::string action;
    Buffer()->DescribeUndo(action);
    return "&Undo " + action + "\tCtrl+Z";
}

std::string CEditorView::RedoMenuText() const {
    if (!CanRedo())
        return "&Redo\tCtrl+Y";
    std::string action;
    Buffer()->DescribeRedo(action);
    return "&Redo " + action + "\tCtrl+Y";
}

bool CEditorView::ReadOnlyStatusEnabled() const {
    return Buffer() != nullptr && Buffer()->IsReadOnly();
}

// ---------------------------------------------------------------------------------------------------
// Drag and drop

Qt::DropActions CEditorView::DropEffect() const {
    return Qt::CopyAction | Qt::MoveAction;
}

void CEditorView::OnDragStarting() {
    if (Buffer() == nullptr)
        return;
    Buffer()->OpenUndoGroup(false);
    dragGroupMark_ = changeCount_;
    dragGroupOpen_ = true;
}

void CEditorView::OnDropSource(Qt::DropAction effect) {
    // A move deletes the dragged range, which the change notices have kept on the same text.
    if (effect == Qt::MoveAction && IsEditable() && DraggedStart() != DraggedEnd())
        Delete(DraggedStart(), DraggedEnd(), ACT_DRAG_DROP);
}

void CEditorView::OnDragFinished() {
    if (!dragGroupOpen_)
        return;
    dragGroupOpen_ = false;
    if (Buffer() != nullptr)
        Buffer()->CloseUndoGroup(changeCount_ != dragGroupMark_ ? this : nullptr);
}

void CEditorView::dragEnterEvent(QDragEnterEvent* event) {
    dropTarget_->DragEnter(event);
}

void CEditorView::dragMoveEvent(QDragMoveEvent* event) {
    dropTarget_->DragMove(event);
}

void CEditorView::dragLeaveEvent(QDragLeaveEvent* event) {
    dropTarget_->DragLeave(event);
}

void CEditorView::dropEvent(QDropEvent* event) {
    dropTarget_->Drop(event);
}

} // namespace editor
