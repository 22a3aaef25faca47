// The rules of the Replace dialog, without the dialog: where the next search starts, what Find Next,
// Replace and Replace All do, and how the bounds of a selection scope follow the replacements.
//
// Invariants after every public operation:
//  1. With the selection scope, blockBegin <= blockEnd and the search never reports a match outside
//     [blockBegin, blockEnd); each replacement moves the bounds right of it by the replacement's growth,
//     so the scope keeps covering the text that was selected.
//  2. MatchShown() is true only right after a search that found something; the target then shows that
//     match as its selection.
//  3. Every search goes downwards and never wraps; after a search that found nothing the next one
//     starts again from the top of the scope (the block begin, or (0, 0) for the whole file).
#pragma once

#include "SearchTarget.h"
#include "TextPosition.h"

#include <cstdint>
#include <optional>
#include <string>

namespace editor {

class CReplaceSession {
public:
    struct Block {
        TextPosition begin;
        TextPosition end;
    };

    // `selection`, when given and not empty, is the block the selection scope searches (in any order);
    // the search then starts at its beginning, else at `caret`.
    CReplaceSession(CSearchTarget& target, TextPosition caret, std::optional<Block> selection);

    // The texts, options and scope, as the dialog's controls hold them when a button is pressed. A
    // change of the text, an option or the scope forgets the match shown.
    void SetTexts(std::string what, std::string with);
    void SetOptions(bool matchCase, bool wholeWord);
    // The selection scope can be chosen only when the dialog opened with a selection.
    bool SelectionScopeAllowed() const { return scopeAllowed_; }
    void SetSelectionScope(bool on);
    bool SelectionScope() const { return selectionScope_; }

    // Find Next: from the start position when nothing is shown, else one character after the match.
    bool FindNext();
    // Replace: replaces the match shown (or, with none, finds one) and looks for the next.
    bool Replace();
    // Replace All: replaces every match from here to the end of the scope; the number replaced. The
    // run ends with the not-found message, as the last search finds nothing.
    int ReplaceAll();

    bool MatchShown() const { return matchShown_; }
    TextPosition Start() const { return start_; }
    Block Bounds() const { return Block{blockBegin_, blockEnd_}; }

private:
    // Searches from `from`; on a match highlights it, else (unless `quiet`) reports it and resets the
    // start position to the top of the scope.
    bool Search(TextPosition from, bool quiet);
    // Replaces the match shown; false when the target refused.
    bool ReplaceShown(TextPosition& insertedEnd);
    uint32_t Flags() const;

    CSearchTarget& target_;
    bool scopeAllowed_ = false;
    bool selectionScope_ = false;
    bool matchShown_ = false;
    TextPosition found_;
    TextPosition start_;
    TextPosition blockBegin_;
    TextPosition blockEnd_;
    std::string what_;
    std::string with_;
    bool matchCase_ = false;
    bool wholeWord_ = false;
};

// Where a position ends up after the match [matchStart, matchStart + matchLength) on one line was
// replaced by text that ends at `insertedEnd`: positions on the match's line right of its start move
// with the text after the match; positions on later lines move down by the lines inserted.
TextPosition ShiftPastReplacement(TextPosition p, TextPosition matchStart, int32_t matchLength,
                                  TextPosition insertedEnd);

} // namespace editor
