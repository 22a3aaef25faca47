// The execution commands of the SQL text pane. The pane routes the menu items, tool-bar buttons and
// keys to these handlers; the execution layer fills them in. Until it does, each is an empty hook: the
// command is routed and enabled by the frame's rules, and does nothing.
//
// What a handler has to hand: Document() (session, statement state, worker), SelectionRange and
// TextOfRange for the text to run, DisableInput/EnableInput, MarkExecLine/MarkExecLineAt, and
// HistorySwitch() for the history writer.
#include "CSqlLeftView.h"

void CSqlLeftView::OnExecuteSql() {}

void CSqlLeftView::OnExecuteScript() {}

void CSqlLeftView::OnExplainPlan() {}

void CSqlLeftView::OnStopSql() {}

void CSqlLeftView::OnCommit() {}

void CSqlLeftView::OnRollback() {}

void CSqlLeftView::OnServerOutput() {}

void CSqlLeftView::OnShowSqlHistory() {}
