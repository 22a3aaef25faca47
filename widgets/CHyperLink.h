// A label that shows a link and opens it in the desktop's handler when clicked.
#pragma once

#include <QLabel>

namespace widgets {

class CHyperLink : public QLabel {
public:
    CHyperLink(const QString& text, const QString& url, QWidget* parent = nullptr);
    QString Url() const { return url_; }

private:
    QString url_;
};

} // namespace widgets
