#include "OutputNotices.h"

#include <algorithm>

namespace script {

std::string ServerOutputListLine(const std::string& prefix, const std::string& serverLine) {
    return prefix + serverLine;
}

NoticePlan PlanNotice(int lineCount, int nextIndex, const NoticeInput& notice) {
    NoticePlan plan;
    int count = std::max(lineCount, 0);
    // The next index may run ahead of the lines (an empty first notice counts a line it did not add);
    // an insertion there lands at the end, as the list control does.
    auto insert = [&](std::string text) {
        plan.lines.push_back({std::clamp(plan.nextIndex, 0, count), std::move(text)});
        ++count;
        ++plan.nextIndex;
    };

    plan.firstNotice = notice.pendingChanges == 0;
    if (plan.firstNotice) {
        plan.nextIndex = count;
        if (!notice.outputText.empty()) {
            insert(notice.prefix + notice.outputText);
        } else {
            ++plan.nextIndex;
        }
    } else {
        plan.nextIndex = nextIndex;
        insert(notice.prefix + notice.outputText);
        plan.clearSelection = true;
    }
    if (notice.serverOutputOn != 0 && notice.serverOutputLines) {
        for (const std::string& line : *notice.serverOutputLines)
            insert(ServerOutputListLine(notice.prefix, line));
    }
    return plan;
}

} // namespace script
