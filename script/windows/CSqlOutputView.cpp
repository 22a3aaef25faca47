#include "CSqlOutputView.h"

#include "CQuarvelDoc.h"
#include "CommandIds.h"
#include "ExecCommands.h"
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

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// At most `limit` bytes of UTF-8, never ending inside a character.
std::string CutUtf8(std::string text, size_t limit) {
    if (text.size() <= limit)
        return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

} // namespace

CSqlOutputView::CSqlOutputView(QWidget* parent) : QTreeWidget(parent) {
    // One column in report mode, without a heading row; long lines are cut at the column's edge and
    // read in full with a double-click.
    setColumnCount(1);
    setHeaderLabels({QString::fromLatin1(kColumnHeading)});
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
    QTreeWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        ResetColumnWidth();
    }
}

void CSqlOutputView::ResetColumnWidth() {
    setColumnWidth(0, std::max(viewport()->width() - 20, 20));
}

QString CSqlOutputView::LineText(int row) const {
    const QTreeWidgetItem* line = topLevelItem(row);
    return line ? line->text(0) : QString();
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
    notice.outputText = state.outputText;
    notice.pendingChanges = state.pendingChanges;
    notice.serverOutputOn = state.serverOutputOn;
    notice.serverOutputLines = &state.serverOutputLines;
    const script::NoticePlan plan = script::PlanNotice(LineCount(), nextIndex_, notice);

    if (plan.firstNotice)
        ResetColumnWidth();
    for (const script::NoticeLine& line : plan.lines) {
        auto* item = new QTreeWidgetItem(QStringList{FromUtf8(line.text)});
        insertTopLevelItem(std::clamp(line.index, 0, LineCount()), item);
    }
    nextIndex_ = plan.nextIndex;
    if (plan.clearSelection)
        clearSelection();
    scrollToBottom();
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
    QTreeWidget::focusInEvent(event);
}

void CSqlOutputView::mousePressEvent(QMouseEvent* event) {
    MarkActive(true);
    QTreeWidget::mousePressEvent(event);
}

void CSqlOutputView::mouseDoubleClickEvent(QMouseEvent* event) {
    MarkActive(false);
    event->accept();
    QTreeWidgetItem* line = itemAt(event->position().toPoint());
    CQuarvelDoc* doc = Document();
    if (!line || !doc)
        return;
    ApplicationFields& app = doc->App();
    app.cellColumnName = kColumnHeading;
    app.cellValue = CutUtf8(line->text(0).toStdString(), kCellTextLimit);
    ShowCellViewer(app, this);
}
