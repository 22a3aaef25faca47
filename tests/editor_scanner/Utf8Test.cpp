#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Utf8.h"

namespace editor::utf8 {
namespace {

// The boundaries of a line by walking forward with NextCharBoundary.
std::vector<int32_t> ForwardBoundaries(std::string_view line) {
    std::vector<int32_t> at{0};
    while (at.back() < static_cast<int32_t>(line.size()))
        at.push_back(NextCharBoundary(line, at.back()));
    return at;
}

TEST(Utf8, MultiByteCharactersMoveAsOne) {
    // a, e-acute (2 bytes), euro sign (3), grinning face (4), b
    const std::string line = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80" "b";
    EXPECT_EQ(ForwardBoundaries(line), (std::vector<int32_t>{0, 1, 3, 6, 10, 11}));
    const std::vector<int32_t> back = {11, 10, 6, 3, 1, 0};
    for (std::size_t k = 0; k + 1 < back.size(); ++k)
        EXPECT_EQ(PrevCharBoundary(line, back[k]), back[k + 1]) << back[k];
    EXPECT_EQ(PrevCharBoundary(line, 0), 0);
    EXPECT_EQ(NextCharBoundary(line, 11), 11);

    // Offsets inside a character: moves still land on boundaries.
    EXPECT_EQ(CharStart(line, 2), 1);
    EXPECT_EQ(CharStart(line, 9), 6);
    EXPECT_EQ(NextCharBoundary(line, 7), 10);
    EXPECT_EQ(PrevCharBoundary(line, 8), 6);
    EXPECT_FALSE(IsCharBoundary(line, 4));
    EXPECT_TRUE(IsCharBoundary(line, 6));

    EXPECT_EQ(Decode(line), U"a\u00E9\u20AC\U0001F600b");
    EXPECT_EQ(CharCount(line), 5);
    EXPECT_EQ(CharIndexOfByte(line, 6), 3);
    EXPECT_EQ(CharIndexOfByte(line, 8), 3); // inside the face: its index
    EXPECT_EQ(CharIndexOfByte(line, 11), 5);
    EXPECT_EQ(ByteOfCharIndex(line, 3), 6);
    EXPECT_EQ(ByteOfCharIndex(line, 5), 11);
    EXPECT_EQ(ByteOfCharIndex(line, 99), 11);
}

TEST(Utf8, InvalidBytesAreSingleLatin1Characters) {
    struct Case {
        std::string bytes;
        std::u32string chars;
    };
    const Case cases[] = {
        {"\xFF", U"\u00FF"},
        {"\x80x", U"\u0080x"},                            // lone continuation byte
        {"\xE2\x82" "a", U"\u00E2\u0082a"},               // sequence cut short
        {"ab\xE2\x82", U"ab\u00E2\u0082"},                // cut short by the line's end
        {"\xC0\xAF", U"\u00C0\u00AF"},                    // overlong form of '/'
        {"\xE0\x80\xAF", U"\u00E0\u0080\u00AF"},          // overlong three-byte form
        {"\xED\xA0\x80", U"\u00ED\u00A0\u0080"},          // surrogate
        {"\xF4\x90\x80\x80", U"\u00F4\u0090\u0080\u0080"}, // above U+10FFFF
        {"\xC3\xA9\x80", U"\u00E9\u0080"},                // a stray continuation after a good character
        {"\xF0\x9F\x98\x80\x80\x80", U"\U0001F600\u0080\u0080"},
        {std::string("a\0b", 3), std::u32string(U"a\0b", 3)},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> offsets;
        EXPECT_EQ(Decode(c.bytes, &offsets), c.chars) << c.bytes;
        EXPECT_EQ(offsets, ForwardBoundaries(c.bytes)) << c.bytes;
        EXPECT_EQ(CharCount(c.bytes), static_cast<int32_t>(c.chars.size())) << c.bytes;
    }
    // The stray continuation byte after e-acute is a character of its own, not part of the e.
    const std::string stray = "\xC3\xA9\x80";
    EXPECT_EQ(CharStart(stray, 2), 2);
    EXPECT_EQ(PrevCharBoundary(stray, 3), 2);
    EXPECT_EQ(PrevCharBoundary(stray, 2), 0);
    int32_t length = 0;
    EXPECT_EQ(DecodeAt(stray, 2, &length), U'\u0080');
    EXPECT_EQ(length, 1);
}

TEST(Utf8, OffsetsOutsideTheLineAreClamped) {
    const std::string line = "\xC3\xA9z";
    EXPECT_EQ(NextCharBoundary(line, -4), 0);
    EXPECT_EQ(NextCharBoundary(line, 40), 3);
    EXPECT_EQ(PrevCharBoundary(line, 40), 3);
    EXPECT_EQ(PrevCharBoundary(line, -1), 0);
    EXPECT_EQ(CharIndexOfByte(line, -3), 0);
    EXPECT_EQ(ByteOfCharIndex(line, -3), 0);
    EXPECT_EQ(SequenceLength(line, 3), 0);
    EXPECT_EQ(DecodeAt(line, 9), U'\0');
    EXPECT_EQ(ForwardBoundaries(""), (std::vector<int32_t>{0}));
    EXPECT_EQ(Decode(""), U"");
}

// On random bytes, weighted towards the troublesome ones, every helper must agree with the one
// forward decoding: Prev walks the same boundaries back, CharStart snaps to the last boundary at or
// before an offset, and the index mapping round-trips.
TEST(Utf8, HelpersAgreeOnRandomBytes) {
    const unsigned char interesting[] = {'a', ' ', 0x80, 0x9F, 0xBF, 0xC0, 0xC2, 0xDF, 0xE0,
                                         0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0xA0, 0x90, 0x8F};
    std::mt19937 random(4242);
    for (int round = 0; round < 5000; ++round) {
        std::string line;
        const int n = static_cast<int>(random() % 12);
        for (int k = 0; k < n; ++k)
            line += static_cast<char>(interesting[random() % std::size(interesting)]);
        std::vector<int32_t> offsets;
        const std::u32string chars = Decode(line, &offsets);
        ASSERT_EQ(offsets, ForwardBoundaries(line));
        ASSERT_EQ(offsets.size(), chars.size() + 1);
        for (std::size_t k = offsets.size() - 1; k > 0; --k)
            ASSERT_EQ(PrevCharBoundary(line, offsets[k]), offsets[k - 1]);
        std::size_t k = 0;
        for (int32_t at = 0; at <= static_cast<int32_t>(line.size()); ++at) {
            while (k + 1 < offsets.size() && offsets[k + 1] <= at)
                ++k;
            ASSERT_EQ(CharStart(line, at), offsets[k]) << at;
            ASSERT_EQ(IsCharBoundary(line, at), offsets[k] == at);
            ASSERT_EQ(CharIndexOfByte(line, at), static_cast<int32_t>(k));
        }
        for (std::size_t c = 0; c < offsets.size(); ++c)
            ASSERT_EQ(ByteOfCharIndex(line, static_cast<int32_t>(c)), offsets[c]);
    }
}

} // namespace
} // namespace editor::utf8
