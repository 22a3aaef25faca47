#include "CSqlMainFrame.h"

#include "CCommandToolBar.h"
#include "CMainFrame.h"
#include "CNoGripStatusBar.h"
#include "CPaneSplitter.h"
#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CSqlLeftView.h"
#include "CSqlOutputView.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "CommandRules.h"
#include "ExecWindowHost.h"
#include "ExportCommand.h"
#include "IniSettingsKey.h"
#include "KeyboardLocks.h"
#include "ProgramSettings.h"
#include "RegisteredMessages.h"
#include "StatusTexts.h"
#include "SessionCommands.h"
#include "StringTable.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTimer>

CSqlMainFrame* CSqlMainFrame::Create(std::unique_ptr<CQuarvelDoc> doc, CMainFrame* mainFrame) {
    if (!doc)
        return nullptr;
    auto* frame = new CSqlMainFrame(std::move(doc), mainFrame);
    if (!frame->Build()) {
        delete frame;
        return nullptr;
    }
    return frame;
}

CSqlMainFrame::CSqlMainFrame(std::unique_ptr<CQuarvelDoc> doc, CMainFrame* mainFrame)
    : doc_(std::move(doc)), mainFrame_(mainFrame) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QApplication::windowIcon());
}

CSqlMainFrame::~CSqlMainFrame() {
    CloseMessages();
    // Focus moves while the panes go; nothing may be tracked from here on.
    QObject::disconnect(focusTracking_);
    if (doc_)
        doc_->SetModifiedListener({});
    if (doc_)
        doc_->StopWorker(); // when closed without a close event (the program ends)
    if (!statusWritten_)
        WriteWindowStatus();
    // Views go before the document they show.
    activeView_ = nullptr;
    delete area_;
    area_ = nullptr;
    doc_.reset();
}

bool CSqlMainFrame::Build() {
    area_ = new QMainWindow(this);
    area_->setWindowFlags(Qt::Widget);
    area_->installEventFilter(this);
    setWidget(area_);

    // 1. Tool bars; button 312 is a toggle.
    auto route = [this](uint32_t id) { RouteCommand(id); };
    toolBar1_ = new CCommandToolBar(res::kToolBarMain, route, area_);
    toolBar2_ = new CCommandToolBar(res::kToolBarCommit, route, area_);
    if (QAction* serverOutput = toolBar1_->Action(cmd::kServerOutput))
        serverOutput->setCheckable(true);

    // 2. Status bar: message pane, report pane (stretch), server output, then the lock indicators.
    statusBar_ = new widgets::CNoGripStatusBar(area_);
    statusBar_->AddPane(350, QString::fromUtf8(LoadStringResource(strings::kIdle)));
    statusBar_->AddPane(widgets::CNoGripStatusBar::kStretch, QString());
    statusBar_->AddPane(130, QString::fromUtf8(kServerOutputOff));
    statusBar_->AddIndicator(QStringLiteral("CAP"));
    statusBar_->AddIndicator(QStringLiteral("NUM"));
    statusBar_->AddIndicator(QStringLiteral("SCRL"));
    statusBar_->AddPane(110, QStringLiteral("Ln 1, Col 1"));
    statusBar_->AddPane(50, QString());
    statusBar_->AddIndicator(QStringLiteral("OVR"));
    area_->setStatusBar(statusBar_);

    // 3. Both tool bars at the top, the second on the same row right of the first.
    area_->addToolBar(Qt::TopToolBarArea, toolBar1_);
    area_->addToolBar(Qt::TopToolBarArea, toolBar2_);

    // 4. Client area: outer splitter (SQL text and output list over the grid frame).
    outer_ = new widgets::CPaneSplitter(Qt::Vertical, widgets::KeepPane::First, 300, 3, area_);
    inner_ = new widgets::CPaneSplitter(Qt::Vertical, widgets::KeepPane::Second, 48, 1, outer_);
    splitFrame_ = new CSplitFrame(doc_.get(), outer_);
    splitFrame_->SetOuterTarget(this);
    splitFrame_->setObjectName(QStringLiteral("Pane%1").arg(res::kPaneResult));
    textPane_ = new CSqlLeftView(inner_);
    textPane_->setObjectName(QStringLiteral("Pane%1").arg(res::kPaneSqlText));
    outputView_ = new CSqlOutputView(inner_);
    outputView_->setObjectName(QStringLiteral("Pane%1").arg(res::kPaneOutput));
    inner_->SetPanes(textPane_, outputView_);
    outer_->SetPanes(inner_, splitFrame_);
    area_->setCentralWidget(outer_);
    doc_->AddView(textPane_);
    doc_->AddView(outputView_);
    textPane_->OnInitialUpdate();
    outputView_->OnInitialUpdate();
    connect(textPane_, &editor::CTextView::StatusChanged, this, [this] { UpdateTextStatus(); });
    UpdateTextStatus();

    // 6. Record the frame and the window side of execution; initial pane visibility.
    doc_->SetFrame(this, Handle());
    doc_->SetModifiedListener([this](bool modified) { ShowModifiedMark(modified); });
    doc_->Exec().host = std::make_shared<ExecWindowHost>(this);
    if (doc_->Settings().showSqlOutputWindow == 0)
        HideOutputPane();
    HideResultPane();

    focusTracking_ =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { TrackFocus(now); });
    // 7. Timer 112: once the window is up, focus the SQL text and maximize.
    QTimer::singleShot(1, this, [this] { OnActivateTimer(); });
    UpdateCommandUI();
    return true;
}

