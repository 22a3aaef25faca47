// The editor window's side of statement execution: hides and shows its panes, drives the text pane's
// input state and caret, shows the message dialog and writes the history log. The frame builds it and
// puts it into its document's execution context.
//
// Thread contract: built on the UI thread. RestoreCaret, MarkExecLine, PlaceCaret and ShowMessageText may come from
// the worker; they are carried to the UI thread and return when done. The frame is held by a guarded
// pointer that is read on the UI thread only, so a window that is already gone is simply skipped.
#pragma once

#include "ExecHost.h"

#include <QPointer>

#include <string>

class CSqlMainFrame;

namespace editor {
class CTextView;
}

class ExecWindowHost : public exec::ExecHost {
public:
    explicit ExecWindowHost(CSqlMainFrame* frame);

    void HideResultPane() override;
    void ShowResultPane() override;
    void ShowOutputPane() override;
    void HideOutputPane() override;
    void DisableInput() override;
    void WriteHistory(const std::string& text) override;
    void UpdateViews() override;
    bool AskOkCancel(const std::string& text) override;
    void RestoreCaret() override;
    void MarkExecLine(int32_t selectionLine) override;
    void PlaceCaret(int32_t line, int32_t column) override;
    void ShowMessageText(const std::string& text) override;

private:
    editor::CTextView* TextView() const;

    QPointer<CSqlMainFrame> frame_;
};
