#include "ScriptCommands.h"

#include "CQuarvelDoc.h"
#include "MessageBox.h"
#include "ScriptRun.h"
#include "StringTable.h"

bool ExecuteScriptSql(CQuarvelDoc& doc, const std::string& selectedText, int32_t selectionFirstLine) {
    const exec::Outcome outcome = script::ExecuteScript(doc.Exec(), selectedText, selectionFirstLine);
    if (outcome == exec::Outcome::Refused)
        MessageBoxById(strings::kStatementRunning);
    return outcome == exec::Outcome::Started;
}
