// The main window's menu 110, accelerator table 110 and the tool-bar button lists, as data. The windows
// build their menus, shortcuts and tool bars from these lists; nothing else spells them out.
#pragma once

#include <cstdint>
#include <vector>

struct MenuItem {
    uint32_t id; // 0 for a separator
    const char* text;
};

struct MenuPopup {
    const char* title;
    std::vector<MenuItem> items;
};

struct Accelerator {
    const char* keys; // in the portable form of a key sequence, e.g. "Ctrl+E", "Shift+F9"
    uint32_t id;
};

const std::vector<MenuPopup>& MainMenu();
const std::vector<Accelerator>& MainAccelerators();

// The context menu of the SQL text pane (the text after a tab is the item's key).
const std::vector<MenuItem>& SqlPaneContextMenu();

// Tool-bar buttons in order; 0 marks a separator.
const std::vector<uint32_t>& ToolBarButtons(uint32_t toolBarId);
