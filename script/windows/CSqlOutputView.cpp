#include "CSqlOutputView.h"

#include "CQuarvelDoc.h"
#include "CommandIds.h"
#include "ExecCommands.h"
#include "OutputLines.h"
#include "OutputNotices.h"
#include "RegisteredMessages.h"
#include "SyncSend.h"
#include "TimeText.h"
#include "cReportValue.h"

#include <QHeaderView>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int kActivePaneOutput = 5;

constexpr int kPublishIntervalMs = 75;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A row is as high as its lines: the height is counted from the line ends, not laid out, so the list
// measures the rows it shows at the cost of a scan of their text.
class LineRowsDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString text = index.data(Qt::DisplayRole).toString();
        const int lines = 1 + static_cast<int>(text.count(QLatin1Char('\n')));
        const int single = std::max(option.fontMetrics.height(), option.decorationSize.height()) + 2;
        return QSize(option.fontMetrics.horizontalAdvance(text.left(text.indexOf(QLatin1Char('\n')))),
                     single + (lines - 1) * option.fontMetrics.lineSpacing());
    }
};

} // namespace

CSqlOutputView::CSqlOutputView(QWidget* parent) : QTreeView(parent), lines_(new OutputLines(this)) {
    // One column in report mode, without a heading row; long lines are cut at the column's edge and
    // read in full with a double-click.
    setModel(lines_);
    setHeaderHidden(true);
    header()->setStretchLastSection(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    // Rows of notices with several lines are higher. Rows of one height are much cheaper for the
    // view to lay out, so the list keeps them until the first notice of several lines arrives.
    setUniformRowHeights(true);
    setItemDelegate(new LineRowsDelegate(this));
    connect(lines_, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        if (uniformRowHeights() && lines_->HasMultiLineText())
            setUniformRowHeights(false);
    });
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::StyledPanel);
    // The list sits on the colour of three-dimensional faces, like the window around it.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Button));
    colours.setColor(QPalette::AlternateBase, colours.color(QPalette::Button));
    setPalette(colours);
    ResetColumnWidth();
    publish_.setSingleShot(true);
    publish_.setInterval(kPublishIntervalMs);
    connect(&publish_, &QTimer::timeout, this, [this] {
        if (lines_->HasUnpublishedLines())
            PublishLines();
    });
}

CSqlOutputView::~CSqlOutputView() {
    CloseMessages();
}

CQuarvelDoc* CSqlOutputView::Document() const {
    return static_cast<CQuarvelDoc*>(GetDocument());
}

void CSqlOutputView::OnInitialUpdate() {
    // Producers need the handle even while the pane is hidden by the settings.
    if (CQuarvelDoc* doc = Document())
        doc->State().outputWindow = Handle();
}

void CSqlOutputView::showEvent(QShowEvent* event) {
    QTreeView::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        ResetColumnWidth();
    }
}

void CSqlOutputView::ResetColumnWidth() {
    setColumnWidth(0, std::max(viewport()->width() - 20, 20));
}

int CSqlOutputView::LineCount() const {
    return lines_->Count();
}

QString CSqlOutputView::LineText(int row) const {
    return FromUtf8(lines_->Text(row));
}

void CSqlOutputView::PublishLines() {
    lines_->Publish();
    scrollToBottom();
    publish_.start();
}

intptr_t CSqlOutputView::HandleRegisteredMessage(uint32_t id) {
    if (id == SQL_OUTPUT_MESSAGE)
        AddNotice();
    return 0;
}

void CSqlOutputView::AddNotice() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return;
    exec::StatementState& state = doc->State();
    script::NoticeInput notice;
    notice.prefix = script::OutputLinePrefix(script::LocalTimeNow());
    // Only what the list keeps of a line is copied, however long the text (a huge statement).
    notice.outputText = std::string(CutUtf8(state.outputText, kCellTextLimit));
    notice.pendingChanges = state.pendingChanges;
    notice.serverOutputOn = state.serverOutputOn;
    notice.serverOutputLines = &state.serverOutputLines;
    const script::NoticePlan plan = script::PlanNotice(LineCount(), nextIndex_, notice);

    if (plan.firstNotice)
        ResetColumnWidth();
    for (const script::NoticeLine& line : plan.lines)
        lines_->Insert(line.index, line.text);
    nextIndex_ = plan.nextIndex;
    if (plan.clearSelection)
        clearSelection();
    // The first line of a burst shows at once, the rest when the timer runs out.
    if (!publish_.isActive())
        PublishLines();
    platform::Send(state.frameWindow, SB_SQL_STATUS_MESSAGE);
}

bool CSqlOutputView::HandlesCommand(uint32_t id) const {
    return id == cmd::kCommit || id == cmd::kRollback;
}

bool CSqlOutputView::OnCommand(uint32_t id) {
    if (id == cmd::kCommit) {
        OnCommit();
        return true;
    }
    if (id == cmd::kRollback) {
        OnRollback();
        return true;
    }
    return false;
}

void CSqlOutputView::OnCommit() {
    if (CQuarvelDoc* doc = Document())
        RouteSessionCommand(*doc, cmd::kCommit, "[+]: ");
}

void CSqlOutputView::OnRollback() {
    if (CQuarvelDoc* doc = Document())
        RouteSessionCommand(*doc, cmd::kRollback, "[+]: ");
}

void CSqlOutputView::MarkActive(bool notifyMainWindow) {
    CQuarvelDoc* doc = Document();
    if (doc)
        doc->State().activePaneKind = kActivePaneOutput;
    if (!notifyMainWindow)
        return;
    // The main window refreshes its status line for the active pane.
    if (auto* main = dynamic_cast<platform::MessageTarget*>(window()))
        platform::Send(main, SET_STATUS_MESSAGE);
}

void CSqlOutputView::focusInEvent(QFocusEvent* event) {
    MarkActive(false);
    QTreeView::focusInEvent(event);
}

void CSqlOutputView::mousePressEvent(QMouseEvent* event) {
    MarkActive(true);
    QTreeView::mousePressEvent(event);
}

void CSqlOutputView::CopySelectedLines() {
    QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList texts;
    for (const QModelIndex& row : rows)
        texts << FromUtf8(lines_->Text(row.row()));
    if (!texts.isEmpty())
        QGuiApplication::clipboard()->setText(texts.join(QLatin1Char('\n')));
}

void CSqlOutputView::ClearLines() {
    publish_.stop();
    lines_->Clear();
    setUniformRowHeights(true);
    nextIndex_ = 0;
}

void CSqlOutputView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("OutputMenu"));
    QAction* copy = menu.addAction(QStringLiteral("Copy\tCtrl+C"));
    copy->setEnabled(selectionModel() && selectionModel()->hasSelection());
    QAction* clear = menu.addAction(QStringLiteral("Clear"));
    clear->setEnabled(LineCount() > 0);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == copy)
        CopySelectedLines();
    else if (chosen == clear)
        ClearLines();
    event->accept();
}

void CSqlOutputView::mouseDoubleClickEvent(QMouseEvent* event) {
    MarkActive(false);
    event->accept();
    const QModelIndex line = indexAt(event->position().toPoint());
    CQuarvelDoc* doc = Document();
    if (!line.isValid() || !doc)
        return;
    ApplicationFields& app = doc->App();
    app.cellColumnName = kColumnHeading;
    app.cellValue = std::string(CutUtf8(lines_->Text(line.row()), kCellTextLimit));
    ShowCellViewer(app, this);
}
