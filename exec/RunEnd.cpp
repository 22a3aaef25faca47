#include "RunEnd.h"

#include "ExecContext.h"
#include "RegisteredMessages.h"
#include "ServerOutput.h"
#include "SyncSend.h"

namespace exec {

void DropStatement(ExecContext& cx) {
    cx.state.statement.reset();
    cx.state.columns.Clear();
}

void RenewErrorHandle(ExecContext& cx) {
    if (cx.session)
        cx.session->ResetErrorHandle();
}

void SendOutput(ExecContext& cx, const std::string& text) {
    cx.state.outputText = text;
    platform::Send(cx.state.outputWindow, SQL_OUTPUT_MESSAGE);
}

void EndRun(ExecContext& cx, const RunEnd& end) {
    if (!cx.run.EnterEnding())
        return;
    cx.run.busy = 0;
    platform::Send(cx.run.ProgressDialog(), FETCH_ROW_STATUS);
    if (end.readServerOutput) {
        ReadServerOutput(cx);
        if (!end.serverOutputHeading.empty() && !cx.state.serverOutputLines.empty())
            SendOutput(cx, end.serverOutputHeading);
    }
    if (end.errorPlace && cx.host)
        cx.host->PlaceCaret(cx.state.selectionFirstLine + end.errorPlace->line, end.errorPlace->column);
    if (!end.report.empty())
        SendOutput(cx, end.report);
    if (cx.host)
        cx.host->RestoreCaret();
    if (end.allRowsShown)
        platform::Send(cx.state.gridWindow, SB_SQL_ROWS_MESSAGE);
    if (end.dropStatement)
        DropStatement(cx);
    if (end.renewErrorHandle)
        RenewErrorHandle(cx);
    cx.run.Finish();
}

} // namespace exec
