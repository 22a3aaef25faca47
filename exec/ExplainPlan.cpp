#include "ExplainPlan.h"

#include "ExecRules.h"
#include "RegisteredMessages.h"
#include "RunEnd.h"
#include "SyncSend.h"

#include <cstring>

namespace exec {

namespace {

constexpr int32_t kNoMoreRows = 1403;
constexpr int32_t kNoSuchTable = 942;

// The plan table's columns, as the server's own plan table has them.
constexpr const char* kPlanColumns[] = {
    "statement_id    varchar2(30),",
    "timestamp       date,",
    "remarks         varchar2(80),",
    "operation       varchar2(30),",
    "options         varchar2(255),",
    "object_node     varchar2(128),",
    "object_owner    varchar2(30),",
    "object_name     varchar2(30),",
    "object_instance numeric,",
    "object_type     varchar2(30),",
    "optimizer       varchar2(255),",
    "search_columns  number,",
    "id              numeric,",
    "parent_id       numeric,",
    "position        numeric,",
    "cost            numeric,",
    "cardinality     numeric,",
    "bytes           numeric,",
    "other_tag       varchar2(255),",
    "partition_start varchar2(255),",
    "partition_stop  varchar2(255),",
    "partition_id    numeric,",
    "other           long,",
    "distribution    varchar2(30),",
    "cpu_cost        numeric,",
    "io_cost         numeric,",
    "temp_space      numeric,",
    "access_predicates varchar2(4000),",
    "filter_predicates varchar2(4000))",
};

constexpr const char kStatementIdQuery[] = "select 'EPID'||to_char(sysdate,'DDMMYYYYHH24MISS') from dual";

// A command step that failed before the worker started: the message dialog with the server's text,
// then the run ends without a worker.
Outcome FailedStep(ExecContext& cx, const DBStmt& stmt) {
    if (cx.host)
        cx.host->ShowMessageText(stmt.ErrorText());
    EndRun(cx, {.renewErrorHandle = true});
    return Outcome::NotStarted;
}

// The worker's body: the EXPLAIN PLAN statement, then the grid reads the plan while it waits.
RunEnd RunExplain(ExecContext& cx) {
    try {
        cx.state.statement->Execute();
    } catch (const DBStmt::OtherException&) {
        if (cx.run.CloseRequested())
            return {.dropStatement = true, .renewErrorHandle = true};
        return {.report = cx.state.statement->ErrorText(), .dropStatement = true, .renewErrorHandle = true};
    }
    if (cx.run.CloseRequested())
        return {.dropStatement = true};
    if (cx.run.StopRequested())
        return {.report = kStopReport, .dropStatement = true};
    const intptr_t failed = platform::Send(cx.state.gridWindow, EXPLAIN_PLAN_MESSAGE);
    return {.dropStatement = true, .renewErrorHandle = failed != 0};
}

} // namespace

std::string PlanTableCreateText(const std::string& table) {
    std::string text = "create table " + table + " (";
    for (const char* column : kPlanColumns)
        text += column;
    return text;
}

std::string PlanStatementText(const std::string& statementId, const std::string& table, const std::string& text) {
    return "Explain plan set statement_id =  '" + statementId + "' into " + table + " for " + text;
}

std::string PlanQueryText(const std::string& table) {
    return "select to_char(id), lpad(' ', 2*level)||operation||decode(id,0,decode(nvl(cost,-1),-1,'',' Cost = '||"
           "to_char(cost)))||' '||options||' '||object_name from " +
           table +
           " where statement_id = :1 "
           "connect by prior id = parent_id "
           "and statement_id = :2 "
           "start with id = 0 "
           "and statement_id = :3 ";
}

std::string PlanTableQuestion(const std::string& table) {
    return "Explain Plan Table (" + table + ") not exists. Create table?";
}

Outcome ExplainPlan(ExecContext& cx, const std::string& selectedText, int32_t selectionFirstLine) {
    StatementState& state = cx.state;
    if (cx.host)
        cx.host->HideResultPane();
    if (!cx.run.Begin())
        return Outcome::Refused;
    cx.run.SetProgressDialog({});
    state.resultCaptionText.clear();
    platform::Send(state.frameWindow, SQL_REPORT_STATUS);
    const std::string text = ExecutedText(selectedText);
    state.selectionFirstLine = selectionFirstLine;
    if (cx.host)
        cx.host->MarkExecLine(0);
    if (text.empty()) {
        SendOutput(cx, "Error: Select text for processing.");
        EndRun(cx, {});
        return Outcome::NotStarted;
    }
    const std::string& table = cx.settings.explainPlanTableName;

    {
        // Defined with a length and an indicator, so that no reply of the server overruns it.
        char id[21] = {};
        uint16_t length = 0, returnCode = 0;
        int16_t indicator = 0;
        DBStmt query;
        try {
            query.Prepare(cx.session, kStatementIdQuery);
            query.DefineChars(1, id, 20, &length, &indicator, &returnCode);
            query.Execute();
        } catch (const DBStmt::OtherException&) {
            return FailedStep(cx, query);
        }
        state.statementId.assign(id, indicator == -1 ? 0 : std::min<size_t>(length, 20));
    }

    {
        const std::string probeText = "select 1 from " + table;
        int32_t one = 0;
        DBStmt probe;
        try {
            probe.Prepare(cx.session, probeText.c_str());
            probe.DefineInt(1, &one);
            probe.Execute();
        } catch (const DBStmt::OtherException&) {
            if (probe.ErrorCode() == kNoSuchTable) {
                RenewErrorHandle(cx);
                if (!cx.host || !cx.host->AskOkCancel(PlanTableQuestion(table))) {
                    EndRun(cx, {});
                    return Outcome::NotStarted;
                }
                const std::string createText = PlanTableCreateText(table);
                DBStmt create;
                try {
                    create.Prepare(cx.session, createText.c_str());
                    create.Execute();
                } catch (const DBStmt::OtherException&) {
                    return FailedStep(cx, create);
                }
            } else if (probe.ErrorCode() == kNoMoreRows) {
                RenewErrorHandle(cx);
            } else {
                return FailedStep(cx, probe);
            }
        }
    }

    {
        const std::string deleteText = "delete from " + table + " where statement_id = :1 ";
        std::string id = state.statementId;
        DBStmt remove;
        try {
            remove.Prepare(cx.session, deleteText.c_str());
            remove.BindChars(1, id.data(), static_cast<int32_t>(id.size()));
            remove.Execute();
            remove.Commit();
        } catch (const DBStmt::OtherException&) {
            return FailedStep(cx, remove);
        }
    }

    DropStatement(cx);
    state.planStatementText = PlanStatementText(state.statementId, table, text);
    state.statement = std::make_unique<DBStmt>();
    try {
        state.statement->Prepare(cx.session, state.planStatementText.c_str());
    } catch (const DBStmt::OtherException&) {
        EndRun(cx, {.report = state.statement->ErrorText(), .dropStatement = true, .renewErrorHandle = true});
        return Outcome::NotStarted;
    }
    state.allFetched = 0;
    if (cx.host)
        cx.host->DisableInput();
    SendOutput(cx, "Explain plan for statement:");
    SendOutput(cx, text);
    if (cx.run.Launch([&cx] { EndRun(cx, RunExplain(cx)); }))
        return Outcome::Started;
    EndRun(cx, {.report = "Explain Plan thread error.", .dropStatement = true, .renewErrorHandle = true});
    return Outcome::NotStarted;
}

PlanRead ReadPlan(ExecContext& cx) {
    PlanRead read;
    const std::string queryText = PlanQueryText(cx.settings.explainPlanTableName);
    std::string id = cx.state.statementId;
    // One copy per bind: the server may read each position's buffer on its own.
    std::string binds[3] = {id, id, id};
    char idText[21] = {};
    std::vector<char> operation(4001, '\0');
    uint16_t idLength = 0, operationLength = 0, idCode = 0, operationCode = 0;
    int16_t idIndicator = 0, operationIndicator = 0;
    DBStmt query;
    try {
        query.Prepare(cx.session, queryText.c_str());
        // A plan is a few dozen rows: they all come with the execute.
        query.SetPrefetch(500, 1u << 20);
        for (uint32_t i = 0; i < 3; ++i)
            query.BindChars(i + 1, binds[i].data(), static_cast<int32_t>(binds[i].size()));
        query.DefineChars(1, idText, 20, &idLength, &idIndicator, &idCode);
        query.DefineChars(2, operation.data(), 4000, &operationLength, &operationIndicator, &operationCode);
        query.Execute();
        for (;;) {
            PlanRow row;
            if (idIndicator != -1)
                row.id.assign(idText, std::min<size_t>(idLength, 20));
            if (operationIndicator != -1)
                row.operation.assign(operation.data(), std::min<size_t>(operationLength, 4000));
            read.rows.push_back(std::move(row));
            query.Fetch();
        }
    } catch (const DBStmt::OtherException&) {
        if (query.ErrorCode() == kNoMoreRows) {
            RenewErrorHandle(cx);
        } else {
            read.ok = false;
            read.error = query.ErrorText();
        }
    }
    return read;
}

} // namespace exec
