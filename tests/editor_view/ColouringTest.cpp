// What a painted line is drawn with: the SQL colour runs, the parse states carried from line to line
// and their invalidation from a changed line on, the expanded lengths behind the horizontal scroll
// range, the scroll bars, and the execution mark.
#include <QScrollBar>

#include "TextColumns.h"
#include "ViewTestSupport.h"

using namespace viewtest;
using editor::ColourRuns;

namespace {

// The colour of every byte of a line, as a string of index digits ('0' + index, 'a' for 10).
std::string Colours(editor::CTextView& view, int32_t line) {
    ColourRuns runs;
    view.LineRuns(line, runs);
    std::string out;
    for (int32_t x = 0; x < view.LineLength(line); ++x) {
        const int32_t c = runs.ColourAt(x);
        out.push_back(c == 10 ? 'a' : static_cast<char>('0' + c));
    }
    return out;
}

} // namespace

class ColouringTest : public QObject {
    Q_OBJECT

private slots:
    void representativeLines() {
        Pane<> pane("select * from dual\r\n"
                    "SeLeCt X FROM t.select v_end\r\n"
                    "x := 'it''s'; y - z -- note\r\n"
                    "0x1F 0xff 12 1.5 1e10 0X1F 12ab end");
        pane.view->grab(); // paint once, as the user would see it
        QCOMPARE(Colours(*pane.view, 0), std::string("666666222666622222"));
        // Keywords in any case; "t.select" is one word and "v_end" none.
        QCOMPARE(Colours(*pane.view, 1), std::string("6666662226666222222222222222"));
        // The doubled quote closes one string and opens the next; a lone hyphen colours nothing.
        QCOMPARE(Colours(*pane.view, 2), std::string("22222aaaaaaa222222227777777"));
        // Numbers; "0X1F" and "12ab" are not; a keyword at the very end of the line is coloured.
        QCOMPARE(Colours(*pane.view, 3), std::string("88882888828828882888822222222222666"));
    }

    void typingAStringOverSeveralKeysLeavesLaterLinesColouredRight() {
        // While a quote is open the line ends inside a string; once it closes, the lines typed after it
        // must start from the closed state again.
        Pane<> pane("");
        pane.Type(" x = to_date('2020', 'Y')");
        pane.view->grab();
        pane.Key(Qt::Key_Return);
        pane.Key(Qt::Key_Home, Qt::ShiftModifier);
        pane.Key(Qt::Key_Home, Qt::ShiftModifier);
        pane.Key(Qt::Key_Delete);
        pane.Type(" group by a;");
        pane.view->grab();
        QCOMPARE(Colours(*pane.view, 1), std::string("266666266222"));
    }

    void blockCommentCarriesAcrossLinesUntilChanged() {
        Pane<> pane("a /* open\r\nselect\r\nend */ select\r\nselect");
        pane.view->grab();
        QCOMPARE(Colours(*pane.view, 1), std::string("777777"));
        QCOMPARE(Colours(*pane.view, 2), std::string("7777772666666"));
        QCOMPARE(pane.view->KnownStateCount(), 5);
        // Removing the "/*" on line 0 forgets every state after that line, and only those.
        pane.view->SelectNothingAt(P(4, 0));
        pane.Key(Qt::Key_Backspace);
        pane.Key(Qt::Key_Backspace);
        QCOMPARE(pane.view->KnownStateCount(), 1);
        pane.view->grab();
        QCOMPARE(Colours(*pane.view, 1), std::string("666666"));
        QCOMPARE(Colours(*pane.view, 2), std::string("6662222666666"));
        // A change further down keeps the states above it.
        QCOMPARE(pane.view->KnownStateCount(), 5);
        pane.view->SelectNothingAt(P(0, 3));
        pane.Type(" "); // a space starts an undo step of its own
        QCOMPARE(pane.view->KnownStateCount(), 4);
        // Undo (no source view) invalidates the same way.
        pane.view->Undo();
        QCOMPARE(pane.view->KnownStateCount(), 4);
        pane.view->Undo();
        QCOMPARE(pane.view->KnownStateCount(), 1);
        pane.view->Undo();
        QCOMPARE(pane.Text(), std::string("a /* open\r\nselect\r\nend */ select\r\nselect"));
        QCOMPARE(Colours(*pane.view, 1), std::string("777777"));
    }

    void plainViewHasNoRuns() {
        Pane<editor::CEditorView> pane("select 'x' -- y");
        QCOMPARE(Colours(*pane.view, 0), std::string(15, '2'));
    }

