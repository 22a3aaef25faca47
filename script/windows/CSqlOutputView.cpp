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
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kActivePaneOutput = 5;

constexpr int kPublishIntervalMs = 75;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

CSqlOutputView::CSqlOutputView(QWidget* parent) : QTreeView(parent), lines_(new OutputLines(this)) {
    // One column in report mode, without a heading row; long lines are cut at the column's edge and
    // read in full with a double-click.
    setModel(lines_);
    setHeaderHidden(true);
    header()->setStretchLastSection(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
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
