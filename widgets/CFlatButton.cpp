#include "CFlatButton.h"

namespace widgets {

CFlatButton::CFlatButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setStyleSheet(QStringLiteral(
        "QPushButton { border: 1px solid palette(mid); border-radius: 2px; padding: 3px 14px;"
        " background: palette(button); min-width: 60px; }"
        "QPushButton:hover { border-color: palette(highlight); }"
        "QPushButton:pressed { background: palette(midlight); }"
        "QPushButton:default { border: 1px solid palette(highlight); }"
        "QPushButton:disabled { color: palette(mid); }"));
}

} // namespace widgets
