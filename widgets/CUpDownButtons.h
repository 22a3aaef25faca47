// A pair of arrow buttons bound to a single-line edit field (its buddy): the upper arrow adds one to the
// number in the field, the lower one takes one away, within a range (see UpDownStep). The Up and Down
// keys in the field do the same. The field itself takes any text.
#pragma once

#include <QWidget>

#include <cstdint>

class QLineEdit;
class QToolButton;

namespace widgets {

class CUpDownButtons : public QWidget {
public:
    explicit CUpDownButtons(QWidget* parent = nullptr);

    void SetBuddy(QLineEdit* buddy);
    void SetRange(int32_t lower, int32_t upper);
    int32_t Lower() const { return lower_; }
    int32_t Upper() const { return upper_; }

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

    // One step up (+1) or down (-1), as a press of an arrow.
    void Step(int32_t step);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* buddy_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
    int32_t lower_ = 0;
    int32_t upper_ = 100;
};

} // namespace widgets
