// The execution commands of the SQL text pane. Execute runs the pane's selection as one statement;
// Commit, Rollback, Stop and the server-output switch go to the same handlers as the grid's; Show SQL
// Statement history opens the log in the text viewer. Execute as Script and Explain Plan are not
// built yet: they stay routed and do nothing.
#include "CSqlLeftView.h"

#include "CQuarvelDoc.h"
#include "CommandIds.h"
#include "ExecCommands.h"
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

void CSqlLeftView::OnExecuteScript() {}

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
