#include "CFlatComboBox.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace widgets {

CFlatComboBox::CFlatComboBox(QWidget* parent) : QComboBox(parent) {
    setStyleSheet(QStringLiteral(
        "QComboBox { border: 1px solid palette(mid); border-radius: 2px; padding: 2px 4px; background: palette(base); }"
        "QComboBox:hover, QComboBox:focus { border-color: palette(highlight); }"));
}

void CFlatComboBox::SetUpperCase(bool upper) {
    upperCase_ = upper;
    if (QLineEdit* edit = lineEdit()) {
        disconnect(edit, &QLineEdit::textEdited, this, nullptr);
        if (upper)
            connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) { MakeUpper(text); });
    }
}

void CFlatComboBox::MakeUpper(const QString& text) {
    QLineEdit* edit = lineEdit();
    const QString upper = text.toUpper();
    if (!edit || upper == text)
        return;
    const int caret = edit->cursorPosition();
    QSignalBlocker block(edit);
    edit->setText(upper);
    edit->setCursorPosition(std::min(caret, int(upper.size())));
}

} // namespace widgets
