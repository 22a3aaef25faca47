// Drag and drop inside one pane and from outside. The offscreen platform has no drag loop of its own,
// so the pane under test stands in for the platform's loop: it hands the drag data to its own
// viewport as drag-enter, drag-move and drop events at the point the test chose, just as the loop
// would when the user releases the button there, and reports the effect the drop answered.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "TextMime.h"
#include "ViewTestSupport.h"

using namespace viewtest;

class LoopbackDragPane : public editor::CSqlEditorView {
public:
    QPoint dropPoint;
    Qt::KeyboardModifiers dropModifiers = Qt::NoModifier;
    int loops = 0;

protected:
    Qt::DropAction RunDragLoop(QMimeData* data, Qt::DropActions allowed) override {
        ++loops;
        QDragEnterEvent enter(dropPoint, allowed, data, Qt::LeftButton, dropModifiers);
        QApplication::sendEvent(viewport(), &enter);
        Qt::DropAction result = Qt::IgnoreAction;
        if (enter.isAccepted()) {
            QDropEvent drop(QPointF(dropPoint), allowed, data, Qt::LeftButton, dropModifiers);
            QApplication::sendEvent(viewport(), &drop);
            if (drop.isAccepted())
                result = drop.dropAction();
        }
        delete data;
        return result;
    }
};

class DragDropTest : public QObject {
    Q_OBJECT

    // Presses inside the selection at `from` and moves far enough to start a drag.
    static void Drag(Pane<LoopbackDragPane>& pane, QPoint from, QPoint to, Qt::KeyboardModifiers mods) {
        pane.view->dropPoint = to;
        pane.view->dropModifiers = mods;
        QWidget* area = pane.view->viewport();
        QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(area, from + QPoint(QApplication::startDragDistance() + 2, 0));
        QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, from + QPoint(QApplication::startDragDistance() + 2, 0));
    }

private slots:
    void moveWithinPaneUndoesInOneStep() {
        Pane<LoopbackDragPane> pane("alpha beta\r\ngamma");
        pane.view->SetSelection(P(0, 0), P(6, 0)); // "alpha "
        Drag(pane, pane.CellCentre(1, 0), pane.Boundary(5, 1), Qt::NoModifier);
        QCOMPARE(pane.view->loops, 1);
        QCOMPARE(pane.Text(), std::string("beta\r\ngammaalpha "));
        // The dropped text is selected where it landed.
        QCOMPARE(pane.Selection().first, P(5, 1));
        QCOMPARE(pane.Selection().second, P(11, 1));
        QCOMPARE(pane.view->UndoMenuText(), std::string("&Undo Drag And Drop\tCtrl+Z"));
        pane.view->Undo();
        QCOMPARE(pane.Text(), std::string("alpha beta\r\ngamma"));
        QVERIFY(!pane.view->CanUndo());
    }

    void copyWithCtrlKeepsTheSource() {
        Pane<LoopbackDragPane> pane("one two\r\nthree");
        pane.view->SetSelection(P(4, 0), P(7, 0)); // "two"
        Drag(pane, pane.CellCentre(5, 0), pane.Boundary(0, 1), Qt::ControlModifier);
        QCOMPARE(pane.Text(), std::string("one two\r\ntwothree"));
        pane.view->Undo();
        QCOMPARE(pane.Text(), std::string("one two\r\nthree"));
    }

    void dropOntoItselfChangesNothing() {
        Pane<LoopbackDragPane> pane("alpha beta gamma");
        pane.view->SetSelection(P(6, 0), P(10, 0)); // "beta"
        Drag(pane, pane.CellCentre(7, 0), pane.Boundary(8, 0), Qt::NoModifier);
        QCOMPARE(pane.Text(), std::string("alpha beta gamma"));
        QCOMPARE(pane.Caret(), P(8, 0));
        QVERIFY(pane.view->IsSelectionEmpty());
        QVERIFY(!pane.view->CanUndo());
        // A move onto either end of the dragged text is no move either (the text must not vanish).
        pane.view->SetSelection(P(6, 0), P(10, 0));
        Drag(pane, pane.CellCentre(7, 0), pane.Boundary(6, 0), Qt::NoModifier);
        QCOMPARE(pane.Text(), std::string("alpha beta gamma"));
        pane.view->SetSelection(P(6, 0), P(10, 0));
        Drag(pane, pane.CellCentre(7, 0), pane.Boundary(10, 0), Qt::NoModifier);
        QCOMPARE(pane.Text(), std::string("alpha beta gamma"));
        QVERIFY(!pane.view->CanUndo());
    }

    void dragNearAnEdgeScrolls() {
        std::string text;
        for (int i = 0; i < 100; ++i)
            text += "line " + std::to_string(i) + "\r\n";
        Pane<> pane(text);
        QWidget* area = pane.view->viewport();
        std::unique_ptr<QMimeData> data(editor::MakeTextMimeData("x"));
        const QPoint bottom(100, area->height() - 2);
        QDragEnterEvent enter(bottom, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &enter);
        QDragMoveEvent move(bottom, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &move);
        QVERIFY(move.isAccepted());
        QCOMPARE(pane.view->FirstVisibleLine(), 1);
        // Resting there keeps scrolling, one line a step.
        QTRY_VERIFY_WITH_TIMEOUT(pane.view->FirstVisibleLine() >= 3, 2000);
        QDragLeaveEvent leave;
        QApplication::sendEvent(area, &leave);
        const int32_t first = pane.view->FirstVisibleLine();
        QTest::qWait(250);
        QCOMPARE(pane.view->FirstVisibleLine(), first);
        // Near the top it scrolls back.
        QDragEnterEvent enterTop(QPoint(100, 1), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &enterTop);
        QDragMoveEvent moveTop(QPoint(100, 1), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &moveTop);
        QCOMPARE(pane.view->FirstVisibleLine(), first - 1);
        QApplication::sendEvent(area, &leave);
        QCOMPARE(pane.Text(), text);
    }

    void dropFromOutside() {
        Pane<> pane("select  from dual");
        QWidget* area = pane.view->viewport();
        std::unique_ptr<QMimeData> data(editor::MakeTextMimeData("*"));
        const QPoint at = pane.Boundary(7, 0);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::MoveAction);
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::ControlModifier);
        QApplication::sendEvent(area, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QCOMPARE(pane.Text(), std::string("select * from dual"));
        QCOMPARE(pane.Selection().first, P(7, 0));
        QCOMPARE(pane.Selection().second, P(8, 0));
        // Other programs' text comes with LF line ends.
        std::unique_ptr<QMimeData> plain(new QMimeData);
        plain->setText("a\nb");
        QDragEnterEvent enterPlain(pane.Boundary(0, 0), Qt::CopyAction, plain.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &enterPlain);
        QDropEvent second(QPointF(pane.Boundary(0, 0)), Qt::CopyAction, plain.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &second);
        QCOMPARE(second.dropAction(), Qt::CopyAction); // the only effect that source allows
        QCOMPARE(pane.Text(), std::string("a\r\nbselect * from dual"));
        // Refused: data without text, and any drop while input is disabled.
        std::unique_ptr<QMimeData> image(new QMimeData);
        image->setData("image/png", QByteArray("x"));
        QDragEnterEvent refused(at, Qt::CopyAction, image.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &refused);
        QVERIFY(!refused.isAccepted());
        pane.view->DisableInput();
        QDropEvent busy(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &busy);
        QVERIFY(!busy.isAccepted());
        QCOMPARE(pane.Text(), std::string("a\r\nbselect * from dual"));
    }
};

QTEST_MAIN(DragDropTest)
#include "DragDropTest.moc"
