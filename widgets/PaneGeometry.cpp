#include "PaneGeometry.h"

#include <algorithm>

namespace widgets {

PaneGeometry::PaneGeometry(KeepPane keep, int keptSize, int barThickness)
    : keep_(keep), keptSize_(std::max(0, keptSize)), bar_(std::max(0, barThickness)) {}

void PaneGeometry::SetHidden(int pane, bool hidden) {
    (pane == 0 ? firstHidden_ : secondHidden_) = hidden;
}

PaneLayout PaneGeometry::Layout(int length) const {
    length = std::max(0, length);
    PaneLayout layout;
    if (firstHidden_ && secondHidden_)
        return layout;
    if (firstHidden_ || secondHidden_) {
        PaneSpan& only = firstHidden_ ? layout.second : layout.first;
        only = {0, length, true};
        return layout;
    }
    const int bar = std::min(bar_, length);
    const int room = length - bar;
    const int kept = std::min(keptSize_, room);
    const int firstSize = keep_ == KeepPane::First ? kept : room - kept;
    layout.first = {0, firstSize, true};
    layout.bar = {firstSize, bar, bar > 0};
    layout.second = {firstSize + bar, room - firstSize, true};
    return layout;
}

void PaneGeometry::DragBarTo(int barStart, int length) {
    const int room = std::max(0, length - std::min(bar_, std::max(0, length)));
    const int first = std::clamp(barStart, 0, room);
    keptSize_ = keep_ == KeepPane::First ? first : room - first;
}

} // namespace widgets
