#include "CQuarvelView.h"

#include "CQuarvelDoc.h"
#include "CSplitFrame.h"
#include "CommandIds.h"
#include "ExecCommands.h"
#include "Execution.h"
#include "ExplainPlan.h"
#include "RunEnd.h"
#include "RegisteredMessages.h"
#include "ResultModel.h"
#include "SyncSend.h"
#include "cFetchStatus.h"
#include "cReportValue.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

namespace {
constexpr size_t kCellViewerTitleCap = 256;
constexpr size_t kCellViewerTextCap = 4000;
constexpr uint32_t kExportRowsEntry = 192;
constexpr int32_t kGridActivePane = 4;
} // namespace

CQuarvelView::CQuarvelView(QWidget* parent) : QTableView(parent), model_(new ResultModel(this)) {
    setFrameShape(QFrame::NoFrame);
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setSortingEnabled(false);
    setAlternatingRowColors(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setIconSize(QSize(16, 16));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsMovable(true); // header drag and drop
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Beyond the last row and column the grid is plain white, whatever the style paints elsewhere.
    QPalette look = palette();
    look.setColor(QPalette::Base, Qt::white);
    look.setColor(QPalette::Window, Qt::white);
    setPalette(look);
    viewport()->setAutoFillBackground(true);
    publish_.setSingleShot(true);
    publish_.setInterval(100);
    connect(&publish_, &QTimer::timeout, this, [this] { Publish(); });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) { SortByColumn(column); });
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) { OnScrollAction(action); });
}

CQuarvelView::~CQuarvelView() {
    CloseMessages();
}

CQuarvelDoc* CQuarvelView::Document() const {
    return static_cast<CQuarvelDoc*>(GetDocument());
}

void CQuarvelView::Publish() {
    publish_.stop();
    model_->Publish();
}

void CQuarvelView::OnInitialUpdate() {
    if (CQuarvelDoc* doc = Document())
        doc->State().gridWindow = Handle();
}

void CQuarvelView::OnUpdate(CView*, intptr_t) {
    CQuarvelDoc* doc = Document();
    if (doc && doc->State().startFlag == 1)
        StartOfExecution();
}

void CQuarvelView::StartOfExecution() {
    CQuarvelDoc* doc = Document();
    model_->Clear();
    lengths_.Reset(0);
    std::vector<std::string> titles;
    exec::StartExecution(doc->Exec(), titles);
    if (titles.empty())
        return;
    // Rows arrive through sends that wait for this handler, so the columns are in place first.
    std::vector<ColumnKind> kinds;
    kinds.reserve(titles.size());
    for (size_t i = 0; i < titles.size(); ++i)
        kinds.push_back(doc->State().columns.Kind(static_cast<uint32_t>(i)));
    horizontalHeader()->setSortIndicatorShown(false);
    model_->SetColumns(titles, kinds);
    lengths_.Reset(titles.size());
    setColumnWidth(0, RowNumberWidth());
    for (size_t i = 0; i < titles.size(); ++i)
        setColumnWidth(static_cast<int>(i) + 1, exec::CreatedWidth(titles[i].size()));
    FitAllColumns();
}

int CQuarvelView::RowNumberWidth() const {
    // Ten digits (a row number beyond a billion cannot be fetched), the row image and the cell's
    // margins on both sides.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int digits = fontMetrics().horizontalAdvance(QStringLiteral("0000000000"));
    const int image = iconSize().width() + 2 * margin;
    return std::max(exec::kRowNumberWidth, digits + image + 4 * margin + 4);
}

intptr_t CQuarvelView::HandleRegisteredMessage(uint32_t id) {
    if (id == INSERT_SQL_REPORT_MESSAGE)
        return AppendRow();
    if (id == SB_SQL_ROWS_MESSAGE)
        ShowAllRowsFetched();
    if (id == EXPLAIN_PLAN_MESSAGE)
        return ShowPlan();
    return 0;
}

