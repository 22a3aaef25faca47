// What an edit was, as the Undo and Redo menu items name it. The code travels with every change into
// the undo history; the views use it to decide what to do after an edit (automatic indentation).
#pragma once

#include <cstdint>

namespace editor {

enum EditAction : int32_t {
    ACT_UNKNOWN = 0,
    ACT_PASTE = 1,
    ACT_DELETE_SELECTION = 2,
    ACT_CUT = 3,
    ACT_TYPING = 4,
    ACT_BACKSPACE = 5,
    ACT_INDENT = 6,
    ACT_DRAG_DROP = 7,
    ACT_REPLACE = 8,
    ACT_DELETE = 9,
    ACT_AUTO_INDENT = 10,
};

// The menu text of an action code, or null for a code outside the table.
inline const char* EditActionText(int32_t action) {
    static const char* const texts[] = {
        "Unknown", "Paste",  "Delete Selection", "Cut",    "Typing",     "Backspace",
        "Indent",  "Drag And Drop", "Replace",   "Delete", "Auto Indent",
    };
    if (action < 0 || action >= static_cast<int32_t>(sizeof texts / sizeof texts[0]))
        return nullptr;
    return texts[action];
}

} // namespace editor
