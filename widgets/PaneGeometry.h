// Where the two panes of a splitter and the bar between them go, along the splitter's length.
//
// One pane keeps its size when the splitter is resized and the other absorbs the change; the kept size
// is limited to the space there is. A hidden pane leaves the whole length to the other. Dragging the
// bar sets a new kept size. The stored size survives hiding and showing.
#pragma once

namespace widgets {

enum class KeepPane { First, Second };

struct PaneSpan {
    int start = 0;
    int size = 0;
    bool visible = false;
};

struct PaneLayout {
    PaneSpan first;
    PaneSpan bar;
    PaneSpan second;
};

class PaneGeometry {
public:
    PaneGeometry(KeepPane keep, int keptSize, int barThickness);

    KeepPane Keep() const { return keep_; }
    int KeptSize() const { return keptSize_; }
    void SetKeptSize(int size) { keptSize_ = size < 0 ? 0 : size; }
    int BarThickness() const { return bar_; }

    void SetHidden(int pane, bool hidden); // pane 0 or 1
    bool IsHidden(int pane) const { return pane == 0 ? firstHidden_ : secondHidden_; }

    PaneLayout Layout(int length) const;
    // The user dragged the bar so that it starts at `barStart`.
    void DragBarTo(int barStart, int length);

private:
    KeepPane keep_;
    int keptSize_;
    int bar_;
    bool firstHidden_ = false;
    bool secondHidden_ = false;
};

} // namespace widgets
