#include "CUpDownButtons.h"

#include "UpDownStep.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace widgets {

namespace {
QToolButton* Arrow(Qt::ArrowType type, const char* name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(type);
    button->setAutoRepeat(true); // held down, it keeps counting
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    button->setFixedWidth(16);
    button->setStyleSheet(QStringLiteral("QToolButton { border: 1px solid palette(mid); background: palette(button); }"
                                         "QToolButton:pressed { background: palette(midlight); }"));
    return button;
}
} // namespace

CUpDownButtons::CUpDownButtons(QWidget* parent) : QWidget(parent) {
    up_ = Arrow(Qt::UpArrow, "up", this);
    down_ = Arrow(Qt::DownArrow, "down", this);
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up_);
    layout->addWidget(down_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void CUpDownButtons::SetBuddy(QLineEdit* buddy) {
    if (buddy_)
        buddy_->removeEventFilter(this);
    buddy_ = buddy;
    if (buddy_) {
        buddy_->installEventFilter(this);
        setFixedHeight(buddy_->sizeHint().height());
    }
}

void CUpDownButtons::SetRange(int32_t lower, int32_t upper) {
    lower_ = lower;
    upper_ = upper;
}

void CUpDownButtons::Step(int32_t step) {
    if (!buddy_)
        return;
    const std::string next = UpDownStep(buddy_->text().toStdString(), step, lower_, upper_);
    buddy_->setText(QString::fromStdString(next));
}

bool CUpDownButtons::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Up) {
                Step(1);
                return true;
            }
            if (key->key() == Qt::Key_Down) {
                Step(-1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace widgets
