/* morvex: splits the first statement off a SQL / PL/SQL script in one pass, without allocating.
 *
 * The splitter knows just enough of the language to tell a terminator from a character that only looks
 * like one: quoted literals, "--" and block comments, PL/SQL blocks (which end only at a "/" that
 * starts a line), the GRANT / REVOKE forms that mention CREATE, and wrapped source. It checks no syntax.
 *
 * Scan state
 * ----------
 * Lexical state, exactly one at a time:
 *   CODE   ordinary text
 *   LIT    inside a quoted literal
 *   LIT2   inside a literal, on the first quote of a doubled pair '' (lasts exactly one character,
 *          because it is entered only when the next byte is that second quote)
 *   LINE   inside a "--" comment
 *   BLOCK  inside a block comment
 *   BOTH   inside both: "--" seen inside a block comment, or a block comment opened inside a "--"
 *          comment. Each flag is cleared by its own closing rule, independently of the other.
 * Flags that only ever switch on within a call (nothing survives the call):
 *   BLOCKMODE  BEGIN, DECLARE, or FUNCTION / PACKAGE / PROCEDURE after CREATE
 *   GRANT      GRANT or REVOKE
 *   CREATE     CREATE while GRANT is off
 *   WRAPPED    WRAPPED after CREATE
 *
 * Notation: c = byte at position i; nx = byte at i + 1, or NUL at the last position; pv = byte at
 * i - 1 (at position 0 there is none: it is whitespace for keyword boundaries and matches nothing
 * else). Whitespace means exactly space, CR or LF; a tab is ordinary text. "copy" appends c to the
 * output. Every byte not named in a row is copied and leaves the state as it is.
 *
 * Transition table
 * ----------------
 *   state       c    condition                                action                 next state
 *   any         LF                                            copy; NUL after it     CODE from LINE, BLOCK
 *                                                                                    from BOTH, else same
 *   any         CR                                            drop c; trim spaces    as for LF
 *   CODE        '    WRAPPED off                              copy                   LIT
 *   CODE        '    WRAPPED on                               copy                   CODE
 *   LIT         '    nx == '                                  copy                   LIT2
 *   LIT         '    nx != '                                  copy                   CODE
 *   LIT2        '    pv == ' (always true here)               copy                   LIT
 *   CODE        -    nx == -                                  copy                   LINE
 *   BLOCK       -    nx == -                                  copy                   BOTH
 *   CODE        /    nx == *                                  copy                   BLOCK
 *   LINE        /    nx == *                                  copy                   BOTH
 *   BLOCK       /    nx != *, pv == *                         copy                   CODE
 *   BOTH        /    nx != *, pv == *                         copy                   LINE
 *   CODE        /    nx != *, pv == LF                        TERMINATE              -
 *   CODE        ;    BLOCKMODE off                            TERMINATE              -
 *   CODE        kw   pv whitespace, window holds keyword      copy; keyword effect   CODE
 *                    followed by whitespace, extra condition
 *
 *   kw: the first letter, in either case, of BEGIN, DECLARE (-> BLOCKMODE), GRANT, REVOKE (-> GRANT),
 *   CREATE if GRANT is off (-> CREATE), FUNCTION, PACKAGE, PROCEDURE if CREATE is on (-> BLOCKMODE),
 *   WRAPPED if CREATE is on (-> WRAPPED).
 *   Trim spaces: take spaces (0x20 only) off the end of the output, down to its first byte at most,
 *   zeroing each, so none of them survives as a stale byte behind text written later.
 *   NUL after it: the byte after a copied LF is set to NUL, unless that byte lies at nLength. Only
 *   the last byte copied can still have it behind it, so it is stored once, on the way out (EndOutput).
 *   TERMINATE: *pnNext = i + 1; the terminator is not copied.
 *   Window: the bytes at i .. i + 9 that lie below nLength, ASCII letters upper-cased, padded with NULs
 *   to 11 bytes. A keyword counts only when the byte after it in the window is whitespace, so one that
 *   runs into the end of the scan does not. The longest keyword plus its whitespace fills 10 bytes.
 *   The window is filled only where a keyword can start (CODE, a keyword letter after whitespace):
 *   elsewhere nothing reads it, and its second byte is nx (the bytes compared with nx are no letters,
 *   so upper-casing does not matter).
 *   Reaching nLength without a terminator: *pnNext = nLength; the output holds everything scanned.
 *
 * Invariants (bounds)
 * -------------------
 *   I1  0 <= j <= i < n inside the loop, where j is the output length: each position appends at most
 *       one byte, and trimming only lowers j.
 *   I2  The input is read only at indexes i, i - 1 (when i > 0), i + 1 and the window's i + k (when
 *       below n). Nothing is read at or beyond pszScript + nLength, nor before pszScript.
 *   I3  The output is written at j (< n by I1), at j - 1 and lower when trimming (j > 0), and at j
 *       after a final LF only when j < n. So every write lies below n, and in fact below *pnNext: a
 *       terminator at position p leaves j <= p, and every write at or below p.
 *   I4  The output is read only at j - 1 with j > 0, a byte this call has written.
 *   I5  *pnNext <= nLength, and *pnNext >= 1 when nLength >= 1 (a ";" at position 0 gives 1; a "/" at
 *       position 0 has no LF before it and never terminates).
 */
