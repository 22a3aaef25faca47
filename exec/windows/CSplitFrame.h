// The small frame in the lower pane of an editor window: the grid tool bar (401) over the result grid.
// Its tool bar's commands are offered to the grid first, then to the document, then to this frame, then
// to the window around it (which handles what the grid cannot do on its own, such as exporting rows).
#pragma once

#include "CCmdTarget.h"

#include <QMainWindow>

class CCommandToolBar;
class CQuarvelDoc;
class CQuarvelView;

class CSplitFrame : public QMainWindow, public CCmdTarget {
public:
    // Creates the grid, adds it to `doc`, gives it its initial update and makes it the active view.
    CSplitFrame(CQuarvelDoc* doc, QWidget* parent = nullptr);

    CQuarvelView* Grid() const { return grid_; }
    CCommandToolBar* ToolBar() const { return toolBar_; }
    CommandChain Chain();
    // The target after this frame in the chain (the editor window); not owned, may be null.
    void SetOuterTarget(CCmdTarget* target) { outer_ = target; }
    void UpdateCommandUI();

    std::optional<bool> CommandEnabled(uint32_t id) const override;

private:
    CQuarvelDoc* doc_;
    CQuarvelView* grid_;
    CCommandToolBar* toolBar_;
    CCmdTarget* outer_ = nullptr;
};
