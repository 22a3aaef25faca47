// The fetch progress dialog of one window's run: shows the run's progress text, closes when the run
// reports its end, and Cancel cancels that run (and no other window's).
//
// Because the worker starts before this dialog opens, its final report may come before the dialog
// exists; the dialog therefore also closes as soon as it sees that the run is no longer active.
#pragma once

#include "MessageTarget.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>

#include <string>

namespace exec {
class Run;
}
class QLineEdit;
class QTimer;

class cFetchStatus : public QDialog, public platform::MessageTarget {
public:
    static constexpr int kProgressId = 813;

    explicit cFetchStatus(exec::Run& run, QWidget* parent = nullptr);
    ~cFetchStatus() override;

    intptr_t HandleRegisteredMessage(uint32_t id) override;
    void reject() override; // Cancel

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CloseIfWorkerEnded();
    void ShowProgress();

    exec::Run& run_;
    QLineEdit* progress_;
    QTimer* watch_;
    // A fetch-all reports every row; laying the text out each time would cost more than the fetch.
    // The latest text is shown at once when none was shown recently, else within kProgressEveryMs.
    static constexpr int kProgressEveryMs = 40;
    std::string pendingText_; // converted only when shown
    QTimer* showPending_;
    QElapsedTimer lastShown_;
};
