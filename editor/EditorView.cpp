// Typing, line breaks with automatic indentation, overwrite mode, Delete, Backspace, Tab and
// Shift+Tab, and the keys that reach them.
#include "EditorView.h"

#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

#include "EditAction.h"
#include "EditDropTarget.h"
#include "TextColumns.h"
#include "Utf8.h"

namespace editor {

CEditorView::CEditorView(QWidget* parent) : CTextView(parent), dropTarget_(std::make_unique<CEditDropTarget>(this)) {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setAttribute(Qt::WA_InputMethodEnabled, true);
}

CEditorView::~CEditorView() = default;

bool CEditorView::IsEditable() const {
    return Buffer() != nullptr && !Buffer()->IsReadOnly();
}

void CEditorView::SetOverwrite(bool on) {
    if (overwrite_ == on)
        return;
    overwrite_ = on;
    emit StatusChanged();
}

void CEditorView::ResetView() {
    overwrite_ = false;
    autoIndent_ = true;
    CTextView::ResetView();
}

void CEditorView::OnBufferChange(CBufferView* source, const CChangeContext* context, uint32_t flags,
                                 int32_t line) {
    if (context != nullptr)
        ++changeCount_;
    CTextView::OnBufferChange(source, context, flags, line);
}

bool CEditorView::Insert(TextPosition at, const std::string& text, int32_t action, TextPosition& end) {
    int32_t endLine = at.y;
    int32_t endChar = at.x;
    if (Buffer() == nullptr || !Buffer()->Insert(this, at.y, at.x, text, endLine, endChar, action))
        return false;
    end = TextPosition{endChar, endLine};
    return true;
}

bool CEditorView::Delete(TextPosition start, TextPosition end, int32_t action) {
    return Buffer() != nullptr && Buffer()->Delete(this, start.y, start.x, end.y, end.x, action);
}

bool CEditorView::DeleteSelection() {
    if (IsSelectionEmpty())
        return false;
    TextPosition start;
    TextPosition end;
    SelectionRange(start, end);
    SelectNothingAt(start);
    Delete(start, end, ACT_DELETE_SELECTION);
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Typing

void CEditorView::TypeText(const std::string& text) {
    if (!IsInputEnabled() || !IsEditable() || text.empty())
        return;
    // A run of typed characters undoes as one step; each space begins a new one.
    UndoGroup group(*this, text[0] != ' ');
    TextPosition at = CaretPosition();
    if (!IsSelectionEmpty()) {
        TextPosition end;
        SelectionRange(at, end);
        DeleteSelection();
    } else if (overwrite_ && at.x < LineLength(at.y)) {
        const int32_t next = utf8::NextCharBoundary(LineView(at.y), at.x);
        Delete(at, TextPosition{next, at.y}, ACT_TYPING);
    }
    TextPosition end;
    if (Insert(at, text, ACT_TYPING, end))
        SelectNothingAt(end);
    group.Close();
}

void CEditorView::NewLine() {
    if (!IsInputEnabled())
        return;
    const TextPosition caret = CaretPosition();
    if (overwrite_ && caret.y < LineCount() - 1) {
        SelectNothingAt(TextPosition{0, caret.y + 1});
        return;
    }
    UndoGroup group(*this, false);
    if (!IsEditable())
        return;
    DeleteSelection();
    TextPosition end;
    if (Insert(CaretPosition(), "\r\n", ACT_TYPING, end))
        SelectNothingAt(end);
    group.Close(); // the view hears of the line break here and indents the new line
}

void CEditorView::OnEditDone(int32_t action, const std::string& text) {
    if (!IsInputEnabled() || !autoIndent_ || overwrite_ || action != ACT_TYPING || text != "\r\n")
        return;
    const TextPosition caret = CaretPosition();
    if (caret.y < 1)
        return;
    const std::string_view above = LineView(caret.y - 1);
    std::size_t n = 0;
    while (n < above.size() && columns::IsBlank(static_cast<unsigned char>(above[n])))
        ++n;
    if (n == 0)
        return;
    const std::string indent(above.substr(0, n));
    TextPosition end;
    if (Insert(caret, indent, ACT_AUTO_INDENT, end))
        SelectNothingAt(end);
}

// ---------------------------------------------------------------------------------------------------
// Deleting

void CEditorView::DeleteKey() {
    if (!IsInputEnabled() || !IsEditable())
        return;
    TextPosition start;
    TextPosition end;
    if (IsSelectionEmpty()) {
        start = CaretPosition();
        if (start.x < LineLength(start.y))
            end = TextPosition{utf8::NextCharBoundary(LineView(start.y), start.x), start.y};
        else if (start.y < LineCount() - 1)
            end = TextPosition{0, start.y + 1};
        else
            return;
    } else {
        SelectionRange(start, end);
    }
    SelectNothingAt(start);
    Delete(start, end, ACT_DELETE);
}

void CEditorView::Backspace() {
    if (!IsInputEnabled() || !IsEditable())
        return;
    if (!IsSelectionEmpty()) {
        DeleteKey();
        return;
    }
    const TextPosition end = CaretPosition();
    TextPosition start;
    if (end.x > 0)
        start = TextPosition{utf8::PrevCharBoundary(LineView(end.y), end.x), end.y};
    else if (end.y > 0)
        start = TextPosition{LineLength(end.y - 1), end.y - 1};
    else
        return;
    SelectNothingAt(start);
    Delete(start, end, ACT_BACKSPACE);
}

// ---------------------------------------------------------------------------------------------------
// Tab and Shift+Tab

bool CEditorView::SelectBlockLines(int32_t& first, int32_t& last) {
    TextPosition start;
    TextPosition end;
    SelectionRange(start, end);
    if (start.y == end.y)
        return false;
    first = start.y;
    last = end.x == 0 ? end.y - 1 : end.y;
    const TextPosition blockEnd = last + 1 < LineCount() ? TextPosition{0, last + 1} : TextPosition{LineLength(last), last};
    SetSelection(TextPosition{0, first}, blockEnd);
    return true;
}

void CEditorView::Tab() {
    if (!IsInputEnabled())
        return;
    TextPosition start;
    TextPosition end;
    SelectionRange(start, end);
    if (start.y != end.y) {
        if (!IsEditable())
            return;
        UndoGroup group(*this, false);
        int32_t first = 0;
        int32_t last = 0;
        SelectBlockLines(first, last);
        HoldHorizontalBar();
        for (int32_t y = first; y <= last; ++y) {
            TextPosition after;
            Insert(TextPosition{0, y}, "\t", ACT_INDENT, after);
        }
        ReleaseHorizontalBar();
        group.Close();
        return;
    }
    const TextPosition caret = CaretPosition();
    if (overwrite_ && caret.x < LineLength(caret.y)) {
        // Overwrite mode only moves to the next tab stop.
        const std::string_view line = LineView(caret.y);
        const int32_t steps = kTabSize - ColumnOf(caret) % kTabSize;
        int32_t x = caret.x;
        for (int32_t k = 0; k < steps && x < static_cast<int32_t>(line.size()); ++k) {
            const bool tab = line[static_cast<std::size_t>(x)] == '\t';
            x = utf8::NextCharBoundary(line, x);
            if (tab)
                break;
        }
        SelectNothingAt(TextPosition{x, caret.y});
        return;
    }
    if (!IsEditable())
        return;
    UndoGroup group(*this, false);
    DeleteSelection();
    TextPosition after;
    if (Insert(CaretPosition(), "\t", ACT_TYPING, after))
        SelectNothingAt(after);
    group.Close();
}

void CEditorView::ShiftTab() {
    if (!IsInputEnabled())
        return;
    TextPosition start;
    TextPosition end;
    SelectionRange(start, end);
    if (start.y != end.y) {
        if (!IsEditable())
            return;
        UndoGroup group(*this, false);
        int32_t first = 0;
        int32_t last = 0;
        SelectBlockLines(first, last);
        for (int32_t y = first; y <= last; ++y) {
            const std::string_view line = LineView(y);
            int32_t spaces = 0;
            while (spaces < kTabSize && spaces < static_cast<int32_t>(line.size()) && line[static_cast<std::size_t>(spaces)] == ' ')
                ++spaces;
            int32_t remove = spaces;
            if (spaces < kTabSize && spaces < static_cast<int32_t>(line.size()) && line[static_cast<std::size_t>(spaces)] == '\t')
                remove = spaces + 1;
            if (remove > 0)
                Delete(TextPosition{0, y}, TextPosition{remove, y}, ACT_INDENT);
        }
        group.Close();
        return;
    }
    const TextPosition caret = CaretPosition();
    const int32_t column = ColumnOf(caret);
    if (column == 0)
        return;
    int32_t target = column / kTabSize * kTabSize;
    if (target == column)
        target -= kTabSize;
    const int32_t x = columns::ByteReachingColumn(LineView(caret.y), target, kTabSize);
    SelectNothingAt(TextPosition{x, caret.y});
}

void CEditorView::ToggleOverwrite() {
    if (!IsInputEnabled())
        return;
    SetOverwrite(!overwrite_);
}

// ---------------------------------------------------------------------------------------------------
// Keys

bool CEditorView::HandleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool shift = (mods & Qt::ShiftModifier) != 0;
    const bool ctrl = (mods & Qt::ControlModifier) != 0;
    const bool alt = (mods & Qt::AltModifier) != 0;
    const bool meta = (mods & Qt::MetaModifier) != 0;
    const bool plain = !ctrl && !alt && !meta;
    const bool mouseDown = (QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::RightButton)) != 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!plain)
            return false;
        if (!mouseDown)
            NewLine();
        return true;
    case Qt::Key_Delete:
        if (plain && shift)
            Cut();
        else if (plain)
            DeleteKey();
        else if (ctrl && !shift && !alt && !meta)
            DeleteWordRight();
        else
            return false;
        return true;
    case Qt::Key_Backspace:
        if (alt && !ctrl && !meta)
            Undo();
        else if (plain)
            Backspace();
        else if (ctrl && !shift && !alt && !meta)
            DeleteWordLeft();
        else
            return false;
        return true;
    case Qt::Key_Tab:
        if (!plain)
            return false;
        if (shift)
            ShiftTab();
        else
            Tab();
        return true;
    case Qt::Key_Backtab:
        if (!plain)
            return false;
        ShiftTab();
        return true;
    case Qt::Key_Insert:
        if (plain && shift) {
            Paste();
            return true;
        }
        if (plain) {
            ToggleOverwrite();
            return true;
        }
        break;
    case Qt::Key_X:
    case Qt::Key_V:
    case Qt::Key_Z:
    case Qt::Key_Y:
    case Qt::Key_H:
        if (ctrl && !shift && !alt && !meta) {
            switch (event->key()) {
            case Qt::Key_X: Cut(); break;
            case Qt::Key_V: Paste(); break;
            case Qt::Key_Z: Undo(); break;
            case Qt::Key_H: OnEditReplace(); break;
            default: Redo(); break;
            }
            return true;
        }
        if (event->key() == Qt::Key_Z && ctrl && shift && !alt && !meta) {
            Redo();
            return true;
        }
        break;
    default:
        break;
    }
    if (CTextView::HandleKey(event))
        return true;
    // A printable character. Ctrl or Alt with a key is a command, except both together (AltGr).
    if ((ctrl || alt || meta) && !(ctrl && alt))
        return false;
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c.unicode() < 32 || c.unicode() == 127)
            return false; // other codes below 32 are ignored
    }
    if (!mouseDown)
        TypeText(text.toStdString());
    return true;
}

