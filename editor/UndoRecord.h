// One recorded change of the text: enough to revert it (undo) and to make it again (redo).
#pragma once

#include "EditAction.h"
#include "TextPosition.h"

#include <cstdint>
#include <string>
#include <vector>

namespace editor {

enum UndoRecordFlags : uint32_t {
    UR_INSERT = 0x1,        // set for an insertion, clear for a deletion
    UR_GROUP_START = 0x100, // the first record of an undo group: one Undo stops after it
};

struct SUndoRecord {
    uint32_t flags = 0;
    TextPosition start; // the range inserted, or the range that was deleted (end exclusive)
    TextPosition end;
    int32_t action = ACT_UNKNOWN;
    // The inserted text, or the deleted text with CR LF between its lines. Short texts (typed letters)
    // stay inside the string object and cost no allocation.
    std::string text;
    // Deletions only: the offset in `text` of each CR LF that stands for a line break. A deleted line
    // may itself hold CR bytes (a file read in DOS mode keeps a lone CR inside its line), so undo puts
    // the lines back at these offsets instead of splitting the text again at every CR.
    std::vector<int32_t> lineBreaks;

    bool IsInsert() const { return (flags & UR_INSERT) != 0; }
    bool StartsGroup() const { return (flags & UR_GROUP_START) != 0; }
};

} // namespace editor
