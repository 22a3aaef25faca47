#include "ExecCommands.h"

#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CSplitFrame.h"
#include "CSqlMainFrame.h"
#include "CommandIds.h"
#include "ExecWindowHost.h"
#include "Execution.h"

namespace {
std::shared_ptr<ExecWindowHost> HostOf(CQuarvelDoc& doc) {
    CSqlMainFrame* frame = doc.Frame();
    CSplitFrame* split = frame ? frame->SplitFrame() : nullptr;
    CQuarvelView* grid = split ? split->Grid() : nullptr;
    if (grid)
        return grid->Host();
    // A window without a grid still runs non-queries and the session commands.
    return std::make_shared<ExecWindowHost>(&doc);
}
} // namespace

bool ExecuteSql(CQuarvelDoc& doc, const std::string& selectedText, int32_t selectionFirstLine) {
    std::shared_ptr<ExecWindowHost> host = HostOf(doc);
    if (!doc.IsWorkerRunning())
        host->SetSelectionFirstLine(selectionFirstLine);
    return exec::ExecuteCommand(doc, host, selectedText);
}

bool IsSessionCommand(uint32_t id) {
    return id == cmd::kCommit || id == cmd::kRollback || id == cmd::kStopSql || id == cmd::kServerOutput;
}

bool RunSessionCommand(CQuarvelDoc& doc, uint32_t id) {
    std::shared_ptr<ExecWindowHost> host = HostOf(doc);
    switch (id) {
    case cmd::kCommit: exec::CommitCommand(doc, *host); return true;
    case cmd::kRollback: exec::RollbackCommand(doc, *host); return true;
    case cmd::kStopSql: exec::StopCommand(doc); return true;
    case cmd::kServerOutput: exec::ServerOutputCommand(doc, *host); return true;
    default: return false;
    }
}
