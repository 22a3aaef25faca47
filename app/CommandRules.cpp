#include "CommandRules.h"

#include "CommandIds.h"

std::optional<bool> SqlMainFrameRule(uint32_t commandId, bool workerRunning) {
    switch (commandId) {
    case cmd::kStopSql:
        return workerRunning;
    case cmd::kExecuteSql:
    case cmd::kExecuteStatement:
    case cmd::kExecuteScript:
    case cmd::kExplainPlan:
    case cmd::kCommit:
    case cmd::kRollback:
    case cmd::kSaveFileAs:
    case cmd::kSaveFile:
    case cmd::kCut:
    case cmd::kCopy:
    case cmd::kPaste:
    case cmd::kUndo:
        return !workerRunning;
    case cmd::kSqlHistory:
    case cmd::kViewCell:
    case cmd::kAutoformatByData:
    case cmd::kAutoformatByName:
    case cmd::kAutoformatBoth:
    case cmd::kLastRow:
    case cmd::kFirstRow:
    case cmd::kExportData:
        return true;
    default:
        return std::nullopt;
    }
}

std::optional<bool> SplitFrameRule(uint32_t commandId, bool workerRunning) {
    switch (commandId) {
    case cmd::kAutoformatByData:
    case cmd::kAutoformatByName:
    case cmd::kAutoformatBoth:
    case cmd::kNextRow:
    case cmd::kPreviousRow:
    case cmd::kLastRow:
    case cmd::kFirstRow:
    case cmd::kExportData:
        return !workerRunning;
    default:
        return std::nullopt;
    }
}
