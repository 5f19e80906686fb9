#include "ui/ActionIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <functional>

namespace {

const char* const kThemeNames[aiCount][2] = {
    {"document-save", nullptr},
    {"document-save-as", nullptr},
    {"application-exit", "system-log-out"},
    {"document-open", "folder-open"},
    {"document-print", nullptr},
    {"document-new", nullptr},
    {"view-filter", "edit-find"},
    {"office-chart-bar", "x-office-spreadsheet"},
};

void Page(QPainter& p, QRectF r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 4, r.top());
    path.lineTo(r.right(), r.top() + 4);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 4, r.top()), QPointF(r.right() - 4, r.top() + 4));
    p.drawLine(QPointF(r.right() - 4, r.top() + 4), QPointF(r.right(), r.top() + 4));
}

void Floppy(QPainter& p)
{
    p.setPen(QPen(QColor(30, 50, 110), 1));
    p.setBrush(QColor(60, 100, 190));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(3.5, 9.5, 9, 5));
}

// A drawn icon at its designed side and at the larger sides of larger desktop text
// and denser screens, each drawn for its size (an icon is never enlarged from a
// smaller picture).
QIcon DrawnIcon(int side, const std::function<QImage(int)>& draw)
{
    QIcon icon;
    for (int factor2 = 2; factor2 <= 8; ++factor2)
        icon.addPixmap(QPixmap::fromImage(draw(side * factor2 / 2)));
    return icon;
}

} // namespace

QImage DrawnActionImage(TActionImage image, int side)
{
    QImage picture(side, side, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(side / 16.0, side / 16.0);
    switch (image) {
    case aiSave:
        Floppy(p);
        break;
    case aiSaveAs:
        Floppy(p);
        p.setPen(QPen(QColor(170, 90, 20), 2));
        p.drawLine(QPointF(9, 14), QPointF(15, 8));
        break;
    case aiExit:
        p.setPen(QPen(QColor(90, 60, 30), 1));
        p.setBrush(QColor(170, 120, 70));
        p.drawRect(QRectF(2.5, 1.5, 7, 13));
        p.setPen(QPen(QColor(190, 30, 30), 2));
        p.drawLine(QPointF(7, 8), QPointF(14, 8));
        p.drawLine(QPointF(11, 5), QPointF(14, 8));
        p.drawLine(QPointF(11, 11), QPointF(14, 8));
        break;
    case aiOpen: {
        p.setPen(QPen(QColor(140, 100, 20), 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1.5, 4.5, 12, 9));
        QPolygonF flap;
        flap << QPointF(3.5, 7.5) << QPointF(15.5, 7.5) << QPointF(13.5, 13.5) << QPointF(1.5, 13.5);
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(flap);
        break;
    }
    case aiPrint:
        Page(p, QRectF(4.5, 1.5, 7, 6));
        p.setPen(QPen(QColor(70, 70, 70), 1));
        p.setBrush(QColor(160, 160, 160));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        break;
    case aiNew:
        Page(p, QRectF(3.5, 1.5, 10, 13));
        p.setPen(QPen(QColor(230, 170, 0), 1.5));
        p.drawLine(QPointF(4, 4), QPointF(8, 8));
        p.drawLine(QPointF(8, 4), QPointF(4, 8));
        break;
    case aiFilter: {
        QPolygonF funnel;
        funnel << QPointF(1.5, 2.5) << QPointF(14.5, 2.5) << QPointF(9.5, 8.5) << QPointF(9.5, 14.5)
               << QPointF(6.5, 12.5) << QPointF(6.5, 8.5);
        p.setPen(QPen(QColor(40, 70, 130), 1));
        p.setBrush(QColor(110, 160, 230));
        p.drawPolygon(funnel);
        break;
    }
    case aiStatistics:
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.drawLine(QPointF(1.5, 14.5), QPointF(14.5, 14.5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 60, 50));
        p.drawRect(QRectF(2, 8, 3, 6));
        p.setBrush(QColor(60, 150, 70));
        p.drawRect(QRectF(6.5, 3, 3, 11));
        p.setBrush(QColor(60, 100, 200));
        p.drawRect(QRectF(11, 6, 3, 8));
        break;
    case aiCount:
        break;
    }
    return picture;
}

QIcon ActionIcon(TActionImage image)
{
    for (const char* name : kThemeNames[image]) {
        if (!name)
            continue;
        const QIcon themed = QIcon::fromTheme(QString::fromLatin1(name));
        // A theme may name an icon it cannot draw here (a vector icon without the
        // plug-in to read it); only a picture that can be shown counts.
        if (!themed.isNull() && !themed.pixmap(16, 16).isNull())
            return themed;
    }
    return DrawnIcon(16, [image](int side) { return DrawnActionImage(image, side); });
}

QImage DrawnGlyph(TGlyph glyph, int side)
{
    QImage picture(side, side, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(side / 12.0, side / 12.0);
    const QColor ink(20, 20, 20);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    QPolygonF t;
    switch (glyph) {
    case glPlus:
        p.drawRect(QRectF(1, 5, 10, 2));
        p.drawRect(QRectF(5, 1, 2, 10));
        break;
    case glMinus:
        p.drawRect(QRectF(1, 5, 10, 2));
        break;
    case glUp:
        t << QPointF(6, 2) << QPointF(11, 9) << QPointF(1, 9);
        break;
    case glDown:
        t << QPointF(1, 3) << QPointF(11, 3) << QPointF(6, 10);
        break;
    case glRight:
        t << QPointF(3, 1) << QPointF(10, 6) << QPointF(3, 11);
        break;
    case glLeft:
        t << QPointF(9, 1) << QPointF(2, 6) << QPointF(9, 11);
        break;
    }
    if (!t.isEmpty())
        p.drawPolygon(t);
    p.end();
    return picture;
}

QIcon GlyphIcon(TGlyph glyph)
{
    return DrawnIcon(12, [glyph](int side) { return DrawnGlyph(glyph, side); });
}
