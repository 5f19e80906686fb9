#include "Symbols.h"

#include "Paint.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QVector>

#include <cstring>

QRawFont LoadSymbolFont(const QString& path)
{
    return QRawFont(path, 1000);
}

QColor ManaFillColor(char symbol)
{
    switch (symbol) {
    case 'W': return QColor(255, 255, 176);
    case 'U': return QColor(176, 240, 255);
    case 'R': return QColor(255, 176, 176);
    case 'G': return QColor(176, 255, 176);
    default: return QColor(208, 208, 208);
    }
}

namespace {

QPainterPath GlyphPath(const QRawFont& font, char c)
{
    const QVector<quint32> ids = font.glyphIndexesForString(QString(QChar::fromLatin1(c)));
    if (ids.isEmpty() || ids[0] == 0)
        return {};
    return font.pathForGlyph(ids[0]);
}

} // namespace

QPainterPath SymbolGlyphPath(const QRawFont& font, char symbol, const QRectF& circle)
{
    const QPainterPath reference = GlyphPath(font, 'O');
    const QRectF r = reference.boundingRect();
    if (r.isEmpty())
        return {};
    QTransform t;
    t.translate(circle.left(), circle.top());
    t.scale(circle.width() / r.width(), circle.height() / r.height());
    t.translate(-r.left(), -r.top());
    return t.map(GlyphPath(font, symbol));
}

QImage DrawSymbolSheet(const QRawFont& font, const QString& fontPath)
{
    const char* symbols = "0123456789WUBRGTX/";
    const int n = int(std::strlen(symbols));
    const int sizes[] = {96, 40, 24, 16, 12};
    const int cell = 110;
    const int perRow = 9, blockHeight = 300;
    QImage image(perRow * cell + 20, 2 * blockHeight + 130, QImage::Format_RGB32);
    image.fill(QColor(250, 248, 240));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < n; ++i) {
        const char c = symbols[i];
        const int col = i % perRow;
        double y = 10 + (i / perRow) * blockHeight;
        for (int size : sizes) {
            const QRectF circle(10 + col * cell + (cell - size) / 2.0, y, size, size);
            if (c != '/') {
                const QColor fill = ManaFillColor(c);
                p.setPen(QPen(Shade(fill, -0.3), std::max(1.0, size / 40.0)));
                p.setBrush(fill);
                p.drawEllipse(circle);
            }
            p.setPen(Qt::NoPen);
            if (c == 'T') {
                p.setBrush(Qt::white);
                p.drawPath(SymbolGlyphPath(font, 'C', circle));
            }
            p.setBrush(Qt::black);
            QRectF at = circle;
            if (c == '/')
                at.translate(size / 3.0, 0);
            p.drawPath(SymbolGlyphPath(font, c, at));
            y += size + 14;
        }
    }
    // The outlines themselves, large, to see the shapes without the circles.
    p.setBrush(QColor(40, 40, 40));
    const char* outlines = "OC";
    for (int i = 0; outlines[i]; ++i) {
        const QRectF circle(10 + i * cell + 7, 2 * blockHeight + 10, 96, 96);
        p.drawPath(SymbolGlyphPath(font, outlines[i], circle));
    }
    // A cost row drawn as text through the font's own metrics, the way the card
    // renderer places glyphs: circles as wide as "O", centred in the character cell.
    const int id = QFontDatabase::addApplicationFont(fontPath);
    if (id >= 0) {
        QFont text(QFontDatabase::applicationFontFamilies(id).value(0));
        double x = 2.5 * cell, y = 2 * blockHeight + 20;
        for (int size : {48, 20}) {
            text.setPixelSize(size);
            const QFontMetricsF m(text);
            const double cx2 = m.horizontalAdvance(QStringLiteral("O")), cy2 = m.height();
            double cx = x;
            p.setFont(text);
            for (const char* cost = "2WUBRGTX/3"; *cost; ++cost) {
                const char c = *cost;
                if (c != '/') {
                    p.setPen(QPen(Shade(ManaFillColor(c), -0.3), 1.0));
                    p.setBrush(ManaFillColor(c));
                    p.drawEllipse(QRectF(cx, y + (cy2 - cx2) / 2, cx2, cx2));
                    if (c == 'T') {
                        p.setPen(Qt::white);
                        p.drawText(QPointF(cx, y + m.ascent()), QStringLiteral("C"));
                    }
                    p.setPen(Qt::black);
                    p.drawText(QPointF(cx, y + m.ascent()), QString(QChar::fromLatin1(c)));
                } else {
                    p.setPen(Qt::black);
                    p.drawText(QPointF(cx + cx2 / 3, y + m.ascent()), QStringLiteral("/"));
                }
                cx += std::round(1.05 * cx2);
            }
            y += cy2 + 10;
        }
        QFontDatabase::removeApplicationFont(id);
    }
    return image;
}
