#include "EditDropTarget.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimerEvent>

#include "EditAction.h"
#include "EditorView.h"
#include "TextMime.h"

namespace editor {
namespace {

// Copy with Ctrl, else move; the other one when the source does not allow the one asked for.
Qt::DropAction EffectFor(Qt::KeyboardModifiers modifiers, Qt::DropActions possible) {
    const Qt::DropAction wanted = (modifiers & Qt::ControlModifier) != 0 ? Qt::CopyAction : Qt::MoveAction;
    if ((possible & wanted) != 0 || possible == Qt::IgnoreAction)
        return wanted;
    return wanted == Qt::CopyAction ? Qt::MoveAction : Qt::CopyAction;
}

} // namespace

CEditDropTarget::CEditDropTarget(CEditorView* view) : view_(view) {}

bool CEditDropTarget::Accepts(const QMimeData* data) const {
    return view_ != nullptr && view_->IsInputEnabled() && view_->IsEditable() &&
           view_->DropEffect() != Qt::IgnoreAction && HasEditorText(data);
}

void CEditDropTarget::Hover(const QPoint& point) {
    lastPoint_ = point;
    view_->ShowDropIndicator(view_->PositionAt(point));
}

void CEditDropTarget::DragEnter(QDragEnterEvent* event) {
    if (!Accepts(event->mimeData())) {
        view_->HideDropIndicator();
        event->ignore();
        return;
    }
    Hover(event->position().toPoint());
    event->setDropAction(EffectFor(event->modifiers(), event->possibleActions()));
    event->accept();
    scrollTimer_.start(kScrollInterval, this);
}

void CEditDropTarget::DragMove(QDragMoveEvent* event) {
    if (!Accepts(event->mimeData())) {
        view_->HideDropIndicator();
        event->ignore();
        return;
    }
    const QPoint point = event->position().toPoint();
    DragScroll(point);
    Hover(point);
    event->setDropAction(EffectFor(event->modifiers(), event->possibleActions()));
    event->accept();
    if (!scrollTimer_.isActive())
        scrollTimer_.start(kScrollInterval, this);
}

void CEditDropTarget::DragLeave(QDragLeaveEvent* event) {
    scrollTimer_.stop();
    view_->HideDropIndicator();
    event->accept();
}

bool CEditDropTarget::DragScroll(const QPoint& point) {
    const QRect area = view_->viewport()->rect();
    const int margin = view_->MarginWidth();
    if (point.y() < area.top() + kScrollZone)
        view_->ScrollToLine(view_->FirstVisibleLine() - 1);
    else if (point.y() > area.bottom() - kScrollZone)
        view_->ScrollToLine(view_->FirstVisibleLine() + 1);
    else if (point.x() >= margin && point.x() < margin + kScrollZone)
        view_->ScrollToColumn(view_->FirstVisibleColumn() - 1);
    else if (point.x() > area.right() - kScrollZone)
        view_->ScrollToColumn(view_->FirstVisibleColumn() + 1);
    else
        return false;
    return true;
}

void CEditDropTarget::timerEvent(QTimerEvent* event) {
    if (event->timerId() != scrollTimer_.timerId())
        return;
    if (DragScroll(lastPoint_))
        Hover(lastPoint_);
}

void CEditDropTarget::Drop(QDropEvent* event) {
    scrollTimer_.stop();
    view_->HideDropIndicator();
    std::string text;
    if (!Accepts(event->mimeData()) || !EditorTextFromMime(event->mimeData(), text)) {
        event->ignore();
        return;
    }
    const TextPosition at = view_->PositionAt(event->position().toPoint());
    const Qt::DropAction effect = EffectFor(event->modifiers(), event->possibleActions());
    if (view_->IsDragging()) {
        // Dropping text onto itself changes nothing. A move that lands on either end of the dragged
        // text counts as inside too: inserting there and then deleting the range the notices have
        // kept would remove the dropped copy together with the original.
        const TextPosition start = view_->DraggedStart();
        const TextPosition end = view_->DraggedEnd();
        const bool inside = (start < at && at < end) || (effect == Qt::MoveAction && (at == start || at == end));
        if (inside) {
            view_->SelectNothingAt(at);
            event->setDropAction(Qt::IgnoreAction);
            event->ignore();
            return;
        }
    }
    TextPosition after;
    if (!view_->Insert(at, text, ACT_DRAG_DROP, after)) {
        event->ignore();
        return;
    }
    view_->SetSelection(at, after);
    event->setDropAction(effect);
    event->accept();
}

} // namespace editor
