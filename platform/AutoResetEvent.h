// An event that stays signalled until one waiter or poller takes the signal, then resets itself.
// Used for the fetch cancel: the progress dialog sets it on the UI thread, the statement worker polls it
// between two fetches. One Set stops one batch; a Set that nobody takes stays until the next Poll.
//
// Thread contract: every member may be called from any thread at any time.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

class AutoResetEvent {
public:
    AutoResetEvent() = default;
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;

    void Set();
    // Tests the signal without waiting; true when it was set, and it is reset by this call.
    bool Poll();
    // Waits at most `timeout` for the signal; true when taken (and reset).
    bool Wait(std::chrono::milliseconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable signalled_;
    bool set_ = false;
};

} // namespace platform
