// A window split into two panes with a bar between them that the user can drag. The panes are stacked
// vertically (horizontal bar) or placed side by side. Layout rules are those of PaneGeometry.
#pragma once

#include "PaneGeometry.h"

#include <QPointer>
#include <QWidget>

namespace widgets {

class CPaneSplitter : public QWidget {
public:
    CPaneSplitter(Qt::Orientation stacking, KeepPane keep, int keptSize, int barThickness,
                  QWidget* parent = nullptr);

    // Takes the two panes as children (either may be null).
    void SetPanes(QWidget* first, QWidget* second);
    QWidget* Pane(int index) const { return index == 0 ? first_ : second_; }

    void HidePane(int index);
    void ShowPane(int index);
    bool IsPaneHidden(int index) const { return geometry_.IsHidden(index); }

    const PaneGeometry& Geometry() const { return geometry_; }
    void SetKeptSize(int size);
    // Where the bar and panes are now, along the splitter's length.
    PaneLayout CurrentLayout() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int Length() const;
    int Along(const QPoint& p) const;
    bool OnBar(const QPoint& p) const;
    void Relayout();

    Qt::Orientation stacking_;
    PaneGeometry geometry_;
    QPointer<QWidget> first_;
    QPointer<QWidget> second_;
    bool dragging_ = false;
    int dragOffset_ = 0;
};

} // namespace widgets
