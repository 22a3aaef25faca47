// The fetch progress dialog: shows the worker's progress text, closes when the worker reports its end,
// and Cancel signals the fetch-cancel event.
//
// Because the worker starts before this dialog opens, its final report may come before the dialog
// exists; the dialog therefore also closes as soon as it sees that the worker no longer runs.
#pragma once

#include "MessageTarget.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <string>

struct ApplicationFields;
class QLineEdit;
class QTimer;

class cFetchStatus : public QDialog, public platform::MessageTarget {
public:
    static constexpr int kProgressId = 813;

    // `workerRunning` tells whether the fetching worker still runs (may be empty).
    cFetchStatus(ApplicationFields& app, std::function<bool()> workerRunning, QWidget* parent = nullptr);
    ~cFetchStatus() override;

    intptr_t HandleRegisteredMessage(uint32_t id) override;
    void reject() override; // Cancel

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CloseIfWorkerEnded();
    void ShowProgress();

    ApplicationFields& app_;
    std::function<bool()> workerRunning_;
    QLineEdit* progress_;
    QTimer* watch_;
    // A fetch-all reports every row; laying the text out each time would cost more than the fetch.
    // The latest text is shown at once when none was shown recently, else within kProgressEveryMs.
    static constexpr int kProgressEveryMs = 40;
    std::string pendingText_; // converted only when shown
    QTimer* showPending_;
    QElapsedTimer lastShown_;
};
