// The settings dialog "Quarvel [Settings]": one tab, "Quarvel settings", with the settings page, and
// OK, Cancel and Help. Shown modally and without an owner, centred on the screen. OK lets the page
// write the settings and closes (it stays open when they could not be written, so nothing typed is
// lost); Cancel writes nothing.
#pragma once

#include <QDialog>

class cPropertiesSql;
namespace widgets {
class CPropertyTabCtrl;
}

class cPropertiesDlg : public QDialog {
public:
    static constexpr int kTabId = 5007;
    static constexpr int kFrameId = 5171;
    static constexpr int kHelpId = 57670;
    static constexpr uint32_t kHelpTopic = 3026;

    explicit cPropertiesDlg(QWidget* parent = nullptr);

    cPropertiesSql* Page() const { return page_; }

    void accept() override; // OK
    void reject() override; // Cancel, Escape, close box

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnHelp();

    widgets::CPropertyTabCtrl* tabs_;
    cPropertiesSql* page_;
};
