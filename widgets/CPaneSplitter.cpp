#include "CPaneSplitter.h"

#include <QMouseEvent>
#include <QPainter>

namespace widgets {

CPaneSplitter::CPaneSplitter(Qt::Orientation stacking, KeepPane keep, int keptSize, int barThickness,
                             QWidget* parent)
    : QWidget(parent), stacking_(stacking), geometry_(keep, keptSize, barThickness) {
    setMouseTracking(true);
}

void CPaneSplitter::SetPanes(QWidget* first, QWidget* second) {
    first_ = first;
    second_ = second;
    for (QWidget* pane : {first, second})
        if (pane && pane->parentWidget() != this)
            pane->setParent(this);
    Relayout();
}

// Showing a shown pane or hiding a hidden one changes nothing: no relayout, no repaint. The result
// grid shows its pane for every row that arrives, so this is what keeps a long fetch from
// repainting the whole window on every turn of the event loop.
void CPaneSplitter::HidePane(int index) {
    if (geometry_.IsHidden(index))
        return;
    geometry_.SetHidden(index, true);
    Relayout();
}

void CPaneSplitter::ShowPane(int index) {
    if (!geometry_.IsHidden(index))
        return;
    geometry_.SetHidden(index, false);
    Relayout();
}

void CPaneSplitter::SetKeptSize(int size) {
    geometry_.SetKeptSize(size);
    Relayout();
}

PaneLayout CPaneSplitter::CurrentLayout() const {
    return geometry_.Layout(Length());
}

int CPaneSplitter::Length() const {
    return stacking_ == Qt::Vertical ? height() : width();
}

int CPaneSplitter::Along(const QPoint& p) const {
    return stacking_ == Qt::Vertical ? p.y() : p.x();
}

bool CPaneSplitter::OnBar(const QPoint& p) const {
    const PaneLayout layout = CurrentLayout();
    if (!layout.bar.visible)
        return false;
    // A thin bar gets a few pixels of grip on each side so that it can be caught.
    const int slack = layout.bar.size < 3 ? 2 : 0;
    const int at = Along(p);
    return at >= layout.bar.start - slack && at < layout.bar.start + layout.bar.size + slack;
}

void CPaneSplitter::Relayout() {
    const PaneLayout layout = CurrentLayout();
    auto place = [this](QWidget* pane, const PaneSpan& span) {
        if (!pane)
            return;
        if (!span.visible) {
            pane->hide();
            return;
        }
        if (stacking_ == Qt::Vertical)
            pane->setGeometry(0, span.start, width(), span.size);
        else
            pane->setGeometry(span.start, 0, span.size, height());
        pane->show();
    };
    place(first_, layout.first);
    place(second_, layout.second);
    update();
}

void CPaneSplitter::resizeEvent(QResizeEvent*) {
    Relayout();
}

void CPaneSplitter::paintEvent(QPaintEvent*) {
    const PaneLayout layout = CurrentLayout();
    if (!layout.bar.visible)
        return;
    QPainter painter(this);
    const QRect bar = stacking_ == Qt::Vertical ? QRect(0, layout.bar.start, width(), layout.bar.size)
                                                : QRect(layout.bar.start, 0, layout.bar.size, height());
    if (layout.bar.size <= 1) {
        painter.fillRect(bar, palette().color(QPalette::Mid));
        return;
    }
    painter.fillRect(bar, palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::Mid));
    if (stacking_ == Qt::Vertical) {
        painter.drawLine(bar.left(), bar.top(), bar.right(), bar.top());
        painter.drawLine(bar.left(), bar.bottom(), bar.right(), bar.bottom());
    } else {
        painter.drawLine(bar.left(), bar.top(), bar.left(), bar.bottom());
        painter.drawLine(bar.right(), bar.top(), bar.right(), bar.bottom());
    }
}

void CPaneSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnBar(event->position().toPoint())) {
        dragging_ = true;
        dragOffset_ = Along(event->position().toPoint()) - CurrentLayout().bar.start;
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CPaneSplitter::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (dragging_) {
        geometry_.DragBarTo(Along(p) - dragOffset_, Length());
        Relayout();
        event->accept();
        return;
    }
    if (OnBar(p))
        setCursor(stacking_ == Qt::Vertical ? Qt::SplitVCursor : Qt::SplitHCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

void CPaneSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace widgets
