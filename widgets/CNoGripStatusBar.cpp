#include "CNoGripStatusBar.h"

#include <QFontMetrics>
#include <QLabel>

namespace widgets {

CNoGripStatusBar::CNoGripStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
    setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
}

namespace {
QLabel* MakePaneLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setContentsMargins(2, 0, 1, 0);
    label->setIndent(0);
    label->setTextFormat(Qt::PlainText);
    return label;
}
} // namespace

int CNoGripStatusBar::AddPane(int width, const QString& text) {
    QLabel* label = MakePaneLabel(this);
    label->setText(text);
    if (width == kStretch) {
        label->setMinimumWidth(1);
        addPermanentWidget(label, 1);
    } else {
        label->setFixedWidth(width);
        addPermanentWidget(label, 0);
    }
    panes_.push_back({label, QString()});
    return int(panes_.size()) - 1;
}

int CNoGripStatusBar::AddIndicator(const QString& text) {
    QLabel* label = MakePaneLabel(this);
    label->setAlignment(Qt::AlignCenter);
    label->setFixedWidth(QFontMetrics(label->font()).horizontalAdvance(text) + 12);
    addPermanentWidget(label, 0);
    panes_.push_back({label, text});
    return int(panes_.size()) - 1;
}

void CNoGripStatusBar::SetPaneText(int index, const QString& text) {
    if (index >= 0 && index < PaneCount())
        panes_[index].label->setText(text);
}

QString CNoGripStatusBar::PaneText(int index) const {
    return index >= 0 && index < PaneCount() ? panes_[index].label->text() : QString();
}

void CNoGripStatusBar::SetIndicator(int index, bool on) {
    if (index >= 0 && index < PaneCount() && !panes_[index].indicatorText.isEmpty())
        panes_[index].label->setText(on ? panes_[index].indicatorText : QString());
}

int CNoGripStatusBar::PaneWidth(int index) const {
    return index >= 0 && index < PaneCount() ? panes_[index].label->width() : 0;
}

} // namespace widgets
