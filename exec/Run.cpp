#include "Run.h"

#include "SyncSend.h"

#include <cassert>
#include <system_error>

namespace exec {

Run::~Run() {
    Wait();
}

void Run::CheckInvariants() const {
#ifndef NDEBUG
    // Stop and close are accepted only from a running worker, and Begin clears what an earlier run
    // left, so a run that is starting has neither.
    const RunState s = state_.load();
    assert(s != RunState::Starting || (!stop_.load() && !close_.load()));
    // The end-of-run path tells the progress dialog that the run is over before the run is idle.
    assert(s != RunState::Idle || busy.load() == 0);
    (void)s;
#endif
}

bool Run::Begin() {
    RunState expected = RunState::Idle;
    if (!state_.compare_exchange_strong(expected, RunState::Starting))
        return false;
    (void)cancel_.Poll();
    stop_ = false;
    close_ = false;
    busy = 0;
    CheckInvariants();
    return true;
}

bool Run::Launch(std::function<void()> body) {
    assert(state_.load() == RunState::Starting);
    CheckInvariants();
    if (thread_.joinable())
        thread_.join(); // the previous worker has ended; only its thread object is left
    state_ = RunState::Running;
    try {
        thread_ = std::thread([this, body = std::move(body)] {
            workerSemaphore_.acquire();
            struct Release {
                std::binary_semaphore& semaphore;
                ~Release() { semaphore.release(); }
            } release{workerSemaphore_};
            // An exception that escapes the body is left to the program's terminate handler.
            body();
        });
    } catch (const std::system_error&) {
        state_ = RunState::Starting;
        return false;
    }
    return true;
}

void Run::RequestStop() {
    RunState expected = RunState::Running;
    if (state_.compare_exchange_strong(expected, RunState::Stopping) || expected == RunState::Stopping)
        stop_ = true;
}

void Run::RequestClose() {
    RunState expected = RunState::Running;
    if (state_.compare_exchange_strong(expected, RunState::Stopping) || expected == RunState::Stopping)
        close_ = true;
}

bool Run::EnterEnding() {
    RunState s = state_.load();
    while (s == RunState::Starting || s == RunState::Running || s == RunState::Stopping) {
        if (state_.compare_exchange_weak(s, RunState::Ending))
            return true;
    }
    assert(!"a run ends once");
    return false;
}

void Run::Finish() {
    assert(state_.load() == RunState::Ending);
    stop_ = false;
    close_ = false;
    ++ended_;
    state_ = RunState::Idle;
}

void Run::Wait() {
    platform::WaitServingSends([this] { return !IsActive(); });
    if (thread_.joinable())
        thread_.join();
}

void Run::SetProgressDialog(platform::MessageHandle dialog) {
    std::lock_guard lock(dialogMutex_);
    dialog_ = std::move(dialog);
}

platform::MessageHandle Run::ProgressDialog() const {
    std::lock_guard lock(dialogMutex_);
    return dialog_;
}

} // namespace exec
