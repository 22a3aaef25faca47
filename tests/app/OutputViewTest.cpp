// The output list of a connected editor window against the embedded database: the first-notice rule
// with notices sent from a worker, empty notices, server-output lines, its own Commit and Rollback seen
// from a second session, the double-click into the cell viewer, the cell viewer's anchored layout, and
// starting the text viewer.
#include "CMainFrame.h"
#include "CQuarvelDoc.h"
#include "CSqlMainFrame.h"
#include "CSqlOutputView.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "ColumnSlots.h"
#include "GuiTestSupport.h"
#include "IniSettingsKey.h"
#include "CNoGripStatusBar.h"
#include "RegisteredMessages.h"
#include "SyncSend.h"
#include "TextViewer.h"
#include "cMsgDialog.h"
#include "cReportValue.h"
#include "cSqlConnect.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

const QRegularExpression kPrefix(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\]: "));

// The line without its time prefix; "<no prefix>" when the prefix is missing or malformed.
QString Body(const QString& line) {
    const auto match = kPrefix.match(line);
    return match.hasMatch() ? line.mid(match.capturedLength()) : QStringLiteral("<no prefix>");
}

QStringList Bodies(const CSqlOutputView* view) {
    QStringList lines;
    for (int i = 0; i < view->LineCount(); ++i)
        lines << Body(view->LineText(i));
    return lines;
}

// Connects through the real connect dialog, as a user does.
struct Connected {
    ConfigDir config;
    TestDatabase db;
    std::unique_ptr<CTavrelApp> app;
    CSqlMainFrame* frame = nullptr;

    Connected() {
        // A settings key exists, so the text pane does not ask about the history setting.
        platform::IniSettingsKey::OpenProgramCreating();
        app = std::make_unique<CTavrelApp>();
        const QString path = QString::fromStdString(db.Path());
        ModalDriver driver;
        driver.Then(Is<cSqlConnect>, [path](QWidget* d) {
            auto* user = d->findChild<QComboBox*>(QString::number(cSqlConnect::kUserId));
            user->lineEdit()->setText(QStringLiteral("demo"));
            d->findChild<QLineEdit*>(QString::number(cSqlConnect::kPasswordId))->setText(QStringLiteral("demo"));
            d->findChild<QLineEdit*>(QString::number(cSqlConnect::kConnectId))->setText(path);
            d->findChild<QPushButton*>(QStringLiteral("1"))->click();
        });
        if (!app->InitInstance() || app->MainFrame()->Editors().isEmpty())
            return;
        frame = app->MainFrame()->Editors().front();
        (void)QTest::qWaitFor([this] { return frame->isMaximized(); }, 5000);
    }
    CQuarvelDoc* Doc() const { return frame->Document(); }
    CSqlOutputView* Output() const { return frame->OutputView(); }
};

// A statement of the window's own session, run at once, kept as the document's current statement.
void RunAsCurrent(CQuarvelDoc* doc, std::string sql) {
    exec::StatementState& state = doc->State();
    state.executedText = std::move(sql);
    state.statement = std::make_unique<DBStmt>();
    try {
        state.statement->Prepare(doc->Session(), state.executedText.c_str());
        state.statement->Execute();
    } catch (const DBStmt::OtherException&) {
        QFAIL(qPrintable(QString::fromUtf8(state.statement->ErrorText())));
    }
    state.pendingChanges = 1;
}

