// Find: the searches over the view's buffer, highlighting a match, the Find command with its dialog,
// repeating the last search in either direction, and the batched updates that let a long run of
// replacements repaint once.
#include "TextView.h"

#include <QMessageBox>
#include <QScrollBar>

#include "CFindDlg.h"
#include "SearchProfile.h"
#include "TextSearch.h"

namespace editor {

bool CTextView::FindText(std::string_view text, TextPosition start, uint32_t flags, bool wrap,
                         TextPosition& found) const {
    return buffer_ != nullptr && editor::FindText(*buffer_, text, start, flags, wrap, found);
}

bool CTextView::FindInBlock(std::string_view text, TextPosition start, TextPosition blockBegin,
                            TextPosition blockEnd, uint32_t flags, bool wrap, TextPosition& found) const {
    return buffer_ != nullptr && editor::FindInBlock(*buffer_, text, start, blockBegin, blockEnd, flags, wrap, found);
}

void CTextView::HighlightMatch(TextPosition position, int32_t length) {
    const TextPosition end{position.x + length, position.y};
    SetSelectionWithCaret(position, end, end);
}

void CTextView::SetSelectionWithCaret(TextPosition start, TextPosition end, TextPosition caretAt) {
    caret_ = anchor_ = ClampPosition(caretAt);
    idealColumn_ = -1;
    SetSelectionBounds(ClampPosition(start), ClampPosition(end));
    EnsureVisible(caret_);
    UpdateCaret();
    emit StatusChanged();
}

void CTextView::RememberSearch(const std::string& text, uint32_t flags) {
    // Closing the dialog with nothing typed is no search: F3 stays as it was.
    if (text.empty())
        return;
    searchMade_ = true;
    lastSearchText_ = text;
    lastSearchFlags_ = flags;
}

void CTextView::ShowMessage(const std::string& text) {
    QMessageBox::information(this, QStringLiteral("Quarvel"), QString::fromStdString(text));
}

void CTextView::OnEditFind() {
    if (!inputEnabled_)
        return;
    SearchOptions options;
    if (searchMade_) {
        options.matchCase = (lastSearchFlags_ & FIND_MATCH_CASE) != 0;
        options.wholeWord = (lastSearchFlags_ & FIND_WHOLE_WORD) != 0;
        options.findWhat = lastSearchText_;
    } else {
        options = ReadFindProfile();
    }
    if (!IsSelectionEmpty() && orderedStart_.y == orderedEnd_.y) {
        std::string selected;
        if (TextOfRange(orderedStart_, orderedEnd_, selected))
            options.findWhat = selected;
    }

    CFindDlg dialog(*this, caret_, options, this);
    SetShowSelectionWhenInactive(true);
    dialog.exec();
    SetShowSelectionWhenInactive(false);

    const SearchOptions chosen = dialog.Options();
    RememberSearch(chosen.findWhat, dialog.Flags());
    if (!WriteFindProfile(chosen))
        ShowMessage("The search options could not be saved in " + SearchProfileFile() + ".");
}

void CTextView::OnEditRepeat() {
    if (!CanRepeatSearch())
        return;
    TextPosition found;
    if (FindText(lastSearchText_, caret_, lastSearchFlags_, true, found))
        HighlightMatch(found, static_cast<int32_t>(lastSearchText_.size()));
    else
        ShowMessage(NotFoundMessage(lastSearchText_));
}

void CTextView::OnEditFindPrevious() {
    if (!CanRepeatSearch())
        return;
    TextPosition found;
    if (FindText(lastSearchText_, caret_, lastSearchFlags_ ^ FIND_UP, true, found))
        HighlightMatch(found, static_cast<int32_t>(lastSearchText_.size()));
    else
        ShowMessage(NotFoundMessage(lastSearchText_));
}

// ---------------------------------------------------------------------------------------------------
// Batched updates

void CTextView::BeginBatch() {
    ++batchDepth_;
}

void CTextView::EndBatch() {
    if (batchDepth_ == 0 || --batchDepth_ > 0)
        return;
    RecalcVerticalBar();
    RecalcHorizontalBar();
    EnsureVisible(caret_);
    UpdateCaret();
    viewport()->update();
    emit StatusChanged();
}

} // namespace editor
