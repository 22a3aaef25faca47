#include "cExportProgress.h"

#include "CFlatButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
constexpr int kBarSteps = 1000;
}

cExportProgress::cExportProgress(size_t totalRows, QWidget* parent) : QDialog(parent), total_(totalRows) {
    setWindowTitle(QStringLiteral("Quarvel [Exporting..]"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);

    text_ = new QLabel(this);
    text_->setObjectName(QString::number(kTextId));
    text_->setMinimumWidth(260);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, kBarSteps);
    bar_->setTextVisible(false);

    auto* cancel = new widgets::CFlatButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QString::number(kCancelId));
    connect(cancel, &QPushButton::clicked, this, &cExportProgress::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    SetRows(0);
}

void cExportProgress::SetRows(size_t rows) {
    text_->setText(QStringLiteral("%1 of %2 row(s) exported").arg(rows).arg(total_));
    bar_->setValue(total_ == 0 ? kBarSteps : static_cast<int>(static_cast<double>(rows) * kBarSteps / static_cast<double>(total_)));
}

void cExportProgress::reject() {
    // The export notices at its next progress report and closes this dialog then.
    cancelled_ = true;
}