    void expandedLengthsFollowEdits() {
        Pane<> pane("a\tb\r\n\t\t\r\nxyz\r\nééé\r\n\r\n0123456789");
        auto check = [&] {
            int32_t longest = 0;
            for (int32_t y = 0; y < pane.view->LineCount(); ++y) {
                const int32_t fresh = editor::columns::ExpandedLength(pane.view->LineView(y), 4);
                QCOMPARE(pane.view->ExpandedLength(y), fresh);
                longest = std::max(longest, fresh);
            }
            QCOMPARE(pane.view->LongestLineLength(), longest);
            QVERIFY(pane.view->CheckInvariants());
        };
        check();
        QCOMPARE(pane.view->ExpandedLength(0), 5);
        QCOMPARE(pane.view->ExpandedLength(1), 8);
        QCOMPARE(pane.view->ExpandedLength(3), 3);
        // Lines inserted and removed in the middle: the lengths below move with their lines.
        pane.view->SelectNothingAt(P(1, 2));
        pane.Key(Qt::Key_Return);
        pane.TypeUnicode(QString("\tlonger line than all the others"));
        check();
        pane.view->SetSelection(P(1, 0), P(2, 3));
        pane.Key(Qt::Key_Delete);
        check();
        pane.view->Undo();
        check();
        pane.view->SelectAll();
        pane.Key(Qt::Key_Delete);
        check();
        QCOMPARE(pane.view->LongestLineLength(), 0);
    }

    void scrollBarsFollowTheText() {
        std::string text;
        for (int i = 0; i < 50; ++i)
            text += "line\r\n";
        Pane<> pane(text, QSize(400, 200));
        QScrollBar* vertical = pane.view->verticalScrollBar();
        QVERIFY(vertical->isEnabled());
        QCOMPARE(vertical->maximum(), 50);
        QVERIFY(!pane.view->horizontalScrollBar()->isEnabled()); // all columns fit
        QTest::mouseClick(vertical, Qt::LeftButton, Qt::NoModifier, QPoint(vertical->width() / 2, vertical->height() - 30));
        QCOMPARE(pane.view->FirstVisibleLine(), pane.view->VisibleLines() - 1); // one page less one line
        vertical->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(pane.view->FirstVisibleLine(), 51 - pane.view->VisibleLines() + 1);
        // Once everything fits, the view scrolls back to the top and the bar is disabled.
        pane.view->SelectAll();
        pane.Key(Qt::Key_Delete);
        QCOMPARE(pane.view->FirstVisibleLine(), 0);
        QVERIFY(!vertical->isEnabled());
        // A long line enables the horizontal bar; End scrolls the caret into view.
        pane.Type("select a_really_long_column_name_that_does_not_fit, another_one_of_those from dual");
        QVERIFY(pane.view->horizontalScrollBar()->isEnabled());
        QVERIFY(pane.view->FirstVisibleColumn() > 0);
        pane.Key(Qt::Key_Home);
        QCOMPARE(pane.view->FirstVisibleColumn(), 0);
    }

    void execMarkFollowsTheSelection() {
        std::string text;
        for (int i = 0; i < 80; ++i)
            text += "statement " + std::to_string(i) + ";\r\n";
        Pane<> pane(text);
        pane.view->SetSelection(P(0, 3), P(5, 6));
        pane.view->MarkExecLine();
        QCOMPARE(pane.buffer.FindFlaggedLine(editor::LF_EXEC_MARK), 3);
        pane.view->MarkExecLineAt(60);
        QCOMPARE(pane.buffer.FindFlaggedLine(editor::LF_EXEC_MARK), 63);
        QVERIFY(pane.view->FirstVisibleLine() <= 63 && 63 < pane.view->FirstVisibleLine() + pane.view->VisibleLines());
        int marked = 0;
        for (int32_t y = 0; y < pane.buffer.LineCount(); ++y)
            marked += (pane.buffer.LineFlags(y) & editor::LF_EXEC_MARK) != 0;
        QCOMPARE(marked, 1);
        // Past the text: the old mark goes, no new one is set.
        pane.view->MarkExecLineAt(500);
        QCOMPARE(pane.buffer.FindFlaggedLine(editor::LF_EXEC_MARK), -1);
        // The mark is drawn in the margin: the margin column at x 8 is not the margin colour there.
        pane.view->MarkExecLineAt(0);
        pane.view->ScrollToLine(0);
        const QImage shot = pane.view->viewport()->grab().toImage();
        const int y = 3 * pane.view->LineHeight() + pane.view->LineHeight() / 2;
        QVERIFY(shot.pixelColor(8, y) != pane.view->ColourOf(editor::CI_MARGIN));
        QCOMPARE(shot.pixelColor(8, y + pane.view->LineHeight()), pane.view->ColourOf(editor::CI_MARGIN));
    }

    void loadingResetsTheView() {
        Pane<> pane("abc\r\ndef");
        pane.view->SetSelection(P(1, 0), P(2, 1));
        pane.view->SetOverwrite(true);
        pane.buffer.Clear();
        pane.buffer.ResetToEmpty(editor::EOL_DOS);
        QCOMPARE(pane.Caret(), P(0, 0));
        QVERIFY(pane.view->IsSelectionEmpty());
        QVERIFY(!pane.view->IsOverwrite());
        QCOMPARE(pane.view->KnownStateCount(), 1);
        QVERIFY(pane.view->CheckInvariants());
    }
};

QTEST_MAIN(ColouringTest)
#include "ColouringTest.moc"
