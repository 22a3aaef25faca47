#include "CCmdTarget.h"

CommandChain::CommandChain(std::initializer_list<CCmdTarget*> targets) {
    for (CCmdTarget* target : targets)
        Append(target);
}

void CommandChain::Append(CCmdTarget* target) {
    if (target)
        targets_.push_back(target);
}

bool CommandChain::IsEnabled(uint32_t id) const {
    for (CCmdTarget* target : targets_)
        if (std::optional<bool> rule = target->CommandEnabled(id))
            return *rule;
    for (CCmdTarget* target : targets_)
        if (target->HandlesCommand(id))
            return true;
    return false;
}

std::optional<std::string> CommandChain::Text(uint32_t id) const {
    for (CCmdTarget* target : targets_)
        if (std::optional<std::string> text = target->CommandText(id))
            return text;
    return std::nullopt;
}

bool CommandChain::Route(uint32_t id) const {
    if (!IsEnabled(id))
        return false;
    for (CCmdTarget* target : targets_)
        if (target->HandlesCommand(id) && target->OnCommand(id))
            return true;
    return false;
}
