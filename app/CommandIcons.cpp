#include "CommandIcons.h"

#include "CommandIds.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kInk(0x33, 0x33, 0x33);
const QColor kPaper(0xfd, 0xfd, 0xf8);
const QColor kBlue(0x2b, 0x6c, 0xc4);
const QColor kGreen(0x2e, 0x9e, 0x44);
const QColor kRed(0xd0, 0x3b, 0x2f);
const QColor kAmber(0xe8, 0xa3, 0x17);
const QColor kGrey(0x8c, 0x8c, 0x8c);

void Page(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.drawPath(path);
}

void Lines(QPainter& p, qreal x0, qreal x1, qreal y0, int count, const QColor& colour) {
    p.setPen(QPen(colour, 1));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(x0, y0 + 2 * i), QPointF(x1, y0 + 2 * i));
}

void Play(QPainter& p, const QPointF& at, qreal size, const QColor& colour) {
    QPolygonF tri;
    tri << at << QPointF(at.x(), at.y() + size) << QPointF(at.x() + size * 0.85, at.y() + size / 2);
    p.setPen(QPen(colour.darker(130), 1));
    p.setBrush(colour);
    p.drawPolygon(tri);
}

void Grid(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.fillRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 0.5, 3), kBlue.lighter(150));
    p.setPen(QPen(kGrey, 1));
    for (qreal y = r.top() + 4.5; y < r.bottom(); y += 3)
        p.drawLine(QPointF(r.left() + 1, y), QPointF(r.right() - 1, y));
    p.drawLine(QPointF(r.center().x(), r.top() + 1), QPointF(r.center().x(), r.bottom() - 1));
}

void Arrow(QPainter& p, bool left, const QColor& colour) {
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    if (left) {
        path.moveTo(12.5, 12.5);
        path.cubicTo(14.5, 6, 9, 3.5, 4, 6.5);
        p.drawPath(path);
        p.drawLine(QPointF(3.5, 6.5), QPointF(6.5, 3.5));
        p.drawLine(QPointF(3.5, 6.5), QPointF(7.5, 8.5));
    } else {
        path.moveTo(3.5, 12.5);
        path.cubicTo(1.5, 6, 7, 3.5, 12, 6.5);
        p.drawPath(path);
        p.drawLine(QPointF(12.5, 6.5), QPointF(9.5, 3.5));
        p.drawLine(QPointF(12.5, 6.5), QPointF(8.5, 8.5));
    }
}