#define MORVEX_BUILDING 1
#include "morvex.h"

#include <assert.h>
#include <stddef.h>

/* The version banner. Nothing returns or prints it; it identifies the binary. */
__attribute__((used)) static const char kVersionBanner[] = "SQL parser engine version 3.2";

enum LexState { CODE, LIT, LIT2, LINE, BLOCK, BOTH };

enum Flag { BLOCKMODE = 1u, GRANT = 2u, CREATE = 4u, WRAPPED = 8u };

enum { WINDOW_CHARS = 10, WINDOW_SIZE = 11 };

/* Which bytes need more than a plain copy. Row 1 is for a byte that follows whitespace (or stands at
 * position 0), row 0 for any other. A byte whose bits miss the current mask is copied and changes
 * nothing. The mask holds the bit of the lexical state's group and, in CODE, the bits of the keyword
 * letters whose keyword could still change a flag. So letters inside words, keywords that can no longer
 * have an effect (BEGIN once in block mode, FUNCTION before any CREATE, ...) and an LF that closes no
 * line comment take the plain copy path: that skips only work whose outcome cannot matter. */
enum {
    STOP_CODE = 1u << 0,       /* CODE */
    STOP_LIT = 1u << 1,        /* LIT, LIT2 */
    STOP_BLOCK = 1u << 2,      /* BLOCK */
    STOP_LINE = 1u << 3,       /* LINE, BOTH */
    KW_BLOCK = 1u << 4,        /* BEGIN, DECLARE */
    KW_GRANT = 1u << 5,        /* GRANT, REVOKE */
    KW_CREATE = 1u << 6,       /* CREATE */
    KW_AFTER_CREATE = 1u << 7, /* FUNCTION, PACKAGE, PROCEDURE */
    KW_WRAPPED = 1u << 8,      /* WRAPPED */
};

/* clang-format off */
#define STOP_PUNCTUATION                                                                                 \
    ['\n'] = STOP_LINE,                                                                                  \
    ['\r'] = STOP_CODE | STOP_LIT | STOP_BLOCK | STOP_LINE,                                              \
    ['\''] = STOP_CODE | STOP_LIT,                                                                       \
    ['-'] = STOP_CODE | STOP_BLOCK,                                                                      \
    ['/'] = STOP_CODE | STOP_BLOCK | STOP_LINE,                                                          \
    [';'] = STOP_CODE

