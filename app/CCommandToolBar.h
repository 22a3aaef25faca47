// A tool bar built from a tool-bar resource: one 24 x 23 button per command with its own image, tool
// tip and status prompt, separators where the resource has them. Pressing a button hands its command
// id to the owner; the owner's routing decides what runs and what is enabled.
#pragma once

#include <QToolBar>

#include <cstdint>
#include <functional>
#include <map>

class CommandChain;

class CCommandToolBar : public QToolBar {
public:
    CCommandToolBar(uint32_t resourceId, std::function<void(uint32_t)> onCommand, QWidget* parent = nullptr);

    uint32_t ResourceId() const { return resourceId_; }
    QAction* Action(uint32_t commandId) const;
    // Enables each button as the chain says.
    void UpdateEnabled(const CommandChain& chain);

private:
    uint32_t resourceId_;
    std::map<uint32_t, QAction*> actions_;
};
