// The main window and the editor windows: layout, panes, status bar, command enabling, captions,
// closing, and the fetch progress dialog. Editor windows are opened without a database session.
#include "CCommandToolBar.h"
#include "CMainFrame.h"
#include "CNoGripStatusBar.h"
#include "CPaneSplitter.h"
#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CSqlOutputView.h"
#include "CTavrelApp.h"
#include "CAboutDlg.h"
#include "CommandIds.h"
#include "GuiTestSupport.h"
#include "StartedProgram.h"
#include "IniSettingsKey.h"
#include "RegisteredMessages.h"
#include "SyncSend.h"
#include "Run.h"
#include "cFetchStatus.h"
#include "cSqlConnect.h"

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

namespace {

std::string StoredValue(const ConfigDir& config, const char* name) {
    auto key = platform::IniSettingsKey::OpenForReading(config.ProgramFile());
    return key ? key->Read(name).value_or("<absent>") : "<no key>";
}

} // namespace

class EditorWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cancellingTheFirstConnectLeavesAnEmptyMainWindowWithItsMenu() {
        Started s;
        QVERIFY(s.Main()->isVisible());
        QVERIFY(s.Main()->isMaximized());
        QCOMPARE(s.Main()->windowTitle(), QStringLiteral("Quarvel"));
        QVERIFY(s.Main()->Editors().isEmpty());
        QStringList titles;
        for (QAction* menu : s.Main()->menuBar()->actions())
            titles << menu->text();
        QCOMPARE(titles, (QStringList{"&File", "&Edit", "&SQL", "&Options", "&Window", "&Help"}));
        QCOMPARE(s.Main()->MenuAction(cmd::kNewConnection)->text(), QStringLiteral("New Connection..    Ctrl+E"));
        QVERIFY(s.Main()->IsCommandEnabled(cmd::kNewConnection));
        QVERIFY(s.Main()->IsCommandEnabled(cmd::kAbout));
        QVERIFY(s.Main()->IsCommandEnabled(cmd::kExit));
        QVERIFY(!s.Main()->IsCommandEnabled(cmd::kExecuteSql)); // no editor: nobody handles it
        QVERIFY(!s.Main()->IsCommandEnabled(cmd::kSaveFileAs));
    }

    void anEditorWindowHasItsBarsPanesAndStatusBar() {
        Started s;
        CSqlMainFrame* frame = s.Open();
        QVERIFY(frame->isMaximized());
        QCOMPARE(s.Main()->Editors().size(), 1);

        CCommandToolBar* bar1 = frame->ToolBar(112);
        CCommandToolBar* bar2 = frame->ToolBar(402);
        QVERIFY(bar1 && bar2);
        QCOMPARE(bar1->actions().size(), 18);
        QCOMPARE(bar2->actions().size(), 2);
        QCOMPARE(bar1->Action(cmd::kExecuteSql)->toolTip(), QStringLiteral("Execute SQL (F9)"));
        QCOMPARE(bar1->Action(cmd::kExecuteSql)->statusTip(), QStringLiteral("Execute SQL (F9)"));
        QVERIFY(bar1->Action(cmd::kServerOutput)->isCheckable());
        QVERIFY(!bar1->Action(cmd::kExecuteSql)->isCheckable());
        QCOMPARE(bar1->height(), 30);
        QCOMPARE(bar1->widgetForAction(bar1->Action(cmd::kOpenFile))->size(), QSize(24, 23));
        QVERIFY(!bar1->Action(cmd::kOpenFile)->icon().isNull());
        // Tool bar 2 sits on the row of tool bar 1, to its right.
        QCOMPARE(bar2->y(), bar1->y());
        QVERIFY(bar2->x() >= bar1->x() + bar1->width());

        widgets::CNoGripStatusBar* status = frame->StatusBar();
        QCOMPARE(status->PaneCount(), 9); // and the caret, line-end and overwrite items
        QVERIFY(!status->isSizeGripEnabled());
        QCOMPARE(status->PaneText(0), QStringLiteral("Ready"));
        QCOMPARE(status->PaneText(1), QString());
        QCOMPARE(status->PaneText(2), QStringLiteral("Server Output is OFF"));
        QCOMPARE(status->PaneWidth(0), 350);
        QCOMPARE(status->PaneWidth(2), 130);
        status->SetIndicator(3, true);
        QCOMPARE(status->PaneText(3), QStringLiteral("CAP"));
        status->SetIndicator(3, false);
        QCOMPARE(status->PaneText(3), QString());

        CCommandToolBar* grid = frame->ToolBar(401);
        QVERIFY(grid);
        QCOMPARE(grid->actions().size(), 10);
        QVERIFY(grid->Action(cmd::kAutoformatBoth)->isChecked());
        grid->Action(cmd::kAutoformatByData)->trigger();
        QVERIFY(grid->Action(cmd::kAutoformatByData)->isChecked());
        QVERIFY(!grid->Action(cmd::kAutoformatBoth)->isChecked()); // one radio group

        // The SQL text has the focus and is the active view.
        QTRY_VERIFY(frame->TextPane()->hasFocus());
        QCOMPARE(frame->ActiveView(), static_cast<CView*>(frame->TextPane()));
        QCOMPARE(frame->Document()->TextPane(), frame->TextPane());
        QCOMPARE(frame->Document()->Frame(), frame);
        QCOMPARE(frame->TextPane()->PlainFont().pixelSize(), 16);
        QVERIFY(frame->TextPane()->PlainFont().fixedPitch());
    }

    void splitterGeometryAndHiddenPanes() {
        Started s;
        CSqlMainFrame* frame = s.Open();
        widgets::CPaneSplitter* outer = frame->OuterSplitter();
        widgets::CPaneSplitter* inner = frame->InnerSplitter();
        // The grid is hidden when the window is built; the SQL side fills everything.
        QVERIFY(outer->IsPaneHidden(1));
        QVERIFY(frame->SplitFrame()->isHidden());
        QCOMPARE(inner->height(), outer->height());
        QVERIFY(!inner->IsPaneHidden(1));
        QCOMPARE(frame->OutputView()->height(), 48);

        frame->ShowResultPane();
        QVERIFY(frame->SplitFrame()->isVisible());
        QCOMPARE(inner->height(), 300);
        QCOMPARE(frame->SplitFrame()->y(), 303);
        QCOMPARE(frame->SplitFrame()->height(), outer->height() - 303);
        QCOMPARE(frame->OutputView()->height(), 48);
        QCOMPARE(frame->TextPane()->height(), 300 - 1 - 48);

        // Resizing the window: the upper part and the output list keep their heights.
        frame->showNormal();
        frame->resize(800, 900);
        QTRY_COMPARE(frame->size(), QSize(800, 900));
        QCOMPARE(inner->height(), 300);
        QCOMPARE(frame->OutputView()->height(), 48);
        QCOMPARE(frame->SplitFrame()->height(), outer->height() - 303);

        frame->HideOutputPane();
        QVERIFY(frame->OutputView()->isHidden());
        QCOMPARE(frame->TextPane()->height(), 300);
        frame->ShowOutputPane();
        QCOMPARE(frame->OutputView()->height(), 48);
        frame->HideResultPane();
        QCOMPARE(inner->height(), outer->height());

        // The grid shows its pane for every fetched row: showing a shown pane must not repaint
        // the window (it once repainted everything on every turn of the event loop).
        frame->ShowResultPane();
        QTest::qWait(100); // the repaints of the changes above
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        outer->installEventFilter(&counter);
        for (int i = 0; i < 100; ++i) {
            frame->ShowResultPane();
            frame->ShowOutputPane();
            QCoreApplication::processEvents();
        }
        outer->removeEventFilter(&counter);
        QCOMPARE(counter.paints, 0);
    }

    void outputPaneFollowsTheSetting() {
        Started s;
        {
            auto key = platform::IniSettingsKey::OpenProgramCreating();
            key->Write("ShowSqlOutputWindow", "0");
        }
        CSqlMainFrame* hidden = s.Open();
        QVERIFY(hidden->InnerSplitter()->IsPaneHidden(1));
        QVERIFY(hidden->OutputView()->isHidden());
        QCOMPARE(hidden->TextPane()->height(), hidden->InnerSplitter()->height());
        {
            auto key = platform::IniSettingsKey::OpenProgramCreating();
            key->Write("ShowSqlOutputWindow", "2");
        }
        CSqlMainFrame* shown = s.Open();
        QVERIFY(!shown->InnerSplitter()->IsPaneHidden(1));
        QVERIFY(hidden->InnerSplitter()->IsPaneHidden(1)); // the first window keeps what it read
    }

    void statusPanesFollowTheirMessages() {
        Started s;
        CSqlMainFrame* frame = s.Open();
        CQuarvelDoc* doc = frame->Document();
        widgets::CNoGripStatusBar* status = frame->StatusBar();
        exec::StatementState& state = doc->State();

        state.outputText = "Executing..";
        QCOMPARE(platform::Send(state.frameWindow, SB_SQL_STATUS_MESSAGE), intptr_t(0));
        QCOMPARE(status->PaneText(0), QStringLiteral("Executing.."));
        state.outputText = "Statement processed.";
        platform::Send(state.frameWindow, SB_SQL_STATUS_MESSAGE);
        QCOMPARE(status->PaneText(0), QStringLiteral("Ready"));

        state.resultCaptionText = "Row 3 of 50 (partial)";
        platform::Send(state.frameWindow, SQL_REPORT_STATUS);
        QCOMPARE(status->PaneText(1), QStringLiteral("Row 3 of 50 (partial)"));

        state.serverOutputOn = 1;
        platform::Send(state.frameWindow, SB_SQL_SERVER_OUTPUT_MESSAGE);
        QCOMPARE(status->PaneText(2), QStringLiteral("Server Output is ON"));
        state.serverOutputOn = 0;
        platform::Send(state.frameWindow, SB_SQL_SERVER_OUTPUT_MESSAGE);
        QCOMPARE(status->PaneText(2), QStringLiteral("Server Output is OFF"));

        state.outputText = "Executing..";
        QCOMPARE(platform::Send(state.frameWindow, SB_SQL_ROWS_MESSAGE), intptr_t(0));
        QCOMPARE(status->PaneText(0), QStringLiteral("Ready")); // unchanged

        // With the output list hidden by the setting, pane 0 shows the output line itself; the lines
        // come from a worker thread through the output list.
        {
            auto key = platform::IniSettingsKey::OpenProgramCreating();
            key->Write("ShowSqlOutputWindow", "0");
        }
        CSqlMainFrame* quiet = s.Open();
        CQuarvelDoc* quietDoc = quiet->Document();
        std::atomic<bool> done{false};
        QVERIFY(quietDoc->StartWorker([&done](CQuarvelDoc& d) {
            for (const char* line : {"Executing..", "3 row(s) updated."}) {
                d.State().outputText = line;
                platform::Send(d.State().outputWindow, SQL_OUTPUT_MESSAGE);
            }
            done = true;
        }));
        QTRY_VERIFY(done.load());
        quietDoc->WaitForWorker();
        QCOMPARE(quiet->StatusBar()->PaneText(0), QStringLiteral("3 row(s) updated."));
        QCOMPARE(quiet->OutputView()->count(), 2);
    }

    void toolBarPromptsGoToThePaneAndBack() {
        Started s;
        CSqlMainFrame* frame = s.Open();
        QStatusTipEvent tip(QStringLiteral("Execute SQL (F9)"));
        QApplication::sendEvent(frame->ToolBar(112), &tip);
        QCOMPARE(frame->StatusBar()->PaneText(0), QStringLiteral("Execute SQL (F9)"));
        QStatusTipEvent none{QString()};
        QApplication::sendEvent(frame->ToolBar(112), &none);
        QCOMPARE(frame->StatusBar()->PaneText(0), QStringLiteral("Ready"));
    }

    void activationSetsTheCaptionsAndNotifiesTheMainWindow() {
        Started s;
        CSqlMainFrame* first = s.Open();
        CSqlMainFrame* second = s.Open();
        const int before = s.Main()->StatusNoticesReceived();
        s.Main()->MdiArea()->setActiveSubWindow(first);
        QCOMPARE(s.Main()->windowTitle(), QStringLiteral("Quarvel [@] - New SQL Script"));
        QCOMPARE(first->windowTitle(), QStringLiteral("Quarvel [@] - New SQL Script"));
        QVERIFY(s.Main()->StatusNoticesReceived() > before);
        s.Main()->MdiArea()->setActiveSubWindow(second);
        QCOMPARE(s.Main()->ActiveEditor(), second);

        // The Window menu lists the open windows.
        QMenu* windowMenu = nullptr;
        for (QAction* a : s.Main()->menuBar()->actions())
            if (a->text() == QStringLiteral("&Window"))
                windowMenu = a->menu();
        QVERIFY(windowMenu);
        emit windowMenu->aboutToShow();
        QStringList entries;
        for (QAction* a : windowMenu->actions())
            if (a->text().startsWith('&') && a->text().at(1).isDigit())
                entries << a->text();
        QCOMPARE(entries.size(), 2);
        QVERIFY(entries[0].startsWith(QStringLiteral("&1 Quarvel [")));
    }

    void commandsFollowTheRunningWorker() {
        Started s;
        CSqlMainFrame* frame = s.Open();
        CQuarvelDoc* doc = frame->Document();
        const std::vector<uint32_t> idleOnly = {cmd::kExecuteSql, cmd::kExecuteScript, cmd::kExplainPlan, cmd::kCommit,
                                                cmd::kRollback, cmd::kSaveFileAs, cmd::kCut, cmd::kCopy, cmd::kPaste,
                                                cmd::kUndo};
        // The text pane decides Cut, Copy, Paste and Undo first: give it a selection, something to
        // undo and text on the clipboard, so that only the running worker can disable them.
        QTest::keyClicks(frame->TextPane(), QStringLiteral("select 1"));
        frame->TextPane()->SelectAll();
        QApplication::clipboard()->setText(QStringLiteral("x"));
        CommandChain chain = frame->Chain();
        for (uint32_t id : idleOnly)
            QVERIFY2(chain.IsEnabled(id), qPrintable(QString::number(id)));
        QVERIFY(!chain.IsEnabled(cmd::kStopSql));

        std::atomic<bool> release{false};
        QVERIFY(doc->StartWorker([&release](CQuarvelDoc&) {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }));
        frame->UpdateCommandUI();
        chain = frame->Chain();
        QVERIFY(chain.IsEnabled(cmd::kStopSql));
        for (uint32_t id : idleOnly)
            QVERIFY2(!chain.IsEnabled(id), qPrintable(QString::number(id)));
        QVERIFY(chain.IsEnabled(cmd::kSqlHistory));
        QVERIFY(!frame->ToolBar(112)->Action(cmd::kExecuteSql)->isEnabled());
        QVERIFY(frame->ToolBar(112)->Action(cmd::kStopSql)->isEnabled());
        QVERIFY(!frame->ToolBar(402)->Action(cmd::kCommit)->isEnabled());
        for (uint32_t id : {289u, 291u, 292u, 293u, 294u, 295u, 297u, 307u})
            QVERIFY2(!frame->ToolBar(401)->Action(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(s.Main()->IsCommandEnabled(cmd::kStopSql));
        QVERIFY(!s.Main()->IsCommandEnabled(cmd::kExecuteSql));
        QVERIFY(s.Main()->IsCommandEnabled(cmd::kNewConnection));

        release = true;
        doc->WaitForWorker();
        frame->UpdateCommandUI();
        QVERIFY(frame->ToolBar(112)->Action(cmd::kExecuteSql)->isEnabled());
        QVERIFY(!frame->ToolBar(112)->Action(cmd::kStopSql)->isEnabled());
        QVERIFY(frame->ToolBar(401)->Action(cmd::kNextRow)->isEnabled());
    }

    void closingAModifiedWindowAsksFirst() {
        Started s;
        CSqlMainFrame* frame = s.Open();
        QPointer<CSqlMainFrame> guard(frame);
        frame->Document()->SetModifiedFlag(true);
        QString question;
        ModalDriver driver;
        driver
            .Then(Is<QMessageBox>,
                  [&](QWidget* box) {
                      question = static_cast<QMessageBox*>(box)->text();
                      static_cast<QMessageBox*>(box)->button(QMessageBox::Cancel)->click();
                  })
            .Then(Is<QMessageBox>,
                  [&](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click(); });
        QVERIFY(!frame->close());
        QCOMPARE(question, QStringLiteral("Save changes to Untitled?"));
        QVERIFY(guard);
        QVERIFY(frame->close());
        QTRY_VERIFY(!guard);
        QVERIFY(driver.Done());
        QVERIFY(s.Main()->Editors().isEmpty());
    }

    void closingStoresWhetherTheWindowWasMaximized() {
        Started s;
        CSqlMainFrame* maximized = s.Open();
        QVERIFY(maximized->close());
        QCOMPARE(StoredValue(s.config, "ChildWndStatus"), std::string("1"));
        CSqlMainFrame* restored = s.Open();
        restored->showNormal();
        QTRY_VERIFY(!restored->isMaximized());
        QVERIFY(restored->close());
        QCOMPARE(StoredValue(s.config, "ChildWndStatus"), std::string("0"));
    }

    void closingWhileTheWorkerSendsWaitsForItAndDoesNotHang() {
        Started s;
        CSqlMainFrame* frame = s.Open();
        QPointer<CSqlMainFrame> guard(frame);
        std::atomic<int> sent{0};
        std::atomic<bool> ended{false};
        QVERIFY(frame->Document()->StartWorker([&](CQuarvelDoc& d) {
            while (!d.StopRequested()) {
                d.State().outputText = "Executing..";
                platform::Send(d.State().outputWindow, SQL_OUTPUT_MESSAGE);
                platform::Send(d.State().frameWindow, SB_SQL_STATUS_MESSAGE);
                ++sent;
            }
            ended = true;
        }));
        QTRY_VERIFY(sent.load() > 5);
        QVERIFY(frame->close());
        QVERIFY(ended.load()); // the worker ended before the window went
        QTRY_VERIFY(!guard);
    }

    void fetchProgressShowsTextClosesAndCancels() {
        Started s;
        // The run's worker reports progress, then its end.
        {
            exec::Run run;
            QVERIFY(run.Begin());
            cFetchStatus dialog(run, s.Main());
            const std::thread::id ui = std::this_thread::get_id();
            QString seen;
            QVERIFY(run.Launch([&] {
                platform::MessageHandle target;
                while ((target = run.ProgressDialog()).Expired())
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                run.progressText = "10 rows fetched.";
                run.busy = 1;
                platform::Send(target, FETCH_ROW_STATUS);
                platform::CallOnThread(ui, [&] {
                    seen = dialog.findChild<QLineEdit*>(QStringLiteral("813"))->text();
                    return intptr_t(0);
                });
                run.EnterEnding();
                run.busy = 0;
                platform::Send(target, FETCH_ROW_STATUS);
                run.Finish();
            }));
            QCOMPARE(dialog.exec(), IDOK);
            run.Wait();
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Quarvel [Fetching..]"));
            QCOMPARE(seen, QStringLiteral("10 rows fetched."));
        }
        // Cancel cancels the dialog's own run, once.
        {
            exec::Run run;
            QVERIFY(run.Begin());
            cFetchStatus dialog(run, s.Main());
            ModalDriver driver;
            driver.Then(Is<cFetchStatus>,
                        [](QWidget* d) { d->findChild<QPushButton*>(QStringLiteral("2"))->click(); });
            QCOMPARE(dialog.exec(), IDCANCEL);
            QVERIFY(run.TakeCancel());
            QVERIFY(!run.TakeCancel());
            run.EnterEnding();
            run.Finish();
        }
        // A run that already ended before the dialog opened does not leave it hanging.
        {
            exec::Run run;
            cFetchStatus dialog(run, s.Main());
            QCOMPARE(dialog.exec(), IDOK);
            QVERIFY(!run.TakeCancel());
        }
    }

    void acceleratorsAndApplicationCommands() {
        Started s;
        CSqlMainFrame* frame = s.Open();
        s.Main()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(s.Main()));
        bool connectShown = false, aboutShown = false;
        QString aboutTitle;
        ModalDriver driver;
        driver
            .Then(Is<cSqlConnect>,
                  [&](QWidget* d) {
                      connectShown = true;
                      Reject(d);
                  })
            .Then(Is<CAboutDlg>, [&](QWidget* d) {
                aboutShown = true;
                aboutTitle = d->windowTitle();
                d->findChild<QPushButton*>(QStringLiteral("1"))->click();
            });
        QTest::keyClick(frame->TextPane(), Qt::Key_E, Qt::ControlModifier);
        QTRY_VERIFY(connectShown);
        QCOMPARE(s.Main()->Editors().size(), 1); // cancelled: no new window
        QVERIFY(s.Main()->RouteCommand(cmd::kAbout));
        QVERIFY(aboutShown);
        QCOMPARE(aboutTitle, QStringLiteral("About Quarvel"));
        // A key of the table whose command nobody handles does nothing.
        QTest::keyClick(frame->TextPane(), Qt::Key_B, Qt::ControlModifier);
        QVERIFY(driver.Done());
    }
};

QTEST_MAIN(EditorWindowTest)
#include "EditorWindowTest.moc"
