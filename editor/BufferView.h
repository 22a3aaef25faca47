// The one way the text buffer talks to the windows that show it. A view attaches itself to the buffer,
// receives a notice after every change and detaches before it goes away. The buffer calls the views on
// its own (the window's) thread, in the order they attached.
#pragma once

#include "ChangeContext.h"

#include <cstdint>
#include <string>

namespace editor {

// Flags passed with each change notice; the combinations sent are listed after them.
enum UpdateFlags : uint32_t {
    UPD_WIDTH = 0x1,         // line lengths may have changed
    UPD_HEIGHT = 0x2,        // the number of lines changed
    UPD_ONE_LINE = 0x100,    // only the given line's text changed
    UPD_FLAGS_ONLY = 0x200,  // only the given line's flags changed
    UPD_RESET = 0x1000,      // the whole text was replaced (line is -1)
    UPD_LINE_TEXT = UPD_ONE_LINE | UPD_WIDTH,          // 0x101
    UPD_LINE_COUNT = UPD_WIDTH | UPD_HEIGHT,           // 0x3
    UPD_LINE_FLAGS = UPD_FLAGS_ONLY | UPD_ONE_LINE,    // 0x300
};

class CBufferView {
public:
    virtual ~CBufferView() = default;

    // After every change. `source` is the view that made it (null for undo, redo, loading, flags);
    // `context` is null unless text was inserted or deleted; `line` is the first line concerned, or -1.
    virtual void OnBufferChange(CBufferView* source, const CChangeContext* context, uint32_t flags,
                                int32_t line) = 0;

    // When an undo group that this view closed is complete: the action code and the text of its last
    // record. The view may change the text again from here (automatic indentation does).
    virtual void OnEditDone(int32_t action, const std::string& text) {
        (void)action;
        (void)text;
    }
};

} // namespace editor
