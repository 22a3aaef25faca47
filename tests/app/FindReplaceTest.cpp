// Find and replace in the SQL text pane of a real editor window: the keys and the Edit menu, the two
// dialogs answered by the test with real key and mouse events, the not-found message through the
// program's message dialog, the last-search memory behind F3 and Shift+F3, the selection scope,
// undo, the profile, UTF-8 text, and what happens while a statement runs.
#include "CFindDlg.h"
#include "CQuarvelDoc.h"
#include "CReplaceDlg.h"
#include "CommandIds.h"
#include "MessageBox.h"
#include "StartedProgram.h"
#include "UserProfile.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using editor::TextPosition;

// Replaces the document's text without undo history.
void SetText(CQuarvelDoc* doc, const std::string& text) {
    editor::CTextBuffer& buffer = doc->TextBuffer();
    buffer.ResetToEmpty(editor::EOL_DOS);
    int32_t line = 0;
    int32_t x = 0;
    buffer.ApplyInsert(nullptr, 0, 0, text, line, x);
}

std::string Text(CQuarvelDoc* doc) {
    const editor::CTextBuffer& buffer = doc->TextBuffer();
    std::string text;
    const int32_t last = buffer.LineCount() - 1;
    buffer.ReadText(0, 0, last, buffer.LineLength(last), text);
    return text;
}

std::pair<TextPosition, TextPosition> Selection(CSqlLeftView* pane) {
    TextPosition start;
    TextPosition end;
    pane->SelectionRange(start, end);
    return {start, end};
}

std::pair<TextPosition, TextPosition> Range(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    return {TextPosition{x0, y0}, TextPosition{x1, y1}};
}

template <class T>
T* Control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id));
}

// Types into a field of a dialog as a user does: select what is there, then the keys.
void TypeInto(QWidget* dialog, int id, const QString& text) {
    auto* edit = Control<QLineEdit>(dialog, id);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(edit, char(c.unicode()));
        else // as a keyboard layout delivers it: a key event carrying the character
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void Press(QWidget* dialog, int id) {
    auto* button = Control<QAbstractButton>(dialog, id);
    QVERIFY2(button && button->isEnabled(), qPrintable(QString::number(id)));
    QTest::mouseClick(button, Qt::LeftButton);
}

// Clicks a check box or radio button on its indicator, as a user does.
void Tick(QWidget* dialog, int id) {
    auto* button = Control<QAbstractButton>(dialog, id);
    const bool before = button->isChecked();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
    QVERIFY2(button->isChecked() != before || qobject_cast<QRadioButton*>(button), qPrintable(QString::number(id)));
}

// A driver step that records the message and answers it.
ModalDriver::Action Note(QStringList& messages) {
    return [&messages](QWidget* box) {
        messages << MessageText(box);
        ClickButton(box, cMsgDialog::kSingleOkId);
    };
}

QString NotFound(const QString& text) {
    return QStringLiteral("Cannot find the string\"%1\"").arg(text);
}

// Puts the caret at (x, y) with real keys and selects `length` characters to its right.
void SelectWithKeys(CSqlLeftView* pane, int32_t x, int32_t y, int32_t length) {
    QTest::keyClick(pane, Qt::Key_Home, Qt::ControlModifier);
    for (int32_t i = 0; i < y; ++i)
        QTest::keyClick(pane, Qt::Key_Down);
    QTest::keyClick(pane, Qt::Key_Home);
    if (pane->CaretPosition().x != 0)
        QTest::keyClick(pane, Qt::Key_Home);
    for (int32_t i = 0; i < x; ++i)
        QTest::keyClick(pane, Qt::Key_Right);
    for (int32_t i = 0; i < length; ++i)
        QTest::keyClick(pane, Qt::Key_Right, Qt::ShiftModifier);
}

// Records, for every change of the buffer, whether the busy cursor was showing.
class CursorWatch : public editor::CBufferView {
public:
    void OnBufferChange(editor::CBufferView*, const editor::CChangeContext*, uint32_t, int32_t) override {
        ++changes;
        if (QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor)
            ++busy;
    }
    int changes = 0;
    int busy = 0;
};

} // namespace

class FindReplaceTest : public QObject {
    Q_OBJECT
private slots:
    void ctrlFTakesAOneLineSelectionAndF3WalksEveryOccurrenceRound() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        SetText(doc, "select a from t;\r\nselect b from u;\r\nupdate t set x = 1;");
        // Nothing searched yet: F3 and Shift+F3 rest.
        QVERIFY(!s.EditItem(cmd::kFindNext)->isEnabled());
        QVERIFY(!s.EditItem(cmd::kFindPrevious)->isEnabled());
        QVERIFY(s.EditItem(cmd::kFind)->isEnabled());

