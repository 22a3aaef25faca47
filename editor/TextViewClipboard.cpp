// The clipboard as plain text, through the conversions of TextMime.h.
#include "TextView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "TextMime.h"

namespace editor {

bool CTextView::ClipboardHasText() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return HasEditorText(data);
}

void CTextView::PutToClipboard(const std::string& text) {
    if (text.empty())
        return;
    QGuiApplication::clipboard()->setMimeData(MakeTextMimeData(text));
}

void CTextView::OfferPrimarySelection() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection() || IsSelectionEmpty())
        return;
    std::string text;
    if (TextOfRange(orderedStart_, orderedEnd_, text) && !text.empty())
        clipboard->setMimeData(MakeTextMimeData(text), QClipboard::Selection);
}

bool CTextView::GetFromClipboard(std::string& text) const {
    return EditorTextFromMime(QGuiApplication::clipboard()->mimeData(), text);
}

} // namespace editor
