// The SQL text pane of an editor window (upper pane of the inner splitter).
//
// Placeholder until the text view exists: an empty, focusable pane that binds to its document the way
// the real pane does (font, registration as the document's text pane) and handles no command yet.
#pragma once

#include "CView.h"
#include "MessageTarget.h"

#include <QFrame>

class CQuarvelDoc;

class CSqlLeftView : public QFrame, public CView, public platform::MessageTarget {
public:
    explicit CSqlLeftView(QWidget* parent = nullptr);
    ~CSqlLeftView() override;

    CQuarvelDoc* Document() const;
    void OnInitialUpdate() override;
    intptr_t HandleRegisteredMessage(uint32_t id) override;
};
