// How much of the calling thread's stack is left: recursive parts of the client (the PL/SQL
// compiler and interpreter, whose calls nest through SQLite) stop with an Oracle error while a
// safe margin remains, whatever stack size the thread was started with.
#ifndef LITEOCI_STACKGUARD_H
#define LITEOCI_STACKGUARD_H

#include <cstddef>

namespace liteoci {

// Bytes kept free for SQLite, error handling and the caller.
constexpr size_t kStackMargin = 192 * 1024;

// True when less than kStackMargin bytes of this thread's stack remain.
bool StackNearlyFull();

}  // namespace liteoci

#endif
