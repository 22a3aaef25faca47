// Internal to the message seam: what a MessageHandle points at. The fields are guarded by the
// dispatcher's lock (SyncSend.cpp); `target` is only dereferenced on `owner` while `closed` is false.
#pragma once

#include <memory>
#include <thread>

namespace platform {

class MessageTarget;

struct MessageChannel {
    MessageTarget* target = nullptr;
    std::thread::id owner;
    bool closed = false;
};

// Marks the channel closed and answers its queued requests with 0 (SyncSend.cpp).
void CloseChannel(const std::shared_ptr<MessageChannel>& channel);
bool IsChannelClosed(const std::shared_ptr<MessageChannel>& channel);
// Delivers `id` to the channel's target: at once on its owner thread, else queued and waited for.
intptr_t DeliverToChannel(const std::shared_ptr<MessageChannel>& channel, uint32_t id);

} // namespace platform
