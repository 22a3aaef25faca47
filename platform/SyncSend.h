// The synchronous send of registered messages, and the ways a thread serves what others send it.
//
// A thread that runs a Qt event loop installs a waker (QtMessagePump) so that a queued send reaches it
// through its event loop. A thread that must wait for another thread that may be sending to it (the UI
// thread closing a window while its worker runs) waits with WaitServingSends, which keeps serving the
// sends queued for it and so cannot deadlock with the sender.
#pragma once

#include "MessageTarget.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace platform {

// The handler's answer, or 0 when the target is null, gone or closed.
intptr_t Send(const MessageHandle& target, uint32_t id);
intptr_t Send(MessageTarget* target, uint32_t id);

// Runs `call` on `thread` and returns its result: at once when that is the calling thread, else queued
// for that thread and waited for. Used to carry work to the UI thread (message boxes of workers).
intptr_t CallOnThread(std::thread::id thread, std::function<intptr_t()> call);

// Serves every request queued for the calling thread, including those queued while serving.
// Returns how many were served.
int ServePendingSends();

// Serves the calling thread's requests until `done` returns true. `done` is tested after each round
// and at least every `poll`.
void WaitServingSends(const std::function<bool()>& done,
                      std::chrono::milliseconds poll = std::chrono::milliseconds(5));

// The calling thread's waker: called, from the sending thread, each time a request is queued for this
// thread. It must only post a wake-up (it runs under the dispatcher's lock). An empty function removes it.
void SetThreadWaker(std::function<void()> waker);

} // namespace platform
