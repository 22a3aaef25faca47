// Insertion and deletion: how texts become lines, the notices the views get, how view positions follow
// the change, reading ranges, line flags, and refusal of positions outside the text.
#include "BufferTestSupport.h"

#include <gtest/gtest.h>

namespace editor {
namespace {

using test::Fill;
using test::Joined;
using test::Lines;
using test::RecordingView;

struct SplitCase {
    const char* text;
    std::vector<std::string> lines;
    TextPosition end;
};

TEST(BufferInsert, CrOrCrLfEndsALineButALoneLfDoesNot) {
    const SplitCase cases[] = {
        {"a\nb", {"a\nb"}, {3, 0}},
        {"a\r\nb", {"a", "b"}, {1, 1}},
        {"a\rb", {"a", "b"}, {1, 1}},
        {"a\r\n\r\nb", {"a", "", "b"}, {1, 2}},
        {"a\r\r\nb", {"a", "", "b"}, {1, 2}},
        {"a\n\rb", {"a\n", "b"}, {1, 1}},
        {"\r\n", {"", ""}, {0, 1}},
        {"ab\r", {"ab", ""}, {0, 1}},
    };
    for (const SplitCase& c : cases) {
        CTextBuffer buffer;
        buffer.ResetToEmpty(EOL_DOS);
        int32_t endLine = -1;
        int32_t endChar = -1;
        ASSERT_TRUE(buffer.Insert(nullptr, 0, 0, c.text, endLine, endChar, ACT_PASTE)) << c.text;
        EXPECT_EQ(Lines(buffer), c.lines) << c.text;
        EXPECT_EQ((TextPosition{endChar, endLine}), c.end) << c.text;
        EXPECT_TRUE(buffer.IsConsistent());
    }
}

TEST(BufferInsert, TheRestOfTheLineFollowsTheInsertedText) {
    CTextBuffer buffer;
    Fill(buffer, {"select * from t", "where 1 = 1"});
    int32_t endLine = 0;
    int32_t endChar = 0;
    ASSERT_TRUE(buffer.Insert(nullptr, 0, 7, "a,\r\n  b ", endLine, endChar, ACT_PASTE));
    EXPECT_EQ(Joined(buffer), "select a,|  b * from t|where 1 = 1");
    EXPECT_EQ((TextPosition{endChar, endLine}), (TextPosition{4, 1}));

    ASSERT_TRUE(buffer.Insert(nullptr, 2, 11, "x", endLine, endChar, ACT_TYPING)); // at the very end
    EXPECT_EQ(buffer.LineView(2), "where 1 = 1x");
    EXPECT_EQ((TextPosition{endChar, endLine}), (TextPosition{12, 2}));
}

TEST(BufferInsert, TextEndsAtItsFirstNulByte) {
    CTextBuffer buffer;
    Fill(buffer, {"xy"});
    int32_t endLine = 0;
    int32_t endChar = 0;
    ASSERT_TRUE(buffer.Insert(nullptr, 0, 1, std::string_view("ab\0cd", 5), endLine, endChar, ACT_PASTE));
    EXPECT_EQ(Joined(buffer), "xaby");
    EXPECT_EQ(endChar, 3);
    EXPECT_TRUE(buffer.IsConsistent());
}

TEST(BufferInsert, TextTakenFromTheBufferItselfIsCopiedSafely) {
    CTextBuffer buffer;
    Fill(buffer, {"0123456789abcdef", "tail"}); // exactly fills a 16-byte-rounded block on growth
    int32_t endLine = 0;
    int32_t endChar = 0;
    std::string_view own = buffer.LineView(0);
    ASSERT_TRUE(buffer.Insert(nullptr, 0, 4, own, endLine, endChar, ACT_PASTE));
    EXPECT_EQ(buffer.LineView(0), "01230123456789abcdef456789abcdef");
    own = buffer.LineView(1);
    ASSERT_TRUE(buffer.ApplyInsert(nullptr, 1, 2, own, endLine, endChar));
    EXPECT_EQ(buffer.LineView(1), "tatailil");
}

TEST(BufferInsert, PositionsOutsideTheTextAreRefused) {
    CTextBuffer buffer;
    Fill(buffer, {"abc"});
    RecordingView view;
    buffer.AttachView(&view);
    int32_t endLine = 0;
    int32_t endChar = 0;
    EXPECT_FALSE(buffer.Insert(nullptr, 1, 0, "x", endLine, endChar, ACT_TYPING));
    EXPECT_FALSE(buffer.Insert(nullptr, 0, 4, "x", endLine, endChar, ACT_TYPING));
    EXPECT_FALSE(buffer.Insert(nullptr, -1, 0, "x", endLine, endChar, ACT_TYPING));
    EXPECT_FALSE(buffer.Delete(nullptr, 0, 2, 0, 1, ACT_DELETE)); // end before start
    EXPECT_FALSE(buffer.Delete(nullptr, 0, 0, 1, 0, ACT_DELETE));
    EXPECT_FALSE(buffer.ApplyDelete(nullptr, 0, 0, 0, 9));
    EXPECT_EQ(Joined(buffer), "abc");
    EXPECT_TRUE(view.notices.empty());
    EXPECT_FALSE(buffer.HasUndo());
    EXPECT_FALSE(buffer.IsModified());

    CTextBuffer uninitialised;
    EXPECT_FALSE(uninitialised.Insert(nullptr, 0, 0, "x", endLine, endChar, ACT_TYPING));
    EXPECT_EQ(uninitialised.LineLength(0), 0);
    EXPECT_EQ(uninitialised.LineView(5), "");
}

TEST(BufferNotices, OneLineChangesAndLineCountChangesAreToldApart) {
    CTextBuffer buffer;
    Fill(buffer, {"abc", "def"});
    RecordingView view;
    RecordingView source;
    buffer.AttachView(&view);
    int32_t endLine = 0;
    int32_t endChar = 0;

    buffer.Insert(&source, 1, 1, "x", endLine, endChar, ACT_TYPING);
    buffer.Insert(&source, 1, 0, "\r\n", endLine, endChar, ACT_TYPING);
    buffer.Delete(&source, 0, 0, 0, 2, ACT_DELETE);
    buffer.Delete(&source, 0, 1, 1, 0, ACT_BACKSPACE);
    ASSERT_EQ(view.notices.size(), 4u);
    EXPECT_EQ(view.notices[0].flags, 0x101u);
    EXPECT_EQ(view.notices[0].line, 1);
    EXPECT_EQ(view.notices[1].flags, 0x3u);
    EXPECT_EQ(view.notices[1].line, 1);
    EXPECT_EQ(view.notices[2].flags, 0x101u);
    EXPECT_EQ(view.notices[3].flags, 0x3u);
    EXPECT_EQ(view.notices[3].line, 0);
    for (const auto& notice : view.notices) {
        EXPECT_EQ(notice.source, &source);
        EXPECT_TRUE(notice.hasContext);
    }
    EXPECT_EQ(Joined(buffer), "c|dxef");
    EXPECT_TRUE(buffer.IsModified());
}

TEST(BufferNotices, InsertMovesPointsRightOfItAndOnLaterLinesOnly) {
    CTextBuffer buffer;
    Fill(buffer, {"line zero", "line one", "line two"});
    RecordingView view;
    view.points = {{3, 1}, {2, 1}, {7, 1}, {5, 0}, {4, 2}};
    buffer.AttachView(&view);
    int32_t endLine = 0;
    int32_t endChar = 0;
    ASSERT_TRUE(buffer.Insert(nullptr, 1, 3, "AB\r\nCDE", endLine, endChar, ACT_PASTE));
    EXPECT_EQ(view.points[0], (TextPosition{3, 1})); // the caret where the text went stays
    EXPECT_EQ(view.points[1], (TextPosition{2, 1}));
    EXPECT_EQ(view.points[2], (TextPosition{3 + 4, 2})); // was 4 right of the insertion point
    EXPECT_EQ(view.points[3], (TextPosition{5, 0}));
    EXPECT_EQ(view.points[4], (TextPosition{4, 3}));
    EXPECT_EQ(Joined(buffer), "line zero|linAB|CDEe one|line two");
}

TEST(BufferNotices, DeleteMovesPointsToFollowTheJoinedText) {
    CTextBuffer buffer;
    Fill(buffer, {"abcdefg", "hijklmn", "opqrstu", "vwxyz"});
    RecordingView view;
    view.points = {{5, 2}, {1, 2}, {0, 2}, {3, 1}, {1, 0}, {2, 0}, {4, 0}, {2, 3}};
    buffer.AttachView(&view);
    ASSERT_TRUE(buffer.Delete(nullptr, 0, 2, 2, 1, ACT_DELETE_SELECTION));
    EXPECT_EQ(Joined(buffer), "abpqrstu|vwxyz");
    EXPECT_EQ(view.points[0], (TextPosition{6, 0})); // (5, 2) ends at (6, 0)
    EXPECT_EQ(view.points[1], (TextPosition{2, 0})); // the range's end goes to its start
    EXPECT_EQ(view.points[2], (TextPosition{2, 0})); // inside the range
    EXPECT_EQ(view.points[3], (TextPosition{2, 0}));
    EXPECT_EQ(view.points[4], (TextPosition{1, 0})); // before the range
    EXPECT_EQ(view.points[5], (TextPosition{2, 0}));
    EXPECT_EQ(view.points[6], (TextPosition{2, 0})); // right of the start on the first line
    EXPECT_EQ(view.points[7], (TextPosition{2, 1})); // a later line moves up
}

TEST(BufferNotices, DeleteWithinOneLineShiftsPointsRightOfTheRange) {
    CTextBuffer::CDeleteContext context({2, 4}, {5, 4});
    TextPosition right{9, 4};
    TextPosition atEnd{5, 4};
    TextPosition inside{3, 4};
    TextPosition atStart{2, 4};
    for (TextPosition* p : {&right, &atEnd, &inside, &atStart})
        context.AdjustPoint(*p);
    EXPECT_EQ(right, (TextPosition{6, 4}));
    EXPECT_EQ(atEnd, (TextPosition{2, 4}));
    EXPECT_EQ(inside, (TextPosition{2, 4}));
    EXPECT_EQ(atStart, (TextPosition{2, 4}));
}

TEST(BufferNotices, AViewMayDetachItselfOrAnotherWhileANoticeGoesOut) {
    struct DetachingView : RecordingView {
        CTextBuffer* buffer = nullptr;
        CBufferView* victim = nullptr;
        void OnBufferChange(CBufferView* s, const CChangeContext* c, uint32_t f, int32_t l) override {
            RecordingView::OnBufferChange(s, c, f, l);
            buffer->DetachView(victim);
        }
    };
    CTextBuffer buffer;
    Fill(buffer, {"abc"});
    DetachingView first;
    RecordingView second;
    RecordingView third;
    first.buffer = &buffer;
    first.victim = &second;
    buffer.AttachView(&first);
    buffer.AttachView(&second);
    buffer.AttachView(&third);
    int32_t endLine = 0;
    int32_t endChar = 0;
    buffer.Insert(nullptr, 0, 0, "x", endLine, endChar, ACT_TYPING);
    EXPECT_EQ(first.notices.size(), 1u);
    EXPECT_TRUE(second.notices.empty());
    EXPECT_EQ(third.notices.size(), 1u);

    buffer.DetachView(&first);
    buffer.Insert(nullptr, 0, 0, "y", endLine, endChar, ACT_TYPING);
    EXPECT_EQ(first.notices.size(), 1u);
    EXPECT_EQ(third.notices.size(), 2u);
}

TEST(BufferRead, RangesJoinLinesWithTheSeparator) {
    CTextBuffer buffer;
    Fill(buffer, {"select a", "from t", "where b = 1"});
    std::string text;
    ASSERT_TRUE(buffer.ReadText(0, 7, 2, 5, text));
    EXPECT_EQ(text, "a\r\nfrom t\r\nwhere");
    ASSERT_TRUE(buffer.ReadText(1, 2, 1, 4, text));
    EXPECT_EQ(text, "om");
    ASSERT_TRUE(buffer.ReadText(0, 8, 1, 0, text, "\n"));
    EXPECT_EQ(text, "\n");
    ASSERT_TRUE(buffer.ReadText(2, 3, 2, 3, text));
    EXPECT_EQ(text, "");
    text = "stale";
    EXPECT_FALSE(buffer.ReadText(1, 0, 0, 0, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(buffer.ReadText(0, 0, 3, 0, text));
}

TEST(BufferFlags, AFlagMarksOneLineAtATime) {
    CTextBuffer buffer;
    Fill(buffer, {"a", "b", "c"});
    RecordingView view;
    buffer.AttachView(&view);

    buffer.ChangeLineFlag(1, LF_EXEC_MARK, true);
    EXPECT_EQ(buffer.FindFlaggedLine(LF_EXEC_MARK), 1);
    ASSERT_EQ(view.notices.size(), 1u);
    EXPECT_EQ(view.notices[0].flags, 0x300u);
    EXPECT_EQ(view.notices[0].line, 1);
    EXPECT_FALSE(view.notices[0].hasContext);

    buffer.ChangeLineFlag(2, LF_EXEC_MARK, true); // clears line 1 first
    EXPECT_EQ(buffer.LineFlags(1), 0u);
    EXPECT_EQ(buffer.LineFlags(2), LF_EXEC_MARK);
    ASSERT_EQ(view.notices.size(), 3u);
    EXPECT_EQ(view.notices[1].line, 1);
    EXPECT_EQ(view.notices[2].line, 2);

    buffer.ChangeLineFlag(2, LF_EXEC_MARK, true); // no change, no notice
    EXPECT_EQ(view.notices.size(), 3u);

    buffer.ChangeLineFlag(0, 0x4, true, false); // another flag, others kept
    buffer.ChangeLineFlag(1, 0x4, true, false);
    EXPECT_EQ(buffer.FindFlaggedLine(0x4), 0);
    EXPECT_EQ(buffer.LineFlags(1), 0x4u);

    buffer.ChangeLineFlag(-1, LF_EXEC_MARK, false); // the line that has it
    EXPECT_EQ(buffer.FindFlaggedLine(LF_EXEC_MARK), -1);
    buffer.ChangeLineFlag(-1, LF_EXEC_MARK, false); // none has it: nothing
    buffer.ChangeLineFlag(0, 0x3, true);            // two bits: ignored
    buffer.ChangeLineFlag(7, 0x8, true);            // no such line: ignored
    EXPECT_EQ(buffer.LineFlags(0), 0x4u);
    EXPECT_EQ(view.notices.size(), 6u);
}

TEST(BufferFlags, FlagsStayWithTheirLineThroughEdits) {
    CTextBuffer buffer;
    Fill(buffer, {"a", "b"});
    buffer.ChangeLineFlag(1, LF_EXEC_MARK, true);
    int32_t endLine = 0;
    int32_t endChar = 0;
    buffer.Insert(nullptr, 0, 0, "x\r\ny\r\n", endLine, endChar, ACT_PASTE);
    EXPECT_EQ(buffer.FindFlaggedLine(LF_EXEC_MARK), 3);
    EXPECT_EQ(buffer.LineFlags(0), 0u);
}

// A buffer that keeps its modified state elsewhere, as the document's does.
class ElsewhereModified : public CTextBuffer {
public:
    void MarkModified(bool modified) override { calls.push_back(modified); }
    std::vector<bool> calls;
};

TEST(BufferModified, AnOverriddenFlagIsToldOfEveryChange) {
    ElsewhereModified buffer;
    buffer.ResetToEmpty(EOL_DOS);
    int32_t endLine = 0;
    int32_t endChar = 0;
    buffer.Insert(nullptr, 0, 0, "ab", endLine, endChar, ACT_TYPING);
    buffer.Delete(nullptr, 0, 0, 0, 1, ACT_DELETE);
    EXPECT_EQ(buffer.calls, (std::vector<bool>{true, true}));
    EXPECT_FALSE(buffer.IsModified());
}

TEST(BufferLifeCycle, ResetAndClearStartOver) {
    CTextBuffer buffer;
    EXPECT_FALSE(buffer.IsInitialised());
    EXPECT_EQ(buffer.LineCount(), 0);
    RecordingView view;
    buffer.AttachView(&view);
    buffer.ResetToEmpty(EOL_MAC);
    EXPECT_TRUE(buffer.IsInitialised());
    EXPECT_EQ(buffer.LineCount(), 1);
    EXPECT_EQ(buffer.EolMode(), EOL_MAC);
    ASSERT_EQ(view.notices.size(), 1u);
    EXPECT_EQ(view.notices[0].flags, 0x1000u);
    EXPECT_EQ(view.notices[0].line, -1);

    int32_t endLine = 0;
    int32_t endChar = 0;
    buffer.Insert(nullptr, 0, 0, "a\rb", endLine, endChar, ACT_PASTE);
    buffer.ResetToEmpty(EOL_AUTO); // replaces the text and the history
    EXPECT_EQ(Joined(buffer), "");
    EXPECT_EQ(buffer.EolMode(), EOL_DOS);
    EXPECT_FALSE(buffer.HasUndo());
    EXPECT_FALSE(buffer.HasRedo());
    EXPECT_FALSE(buffer.IsModified());

    buffer.Insert(nullptr, 0, 0, "x", endLine, endChar, ACT_TYPING);
    buffer.Clear();
    EXPECT_FALSE(buffer.IsInitialised());
    EXPECT_EQ(buffer.LineCount(), 0);
    EXPECT_EQ(buffer.UndoRecordCount(), 0);
    EXPECT_TRUE(buffer.IsConsistent());
}

TEST(BufferLifeCycle, ClearTellsTheViewsThatEverythingWasReplaced) {
    // A view that kept positions and per-line caches of the old lines must drop them all: it gets the
    // same notice as for a reset, and the text it would read is gone.
    CTextBuffer buffer;
    Fill(buffer, {"select 1", "from dual", "where 1 = 1"});
    RecordingView view;
    buffer.AttachView(&view);
    buffer.Clear();
    ASSERT_EQ(view.notices.size(), 1u);
    EXPECT_EQ(view.notices[0].flags, 0x1000u);
    EXPECT_EQ(view.notices[0].line, -1);
    EXPECT_EQ(view.notices[0].source, nullptr);
    EXPECT_FALSE(view.notices[0].hasContext);
    EXPECT_EQ(buffer.LineCount(), 0);

    // A view that detaches while it hears of the clear does not trip the others.
    struct LeavingView : RecordingView {
        CTextBuffer* buffer = nullptr;
        void OnBufferChange(CBufferView* source, const CChangeContext* context, uint32_t flags,
                            int32_t line) override {
            RecordingView::OnBufferChange(source, context, flags, line);
            buffer->DetachView(this);
        }
    } leaving;
    leaving.buffer = &buffer;
    buffer.ResetToEmpty(EOL_DOS);
    buffer.AttachView(&leaving);
    view.notices.clear();
    buffer.Clear();
    EXPECT_EQ(view.notices.size(), 1u);
    EXPECT_EQ(leaving.notices.size(), 1u);
    buffer.Clear();
    EXPECT_EQ(view.notices.size(), 2u);
    EXPECT_EQ(leaving.notices.size(), 1u);
    buffer.DetachView(&view);
}

} // namespace
} // namespace editor
