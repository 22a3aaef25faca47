// The Find dialog ("Quarvel [Find]"): the text to find, whole word and match case, the direction, and
// Find Next, which searches the view from the start position with wrap. A match is highlighted and
// closes the dialog; a search that finds nothing says so and starts the next one from the top.
//
// Modal, over its view; UI thread only. Its controls carry their ids as object names.
#pragma once

#include <QDialog>

#include <cstdint>

#include "SearchProfile.h"
#include "TextPosition.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace editor {

class CTextView;

class CFindDlg : public QDialog {
public:
    static constexpr int kTextId = 885;
    static constexpr int kWholeWordId = 883;
    static constexpr int kMatchCaseId = 884;
    static constexpr int kUpId = 891;
    static constexpr int kDownId = 892;
    static constexpr int kFindNextId = 1;
    static constexpr int kCancelId = 2;

    CFindDlg(CTextView& view, TextPosition start, const SearchOptions& options, QWidget* parent = nullptr);

    // The controls' state: text and options, and the search flags they make (FIND_UP with Up).
    SearchOptions Options() const;
    uint32_t Flags() const;
    TextPosition Start() const { return start_; }

private:
    void OnFindNext();

    CTextView& view_;
    TextPosition start_;
    QLineEdit* text_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QRadioButton* up_ = nullptr;
    QRadioButton* down_ = nullptr;
    QPushButton* findNext_ = nullptr;
};

} // namespace editor
