// The navigation keys: character, word, line, page and text moves, with and without Shift, plus
// select all and copy.
#include "TextView.h"

#include <QKeyEvent>

#include <algorithm>

#include "TextColumns.h"
#include "Utf8.h"

namespace editor {
namespace {

char32_t CharBefore(std::string_view line, int32_t x, int32_t* start) {
    *start = utf8::PrevCharBoundary(line, x);
    return utf8::DecodeAt(line, *start);
}

} // namespace

TextPosition CTextView::WordLeft(TextPosition p) const {
    if (p.x == 0) {
        if (p.y == 0)
            return p;
        p.y -= 1;
        p.x = LineLength(p.y);
    }
    const std::string_view line = LineView(p.y);
    int32_t x = p.x;
    int32_t before = 0;
    while (x > 0 && columns::IsBlank(CharBefore(line, x, &before)))
        x = before;
    if (x > 0) {
        const bool word = columns::IsWordChar(CharBefore(line, x, &before));
        while (x > 0) {
            const char32_t c = CharBefore(line, x, &before);
            const bool stop = word ? !columns::IsWordChar(c) : (columns::IsWordChar(c) || columns::IsBlank(c));
            if (stop)
                break;
            x = before;
        }
    }
    return TextPosition{x, p.y};
}

TextPosition CTextView::WordRight(TextPosition p) const {
    if (p.x >= LineLength(p.y)) {
        if (p.y >= LineCount() - 1)
            return p;
        p = TextPosition{0, p.y + 1};
    }
    const std::string_view line = LineView(p.y);
    const auto length = static_cast<int32_t>(line.size());
    int32_t x = p.x;
    if (x < length) {
        const bool word = columns::IsWordChar(utf8::DecodeAt(line, x));
        while (x < length) {
            const char32_t c = utf8::DecodeAt(line, x);
            const bool stop = word ? !columns::IsWordChar(c) : (columns::IsWordChar(c) || columns::IsBlank(c));
            if (stop)
                break;
            x = utf8::NextCharBoundary(line, x);
        }
    }
    while (x < length && columns::IsBlank(utf8::DecodeAt(line, x)))
        x = utf8::NextCharBoundary(line, x);
    return TextPosition{x, p.y};
}

TextPosition CTextView::HomeOf(TextPosition p) const {
    const std::string_view line = LineView(p.y);
    int32_t first = 0;
    while (first < static_cast<int32_t>(line.size()) && columns::IsBlank(static_cast<unsigned char>(line[static_cast<std::size_t>(first)])))
        ++first;
    if (first == static_cast<int32_t>(line.size()) || p.x == first)
        first = 0;
    return TextPosition{first, p.y};
}

TextPosition CTextView::LineUpDown(TextPosition p, int32_t delta) {
    if (idealColumn_ < 0)
        idealColumn_ = ColumnOf(p);
    const int64_t y = static_cast<int64_t>(p.y) + delta;
    if (y < 0 || y >= LineCount())
        return p;
    const auto line = static_cast<int32_t>(y);
    return TextPosition{columns::ByteForColumn(LineView(line), idealColumn_, tabSize_), line};
}

bool CTextView::HandleNavigationKey(int key, bool shift, bool ctrl) {
    TextPosition p = caret_;
    const bool collapse = !shift && !IsSelectionEmpty();
    bool keepIdealColumn = false;
    switch (key) {
    case Qt::Key_Left:
        if (collapse)
            p = orderedStart_;
        else if (ctrl)
            p = WordLeft(p);
        else if (p.x > 0)
            p.x = utf8::PrevCharBoundary(LineView(p.y), p.x);
        else if (p.y > 0)
            p = TextPosition{LineLength(p.y - 1), p.y - 1};
        break;
    case Qt::Key_Right:
        if (collapse)
            p = orderedEnd_;
        else if (ctrl)
            p = WordRight(p);
        else if (p.x < LineLength(p.y))
            p.x = utf8::NextCharBoundary(LineView(p.y), p.x);
        else if (p.y < LineCount() - 1)
            p = TextPosition{0, p.y + 1};
        break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int32_t delta = key == Qt::Key_Up ? -1 : 1;
        if (ctrl) {
            if (shift)
                return false;
            SetFirstLine(firstLine_ + delta);
            return true;
        }
        if (collapse) {
            p = delta < 0 ? orderedStart_ : orderedEnd_;
            idealColumn_ = -1;
        }
        p = LineUpDown(p, delta);
        keepIdealColumn = true;
        break;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (ctrl)
            return false;
        const int32_t step = std::max(1, VisibleLines() - 1) * (key == Qt::Key_PageUp ? -1 : 1);
        SetFirstLine(firstLine_ + step);
        p.y = static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(p.y) + step, 0, LineCount() - 1));
        p.x = std::min(p.x, LineLength(p.y));
        p.x = utf8::CharStart(LineView(p.y), p.x);
        break;
    }
    case Qt::Key_Home:
        p = ctrl ? TextPosition{} : HomeOf(p);
        break;
    case Qt::Key_End:
        p = ctrl ? EndOfText() : TextPosition{LineLength(p.y), p.y};
        break;
    default:
        return false;
    }
    if (!keepIdealColumn)
        idealColumn_ = -1;
    MoveCaret(p, shift);
    if (shift)
        OfferPrimarySelection();
    return true;
}

