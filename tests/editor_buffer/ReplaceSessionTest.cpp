// The Replace dialog's rules over a buffer: where searches start, Replace and Replace All, the block
// bounds of the selection scope, and the position shift after a replacement.
#include "BufferTestSupport.h"
#include "ReplaceSession.h"
#include "TextSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace editor {
namespace {

using test::Fill;
using test::Joined;

// A target that is nothing but the buffer and a selection, with every call written down.
class BufferTarget : public CSearchTarget {
public:
    explicit BufferTarget(CTextBuffer& buffer) : buffer_(buffer) {}

    bool FindText(std::string_view text, TextPosition start, uint32_t flags, bool wrap, TextPosition& found) override {
        return editor::FindText(buffer_, text, start, flags, wrap, found);
    }
    bool FindInBlock(std::string_view text, TextPosition start, TextPosition blockBegin, TextPosition blockEnd,
                     uint32_t flags, bool wrap, TextPosition& found) override {
        return editor::FindInBlock(buffer_, text, start, blockBegin, blockEnd, flags, wrap, found);
    }
    void HighlightMatch(TextPosition position, int32_t length) override {
        selStart = position;
        selEnd = TextPosition{position.x + length, position.y};
        highlights.push_back(position);
    }
    bool ReplaceSelection(const std::string& text, TextPosition& insertedEnd) override {
        if (selStart == selEnd)
            return false;
        if (!buffer_.Delete(nullptr, selStart.y, selStart.x, selEnd.y, selEnd.x, ACT_DELETE_SELECTION))
            return false;
        int32_t line = selStart.y;
        int32_t x = selStart.x;
        if (!text.empty())
            buffer_.Insert(nullptr, selStart.y, selStart.x, text, line, x, ACT_REPLACE);
        insertedEnd = TextPosition{x, line};
        selEnd = insertedEnd;
        return true;
    }
    void ShowNotFound(const std::string& text) override {
        messages.push_back(NotFoundMessage(text));
        EXPECT_EQ(longRuns, 0) << "the message comes after the busy time";
    }
    void BeginLongRun() override { ++longRuns; }
    void EndLongRun() override { --longRuns; }

