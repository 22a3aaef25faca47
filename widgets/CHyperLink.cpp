#include "CHyperLink.h"

namespace widgets {

CHyperLink::CHyperLink(const QString& text, const QString& url, QWidget* parent) : QLabel(parent), url_(url) {
    setTextFormat(Qt::RichText);
    setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), text.toHtmlEscaped()));
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    setOpenExternalLinks(true);
    setCursor(Qt::PointingHandCursor);
}

} // namespace widgets
