// What a newcomer reaches for in the first hour, through the real windows: Ctrl+S on a named file,
// Ctrl+Enter on the statement at the caret, a file with a byte-order mark, the line end of new text,
// the text pane's context menu and status items, the word and redo keys, zoom, Alt+letter menus while
// an editor window is maximized, the help window, recent files and the caption after the last window.
#include "CHelpWindow.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CMainFrame.h"
#include "CNoGripStatusBar.h"
#include "CQuarvelDoc.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CSqlOutputView.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "GuiTestSupport.h"
#include "IniSettingsKey.h"
#include "OutputLines.h"
#include "StartedProgram.h"
#include "cMsgDialog.h"
#include "cSqlConnect.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QWheelEvent>
#include <QtTest>

#include <fstream>
#include <memory>
#include <sstream>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Counts every modal window that shows up and closes it, so that a test can tell none was asked for.
struct DialogCounter {
    int seen = 0;
    ModalDriver driver;
    DialogCounter() {
        for (int i = 0; i < 4; ++i)
            driver.Then([](QWidget*) { return true; }, [this](QWidget* w) {
                ++seen;
                static_cast<QDialog*>(w)->reject();
            });
    }
};

#ifdef QUARVEL_HAVE_TEST_DATABASE
// Connected through the real connect dialog, as a user does.
struct Connected {
    ConfigDir config;
    TestDatabase db;
    std::unique_ptr<CTavrelApp> app;
    CSqlMainFrame* frame = nullptr;
    Connected() {
        platform::IniSettingsKey::OpenProgramCreating();
        app = std::make_unique<CTavrelApp>();
        const QString path = QString::fromStdString(db.Path());
        ModalDriver driver;
        driver.Then(Is<cSqlConnect>, [path](QWidget* d) {
            d->findChild<QComboBox*>(QString::number(cSqlConnect::kUserId))->lineEdit()->setText(QStringLiteral("demo"));
            d->findChild<QLineEdit*>(QString::number(cSqlConnect::kPasswordId))->setText(QStringLiteral("demo"));
            d->findChild<QLineEdit*>(QString::number(cSqlConnect::kConnectId))->setText(path);
            d->findChild<QPushButton*>(QStringLiteral("1"))->click();
        });
        if (!app->InitInstance() || app->MainFrame()->Editors().isEmpty())
            return;
        frame = app->MainFrame()->Editors().front();
        (void)QTest::qWaitFor([this] { return frame->isMaximized(); }, 5000);
        app->MainFrame()->activateWindow();
        (void)QTest::qWaitFor([this] { return frame->TextPane()->hasFocus(); }, 5000);
    }
    CQuarvelDoc* Doc() const { return frame->Document(); }
    CSqlLeftView* Pane() const { return frame->TextPane(); }
    // Waits until the run that a key started has ended; the statement it ran.
    QString Ran() {
        (void)QTest::qWaitFor([this] { return !Doc()->IsWorkerRunning() && !Doc()->State().executedText.empty(); }, 10000);
        (void)QTest::qWaitFor([this] { return !Doc()->IsWorkerRunning(); }, 10000);
        return QString::fromStdString(Doc()->State().executedText);
    }
};
#endif

} // namespace

