// Exporting rows through the real editor window on a fresh embedded database: the grid tool bar's
// Export button and the grid's context menu, the choice of rows, the save dialog and its filters,
// the rest of a partly fetched query, Cancel in the fetch progress and the partial-fetch question,
// the replace question, the progress of a long export and its Cancel, and a write that fails.
#include "CCommandToolBar.h"
#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "GuiTestSupport.h"
#include "TestEditor.h"
#include "ExplainPlan.h"
#include "IniSettingsKey.h"
#include "ResultModel.h"
#include "SecondSession.h"
#include "cExportProgress.h"
#include "cExportRowsDlg.h"
#include "cFetchStatus.h"
#include "cMsgDialog.h"
#include "cSqlConnect.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

constexpr int kBigRows = 216000; // 60 x 60 x 60
constexpr int kLongNote = 4000;  // the longest VARCHAR2, longer than a cell was once cut to

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

size_t LinesOf(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The editor window of the window tests, with a folder for the exported files. Run types the
// statement on one line.
struct Editor : TestEditor {
    std::string out;

    explicit Editor(bool big = false) : TestEditor(big) {
        out = db.Dir() + "/Exports";
        std::filesystem::create_directory(out);
    }

    std::string Out(const std::string& name) const { return out + "/" + name; }

    // The Export button of the grid's tool bar, clicked; returns when the command is over.
    void ClickExport() {
        frame->UpdateCommandUI();
        QAction* action = frame->SplitFrame()->ToolBar()->Action(cmd::kExportData);
        QVERIFY(action && action->isEnabled());
        QWidget* button = frame->SplitFrame()->ToolBar()->widgetForAction(action);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
};

// The first question of the command, answered with one of its buttons.
ModalDriver::Action Answer(int buttonId) {
    return [buttonId](QWidget* d) { d->findChild<QPushButton*>(QString::number(buttonId))->click(); };
}

// Answers the save dialog as a user does: picks the filter in its list with the keyboard, types the
// name and presses Return. `after` runs once the dialog has taken the answer.
ModalDriver::Action Save(const std::string& path, int filter, std::function<void()> after = {}) {
    return [path, filter, after](QWidget* w) {
        auto* dialog = static_cast<QFileDialog*>(w);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        types->setFocus();
        while (types->currentIndex() > filter)
            QTest::keyClick(types, Qt::Key_Up);
        while (types->currentIndex() < filter)
            QTest::keyClick(types, Qt::Key_Down);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, QString::fromStdString(path));
        QTest::keyClick(name, Qt::Key_Return);
        if (after)
            after();
    };
}


// Notes the message's text and presses its button: OK for a notice, OK or Cancel for a question.
ModalDriver::Action Note(QString& text, int buttonId = cMsgDialog::kSingleOkId) {
    return [&text, buttonId](QWidget* box) {
        text = MessageText(box);
        box->findChild<QPushButton*>(QString::number(buttonId))->click();
    };
}

// The rows of t as the ";" export writes them, from `first` to `last`.
std::string TextRows(int first, int last) {
    std::string text;
    for (int i = first; i <= last; ++i)
        text += std::to_string(i) + ";" + (i % 4 == 0 ? std::string() : "n" + std::to_string(i)) + "\r\n";
    return text;
}

} // namespace

class ExportFlowTest : public QObject {
    Q_OBJECT
private slots:
    void theQuestionHasItsTextAndThreeButtons() {
        cExportRowsDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Quarvel"));
        QVERIFY(dialog.findChild<QLabel*>() != nullptr);
        bool hasText = false;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            hasText = hasText || label->text() == QStringLiteral("Do you want to export rows from the current view?");
        QVERIFY(hasText);
        const std::pair<int, QString> buttons[] = {{1195, "All rows"}, {1196, "Selected"}, {2, "Cancel"}};
        for (const auto& [id, text] : buttons) {
            auto* button = dialog.findChild<QPushButton*>(QString::number(id));
            QVERIFY(button);
            QCOMPARE(button->text(), text);
        }
        // Escape is Cancel.
        QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
        QCOMPARE(dialog.exec(), int(cExportRowsDlg::kCancelled));
        QTimer::singleShot(0, &dialog, [&] { dialog.findChild<QPushButton*>(QStringLiteral("1196"))->click(); });
        QCOMPARE(dialog.exec(), int(cExportRowsDlg::kSelectedRows));
    }

