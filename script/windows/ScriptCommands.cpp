#include "ScriptCommands.h"

#include "CQuarvelDoc.h"
#include "ExecCommands.h"
#include "ScriptRun.h"

bool ExecuteScriptSql(CQuarvelDoc& doc, const std::string& selectedText, int32_t selectionFirstLine) {
    return ShowOutcome(script::ExecuteScript(doc.Exec(), selectedText, selectionFirstLine));
}
