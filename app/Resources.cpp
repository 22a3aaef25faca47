#include "Resources.h"

#include "CommandIds.h"

const std::vector<MenuPopup>& MainMenu() {
    static const std::vector<MenuPopup> menu = {
        {"&File",
         {{1117, "New Connection..    Ctrl+E"}, {309, "Open File..            Ctrl+O"}, {1298, "Save File             Ctrl+S"},
          {57603, "Save File As.."}, {0, ""},
          {57605, "Page Setup..."}, {57609, "Print Preview"}, {57607, "Print...            Ctrl+P"}, {0, ""},
          {57665, "E&xit"}}},
        {"&Edit",
         {{57634, "Copy        Ctrl+C"},
          {57637, "Paste        Ctrl+V"},
          {0, ""},
          {57643, "Undo         Ctrl+Z"},
          {57644, "Redo         Ctrl+Y"},
          {0, ""},
          {57642, "Select All   Ctrl+A"},
          {0, ""},
          {57636, "Find...          Ctrl+F"},
          {57640, "Find Next        F3"},
          {1291, "Find Previous    Shift+F3"},
          {57641, "Replace...       Ctrl+H"}}},
        {"&SQL",
         {{280, "Execute SQL              F9"},
          {1296, "Execute Statement     Ctrl+Enter"},
          {285, "Execute As Script      F8"},
          {1280, "Explain Plan               F6"},
          {0, ""},
          {287, "Stop SQL execution"},
          {0, ""},
          {281, "Commit"},
          {283, "Rollback"}}},
        {"&Options",
         {{312, "Set Server Output On/Off"}, {1200, "Show SQL Statement history"}, {1299, "Show Line Numbers"}, {0, ""},
          {1213, "Settings.."}}},
        {"&Window", {{57650, "&Cascade"}, {57651, "&Tile"}, {57649, "&Arrange Icons"}}},
        {"&Help", {{57667, "Help &Topics              F1"}, {0, ""}, {57664, "&About Quarvel.."}}},
    };
    return menu;
}

const std::vector<Accelerator>& MainAccelerators() {
    static const std::vector<Accelerator> table = {
        {"Ctrl+A", 57642},       {"Ctrl+B", 316},        {"Ctrl+C", 57634},        {"Ctrl+E", 1117},
        {"Ctrl+F", 264},         {"F1", 57667},        {"Ctrl+G", 1272},         {"Ctrl+N", 57600},
        {"Ctrl+O", 309},       {"Ctrl+P", 57607},      {"Ctrl+Q", 5106},         {"Ctrl+R", 1107},
        {"Ctrl+S", 1298},       {"Ctrl+V", 57637},      {"Alt+Backspace", 57643}, {"Del", 1081},
        {"Shift+Del", 57635},    {"F3", 266},            {"F4", 160},              {"F5", 1107},
        {"F6", 1280},            {"F7", 1276},           {"F8", 285},              {"F9", 280},
        {"Shift+F9", 280},       {"Ctrl+Ins", 57634},    {"Shift+Ins", 57637},     {"Tab", 118},
        {"Ctrl+X", 57635},       {"Ctrl+Z", 57643},      {"Ctrl+Return", 1296},    {"Ctrl+Enter", 1296},
    };
    return table;
}

const std::vector<MenuItem>& SqlPaneContextMenu() {
    static const std::vector<MenuItem> menu = {
        {57643, "Undo\tCtrl+Z"},  {57644, "Redo\tCtrl+Y"}, {0, ""},
        {57635, "Cut\tCtrl+X"},   {57634, "Copy\tCtrl+C"}, {57637, "Paste\tCtrl+V"}, {0, ""},
        {57642, "Select All\tCtrl+A"}, {0, ""},
        {280, "Execute\tF9"},     {1296, "Execute Statement\tCtrl+Enter"}, {285, "Execute As Script\tF8"},
        {1280, "Explain Plan\tF6"},
    };
    return menu;
}

const std::vector<uint32_t>& ToolBarButtons(uint32_t toolBarId) {
    static const std::vector<uint32_t> main = {309, 57603, 0, 57635, 57634, 57637, 0, 57643, 57644, 0,
                                               280, 285,   1280, 0, 287, 0, 312, 1200};
    static const std::vector<uint32_t> commit = {281, 283};
    static const std::vector<uint32_t> grid = {307, 0, 297, 294, 293, 295, 0, 289, 291, 292};
    static const std::vector<uint32_t> none;
    switch (toolBarId) {
    case res::kToolBarMain:
        return main;
    case res::kToolBarCommit:
        return commit;
    case res::kToolBarGrid:
        return grid;
    default:
        return none;
    }
}
