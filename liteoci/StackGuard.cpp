#include "StackGuard.h"

#include <pthread.h>

#include <cstdint>

namespace liteoci {

bool StackNearlyFull() {
    // The lowest address of this thread's stack, looked up once per thread. In the static TLS block:
    // the library is loaded with dlopen, and its TLS would otherwise be allocated per thread on first
    // use, which the leak checker of the sanitized tests misreads when it walks the threads at exit.
    __attribute__((tls_model("initial-exec"))) static thread_local uintptr_t low = 0;
    __attribute__((tls_model("initial-exec"))) static thread_local bool known = false;
    if (!known) {
        known = true;
        pthread_attr_t attr;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            void* addr = nullptr;
            size_t size = 0;
            if (pthread_attr_getstack(&attr, &addr, &size) == 0) low = reinterpret_cast<uintptr_t>(addr);
            pthread_attr_destroy(&attr);
        }
    }
    if (low == 0) return false;
    char here;
    uintptr_t sp = reinterpret_cast<uintptr_t>(&here);
    return sp < low + kStackMargin;
}

}  // namespace liteoci
