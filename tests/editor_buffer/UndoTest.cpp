// Undo and redo: groups, typing runs, the record limit, describing the next step, the modified state
// against the saved position, and re-inserting deleted lines exactly.
#include "BufferTestSupport.h"

#include <gtest/gtest.h>

namespace editor {
namespace {

using test::Fill;
using test::Joined;
using test::RecordingView;
using test::TempDir;

int32_t g_endLine;
int32_t g_endChar;

bool Put(CTextBuffer& buffer, int32_t line, int32_t x, std::string_view text, int32_t action = ACT_PASTE,
         CBufferView* source = nullptr) {
    return buffer.Insert(source, line, x, text, g_endLine, g_endChar, action);
}

// What the text pane does for one typed letter: letters after the first join the previous group.
void Type(CTextBuffer& buffer, RecordingView& view, TextPosition& caret, char letter, bool merge) {
    buffer.OpenUndoGroup(merge);
    ASSERT_TRUE(buffer.Insert(&view, caret.y, caret.x, std::string(1, letter), g_endLine, g_endChar, ACT_TYPING));
    buffer.CloseUndoGroup(&view);
    caret = TextPosition{g_endChar, g_endLine};
}

TEST(BufferUndo, EachChangeIsItsOwnStepWithTheCursorWhereItHappened) {
    CTextBuffer buffer;
    Fill(buffer, {"select 1", "from dual"});
    ASSERT_TRUE(Put(buffer, 0, 7, "x,\r\n  "));
    ASSERT_TRUE(buffer.Delete(nullptr, 2, 0, 2, 4, ACT_DELETE));
    EXPECT_EQ(Joined(buffer), "select x,|  1| dual");
    EXPECT_EQ(buffer.UndoRecordCount(), 2);

    TextPosition cursor;
    ASSERT_TRUE(buffer.Undo(cursor));
    EXPECT_EQ(cursor, (TextPosition{4, 2})); // a deletion undone: after the restored text
    EXPECT_EQ(Joined(buffer), "select x,|  1|from dual");
    ASSERT_TRUE(buffer.Undo(cursor));
    EXPECT_EQ(cursor, (TextPosition{7, 0})); // an insertion undone: where it was
    EXPECT_EQ(Joined(buffer), "select 1|from dual");
    EXPECT_FALSE(buffer.HasUndo());
    EXPECT_FALSE(buffer.Undo(cursor));

    ASSERT_TRUE(buffer.Redo(cursor));
    EXPECT_EQ(cursor, (TextPosition{2, 1})); // an insertion redone: after it
    ASSERT_TRUE(buffer.Redo(cursor));
    EXPECT_EQ(cursor, (TextPosition{0, 2})); // a deletion redone: where it was
    EXPECT_EQ(Joined(buffer), "select x,|  1| dual");
    EXPECT_FALSE(buffer.HasRedo());
    EXPECT_FALSE(buffer.Redo(cursor));
}

TEST(BufferUndo, AGroupOfChangesIsOneStep) {
    // A drag and drop moves text: a deletion at the source and an insertion at the target.
    CTextBuffer buffer;
    Fill(buffer, {"alpha beta", "gamma"});
    RecordingView view;
    buffer.OpenUndoGroup();
    ASSERT_TRUE(buffer.Delete(&view, 0, 5, 0, 10, ACT_DRAG_DROP));
    ASSERT_TRUE(Put(buffer, 1, 5, " beta", ACT_DRAG_DROP, &view));
    buffer.CloseUndoGroup(&view);
    EXPECT_EQ(Joined(buffer), "alpha|gamma beta");
    ASSERT_EQ(view.editsDone.size(), 1u); // the group's end, not each change
    EXPECT_EQ(view.editsDone[0], (std::pair<int32_t, std::string>{ACT_DRAG_DROP, " beta"}));

    std::string text;
    EXPECT_EQ(buffer.DescribeUndo(text), 0);
    EXPECT_EQ(text, "Drag And Drop");

    TextPosition cursor;
    ASSERT_TRUE(buffer.Undo(cursor));
    EXPECT_EQ(Joined(buffer), "alpha beta|gamma");
    EXPECT_EQ(cursor, (TextPosition{10, 0}));
    EXPECT_FALSE(buffer.HasUndo());
    ASSERT_TRUE(buffer.Redo(cursor));
    EXPECT_EQ(Joined(buffer), "alpha|gamma beta");
    EXPECT_FALSE(buffer.HasRedo());
}

TEST(BufferUndo, ARunOfTypedLettersIsOneStep) {
    CTextBuffer buffer;
    buffer.ResetToEmpty(EOL_DOS);
    RecordingView view;
    TextPosition caret;
    const std::string first = "select";
    for (size_t i = 0; i < first.size(); ++i)
        Type(buffer, view, caret, first[i], i > 0);
    Type(buffer, view, caret, ' ', false); // a space starts a new run
    Type(buffer, view, caret, 'x', true);
    EXPECT_EQ(Joined(buffer), "select x");
    ASSERT_EQ(view.editsDone.size(), 8u);
    EXPECT_EQ(view.editsDone.back(), (std::pair<int32_t, std::string>{ACT_TYPING, "x"}));

    TextPosition cursor;
    ASSERT_TRUE(buffer.Undo(cursor));
    EXPECT_EQ(Joined(buffer), "select");
    EXPECT_EQ(cursor, (TextPosition{6, 0}));
    ASSERT_TRUE(buffer.Undo(cursor));
    EXPECT_EQ(Joined(buffer), "");
    EXPECT_FALSE(buffer.HasUndo());
    ASSERT_TRUE(buffer.Redo(cursor));
    EXPECT_EQ(Joined(buffer), "select");
    EXPECT_EQ(cursor, (TextPosition{6, 0}));
}

TEST(BufferUndo, ANewChangeForgetsTheRedoSteps) {
    CTextBuffer buffer;
    buffer.ResetToEmpty(EOL_DOS);
    Put(buffer, 0, 0, "a");
    Put(buffer, 0, 1, "b");
    TextPosition cursor;
    buffer.Undo(cursor);
    EXPECT_TRUE(buffer.HasRedo());
    Put(buffer, 0, 1, "c");
    EXPECT_FALSE(buffer.HasRedo());
    EXPECT_EQ(buffer.UndoRecordCount(), 2);
    buffer.Undo(cursor);
    buffer.Undo(cursor);
    EXPECT_EQ(Joined(buffer), "");
}

TEST(BufferUndo, AChangeMadeWhenTheGroupEndsFormsItsOwnGroup) {
    // Automatic indentation: after Enter the view inserts the previous line's indentation.
    struct IndentingView : RecordingView {
        CTextBuffer* buffer = nullptr;
        void OnEditDone(int32_t action, const std::string& text) override {
            RecordingView::OnEditDone(action, text);
            if (action == ACT_TYPING && text == "\r\n")
                buffer->Insert(this, 1, 0, "  ", g_endLine, g_endChar, ACT_AUTO_INDENT);
        }
    };
    CTextBuffer buffer;
    Fill(buffer, {"  begin"});
    IndentingView view;
    view.buffer = &buffer;
    buffer.OpenUndoGroup(false);
    buffer.Insert(&view, 0, 7, "\r\n", g_endLine, g_endChar, ACT_TYPING);
    buffer.CloseUndoGroup(&view);
    EXPECT_EQ(Joined(buffer), "  begin|  ");
    std::string text;
    buffer.DescribeUndo(text);
    EXPECT_EQ(text, "Auto Indent");

    TextPosition cursor;
    buffer.Undo(cursor);
    EXPECT_EQ(Joined(buffer), "  begin|");
    buffer.Undo(cursor);
    EXPECT_EQ(Joined(buffer), "  begin");
}

TEST(BufferUndo, OnlyAGroupThatRecordedAChangeIsReportedToTheView) {
    // Enter, then a command that opens a group and changes nothing (Paste with an empty clipboard,
    // a deletion at the end of the text): the view must not hear the line break a second time, or it
    // would indent once more.
    CTextBuffer buffer;
    Fill(buffer, {"  begin"});
    RecordingView view;
    buffer.OpenUndoGroup(false);
    buffer.Insert(&view, 0, 7, "\r\n", g_endLine, g_endChar, ACT_TYPING);
    buffer.CloseUndoGroup(&view);
    ASSERT_EQ(view.editsDone.size(), 1u);
    EXPECT_EQ(view.editsDone[0], (std::pair<int32_t, std::string>{ACT_TYPING, "\r\n"}));

    buffer.OpenUndoGroup(false);
    buffer.CloseUndoGroup(&view);
    buffer.OpenUndoGroup(true); // merged with the group before, still nothing of its own
    buffer.CloseUndoGroup(&view);
    buffer.OpenUndoGroup(false);
    EXPECT_TRUE(buffer.Delete(&view, 1, 0, 1, 0, ACT_DELETE)); // an empty range records nothing
    EXPECT_TRUE(buffer.Insert(&view, 1, 0, "", g_endLine, g_endChar, ACT_PASTE));
    buffer.CloseUndoGroup(&view);
    EXPECT_EQ(view.editsDone.size(), 1u);
    EXPECT_EQ(buffer.UndoRecordCount(), 1);

    // A group that does record something is reported with its own last change.
    buffer.OpenUndoGroup(false);
    buffer.Insert(&view, 1, 0, "x", g_endLine, g_endChar, ACT_TYPING);
    buffer.CloseUndoGroup(&view);
    ASSERT_EQ(view.editsDone.size(), 2u);
    EXPECT_EQ(view.editsDone[1], (std::pair<int32_t, std::string>{ACT_TYPING, "x"}));
    // The history was replaced while the group was open: nothing of the group is left to report.
    buffer.OpenUndoGroup(false);
    buffer.Insert(&view, 1, 0, "y", g_endLine, g_endChar, ACT_TYPING);
    buffer.ResetToEmpty(EOL_DOS);
    buffer.CloseUndoGroup(&view);
    EXPECT_EQ(view.editsDone.size(), 2u);
}

TEST(BufferUndo, DescribingWalksTheGroups) {
    CTextBuffer buffer;
    buffer.ResetToEmpty(EOL_DOS);
    Put(buffer, 0, 0, "abc", ACT_PASTE);                    // record 0
    buffer.OpenUndoGroup();
    buffer.Delete(nullptr, 0, 0, 0, 1, ACT_CUT);            // record 1
    Put(buffer, 0, 0, "z", ACT_CUT);                        // record 2
    buffer.CloseUndoGroup(nullptr);
    buffer.Delete(nullptr, 0, 0, 0, 1, 42);                 // record 3, a code without text

    std::string text;
    EXPECT_EQ(buffer.DescribeUndo(text), 3);
    EXPECT_EQ(text, "");
    EXPECT_EQ(buffer.DescribeUndo(text, 3), 1);
    EXPECT_EQ(text, "Cut");
    EXPECT_EQ(buffer.DescribeUndo(text, 1), 0);
    EXPECT_EQ(text, "Paste");

    TextPosition cursor;
    buffer.Undo(cursor);
    buffer.Undo(cursor);
    buffer.Undo(cursor);
    EXPECT_EQ(buffer.UndoPosition(), 0);
    EXPECT_EQ(buffer.DescribeRedo(text), 1);
    EXPECT_EQ(text, "Paste");
    EXPECT_EQ(buffer.DescribeRedo(text, 1), 3);
    EXPECT_EQ(text, "Cut");
    EXPECT_EQ(buffer.DescribeRedo(text, 3), 0); // the last group: nothing follows
    EXPECT_EQ(text, "");

    EXPECT_TRUE(buffer.DescribeAction(ACT_AUTO_INDENT, text));
    EXPECT_EQ(text, "Auto Indent");
    EXPECT_TRUE(buffer.DescribeAction(ACT_UNKNOWN, text));
    EXPECT_EQ(text, "Unknown");
    EXPECT_FALSE(buffer.DescribeAction(11, text));
    EXPECT_FALSE(buffer.DescribeAction(-1, text));
}

TEST(BufferUndoLimit, SeparateStepsBeyondTheLimitDropTheOldestOne) {
    CTextBuffer buffer;
    Fill(buffer, {std::string(1100, 'a') + std::string(1100, 'b')});
    for (int i = 0; i < 1100; ++i) {
        ASSERT_TRUE(buffer.Delete(nullptr, 0, 0, 0, 1, ACT_DELETE));
        ASSERT_LE(buffer.UndoRecordCount(), 1024);
    }
    EXPECT_EQ(buffer.UndoRecordCount(), 1024);
    TextPosition cursor;
    int undone = 0;
    while (buffer.Undo(cursor))
        ++undone;
    EXPECT_EQ(undone, 1024);
    // The first 76 deletions can no longer be undone.
    EXPECT_EQ(buffer.LineView(0), std::string(1024, 'a') + std::string(1100, 'b'));
    EXPECT_TRUE(buffer.IsConsistent());
}

TEST(BufferUndoLimit, ARunLongerThanTheLimitDropsTheWholeHistory) {
    CTextBuffer buffer;
    buffer.ResetToEmpty(EOL_DOS);
    Put(buffer, 0, 0, "-- ");
    RecordingView view;
    TextPosition caret{3, 0};
    for (int i = 0; i < 1030; ++i)
        Type(buffer, view, caret, static_cast<char>('a' + i % 26), i > 0);
    EXPECT_EQ(buffer.UndoRecordCount(), 6);

    TextPosition cursor;
    ASSERT_TRUE(buffer.Undo(cursor)); // what remains of the run, back to the start of the history
    EXPECT_FALSE(buffer.HasUndo());
    EXPECT_EQ(buffer.LineLength(0), 3 + 1024);
    EXPECT_EQ(cursor, (TextPosition{3 + 1024, 0}));
    ASSERT_TRUE(buffer.Redo(cursor));
    EXPECT_EQ(buffer.LineLength(0), 3 + 1030);
    EXPECT_TRUE(buffer.IsConsistent());
}

class BufferModifiedState : public ::testing::Test {
protected:
    void LoadSample(CTextBuffer& buffer) {
        test::WriteFile(dir_.File("a.sql"), "select 1\r\nfrom dual\r\n");
        ASSERT_TRUE(buffer.LoadFile(dir_.File("a.sql")));
    }
    TempDir dir_;
};

TEST_F(BufferModifiedState, UndoBackToTheSavedTextIsUnmodified) {
    CTextBuffer buffer;
    LoadSample(buffer);
    EXPECT_FALSE(buffer.IsModified());
    ASSERT_TRUE(buffer.SaveFile(dir_.File("a.sql")));
    Put(buffer, 0, 0, "x");
    EXPECT_TRUE(buffer.IsModified());
    TextPosition cursor;
    buffer.Undo(cursor);
    EXPECT_FALSE(buffer.IsModified());
    buffer.Redo(cursor);
    EXPECT_TRUE(buffer.IsModified());

    ASSERT_TRUE(buffer.SaveFile(dir_.File("a.sql"))); // the history stays; undo now modifies
    EXPECT_FALSE(buffer.IsModified());
    buffer.Undo(cursor);
    EXPECT_TRUE(buffer.IsModified());
    EXPECT_TRUE(buffer.SaveFile(dir_.File("b.sql"), EOL_AUTO, false)); // a copy keeps the state
    EXPECT_TRUE(buffer.IsModified());
}

TEST_F(BufferModifiedState, ADocumentThatKeepsItsOwnFlagStaysModified) {
    class DocumentBuffer : public CTextBuffer {
    public:
        void MarkModified(bool modified) override { documentModified = modified; }
        bool documentModified = false;
    };
    DocumentBuffer buffer;
    LoadSample(buffer);
    Put(buffer, 0, 0, "x");
    EXPECT_TRUE(buffer.documentModified);
    TextPosition cursor;
    buffer.Undo(cursor);
    EXPECT_TRUE(buffer.documentModified);
}

TEST_F(BufferModifiedState, ASavedTextThatNoStepLeadsBackToStaysModified) {
    CTextBuffer buffer;
    LoadSample(buffer);
    Put(buffer, 0, 0, "a");
    ASSERT_TRUE(buffer.SaveFile(dir_.File("a.sql"))); // saved after one record
    TextPosition cursor;
    buffer.Undo(cursor);
    Put(buffer, 0, 0, "b"); // replaces the saved step in the history
    EXPECT_EQ(buffer.UndoRecordCount(), 1);
    EXPECT_TRUE(buffer.IsModified());
    buffer.Undo(cursor);
    EXPECT_TRUE(buffer.IsModified()); // the original text, not the saved one
    buffer.Redo(cursor);
    EXPECT_TRUE(buffer.IsModified()); // "b...", not the saved "a..."
}

TEST_F(BufferModifiedState, TheSavedPositionFollowsTheRecordsThatTheLimitDrops) {
    CTextBuffer buffer;
    LoadSample(buffer);
    Put(buffer, 1, 0, std::string(1040, 'q'));
    for (int i = 0; i < 1030; ++i)
        buffer.Delete(nullptr, 1, 0, 1, 1, ACT_DELETE);
    ASSERT_TRUE(buffer.SaveFile(dir_.File("a.sql")));
    for (int i = 0; i < 5; ++i)
        buffer.Delete(nullptr, 1, 0, 1, 1, ACT_DELETE);
    TextPosition cursor;
    for (int i = 0; i < 4; ++i) {
        buffer.Undo(cursor);
        EXPECT_TRUE(buffer.IsModified());
    }
    buffer.Undo(cursor);
    EXPECT_FALSE(buffer.IsModified());
    EXPECT_EQ(test::ReadFile(dir_.File("a.sql")), "select 1\r\n" + std::string(10, 'q') + "from dual\r\n");

    // Once the records of the saved text are dropped, no step reaches it any more.
    Put(buffer, 0, 0, std::string(1100, 'z'));
    for (int i = 0; i < 1030; ++i)
        ASSERT_TRUE(buffer.Delete(nullptr, 0, 0, 0, 1, ACT_DELETE));
    int undone = 0;
    while (buffer.Undo(cursor)) {
        ++undone;
        EXPECT_TRUE(buffer.IsModified());
    }
    EXPECT_EQ(undone, 1024);
}

TEST(BufferUndoExact, DeletedLinesHoldingCrComeBackAsTheyWere) {
    // In DOS mode a lone CR, or CR CR LF, is part of its line; undo must not split the line there.
    TempDir dir;
    test::WriteFile(dir.File("cr.sql"), "a\rb\r\r\nc\r\r\r\nd\re\r\n\rf");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(dir.File("cr.sql")));
    const std::vector<std::string> original = test::Lines(buffer);
    ASSERT_EQ(original, (std::vector<std::string>{"a\rb\r\r\nc\r\r", "d\re", "\rf"}));

    ASSERT_TRUE(buffer.Delete(nullptr, 0, 1, 2, 1, ACT_DELETE_SELECTION));
    ASSERT_TRUE(buffer.Delete(nullptr, 0, 0, 0, 2, ACT_DELETE)); // what remained: "af"
    TextPosition cursor;
    buffer.Undo(cursor);
    buffer.Undo(cursor);
    EXPECT_EQ(test::Lines(buffer), original);
    buffer.Redo(cursor);
    buffer.Redo(cursor);
    EXPECT_EQ(test::Joined(buffer), "");
    EXPECT_TRUE(buffer.IsConsistent());
}

} // namespace
} // namespace editor
