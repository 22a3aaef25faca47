// Pictures of Export Rows on a database file (the demo database by default): runs the query through
// the editor window, presses the grid's Export button and saves the window with the rows question
// over it, then the progress dialog of a long export by itself.
//   quarvel-export-screenshot DATABASE-FILE OUTPUT-PREFIX QUERY
// Writes OUTPUT-PREFIX-question.png and OUTPUT-PREFIX-progress.png. Offscreen.
#include "CCommandToolBar.h"
#include "CMainFrame.h"
#include "CQuarvelDoc.h"
#include "CSplitFrame.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "GuiTestSupport.h"
#include "StartedProgram.h"
#include "IniSettingsKey.h"
#include "cExportProgress.h"
#include "cExportRowsDlg.h"
#include "cSqlConnect.h"

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s DATABASE-FILE OUTPUT-PREFIX QUERY\n", argv[0]);
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
    app.MainFrame()->resize(1000, 700);
    CQuarvelDoc* doc = frame->Document();
    CSqlLeftView* pane = frame->TextPane();
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    pane->setFocus();
    QTest::keyClicks(pane, QString::fromLocal8Bit(argv[3]));
    QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(pane, Qt::Key_F9);
    (void)QTest::qWaitFor([doc] { return !doc->IsWorkerRunning(); }, 60000);
    QTest::qWait(200);

    bool saved = false;
    ModalDriver driver;
    driver.Then(Is<cExportRowsDlg>, [&](QWidget* dialog) {
        QWidget* window = app.MainFrame();
        QPixmap picture = window->grab();
        QPainter painter(&picture);
        const QPixmap face = dialog->grab();
        painter.fillRect(QRect(QPoint(), face.size()).translated((picture.width() - face.width()) / 2 - 2,
                                                                   (picture.height() - face.height()) / 2 - 2)
                             .adjusted(0, 0, 4, 4),
                         Qt::darkGray);
        painter.drawPixmap((picture.width() - face.width()) / 2, (picture.height() - face.height()) / 2, face);
        painter.end();
        saved = picture.save(prefix + "-question.png");
        dialog->findChild<QPushButton*>(QString::number(cExportRowsDlg::kCancelId))->click();
    });
    QAction* exportRows = frame->SplitFrame()->ToolBar()->Action(cmd::kExportData);
    QTest::mouseClick(frame->SplitFrame()->ToolBar()->widgetForAction(exportRows), Qt::LeftButton);
    (void)QTest::qWaitFor([&] { return driver.Done(); }, 10000);

    cExportProgress progress(1000000);
    progress.SetRows(437 * 1024);
    progress.show();
    QTest::qWait(50);
    saved = progress.grab().save(prefix + "-progress.png") && saved;
    return saved ? 0 : 1;
}
