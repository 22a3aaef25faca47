#include "ScriptRun.h"

#include "RegisteredMessages.h"
#include "RunEnd.h"
#include "ScriptSteps.h"
#include "ServerOutput.h"
#include "SyncSend.h"

namespace script {

namespace {

exec::RunEnd Failed(DBStmt& stmt) {
    return {.report = stmt.ErrorText(), .dropStatement = true, .renewErrorHandle = true};
}

// The worker's body: every statement of the script in turn.
exec::RunEnd RunScript(exec::ExecContext& cx, const SplitterSource& source) {
    exec::StatementState& state = cx.state;
    const Splitter splitter = source ? source() : Splitter{};
    if (!splitter.split) {
        state.pendingChanges = 0;
        return {.report = SplitterMissingText(splitter)};
    }
    // The script is kept apart from the executed text, which holds each statement in turn.
    const std::string script = state.executedText;
    ScriptSteps steps(script, splitter.split);
    ScriptStep step;
    int counter = 1;
    while (steps.Next(step)) {
        if (cx.run.StopRequested())
            return {.report = exec::kStopReport, .dropStatement = true, .renewErrorHandle = true};
        if (cx.run.CloseRequested())
            return {};
        if (cx.host)
            cx.host->MarkExecLine(step.terminatorLine);
        state.executedText.assign(step.text);
        state.pendingChanges = 1;
        exec::SendOutput(cx, "[" + std::to_string(counter) + "]: " + state.executedText);
        exec::DropStatement(cx);
        state.serverOutputLines.clear();

        state.statement = std::make_unique<DBStmt>();
        DBStmt& stmt = *state.statement;
        try {
            stmt.Prepare(cx.session, state.executedText.c_str());
            state.statementKind = stmt.StatementType();
        } catch (const DBStmt::OtherException&) {
            return Failed(stmt);
        }
        if (state.statementKind == StatementKind::Select)
            return {.report = "Select statement in script not supported.", .dropStatement = true, .renewErrorHandle = true};
        try {
            stmt.Execute();
        } catch (const DBStmt::OtherException&) {
            exec::RunEnd end = Failed(stmt);
            end.errorPlace = ScriptErrorPlace(script, step.start, stmt.ParseErrorOffset());
            return end;
        }
        state.pendingChanges = 1;
        exec::NoteTransactionEffect(state.uncommittedWork, state.statementKind, state.executedText);
        exec::SendOutput(cx, "Statement processed.");
        ++counter;
    }
    return {.readServerOutput = state.serverOutputOn != 0, .serverOutputHeading = "Server output:"};
}

} // namespace

exec::Outcome ExecuteScript(exec::ExecContext& cx, const std::string& selectedText, int32_t selectionFirstLine,
                            SplitterSource splitter) {
    exec::StatementState& state = cx.state;
    std::string text = exec::ExecutedText(selectedText);
    state.startFlag = 0;
    if (text.empty()) {
        state.pendingChanges = 0;
        exec::SendOutput(cx, "Error: Select text for processing.");
        return exec::Outcome::NotStarted;
    }
    if (!cx.run.Begin())
        return exec::Outcome::Refused;
    cx.run.SetProgressDialog({});
    state.selectionFirstLine = selectionFirstLine;
    if (state.serverOutputOn && !exec::EnableServerOutput(cx, "Enable DBMS_OUTPUT error:")) {
        exec::EndRun(cx, {});
        return exec::Outcome::NotStarted;
    }
    exec::DropStatement(cx);
    state.resultCaptionText.clear();
    platform::Send(state.frameWindow, SQL_REPORT_STATUS);
    state.serverOutputLines.clear();
    state.pendingChanges = 0;
    exec::SendOutput(cx, "Execute script..");
    state.executedText = std::move(text);
    if (cx.host) {
        cx.host->WriteHistory(state.executedText);
        cx.host->DisableInput();
    }
    if (cx.run.Launch([&cx, splitter = std::move(splitter)] { exec::EndRun(cx, RunScript(cx, splitter)); }))
        return exec::Outcome::Started;
    exec::EndRun(cx, {.report = "SQL Execution Thread error.", .dropStatement = true, .renewErrorHandle = true});
    return exec::Outcome::NotStarted;
}

} // namespace script
