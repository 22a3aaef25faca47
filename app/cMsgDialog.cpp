#include "cMsgDialog.h"

#include "CFlatButton.h"
#include "CommandIcons.h"
#include "CommandIds.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

cMsgDialog::cMsgDialog(const MessageParameters& parameters, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Quarvel"));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QString::number(kTextId));
    text->setReadOnly(true);
    text->setFrameShape(QFrame::NoFrame);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = text->palette();
    palette.setColor(QPalette::Base, this->palette().color(QPalette::Window));
    text->setPalette(palette);
    // The text's line breaks are CR LF; each one starts a new line here.
    QString shown = QString::fromUtf8(parameters.text.c_str(), qsizetype(parameters.text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text->setPlainText(shown);
    text->setMinimumSize(300, 70);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(text, 1);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    if (parameters.buttonStyle == 0) {
        AddButton(row, kSingleOkId, QStringLiteral("OK"), IDCANCEL);
    } else if (parameters.pairStyle == 1) {
        AddButton(row, kAltOkId, QStringLiteral("OK"), IDOK);
        AddButton(row, kAltCancelId, QStringLiteral("Cancel"), IDCANCEL);
    } else {
        AddButton(row, IDOK, QStringLiteral("OK"), IDOK);
        AddButton(row, IDCANCEL, QStringLiteral("Cancel"), IDCANCEL);
    }
    row->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(row);
    setFixedSize(sizeHint().expandedTo(QSize(380, 150)));
}

void cMsgDialog::AddButton(QHBoxLayout* row, int id, const QString& text, int result) {
    auto* button = new widgets::CFlatButton(text, this);
    button->setObjectName(QString::number(id));
    if (row->count() == 1)
        button->setDefault(true);
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    row->addWidget(button);
}

void cMsgDialog::reject() {
    done(IDCANCEL);
}