intptr_t CQuarvelView::ShowPlan() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return 1;
    exec::ExecContext& cx = doc->Exec();
    exec::StatementState& state = cx.state;
    if (cx.host)
        cx.host->ShowResultPane();
    model_->Clear();
    lengths_.Reset(0);
    const std::vector<std::string> titles = {"ID", "OPERATION"};
    model_->SetPlainColumns(titles);
    setColumnWidth(0, exec::kPlanIdWidth);
    setColumnWidth(1, std::max(exec::kPlanIdWidth, viewport()->width() - exec::kPlanOperationMargin));
    state.resultCaptionText = exec::kPlanCaption;
    platform::Send(state.frameWindow, SQL_REPORT_STATUS);

    const exec::PlanRead read = exec::ReadPlan(cx);
    exec::ColumnLengths lengths;
    lengths.Reset(titles.size());
    uint32_t number = 0;
    for (const exec::PlanRow& row : read.rows) {
        model_->AppendRow(++number, {row.id, row.operation});
        lengths.Note(0, row.id.size());
        lengths.Note(1, std::min(row.operation.size(), exec::kCellReadCap));
    }
    Publish();
    if (!read.ok) {
        if (cx.host)
            cx.host->ShowMessageText(read.error);
        return 1;
    }
    exec::SendOutput(cx, "Statement processed.");
    for (size_t c = 0; c < titles.size(); ++c) {
        const int width = exec::AutoformatWidth(titles[c].size(), lengths.Longest(c), state.autoformatByData != 0,
                                                state.autoformatByName != 0);
        setColumnWidth(static_cast<int>(c), std::max(width, c == 0 ? exec::kPlanIdWidth : width));
    }
    state.allFetched = 1;
    return 0;
}

void CQuarvelView::ShowAllRowsFetched() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return;
    if (doc->Exec().host)
        doc->Exec().host->ShowResultPane();
    Publish();
    exec::StatementState& state = doc->State();
    state.resultCaptionText = exec::SelectedCaption(model_->RowCount());
    platform::Send(state.frameWindow, SQL_REPORT_STATUS);
}

intptr_t CQuarvelView::AppendRow() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return exec::kRowRefused;
    exec::StatementState& state = doc->State();
    if (doc->Exec().host)
        doc->Exec().host->ShowResultPane();
    const int n = model_->RowCount();
    const int queryColumns = std::max(0, model_->ColumnCount() - 1);
    // LOB cells are read through their locators now, while the worker waits between two fetches.
    if (state.statement) {
        std::string error;
        if (!state.columns.ReadLobCells(*state.statement, error)) {
            exec::SendOutput(doc->Exec(), error);
            return exec::kRowRefused;
        }
    }
    std::vector<std::string_view>& cells = rowCells_;
    cells.clear();
    rowNulls_.assign(static_cast<size_t>(queryColumns), false);
    bool anyNull = false;
    for (int i = 0; i < queryColumns; ++i) {
        if (state.columns.IsNull(static_cast<uint32_t>(i))) {
            rowNulls_[static_cast<size_t>(i)] = true;
            anyNull = true;
        }
        std::optional<std::string_view> text = state.columns.CellText(static_cast<uint32_t>(i));
        if (!text) {
            // The worker ends its batch and drops the statement instead of fetching on.
            exec::SendOutput(doc->Exec(), "Unsupported data type.");
            return exec::kRowRefused;
        }
        cells.push_back(*text);
    }
    model_->AppendRow(static_cast<uint32_t>(n + 1), cells, anyNull ? &rowNulls_ : nullptr);
    for (int i = 0; i < queryColumns; ++i) {
        const size_t length = std::min(cells[static_cast<size_t>(i)].size(), exec::kCellReadCap);
        if (lengths_.Note(static_cast<size_t>(i), length) && state.autoformatByData)
            FitColumn(static_cast<size_t>(i));
    }
    // The rows of a first batch show as they come; a longer batch shows its rows a few times a
    // second (the first at once, the rest when the timer runs out), so that the grid does not repaint
    // once per row.
    if (model_->RowCount() <= doc->Settings().firstFetchCount) {
        Publish();
    } else if (!publish_.isActive()) {
        Publish();
        publish_.start();
    }
    if (state.selectNewRow == 1) {
        SelectOnly(n);
        UpdateStatus();
        state.selectNewRow = 0;
    }
    return 0;
}

void CQuarvelView::FitColumn(size_t queryColumn) {
    CQuarvelDoc* doc = Document();
    if (!doc || queryColumn + 1 >= static_cast<size_t>(model_->ColumnCount()))
        return;
    const exec::StatementState& state = doc->State();
    const int width = exec::AutoformatWidth(model_->Title(static_cast<int>(queryColumn) + 1).size(),
                                            lengths_.Longest(queryColumn), state.autoformatByData != 0,
                                            state.autoformatByName != 0);
    const int column = static_cast<int>(queryColumn) + 1;
    if (columnWidth(column) != width)
        setColumnWidth(column, width);
}

void CQuarvelView::FitAllColumns() {
    for (size_t i = 0; i < lengths_.Columns(); ++i)
        FitColumn(i);
}

void CQuarvelView::SetAutoformat(bool byData, bool byName) {
    if (CQuarvelDoc* doc = Document()) {
        doc->State().autoformatByData = byData ? 1 : 0;
        doc->State().autoformatByName = byName ? 1 : 0;
    }
    FitAllColumns();
}

