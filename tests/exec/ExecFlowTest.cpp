// Running statements through the real editor window on a fresh embedded database: F9 in the text pane,
// the grid's batches and navigation keys, the progress dialog with Cancel, Stop, message 958, commit and
// rollback seen from a second session, server output, the caret on an error line, sorting, copying,
// closing a window while a fetch-all runs, and Explain Plan (F6).
#include "CMainFrame.h"
#include "CNoGripStatusBar.h"
#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CSqlOutputView.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "ExecCommands.h"
#include "Execution.h"
#include "ExplainPlan.h"
#include "DBStmt.h"
#include "ScriptCommands.h"
#include "TextBuffer.h"
#include "GuiTestSupport.h"
#include "TestEditor.h"
#include "IniSettingsKey.h"
#include "ResultModel.h"
#include "SecondSession.h"
#include "cFetchStatus.h"
#include "cReportValue.h"
#include "cMsgDialog.h"
#include "cSqlConnect.h"

#include <QClipboard>
#include <QAbstractButton>
#include <QPointer>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

constexpr int kBigRows = 216000; // 60 x 60 x 60

using Editor = TestEditor;

void Acknowledge(QWidget* box) {
    box->findChild<QPushButton*>(QStringLiteral("105"))->click();
}

// Starts a fetch-all far too large to end by itself, runs `command` while its progress dialog shows
// (with `whileFetching` checked first), answers the message that follows and cancels the fetch.
// Returns the message's text.
QString MessageDuringFetchAll(Editor& e, const std::function<void()>& command,
                              const std::function<void()>& whileFetching = {}) {
    if (!e.Run("select a.id from big a, big b"))
        return QStringLiteral("<the query did not run>");
    QString message;
    ModalDriver driver;
    driver
        .Then(Is<cFetchStatus>,
              [&](QWidget*) {
                  if (whileFetching)
                      whileFetching();
                  QTimer::singleShot(0, command);
              })
        .Then(Is<cMsgDialog>,
              [&](QWidget* box) {
                  message = MessageText(box);
                  Acknowledge(box);
              })
        .Then(Is<cFetchStatus>, [&](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
    e.Key(Qt::Key_End);
    if (!QTest::qWaitFor([&] { return driver.Done(); }, 20000) || !e.WaitIdle())
        return QStringLiteral("<the dialogs did not come>");
    return message;
}

const QString kStatementRunning =
    QStringLiteral("Previous SQL statement is running now. Wait for execution complete or stop it first.");

} // namespace

class ExecFlowTest : public QObject {
    Q_OBJECT
private slots:
    void queriesFewerAndMoreRowsThanTheFirstBatchThenNextAndLastRow() {
        Editor e;
        QVERIFY(e.Run("select id, name from t where id <= 3 order by id"));
        QCOMPARE(e.Rows(), 3);
        QCOMPARE(e.LastOutput(), QStringLiteral("Statement processed. 3 Row(s) selected."));
        QCOMPARE(e.Caption(), QStringLiteral("3 Row(s) selected"));
        QVERIFY(e.grid->isVisible()); // the first row showed the result pane again
        QVERIFY(e.pane->IsInputEnabled());

        QVERIFY(e.Run("select id, name from t order by id"));
        QCOMPARE(e.Rows(), 50);
        QCOMPARE(e.LastOutput(), QStringLiteral("Statement processed (partial)."));
        QCOMPARE(e.grid->Model()->Cell(3, 2), std::string()); // NULL
        QCOMPARE(e.grid->Model()->Cell(4, 0), std::string("5"));
        QVERIFY(e.frame->SplitFrame()->Chain().Route(cmd::kFirstRow));
        QCOMPARE(e.Caption(), QStringLiteral("Row 1 of 50 (partial)"));
        for (int i = 0; i < 49; ++i)
            e.Key(Qt::Key_Down);
        QCOMPARE(e.Caption(), QStringLiteral("Row 50 of 50 (partial)"));
        // Down on the last row of a partial result fetches exactly one row and selects it.
        e.Key(Qt::Key_Down);
        QCOMPARE(e.Rows(), 51);
        QCOMPARE(e.Caption(), QStringLiteral("Row 51 of 51 (partial)"));
        QCOMPARE(e.Output().mid(e.Output().size() - 2),
                 (QStringList{"Executing..", "Statement processed (partial)."}));
        // End fetches the rest under the progress dialog.
        e.Key(Qt::Key_End);
        QCOMPARE(e.Rows(), 60);
        QCOMPARE(e.Caption(), QStringLiteral("Row 60 of 60"));
        QCOMPARE(e.LastOutput(), QStringLiteral("Statement processed. 60 Row(s) selected."));
        const int lines = e.Output().size();
        e.Key(Qt::Key_Down); // nothing more to fetch
        QCOMPARE(e.Rows(), 60);
        QCOMPARE(e.Output().size(), lines);
        e.Key(Qt::Key_Up);
        QCOMPARE(e.Caption(), QStringLiteral("Row 59 of 60"));
    }

    void lastRowCancelledPartWayKeepsTheRowsAndLastRowAgainFetchesTheRest() {
        Editor e(true);
        QVERIFY(e.Run("select id, name from big"));
        QCOMPARE(e.Rows(), 50);
        QString progress;
        ModalDriver driver;
        driver.Then(Is<cFetchStatus>, [&](QWidget* d) {
            // Cancel as soon as the dialog shows rows beyond the first batch: never after the fetch
            // could have ended by itself.
            QPointer<QWidget> dialog(d);
            auto* text = d->findChild<QLineEdit*>(QString::number(cFetchStatus::kProgressId));
            QVERIFY(QTest::qWaitFor(
                [&] { return !dialog || text->text().section(' ', 0, 0).toInt() > 50; }, 20000));
            QVERIFY(dialog);
            progress = text->text();
            d->findChild<QPushButton*>(QStringLiteral("2"))->click();
        });
        e.Key(Qt::Key_End);
        QVERIFY(driver.Done());
        QVERIFY(e.WaitIdle());
        QVERIFY(progress.endsWith(QStringLiteral(" rows fetched.")));
        const int rows = e.Rows();
        QVERIFY2(rows > 50 && rows < kBigRows, qPrintable(QString::number(rows)));
        QCOMPARE(e.LastOutput(), QStringLiteral("Statement processed (partial)."));
        QVERIFY(e.Caption().endsWith(QStringLiteral(" (partial)")));
        e.Key(Qt::Key_End);
        QCOMPARE(e.Rows(), kBigRows);
        QCOMPARE(e.Caption(), QStringLiteral("Row 216000 of 216000"));
        QCOMPARE(e.grid->Model()->Cell(kBigRows - 1, 0), std::to_string(kBigRows));
    }

    void executeWhileAFetchAllRunsIsRefusedWith958() {
        Editor e(true);
        const QString message = MessageDuringFetchAll(
            e, [&] { ExecuteSql(*e.doc, "select 1 from dual", 0); },
            [&] {
                QVERIFY(!e.frame->CommandEnabled(cmd::kExecuteSql).value_or(true));
                QVERIFY(e.frame->CommandEnabled(cmd::kStopSql).value_or(false));
            });
        QCOMPARE(message, kStatementRunning);
        QVERIFY(e.doc->State().statement != nullptr); // the refused command left the running statement alone
    }

    void stopDuringALongFetchKeepsTheRowsAndNothingMoreIsFetched() {
        Editor e(true, "0", "2");
        // Every row of this query scans the big table, so the server is busy most of the time.
        QVERIFY(e.Run("select a.id, (select count(*) from big b, t c where b.id < a.id * 3000 + c.id) n from t a"));
        QCOMPARE(e.Rows(), 2);
        ModalDriver driver;
        driver.Then(Is<cFetchStatus>, [&](QWidget*) {
            QTest::qWait(300);
            QVERIFY(e.frame->CommandEnabled(cmd::kStopSql).value_or(false));
            e.grid->OnCommand(cmd::kStopSql);
        });
        e.Key(Qt::Key_End);
        QVERIFY(e.WaitIdle());
        const int rows = e.Rows();
        QVERIFY2(rows >= 2 && rows < 60, qPrintable(QString::number(rows) + " " + e.Output().join('|')));
        QVERIFY2(e.LastOutput().contains(QStringLiteral("ORA-01013")), qPrintable(e.LastOutput()));
        QCOMPARE(e.doc->State().statement, nullptr);
        QVERIFY(e.Caption().endsWith(QStringLiteral(" (partial)")));
        const int lines = e.Output().size();
        e.Key(Qt::Key_End);
        e.Key(Qt::Key_Down);
        QCOMPARE(e.Rows(), rows);
        QCOMPARE(e.Output().size(), lines);
        QVERIFY(e.pane->IsInputEnabled());
    }

    // Two editor windows on one database: A fetches all rows under its progress dialog while B runs,
    // ends and is cancelled. A's dialog keeps A's own count and stays open until A ends, and B's late
    // Cancel stops neither A's fetch nor B's next batch.
    void twoWindowsKeepTheirOwnProgressDialogAndCancel() {
        Editor e(true, "0", "2");
        e.app->Fields().pendingConnection = std::make_unique<DBConnect>();
        e.app->Fields().pendingConnection->Logon("DEMO", "demo", e.db.Path().c_str());
        CSqlMainFrame* second = e.app->OpenNewDocument();
        QVERIFY(second);
        CQuarvelDoc* other = second->Document();
        ResultModel* otherRows = second->SplitFrame()->Grid()->Model();
        auto otherIdle = [other] { return QTest::qWaitFor([other] { return !other->IsWorkerRunning(); }, 60000); };
        // Every row of A's query scans the big table, so its fetch-all takes a while.
        QVERIFY(e.Run("select a.id, (select count(*) from big b, t c where b.id < a.id * 3000 + c.id) n from t a"));
        QCOMPARE(e.Rows(), 2);

        bool openWhileARuns = false;
        QString progress;
        int otherAfterCancel = -1;
        ModalDriver driver;
        driver.Then(Is<cFetchStatus>, [&](QWidget* d) {
            auto* text = d->findChild<QLineEdit*>(QString::number(cFetchStatus::kProgressId));
            QVERIFY(ExecuteSql(*other, "select a.id from t a, t b", 0));
            QVERIFY(otherIdle());
            QVERIFY(exec::StartBatch(other->Exec(), exec::kAllRows, false));
            QVERIFY(otherIdle());
            QCOMPARE(otherRows->RowCount(), 3600);
            other->Exec().run.Cancel(); // after B's last check
            QTest::qWait(200);
            openWhileARuns = d->isVisible() && e.doc->IsWorkerRunning();
            progress = text->text();
            // B's next statement runs its whole first batch.
            QVERIFY(ExecuteSql(*other, "select id from t", 0));
            QVERIFY(otherIdle());
            otherAfterCancel = otherRows->RowCount();
            e.grid->OnCommand(cmd::kStopSql); // A's rows are slow: Stop breaks the one in progress
        });
        e.Key(Qt::Key_End);
        QVERIFY(e.WaitIdle());
        QVERIFY(driver.Done());
        QVERIFY(openWhileARuns);
        static const QRegularExpression count(QStringLiteral("^(\\d+) rows fetched\\.$"));
        const QRegularExpressionMatch match = count.match(progress);
        QVERIFY2(match.hasMatch(), qPrintable(progress));
        QVERIFY2(match.captured(1).toInt() >= 2 && match.captured(1).toInt() <= 60, qPrintable(progress));
        QCOMPARE(otherAfterCancel, 2);
        QVERIFY2(e.LastOutput().contains(QStringLiteral("ORA-01013")), qPrintable(e.LastOutput()));
        QVERIFY(e.Rows() >= 2 && e.Rows() < 60);
        QVERIFY(second->close());
    }

    void commitAndRollbackAreSeenFromASecondSession() {
        Editor e;
        QVERIFY(e.Run("update t set name = 'c' where id <= 3"));
        QCOMPARE(e.LastOutput(), QStringLiteral("3 row(s) updated."));
        QCOMPARE(e.CountOnSecondSession("name = 'c'"), 0);
        QVERIFY(e.PaneCommand(cmd::kCommit));
        QVERIFY(e.LastOutput().endsWith(QStringLiteral("Commit complete.")));
        QCOMPARE(e.doc->State().pendingChanges, 0);
        QCOMPARE(e.CountOnSecondSession("name = 'c'"), 3);

        QVERIFY(e.Run("delete from t where id > 50"));
        QCOMPARE(e.LastOutput(), QStringLiteral("10 row(s) deleted."));
        QVERIFY(e.GridCommand(cmd::kRollback));
        QVERIFY(e.LastOutput().endsWith(QStringLiteral("Rollback complete.")));
        QCOMPARE(e.CountOnSecondSession("id > 50"), 10);
    }

    void serverOutputOnCollectsThreeLinesAndOffNone() {
        Editor e;
        const QString block = QStringLiteral(
            "BEGIN DBMS_OUTPUT.PUT_LINE('one'); DBMS_OUTPUT.PUT_LINE('two'); DBMS_OUTPUT.PUT_LINE('three'); END;");
        QVERIFY(e.PaneCommand(cmd::kServerOutput));
        QCOMPARE(e.doc->State().serverOutputOn, 1);
        const QString on = e.frame->StatusBar()->PaneText(CSqlMainFrame::kServerOutputPane);
        QVERIFY(e.Run(block));
        QCOMPARE(e.doc->State().serverOutputLines, (std::vector<std::string>{"one", "two", "three"}));
        const QStringList output = e.Output();
        QVERIFY(output.filter(QStringLiteral("one")).size() >= 1);
        QVERIFY(output.filter(QStringLiteral("three")).size() >= 1);

        QVERIFY(e.GridCommand(cmd::kServerOutput));
        QCOMPARE(e.doc->State().serverOutputOn, 0);
        QVERIFY(e.frame->StatusBar()->PaneText(CSqlMainFrame::kServerOutputPane) != on);
        QVERIFY(e.Run(block));
        QVERIFY(e.doc->State().serverOutputLines.empty());
        QCOMPARE(e.LastOutput(), QStringLiteral("Statement processed."));
    }

    void aFailingStatementPutsTheCaretOnTheErrorLine() {
        Editor e;
        QVERIFY(e.Run("update t\nset name = 'x'\nwhere id = = 3"));
        QVERIFY(e.LastOutput().startsWith(QStringLiteral("ORA-")));
        QCOMPARE(e.pane->CaretPosition().y, 2);
        QVERIFY(e.pane->IsInputEnabled());
        QCOMPARE(e.doc->State().statement, nullptr);
        // A query's error is found when it is described, before any fetch.
        QVERIFY(e.Run("select id,\n  name\nfrom t\nwhere id = = 3"));
        QVERIFY(e.LastOutput().startsWith(QStringLiteral("ORA-")));
        QCOMPARE(e.pane->CaretPosition().y, 3);
        QVERIFY(e.pane->IsInputEnabled());

        e.Admin("create table ts (id number, at timestamp)");
        QVERIFY(e.Run("select id, at from ts"));
        QCOMPARE(e.LastOutput(), QStringLiteral("[OCI]: Unsupported data type: (Unsupported type)"));
        QCOMPARE(e.Rows(), 0);
    }

    void sortingPutsNineBeforeTenAndCopyKeepsNullsAsEmptyFields() {
        Editor e;
        e.Admin("create table s (v varchar2(5), n varchar2(5))");
        e.Admin("insert into s values ('10', 'a')");
        e.Admin("insert into s values ('9', NULL)");
        e.Admin("insert into s values ('100', 'c')");
        e.Admin("commit");
        QVERIFY(e.Run("select v, n from s"));
        QCOMPARE(e.Rows(), 3);
        QHeaderView* header = e.grid->horizontalHeader();
        auto column = [&](int c) {
            QStringList texts;
            for (int r = 0; r < e.Rows(); ++r)
                texts << QString::fromStdString(e.grid->Model()->Cell(r, c));
            return texts;
        };
        const int direction = exec::SharedSortState().direction;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 5, 5));
        QCOMPARE(column(1), direction == 0 ? (QStringList{"100", "10", "9"}) : (QStringList{"9", "10", "100"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 5, 5));
        QCOMPARE(column(1), direction == 0 ? (QStringList{"9", "10", "100"}) : (QStringList{"100", "10", "9"}));
        if (direction == 0)
            QCOMPARE(column(0), (QStringList{"2", "1", "3"})); // ROW# keeps the fetch order

        QApplication::clipboard()->setText(QStringLiteral("untouched"));
        e.grid->clearSelection();
        e.grid->setFocus();
        QTest::keyClick(e.grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("untouched")); // nothing selected
        QTest::keyClick(e.grid, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(e.grid, Qt::Key_C, Qt::ControlModifier);
        const QString copied = QApplication::clipboard()->text();
        QVERIFY(copied.startsWith(QStringLiteral("ROW#;V;N\r\n")));
        QVERIFY(copied.contains(QStringLiteral("2;9;\r\n")));
        QCOMPARE(copied.count(QStringLiteral("\r\n")), 4);
    }

    void autoformatWidthsFollowTheCommands() {
        Editor e;
        QVERIFY(e.Run("select id, name from t where id <= 10"));
        const int nameWidth = e.grid->columnWidth(2);
        QVERIFY(e.grid->columnWidth(0) > e.grid->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
        QCOMPARE(nameWidth, 4 * 7 + 20); // "NAME" is longer than "n10"
        QVERIFY(e.frame->SplitFrame()->Chain().Route(cmd::kAutoformatByData));
        QCOMPARE(e.grid->columnWidth(2), 3 * 7 + 20);
        QVERIFY(e.frame->SplitFrame()->Chain().Route(cmd::kAutoformatByName));
        QCOMPARE(e.grid->columnWidth(1), 2 * 7 + 20);
    }

    void theHistoryLogGetsEachExecutedTextOnlyWhileTheSettingIsOn() {
        char pattern[] = "/tmp/quarvel-log-XXXXXX";
        const std::string dir = mkdtemp(pattern);
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        {
            Editor e(false, "0");
            QVERIFY(e.Run("select id from t where id = 1"));
            QVERIFY(!std::filesystem::exists(dir + "/Quarvel.log"));
        }
        {
            Editor e(false, "1");
            QVERIFY(e.Run("select id\nfrom t where id = 1"));
            QVERIFY(e.Run("select id from t where id = = 1")); // refused by the server, still logged
        }
        std::filesystem::current_path(previous);
        std::ifstream in(dir + "/Quarvel.log", std::ios::binary);
        const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const QRegularExpression entries(QStringLiteral(
            "^\\d\\d-\\d\\d-\\d{4} \\d\\d-\\d\\d-\\d\\d\r\nselect id \r\nfrom t where id = 1\r\n\r\n"
            "\\d\\d-\\d\\d-\\d{4} \\d\\d-\\d\\d-\\d\\d\r\nselect id from t where id = = 1\r\n\r\n$"));
        QVERIFY2(entries.match(QString::fromStdString(log)).hasMatch(), log.c_str());
        std::filesystem::remove_all(dir);
    }

    void closingTheWindowWhileAFetchAllRunsNeitherCrashesNorHangs() {
        Editor e(true);
        // Far too many rows to end by themselves before the window closes.
        QVERIFY(e.Run("select a.id, a.name from big a, big b"));
        QPointer<CSqlMainFrame> frame(e.frame);
        ModalDriver driver;
        driver
            .Then(Is<cFetchStatus>,
                  [&](QWidget*) {
                      QTest::qWait(100);
                      QTimer::singleShot(0, frame, [frame] { frame->close(); });
                  })
            .Then(Is<QMessageBox>, [](QWidget* box) {
                static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
            });
        // Last Row through its command: the grid goes with the window while the dialog runs.
        QPointer<CQuarvelView> grid(e.grid);
        QTimer::singleShot(0, grid, [grid] { grid->LastRow(); });
        QVERIFY(QTest::qWaitFor([&] { return frame.isNull(); }, 30000));
        QVERIFY(e.app->MainFrame()->Editors().isEmpty());
    }

    // The line of the text pane that carries the execution mark; -1 when none does.
    static int MarkedLine(Editor& e) {
        editor::CTextBuffer* buffer = e.pane->Buffer();
        for (int32_t line = 0; line < buffer->LineCount(); ++line)
            if (buffer->LineFlags(line) & editor::LF_EXEC_MARK)
                return line;
        return -1;
    }

    // A script as a PL/SQL developer writes one: a package and its body, a trigger, and a block that
    // uses them, each ended by "/", run with F8; the trigger really fires and the package keeps state.
    void scriptOfAPackageItsBodyATriggerAndABlock() {
        Editor e;
        e.Admin("create table audit_log (id number, what varchar2(40))");
        e.Paste("create or replace package counter as\n"
                "  procedure bump;\n"
                "  function value return number;\n"
                "end counter;\n"
                "/\n"
                "create or replace package body counter as\n"
                "  n number := 0;\n"
                "  procedure bump is begin n := n + 1; end;\n"
                "  function value return number is begin return n; end;\n"
                "end counter;\n"
                "/\n"
                "create or replace trigger t_audit\n"
                "  after insert on t\n"
                "  for each row\n"
                "begin\n"
                "  insert into audit_log values (:new.id, 'inserted ' || :new.name);\n"
                "  counter.bump;\n"
                "end;\n"
                "/\n"
                "begin\n"
                "  insert into t values (301, 'p');\n"
                "  insert into t values (302, 'q');\n"
                "  dbms_output.put_line('count ' || counter.value);\n"
                "end;\n"
                "/\n");
        QVERIFY(e.PaneCommand(cmd::kServerOutput));
        e.pane->setFocus();
        QTest::keyClick(e.pane, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(e.pane, Qt::Key_F8);
        QVERIFY(e.WaitIdle());
        const QStringList out = e.Output();
        QVERIFY2(out.count(QStringLiteral("Statement processed.")) == 4, qPrintable(out.join('|')));
        QVERIFY(out.contains(QStringLiteral("Server output:")));
        QCOMPARE(out.last(), QStringLiteral("count 2"));
        QVERIFY(e.PaneCommand(cmd::kCommit));
        QCOMPARE(e.CountOnSecondSession("id in (301, 302)"), 2);
        DBConnect other;
        other.Logon("DEMO", "demo", e.db.Path().c_str());
        DBStmt count(&other, "select count(*) from audit_log where what like 'inserted %'");
        char buffer[16] = {};
        uint16_t length = 0, code = 0;
        int16_t indicator = 0;
        count.DefineChars(1, buffer, sizeof buffer - 1, &length, &indicator, &code);
        count.Fetch();
        QCOMPARE(QString::fromLatin1(buffer), QStringLiteral("2"));
    }

    void scriptWithF8ReportsEachStepMarksTheLastTerminatorAndCommitsNothingByItself() {
        Editor e;
        e.Type("insert into t values (101, 'a');\ninsert into t values (102, 'b');\n");
        QTest::keyClick(e.pane, Qt::Key_F8);
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.Output(), (QStringList{"Execute script..", "[1]: insert into t values (101, 'a')", "Statement processed.",
                                          "[2]:  \ninsert into t values (102, 'b')", "Statement processed."}));
        QCOMPARE(MarkedLine(e), 1);
        QVERIFY(e.pane->IsInputEnabled());
        QCOMPARE(e.CountOnSecondSession("id > 100"), 0); // the script's changes wait for Commit
        QVERIFY(e.PaneCommand(cmd::kCommit));
        QCOMPARE(e.CountOnSecondSession("id > 100"), 2);

        // A block ended by "/" runs as one statement, the DDL after it next; a SELECT stops the script.
        e.Paste("begin\n  insert into t values (103, 'c');\nend;\n/\ncreate table s2 (x number);\n"
                "select * from t;\ninsert into t values (104, 'd');\n");
        QTest::keyClick(e.pane, Qt::Key_F8);
        QVERIFY(e.WaitIdle());
        const QStringList out = e.Output().mid(e.Output().lastIndexOf(QStringLiteral("Execute script..")));
        QCOMPARE(out.size(), 7);
        QVERIFY2(out[1].startsWith(QStringLiteral("[1]: begin")) && out[1].trimmed().endsWith(QStringLiteral("end;")),
                 qPrintable(out[1])); // without its "/"
        QCOMPARE(out[2], QStringLiteral("Statement processed."));
        QVERIFY(out[3].startsWith(QStringLiteral("[2]: ")) && out[3].endsWith(QStringLiteral("create table s2 (x number)")));
        QVERIFY(out[5].startsWith(QStringLiteral("[3]: ")));
        QCOMPARE(out[6], QStringLiteral("Select statement in script not supported."));
        QCOMPARE(e.CountOnSecondSession("id = 104"), 0);
        QVERIFY(e.pane->IsInputEnabled());
    }

    void scriptFailureInTheMiddlePutsTheCaretOnTheErrorAndServerOutputFollows() {
        Editor e;
        e.Type("insert into t values (201, 'a');\nupdate t\n   set name = = 'x';\ninsert into t values (202, 'b');\n");
        QTest::keyClick(e.pane, Qt::Key_F8);
        QVERIFY(e.WaitIdle());
        QVERIFY2(e.LastOutput().startsWith(QStringLiteral("ORA-")), qPrintable(e.LastOutput()));
        QCOMPARE(e.pane->CaretPosition().y, 2);
        QVERIFY(e.pane->CaretPosition().x >= 3);
        QVERIFY(e.pane->IsInputEnabled());
        QCOMPARE(e.Output().count(QStringLiteral("Statement processed.")), 1);

        QVERIFY(e.PaneCommand(cmd::kServerOutput));
        QCOMPARE(e.doc->State().serverOutputOn, 1);
        const std::string longLine(1000, 'z');
        e.Paste(QString::fromStdString("begin\n  dbms_output.put_line('one');\n  dbms_output.put_line('" + longLine +
                                       "');\nend;\n/\n"));
        QTest::keyClick(e.pane, Qt::Key_F8);
        QVERIFY(e.WaitIdle());
        const QStringList out = e.Output();
        const int heading = out.lastIndexOf(QStringLiteral("Server output:"));
        QVERIFY(heading > 0);
        QCOMPARE(out[heading - 1], QStringLiteral("Statement processed."));
        QVERIFY(out.mid(heading + 1).contains(QStringLiteral("one")));
        QVERIFY(out.mid(heading + 1).contains(QString::fromStdString(longLine)));
    }

    void scriptWhileAFetchRunsIsRefusedAndClosingMidScriptNeitherHangsNorCrashes() {
        Editor e(true);
        QCOMPARE(MessageDuringFetchAll(e, [&] { ExecuteScriptSql(*e.doc, "insert into t values (1, 'x');\n", 0); }),
                 kStatementRunning);
        QCOMPARE(e.CountOnSecondSession("id = 1 and name = 'x'"), 0);

        // A long script, and the window closes while it runs (No to saving the text).
        QVERIFY(e.Reactivate());
        QString script;
        for (int i = 0; i < 3000; ++i)
            script += QStringLiteral("update t set name = 'r%1' where id = %2;\n").arg(i).arg(i % 60 + 1);
        e.Paste(script);
        QPointer<CSqlMainFrame> frame(e.frame);
        ModalDriver closing;
        closing.Then(Is<QMessageBox>, [](QWidget* box) {
            static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
        });
        // The script's updates are pending: Rollback undoes them as the window goes.
        closing.Then(Is<QMessageBox>, [](QWidget* w) {
            for (QAbstractButton* b : static_cast<QMessageBox*>(w)->buttons())
                if (b->text().remove('&') == QStringLiteral("Rollback"))
                    b->click();
        });
        QTest::keyClick(e.pane, Qt::Key_F8);
        QVERIFY(QTest::qWaitFor([&] { return e.Output().size() > 20; }, 20000));
        QVERIFY(e.doc->IsWorkerRunning());
        QTimer::singleShot(0, frame, [frame] { frame->close(); });
        QVERIFY(QTest::qWaitFor([&] { return frame.isNull(); }, 30000));
        QVERIFY(closing.Done());
        QVERIFY(e.app->MainFrame()->Editors().isEmpty());
        QCOMPARE(e.CountOnSecondSession("name like 'r%'"), 0);
    }

    void scriptsInTwoWindowsRunAtOnceEachInItsOwnOutputList() {
        Editor e;
        e.app->Fields().pendingConnection = std::make_unique<DBConnect>();
        e.app->Fields().pendingConnection->Logon("DEMO", "demo", e.db.Path().c_str());
        CSqlMainFrame* second = e.app->OpenNewDocument();
        QVERIFY(second);
        CQuarvelDoc* other = second->Document();
        // The embedded client lets one session at a time write to a database file, so the second
        // window's script only reads.
        std::string first, next;
        for (int i = 0; i < 400; ++i) {
            first += "insert into t values (" + std::to_string(1000 + i) + ", 'a');\n";
            next += "begin dbms_output.put_line('b" + std::to_string(i) + "'); end;\n/\n";
        }
        // The second window starts while the first still runs.
        QVERIFY(ExecuteScriptSql(*e.doc, first, 0));
        QVERIFY(ExecuteScriptSql(*other, next, 0));
        QVERIFY(e.WaitIdle());
        QVERIFY(QTest::qWaitFor([other] { return !other->IsWorkerRunning(); }, 60000));
        QCOMPARE(e.Output().count(QStringLiteral("Statement processed.")), 400);
        QCOMPARE(e.Output().filter(QStringLiteral("dbms_output")).size(), 0);
        const CSqlOutputView* otherOutput = second->OutputView();
        int processed = 0;
        for (int i = 0; i < otherOutput->LineCount(); ++i) {
            QVERIFY(!otherOutput->LineText(i).contains(QStringLiteral("'a')")));
            processed += otherOutput->LineText(i).endsWith(QStringLiteral("Statement processed.")) ? 1 : 0;
        }
        QCOMPARE(processed, 400);
        QVERIFY(e.PaneCommand(cmd::kCommit));
        QCOMPARE(e.CountOnSecondSession("id between 1000 and 1399"), 400);
        // The second window ran PL/SQL blocks, which may have changed data: closing asks.
        bool asked = false;
        ModalDriver driver;
        driver.Then(Is<QMessageBox>, [&asked](QWidget* w) {
            asked = static_cast<QMessageBox*>(w)->text().startsWith(QStringLiteral("Commit the pending changes"));
            for (QAbstractButton* b : static_cast<QMessageBox*>(w)->buttons())
                if (b->text().remove('&') == QStringLiteral("Rollback"))
                    b->click();
        });
        QVERIFY(second->close());
        QVERIFY(asked);
    }

    // F6 with no plan table: Cancel to the question creates nothing; OK creates it and shows the tree.
    void explainPlanAsksForThePlanTableThenShowsTheTree() {
        Editor e;
        e.Admin("create index t_id on t (id)");
        QString question;
        {
            ModalDriver driver;
            driver.Then(Is<cMsgDialog>, [&](QWidget* box) {
                question = MessageText(box);
                box->findChild<QPushButton*>(QString::number(cMsgDialog::kAltCancelId))->click();
            });
            e.Type("select name from t where id = 7");
            QTest::keyClick(e.pane, Qt::Key_F6);
            QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 5000));
        }
        QVERIFY(e.WaitIdle());
        QCOMPARE(question, QStringLiteral("Explain Plan Table (PLAN_TABLE) not exists. Create table?"));
        QVERIFY(e.Output().isEmpty());
        QVERIFY(e.frame->CommandEnabled(cmd::kExecuteSql).value_or(false));
        QVERIFY(e.Reactivate());

        {
            ModalDriver driver;
            driver.Then(Is<cMsgDialog>, [&](QWidget* box) {
                box->findChild<QPushButton*>(QString::number(cMsgDialog::kAltOkId))->click();
            });
            QTest::keyClick(e.pane, Qt::Key_F6);
            QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 5000));
        }
        QVERIFY(e.WaitIdle());
        QVERIFY(QTest::qWaitFor([&] { return e.LastOutput() == QStringLiteral("Statement processed."); }, 5000));
        QCOMPARE(e.Output().mid(0, 2), (QStringList{"Explain plan for statement:", "select name from t where id = 7"}));
        ResultModel* model = e.grid->Model();
        QCOMPARE(model->ColumnCount(), 2);
        QCOMPARE(QString::fromStdString(model->Title(0)), QStringLiteral("ID"));
        QCOMPARE(QString::fromStdString(model->Title(1)), QStringLiteral("OPERATION"));
        QCOMPARE(model->RowCount(), 3);
        QVERIFY(QString::fromStdString(model->Cell(0, 1)).startsWith(QStringLiteral("  SELECT STATEMENT")));
        QCOMPARE(QString::fromStdString(model->Cell(1, 1)), QStringLiteral("    TABLE ACCESS BY INDEX ROWID T"));
        QCOMPARE(QString::fromStdString(model->Cell(2, 1)), QStringLiteral("      INDEX RANGE SCAN T_ID"));
        QCOMPARE(QString::fromStdString(model->Cell(2, 0)), QStringLiteral("2"));
        QCOMPARE(e.Caption(), QStringLiteral("Explain Plan Statement"));
        QVERIFY(e.frame->SplitFrame()->Grid()->isVisible());
        QCOMPARE(e.doc->State().allFetched, 1);
        // The plan table exists from now on, seen by any session.
        QCOMPARE(e.CountOnSecondSession("id = 7"), 1);
        DBConnect other;
        other.Logon("DEMO", "demo", e.db.Path().c_str());
        RunOnSession(other, "select count(*) from plan_table");

        QVERIFY(e.Reactivate());
        // F6 again at once: no question, the same tree, not doubled.
        QTest::keyClick(e.pane, Qt::Key_F6);
        QVERIFY(e.WaitIdle());
        QVERIFY(QTest::qWaitFor([&] { return e.grid->Model()->RowCount() == 3; }, 5000));
        // And F9 afterwards gets the query's columns back, "ROW#" first.
        QVERIFY(e.Run("select id, name from t where id <= 2 order by id"));
        QCOMPARE(QString::fromStdString(e.grid->Model()->Title(0)), QStringLiteral("ROW#"));
        QCOMPARE(e.Rows(), 2);
    }

    void explainPlanOfABlockReportsTheErrorAndF6DuringAFetchIsRefused() {
        Editor e(true);
        e.Admin(exec::PlanTableCreateText("PLAN_TABLE"));
        e.Type("begin null; end;");
        QTest::keyClick(e.pane, Qt::Key_F6);
        QVERIFY(e.WaitIdle());
        QVERIFY(QTest::qWaitFor([&] { return e.LastOutput().startsWith(QStringLiteral("ORA-")); }, 5000));
        QVERIFY(e.frame->CommandEnabled(cmd::kExplainPlan).value_or(false));

        const QString message = MessageDuringFetchAll(
            e, [&] { ExplainPlanSql(*e.doc, "select 1 from dual", 0); },
            [&] { QVERIFY(!e.frame->CommandEnabled(cmd::kExplainPlan).value_or(true)); });
        QCOMPARE(message, kStatementRunning);
    }

    // Last: the double-click of this test leaves the next window of the run deaf to typed keys.
    void viewCellDataShowsTheCellUnderTheMouse() {
        Editor e;
        QVERIFY(e.Run("select id, name from t where id <= 3 order by id"));
        QString value, column;
        ModalDriver driver;
        driver.Then(Is<cReportValue>, [&](QWidget* d) {
            auto* viewer = static_cast<cReportValue*>(d);
            value = viewer->ValueField()->toPlainText();
            column = viewer->ColumnField()->text();
            viewer->CancelButton()->click();
        });
        const QRect cell = e.grid->visualRect(e.grid->model()->index(1, 2));
        QTest::mouseDClick(e.grid->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 5000));
        QCOMPARE(value, QStringLiteral("n2"));
        QCOMPARE(column, QStringLiteral("NAME"));
        QCOMPARE(e.app->Fields().cellColumnName, std::string("NAME"));
    }
    // Closing a window whose session holds an uncommitted insert asks; Cancel keeps the window and the
    // change pending, Rollback and Commit end the session as chosen (seen from a second session).
    void closingWithPendingChangesAsksAndDoesWhatWasChosen() {
        for (const QString& answer : {QStringLiteral("Rollback"), QStringLiteral("Commit")}) {
            Editor e;
        // A click into the text first, as a user starts (a double-click that opened a modal viewer
        // before leaves the test's mouse state pressed).
        QTest::mouseClick(e.pane->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
            QVERIFY(e.Run("insert into t values (100, 'new')"));
            QVERIFY(e.Run("select count(*) from t")); // a query leaves the change pending
            QString question;
            auto answerWith = [&question](const QString& button) {
                return [&question, button](QWidget* w) {
                    auto* box = static_cast<QMessageBox*>(w);
                    question = box->text();
                    for (QAbstractButton* b : box->buttons())
                        if (b->text().remove('&') == button)
                            b->click();
                };
            };
            {
                ModalDriver driver;
                // The typed statements are not to be saved; then the session's question.
                driver.Then(Is<QMessageBox>, answerWith(QStringLiteral("No")));
                driver.Then(Is<QMessageBox>, answerWith(QStringLiteral("Cancel")));
                QVERIFY(!e.frame->close());
                QTRY_VERIFY(driver.Done());
            }
            QCOMPARE(question, QStringLiteral("Commit the pending changes of DEMO@") + QString::fromStdString(e.db.Path()) + '?');
            QVERIFY(e.frame->isVisible());
            QCOMPARE(e.CountOnSecondSession("id = 100"), 0);
            QVERIFY(e.Run("select id from t where id = 100"));
            QCOMPARE(e.Rows(), 1); // the window's own session still holds it

            QPointer<CSqlMainFrame> frame(e.frame);
            ModalDriver driver;
            driver.Then(Is<QMessageBox>, answerWith(QStringLiteral("No")));
            driver.Then(Is<QMessageBox>, answerWith(answer));
            QVERIFY(frame->close());
            QTRY_VERIFY(driver.Done());
            QTRY_VERIFY(!frame);
            QCOMPARE(e.CountOnSecondSession("id = 100"), answer == QStringLiteral("Commit") ? 1 : 0);
        }
        // Committed work, DDL and queries alone are not asked about.
        Editor e;
        QVERIFY(e.Run("insert into t values (101, 'new')"));
        QVERIFY(e.GridCommand(cmd::kCommit));
        QVERIFY(e.Run("select * from t"));
        QVERIFY(e.Run("update t set name = 'u' where id = 1"));
        QVERIFY(e.Run("create table t2 (x number)"));
        QPointer<CSqlMainFrame> frame(e.frame);
        int questions = 0;
        ModalDriver driver;
        driver.Then(Is<QMessageBox>, [&questions](QWidget* w) {
            ++questions;
            static_cast<QMessageBox*>(w)->button(QMessageBox::No)->click();
        });
        QVERIFY(frame->close());
        QTRY_VERIFY(!frame);
        QCOMPARE(questions, 1); // only the one about the text
        QCOMPARE(e.CountOnSecondSession("id = 101"), 1);
        QCOMPARE(e.CountOnSecondSession("name = 'u'"), 1);
    }

    // Row 1,000,000 shows its whole number, the grid draws NULL apart while copying it as empty, and
    // numbers are right-aligned.
    void rowNumbersNullsAndAlignment() {
        Editor e;
        // A click into the text first, as a user starts (a double-click that opened a modal viewer
        // before leaves the test's mouse state pressed).
        QTest::mouseClick(e.pane->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QVERIFY(e.Run("select a.id from t a, t b, t c, t d where d.id <= 5"));
        e.Key(Qt::Key_End);
        QCOMPARE(e.Rows(), 1080000);
        ResultModel* model = e.grid->Model();
        const QModelIndex last = model->index(999999, 0);
        QCOMPARE(model->data(last, Qt::DisplayRole).toString(), QStringLiteral("1000000"));
        QVERIFY(e.grid->sizeHintForIndex(last).width() <= e.grid->columnWidth(0));
        QHeaderView* header = e.grid->horizontalHeader();
        QVERIFY(header->sectionSizeHint(0) <= header->sectionSize(0));
        // Ten digits fit as well (more rows cannot be fetched).
        QVERIFY(e.grid->fontMetrics().horizontalAdvance(QStringLiteral("9999999999")) + e.grid->iconSize().width() <
                e.grid->columnWidth(0));

        QVERIFY(e.Reactivate()); // the progress dialog took the activation along
        QVERIFY(e.Run("select id n, name s from t where id in (4, 5) order by id"));
        QCOMPARE(e.Rows(), 2);
        model = e.grid->Model();
        const QModelIndex nullCell = model->index(0, 2);
        QVERIFY(model->IsNull(0, 1));
        QVERIFY(!model->IsNull(1, 1));
        QVERIFY(!model->IsNull(0, 0));
        QCOMPARE(model->data(nullCell, Qt::DisplayRole).toString(), QStringLiteral("(null)"));
        QVERIFY(model->data(nullCell, Qt::ForegroundRole).isValid());
        QCOMPARE(model->Cell(0, 2), std::string());
        QVERIFY(!model->data(model->index(1, 2), Qt::ForegroundRole).isValid());
        const auto alignment = [&](int column) {
            return model->data(model->index(0, column), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(alignment(0), Qt::Alignment(Qt::AlignRight));
        QCOMPARE(alignment(1), Qt::Alignment(Qt::AlignRight));
        QCOMPARE(alignment(2), Qt::Alignment(Qt::AlignLeft));

        e.grid->selectionModel()->select(model->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        e.grid->setFocus();
        QTest::keyClick(e.grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ROW#;N;S\r\n1;4;\r\n"));

        // NULLs of columns beyond the first 31 are kept as well.
        QString wide = QStringLiteral("select ");
        for (int c = 0; c < 40; ++c)
            wide += (c ? QStringLiteral(", ") : QString()) + (c == 2 || c == 35 ? QStringLiteral("name") : QStringLiteral("id")) +
                    QStringLiteral(" c") + QString::number(c);
        wide += QStringLiteral(" from t where id in (4, 5) order by id");
        QVERIFY(e.Run(wide));
        QCOMPARE(e.Rows(), 2);
        for (int c = 0; c < 40; ++c) {
            QCOMPARE(model->IsNull(0, c), c == 2 || c == 35);
            QVERIFY(!model->IsNull(1, c));
        }
        QCOMPARE(model->Cell(1, 36), std::string("n5"));
        QCOMPARE(model->Cell(0, 37), std::string("4"));
    }

    // A DATE column sorts by the date, not by its text; the header shows the sorted column.
    void dateColumnsSortByDateWithAnIndicator() {
        Editor e;
        // A click into the text first, as a user starts (a double-click that opened a modal viewer
        // before leaves the test's mouse state pressed).
        QTest::mouseClick(e.pane->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        e.Admin("create table d (id number, d date)");
        e.Admin("insert into d values (1, to_date('2007-04-15', 'YYYY-MM-DD'))");
        e.Admin("insert into d values (2, to_date('2002-04-15', 'YYYY-MM-DD'))");
        e.Admin("insert into d values (3, to_date('2005-08-15', 'YYYY-MM-DD'))");
        e.Admin("insert into d values (4, NULL)");
        e.Admin("commit");
        QVERIFY(e.Run("select id, d from d"));
        QHeaderView* header = e.grid->horizontalHeader();
        QVERIFY(!header->isSortIndicatorShown());
        auto column = [&](int c) {
            QStringList texts;
            for (int r = 0; r < e.Rows(); ++r)
                texts << QString::fromStdString(e.grid->Model()->Cell(r, c));
            return texts;
        };
        const QStringList ascending{"", "15-APR-02", "15-AUG-05", "15-APR-07"};
        QStringList descending = ascending;
        std::reverse(descending.begin(), descending.end());
        for (int click = 0; click < 2; ++click) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(2) + 5, 5));
            const bool down = exec::SharedSortState().direction == 1;
            QCOMPARE(column(2), down ? descending : ascending);
            QVERIFY(header->isSortIndicatorShown());
            QCOMPARE(header->sortIndicatorSection(), 2);
            QCOMPARE(header->sortIndicatorOrder(), down ? Qt::DescendingOrder : Qt::AscendingOrder);
        }
        // A new query starts unsorted.
        QVERIFY(e.Run("select id from d"));
        QVERIFY(!header->isSortIndicatorShown());
    }
    // CLOB cells hold their text (its beginning in the grid, the whole of it in View Cell Data), a
    // NULL CLOB is NULL and a BLOB shows its size; a page of rows pays one LOB read per CLOB cell.
    void clobCellsShowTheirTextWhole() {
        Editor e;
        // A click into the text first, as a user starts (a double-click that opened a modal viewer
        // before leaves the test's mouse state pressed).
        QTest::mouseClick(e.pane->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        e.Admin("create table c (id number, txt clob, b blob)");
        e.Admin("declare s clob := ''; begin for i in 1 .. 10000 loop s := s || '0123456789'; end loop; "
                "insert into c values (1, s || 'END', utl_raw.cast_to_raw('xyz')); end;");
        e.Admin("insert into c values (2, NULL, NULL)");
        e.Admin("insert into c values (3, 'short note', NULL)");
        e.Admin("commit");
        QVERIFY(e.Run("select id, txt, b from c order by id"));
        QCOMPARE(e.Rows(), 3);
        ResultModel* model = e.grid->Model();
        QCOMPARE(model->Cell(0, 2).size(), size_t(100003));
        QVERIFY(model->data(model->index(0, 2), Qt::DisplayRole).toString().startsWith(QStringLiteral("0123456789")));
        QCOMPARE(model->Cell(0, 3), std::string("(BLOB, 3 bytes)"));
        QVERIFY(model->IsNull(1, 1));
        QVERIFY(model->IsNull(1, 2));
        QCOMPARE(model->data(model->index(1, 2), Qt::DisplayRole).toString(), QStringLiteral("(null)"));
        QCOMPARE(model->Cell(2, 2), std::string("short note"));

        // View Cell Data by a double-click on the long cell.
        QString shown;
        ModalDriver driver;
        driver.Then(Is<cReportValue>, [&shown](QWidget* w) {
            shown = w->findChildren<QPlainTextEdit*>().value(0)->toPlainText();
            static_cast<QDialog*>(w)->reject();
        });
        const QRect cell = e.grid->visualRect(model->index(0, 2));
        QTest::mouseDClick(e.grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTRY_VERIFY(driver.Done());
        QCOMPARE(shown.size(), 100003);
        QVERIFY(shown.endsWith(QStringLiteral("789END")));

        // 50 rows of short CLOBs: their texts come with the rows (LOB prefetch), so the page costs its
        // describe and execute only, whatever is repainted.
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(e.Reactivate());
        QTest::mouseClick(e.pane->viewport(), Qt::LeftButton, {}, QPoint(20, 10)); // back to the text

        e.Admin("create table many (id number, txt clob)");
        e.Admin("begin for i in 1 .. 60 loop insert into many values (i, 'note ' || i); end loop; end;");
        e.Admin("commit");
        const auto roundTrips = [&e]() -> long {
            if (!e.Run("select m.value from v$mystat m join v$statname n on n.statistic# = m.statistic# "
                       "where n.name = 'SQL*Net roundtrips to/from client'"))
                return -1000;
            return std::stol(e.grid->Model()->Cell(0, 1));
        };
        const long first = roundTrips();
        const long overhead = roundTrips() - first;
        const long before = roundTrips();
        QVERIFY(e.Run("select id, txt from many order by id"));
        QCOMPARE(e.Rows(), 50);
        QCOMPARE(e.grid->Model()->Cell(49, 2), std::string("note 50"));
        e.grid->viewport()->repaint();
        e.grid->viewport()->repaint();
        const long page = roundTrips() - before - overhead;
        QVERIFY2(page <= 3, qPrintable(QString::number(page)));
    }
};

QTEST_MAIN(ExecFlowTest)
#include "ExecFlowTest.moc"
