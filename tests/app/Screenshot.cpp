// Makes a picture of a connected editor window: starts the program, connects as DEMO/demo to the
// database file given, waits until the editor window is up and saves the main window as a PNG.
//   quarvel-screenshot DATABASE-FILE OUTPUT.png [USER PASSWORD]
// Runs without a display (QT_QPA_PLATFORM=offscreen).
#include "CMainFrame.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "GuiTestSupport.h"
#include "cSqlConnect.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DATABASE-FILE OUTPUT.png [USER PASSWORD]\n", argv[0]);
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString user = argc > 4 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("DEMO");
    const QString password = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("demo");

    QApplication qt(argc, argv);
    CTavrelApp app;
    ModalDriver driver;
    driver.Then(Is<cSqlConnect>, [&](QWidget* d) {
        d->findChild<QComboBox*>(QStringLiteral("803"))->setEditText(user);
        d->findChild<QLineEdit*>(QStringLiteral("528"))->setText(password);
        d->findChild<QLineEdit*>(QStringLiteral("534"))->setText(database);
        d->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    if (!app.InitInstance())
        return 1;
    CMainFrame* main = app.MainFrame();
    main->showNormal();
    main->resize(1100, 720);
    if (main->Editors().isEmpty()) {
        std::fprintf(stderr, "no editor window: the connect failed\n");
        return 1;
    }
    CSqlMainFrame* frame = main->Editors().front();
    if (!QTest::qWaitFor([frame] { return frame->isMaximized(); }, 5000))
        return 1;
    QTest::qWait(300);
    if (!main->grab().save(output)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