void RowMark(QPainter& p, uint32_t id) {
    Grid(p, QRectF(1.5, 1.5, 9, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    QPolygonF tri;
    const bool up = id == cmd::kFirstRow || id == cmd::kPreviousRow;
    if (up)
        tri << QPointF(12, 10) << QPointF(16, 10) << QPointF(14, 6);
    else
        tri << QPointF(12, 6) << QPointF(16, 6) << QPointF(14, 10);
    p.drawPolygon(tri);
    if (id == cmd::kFirstRow)
        p.fillRect(QRectF(12, 4, 4, 1.2), kBlue);
    if (id == cmd::kLastRow)
        p.fillRect(QRectF(12, 11, 4, 1.2), kBlue);
}

void Letter(QPainter& p, const QString& text, const QRectF& r, const QColor& colour) {
    QFont font;
    font.setPixelSize(7);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

void Draw(QPainter& p, uint32_t id) {
    switch (id) {
    case cmd::kOpenFile: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kAmber.lighter(120));
        p.drawRect(QRectF(1.5, 4.5, 12, 9));
        p.setBrush(kAmber);
        QPolygonF flap;
        flap << QPointF(3.5, 7.5) << QPointF(15.5, 7.5) << QPointF(13.5, 13.5) << QPointF(1.5, 13.5);
        p.drawPolygon(flap);
        p.fillRect(QRectF(2, 3, 5, 2), kAmber.lighter(120));
        break;
    }
    case cmd::kSaveFileAs:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kBlue);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.fillRect(QRectF(4, 2, 8, 5), kPaper);
        p.fillRect(QRectF(4, 10, 8, 4.5), kGrey.lighter(140));
        p.fillRect(QRectF(9, 3, 2, 3), kInk);
        break;
    case cmd::kCut:
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 10, 4.5, 4.5));
        p.drawEllipse(QRectF(9.5, 10, 4.5, 4.5));
        p.drawLine(QPointF(5.5, 10.5), QPointF(11, 1.5));
        p.drawLine(QPointF(10.5, 10.5), QPointF(5, 1.5));
        break;
    case cmd::kCopy:
        Page(p, QRectF(1.5, 1.5, 8, 10));
        Page(p, QRectF(6.5, 4.5, 8, 10));
        Lines(p, 8.5, 12.5, 8, 3, kGrey);
        break;
    case cmd::kPaste:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kAmber);
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.fillRect(QRectF(4, 1, 5, 3), kGrey);
        Page(p, QRectF(6.5, 6.5, 8, 8));
        Lines(p, 8.5, 12.5, 9.5, 2, kGrey);
        break;
    case cmd::kUndo:
        Arrow(p, true, kBlue);
        break;
    case cmd::kRedo:
        Arrow(p, false, kBlue);
        break;
    case cmd::kExecuteSql:
        Play(p, QPointF(3.5, 2), 12, kGreen);
        break;
    case cmd::kExecuteScript:
        Page(p, QRectF(1.5, 1.5, 9, 13));
        Lines(p, 3.5, 8.5, 4.5, 4, kGrey);
        Play(p, QPointF(8, 6), 9, kGreen);
        break;
    case cmd::kExplainPlan:
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(3.5, 4), QPointF(3.5, 13.5));
        p.drawLine(QPointF(3.5, 8.5), QPointF(7, 8.5));
        p.drawLine(QPointF(3.5, 13.5), QPointF(7, 13.5));
        p.drawLine(QPointF(8.5, 10), QPointF(8.5, 13.5));
        p.fillRect(QRectF(1, 1, 6, 4), kBlue);
        p.fillRect(QRectF(7, 7, 6, 3), kGreen);
        p.fillRect(QRectF(7, 12, 8, 3), kAmber);
        break;
    case cmd::kStopSql:
        p.setPen(QPen(kRed.darker(140), 1));
        p.setBrush(kRed);
        p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2, 2);
        p.fillRect(QRectF(5, 7, 6, 2), Qt::white);
        break;
    case cmd::kServerOutput:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(0x20, 0x24, 0x2a));
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setPen(QPen(QColor(0x7c, 0xe0, 0x8a), 1));
        p.drawLine(QPointF(4, 6), QPointF(6, 8));
        p.drawLine(QPointF(6, 8), QPointF(4, 10));
        p.drawLine(QPointF(8, 10.5), QPointF(12, 10.5));
        break;
    case cmd::kSqlHistory:
        Page(p, QRectF(1.5, 1.5, 10, 13));
        Lines(p, 3.5, 9.5, 4.5, 3, kGrey);
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(7.5, 7.5, 7.5, 7.5));
        p.drawLine(QPointF(11.25, 9), QPointF(11.25, 11.25));
        p.drawLine(QPointF(11.25, 11.25), QPointF(13, 11.25));
        break;
    case cmd::kCommit:
        p.setPen(QPen(kGreen, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(2.5, 8.5), QPointF(6.5, 12.5));
        p.drawLine(QPointF(6.5, 12.5), QPointF(13.5, 3.5));
        break;
    case cmd::kRollback:
        Arrow(p, true, kRed);
        p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12.5, 12.5), QPointF(6, 12.5));
        break;
    case cmd::kExportData: {
        Grid(p, QRectF(1.5, 1.5, 10, 13));
        p.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(8, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(14.5, 8), QPointF(11.5, 5));
        p.drawLine(QPointF(14.5, 8), QPointF(11.5, 11));
        break;
    }
    case cmd::kFirstRow:
    case cmd::kPreviousRow:
    case cmd::kNextRow:
    case cmd::kLastRow:
        RowMark(p, id);
        break;
    case cmd::kAutoformatByData:
    case cmd::kAutoformatByName:
    case cmd::kAutoformatBoth: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(kBlue, 1));
        p.drawLine(QPointF(1.5, 5.5), QPointF(14.5, 5.5));
        p.drawLine(QPointF(7.5, 1.5), QPointF(7.5, 14.5));
        const QString text = id == cmd::kAutoformatByData ? QStringLiteral("9")
                             : id == cmd::kAutoformatByName ? QStringLiteral("A")
                                                            : QStringLiteral("A9");
        Letter(p, text, QRectF(1, 6, 15, 9), kRed);
        break;
    }
    default:
        break;
    }
}

} // namespace

QIcon CommandIcon(uint32_t commandId) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing, true);
        Draw(painter, commandId);
    }
    QImage image = pixmap.toImage();
    bool empty = true;
    for (int y = 0; y < image.height() && empty; ++y)
        for (int x = 0; x < image.width() && empty; ++x)
            empty = qAlpha(image.pixel(x, y)) == 0;
    return empty ? QIcon() : QIcon(pixmap);
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(size / 32.0, size / 32.0);
        // A database drum with a "Q" on it.
        p.setPen(QPen(kBlue.darker(150), 1.5));
        p.setBrush(kBlue);
        p.drawRect(QRectF(5, 7, 22, 19));
        p.drawEllipse(QRectF(5, 21, 22, 8));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(5.75, 8, 20.5, 18));
        p.setPen(QPen(kBlue.darker(150), 1.5));
        p.setBrush(kBlue.lighter(140));
        p.drawEllipse(QRectF(5, 3, 22, 8));
        QFont font;
        font.setPixelSize(15);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(5, 11, 22, 16), Qt::AlignCenter, QStringLiteral("Q"));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
