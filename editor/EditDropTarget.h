// The editing view as a drop target: shows where dropped text would go, scrolls when the pointer
// nears an edge, and inserts dropped text as one "Drag And Drop" change. A move inside one view (the
// insertion here and the deletion of the dragged range by the drag source) falls into the undo group
// that the source opened, so one Undo puts the text back.
#pragma once

#include <QBasicTimer>
#include <QObject>
#include <QPoint>

class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;

namespace editor {

class CEditorView;

class CEditDropTarget : public QObject {
public:
    static constexpr int kScrollZone = 5;      // pixels from an edge
    static constexpr int kScrollInterval = 100; // ms between scroll steps while the pointer rests there

    explicit CEditDropTarget(CEditorView* view);

    void DragEnter(QDragEnterEvent* event);
    void DragMove(QDragMoveEvent* event);
    void DragLeave(QDragLeaveEvent* event);
    void Drop(QDropEvent* event);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    bool Accepts(const QMimeData* data) const;
    // Scrolls one line or column when the point lies near an edge; true when it did.
    bool DragScroll(const QPoint& point);
    void Hover(const QPoint& point);

    CEditorView* view_;
    QBasicTimer scrollTimer_;
    QPoint lastPoint_;
};

} // namespace editor
