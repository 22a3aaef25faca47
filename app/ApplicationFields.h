// The values the application object holds for the other parts: what passes from the connect dialog to
// the next document, from the execution commands to their workers, and to the cell viewer.
//
// Thread contract: written on the UI thread. Workers read `currentDocument` at their start, poll
// `fetchCancel`, and write the progress fields just before a synchronous send to the progress dialog.
#pragma once

#include "AutoResetEvent.h"
#include "DBConnect.h"
#include "MessageTarget.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CQuarvelDoc;

struct ApplicationFields {
    ApplicationFields() = default;
    ApplicationFields(const ApplicationFields&) = delete;
    ApplicationFields& operator=(const ApplicationFields&) = delete;

    // The session the connect dialog logged on; the next document takes it over. A failed attempt's
    // session is released when the next attempt replaces it.
    std::unique_ptr<DBConnect> pendingConnection;
    std::string lastUserName;
    std::string lastConnectString;
    std::atomic<CQuarvelDoc*> currentDocument{nullptr};
    platform::AutoResetEvent fetchCancel;
    // Fetch progress, shared by the worker and the progress dialog.
    std::atomic<int32_t> fetchBusy{0};
    std::string progressText;
    // The open progress dialog; the worker reads it while the dialog may be opening.
    void SetFetchDialog(platform::MessageHandle dialog) {
        std::lock_guard lock(fetchDialogMutex_);
        fetchDialog_ = std::move(dialog);
    }
    platform::MessageHandle FetchDialog() const {
        std::lock_guard lock(fetchDialogMutex_);
        return fetchDialog_;
    }
    // Cell viewer texts.
    std::string cellValue;
    std::string cellColumnName;
    // The framework's recent-file list, newest first.
    std::vector<std::string> recentFiles;
    // Shows one of the framework's own failure messages by string id (set by the windows).
    std::function<void(uint32_t stringId)> showFrameworkError;

private:
    mutable std::mutex fetchDialogMutex_;
    platform::MessageHandle fetchDialog_;
};
