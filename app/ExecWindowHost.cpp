#include "ExecWindowHost.h"

#include "CQuarvelDoc.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CommandIds.h"
#include "MessageBox.h"
#include "StatementHistory.h"
#include "TextView.h"
#include "UiThread.h"

ExecWindowHost::ExecWindowHost(CSqlMainFrame* frame) : frame_(frame) {}

editor::CTextView* ExecWindowHost::TextView() const {
    QWidget* pane = frame_ ? static_cast<QWidget*>(frame_->TextPane()) : nullptr;
    if (!pane)
        return nullptr;
    // The pane is the text view itself or holds one.
    if (auto* view = dynamic_cast<editor::CTextView*>(pane))
        return view;
    return pane->findChild<editor::CTextView*>();
}

void ExecWindowHost::HideResultPane() {
    if (frame_)
        frame_->HideResultPane();
}

void ExecWindowHost::ShowResultPane() {
    if (frame_)
        frame_->ShowResultPane();
}

void ExecWindowHost::ShowOutputPane() {
    if (frame_)
        frame_->ShowOutputPane();
}

void ExecWindowHost::HideOutputPane() {
    if (frame_)
        frame_->HideOutputPane();
}

void ExecWindowHost::DisableInput() {
    if (editor::CTextView* view = TextView())
        view->DisableInput();
}

void ExecWindowHost::WriteHistory(const std::string& text) {
    CSqlLeftView* pane = frame_ ? frame_->TextPane() : nullptr;
    // The pane's switch, read from the settings when the pane was built, decides.
    script::AppendStatementHistory(text, pane && pane->HistorySwitch() == 1);
}

void ExecWindowHost::UpdateViews() {
    if (frame_ && frame_->Document())
        frame_->Document()->UpdateAllViews(nullptr);
}

bool ExecWindowHost::AskOkCancel(const std::string& text) {
    return MessageBoxText(text, 1, 1) == IDOK;
}

void ExecWindowHost::RestoreCaret() {
    platform::CallOnUserInterfaceThread([this] {
        if (editor::CTextView* view = TextView())
            view->EnableInput();
    });
}

void ExecWindowHost::MarkExecLine(int32_t selectionLine) {
    platform::CallOnUserInterfaceThread([this, selectionLine] {
        if (editor::CTextView* view = TextView())
            view->MarkExecLineAt(selectionLine);
    });
}

void ExecWindowHost::PlaceCaret(int32_t line, int32_t column) {
    platform::CallOnUserInterfaceThread([this, line, column] {
        if (editor::CTextView* view = TextView())
            view->SelectNothingAt(editor::TextPosition{column, line});
    });
}

void ExecWindowHost::ShowMessageText(const std::string& text) {
    MessageBoxText(text);
}
