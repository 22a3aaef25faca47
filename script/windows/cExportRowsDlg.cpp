#include "cExportRowsDlg.h"

#include "CFlatButton.h"
#include "CommandIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

cExportRowsDlg::cExportRowsDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(kDialogId));
    setWindowTitle(QStringLiteral("Quarvel"));
    setWindowIcon(ApplicationIcon());
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* text = new QLabel(QStringLiteral("Do you want to export rows from the current view?"), this);
    text->setWordWrap(false);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addWidget(text, 1);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto add = [this, row](int id, const QString& label, int choice) {
        auto* button = new widgets::CFlatButton(label, this);
        button->setObjectName(QString::number(id));
        button->setMinimumWidth(80);
        connect(button, &QPushButton::clicked, this, [this, choice] { done(choice); });
        row->addWidget(button);
        return button;
    };
    add(kAllRowsId, QStringLiteral("All rows"), kAllRows)->setDefault(true);
    add(kSelectedId, QStringLiteral("Selected"), kSelectedRows);
    add(kCancelId, QStringLiteral("Cancel"), kCancelled);
    row->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addSpacing(6);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void cExportRowsDlg::reject() {
    done(kCancelled);
}
