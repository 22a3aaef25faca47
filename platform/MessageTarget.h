// A window (or any object bound to one thread) that takes registered messages.
//
// A target belongs to the thread that built it. `Send` (SyncSend.h) reaches it in one of two ways: on
// that thread the handler runs at once; from another thread the request is queued for the owner thread
// and the sender blocks until the handler has returned. A target that is being destroyed answers 0 at
// once, so that no worker can block on a window that is going away.
//
// Rules for a class that derives from MessageTarget:
// - Build and destroy it on the thread that will run its handler.
// - Call CloseMessages() first thing in its destructor: from then on no handler runs, every send that
//   is queued or arrives later answers 0. (The base destructor closes too, as a safety net, but by then
//   the derived part is gone.)
// - Give other threads a MessageHandle, never a raw pointer: a handle stays safe after the target died.
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

struct MessageChannel;

class MessageHandle {
public:
    MessageHandle() = default;
    // True when the handle was never bound or its target has been destroyed.
    bool Expired() const { return channel_.expired(); }

private:
    friend class MessageTarget;
    friend intptr_t Send(const MessageHandle& target, uint32_t id);
    explicit MessageHandle(std::weak_ptr<MessageChannel> channel) : channel_(std::move(channel)) {}
    std::weak_ptr<MessageChannel> channel_;
};

class MessageTarget {
public:
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    // Runs on the owner thread; the result is the sender's answer.
    virtual intptr_t HandleRegisteredMessage(uint32_t id) = 0;

    MessageHandle Handle() const { return MessageHandle(channel_); }

    // Stops taking messages for good and answers every waiting sender with 0. Idempotent.
    void CloseMessages();
    bool MessagesClosed() const;

protected:
    MessageTarget();
    virtual ~MessageTarget();

private:
    friend intptr_t Send(MessageTarget* target, uint32_t id);
    std::shared_ptr<MessageChannel> channel_;
};

} // namespace platform
