// Pictures of statement execution on a database file (the demo database by default): runs each query
// given through the editor window and saves the window with the grid's rows and the output list, then
// starts Last Row on the last query and saves the progress dialog part-way.
//   quarvel-exec-screenshot DATABASE-FILE OUTPUT-PREFIX QUERY...
// A QUERY that starts with "F6:" is explained instead (OK to the plan table's question), one that
// starts with "F8:" runs as a script.
// Writes OUTPUT-PREFIX-1.png ... for the queries and OUTPUT-PREFIX-progress.png. Offscreen.
#include "CMainFrame.h"
#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "ExecCommands.h"
#include "GuiTestSupport.h"
#include "StartedProgram.h"
#include "IniSettingsKey.h"
#include "cFetchStatus.h"
#include "cMsgDialog.h"
#include "cSqlConnect.h"

#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s DATABASE-FILE OUTPUT-PREFIX QUERY...\n", argv[0]);
        return 2;
    }
    QApplication qapp(argc, argv);
    ConfigDir config;
    platform::IniSettingsKey::OpenProgramCreating()->Write("SaveSqlHistory", "0");
    CTavrelApp app;
    StartCancellingConnect(app);
    CSqlMainFrame* frame = OpenDemoEditor(app, argv[1]);
    if (!frame)
        return 1;
    app.MainFrame()->resize(1100, 760);
    CQuarvelDoc* doc = frame->Document();
    CSqlLeftView* pane = frame->TextPane();
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    for (int q = 3; q < argc; ++q) {
        QString text = QString::fromLocal8Bit(argv[q]);
        Qt::Key key = Qt::Key_F9;
        if (text.startsWith("F6:") || text.startsWith("F8:")) {
            key = text.startsWith("F6:") ? Qt::Key_F6 : Qt::Key_F8;
            text = text.mid(3);
        }
        frame->activateWindow();
        (void)QTest::qWaitForWindowActive(frame);
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Delete);
        // Pasted, as a user brings a script in (typing would indent its lines).
        QApplication::clipboard()->setText(text);
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        ModalDriver question;
        question.Then(Is<cMsgDialog>, [](QWidget* box) {
            if (auto* ok = box->findChild<QPushButton*>(QString::number(cMsgDialog::kAltOkId)))
                ok->click();
            else
                static_cast<QDialog*>(box)->reject();
        });
        QTest::keyClick(pane, key);
        (void)QTest::qWaitFor([doc] { return !doc->IsWorkerRunning(); }, 30000);
        QTest::qWait(300);
        const QString file = prefix + "-" + QString::number(q - 2) + ".png";
        app.MainFrame()->grab().save(file);
        std::printf("%s: %d rows, last output: %s\n", qPrintable(file), frame->SplitFrame()->Grid()->model()->rowCount(),
                    doc->State().outputText.c_str());
    }
    // The progress dialog part-way through Last Row, then Cancel.
    ModalDriver driver;
    driver.Then(Is<cFetchStatus>, [&](QWidget* d) {
        QTest::qWait(700);
        QPixmap shot = app.MainFrame()->grab();
        QPainter painter(&shot);
        painter.drawPixmap(d->mapTo(app.MainFrame(), QPoint(0, 0)).isNull() ? QPoint(300, 250) : QPoint(300, 250), d->grab());
        painter.end();
        shot.save(prefix + "-progress.png");
        static_cast<QDialog*>(d)->reject();
    });
    frame->SplitFrame()->Grid()->LastRow();
    QTest::qWait(300);
    app.MainFrame()->grab().save(prefix + "-after-cancel.png");
    std::printf("after cancel: %d rows, caption %s\n", frame->SplitFrame()->Grid()->model()->rowCount(),
                doc->State().resultCaptionText.c_str());
    return 0;
}
