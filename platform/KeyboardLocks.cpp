#include "KeyboardLocks.h"

#include <QGuiApplication>

#if QUARVEL_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

namespace platform {

#if QUARVEL_HAVE_X11
namespace {
bool NamedIndicator(Display* display, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return false;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return false;
    return on == True;
}
} // namespace
#endif

KeyboardLocks QueryKeyboardLocks() {
    KeyboardLocks locks;
#if QUARVEL_HAVE_X11
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (Display* display = x11 ? x11->display() : nullptr) {
        locks.known = true;
        locks.caps = NamedIndicator(display, "Caps Lock");
        locks.num = NamedIndicator(display, "Num Lock");
        locks.scroll = NamedIndicator(display, "Scroll Lock");
    }
#endif
    return locks;
}

} // namespace platform