bool CEditorView::WantsKey(const QKeyEvent* event) const {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool shift = (mods & Qt::ShiftModifier) != 0;
    const bool ctrl = (mods & Qt::ControlModifier) != 0;
    const bool alt = (mods & Qt::AltModifier) != 0;
    const bool meta = (mods & Qt::MetaModifier) != 0;
    const bool plain = !ctrl && !alt && !meta;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return plain;
    case Qt::Key_Delete:
        return plain || (ctrl && !shift && !alt && !meta);
    case Qt::Key_Backspace:
        return plain || (alt && !ctrl && !meta) || (ctrl && !shift && !alt && !meta);
    case Qt::Key_Insert:
        return plain || (ctrl && !shift && !alt && !meta);
    case Qt::Key_X:
    case Qt::Key_V:
    case Qt::Key_Z:
    case Qt::Key_Y:
    case Qt::Key_H:
        if (ctrl && !shift && !alt && !meta)
            return true;
        if (event->key() == Qt::Key_Z && ctrl && shift && !alt && !meta)
            return true;
        break;
    default:
        break;
    }
    if (CTextView::WantsKey(event))
        return true;
    return plain && !event->text().isEmpty() && event->text()[0].unicode() >= 32;
}

void CEditorView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && IsInputEnabled()) {
        PastePrimaryAt(PositionAt(event->position().toPoint()));
        event->accept();
        return;
    }
    CTextView::mousePressEvent(event);
}

void CEditorView::inputMethodEvent(QInputMethodEvent* event) {
    if (IsInputEnabled() && !event->commitString().isEmpty())
        TypeText(event->commitString().toStdString());
    event->accept();
}

QVariant CEditorView::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle || query == Qt::ImEnabled) {
        auto* self = const_cast<CEditorView*>(this);
        if (query == Qt::ImEnabled)
            return IsInputEnabled() && IsEditable();
        return self->CaretRect(CaretPosition());
    }
    return CTextView::inputMethodQuery(query);
}

} // namespace editor
