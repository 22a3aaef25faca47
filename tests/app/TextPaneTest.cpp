// The SQL text pane in a real editor window: typing reaches the document, the editing commands of the
// menu, the tool bar and the keys with their enabling and menu texts, keys while input is disabled,
// the history switch and message 987, Open File and Save File As with the ".sql" rule and the captions.
// Editor windows are opened without a database session, so the captions read "Quarvel [@] - ...".
#include "CCommandToolBar.h"
#include "CMainFrame.h"
#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "GuiTestSupport.h"
#include "StartedProgram.h"
#include "IniSettingsKey.h"
#include "MessageBox.h"
#include "SmallDisk.h"
#include "cMsgDialog.h"
#include "cSqlConnect.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QtTest>

#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>
#include <sys/stat.h>

namespace {

std::vector<std::string> Lines(CQuarvelDoc* doc) {
    std::vector<std::string> lines;
    for (int32_t y = 0; y < doc->TextBuffer().LineCount(); ++y)
        lines.emplace_back(doc->TextBuffer().LineView(y));
    return lines;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Answers the file dialog: picks the filter, types the name and accepts.
ModalDriver::Action Choose(const std::string& path, int filter) {
    return [path, filter](QWidget* w) {
        auto* dialog = static_cast<QFileDialog*>(w);
        dialog->selectNameFilter(dialog->nameFilters().at(filter));
        // Typed into the name field, as a user does (selectFile leaves a focused field alone).
        const QFileInfo file(QString::fromStdString(path));
        dialog->setDirectory(file.absolutePath());
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file.fileName());
        // What the dialog's Open or Save button does.
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    };
}

// A folder of its own for the files a test writes.
struct Folder {
    std::string path;
    Folder() {
        char pattern[] = "/tmp/quarvel-pane-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string File(const std::string& name) const { return path + "/" + name; }
};

} // namespace

class TextPaneTest : public QObject {
    Q_OBJECT
private slots:
    void typingInTheEditorWindowReachesTheDocumentsBuffer() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        QCOMPARE(pane->Buffer(), static_cast<editor::CTextBuffer*>(&doc->TextBuffer()));
        QCOMPARE(pane->Font().faceName, std::string("Courier"));
        QCOMPARE(pane->Font().height, 16);
        QVERIFY(!doc->IsModified());

        QTest::keyClicks(pane, QStringLiteral("select * from dual"));
        QTest::keyClick(pane, Qt::Key_Return);
        QTest::keyClick(pane, Qt::Key_Tab);
        QTest::keyClicks(pane, QStringLiteral("where 1 = 1"));
        QTest::keyClick(pane, Qt::Key_Return); // indented like the line above
        QTest::keyClicks(pane, QStringLiteral("and x"));
        QCOMPARE(Lines(doc), (std::vector<std::string>{"select * from dual", "\twhere 1 = 1", "\tand x"}));
        QVERIFY(doc->IsModified());
        QCOMPARE(pane->PositionStatusText(), std::string("Ln 3, Col 7"));
        QCOMPARE(pane->EolStatusText(), std::string("MAC")); // new text ends its lines with LF alone

