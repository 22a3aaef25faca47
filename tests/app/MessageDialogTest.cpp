// The message dialog: texts, button styles, results, and calls from a worker thread.
#include "CommandIds.h"
#include "GuiTestSupport.h"
#include "MessageBox.h"
#include "UiThread.h"
#include "QtMessagePump.h"
#include "cMsgDialog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {
QPushButton* Button(QWidget* dialog, int id) {
    return dialog->findChild<QPushButton*>(QString::number(id));
}
QString Text(QWidget* dialog) {
    return dialog->findChild<QPlainTextEdit*>(QString::number(cMsgDialog::kTextId))->toPlainText();
}
bool Shown(QWidget* dialog, int id) {
    QPushButton* b = Button(dialog, id);
    return b && !b->isHidden();
}
} // namespace

class MessageDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { platform::SetUserInterfaceThread(std::this_thread::get_id()); }

    void singleOkIsCentredAndAnswersCancel() {
        ModalDriver driver;
        QString text, title;
        bool onlyOk = false, centred = false;
        driver.Then(Is<cMsgDialog>, [&](QWidget* d) {
            text = Text(d);
            title = d->windowTitle();
            onlyOk = Shown(d, 105) && !Shown(d, 1) && !Shown(d, 2) && !Shown(d, 107) && !Shown(d, 108);
            QPushButton* ok = Button(d, 105);
            const int middle = ok->mapTo(d, ok->rect().center()).x();
            centred = std::abs(middle - d->width() / 2) <= 2;
            ok->click();
        });
        QCOMPARE(MessageBoxById(958), IDCANCEL);
        QVERIFY(driver.Done());
        QCOMPARE(title, QStringLiteral("Quarvel"));
        QCOMPARE(text, QStringLiteral("Previous SQL statement is running now. Wait for execution complete or stop it first."));
        QVERIFY(onlyOk);
        QVERIFY(centred);
    }

    void questionPairsAnswerOkAndCancel() {
        ModalDriver driver;
        bool pairOne = false, pairAlt = false;
        driver
            .Then(Is<cMsgDialog>,
                  [&](QWidget* d) {
                      pairOne = Shown(d, 1) && Shown(d, 2) && !Shown(d, 105) && !Shown(d, 107);
                      Button(d, 1)->click();
                  })
            .Then(Is<cMsgDialog>, [&](QWidget* d) { Button(d, 2)->click(); })
            .Then(Is<cMsgDialog>,
                  [&](QWidget* d) {
                      pairAlt = Shown(d, 107) && Shown(d, 108) && !Shown(d, 1) && !Shown(d, 105);
                      Button(d, 107)->click();
                  })
            .Then(Is<cMsgDialog>, [&](QWidget* d) { Button(d, 108)->click(); })
            .Then(Is<cMsgDialog>, [&](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
        QCOMPARE(MessageBoxById(1198, 1), IDOK);
        QCOMPARE(MessageBoxById(1198, 1), IDCANCEL);
        QCOMPARE(MessageBoxText("Sure?", 1, 1), IDOK);
        QCOMPARE(MessageBoxText("Sure?", 1, 1), IDCANCEL);
        QCOMPARE(MessageBoxText("Sure?", 1), IDCANCEL); // Escape
        QVERIFY(driver.Done());
        QVERIFY(pairOne);
        QVERIFY(pairAlt);
        QCOMPARE(QString::fromStdString(LastMessageParameters().text), QStringLiteral("Sure?"));
        QCOMPARE(LastMessageParameters().buttonStyle, 1);
    }

    void lineFeedsShowAsLinesAndMissingStringsNameTheirId() {
        ModalDriver driver;
        QString twoLines, missing;
        driver
            .Then(Is<cMsgDialog>,
                  [&](QWidget* d) {
                      twoLines = Text(d);
                      Button(d, 105)->click();
                  })
            .Then(Is<cMsgDialog>, [&](QWidget* d) {
                missing = Text(d);
                d->close(); // the close box answers Cancel
            });
        MessageBoxText("first line\nsecond line");
        QCOMPARE(MessageBoxById(4711), IDCANCEL);
        QVERIFY(driver.Done());
        QCOMPARE(twoLines, QStringLiteral("first line\nsecond line"));
        QCOMPARE(QString::fromStdString(LastMessageParameters().text), QStringLiteral("<RESOURCE LOAD ERROR> - 4711"));
        QCOMPARE(missing, QStringLiteral("<RESOURCE LOAD ERROR> - 4711"));
    }

    void aWorkersMessageIsShownOnTheUiThreadAndTheWorkerGetsTheAnswer() {
        platform::QtMessagePump pump;
        ModalDriver driver;
        std::thread::id shownOn;
        driver.Then(Is<cMsgDialog>, [&](QWidget* d) {
            shownOn = std::this_thread::get_id();
            Button(d, 1)->click();
        });
        std::atomic<int> result{0};
        std::thread worker([&] { result = MessageBoxText("from the worker", 1); });
        QTRY_VERIFY_WITH_TIMEOUT(result.load() != 0, 10000);
        worker.join();
        QCOMPARE(result.load(), IDOK);
        QCOMPARE(shownOn, std::this_thread::get_id());
    }
};

QTEST_MAIN(MessageDialogTest)
#include "MessageDialogTest.moc"
