// The state of the keyboard's lock keys, as the window system reports it.
#pragma once

namespace platform {

struct KeyboardLocks {
    bool known = false; // false when the window system does not tell (then all three read off)
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

// UI thread only, with a running QGuiApplication.
KeyboardLocks QueryKeyboardLocks();

} // namespace platform