        // Undo by key, then by the menu, which names the step it would take: the letters typed right
        // after the automatic indentation joined its step.
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Lines(doc).back(), std::string("\tand"));
        QCOMPARE(s.EditItem(cmd::kUndo)->text(), QStringLiteral("&Undo Auto Indent\tCtrl+Z"));
        QCOMPARE(s.EditItem(cmd::kRedo)->text(), QStringLiteral("&Redo Typing\tCtrl+Y"));
        QVERIFY(s.EditItem(cmd::kRedo)->isEnabled());
        s.EditItem(cmd::kUndo)->trigger();
        QCOMPARE(Lines(doc), (std::vector<std::string>{"select * from dual", "\twhere 1 = 1", ""}));
        s.EditItem(cmd::kUndo)->trigger(); // the line break is a step of its own
        QCOMPARE(Lines(doc), (std::vector<std::string>{"select * from dual", "\twhere 1 = 1"}));
        QTest::keyClick(pane, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(Lines(doc), (std::vector<std::string>{"select * from dual", "\twhere 1 = 1", ""}));

        // Another active view takes the menu texts back to the menu's own.
        frame->SetActiveView(frame->SplitFrame()->Grid());
        QCOMPARE(s.EditItem(cmd::kUndo)->text(), QStringLiteral("Undo         Ctrl+Z"));
        frame->SetActiveView(pane);

        // Cut on the tool bar follows the selection; the key accelerators of the main window reach the
        // pane's commands (Ctrl+A, Ctrl+C, Ctrl+V are the pane's own keys).
        CCommandToolBar* bar = frame->ToolBar(res::kToolBarMain);
        frame->UpdateCommandUI();
        QVERIFY(!bar->Action(cmd::kCut)->isEnabled());
        QVERIFY(!bar->Action(cmd::kCopy)->isEnabled());
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        frame->UpdateCommandUI();
        QVERIFY(bar->Action(cmd::kCut)->isEnabled());
        QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
        // Other programs read the desktop's line ends; the pane itself pastes its own bytes back.
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("select * from dual\n\twhere 1 = 1\n"));
        bar->Action(cmd::kCut)->trigger();
        QCOMPARE(Lines(doc), (std::vector<std::string>{""}));
        QCOMPARE(s.EditItem(cmd::kUndo)->text(), QStringLiteral("&Undo Cut\tCtrl+Z"));
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Lines(doc), (std::vector<std::string>{"select * from dual", "\twhere 1 = 1", ""}));
        QCOMPARE(s.EditItem(cmd::kUndo)->text(), QStringLiteral("&Undo Paste\tCtrl+Z"));
        QVERIFY(pane->CheckInvariants());
    }

    void keysGoToTheMainWindowWhileInputIsDisabled() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        QTest::keyClicks(pane, QStringLiteral("select 1"));
        QApplication::clipboard()->setText(QStringLiteral("pasted"));

        // Ctrl+S is no key of the pane's: the main window's table takes it to Save File, which asks
        // for a name, as Save File As does, while the text has none.
        int saveDialogs = 0;
        ModalDriver driver;
        auto countAndCancel = [&saveDialogs](QWidget* w) {
            ++saveDialogs;
            Reject(w);
        };
        driver.Then(Is<QFileDialog>, countAndCancel).Then(Is<QFileDialog>, countAndCancel);
        QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(saveDialogs, 1);

        pane->DisableInput();
        s.Activate();
        QTest::keyClicks(pane, QStringLiteral("x y"));
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier); // the table's Paste: disabled now
        QTest::keyClick(pane, Qt::Key_Backspace);
        QTest::keyClick(pane, Qt::Key_Tab);                    // the table's 118: does nothing
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier); // Select All does nothing either
        QCOMPARE(Lines(doc), (std::vector<std::string>{"select 1"}));
        QVERIFY(pane->IsSelectionEmpty());
        s.Activate();
        QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier); // still reaches Save File As
        QTRY_COMPARE(saveDialogs, 2);
        QVERIFY(driver.Done());
        CommandChain chain = frame->Chain();
        for (uint32_t id : {cmd::kCut, cmd::kCopy, cmd::kPaste, cmd::kUndo, cmd::kRedo})
            QVERIFY2(!chain.IsEnabled(id), qPrintable(QString::number(id)));
        QCOMPARE(s.EditItem(cmd::kUndo)->text(), QStringLiteral("&Undo\tCtrl+Z"));

        pane->EnableInput();
        s.Activate();
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Lines(doc), (std::vector<std::string>{"select 1pasted"}));
    }

    void commandsOfThePaneAndTheirRules() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        CommandChain chain = frame->Chain();
        // The execution commands and the file commands, printing included, are the pane's.
        for (uint32_t id : {cmd::kExecuteSql, cmd::kExecuteScript, cmd::kExplainPlan, cmd::kCommit, cmd::kRollback,
                            cmd::kServerOutput, cmd::kSqlHistory, cmd::kOpenFile, cmd::kSaveFileAs, cmd::kSelectAll,
                            cmd::kPrint, cmd::kPrintPreview, cmd::kPageSetup}) {
            QVERIFY2(pane->HandlesCommand(id), qPrintable(QString::number(id)));
            QVERIFY2(chain.IsEnabled(id), qPrintable(QString::number(id)));
        }
        QVERIFY(pane->HandlesCommand(cmd::kStopSql));
        QVERIFY(!chain.IsEnabled(cmd::kStopSql)); // nothing runs
        {
            // Ctrl+P opens the print dialog; cancelling it prints nothing and changes nothing.
            bool printDialogShown = false;
            ModalDriver driver;
            driver.Then(Is<QPrintDialog>, [&](QWidget* d) {
                printDialogShown = true;
                Reject(d);
            });
            QTest::keyClick(pane, Qt::Key_P, Qt::ControlModifier);
            QVERIFY(printDialogShown);
            s.Activate();
        }
        QVERIFY(!chain.IsEnabled(cmd::kRedo));
        QVERIFY(!chain.IsEnabled(cmd::kUndo));

        // While a statement runs: Stop is routed to the pane, the editing commands rest even with a
        // selection and something to undo.
        QTest::keyClicks(pane, QStringLiteral("select 1"));
        pane->SelectAll();
        std::atomic<bool> release{false};
        QVERIFY(doc->StartWorker([&release](CQuarvelDoc&) {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }));
        pane->DisableInput();
        chain = frame->Chain();
        QVERIFY(chain.IsEnabled(cmd::kStopSql));
        QVERIFY(s.Main()->RouteCommand(cmd::kStopSql));
        for (uint32_t id : {cmd::kCut, cmd::kCopy, cmd::kPaste, cmd::kUndo, cmd::kExecuteSql, cmd::kSaveFileAs})
            QVERIFY2(!chain.IsEnabled(id), qPrintable(QString::number(id)));
        QVERIFY(chain.IsEnabled(cmd::kOpenFile)); // the frame has no rule for it
        pane->EnableInput(); // even so: the frame's rule holds while the worker runs
        QVERIFY(!chain.IsEnabled(cmd::kCut));
        QVERIFY(!chain.IsEnabled(cmd::kCopy));
        release = true;
        doc->WaitForWorker();
        QVERIFY(chain.IsEnabled(cmd::kCut));
        QVERIFY(chain.IsEnabled(cmd::kUndo));
    }

    void historySwitchIsReadWhenThePaneIsBuilt() {
        Started s;
        QCOMPARE(s.Open()->TextPane()->HistorySwitch(), 1); // the value absent
        s.WriteSetting("SaveSqlHistory", "0");
        CSqlMainFrame* off = s.Open();
        QCOMPARE(off->TextPane()->HistorySwitch(), 0);
        s.WriteSetting("SaveSqlHistory", "1");
        QCOMPARE(s.Open()->TextPane()->HistorySwitch(), 1);
        s.WriteSetting("SaveSqlHistory", "2");
        QCOMPARE(s.Open()->TextPane()->HistorySwitch(), 0); // on only for exactly 1
        s.WriteSetting("SaveSqlHistory", "yes");
        QCOMPARE(s.Open()->TextPane()->HistorySwitch(), 0);
        QCOMPARE(off->TextPane()->HistorySwitch(), 0); // an open window keeps what it read
    }

    void withoutTheSettingsKeyEveryNewWindowShowsMessage987() {
        Started s;
        s.config.RemoveProgramKey();
        QStringList texts;
        ModalDriver driver;
        auto record = [&texts](QWidget* box) {
            texts << MessageText(box);
            ClickButton(box, cMsgDialog::kSingleOkId);
        };
        driver.Then(Is<cMsgDialog>, record).Then(Is<cMsgDialog>, record);
        CSqlMainFrame* first = s.Open();
        QVERIFY(first);
        QCOMPARE(first->TextPane()->HistorySwitch(), 1);
        QCOMPARE(LastMessageParameters().buttonStyle, 0); // one OK button
        CSqlMainFrame* second = s.Open();
        QVERIFY(second);
        QVERIFY(driver.Done());
        const QString expected = QStringLiteral(
            "Can't define path to the the Telmora Execution Service. You should to reinstall application.");
        QCOMPARE(texts, (QStringList{expected, expected}));
        QCOMPARE(second->TextPane()->HistorySwitch(), 1);
        QCOMPARE(s.Main()->Editors().size(), 2);
    }

    void aSettingsFileThatIsAFolderOrAPipeIsNamedInMessage987() {
        Started s;
        const std::string file = s.config.ProgramFile();
        const QString reinstall = QStringLiteral(
            "Can't define path to the the Telmora Execution Service. You should to reinstall application.\n");
        for (const bool pipe : {false, true}) {
            s.config.RemoveProgramKey();
            if (pipe)
                QCOMPARE(mkfifo(file.c_str(), 0644), 0);
            else
                QVERIFY(std::filesystem::create_directory(file));
            QString text;
            ModalDriver driver;
            driver.Then(Is<cMsgDialog>, [&text](QWidget* box) {
                text = MessageText(box);
                ClickButton(box, cMsgDialog::kSingleOkId);
            });
            CSqlMainFrame* frame = s.Open();
            QVERIFY(frame);
            QVERIFY(driver.Done());
            QCOMPARE(text, reinstall + QString::fromStdString(file) +
                               (pipe ? QStringLiteral(" is a pipe (FIFO), not a settings file.")
                                     : QStringLiteral(" is a folder, not a settings file.")));
            QCOMPARE(frame->TextPane()->HistorySwitch(), 1);
            // Closing the window writes its state to the same file: refused, not blocked.
            QVERIFY(frame->close());
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
        }
    }

    void saveAsAppliesTheSqlRuleAndItsCaptionStartsWithASpace() {
        Started s;
        Folder folder;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        QTest::keyClicks(pane, QStringLiteral("select 1"));
        QTest::keyClick(pane, Qt::Key_Return);
        QTest::keyClicks(pane, QStringLiteral("from dual"));

        struct Case {
            std::string typed;
            int filter;
            std::string written;
        };
        const std::vector<Case> cases = {
            {"query", 0, "query.sql"},
            {"Query.SQL", 0, "Query.SQL"},
            {"my.sql.bak", 0, "my.sql.bak"},
            {"plain", 1, "plain"},
        };
        for (const Case& c : cases) {
            QStringList filters;
            QString selected;
            QString suffix = QStringLiteral("unset");
            ModalDriver driver;
            driver.Then(Is<QFileDialog>, [&, c](QWidget* w) {
                auto* dialog = static_cast<QFileDialog*>(w);
                filters = dialog->nameFilters();
                selected = dialog->selectedNameFilter();
                suffix = dialog->defaultSuffix();
                Choose(folder.File(c.typed), c.filter)(w);
            });
            s.Activate();
            QVERIFY(s.Main()->RouteCommand(cmd::kSaveFileAs));
            QTRY_VERIFY(driver.Done());
            QCOMPARE(filters, (QStringList{"SQL Files (*.sql)", "All Files (*.*)"}));
            QCOMPARE(selected, QStringLiteral("SQL Files (*.sql)"));
            QCOMPARE(suffix, QString());
            const std::string path = folder.File(c.written);
            QVERIFY2(std::filesystem::exists(path), path.c_str());
            QCOMPARE(ReadFile(path), std::string("select 1\nfrom dual"));
            const QString caption = QStringLiteral(" Quarvel [@] - ") + QString::fromStdString(path);
            QCOMPARE(s.Main()->windowTitle(), caption);
            QCOMPARE(frame->windowTitle(), caption);
            QCOMPARE(doc->FileName(), path);
            QCOMPARE(doc->GetPathName(), path);
            QVERIFY(!doc->IsModified());
        }
        QVERIFY(!std::filesystem::exists(folder.File("Query.SQL.sql")));
        QVERIFY(!std::filesystem::exists(folder.File("plain.sql")));

        // Cancel changes nothing.
        const QString before = s.Main()->windowTitle();
        {
            ModalDriver driver;
            driver.Then(Is<QFileDialog>, Reject);
            QVERIFY(s.Main()->RouteCommand(cmd::kSaveFileAs));
            QVERIFY(driver.Done());
        }
        QCOMPARE(s.Main()->windowTitle(), before);

        // "query" would become the existing query.sql: asked first; Cancel keeps the old file.
        s.Activate();
        QTest::keyClicks(pane, QStringLiteral(" -- changed"));
        QString question;
        {
            ModalDriver driver;
            driver.Then(Is<QFileDialog>, Choose(folder.File("query"), 0)).Then(Is<cMsgDialog>, [&](QWidget* box) {
                question = MessageText(box);
                ClickButton(box, IDCANCEL);
            });
            QVERIFY(s.Main()->RouteCommand(cmd::kSaveFileAs));
            QVERIFY(driver.Done());
        }
        QCOMPARE(question, QString::fromStdString(folder.File("query.sql")) +
                               QStringLiteral(" already exists.\nDo you want to replace it?"));
        QCOMPARE(ReadFile(folder.File("query.sql")), std::string("select 1\nfrom dual"));
        QVERIFY(doc->IsModified());
        {
            ModalDriver driver;
            driver.Then(Is<QFileDialog>, Choose(folder.File("query"), 0))
                .Then(Is<cMsgDialog>, [](QWidget* box) { ClickButton(box, IDOK); });
            QVERIFY(s.Main()->RouteCommand(cmd::kSaveFileAs));
            QVERIFY(driver.Done());
        }
        QCOMPARE(ReadFile(folder.File("query.sql")), std::string("select 1\nfrom dual -- changed"));

        // The dialog itself asks before it replaces the file named as typed.
        bool asked = false;
        {
            ModalDriver driver;
            driver.Then(Is<QFileDialog>, Choose(folder.File("plain"), 1))
                .Then(Is<QMessageBox>,
                      [&](QWidget* box) {
                          asked = true;
                          static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
                      })
                .Then(Is<QFileDialog>, Reject);
            QVERIFY(s.Main()->RouteCommand(cmd::kSaveFileAs));
            QVERIFY(driver.Done());
        }
        QVERIFY(asked);
        QCOMPARE(ReadFile(folder.File("plain")), std::string("select 1\nfrom dual"));
    }

    void aFileWithNulBytesSaysSoAndSavingOverItAsksFirst() {
        Started s;
        Folder folder;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        const std::string path = folder.File("nul.sql");
        static const char bytes[] = "select 1\0 from t\r\nfrom dual";
        const std::string original(bytes, sizeof bytes - 1);
        WriteFile(path, original);

        QString notice;
        {
            ModalDriver driver;
            driver.Then(Is<QFileDialog>, Choose(path, 0)).Then(Is<cMsgDialog>, [&](QWidget* box) {
                notice = MessageText(box);
                ClickButton(box, cMsgDialog::kSingleOkId);
            });
            QVERIFY(s.Main()->RouteCommand(cmd::kOpenFile));
            QTRY_VERIFY(driver.Done());
        }
        QVERIFY2(notice.startsWith(QString::fromStdString(path) + QStringLiteral("\n1 line of this file held a NUL byte")),
                 qPrintable(notice));
        QCOMPARE(Lines(doc), (std::vector<std::string>{"select 1", "from dual"}));

        // Save File As onto the same file: the dialog's own overwrite question, then ours; Cancel keeps the
        // file whole and the window modified.
        s.Activate();
        QTest::keyClicks(pane, QStringLiteral("-- "));
        QString question;
        auto saveOver = [&](int answer) {
            ModalDriver driver;
            driver.Then(Is<QFileDialog>, Choose(path, 0))
                .Then(Is<QMessageBox>, [](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); })
                .Then(Is<cMsgDialog>, [&, answer](QWidget* box) {
                    question = MessageText(box);
                    ClickButton(box, answer);
                });
            s.Activate();
            QVERIFY(s.Main()->RouteCommand(cmd::kSaveFileAs));
            QTRY_VERIFY(driver.Done());
        };
        saveOver(IDCANCEL);
        QVERIFY2(question.contains(QStringLiteral("1 line cut at a NUL byte")), qPrintable(question));
        QVERIFY(question.endsWith(QStringLiteral("Save anyway?")));
        QCOMPARE(ReadFile(path), original);
        QVERIFY(doc->IsModified());
        saveOver(IDOK);
        QCOMPARE(ReadFile(path), std::string("-- select 1\r\nfrom dual"));
        QVERIFY(!doc->IsModified());
    }

    void aSaveThatFailsShowsTheReasonAndTheWindowStaysModified() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        QTest::keyClicks(pane, QStringLiteral("select 1 from dual"));
        SmallDisk full(SmallDisk::Kind::Full);
        SmallDisk readOnly(SmallDisk::Kind::ReadOnly);
        if (!readOnly.Mounted())
            QCOMPARE(chmod(readOnly.Dir().c_str(), 0555), 0); // stops anyone but root
        struct Case {
            std::string path;
            int reason;
        };
        std::vector<Case> cases;
        if (readOnly.Mounted() || geteuid() != 0)
            cases.push_back({readOnly.File("q.sql"), readOnly.Mounted() ? EROFS : EACCES});
        if (full.Mounted())
            cases.push_back({full.File("q.sql"), ENOSPC});
        if (cases.empty())
            QSKIP("neither a full nor a read-only folder can be made here");
        const QString caption = s.Main()->windowTitle();
        for (const Case& c : cases) {
            QString text;
            ModalDriver driver;
            driver.Then(Is<QFileDialog>, Choose(c.path, 0)).Then(Is<cMsgDialog>, [&](QWidget* box) {
                text = MessageText(box);
                ClickButton(box, cMsgDialog::kSingleOkId);
            });
            s.Activate();
            QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier);
            QTRY_VERIFY(driver.Done());
            QCOMPARE(text, QStringLiteral("The text could not be saved to ") + QString::fromStdString(c.path) +
                               QStringLiteral(":\n") + QString::fromUtf8(std::strerror(c.reason)) + QStringLiteral("."));
            QVERIFY(doc->IsModified());
            QCOMPARE(s.Main()->windowTitle(), caption);
            QCOMPARE(doc->FileName(), std::string(kNewSqlScript));
            QVERIFY(!std::filesystem::exists(c.path));
        }
        QCOMPARE(Lines(doc).front(), std::string("select 1 from dual"));
    }

    void openAsksBeforeReplacingModifiedTextAndSetsTheCaption() {
        Started s;
        Folder folder;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        const std::string path = folder.File("in.sql");
        WriteFile(path, "select 2\r\nfrom dual\r\n-- end");
        const QString untitled = frame->windowTitle();
        QVERIFY(!untitled.endsWith('*'));
        QTest::keyClicks(pane, QStringLiteral("unsaved text"));
        QVERIFY(doc->IsModified());
        QCOMPARE(frame->windowTitle(), untitled + '*');

        // Cancel keeps the text, its undo steps and the mark.
        QString question;
        ModalDriver keep;
        keep.Then(Is<QFileDialog>, Choose(path, 0)).Then(Is<QMessageBox>, [&](QWidget* w) {
            auto* box = static_cast<QMessageBox*>(w);
            question = box->text();
            box->button(QMessageBox::Cancel)->click();
        });
        QVERIFY(s.Main()->RouteCommand(cmd::kOpenFile));
        QTRY_VERIFY(keep.Done());
        QCOMPARE(question, QStringLiteral("Save changes to Untitled?")); // as closing asks
        QCOMPARE(Lines(doc), (std::vector<std::string>{"unsaved text"}));
        QVERIFY(doc->IsModified());
        QCOMPARE(frame->windowTitle(), untitled + '*');
        s.Activate();
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier); // the typing is still there to undo
        QVERIFY(Lines(doc) != (std::vector<std::string>{"unsaved text"}));
        QTest::keyClick(pane, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(Lines(doc), (std::vector<std::string>{"unsaved text"}));

        QStringList filters;
        QString selected;
        bool existingOnly = false;
        ModalDriver driver;
        driver.Then(Is<QFileDialog>, [&](QWidget* w) {
            auto* dialog = static_cast<QFileDialog*>(w);
            filters = dialog->nameFilters();
            selected = dialog->selectedNameFilter();
            existingOnly = dialog->fileMode() == QFileDialog::ExistingFile;
            Choose(path, 0)(w);
        });
        // No: the text goes without being saved.
        driver.Then(Is<QMessageBox>, [](QWidget* w) { static_cast<QMessageBox*>(w)->button(QMessageBox::No)->click(); });
        QVERIFY(s.Main()->RouteCommand(cmd::kOpenFile));
        QTRY_VERIFY(driver.Done());
        QCOMPARE(filters, (QStringList{"SQL Files (*.sql)", "All Files (*.*)"}));
        QCOMPARE(selected, QStringLiteral("SQL Files (*.sql)"));
        QVERIFY(existingOnly);

        QCOMPARE(Lines(doc), (std::vector<std::string>{"select 2", "from dual", "-- end"}));
        QVERIFY(!doc->IsModified());
        QCOMPARE(pane->CaretPosition(), (editor::TextPosition{0, 0}));
        QCOMPARE(s.EditItem(cmd::kUndo)->text(), QStringLiteral("&Undo\tCtrl+Z"));
        const QString caption = QStringLiteral("Quarvel [@] - ") + QString::fromStdString(path);
        QCOMPARE(s.Main()->windowTitle(), caption);
        QCOMPARE(frame->windowTitle(), caption);
        QCOMPARE(doc->FileName(), path);
        // The pane edits the new text at once.
        s.Activate();
        QTest::keyClick(pane, Qt::Key_End);
        QTest::keyClicks(pane, QStringLiteral(" x"));
        QCOMPARE(Lines(doc).front(), std::string("select 2 x"));
        QVERIFY(pane->CheckInvariants());

        // A path that cannot be read keeps the text, the file name and the captions.
        QVERIFY(!pane->OpenFilePath(folder.File("missing.sql")));
        QVERIFY(!pane->OpenFilePath(folder.path));
        QVERIFY(!pane->OpenFilePath(""));
        QCOMPARE(Lines(doc).front(), std::string("select 2 x"));
        QCOMPARE(doc->FileName(), path);
        QCOMPARE(s.Main()->windowTitle(), caption);
        QVERIFY(pane->CheckInvariants());

        // Cancel changes nothing either.
        ModalDriver cancel;
        cancel.Then(Is<QFileDialog>, Reject);
        QVERIFY(s.Main()->RouteCommand(cmd::kOpenFile));
        QVERIFY(cancel.Done());
        QCOMPARE(Lines(doc).front(), std::string("select 2 x"));
    }
};

QTEST_MAIN(TextPaneTest)
#include "TextPaneTest.moc"
