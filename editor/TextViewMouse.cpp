// The mouse: clicks in the margin and in the text, word and line selection, extending the selection
// while the button is down with auto-scrolling, the right button, the wheel, pointer shapes, and
// starting a drag from the selection.
#include "TextView.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "TextColumns.h"
#include "Utf8.h"
#include "TextMime.h"
#include "ViewImages.h"

namespace editor {

TextPosition CTextView::PositionAt(const QPoint& point) const {
    auto* self = const_cast<CTextView*>(this);
    const int32_t lh = self->LineHeight();
    const int32_t cw = self->CharWidth();
    const auto row = static_cast<int64_t>(std::floor(static_cast<double>(point.y()) / lh));
    const auto line = static_cast<int32_t>(std::clamp<int64_t>(firstLine_ + row, 0, LineCount() - 1));
    const int64_t pixels = std::max(0, point.x() - MarginWidth());
    const int64_t column256 = static_cast<int64_t>(firstColumn_) * 256 + pixels * 256 / cw;
    return TextPosition{columns::ByteNearestColumn(LineView(line), column256, tabSize_), line};
}

bool CTextView::HitsSelection(const QPoint& point) const {
    if (IsSelectionEmpty() || point.x() < MarginWidth())
        return false;
    auto* self = const_cast<CTextView*>(this);
    // The character under the pointer, not the nearest boundary.
    const QPoint left(point.x() - self->CharWidth() / 2, point.y());
    const TextPosition p = PositionAt(left.x() < MarginWidth() ? QPoint(MarginWidth(), point.y()) : left);
    const int32_t row = point.y() / std::max(1, self->LineHeight());
    if (point.y() < 0 || firstLine_ + row >= LineCount() || p.x >= LineLength(p.y))
        return false;
    return IsInSelection(p);
}

void CTextView::WordBounds(TextPosition p, TextPosition& start, TextPosition& end) const {
    const std::string_view line = LineView(p.y);
    const auto length = static_cast<int32_t>(line.size());
    int32_t from = p.x;
    int32_t to = p.x;
    const bool atWord = from < length && columns::IsWordChar(utf8::DecodeAt(line, from));
    const bool afterWord = from > 0 && columns::IsWordChar(utf8::DecodeAt(line, utf8::PrevCharBoundary(line, from)));
    if (atWord || afterWord) {
        while (from > 0) {
            const int32_t before = utf8::PrevCharBoundary(line, from);
            if (!columns::IsWordChar(utf8::DecodeAt(line, before)))
                break;
            from = before;
        }
        while (to < length && columns::IsWordChar(utf8::DecodeAt(line, to)))
            to = utf8::NextCharBoundary(line, to);
    }
    start = TextPosition{from, p.y};
    end = TextPosition{to, p.y};
}

void CTextView::SelectLines(int32_t fromLine, int32_t toLine) {
    auto lineEnd = [this](int32_t y) {
        return y + 1 < LineCount() ? TextPosition{0, y + 1} : TextPosition{LineLength(y), y};
    };
    wordAnchorStart_ = TextPosition{0, fromLine};
    wordAnchorEnd_ = lineEnd(fromLine);
    if (toLine == fromLine) {
        anchor_ = wordAnchorStart_;
        caret_ = TextPosition{0, toLine};
        idealColumn_ = -1;
        SetSelectionBounds(wordAnchorStart_, wordAnchorEnd_);
        EnsureVisible(caret_);
        UpdateCaret();
        emit StatusChanged();
        return;
    }
    lineSelection_ = true;
    ExtendMouseSelection(QPoint(0, (toLine - firstLine_) * LineHeight()));
}

void CTextView::ExtendMouseSelection(const QPoint& point) {
    const TextPosition p = PositionAt(point);
    if (!wordSelection_ && !lineSelection_) {
        MoveCaret(p, true);
        return;
    }
    TextPosition unitStart;
    TextPosition unitEnd;
    if (lineSelection_) {
        unitStart = TextPosition{0, p.y};
        unitEnd = p.y + 1 < LineCount() ? TextPosition{0, p.y + 1} : TextPosition{LineLength(p.y), p.y};
    } else {
        WordBounds(p, unitStart, unitEnd);
    }
    if (unitStart >= wordAnchorStart_) {
        anchor_ = wordAnchorStart_;
        caret_ = std::max(unitEnd, wordAnchorEnd_);
    } else {
        anchor_ = wordAnchorEnd_;
        caret_ = unitStart;
    }
    idealColumn_ = -1;
    SetSelectionBounds(anchor_, caret_);
    EnsureVisible(caret_);
    UpdateCaret();
    emit StatusChanged();
}

void CTextView::EndMouseDrag() {
    dragSelection_ = false;
    wordSelection_ = false;
    lineSelection_ = false;
    autoScrollTimer_.stop();
}

void CTextView::mousePressEvent(QMouseEvent* event) {
    if (!inputEnabled_) {
        event->accept();
        return;
    }
    const QPoint point = event->position().toPoint();
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    lastMousePoint_ = point;
    if (event->button() == Qt::RightButton) {
        if (!HitsSelection(point))
            MoveCaret(PositionAt(point), false);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    EndMouseDrag();
    if (point.x() < MarginWidth()) {
        if (ctrl) {
            SelectAll();
            return;
        }
        const int32_t line = PositionAt(point).y;
        SelectLines(shift ? anchor_.y : line, line);
        lineSelection_ = true;
    } else if (HitsSelection(point) && DropEffect() != Qt::IgnoreAction && !shift && !ctrl) {
        preparingDrag_ = true;
        dragStartPoint_ = point;
        return;
    } else {
        const TextPosition p = PositionAt(point);
        if (ctrl) {
            if (!shift)
                anchor_ = p;
            WordBounds(anchor_, wordAnchorStart_, wordAnchorEnd_);
            wordSelection_ = true;
            ExtendMouseSelection(point);
        } else {
            MoveCaret(p, shift);
        }
    }
    dragSelection_ = true;
    autoScrollTimer_.start(kAutoScrollInterval, this);
}

void CTextView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!inputEnabled_) {
        event->accept();
        return;
    }
    const QPoint point = event->position().toPoint();
    if (event->button() != Qt::LeftButton || point.x() < MarginWidth()) {
        mousePressEvent(event);
        return;
    }
    preparingDrag_ = false;
    lastMousePoint_ = point;
    const TextPosition p = PositionAt(point);
    WordBounds(p, wordAnchorStart_, wordAnchorEnd_);
    anchor_ = p;
    caret_ = p;
    idealColumn_ = -1;
    SetSelectionBounds(wordAnchorStart_, wordAnchorEnd_);
    EnsureVisible(caret_);
    UpdateCaret();
    emit StatusChanged();
    wordSelection_ = true;
    dragSelection_ = true;
    autoScrollTimer_.start(kAutoScrollInterval, this);
}