int CQuarvelView::LastSelectedRow() const {
    int last = -1;
    if (!selectionModel())
        return last;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        last = std::max(last, range.bottom());
    return last;
}

void CQuarvelView::UpdateStatus() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return;
    Publish();
    exec::StatementState& state = doc->State();
    state.resultCaptionText = exec::RowCaption(LastSelectedRow(), model_->RowCount(), state.allFetched != 0);
    platform::Send(state.frameWindow, SQL_REPORT_STATUS);
}

void CQuarvelView::SelectOnly(int row) {
    Publish();
    if (row < 0 || row >= model_->RowCount())
        return;
    const QModelIndex index = model_->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void CQuarvelView::NextRow() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return;
    const int below = std::max(LastSelectedRow(), 0) + 1;
    if (below < model_->RowCount()) {
        SelectOnly(below);
        UpdateStatus();
        return;
    }
    exec::StartBatch(doc->Exec(), 1, true);
}

void CQuarvelView::PreviousRow() {
    const int above = LastSelectedRow() - 1;
    if (above >= 0 && above < model_->RowCount()) {
        SelectOnly(above);
        UpdateStatus();
    }
}

void CQuarvelView::FirstRow() {
    SelectOnly(0);
    UpdateStatus();
}

void CQuarvelView::LastRow() {
    QPointer<CQuarvelView> self(this);
    FetchRemainingRows();
    if (!self)
        return;
    SelectOnly(model_->RowCount() - 1);
    UpdateStatus();
}

bool CQuarvelView::FetchRemainingRows() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return false;
    if (exec::StartBatch(doc->Exec(), exec::kAllRows, false)) {
        // The window may be closed while the dialog runs; then this grid (and the dialog, its child)
        // are gone when the dialog's loop returns.
        QPointer<CQuarvelView> self(this);
        QPointer<cFetchStatus> dialog = new cFetchStatus(doc->Exec().run, this);
        const int result = dialog->exec();
        if (!self)
            return false;
        delete dialog.data();
        // After Cancel or the final report the worker ends within a row; let it deliver what it has,
        // so that the selection and the caption below see every row.
        doc->WaitForWorker();
        if (result != IDOK)
            return false;
    }
    Publish();
    // A grid without a query has nothing to fetch; one whose statement ended early (an error, Stop,
    // Cancel) holds only part of its rows.
    return model_->ColumnCount() == 0 || doc->State().allFetched != 0;
}

void CQuarvelView::SortByColumn(int column) {
    if (column < 0 || column >= model_->ColumnCount())
        return;
    exec::SortState& sort = exec::SharedSortState();
    sort.column = column;
    sort.direction = 1 - sort.direction;
    model_->SortRows(column, sort.direction == 1);
    // The header shows which column the rows follow, and which way.
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, sort.direction == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
    if (model_->RowCount() > 0)
        scrollTo(model_->index(0, 0));
}

std::vector<int> CQuarvelView::SelectedRows() const {
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

bool CQuarvelView::CopySelectedRows() {
    Publish();
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return false;
    // The text is built line by line from the rows in place: a copy of every selected row would hold
    // them all twice.
    const int columns = model_->ColumnCount();
    std::vector<std::string_view> fields;
    for (int c = 0; c < columns; ++c)
        fields.push_back(model_->Title(c));
    std::string text;
    exec::AppendCopyLine(text, fields);
    std::string rowNumber;
    for (int r : rows) {
        fields.clear();
        for (int c = 0; c < columns; ++c) {
            const int queryColumn = model_->QueryColumnOf(c);
            if (queryColumn < 0) {
                rowNumber = model_->Cell(r, c);
                fields.push_back(rowNumber);
            } else {
                fields.push_back(model_->QueryCell(r, queryColumn));
            }
        }
        exec::AppendCopyLine(text, fields);
    }
    QApplication::clipboard()->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return true;
}

void CQuarvelView::SelectAllRows() {
    Publish();
    selectAll();
    UpdateStatus();
}

void CQuarvelView::ViewCellData() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return;
    Publish();
    const QModelIndex index = indexAt(lastClick_);
    if (!index.isValid())
        return;
    ApplicationFields& app = doc->App();
    app.cellColumnName = model_->Title(index.column()).substr(0, kCellViewerTitleCap);
    // A CLOB shows whole; other cells as far as the viewer's buffer goes.
    const bool wholeText = model_->KindOf(model_->QueryColumnOf(index.column())) == ColumnKind::Clob;
    app.cellValue = model_->Cell(index.row(), index.column());
    if (!wholeText && app.cellValue.size() > kCellViewerTextCap)
        app.cellValue.resize(kCellViewerTextCap);
    ShowCellViewer(app, this);
}

