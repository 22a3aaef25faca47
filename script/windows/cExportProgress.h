// The progress of a long export: rows written out of all rows, and Cancel, which stops the export at
// its next check (the file is then not written). Shown without its own event loop: the export runs on
// the UI thread and lets events through at each of its progress reports.
#pragma once

#include <QDialog>

#include <cstddef>

class QLabel;
class QProgressBar;

class cExportProgress : public QDialog {
public:
    static constexpr int kTextId = 813;
    static constexpr int kCancelId = 2;

    cExportProgress(size_t totalRows, QWidget* parent = nullptr);

    void SetRows(size_t rows);
    bool Cancelled() const { return cancelled_; }
    void reject() override; // Cancel, Escape and the close box

private:
    size_t total_;
    bool cancelled_ = false;
    QLabel* text_;
    QProgressBar* bar_;
};
