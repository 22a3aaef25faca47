#include "CView.h"

#include "CDocument.h"

CView::~CView() {
    if (document_)
        document_->RemoveView(this);
}