void CSqlMainFrame::OnActivateTimer() {
    SetActiveView(textPane_);
    textPane_->setFocus(Qt::OtherFocusReason);
    showMaximized();
}

void CSqlMainFrame::UpdateTextStatus() {
    if (!textPane_ || !statusBar_)
        return;
    statusBar_->SetPaneText(kPositionPane, QString::fromStdString(textPane_->PositionStatusText()));
    statusBar_->SetPaneText(kEolPane, QString::fromStdString(textPane_->EolStatusText()));
    statusBar_->SetIndicator(kOverwritePane, textPane_->OverwriteStatusEnabled());
}

void CSqlMainFrame::HideResultPane() {
    outer_->HidePane(1);
}

void CSqlMainFrame::ShowResultPane() {
    outer_->ShowPane(1);
}

void CSqlMainFrame::HideOutputPane() {
    inner_->HidePane(1);
}

void CSqlMainFrame::ShowOutputPane() {
    inner_->ShowPane(1);
}

void CSqlMainFrame::SetActiveView(CView* view) {
    activeView_ = view;
    UpdateCommandUI();
}

void CSqlMainFrame::TrackFocus(QWidget* now) {
    for (QWidget* w = now; w; w = w->parentWidget()) {
        if (w == textPane_)
            return SetActiveView(textPane_);
        if (w == outputView_)
            return SetActiveView(outputView_);
        if (splitFrame_ && w == splitFrame_->Grid())
            return SetActiveView(splitFrame_->Grid());
        if (w == this)
            return;
    }
}

CCommandToolBar* CSqlMainFrame::ToolBar(uint32_t resourceId) const {
    if (resourceId == res::kToolBarMain)
        return toolBar1_;
    if (resourceId == res::kToolBarCommit)
        return toolBar2_;
    if (resourceId == res::kToolBarGrid && splitFrame_)
        return splitFrame_->ToolBar();
    return nullptr;
}

CommandChain CSqlMainFrame::Chain() {
    CommandChain chain{activeView_, doc_.get(), this};
    if (mainFrame_) {
        chain.Append(mainFrame_);
        chain.Append(mainFrame_->Application());
    }
    return chain;
}

bool CSqlMainFrame::RouteCommand(uint32_t id) {
    const bool ran = Chain().Route(id);
    if (mainFrame_)
        mainFrame_->UpdateCommandUI();
    return ran;
}

void CSqlMainFrame::UpdateCommandUI() {
    if (!toolBar1_)
        return;
    const CommandChain chain = Chain();
    toolBar1_->UpdateEnabled(chain);
    toolBar2_->UpdateEnabled(chain);
    if (splitFrame_)
        splitFrame_->UpdateCommandUI();
    const platform::KeyboardLocks locks = platform::QueryKeyboardLocks();
    statusBar_->SetIndicator(kCapsPane, locks.caps);
    statusBar_->SetIndicator(kNumPane, locks.num);
    statusBar_->SetIndicator(kScrollPane, locks.scroll);
}

std::optional<bool> CSqlMainFrame::CommandEnabled(uint32_t id) const {
    return SqlMainFrameRule(id, doc_ && doc_->IsWorkerRunning());
}

namespace {
// The file commands and Execute Statement belong to the text, wherever the focus is: with the grid
// or the output list active the frame hands them to the text pane.
bool IsTextPaneCommand(uint32_t id) {
    return id == cmd::kOpenFile || id == cmd::kSaveFile || id == cmd::kSaveFileAs || id == cmd::kExecuteStatement;
}
} // namespace

bool CSqlMainFrame::HandlesCommand(uint32_t id) const {
    if (IsTextPaneCommand(id))
        return textPane_ != nullptr;
    return id == cmd::kExportData && splitFrame_ != nullptr;
}

bool CSqlMainFrame::OnCommand(uint32_t id) {
    if (IsTextPaneCommand(id) && textPane_)
        return textPane_->OnCommand(id);
    if (id != cmd::kExportData || !splitFrame_)
        return false;
    ExportGridRows(*splitFrame_->Grid());
    return true;
}

