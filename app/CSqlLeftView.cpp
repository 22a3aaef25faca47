#include "CSqlLeftView.h"

#include "CQuarvelDoc.h"

#include <QFont>

CSqlLeftView::CSqlLeftView(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

CSqlLeftView::~CSqlLeftView() {
    CloseMessages();
    if (CQuarvelDoc* doc = Document(); doc && doc->TextPane() == this)
        doc->SetTextPane(nullptr, platform::MessageHandle());
}

CQuarvelDoc* CSqlLeftView::Document() const {
    return static_cast<CQuarvelDoc*>(GetDocument());
}

void CSqlLeftView::OnInitialUpdate() {
    CQuarvelDoc* doc = Document();
    if (!doc)
        return;
    const LogFont& lf = doc->Font();
    QFont font(QString::fromStdString(lf.faceName));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(lf.height);
    font.setWeight(lf.weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(lf.italic);
    setFont(font);
    doc->SetTextPane(this, Handle());
}

intptr_t CSqlLeftView::HandleRegisteredMessage(uint32_t) {
    return 0;
}
