// The dispatcher behind Send.
//
// The hand-off is a round trip between two threads for every send (a worker sends twice per fetched
// row), so its common case takes no lock at all. Every thread that owns targets has an Inbox with one
// slot: a sender puts its request there with one atomic exchange and spins for the answer, and the
// owner thread, spinning in ServePendingSends between requests, takes it with another. Everything
// else (a slot already taken by another sender, CallOnThread, a thread that is not serving) goes
// through the queue under the dispatcher's lock, as does every wake-up of a sleeping thread.
//
// Invariants:
// 1. A request is in the queue or in a slot exactly while it is neither done nor being served.
// 2. A channel's target is called only on the channel's owner thread and only while `closed` is false;
//    closing happens on the owner thread, so a handler that started cannot race with its target's end.
// 3. A request addressed to a closed channel never waits for good: closing answers every queued one
//    with 0, and a sender that put its request in a slot checks `closed` again afterwards (both are
//    sequentially consistent, so either the sender or the closing sees the other).
// 4. A waker is called under the lock, so a pump that removes its waker cannot be posted to afterwards.
// 5. Spinning never replaces a wake-up: a sender skips the waker only when the owner thread is in
//    its serving loop and looking for requests (`looking`, read after the slot was filled); that
//    thread clears `looking` before it runs a handler or leaves, and looks at its slot once more after
//    leaving. A queued request calls its thread's waker unless a wake-up posted since that thread last
//    started serving is still pending (that one will serve it). A sender that stops spinning marks
//    itself sleeping under the lock unless it was answered meanwhile, and waits on `finished`; the
//    answer is one exchange that returns that mark, so the server knows to notify.
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

// A request lives on its sender's stack: the sender never returns before it is answered, and whoever
// answers it does not touch it afterwards. So a send allocates nothing and the serving thread touches
// no reference count of the sender's.
struct Request {
    enum State { Pending, Sleeping, Done };
    MessageChannel* channel = nullptr; // null for CallOnThread; the sender holds it alive
    std::function<intptr_t()>* call = nullptr;
    uint32_t id = 0;
    std::thread::id thread;
    intptr_t result = 0;
    // Pending until answered; Sleeping when the sender gave up spinning (set under the lock). The
    // answer is written before Done is, and answering is one exchange that tells whether the sender
    // sleeps and must be notified.
    std::atomic<int> state{Pending};
};

} // namespace

struct Inbox {
    std::atomic<Request*> slot{nullptr};
    std::atomic<bool> looking{false}; // the owner is in its serving loop, between handlers
    // Under the dispatcher's lock:
    std::function<void()> waker;
    bool wakePending = false; // a wake-up was posted and the thread has not started serving since
};

namespace {

// How long a sender spins for its answer, and a server for its next request, before sleeping.
constexpr auto kSpinFor = std::chrono::microseconds(50);
// A thread serving its queue returns to its event loop at least this often, so that it still paints
// and takes input while a worker keeps sending.
constexpr auto kServeAtMost = std::chrono::milliseconds(10);

inline void Relax(int round) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
    // A yield is a system call: rare enough not to slow the hand-off, often enough to let the other
    // side run when both share one core on a busy machine.
    if (round % 512 == 511)
        std::this_thread::yield();
}

// Spins until `ready` or the time is up; true when ready.
template <class Ready>
bool SpinUntil(Ready ready) {
    // Most answers come within the first rounds: the clock is read only when they did not.
    std::chrono::steady_clock::time_point until;
    for (int round = 0;; ++round) {
        if (ready())
            return true;
        if ((round & 63) == 63) {
            const auto now = std::chrono::steady_clock::now();
            if (round == 63)
                until = now + kSpinFor;
            else if (now >= until)
                return false;
        }
        Relax(round);
    }
}

struct Dispatcher {
    std::mutex mutex;
    std::condition_variable queued;   // a request was queued or put in a slot of a thread not looking
    std::condition_variable finished; // a request was answered
    std::deque<Request*> queue;
    std::atomic<uint64_t> pushes{0}; // requests queued so far, for spinning servers
    std::unordered_map<std::thread::id, Inbox*> inboxes; // never freed: senders may hold them
};

Dispatcher& TheDispatcher() {
    // Never destroyed: senders may still be about while static objects go away at exit.
    static Dispatcher* dispatcher = new Dispatcher;
    return *dispatcher;
}

