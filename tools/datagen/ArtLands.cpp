#include "ArtScene.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace art {

// Landscapes.

void DrawPlains(TCanvas& c, const TPalette&)
{
    TPalette p = PaletteOf('W');
    p.skyTop = Shade(QColor(110, 164, 226), c.rnd.Range(-0.1, 0.1));
    const double horizon = c.h * c.rnd.Range(0.52, 0.62);
    Sky(c, p, horizon);
    const QPointF sun(c.w * c.rnd.Range(0.2, 0.8), horizon - c.h * c.rnd.Range(0.12, 0.3));
    Glow(c, sun, c.h * 0.5, QColor(255, 244, 200), 200);
    Glow(c, sun, 14, QColor(255, 255, 240), 255);
    Ridge(c, horizon + 4, 16, 70, QColor(150, 160, 150), QColor(170, 170, 150), 1);
    Ridge(c, horizon + 16, 18, 120, QColor(206, 190, 110), QColor(176, 150, 80), 2);
    Ridge(c, horizon + 40, 22, 160, QColor(222, 196, 104), QColor(160, 126, 58), 3);
    // Grass strokes in the foreground.
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 260; ++i) {
        const double x = c.rnd.Range(0, c.w), y = c.rnd.Range(horizon + 45, c.h + 5);
        const double len = 4 + (y - horizon) * 0.12;
        QColor col = Mix(QColor(240, 214, 120), QColor(120, 92, 40), c.rnd.Real());
        col.setAlpha(170);
        g.setPen(QPen(col, 1.0));
        g.drawLine(QPointF(x, y), QPointF(x + c.rnd.Range(-2, 2), y - len));
    }
    if (c.rnd.Chance(0.6))
        RoundTree(g, c.rnd, c.w * c.rnd.Range(0.1, 0.9), horizon + 20, 46, QColor(70, 80, 44));
}

void DrawIsland(TCanvas& c, const TPalette&)
{
    TPalette p = PaletteOf('U');
    p.skyTop = QColor(40, 90, 170);
    p.horizon = QColor(200, 226, 240);
    const double horizon = c.h * c.rnd.Range(0.5, 0.6);
    Sky(c, p, horizon);
    const QPointF sun(c.w * c.rnd.Range(0.25, 0.75), horizon - c.h * c.rnd.Range(0.1, 0.25));
    Glow(c, sun, c.h * 0.45, QColor(255, 250, 230), 170);
    // The sea.
    {
        QPainter g(&c.image);
        QLinearGradient sea(0, horizon, 0, c.h);
        sea.setColorAt(0, QColor(90, 150, 196));
        sea.setColorAt(1, QColor(14, 48, 92));
        g.fillRect(QRectF(0, horizon, c.w, c.h - horizon), sea);
        // The sun's glitter on the water.
        g.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 120; ++i) {
            const double y = c.rnd.Range(horizon + 2, c.h);
            const double spread = 6 + (y - horizon) * 0.35;
            const double x = sun.x() + c.rnd.Range(-spread, spread);
            g.setPen(QPen(QColor(255, 250, 220, 150), 1.0));
            g.drawLine(QPointF(x - 3, y), QPointF(x + 3, y));
        }
        for (int i = 0; i < 70; ++i) {
            const double y = c.rnd.Range(horizon + 6, c.h);
            const double x = c.rnd.Range(0, c.w), len = 4 + (y - horizon) * 0.15;
            g.setPen(QPen(QColor(180, 220, 240, 90), 1.0));
            g.drawLine(QPointF(x, y), QPointF(x + len, y));
        }
    }
    // Islands on the horizon.
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    const int islands = 1 + c.rnd.Int(3);
    for (int i = 0; i < islands; ++i) {
        const double cx = c.w * c.rnd.Range(0.1, 0.9), width = c.w * c.rnd.Range(0.18, 0.45);
        const double height = c.h * c.rnd.Range(0.08, 0.22) * (i == 0 ? 1.3 : 1.0);
        QPainterPath hill;
        hill.moveTo(cx - width / 2, horizon + 1);
        hill.cubicTo(cx - width / 4, horizon - height, cx + width / 5, horizon - height * 1.1, cx + width / 2,
                     horizon + 1);
        hill.closeSubpath();
        QLinearGradient lg(0, horizon - height, 0, horizon);
        lg.setColorAt(0, QColor(70, 112, 90));
        lg.setColorAt(1, QColor(40, 70, 70));
        g.setBrush(lg);
        g.drawPath(hill);
        g.setBrush(QColor(30, 60, 70, 90));
        QPainterPath reflection = QTransform(1, 0, 0, -0.4, 0, horizon * 1.4).map(hill);
        g.drawPath(reflection);
    }
}

