#include "StringTable.h"

#include <unordered_map>

namespace {

const std::unordered_map<uint32_t, const char*>& Table() {
    static const std::unordered_map<uint32_t, const char*> table = {
        {110, "Quarvel"},
        {957, "You must select rows for export."},
        {958, "Previous SQL statement is running now. Wait for execution complete or stop it first."},
        {976, "You must specify valid database connect string."},
        {979, "You must enter valid user name."},
        {980, "You must enter valid password."},
        {987, "Can't define path to the the Telmora Execution Service. You should to reinstall application."},
        {1003, "OLE Initialization Failed"},
        {1198, "Do You Want to Save Result of Partial Fetch?"},
        {1323, "Application has encountered a problem and needs to close.\n\n"
               "Please tell the Quarvel support team what you were doing: support@quarvel.example"},
        {57344, "Quarvel"},
        {57345, "Ready"},
        {61443, "Untitled"},
        {61697, "Failed to open document."},
        {61700, "Failed to create empty document."},
        {61704, "Save changes to %1?"},
        // Command prompts: tool tip, then status prompt.
        {280, "Execute SQL (F9)\nExecute SQL (F9)"},
        {285, "Execute as Script (F8)\nExecute as Script (F8)"},
        {1280, "Explain Plan  (F6)\nExplain Plan  (F6)"},
        {287, "Stop SQL execution..\nStop SQL execution.."},
        {312, "Set Server Output On/Off\nSet Server Output On/Off"},
        {1200, "Show SQL Statement history\nShow SQL Statement history"},
        {309, "Open file..\nOpen file.."},
        {57603, "Save File As..\nSave File As.."},
        {281, "Commit\nCommit"},
        {283, "Rollback\nRollback"},
        {307, "Export data..\nExport data.."},
        {297, "First Row\nFirst Row"},
        {294, "Previous Row\nPrevious Row"},
        {293, "Next Row\nNext Row"},
        {295, "Last Row\nLast Row"},
        {289, "Autoformat by data\nAutoformat based on column data"},
        {291, "Autoformat by name\nAutoformat based on column name"},
        {292, "Autoformat based on column name and data\nAutoformat based on column name and data"},
        {57635, "Cut\nCut the selection and put it on the Clipboard"},
        {57634, "Copy\nCopy the selection and put it on the Clipboard"},
        {57637, "Paste\nInsert Clipboard contents"},
        {57643, "Undo\nUndo the last action"},
        {57644, "Redo\nRedo the previously undone action"},
    };
    return table;
}

} // namespace

const char* LoadStringResource(uint32_t id) {
    auto it = Table().find(id);
    return it == Table().end() ? nullptr : it->second;
}

CommandPrompt CommandPromptFor(uint32_t commandId) {
    const char* text = LoadStringResource(commandId);
    if (!text)
        return {};
    std::string all(text);
    size_t split = all.find('\n');
    if (split == std::string::npos)
        return {all, all};
    return {all.substr(0, split), all.substr(split + 1)};
}
