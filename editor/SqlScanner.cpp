// The SQL line scanner.
//
// The scan walks the line's bytes with index i = 0 .. length (the step at i = length only flushes a
// pending run). It keeps three locals besides the state:
//   redefine      a run with the state's colour is due at the top of the next step (true at i = 0);
//   fromPrevious  that run starts one byte back, at the delimiter that ended a word;
//   wordStart     start of the word being read, -1 when none is open.
// At the top of every step: if redefine, add run (fromPrevious ? i - 1 : i, ColourOfState(state)),
// clear both flags; stop at i = length. Then, for the byte c = line[i] (prev = line[i - 1], i >= 1):
//
//   state           byte                            action                               next state
//   --------------  ------------------------------  -----------------------------------  --------------
//   LINE_COMMENT    any                             run (i, COMMENT); stop               LINE_COMMENT
//   DQUOTE          '"', prev is no backslash       redefine                             state - DQUOTE
//   SQUOTE          '\'', prev is no backslash      redefine                             state - SQUOTE
//   BLOCK_COMMENT   '/', prev is '*'                redefine                             state - BLOCK
//   (in a string or block comment every other byte is skipped)
//   normal          '-', prev is '-'                run (i - 1, COMMENT); stop           LINE_COMMENT
//   normal          '"'                             run (i, STRING)                      DQUOTE
//   normal          '\''                            run (i, STRING)                      SQUOTE
//   normal          '*', prev is '/'                run (i - 1, COMMENT)                 BLOCK_COMMENT
//   normal          word byte       (runs only)     wordStart = i if no word is open     normal
//   normal          other byte      (runs only)     if a word is open: keyword ->        normal
//                                                   run (wordStart, KEYWORD), else number
//                                                   -> run (wordStart, NUMBER); then
//                                                   redefine, fromPrevious, wordStart = -1
//
// The first row that matches wins, in the order given. A quote or comment opener does not close an
// open word: the word then contains that byte and can be neither a keyword nor a number.
// After the walk a word still open is tested up to where the walk stopped.
// "prev" is simply the byte before, whatever it took part in: so "/*/" is a whole comment, and "*/*"
// closes one comment and opens the next.
// End state: an empty line keeps only BLOCK_COMMENT. Otherwise a line whose last byte is a backslash
// passes its whole state on; any other line passes on only BLOCK_COMMENT, so a line comment and an
// unterminated quote end with their line.
//
// Everything is decided on bytes. The bytes that matter are ASCII and never occur inside a multi-byte
// UTF-8 sequence, so a run never starts inside a character.
#include "SqlScanner.h"

#include <array>
#include <cstddef>
#include <cstring>

#include "SqlKeywords.h"

namespace editor {
namespace {

// Word bytes: ASCII letters and digits, underscore, full stop, and every byte of a multi-byte
// character, so that a non-ASCII letter continues a word instead of splitting a keyword off it.
constexpr std::uint8_t kWordByte = 0x1;   // continues or starts a word
constexpr std::uint8_t kStateByte = 0x2;  // may change the state outside strings and comments

constexpr std::array<std::uint8_t, 256> BuildClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '_' || c == '.' || c >= 0x80;
        const bool state = c == '-' || c == '"' || c == '\'' || c == '*';
        classes[static_cast<std::size_t>(c)] =
            static_cast<std::uint8_t>((word ? kWordByte : 0) | (state ? kStateByte : 0));
    }
    return classes;
}

constexpr std::array<std::uint8_t, 256> kClasses = BuildClasses();

constexpr bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

constexpr bool IsHexDigit(unsigned char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The end state only. Between the bytes that can change the state it jumps: memchr inside strings
// and comments, a class table outside them.
ParseState ScanEndState(ParseState state, const unsigned char* p, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
        if (state & PS_LINE_COMMENT)
            break;
        if (state & (PS_DQUOTE | PS_SQUOTE)) {
            const ParseState bit = (state & PS_DQUOTE) ? PS_DQUOTE : PS_SQUOTE;
            const unsigned char quote = bit == PS_DQUOTE ? '"' : '\'';
            const void* hit = std::memchr(p + i, quote, n - i);
            if (hit == nullptr)
                break;
            const std::size_t at = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - p);
            i = at + 1;
            if (!(at >= 1 && p[at - 1] == '\\'))
                state &= ~bit;
            continue;
        }
        if (state & PS_BLOCK_COMMENT) {
            const void* hit = std::memchr(p + i, '/', n - i);
            if (hit == nullptr)
                break;
            const std::size_t at = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - p);
            i = at + 1;
            if (at >= 1 && p[at - 1] == '*')
                state &= ~PS_BLOCK_COMMENT;
            continue;
        }
        while (i < n && !(kClasses[p[i]] & kStateByte))
            ++i;
        if (i == n)
            break;
        const unsigned char c = p[i];
        if (c == '-') {
            if (i >= 1 && p[i - 1] == '-') {
                state |= PS_LINE_COMMENT;
                break;
            }
        } else if (c == '"') {
            state |= PS_DQUOTE;
        } else if (c == '\'') {
            state |= PS_SQUOTE;
        } else if (i >= 1 && p[i - 1] == '/') { // c == '*'
            state |= PS_BLOCK_COMMENT;
        }
        ++i;
    }
    return p[n - 1] == '\\' ? state : (state & PS_BLOCK_COMMENT);
}

