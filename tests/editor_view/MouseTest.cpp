// The mouse: margin clicks select lines, clicks and drags in the text, word selection by double
// click and Ctrl, the right button, the wheel and auto-scrolling.
#include "ViewTestSupport.h"

using namespace viewtest;

class MouseTest : public QObject {
    Q_OBJECT

private slots:
    void marginSelectsWholeLines() {
        Pane<> pane("line zero\r\nline one\r\nline two\r\nlast");
        QWidget* area = pane.view->viewport();
        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(5, pane.CellCentre(0, 1).y()));
        QCOMPARE(pane.Selection().first, P(0, 1));
        QCOMPARE(pane.Selection().second, P(0, 2));
        QCOMPARE(pane.Caret(), P(0, 1));
        // Shift extends from the anchor line, whole lines.
        QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, pane.CellCentre(0, 3).y()));
        QCOMPARE(pane.Selection().first, P(0, 1));
        QCOMPARE(pane.Selection().second, P(4, 3)); // the last line: to its end
        // Dragging in the margin selects lines upwards too.
        QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, QPoint(5, pane.CellCentre(0, 2).y()));
        QTest::mouseMove(area, QPoint(5, pane.CellCentre(0, 0).y()));
        QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, QPoint(5, pane.CellCentre(0, 0).y()));
        QCOMPARE(pane.Selection().first, P(0, 0));
        QCOMPARE(pane.Selection().second, P(0, 3));
        QCOMPARE(pane.Caret(), P(0, 0));
        // Ctrl+click in the margin selects everything.
        QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, QPoint(5, pane.CellCentre(0, 1).y()));
        QCOMPARE(pane.Selection().first, P(0, 0));
        QCOMPARE(pane.Selection().second, P(4, 3));
    }

    void clicksAndDragsInText() {
        Pane<> pane("select emp_name, sal\r\n  from emp\r\n\tx");
        QWidget* area = pane.view->viewport();
        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, pane.Boundary(7, 0));
        QCOMPARE(pane.Caret(), P(7, 0));
        QVERIFY(pane.view->IsSelectionEmpty());
        // The right half of a character lands after it.
        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, pane.CellCentre(3, 1) + QPoint(2, 0));
        QCOMPARE(pane.Caret(), P(4, 1));
        // Inside a tab (columns 0..3): the nearer side.
        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, pane.CellCentre(0, 2));
        QCOMPARE(pane.Caret(), P(0, 2));
        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, pane.CellCentre(3, 2));
        QCOMPARE(pane.Caret(), P(1, 2));
        // Shift+click extends from the anchor.
        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, pane.Boundary(2, 0));
        QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, pane.Boundary(6, 1));
        QCOMPARE(pane.Selection().first, P(2, 0));
        QCOMPARE(pane.Selection().second, P(6, 1));
        // Dragging with the button down extends the selection.
        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, pane.Boundary(0, 2));
        QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, pane.Boundary(1, 1));
        QTest::mouseMove(area, pane.Boundary(4, 0));
        QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, pane.Boundary(4, 0));
        QCOMPARE(pane.Selection().first, P(4, 0));
        QCOMPARE(pane.Selection().second, P(1, 1));
        QCOMPARE(pane.Caret(), P(4, 0));
        // A click inside the selection that does not become a drag places the caret there.
        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, pane.Boundary(8, 0));
        QVERIFY(pane.view->IsSelectionEmpty());
        QCOMPARE(pane.Caret(), P(8, 0));
    }

    void wordSelection() {
        Pane<> pane("select emp_name, sal from emp");
        QWidget* area = pane.view->viewport();
        QTest::mouseDClick(area, Qt::LeftButton, Qt::NoModifier, pane.Boundary(10, 0));
        QCOMPARE(pane.Selection().first, P(7, 0));
        QCOMPARE(pane.Selection().second, P(15, 0));
        QCOMPARE(pane.Caret(), P(10, 0));
        // Ctrl+click selects the word; Ctrl+Shift+click widens to whole words at both ends.
        QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, pane.CellCentre(18, 0));
        QCOMPARE(pane.Selection().first, P(17, 0));
        QCOMPARE(pane.Selection().second, P(20, 0));
        QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, pane.CellCentre(2, 0));
        QCOMPARE(pane.Selection().first, P(0, 0));
        QCOMPARE(pane.Selection().second, P(20, 0));
        // Dragging after a Ctrl+click goes on in whole words.
        QTest::mousePress(area, Qt::LeftButton, Qt::ControlModifier, pane.CellCentre(8, 0));
        QTest::mouseMove(area, pane.CellCentre(22, 0));
        QTest::mouseRelease(area, Qt::LeftButton, Qt::ControlModifier, pane.CellCentre(22, 0));
        QCOMPARE(pane.Selection().first, P(7, 0));
        QCOMPARE(pane.Selection().second, P(25, 0));
    }

    void rightButtonKeepsOrMovesSelection() {
        Pane<> pane("alpha beta gamma");
        QWidget* area = pane.view->viewport();
        pane.view->SetSelection(P(6, 0), P(10, 0));
        QTest::mouseClick(area, Qt::RightButton, Qt::NoModifier, pane.CellCentre(7, 0));
        QCOMPARE(pane.Selection().first, P(6, 0));
        QCOMPARE(pane.Selection().second, P(10, 0));
        QTest::mouseClick(area, Qt::RightButton, Qt::NoModifier, pane.Boundary(13, 0));
        QVERIFY(pane.view->IsSelectionEmpty());
        QCOMPARE(pane.Caret(), P(13, 0));
    }

    void wheelAndAutoScroll() {
        std::string text;
        for (int i = 0; i < 200; ++i)
            text += "row " + std::to_string(i) + "\r\n";
        Pane<> pane(text);
        QWidget* area = pane.view->viewport();
        QWheelEvent down(QPointF(50, 50), area->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -240),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area, &down);
        QCOMPARE(pane.view->FirstVisibleLine(), 6);
        QWheelEvent up(QPointF(50, 50), area->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120 * 10),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area, &up);
        QCOMPARE(pane.view->FirstVisibleLine(), 0);
        // Holding the button below the text scrolls on each timer tick and extends the selection.
        QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, pane.Boundary(1, 0));
        QTest::mouseMove(area, QPoint(40, area->height() + 5 * pane.view->LineHeight()));
        QTRY_VERIFY_WITH_TIMEOUT(pane.view->FirstVisibleLine() >= 6, 2000);
        QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, QPoint(40, area->height() + 5 * pane.view->LineHeight()));
        const int32_t first = pane.view->FirstVisibleLine();
        QVERIFY(pane.Selection().second.y >= first);
        QCOMPARE(pane.Selection().first, P(1, 0));
        QTest::qWait(250); // released: no more scrolling
        QCOMPARE(pane.view->FirstVisibleLine(), first);
    }
};

QTEST_MAIN(MouseTest)
#include "MouseTest.moc"
