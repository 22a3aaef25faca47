#include "Execution.h"

#include "CQuarvelDoc.h"
#include "ExecRules.h"
#include "RegisteredMessages.h"
#include "StringTable.h"
#include "SyncSend.h"

#include <cstring>

namespace exec {

namespace {

constexpr int32_t kNoMoreRows = 1403;

void ResetErrorHandle(CQuarvelDoc& doc) {
    if (DBConnect* session = doc.Session())
        session->ResetErrorHandle();
}

// Drops the current statement and its buffers. On the UI thread, or on the worker while it runs.
void DropStatement(CQuarvelDoc& doc) {
    doc.State().statement.reset();
    doc.State().columns.Clear();
}

void SendFetchStatus(CQuarvelDoc& doc, int32_t busy) {
    ApplicationFields& app = doc.App();
    app.fetchBusy = busy;
    platform::Send(app.FetchDialog(), FETCH_ROW_STATUS);
}

void SendProgress(CQuarvelDoc& doc) {
    WriteProgressText(doc.State().rowsFetched, doc.App().progressText);
    SendFetchStatus(doc, 1);
}

// Reads the lines DBMS_OUTPUT collected during the statement into the server output lines.
void ReadServerOutput(CQuarvelDoc& doc, ExecHost& host) {
    StatementState& state = doc.State();
    static const char kGetLine[] = "BEGIN DBMS_OUTPUT.GET_LINE(line=>:p1, status=>:p2); END;";
    DBStmt reader;
    char line[257] = {};
    uint16_t length = 0;
    int16_t indicator = 0;
    uint16_t returnCode = 0;
    int32_t status = 0;
    try {
        reader.Prepare(doc.Session(), kGetLine);
        reader.BindString(1, line, 256, &length, &indicator, &returnCode);
        reader.BindInt(2, &status);
        while (status != 1) {
            std::memset(line, 0, sizeof line);
            reader.Execute();
            if (status != 1)
                state.serverOutputLines.emplace_back(line, strnlen(line, 256));
        }
    } catch (const DBStmt::OtherException&) {
        const std::string text = reader.ErrorText();
        SendOutput(doc, text);
        host.ShowMessageText(text);
        ResetErrorHandle(doc);
    }
}

} // namespace

void SendOutput(CQuarvelDoc& doc, const std::string& text) {
    doc.State().outputText = text;
    platform::Send(doc.State().outputWindow, SQL_OUTPUT_MESSAGE);
}

bool ExecuteCommand(CQuarvelDoc& doc, const std::shared_ptr<ExecHost>& host, const std::string& selectedText) {
    StatementState& state = doc.State();
    host->HideResultPane();
    std::string text = selectedText;
    for (char& c : text)
        if (c == '\r')
            c = ' ';
    if (text.empty()) {
        SendOutput(doc, "Error: Select text for processing.");
        return false;
    }
    if (doc.IsWorkerRunning()) {
        host->ShowMessageId(strings::kStatementRunning);
        return false;
    }
    state.pendingChanges = 0;
    DropStatement(doc);
    state.resultCaptionText.clear();
    platform::Send(state.frameWindow, SQL_REPORT_STATUS);
    state.serverOutputLines.clear();
    // The statement borrows this text; the old statement that borrowed the previous one is gone.
    state.executedText = std::move(text);

    if (state.serverOutputOn) {
        const std::string enable =
            "BEGIN DBMS_OUTPUT.ENABLE(" + std::to_string(doc.Settings().dbmsOutputBufferSize) + "); END;";
        DBStmt enabler;
        try {
            enabler.Prepare(doc.Session(), enable.c_str());
            enabler.Execute();
        } catch (const DBStmt::OtherException&) {
            SendOutput(doc, std::string("Enable DBMS_OUTPUT Error: ") + enabler.ErrorText());
            ResetErrorHandle(doc);
            return false;
        }
    }

    state.statement = std::make_unique<DBStmt>();
    try {
        state.statement->Prepare(doc.Session(), state.executedText.c_str());
        state.statementKind = state.statement->StatementType();
    } catch (const DBStmt::OtherException&) {
        SendOutput(doc, state.statement->ErrorText());
        DropStatement(doc);
        ResetErrorHandle(doc);
        return false;
    }

    host->WriteHistory(state.executedText);
    state.lastStatementText = state.executedText;
    host->DisableInput();
    SendOutput(doc, "Execute statement:");
    SendOutput(doc, state.executedText);

    state.startFlag = 1;
    host->UpdateViews();
    state.startFlag = 0;
    state.pendingChanges = 1;
    return true;
}

bool StartExecution(CQuarvelDoc& doc, const std::shared_ptr<ExecHost>& host, std::vector<std::string>& titles) {
    StatementState& state = doc.State();
    titles.clear();
    if (!state.statement)
        return false;
    if (state.statementKind != StatementKind::Select) {
        state.allFetched = 0;
        state.rowsThisBatch = 1;
        state.selectNewRow = 0;
        state.rowsFetched = 0;
        return StartWorker(doc, host);
    }
    auto refuse = [&](const std::string& text) {
        titles.clear();
        SendOutput(doc, text);
        host->RestoreCaret();
        DropStatement(doc);
        ResetErrorHandle(doc);
        return false;
    };
    DBStmt& stmt = *state.statement;
    try {
        const uint32_t count = stmt.Describe();
        if (count > kMaxColumns)
            return refuse("Max field count for query: 1024");
        titles.reserve(count);
        for (uint32_t p = 1; p <= count; ++p)
            titles.emplace_back(stmt.ColumnName(p));
        for (uint32_t p = 1; p <= count; ++p) {
            const ColumnKind kind = stmt.ColumnType(p);
            const uint16_t size = stmt.ColumnSize(p);
            if (!state.columns.DefineColumn(stmt, p - 1, kind, size))
                return refuse("Unsupported data type.");
        }
    } catch (const DBStmt::OtherException&) {
        // A query's parse errors surface here, when it is described: point at them as a failed fetch
        // does.
        const std::string text = stmt.ErrorText();
        const CaretPlace place = CaretForParseError(state.executedText, stmt.ParseErrorOffset());
        host->PlaceCaret(place.line, place.column);
        return refuse(text);
    }
    state.allFetched = 0;
    state.selectNewRow = 0;
    state.rowsThisBatch = doc.Settings().firstFetchCount;
    state.rowsFetched = 0;
    return StartWorker(doc, host);
}

bool StartBatch(CQuarvelDoc& doc, const std::shared_ptr<ExecHost>& host, int32_t rows, bool selectNewRow) {
    StatementState& state = doc.State();
    if (state.allFetched != 0 || !state.statement || doc.IsWorkerRunning())
        return false;
    state.selectNewRow = selectNewRow ? 1 : 0;
    state.rowsThisBatch = rows;
    return StartWorker(doc, host);
}

bool StartWorker(CQuarvelDoc& doc, const std::shared_ptr<ExecHost>& host) {
    // The worker keeps the host alive for its whole run.
    if (doc.StartWorker([host](CQuarvelDoc& d) { RunBatch(d, *host); }))
        return true;
    SendOutput(doc, "SQL Execution Thread error.");
    host->RestoreCaret();
    DropStatement(doc);
    ResetErrorHandle(doc);
    return false;
}

void RunBatch(CQuarvelDoc& doc, ExecHost& host) {
    StatementState& state = doc.State();
    state.workerSemaphore.acquire();
    struct Release {
        std::binary_semaphore& semaphore;
        ~Release() { semaphore.release(); }
    };
    {
        Release release{state.workerSemaphore};
        if (state.allFetched == 1 || !state.statement)
            return;
        SendOutput(doc, "Executing..");
        SendProgress(doc);

        const bool isQuery = state.statementKind == StatementKind::Select;
        for (int32_t i = 0; i < state.rowsThisBatch; ++i) {
            // A closing window asks the batch to end as the cancel event does.
            if (doc.App().fetchCancel.Poll() || doc.StopRequested()) {
                SendOutput(doc, state.allFetched == 1 ? "Statement processed." : "Statement processed (partial).");
                SendFetchStatus(doc, 0);
                host.RestoreCaret();
                break;
            }
            if (i == kFetchCap) {
                SendFetchStatus(doc, 0);
                SendOutput(doc, "Max rows to fetch limited by 1000000000.");
                DropStatement(doc);
                host.RestoreCaret();
                ResetErrorHandle(doc);
                break;
            }
            DBStmt* stmt = state.statement.get();
            try {
                stmt->Fetch();
                if (isQuery) {
                    ++state.rowsFetched;
                    platform::Send(state.gridWindow, INSERT_SQL_REPORT_MESSAGE);
                    SendProgress(doc);
                    if (!state.statement) {
                        // The grid could not show the row and dropped the statement: nothing more to fetch.
                        SendFetchStatus(doc, 0);
                        host.RestoreCaret();
                        break;
                    }
                    if (i == state.rowsThisBatch - 1)
                        SendOutput(doc, "Statement processed (partial).");
                    continue;
                }
                if (state.statementKind == StatementKind::Update || state.statementKind == StatementKind::Delete ||
                    state.statementKind == StatementKind::Insert) {
                    uint32_t count = 0;
                    try {
                        count = stmt->RowCount();
                    } catch (const DBStmt::OtherException&) {
                        SendOutput(doc, stmt->ErrorText());
                        ResetErrorHandle(doc);
                        host.RestoreCaret();
                        break;
                    }
                    state.allFetched = 1;
                    SendOutput(doc, RowCountText(state.statementKind, count));
                    host.RestoreCaret();
                    break;
                }
                if (state.serverOutputOn)
                    ReadServerOutput(doc, host);
                state.allFetched = 1;
                SendOutput(doc, "Statement processed.");
                host.RestoreCaret();
                break;
            } catch (const DBStmt::OtherException&) {
                if (stmt->ErrorCode() == kNoMoreRows) {
                    SendFetchStatus(doc, 0);
                    state.allFetched = 1;
                    ResetErrorHandle(doc);
                    SendOutput(doc, FinalFetchText(state.rowsFetched));
                    host.RestoreCaret();
                    platform::Send(state.gridWindow, INSERT_SQL_REPORT_MESSAGE);
                } else {
                    SendFetchStatus(doc, 0);
                    const CaretPlace place = CaretForParseError(state.executedText, stmt->ParseErrorOffset());
                    host.PlaceCaret(place.line, place.column);
                    SendOutput(doc, stmt->ErrorText());
                    host.RestoreCaret();
                    DropStatement(doc);
                    ResetErrorHandle(doc);
                }
                break;
            }
        }
    }
    host.RestoreCaret();
}

namespace {

// Commit and Rollback differ only in the call and the words that report it.
void EndTransaction(CQuarvelDoc& doc, ExecHost& host, bool commit) {
    if (doc.IsWorkerRunning()) {
        host.ShowMessageId(strings::kStatementRunning);
        return;
    }
    StatementState& state = doc.State();
    if (!doc.Session() || !doc.Session()->IsConnected() || !state.statement)
        return;
    try {
        if (commit)
            state.statement->Commit();
        else
            state.statement->Rollback();
    } catch (const DBStmt::OtherException&) {
        // The changes are still pending: say why instead of claiming success.
        SendOutput(doc, state.statement->ErrorText());
        ResetErrorHandle(doc);
        return;
    }
    state.pendingChanges = 0;
    SendOutput(doc, commit ? "Commit complete." : "Rollback complete.");
}

} // namespace

void CommitCommand(CQuarvelDoc& doc, ExecHost& host) { EndTransaction(doc, host, true); }

void RollbackCommand(CQuarvelDoc& doc, ExecHost& host) { EndTransaction(doc, host, false); }

void StopCommand(CQuarvelDoc& doc) {
    if (doc.IsWorkerRunning() && doc.Session())
        doc.Session()->Break();
}

void ServerOutputCommand(CQuarvelDoc& doc, ExecHost& host) {
    StatementState& state = doc.State();
    if (state.serverOutputOn == 1) {
        state.serverOutputOn = 0;
        if (doc.Settings().showSqlOutputWindow == 0)
            host.HideOutputPane();
    } else {
        state.serverOutputOn = 1;
        host.ShowOutputPane();
    }
    platform::Send(state.frameWindow, SB_SQL_SERVER_OUTPUT_MESSAGE);
}

} // namespace exec
