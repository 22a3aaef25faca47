#include "cFetchStatus.h"

#include "CFlatButton.h"
#include "CommandIds.h"
#include "RegisteredMessages.h"
#include "Run.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

cFetchStatus::cFetchStatus(exec::Run& run, QWidget* parent) : QDialog(parent), run_(run) {
    setWindowTitle(QStringLiteral("Quarvel [Fetching..]"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    progress_ = new QLineEdit(frame);
    progress_->setObjectName(QString::number(kProgressId));
    progress_->setReadOnly(true);
    progress_->setMinimumWidth(240);
    auto* inFrame = new QVBoxLayout(frame);
    inFrame->addWidget(progress_);

    auto* cancel = new widgets::CFlatButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QString::number(IDCANCEL));
    connect(cancel, &QPushButton::clicked, this, &cFetchStatus::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    watch_ = new QTimer(this);
    watch_->setInterval(100);
    connect(watch_, &QTimer::timeout, this, [this] { CloseIfWorkerEnded(); });

    showPending_ = new QTimer(this);
    showPending_->setSingleShot(true);
    connect(showPending_, &QTimer::timeout, this, [this] { ShowProgress(); });
}

void cFetchStatus::ShowProgress() {
    progress_->setText(QString::fromStdString(pendingText_));
    lastShown_.start();
}

cFetchStatus::~cFetchStatus() {
    CloseMessages();
}

void cFetchStatus::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    run_.SetProgressDialog(Handle());
    watch_->start();
    // Not from here: closing while the dialog is still being shown would leave its loop running.
    QTimer::singleShot(0, this, [this] { CloseIfWorkerEnded(); });
}

void cFetchStatus::CloseIfWorkerEnded() {
    if (isVisible() && !run_.IsActive())
        done(IDOK);
}

intptr_t cFetchStatus::HandleRegisteredMessage(uint32_t id) {
    if (id != FETCH_ROW_STATUS)
        return 0;
    if (run_.busy.load() == 1) {
        pendingText_.assign(run_.progressText);
        if (!lastShown_.isValid() || lastShown_.elapsed() >= kProgressEveryMs)
            ShowProgress();
        else if (!showPending_->isActive())
            showPending_->start(kProgressEveryMs);
    } else
        done(IDOK);
    return 0;
}

void cFetchStatus::reject() {
    run_.Cancel();
    done(IDCANCEL);
}
