// How view positions follow an insertion or a deletion.
#include "TextBuffer.h"

namespace editor {

void CTextBuffer::CInsertContext::AdjustPoint(TextPosition& point) const {
    if (point.y < start_.y)
        return;
    if (point.y > start_.y) {
        point.y += end_.y - start_.y;
        return;
    }
    // On the line of the insertion: a point at or left of the insertion stays, so that text inserted
    // at the caret lands after the caret unless the caller moves it; a point right of it moves along.
    if (point.x > start_.x)
        point = TextPosition{end_.x + (point.x - start_.x), end_.y};
}

void CTextBuffer::CDeleteContext::AdjustPoint(TextPosition& point) const {
    if (point.y < start_.y)
        return;
    if (point.y > end_.y) {
        point.y -= end_.y - start_.y;
        return;
    }
    // The end-line rule comes first, so that for a deletion within one line a point right of the
    // range moves left by the range's length.
    if (point.y == end_.y && point.x >= end_.x) {
        point = TextPosition{start_.x + (point.x - end_.x), start_.y};
        return;
    }
    if (point.y == start_.y && point.x <= start_.x)
        return;
    // Inside the deleted range.
    point = start_;
}

} // namespace editor
