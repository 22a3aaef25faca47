#include "CAboutDlg.h"

#include "CFlatButton.h"
#include "CHyperLink.h"
#include "CommandIcons.h"
#include "CommandIds.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Quarvel"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    auto* name = new QLabel(QStringLiteral("Quarvel for Oracle, version " QUARVEL_VERSION), this);
    name->setObjectName(QStringLiteral("AboutName"));
    auto* maker = new QLabel(QStringLiteral("An editor for SQL and PL/SQL."), this);
    auto* link = new widgets::CHyperLink(QStringLiteral("Quarvel support"),
                                         QStringLiteral("mailto:support@quarvel.example"), this);
    auto* ok = new widgets::CFlatButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(IDOK));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { done(IDOK); });

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(name, 0, 1);
    layout->addWidget(maker, 1, 1);
    layout->addWidget(link, 2, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setHorizontalSpacing(16);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
