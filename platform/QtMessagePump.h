// Connects the message seam to a Qt event loop: while a pump lives, a send queued for its thread posts
// a wake-up event to it, and the event loop then serves the queued sends. Build one per thread that
// runs an event loop and takes registered messages (the UI thread), on that thread.
#pragma once

#include <QObject>

namespace platform {

class QtMessagePump : public QObject {
public:
    QtMessagePump();
    ~QtMessagePump() override;

protected:
    bool event(QEvent* event) override;
};

} // namespace platform
