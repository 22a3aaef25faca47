#include "SyncSend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using platform::MessageHandle;
using platform::MessageTarget;

namespace {

// Records on which thread each message ran and answers id * 10.
class RecordingTarget : public MessageTarget {
public:
    ~RecordingTarget() override { CloseMessages(); }
    intptr_t HandleRegisteredMessage(uint32_t id) override {
        handledOn.push_back(std::this_thread::get_id());
        ids.push_back(id);
        if (id == kThrow)
            throw std::runtime_error("handler failed");
        return intptr_t(id) * 10;
    }
    static constexpr uint32_t kThrow = 999;
    std::vector<std::thread::id> handledOn;
    std::vector<uint32_t> ids;
};

} // namespace

TEST(SyncSend, OnTheOwnerThreadTheHandlerRunsAtOnce) {
    RecordingTarget target;
    EXPECT_EQ(platform::Send(&target, 4), 40);
    EXPECT_EQ(platform::Send(target.Handle(), 5), 50);
    ASSERT_EQ(target.ids.size(), 2u);
    EXPECT_EQ(target.handledOn[0], std::this_thread::get_id());
}

TEST(SyncSend, NullOrUnboundTargetsAnswerZero) {
    EXPECT_EQ(platform::Send(static_cast<MessageTarget*>(nullptr), 1), 0);
    EXPECT_EQ(platform::Send(MessageHandle(), 1), 0);
    EXPECT_TRUE(MessageHandle().Expired());
}

TEST(SyncSend, FromAnotherThreadTheHandlerRunsOnTheOwnerAndTheSenderGetsItsAnswer) {
    RecordingTarget target;
    MessageHandle handle = target.Handle();
    std::atomic<bool> done{false};
    std::vector<intptr_t> answers;
    std::thread worker([&] {
        for (uint32_t id = 1; id <= 20; ++id)
            answers.push_back(platform::Send(handle, id)); // each returns only after the handler ran
        done = true;
    });
    platform::WaitServingSends([&] { return done.load(); });
    worker.join();

    ASSERT_EQ(answers.size(), 20u);
    for (uint32_t id = 1; id <= 20; ++id)
        EXPECT_EQ(answers[id - 1], intptr_t(id) * 10);
    ASSERT_EQ(target.ids.size(), 20u);
    for (size_t i = 0; i < target.ids.size(); ++i) {
        EXPECT_EQ(target.ids[i], i + 1); // in the order sent
        EXPECT_EQ(target.handledOn[i], std::this_thread::get_id());
    }
}

TEST(SyncSend, ManySendersAreEachAnsweredOnce) {
    RecordingTarget target;
    MessageHandle handle = target.Handle();
    constexpr int kSenders = 4, kEach = 50;
    std::atomic<int> finished{0};
    std::atomic<int64_t> sum{0};
    std::vector<std::thread> workers;
    for (int s = 0; s < kSenders; ++s)
        workers.emplace_back([&] {
            for (int i = 0; i < kEach; ++i)
                sum += platform::Send(handle, 1);
            ++finished;
        });
    platform::WaitServingSends([&] { return finished.load() == kSenders; });
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(target.ids.size(), size_t(kSenders * kEach));
    EXPECT_EQ(sum.load(), int64_t(kSenders) * kEach * 10);
}

TEST(SyncSend, SendersRacingForOneThreadAreAllAnsweredWhileOneOfItsTargetsCloses) {
    // Senders to two targets of this thread contend for its slot and its queue; one target closes
    // part-way. Every send returns: the open target's with its answer, the closed one's with its
    // answer or 0, and the closed one's handler never runs after it closed.
    RecordingTarget stays;
    auto goes = std::make_unique<RecordingTarget>();
    const MessageHandle staysHandle = stays.Handle(), goesHandle = goes->Handle();
    constexpr int kSenders = 4, kEach = 3000;
    std::atomic<int> finished{0}, wrong{0};
    std::vector<std::thread> workers;
    for (int s = 0; s < kSenders; ++s)
        workers.emplace_back([&, s] {
            for (int i = 0; i < kEach; ++i) {
                const bool toStays = (i + s) % 2 == 0;
                const intptr_t answer = platform::Send(toStays ? staysHandle : goesHandle, 3);
                if (answer != 30 && (toStays || answer != 0))
                    ++wrong;
            }
            ++finished;
        });
    platform::WaitServingSends([&] { return finished.load() >= 1; });
    const size_t handledBeforeClose = goes->ids.size();
    goes.reset();
    platform::WaitServingSends([&] { return finished.load() == kSenders; });
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(stays.ids.size(), size_t(kSenders * kEach / 2));
    EXPECT_GT(handledBeforeClose, 0u);
}