void DrawSwamp(TCanvas& c, const TPalette&)
{
    TPalette p = PaletteOf('B');
    p.horizon = QColor(110, 104, 96);
    p.skyTop = QColor(24, 20, 34);
    const double horizon = c.h * c.rnd.Range(0.55, 0.65);
    Sky(c, p, horizon);
    const QPointF moon(c.w * c.rnd.Range(0.2, 0.8), c.h * c.rnd.Range(0.15, 0.3));
    Glow(c, moon, c.h * 0.35, QColor(220, 230, 200), 120);
    {
        QPainter g(&c.image);
        g.setRenderHint(QPainter::Antialiasing);
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(232, 236, 214));
        g.drawEllipse(moon, 11, 11);
    }
    Ridge(c, horizon + 2, 12, 60, QColor(60, 60, 56), QColor(40, 40, 38), 5);
    {
        QPainter g(&c.image);
        QLinearGradient water(0, horizon, 0, c.h);
        water.setColorAt(0, QColor(64, 66, 58));
        water.setColorAt(1, QColor(16, 18, 16));
        g.fillRect(QRectF(0, horizon + 6, c.w, c.h), water);
    }
    Fog(c, horizon, 18, QColor(170, 176, 160), 120);
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    const int trees = 3 + c.rnd.Int(3);
    for (int i = 0; i < trees; ++i) {
        const double x = c.w * (i + c.rnd.Range(0.1, 0.9)) / trees;
        const double size = c.h * c.rnd.Range(0.14, 0.3) * (i % 2 ? 0.7 : 1.0);
        const double base = horizon + c.rnd.Range(4, 40);
        g.setBrush(QColor(14, 12, 14));
        DeadBranch(g, c.rnd, QPointF(x, base), M_PI / 2 + c.rnd.Range(-0.15, 0.15), size, size * 0.09, 4);
    }
    for (int i = 0; i < 40; ++i) {
        const double x = c.rnd.Range(0, c.w), y = c.rnd.Range(horizon + 10, c.h);
        g.setPen(QPen(QColor(150, 160, 130, 50), 1.0));
        g.drawLine(QPointF(x, y), QPointF(x + 6 + c.rnd.Range(0, 10), y));
    }
}

namespace {

// A range of peaks standing on `baseY`: each peak a steep, slightly rough triangle.
QPainterPath Peaks(TCanvas& c, double baseY, double height, int count)
{
    struct TPeak { double x, h, left, right; };
    std::vector<TPeak> peaks;
    for (int i = 0; i < count; ++i)
        peaks.push_back({c.w * (i + c.rnd.Range(0.1, 0.9)) / count, height * c.rnd.Range(0.55, 1.0),
                         c.rnd.Range(0.9, 1.6), c.rnd.Range(0.9, 1.6)});
    TNoise rough(c.rnd.Next());
    QPainterPath path;
    path.moveTo(-1, c.h);
    for (int x = -1; x <= int(c.w) + 1; ++x) {
        double top = 0;
        for (const TPeak& p : peaks) {
            const double dx = x - p.x;
            top = std::max(top, p.h - std::abs(dx) * (dx < 0 ? p.left : p.right));
        }
        top += (rough.At(x, 0, 12, 3) - 0.5) * height * 0.12;
        path.lineTo(x, baseY - std::max(0.0, top));
    }
    path.lineTo(c.w + 1, c.h);
    path.closeSubpath();
    return path;
}

} // namespace

void DrawMountain(TCanvas& c, const TPalette&)
{
    TPalette p = PaletteOf('R');
    const double horizon = c.h * c.rnd.Range(0.74, 0.82);
    Sky(c, p, horizon);
    Glow(c, QPointF(c.w * c.rnd.Range(0.3, 0.7), horizon - 20), c.h * 0.7, QColor(255, 176, 90), 160);
    const struct { double base, height; int count; QColor rock; bool snow; } layers[] = {
        {horizon - 4, c.h * 0.62, 3, QColor(150, 104, 96), true},
        {horizon + 16, c.h * 0.42, 4, QColor(104, 56, 42), false},
        {horizon + 44, c.h * 0.26, 5, QColor(58, 26, 18), false},
    };
    for (const auto& layer : layers) {
        const QPainterPath range = Peaks(c, layer.base, layer.height, layer.count);
        QPainter g(&c.image);
        g.setRenderHint(QPainter::Antialiasing);
        QLinearGradient rock(0, layer.base - layer.height, 0, c.h);
        rock.setColorAt(0, Shade(layer.rock, 0.1));
        rock.setColorAt(1, Shade(layer.rock, -0.5));
        g.setPen(Qt::NoPen);
        g.setBrush(rock);
        g.drawPath(range);
        if (layer.snow) {
            // Snow on the high slopes.
            g.setClipPath(range);
            TNoise edge(c.rnd.Next());
            QPainterPath snow;
            snow.moveTo(0, 0);
            for (int x = 0; x <= int(c.w); x += 3)
                snow.lineTo(x, layer.base - layer.height * (0.6 + (edge.At(x, 0, 10, 2) - 0.5) * 0.25));
            snow.lineTo(c.w, 0);
            snow.closeSubpath();
            g.setBrush(QColor(250, 232, 222));
            g.drawPath(snow);
        }
        g.end();
        Fog(c, layer.base + 4, 12, QColor(255, 170, 110), 80);
    }
}

