#include "UiThread.h"

#include "SyncSend.h"

#include <atomic>

namespace platform {

namespace {
// Read by workers while the UI thread may set it at start-up.
std::atomic<std::thread::id>& Slot() {
    static std::atomic<std::thread::id> thread{std::thread::id()};
    return thread;
}
} // namespace

void SetUserInterfaceThread(std::thread::id thread) {
    Slot().store(thread);
}

std::thread::id UserInterfaceThread() {
    return Slot().load();
}

void CallOnUserInterfaceThread(const std::function<void()>& call) {
    const std::thread::id ui = UserInterfaceThread();
    if (ui == std::thread::id() || ui == std::this_thread::get_id()) {
        call();
        return;
    }
    CallOnThread(ui, [&call] {
        call();
        return intptr_t{0};
    });
}

} // namespace platform