bool CQuarvelView::HandlesCommand(uint32_t id) const {
    switch (id) {
    case cmd::kNextRow:
    case cmd::kPreviousRow:
    case cmd::kFirstRow:
    case cmd::kLastRow:
    case cmd::kAutoformatByData:
    case cmd::kAutoformatByName:
    case cmd::kAutoformatBoth:
    case cmd::kCopy:
    case cmd::kSelectAll:
    case cmd::kViewCell:
    case cmd::kCommit:
    case cmd::kRollback:
    case cmd::kStopSql:
    case cmd::kServerOutput:
        return true;
    default:
        return false;
    }
}

bool CQuarvelView::OnCommand(uint32_t id) {
    CQuarvelDoc* doc = Document();
    switch (id) {
    case cmd::kNextRow: NextRow(); return true;
    case cmd::kPreviousRow: PreviousRow(); return true;
    case cmd::kFirstRow: FirstRow(); return true;
    case cmd::kLastRow: LastRow(); return true;
    case cmd::kAutoformatByData: SetAutoformat(true, false); return true;
    case cmd::kAutoformatByName: SetAutoformat(false, true); return true;
    case cmd::kAutoformatBoth: SetAutoformat(true, true); return true;
    case cmd::kCopy: CopySelectedRows(); return true;
    case cmd::kSelectAll: SelectAllRows(); return true;
    case cmd::kViewCell: ViewCellData(); return true;
    default: break;
    }
    return doc && RouteSessionCommand(*doc, id);
}

void CQuarvelView::OnScrollAction(int action) {
    Publish();
    QScrollBar* bar = verticalScrollBar();
    if (action != QAbstractSlider::SliderSingleStepAdd || bar->value() < bar->maximum())
        return;
    if (CQuarvelDoc* doc = Document())
        exec::StartBatch(doc->Exec(), 1, true);
}

void CQuarvelView::keyPressEvent(QKeyEvent* event) {
    Publish();
    if (event->matches(QKeySequence::Copy)) {
        CopySelectedRows();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAllRows();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Down: NextRow(); return;
    case Qt::Key_Up: PreviousRow(); return;
    case Qt::Key_End: LastRow(); return;
    case Qt::Key_PageDown:
        if (model_->RowCount() > 0 && LastSelectedRow() == model_->RowCount() - 1) {
            LastRow();
            return;
        }
        QTableView::keyPressEvent(event);
        UpdateStatus();
        return;
    case Qt::Key_PageUp:
    case Qt::Key_Home:
        QTableView::keyPressEvent(event);
        UpdateStatus();
        return;
    default: QTableView::keyPressEvent(event); return;
    }
}

void CQuarvelView::wheelEvent(QWheelEvent* event) {
    Publish();
    QScrollBar* bar = verticalScrollBar();
    if (event->angleDelta().y() < 0 && bar->value() >= bar->maximum() && model_->RowCount() > 0) {
        SelectOnly(model_->RowCount() - 1);
        NextRow();
        event->accept();
        return;
    }
    QTableView::wheelEvent(event);
}

void CQuarvelView::MarkActive() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return;
    doc->State().activePaneKind = kGridActivePane;
    // The main window refreshes its status line for the active pane.
    if (auto* main = dynamic_cast<platform::MessageTarget*>(window()))
        platform::Send(main, SET_STATUS_MESSAGE);
}

void CQuarvelView::mousePressEvent(QMouseEvent* event) {
    Publish();
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        MarkActive();
        lastClick_ = event->position().toPoint();
    }
    QTableView::mousePressEvent(event);
    UpdateStatus();
}

void CQuarvelView::mouseDoubleClickEvent(QMouseEvent* event) {
    lastClick_ = event->position().toPoint();
    ViewCellData();
}

void CQuarvelView::contextMenuEvent(QContextMenuEvent* event) {
    lastClick_ = viewport()->mapFromGlobal(event->globalPos());
    QMenu menu(this);
    QAction* exportRows = menu.addAction(QStringLiteral("Export Rows.."));
    QAction* viewCell = menu.addAction(QStringLiteral("View Cell Data"));
    QAction* copy = menu.addAction(QStringLiteral("Copy                  Ctrl+C"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("&Help Topics"));
    exportRows->setData(kExportRowsEntry);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == viewCell) {
        ViewCellData();
    } else if (chosen == copy) {
        CopySelectedRows();
    } else if (chosen == exportRows) {
        // The entry reaches the grid's export command wherever that is handled.
        for (QWidget* w = parentWidget(); w; w = w->parentWidget())
            if (auto* split = dynamic_cast<CSplitFrame*>(w)) {
                split->Chain().Route(cmd::kExportData);
                break;
            }
    }
}