static const uint16_t kStop[2][256] = {
    [0] = {STOP_PUNCTUATION},
    [1] = {
        STOP_PUNCTUATION,
        ['B'] = KW_BLOCK, ['b'] = KW_BLOCK,
        ['D'] = KW_BLOCK, ['d'] = KW_BLOCK,
        ['G'] = KW_GRANT, ['g'] = KW_GRANT,
        ['R'] = KW_GRANT, ['r'] = KW_GRANT,
        ['C'] = KW_CREATE, ['c'] = KW_CREATE,
        ['F'] = KW_AFTER_CREATE, ['f'] = KW_AFTER_CREATE,
        ['P'] = KW_AFTER_CREATE, ['p'] = KW_AFTER_CREATE,
        ['W'] = KW_WRAPPED, ['w'] = KW_WRAPPED,
    },
};
/* clang-format on */

/* 1 for the bytes that count as whitespace: space, CR, LF. */
static const unsigned char kWhitespace[256] = {[' '] = 1, ['\r'] = 1, ['\n'] = 1};

static unsigned StopMask(enum LexState state, unsigned flags) {
    switch (state) {
    case CODE: {
        unsigned mask = STOP_CODE;
        if (!(flags & BLOCKMODE))
            mask |= KW_BLOCK;
        if (!(flags & GRANT))
            mask |= KW_GRANT;
        if (!(flags & (GRANT | CREATE)))
            mask |= KW_CREATE;
        if ((flags & CREATE) && !(flags & BLOCKMODE))
            mask |= KW_AFTER_CREATE;
        if ((flags & CREATE) && !(flags & WRAPPED))
            mask |= KW_WRAPPED;
        return mask;
    }
    case LIT:
    case LIT2:
        return STOP_LIT;
    case BLOCK:
        return STOP_BLOCK;
    default:
        return STOP_LINE;
    }
}

/* The NUL after a copied LF. Whatever is copied next lands on that byte, and trimming never goes back
 * past an LF, so the NUL can only still be there when the LF is the last byte copied: storing it on
 * the way out leaves the buffer exactly as storing it after every LF would. The byte at nLength is
 * the caller's terminator and is never touched. */
static void EndOutput(unsigned char* out, uint32_t j, uint32_t n) {
    if (j > 0 && j < n && out[j - 1] == '\n')
        out[j] = 0;
}

static int IsWhitespace(unsigned char c) {
    return kWhitespace[c];
}

static unsigned char UpperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? (unsigned char)(c - 32) : c;
}

/* The look-ahead window at position i (see the table above). */
static void FillWindow(unsigned char window[WINDOW_SIZE], const unsigned char* s, uint32_t i, uint32_t n) {
    uint32_t avail = n - i; /* >= 1 because i < n */
    uint32_t k = 0;
    if (avail > WINDOW_CHARS)
        avail = WINDOW_CHARS;
    for (; k < avail; ++k)
        window[k] = UpperAscii(s[i + k]);
    for (; k < WINDOW_SIZE; ++k)
        window[k] = 0;
}

/* True when the window starts with the upper-case keyword and whitespace follows it. */
static int WindowHolds(const unsigned char window[WINDOW_SIZE], const char* keyword) {
    uint32_t k = 0;
    for (; keyword[k] != '\0'; ++k) {
        if (window[k] != (unsigned char)keyword[k])
            return 0;
    }
    return IsWhitespace(window[k]);
}

/* The flags a keyword starting at the window switches on, given the flags so far. */
static unsigned KeywordEffect(const unsigned char window[WINDOW_SIZE], unsigned flags) {
    switch (window[0]) {
    case 'B':
        return WindowHolds(window, "BEGIN") ? BLOCKMODE : 0u;
    case 'D':
        return WindowHolds(window, "DECLARE") ? BLOCKMODE : 0u;
    case 'G':
        return WindowHolds(window, "GRANT") ? GRANT : 0u;
    case 'R':
        return WindowHolds(window, "REVOKE") ? GRANT : 0u;
    case 'C':
        return (!(flags & GRANT) && WindowHolds(window, "CREATE")) ? CREATE : 0u;
    case 'F':
        return ((flags & CREATE) && WindowHolds(window, "FUNCTION")) ? BLOCKMODE : 0u;
    case 'P':
        return ((flags & CREATE) && (WindowHolds(window, "PACKAGE") || WindowHolds(window, "PROCEDURE")))
                   ? BLOCKMODE
                   : 0u;
    case 'W':
        return ((flags & CREATE) && WindowHolds(window, "WRAPPED")) ? WRAPPED : 0u;
    default:
        return 0u;
    }
}

