// Start-up and the connect dialog against the embedded database: the first window, its captions, the
// checks of the dialog, logon errors, SYSDBA, two independent windows, and files named on the command
// line.
#include "CMainFrame.h"
#include "CQuarvelDoc.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "GuiTestSupport.h"
#include "cMsgDialog.h"
#include "cSqlConnect.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <fstream>
#include <memory>

namespace {

QLineEdit* Field(QWidget* dialog, int id) {
    return dialog->findChild<QLineEdit*>(QString::number(id));
}
QComboBox* User(QWidget* dialog) {
    return dialog->findChild<QComboBox*>(QString::number(cSqlConnect::kUserId));
}

// Types the fields the way a user would, then presses OK.
void Fill(QWidget* dialog, const QString& user, const QString& password, const QString& connect, bool sysdba = false) {
    QComboBox* combo = User(dialog);
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), user);
    Field(dialog, cSqlConnect::kPasswordId)->clear();
    QTest::keyClicks(Field(dialog, cSqlConnect::kPasswordId), password);
    Field(dialog, cSqlConnect::kConnectId)->clear();
    QTest::keyClicks(Field(dialog, cSqlConnect::kConnectId), connect);
    dialog->findChild<QCheckBox*>(QString::number(cSqlConnect::kSysdbaId))->setChecked(sysdba);
    dialog->findChild<QPushButton*>(QStringLiteral("1"))->click();
}

QString MessageText(QWidget* box) {
    return box->findChild<QPlainTextEdit*>(QString::number(cMsgDialog::kTextId))->toPlainText();
}

