// The dispatcher behind Send. Invariants, all under Dispatcher::mutex:
// 1. A request is in `queue` exactly while it is neither done nor being served.
// 2. A channel's target is called only on the channel's owner thread and only while `closed` is false;
//    closing happens on the owner thread, so a handler that started cannot race with its target's end.
// 3. A request addressed to a closed channel never waits: closing answers every queued one with 0.
// 4. A waker is called under the lock, so a pump that removes its waker cannot be posted to afterwards.
// 5. Spinning never replaces a wake-up: a queued request calls its thread's waker unless a wake-up
//    posted since that thread last started serving is still pending (that one will serve it), and a
//    sender that stops spinning sleeps on `finished` under the lock, so no answer can be missed.
//
// The hand-off is a round trip between two threads for every send (a worker sends twice per fetched
// row). Putting a thread to sleep and waking it costs several microseconds each way, so both sides
// spin for a few microseconds first: the sender waits for its answer, and a thread that has just
// served its queue waits for the next request, which a busy worker sends almost at once.
#include "SyncSend.h"

#include "MessageChannel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

struct Request {
    std::shared_ptr<MessageChannel> channel; // null for CallOnThread
    std::function<intptr_t()> call;
    uint32_t id = 0;
    std::thread::id thread;
    std::atomic<bool> done{false}; // written under the lock; read without it while spinning
    intptr_t result = 0;
};

// How long a sender spins for its answer, and a server for its next request, before sleeping.
constexpr auto kSpinFor = std::chrono::microseconds(50);
// A thread serving its queue returns to its event loop at least this often, so that it still paints
// and takes input while a worker keeps sending.
constexpr auto kServeAtMost = std::chrono::milliseconds(10);

inline void Relax(int round) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
    if (round % 64 == 63)
        std::this_thread::yield(); // let the other side run on a busy machine
}

// Spins until `ready` or the time is up; true when ready.
template <class Ready>
bool SpinUntil(Ready ready) {
    const auto until = std::chrono::steady_clock::now() + kSpinFor;
    for (int round = 0;; ++round) {
        if (ready())
            return true;
        if ((round & 15) == 15 && std::chrono::steady_clock::now() >= until)
            return false;
        Relax(round);
    }
}

struct Dispatcher {
    std::mutex mutex;
    std::condition_variable queued;   // a request was queued
    std::condition_variable finished; // a request was answered
    std::deque<std::shared_ptr<Request>> queue;
    std::atomic<uint64_t> pushes{0}; // requests queued so far, for spinning servers
    std::unordered_map<std::thread::id, std::function<void()>> wakers;
    // Threads with a wake-up posted that has not yet started serving: a burst of sends posts once.
    std::unordered_map<std::thread::id, bool> wakePending;
};

Dispatcher& TheDispatcher() {
    // Never destroyed: senders may still be about while static objects go away at exit.
    static Dispatcher* dispatcher = new Dispatcher;
    return *dispatcher;
}

void Finish(Dispatcher& d, Request& request, intptr_t result) {
    request.result = result;
    request.done.store(true, std::memory_order_release);
    d.finished.notify_all();
}

// Queues the request for its thread and blocks until it has been answered.
intptr_t QueueAndWait(Dispatcher& d, std::unique_lock<std::mutex>& lock, const std::shared_ptr<Request>& request) {
    d.queue.push_back(request);
    d.pushes.fetch_add(1, std::memory_order_release);
    auto waker = d.wakers.find(request->thread);
    if (waker != d.wakers.end() && waker->second) {
        bool& pending = d.wakePending[request->thread];
        if (!pending) {
            pending = true;
            waker->second();
        }
    }
    d.queued.notify_all();
    lock.unlock();
    // The answer is written before `done` is released, so a sender that saw it needs no lock again.
    if (SpinUntil([&] { return request->done.load(std::memory_order_acquire); }))
        return request->result;
    lock.lock();
    d.finished.wait(lock, [&] { return request->done.load(std::memory_order_relaxed); });
    return request->result;
}

bool HasRequestFor(const Dispatcher& d, std::thread::id thread) {
    for (const auto& request : d.queue)
        if (request->thread == thread)
            return true;
    return false;
}

// Answers a request with 0 if its handler leaves by an exception, so its sender does not wait forever.
class FinishGuard {
public:
    FinishGuard(Dispatcher& d, Request& request) : d_(d), request_(request) {}
    ~FinishGuard() {
        std::lock_guard lock(d_.mutex);
        Finish(d_, request_, result_);
    }
    void SetResult(intptr_t result) { result_ = result; }

private:
    Dispatcher& d_;
    Request& request_;
    intptr_t result_ = 0;
};

} // namespace

