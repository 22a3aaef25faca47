// Command routing. A command (menu item, tool-bar button or accelerator) is offered along a chain of
// targets: the active view, its document, its frame, the main window, the application. The first
// target with an enabling rule for the command decides whether it is enabled; without any rule a
// command is enabled exactly when some target of the chain handles it. A disabled command does nothing.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Runs the command when this target handles it; true when handled.
    virtual bool OnCommand(uint32_t id) {
        (void)id;
        return false;
    }
    virtual bool HandlesCommand(uint32_t id) const {
        (void)id;
        return false;
    }
    // This target's enabling rule for the command, or no answer.
    virtual std::optional<bool> CommandEnabled(uint32_t id) const {
        (void)id;
        return std::nullopt;
    }
    // The menu text this target gives the command at the moment (e.g. the undo item names the step
    // it would undo), or no answer: the menu's own text then stands.
    virtual std::optional<std::string> CommandText(uint32_t id) const {
        (void)id;
        return std::nullopt;
    }
};

class CommandChain {
public:
    CommandChain() = default;
    CommandChain(std::initializer_list<CCmdTarget*> targets); // null entries are skipped
    void Append(CCmdTarget* target);

    bool IsEnabled(uint32_t id) const;
    // The menu text of the first target that gives one.
    std::optional<std::string> Text(uint32_t id) const;
    // Runs the command on the first target that handles it, if it is enabled. True when it ran.
    bool Route(uint32_t id) const;

private:
    std::vector<CCmdTarget*> targets_;
};
