#include "MessageBox.h"

#include "CommandIds.h"
#include "MessageText.h"
#include "SyncSend.h"
#include "UiThread.h"
#include "cMsgDialog.h"

#include <QApplication>

#include <cstdio>
#include <mutex>

namespace {

std::mutex& BlockMutex() {
    static std::mutex mutex;
    return mutex;
}

MessageParameters& Block() {
    static MessageParameters block;
    return block;
}

int Show(const MessageParameters& parameters) {
    {
        std::lock_guard lock(BlockMutex());
        Block() = parameters;
    }
    cMsgDialog dialog(parameters, QApplication::activeWindow());
    return dialog.exec();
}

int ShowOnUiThread(MessageParameters parameters) {
    parameters.text = LineFeedsToLineBreaks(parameters.text);
    const std::thread::id ui = platform::UserInterfaceThread();
    if (!qApp || ui == std::thread::id()) {
        // No windows yet (or any more): the message still reaches the user.
        std::fprintf(stderr, "Quarvel: %s\n", parameters.text.c_str());
        return IDCANCEL;
    }
    return int(platform::CallOnThread(ui, [&parameters] { return intptr_t(Show(parameters)); }));
}

} // namespace

int MessageBoxById(uint32_t stringId, int32_t buttonStyle, int32_t pairStyle) {
    return ShowOnUiThread({ResourceTextOrError(stringId), buttonStyle, pairStyle});
}

int MessageBoxText(const std::string& text, int32_t buttonStyle, int32_t pairStyle) {
    return ShowOnUiThread({text, buttonStyle, pairStyle});
}

MessageParameters LastMessageParameters() {
    std::lock_guard lock(BlockMutex());
    return Block();
}
