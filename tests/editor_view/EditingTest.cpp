// Typing and its undo steps, automatic indentation, overwrite mode, Delete and Backspace, block
// indent and unindent, cut and paste with the clipboard, and the menu texts and enabling.
#include <QClipboard>
#include <QMimeData>

#include "TextMime.h"
#include "ViewTestSupport.h"

using namespace viewtest;

class EditingTest : public QObject {
    Q_OBJECT

private slots:
    void typingUndoesWordByWord() {
        Pane<> pane("");
        QCOMPARE(pane.view->UndoMenuText(), std::string("&Undo\tCtrl+Z"));
        pane.Type("abc def");
        QCOMPARE(pane.Text(), std::string("abc def"));
        QCOMPARE(pane.view->UndoMenuText(), std::string("&Undo Typing\tCtrl+Z"));
        pane.Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pane.Text(), std::string("abc"));
        QCOMPARE(pane.Caret(), P(3, 0));
        pane.Key(Qt::Key_Backspace, Qt::AltModifier); // the other undo key
        QCOMPARE(pane.Text(), std::string());
        QVERIFY(!pane.view->CanUndo());
        QCOMPARE(pane.view->RedoMenuText(), std::string("&Redo Typing\tCtrl+Y"));
        pane.Key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(pane.Text(), std::string("abc"));
        pane.Key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(pane.Text(), std::string("abc def"));
        QCOMPARE(pane.view->RedoMenuText(), std::string("&Redo\tCtrl+Y"));
        // Typing over a selection replaces it; multi-byte characters go in whole.
        pane.view->SetSelection(P(1, 0), P(6, 0));
        pane.TypeUnicode(QString::fromUtf8("é"));
        QCOMPARE(pane.Text(), std::string("aéf"));
        QCOMPARE(pane.Caret(), P(3, 0));
    }

    void enterIndentsAsItsOwnStep() {
        Pane<> pane("\t  begin");
        pane.Key(Qt::Key_End);
        pane.Key(Qt::Key_Return);
        QCOMPARE(pane.Text(), std::string("\t  begin\r\n\t  "));
        QCOMPARE(pane.Caret(), P(3, 1));
        QCOMPARE(pane.view->UndoMenuText(), std::string("&Undo Auto Indent\tCtrl+Z"));
        pane.view->Undo();
        QCOMPARE(pane.Text(), std::string("\t  begin\r\n"));
        QCOMPARE(pane.view->UndoMenuText(), std::string("&Undo Typing\tCtrl+Z"));
        pane.view->Undo();
        QCOMPARE(pane.Text(), std::string("\t  begin"));
        // Without leading blanks above, Enter adds only the line break; with auto-indent off, too.
        pane.view->SetAutoIndent(false);
        pane.Key(Qt::Key_End);
        pane.Key(Qt::Key_Enter);
        QCOMPARE(pane.Text(), std::string("\t  begin\r\n"));
    }

    void nothingDoneRaisesNoIndent() {
        // A command that changes nothing must not make the view answer the previous line break again.
        Pane<> pane("    indented\r\nplain");
        pane.view->SelectNothingAt(P(5, 1));
        pane.Key(Qt::Key_Return); // no indent: the line above "plain" has none
        QCOMPARE(pane.Text(), std::string("    indented\r\nplain\r\n"));
        QGuiApplication::clipboard()->clear();
        pane.view->SelectNothingAt(P(0, 1)); // under the indented line
        pane.Key(Qt::Key_V, Qt::ControlModifier); // empty clipboard: nothing to paste
        pane.Key(Qt::Key_Tab, Qt::NoModifier);    // and a command that does change the text
        QCOMPARE(pane.Text(), std::string("    indented\r\n\tplain\r\n"));
    }

    void overwriteMode() {
        Pane<> pane("abc\r\ndef\r\nghi");
        pane.Key(Qt::Key_Insert);
        QVERIFY(pane.view->IsOverwrite());
        QVERIFY(pane.view->OverwriteStatusEnabled());
        pane.view->SelectNothingAt(P(1, 1));
        pane.Key(Qt::Key_Return); // a middle line: only moves
        QCOMPARE(pane.Caret(), P(0, 2));
        QCOMPARE(pane.Text(), std::string("abc\r\ndef\r\nghi"));
        pane.Type("XY");
        QCOMPARE(pane.Text(), std::string("abc\r\ndef\r\nXYi"));
        pane.Type("Zw"); // past the line's end it inserts
        QCOMPARE(pane.Text(), std::string("abc\r\ndef\r\nXYZw"));
        // Tab only moves to the next tab stop, stopping after a tab it passes.
        pane.view->SelectNothingAt(P(0, 0));
        pane.Key(Qt::Key_Tab);
        QCOMPARE(pane.Caret(), P(3, 0));
        pane.Key(Qt::Key_Insert);
        QVERIFY(!pane.view->IsOverwrite());
        // A view reset turns overwrite off again.
        pane.Key(Qt::Key_Insert);
        pane.buffer.Clear();
        pane.buffer.ResetToEmpty(editor::EOL_DOS);
        QVERIFY(!pane.view->IsOverwrite());
    }

    void deleteAndBackspaceAtEdges() {
        Pane<> pane("ab\r\ncd\r\nef");
        pane.view->SelectNothingAt(P(0, 2));
        pane.Key(Qt::Key_Backspace);
        QCOMPARE(pane.Text(), std::string("ab\r\ncdef"));
        QCOMPARE(pane.Caret(), P(2, 1));
        QCOMPARE(pane.view->UndoMenuText(), std::string("&Undo Backspace\tCtrl+Z"));
        pane.view->SelectNothingAt(P(2, 0));
        pane.Key(Qt::Key_Delete);
        QCOMPARE(pane.Text(), std::string("abcdef"));
        QCOMPARE(pane.view->UndoMenuText(), std::string("&Undo Delete\tCtrl+Z"));
        pane.Key(Qt::Key_End);
        pane.Key(Qt::Key_Delete); // end of the last line: nothing
        pane.Key(Qt::Key_Home, Qt::ControlModifier);
        pane.Key(Qt::Key_Backspace); // (0, 0): nothing
        QCOMPARE(pane.Text(), std::string("abcdef"));
        // Backspace with a selection is Delete, and named so.
        pane.view->SetSelection(P(1, 0), P(4, 0));
        pane.Key(Qt::Key_Backspace);
        QCOMPARE(pane.Text(), std::string("aef"));
        QCOMPARE(pane.view->UndoMenuText(), std::string("&Undo Delete\tCtrl+Z"));
        // Multi-byte characters go whole.
        pane.view->SelectAll();
        pane.TypeUnicode(QString::fromUtf8("xé日y"));
        pane.Key(Qt::Key_Left);
        pane.Key(Qt::Key_Backspace);
        QCOMPARE(pane.Text(), std::string("xéy"));
        pane.Key(Qt::Key_Left);
        pane.Key(Qt::Key_Delete);
        QCOMPARE(pane.Text(), std::string("xy"));
    }

    void blockIndentAndUnindent() {
        Pane<> pane("l0\r\nl1\r\nabcd\r\nl3\r\nl4\r\nl5");
        pane.view->SetSelection(P(3, 2), P(0, 5));
        pane.Key(Qt::Key_Tab);
        QCOMPARE(pane.Text(), std::string("l0\r\nl1\r\n\tabcd\r\n\tl3\r\n\tl4\r\nl5"));
        QCOMPARE(pane.Selection().first, P(0, 2));
        QCOMPARE(pane.Selection().second, P(0, 5));
        QCOMPARE(pane.Caret(), P(0, 5));
        QCOMPARE(pane.view->UndoMenuText(), std::string("&Undo Indent\tCtrl+Z"));
        pane.view->Undo();
        QCOMPARE(pane.Text(), std::string("l0\r\nl1\r\nabcd\r\nl3\r\nl4\r\nl5"));
        // Up to the last line of the text: the selection runs to its end.
        pane.view->SetSelection(P(1, 4), P(1, 5));
        pane.Key(Qt::Key_Tab);
        QCOMPARE(pane.Text(), std::string("l0\r\nl1\r\nabcd\r\nl3\r\n\tl4\r\n\tl5"));
        QCOMPARE(pane.Selection().second, P(3, 5));

        Pane<> un("  \tx\r\n      y\r\n\tz\r\n\r\n   w");
        un.view->SetSelection(P(0, 0), P(2, 4));
        un.Key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(un.Text(), std::string("x\r\n  y\r\nz\r\n\r\nw"));
        QCOMPARE(un.view->UndoMenuText(), std::string("&Undo Indent\tCtrl+Z"));
        un.view->Undo();
        QCOMPARE(un.Text(), std::string("  \tx\r\n      y\r\n\tz\r\n\r\n   w"));
        // Without a block, Shift+Tab only moves the caret back to the previous tab stop.
        un.view->SelectNothingAt(P(5, 1));
        un.Key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(un.Caret(), P(4, 1));
        un.Key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(un.Caret(), P(0, 1));
        un.Key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(un.Caret(), P(0, 1));
        un.view->SelectNothingAt(P(3, 0)); // after "  \t": column 4, back to 0
        un.Key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(un.Caret(), P(0, 0));
        QCOMPARE(un.Text(), std::string("  \tx\r\n      y\r\n\tz\r\n\r\n   w"));
    }

    void cutCopyPaste() {
        Pane<> pane("one\r\ntwo\r\nthree");
        pane.view->SetSelection(P(1, 0), P(2, 1));
        QVERIFY(pane.view->CanCut());
        pane.Key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(pane.Text(), std::string("oo\r\nthree"));
        QCOMPARE(pane.view->UndoMenuText(), std::string("&Undo Cut\tCtrl+Z"));
        QVERIFY(pane.view->CanPaste());
        pane.Key(Qt::Key_End, Qt::ControlModifier);
        pane.Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(pane.Text(), std::string("oo\r\nthreene\r\ntw"));
        QCOMPARE(pane.Caret(), P(2, 2));
        QCOMPARE(pane.view->UndoMenuText(), std::string("&Undo Paste\tCtrl+Z"));
        // Paste over a selection is one step.
        pane.view->SetSelection(P(0, 0), P(2, 0));
        pane.Key(Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(pane.Text(), std::string("ne\r\ntw\r\nthreene\r\ntw"));
        pane.view->Undo();
        QCOMPARE(pane.Text(), std::string("oo\r\nthreene\r\ntw"));

        // Text of this program keeps its bytes: a lone LF stays inside its line.
        pane.buffer.ApplyDelete(nullptr, 0, 0, 2, 2);
        int32_t y = 0;
        int32_t x = 0;
        pane.buffer.ApplyInsert(nullptr, 0, 0, "a\nb", y, x);
        QCOMPARE(pane.buffer.LineCount(), 1);
        pane.view->SelectAll();
        pane.Key(Qt::Key_C, Qt::ControlModifier);
        pane.Key(Qt::Key_End);
        pane.Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(pane.Text(), std::string("a\nba\nb"));
        QCOMPARE(pane.buffer.LineCount(), 1);
        // Text of other programs comes with LF line ends: each becomes a line break, as CR LF does.
        QGuiApplication::clipboard()->setText("x\ny\r\nz");
        pane.Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(pane.Text(), std::string("a\nba\nbx\r\ny\r\nz"));
        QGuiApplication::clipboard()->clear();
        QVERIFY(!pane.view->CanPaste());
        pane.view->SelectNothingAt(P(0, 0));
        QVERIFY(!pane.view->CanCut());
    }

    void lineEndConversionsAtTheBoundary() {
        QCOMPARE(editor::ToPlatformLineEnds("a\r\nb\r\n"), std::string("a\nb\n"));
        QCOMPARE(editor::ToPlatformLineEnds("a\rb\nc"), std::string("a\rb\nc"));
        QCOMPARE(editor::FromPlatformLineEnds("a\nb\r\nc\n"), std::string("a\r\nb\r\nc\r\n"));
        QCOMPARE(editor::FromPlatformLineEnds("\n"), std::string("\r\n"));
    }

    void readOnlyAndMissingBuffers() {
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/ro.sql").toStdString();
        {
            QFile file(QString::fromStdString(path));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("select 1 from dual");
        }
        QFile::setPermissions(QString::fromStdString(path), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        Pane<> pane("");
        QVERIFY(pane.buffer.LoadFile(path));
        if (!pane.buffer.IsReadOnly())
            QSKIP("the file system lets this user write a read-only file");
        QVERIFY(pane.view->ReadOnlyStatusEnabled());
        pane.view->SelectNothingAt(P(6, 0));
        pane.Type("x");
        pane.Key(Qt::Key_Return);
        pane.Key(Qt::Key_Backspace);
        pane.view->SelectAll();
        pane.Key(Qt::Key_X, Qt::ControlModifier);
        pane.Key(Qt::Key_Tab);
        QCOMPARE(pane.Text(), std::string("select 1 from dual"));
        QVERIFY(pane.view->CheckInvariants());
    }

    void commandsWithoutBufferDoNothing() {
        editor::CSqlEditorView view;
        view.resize(300, 200);
        view.show();
        view.TypeText("x");
        view.NewLine();
        view.Backspace();
        view.DeleteKey();
        view.Tab();
        view.ShiftTab();
        view.Paste();
        view.Undo();
        view.Redo();
        view.SelectAll();
        view.MarkExecLine();
        QVERIFY(!view.IsEditable());
        QCOMPARE(view.UndoMenuText(), std::string("&Undo\tCtrl+Z"));
        QVERIFY(view.CheckInvariants());
    }
};

QTEST_MAIN(EditingTest)
#include "EditingTest.moc"
