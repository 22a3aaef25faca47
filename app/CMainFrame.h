// The main window: menu 110, accelerator table 110 and the area that holds the editor windows. It has
// no tool bar and no status bar of its own. Commands from the menu and the accelerators go to the
// active editor window's routing chain, or to this window and the application when none is active.
#pragma once

#include "CCmdTarget.h"
#include "MessageTarget.h"

#include <QMainWindow>
#include <QPointer>

#include <string>

#include <map>

#include "CHelpWindow.h"
class CTavrelApp;
class CSqlMainFrame;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QShortcut;

class CMainFrame : public QMainWindow, public CCmdTarget, public platform::MessageTarget {
public:
    explicit CMainFrame(CTavrelApp* app);
    ~CMainFrame() override;

    CTavrelApp* Application() const { return app_; }
    QMdiArea* MdiArea() const { return mdi_; }
    CSqlMainFrame* ActiveEditor() const;
    QList<CSqlMainFrame*> Editors() const;
    void AddEditor(CSqlMainFrame* frame);

    // Sets the caption of this window and of the active editor window.
    void SetCaptions(const QString& caption);

    CommandChain Chain();
    bool RouteCommand(uint32_t id);
    bool IsCommandEnabled(uint32_t id);
    void UpdateCommandUI();
    QAction* MenuAction(uint32_t id) const;
    // The help window once Help Topics (F1) has opened it.
    CHelpWindow* HelpWindow() const { return help_; }

    bool OnCommand(uint32_t id) override;
    bool HandlesCommand(uint32_t id) const override;
    intptr_t HandleRegisteredMessage(uint32_t id) override;
    // How many SET_STATUS_MESSAGE notices arrived (the main window has no handler for them).
    int StatusNoticesReceived() const { return statusNotices_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenu();
    void BuildAccelerators();
    void UpdateMenu(QMenu* menu);
    void FillWindowList(QMenu* menu);
    void OnChildActivated(QMdiSubWindow* window);
    void ArrangeIcons();
    void Cascade();
    void Tile();
    void ShowHelp();
    void FillRecentFiles(QMenu* menu);
    void OpenRecentFile(const std::string& path);

    CTavrelApp* app_;
    QMdiArea* mdi_;
    QMenu* windowMenu_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QList<QAction*> recentFileActions_;
    QPointer<CHelpWindow> help_;
    std::map<uint32_t, QAction*> menuActions_;
    QList<QAction*> windowListActions_;
    int statusNotices_ = 0;
    QString caption_;
    bool settingCaption_ = false;
};