// The first column of the first row, read on a separate session.
QString Scalar(DBConnect& session, const char* sql) {
    DBStmt stmt;
    ColumnSlots columns;
    try {
        stmt.Prepare(&session, sql);
        stmt.Describe();
        if (!columns.DefineColumn(stmt, 0, stmt.ColumnType(1), stmt.ColumnSize(1)))
            return QStringLiteral("<undefined>");
        stmt.Fetch();
        const std::string_view text = columns.CellText(0).value_or("<unsupported>");
        return QString::fromUtf8(text.data(), qsizetype(text.size()));
    } catch (const DBStmt::OtherException&) {
        return QStringLiteral("<error> ") + QString::fromUtf8(stmt.ErrorText());
    }
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool IsValidUtf8(const std::string& text) {
    const QByteArray bytes(text.data(), qsizetype(text.size()));
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

} // namespace

class OutputViewTest : public QObject {
    Q_OBJECT
private slots:
    void noticesFollowTheFirstNoticeRule() {
        Connected c;
        QVERIFY(c.frame);
        CSqlOutputView* out = c.Output();
        exec::StatementState& state = c.Doc()->State();
        QCOMPARE(out->LineCount(), 0);

        // A run from the worker thread: an empty first notice adds nothing, later empty notices add
        // the prefix alone, and every notice sets the frame's status pane.
        std::atomic<bool> done{false};
        QVERIFY(c.Doc()->StartWorker([&done](CQuarvelDoc& d) {
            exec::StatementState& s = d.State();
            s.pendingChanges = 0;
            s.outputText = "";
            platform::Send(s.outputWindow, SQL_OUTPUT_MESSAGE);
            s.pendingChanges = 1;
            s.outputText = "Executing..";
            platform::Send(s.outputWindow, SQL_OUTPUT_MESSAGE);
            s.outputText = "";
            platform::Send(s.outputWindow, SQL_OUTPUT_MESSAGE);
            s.outputText = "3 row(s) updated.";
            platform::Send(s.outputWindow, SQL_OUTPUT_MESSAGE);
            done = true;
        }));
        QTRY_VERIFY(done.load());
        c.Doc()->WaitForWorker();
        QCOMPARE(Bodies(out), (QStringList{"Executing..", "", "3 row(s) updated."}));
        QCOMPARE(out->NextIndex(), 4);
        QVERIFY(kPrefix.match(out->LineText(1)).hasMatch());
        QCOMPARE(out->LineText(1).size(), 12); // "[hh:mm:ss]: " and nothing else

        // A notice outside any run: a first notice again, appended after the existing lines even though
        // the next index ran ahead of them.
        state.pendingChanges = 0;
        state.outputText = "Statement processed.";
        QCOMPARE(platform::Send(state.outputWindow, SQL_OUTPUT_MESSAGE), intptr_t(0));
        QCOMPARE(out->LineCount(), 4);
        QCOMPARE(Body(out->LineText(3)), QStringLiteral("Statement processed."));
        QCOMPARE(out->NextIndex(), 4);
        // An empty one adds nothing.
        state.outputText.clear();
        platform::Send(state.outputWindow, SQL_OUTPUT_MESSAGE);
        QCOMPARE(out->LineCount(), 4);

        // A run notice clears the selection; the last line is scrolled into view.
        QTRY_COMPARE(out->model()->rowCount(), out->LineCount());
        out->setCurrentIndex(out->model()->index(0, 0));
        QVERIFY(!out->selectionModel()->selectedIndexes().isEmpty());
        state.pendingChanges = 1;
        state.outputText = "Executing..";
        platform::Send(state.outputWindow, SQL_OUTPUT_MESSAGE);
        QVERIFY(out->selectionModel()->selectedIndexes().isEmpty());
        QCOMPARE(Body(out->LineText(out->LineCount() - 1)), QStringLiteral("Executing.."));
    }

    void serverOutputLinesRepeatWithEveryNoticeWhileOn() {
        Connected c;
        QVERIFY(c.frame);
        CSqlOutputView* out = c.Output();
        exec::StatementState& state = c.Doc()->State();
        state.serverOutputLines = {"first line", "second line"};
        state.serverOutputOn = 1;
        state.pendingChanges = 1;
        state.outputText = "PL/SQL procedure successfully completed.";
        platform::Send(state.outputWindow, SQL_OUTPUT_MESSAGE);
        state.serverOutputOn = 0;
        state.outputText = "done";
        platform::Send(state.outputWindow, SQL_OUTPUT_MESSAGE);
        QCOMPARE(Bodies(out), (QStringList{"PL/SQL procedure successfully completed.", "first line", "second line",
                                           "done"}));

        // A later Commit on a statement of the session lists the same lines again.
        RunAsCurrent(c.Doc(), "create table t_out (a number)");
        state.serverOutputOn = 1;
        c.frame->SetActiveView(out);
        QVERIFY(c.frame->RouteCommand(cmd::kCommit));
        QCOMPARE(Bodies(out).mid(4), (QStringList{"[+]: Commit complete.", "first line", "second line"}));
    }

    void commitAndRollbackReallyEndTheTransaction() {
        Connected c;
        QVERIFY(c.frame);
        CSqlOutputView* out = c.Output();
        exec::StatementState& state = c.Doc()->State();
        DBConnect other;
        other.Logon("DEMO", "demo", c.db.Path().c_str());
        RunAsCurrent(c.Doc(), "create table t_txn (a number)");

        // The window's commands reach the output list while it is the active view.
        c.frame->SetActiveView(out);
        RunAsCurrent(c.Doc(), "insert into t_txn values (1)");
        QCOMPARE(Scalar(other, "select count(*) from t_txn"), QStringLiteral("0"));
        QVERIFY(c.frame->RouteCommand(cmd::kRollback));
        QCOMPARE(Body(out->LineText(out->LineCount() - 1)), QStringLiteral("[+]: Rollback complete."));
        QCOMPARE(state.pendingChanges, 0);
        QCOMPARE(Scalar(*c.Doc()->Session(), "select count(*) from t_txn"), QStringLiteral("0"));

        RunAsCurrent(c.Doc(), "insert into t_txn values (2)");
        QVERIFY(c.frame->RouteCommand(cmd::kCommit));
        QCOMPARE(Body(out->LineText(out->LineCount() - 1)), QStringLiteral("[+]: Commit complete."));
        QCOMPARE(state.pendingChanges, 0);
        QCOMPARE(Scalar(other, "select count(*) from t_txn"), QStringLiteral("1"));
        QCOMPARE(c.frame->StatusBar()->PaneText(0), QStringLiteral("Ready"));

        // While a worker runs: message 958, and the change stays pending.
        RunAsCurrent(c.Doc(), "insert into t_txn values (3)");
        std::atomic<bool> release{false};
        QVERIFY(c.Doc()->StartWorker([&release](CQuarvelDoc&) {
            while (!release.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }));
        QString shown;
        ModalDriver driver;
        driver.Then(Is<cMsgDialog>, [&shown](QWidget* box) {
            shown = box->findChild<QPlainTextEdit*>(QString::number(cMsgDialog::kTextId))->toPlainText();
            box->findChild<QPushButton*>(QString::number(cMsgDialog::kSingleOkId))->click();
        });
        const int lines = out->LineCount();
        out->OnCommit();
        QVERIFY(driver.Done());
        QCOMPARE(shown, QStringLiteral(
                            "Previous SQL statement is running now. Wait for execution complete or stop it first."));
        QCOMPARE(out->LineCount(), lines);
        QCOMPARE(state.pendingChanges, 1);
        release = true;
        c.Doc()->WaitForWorker();
        QCOMPARE(Scalar(other, "select count(*) from t_txn"), QStringLiteral("1"));

        // Without a current statement, or one never prepared: nothing, and no message.
        state.statement.reset();
        out->OnRollback();
        state.statement = std::make_unique<DBStmt>();
        out->OnCommit();
        QCOMPARE(out->LineCount(), lines);
        QCOMPARE(Scalar(other, "select count(*) from t_txn"), QStringLiteral("1"));
        // Closing the window logs its session off, which undoes the insert that was never committed.
        state.statement.reset();
        c.frame->close();
        QTRY_COMPARE(Scalar(other, "select count(*) from t_txn"), QStringLiteral("1"));
    }

    void doubleClickShowsTheLineInTheCellViewer() {
        Connected c;
        QVERIFY(c.frame);
        CSqlOutputView* out = c.Output();
        exec::StatementState& state = c.Doc()->State();
        state.pendingChanges = 1;
        state.outputText = "ORA-00942: table or view does not exist";
        platform::Send(state.outputWindow, SQL_OUTPUT_MESSAGE);
        // Below the last line: nothing opens.
        c.Doc()->App().cellValue = "untouched";
        const QPoint below(10, out->viewport()->height() - 3);
        QVERIFY(!out->indexAt(below).isValid());
        QTest::mouseDClick(out->viewport(), Qt::LeftButton, {}, below);
        QTest::qWait(50);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(c.Doc()->App().cellValue, std::string("untouched"));

        // A click, left or right, makes the list the active pane and tells the main window.
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
            state.activePaneKind = 3;
            const int notices = c.app->MainFrame()->StatusNoticesReceived();
            QTest::mouseClick(out->viewport(), button, {}, out->visualRect(out->model()->index(0, 0)).center());
            QCOMPARE(state.activePaneKind, 5);
            QCOMPARE(c.app->MainFrame()->StatusNoticesReceived(), notices + 1);
        }
        state.activePaneKind = 3;

        QString title, value, column;
        bool valueFocused = false;
        ModalDriver driver;
        driver.Then(Is<cReportValue>, [&](QWidget* w) {
            auto* viewer = static_cast<cReportValue*>(w);
            title = viewer->windowTitle();
            value = viewer->ValueField()->toPlainText();
            column = viewer->ColumnField()->text();
            valueFocused = viewer->focusWidget() == viewer->ValueField();
            QTest::mouseClick(viewer->CancelButton(), Qt::LeftButton);
        });
        const QPoint first = out->visualRect(out->model()->index(0, 0)).center();
        QTest::mouseDClick(out->viewport(), Qt::LeftButton, {}, first);
        QTRY_VERIFY(driver.Done());
        QCOMPARE(state.activePaneKind, 5);
        QCOMPARE(title, QStringLiteral("Quarvel [OUTPUT]"));
        QCOMPARE(column, QStringLiteral("OUTPUT"));
        QCOMPARE(Body(value), QStringLiteral("ORA-00942: table or view does not exist"));
        QVERIFY(valueFocused);

        // A line far longer than the viewer takes, of two-byte characters with an odd offset.
        state.outputText = "x";
        for (int i = 0; i < 3000; ++i)
            state.outputText += "\xc3\xa4"; // ä
        platform::Send(state.outputWindow, SQL_OUTPUT_MESSAGE);
        QCOMPARE(out->LineCount(), 2);

        // The long line reaches the viewer cut to the limit, never inside a character.
        ModalDriver second;
        second.Then(Is<cReportValue>, [](QWidget* w) { static_cast<cReportValue*>(w)->reject(); });
        QTRY_COMPARE(out->model()->rowCount(), 2);
        QTest::mouseDClick(out->viewport(), Qt::LeftButton, {}, out->visualRect(out->model()->index(1, 0)).center());
        QTRY_VERIFY(second.Done());
        const std::string& cell = c.Doc()->App().cellValue;
        QVERIFY(cell.size() <= CSqlOutputView::kCellTextLimit);
        QVERIFY(cell.size() >= CSqlOutputView::kCellTextLimit - 1);
        QVERIFY(IsValidUtf8(cell));
    }

    // A script's worth of notices all arrive in order, and a notice carrying a huge statement is kept
    // as its first few kilobytes, so the list never lays it out whole.
    void manyNoticesAndAHugeOneStayCheap() {
        Connected c;
        QVERIFY(c.frame);
        CSqlOutputView* out = c.Output();
        exec::StatementState& state = c.Doc()->State();
        state.pendingChanges = 1;
        const int before = out->LineCount();
        for (int i = 0; i < 50000; ++i) {
            state.outputText = "[" + std::to_string(i + 1) + "]: insert into t values (" + std::to_string(i) + ")";
            platform::Send(state.outputWindow, SQL_OUTPUT_MESSAGE);
        }
        QCOMPARE(out->LineCount(), before + 50000);
        QCOMPARE(Body(out->LineText(before + 49999)), QStringLiteral("[50000]: insert into t values (49999)"));
        QCOMPARE(Body(out->LineText(before + 12345)), QStringLiteral("[12346]: insert into t values (12345)"));
        // The view catches up within a moment and ends scrolled to the last line.
        QTRY_COMPARE(out->model()->rowCount(), out->LineCount());
        QTRY_VERIFY(out->visualRect(out->model()->index(out->LineCount() - 1, 0)).bottom() <= out->viewport()->height());

        std::string huge = "select '";
        huge.append(20u << 20, 'x');
        huge += "\xc3\xa4' from dual";
        state.outputText = huge;
        platform::Send(state.outputWindow, SQL_OUTPUT_MESSAGE);
        const std::string kept = out->LineText(out->LineCount() - 1).toStdString();
        QVERIFY(kept.size() <= CSqlOutputView::kCellTextLimit);
        QVERIFY(kept.size() > 3000);
        QVERIFY(IsValidUtf8(kept));
        QVERIFY(Body(QString::fromStdString(kept)).startsWith(QStringLiteral("select 'xxx")));
    }

    void cellViewerKeepsItsControlsAnchored() {
        cReportValue viewer("SMITH", "ENAME");
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Quarvel [ENAME]"));
        QCOMPARE(viewer.ValueField()->toPlainText(), QStringLiteral("SMITH"));
        QCOMPARE(viewer.ColumnField()->text(), QStringLiteral("ENAME"));
        QVERIFY(viewer.ValueField()->isReadOnly());
        QVERIFY(viewer.ColumnField()->isReadOnly());
        QVERIFY(!viewer.WrapLines()->isChecked());
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(viewer.ValueField()));

        auto gaps = [&viewer] {
            const QRect cancel = viewer.CancelButton()->geometry();
            const QRect column = viewer.ColumnField()->geometry();
            const QRect value = viewer.ValueField()->geometry();
            const QRect wrap = viewer.WrapLines()->geometry();
            return QList<int>{viewer.width() - cancel.right(), viewer.height() - cancel.bottom(),
                              viewer.width() - column.width(), viewer.height() - column.top(),
                              viewer.width() - value.width(), viewer.height() - value.height(),
                              value.left(), value.top(), wrap.left(), viewer.height() - wrap.top()};
        };
        const QList<int> before = gaps();
        viewer.resize(viewer.width() + 173, viewer.height() + 91);
        QTRY_COMPARE(gaps(), before);
        viewer.resize(viewer.minimumSize());
        QTRY_COMPARE(gaps(), before);
        QVERIFY(viewer.CancelButton()->geometry().left() > viewer.WrapLines()->geometry().left());

        // "Wrap lines" changes only its own mark.
        const auto mode = viewer.ValueField()->lineWrapMode();
        QTest::mouseClick(viewer.WrapLines(), Qt::LeftButton);
        QVERIFY(viewer.WrapLines()->isChecked());
        QCOMPARE(viewer.ValueField()->lineWrapMode(), mode);
        QCOMPARE(viewer.ValueField()->lineWrapMode(), QPlainTextEdit::WidgetWidth);

        QTest::mouseClick(viewer.CancelButton(), Qt::LeftButton);
        QVERIFY(!viewer.isVisible());
        QCOMPARE(viewer.result(), int(QDialog::Rejected));
    }

    void textViewerStartsVisualWithThePathOrReportsFailureQuietly() {
        ConfigDir dir;
        const std::string script = dir.Dir() + "/viewer.sh";
        const std::string seen = dir.Dir() + "/seen.txt";
        {
            std::ofstream out(script);
            out << "#!/bin/sh\nprintf '%s|' \"$@\" > '" << seen << ".part'\nmv '" << seen << ".part' '" << seen
                << "'\n";
        }
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        const std::string log = dir.Dir() + "/with space/Quarvel.log";
        qputenv("VISUAL", QByteArray::fromStdString(script + " --first"));
        QVERIFY(platform::StartTextViewer(log));
        QTRY_VERIFY(std::filesystem::exists(seen));
        QCOMPARE(ReadAll(seen), "--first|" + log + "|");

        qputenv("VISUAL", "/nonexistent/viewer");
        QVERIFY(!platform::StartTextViewer(log));
        qputenv("VISUAL", "''");
        QVERIFY(!platform::StartTextViewer(log)); // a command line that names no program
        qunsetenv("VISUAL");
    }
};

QTEST_MAIN(OutputViewTest)
#include "OutputViewTest.moc"
