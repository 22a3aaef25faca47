// The result grid of an editor window, hosted by CSplitFrame: the rows of the last query, fetched by
// the statement worker a batch at a time, with navigation that fetches more on demand, column widths
// fitted to names and data, sorting by a clicked header, copying of selected rows and the cell viewer.
//
// Thread contract: a widget, UI thread only. The worker reaches it through INSERT_SQL_REPORT_MESSAGE
// (one more row), SB_SQL_ROWS_MESSAGE (every row is there) and EXPLAIN_PLAN_MESSAGE (the plan
// is in the plan table) only, while it waits in the send, so the
// fetched buffers are stable while the grid reads them. The grid never drops the statement: a row it
// cannot show is refused in its answer, and the worker's end of run drops it.
#pragma once

#include "CView.h"
#include "ExecRules.h"
#include "MessageTarget.h"

#include <QPoint>
#include <QTableView>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CQuarvelDoc;
class ResultModel;
struct ApplicationFields;

class CQuarvelView : public QTableView, public CView, public platform::MessageTarget {
public:
    explicit CQuarvelView(QWidget* parent = nullptr);
    ~CQuarvelView() override;

    CQuarvelDoc* Document() const;
    void OnInitialUpdate() override;
    // While the document's start flag is 1: the start of execution of the new statement.
    void OnUpdate(CView* sender, intptr_t hint) override;
    intptr_t HandleRegisteredMessage(uint32_t id) override;
    bool OnCommand(uint32_t id) override;
    bool HandlesCommand(uint32_t id) const override;

    ResultModel* Model() const { return model_; }

    void NextRow();
    void PreviousRow();
    void FirstRow();
    void LastRow();
    // Last Row's fetch without moving the selection: every remaining row under the progress dialog.
    // True when the grid holds every row of its query afterwards (or has no query); false when the
    // fetch was cancelled, failed or could not start, or the statement is gone with rows left.
    bool FetchRemainingRows();
    // Sets the two autoformat flags of the document and fits every column.
    void SetAutoformat(bool byData, bool byName);
    void SortByColumn(int column);
    // False (clipboard untouched) without a selected row.
    bool CopySelectedRows();
    // The selected rows in list order.
    std::vector<int> SelectedRows() const;
    void SelectAllRows();
    // The cell under the last clicked position into the cell-viewer fields, then the viewer (modal).
    void ViewCellData();
    // The row the status counts from: the last selected one, -1 when none.
    int LastSelectedRow() const;
    void UpdateStatus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void StartOfExecution();
    intptr_t AppendRow();
    // The plan of the document's statement id, read while the explain worker waits (0; 1 on failure).
    intptr_t ShowPlan();
    void ShowAllRowsFetched();
    void SelectOnly(int row);
    void FitColumn(size_t queryColumn);
    void FitAllColumns();
    void MarkActive();
    void OnScrollAction(int action);
    // Makes every appended row known to the view (before anything that selects or reads rows).
    void Publish();

    ResultModel* model_;
    exec::ColumnLengths lengths_;
    std::vector<std::string_view> rowCells_; // the row being appended; kept to reuse its storage
    std::vector<bool> rowNulls_;
    // The width of "ROW#" that shows ten digits with the row image.
    int RowNumberWidth() const;
    QPoint lastClick_;
    QTimer publish_; // shows appended rows a few times a second while a batch runs
};