class FirstHourTest : public QObject {
    Q_OBJECT

private slots:
    void ctrlEnterRunsOnlyTheStatementAtTheCaret() {
#ifndef QUARVEL_HAVE_TEST_DATABASE
        QSKIP("needs the embedded client");
#else
        Connected c;
        QVERIFY(c.frame);
        const std::string path = c.config.Dir() + "/three.sql";
        WriteFile(path, "select 1 from dual;\nselect 2 + 2\n  from dual;\nselect 3 from dual;\n");
        QVERIFY(c.Pane()->OpenFilePath(path));
        c.Pane()->SelectNothingAt(editor::TextPosition{3, 2}); // inside "from dual;" of the second
        QTest::keyClick(c.Pane(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(c.Ran().simplified(), QStringLiteral("select 2 + 2 from dual"));
        // The statement is what is selected now, without its ";".
        editor::TextPosition start, end;
        c.Pane()->SelectionRange(start, end);
        QCOMPARE(start, (editor::TextPosition{0, 1}));
        QCOMPARE(end, (editor::TextPosition{11, 2}));
        QCOMPARE(c.Doc()->TextBuffer().LineCount(), 5); // the text is unchanged

        // F9 keeps its own rule: without a selection it runs nothing.
        c.Doc()->State().executedText.clear();
        c.Pane()->SelectNothingAt(editor::TextPosition{0, 3});
        QTest::keyClick(c.Pane(), Qt::Key_F9);
        CSqlOutputView* out = c.frame->OutputView();
        QTRY_VERIFY(out->LineText(out->LineCount() - 1).endsWith(QStringLiteral("Error: Select text for processing.")));
        QVERIFY(c.Doc()->State().executedText.empty());
        // The SQL menu's item does what Ctrl+Enter does.
        QVERIFY(c.app->MainFrame()->RouteCommand(cmd::kExecuteStatement));
        QCOMPARE(c.Ran().simplified(), QStringLiteral("select 3 from dual"));
#endif
    }

    void commandLineFilesAndTheConnectDialog() {
#ifndef QUARVEL_HAVE_TEST_DATABASE
        QSKIP("needs the embedded client");
#else
        ConfigDir config;
        TestDatabase db;
        platform::IniSettingsKey::OpenProgramCreating();
        const std::string first = config.Dir() + "/first.sql";
        const std::string second = config.Dir() + "/second.sql";
        const std::string missing = config.Dir() + "/missing.sql";
        WriteFile(first, "select 1 from dual");
        WriteFile(second, "select 2 from dual");
        // The database named relative to the current folder.
        const QFileInfo dbFile(QString::fromStdString(db.Path()));
        const QString oldCurrent = QDir::currentPath();
        QDir::setCurrent(dbFile.absolutePath());
        auto app = std::make_unique<CTavrelApp>();
        bool browse = false;
        QString notice;
        {
            ModalDriver driver;
            driver
                .Then(Is<cSqlConnect>, [&](QWidget* d) {
                    browse = d->findChild<QPushButton*>(QString::number(cSqlConnect::kBrowseId)) != nullptr;
                    d->findChild<QComboBox*>(QString::number(cSqlConnect::kUserId))->lineEdit()->setText(QStringLiteral("sys"));
                    d->findChild<QLineEdit*>(QString::number(cSqlConnect::kPasswordId))->setText(QStringLiteral("sys"));
                    d->findChild<QLineEdit*>(QString::number(cSqlConnect::kConnectId))->setText(dbFile.fileName());
                    d->findChild<QCheckBox*>(QString::number(cSqlConnect::kSysdbaId))->setChecked(true);
                    d->findChild<QPushButton*>(QStringLiteral("1"))->click();
                })
                .Then(Is<cMsgDialog>, [&](QWidget* box) {
                    notice = MessageText(box);
                    ClickButton(box, cMsgDialog::kSingleOkId);
                });
            QVERIFY(app->InitInstance({QString::fromStdString(first), QString::fromStdString(missing),
                                       QString::fromStdString(second)}));
            QTRY_VERIFY(driver.Done());
        }
        QDir::setCurrent(oldCurrent);
        QVERIFY(browse);
        QVERIFY2(notice.startsWith(QString::fromStdString(missing) + QStringLiteral("\ncannot be opened: ")), qPrintable(notice));
        QVERIFY2(notice.contains(QStringLiteral("No such file")), qPrintable(notice));
        const QList<CSqlMainFrame*> editors = app->MainFrame()->Editors();
        QCOMPARE(editors.size(), 2);
        QCOMPARE(std::string(editors[0]->Document()->TextBuffer().LineView(0)), std::string("select 1 from dual"));
        QCOMPARE(std::string(editors[1]->Document()->TextBuffer().LineView(0)), std::string("select 2 from dual"));
        QVERIFY(editors[1]->Document()->Session() && editors[1]->Document()->Session()->IsConnected());
        const QString where = QStringLiteral("SYS AS SYSDBA@") + dbFile.absoluteFilePath();
        QVERIFY2(editors[0]->windowTitle().contains(where, Qt::CaseInsensitive), qPrintable(editors[0]->windowTitle()));
        QVERIFY2(app->MainFrame()->windowTitle().contains(where, Qt::CaseInsensitive),
                 qPrintable(app->MainFrame()->windowTitle()));
        QVERIFY(app->Fields().startupPassword.empty());

        // New Connection offers the last logon's user and connect string again.
        QString user, connectString;
        {
            ModalDriver driver;
            driver.Then(Is<cSqlConnect>, [&](QWidget* d) {
                user = d->findChild<QComboBox*>(QString::number(cSqlConnect::kUserId))->currentText();
                connectString = d->findChild<QLineEdit*>(QString::number(cSqlConnect::kConnectId))->text();
                static_cast<QDialog*>(d)->reject();
            });
            app->NewConnection();
        }
        QCOMPARE(user.toUpper(), QStringLiteral("SYS"));
        QCOMPARE(connectString, dbFile.absoluteFilePath());
        app.reset();
#endif
    }

    void aFileWithAByteOrderMarkRunsAndKeepsIt() {
#ifndef QUARVEL_HAVE_TEST_DATABASE
        QSKIP("needs the embedded client");
#else
        Connected c;
        QVERIFY(c.frame);
        const std::string path = c.config.Dir() + "/bom.sql";
        WriteFile(path, "\xEF\xBB\xBFselect 7 from dual\r\n");
        QVERIFY(c.Pane()->OpenFilePath(path));
        QCOMPARE(std::string(c.Doc()->TextBuffer().LineView(0)), std::string("select 7 from dual"));
        QTest::keyClick(c.Pane(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(c.Pane(), Qt::Key_F9);
        QCOMPARE(c.Ran().simplified(), QStringLiteral("select 7 from dual"));
        // It ran without an error: the notice is not the server's complaint about the mark.
        CSqlOutputView* out = c.frame->OutputView();
        for (int i = 0; i < out->LineCount(); ++i)
            QVERIFY2(!out->LineText(i).contains(QStringLiteral("ORA-")), qPrintable(out->LineText(i)));
        // Saved back with its mark and its own line ends.
        c.Pane()->SelectNothingAt(editor::TextPosition{0, 1});
        QTest::keyClicks(c.Pane(), QStringLiteral("--"));
        DialogCounter dialogs;
        QTest::keyClick(c.Pane(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(ReadFile(path), std::string("\xEF\xBB\xBFselect 7 from dual\r\n--"));
        QCOMPARE(dialogs.seen, 0);
#endif
    }

    void ctrlSWritesANamedFileWithoutADialog() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        const std::string path = s.config.Dir() + "/named.sql";
        WriteFile(path, "select 1\nfrom dual\n");
        QVERIFY(pane->OpenFilePath(path));
        s.Activate();
        QTest::keyClicks(pane, QStringLiteral("-- "));
        QVERIFY(frame->Document()->IsModified());
        DialogCounter dialogs;
        QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(ReadFile(path), std::string("-- select 1\nfrom dual\n"));
        QVERIFY(!frame->Document()->IsModified());
        QTest::qWait(30);
        QCOMPARE(dialogs.seen, 0);
        // The file went to the recent-file list, which the File menu shows above Exit.
        QAction* exit = s.MenuItem("&File", cmd::kExit);
        QMenu* file = exit->menu() ? exit->menu() : qobject_cast<QMenu*>(exit->parent());
        QVERIFY(file);
        bool listed = false;
        for (QAction* a : file->actions())
            listed = listed || a->text() == QStringLiteral("&1 ") + QString::fromStdString(path);
        QVERIFY(listed);
    }

    void newTextUsesLineFeeds() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        QCOMPARE(frame->Document()->TextBuffer().EolMode(), int32_t(editor::EOL_MAC));
        QTest::keyClicks(frame->TextPane(), QStringLiteral("a"));
        QTest::keyClick(frame->TextPane(), Qt::Key_Return);
        QTest::keyClicks(frame->TextPane(), QStringLiteral("b"));
        const std::string path = s.config.Dir() + "/new.sql";
        QVERIFY(frame->TextPane()->SaveFileAsPath(path, 1));
        QCOMPARE(ReadFile(path), std::string("a\nb"));
    }

    void contextMenuOfTheTextPane() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        QTest::keyClicks(pane, QStringLiteral("select 1 from dual"));
        QStringList texts;
        QList<bool> enabled;
        bool shot = false;
        QTimer::singleShot(100, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* a : menu->actions())
                if (!a->isSeparator()) {
                    texts << a->text();
                    enabled << a->isEnabled();
                }
            shot = menu->grab().save(QStringLiteral("/tmp/quarvel-context-menu.png"));
            // Select All, chosen with the keyboard.
            for (QAction* a : menu->actions())
                if (a->data().toUInt() == cmd::kSelectAll)
                    menu->setActiveAction(a);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        const QPoint at = pane->viewport()->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, pane->viewport()->mapToGlobal(at));
        QApplication::sendEvent(pane->viewport(), &event);
        QCOMPARE(texts, (QStringList{"Undo\tCtrl+Z", "Redo\tCtrl+Y", "Cut\tCtrl+X", "Copy\tCtrl+C", "Paste\tCtrl+V",
                                     "Select All\tCtrl+A", "Execute\tF9", "Execute Statement\tCtrl+Enter",
                                     "Execute As Script\tF8", "Explain Plan\tF6"}));
        QCOMPARE(enabled.at(0), true);  // something to undo
        QCOMPARE(enabled.at(1), false); // nothing to redo
        QCOMPARE(enabled.at(2), false); // nothing selected to cut
        QVERIFY(shot);
        editor::TextPosition start, end;
        pane->SelectionRange(start, end);
        QCOMPARE(start, (editor::TextPosition{0, 0}));
        QCOMPARE(end, (editor::TextPosition{18, 0}));
    }

    void statusItemsFollowTheCaret() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        widgets::CNoGripStatusBar* bar = frame->StatusBar();
        QTest::keyClicks(pane, QStringLiteral("ab"));
        QTest::keyClick(pane, Qt::Key_Return);
        QTest::sendKeyEvent(QTest::Click, pane, Qt::Key_Eacute, QString::fromUtf8("\xC3\xA9"), Qt::NoModifier);
        QTest::keyClicks(pane, QStringLiteral("x"));
        QCOMPARE(bar->PaneText(CSqlMainFrame::kPositionPane), QStringLiteral("Ln 2, Col 3"));
        QCOMPARE(bar->PaneText(CSqlMainFrame::kEolPane), QString::fromStdString(pane->EolStatusText()));
        QVERIFY(!bar->PaneText(CSqlMainFrame::kEolPane).isEmpty());
        QCOMPARE(bar->PaneText(CSqlMainFrame::kOverwritePane), QString());
        QTest::keyClick(pane, Qt::Key_Insert);
        QCOMPARE(bar->PaneText(CSqlMainFrame::kOverwritePane), QStringLiteral("OVR"));
        QVERIFY(bar->grab().save(QStringLiteral("/tmp/quarvel-status-bar.png")));
        QTest::keyClick(pane, Qt::Key_Insert);
        QCOMPARE(bar->PaneText(CSqlMainFrame::kOverwritePane), QString());
    }

    void wordKeysRedoAndZoom() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        QTest::keyClicks(pane, QStringLiteral("select name from emp"));
        QTest::keyClick(pane, Qt::Key_Backspace, Qt::ControlModifier);
        QCOMPARE(std::string(doc->TextBuffer().LineView(0)), std::string("select name from "));
        QTest::keyClick(pane, Qt::Key_Home);
        QTest::keyClick(pane, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(std::string(doc->TextBuffer().LineView(0)), std::string("name from "));
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(std::string(doc->TextBuffer().LineView(0)), std::string("select name from "));
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(std::string(doc->TextBuffer().LineView(0)), std::string("name from "));

        const int32_t height = pane->LineHeight();
        QTest::keyClick(pane, Qt::Key_Plus, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Plus, Qt::ControlModifier);
        QVERIFY2(pane->LineHeight() > height, qPrintable(QString::number(pane->LineHeight())));
        QTest::keyClick(pane, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(pane->LineHeight(), height);
        const QPointF at = pane->viewport()->rect().center();
        QWheelEvent wheel(at, pane->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -240), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pane->viewport(), &wheel);
        QVERIFY(pane->LineHeight() < height);
        QCOMPARE(pane->ZoomSteps(), -2);
        QCOMPARE(std::string(doc->TextBuffer().LineView(0)), std::string("name from ")); // zoom edits nothing
    }

    // Where the platform has a primary selection (X11), selecting sets it and the middle button pastes it
    // where the pointer is.
    void middleClickPastesThePrimarySelection() {
        if (!QApplication::clipboard()->supportsSelection())
            QSKIP("this platform has no primary selection");
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        QTest::keyClicks(pane, QStringLiteral("abc xyz"));
        QTest::keyClick(pane, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(pane, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(pane, Qt::Key_Left, Qt::ShiftModifier);
        QTRY_COMPARE(QApplication::clipboard()->text(QClipboard::Selection), QStringLiteral("xyz"));
        const QPoint atStart(pane->MarginWidth() + 1, pane->LineHeight() / 2);
        QTest::mouseClick(pane->viewport(), Qt::MiddleButton, Qt::NoModifier, atStart);
        QCOMPARE(std::string(frame->Document()->TextBuffer().LineView(0)), std::string("xyzabc xyz"));
    }

    void lineNumbersInTheMargin() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        for (int i = 0; i < 120; ++i) {
            QTest::keyClicks(pane, QStringLiteral("x"));
            QTest::keyClick(pane, Qt::Key_Return);
        }
        const int32_t plain = pane->MarginWidth();
        QCOMPARE(s.MenuItem("&Options", cmd::kLineNumbers)->text(), QStringLiteral("Show Line Numbers"));
        QVERIFY(s.Main()->RouteCommand(cmd::kLineNumbers));
        QVERIFY(pane->HasLineNumbers());
        pane->grab(); // paints, so the column takes the width of "121"
        QCOMPARE(pane->MarginWidth(), plain + 4 * pane->CharWidth());
        QCOMPARE(s.MenuItem("&Options", cmd::kLineNumbers)->text(), QStringLiteral("Hide Line Numbers"));
        // A click right of the numbers still lands in the text where it is drawn.
        pane->SelectNothingAt(editor::TextPosition{0, 0});
        const QPoint inText(pane->MarginWidth() + 1, pane->LineHeight() * 2 + 2);
        QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, inText);
        QCOMPARE(pane->CaretPosition(), (editor::TextPosition{0, 2}));
        // A window opened afterwards starts with them.
        CSqlMainFrame* second = s.Open();
        QVERIFY(second->TextPane()->HasLineNumbers());
        s.Activate();
        QTRY_VERIFY(second->ActiveView() == static_cast<CView*>(second->TextPane())); // timer 112 has run
        QVERIFY(s.Main()->RouteCommand(cmd::kLineNumbers));
        QVERIFY(!second->TextPane()->HasLineNumbers());
    }

    void outputListShowsEveryLineAndHasCopyAndClear() {
        CSqlOutputView view;
        view.resize(500, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.Lines()->Insert(0, "[10:00:00]: one line");
        view.Lines()->Insert(1, "[10:00:01]: ORA-06550: line 1, column 7:\r\nPLS-00201: identifier 'X' must be declared\r\n");
        view.Lines()->Insert(2, "[10:00:02]: last");
        view.Lines()->Publish();
        const QModelIndex two = view.model()->index(1, 0);
        QCOMPARE(view.model()->data(two).toString(),
                 QStringLiteral("[10:00:01]: ORA-06550: line 1, column 7:\nPLS-00201: identifier 'X' must be declared"));
        const int single = view.visualRect(view.model()->index(0, 0)).height();
        QVERIFY2(view.visualRect(two).height() >= single + view.fontMetrics().lineSpacing() - 1,
                 qPrintable(QStringLiteral("%1 %2").arg(view.visualRect(two).height()).arg(single)));
        QVERIFY(view.grab().save(QStringLiteral("/tmp/quarvel-output-lines.png")));

        QStringList items;
        QTimer::singleShot(100, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* a : menu->actions())
                    items << a->text() + (a->isEnabled() ? QString() : QStringLiteral(" (off)"));
                menu->close();
            }
        });
        const QPoint at = view.viewport()->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view.viewport()->mapToGlobal(at));
        QApplication::sendEvent(view.viewport(), &event);
        QCOMPARE(items, (QStringList{"Copy\tCtrl+C (off)", "Clear"}));

        view.selectionModel()->select(view.model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view.selectionModel()->select(view.model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view.CopySelectedLines();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("[10:00:00]: one line\n[10:00:02]: last"));
        view.ClearLines();
        QCOMPARE(view.LineCount(), 0);
        QCOMPARE(view.model()->rowCount(), 0);
        view.Lines()->Insert(0, "[10:00:03]: after");
        view.Lines()->Publish();
        QCOMPARE(view.LineText(0), QStringLiteral("[10:00:03]: after"));
    }

    void altLettersOpenMenusWhileMaximized() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        QVERIFY(frame->isMaximized());
        for (const char* title : {"&File", "&Edit", "&SQL", "&Options"}) {
            QMenu* menu = nullptr;
            for (QAction* a : s.Main()->menuBar()->actions())
                if (a->text() == QString::fromUtf8(title))
                    menu = a->menu();
            QVERIFY(menu);
            s.Activate();
            QTest::keyClick(frame->TextPane(), Qt::Key(QChar(title[1]).unicode()), Qt::AltModifier);
            QTRY_VERIFY2(menu->isVisible(), title);
            menu->close();
            QTRY_VERIFY(!menu->isVisible());
        }
    }

    void openFileWhicheverPaneHasTheFocus() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        frame->SetActiveView(frame->SplitFrame()->Grid());
        QVERIFY(frame->Chain().IsEnabled(cmd::kOpenFile));
        frame->SetActiveView(frame->OutputView());
        QVERIFY(frame->Chain().IsEnabled(cmd::kOpenFile));
        QVERIFY(frame->Chain().IsEnabled(cmd::kSaveFile));
        int dialogs = 0;
        ModalDriver driver;
        driver.Then([](QWidget*) { return true; }, [&](QWidget* w) {
            ++dialogs;
            static_cast<QDialog*>(w)->reject();
        });
        QVERIFY(s.Main()->RouteCommand(cmd::kOpenFile));
        QTRY_COMPARE(dialogs, 1);
    }

    void helpWindowListsTheCommands() {
        Started s;
        s.OpenFocused();
        s.Activate();
        QTest::keyClick(s.Main(), Qt::Key_F1);
        QTRY_VERIFY(s.Main()->HelpWindow() && s.Main()->HelpWindow()->isVisible());
        const QString text = s.Main()->HelpWindow()->Browser()->toPlainText();
        for (const char* expected : {"Execute Statement", "SQL > Execute SQL", "F9", "File > Save File", "Ctrl+S", "Ctrl+F",
                                     "Help Topics", "Starting on the embedded client", "liteoci-admin create"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(s.Main()->HelpWindow()->grab().save(QStringLiteral("/tmp/quarvel-help.png")));
        // Asking again brings the same window forward.
        CHelpWindow* first = s.Main()->HelpWindow();
        QVERIFY(s.Main()->RouteCommand(cmd::kHelpTopics));
        QCOMPARE(s.Main()->HelpWindow(), first);
    }

    void captionDropsTheSessionAfterTheLastWindow() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        s.Main()->SetCaptions(QStringLiteral("Quarvel [DEMO@db]"));
        frame->close();
        QTRY_COMPARE(s.Main()->windowTitle(), QStringLiteral("Quarvel"));
    }

    void tileKeepsTheMainWindowAndCascadeKeepsEditorsUsable() {
        Started s;
        s.Main()->showNormal();
        s.Main()->resize(900, 700);
        QTRY_COMPARE(s.Main()->size(), QSize(900, 700));
        CSqlMainFrame* a = s.Open();
        CSqlMainFrame* b = s.Open();
        CSqlMainFrame* c = s.Open();
        QVERIFY(s.Main()->RouteCommand(cmd::kWindowTile));
        QCOMPARE(s.Main()->size(), QSize(900, 700));
        QVERIFY(s.Main()->RouteCommand(cmd::kWindowCascade));
        QCOMPARE(s.Main()->size(), QSize(900, 700));
        for (CSqlMainFrame* f : {a, b, c}) {
            QVERIFY(!f->isMaximized());
            QVERIFY2(f->TextPane()->isVisible() && f->TextPane()->height() > 40,
                     qPrintable(QString::number(f->TextPane()->height())));
        }
    }
};

QTEST_MAIN(FirstHourTest)
#include "FirstHourTest.moc"
