// The help window (Help Topics, F1): every command of the main menu with its menu place and its keys,
// the keys the accelerator table has beyond the menu, and how to start on the embedded client. The
// lists are made from the program's own menu and accelerator tables, so they cannot drift from what
// the program does. One window per main window; asking again brings it to the front.
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

class CHelpWindow : public QDialog {
public:
    explicit CHelpWindow(QWidget* parent = nullptr);
    QTextBrowser* Browser() const { return browser_; }

    // The page the window shows, as HTML.
    static QString HelpText();

private:
    QTextBrowser* browser_;
};
