#include "MessageTarget.h"

#include "MessageChannel.h"

namespace platform {

MessageTarget::MessageTarget() : channel_(std::make_shared<MessageChannel>()) {
    OpenChannel(*channel_, this);
}

MessageTarget::~MessageTarget() {
    CloseMessages();
}

void MessageTarget::CloseMessages() {
    CloseChannel(channel_);
}

bool MessageTarget::MessagesClosed() const {
    return IsChannelClosed(channel_);
}

} // namespace platform
