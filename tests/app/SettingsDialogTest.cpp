// The settings dialog through its real window: opened from Options > Settings.., its fields for stored
// and absent values, the arrows' range, OK storing all five values, Cancel and Help storing nothing,
// message 987 without a settings file, a write that fails, and the new first fetch count reaching only
// the editor windows opened afterwards.
#include "CPropertyTabCtrl.h"
#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CUpDownButtons.h"
#include "CommandIds.h"
#include "ResultModel.h"
#include "StartedProgram.h"
#include "cPropertiesDlg.h"
#include "cPropertiesSql.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef QUARVEL_HAVE_TEST_DATABASE
#include "SecondSession.h"
#endif

namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Stored(const ConfigDir& config, const char* name) {
    auto key = platform::IniSettingsKey::OpenForReading(config.ProgramFile());
    return key ? key->Read(name).value_or("<absent>") : "<no key>";
}

QStringList StoredFive(const ConfigDir& config) {
    QStringList five;
    for (const char* name : {"SQLFirstFetchCount", "DbmsOutputBufferSize", "SaveSqlHistory", "ShowSqlOutputWindow",
                             "ExplainPlanTableName"})
        five << QString::fromStdString(Stored(config, name));
    return five;
}

QLineEdit* Field(QWidget* d, int id) {
    return d->findChild<QLineEdit*>(QString::number(id));
}
QCheckBox* Box(QWidget* d, int id) {
    return d->findChild<QCheckBox*>(QString::number(id));
}
QToolButton* Arrow(QWidget* d, int spinId, bool up) {
    auto* spin = d->findChild<widgets::CUpDownButtons*>(QString::number(spinId));
    return spin ? (up ? spin->UpButton() : spin->DownButton()) : nullptr;
}
void Click(QWidget* d, int buttonId) {
    QTest::mouseClick(d->findChild<QPushButton*>(QString::number(buttonId)), Qt::LeftButton);
}
// Clicks into the field, selects what is there and types over it, as a user would.
void TypeInto(QLineEdit* field, const QString& text) {
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
}
QStringList Labels(QWidget* d) {
    QStringList texts;
    for (QLabel* label : d->findChildren<QLabel*>())
        texts << label->text();
    texts.sort();
    return texts;
}

