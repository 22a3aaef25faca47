#include "CMainFrame.h"

#include "CQuarvelDoc.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "CommandIcons.h"
#include "CommandIds.h"
#include "RegisteredMessages.h"
#include "Resources.h"
#include "SyncSend.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>

namespace {

// The text menu 110 gives a command.
QString MenuResourceText(uint32_t id) {
    for (const MenuPopup& popup : MainMenu())
        for (const MenuItem& item : popup.items)
            if (item.id == id)
                return QString::fromUtf8(item.text);
    return QString();
}

} // namespace

CMainFrame::CMainFrame(CTavrelApp* app) : app_(app) {
    setWindowIcon(ApplicationIcon());
    mdi_ = new QMdiArea(this);
    mdi_->setViewMode(QMdiArea::SubWindowView);
    mdi_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, false);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) { OnChildActivated(w); });
    BuildMenu();
    BuildAccelerators();
    // The framework's idle update: tool-bar buttons follow the enabling rules.
    auto* idle = new QTimer(this);
    idle->setInterval(100);
    connect(idle, &QTimer::timeout, this, [this] { UpdateCommandUI(); });
    idle->start();
    resize(1024, 768);
}

CMainFrame::~CMainFrame() {
    CloseMessages();
    disconnect(mdi_, nullptr, this, nullptr); // no activation notices while the editors go
    // Editor windows go first: each stops its worker and logs its session off.
    for (QMdiSubWindow* window : mdi_->subWindowList())
        delete window;
}

void CMainFrame::BuildMenu() {
    for (const MenuPopup& popup : MainMenu()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.title));
        for (const MenuItem& item : popup.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(item.text));
            const uint32_t id = item.id;
            action->setData(id);
            connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
            menuActions_[id] = action;
        }
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
        if (popup.items.front().id == cmd::kWindowCascade)
            windowMenu_ = menu;
    }
}

void CMainFrame::BuildAccelerators() {
    for (const Accelerator& accelerator : MainAccelerators()) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromUtf8(accelerator.keys), QKeySequence::PortableText), this);
        shortcut->setContext(Qt::WindowShortcut);
        const uint32_t id = accelerator.id;
        // The table takes the key even when its command does nothing here.
        connect(shortcut, &QShortcut::activated, this, [this, id] { RouteCommand(id); });
        connect(shortcut, &QShortcut::activatedAmbiguously, this, [this, id] { RouteCommand(id); });
    }
}

CSqlMainFrame* CMainFrame::ActiveEditor() const {
    return dynamic_cast<CSqlMainFrame*>(mdi_->activeSubWindow());
}

QList<CSqlMainFrame*> CMainFrame::Editors() const {
    QList<CSqlMainFrame*> editors;
    for (QMdiSubWindow* window : mdi_->subWindowList())
        if (auto* frame = dynamic_cast<CSqlMainFrame*>(window))
            editors.append(frame);
    return editors;
}

void CMainFrame::AddEditor(CSqlMainFrame* frame) {
    mdi_->addSubWindow(frame);
    frame->show();
    mdi_->setActiveSubWindow(frame);
}

void CMainFrame::SetCaptions(const QString& caption) {
    caption_ = caption;
    setWindowTitle(caption);
    if (CSqlMainFrame* active = ActiveEditor())
        active->setWindowTitle(caption);
}

void CMainFrame::OnChildActivated(QMdiSubWindow* window) {
    auto* frame = dynamic_cast<CSqlMainFrame*>(window);
    if (!frame || !frame->Document())
        return; // no editor active any more: captions stay as they are
    SetCaptions(QString::fromStdString(frame->Document()->WindowTitle()));
    platform::Send(this, SET_STATUS_MESSAGE);
    UpdateCommandUI();
}

CommandChain CMainFrame::Chain() {
    if (CSqlMainFrame* active = ActiveEditor())
        return active->Chain();
    return CommandChain{this, app_};
}

bool CMainFrame::RouteCommand(uint32_t id) {
    const bool ran = Chain().Route(id);
    UpdateCommandUI();
    return ran;
}

bool CMainFrame::IsCommandEnabled(uint32_t id) {
    return Chain().IsEnabled(id);
}

void CMainFrame::UpdateCommandUI() {
    if (CSqlMainFrame* active = ActiveEditor())
        active->UpdateCommandUI();
}

QAction* CMainFrame::MenuAction(uint32_t id) const {
    auto it = menuActions_.find(id);
    return it == menuActions_.end() ? nullptr : it->second;
}

void CMainFrame::UpdateMenu(QMenu* menu) {
    const CommandChain chain = Chain();
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->data().isValid() || windowListActions_.contains(action))
            continue;
        const uint32_t id = action->data().toUInt();
        action->setEnabled(chain.IsEnabled(id));
        // A target may name the item after what it would do now (Undo, Redo); otherwise the item
        // keeps the menu's own text.
        const std::optional<std::string> text = chain.Text(id);
        action->setText(text ? QString::fromStdString(*text) : MenuResourceText(id));
    }
    if (menu == windowMenu_)
        FillWindowList(menu);
}

void CMainFrame::FillWindowList(QMenu* menu) {
    for (QAction* action : windowListActions_) {
        menu->removeAction(action);
        delete action;
    }
    windowListActions_.clear();
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    if (windows.isEmpty())
        return;
    windowListActions_.append(menu->addSeparator());
    int number = 1;
    for (QMdiSubWindow* window : windows) {
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(window->windowTitle()));
        action->setCheckable(true);
        action->setChecked(window == mdi_->activeSubWindow());
        QPointer<QMdiSubWindow> target(window);
        connect(action, &QAction::triggered, this, [this, target] {
            if (target)
                mdi_->setActiveSubWindow(target);
        });
        windowListActions_.append(action);
    }
}

void CMainFrame::ArrangeIcons() {
    // Minimized editor windows line up along the bottom edge, left to right.
    int x = 0;
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        if (!window->isMinimized())
            continue;
        const QSize size = window->size();
        window->move(x, mdi_->viewport()->height() - size.height());
        x += size.width();
    }
}

bool CMainFrame::HandlesCommand(uint32_t id) const {
    return id == cmd::kExit || id == cmd::kWindowCascade || id == cmd::kWindowTile || id == cmd::kWindowArrange;
}

bool CMainFrame::OnCommand(uint32_t id) {
    switch (id) {
    case cmd::kExit:
        // Queued, so that the command's own handler has returned before the windows go.
        QTimer::singleShot(0, this, [this] { close(); });
        return true;
    case cmd::kWindowCascade:
        mdi_->cascadeSubWindows();
        return true;
    case cmd::kWindowTile:
        mdi_->tileSubWindows();
        return true;
    case cmd::kWindowArrange:
        ArrangeIcons();
        return true;
    default:
        return false;
    }
}

intptr_t CMainFrame::HandleRegisteredMessage(uint32_t id) {
    if (id == SET_STATUS_MESSAGE)
        ++statusNotices_;
    return 0;
}

void CMainFrame::changeEvent(QEvent* event) {
    // The editor area appends " - [child caption]" to this caption while a child is maximized; the
    // program's captions are exact, so the set caption is put back.
    if (event->type() == QEvent::WindowTitleChange && !settingCaption_ && !caption_.isNull() &&
        windowTitle() != caption_) {
        settingCaption_ = true;
        setWindowTitle(caption_);
        settingCaption_ = false;
    }
    QMainWindow::changeEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Each editor window asks about its own text; one Cancel keeps the program running.
    mdi_->closeAllSubWindows();
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        if (!window->isHidden()) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}
