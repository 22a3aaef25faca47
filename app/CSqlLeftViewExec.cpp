// The execution commands of the SQL text pane. Execute runs the pane's selection as one statement;
// Commit, Rollback, Stop and the server-output switch go to the same handlers as the grid's; Show SQL
// Statement history opens the log in the text viewer (or a read-only window of its own). Execute As Script runs the selection statement
// by statement; Explain Plan shows the server's plan for the selection in the grid.
#include "CSqlLeftView.h"

#include "CaretStatement.h"
#include "CQuarvelDoc.h"
#include "CommandIds.h"
#include "ExecCommands.h"
#include "MessageBox.h"
#include "ScriptCommands.h"
#include "ScriptSplitter.h"
#include "StatementHistory.h"
#include "TextViewer.h"

#include <QDialog>
#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {
// The selection's text with its lines joined by CR LF (the commands turn each CR into a blank), and
// the pane line it starts on.
struct Selected {
    std::string text;
    int32_t firstLine = 0;
};
Selected SelectionOf(CSqlLeftView& pane) {
    editor::TextPosition start, end;
    pane.SelectionRange(start, end);
    Selected selected;
    pane.TextOfRange(start, end, selected.text);
    selected.firstLine = start.y;
    return selected;
}
} // namespace

void CSqlLeftView::OnExecuteSql() {
    if (CQuarvelDoc* doc = Document()) {
        Selected selected = SelectionOf(*this);
        ExecuteSql(*doc, std::move(selected.text), selected.firstLine);
    }
}

void CSqlLeftView::OnExecuteStatement() {
    if (!Document())
        return;
    if (IsSelectionEmpty() && IsInputEnabled()) {
        const script::Splitter splitter = script::LoadMorvexSplitter();
        if (!splitter.split) {
            MessageBoxText(script::SplitterMissingText(splitter));
            return;
        }
        const editor::TextPosition caret = CaretPosition();
        const auto span = script::StatementAtCaret([this](int32_t line) { return LineView(line); }, LineCount(),
                                                   script::TextPlace{caret.y, caret.x}, splitter.split);
        // Nothing around the caret: F9's own rule answers an empty selection.
        if (span)
            SetSelection(editor::TextPosition{span->start.x, span->start.line},
                         editor::TextPosition{span->end.x, span->end.line});
    }
    OnExecuteSql();
}

void CSqlLeftView::OnExecuteScript() {
    if (CQuarvelDoc* doc = Document()) {
        const Selected selected = SelectionOf(*this);
        ExecuteScriptSql(*doc, selected.text, selected.firstLine);
    }
}

void CSqlLeftView::OnExplainPlan() {
    if (CQuarvelDoc* doc = Document()) {
        const Selected selected = SelectionOf(*this);
        ExplainPlanSql(*doc, selected.text, selected.firstLine);
    }
}

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
    const std::string path = script::StatementHistoryPath();
    if (platform::StartTextViewer(path))
        return;
    // Without a viewer of the user's the log is shown here, read-only, so that the command never does
    // nothing.
    auto* window = new QDialog(this->window());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(QStringLiteral("StatementHistoryWindow"));
    window->setWindowTitle(QStringLiteral("Quarvel [SQL Statement History]"));
    auto* text = new QPlainTextEdit(window);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QFile file(QFile::decodeName(path.c_str()));
    if (file.open(QIODevice::ReadOnly))
        text->setPlainText(QString::fromUtf8(file.readAll()));
    else
        text->setPlainText(QStringLiteral("The statement history %1 cannot be read: %2")
                               .arg(file.fileName(), file.errorString()));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text);
    window->resize(720, 480);
    window->show();
    text->moveCursor(QTextCursor::End);
}
