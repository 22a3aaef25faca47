// Random edits against a plain model of the text: after every step the buffer must equal the model, every
// Undo must give back the text before the step it reverts, and Redo must walk forward again to the end.
#include "BufferTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace editor {
namespace {

using Text = std::vector<std::string>;

// The insertion rules in their plainest form: CR or CR LF ends a line, the text ends at a NUL.
void ModelInsert(Text& text, int32_t line, int32_t x, const std::string& what, TextPosition& end) {
    std::string tail = text[line].substr(static_cast<size_t>(x));
    text[line].resize(static_cast<size_t>(x));
    size_t y = static_cast<size_t>(line);
    for (size_t i = 0; i < what.size() && what[i] != '\0'; ++i) {
        if (what[i] == '\r') {
            if (i + 1 < what.size() && what[i + 1] == '\n')
                ++i;
            text.insert(text.begin() + static_cast<long>(++y), std::string());
        } else {
            text[y] += what[i];
        }
    }
    end = TextPosition{static_cast<int32_t>(text[y].size()), static_cast<int32_t>(y)};
    text[y] += tail;
}

void ModelDelete(Text& text, TextPosition start, TextPosition end) {
    std::string joined = text[start.y].substr(0, static_cast<size_t>(start.x)) + text[end.y].substr(static_cast<size_t>(end.x));
    text.erase(text.begin() + start.y + 1, text.begin() + end.y + 1);
    text[start.y] = joined;
}

class RandomEdits {
public:
    explicit RandomEdits(uint32_t seed) : random_(seed) {}

    std::string SomeText() {
        static const char* const pieces[] = {"a", "b", "xyz", " ", "\t", "\r\n", "\r", "\n", "é", "_1"};
        std::string text = pieces[Below(3)]; // never empty, never a NUL first
        for (int n = static_cast<int>(Below(6)); n > 0; --n)
            text += pieces[Below(10)];
        if (Below(20) == 0)
            text += std::string("\0cut", 4);
        if (Below(15) == 0)
            text += std::string(40 + Below(60), 'w');
        return text;
    }
    TextPosition SomePosition(const Text& text) {
        int32_t y = static_cast<int32_t>(Below(static_cast<uint32_t>(text.size())));
        return TextPosition{static_cast<int32_t>(Below(static_cast<uint32_t>(text[y].size()) + 1)), y};
    }
    // A non-empty range over at most four lines.
    bool SomeRange(const Text& text, TextPosition& start, TextPosition& end) {
        start = SomePosition(text);
        int32_t y = std::min(static_cast<int32_t>(text.size()) - 1, start.y + static_cast<int32_t>(Below(4)));
        int32_t from = y == start.y ? start.x : 0;
        end = TextPosition{from + static_cast<int32_t>(Below(static_cast<uint32_t>(text[y].size()) - from + 1)), y};
        return end != start;
    }
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(random_() % n); }

private:
    std::mt19937 random_;
};

void RunRandomEdits(CTextBuffer& buffer, uint32_t seed, int groups) {
    RandomEdits random(seed);
    std::vector<Text> states{test::Lines(buffer)}; // the text after each group still in the history
    std::vector<Text> redoStates;
    for (int g = 0; g < groups; ++g) {
        SCOPED_TRACE(g);
        TextPosition cursor;
        const uint32_t roll = random.Below(100);
        if (roll < 6 && buffer.HasUndo()) {
            ASSERT_TRUE(buffer.Undo(cursor));
            redoStates.push_back(states.back());
            states.pop_back();
            ASSERT_EQ(test::Lines(buffer), states.back());
            continue;
        }
        if (roll < 9 && buffer.HasRedo()) {
            ASSERT_TRUE(buffer.Redo(cursor));
            states.push_back(redoStates.back());
            redoStates.pop_back();
            ASSERT_EQ(test::Lines(buffer), states.back());
            continue;
        }
        Text model = states.back();
        const bool merge = roll < 20 && buffer.UndoPosition() > 0;
        const int changes = 1 + static_cast<int>(random.Below(3));
        if (changes > 1 || merge)
            buffer.OpenUndoGroup(merge);
        for (int c = 0; c < changes; ++c) {
            TextPosition start;
            TextPosition end;
            if (random.Below(2) == 0 && random.SomeRange(model, start, end)) {
                ASSERT_TRUE(buffer.Delete(nullptr, start.y, start.x, end.y, end.x, ACT_DELETE));
                ModelDelete(model, start, end);
            } else {
                start = random.SomePosition(model);
                std::string text = random.SomeText();
                int32_t endLine = 0;
                int32_t endChar = 0;
                ASSERT_TRUE(buffer.Insert(nullptr, start.y, start.x, text, endLine, endChar, ACT_PASTE));
                ModelInsert(model, start.y, start.x, text, end);
                ASSERT_EQ((TextPosition{endChar, endLine}), end);
            }
        }
        if (changes > 1 || merge)
            buffer.CloseUndoGroup(nullptr);
        if (merge)
            states.back() = model;
        else
            states.push_back(model);
        redoStates.clear();
        ASSERT_EQ(test::Lines(buffer), model);
        ASSERT_TRUE(buffer.IsConsistent());
    }

    // Everything the buffer can redo from the original text, in order: the steps in the history, then
    // the steps undone at the end of the run and not made again.
    std::vector<Text> forward(states.begin() + 1, states.end());
    forward.insert(forward.end(), redoStates.rbegin(), redoStates.rend());
    TextPosition cursor;
    for (size_t k = states.size() - 1; k > 0; --k) {
        ASSERT_TRUE(buffer.Undo(cursor));
        ASSERT_EQ(test::Lines(buffer), states[k - 1]);
    }
    ASSERT_FALSE(buffer.HasUndo());
    for (const Text& text : forward) {
        ASSERT_TRUE(buffer.Redo(cursor));
        ASSERT_EQ(test::Lines(buffer), text);
    }
    ASSERT_FALSE(buffer.HasRedo());
    EXPECT_TRUE(buffer.IsConsistent());
}

TEST(BufferProperty, UndoingEverythingRestoresTheOriginalAndRedoingReachesTheEnd) {
    for (uint32_t seed : {1u, 7u, 42u, 1234u, 99991u}) {
        SCOPED_TRACE(seed);
        CTextBuffer buffer;
        test::Fill(buffer, {"select a, b", "  from t", "", "where a = 1;"});
        RunRandomEdits(buffer, seed, 300);
    }
}

TEST(BufferProperty, TheSameHoldsForALoadedTextWithCrInsideItsLines) {
    test::TempDir dir;
    test::WriteFile(dir.File("cr.sql"), "select 1\r\r\nfrom\rdual\r\n\r\n  x\r\r\r\ny\n\rz\r");
    for (uint32_t seed : {3u, 77u, 2024u}) {
        SCOPED_TRACE(seed);
        CTextBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(dir.File("cr.sql")));
        ASSERT_EQ(buffer.LineCount(), 4);
        RunRandomEdits(buffer, seed, 300);
    }
}

} // namespace
} // namespace editor
