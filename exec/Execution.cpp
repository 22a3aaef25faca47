#include "Execution.h"

#include "ExecRules.h"
#include "RegisteredMessages.h"
#include "RunEnd.h"
#include "ServerOutput.h"
#include "SyncSend.h"

namespace exec {

namespace {

constexpr int32_t kNoMoreRows = 1403;

void SendProgress(ExecContext& cx) {
    WriteProgressText(cx.state.rowsFetched, cx.run.progressText);
    cx.run.busy = 1;
    platform::Send(cx.run.ProgressDialog(), FETCH_ROW_STATUS);
}

// The ways a batch can end, as the end-of-run path is to carry them out.
RunEnd Failed(ExecContext& cx, DBStmt& stmt) {
    RunEnd end;
    end.errorPlace = CaretForParseError(cx.state.executedText, stmt.ParseErrorOffset());
    end.report = stmt.ErrorText();
    end.dropStatement = true;
    end.renewErrorHandle = true;
    return end;
}

RunEnd Stopped() {
    RunEnd end;
    end.report = kStopReport;
    end.dropStatement = true;
    end.renewErrorHandle = true;
    return end;
}

// One batch: the worker's body.
RunEnd RunBatch(ExecContext& cx) {
    StatementState& state = cx.state;
    if (state.allFetched == 1 || !state.statement)
        return {};
    SendOutput(cx, "Executing..");
    SendProgress(cx);

    const bool isQuery = state.statementKind == StatementKind::Select;
    for (int32_t i = 0; i < state.rowsThisBatch; ++i) {
        // Stop is checked between rows as well: a break reaches the server only while it is inside a
        // call, and a fetch-all spends most of its time outside one.
        if (cx.run.StopRequested())
            return Stopped();
        // A closing window ends the batch as Cancel does.
        if (cx.run.TakeCancel() || cx.run.CloseRequested())
            return {.report = state.allFetched == 1 ? "Statement processed." : "Statement processed (partial)."};
        if (i == kFetchCap)
            return {.report = "Max rows to fetch limited by 1000000000.", .dropStatement = true, .renewErrorHandle = true};
        DBStmt& stmt = *state.statement;
        try {
            stmt.Fetch();
        } catch (const DBStmt::OtherException&) {
            if (stmt.ErrorCode() != kNoMoreRows)
                return Failed(cx, stmt);
            state.allFetched = 1;
            return {.report = FinalFetchText(state.rowsFetched), .allRowsShown = true, .renewErrorHandle = true};
        }
        if (isQuery) {
            ++state.rowsFetched;
            const intptr_t shown = platform::Send(state.gridWindow, INSERT_SQL_REPORT_MESSAGE);
            SendProgress(cx);
            if (shown == kRowRefused) // the grid said why; nothing more can be fetched
                return {.dropStatement = true, .renewErrorHandle = true};
            if (i == state.rowsThisBatch - 1)
                return {.report = "Statement processed (partial)."};
            continue;
        }
        if (state.statementKind == StatementKind::Update || state.statementKind == StatementKind::Delete ||
            state.statementKind == StatementKind::Insert) {
            uint32_t count = 0;
            try {
                count = stmt.RowCount();
            } catch (const DBStmt::OtherException&) {
                return {.report = stmt.ErrorText(), .renewErrorHandle = true};
            }
            state.allFetched = 1;
            NoteTransactionEffect(state.uncommittedWork, state.statementKind, state.executedText);
            return {.report = RowCountText(state.statementKind, count)};
        }
        state.allFetched = 1;
        NoteTransactionEffect(state.uncommittedWork, state.statementKind, state.executedText);
        return {.report = "Statement processed.", .readServerOutput = state.serverOutputOn != 0};
    }
    return {};
}

void SetBatchPrefetch(DBStmt& stmt, int32_t rows) {
    const Prefetch prefetch = PrefetchForBatch(rows);
    stmt.SetPrefetch(prefetch.rows, prefetch.memoryBytes);
}

bool Launch(ExecContext& cx) {
    if (cx.run.Launch([&cx] { EndRun(cx, RunBatch(cx)); }))
        return true;
    EndRun(cx, {.report = "SQL Execution Thread error.", .dropStatement = true, .renewErrorHandle = true});
    return false;
}

} // namespace

Outcome ExecuteCommand(ExecContext& cx, std::string selectedText, int32_t selectionFirstLine) {
    StatementState& state = cx.state;
    if (cx.host)
        cx.host->HideResultPane();
    std::string text = std::move(selectedText);
    BlankCarriageReturns(text);
    if (text.empty()) {
        SendOutput(cx, "Error: Select text for processing.");
        return Outcome::NotStarted;
    }
    if (!cx.run.Begin())
        return Outcome::Refused;
    cx.run.SetProgressDialog({});
    state.selectionFirstLine = selectionFirstLine;
    state.pendingChanges = 0;
    DropStatement(cx);
    state.resultCaptionText.clear();
    platform::Send(state.frameWindow, SQL_REPORT_STATUS);
    state.serverOutputLines.clear();
    // The statement borrows this text; the old statement that borrowed the previous one is gone.
    state.executedText = std::move(text);

    if (state.serverOutputOn && !EnableServerOutput(cx)) {
        EndRun(cx, {});
        return Outcome::NotStarted;
    }

    state.statement = std::make_unique<DBStmt>();
    try {
        state.statement->Prepare(cx.session, state.executedText.c_str());
        state.statementKind = state.statement->StatementType();
    } catch (const DBStmt::OtherException&) {
        EndRun(cx, {.report = state.statement->ErrorText(), .dropStatement = true, .renewErrorHandle = true});
        return Outcome::NotStarted;
    }

    if (cx.host) {
        cx.host->WriteHistory(state.executedText);
        cx.host->DisableInput();
    }
    state.lastStatementText = state.executedText;
    SendOutput(cx, "Execute statement:");
    SendOutput(cx, state.executedText);

    state.startFlag = 1;
    if (cx.host)
        cx.host->UpdateViews();
    state.startFlag = 0;
    state.pendingChanges = 1;
    // No view started the statement (a window without a grid): the run ends here.
    if (cx.run.State() == RunState::Starting)
        EndRun(cx, {});
    return Outcome::Started;
}

bool StartExecution(ExecContext& cx, std::vector<std::string>& titles) {
    StatementState& state = cx.state;
    titles.clear();
    if (!state.statement || cx.run.State() != RunState::Starting)
        return false;
    state.allFetched = 0;
    state.selectNewRow = 0;
    state.rowsFetched = 0;
    if (state.statementKind != StatementKind::Select) {
        state.rowsThisBatch = 1;
        return Launch(cx);
    }
    auto refuse = [&](RunEnd end) {
        titles.clear();
        end.dropStatement = true;
        end.renewErrorHandle = true;
        EndRun(cx, end);
        return false;
    };
    DBStmt& stmt = *state.statement;
    try {
        const uint32_t count = stmt.Describe();
        if (count > ColumnSlots::kMaxColumns)
            return refuse({.report = "Max field count for query: " + std::to_string(ColumnSlots::kMaxColumns)});
        titles.reserve(count);
        for (uint32_t p = 1; p <= count; ++p)
            titles.emplace_back(stmt.ColumnName(p));
        for (uint32_t p = 1; p <= count; ++p) {
            const ColumnKind kind = stmt.ColumnType(p);
            const uint16_t size = stmt.ColumnSize(p);
            if (!state.columns.DefineColumn(stmt, p - 1, kind, size))
                return refuse({.report = "Unsupported data type."});
        }
    } catch (const DBStmt::OtherException&) {
        // A query's parse errors surface here, when it is described: point at them as a failed fetch
        // does.
        return refuse({.report = stmt.ErrorText(),
                       .errorPlace = CaretForParseError(state.executedText, stmt.ParseErrorOffset())});
    }
    state.rowsThisBatch = cx.settings.firstFetchCount;
    SetBatchPrefetch(stmt, state.rowsThisBatch);
    return Launch(cx);
}

bool StartBatch(ExecContext& cx, int32_t rows, bool selectNewRow) {
    StatementState& state = cx.state;
    if (state.allFetched != 0 || !state.statement || !cx.run.Begin())
        return false;
    cx.run.SetProgressDialog({});
    state.selectNewRow = selectNewRow ? 1 : 0;
    state.rowsThisBatch = rows;
    SetBatchPrefetch(*state.statement, rows);
    return Launch(cx);
}

} // namespace exec
