// The program as the editor-window tests start it: a fresh settings folder, start-up with the connect
// dialog cancelled, and editor windows opened without a database session. With the helpers that
// answer the program's message dialog.
#pragma once

#include "CMainFrame.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "GuiTestSupport.h"
#include "IniSettingsKey.h"
#include "cMsgDialog.h"
#include "cSqlConnect.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <memory>
#include <string>

// Starts `app` as on a desktop: the connect dialog that opens first is cancelled.
inline void StartCancellingConnect(CTavrelApp& app) {
    ModalDriver driver;
    driver.Then(Is<cSqlConnect>, [](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
    app.InitInstance();
}

// Opens a maximized editor window on a new session of DEMO/demo on `connect`, remembered as the last
// logon; null, with the reason on stderr, when the logon fails.
inline CSqlMainFrame* OpenDemoEditor(CTavrelApp& app, const std::string& connect) {
    app.Fields().pendingConnection = std::make_unique<DBConnect>();
    try {
        app.Fields().pendingConnection->Logon("DEMO", "demo", connect.c_str());
    } catch (const DBConnect::OtherException&) {
        std::fprintf(stderr, "logon failed: %s\n", app.Fields().pendingConnection->ErrorText());
        return nullptr;
    }
    app.Fields().lastUserName = "DEMO";
    app.Fields().lastConnectString = connect;
    CSqlMainFrame* frame = app.OpenNewDocument();
    (void)QTest::qWaitFor([frame] { return frame->isMaximized(); }, 5000);
    return frame;
}

struct Started {
    ConfigDir config;
    std::unique_ptr<CTavrelApp> app = std::make_unique<CTavrelApp>();
    Started() { StartCancellingConnect(*app); }
    CMainFrame* Main() const { return app->MainFrame(); }
    CSqlMainFrame* Open() {
        CSqlMainFrame* frame = app->OpenNewDocument();
        (void)QTest::qWaitFor([frame] { return frame->isMaximized(); }, 5000); // timer 112
        return frame;
    }
    // An editor window with its main window active and the text pane focused, ready for keys.
    CSqlMainFrame* OpenFocused() {
        CSqlMainFrame* frame = Open();
        Activate();
        (void)QTest::qWaitFor([frame] { return frame->TextPane()->hasFocus(); }, 5000);
        return frame;
    }
    // The offscreen platform gives the activation back to no window when a dialog closes (a window
    // manager would give it to the main window): the window's keys need it back.
    void Activate() {
        Main()->activateWindow();
        (void)QTest::qWaitFor([this] { return QApplication::activeWindow() == Main(); }, 5000);
    }
    void WriteSetting(const char* name, const char* value) const {
        auto key = platform::IniSettingsKey::OpenProgramCreating();
        key->Write(name, value);
    }
    // The item of menu `title` for `id`, with texts and states as the menu shows them when it opens.
    QAction* MenuItem(const char* title, uint32_t id) const {
        for (QAction* a : Main()->menuBar()->actions())
            if (a->text() == QString::fromUtf8(title))
                emit a->menu()->aboutToShow();
        return Main()->MenuAction(id);
    }
    QAction* EditItem(uint32_t id) const { return MenuItem("&Edit", id); }
};

// The text the message dialog shows, and its buttons.
inline QString MessageText(QWidget* box) {
    return box->findChild<QPlainTextEdit*>(QString::number(cMsgDialog::kTextId))->toPlainText();
}

inline void ClickButton(QWidget* dialog, int id) {
    dialog->findChild<QPushButton*>(QString::number(id))->click();
}

inline void Reject(QWidget* w) {
    static_cast<QDialog*>(w)->reject();
}