    // All rows of a query the grid holds only 50 of: Last Row fetches the other 10 first, and the
    // file (named as typed, with ".csv" added) holds all 60 after the heading line.
    void allRowsOfAPartlyFetchedQueryFetchTheRestFirst() {
        Editor e;
        QVERIFY(e.Run("select id, name from t order by id"));
        QCOMPARE(e.Rows(), 50);
        QString saved;
        ModalDriver driver; // the fetch dialog between the save dialog and the message closes by itself
        driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
            .Then(Is<QFileDialog>, Save(e.Out("Result"), 1))
            .Then(Is<cMsgDialog>, Note(saved));
        e.ClickExport();
        QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 30000));
        QCOMPARE(saved, QStringLiteral("File Saved. 60 Row(s) Exported."));
        QCOMPARE(e.Rows(), 60);
        QVERIFY(!e.doc->State().statement || e.doc->State().allFetched == 1);
        QCOMPARE(FilesIn(e.out), std::vector<std::string>{"Result.csv"});
        QCOMPARE(ReadFile(e.Out("Result.csv")), "ID;NAME\r\n" + TextRows(1, 60));
    }

    // Cancel in the fetch progress, then Cancel to "save the partial fetch?": nothing is written.
    // Again with OK: the rows fetched so far are written, and only those.
    void cancelledFetchAsksWhetherToSaveThePartialResult() {
        Editor e(true);
        QVERIFY(e.Run("select id, name from big"));
        QCOMPARE(e.Rows(), 50);
        auto cancelFetch = [&](QWidget* d) {
            QPointer<QWidget> dialog(d);
            auto* text = d->findChild<QLineEdit*>(QString::number(cFetchStatus::kProgressId));
            const int before = e.Rows();
            QVERIFY(QTest::qWaitFor([&] { return !dialog || text->text().section(' ', 0, 0).toInt() > before; }, 20000));
            QVERIFY(dialog);
            d->findChild<QPushButton*>(QStringLiteral("2"))->click();
        };
        QString question;
        {
            ModalDriver driver;
            driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
                .Then(Is<QFileDialog>, Save(e.Out("part"), 1))
                .Then(Is<cFetchStatus>, cancelFetch)
                .Then(Is<cMsgDialog>, Note(question, IDCANCEL));
            e.ClickExport();
            QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 30000));
        }
        QVERIFY(e.WaitIdle());
        QCOMPARE(question, QStringLiteral("Do You Want to Save Result of Partial Fetch?"));
        QVERIFY(e.Rows() > 50 && e.Rows() < kBigRows);
        QVERIFY(FilesIn(e.out).empty());

        QString saved;
        {
            ModalDriver driver;
            driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
                .Then(Is<QFileDialog>, Save(e.Out("part"), 1))
                .Then(Is<cFetchStatus>, cancelFetch)
                .Then(Is<cMsgDialog>, Note(question, IDOK))
                .Then(Is<cMsgDialog>, Note(saved));
            e.ClickExport();
            QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 60000));
        }
        const int rows = e.Rows();
        QVERIFY(rows < kBigRows);
        QCOMPARE(saved, QStringLiteral("File Saved. %1 Row(s) Exported.").arg(rows));
        const std::string text = ReadFile(e.Out("part.csv"));
        QCOMPARE(LinesOf(text), size_t(rows) + 1);
        QVERIFY(text.rfind("ID;NAME\r\n", 0) == 0);
    }

    // A fetch that fails part-way (ORA-01476 at id 55) leaves part of the rows too: the same question,
    // and OK writes the 54 rows there are.
    void aFetchThatFailsPartWayAlsoAsks() {
        Editor e;
        QVERIFY(e.Run("select id, 1/(id-55) q from t"));
        QCOMPARE(e.Rows(), 50);
        QString question, saved;
        ModalDriver driver;
        driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
            .Then(Is<QFileDialog>, Save(e.Out("failed"), 1))
            .Then(Is<cMsgDialog>, Note(question, IDOK))
            .Then(Is<cMsgDialog>, Note(saved));
        e.ClickExport();
        QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 10000));
        QCOMPARE(question, QStringLiteral("Do You Want to Save Result of Partial Fetch?"));
        QCOMPARE(e.Rows(), 54);
        QCOMPARE(saved, QStringLiteral("File Saved. 54 Row(s) Exported."));
        const std::string text = ReadFile(e.Out("failed.csv"));
        QCOMPARE(LinesOf(text), size_t(55));
        QVERIFY(text.find("\r\n54;-1\r\n") != std::string::npos);
    }

    // "Selected" without a selection says so before any file dialog; with rows selected by the mouse,
    // those rows go out in list order, here as quoted CSV.
    void selectedRowsAndNoSelection() {
        Editor e;
        QVERIFY(e.Run("select id, name from t where id <= 6 order by id"));
        e.grid->clearSelection();
        QString message;
        bool fileDialogShown = false;
        {
            ModalDriver driver;
            driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kSelectedId)).Then(Is<cMsgDialog>, Note(message));
            ModalDriver watch;
            watch.Then(Is<QFileDialog>, [&](QWidget* d) {
                fileDialogShown = true;
                static_cast<QDialog*>(d)->reject();
            });
            e.ClickExport();
            QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 10000));
            QTest::qWait(50);
        }
        QCOMPARE(message, QStringLiteral("You must select rows for export."));
        QVERIFY(!fileDialogShown);
        QVERIFY(FilesIn(e.out).empty());

        // Rows 2 to 4 (list rows 1..3), clicked and shift-clicked.
        QTest::mouseClick(e.grid->viewport(), Qt::LeftButton, {}, e.grid->visualRect(e.grid->model()->index(1, 1)).center());
        QTest::mouseClick(e.grid->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          e.grid->visualRect(e.grid->model()->index(3, 1)).center());
        QCOMPARE(e.grid->SelectedRows(), (std::vector<int>{1, 2, 3}));
        QString saved;
        ModalDriver driver;
        driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kSelectedId))
            .Then(Is<QFileDialog>, Save(e.Out("sel"), 2))
            .Then(Is<cMsgDialog>, Note(saved));
        e.ClickExport();
        QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 10000));
        QCOMPARE(saved, QStringLiteral("File Saved. 3 Row(s) Exported."));
        QCOMPARE(ReadFile(e.Out("sel.csv")), std::string("ID,NAME\r\n2,n2\r\n3,n3\r\n4,\r\n"));
    }

    // An existing file is replaced only after the question, and only on OK; a workbook name that
    // already has its extension in another case is kept as typed.
    void anExistingFileIsReplacedOnlyAfterTheQuestion() {
        Editor e;
        QVERIFY(e.Run("select id, name from t where id <= 3 order by id"));
        const std::string target = e.Out("out.csv");
        std::ofstream(target, std::ios::binary) << "old";
        QString question, saved;
        {
            ModalDriver driver;
            driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
                .Then(Is<QFileDialog>, Save(target, 1))
                .Then(Is<cMsgDialog>, Note(question, IDCANCEL));
            e.ClickExport();
            QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 10000));
        }
        QCOMPARE(question, QString::fromStdString("File " + target + " already exists. Replace?"));
        QCOMPARE(ReadFile(target), std::string("old"));
        QCOMPARE(FilesIn(e.out), std::vector<std::string>{"out.csv"});
        {
            ModalDriver driver;
            driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
                .Then(Is<QFileDialog>, Save(target, 1))
                .Then(Is<cMsgDialog>, Note(question, IDOK))
                .Then(Is<cMsgDialog>, Note(saved));
            e.ClickExport();
            QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 10000));
        }
        QCOMPARE(saved, QStringLiteral("File Saved. 3 Row(s) Exported."));
        QCOMPARE(ReadFile(target), "ID;NAME\r\n" + TextRows(1, 3));

        ModalDriver driver;
        driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
            .Then(Is<QFileDialog>, Save(e.Out("Book.XLSX"), 0))
            .Then(Is<cMsgDialog>, Note(saved));
        e.ClickExport();
        QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 10000));
        QCOMPARE(saved, QStringLiteral("File Saved. 3 Row(s) Exported."));
        QCOMPARE(FilesIn(e.out), (std::vector<std::string>{"Book.XLSX", "out.csv"}));
        QCOMPARE(ReadFile(e.Out("Book.XLSX")).substr(0, 2), std::string("PK"));
    }

    // The context menu's "Export Rows.." runs the same command as the tool bar's button.
    void theContextMenuEntryExportsRows() {
        Editor e;
        QVERIFY(e.Run("select id, name from t where id <= 3 order by id"));
        bool menuShown = false;
        QTimer pick;
        QObject::connect(&pick, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || menuShown)
                return;
            menuShown = true;
            QCOMPARE(menu->actions().value(0)->text(), QStringLiteral("Export Rows.."));
            QTest::keyClick(menu, Qt::Key_Down);
            QCOMPARE(menu->activeAction(), menu->actions().value(0));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        pick.start(5);
        QString saved;
        ModalDriver driver;
        driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
            .Then(Is<QFileDialog>, Save(e.Out("menu"), 2))
            .Then(Is<cMsgDialog>, Note(saved));
        const QPoint at = e.grid->visualRect(e.grid->model()->index(0, 1)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, e.grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(e.grid->viewport(), &event);
        QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 10000));
        QVERIFY(menuShown);
        QCOMPARE(saved, QStringLiteral("File Saved. 3 Row(s) Exported."));
        QCOMPARE(ReadFile(e.Out("menu.csv")), std::string("ID,NAME\r\n1,n1\r\n2,n2\r\n3,n3\r\n"));
    }

    // A long export shows its progress; Cancel there leaves no file (and no temporary one) and no
    // message.
    void cancelInTheExportProgressLeavesNoFile() {
        Editor e(true);
        QVERIFY(e.Run("select id, name from big"));
        QVERIFY(e.grid->FetchRemainingRows());
        QCOMPARE(e.Rows(), kBigRows);
        QString progress;
        bool messageShown = false;
        ModalDriver driver;
        driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
            .Then(Is<QFileDialog>, Save(e.Out("long"), 0))
            .Then(Is<cExportProgress>, [&](QWidget* d) {
                progress = d->findChild<QLabel*>(QString::number(cExportProgress::kTextId))->text();
                QTest::mouseClick(d->findChild<QPushButton*>(QString::number(cExportProgress::kCancelId)), Qt::LeftButton);
            });
        ModalDriver after;
        after.Then(Is<cMsgDialog>, [&](QWidget* box) {
            messageShown = true;
            static_cast<QDialog*>(box)->reject();
        });
        e.ClickExport();
        QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 30000));
        QTest::qWait(100);
        QVERIFY2(progress.endsWith(QStringLiteral(" of 216000 row(s) exported")), qPrintable(progress));
        QVERIFY(!messageShown);
        QCOMPARE(FilesIn(e.out), std::vector<std::string>{});
    }

    // The folder goes between the save dialog and the write: the message gives the system's reason,
    // and there is no "File Saved".
    void aFailedWriteSaysWhyAndNeverFileSaved() {
        Editor e;
        QVERIFY(e.Run("select id, name from t where id <= 3 order by id"));
        const std::string folder = e.Out("gone");
        std::filesystem::create_directory(folder);
        QString message;
        ModalDriver driver;
        driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
            .Then(Is<QFileDialog>, Save(folder + "/x", 1, [folder] { std::filesystem::remove_all(folder); }))
            .Then(Is<cMsgDialog>, Note(message));
        e.ClickExport();
        QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 10000));
        QVERIFY2(message.contains(QStringLiteral("No such file or directory")), qPrintable(message));
        QVERIFY2(message.contains(QString::fromStdString(folder + "/x.csv")), qPrintable(message));
        QVERIFY(!message.contains(QStringLiteral("File Saved")));
        QCOMPARE(FilesIn(e.out), std::vector<std::string>{});
    }

    // The longest VARCHAR2 text, a ";" and multi-byte text go out whole.
    void longAndOddTextsAreExportedWhole() {
        Editor e;
        e.Admin("create table notes (id number, note varchar2(4000))");
        e.Admin("insert into notes values (1, rpad('a', " + std::to_string(kLongNote) + ", 'b'))");
        e.Admin("insert into notes values (2, 'x;y \xC3\xA9t\xC3\xA9')");
        e.Admin("commit");
        QVERIFY(e.Run("select id, note from notes order by id"));
        QString saved;
        ModalDriver driver;
        driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
            .Then(Is<QFileDialog>, Save(e.Out("notes"), 1))
            .Then(Is<cMsgDialog>, Note(saved));
        e.ClickExport();
        QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 10000));
        QCOMPARE(saved, QStringLiteral("File Saved. 2 Row(s) Exported."));
        const std::string note = "a" + std::string(kLongNote - 1, 'b');
        QCOMPARE(ReadFile(e.Out("notes.csv")), "ID;NOTE\r\n1;" + note + "\r\n2;x;y \xC3\xA9t\xC3\xA9\r\n");
    }

    // CLOB notes (longer than one read, with line breaks, quotes and non-ASCII text) go out whole in
    // the quoted CSV, read back through the cells' LOB locators.
    void clobNotesAreExportedWhole() {
        Editor e;
        e.Admin("create table obs (id number, notes clob)");
        e.Admin("declare s clob := ''; begin for i in 1 .. 2000 loop s := s || 'line ' || i || ' \"q\" \xC3\xA9' || chr(10); "
                "end loop; insert into obs values (1, s); insert into obs values (2, NULL); end;");
        e.Admin("commit");
        QVERIFY(e.Run("select id, notes from obs order by id"));
        QString saved;
        ModalDriver driver;
        driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
            .Then(Is<QFileDialog>, Save(e.Out("obs"), 2))
            .Then(Is<cMsgDialog>, Note(saved));
        e.ClickExport();
        QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 10000));
        QCOMPARE(saved, QStringLiteral("File Saved. 2 Row(s) Exported."));
        std::string note;
        for (int i = 1; i <= 2000; ++i)
            note += "line " + std::to_string(i) + " \"\"q\"\" \xC3\xA9\n";
        QCOMPARE(ReadFile(e.Out("obs.csv")), "ID,NOTES\r\n1,\"" + note + "\"\r\n2,\r\n");
    }

    // A plan in the grid has no fetch number of its own: its two columns are exported as they are.
    void aPlanIsExportedWithItsOwnColumns() {
        Editor e;
        e.Admin("create index t_id on t (id)");
        e.Admin(exec::PlanTableCreateText("PLAN_TABLE"));
        e.pane->setFocus();
        QTest::keyClicks(e.pane, QStringLiteral("select name from t where id = 7"));
        QTest::keyClick(e.pane, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(e.pane, Qt::Key_F6);
        QVERIFY(e.WaitIdle());
        QVERIFY(QTest::qWaitFor([&] { return e.Rows() == 3; }, 5000));
        QString saved;
        ModalDriver driver;
        driver.Then(Is<cExportRowsDlg>, Answer(cExportRowsDlg::kAllRowsId))
            .Then(Is<QFileDialog>, Save(e.Out("plan"), 1))
            .Then(Is<cMsgDialog>, Note(saved));
        e.ClickExport();
        QVERIFY(QTest::qWaitFor([&] { return driver.Done(); }, 10000));
        QCOMPARE(saved, QStringLiteral("File Saved. 3 Row(s) Exported."));
        std::string expected = "ID;OPERATION\r\n";
        for (int r = 0; r < 3; ++r)
            expected += e.grid->Model()->Cell(r, 0) + ";" + e.grid->Model()->Cell(r, 1) + "\r\n";
        QCOMPARE(ReadFile(e.Out("plan.csv")), expected);
        QVERIFY(expected.find("INDEX RANGE SCAN T_ID") != std::string::npos);
    }
};

QTEST_MAIN(ExportFlowTest)
#include "ExportFlowTest.moc"
