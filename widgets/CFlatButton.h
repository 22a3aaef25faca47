// A push button drawn flat: no bevel, a thin border that lights up under the pointer, a slightly
// darker face while pressed, and the default button outlined.
#pragma once

#include <QPushButton>

namespace widgets {

class CFlatButton : public QPushButton {
public:
    explicit CFlatButton(const QString& text, QWidget* parent = nullptr);
};

} // namespace widgets
