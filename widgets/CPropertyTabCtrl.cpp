#include "CPropertyTabCtrl.h"

namespace widgets {

CPropertyTabCtrl::CPropertyTabCtrl(QWidget* parent) : QTabWidget(parent) {
    setDocumentMode(false);
    setUsesScrollButtons(true);
}

int CPropertyTabCtrl::AddPage(QWidget* page, const QString& caption) {
    const int index = addTab(page, caption);
    setCurrentIndex(index);
    page->show();
    return index;
}

} // namespace widgets