void CTextView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (!inputEnabled_) {
        viewport()->setCursor(Qt::ArrowCursor);
        return;
    }
    if (preparingDrag_) {
        if ((event->buttons() & Qt::LeftButton) == 0) {
            preparingDrag_ = false;
        } else if ((point - dragStartPoint_).manhattanLength() >= QApplication::startDragDistance()) {
            preparingDrag_ = false;
            StartDrag();
        }
        return;
    }
    if (dragSelection_ && (event->buttons() & Qt::LeftButton) != 0) {
        lastMousePoint_ = point;
        ExtendMouseSelection(point);
        return;
    }
    UpdatePointerShape(point);
}

void CTextView::mouseReleaseEvent(QMouseEvent* event) {
    if (!inputEnabled_) {
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (dragSelection_ && !IsSelectionEmpty())
        OfferPrimarySelection();
    if (preparingDrag_) {
        // A click inside the selection that did not become a drag places the caret there.
        preparingDrag_ = false;
        MoveCaret(PositionAt(event->position().toPoint()), false);
    }
    EndMouseDrag();
}

void CTextView::AutoScrollTick() {
    if (!dragSelection_) {
        autoScrollTimer_.stop();
        return;
    }
    const QPoint p = lastMousePoint_;
    const int32_t lh = LineHeight();
    const int height = viewport()->height();
    if (p.y() < 0)
        SetFirstLine(firstLine_ - (p.y() < -lh ? 3 : 1));
    else if (p.y() >= height)
        SetFirstLine(firstLine_ + (p.y() >= height + lh ? 3 : 1));
    if (p.x() < 0 || (!lineSelection_ && p.x() < MarginWidth()))
        SetFirstColumn(firstColumn_ - 1);
    else if (p.x() >= viewport()->width())
        SetFirstColumn(firstColumn_ + 1);
    ExtendMouseSelection(p);
}

void CTextView::wheelEvent(QWheelEvent* event) {
    if ((event->modifiers() & Qt::ControlModifier) != 0) {
        zoomWheelRemainder_ += event->angleDelta().y();
        const int notches = zoomWheelRemainder_ / 120;
        zoomWheelRemainder_ -= notches * 120;
        if (notches != 0)
            Zoom(notches);
        event->accept();
        return;
    }
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    if (notches != 0)
        SetFirstLine(firstLine_ - notches * kWheelLines);
    event->accept();
}

void CTextView::UpdatePointerShape(const QPoint& point) {
    if (point.x() < MarginWidth())
        viewport()->setCursor(LineSelectionCursor());
    else if (DropEffect() != Qt::IgnoreAction && HitsSelection(point))
        viewport()->setCursor(Qt::ArrowCursor);
    else
        viewport()->setCursor(Qt::IBeamCursor);
}

void CTextView::focusInEvent(QFocusEvent* event) {
    focus_ = true;
    RepaintLines(orderedStart_.y, orderedEnd_.y);
    UpdateCaret();
    QAbstractScrollArea::focusInEvent(event);
}

void CTextView::focusOutEvent(QFocusEvent* event) {
    focus_ = false;
    UpdateCaret();
    StopCaretBlink();
    RepaintLines(orderedStart_.y, orderedEnd_.y);
    EndMouseDrag();
    QAbstractScrollArea::focusOutEvent(event);
}

void CTextView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == autoScrollTimer_.timerId()) {
        AutoScrollTick();
        return;
    }
    if (event->timerId() == caretBlinkTimer_.timerId()) {
        caretBlinkOn_ = !caretBlinkOn_;
        if (!caretRect_.isNull())
            viewport()->update(caretRect_);
        return;
    }
    QAbstractScrollArea::timerEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// Drag and drop as a source