bool CTextView::HandleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool shift = (mods & Qt::ShiftModifier) != 0;
    const bool ctrl = (mods & Qt::ControlModifier) != 0;
    const bool alt = (mods & (Qt::AltModifier | Qt::MetaModifier)) != 0;
    const int key = event->key();
    if (alt)
        return false;
    if (ctrl && !shift && key == Qt::Key_A) {
        SelectAll();
        return true;
    }
    if (ctrl && !shift && (key == Qt::Key_C || key == Qt::Key_Insert)) {
        Copy();
        return true;
    }
    if (ctrl && !shift && key == Qt::Key_F) {
        OnEditFind();
        return true;
    }
    if (ctrl && (key == Qt::Key_Plus || key == Qt::Key_Equal)) {
        Zoom(1);
        return true;
    }
    if (ctrl && !shift && key == Qt::Key_Minus) {
        Zoom(-1);
        return true;
    }
    if (ctrl && !shift && key == Qt::Key_0) {
        ResetZoom();
        return true;
    }
    if (!ctrl && key == Qt::Key_F3) {
        if (shift)
            OnEditFindPrevious();
        else
            OnEditRepeat();
        return true;
    }
    return HandleNavigationKey(key, shift, ctrl);
}

bool CTextView::WantsKey(const QKeyEvent* event) const {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool shift = (mods & Qt::ShiftModifier) != 0;
    const bool ctrl = (mods & Qt::ControlModifier) != 0;
    if ((mods & (Qt::AltModifier | Qt::MetaModifier)) != 0)
        return false;
    switch (event->key()) {
    case Qt::Key_A:
    case Qt::Key_C:
    case Qt::Key_Insert:
    case Qt::Key_F:
    case Qt::Key_Minus:
    case Qt::Key_0:
        return ctrl && !shift;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return ctrl;
    case Qt::Key_F3:
        return !ctrl;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        return !(ctrl && shift);
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return !ctrl;
    default:
        return false;
    }
}

void CTextView::keyPressEvent(QKeyEvent* event) {
    if (!inputEnabled_) {
        event->accept();
        return;
    }
    if (HandleKey(event))
        event->accept();
    else
        event->ignore();
}

bool CTextView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && inputEnabled_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (WantsKey(key)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool CTextView::focusNextPrevChild(bool next) {
    (void)next;
    return false; // Tab and Shift+Tab belong to the text
}

} // namespace editor
