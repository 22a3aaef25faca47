#include "ViewImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace editor {

QPixmap MakeExecMarkImage() {
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A right-pointing arrow: a shaft and a head, yellow with a dark outline.
    const QPolygonF arrow({QPointF(1.5, 5.5), QPointF(8.5, 5.5), QPointF(8.5, 1.5), QPointF(14.5, 8.0),
                           QPointF(8.5, 14.5), QPointF(8.5, 10.5), QPointF(1.5, 10.5)});
    painter.setPen(QPen(QColor(90, 70, 0), 1.0));
    painter.setBrush(QColor(255, 214, 0));
    painter.drawPolygon(arrow);
    return image;
}

const QCursor& LineSelectionCursor() {
    static const QCursor cursor = [] {
        QPixmap image(32, 32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        // The usual arrow, mirrored: the tip is at the top right.
        const QPolygonF arrow({QPointF(16.5, 1.5), QPointF(16.5, 17.5), QPointF(12.5, 13.5), QPointF(9.5, 19.5),
                               QPointF(7.0, 18.5), QPointF(10.0, 12.5), QPointF(4.5, 12.5)});
        painter.setPen(QPen(Qt::white, 1.0));
        painter.setBrush(Qt::black);
        painter.drawPolygon(arrow);
        painter.end();
        return QCursor(image, 16, 1);
    }();
    return cursor;
}

} // namespace editor
