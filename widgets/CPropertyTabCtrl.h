// A tab control that hosts property pages: each tab shows one page, created inside the control.
#pragma once

#include <QTabWidget>

namespace widgets {

class CPropertyTabCtrl : public QTabWidget {
public:
    explicit CPropertyTabCtrl(QWidget* parent = nullptr);

    // Inserts a tab with `caption`, makes `page` its content (the control takes it over) and shows it.
    int AddPage(QWidget* page, const QString& caption);
};

} // namespace widgets
