// What statement execution needs of an editor window besides the document: the panes it hides and
// shows, the text pane's input state and caret, the message dialog and the history log. A window sets
// its host into its ExecContext when it is built; headless tests set one of their own.
//
// Thread contract: the members marked "any thread" may be called by the worker; the window carries
// them to its UI thread and returns only when they are done. The others are called on the UI thread.
#pragma once

#include <cstdint>
#include <string>

namespace exec {

class ExecHost {
public:
    virtual ~ExecHost() = default;

    virtual void HideResultPane() = 0;
    virtual void ShowResultPane() = 0;
    virtual void ShowOutputPane() = 0;
    virtual void HideOutputPane() = 0;
    // Disables the text pane's input (hides its caret) until RestoreCaret.
    virtual void DisableInput() = 0;
    // Appends the executed text to the statement history log (the pane's history switch decides).
    virtual void WriteHistory(const std::string& text) = 0;
    // Asks every view of the document to update (the grid starts execution while the start flag is 1).
    virtual void UpdateViews() = 0;
    // The message dialog with OK and Cancel; true for OK.
    virtual bool AskOkCancel(const std::string& text) = 0;

    // Any thread: gives input back to the text pane, shows its caret and repaints it.
    virtual void RestoreCaret() = 0;
    // Any thread: sets the execution mark on line `selectionLine` of the executed selection (0 is its
    // first line) and brings that line into view.
    virtual void MarkExecLine(int32_t selectionLine) = 0;
    // Any thread: moves the text pane's caret to `line` of the pane and `column`.
    virtual void PlaceCaret(int32_t line, int32_t column) = 0;
    // Any thread: the message dialog with a text.
    virtual void ShowMessageText(const std::string& text) = 0;
};

} // namespace exec
