// The output list of an editor window (lower pane of the inner splitter).
//
// Placeholder until the output list exists: it appends the document's output text for each
// SQL_OUTPUT_MESSAGE and tells the frame to refresh its status, as the real list does.
#pragma once

#include "CView.h"
#include "MessageTarget.h"

#include <QListWidget>

class CQuarvelDoc;

class CSqlOutputView : public QListWidget, public CView, public platform::MessageTarget {
public:
    explicit CSqlOutputView(QWidget* parent = nullptr);
    ~CSqlOutputView() override;

    CQuarvelDoc* Document() const;
    void OnInitialUpdate() override;
    intptr_t HandleRegisteredMessage(uint32_t id) override;
};