void CloseChannel(const std::shared_ptr<MessageChannel>& channel) {
    Dispatcher& d = TheDispatcher();
    std::lock_guard lock(d.mutex);
    if (channel->closed)
        return;
    channel->closed = true;
    for (auto it = d.queue.begin(); it != d.queue.end();) {
        if ((*it)->channel == channel) {
            Finish(d, **it, 0);
            it = d.queue.erase(it);
        } else {
            ++it;
        }
    }
}

bool IsChannelClosed(const std::shared_ptr<MessageChannel>& channel) {
    Dispatcher& d = TheDispatcher();
    std::lock_guard lock(d.mutex);
    return channel->closed;
}

intptr_t DeliverToChannel(const std::shared_ptr<MessageChannel>& channel, uint32_t id) {
    Dispatcher& d = TheDispatcher();
    std::unique_lock lock(d.mutex);
    if (channel->closed)
        return 0;
    if (channel->owner == std::this_thread::get_id()) {
        MessageTarget* target = channel->target;
        lock.unlock();
        return target->HandleRegisteredMessage(id);
    }
    auto request = std::make_shared<Request>();
    request->channel = channel;
    request->id = id;
    request->thread = channel->owner;
    return QueueAndWait(d, lock, request);
}

intptr_t Send(const MessageHandle& target, uint32_t id) {
    std::shared_ptr<MessageChannel> channel = target.channel_.lock();
    if (!channel)
        return 0;
    return DeliverToChannel(channel, id);
}

intptr_t Send(MessageTarget* target, uint32_t id) {
    if (!target)
        return 0;
    return DeliverToChannel(target->channel_, id);
}

intptr_t CallOnThread(std::thread::id thread, std::function<intptr_t()> call) {
    if (!call)
        return 0;
    if (thread == std::this_thread::get_id())
        return call();
    Dispatcher& d = TheDispatcher();
    auto request = std::make_shared<Request>();
    request->call = std::move(call);
    request->thread = thread;
    std::unique_lock lock(d.mutex);
    return QueueAndWait(d, lock, request);
}

int ServePendingSends() {
    Dispatcher& d = TheDispatcher();
    const std::thread::id me = std::this_thread::get_id();
    const auto stopBy = std::chrono::steady_clock::now() + kServeAtMost;
    int served = 0;
    for (;;) {
        std::shared_ptr<Request> request;
        MessageTarget* target = nullptr;
        uint64_t seen = 0;
        {
            std::lock_guard lock(d.mutex);
            // From here on, a new request needs a new wake-up if this call does not take it.
            if (served == 0)
                d.wakePending[me] = false;
            for (auto it = d.queue.begin(); it != d.queue.end(); ++it) {
                if ((*it)->thread == me) {
                    request = *it;
                    d.queue.erase(it);
                    break;
                }
            }
            seen = d.pushes.load(std::memory_order_acquire);
            if (request && request->channel) {
                if (request->channel->closed) {
                    Finish(d, *request, 0);
                    ++served;
                    continue;
                }
                target = request->channel->target;
            }
        }
        if (!request) {
            // Nothing queued for this thread. A worker in the middle of a batch sends again within
            // microseconds: wait that long for it rather than going back to sleep. Requests that
            // arrive later (or after the time is up) reach this thread through its waker.
            if (served == 0 || std::chrono::steady_clock::now() >= stopBy ||
                !SpinUntil([&] { return d.pushes.load(std::memory_order_acquire) != seen; }))
                return served;
            continue;
        }
        FinishGuard guard(d, *request);
        guard.SetResult(target ? target->HandleRegisteredMessage(request->id) : request->call());
        ++served;
    }
}

void WaitServingSends(const std::function<bool()>& done, std::chrono::milliseconds poll) {
    Dispatcher& d = TheDispatcher();
    const std::thread::id me = std::this_thread::get_id();
    for (;;) {
        ServePendingSends();
        if (done())
            return;
        std::unique_lock lock(d.mutex);
        d.queued.wait_for(lock, poll, [&] { return HasRequestFor(d, me); });
    }
}

void SetThreadWaker(std::function<void()> waker) {
    Dispatcher& d = TheDispatcher();
    const std::thread::id me = std::this_thread::get_id();
    std::lock_guard lock(d.mutex);
    d.wakePending[me] = false;
    if (!waker) {
        d.wakers.erase(me);
        return;
    }
    d.wakers[me] = std::move(waker);
    if (HasRequestFor(d, me))
        d.wakers[me]();
}

} // namespace platform
