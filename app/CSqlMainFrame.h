// The frame of one editor window: tool bars 112 and 402, the split client area (SQL text over the
// output list, the result grid below) and the six-pane status bar. It owns its document.
//
// Closing it asks before a modified text is lost, stops the document's worker (serving the worker's
// sends meanwhile), stores whether it was maximized, and only then destroys views and document.
#pragma once

#include "CCmdTarget.h"
#include "MessageTarget.h"

#include <QMdiSubWindow>
#include <QPointer>

#include <memory>

class CCommandToolBar;
class CMainFrame;
class CQuarvelDoc;
class CSplitFrame;
class CSqlLeftView;
class CSqlOutputView;
class CView;
class QMainWindow;
namespace widgets {
class CNoGripStatusBar;
class CPaneSplitter;
} // namespace widgets

class CSqlMainFrame : public QMdiSubWindow, public CCmdTarget, public platform::MessageTarget {
public:
    // Status bar panes.
    enum Pane {
        kStatusPane = 0, kReportPane = 1, kServerOutputPane = 2, kCapsPane = 3, kNumPane = 4, kScrollPane = 5,
        // The text pane's caret place, its line-end mode and its overwrite state.
        kPositionPane = 6, kEolPane = 7, kOverwritePane = 8
    };

    // Builds the window for `doc`, which it takes over. Null (and the document destroyed) when a part
    // of the window cannot be built.
    static CSqlMainFrame* Create(std::unique_ptr<CQuarvelDoc> doc, CMainFrame* mainFrame);
    ~CSqlMainFrame() override;

    CQuarvelDoc* Document() const { return doc_.get(); }
    // "Save changes to %1?" before the text is replaced or closed: true when it may go (not modified,
    // No, or Yes and saved).
    bool AskToSaveModified();
    // "Commit the pending changes of USER@DB?" before the session ends: true when it may end (nothing
    // pending, or the chosen Commit or Rollback succeeded; a failure is reported as the commands
    // report it).
    bool AskToEndTransaction();
    // Adds or drops the "*" that ends the caption of a window with modified text.
    void ShowModifiedMark(bool modified);

    void HideResultPane();
    void ShowResultPane();
    void HideOutputPane();
    void ShowOutputPane();

    CView* ActiveView() const { return activeView_; }
    void SetActiveView(CView* view);
    CSqlLeftView* TextPane() const { return textPane_; }
    CSqlOutputView* OutputView() const { return outputView_; }
    CSplitFrame* SplitFrame() const { return splitFrame_; }
    widgets::CPaneSplitter* OuterSplitter() const { return outer_; }
    widgets::CPaneSplitter* InnerSplitter() const { return inner_; }
    widgets::CNoGripStatusBar* StatusBar() const { return statusBar_; }
    CCommandToolBar* ToolBar(uint32_t resourceId) const;

    // The routing chain of this window: active view, document, this frame, the main window, the app.
    CommandChain Chain();
    bool RouteCommand(uint32_t id);
    void UpdateCommandUI();

    intptr_t HandleRegisteredMessage(uint32_t id) override;
    std::optional<bool> CommandEnabled(uint32_t id) const override;
    // Export Rows of the grid (its tool bar and its context menu reach it through the grid's chain).
    bool HandlesCommand(uint32_t id) const override;
    bool OnCommand(uint32_t id) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CSqlMainFrame(std::unique_ptr<CQuarvelDoc> doc, CMainFrame* mainFrame);
    bool Build();
    void OnActivateTimer();
    void TrackFocus(QWidget* now);
    void WriteWindowStatus();
    // The caret, line-end and overwrite panes read the text pane anew.
    void UpdateTextStatus();

    std::unique_ptr<CQuarvelDoc> doc_;
    QPointer<CMainFrame> mainFrame_;
    QMainWindow* area_ = nullptr; // holds tool bars, client area and status bar
    CCommandToolBar* toolBar1_ = nullptr;
    CCommandToolBar* toolBar2_ = nullptr;
    widgets::CNoGripStatusBar* statusBar_ = nullptr;
    widgets::CPaneSplitter* outer_ = nullptr;
    widgets::CPaneSplitter* inner_ = nullptr;
    CSplitFrame* splitFrame_ = nullptr;
    CSqlLeftView* textPane_ = nullptr;
    CSqlOutputView* outputView_ = nullptr;
    CView* activeView_ = nullptr;
    bool statusWritten_ = false;
    bool closing_ = false;
    bool askingToClose_ = false; // a close's questions are open (or its run is being stopped)
    QMetaObject::Connection focusTracking_;
};
