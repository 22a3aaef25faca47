// The settings page: the first fetch count and the server-output buffer size (each with arrows that
// keep to 1..10000 while typing stays free), the history and output-window switches and the plan table
// name. It reads the program's settings when it is built (message 987 when there are none) and writes
// all five values when the dialog's OK asks it to.
#pragma once

#include "SettingsPage.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;
namespace widgets {
class CUpDownButtons;
}

class cPropertiesSql : public QWidget {
public:
    static constexpr int kFirstFetchId = 5003;
    static constexpr int kFirstFetchSpinId = 5036;
    static constexpr int kBufferSizeId = 5064;
    static constexpr int kBufferSizeSpinId = 5037;
    static constexpr int kSaveHistoryId = 804;
    static constexpr int kShowOutputId = 805;
    static constexpr int kPlanTableId = 5159;

    explicit cPropertiesSql(QWidget* parent = nullptr);

    // What the fields hold now.
    SettingsPageValues Values() const;

    // OK: writes the five values. False (after telling the user why) when they could not be stored.
    bool OnOK();
    // Cancel: nothing is written.
    void OnCancel() {}

private:
    void Show(const SettingsPageValues& values);

    QLineEdit* firstFetch_;
    widgets::CUpDownButtons* firstFetchSpin_;
    QLineEdit* bufferSize_;
    widgets::CUpDownButtons* bufferSizeSpin_;
    QCheckBox* saveHistory_;
    QCheckBox* showOutput_;
    QLineEdit* planTable_;
};