void Acknowledge(QWidget* box) {
    box->findChild<QPushButton*>(QStringLiteral("105"))->click();
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void startShowsTheMainWindowThenTheConnectDialogAndOpensAnEditor() {
        ConfigDir config;
        TestDatabase db;
        const QString path = QString::fromStdString(db.Path());
        CTavrelApp app;
        bool mainVisibleUnderDialog = false;
        QString dialogTitle;
        ModalDriver driver;
        driver.Then(Is<cSqlConnect>, [&](QWidget* d) {
            mainVisibleUnderDialog = app.MainFrame() && app.MainFrame()->isVisible();
            dialogTitle = d->windowTitle();
            Fill(d, "demo", "demo", path);
        });
        QVERIFY(app.InitInstance());
        QVERIFY(driver.Done());
        QVERIFY(mainVisibleUnderDialog);
        QCOMPARE(dialogTitle, QStringLiteral("Quarvel [Connect to database]"));

        QCOMPARE(app.MainFrame()->Editors().size(), 1);
        CSqlMainFrame* frame = app.MainFrame()->Editors().front();
        QTRY_VERIFY(frame->isMaximized());
        const QString caption = QStringLiteral("Quarvel [DEMO@%1]").arg(path);
        QCOMPARE(app.MainFrame()->windowTitle(), caption);
        QCOMPARE(frame->windowTitle(), caption);
        CQuarvelDoc* doc = frame->Document();
        QCOMPARE(doc->UserName(), std::string("DEMO")); // typed in lower case
        QCOMPARE(doc->ConnectString(), db.Path());
        QVERIFY(doc->Session() && doc->Session()->IsConnected());
        QCOMPARE(app.Fields().pendingConnection.get(), nullptr); // the document took it over
        QTRY_VERIFY(frame->TextPane()->hasFocus());
    }

    void eachCheckInOrderThenALogonErrorThenSuccessInTheSameDialog() {
        ConfigDir config;
        TestDatabase db;
        const QString path = QString::fromStdString(db.Path());
        CTavrelApp app;
        QStringList messages;
        QString selectedPassword;
        bool passwordFocused = false;
        QPointer<QWidget> firstDialog, lastDialog;
        auto record = [&](QWidget* box) {
            messages << MessageText(box);
            Acknowledge(box);
        };
        ModalDriver driver;
        driver
            .Then(Is<cSqlConnect>,
                  [&](QWidget* d) {
                      firstDialog = d;
                      Fill(d, "", "", "");
                  })
            .Then(Is<cMsgDialog>, record)
            .Then(Is<cSqlConnect>, [&](QWidget* d) { Fill(d, "demo", "", ""); })
            .Then(Is<cMsgDialog>, record)
            .Then(Is<cSqlConnect>, [&](QWidget* d) { Fill(d, "demo", "x", ""); })
            .Then(Is<cMsgDialog>, record)
            .Then(Is<cSqlConnect>, [&](QWidget* d) { Fill(d, "demo", "wrong", path); })
            .Then(Is<cMsgDialog>, record)
            .Then(Is<cSqlConnect>,
                  [&](QWidget* d) {
                      QLineEdit* password = Field(d, cSqlConnect::kPasswordId);
                      passwordFocused = d->focusWidget() == password;
                      selectedPassword = password->selectedText();
                      lastDialog = d;
                      password->clear();
                      QTest::keyClicks(password, "demo");
                      d->findChild<QPushButton*>(QStringLiteral("1"))->click();
                  });
        QVERIFY(app.InitInstance());
        QVERIFY(driver.Done());
        QCOMPARE(messages.size(), 4);
        QCOMPARE(messages[0], QStringLiteral("You must enter valid user name."));
        QCOMPARE(messages[1], QStringLiteral("You must enter valid password."));
        QCOMPARE(messages[2], QStringLiteral("You must specify valid database connect string."));
        QVERIFY2(messages[3].contains(QStringLiteral("ORA-")), qPrintable(messages[3]));
        QVERIFY(passwordFocused);
        QCOMPARE(selectedPassword, QStringLiteral("wrong"));
        QCOMPARE(app.MainFrame()->Editors().size(), 1); // the same dialog connected on the retry
        QVERIFY(app.MainFrame()->Editors().front()->Document()->Session()->IsConnected());
    }

    void sysdbaLogonNeedsThePrivilege() {
        ConfigDir config;
        TestDatabase db;
        const QString path = QString::fromStdString(db.Path());
        CTavrelApp app;
        QString refusal;
        ModalDriver driver;
        driver.Then(Is<cSqlConnect>, [&](QWidget* d) { Fill(d, "demo", "demo", path, true); })
            .Then(Is<cMsgDialog>,
                  [&](QWidget* box) {
                      refusal = MessageText(box);
                      Acknowledge(box);
                  })
            .Then(Is<cSqlConnect>, [&](QWidget* d) { Fill(d, "sys", "sys", path, true); });
        QVERIFY(app.InitInstance());
        QVERIFY(driver.Done());
        QVERIFY(!refusal.isEmpty());
        QCOMPARE(app.MainFrame()->Editors().size(), 1);
        QCOMPARE(app.MainFrame()->Editors().front()->Document()->UserName(), std::string("SYS"));
    }

    void twoConnectsGiveTwoIndependentWindows() {
        ConfigDir config;
        TestDatabase db;
        const QString path = QString::fromStdString(db.Path());
        CTavrelApp app;
        ModalDriver driver;
        driver.Then(Is<cSqlConnect>, [&](QWidget* d) { Fill(d, "demo", "demo", path); })
            .Then(Is<cSqlConnect>, [&](QWidget* d) { Fill(d, "sys", "sys", path, true); });  // SYS logs on only as SYSDBA
        QVERIFY(app.InitInstance());
        QVERIFY(app.MainFrame()->RouteCommand(cmd::kNewConnection));
        QVERIFY(driver.Done());
        QList<CSqlMainFrame*> editors = app.MainFrame()->Editors();
        QCOMPARE(editors.size(), 2);
        DBConnect* first = editors[0]->Document()->Session();
        DBConnect* second = editors[1]->Document()->Session();
        QVERIFY(first != second);
        QCOMPARE(app.MainFrame()->windowTitle(), QStringLiteral("Quarvel [SYS AS SYSDBA@%1]").arg(path));

        QPointer<CSqlMainFrame> gone(editors[0]);
        QVERIFY(editors[0]->close());
        QTRY_VERIFY(!gone);
        QCOMPARE(app.MainFrame()->Editors().size(), 1);
        QVERIFY(editors[1]->Document()->Session()->IsConnected());
    }

    void fileNamedOnTheCommandLineOpensInTheFirstWindow() {
        ConfigDir config;
        TestDatabase db;
        const std::string file = config.Dir() + "/start.sql";
        std::ofstream(file) << "select * from dual";
        CTavrelApp app;
        ModalDriver driver;
        driver.Then(Is<cSqlConnect>,
                    [&](QWidget* d) { Fill(d, "demo", "demo", QString::fromStdString(db.Path())); });
        QVERIFY(app.InitInstance({QString::fromStdString(file)}));
        QVERIFY(driver.Done());
        CQuarvelDoc* doc = app.MainFrame()->Editors().front()->Document();
        QCOMPARE(doc->FileName(), file);
        std::string text;
        doc->TextBuffer().ReadText(0, 0, 0, 18, text);
        QCOMPARE(text, std::string("select * from dual"));
        QCOMPARE(app.MainFrame()->windowTitle(),
                 QString::fromStdString("Quarvel [DEMO@" + db.Path() + "] - " + file));
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
