// Navigation keys with and without Shift, select all, copy, the status items, UTF-8 caret moves and
// input being disabled.
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>

#include "ViewTestSupport.h"

using namespace viewtest;

class NavigationTest : public QObject {
    Q_OBJECT

private slots:
    void wordMovesCrossLines() {
        Pane<> pane("select a_b, c\r\n\r\nx := y.z;  \r\n  foo(bar)\r\nlast line");
        // Ctrl+Left from column 0 goes to the end of the line above and on over its last word.
        pane.view->SelectNothingAt(P(0, 4));
        pane.Key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(9, 3)); // over ")" as a group of punctuation, stopping after "bar"
        pane.view->SelectNothingAt(P(0, 3));
        pane.Key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(8, 2)); // trailing blanks skipped, then ";" as a punctuation group
        pane.Key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(7, 2)); // "z"
        pane.Key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(6, 2)); // "."
        // Ctrl+Right: word, then the blanks after it; at a line end to the next line; an empty line
        // is a stop of its own.
        pane.view->SelectNothingAt(P(0, 0));
        pane.Key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(7, 0));
        pane.Key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(10, 0)); // "a_b" is one word
        pane.Key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(12, 0)); // "," and the blank
        pane.Key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(13, 0));
        pane.Key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(0, 1));
        pane.Key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(2, 2)); // "x" and its blank
        // Nothing at the end of the last line.
        pane.view->SelectNothingAt(P(9, 4));
        pane.Key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(9, 4));
        // With Shift the words are selected from the anchor.
        pane.view->SelectNothingAt(P(0, 0));
        pane.Key(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        pane.Key(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pane.Selection().first, P(0, 0));
        QCOMPARE(pane.Selection().second, P(10, 0));
    }

    void fourSpacesThenBeginTogglesHome() {
        Pane<> pane("    begin\r\n    \r\nx");
        pane.view->SelectNothingAt(P(7, 0));
        pane.Key(Qt::Key_Home);
        QCOMPARE(pane.Caret(), P(4, 0));
        pane.Key(Qt::Key_Home);
        QCOMPARE(pane.Caret(), P(0, 0));
        pane.Key(Qt::Key_Home);
        QCOMPARE(pane.Caret(), P(4, 0));
        // A line of blanks only: Home goes to column 0.
        pane.view->SelectNothingAt(P(3, 1));
        pane.Key(Qt::Key_Home);
        QCOMPARE(pane.Caret(), P(0, 1));
        pane.Key(Qt::Key_End);
        QCOMPARE(pane.Caret(), P(4, 1));
        pane.Key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(1, 2));
        pane.Key(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pane.Caret(), P(0, 0));
        QCOMPARE(pane.Selection().second, P(1, 2));
    }

    void upDownKeepIdealColumnThroughTabs() {
        // Line 1 has a tab spanning columns 1..3; line 2 a tab at 0..3.
        Pane<> pane("abcdefgh\r\na\tbc\r\n\tx\r\nab\r\nabcdefgh");
        pane.view->SelectNothingAt(P(6, 0)); // column 6
        pane.Key(Qt::Key_Down);
        QCOMPARE(pane.Caret(), P(4, 1)); // "a", tab to 4, "b" at 4, "c" at 5: column 6 is the end (x 4)
        pane.Key(Qt::Key_Down);
        QCOMPARE(pane.Caret(), P(2, 2)); // the line is shorter: its end
        pane.Key(Qt::Key_Down);
        QCOMPARE(pane.Caret(), P(2, 3));
        pane.Key(Qt::Key_Down);
        QCOMPARE(pane.Caret(), P(6, 4)); // the ideal column survived the short lines
        // Inside a tab: before it when at least two columns before its end, else after it.
        pane.view->SelectNothingAt(P(2, 0)); // column 2, tab of line 2 ends at 4: 2 >= 2, before
        pane.Key(Qt::Key_Down);
        pane.Key(Qt::Key_Down);
        QCOMPARE(pane.Caret(), P(0, 2));
        pane.view->SelectNothingAt(P(3, 0)); // column 3: 1 before the end, after the tab
        pane.Key(Qt::Key_Down);
        QCOMPARE(pane.Caret(), P(2, 1));
        pane.Key(Qt::Key_Down);
        QCOMPARE(pane.Caret(), P(1, 2));
        // Up with a selection starts from its start, Down from its end; the ideal column is the new one.
        pane.view->SetSelection(P(5, 0), P(1, 3));
        pane.Key(Qt::Key_Up);
        QCOMPARE(pane.Caret(), P(5, 0)); // already on line 0: stays at the selection start
        QVERIFY(pane.view->IsSelectionEmpty());
        pane.view->SetSelection(P(5, 0), P(1, 3));
        pane.Key(Qt::Key_Down);
        QCOMPARE(pane.Caret(), P(1, 4));
    }

    void pageKeysMoveByVisibleLinesLessOne() {
        std::string text;
        for (int i = 0; i < 100; ++i)
            text += "line " + std::to_string(i) + "\r\n";
        Pane<> pane(text);
        const int32_t page = pane.view->VisibleLines() - 1;
        QVERIFY(page > 2);
        pane.view->SelectNothingAt(P(6, 1));
        pane.Key(Qt::Key_PageDown);
        QCOMPARE(pane.Caret(), P(6, 1 + page));
        QCOMPARE(pane.view->FirstVisibleLine(), page);
        pane.Key(Qt::Key_PageDown, Qt::ShiftModifier);
        QCOMPARE(pane.Caret(), P(6, 1 + 2 * page));
        QCOMPARE(pane.Selection().first, P(6, 1 + page));
        pane.Key(Qt::Key_PageUp);
        QCOMPARE(pane.Caret(), P(6, 1 + page));
        // Clamped to the text, x clamped to the shorter line ("" is the last line).
        pane.Key(Qt::Key_End, Qt::ControlModifier);
        pane.view->SelectNothingAt(P(7, 99));
        pane.Key(Qt::Key_PageDown);
        QCOMPARE(pane.Caret(), P(0, 100));
        // Ctrl+Up and Ctrl+Down scroll without moving the caret.
        pane.view->SelectNothingAt(P(0, 50));
        const int32_t first = pane.view->FirstVisibleLine();
        pane.Key(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(pane.view->FirstVisibleLine(), first + 1);
        QCOMPARE(pane.Caret(), P(0, 50));
        pane.Key(Qt::Key_Up, Qt::ControlModifier);
        pane.Key(Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(pane.view->FirstVisibleLine(), first - 1);
    }

    void selectionByKeysAndCollapse() {
        Pane<> pane("abc def\r\nghi");
        pane.view->SelectNothingAt(P(1, 0));
        pane.Key(Qt::Key_Right, Qt::ShiftModifier);
        pane.Key(Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(pane.Selection().first, P(1, 0));
        QCOMPARE(pane.Selection().second, P(2, 1));
        QCOMPARE(pane.view->AnchorPosition(), P(1, 0));
        // Plain Left only goes to the selection start, plain Right to its end.
        pane.Key(Qt::Key_Left);
        QCOMPARE(pane.Caret(), P(1, 0));
        QVERIFY(pane.view->IsSelectionEmpty());
        pane.view->SetSelection(P(1, 0), P(2, 1));
        pane.Key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(2, 1));
        // Left at column 0 goes to the end of the line above; Right at a line end to the next line.
        pane.view->SelectNothingAt(P(0, 1));
        pane.Key(Qt::Key_Left);
        QCOMPARE(pane.Caret(), P(7, 0));
        pane.Key(Qt::Key_Right);
        QCOMPARE(pane.Caret(), P(0, 1));
        // Select all leaves the anchor; copy puts the text with CR LF on the clipboard in this
        // program's own form, and LF for other programs.
        pane.Key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(pane.Selection().first, P(0, 0));
        QCOMPARE(pane.Selection().second, P(3, 1));
        QCOMPARE(pane.Caret(), P(3, 1));
        QCOMPARE(pane.view->AnchorPosition(), P(0, 1));
        pane.Key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("abc def\nghi"));
        const QByteArray own = QGuiApplication::clipboard()->mimeData()->data("application/x-quarvel-text");
        QCOMPARE(own, QByteArray("abc def\r\nghi"));
    }

    void caretNeverInsideUtf8Sequence() {
        // "é" is two bytes, "日" three, a stray 0xFF one byte drawn as "ÿ".
        Pane<> pane("aé日\xFFz\r\n日本");
        pane.view->SelectNothingAt(P(0, 0));
        const int32_t expected[] = {1, 3, 6, 7, 8};
        for (int32_t x : expected) {
            pane.Key(Qt::Key_Right);
            QCOMPARE(pane.Caret(), P(x, 0));
        }
        QCOMPARE(pane.view->PositionStatusText(), std::string("Ln 1, Col 6"));
        pane.Key(Qt::Key_Left);
        pane.Key(Qt::Key_Left);
        QCOMPARE(pane.Caret(), P(6, 0));
        pane.Key(Qt::Key_Left);
        QCOMPARE(pane.Caret(), P(3, 0));
        // Wide characters take two columns: "a" 0, "é" 1, "日" 2-3, "ÿ" 4, "z" 5. Vertical moves land
        // on character starts; a column inside a wide character lands before it.
        QCOMPARE(pane.view->ColumnOf(P(6, 0)), 4);
        QCOMPARE(pane.view->ExpandedLength(1), 4);
        pane.view->SelectNothingAt(P(3, 0)); // column 2 ("日")
        pane.Key(Qt::Key_Down);
        QCOMPARE(pane.Caret(), P(3, 1)); // "本" starts at column 2
        pane.view->SelectNothingAt(P(1, 0)); // column 1: inside "日" of line 1
        pane.Key(Qt::Key_Down);
        QCOMPARE(pane.Caret(), P(0, 1));
        pane.view->SelectNothingAt(P(6, 0)); // column 4: the end of line 1
        pane.Key(Qt::Key_Down);
        QCOMPARE(pane.Caret(), P(6, 1));
        // A position set inside a sequence is moved to the character's start.
        pane.view->SelectNothingAt(P(4, 0));
        QCOMPARE(pane.Caret(), P(3, 0));
        // Word moves treat letters of any script as word characters.
        pane.view->SelectNothingAt(P(0, 1));
        pane.Key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(pane.Caret(), P(6, 1));
        QVERIFY(pane.view->CheckInvariants());
    }

    void statusItems() {
        Pane<> empty("");
        QCOMPARE(empty.view->PositionStatusText(), std::string("Ln 1, Col 1"));
        QCOMPARE(empty.view->EolStatusText(), std::string("DOS"));
        QSignalSpy spy(empty.view.get(), &editor::CTextView::StatusChanged);
        empty.Type("ab\tc");
        QVERIFY(spy.count() > 0);
        QCOMPARE(empty.view->PositionStatusText(), std::string("Ln 1, Col 5")); // a tab counts as one
        // Without a buffer the line-end item is disabled and empty.
        editor::CTextView bare;
        QVERIFY(!bare.EolStatusEnabled());
        QCOMPARE(bare.EolStatusText(), std::string());
        QCOMPARE(bare.PositionStatusText(), std::string("Ln 1, Col 1"));
        QCOMPARE(bare.LineCount(), 1);
    }

    void disabledInputIgnoresKeysAndMouse() {
        Pane<> pane("select * from dual\r\nwhere 1 = 1");
        pane.view->SetSelection(P(0, 0), P(6, 0));
        pane.view->DisableInput();
        pane.Key(Qt::Key_A, Qt::ControlModifier);
        pane.Key(Qt::Key_Right);
        pane.Type("xyz");
        pane.Key(Qt::Key_Delete);
        QTest::mouseClick(pane.view->viewport(), Qt::LeftButton, Qt::NoModifier, pane.CellCentre(3, 1));
        QCOMPARE(pane.Selection().first, P(0, 0));
        QCOMPARE(pane.Selection().second, P(6, 0));
        QCOMPARE(pane.Text(), std::string("select * from dual\r\nwhere 1 = 1"));
        QVERIFY(!pane.view->CanCopy());
        QVERIFY(!pane.view->CanCut());
        QVERIFY(!pane.view->CanUndo());
        // Selected text turns light blue-grey while the pane is busy.
        QCOMPARE(pane.view->ColourOf(editor::CI_SEL_TEXT), QColor(156, 212, 221));
        pane.view->EnableInput();
        QCOMPARE(pane.view->ColourOf(editor::CI_SEL_TEXT), QColor(255, 255, 255));
        pane.Key(Qt::Key_Right);
        QCOMPARE(pane.Caret(), P(6, 0));
    }
};

QTEST_MAIN(NavigationTest)
#include "NavigationTest.moc"
