#include "QtMessagePump.h"

#include "SyncSend.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform {

namespace {
QEvent::Type WakeType() {
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}
} // namespace

QtMessagePump::QtMessagePump() {
    const QEvent::Type type = WakeType();
    // The waker runs under the dispatcher's lock and our destructor removes it under that lock, so it
    // never posts to a pump that is gone.
    SetThreadWaker([this, type] { QCoreApplication::postEvent(this, new QEvent(type)); });
}

QtMessagePump::~QtMessagePump() {
    SetThreadWaker({});
}

bool QtMessagePump::event(QEvent* event) {
    if (event->type() == WakeType()) {
        ServePendingSends();
        return true;
    }
    return QObject::event(event);
}

} // namespace platform
