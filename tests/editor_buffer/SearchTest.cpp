// Search matching: plain and whole-word matching in one text, and the block search in both directions
// with wrap, case folding and block bounds.
#include "BufferTestSupport.h"
#include "TextSearch.h"

#include <gtest/gtest.h>

namespace editor {
namespace {

using test::Fill;
using test::Joined;

TEST(SearchMatch, WholeWordsAreBoundedByNonWordBytes) {
    EXPECT_EQ(MatchInText("xab ab", "ab", false), 1);
    EXPECT_EQ(MatchInText("xab ab", "ab", true), 4);
    EXPECT_EQ(MatchInText("ab_ x", "ab", true), -1);
    EXPECT_EQ(MatchInText("ab1 ab", "ab", true), 4);
    EXPECT_EQ(MatchInText("(ab)", "ab", true), 1);
    EXPECT_EQ(MatchInText("ab", "ab", true), 0);
    EXPECT_EQ(MatchInText("aab", "ab", true), -1);
    EXPECT_EQ(MatchInText("abé ab", "ab", true), 5); // a UTF-8 letter continues the word
    EXPECT_EQ(MatchInText("aaa", "aa", true), -1);
    EXPECT_EQ(MatchInText("x.aa.y", "aa", true), 2);
    EXPECT_EQ(MatchInText("abc", "", false), -1); // an empty text is never found
    EXPECT_EQ(MatchInText("ab", "abc", false), -1);
}

class SearchInBuffer : public ::testing::Test {
protected:
    void SetUp() override {
        Fill(buffer_, {"select a from t1;",  // 0
                       "",                   // 1
                       "select b, ab from t2;", // 2
                       "SELECT c FROM t3;"});    // 3
    }
    bool Find(std::string_view text, TextPosition start, uint32_t flags, bool wrap) {
        return FindText(buffer_, text, start, flags, wrap, found_);
    }
    CTextBuffer buffer_;
    TextPosition found_{-1, -1};
};

TEST_F(SearchInBuffer, DownwardsWrapsRoundOnceFromTheTop) {
    ASSERT_TRUE(Find("from", {0, 1}, FIND_MATCH_CASE, false));
    EXPECT_EQ(found_, (TextPosition{13, 2}));
    ASSERT_TRUE(Find("from", {14, 2}, FIND_MATCH_CASE, true)); // past the last: round to line 0
    EXPECT_EQ(found_, (TextPosition{9, 0}));
    EXPECT_FALSE(Find("from", {14, 2}, FIND_MATCH_CASE, false));
    EXPECT_FALSE(Find("nowhere", {0, 0}, 0, true));
    ASSERT_TRUE(Find("select", {0, 0}, FIND_MATCH_CASE, false)); // at the start position itself
    EXPECT_EQ(found_, (TextPosition{0, 0}));
}

TEST_F(SearchInBuffer, UpwardsTheCurrentLineComesFirstThenTheLinesAbove) {
    // On the current line a match right of the caret counts before any above it.
    ASSERT_TRUE(Find("t", {6, 2}, FIND_UP | FIND_MATCH_CASE, false));
    EXPECT_EQ(found_, (TextPosition{18, 2}));
    // Lines above are searched whole; the first match in a line counts.
    ASSERT_TRUE(Find("select", {1, 2}, FIND_UP | FIND_MATCH_CASE, false));
    EXPECT_EQ(found_, (TextPosition{0, 0}));
    // Past the first line the search goes on from the last one, once.
    EXPECT_FALSE(Find("SELECT", {3, 0}, FIND_UP | FIND_MATCH_CASE, false));
    ASSERT_TRUE(Find("SELECT", {3, 0}, FIND_UP | FIND_MATCH_CASE, true));
    EXPECT_EQ(found_, (TextPosition{0, 3}));
    EXPECT_FALSE(Find("missing", {3, 0}, FIND_UP, true));
}

TEST_F(SearchInBuffer, CaseFoldsUnlessItMustMatch) {
    ASSERT_TRUE(Find("from t3", {0, 0}, 0, false));
    EXPECT_EQ(found_, (TextPosition{9, 3}));
    EXPECT_FALSE(Find("from t3", {0, 0}, FIND_MATCH_CASE, false));
    ASSERT_TRUE(Find("SELECT", {1, 0}, 0, false));
    EXPECT_EQ(found_, (TextPosition{0, 2}));
}

TEST_F(SearchInBuffer, WholeWordSkipsPartsOfWordsEvenWhenStartingInsideOne) {
    ASSERT_TRUE(Find("b", {0, 2}, FIND_WHOLE_WORD, false));
    EXPECT_EQ(found_, (TextPosition{7, 2}));
    ASSERT_TRUE(Find("ab", {0, 0}, FIND_WHOLE_WORD, false));
    EXPECT_EQ(found_, (TextPosition{10, 2}));
    // From inside "select" the tail "ect" is not a word of its own.
    EXPECT_FALSE(Find("ect", {3, 0}, FIND_WHOLE_WORD, false));
    ASSERT_TRUE(Find("ect", {3, 0}, 0, false));
    EXPECT_EQ(found_, (TextPosition{3, 0}));
}

TEST_F(SearchInBuffer, ABlockSearchStaysInsideTheBlock) {
    const TextPosition begin{7, 2};
    const TextPosition end{12, 2}; // "b, ab"
    TextPosition found;
    EXPECT_TRUE(FindInBlock(buffer_, "ab", {0, 0}, begin, end, 0, false, found)); // start moves to the begin
    EXPECT_EQ(found, (TextPosition{10, 2}));
    EXPECT_FALSE(FindInBlock(buffer_, "from", begin, begin, end, 0, true, found));
    // A match that starts inside but ends beyond the block is not in it.
    EXPECT_FALSE(FindInBlock(buffer_, "ab f", begin, begin, end, 0, true, found));
    ASSERT_TRUE(FindInBlock(buffer_, "b", {9, 2}, begin, end, 0, true, found)); // wraps to the begin
    EXPECT_EQ(found, (TextPosition{11, 2}));
    ASSERT_TRUE(FindInBlock(buffer_, "b", {12, 2}, begin, end, 0, true, found));
    EXPECT_EQ(found, (TextPosition{7, 2}));
    EXPECT_FALSE(FindInBlock(buffer_, "b", begin, begin, begin, 0, true, found)); // empty block
    // Over several lines, the block's last line is cut at the block end.
    ASSERT_TRUE(FindInBlock(buffer_, "from", {0, 0}, {10, 0}, {4, 3}, 0, false, found));
    EXPECT_EQ(found, (TextPosition{13, 2}));
    EXPECT_FALSE(FindInBlock(buffer_, "from t3", {14, 2}, {10, 0}, {15, 3}, 0, false, found));
}

// The Replace dialog's loop, over the buffer: replace, move past the inserted text, search again.
int ReplaceAll(CTextBuffer& buffer, std::string_view what, std::string_view with, TextPosition begin,
               TextPosition& end) {
    int count = 0;
    TextPosition from = begin;
    TextPosition found;
    while (FindInBlock(buffer, what, from, begin, end, FIND_MATCH_CASE, false, found)) {
        const int32_t endX = found.x + static_cast<int32_t>(what.size());
        EXPECT_TRUE(buffer.Delete(nullptr, found.y, found.x, found.y, endX, ACT_DELETE_SELECTION));
        int32_t endLine = 0;
        int32_t endChar = 0;
        EXPECT_TRUE(buffer.Insert(nullptr, found.y, found.x, with, endLine, endChar, ACT_REPLACE));
        if (end.y == found.y && end.x > found.x)
            end.x += static_cast<int32_t>(with.size()) - static_cast<int32_t>(what.size());
        from = TextPosition{endChar, endLine};
        ++count;
    }
    return count;
}

TEST(SearchReplace, ReplacingResumesAfterTheInsertedText) {
    CTextBuffer buffer;
    Fill(buffer, {"aaa"});
    TextPosition end{3, 0};
    EXPECT_EQ(ReplaceAll(buffer, "a", "aa", {0, 0}, end), 3);
    EXPECT_EQ(Joined(buffer), "aaaaaa");
}

TEST(SearchReplace, AGrowingReplacementStillCoversTheWholeSelection) {
    CTextBuffer buffer;
    Fill(buffer, {"x a a a y a"});
    TextPosition end{7, 0}; // the selection "a a a" from x = 2
    EXPECT_EQ(ReplaceAll(buffer, "a", "bbb", {2, 0}, end), 3);
    EXPECT_EQ(Joined(buffer), "x bbb bbb bbb y a");
    EXPECT_EQ(end, (TextPosition{13, 0}));
}

} // namespace
} // namespace editor