        SelectWithKeys(pane, 9, 0, 4); // "from" on line 0, caret at its end
        QString title, prefilled;
        bool downChecked = false, upChecked = true, findEnabled = false;
        ModalDriver driver;
        driver.Then(Is<editor::CFindDlg>, [&](QWidget* d) {
            title = d->windowTitle();
            prefilled = Control<QLineEdit>(d, editor::CFindDlg::kTextId)->text();
            downChecked = Control<QRadioButton>(d, editor::CFindDlg::kDownId)->isChecked();
            upChecked = Control<QRadioButton>(d, editor::CFindDlg::kUpId)->isChecked();
            findEnabled = Control<QPushButton>(d, editor::CFindDlg::kFindNextId)->isEnabled();
            Press(d, editor::CFindDlg::kFindNextId);
        });
        QTest::keyClick(pane, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(driver.Done());
        QCOMPARE(title, QStringLiteral("Quarvel [Find]"));
        QCOMPARE(prefilled, QStringLiteral("from"));
        QVERIFY(downChecked && !upChecked && findEnabled);
        // The search starts at the caret, so it finds the next one; anchor and caret at the match end.
        QCOMPARE(Selection(pane), Range(9, 1, 13, 1));
        QCOMPARE(pane->CaretPosition(), (TextPosition{13, 1}));
        QCOMPARE(pane->AnchorPosition(), (TextPosition{13, 1}));

        s.Activate();
        QVERIFY(s.EditItem(cmd::kFindNext)->isEnabled());
        QTest::keyClick(pane, Qt::Key_F3); // past the last: round to the first
        QCOMPARE(Selection(pane), Range(9, 0, 13, 0));
        QTest::keyClick(pane, Qt::Key_F3);
        QCOMPARE(Selection(pane), Range(9, 1, 13, 1));
        QTest::keyClick(pane, Qt::Key_F3, Qt::ShiftModifier); // back
        QCOMPARE(Selection(pane), Range(9, 0, 13, 0));
        s.EditItem(cmd::kFindPrevious)->trigger(); // back, round to the last
        QCOMPARE(Selection(pane), Range(9, 1, 13, 1));
        s.EditItem(cmd::kFindNext)->trigger();
        QCOMPARE(Selection(pane), Range(9, 0, 13, 0));
        QVERIFY(pane->CheckInvariants());

        // The text is gone: F3 says so through the message dialog and leaves the selection alone.
        SetText(doc, "select 1 into x");
        pane->SelectNothingAt(TextPosition{3, 0});
        QStringList messages;
        ModalDriver notFound;
        notFound.Then(Is<cMsgDialog>, Note(messages));
        s.Activate();
        QTest::keyClick(pane, Qt::Key_F3);
        QVERIFY(notFound.Done());
        QCOMPARE(messages, QStringList{NotFound("from")});
        QCOMPARE(LastMessageParameters().buttonStyle, 0);
        QCOMPARE(LastMessageParameters().pairStyle, 2);
        QCOMPARE(pane->CaretPosition(), (TextPosition{3, 0}));
    }

