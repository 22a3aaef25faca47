#include "ExecWindowHost.h"

#include "CQuarvelDoc.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "MessageBox.h"
#include "StatementHistory.h"
#include "SyncSend.h"
#include "TextView.h"

ExecWindowHost::ExecWindowHost(CQuarvelDoc* doc) : doc_(doc) {}

CSqlMainFrame* ExecWindowHost::Frame() const {
    return doc_ ? doc_->Frame() : nullptr;
}

editor::CTextView* ExecWindowHost::TextView() const {
    CSqlMainFrame* frame = Frame();
    QWidget* pane = frame ? static_cast<QWidget*>(frame->TextPane()) : nullptr;
    if (!pane)
        return nullptr;
    // The pane is the text view itself or holds one.
    if (auto* view = dynamic_cast<editor::CTextView*>(pane))
        return view;
    return pane->findChild<editor::CTextView*>();
}

void ExecWindowHost::OnUiThread(std::function<void()> call) {
    const std::thread::id ui = UserInterfaceThread();
    if (ui == std::thread::id() || ui == std::this_thread::get_id()) {
        call();
        return;
    }
    platform::CallOnThread(ui, [call = std::move(call)] {
        call();
        return intptr_t{0};
    });
}

void ExecWindowHost::HideResultPane() {
    if (CSqlMainFrame* frame = Frame())
        frame->HideResultPane();
}

void ExecWindowHost::ShowOutputPane() {
    if (CSqlMainFrame* frame = Frame())
        frame->ShowOutputPane();
}

void ExecWindowHost::HideOutputPane() {
    if (CSqlMainFrame* frame = Frame())
        frame->HideOutputPane();
}

void ExecWindowHost::DisableInput() {
    if (editor::CTextView* view = TextView())
        view->DisableInput();
}

void ExecWindowHost::WriteHistory(const std::string& text) {
    CSqlMainFrame* frame = Frame();
    CSqlLeftView* pane = frame ? frame->TextPane() : nullptr;
    // The pane's switch, read from the settings when the pane was built, decides.
    script::AppendStatementHistory(text, pane && pane->HistorySwitch() == 1);
}

void ExecWindowHost::UpdateViews() {
    if (doc_)
        doc_->UpdateAllViews(nullptr);
}

void ExecWindowHost::RestoreCaret() {
    OnUiThread([this] {
        if (editor::CTextView* view = TextView())
            view->EnableInput();
    });
}

void ExecWindowHost::PlaceCaret(int32_t line, int32_t column) {
    OnUiThread([this, line, column] {
        if (editor::CTextView* view = TextView())
            view->SelectNothingAt(editor::TextPosition{column, selectionFirstLine_.load() + line});
    });
}

void ExecWindowHost::ShowMessageId(uint32_t stringId) {
    MessageBoxById(stringId);
}

void ExecWindowHost::ShowMessageText(const std::string& text) {
    MessageBoxText(text);
}
