#include "CSqlOutputView.h"

#include "CQuarvelDoc.h"
#include "RegisteredMessages.h"
#include "SyncSend.h"

CSqlOutputView::CSqlOutputView(QWidget* parent) : QListWidget(parent) {
    setFrameShape(QFrame::NoFrame);
    setUniformItemSizes(true);
}

CSqlOutputView::~CSqlOutputView() {
    CloseMessages();
}

CQuarvelDoc* CSqlOutputView::Document() const {
    return static_cast<CQuarvelDoc*>(GetDocument());
}

void CSqlOutputView::OnInitialUpdate() {
    if (CQuarvelDoc* doc = Document())
        doc->State().outputWindow = Handle();
}

intptr_t CSqlOutputView::HandleRegisteredMessage(uint32_t id) {
    CQuarvelDoc* doc = Document();
    if (id != SQL_OUTPUT_MESSAGE || !doc)
        return 0;
    addItem(QString::fromStdString(doc->State().outputText));
    scrollToBottom();
    platform::Send(doc->State().frameWindow, SB_SQL_STATUS_MESSAGE);
    return 0;
}
