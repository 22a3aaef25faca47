/* morvex: the script splitter.
 *
 * A shared library with one export, ParseScript, which copies the first statement out of the rest of a
 * SQL / PL/SQL script and tells where the next statement begins. The program loads the library at run
 * time and binds ParseScript by name through the pointer type below; tests may link it directly.
 */
#ifndef MORVEX_H
#define MORVEX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The C calling convention: the caller removes the arguments (the platform default on x86-64). */
#if defined(__i386__)
#define MORVEX_CALL __attribute__((cdecl))
#else
#define MORVEX_CALL
#endif

#if defined(MORVEX_BUILDING)
#define MORVEX_EXPORT __attribute__((visibility("default")))
#else
#define MORVEX_EXPORT
#endif

/* Splits the first statement off pszScript.
 *
 * pszScript     start of the text still to be split; nLength bytes of it are scanned and never more.
 * pszStatement  caller-owned output of at least nLength + 1 bytes, zero-filled by the caller before
 *               every call. Receives the statement without its terminator (";" or a "/" that starts a
 *               line), with CR left out and the spaces before each CR removed. The caller's zeroes
 *               terminate the text. Only the first *pnNext bytes are ever written (none when nLength is
 *               0), so a caller that reuses the buffer needs to zero just those before the next call.
 * nLength       number of bytes to scan; the program passes the bytes left in its buffer, counting the
 *               buffer's terminating NUL. NUL bytes inside this length are ordinary text.
 * pnNext        receives the offset, relative to pszScript, of the byte after the terminator, or
 *               nLength when the scan ran to the end. It is at least 1 whenever nLength is not 0, so a
 *               caller that advances by it always makes progress.
 *
 * Stateless, reentrant and thread-safe; allocates nothing. Null buffers scan nothing and report the
 * whole length as consumed; a null pnNext makes the call do nothing.
 */
MORVEX_EXPORT void MORVEX_CALL ParseScript(const char* pszScript, char* pszStatement, uint32_t nLength,
                                           uint32_t* pnNext);

/* The type the program binds the export to. */
typedef void(MORVEX_CALL* ParseScriptFn)(const char* pszScript, char* pszStatement, uint32_t nLength,
                                         uint32_t* pnNext);

#ifdef __cplusplus
}
#endif

#endif /* MORVEX_H */
