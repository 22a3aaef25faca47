#include "PaneGeometry.h"

#include <gtest/gtest.h>

using namespace widgets;

TEST(PaneGeometry, OuterSplitterKeepsTheUpperHeightAndTheGridAbsorbsResizes) {
    PaneGeometry outer(KeepPane::First, 300, 3);
    for (int length : {700, 900, 400}) {
        PaneLayout l = outer.Layout(length);
        EXPECT_EQ(l.first.start, 0);
        EXPECT_EQ(l.first.size, 300);
        EXPECT_EQ(l.bar.start, 300);
        EXPECT_EQ(l.bar.size, 3);
        EXPECT_EQ(l.second.start, 303);
        EXPECT_EQ(l.second.size, length - 303);
    }
    // Too little room: the kept pane is limited to what there is; nothing goes negative.
    PaneLayout small = outer.Layout(200);
    EXPECT_EQ(small.first.size, 197);
    EXPECT_EQ(small.second.size, 0);
    PaneLayout tiny = outer.Layout(2);
    EXPECT_EQ(tiny.first.size, 0);
    EXPECT_EQ(tiny.bar.size, 2);
    EXPECT_EQ(tiny.second.size, 0);
    PaneLayout none = outer.Layout(-5);
    EXPECT_EQ(none.first.size + none.bar.size + none.second.size, 0);
}

TEST(PaneGeometry, InnerSplitterKeepsTheOutputListHeight) {
    PaneGeometry inner(KeepPane::Second, 48, 1);
    PaneLayout l = inner.Layout(301);
    EXPECT_EQ(l.bar.start, 252);
    EXPECT_EQ(l.second.size, 48);
    l = inner.Layout(500);
    EXPECT_EQ(l.first.size, 451);
    EXPECT_EQ(l.second.start, 452);
    EXPECT_EQ(l.second.size, 48);
}

TEST(PaneGeometry, DraggingReplacesTheKeptSize) {
    PaneGeometry inner(KeepPane::Second, 48, 1);
    inner.DragBarTo(200, 301); // output list now 100 high
    EXPECT_EQ(inner.KeptSize(), 100);
    EXPECT_EQ(inner.Layout(601).second.size, 100);
    inner.DragBarTo(-40, 301); // beyond the top: the text pane shrinks to nothing
    EXPECT_EQ(inner.Layout(301).first.size, 0);
    inner.DragBarTo(1000, 301); // beyond the bottom: the list shrinks to nothing
    EXPECT_EQ(inner.KeptSize(), 0);

    PaneGeometry outer(KeepPane::First, 300, 3);
    outer.DragBarTo(120, 700);
    EXPECT_EQ(outer.Layout(900).first.size, 120);
}

TEST(PaneGeometry, AHiddenPaneLeavesEverythingToTheOtherAndTheStoredSizeReturns) {
    PaneGeometry outer(KeepPane::First, 300, 3);
    outer.SetHidden(1, true);
    PaneLayout l = outer.Layout(700);
    EXPECT_TRUE(l.first.visible);
    EXPECT_EQ(l.first.size, 700);
    EXPECT_FALSE(l.bar.visible);
    EXPECT_FALSE(l.second.visible);
    outer.SetHidden(1, false);
    outer.SetHidden(0, true);
    l = outer.Layout(700);
    EXPECT_FALSE(l.first.visible);
    EXPECT_EQ(l.second.start, 0);
    EXPECT_EQ(l.second.size, 700);
    outer.SetHidden(0, false);
    EXPECT_EQ(outer.Layout(700).first.size, 300);
    outer.SetHidden(0, true);
    outer.SetHidden(1, true);
    l = outer.Layout(700);
    EXPECT_FALSE(l.first.visible || l.second.visible || l.bar.visible);
}
