#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ParseStateCache.h"
#include "SqlScanner.h"

namespace editor {
namespace {

class VectorLines : public LineSource {
public:
    explicit VectorLines(std::vector<std::string> lines) : lines(std::move(lines)) {}
    int32_t LineCount() const override { return static_cast<int32_t>(lines.size()); }
    std::string_view LineText(int32_t line) const override { return lines[static_cast<std::size_t>(line)]; }
    std::vector<std::string> lines;
};

// Records which lines the cache scans, to show that it neither rescans what it knows nor skips
// what it has forgotten. Lines of this source hold their own index as text.
std::vector<int> scanned;
ParseState CountingScan(ParseState state, std::string_view line, ColourRuns* runs) {
    scanned.push_back(std::stoi(std::string(line)));
    return ScanLine(state, "", runs) | state;
}

VectorLines NumberedLines(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(std::to_string(i));
    return VectorLines(std::move(lines));
}

// The reference: every start state by scanning from line 0.
std::vector<ParseState> FullScan(const VectorLines& text) {
    std::vector<ParseState> states{0};
    for (const std::string& line : text.lines)
        states.push_back(ScanLine(states.back(), line, nullptr));
    return states;
}

TEST(ParseStateCache, StatesFollowCommentsAcrossLines) {
    VectorLines text({"select 1 from dual;", "/* opens", "inside 'x", "", "closes */ select", "x"});
    ParseStateCache cache;
    EXPECT_EQ(cache.StateAt(text, 5), 0u);
    EXPECT_EQ(cache.KnownLineCount(), 6);
    const ParseState expected[] = {0, 0, PS_BLOCK_COMMENT, PS_BLOCK_COMMENT, PS_BLOCK_COMMENT, 0, 0};
    for (int line = 0; line <= 6; ++line)
        EXPECT_EQ(cache.StateAt(text, line), expected[line]) << line;
    ColourRuns runs;
    EXPECT_EQ(cache.ScanWithRuns(text, 4, runs), 0u);
    EXPECT_EQ(runs.ColourAt(0), CI_COMMENT);
    EXPECT_EQ(runs.ColourAt(10), CI_KEYWORD);
}

TEST(ParseStateCache, ChangingTheOpeningLineChangesOnlyLaterStates) {
    VectorLines text({"a", "b /* open", "c", "d", "e */", "f"});
    ParseStateCache cache;
    EXPECT_EQ(cache.StateAt(text, 3), PS_BLOCK_COMMENT);
    EXPECT_EQ(cache.StateAt(text, 6), 0u);

    text.lines[1] = "b -- no longer";
    cache.InvalidateFrom(1);
    EXPECT_EQ(cache.KnownLineCount(), 2); // lines 0 and 1 keep their start states
    EXPECT_EQ(cache.StateAt(text, 2), 0u);
    EXPECT_EQ(cache.StateAt(text, 3), 0u);
    EXPECT_EQ(cache.StateAt(text, 5), 0u);

    text.lines[0] = "/* now here";
    cache.InvalidateFrom(0);
    EXPECT_EQ(cache.StateAt(text, 0), 0u);
    EXPECT_EQ(cache.StateAt(text, 1), PS_BLOCK_COMMENT);
    EXPECT_EQ(cache.StateAt(text, 4), PS_BLOCK_COMMENT);
    EXPECT_EQ(cache.StateAt(text, 5), 0u); // "e */" closes it
}

TEST(ParseStateCache, CatchesUpFromTheLastKnownLineOnly) {
    VectorLines text = NumberedLines(300);
    ParseStateCache cache(&CountingScan);
    scanned.clear();
    cache.StateAt(text, 100);
    ASSERT_EQ(scanned.size(), 100u);
    EXPECT_EQ(scanned.front(), 0);
    EXPECT_EQ(scanned.back(), 99);

    scanned.clear();
    cache.StateAt(text, 40); // known: no scan at all
    EXPECT_TRUE(scanned.empty());
    cache.StateAt(text, 150);
    ASSERT_EQ(scanned.size(), 50u);
    EXPECT_EQ(scanned.front(), 100);

    scanned.clear();
    cache.InvalidateFrom(60);
    cache.StateAt(text, 70);
    ASSERT_EQ(scanned.size(), 10u); // lines 60 .. 69: line 60 changed, its start state did not
    EXPECT_EQ(scanned.front(), 60);

    // Drawing lines in order stores each end state, so the next line needs no catch-up.
    scanned.clear();
    ColourRuns runs;
    cache.ScanWithRuns(text, 70, runs);
    cache.ScanWithRuns(text, 71, runs);
    cache.StateAt(text, 72);
    EXPECT_EQ(scanned, (std::vector<int>{70, 71}));
}

TEST(ParseStateCache, OutOfRangeLinesAndEmptyText) {
    VectorLines text({"/* a", "b"});
    ParseStateCache cache;
    EXPECT_EQ(cache.StateAt(text, -7), 0u);
    EXPECT_EQ(cache.StateAt(text, 2), PS_BLOCK_COMMENT); // after the last line
    EXPECT_EQ(cache.StateAt(text, 1000), PS_BLOCK_COMMENT);
    ColourRuns runs;
    runs.Add(0, CI_KEYWORD);
    EXPECT_EQ(cache.ScanWithRuns(text, 2, runs), 0u);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(cache.ScanWithRuns(text, -1, runs), 0u);

    VectorLines empty({});
    ParseStateCache emptyCache;
    EXPECT_EQ(emptyCache.StateAt(empty, 5), 0u);
    emptyCache.InvalidateFrom(-1);
    emptyCache.InvalidateFrom(1 << 30);
    EXPECT_EQ(emptyCache.KnownLineCount(), 1);
    cache.Reset();
    EXPECT_EQ(cache.KnownLineCount(), 1);
    EXPECT_EQ(cache.StateAt(text, 1), PS_BLOCK_COMMENT);
}

// Random edits (changed, inserted and removed lines) each followed by the invalidation a view makes,
// with reads in between: the cache must always agree with a scan from the top.
TEST(ParseStateCache, AgreesWithFullScanThroughRandomEdits) {
    const std::string pieces[] = {"select x", "/* c", "c */", "'q", "q'", "x\\", "-- r", "", "\"d", "a*/b/*"};
    std::mt19937 random(77);
    VectorLines text({});
    for (int i = 0; i < 40; ++i)
        text.lines.push_back(pieces[random() % std::size(pieces)]);
    ParseStateCache cache;
    ColourRuns runs;
    for (int round = 0; round < 3000; ++round) {
        const int count = text.LineCount();
        const int at = count == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(count));
        switch (random() % 3) {
        case 0:
            if (count > 0)
                text.lines[static_cast<std::size_t>(at)] = pieces[random() % std::size(pieces)];
            break;
        case 1:
            text.lines.insert(text.lines.begin() + at, pieces[random() % std::size(pieces)]);
            break;
        default:
            if (count > 1)
                text.lines.erase(text.lines.begin() + at);
            break;
        }
        cache.InvalidateFrom(at);
        const std::vector<ParseState> truth = FullScan(text);
        for (int probe = 0; probe < 3; ++probe) {
            const int line = static_cast<int>(random() % (truth.size()));
            ASSERT_EQ(cache.StateAt(text, line), truth[static_cast<std::size_t>(line)])
                << "round " << round << " line " << line;
        }
        if (text.LineCount() > 0) {
            const int line = static_cast<int>(random() % static_cast<unsigned>(text.LineCount()));
            ASSERT_EQ(cache.ScanWithRuns(text, line, runs), truth[static_cast<std::size_t>(line) + 1]);
        }
    }
}

} // namespace
} // namespace editor
