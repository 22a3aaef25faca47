// The execution commands of the SQL text pane. Execute runs the pane's selection as one statement;
// Commit, Rollback, Stop and the server-output switch go to the same handlers as the grid's; Show SQL
// Statement history opens the log in the text viewer. Execute As Script runs the selection statement
// by statement. Explain Plan is not built yet: it stays routed and does nothing.
#include "CSqlLeftView.h"

#include "CQuarvelDoc.h"
#include "CommandIds.h"
#include "ExecCommands.h"
#include "ScriptCommands.h"
#include "StatementHistory.h"
#include "TextViewer.h"

void CSqlLeftView::OnExecuteSql() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return;
    editor::TextPosition start, end;
    SelectionRange(start, end);
    std::string text;
    TextOfRange(start, end, text); // lines joined by CR LF; Execute turns each CR into a blank
    ExecuteSql(*doc, text, start.y);
}

void CSqlLeftView::OnExecuteScript() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return;
    editor::TextPosition start, end;
    SelectionRange(start, end);
    std::string text;
    TextOfRange(start, end, text); // lines joined by CR LF; the script turns each CR into a blank
    ExecuteScriptSql(*doc, text, start.y);
}

void CSqlLeftView::OnExplainPlan() {}

void CSqlLeftView::OnStopSql() {
    if (CQuarvelDoc* doc = Document())
        RouteSessionCommand(*doc, cmd::kStopSql);
}

void CSqlLeftView::OnCommit() {
    if (CQuarvelDoc* doc = Document())
        RouteSessionCommand(*doc, cmd::kCommit);
}

void CSqlLeftView::OnRollback() {
    if (CQuarvelDoc* doc = Document())
        RouteSessionCommand(*doc, cmd::kRollback);
}

void CSqlLeftView::OnServerOutput() {
    if (CQuarvelDoc* doc = Document())
        RouteSessionCommand(*doc, cmd::kServerOutput);
}

void CSqlLeftView::OnShowSqlHistory() {
    // Nothing is reported when no viewer starts.
    platform::StartTextViewer(script::StatementHistoryPath());
}
