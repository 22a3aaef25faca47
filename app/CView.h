// A view of a document: a window that shows part of it and is told when it changed.
#pragma once

#include "CCmdTarget.h"

#include <cstdint>

class CDocument;

class CView : public CCmdTarget {
public:
    // A view leaves its document when it goes.
    ~CView() override;
    // Called once, after the view has been added to its document and before it is first shown.
    virtual void OnInitialUpdate() {}
    // Called by the document's UpdateAllViews for every view but the sender.
    virtual void OnUpdate(CView* sender, intptr_t hint) {
        (void)sender;
        (void)hint;
    }
    CDocument* GetDocument() const { return document_; }

private:
    friend class CDocument;
    CDocument* document_ = nullptr;
};
