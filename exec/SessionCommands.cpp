#include "SessionCommands.h"

#include "RegisteredMessages.h"
#include "RunEnd.h"
#include "SyncSend.h"

namespace exec {

namespace {

// Commit and Rollback differ only in the call and the words that report it.
Outcome EndTransaction(ExecContext& cx, bool commit, std::string_view prefix) {
    if (cx.run.IsActive())
        return Outcome::Refused;
    StatementState& state = cx.state;
    // A statement whose preparation never got as far as its session cannot end a transaction.
    if (!cx.session || cx.session->IsConnected() != 1 || !state.statement || !state.statement->SqlText())
        return Outcome::NotStarted;
    // Start from a clean error handle so that an old error is not taken for this call's.
    RenewErrorHandle(cx);
    try {
        if (commit)
            state.statement->Commit();
        else
            state.statement->Rollback();
    } catch (const DBStmt::OtherException&) {
        // The changes are still pending: say why instead of claiming success.
        SendOutput(cx, state.statement->ErrorText());
        RenewErrorHandle(cx);
        return Outcome::NotStarted;
    }
    state.pendingChanges = 0;
    state.uncommittedWork = 0;
    SendOutput(cx, std::string(prefix) + (commit ? "Commit complete." : "Rollback complete."));
    return Outcome::Started;
}

void Stop(ExecContext& cx) {
    if (!cx.run.IsActive())
        return;
    cx.run.RequestStop();
    if (cx.session)
        cx.session->Break();
}

void SwitchServerOutput(ExecContext& cx) {
    StatementState& state = cx.state;
    if (state.serverOutputOn == 1) {
        state.serverOutputOn = 0;
        if (cx.settings.showSqlOutputWindow == 0 && cx.host)
            cx.host->HideOutputPane();
    } else {
        state.serverOutputOn = 1;
        if (cx.host)
            cx.host->ShowOutputPane();
    }
    platform::Send(state.frameWindow, SB_SQL_SERVER_OUTPUT_MESSAGE);
}

} // namespace

Outcome RunSessionCommand(ExecContext& cx, SessionCommand command, std::string_view reportPrefix) {
    switch (command) {
    case SessionCommand::Commit: return EndTransaction(cx, true, reportPrefix);
    case SessionCommand::Rollback: return EndTransaction(cx, false, reportPrefix);
    case SessionCommand::Stop: Stop(cx); return Outcome::Started;
    case SessionCommand::ServerOutput: SwitchServerOutput(cx); return Outcome::Started;
    }
    return Outcome::NotStarted;
}

} // namespace exec
