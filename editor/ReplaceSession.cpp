#include "ReplaceSession.h"

#include "TextSearch.h"

#include <algorithm>
#include <utility>

namespace editor {

TextPosition ShiftPastReplacement(TextPosition p, TextPosition matchStart, int32_t matchLength,
                                  TextPosition insertedEnd) {
    if (p.y > matchStart.y)
        return TextPosition{p.x, p.y + (insertedEnd.y - matchStart.y)};
    if (p.y < matchStart.y || p.x <= matchStart.x)
        return p;
    const int32_t afterMatch = std::max(0, p.x - (matchStart.x + matchLength));
    return TextPosition{insertedEnd.x + afterMatch, insertedEnd.y};
}

CReplaceSession::CReplaceSession(CSearchTarget& target, TextPosition caret, std::optional<Block> selection)
    : target_(target), start_(caret) {
    if (selection && selection->begin != selection->end) {
        blockBegin_ = std::min(selection->begin, selection->end);
        blockEnd_ = std::max(selection->begin, selection->end);
        start_ = blockBegin_;
        scopeAllowed_ = true;
    }
}

void CReplaceSession::SetTexts(std::string what, std::string with) {
    // The match shown was found for the old text: Replace must not replace it under the new one.
    if (what != what_)
        matchShown_ = false;
    what_ = std::move(what);
    with_ = std::move(with);
}

void CReplaceSession::SetOptions(bool matchCase, bool wholeWord) {
    if (matchCase != matchCase_ || wholeWord != wholeWord_)
        matchShown_ = false;
    matchCase_ = matchCase;
    wholeWord_ = wholeWord;
}

void CReplaceSession::SetSelectionScope(bool on) {
    on = on && scopeAllowed_;
    if (on != selectionScope_)
        matchShown_ = false;
    selectionScope_ = on;
}

uint32_t CReplaceSession::Flags() const {
    return (matchCase_ ? FIND_MATCH_CASE : 0u) | (wholeWord_ ? FIND_WHOLE_WORD : 0u);
}

bool CReplaceSession::Search(TextPosition from, bool quiet) {
    TextPosition found;
    const bool hit = selectionScope_
                         ? target_.FindInBlock(what_, from, blockBegin_, blockEnd_, Flags(), false, found)
                         : target_.FindText(what_, from, Flags(), false, found);
    if (hit) {
        found_ = found;
        target_.HighlightMatch(found, static_cast<int32_t>(what_.size()));
        return true;
    }
    if (!quiet)
        target_.ShowNotFound(what_);
    start_ = selectionScope_ ? blockBegin_ : TextPosition{0, 0};
    return false;
}

bool CReplaceSession::FindNext() {
    if (what_.empty())
        return matchShown_ = false;
    // One byte after the match start: the search accepts matches only on character boundaries, so
    // this is the next character.
    const TextPosition from = matchShown_ ? TextPosition{found_.x + 1, found_.y} : start_;
    matchShown_ = Search(from, false);
    return matchShown_;
}

bool CReplaceSession::ReplaceShown(TextPosition& insertedEnd) {
    if (!target_.ReplaceSelection(with_, insertedEnd))
        return false;
    if (scopeAllowed_) {
        const auto length = static_cast<int32_t>(what_.size());
        blockBegin_ = ShiftPastReplacement(blockBegin_, found_, length, insertedEnd);
        blockEnd_ = ShiftPastReplacement(blockEnd_, found_, length, insertedEnd);
    }
    start_ = insertedEnd;
    return true;
}

bool CReplaceSession::Replace() {
    if (!matchShown_)
        return FindNext();
    TextPosition insertedEnd;
    if (!ReplaceShown(insertedEnd))
        return matchShown_ = false;
    matchShown_ = Search(insertedEnd, false);
    return matchShown_;
}

int CReplaceSession::ReplaceAll() {
    if (!matchShown_ && !FindNext())
        return 0;
    int count = 0;
    target_.BeginLongRun();
    bool refused = false;
    while (matchShown_) {
        TextPosition insertedEnd;
        if (!ReplaceShown(insertedEnd)) {
            refused = true;
            matchShown_ = false;
            break;
        }
        ++count;
        matchShown_ = Search(insertedEnd, true);
    }
    target_.EndLongRun();
    if (!refused)
        target_.ShowNotFound(what_);
    return count;
}

} // namespace editor
