// One started program with an editor window logged on as DEMO to a fresh embedded database, driven
// through its real widgets: the window tests of execution, scripts, plans and export share it.
#pragma once

#include "CMainFrame.h"
#include "CNoGripStatusBar.h"
#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CSqlOutputView.h"
#include "CTavrelApp.h"
#include "GuiTestSupport.h"
#include "IniSettingsKey.h"
#include "ResultModel.h"
#include "SecondSession.h"
#include "StartedProgram.h"
#include "cSqlConnect.h"

#include <QApplication>
#include <QClipboard>
#include <QRegularExpression>
#include <QtTest>

#include <memory>
#include <string>

// Table t holds ids 1 to 60 with names "n<id>", every fourth NULL; `big` adds table big of
// 216,000 rows.
struct TestEditor {
    ConfigDir config;
    TestDatabase db;
    std::unique_ptr<DBConnect> admin;
    std::unique_ptr<CTavrelApp> app;
    CSqlMainFrame* frame = nullptr;
    CQuarvelDoc* doc = nullptr;
    CQuarvelView* grid = nullptr;
    CSqlLeftView* pane = nullptr;

    explicit TestEditor(bool big = false, const char* saveHistory = "0", const char* firstFetch = "50") {
        platform::IniSettingsKey::OpenProgramCreating()->Write("SaveSqlHistory", saveHistory);
        platform::IniSettingsKey::OpenProgramCreating()->Write("SQLFirstFetchCount", firstFetch);
        admin = std::make_unique<DBConnect>();
        admin->Logon("DEMO", "demo", db.Path().c_str());
        Admin("create table t (id number, name varchar2(20))");
        for (int i = 1; i <= 60; ++i)
            Admin("insert into t values (" + std::to_string(i) + ", " +
                  (i % 4 == 0 ? std::string("NULL") : "'n" + std::to_string(i) + "'") + ")");
        if (big) {
            Admin("create table big (id number, name varchar2(20))");
            Admin("insert into big select a.id * 10000 + b.id * 100 + c.id, 'row' from t a, t b, t c");
        }
        Admin("commit");
        app = std::make_unique<CTavrelApp>();
        StartCancellingConnect(*app);
        frame = OpenDemoEditor(*app, db.Path());
        doc = frame->Document();
        grid = frame->SplitFrame()->Grid();
        pane = frame->TextPane();
    }

    void Admin(const std::string& sql) { RunOnSession(*admin, sql); }
    int CountOnSecondSession(const std::string& where) { return ::CountOnSecondSession(db.Path(), where); }

    // Types the statement into the text pane (lines separated by Return), selects it and presses F9.
    void Type(const QString& sql) {
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Delete);
        const QStringList lines = sql.split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            if (i)
                QTest::keyClick(pane, Qt::Key_Return);
            QTest::keyClicks(pane, lines[i]);
        }
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
    }
    // Pastes a script into the emptied text pane and selects it (typing would indent its lines).
    void Paste(const QString& text) {
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Delete);
        QApplication::clipboard()->setText(text);
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
    }
    void PressF9() { QTest::keyClick(pane, Qt::Key_F9); }
    // A command of the grid's tool bar (the grid handles Commit, Rollback, Stop and the switch too).
    bool GridCommand(uint32_t id) { return frame->SplitFrame()->Chain().Route(id); }
    // The same command through the editor window's menu, with the text pane active.
    bool PaneCommand(uint32_t id) {
        frame->SetActiveView(pane);
        return frame->RouteCommand(id);
    }
    bool Run(const QString& sql) {
        Type(sql);
        PressF9();
        return WaitIdle();
    }
    bool WaitIdle() {
        return QTest::qWaitFor([this] { return !doc->IsWorkerRunning(); }, 60000);
    }
    // A closed modal dialog leaves no window active offscreen (a window manager would give the
    // activation back): the window is activated again, as the user's click into it would.
    bool Reactivate() {
        frame->activateWindow();
        const bool active = QTest::qWaitForWindowActive(frame);
        pane->setFocus();
        return active;
    }
    void Key(int key) {
        grid->setFocus();
        QTest::keyClick(grid, static_cast<Qt::Key>(key));
        WaitIdle();
    }

    // The output list's lines without their time prefix.
    QStringList Output() const {
        QStringList lines;
        const CSqlOutputView* output = frame->OutputView();
        static const QRegularExpression prefix(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\]: "));
        for (int i = 0; i < output->LineCount(); ++i)
            lines << output->LineText(i).remove(prefix);
        return lines;
    }
    QString LastOutput() const { return Output().value(Output().size() - 1); }
    int Rows() const { return grid->Model()->RowCount(); }
    QString Caption() const { return frame->StatusBar()->PaneText(CSqlMainFrame::kReportPane); }
};
