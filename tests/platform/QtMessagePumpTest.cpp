#include "QtMessagePump.h"
#include "SyncSend.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {
class CountingTarget : public platform::MessageTarget {
public:
    ~CountingTarget() override { CloseMessages(); }
    intptr_t HandleRegisteredMessage(uint32_t id) override {
        ++count;
        onThread = std::this_thread::get_id();
        return id + 1;
    }
    int count = 0;
    std::thread::id onThread;
};
} // namespace

TEST(QtMessagePump, AnEventLoopServesSendsFromAWorker) {
    int argc = 1;
    char name[] = "pump";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    platform::QtMessagePump pump;
    CountingTarget target;
    std::atomic<intptr_t> answer{0};
    std::thread worker;
    QTimer::singleShot(0, [&] {
        worker = std::thread([&] {
            for (int i = 0; i < 3; ++i)
                answer = platform::Send(target.Handle(), 10);
            QMetaObject::invokeMethod(&app, [&app] { app.quit(); }, Qt::QueuedConnection);
        });
    });
    QTimer::singleShot(10000, [&app] { app.exit(1); }); // a hang fails instead of blocking the suite
    EXPECT_EQ(app.exec(), 0);
    worker.join();
    EXPECT_EQ(answer.load(), 11);
    EXPECT_EQ(target.count, 3);
    EXPECT_EQ(target.onThread, std::this_thread::get_id());
}
