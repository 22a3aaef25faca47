#include "CCommandToolBar.h"

#include "CCmdTarget.h"
#include "CommandIcons.h"
#include "Resources.h"
#include "StringTable.h"

#include <QAction>
#include <QToolButton>

CCommandToolBar::CCommandToolBar(uint32_t resourceId, std::function<void(uint32_t)> onCommand, QWidget* parent)
    : QToolBar(parent), resourceId_(resourceId) {
    setObjectName(QStringLiteral("ToolBar%1").arg(resourceId));
    setWindowTitle(QString());
    setIconSize(QSize(16, 16));
    setMovable(false);
    setFloatable(false);
    setAllowedAreas(Qt::TopToolBarArea);
    setFixedHeight(30);
    for (uint32_t id : ToolBarButtons(resourceId)) {
        if (id == 0) {
            addSeparator();
            continue;
        }
        const CommandPrompt prompt = CommandPromptFor(id);
        QAction* action = addAction(CommandIcon(id), QString::fromStdString(prompt.toolTip));
        action->setData(id);
        action->setToolTip(QString::fromStdString(prompt.toolTip));
        action->setStatusTip(QString::fromStdString(prompt.statusPrompt));
        connect(action, &QAction::triggered, this, [onCommand, id] {
            if (onCommand)
                onCommand(id);
        });
        if (QWidget* button = widgetForAction(action))
            button->setFixedSize(24, 23);
        actions_[id] = action;
    }
}

QAction* CCommandToolBar::Action(uint32_t commandId) const {
    auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

void CCommandToolBar::UpdateEnabled(const CommandChain& chain) {
    for (auto& [id, action] : actions_) {
        const bool enabled = chain.IsEnabled(id);
        if (action->isEnabled() != enabled)
            action->setEnabled(enabled);
    }
}
