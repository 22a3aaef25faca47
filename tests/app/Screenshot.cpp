// Makes a picture of a connected editor window: starts the program, connects as DEMO/demo to the
// database file given, waits until the editor window is up and saves the main window as a PNG.
//   quarvel-screenshot [--open FILE] [--line N] [--type SQL-FILE] [--undo N] DATABASE-FILE OUTPUT.png
//                      [USER PASSWORD]
// --open loads FILE through the pane's Open File; --line puts the caret on line N (from 1). --type types the file's text into the SQL text pane
// key by key (line breaks as Enter, so the pane indents as it would for a user) at the caret, then
// selects the two lines after the caret's line. --undo presses Ctrl+Z N times after that.
// Runs without a display (QT_QPA_PLATFORM=offscreen).
#include "CMainFrame.h"
#include "CSqlLeftView.h"
#include "CSqlMainFrame.h"
#include "CTavrelApp.h"
#include "GuiTestSupport.h"
#include "cMsgDialog.h"
#include "cSqlConnect.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>

namespace {

// Types `text` into the pane as a user would, then selects the two lines after the caret's line.
void TypeInto(CSqlLeftView* pane, const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            QTest::keyClick(pane, Qt::Key_Return);
            // The pane indents a new line like the one above; the file's own indentation replaces it.
            QTest::keyClick(pane, Qt::Key_Home, Qt::ShiftModifier);
            QTest::keyClick(pane, Qt::Key_Home, Qt::ShiftModifier);
            if (!pane->IsSelectionEmpty())
                QTest::keyClick(pane, Qt::Key_Delete);
        }
        for (const QChar c : lines[i]) {
            if (c == QLatin1Char('\r'))
                continue;
            if (c == QLatin1Char('\t'))
                QTest::keyClick(pane, Qt::Key_Tab);
            else if (c.unicode() < 128)
                QTest::keyClick(pane, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, pane, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    for (qsizetype i = 1; i < lines.size(); ++i)
        QTest::keyClick(pane, Qt::Key_Up);
    QTest::keyClick(pane, Qt::Key_Home);
    QTest::keyClick(pane, Qt::Key_Home);
    QTest::keyClick(pane, Qt::Key_Down);
    QTest::keyClick(pane, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(pane, Qt::Key_Down, Qt::ShiftModifier);
}

} // namespace

int main(int argc, char** argv) {
    QStringList args;
    QString typeFile;
    QString openFile;
    int undoCount = 0;
    int line = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QStringLiteral("--type") && i + 1 < argc)
            typeFile = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QStringLiteral("--open") && i + 1 < argc)
            openFile = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QStringLiteral("--line") && i + 1 < argc)
            line = QString::fromLocal8Bit(argv[++i]).toInt();
        else if (arg == QStringLiteral("--undo") && i + 1 < argc)
            undoCount = QString::fromLocal8Bit(argv[++i]).toInt();
        else
            args << QString::fromLocal8Bit(argv[i]);
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s [--open FILE] [--line N] [--type SQL-FILE] [--undo N] DATABASE-FILE OUTPUT.png [USER PASSWORD]\n", argv[0]);
        return 2;
    }
    const QString database = args[0];
    const QString output = args[1];
    const QString user = args.size() > 3 ? args[2] : QStringLiteral("DEMO");
    const QString password = args.size() > 3 ? args[3] : QStringLiteral("demo");

    QApplication qt(argc, argv);
    CTavrelApp app;
    ModalDriver driver;
    driver.Then(Is<cSqlConnect>, [&](QWidget* d) {
        d->findChild<QComboBox*>(QStringLiteral("803"))->setEditText(user);
        d->findChild<QLineEdit*>(QStringLiteral("528"))->setText(password);
        d->findChild<QLineEdit*>(QStringLiteral("534"))->setText(database);
        d->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    // Without the program's settings key the new window first shows message 987.
    driver.Then(Is<cMsgDialog>, [](QWidget* d) {
        d->findChild<QPushButton*>(QString::number(cMsgDialog::kSingleOkId))->click();
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
    CSqlLeftView* pane = frame->TextPane();
    if (!openFile.isEmpty() && !pane->OpenFilePath(QFile::encodeName(openFile).toStdString())) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(openFile));
        return 1;
    }
    if (line > 0)
        pane->SelectNothingAt(editor::TextPosition{0, line - 1});
    if (!typeFile.isEmpty()) {
        QFile file(typeFile);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(typeFile));
            return 1;
        }
        pane->setFocus();
        TypeInto(pane, QString::fromUtf8(file.readAll()));
    }
    for (int i = 0; i < undoCount; ++i)
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
    QTest::qWait(300);
    if (!main->grab().save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
