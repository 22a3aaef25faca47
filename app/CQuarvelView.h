// The result grid of an editor window, hosted by CSplitFrame.
//
// Placeholder until the grid exists: an empty table that registers itself as the document's grid.
#pragma once

#include "CView.h"
#include "MessageTarget.h"

#include <QTableWidget>

class CQuarvelDoc;

class CQuarvelView : public QTableWidget, public CView, public platform::MessageTarget {
public:
    explicit CQuarvelView(QWidget* parent = nullptr);
    ~CQuarvelView() override;

    CQuarvelDoc* Document() const;
    void OnInitialUpdate() override;
    intptr_t HandleRegisteredMessage(uint32_t id) override;
};
