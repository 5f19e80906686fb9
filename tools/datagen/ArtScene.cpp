#include "ArtScene.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace art {

// The area covered by any of the path's parts, overlaps joined, whichever way each
// part runs (a mirrored part runs the other way round).
QPainterPath Union(const QPainterPath& path)
{
    QPainterPath result;
    result.setFillRule(Qt::WindingFill);
    for (const QPolygonF& polygon : path.toSubpathPolygons()) {
        QPainterPath part;
        part.setFillRule(Qt::WindingFill);
        part.addPolygon(polygon);
        part.closeSubpath();
        result = result.united(part);
    }
    return result;
}

QPainterPath Stroke(const QPainterPath& line, double width)
{
    QPainterPathStroker s;
    s.setWidth(width);
    s.setCapStyle(Qt::RoundCap);
    s.setJoinStyle(Qt::RoundJoin);
    return s.createStroke(line);
}

// Colours.

TPalette PaletteOf(char colour)
{
    switch (colour) {
    case 'W':
        return {QColor(118, 166, 226), QColor(255, 238, 204), QColor(196, 176, 116), QColor(176, 174, 166),
                QColor(255, 250, 226), QColor(255, 238, 170), QColor(70, 58, 46)};
    case 'U':
        return {QColor(12, 32, 84), QColor(96, 168, 216), QColor(26, 70, 112), QColor(62, 112, 156),
                QColor(160, 234, 255), QColor(120, 200, 255), QColor(8, 18, 40)};
    case 'B':
        return {QColor(14, 9, 20), QColor(88, 66, 80), QColor(30, 27, 30), QColor(56, 48, 58),
                QColor(160, 226, 120), QColor(128, 66, 150), QColor(6, 5, 8)};
    case 'R':
        return {QColor(66, 14, 12), QColor(250, 152, 64), QColor(92, 32, 18), QColor(146, 64, 34),
                QColor(255, 214, 96), QColor(255, 120, 40), QColor(32, 9, 5)};
    case 'G':
        return {QColor(84, 148, 132), QColor(226, 234, 168), QColor(42, 92, 42), QColor(82, 132, 84),
                QColor(232, 255, 150), QColor(242, 240, 170), QColor(16, 38, 18)};
    case 'L':
        return {QColor(96, 136, 180), QColor(236, 214, 176), QColor(112, 88, 60), QColor(132, 126, 118),
                QColor(250, 236, 190), QColor(255, 226, 170), QColor(40, 30, 22)};
    default: // artifacts and anything colourless
        return {QColor(54, 60, 74), QColor(196, 184, 160), QColor(92, 86, 78), QColor(124, 120, 116),
                QColor(236, 214, 160), QColor(255, 228, 176), QColor(30, 30, 34)};
    }
}

bool TypeHas(const TArtCard& card, const char* word)
{
    return card.Type.find(word) != std::string::npos;
}

// Scenery.

void Sky(TCanvas& c, const TPalette& p, double horizonY)
{
    QPainter g(&c.image);
    QLinearGradient sky(0, 0, 0, horizonY);
    sky.setColorAt(0, p.skyTop);
    sky.setColorAt(1, p.horizon);
    g.fillRect(QRectF(0, 0, c.w, horizonY + 1), sky);
    g.fillRect(QRectF(0, horizonY, c.w, c.h - horizonY), p.ground);
    g.end();
    // Soft clouds: lighter noise in the upper sky.
    for (int y = 0; y < int(horizonY); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(c.image.scanLine(y));
        const double fade = 1 - y / horizonY;
        for (int x = 0; x < c.image.width(); ++x) {
            double n = c.noise.At(x * 0.6, y * 1.6, 60, 5);
            double cloud = std::clamp((n - 0.52) * 3.0, 0.0, 1.0) * (0.35 + 0.4 * fade);
            QColor px = QColor::fromRgb(row[x]);
            row[x] = Mix(px, p.accent, cloud * 0.55).rgb();
        }
    }
}

