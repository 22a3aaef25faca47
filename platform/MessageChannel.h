// Internal to the message seam: what a MessageHandle points at. `closed` is written only under the
// dispatcher's lock (SyncSend.cpp) and read by senders without it; `target` is only dereferenced on
// `owner` while `closed` is false.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

namespace platform {

class MessageTarget;
struct Inbox;

struct MessageChannel {
    MessageTarget* target = nullptr;
    std::thread::id owner;
    Inbox* inbox = nullptr; // the owner thread's; lives as long as the program
    std::atomic<bool> closed{false};
};

// Binds a new channel to the calling thread (SyncSend.cpp).
void OpenChannel(MessageChannel& channel, MessageTarget* target);
// Marks the channel closed and answers its queued requests with 0 (SyncSend.cpp).
void CloseChannel(const std::shared_ptr<MessageChannel>& channel);
bool IsChannelClosed(const std::shared_ptr<MessageChannel>& channel);
// Delivers `id` to the channel's target: at once on its owner thread, else queued and waited for.
intptr_t DeliverToChannel(const std::shared_ptr<MessageChannel>& channel, uint32_t id);

} // namespace platform
