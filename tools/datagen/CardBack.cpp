// The card back: a dark marbled field, an oval medallion with the five mana colours
// round a star, and the program's name.
#include "Frames.h"
#include "Paint.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace {

const QColor kGold(214, 172, 84);

QPainterPath Star(const QPointF& c, int points, double outer, double inner, double turnDeg)
{
    QPainterPath path;
    for (int i = 0; i < 2 * points; ++i) {
        const double r = i % 2 == 0 ? outer : inner;
        const double a = (turnDeg - 90 + i * 180.0 / points) * M_PI / 180;
        const QPointF p(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

QBrush GoldBrush(const QRectF& r)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(250, 226, 150));
    g.setColorAt(0.5, kGold);
    g.setColorAt(1, QColor(140, 96, 36));
    return g;
}

} // namespace

QImage DrawCardBack()
{
    QImage image(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    const uint64_t seed = HashText("card back");
    const QRectF panel(4, 4, 292, 425);
    QPainterPath panelPath;
    panelPath.addRoundedRect(panel, 9, 9);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(image.rect(), QColor(14, 12, 12));
        QRadialGradient g(panel.center(), 260);
        g.setColorAt(0, QColor(122, 78, 44));
        g.setColorAt(1, QColor(58, 32, 18));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(panelPath);
    }
    // Swirling marble of the field.
    {
        TNoise noise(seed);
        for (int y = 0; y < image.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (!panelPath.contains(QPointF(x + 0.5, y + 0.5)))
                    continue;
                const double n = noise.At(x, y, 70, 5);
                const double vein = std::abs(std::sin((x * 0.03 + y * 0.012 + n * 9.0)));
                const double f = 0.82 + 0.3 * n + 0.16 * std::pow(1 - vein, 6);
                QRgb px = row[x];
                auto ch = [f](int v) { return std::clamp(int(std::lround(v * f)), 0, 255); };
                row[x] = qRgb(ch(qRed(px)), ch(qGreen(px)), ch(qBlue(px)));
            }
        }
    }

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Inner border lines.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(20, 10, 6, 200), 3.0));
    p.drawRoundedRect(panel.adjusted(9, 9, -9, -9), 6, 6);
    p.setPen(QPen(QColor(214, 172, 84, 170), 1.2));
    p.drawRoundedRect(panel.adjusted(11.5, 11.5, -11.5, -11.5), 5, 5);

    // The oval medallion.
    const QPointF c(150, 222);
    const QRectF oval(c.x() - 118, c.y() - 170, 236, 340);
    {
        QRadialGradient g(c + QPointF(0, -30), 190);
        g.setColorAt(0, QColor(44, 74, 132));
        g.setColorAt(0.6, QColor(22, 36, 74));
        g.setColorAt(1, QColor(8, 12, 28));
        p.setPen(QPen(QColor(10, 6, 4), 7));
        p.setBrush(g);
        p.drawEllipse(oval);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(GoldBrush(oval), 3.2));
        p.drawEllipse(oval.adjusted(3, 3, -3, -3));
        p.setPen(QPen(QColor(214, 172, 84, 120), 1.0));
        p.drawEllipse(oval.adjusted(9, 9, -9, -9));
    }
    // Faint rays from the centre.
    for (int i = 0; i < 36; ++i) {
        const double a = i * M_PI / 18;
        p.setPen(QPen(QColor(170, 200, 255, i % 2 ? 18 : 34), 1.0));
        p.drawLine(c, c + QPointF(100 * std::cos(a), 150 * std::sin(a)));
    }

    // The five colours round the star, joined by a gold ring.
    const QColor mana[5] = {QColor(250, 246, 214), QColor(70, 140, 220), QColor(60, 52, 58),
                            QColor(220, 70, 48), QColor(64, 160, 80)};
    const double ringR = 66;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(GoldBrush(QRectF(c.x() - ringR, c.y() - ringR, 2 * ringR, 2 * ringR)), 2.4));
    p.drawEllipse(c, ringR, ringR);
    p.setPen(QPen(QColor(214, 172, 84), 2.0));
    p.setBrush(GoldBrush(QRectF(c.x() - 60, c.y() - 60, 120, 120)));
    p.drawPath(Star(c, 5, 58, 24, 0));
    p.setPen(QPen(QColor(60, 36, 10), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(Star(c, 5, 58, 24, 0));
    p.setBrush(QColor(24, 30, 60));
    p.drawEllipse(c, 13, 13);
    for (int i = 0; i < 5; ++i) {
        const double a = (-90 + i * 72) * M_PI / 180;
        const QPointF o(c.x() + ringR * std::cos(a), c.y() + ringR * std::sin(a));
        QRadialGradient g(o + QPointF(-5, -6), 22);
        g.setColorAt(0, Shade(mana[i], 0.55));
        g.setColorAt(0.7, mana[i]);
        g.setColorAt(1, Shade(mana[i], -0.35));
        p.setPen(QPen(QColor(20, 12, 6), 2.2));
        p.setBrush(g);
        p.drawEllipse(o, 17, 17);
        p.setPen(QPen(kGold, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(o, 19.5, 19.5);
    }

    // The name, above and below the star on the oval.
    QFont font(QStringLiteral("PT Serif"));
    font.setPixelSize(27);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
    QPainterPath word;
    word.addText(0, 0, font, QStringLiteral("TOMELARK"));
    const QRectF wr = word.boundingRect();
    word.translate(c.x() - wr.center().x(), oval.top() + 66 - wr.bottom());
    p.setPen(QPen(QColor(20, 10, 4), 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(word);
    p.setPen(Qt::NoPen);
    p.setBrush(GoldBrush(word.boundingRect()));
    p.drawPath(word);

    // A small star flourish under the ring.
    p.setBrush(GoldBrush(QRectF(c.x() - 10, c.y() + 104, 20, 20)));
    p.setPen(QPen(QColor(20, 10, 4), 1.0));
    p.drawPath(Star(QPointF(c.x(), c.y() + 114), 4, 11, 3.5, 0));
    p.drawPath(Star(QPointF(c.x() - 28, c.y() + 110), 4, 5, 1.8, 0));
    p.drawPath(Star(QPointF(c.x() + 28, c.y() + 110), 4, 5, 1.8, 0));
    return image;
}
