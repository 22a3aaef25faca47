// A combo box drawn flat: a thin border that lights up under the pointer or with the focus. An editable
// one can turn whatever is typed into capitals, keeping the caret where it was.
#pragma once

#include <QComboBox>

namespace widgets {

class CFlatComboBox : public QComboBox {
public:
    explicit CFlatComboBox(QWidget* parent = nullptr);
    void SetUpperCase(bool upper);
    bool IsUpperCase() const { return upperCase_; }

private:
    void MakeUpper(const QString& text);
    bool upperCase_ = false;
};

} // namespace widgets