// The colour a run gets when it continues whatever the state says: comment, string or plain text.
int32_t ColourOfState(ParseState state) {
    if (state & (PS_LINE_COMMENT | PS_BLOCK_COMMENT))
        return CI_COMMENT;
    if (state & (PS_DQUOTE | PS_SQUOTE))
        return CI_STRING;
    return CI_NORMAL;
}

void AddWordRun(const unsigned char* p, std::size_t start, std::size_t end, ColourRuns& runs) {
    const std::string_view word(reinterpret_cast<const char*>(p + start), end - start);
    if (IsSqlKeyword(word))
        runs.Add(start, CI_KEYWORD);
    else if (IsSqlNumber(word))
        runs.Add(start, CI_NUMBER);
}

// The walk of the table above, producing runs. Stretches of steps that cannot do anything are jumped
// over: the inside of a string or comment up to the next candidate for its closing byte, the rest of
// a word once it is open, and plain delimiters while no word is open. A step there would only find
// nothing to flush (redefine is always flushed at the first step of such a stretch) and nothing to
// do with its byte, so the runs are exactly those of the byte-by-byte walk.
ParseState ScanWithRuns(ParseState state, const unsigned char* p, std::size_t n, ColourRuns& runs) {
    constexpr std::size_t kNoWord = static_cast<std::size_t>(-1);
    bool redefine = true;
    bool fromPrevious = false;
    std::size_t wordStart = kNoWord;
    std::size_t i = 0;
    std::size_t walkEnd = n;
    for (;;) {
        if (redefine) {
            // fromPrevious is only ever set at a delimiter, so i >= 1 here.
            runs.Add(fromPrevious ? i - 1 : i, ColourOfState(state));
            redefine = false;
            fromPrevious = false;
        }
        if (i == n)
            break;
        if (state != 0) {
            if (state & PS_LINE_COMMENT) {
                runs.Add(i, CI_COMMENT);
                walkEnd = i;
                break;
            }
            ParseState bit;
            unsigned char closer;
            unsigned char escape;
            if (state & PS_DQUOTE) {
                bit = PS_DQUOTE;
                closer = '"';
                escape = '\\';
            } else if (state & PS_SQUOTE) {
                bit = PS_SQUOTE;
                closer = '\'';
                escape = '\\';
            } else {
                bit = PS_BLOCK_COMMENT;
                closer = '/';
                escape = '*';
            }
            const void* hit = std::memchr(p + i, closer, n - i);
            if (hit == nullptr) {
                i = n;
                continue;
            }
            const std::size_t at = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - p);
            i = at + 1;
            // A quote closes unless a backslash precedes it; a slash closes only after an asterisk.
            const bool prevIsEscape = at >= 1 && p[at - 1] == escape;
            if (bit == PS_BLOCK_COMMENT ? prevIsEscape : !prevIsEscape) {
                state &= ~bit;
                redefine = true;
            }
            continue;
        }
        const unsigned char c = p[i];
        const std::uint8_t cls = kClasses[c];
        if (cls & kWordByte) {
            if (wordStart == kNoWord)
                wordStart = i;
            do
                ++i;
            while (i < n && (kClasses[p[i]] & kWordByte));
            continue;
        }
        if (cls & kStateByte) {
            if (c == '-' && i >= 1 && p[i - 1] == '-') {
                runs.Add(i - 1, CI_COMMENT);
                state |= PS_LINE_COMMENT;
                walkEnd = i;
                break;
            }
            if (c == '"' || c == '\'') {
                runs.Add(i, CI_STRING);
                state |= c == '"' ? PS_DQUOTE : PS_SQUOTE;
                ++i;
                continue;
            }
            if (c == '*' && i >= 1 && p[i - 1] == '/') {
                runs.Add(i - 1, CI_COMMENT);
                state |= PS_BLOCK_COMMENT;
                ++i;
                continue;
            }
            // A lone hyphen or asterisk is an ordinary delimiter.
        }
        ++i;
        if (wordStart != kNoWord) {
            AddWordRun(p, wordStart, i - 1, runs);
            redefine = true;
            fromPrevious = true;
            wordStart = kNoWord;
        } else {
            while (i < n && kClasses[p[i]] == 0)
                ++i;
        }
    }
    if (wordStart != kNoWord)
        AddWordRun(p, wordStart, walkEnd, runs);
    return p[n - 1] == '\\' ? state : (state & PS_BLOCK_COMMENT);
}

} // namespace

bool IsSqlNumber(std::string_view word) {
    const auto* p = reinterpret_cast<const unsigned char*>(word.data());
    const std::size_t n = word.size();
    if (n >= 3 && p[0] == '0' && p[1] == 'x') {
        for (std::size_t i = 2; i < n; ++i)
            if (!IsHexDigit(p[i]))
                return false;
        return true;
    }
    if (n == 0 || !IsDigit(p[0]))
        return false;
    for (std::size_t i = 1; i < n; ++i) {
        const unsigned char c = p[i];
        if (!(IsDigit(c) || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E'))
            return false;
    }
    return true;
}

ParseState ScanLine(ParseState state, std::string_view line, ColourRuns* runs) {
    state &= PS_ALL_BITS;
    if (runs != nullptr)
        runs->clear();
    if (line.empty())
        return state & PS_BLOCK_COMMENT;
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    if (runs == nullptr)
        return ScanEndState(state, p, line.size());
    return ScanWithRuns(state, p, line.size(), *runs);
}

} // namespace editor