void Glow(TCanvas& c, const QPointF& at, double radius, const QColor& colour, int alpha)
{
    QPainter g(&c.image);
    QRadialGradient rg(at, radius);
    QColor inner = colour, outer = colour;
    inner.setAlpha(alpha);
    outer.setAlpha(0);
    rg.setColorAt(0, inner);
    rg.setColorAt(0.35, QColor(colour.red(), colour.green(), colour.blue(), alpha / 2));
    rg.setColorAt(1, outer);
    g.setPen(Qt::NoPen);
    g.setBrush(rg);
    g.drawEllipse(at, radius, radius);
}

// A ridge of hills or mountains from `baseY`, filled down to the bottom.
void Ridge(TCanvas& c, double baseY, double amplitude, double roughness, const QColor& top,
           const QColor& bottom, uint64_t salt, bool jagged)
{
    TNoise n(c.rnd.Next() ^ salt);
    QPainterPath path;
    path.moveTo(0, c.h);
    for (int x = 0; x <= int(c.w); x += 2) {
        double v = n.At(x, 0, roughness, jagged ? 5 : 3);
        if (jagged)
            v = 1 - std::abs(v - 0.5) * 2;   // sharp crests
        path.lineTo(x, baseY - v * amplitude);
    }
    path.lineTo(c.w, c.h);
    path.closeSubpath();
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    QLinearGradient lg(0, baseY - amplitude, 0, c.h);
    lg.setColorAt(0, top);
    lg.setColorAt(1, bottom);
    g.setPen(Qt::NoPen);
    g.setBrush(lg);
    g.drawPath(path);
}

void Conifer(QPainter& g, double x, double baseY, double height, const QColor& colour)
{
    QPainterPath tree;
    const int tiers = 4;
    for (int i = 0; i < tiers; ++i) {
        const double top = baseY - height + i * height * 0.2;
        const double bottom = top + height * 0.38;
        const double half = height * (0.12 + 0.06 * i);
        tree.addPolygon(QPolygonF{QPointF(x, top), QPointF(x + half, bottom), QPointF(x - half, bottom)});
    }
    tree.addRect(QRectF(x - height * 0.025, baseY - height * 0.2, height * 0.05, height * 0.2));
    g.setBrush(colour);
    g.drawPath(Union(tree));
}

void RoundTree(QPainter& g, TRandom& rnd, double x, double baseY, double height, const QColor& colour)
{
    g.setBrush(colour);
    g.drawRect(QRectF(x - height * 0.04, baseY - height * 0.45, height * 0.08, height * 0.45));
    for (int i = 0; i < 5; ++i) {
        const double r = height * rnd.Range(0.16, 0.24);
        g.drawEllipse(QPointF(x + rnd.Range(-0.18, 0.18) * height, baseY - height * rnd.Range(0.55, 0.8)), r, r);
    }
}

void DeadBranch(QPainter& g, TRandom& rnd, QPointF from, double angle, double length, double width, int depth)
{
    const QPointF to(from.x() + length * std::cos(angle), from.y() - length * std::sin(angle));
    g.setPen(QPen(g.brush().color(), width, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(from, to);
    if (depth == 0)
        return;
    const int branches = 2 + rnd.Int(2);
    for (int i = 0; i < branches; ++i)
        DeadBranch(g, rnd, to, angle + rnd.Range(-0.7, 0.7), length * rnd.Range(0.55, 0.75), width * 0.65,
                   depth - 1);
}

void Fog(TCanvas& c, double y, double thickness, const QColor& colour, int alpha)
{
    QPainter g(&c.image);
    QLinearGradient lg(0, y - thickness, 0, y + thickness);
    QColor clear = colour, mid = colour;
    clear.setAlpha(0);
    mid.setAlpha(alpha);
    lg.setColorAt(0, clear);
    lg.setColorAt(0.5, mid);
    lg.setColorAt(1, clear);
    g.fillRect(QRectF(0, y - thickness, c.w, 2 * thickness), lg);
}

void Vignette(TCanvas& c, double strength)
{
    QPainter g(&c.image);
    QRadialGradient rg(QPointF(c.w / 2, c.h / 2), std::hypot(c.w, c.h) * 0.62);
    rg.setColorAt(0.55, QColor(0, 0, 0, 0));
    rg.setColorAt(1, QColor(0, 0, 0, int(255 * strength)));
    g.fillRect(QRectF(0, 0, c.w, c.h), rg);
}

} // namespace art
