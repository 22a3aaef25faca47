// The editor window's side of statement execution: hides and shows its panes, drives the text pane's
// input state and caret, shows the message dialog and writes the history log.
//
// Thread contract: built on the UI thread. RestoreCaret, PlaceCaret and the two message calls may come
// from the worker; they are carried to the UI thread and return when done. The window pointers are
// guarded, so a pane that is already gone is simply skipped.
#pragma once

#include "ExecHost.h"

#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class CQuarvelDoc;
class CSqlMainFrame;
class QWidget;

namespace editor {
class CTextView;
}

class ExecWindowHost : public exec::ExecHost {
public:
    explicit ExecWindowHost(CQuarvelDoc* doc);

    // The line of the text pane where the executed selection starts; a parse error counts from it.
    void SetSelectionFirstLine(int32_t line) { selectionFirstLine_ = line; }

    void HideResultPane() override;
    void ShowOutputPane() override;
    void HideOutputPane() override;
    void DisableInput() override;
    void WriteHistory(const std::string& text) override;
    void UpdateViews() override;
    void RestoreCaret() override;
    void PlaceCaret(int32_t line, int32_t column) override;
    void ShowMessageId(uint32_t stringId) override;
    void ShowMessageText(const std::string& text) override;

private:
    CSqlMainFrame* Frame() const;
    editor::CTextView* TextView() const;
    void OnUiThread(std::function<void()> call);

    CQuarvelDoc* doc_;
    std::atomic<int32_t> selectionFirstLine_{0};
};
