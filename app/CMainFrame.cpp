#include "CMainFrame.h"

#include "CHelpWindow.h"
#include "CQuarvelDoc.h"
#include "CSqlLeftView.h"
#include "MessageBox.h"
#include "StringTable.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "CommandIcons.h"
#include "CommandIds.h"
#include "RegisteredMessages.h"
#include "Resources.h"
#include "SyncSend.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QShortcut>
#include <QStyle>
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
        if (popup.items.front().id == cmd::kNewConnection)
            fileMenu_ = menu;
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
    if (!window) {
        // After the last editor window has closed, no session is left to name in the caption.
        QTimer::singleShot(0, this, [this] {
            if (mdi_->subWindowList().isEmpty())
                SetCaptions(QString::fromUtf8(LoadStringResource(res::kMainFrame)));
        });
        return;
    }
    if (!frame || !frame->Document())
        return;
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
    if (menu == fileMenu_)
        FillRecentFiles(menu);
}

void CMainFrame::FillRecentFiles(QMenu* menu) {
    for (QAction* action : recentFileActions_) {
        menu->removeAction(action);
        delete action;
    }
    recentFileActions_.clear();
    const std::vector<std::string>& files = app_->Fields().recentFiles;
    if (files.empty())
        return;
    // The list goes above Exit, after a separator of its own.
    QAction* exit = MenuAction(cmd::kExit);
    QAction* before = nullptr;
    const QList<QAction*> actions = menu->actions();
    for (qsizetype i = 0; i < actions.size(); ++i)
        if (actions[i] == exit)
            before = i > 0 && actions[i - 1]->isSeparator() ? actions[i - 1] : exit;
    const bool editorOpen = ActiveEditor() != nullptr;
    int number = 1;
    for (const std::string& path : files) {
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(number).arg(QString::fromStdString(path)), menu);
        action->setData(cmd::kRecentFileFirst + number - 1);
        action->setEnabled(editorOpen);
        connect(action, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
        menu->insertAction(before, action);
        recentFileActions_.append(action);
        ++number;
    }
    QAction* separator = new QAction(menu);
    separator->setSeparator(true);
    menu->insertAction(before, separator);
    recentFileActions_.append(separator);
}

void CMainFrame::OpenRecentFile(const std::string& path) {
    CSqlMainFrame* editor = ActiveEditor();
    if (!editor || !editor->TextPane())
        return;
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists()) {
        MessageBoxText(path + "\ncannot be opened: the file does not exist.");
        return;
    }
    if (!info.isFile() || !info.isReadable()) {
        MessageBoxText(path + "\ncannot be opened: it is no readable file.");
        return;
    }
    editor->TextPane()->OpenFilePath(path);
}

void CMainFrame::ShowHelp() {
    if (!help_) {
        help_ = new CHelpWindow(this);
        help_->setAttribute(Qt::WA_DeleteOnClose);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void CMainFrame::Cascade() {
    // Each window keeps most of the area, so its text and grid stay usable; each further one moves
    // down and right by a caption's height.
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    if (windows.isEmpty())
        return;
    const QSize area = mdi_->viewport()->size();
    const int step = std::max(20, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const int count = static_cast<int>(windows.size());
    const int shift = std::min(step * (count - 1), area.height() / 2);
    const int each = count > 1 ? shift / (count - 1) : 0;
    int i = 0;
    for (QMdiSubWindow* window : windows) {
        if (window->isMinimized() || window->isMaximized())
            window->showNormal();
        window->setGeometry(each * i, each * i, std::max(200, area.width() - shift), std::max(150, area.height() - shift));
        window->raise();
        ++i;
    }
    if (QMdiSubWindow* active = mdi_->activeSubWindow())
        active->raise();
}

void CMainFrame::Tile() {
    // Tiling may never make the main window larger to fit the windows' wishes.
    const QRect before = geometry();
    const bool maximized = isMaximized();
    mdi_->tileSubWindows();
    if (!maximized && geometry() != before)
        setGeometry(before);
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
    return id == cmd::kExit || id == cmd::kWindowCascade || id == cmd::kWindowTile || id == cmd::kWindowArrange ||
           id == cmd::kHelpTopics;
}

bool CMainFrame::OnCommand(uint32_t id) {
    switch (id) {
    case cmd::kExit:
        // Queued, so that the command's own handler has returned before the windows go.
        QTimer::singleShot(0, this, [this] { close(); });
        return true;
    case cmd::kWindowCascade:
        Cascade();
        return true;
    case cmd::kWindowTile:
        Tile();
        return true;
    case cmd::kHelpTopics:
        ShowHelp();
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
