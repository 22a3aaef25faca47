#include "TerminateHandler.h"

#include "MessageBox.h"
#include "UiThread.h"
#include "MessageText.h"
#include "StringTable.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

namespace {

[[noreturn]] void OnTerminate() {
    static std::atomic<bool> shown{false};
    if (!shown.exchange(true)) {
        // Only the UI thread may show a window; another thread cannot count on the UI thread being free
        // to serve it, so it reports on the error stream instead of risking a hang.
        if (std::this_thread::get_id() == platform::UserInterfaceThread())
            MessageBoxById(strings::kApplicationProblem);
        else
            std::fprintf(stderr, "Quarvel: %s\n", ResourceTextOrError(strings::kApplicationProblem).c_str());
    }
    std::abort();
}

} // namespace

void InstallTerminateHandler() {
    std::set_terminate(&OnTerminate);
}
