#include "ExecCommands.h"

#include "CQuarvelDoc.h"
#include "CommandIds.h"
#include "Execution.h"
#include "ExplainPlan.h"
#include "MessageBox.h"
#include "SessionCommands.h"
#include "StringTable.h"

#include <optional>

namespace {

std::optional<exec::SessionCommand> SessionCommandOf(uint32_t id) {
    switch (id) {
    case cmd::kCommit: return exec::SessionCommand::Commit;
    case cmd::kRollback: return exec::SessionCommand::Rollback;
    case cmd::kStopSql: return exec::SessionCommand::Stop;
    case cmd::kServerOutput: return exec::SessionCommand::ServerOutput;
    default: return std::nullopt;
    }
}

} // namespace

bool ShowOutcome(exec::Outcome outcome) {
    if (outcome == exec::Outcome::Refused)
        MessageBoxById(strings::kStatementRunning);
    return outcome == exec::Outcome::Started;
}

bool ExecuteSql(CQuarvelDoc& doc, const std::string& selectedText, int32_t selectionFirstLine) {
    return ShowOutcome(exec::ExecuteCommand(doc.Exec(), selectedText, selectionFirstLine));
}

bool ExplainPlanSql(CQuarvelDoc& doc, const std::string& selectedText, int32_t selectionFirstLine) {
    return ShowOutcome(exec::ExplainPlan(doc.Exec(), selectedText, selectionFirstLine));
}

bool IsSessionCommand(uint32_t id) {
    return SessionCommandOf(id).has_value();
}

bool RouteSessionCommand(CQuarvelDoc& doc, uint32_t id, std::string_view reportPrefix) {
    const std::optional<exec::SessionCommand> command = SessionCommandOf(id);
    if (!command)
        return false;
    ShowOutcome(exec::RunSessionCommand(doc.Exec(), *command, reportPrefix));
    return true;
}
