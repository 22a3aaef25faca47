// What the find and replace dialogs work on: a view over a text buffer that can search it, show a match
// and replace its selection. The dialogs' rules (ReplaceSession) are written against this interface,
// so they run headless over a buffer as well as in the text view.
#pragma once

#include "TextPosition.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace editor {

class CSearchTarget {
public:
    virtual ~CSearchTarget() = default;

    // The searches of TextSearch.h over the target's text.
    virtual bool FindText(std::string_view text, TextPosition start, uint32_t flags, bool wrap,
                          TextPosition& found) = 0;
    virtual bool FindInBlock(std::string_view text, TextPosition start, TextPosition blockBegin,
                             TextPosition blockEnd, uint32_t flags, bool wrap, TextPosition& found) = 0;
    // Selects `length` bytes from `position` on its line and scrolls them into view.
    virtual void HighlightMatch(TextPosition position, int32_t length) = 0;
    // Replaces a non-empty selection by `text` (the deletion and the insertion are two undo steps) and
    // selects what was inserted; `insertedEnd` is where the inserted text ends. False, with nothing
    // changed, for an empty selection or a text that cannot be changed.
    virtual bool ReplaceSelection(const std::string& text, TextPosition& insertedEnd) = 0;
    // Tells the user that `text` was not found (NotFoundMessage).
    virtual void ShowNotFound(const std::string& text) = 0;
    // Around a run of many replacements: the target may hold its repainting and show that it is busy.
    virtual void BeginLongRun() {}
    virtual void EndLongRun() {}
};

} // namespace editor