// Opens Options > Settings.. with the mouse: the menu title, then the item.
void OpenFromMenu(Started& s) {
    QMenuBar* bar = s.Main()->menuBar();
    QAction* options = nullptr;
    for (QAction* a : bar->actions())
        if (a->text() == QStringLiteral("&Options"))
            options = a;
    QVERIFY(options);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(options).center());
    QMenu* menu = options->menu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QAction* item = s.Main()->MenuAction(cmd::kSettings);
    QVERIFY(item && item->isEnabled());
    QCOMPARE(item->text(), QStringLiteral("Settings.."));
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(item).center());
}

} // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void noValuesStoredShowsEmptyUncheckedAndPlanTableAndOkStoresAllFive() {
        Started s;
        QString title, tab, frameName;
        QStringList labels, boxes, shown;
        bool hasOwner = true, modal = false, centred = false, checks = true;
        ModalDriver driver;
        driver.Then(Is<cPropertiesDlg>, [&](QWidget* d) {
            title = d->windowTitle();
            hasOwner = d->parentWidget() != nullptr;
            modal = d->isModal();
            const QRect screen = d->screen()->availableGeometry();
            centred = (d->frameGeometry().center() - screen.center()).manhattanLength() <= 2;
            auto* tabs = d->findChild<widgets::CPropertyTabCtrl*>(QString::number(cPropertiesDlg::kTabId));
            tab = tabs ? tabs->tabText(0) + "/" + QString::number(tabs->count()) : QString();
            labels = Labels(d);
            boxes << Box(d, cPropertiesSql::kSaveHistoryId)->text() << Box(d, cPropertiesSql::kShowOutputId)->text();
            checks = Box(d, cPropertiesSql::kSaveHistoryId)->isChecked() || Box(d, cPropertiesSql::kShowOutputId)->isChecked();
            for (int id : {cPropertiesSql::kFirstFetchId, cPropertiesSql::kBufferSizeId, cPropertiesSql::kPlanTableId})
                shown << Field(d, id)->text();
            QVERIFY(d->findChild<QWidget*>(QString::number(cPropertiesDlg::kFrameId)));
            Click(d, IDOK);
        });
        OpenFromMenu(s);
        QTRY_VERIFY(driver.Done());
        QCOMPARE(title, QStringLiteral("Quarvel [Settings]"));
        QVERIFY(!hasOwner);
        QVERIFY(modal);
        QVERIFY(centred);
        QCOMPARE(tab, QStringLiteral("Quarvel settings/1"));
        QCOMPARE(labels, (QStringList{"DBMS_OUTPUT buffer size", "Explan Plan Table name", "First fetch count"}));
        QCOMPARE(boxes, (QStringList{"Save SQL-statements history", "Show SQL Output Window"}));
        QVERIFY(!checks);
        QCOMPARE(shown, (QStringList{"", "", "PLAN_TABLE"}));
        QCOMPARE(StoredFive(s.config), (QStringList{"", "", "0", "0", "PLAN_TABLE"}));
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    void storedValuesShowAsStoredAndTheArrowsKeepToTheRangeWhileTypingIsFree() {
        Started s;
        s.WriteSetting("DbmsOutputBufferSize", "20000");
        s.WriteSetting("SQLFirstFetchCount", "9999");
        s.WriteSetting("SaveSqlHistory", "1");
        s.WriteSetting("ShowSqlOutputWindow", "2");
        s.WriteSetting("ExplainPlanTableName", "");
        QStringList seen;
        bool historyChecked = false, outputChecked = true;
        ModalDriver driver;
        driver.Then(Is<cPropertiesDlg>, [&](QWidget* d) {
            QLineEdit* buffer = Field(d, cPropertiesSql::kBufferSizeId);
            QLineEdit* fetch = Field(d, cPropertiesSql::kFirstFetchId);
            seen << buffer->text() << fetch->text() << Field(d, cPropertiesSql::kPlanTableId)->text();
            historyChecked = Box(d, cPropertiesSql::kSaveHistoryId)->isChecked();
            outputChecked = Box(d, cPropertiesSql::kShowOutputId)->isChecked();
            QTest::mouseClick(Arrow(d, cPropertiesSql::kBufferSizeSpinId, true), Qt::LeftButton);
            seen << buffer->text();
            QTest::mouseClick(Arrow(d, cPropertiesSql::kBufferSizeSpinId, false), Qt::LeftButton);
            seen << buffer->text();
            QTest::mouseClick(Arrow(d, cPropertiesSql::kFirstFetchSpinId, true), Qt::LeftButton);
            QTest::mouseClick(Arrow(d, cPropertiesSql::kFirstFetchSpinId, true), Qt::LeftButton);
            seen << fetch->text();
            // The arrow keys in the field step too; typing past the range is kept as typed.
            TypeInto(fetch, "2");
            QTest::keyClick(fetch, Qt::Key_Down);
            QTest::keyClick(fetch, Qt::Key_Down);
            seen << fetch->text();
            TypeInto(buffer, "123456");
            seen << buffer->text();
            Click(d, IDOK);
        });
        QVERIFY(s.Main()->RouteCommand(cmd::kSettings));
        QVERIFY(driver.Done());
        QCOMPARE(seen, (QStringList{"20000", "9999", "", "10000", "9999", "10000", "1", "123456"}));
        QVERIFY(historyChecked);
        QVERIFY(!outputChecked); // stored as 2: only exactly 1 checks it
        QCOMPARE(StoredFive(s.config), (QStringList{"1", "123456", "1", "0", ""}));
    }

    void typedTextIsStoredAsTypedAndLaterWindowsReadItAsZero() {
        Started s;
        CSqlMainFrame* before = s.Open();
        ModalDriver driver;
        driver.Then(Is<cPropertiesDlg>, [&](QWidget* d) {
            TypeInto(Field(d, cPropertiesSql::kFirstFetchId), "abc");
            TypeInto(Field(d, cPropertiesSql::kPlanTableId), "my plan, \"x\"");
            QTest::mouseClick(Box(d, cPropertiesSql::kShowOutputId), Qt::LeftButton);
            QTest::keyClick(Field(d, cPropertiesSql::kPlanTableId), Qt::Key_Return); // the default button
        });
        OpenFromMenu(s);
        QTRY_VERIFY(driver.Done());
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(StoredFive(s.config), (QStringList{"abc", "", "0", "1", "my plan, \"x\""}));
        QCOMPARE(before->Document()->Settings().firstFetchCount, 50); // read when it opened
        CSqlMainFrame* after = s.Open();
        QCOMPARE(after->Document()->Settings().firstFetchCount, 0);
        QCOMPARE(after->Document()->Settings().dbmsOutputBufferSize, 0);
        QCOMPARE(after->Document()->Settings().explainPlanTableName, std::string("my plan, \"x\""));
        QCOMPARE(before->Document()->Settings().explainPlanTableName, std::string("PLAN_TABLE"));
    }

    void cancelEscapeAndHelpStoreNothing() {
        Started s;
        s.WriteSetting("SQLFirstFetchCount", "20");
        s.WriteSetting("SaveSqlHistory", "0");
        const std::string before = FileBytes(s.config.ProgramFile());
        bool stillOpenAfterHelp = false;
        ModalDriver driver;
        driver
            .Then(Is<cPropertiesDlg>,
                  [&](QWidget* d) {
                      TypeInto(Field(d, cPropertiesSql::kFirstFetchId), "777");
                      TypeInto(Field(d, cPropertiesSql::kBufferSizeId), "5");
                      TypeInto(Field(d, cPropertiesSql::kPlanTableId), "OTHER");
                      QTest::mouseClick(Box(d, cPropertiesSql::kSaveHistoryId), Qt::LeftButton);
                      QTest::mouseClick(Box(d, cPropertiesSql::kShowOutputId), Qt::LeftButton);
                      Click(d, cPropertiesDlg::kHelpId); // the click is handled before it returns
                      stillOpenAfterHelp = d->isVisible() && QApplication::activeModalWidget() == d;
                      Click(d, IDCANCEL);
                  })
            .Then(Is<cPropertiesDlg>, [&](QWidget* d) {
                TypeInto(Field(d, cPropertiesSql::kFirstFetchId), "888");
                QTest::keyClick(d, Qt::Key_Escape);
            });
        QVERIFY(s.Main()->RouteCommand(cmd::kSettings));
        QVERIFY(s.Main()->RouteCommand(cmd::kSettings));
        QVERIFY(driver.Done());
        QVERIFY(stillOpenAfterHelp);
        QCOMPARE(FileBytes(s.config.ProgramFile()), before);
    }

    void withoutASettingsFileMessage987ComesFirstAndOkCreatesTheFile() {
        Started s;
        s.config.RemoveProgramKey();
        QString message;
        QStringList shown;
        ModalDriver driver;
        driver
            .Then(Is<cMsgDialog>,
                  [&](QWidget* box) {
                      message = MessageText(box);
                      ClickButton(box, cMsgDialog::kSingleOkId);
                  })
            .Then(Is<cPropertiesDlg>, [&](QWidget* d) {
                for (int id : {cPropertiesSql::kFirstFetchId, cPropertiesSql::kBufferSizeId, cPropertiesSql::kPlanTableId})
                    shown << Field(d, id)->text();
                shown << QString::number(Box(d, cPropertiesSql::kSaveHistoryId)->isChecked())
                      << QString::number(Box(d, cPropertiesSql::kShowOutputId)->isChecked());
                TypeInto(Field(d, cPropertiesSql::kFirstFetchId), "25");
                Click(d, IDOK);
            });
        QVERIFY(s.Main()->RouteCommand(cmd::kSettings));
        QVERIFY(driver.Done());
        QCOMPARE(message, QStringLiteral("Can't define path to the the Telmora Execution Service. You should to reinstall application."));
        QCOMPARE(shown, (QStringList{"", "", "PLAN_TABLE", "0", "0"}));
        QCOMPARE(StoredFive(s.config), (QStringList{"25", "", "0", "0", "PLAN_TABLE"}));
    }

    void aWriteThatFailsIsReportedWithTheSystemTextAndKeepsTheFileAndTheDialog() {
        Started s;
        s.WriteSetting("SQLFirstFetchCount", "20");
        std::filesystem::permissions(s.config.ProgramFile(), std::filesystem::perms::owner_read);
        const std::string before = FileBytes(s.config.ProgramFile());
        QString message, keptText;
        ModalDriver driver;
        driver.Then(Is<cPropertiesDlg>, [&](QWidget* d) {
                  TypeInto(Field(d, cPropertiesSql::kFirstFetchId), "30");
                  Click(d, IDOK);
              })
            .Then(Is<cMsgDialog>,
                  [&](QWidget* box) {
                      message = MessageText(box);
                      ClickButton(box, cMsgDialog::kSingleOkId);
                  })
            .Then(Is<cPropertiesDlg>, [&](QWidget* d) {
                keptText = Field(d, cPropertiesSql::kFirstFetchId)->text();
                Click(d, IDCANCEL);
            });
        QVERIFY(s.Main()->RouteCommand(cmd::kSettings));
        QVERIFY(driver.Done());
        QVERIFY2(message.contains(QString::fromStdString(s.config.ProgramFile())), qPrintable(message));
        QVERIFY2(message.endsWith(QString::fromUtf8(std::strerror(EACCES))), qPrintable(message));
        QCOMPARE(keptText, QStringLiteral("30")); // still there to try again or to cancel
        QCOMPARE(FileBytes(s.config.ProgramFile()), before);
    }