intptr_t CSqlMainFrame::HandleRegisteredMessage(uint32_t id) {
    if (!doc_)
        return 0;
    exec::StatementState& state = doc_->State();
    if (id == SB_SQL_STATUS_MESSAGE) {
        statusBar_->SetPaneText(kStatusPane, QString::fromStdString(
                                                 StatusPaneText(doc_->Settings().showSqlOutputWindow, state.outputText)));
    } else if (id == SQL_REPORT_STATUS) {
        statusBar_->SetPaneText(kReportPane, QString::fromStdString(state.resultCaptionText));
    } else if (id == SB_SQL_SERVER_OUTPUT_MESSAGE) {
        statusBar_->SetPaneText(kServerOutputPane, QString::fromStdString(ServerOutputPaneText(state.serverOutputOn)));
    }
    // SB_SQL_ROWS_MESSAGE and every other id: nothing to do.
    return 0;
}

bool CSqlMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // Pane 0 is the message pane: a tool-bar button's status prompt while the pointer rests on it,
    // the idle text afterwards.
    if (watched == area_ && event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        statusBar_->SetPaneText(kStatusPane, tip.isEmpty() ? QString::fromUtf8(LoadStringResource(strings::kIdle)) : tip);
        return true;
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void CSqlMainFrame::closeEvent(QCloseEvent* event) {
    // A close that arrives while this one waits for the worker (or after it was accepted) changes nothing.
    if (closing_) {
        event->ignore();
        return;
    }
    if (askingToClose_) {
        event->ignore();
        return;
    }
    askingToClose_ = true;
    const bool mayClose = AskToSaveModified() && AskToEndTransaction();
    askingToClose_ = false;
    if (!mayClose) {
        event->ignore();
        return;
    }
    closing_ = true;
    if (doc_)
        doc_->StopWorker();
    WriteWindowStatus();
    QMdiSubWindow::closeEvent(event);
}

bool CSqlMainFrame::AskToSaveModified() {
    if (!doc_)
        return true;
    CDocument::CloseHooks hooks;
    hooks.ask = [this](const std::string& question) {
        const auto answer = QMessageBox::question(this, QStringLiteral("Quarvel"), QString::fromStdString(question),
                                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                                  QMessageBox::Yes);
        return answer == QMessageBox::Yes ? CDocument::SaveAnswer::Yes
               : answer == QMessageBox::No ? CDocument::SaveAnswer::No
                                           : CDocument::SaveAnswer::Cancel;
    };
    hooks.choosePath = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), QStringLiteral("Untitled"),
                                            QStringLiteral("All Files (*)"))
            .toStdString();
    };
    return doc_->SaveModified(hooks);
}

void CSqlMainFrame::ShowModifiedMark(bool modified) {
    QString caption = windowTitle();
    if (caption.endsWith(QLatin1Char('*')))
        caption.chop(1);
    if (modified)
        caption += QLatin1Char('*');
    if (caption != windowTitle())
        setWindowTitle(caption);
}

bool CSqlMainFrame::AskToEndTransaction() {
    if (!doc_ || doc_->State().uncommittedWork == 0 || !doc_->Session() || doc_->Session()->IsConnected() != 1)
        return true;
    // Ending the session would decide for the user: a real client commits, other clients roll back.
    const QString question = QStringLiteral("Commit the pending changes of %1@%2?")
                                 .arg(QString::fromStdString(doc_->UserName()),
                                      QString::fromStdString(doc_->ConnectString()));
    QMessageBox box(QMessageBox::Question, QStringLiteral("Quarvel"), question, QMessageBox::NoButton, this);
    QPushButton* commit = box.addButton(QStringLiteral("&Commit"), QMessageBox::AcceptRole);
    QPushButton* rollback = box.addButton(QStringLiteral("&Rollback"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(commit);
    box.setEscapeButton(cancel);
    box.exec();
    const QAbstractButton* chosen = box.clickedButton();
    if (chosen != commit && chosen != rollback)
        return false;
    const exec::SessionCommand command = chosen == commit ? exec::SessionCommand::Commit : exec::SessionCommand::Rollback;
    // A statement or script still running is stopped first: the window is going, and the answer
    // covers what it has done so far.
    if (doc_->IsWorkerRunning())
        doc_->StopWorker();
    const exec::Outcome outcome = exec::RunSessionCommand(doc_->Exec(), command);
    if (outcome == exec::Outcome::Started)
        return true;
    // The changes are still pending (the output list says why): the window stays, so that nothing is
    // decided behind the user's back.
    ShowOutputPane();
    if (outcome == exec::Outcome::Refused)
        QMessageBox::warning(this, QStringLiteral("Quarvel"),
                             QStringLiteral("A statement is running: stop it before closing the window."));
    return false;
}

void CSqlMainFrame::WriteWindowStatus() {
    statusWritten_ = true;
    if (auto key = platform::IniSettingsKey::OpenProgramCreating())
        platform::WriteChildWndStatus(*key, isMaximized()); // a failure is of no consequence
}
