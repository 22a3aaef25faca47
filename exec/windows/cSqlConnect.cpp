#include "cSqlConnect.h"

#include "ApplicationFields.h"
#include "CFlatButton.h"
#include "CFlatComboBox.h"
#include "CommandIds.h"
#include "ConnectChecks.h"
#include "DynamicLibrary.h"
#include "MessageBox.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

cSqlConnect::cSqlConnect(ApplicationFields& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("Quarvel [Connect to database]"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);

    user_ = new widgets::CFlatComboBox(this);
    user_->setObjectName(QString::number(kUserId));
    user_->setEditable(true);
    user_->setInsertPolicy(QComboBox::InsertAlphabetically);
    user_->SetUpperCase(true);

    password_ = new QLineEdit(this);
    password_->setObjectName(QString::number(kPasswordId));
    password_->setEchoMode(QLineEdit::Password);

    connect_ = new QLineEdit(this);
    connect_->setObjectName(QString::number(kConnectId));

    // Which client the logon will load decides what the connect string is.
    static const bool embedded = [] {
        const platform::LoadResult loaded = platform::LoadOciLibrary();
        return loaded.library && loaded.lastTried.find("liteoci") != std::string::npos;
    }();
    embedded_ = embedded;
    user_->setEditText(QString::fromStdString(app_.lastUserName));
    connect_->setText(QString::fromStdString(app_.lastConnectString));

    sysdba_ = new QCheckBox(QStringLiteral("Connect as SYSDBA"), this);
    sysdba_->setObjectName(QString::number(kSysdbaId));

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Username"), this), 0, 0);
    fields->addWidget(user_, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Password"), this), 1, 0);
    fields->addWidget(password_, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Connect string"), this), 2, 0);
    if (embedded_) {
        auto* row = new QHBoxLayout;
        row->addWidget(connect_, 1);
        browse_ = new widgets::CFlatButton(QStringLiteral("Browse..."), this);
        browse_->setObjectName(QString::number(kBrowseId));
        connect(browse_, &QPushButton::clicked, this, [this] {
            const QString start = connect_->text().isEmpty() ? QDir::currentPath() : QFileInfo(connect_->text()).absolutePath();
            const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Database file"), start,
                                                              QStringLiteral("Database files (*.db);;All Files (*)"));
            if (!file.isEmpty())
                connect_->setText(file);
        });
        row->addWidget(browse_);
        fields->addLayout(row, 2, 1);
    } else {
        fields->addWidget(connect_, 2, 1);
    }
    fields->addWidget(sysdba_, 3, 1);
    fields->setColumnMinimumWidth(1, 220);

    auto* ok = new widgets::CFlatButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(IDOK));
    ok->setDefault(true);
    auto* cancel = new widgets::CFlatButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QString::number(IDCANCEL));
    connect(ok, &QPushButton::clicked, this, &cSqlConnect::accept);
    connect(cancel, &QPushButton::clicked, this, &cSqlConnect::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void cSqlConnect::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    sysdba_->setChecked(false);
    user_->setFocus(Qt::OtherFocusReason);
}

void cSqlConnect::accept() {
    const std::string user = user_->currentText().toStdString();
    const std::string password = password_->text().toStdString();
    std::string connectString = connect_->text().toStdString();
    // A database file named relative to the current folder is opened from there, and the captions
    // show where it is.
    if (embedded_ && !connectString.empty() && QDir::isRelativePath(connect_->text()))
        connectString = QDir::current().absoluteFilePath(connect_->text()).toStdString();

    if (uint32_t message = FirstConnectFieldError(user, password, connectString)) {
        MessageBoxById(message);
        return;
    }

    // The new attempt replaces (and so releases) the session of a failed one.
    app_.pendingConnection = std::make_unique<DBConnect>();
    DBConnect& session = *app_.pendingConnection;
    try {
        if (sysdba_->isChecked())
            session.LogonSysdba(user.c_str(), password.c_str(), connectString.c_str());
        else
            session.Logon(user.c_str(), password.c_str(), connectString.c_str());
    } catch (const DBConnect::OtherException&) {
        MessageBoxText(session.ErrorText());
        password_->setFocus(Qt::OtherFocusReason);
        password_->selectAll();
        password_->end(true); // all selected, caret scrolled into view at the end
        return;
    }

    app_.lastUserName = user;
    app_.lastConnectString = connectString;
    app_.lastSysdba = sysdba_->isChecked();
    app_.startupPassword = password;
    done(IDOK);
}

void cSqlConnect::reject() {
    done(IDCANCEL);
}