MORVEX_EXPORT void MORVEX_CALL ParseScript(const char* pszScript, char* pszStatement, uint32_t nLength,
                                           uint32_t* pnNext) {
    if (pnNext == NULL)
        return;
    if (pszScript == NULL || pszStatement == NULL) {
        /* Nothing can be scanned; reporting the whole length as consumed keeps a caller's loop finite. */
        *pnNext = nLength;
        return;
    }

    const unsigned char* s = (const unsigned char*)pszScript;
    unsigned char* out = (unsigned char*)pszStatement;
    const uint32_t n = nLength;
    uint32_t j = 0;
    enum LexState state = CODE;
    unsigned flags = 0;
    unsigned stopMask = StopMask(CODE, flags);

    unsigned afterWhitespace = 1; /* position 0 counts as following whitespace */
    for (uint32_t i = 0; i < n; ++i) {
        assert(j <= i); /* I1 */
        const unsigned char c = s[i];
        const unsigned stop = kStop[afterWhitespace][c] & stopMask;
        afterWhitespace = kWhitespace[c];
        if (__builtin_expect(!stop, 1)) { /* most bytes are plain text */
            out[j++] = c;
            continue;
        }
        const unsigned char nx = (i + 1 < n) ? s[i + 1] : 0;
        const unsigned char pv = (i > 0) ? s[i - 1] : 0;

        switch (c) {
        case '\n': /* here only in LINE and BOTH; elsewhere an LF is a plain copy */
        case '\r':
            if (state == LINE)
                state = CODE;
            else if (state == BOTH)
                state = BLOCK;
            if (c == '\n') {
                out[j++] = '\n';
            } else {
                while (j > 0 && out[j - 1] == ' ')
                    out[--j] = 0;
            }
            break;

        case '\'':
            if (state == CODE) {
                if (!(flags & WRAPPED))
                    state = LIT;
            } else if (state == LIT) {
                state = (nx == '\'') ? LIT2 : CODE;
            } else if (state == LIT2 && i > 0 && pv == '\'') {
                state = LIT;
            }
            out[j++] = c;
            break;

        case '-':
            if (nx == '-') {
                if (state == CODE)
                    state = LINE;
                else if (state == BLOCK)
                    state = BOTH;
            }
            out[j++] = c;
            break;

        case '/':
            if (nx == '*') {
                if (state == CODE)
                    state = BLOCK;
                else if (state == LINE)
                    state = BOTH;
            } else if (i > 0 && pv == '*') {
                if (state == BLOCK)
                    state = CODE;
                else if (state == BOTH)
                    state = LINE;
            } else if (state == CODE && i > 0 && pv == '\n') {
                EndOutput(out, j, n);
                *pnNext = i + 1;
                return;
            }
            out[j++] = c;
            break;

        case ';':
            if (!(flags & BLOCKMODE)) {
                EndOutput(out, j, n);
                *pnNext = i + 1;
                return;
            }
            out[j++] = c;
            break;

        default: /* the first letter of a keyword that could still count, in CODE */
            if (i == 0 || IsWhitespace(pv)) {
                unsigned char window[WINDOW_SIZE];
                FillWindow(window, s, i, n);
                flags |= KeywordEffect(window, flags);
            }
            out[j++] = c;
            break;
        }
        stopMask = StopMask(state, flags);
    }
    EndOutput(out, j, n);
    *pnNext = n;
}
