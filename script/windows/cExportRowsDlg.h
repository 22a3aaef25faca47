// The question before an export: all rows of the grid, the selected ones, or nothing. exec() returns
// the choice: kAllRows, kSelectedRows, or kCancelled (Cancel, Escape and the close box).
#pragma once

#include <QDialog>

class cExportRowsDlg : public QDialog {
public:
    static constexpr int kDialogId = 1197;
    static constexpr int kAllRowsId = 1195;
    static constexpr int kSelectedId = 1196;
    static constexpr int kCancelId = 2;

    enum Choice { kCancelled = 0, kAllRows = 1, kSelectedRows = 2 };

    explicit cExportRowsDlg(QWidget* parent = nullptr);

    void reject() override;
};
