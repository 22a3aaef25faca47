// The Replace dialog ("Quarvel [Replace]"): the text and its replacement, whole word and match case,
// the scope (the selection the dialog opened with, or the whole file), and Find Next, Replace and
// Replace All. The rules of the three buttons are CReplaceSession's; the dialog reads its controls
// into it before each one.
//
// Modal, over its editing view; UI thread only. Its controls carry their ids as object names.
#pragma once

#include <QDialog>

#include <memory>
#include <optional>

#include "ReplaceSession.h"
#include "SearchProfile.h"
#include "TextPosition.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace editor {

class CEditorView;

class CReplaceDlg : public QDialog {
public:
    static constexpr int kTextId = 885;
    static constexpr int kReplacementId = 889;
    static constexpr int kWholeWordId = 883;
    static constexpr int kMatchCaseId = 884;
    static constexpr int kSelectionId = 893;
    static constexpr int kWholeFileId = 894;
    static constexpr int kFindNextId = 890;
    static constexpr int kReplaceId = 887;
    static constexpr int kReplaceAllId = 888;
    static constexpr int kCancelId = 2;

    // `selection`: the block of the selection scope, when the view had a selection.
    CReplaceDlg(CEditorView& view, TextPosition caret, std::optional<CReplaceSession::Block> selection,
                const SearchOptions& texts, QWidget* parent = nullptr);
    ~CReplaceDlg() override;

    SearchOptions Options() const;
    const CReplaceSession& Session() const { return *session_; }

private:
    class CViewTarget;
    // Reads the controls into the session; false while the view takes no input.
    bool Prepare();

    CEditorView& view_;
    std::unique_ptr<CViewTarget> target_;
    std::unique_ptr<CReplaceSession> session_;
    QLineEdit* text_ = nullptr;
    QLineEdit* replacement_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QRadioButton* selection_ = nullptr;
    QRadioButton* wholeFile_ = nullptr;
};

} // namespace editor