// The lock is held.
Inbox& InboxOfLocked(Dispatcher& d, std::thread::id thread) {
    Inbox*& inbox = d.inboxes[thread];
    if (!inbox)
        inbox = new Inbox;
    return *inbox;
}

Inbox& MyInbox(Dispatcher& d) {
    thread_local Inbox* mine = nullptr;
    if (!mine) {
        std::lock_guard lock(d.mutex);
        mine = &InboxOfLocked(d, std::this_thread::get_id());
    }
    return *mine;
}

// Posts a wake-up to a thread that has a request waiting; the lock is held.
void WakeLocked(Dispatcher& d, Inbox& inbox) {
    if (inbox.waker && !inbox.wakePending) {
        inbox.wakePending = true;
        inbox.waker();
    }
    d.queued.notify_all();
}

// Answers a request; the caller holds the lock.
void FinishLocked(Dispatcher& d, Request& request, intptr_t result) {
    request.result = result;
    request.state.store(Request::Done);
    d.finished.notify_all();
}

// Answers a request without holding the lock: a sender still spinning sees Done and never touches
// the lock. `request` may be gone as soon as the exchange is made.
void Finish(Dispatcher& d, Request& request, intptr_t result) {
    request.result = result;
    if (request.state.exchange(Request::Done) == Request::Sleeping) {
        std::lock_guard lock(d.mutex);
        d.finished.notify_all();
    }
}

// Blocks until the request has been answered: spinning first, then asleep.
intptr_t AwaitAnswer(Dispatcher& d, Request& request) {
    if (SpinUntil([&] { return request.state.load(std::memory_order_acquire) == Request::Done; }))
        return request.result;
    std::unique_lock lock(d.mutex);
    int expected = Request::Pending;
    if (request.state.compare_exchange_strong(expected, Request::Sleeping))
        d.finished.wait(lock, [&] { return request.state.load() == Request::Done; });
    return request.result;
}

// Queues the request for its thread and blocks until it has been answered.
intptr_t QueueAndWait(Dispatcher& d, std::unique_lock<std::mutex>& lock, Request& request) {
    d.queue.push_back(&request);
    d.pushes.fetch_add(1, std::memory_order_release);
    WakeLocked(d, InboxOfLocked(d, request.thread));
    lock.unlock();
    return AwaitAnswer(d, request);
}

bool HasRequestFor(const Dispatcher& d, const Inbox& inbox, std::thread::id thread) {
    if (inbox.slot.load() != nullptr)
        return true;
    for (const Request* request : d.queue)
        if (request->thread == thread)
            return true;
    return false;
}

// Answers a request with 0 if its handler leaves by an exception, so its sender does not wait forever.
class FinishGuard {
public:
    FinishGuard(Dispatcher& d, Request& request) : d_(d), request_(request) {}
    ~FinishGuard() { Finish(d_, request_, result_); }
    void SetResult(intptr_t result) { result_ = result; }

private:
    Dispatcher& d_;
    Request& request_;
    intptr_t result_ = 0;
};

} // namespace

void OpenChannel(MessageChannel& channel, MessageTarget* target) {
    Dispatcher& d = TheDispatcher();
    channel.target = target;
    channel.owner = std::this_thread::get_id();
    channel.inbox = &MyInbox(d);
}

void CloseChannel(const std::shared_ptr<MessageChannel>& channel) {
    Dispatcher& d = TheDispatcher();
    std::lock_guard lock(d.mutex);
    if (channel->closed.load())
        return;
    channel->closed.store(true);
    for (auto it = d.queue.begin(); it != d.queue.end();) {
        Request* request = *it;
        if (request->channel == channel.get()) {
            it = d.queue.erase(it);
            FinishLocked(d, *request, 0);
        } else {
            ++it;
        }
    }
    // A request in the slot is answered too when it is ours; another target's goes to the queue,
    // where its thread serves it as usual (its wake-up, if it needed one, has been posted).
    if (Request* request = channel->inbox->slot.exchange(nullptr)) {
        if (request->channel == channel.get()) {
            FinishLocked(d, *request, 0);
        } else {
            d.queue.push_front(request);
            d.pushes.fetch_add(1, std::memory_order_release);
        }
    }
}

bool IsChannelClosed(const std::shared_ptr<MessageChannel>& channel) {
    return channel->closed.load();
}