QMimeData* CTextView::PrepareDragData() {
    std::string text;
    if (IsSelectionEmpty() || !TextOfRange(orderedStart_, orderedEnd_, text))
        return nullptr;
    return MakeTextMimeData(text);
}

Qt::DropActions CTextView::DropEffect() const {
    return Qt::IgnoreAction;
}

void CTextView::OnDropSource(Qt::DropAction effect) {
    (void)effect;
}

Qt::DropAction CTextView::RunDragLoop(QMimeData* data, Qt::DropActions allowed) {
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    return drag->exec(allowed, Qt::MoveAction);
}

void CTextView::ShowDropIndicator(TextPosition p) {
    p = ClampPosition(p);
    if (dropIndicator_ && p == dropPosition_)
        return;
    if (dropIndicator_) {
        const QRect old = CaretRect(dropPosition_);
        if (!old.isNull())
            viewport()->update(old);
    }
    dropIndicator_ = true;
    dropPosition_ = p;
    const QRect now = CaretRect(p);
    if (!now.isNull())
        viewport()->update(now);
}

void CTextView::HideDropIndicator() {
    if (!dropIndicator_)
        return;
    dropIndicator_ = false;
    const QRect old = CaretRect(dropPosition_);
    if (!old.isNull())
        viewport()->update(old);
}

void CTextView::StartDrag() {
    EndMouseDrag();
    if (IsSelectionEmpty())
        return;
    QMimeData* data = PrepareDragData();
    if (data == nullptr)
        return;
    dragging_ = true;
    draggedStart_ = orderedStart_;
    draggedEnd_ = orderedEnd_;
    OnDragStarting();
    const Qt::DropAction effect = RunDragLoop(data, DropEffect());
    if (effect != Qt::IgnoreAction)
        OnDropSource(effect);
    dragging_ = false;
    OnDragFinished();
}

} // namespace editor
