// Search matching: plain and whole-word matching in one text, and the block search in both directions
// with wrap, case folding and block bounds.
#include "BufferTestSupport.h"
#include "TextSearch.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST_F(SearchInBuffer, GoingRoundReachesTheStartLineItselfInBothDirections) {
    // Down from the middle of line 2: its own earlier "select" is found only after going round, and
    // before line 2's later text is reached again.
    ASSERT_TRUE(Find("select", {5, 2}, FIND_MATCH_CASE, true));
    EXPECT_EQ(found_, (TextPosition{0, 0}));
    ASSERT_TRUE(Find("b,", {9, 2}, FIND_MATCH_CASE, true)); // only left of the start
    EXPECT_EQ(found_, (TextPosition{7, 2}));
    // Up from the end of line 2: round from the last line down to line 2, searched whole this time.
    ASSERT_TRUE(Find("t2", {21, 2}, FIND_UP | FIND_MATCH_CASE, true));
    EXPECT_EQ(found_, (TextPosition{18, 2}));
    EXPECT_FALSE(Find("t2", {21, 2}, FIND_UP | FIND_MATCH_CASE, false));
}

TEST(SearchWords, WholeWordsAtTheStartAndEndOfLines) {
    CTextBuffer buffer;
    Fill(buffer, {"ab", "x ab", "ab x", "abab", "_ab", "ab_"});
    TextPosition found;
    std::vector<TextPosition> all;
    TextPosition from{0, 0};
    while (FindText(buffer, "ab", from, FIND_WHOLE_WORD, false, found)) {
        all.push_back(found);
        from = TextPosition{found.x + 1, found.y};
    }
    EXPECT_EQ(all, (std::vector<TextPosition>{{0, 0}, {2, 1}, {0, 2}}));
}

TEST(SearchUtf8, MatchesStartAndEndOnCharacters) {
    CTextBuffer buffer;
    // "é" is C3 A9; a stray C3 (no continuation after it) is a character of its own.
    Fill(buffer, {"caf\xC3\xA9 CAF\xC3\x89", "\xC3x \xC3\xC3\xA9"});
    TextPosition found;
    ASSERT_TRUE(FindText(buffer, "\xC3\xA9", {0, 0}, 0, false, found));
    EXPECT_EQ(found, (TextPosition{3, 0}));
    // Case folding turns a-z only: "É" is not "é", and "CAFÉ" is found only as "CAFÉ".
    ASSERT_TRUE(FindText(buffer, "caf\xC3\x89", {0, 0}, 0, false, found));
    EXPECT_EQ(found, (TextPosition{6, 0}));
    EXPECT_FALSE(FindText(buffer, "caf\xC3\xA9 caf\xC3\xA9", {0, 0}, 0, false, found));
    // A text that is only a lead byte finds the stray bytes, never the first half of "é".
    ASSERT_TRUE(FindText(buffer, "\xC3", {0, 0}, FIND_MATCH_CASE, false, found));
    EXPECT_EQ(found, (TextPosition{0, 1}));
    ASSERT_TRUE(FindText(buffer, "\xC3", {1, 1}, FIND_MATCH_CASE, false, found));
    EXPECT_EQ(found, (TextPosition{3, 1}));
    EXPECT_FALSE(FindText(buffer, "\xC3", {4, 1}, FIND_MATCH_CASE, false, found));
    // A continuation byte alone never matches inside a character.
    EXPECT_FALSE(FindText(buffer, "\xA9", {0, 0}, FIND_MATCH_CASE, true, found));
    // "é" after a stray lead byte: the match starts on the character after it.
    ASSERT_TRUE(FindText(buffer, "\xC3\xA9", {0, 1}, 0, false, found));
    EXPECT_EQ(found, (TextPosition{4, 1}));
    // Bytes whose low seven bits spell a-z but whose high bit is set are no letters: 0xE1 is not
    // folded onto 0xC1 (both stray bytes here, in a line long enough to be folded in words).
    CTextBuffer strays;
    Fill(strays, {"0123456789 \xC1 abcdefghijklmnopqrstuvwxyz \xE1 end"});
    ASSERT_TRUE(FindText(strays, "\xE1 END", {0, 0}, 0, false, found));
    EXPECT_EQ(found, (TextPosition{40, 0}));
    ASSERT_TRUE(FindText(strays, "\xC1 ABCDEFGHIJKLMNOPQRSTUVWXYZ", {0, 0}, 0, false, found));
    EXPECT_EQ(found, (TextPosition{11, 0}));
    EXPECT_FALSE(FindText(strays, "\xC1 END", {0, 0}, 0, false, found));
    EXPECT_EQ(NotFoundMessage("caf\xC3\xA9"), "Cannot find the string\"caf\xC3\xA9\"");
}

} // namespace
} // namespace editor
