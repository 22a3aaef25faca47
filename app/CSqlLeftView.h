// The SQL text pane of an editor window, the upper pane of the inner splitter: the SQL editing view
// over its document's text buffer, in the document's font. On top of the editing view it carries the
// statement history switch, the file commands Open File and Save File As, the editing commands of the
// menu and the tool bar with their enabling rules and menu texts, and the execution commands, which it
// hands on to the execution layer (CSqlLeftViewExec.cpp).
//
// Keys: while input is enabled the pane takes its own keys (typing, navigation, Ctrl+C, Ctrl+V, Tab,
// Delete...) before the main window's accelerators; every other key (F9, Ctrl+S, Ctrl+E...) reaches
// the accelerators. While input is disabled all keys go to the accelerators, so Stop stays reachable.
//
// Lifetime: built by the editor window's frame, which destroys its panes before its document; the
// buffer the pane is attached to therefore outlives it. UI thread only; workers reach it through the
// synchronous send.
#pragma once

#include "CView.h"
#include "MessageTarget.h"
#include "SqlEditorView.h"

#include <cstdint>
#include <optional>
#include <string>

class CQuarvelDoc;

class CSqlLeftView : public editor::CSqlEditorView, public CView, public platform::MessageTarget {
public:
    // Reads the history switch from "SaveSqlHistory". When the program's settings key cannot be
    // opened it first shows message 987, and history stays on.
    explicit CSqlLeftView(QWidget* parent = nullptr);
    ~CSqlLeftView() override;

    CQuarvelDoc* Document() const;
    // 1 while executed statements are to be written to the history log, else 0. Fixed when the pane
    // is built: a changed setting reaches only windows opened afterwards.
    int32_t HistorySwitch() const { return historySwitch_; }

    // The first update, for both the view and the document: attach to the document's buffer, take the
    // document's font, and become the document's text pane.
    void OnInitialUpdate() override;
    // The document asks its views to update (a statement starts): repaint.
    void OnUpdate(CView* sender, intptr_t hint) override;

    // --- File commands.
    // Open File (309): the open dialog, then OpenFilePath.
    void OnOpenFile();
    // Save File As (57603): the save dialog, then SaveFileAsPath.
    void OnSaveFileAs();
    // Save File (Ctrl+S): a text with a file name is written there at once; one without goes through
    // Save File As. False when nothing was written.
    bool OnSaveFile();
    // The document loads `path`, which becomes its file name and the windows' caption. No question
    // about unsaved changes. False, with text, file name and captions unchanged, when it cannot load.
    bool OpenFilePath(const std::string& path);
    // Saves to the path Save File As makes of `chosen` under the filter `filterIndex` (SaveAsPath),
    // which becomes the file name; the captions read " Quarvel [...] - path". False when the document
    // cannot be saved there (file name and captions unchanged).
    bool SaveFileAsPath(const std::string& chosen, int filterIndex);

    // --- Execution commands. The execution layer carries them out (CSqlLeftViewExec.cpp).
    void OnExecuteSql();     // 280, F9 and Shift+F9
    // 1296, Ctrl+Enter: the selection as F9 runs it; without one, the statement around the caret is
    // selected first (blank lines and terminators bound it). Nothing to select there is F9's case.
    void OnExecuteStatement();
    void OnExecuteScript();  // 285, F8
    void OnExplainPlan();    // 1280, F6
    void OnStopSql();        // 287; reachable while input is disabled
    void OnCommit();         // 281
    void OnRollback();       // 283
    void OnServerOutput();   // 312
    void OnShowSqlHistory(); // 1200

    // CCmdTarget
    bool OnCommand(uint32_t id) override;
    bool HandlesCommand(uint32_t id) const override;
    std::optional<bool> CommandEnabled(uint32_t id) const override;
    std::optional<std::string> CommandText(uint32_t id) const override;

    // MessageTarget: the pane answers no registered message of its own.
    intptr_t HandleRegisteredMessage(uint32_t id) override;

    // The editor's notices (a search that found nothing) go through the program's message dialog.
    void ShowMessage(const std::string& text) override;

protected:
    editor::CTextBuffer* LocateBuffer() override;
    // Undo, Redo, Cut, Copy, Paste, Select All and the execution commands, with their states as the
    // window's menu has them.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool WorkerRunning() const;
    // Sets `caption` on the main window and on the document's frame.
    void SetCaptions(const std::string& caption);

    int32_t historySwitch_ = 1;
};