void DrawForest(TCanvas& c, const TPalette&)
{
    TPalette p = PaletteOf('G');
    const double horizon = c.h * 0.8;
    Sky(c, p, horizon);
    const QPointF light(c.w * c.rnd.Range(0.3, 0.7), c.h * 0.15);
    Glow(c, light, c.h * 0.7, QColor(250, 250, 190), 170);
    const QColor layers[3] = {QColor(110, 150, 110), QColor(54, 100, 58), QColor(20, 48, 24)};
    for (int layer = 0; layer < 3; ++layer) {
        QPainter g(&c.image);
        g.setRenderHint(QPainter::Antialiasing);
        g.setPen(Qt::NoPen);
        const int count = 9 - layer * 2;
        for (int i = 0; i < count; ++i) {
            const double x = c.w * (i + c.rnd.Range(0.0, 1.0)) / count;
            const double height = c.h * (0.35 + 0.2 * layer) * c.rnd.Range(0.8, 1.2);
            const double base = horizon + layer * 14 + c.rnd.Range(0, 8);
            if (c.rnd.Chance(0.7))
                Conifer(g, x, base, height, layers[layer]);
            else
                RoundTree(g, c.rnd, x, base, height * 0.8, layers[layer]);
        }
        g.end();
        if (layer < 2)
            Fog(c, horizon - 4 + layer * 10, 20, QColor(220, 236, 200), 70);
    }
    // Shafts of light through the trees.
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        const double x = light.x() + c.rnd.Range(-60, 60);
        QPolygonF beam{QPointF(x, 0), QPointF(x + 10, 0), QPointF(x + 50, c.h), QPointF(x + 20, c.h)};
        g.setBrush(QColor(255, 255, 210, 26));
        g.drawPolygon(beam);
    }
}

void DrawOtherLand(TCanvas& c, const TPalette& p)
{
    const double horizon = c.h * c.rnd.Range(0.55, 0.68);
    Sky(c, p, horizon);
    Glow(c, QPointF(c.w * c.rnd.Range(0.25, 0.75), horizon - 20), c.h * 0.5, p.glow, 170);
    Ridge(c, horizon, c.h * 0.25, 80, Mix(p.far, p.horizon, 0.35), p.far, 11, c.rnd.Chance(0.5));
    Ridge(c, horizon + 26, c.h * 0.16, 110, p.ground, Shade(p.ground, -0.4), 12);
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    // A pool or a ruin catching the light.
    if (c.rnd.Chance(0.5)) {
        const QRectF pool(c.w * c.rnd.Range(0.15, 0.5), horizon + 34, c.w * 0.4, 16);
        QLinearGradient lg(pool.topLeft(), pool.bottomLeft());
        lg.setColorAt(0, Shade(p.horizon, 0.2));
        lg.setColorAt(1, Shade(p.skyTop, -0.1));
        g.setBrush(lg);
        g.drawEllipse(pool);
    } else {
        const double x = c.w * c.rnd.Range(0.2, 0.8);
        g.setBrush(Shade(p.dark, 0.1));
        for (int i = 0; i < 3; ++i)
            g.drawRect(QRectF(x + i * 14 - 20, horizon + 10 - (i == 1 ? 40 : 28), 8, (i == 1 ? 60 : 48)));
        g.drawRect(QRectF(x - 24, horizon + 10 - 44, 44, 6));
    }
    for (int i = 0; i < 3; ++i)
        RoundTree(g, c.rnd, c.w * c.rnd.Range(0, 1), horizon + 30 + c.rnd.Range(0, 20), c.rnd.Range(30, 50),
                  Shade(p.dark, 0.15));
}

} // namespace art
