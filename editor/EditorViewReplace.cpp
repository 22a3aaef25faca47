// Replace: replacing the selection, and the Replace command with its dialog.
#include "EditorView.h"

#include "CReplaceDlg.h"
#include "EditAction.h"
#include "SearchProfile.h"

namespace editor {

bool CEditorView::ReplaceSelection(const std::string& text) {
    TextPosition end;
    return ReplaceSelection(text, end);
}

bool CEditorView::ReplaceSelection(const std::string& text, TextPosition& insertedEnd) {
    if (IsSelectionEmpty() || !IsEditable())
        return false;
    TextPosition start;
    TextPosition end;
    SelectionRange(start, end);
    // Two undo steps: the deletion, then the insertion.
    if (!Delete(start, end, ACT_DELETE_SELECTION))
        return false;
    insertedEnd = start;
    if (!text.empty() && !Insert(start, text, ACT_REPLACE, insertedEnd))
        insertedEnd = start;
    SetSelectionWithCaret(start, insertedEnd, insertedEnd);
    return true;
}

void CEditorView::OnEditReplace() {
    if (!CanReplace())
        return;
    const SearchOptions stored = ReadReplaceProfile();
    std::optional<CReplaceSession::Block> block;
    bool caretAtStart = false;
    if (!IsSelectionEmpty()) {
        TextPosition start;
        TextPosition end;
        SelectionRange(start, end);
        block = CReplaceSession::Block{start, end};
        caretAtStart = CaretPosition() == start;
    }

    CReplaceDlg dialog(*this, CaretPosition(), block, stored, this);
    SetShowSelectionWhenInactive(true);
    dialog.exec();
    SetShowSelectionWhenInactive(false);

    // The selection comes back over the same text. The session's block has followed every
    // replacement, including one that ended exactly at the selection's end, which a plain change
    // notice would leave outside (text inserted at a point lands after it).
    if (block) {
        const CReplaceSession::Block bounds = dialog.Session().Bounds();
        if (caretAtStart)
            SetSelection(bounds.end, bounds.begin);
        else
            SetSelection(bounds.begin, bounds.end);
    }
    if (!WriteReplaceProfile(dialog.Options()))
        ShowMessage("The replace options could not be saved in " + SearchProfileFile() + ".");
}

} // namespace editor