    void notFoundKeepsTheDialogOpenAndTheNextSearchStartsAtTheTop() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        SetText(frame->Document(), "b\r\na one\r\nb\r\na two\r\nb");
        pane->SelectNothingAt(TextPosition{1, 2});
        QStringList messages;
        bool stillOpen = false;
        ModalDriver driver;
        driver
            .Then(Is<editor::CFindDlg>,
                  [&](QWidget* d) {
                      Tick(d, editor::CFindDlg::kUpId);
                      TypeInto(d, editor::CFindDlg::kTextId, QStringLiteral("zzz"));
                      Press(d, editor::CFindDlg::kFindNextId);
                  })
            .Then(Is<cMsgDialog>, Note(messages))
            .Then(Is<editor::CFindDlg>, [&](QWidget* d) {
                stillOpen = d->isVisible();
                // From the top now: upwards from (0, 0) goes round to the last "a" first.
                TypeInto(d, editor::CFindDlg::kTextId, QStringLiteral("a"));
                Press(d, editor::CFindDlg::kFindNextId);
            });
        QTest::keyClick(pane, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(driver.Done());
        QVERIFY(stillOpen);
        QCOMPARE(messages, QStringList{NotFound("zzz")});
        QCOMPARE(Selection(pane), Range(0, 3, 1, 3));
        // The last search went up: F3 goes on upwards, Shift+F3 downwards.
        s.Activate();
        QTest::keyClick(pane, Qt::Key_F3);
        QCOMPARE(Selection(pane), Range(0, 1, 1, 1));
        QTest::keyClick(pane, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(Selection(pane), Range(0, 3, 1, 3));

        // Cancel with an empty field is no search; Find Next stays disabled while the field is empty.
        bool enabledWhenEmpty = true;
        ModalDriver cancel;
        cancel.Then(Is<editor::CFindDlg>, [&](QWidget* d) {
            TypeInto(d, editor::CFindDlg::kTextId, QString());
            enabledWhenEmpty = Control<QPushButton>(d, editor::CFindDlg::kFindNextId)->isEnabled();
            Press(d, editor::CFindDlg::kCancelId);
        });
        s.Activate();
        QTest::keyClick(pane, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(cancel.Done());
        QVERIFY(!enabledWhenEmpty);
        QCOMPARE(pane->LastSearchText(), std::string("a"));
    }

    void replaceAllOfAByAaResumesAfterEachInsertionAndEndsWithTheMessage() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        SetText(doc, "aaa");
        QStringList messages;
        QString title;
        bool selectionScopeEnabled = true, wholeFileChecked = false;
        ModalDriver driver;
        driver
            .Then(Is<editor::CReplaceDlg>,
                  [&](QWidget* d) {
                      title = d->windowTitle();
                      selectionScopeEnabled = Control<QRadioButton>(d, editor::CReplaceDlg::kSelectionId)->isEnabled();
                      wholeFileChecked = Control<QRadioButton>(d, editor::CReplaceDlg::kWholeFileId)->isChecked();
                      TypeInto(d, editor::CReplaceDlg::kTextId, QStringLiteral("a"));
                      TypeInto(d, editor::CReplaceDlg::kReplacementId, QStringLiteral("aa"));
                      Press(d, editor::CReplaceDlg::kReplaceAllId);
                  })
            .Then(Is<cMsgDialog>, Note(messages))
            .Then(Is<editor::CReplaceDlg>, [](QWidget* d) { Press(d, editor::CReplaceDlg::kCancelId); });
        QTest::keyClick(pane, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(driver.Done());
        QCOMPARE(title, QStringLiteral("Quarvel [Replace]"));
        QVERIFY(!selectionScopeEnabled); // opened without a selection
        QVERIFY(wholeFileChecked);
        QCOMPARE(Text(doc), std::string("aaaaaa"));
        QCOMPARE(messages, QStringList{NotFound("a")});
        QVERIFY(pane->CheckInvariants());
    }

    void replaceInASelectionThatGrowsCoversTheWholeSelectionAndRestoresIt() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        SetText(doc, "x a a a y a\r\na");
        SelectWithKeys(pane, 2, 0, 5); // "a a a"
        QStringList messages;
        bool selectionScopeEnabled = false;
        ModalDriver driver;
        driver
            .Then(Is<editor::CReplaceDlg>,
                  [&](QWidget* d) {
                      selectionScopeEnabled = Control<QRadioButton>(d, editor::CReplaceDlg::kSelectionId)->isEnabled();
                      Tick(d, editor::CReplaceDlg::kSelectionId);
                      TypeInto(d, editor::CReplaceDlg::kTextId, QStringLiteral("a"));
                      TypeInto(d, editor::CReplaceDlg::kReplacementId, QStringLiteral("bbb"));
                      Press(d, editor::CReplaceDlg::kFindNextId); // the first "a" of the selection
                      Press(d, editor::CReplaceDlg::kReplaceId);  // replaced; the second shown
                      Press(d, editor::CReplaceDlg::kReplaceAllId);
                  })
            .Then(Is<cMsgDialog>, Note(messages))
            .Then(Is<editor::CReplaceDlg>, [](QWidget* d) { Press(d, editor::CReplaceDlg::kCancelId); });
        QTest::keyClick(pane, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(driver.Done());
        QVERIFY(selectionScopeEnabled);
        // Every "a" of the selection, the last one included, and nothing outside it.
        QCOMPARE(Text(doc), std::string("x bbb bbb bbb y a\r\na"));
        QCOMPARE(messages, QStringList{NotFound("a")});
        // The selection comes back over the same (now longer) text, the caret where it was, at its end.
        QCOMPARE(Selection(pane), Range(2, 0, 13, 0));
        QCOMPARE(pane->CaretPosition(), (TextPosition{13, 0}));
    }

    void undoTakesAReplacementBackInTwoSteps() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        SetText(doc, "select a from t");
        QStringList messages;
        ModalDriver driver;
        driver
            .Then(Is<editor::CReplaceDlg>,
                  [&](QWidget* d) {
                      TypeInto(d, editor::CReplaceDlg::kTextId, QStringLiteral("from"));
                      TypeInto(d, editor::CReplaceDlg::kReplacementId, QStringLiteral("FROM"));
                      Press(d, editor::CReplaceDlg::kReplaceId); // nothing shown yet: finds first
                      Press(d, editor::CReplaceDlg::kReplaceId);
                  })
            .Then(Is<cMsgDialog>, Note(messages))
            .Then(Is<editor::CReplaceDlg>, [](QWidget* d) { Press(d, editor::CReplaceDlg::kCancelId); });
        s.EditItem(cmd::kReplace)->trigger();
        QVERIFY(driver.Done());
        QCOMPARE(Text(doc), std::string("select a FROM t"));
        // The options were left cleared, so the replacement itself is found again case-blind.
        QCOMPARE(messages, QStringList{NotFound("from")});
        QCOMPARE(s.EditItem(cmd::kUndo)->text(), QStringLiteral("&Undo Replace\tCtrl+Z"));
        s.Activate();
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Text(doc), std::string("select a  t"));
        QCOMPARE(s.EditItem(cmd::kUndo)->text(), QStringLiteral("&Undo Delete Selection\tCtrl+Z"));
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Text(doc), std::string("select a from t"));
        QVERIFY(!pane->CanUndo());
    }

    void optionsAndTextsArePersistedAndReadByANewWindow() {
        Started s;
        CSqlMainFrame* first = s.OpenFocused();
        SetText(first->Document(), "Abc abc");
        QStringList messages;
        ModalDriver driver;
        driver
            .Then(Is<editor::CFindDlg>,
                  [&](QWidget* d) {
                      TypeInto(d, editor::CFindDlg::kTextId, QStringLiteral("abc"));
                      Tick(d, editor::CFindDlg::kMatchCaseId);
                      Tick(d, editor::CFindDlg::kWholeWordId);
                      Press(d, editor::CFindDlg::kCancelId);
                  })
            .Then(Is<editor::CReplaceDlg>, [&](QWidget* d) {
                TypeInto(d, editor::CReplaceDlg::kTextId, QStringLiteral("abc, déf"));
                TypeInto(d, editor::CReplaceDlg::kReplacementId, QStringLiteral("x"));
                Tick(d, editor::CReplaceDlg::kWholeWordId);
                Press(d, editor::CReplaceDlg::kCancelId);
            });
        QTest::keyClick(first->TextPane(), Qt::Key_F, Qt::ControlModifier);
        s.Activate();
        QTest::keyClick(first->TextPane(), Qt::Key_H, Qt::ControlModifier);
        QVERIFY(driver.Done());

        platform::UserProfile profile;
        QCOMPARE(profile.GetInt("TextEditor\\Find", "MatchCase", -1), 1);
        QCOMPARE(profile.GetInt("TextEditor\\Find", "WholeWord", -1), 1);
        QCOMPARE(profile.GetString("TextEditor\\Find", "FindWhat", "?"), std::string("abc"));
        QCOMPARE(profile.GetInt("TextEditor\\Replace", "MatchCase", -1), 0);
        QCOMPARE(profile.GetInt("TextEditor\\Replace", "WholeWord", -1), 1);
        QCOMPARE(profile.GetString("TextEditor\\Replace", "FindWhat", "?"), std::string("abc, déf"));
        QCOMPARE(profile.GetString("TextEditor\\Replace", "ReplaceWith", "?"), std::string("x"));

        // A new window has no last search: its dialogs start from the profile.
        CSqlMainFrame* second = s.OpenFocused();
        QVERIFY(!second->TextPane()->SearchMade());
        QString findText, replaceText, replacement;
        bool matchCase = false, wholeWord = false, replaceWholeWord = true;
        ModalDriver again;
        again
            .Then(Is<editor::CFindDlg>,
                  [&](QWidget* d) {
                      findText = Control<QLineEdit>(d, editor::CFindDlg::kTextId)->text();
                      matchCase = Control<QCheckBox>(d, editor::CFindDlg::kMatchCaseId)->isChecked();
                      wholeWord = Control<QCheckBox>(d, editor::CFindDlg::kWholeWordId)->isChecked();
                      Press(d, editor::CFindDlg::kCancelId);
                  })
            .Then(Is<editor::CReplaceDlg>, [&](QWidget* d) {
                replaceText = Control<QLineEdit>(d, editor::CReplaceDlg::kTextId)->text();
                replacement = Control<QLineEdit>(d, editor::CReplaceDlg::kReplacementId)->text();
                replaceWholeWord = Control<QCheckBox>(d, editor::CReplaceDlg::kWholeWordId)->isChecked();
                Press(d, editor::CReplaceDlg::kCancelId);
            });
        QTest::keyClick(second->TextPane(), Qt::Key_F, Qt::ControlModifier);
        s.Activate();
        QTest::keyClick(second->TextPane(), Qt::Key_H, Qt::ControlModifier);
        QVERIFY(again.Done());
        QCOMPARE(findText, QStringLiteral("abc"));
        QVERIFY(matchCase && wholeWord);
        QCOMPARE(replaceText, QStringLiteral("abc, déf"));
        QCOMPARE(replacement, QStringLiteral("x"));
        QVERIFY(!replaceWholeWord); // the Replace dialog always opens with its options cleared
    }

    void multiByteTextIsFoundWholeAndCaseFoldingLeavesItAlone() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        SetText(frame->Document(), "café CAFÉ x 東京 café");
        auto find = [&](const QString& text, bool matchCase) {
            ModalDriver driver;
            driver.Then(Is<editor::CFindDlg>, [&](QWidget* d) {
                TypeInto(d, editor::CFindDlg::kTextId, text);
                if (Control<QCheckBox>(d, editor::CFindDlg::kMatchCaseId)->isChecked() != matchCase)
                    Tick(d, editor::CFindDlg::kMatchCaseId);
                Press(d, editor::CFindDlg::kFindNextId);
            });
            s.Activate();
            QTest::keyClick(pane, Qt::Key_F, Qt::ControlModifier);
            QVERIFY(driver.Done());
        };
        pane->SelectNothingAt(TextPosition{0, 0});
        find(QStringLiteral("é"), true);
        QCOMPARE(Selection(pane), Range(3, 0, 5, 0));
        // Ignoring case folds a-z only: "É" matches only the upper-case É, "cafÉ" only "CAFÉ".
        pane->SelectNothingAt(TextPosition{0, 0});
        find(QStringLiteral("cafÉ"), false);
        QCOMPARE(Selection(pane), Range(6, 0, 11, 0));
        find(QStringLiteral("京"), false);
        QCOMPARE(Selection(pane), Range(17, 0, 20, 0));
        QVERIFY(pane->CheckInvariants());
        QTest::keyClick(pane, Qt::Key_F3); // round to the only one
        QCOMPARE(Selection(pane), Range(17, 0, 20, 0));
    }

    void replaceAllOverManyLinesScrollsAndRepaintsOnceUnderTheBusyCursor() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        std::string text;
        for (int i = 0; i < 400; ++i)
            text += "update t set v = " + std::to_string(i) + " where k = 'old';\r\n";
        SetText(doc, text);
        CursorWatch watch;
        doc->TextBuffer().AttachView(&watch);
        QSignalSpy scrolled(pane->verticalScrollBar(), &QScrollBar::valueChanged);
        QStringList messages;
        ModalDriver driver;
        driver
            .Then(Is<editor::CReplaceDlg>,
                  [&](QWidget* d) {
                      TypeInto(d, editor::CReplaceDlg::kTextId, QStringLiteral("'old'"));
                      TypeInto(d, editor::CReplaceDlg::kReplacementId, QStringLiteral("'new value'"));
                      Press(d, editor::CReplaceDlg::kFindNextId);
                      scrolled.clear();
                      Press(d, editor::CReplaceDlg::kReplaceAllId);
                  })
            .Then(Is<cMsgDialog>, Note(messages))
            .Then(Is<editor::CReplaceDlg>, [](QWidget* d) { Press(d, editor::CReplaceDlg::kCancelId); });
        QTest::keyClick(pane, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(driver.Done());
        doc->TextBuffer().DetachView(&watch);
        QCOMPARE(messages, QStringList{NotFound("'old'")});
        QCOMPARE(watch.changes, 800); // a deletion and an insertion per occurrence
        QCOMPARE(watch.busy, 800);
        QVERIFY(!QApplication::overrideCursor());
        // One scroll, to the last replacement, instead of one per occurrence.
        QCOMPARE(scrolled.count(), 1);
        QCOMPARE(pane->CaretPosition(), (TextPosition{42, 399}));
        QVERIFY(pane->FirstVisibleLine() <= 399 && 399 < pane->FirstVisibleLine() + pane->VisibleLines());
        QCOMPARE(doc->TextBuffer().LineView(399), std::string_view("update t set v = 399 where k = 'new value';"));
        QVERIFY(pane->CheckInvariants());
    }

    void nothingHappensWhileAStatementRunsAndReplaceNeedsAWritableText() {
        Started s;
        CSqlMainFrame* frame = s.OpenFocused();
        CSqlLeftView* pane = frame->TextPane();
        CQuarvelDoc* doc = frame->Document();
        SetText(doc, "select a from a");
        pane->RememberSearch("a", 0);

        // Any dialog that opens where none should is counted and closed, so that it cannot hang the test.
        int dialogs = 0;
        auto guard = std::make_unique<ModalDriver>();
        auto arm = [&] {
            guard = std::make_unique<ModalDriver>();
            for (int i = 0; i < 4; ++i)
                guard->Then([](QWidget*) { return true; }, [&dialogs](QWidget* d) {
                    ++dialogs;
                    Reject(d);
                });
        };
        arm();

        std::atomic<bool> release{false};
        QVERIFY(doc->StartWorker([&release](CQuarvelDoc&) {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }));
        pane->DisableInput();
        s.Activate();
        for (uint32_t id : {cmd::kFind, cmd::kFindNext, cmd::kFindPrevious, cmd::kReplace})
            QVERIFY2(!s.EditItem(id)->isEnabled(), qPrintable(QString::number(id)));
        QTest::keyClick(pane, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_H, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_F3);
        QTest::keyClick(pane, Qt::Key_F3, Qt::ShiftModifier);
        pane->OnEditFind(); // even called directly
        pane->OnEditReplace();
        QTest::qWait(50);
        QCOMPARE(dialogs, 0);
        QVERIFY(pane->IsSelectionEmpty());
        release = true;
        doc->WaitForWorker();
        pane->EnableInput();
        guard.reset();

        // A statement that starts while the Replace dialog is open: its buttons do nothing until it
        // has finished.
        QString during;
        ModalDriver replace;
        replace.Then(Is<editor::CReplaceDlg>, [&](QWidget* d) {
            TypeInto(d, editor::CReplaceDlg::kTextId, QStringLiteral("a"));
            TypeInto(d, editor::CReplaceDlg::kReplacementId, QStringLiteral("b"));
            pane->DisableInput();
            QTest::mouseClick(Control<QPushButton>(d, editor::CReplaceDlg::kReplaceAllId), Qt::LeftButton);
            QTest::mouseClick(Control<QPushButton>(d, editor::CReplaceDlg::kFindNextId), Qt::LeftButton);
            during = QString::fromStdString(Text(doc));
            pane->EnableInput();
            Press(d, editor::CReplaceDlg::kCancelId);
        });
        s.Activate();
        QTest::keyClick(pane, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(replace.Done());
        QCOMPARE(during, QStringLiteral("select a from a"));
        QVERIFY(pane->IsSelectionEmpty());
        QCOMPARE(dialogs, 0);

        // A file without write permission: Replace does not open at all.
        const std::string path = s.config.Dir() + "/locked.sql";
        std::ofstream(path) << "select a from a";
        std::filesystem::permissions(path, std::filesystem::perms::owner_read);
        ModalDriver notSaved; // the edited text is not to be saved
        notSaved.Then(Is<QMessageBox>, [](QWidget* w) { static_cast<QMessageBox*>(w)->button(QMessageBox::No)->click(); });
        QVERIFY(pane->OpenFilePath(path));
        QVERIFY(notSaved.Done());
        arm();
        QVERIFY(doc->TextBuffer().IsReadOnly());
        s.Activate();
        QVERIFY(!s.EditItem(cmd::kReplace)->isEnabled());
        QTest::keyClick(pane, Qt::Key_H, Qt::ControlModifier);
        QTest::qWait(50);
        QCOMPARE(dialogs, 0);
        // Finding still works on it.
        QTest::keyClick(pane, Qt::Key_F3);
        QCOMPARE(Selection(pane), Range(7, 0, 8, 0));
    }
};

QTEST_MAIN(FindReplaceTest)
#include "FindReplaceTest.moc"
