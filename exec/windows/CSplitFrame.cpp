#include "CSplitFrame.h"

#include "CCommandToolBar.h"
#include "CQuarvelDoc.h"
#include "CQuarvelView.h"
#include "CommandIds.h"
#include "CommandRules.h"

#include <QAction>
#include <QActionGroup>

CSplitFrame::CSplitFrame(CQuarvelDoc* doc, QWidget* parent) : QMainWindow(parent), doc_(doc) {
    setWindowFlags(Qt::Widget);
    grid_ = new CQuarvelView(this);
    setCentralWidget(grid_);
    if (doc_) {
        doc_->AddView(grid_);
        grid_->OnInitialUpdate();
    }

    toolBar_ = new CCommandToolBar(res::kToolBarGrid, [this](uint32_t id) { Chain().Route(id); }, this);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    auto* autoformat = new QActionGroup(this);
    autoformat->setExclusive(true);
    for (uint32_t id : {cmd::kAutoformatByData, cmd::kAutoformatByName, cmd::kAutoformatBoth}) {
        if (QAction* action = toolBar_->Action(id)) {
            action->setCheckable(true);
            autoformat->addAction(action);
        }
    }
    if (QAction* both = toolBar_->Action(cmd::kAutoformatBoth))
        both->setChecked(true);
    UpdateCommandUI();
}

CommandChain CSplitFrame::Chain() {
    return CommandChain{grid_, doc_, this, outer_};
}

void CSplitFrame::UpdateCommandUI() {
    toolBar_->UpdateEnabled(Chain());
}

std::optional<bool> CSplitFrame::CommandEnabled(uint32_t id) const {
    return SplitFrameRule(id, doc_ && doc_->IsWorkerRunning());
}