intptr_t DeliverToChannel(const std::shared_ptr<MessageChannel>& channel, uint32_t id) {
    if (channel->closed.load())
        return 0;
    if (channel->owner == std::this_thread::get_id())
        return channel->target->HandleRegisteredMessage(id);
    Dispatcher& d = TheDispatcher();
    Request request;
    request.channel = channel.get();
    request.id = id;
    request.thread = channel->owner;
    Inbox& inbox = *channel->inbox;
    Request* empty = nullptr;
    if (!inbox.slot.compare_exchange_strong(empty, &request)) {
        // Another sender holds the slot: take the queue.
        std::unique_lock lock(d.mutex);
        if (channel->closed.load())
            return 0;
        return QueueAndWait(d, lock, request);
    }
    if (channel->closed.load()) {
        // Closed meanwhile. Take the request back unless somebody took it already (then that one
        // answers it, with 0 since the channel is closed).
        Request* mine = &request;
        if (inbox.slot.compare_exchange_strong(mine, nullptr))
            return 0;
    } else if (!inbox.looking.load()) {
        std::lock_guard lock(d.mutex);
        WakeLocked(d, inbox);
    }
    return AwaitAnswer(d, request);
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
    Request request;
    request.call = &call;
    request.thread = thread;
    std::unique_lock lock(d.mutex);
    return QueueAndWait(d, lock, request);
}

int ServePendingSends() {
    Dispatcher& d = TheDispatcher();
    Inbox& inbox = MyInbox(d);
    const std::thread::id me = std::this_thread::get_id();
    const auto stopBy = std::chrono::steady_clock::now() + kServeAtMost;
    {
        // From here on, a request that this call does not take needs a new wake-up.
        std::lock_guard lock(d.mutex);
        inbox.wakePending = false;
    }
    int served = 0;
    // The queue is searched (under the lock) only when something was queued since the last search
    // found nothing for this thread.
    bool searched = false;
    uint64_t seen = 0;
    for (;;) {
        inbox.looking.store(true);
        Request* request = inbox.slot.exchange(nullptr);
        if (!request && (!searched || d.pushes.load(std::memory_order_acquire) != seen)) {
            std::lock_guard lock(d.mutex);
            seen = d.pushes.load(std::memory_order_acquire);
            searched = true;
            for (auto it = d.queue.begin(); it != d.queue.end(); ++it) {
                if ((*it)->thread == me) {
                    request = *it;
                    d.queue.erase(it);
                    searched = false; // there may be more
                    break;
                }
            }
        }
        if (!request) {
            // Nothing for this thread. A worker in the middle of a batch sends again within
            // microseconds: wait that long for it rather than going back to sleep. Requests that
            // arrive later (or after the time is up) reach this thread through its waker.
            if (served > 0 && std::chrono::steady_clock::now() < stopBy &&
                SpinUntil([&] {
                    return inbox.slot.load(std::memory_order_acquire) != nullptr ||
                           d.pushes.load(std::memory_order_acquire) != seen;
                }))
                continue;
            inbox.looking.store(false);
            // A sender that filled the slot just before saw us looking and posted no wake-up.
            if (inbox.slot.load() != nullptr)
                continue;
            return served;
        }
        inbox.looking.store(false);
        MessageTarget* target = nullptr;
        if (request->channel) {
            if (request->channel->closed.load()) {
                Finish(d, *request, 0);
                ++served;
                continue;
            }
            target = request->channel->target;
        }
        FinishGuard guard(d, *request);
        guard.SetResult(target ? target->HandleRegisteredMessage(request->id) : (*request->call)());
        // Looking again before the answer goes out: the sender's next request needs no wake-up.
        inbox.looking.store(true);
        ++served;
    }
}

void WaitServingSends(const std::function<bool()>& done, std::chrono::milliseconds poll) {
    Dispatcher& d = TheDispatcher();
    Inbox& inbox = MyInbox(d);
    const std::thread::id me = std::this_thread::get_id();
    for (;;) {
        ServePendingSends();
        if (done())
            return;
        std::unique_lock lock(d.mutex);
        d.queued.wait_for(lock, poll, [&] { return HasRequestFor(d, inbox, me); });
    }
}

void SetThreadWaker(std::function<void()> waker) {
    Dispatcher& d = TheDispatcher();
    Inbox& inbox = MyInbox(d);
    const std::thread::id me = std::this_thread::get_id();
    std::lock_guard lock(d.mutex);
    inbox.wakePending = false;
    inbox.waker = std::move(waker);
    if (inbox.waker && HasRequestFor(d, inbox, me)) {
        inbox.wakePending = true;
        inbox.waker();
    }
}

} // namespace platform
