// What a change did to the text, handed to every view with the change notice so that the view can move
// its own positions (caret, selection anchor, scroll origin) to follow the text they referred to.
#pragma once

#include "TextPosition.h"

namespace editor {

class CChangeContext {
public:
    virtual ~CChangeContext() = default;
    // Moves a position of the view so that it refers to the same text after the change.
    virtual void AdjustPoint(TextPosition& point) const = 0;
};

} // namespace editor
