// The program's user-interface thread: the one thread that owns every window. Code that may run on a
// worker carries window work to it with CallOnUserInterfaceThread.
//
// Thread contract: SetUserInterfaceThread is called once, on the UI thread, before any worker starts;
// the other two may be called from any thread.
#pragma once

#include <functional>
#include <thread>

namespace platform {

void SetUserInterfaceThread(std::thread::id thread);
// The thread set above; a default id when none is set (no windows yet, or a headless test).
std::thread::id UserInterfaceThread();

// Runs `call` on the UI thread and returns when it is done: directly when the caller is the UI thread
// or no UI thread is set, else through the synchronous send, so the UI thread must be serving sends.
void CallOnUserInterfaceThread(const std::function<void()>& call);

} // namespace platform
