#include "cPropertiesDlg.h"

#include "CFlatButton.h"
#include "CPropertyTabCtrl.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "cPropertiesSql.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr uint32_t kHelpContext = 1; // the help hook's request for one topic

// Bitmap 3005: a question mark on a round blue face, drawn on silver, which is the see-through colour.
QPixmap HelpBitmap() {
    const QColor silver(192, 192, 192);
    QPixmap pixmap(16, 16);
    pixmap.fill(silver);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QColor(0x1d, 0x4f, 0x91));
        p.setBrush(QColor(0x2b, 0x6c, 0xc4));
        p.drawEllipse(QRect(1, 1, 13, 13));
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(11);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
    }
    pixmap.setMask(pixmap.createMaskFromColor(silver, Qt::MaskInColor));
    return pixmap;
}

} // namespace

cPropertiesDlg::cPropertiesDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Quarvel [Settings]"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto* frame = new QFrame(this);
    frame->setObjectName(QString::number(kFrameId));
    frame->setFrameShape(QFrame::StyledPanel);

    tabs_ = new widgets::CPropertyTabCtrl(frame);
    tabs_->setObjectName(QString::number(kTabId));
    // The tab first, then the page inside the tab control.
    page_ = new cPropertiesSql(tabs_);
    tabs_->AddPage(page_, QStringLiteral("Quarvel settings"));

    auto* ok = new widgets::CFlatButton(QStringLiteral("OK"), frame);
    ok->setObjectName(QString::number(IDOK));
    ok->setDefault(true);
    auto* cancel = new widgets::CFlatButton(QStringLiteral("Cancel"), frame);
    cancel->setObjectName(QString::number(IDCANCEL));
    auto* help = new widgets::CFlatButton(QStringLiteral("Help"), frame);
    help->setObjectName(QString::number(kHelpId));
    help->setIcon(QIcon(HelpBitmap()));
    help->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &cPropertiesDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &cPropertiesDlg::reject);
    connect(help, &QPushButton::clicked, this, &cPropertiesDlg::OnHelp);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(tabs_);
    inner->addLayout(buttons);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(frame);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void cPropertiesDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen (there is no owner to centre on).
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = frameGeometry();
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }
}

void cPropertiesDlg::accept() {
    if (!page_->OnOK())
        return;
    done(IDOK);
}

void cPropertiesDlg::reject() {
    page_->OnCancel();
    done(IDCANCEL);
}

void cPropertiesDlg::OnHelp() {
    if (CTavrelApp* app = CTavrelApp::Instance())
        app->WinHelp(kHelpTopic, kHelpContext);
}