TEST(SyncSend, ASendWaitingForOneTargetSurvivesTheCloseOfAnotherTargetOfTheSameThread) {
    RecordingTarget waiting;
    auto closing = std::make_unique<RecordingTarget>();
    std::atomic<int> wakes{0};
    platform::SetThreadWaker([&] { ++wakes; });
    std::atomic<intptr_t> answer{-1};
    std::thread worker([&] { answer = platform::Send(waiting.Handle(), 2); });
    while (wakes.load() == 0) // the send is waiting for this thread
        std::this_thread::yield();
    closing.reset();
    platform::WaitServingSends([&] { return answer != -1; });
    worker.join();
    platform::SetThreadWaker({});
    EXPECT_EQ(answer.load(), 20);
    EXPECT_EQ(waiting.ids, std::vector<uint32_t>{2});
}

TEST(SyncSend, TargetDestroyedWhileAWorkerIsSendingAnswersZeroAndNobodyHangs) {
    auto target = std::make_unique<RecordingTarget>();
    MessageHandle handle = target->Handle();
    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
    std::vector<intptr_t> answers;
    std::thread worker([&] {
        started = true;
        // Keeps sending: the first sends may be queued before the target goes, later ones after.
        for (int i = 0; i < 5; ++i)
            answers.push_back(platform::Send(handle, 7));
        done = true;
    });
    while (!started)
        std::this_thread::yield();
    std::this_thread::sleep_for(5ms); // let the first send queue up; the outcome does not depend on it
    target.reset();                   // nobody served: the queued send must be answered by the destruction
    worker.join();
    EXPECT_TRUE(done);
    ASSERT_EQ(answers.size(), 5u);
    for (intptr_t answer : answers)
        EXPECT_EQ(answer, 0);
    EXPECT_TRUE(handle.Expired());
}

TEST(SyncSend, ClosedTargetTakesNoMoreMessagesEvenOnItsOwnThread) {
    RecordingTarget target;
    target.CloseMessages();
    EXPECT_TRUE(target.MessagesClosed());
    EXPECT_EQ(platform::Send(&target, 3), 0);
    std::thread worker([&] { EXPECT_EQ(platform::Send(target.Handle(), 3), 0); });
    worker.join(); // answered without the owner serving anything
    EXPECT_TRUE(target.ids.empty());
}

TEST(SyncSend, AHandlerThatThrowsStillReleasesItsSender) {
    RecordingTarget target;
    std::atomic<intptr_t> answer{-1};
    std::thread worker([&] { answer = platform::Send(target.Handle(), RecordingTarget::kThrow); });
    bool thrown = false;
    while (answer.load() == -1) {
        try {
            platform::ServePendingSends();
        } catch (const std::runtime_error&) {
            thrown = true;
        }
        std::this_thread::yield();
    }
    worker.join();
    EXPECT_TRUE(thrown);
    EXPECT_EQ(answer.load(), 0);
}

TEST(SyncSend, CallOnThreadRunsTheCallOnTheGivenThread) {
    const std::thread::id ui = std::this_thread::get_id();
    std::thread::id ranOn;
    std::atomic<bool> done{false};
    intptr_t result = 0;
    std::thread worker([&] {
        result = platform::CallOnThread(ui, [&] {
            ranOn = std::this_thread::get_id();
            return intptr_t(42);
        });
        done = true;
    });
    platform::WaitServingSends([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(ranOn, ui);
    EXPECT_EQ(platform::CallOnThread(ui, [] { return intptr_t(7); }), 7); // own thread: at once
    EXPECT_EQ(platform::CallOnThread(ui, nullptr), 0);
}

TEST(SyncSend, TheWakerIsCalledForEachSendThatFindsItsThreadNotServing) {
    RecordingTarget target;
    std::atomic<int> wakes{0};
    platform::SetThreadWaker([&] { ++wakes; });
    for (int round = 1; round <= 2; ++round) {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            platform::Send(target.Handle(), round);
            done = true;
        });
        // This thread is not serving until the send has been queued (and so has woken it).
        while (wakes.load() < round)
            std::this_thread::yield();
        platform::WaitServingSends([&] { return done.load(); });
        worker.join();
    }
    platform::SetThreadWaker({});
    EXPECT_EQ(wakes.load(), 2);
}

TEST(SyncSend, AHandlerMaySendToAnotherThreadsTargetWhileItsSenderWaits) {
    // Worker A sends to the main thread's target; its handler sends to a target owned by worker B,
    // which serves. No thread waits on itself.
    struct Forwarder : MessageTarget {
        MessageHandle next;
        ~Forwarder() override { CloseMessages(); }
        intptr_t HandleRegisteredMessage(uint32_t id) override { return platform::Send(next, id) + 1; }
    } forwarder;
    std::atomic<bool> bReady{false}, aDone{false};
    MessageHandle bHandle;
    std::thread b([&] {
        RecordingTarget bTarget;
        bHandle = bTarget.Handle();
        bReady = true;
        platform::WaitServingSends([&] { return aDone.load(); });
    });
    while (!bReady)
        std::this_thread::yield();
    forwarder.next = bHandle;
    intptr_t answer = 0;
    std::thread a([&] {
        answer = platform::Send(forwarder.Handle(), 3);
        aDone = true;
    });
    platform::WaitServingSends([&] { return aDone.load(); });
    a.join();
    b.join();
    EXPECT_EQ(answer, 31);
}
