// The values the application object holds for the other parts: what passes from the connect dialog to
// the next document, and to the cell viewer. Nothing here belongs to a run of a window: each
// document's run holds its own cancel, progress and dialog.
//
// Thread contract: UI thread only.
#pragma once

#include "DBConnect.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
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
    // Whether the last successful logon was AS SYSDBA (the captions say so).
    bool lastSysdba = false;
    // Line numbers in the SQL text's margin: windows opened later start as the last toggle left it.
    bool lineNumbers = false;
    // The password of that logon, kept only until the files named on the command line have their
    // windows (each further file gets a session of its own on the same connect), then wiped.
    std::string startupPassword;
    // The document built last (null once it is destroyed).
    std::atomic<CQuarvelDoc*> currentDocument{nullptr};
    // Cell viewer texts.
    std::string cellValue;
    std::string cellColumnName;
    // The framework's recent-file list, newest first.
    std::vector<std::string> recentFiles;
    // Shows one of the framework's own failure messages by string id (set by the windows).
    std::function<void(uint32_t stringId)> showFrameworkError;
    // Shows a text through the program's message dialog (set by the windows): with `question` it has
    // OK and Cancel and returns true for OK; otherwise it has OK alone.
    std::function<bool(const std::string& text, bool question)> showMessage;
};