    TextPosition selStart;
    TextPosition selEnd;
    std::vector<TextPosition> highlights;
    std::vector<std::string> messages;
    int longRuns = 0;

private:
    CTextBuffer& buffer_;
};

TEST(ReplaceSession, ReplaceAllResumesAfterEachInsertedText) {
    CTextBuffer buffer;
    Fill(buffer, {"aaa"});
    BufferTarget target(buffer);
    CReplaceSession session(target, {0, 0}, std::nullopt);
    EXPECT_FALSE(session.SelectionScopeAllowed());
    session.SetTexts("a", "aa");
    EXPECT_EQ(session.ReplaceAll(), 3);
    EXPECT_EQ(Joined(buffer), "aaaaaa");
    EXPECT_EQ(target.messages, std::vector<std::string>{"Cannot find the string\"a\""});
    EXPECT_EQ(buffer.UndoRecordCount(), 6); // a deletion and an insertion per occurrence
}

TEST(ReplaceSession, AGrowingReplacementStillCoversTheWholeSelection) {
    CTextBuffer buffer;
    Fill(buffer, {"x a a a y a", "a"});
    BufferTarget target(buffer);
    CReplaceSession session(target, {9, 0}, CReplaceSession::Block{{7, 0}, {2, 0}}); // in either order
    ASSERT_TRUE(session.SelectionScopeAllowed());
    EXPECT_EQ(session.Start(), (TextPosition{2, 0})); // the search starts at the block's beginning
    session.SetSelectionScope(true);
    session.SetTexts("a", "bbb");
    EXPECT_EQ(session.ReplaceAll(), 3);
    EXPECT_EQ(Joined(buffer), "x bbb bbb bbb y a|a");
    EXPECT_EQ(session.Bounds().begin, (TextPosition{2, 0}));
    EXPECT_EQ(session.Bounds().end, (TextPosition{13, 0}));
    // After the not-found message the next search starts at the block's beginning again.
    EXPECT_EQ(session.Start(), (TextPosition{2, 0}));
    EXPECT_FALSE(session.MatchShown());
}

TEST(ReplaceSession, AShrinkingReplacementMovesTheBlockEndBack) {
    CTextBuffer buffer;
    Fill(buffer, {"one two one two one"});
    BufferTarget target(buffer);
    CReplaceSession session(target, {0, 0}, CReplaceSession::Block{{4, 0}, {15, 0}}); // "two one two"
    session.SetSelectionScope(true);
    session.SetTexts("two", "2");
    EXPECT_EQ(session.ReplaceAll(), 2);
    EXPECT_EQ(Joined(buffer), "one 2 one 2 one");
    EXPECT_EQ(session.Bounds().end, (TextPosition{11, 0}));
    // Whole-file scope is not bounded by the block; it starts where the last search left the start
    // position (the block's beginning), so the first "one" stays. The block follows the text.
    session.SetSelectionScope(false);
    session.SetTexts("one", "1");
    EXPECT_EQ(session.ReplaceAll(), 2);
    EXPECT_EQ(Joined(buffer), "one 2 1 2 1");
    EXPECT_EQ(session.Bounds().begin, (TextPosition{4, 0}));
    EXPECT_EQ(session.Bounds().end, (TextPosition{9, 0}));
}

TEST(ReplaceSession, FindNextStepsOneCharacterOnAndStartsAgainAfterNothingFound) {
    CTextBuffer buffer;
    Fill(buffer, {"aaa", "b aa"});
    BufferTarget target(buffer);
    CReplaceSession session(target, {1, 0}, std::nullopt);
    session.SetTexts("aa", "x");
    EXPECT_TRUE(session.FindNext()); // from the caret
    EXPECT_TRUE(session.FindNext()); // one character after the last match: the next line's
    EXPECT_FALSE(session.FindNext()); // never round
    EXPECT_TRUE(session.FindNext());  // from the top now
    EXPECT_EQ(target.highlights, (std::vector<TextPosition>{{1, 0}, {2, 1}, {0, 0}}));
    EXPECT_EQ(target.messages.size(), 1u);
    // Replace with a match shown replaces it and shows the next one; a changed text forgets the match
    // shown, so the next Replace only finds.
    EXPECT_TRUE(session.Replace());
    EXPECT_EQ(Joined(buffer), "xa|b aa");
    session.SetTexts("b", "c");
    EXPECT_TRUE(session.Replace());
    EXPECT_EQ(Joined(buffer), "xa|b aa");
    EXPECT_TRUE(session.MatchShown());
}

TEST(ReplaceSession, ReplaceAllStopsWhenTheTextCannotChange) {
    CTextBuffer buffer;
    Fill(buffer, {"a a"});
    BufferTarget target(buffer);
    CReplaceSession session(target, {0, 0}, std::nullopt);
    session.SetTexts("a", "b");
    ASSERT_TRUE(session.FindNext());
    target.selEnd = target.selStart; // the selection went away: nothing to replace
    EXPECT_EQ(session.ReplaceAll(), 0);
    EXPECT_EQ(Joined(buffer), "a a");
    EXPECT_EQ(target.longRuns, 0);
    EXPECT_FALSE(session.MatchShown());
}

TEST(ReplaceSession, PositionsMoveWithTheTextAfterTheMatch) {
    // "abc" at (2, 1) replaced by "XY": a position right of the match start moves with the text.
    EXPECT_EQ(ShiftPastReplacement({9, 1}, {2, 1}, 3, {4, 1}), (TextPosition{8, 1}));
    EXPECT_EQ(ShiftPastReplacement({5, 1}, {2, 1}, 3, {4, 1}), (TextPosition{4, 1})); // at the match end
    EXPECT_EQ(ShiftPastReplacement({2, 1}, {2, 1}, 3, {4, 1}), (TextPosition{2, 1})); // at its start
    EXPECT_EQ(ShiftPastReplacement({9, 0}, {2, 1}, 3, {4, 1}), (TextPosition{9, 0}));
    // A replacement with a line break: the rest of the line moves to the new line, lines below down.
    EXPECT_EQ(ShiftPastReplacement({9, 1}, {2, 1}, 3, {1, 2}), (TextPosition{5, 2}));
    EXPECT_EQ(ShiftPastReplacement({9, 4}, {2, 1}, 3, {1, 2}), (TextPosition{9, 5}));
}

} // namespace
} // namespace editor