#ifdef QUARVEL_HAVE_TEST_DATABASE
    void aWindowOpenedAfterOkFetchesTheNewFirstFetchCountAndAnOpenOneKeepsItsOwn() {
        TestDatabase db;
        Started s;
        {
            DBConnect admin;
            admin.Logon("DEMO", "demo", db.Path().c_str());
            RunOnSession(admin, "create table t (id number)");
            for (int i = 1; i <= 60; ++i)
                RunOnSession(admin, "insert into t values (" + std::to_string(i) + ")");
            RunOnSession(admin, "commit");
        }
        auto open = [&] {
            s.app->Fields().pendingConnection = std::make_unique<DBConnect>();
            s.app->Fields().pendingConnection->Logon("DEMO", "demo", db.Path().c_str());
            s.app->Fields().lastUserName = "DEMO";
            s.app->Fields().lastConnectString = db.Path();
            return s.OpenFocused();
        };
        auto rowsFetched = [&](CSqlMainFrame* frame) {
            CSqlLeftView* pane = frame->TextPane();
            pane->setFocus();
            QTest::keyClicks(pane, "select id from t order by id");
            QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(pane, Qt::Key_F9);
            [&] { QVERIFY(QTest::qWaitFor([&] { return !frame->Document()->IsWorkerRunning(); }, 30000)); }();
            return frame->SplitFrame()->Grid()->Model()->RowCount();
        };
        CSqlMainFrame* before = open();
        ModalDriver driver;
        driver.Then(Is<cPropertiesDlg>, [&](QWidget* d) {
            TypeInto(Field(d, cPropertiesSql::kFirstFetchId), "7");
            Click(d, IDOK);
        });
        QVERIFY(s.Main()->RouteCommand(cmd::kSettings));
        QVERIFY(driver.Done());
        CSqlMainFrame* after = open();
        QCOMPARE(rowsFetched(after), 7);
        s.Main()->MdiArea()->setActiveSubWindow(before);
        s.Activate();
        QCOMPARE(rowsFetched(before), 50);
    }
#endif
};

QTEST_MAIN(SettingsDialogTest)
#include "SettingsDialogTest.moc"
