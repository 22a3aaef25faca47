// One worker run of an editor window: the state of the run, the thread that carries it out, and what
// belongs to that run alone (its cancel signal, its stop and close requests, its progress text and the
// handle of its progress dialog). Each document owns one, so the runs of different windows never see
// each other's cancel, progress or dialog.
//
// States and transitions (UI = the UI thread, W = the worker thread):
//
//   Idle     --Begin (UI)-------------------> Starting   a command claims the run; refused unless Idle
//   Starting --Launch (UI)------------------> Running    the worker thread has started
//   Starting --EnterEnding (UI)-------------> Ending     nothing was started (refused, no thread)
//   Running  --RequestStop/RequestClose(UI)-> Stopping   the worker ends at its next check
//   Running, Stopping --EnterEnding (W)-----> Ending     the body has returned its way out
//   Ending   --Finish (UI or W)-------------> Idle       the end-of-run path is done
//
// Every run that Begin claimed passes Ending exactly once: EnterEnding refuses a second entry, and
// the end-of-run path (EndRun) is the only caller of EnterEnding and Finish.
//
// Thread contract: Begin, Launch, Request*, Wait and Cancel are called on the UI thread; the worker
// reads the flags, writes the progress fields just before a synchronous send to the progress dialog,
// and ends the run. The dialog handle is guarded because the worker reads it while the dialog opens.
#pragma once

#include "AutoResetEvent.h"
#include "MessageTarget.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <semaphore>
#include <string>
#include <thread>

namespace exec {

enum class RunState { Idle, Starting, Running, Stopping, Ending };

class Run {
public:
    Run() = default;
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    // Waits for a worker that still runs (the document stops it before; this is the last safety net).
    ~Run();

    RunState State() const { return state_.load(); }
    // True from Begin until the end-of-run path is done.
    bool IsActive() const { return State() != RunState::Idle; }

    // UI: claims the run for a command. False (nothing changed) while another run is active. A cancel
    // or stop left over from an earlier run is dropped here, so it cannot end this one.
    bool Begin();
    // UI: starts `body` on the worker thread. False when no thread could start; the run then stays
    // Starting and the caller must end it.
    bool Launch(std::function<void()> body);

    // UI: Stop. The worker ends at its next check, and the server call in progress is broken by the
    // caller. No effect unless a worker runs.
    void RequestStop();
    // UI: the window closes. As Stop, but the worker ends quietly, as a cancel does.
    void RequestClose();
    bool StopRequested() const { return stop_.load(); }
    bool CloseRequested() const { return close_.load(); }

    // The progress dialog's Cancel: ends a fetch-all at its next row, keeping what was fetched.
    void Cancel() { cancel_.Set(); }
    // W: takes a pending Cancel (true once per Cancel).
    bool TakeCancel() { return cancel_.Poll(); }

    // UI: waits until the run is Idle and its thread has ended, serving the worker's sends meanwhile.
    void Wait();

    // The end-of-run path's steps (see EndRun): Ending once, then Idle.
    bool EnterEnding();
    void Finish();

    // Progress of the run, shown by its progress dialog.
    std::atomic<int32_t> busy{0};
    std::string progressText;
    void SetProgressDialog(platform::MessageHandle dialog);
    platform::MessageHandle ProgressDialog() const;

    // How many runs have passed the end-of-run path (for tests of "exactly once").
    int EndedCount() const { return ended_.load(); }

private:
    // Assert-only check that the state and the flags agree.
    void CheckInvariants() const;

    std::atomic<RunState> state_{RunState::Idle};
    std::atomic<bool> stop_{false};
    std::atomic<bool> close_{false};
    std::atomic<int> ended_{0};
    platform::AutoResetEvent cancel_;
    std::thread thread_;
    // Held by the worker for its whole run.
    std::binary_semaphore workerSemaphore_{1};
    mutable std::mutex dialogMutex_;
    platform::MessageHandle dialog_;
};

} // namespace exec
