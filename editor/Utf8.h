// Characters in a line of bytes. Text positions are byte offsets; the view draws a line decoded as
// UTF-8 and must never put the caret, a selection end or a deletion boundary inside a sequence.
//
// A character is either one well-formed UTF-8 sequence (shortest form, no surrogates, at most
// U+10FFFF) or a single byte that does not begin one, which stands for the Latin-1 character of that
// byte. So every byte string is a valid sequence of characters, and decoding never fails.
//
// Offsets are int32_t like the rest of the text positions; a line longer than INT32_MAX bytes is
// treated as if it ended there. Offsets outside the line are clamped to 0 .. length.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace editor::utf8 {

// The number of bytes of the character that begins at `offset` (1 to 4), as if a character began
// there; 0 at or past the end.
int32_t SequenceLength(std::string_view line, int32_t offset);

// The code point of the character that begins at `offset` (U+0000 at or past the end); `length`, when
// given, receives its byte count.
char32_t DecodeAt(std::string_view line, int32_t offset, int32_t* length = nullptr);

// The start of the character that contains byte `offset`; the line's length at or past the end.
int32_t CharStart(std::string_view line, int32_t offset);

// True if `offset` is 0, the line's length, or the first byte of a character.
bool IsCharBoundary(std::string_view line, int32_t offset);

// The first boundary after `offset` (the line's length at the end): one character to the right.
int32_t NextCharBoundary(std::string_view line, int32_t offset);

// The last boundary before `offset` (0 at the start): one character to the left.
int32_t PrevCharBoundary(std::string_view line, int32_t offset);

// The number of characters in the line.
int32_t CharCount(std::string_view line);

// The index of the character that begins at `byteOffset` (an offset inside a character counts as that
// character's); the line's character count at or past the end.
int32_t CharIndexOfByte(std::string_view line, int32_t byteOffset);

// The byte offset of character `charIndex`; the line's length for an index at or past the end.
int32_t ByteOfCharIndex(std::string_view line, int32_t charIndex);

// The line's characters as code points. With `offsets`, it receives each character's byte offset plus
// one final entry for the line's length (so offsets has one entry more than the result).
std::u32string Decode(std::string_view line, std::vector<int32_t>* offsets = nullptr);

} // namespace editor::utf8
