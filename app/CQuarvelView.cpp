#include "CQuarvelView.h"

#include "CQuarvelDoc.h"

CQuarvelView::CQuarvelView(QWidget* parent) : QTableWidget(parent) {
    setFrameShape(QFrame::NoFrame);
}

CQuarvelView::~CQuarvelView() {
    CloseMessages();
}

CQuarvelDoc* CQuarvelView::Document() const {
    return static_cast<CQuarvelDoc*>(GetDocument());
}

void CQuarvelView::OnInitialUpdate() {
    if (CQuarvelDoc* doc = Document())
        doc->State().gridWindow = Handle();
}

intptr_t CQuarvelView::HandleRegisteredMessage(uint32_t) {
    return 0;
}
