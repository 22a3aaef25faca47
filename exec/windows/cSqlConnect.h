// The connect dialog: user name, password, connect string and SYSDBA. OK checks the fields in order,
// logs a new session on and hands it with the user name and connect string to the application; on a
// logon error the server's text is shown and the password is selected for retyping.
//
// The user name and connect string of the last successful logon are offered again. With the embedded
// client the connect string is a database file: "Browse..." chooses one, and a relative path is taken
// from the current folder.
#pragma once

#include <QDialog>

struct ApplicationFields;
class QCheckBox;
class QPushButton;
class QLineEdit;
namespace widgets {
class CFlatComboBox;
}

class cSqlConnect : public QDialog {
public:
    static constexpr int kUserId = 803;
    static constexpr int kPasswordId = 528;
    static constexpr int kConnectId = 534;
    static constexpr int kSysdbaId = 805;
    static constexpr int kBrowseId = 806; // with the embedded client: choose a database file

    explicit cSqlConnect(ApplicationFields& app, QWidget* parent = nullptr);

    void accept() override; // OK
    void reject() override; // Cancel, Escape, close box

protected:
    void showEvent(QShowEvent* event) override;

private:
    ApplicationFields& app_;
    widgets::CFlatComboBox* user_;
    QLineEdit* password_;
    QLineEdit* connect_;
    QCheckBox* sysdba_;
    QPushButton* browse_ = nullptr;
    bool embedded_ = false;
};
