// The output list of an editor window (lower pane of the inner splitter): one time-stamped line for
// every notice the program gives, and the server-output lines of the last run while server output is
// on.
//
// Producers never touch the list: they put the text into the document's output text and send
// SQL_OUTPUT_MESSAGE to the list's window (synchronously, also from the worker). Where the lines go is
// decided by script::PlanNotice; this class carries it out.
//
// The lines live in the list's own model (OutputLines): a notice costs constant time however many
// lines the list holds, and appended lines are shown about 13 times a second while a run reports fast.
//
// The list also handles the window's Commit and Rollback while it is the active view, and a
// double-click shows the line under the pointer in the cell viewer.
#pragma once

#include "CView.h"
#include "MessageTarget.h"

#include <QTimer>
#include <QTreeView>

#include <string>

class CQuarvelDoc;
class OutputLines;

class CSqlOutputView : public QTreeView, public CView, public platform::MessageTarget {
public:
    static constexpr const char* kColumnHeading = "OUTPUT";
    // The longest line text handed to the cell viewer, in bytes (cut at a character boundary); the
    // list keeps no more of a line than this.
    static constexpr size_t kCellTextLimit = 4000;

    explicit CSqlOutputView(QWidget* parent = nullptr);
    ~CSqlOutputView() override;

    CQuarvelDoc* Document() const;
    void OnInitialUpdate() override;
    intptr_t HandleRegisteredMessage(uint32_t id) override;

    // Adds the document's output text as a notice, then tells the frame to refresh its status pane.
    void AddNotice();

    // Commands 281 and 283, reported with "[+]: ". Refused with message 958 while a run is going;
    // nothing happens without a connected session or a current statement.
    void OnCommit();
    void OnRollback();
    bool OnCommand(uint32_t id) override;
    bool HandlesCommand(uint32_t id) const override;

    // Every line the list holds (also those not shown yet), for the other windows' tests.
    int LineCount() const;
    QString LineText(int row) const;
    int count() const { return LineCount(); }
    OutputLines* Lines() const { return lines_; }
    int NextIndex() const { return nextIndex_; }
    // The context menu's commands: the selected lines (in list order, one per line) to the clipboard;
    // every line out of the list.
    void CopySelectedLines();
    void ClearLines();

protected:
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ResetColumnWidth();
    void MarkActive(bool notifyMainWindow);
    void PublishLines();

    OutputLines* lines_;
    QTimer publish_; // shows appended lines a few times a second while notices come fast
    int nextIndex_ = 0;
    bool shownOnce_ = false;
};
