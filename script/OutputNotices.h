// Where the output list puts the lines of a notice. The list itself only carries out the plan, so the
// rules can be checked without a window.
//
// A notice is "first" when the document has no pending changes: the first notice of a run, or one
// outside any run (a commit, a rollback). A first notice re-synchronises the next index with the lines
// the list holds, and adds nothing for an empty text (but still moves the next index on). A notice of a
// running run always adds a line, even for an empty text, and clears the selection. While server output
// is on, each notice is followed by all the server-output lines the last run collected.
#pragma once

#include <string>
#include <vector>

namespace script {

struct NoticeLine {
    int index = 0;    // where the line goes, counted before it is inserted (never past the end)
    std::string text; // the full line as shown
};

struct NoticePlan {
    bool firstNotice = false;      // the list also resets its column width
    std::vector<NoticeLine> lines; // inserted in this order
    int nextIndex = 0;             // the list's next index afterwards
    bool clearSelection = false;
};

struct NoticeInput {
    std::string prefix;     // "[HH:MM:SS]: "
    std::string outputText; // the document's output text
    int pendingChanges = 0;
    int serverOutputOn = 0;
    const std::vector<std::string>* serverOutputLines = nullptr;
};

// `lineCount` is how many lines the list holds now, `nextIndex` its next index.
NoticePlan PlanNotice(int lineCount, int nextIndex, const NoticeInput& notice);

// How a server-output line appears in the list.
std::string ServerOutputListLine(const std::string& prefix, const std::string& serverLine);

} // namespace script
