// The about box: the application icon, "Quarvel for Oracle", a link and OK.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
