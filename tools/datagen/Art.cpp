#include "Art.h"

#include "Paint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

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

// ---------------------------------------------------------------------------
// Colours.

struct TPalette {
    QColor skyTop, horizon, ground, far, accent, glow, dark;
};

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

TPalette MixPalette(const TPalette& a, const TPalette& b, double t)
{
    return {Mix(a.skyTop, b.skyTop, t), Mix(a.horizon, b.horizon, t), Mix(a.ground, b.ground, t),
            Mix(a.far, b.far, t),       b.accent,                      a.glow,
            Mix(a.dark, b.dark, 0.5)};
}

// The mana colours named in a text: capital letters of a cost, or "%X" marks of rules text.
std::string ManaColours(const std::string& text, bool marked)
{
    std::string found;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (marked) {
            if (c != '%' || i + 1 >= text.size())
                continue;
            c = text[i + 1];
        }
        if (std::string("WUBRG").find(c) != std::string::npos && found.find(c) == std::string::npos)
            found += c;
    }
    return found;
}

TPalette PaletteFor(const TArtCard& card, TArtKind kind, TRandom& rnd)
{
    char code = card.Color.empty() ? 'A' : card.Color[0];
    std::string colours;
    if (code == 'Z')
        colours = ManaColours(card.Cost, false);
    else if (kind == TArtKind::Land)
        colours = ManaColours(card.Text, true);
    TPalette p;
    if (colours.size() >= 2)
        p = MixPalette(PaletteOf(colours[0]), PaletteOf(colours[1]), 0.5);
    else if (colours.size() == 1)
        p = kind == TArtKind::Land ? MixPalette(PaletteOf('L'), PaletteOf(colours[0]), 0.6)
                                   : PaletteOf(colours[0]);
    else
        p = PaletteOf(code);
    // A little variety between cards of one colour.
    const double t = rnd.Range(-0.08, 0.08);
    p.skyTop = Shade(p.skyTop, t);
    p.horizon = Shade(p.horizon, t * 0.5);
    return p;
}

bool TypeHas(const TArtCard& card, const char* word)
{
    return card.Type.find(word) != std::string::npos;
}

// ---------------------------------------------------------------------------
// Scenery.

struct TCanvas {
    QImage image;
    double w, h;
    TRandom rnd;
    TNoise noise;
    TCanvas(int width, int height, uint64_t seed)
        : image(width, height, QImage::Format_RGB32), w(width), h(height), rnd(seed), noise(seed + 17)
    {
    }
};

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
           const QColor& bottom, uint64_t salt, bool jagged = false)
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

// ---------------------------------------------------------------------------
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

// ---------------------------------------------------------------------------
// Creatures: a silhouette with a rim of light against a sky.

enum class TBody { Humanoid, Winged, Dragon, Beast, Serpent, Bird, Horror, Golem };

TBody BodyOf(const TArtCard& card, TRandom& rnd)
{
    struct TWord { const char* word; TBody body; };
    static const TWord words[] = {
        {"Dragon", TBody::Dragon},   {"Angel", TBody::Winged},    {"Specter", TBody::Winged},
        {"Bird", TBody::Bird},       {"Wurm", TBody::Serpent},    {"Serpent", TBody::Serpent},
        {"Lizard", TBody::Beast},    {"Beast", TBody::Beast},     {"Kavu", TBody::Beast},
        {"Hound", TBody::Beast},     {"Dog", TBody::Beast},       {"Cat", TBody::Beast},
        {"Bear", TBody::Beast},      {"Wolf", TBody::Beast},      {"Ape", TBody::Beast},
        {"Elephant", TBody::Beast},  {"Boar", TBody::Beast},      {"Rat", TBody::Beast},
        {"Centaur", TBody::Beast},   {"Horse", TBody::Beast},     {"Atog", TBody::Horror},
        {"Horror", TBody::Horror},   {"Elemental", TBody::Horror}, {"Nightmare", TBody::Horror},
        {"Golem", TBody::Golem},     {"Wall", TBody::Golem},      {"Construct", TBody::Golem},
        {"Giant", TBody::Golem},     {"Insect", TBody::Humanoid}, {"Ship", TBody::Bird},
    };
    for (const TWord& w : words)
        if (TypeHas(card, w.word))
            return w.body;
    if (TypeHas(card, "Elf") || TypeHas(card, "Human") || TypeHas(card, "Wizard") || TypeHas(card, "Goblin")
        || TypeHas(card, "Soldier") || TypeHas(card, "Cleric") || TypeHas(card, "Zombie")
        || TypeHas(card, "Shade") || TypeHas(card, "Spirit") || TypeHas(card, "Warrior"))
        return TBody::Humanoid;
    static const TBody any[] = {TBody::Humanoid, TBody::Beast, TBody::Horror, TBody::Golem};
    return any[rnd.Int(4)];
}

// The silhouettes stand on y = 0, about 110 units high, facing right.

// A hooded figure in a long cloak holding up a staff.
QPainterPath Cloaked(TRandom& rnd)
{
    const double flare = rnd.Range(40, 54);
    QPainterPath c;
    c.moveTo(0, -114);
    c.cubicTo(12, -114, 19, -102, 17, -88);
    c.cubicTo(30, -82, 35, -70, 32, -55);
    c.cubicTo(36, -30, flare - 6, -10, flare, 0);
    // A ragged hem.
    const int folds = 6;
    for (int i = 1; i <= folds; ++i) {
        const double x = flare - i * (2 * flare) / folds;
        c.lineTo(x + flare / folds * 0.5, -rnd.Range(2, 7));
        c.lineTo(x, 0);
    }
    c.cubicTo(-flare + 6, -10, -36, -30, -32, -55);
    c.cubicTo(-35, -70, -30, -82, -17, -88);
    c.cubicTo(-19, -102, -12, -114, 0, -114);
    c.closeSubpath();
    QPainterPath arm;
    arm.moveTo(24, -72);
    arm.quadTo(36, -66, 46, -76);
    c.addPath(Stroke(arm, 9));
    QPainterPath staff;
    staff.moveTo(44, 0);
    staff.lineTo(49, -132);
    c.addPath(Stroke(staff, 3.6));
    return Union(c);
}

// A massive, blocky figure: golems, giants, walls.
QPainterPath Hulk(TRandom& rnd)
{
    QPainterPath b;
    b.addRoundedRect(QRectF(-36, -100, 72, 60), 16, 16);        // chest
    b.addRoundedRect(QRectF(-12, -120, 24, 24), 7, 7);          // head
    b.addRoundedRect(QRectF(-30, -50, 24, 50), 7, 7);           // legs
    b.addRoundedRect(QRectF(6, -50, 24, 50), 7, 7);
    QPainterPath arms;
    arms.moveTo(-34, -90);
    arms.quadTo(-54, -60, -46, -26);
    arms.moveTo(34, -90);
    arms.quadTo(54, -60 - rnd.Range(0, 20), 48, -26 - rnd.Range(0, 30));
    b.addPath(Stroke(arms, 20));
    return Union(b);
}

// A four-legged animal with a tail.
QPainterPath Beast(TRandom& rnd)
{
    const double back = rnd.Range(-76, -66);
    QPainterPath b;
    b.moveTo(-70, back + 8);
    b.cubicTo(-30, back - 4, 10, back, 34, -70);
    b.cubicTo(44, -80, 52, -88, 62, -88);
    b.lineTo(66, -98);                                  // ear
    b.lineTo(72, -87);
    b.cubicTo(82, -85, 92, -79, 100, -72);              // brow to snout
    b.lineTo(98, -64);
    b.cubicTo(88, -62, 78, -60, 70, -56);               // jaw
    b.cubicTo(62, -50, 58, -44, 54, -38);               // throat, chest
    b.lineTo(52, -12);                                  // front legs
    b.lineTo(57, 0);
    b.lineTo(44, 0);
    b.lineTo(40, -28);
    b.lineTo(33, -28);
    b.lineTo(30, -10);
    b.lineTo(34, 0);
    b.lineTo(22, 0);
    b.lineTo(19, -33);
    b.cubicTo(0, -37, -28, -37, -44, -35);              // belly
    b.lineTo(-47, -9);                                  // hind legs
    b.lineTo(-42, 0);
    b.lineTo(-55, 0);
    b.lineTo(-60, -24);
    b.lineTo(-65, -9);
    b.lineTo(-61, 0);
    b.lineTo(-74, 0);
    b.cubicTo(-82, -28, -82, -48, -70, back + 8);
    b.closeSubpath();
    QPainterPath tail;
    tail.moveTo(-72, back + 10);
    tail.cubicTo(-92, back + 8, -100, back + 30, -96, back + 44);
    b.addPath(Stroke(tail, 7));
    if (rnd.Chance(0.5)) {
        // A ridge of spikes along the back.
        for (int i = 0; i < 5; ++i) {
            const double x = -50 + i * 16;
            const double y = back + 2 + std::abs(i - 2) * 1.5;
            b.addPolygon(QPolygonF{QPointF(x - 6, y + 4), QPointF(x + 2, y - 12), QPointF(x + 6, y + 4)});
        }
    }
    return Union(b);
}

// Wings raised behind the shoulders: feathered (scalloped) or leathery (pointed).
QPainterPath Wings(const QPointF& root, double span, double height, bool feathered)
{
    QPainterPath wings;
    for (int side = -1; side <= 1; side += 2) {
        QPainterPath w;
        w.moveTo(root);
        // The leading edge rises away from the body, leaving the head clear.
        w.cubicTo(root + QPointF(side * span * 0.45, -height * 0.75), root + QPointF(side * span * 0.7, -height * 1.15),
                  root + QPointF(side * span, -height * 0.75));
        const int points = 5;
        for (int i = 1; i <= points; ++i) {
            const double t = double(i) / points;
            const QPointF to = root + QPointF(side * span * (1 - t), -height * 0.7 * (1 - t) + height * 0.25 * t);
            const QPointF mid = root + QPointF(side * span * (1 - t + 0.5 / points),
                                               -height * 0.7 * (1 - t + 0.5 / points) + height * (feathered ? 0.45 : 0.05));
            if (feathered)
                w.quadTo(mid, to);
            else
                w.quadTo((mid + to) / 2 + QPointF(0, -height * 0.25), to);
        }
        w.closeSubpath();
        wings.addPath(w);
    }
    return Union(wings);
}

QPainterPath Dragon(TRandom& rnd)
{
    QPainterPath d;
    d.addEllipse(QRectF(-44, -74, 88, 42));                            // body
    QPainterPath neck;
    neck.moveTo(30, -60);
    neck.cubicTo(50, -80, 44, -104, 66, -112);
    d.addPath(Stroke(neck, 16));
    QPainterPath head;
    head.moveTo(60, -122);
    head.lineTo(100, -110);
    head.lineTo(96, -104);
    head.lineTo(66, -100);
    head.closeSubpath();
    d.addPath(head);
    d.addPolygon(QPolygonF{QPointF(62, -120), QPointF(50, -138), QPointF(70, -121)});   // horns
    d.addPolygon(QPolygonF{QPointF(68, -121), QPointF(62, -140), QPointF(76, -119)});
    QPainterPath legs;
    for (double x : {-30.0, -14.0, 22.0, 34.0}) {
        legs.moveTo(x, -40);
        legs.lineTo(x + (x < 0 ? -8 : 8), -20);
        legs.lineTo(x + (x < 0 ? -2 : 14), 0);
    }
    d.addPath(Stroke(legs, 9));
    QPainterPath tail;
    tail.moveTo(-40, -54);
    tail.cubicTo(-80, -50, -100, -10, -130, -24);
    d.addPath(Stroke(tail, 10));
    d.addPolygon(QPolygonF{QPointF(-128, -32), QPointF(-146, -28), QPointF(-128, -16)});   // tail spade
    d.addPath(Wings(QPointF(-4, -70), rnd.Range(86, 104), rnd.Range(60, 80), false));
    return Union(d);
}

QPainterPath Serpent(TRandom& rnd)
{
    QPainterPath spine;
    spine.moveTo(-100, -6);
    spine.cubicTo(-60, -70 - rnd.Range(0, 20), -10, 30, 20, -40);
    spine.cubicTo(40, -80, 60, -110, 80, -96);
    QPainterPath body = Stroke(spine, 26);
    body.addEllipse(QRectF(66, -118, 40, 30));
    body.addPolygon(QPolygonF{QPointF(96, -112), QPointF(126, -124), QPointF(104, -100)});   // open jaws
    body.addPolygon(QPolygonF{QPointF(98, -98), QPointF(124, -92), QPointF(100, -90)});
    return Union(body);
}

QPainterPath Bird(TRandom& rnd)
{
    QPainterPath b;
    b.addEllipse(QRectF(-13, -84, 26, 50));
    b.addEllipse(QRectF(-9, -100, 18, 18));
    b.addPolygon(QPolygonF{QPointF(6, -94), QPointF(18, -90), QPointF(6, -86)});         // beak
    b.addPolygon(QPolygonF{QPointF(-8, -44), QPointF(-20, -4), QPointF(0, -10), QPointF(20, -4), QPointF(8, -44)});
    b.addPath(Wings(QPointF(0, -66), rnd.Range(80, 100), rnd.Range(50, 70), true));
    return Union(b);
}

QPainterPath Horror(TRandom& rnd)
{
    QPainterPath body;
    body.addEllipse(QRectF(-46, -100, 92, 78));
    QPainterPath limbs;
    for (int i = 0; i < 6; ++i) {
        const double x = -40 + i * 16;
        limbs.moveTo(x, -34);
        limbs.cubicTo(x - 10, -12, x + rnd.Range(-20, 20), -2, x + rnd.Range(-30, 30), 2);
    }
    body.addPath(Stroke(limbs, 9));
    body.addPolygon(QPolygonF{QPointF(-44, -52), QPointF(44, -52), QPointF(30, -24), QPointF(-30, -24)});
    return Union(body);
}

QPainterPath Creature(TBody kind, TRandom& rnd)
{
    switch (kind) {
    case TBody::Humanoid: return Cloaked(rnd);
    case TBody::Golem: return Hulk(rnd);
    case TBody::Winged: {
        QPainterPath p = Cloaked(rnd);
        p.addPath(Wings(QPointF(0, -78), rnd.Range(84, 100), rnd.Range(56, 70), true));
        return Union(p);
    }
    case TBody::Dragon: return Dragon(rnd);
    case TBody::Beast: return Beast(rnd);
    case TBody::Serpent: return Serpent(rnd);
    case TBody::Bird: return Bird(rnd);
    case TBody::Horror: return Horror(rnd);
    }
    return Cloaked(rnd);
}

// Where the eyes are in each silhouette, for a glint.
std::vector<QPointF> EyesOf(TBody kind)
{
    switch (kind) {
    case TBody::Humanoid:
    case TBody::Winged: return {{-4, -98}, {5, -98}};
    case TBody::Golem: return {{-4, -110}, {5, -110}};
    case TBody::Beast: return {{78, -80}};
    case TBody::Dragon: return {{74, -114}};
    case TBody::Serpent: return {{92, -108}};
    case TBody::Bird: return {{3, -93}};
    case TBody::Horror: return {{-16, -74}, {0, -80}, {16, -74}};
    }
    return {};
}

void DrawCreature(TCanvas& c, const TArtCard& card, const TPalette& p)
{
    const double horizon = c.h * c.rnd.Range(0.68, 0.78);
    Sky(c, p, horizon);
    Ridge(c, horizon, c.h * 0.16, 80, Mix(p.far, p.horizon, 0.3), p.far, 21, c.rnd.Chance(0.4));
    Ridge(c, horizon + 18, c.h * 0.08, 140, p.ground, Shade(p.ground, -0.45), 22);

    TBody kind = BodyOf(card, c.rnd);
    QPainterPath shape = Creature(kind, c.rnd);
    const bool mirror = c.rnd.Chance(0.5);
    const QRectF box = shape.boundingRect();
    const double scale = std::min(c.h * c.rnd.Range(0.7, 0.82) / box.height(), c.w * 0.86 / box.width());
    QTransform t;
    t.translate(c.w * c.rnd.Range(0.42, 0.58), horizon + 22);
    t.scale(mirror ? -scale : scale, scale);
    t.translate(-box.center().x(), -box.bottom());
    const QPainterPath placed = t.map(shape);

    Glow(c, placed.boundingRect().center(), c.h * 0.55, p.glow, 190);
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    // Rim light, then the dark body.
    g.setPen(QPen(Shade(p.accent, 0.2), 3.0));
    g.setBrush(Qt::NoBrush);
    g.drawPath(placed);
    const QRectF r = placed.boundingRect();
    QLinearGradient body(r.topLeft(), r.bottomRight());
    body.setColorAt(0, Shade(p.dark, 0.22));
    body.setColorAt(1, p.dark);
    g.setPen(Qt::NoPen);
    g.setBrush(body);
    g.drawPath(placed);
    // Eyes, and the light at the top of a staff.
    g.setBrush(Shade(p.accent, 0.3));
    for (const QPointF& e : EyesOf(kind))
        g.drawEllipse(t.map(e), 1.6, 1.6);
    if (kind == TBody::Humanoid || kind == TBody::Winged) {
        g.end();
        const QPointF orb = t.map(QPointF(49, -134));
        Glow(c, orb, 22, p.accent, 230);
        Glow(c, orb, 5, QColor(255, 255, 255), 255);
        g.begin(&c.image);
        g.setRenderHint(QPainter::Antialiasing);
    }
    // The ground in front.
    g.end();
    Fog(c, horizon + 22, 10, p.horizon, 80);
}

// ---------------------------------------------------------------------------
// Spells, enchantments, artifacts.

void DarkField(TCanvas& c, const TPalette& p)
{
    QPainter g(&c.image);
    QRadialGradient rg(QPointF(c.w / 2, c.h / 2), c.w * 0.8);
    rg.setColorAt(0, Shade(p.skyTop, 0.15));
    rg.setColorAt(1, Shade(p.skyTop, -0.6));
    g.fillRect(QRectF(0, 0, c.w, c.h), rg);
    g.end();
    ApplyTexture(c.image, QPainterPath(), c.rnd.Next(), 50, 0.18, 5);
}

void DrawSpiral(TCanvas& c, const TPalette& p)
{
    DarkField(c, p);
    const QPointF centre(c.w * c.rnd.Range(0.35, 0.65), c.h * c.rnd.Range(0.35, 0.65));
    Glow(c, centre, c.h * 0.8, p.glow, 150);
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    // Rays.
    const int rays = 10 + c.rnd.Int(14);
    for (int i = 0; i < rays; ++i) {
        const double a = c.rnd.Range(0, 2 * M_PI), len = c.rnd.Range(0.4, 1.0) * c.w;
        QColor col = Mix(p.accent, p.glow, c.rnd.Real());
        col.setAlpha(60);
        g.setPen(QPen(col, c.rnd.Range(1, 3)));
        g.drawLine(centre, centre + QPointF(len * std::cos(a), len * std::sin(a)));
    }
    // Spiral arms of sparks.
    const int arms = 2 + c.rnd.Int(3);
    const double twist = c.rnd.Range(2.5, 4.5) * (c.rnd.Chance(0.5) ? 1 : -1);
    g.setPen(Qt::NoPen);
    for (int arm = 0; arm < arms; ++arm) {
        const double offset = arm * 2 * M_PI / arms;
        for (int i = 0; i < 160; ++i) {
            const double t = i / 160.0;
            const double a = offset + t * twist + c.rnd.Range(-0.12, 0.12);
            const double r = t * c.w * 0.55 + c.rnd.Range(-4, 4);
            QColor col = Mix(Shade(p.accent, 0.4), p.glow, t);
            col.setAlpha(int(230 * (1 - t * 0.8)));
            g.setBrush(col);
            const double s = 1.2 + (1 - t) * 2.4 * c.rnd.Real();
            g.drawEllipse(centre + QPointF(r * std::cos(a), r * std::sin(a)), s, s);
        }
    }
    g.end();
    Glow(c, centre, 26, QColor(255, 255, 240), 235);
}

// Forked lightning from the top of the picture.
void DrawBolts(TCanvas& c, const TPalette& p)
{
    DarkField(c, p);
    const QPointF strike(c.w * c.rnd.Range(0.35, 0.65), c.h * c.rnd.Range(0.7, 0.85));
    Glow(c, strike, c.h * 0.6, p.glow, 170);
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    auto bolt = [&](QPointF from, QPointF to, double width) {
        QPainterPath path;
        path.moveTo(from);
        const int steps = 9;
        for (int i = 1; i <= steps; ++i) {
            const double t = double(i) / steps;
            QPointF pt = from + (to - from) * t;
            if (i < steps)
                pt += QPointF(c.rnd.Range(-14, 14), c.rnd.Range(-4, 4));
            path.lineTo(pt);
        }
        QColor halo = p.accent;
        halo.setAlpha(70);
        g.setPen(QPen(halo, width * 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        g.drawPath(path);
        g.setPen(QPen(QColor(255, 255, 240), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        g.drawPath(path);
    };
    const int bolts = 2 + c.rnd.Int(3);
    for (int i = 0; i < bolts; ++i)
        bolt(QPointF(c.w * c.rnd.Range(0.1, 0.9), -5), strike + QPointF(c.rnd.Range(-10, 10), 0), 2.2);
    for (int i = 0; i < 4; ++i)
        bolt(strike, strike + QPointF(c.rnd.Range(-90, 90), c.rnd.Range(-60, 30)), 1.0);
    g.end();
    Glow(c, strike, 20, QColor(255, 255, 240), 240);
}

// Shards bursting out of a bright centre.
void DrawShards(TCanvas& c, const TPalette& p)
{
    DarkField(c, p);
    const QPointF centre(c.w * c.rnd.Range(0.4, 0.6), c.h * c.rnd.Range(0.4, 0.6));
    Glow(c, centre, c.h * 0.75, p.glow, 170);
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    for (int i = 0; i < 70; ++i) {
        const double a = c.rnd.Range(0, 2 * M_PI);
        const double r0 = c.rnd.Range(10, 60), r1 = r0 + c.rnd.Range(20, 90);
        const double spread = c.rnd.Range(0.03, 0.09);
        QPolygonF shard{centre + QPointF(r0 * std::cos(a), r0 * std::sin(a)),
                        centre + QPointF(r1 * std::cos(a - spread), r1 * std::sin(a - spread)),
                        centre + QPointF((r1 + 14) * std::cos(a), (r1 + 14) * std::sin(a)),
                        centre + QPointF(r1 * std::cos(a + spread), r1 * std::sin(a + spread))};
        QColor col = Mix(Shade(p.accent, 0.3), p.glow, c.rnd.Real());
        col.setAlpha(int(c.rnd.Range(90, 210)));
        g.setBrush(col);
        g.drawPolygon(shard);
    }
    g.end();
    Glow(c, centre, 30, QColor(255, 255, 240), 240);
}

void DrawSpell(TCanvas& c, const TPalette& p)
{
    switch (c.rnd.Int(3)) {
    case 0: DrawSpiral(c, p); break;
    case 1: DrawBolts(c, p); break;
    default: DrawShards(c, p); break;
    }
}

void DrawEnchantment(TCanvas& c, const TPalette& p)
{
    DarkField(c, p);
    const QPointF centre(c.w / 2, c.h / 2);
    Glow(c, centre, c.h * 0.7, p.glow, 140);
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    g.setBrush(Qt::NoBrush);
    const int rings = 3 + c.rnd.Int(2);
    for (int i = 0; i < rings; ++i) {
        const double r = 24 + i * 22;
        QColor col = Shade(p.accent, 0.2);
        col.setAlpha(200 - i * 30);
        g.setPen(QPen(col, i == rings - 1 ? 2.2 : 1.4));
        g.drawEllipse(centre, r, r);
        // Rune marks around the ring.
        const int marks = 8 + i * 4;
        for (int m = 0; m < marks; ++m) {
            const double a = 2 * M_PI * m / marks + i * 0.3;
            const QPointF at = centre + QPointF((r + 6) * std::cos(a), (r + 6) * std::sin(a));
            if (c.rnd.Chance(0.5))
                g.drawLine(at, at + QPointF(4 * std::cos(a + 1.2), 4 * std::sin(a + 1.2)));
            else
                g.drawEllipse(at, 1.5, 1.5);
        }
    }
    // A star inside.
    const int points = 5 + c.rnd.Int(4);
    QPolygonF star;
    for (int i = 0; i <= points * 2; ++i) {
        const double a = -M_PI / 2 + i * M_PI / points;
        const double r = i % 2 ? 9 : 22;
        star << centre + QPointF(r * std::cos(a), r * std::sin(a));
    }
    g.setPen(QPen(Shade(p.accent, 0.5), 1.2));
    QColor fill = p.glow;
    fill.setAlpha(120);
    g.setBrush(fill);
    g.drawPolygon(star);
}

void DrawGear(TCanvas& c, const TPalette& p)
{
    const double horizon = c.h * 0.74;
    Sky(c, p, horizon);
    Ridge(c, horizon, 10, 100, p.far, Shade(p.ground, -0.3), 31);
    const QPointF centre(c.w * c.rnd.Range(0.4, 0.6), c.h * 0.48);
    Glow(c, centre, c.h * 0.6, p.glow, 170);
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    // A gear.
    const int teeth = 8 + c.rnd.Int(6);
    const double r = c.h * c.rnd.Range(0.26, 0.32);
    QPainterPath gear;
    for (int i = 0; i < teeth * 4; ++i) {
        const double a = 2 * M_PI * i / (teeth * 4);
        const double rr = (i % 4 < 2) ? r * 1.16 : r;
        const QPointF pt = centre + QPointF(rr * std::cos(a), rr * std::sin(a));
        if (i == 0)
            gear.moveTo(pt);
        else
            gear.lineTo(pt);
    }
    gear.closeSubpath();
    QPainterPath hub;
    hub.addEllipse(centre, r * 0.35, r * 0.35);
    gear = gear.subtracted(hub);
    QLinearGradient metal(centre - QPointF(r, r), centre + QPointF(r, r));
    metal.setColorAt(0, QColor(236, 220, 180));
    metal.setColorAt(0.5, QColor(170, 140, 90));
    metal.setColorAt(1, QColor(80, 60, 40));
    g.setPen(QPen(QColor(40, 30, 20), 1.5));
    g.setBrush(metal);
    g.drawPath(gear);
    // A jewel in the hub.
    QRadialGradient jewel(centre - QPointF(3, 3), r * 0.3);
    jewel.setColorAt(0, QColor(255, 255, 255));
    jewel.setColorAt(0.4, Shade(p.accent, 0.1));
    jewel.setColorAt(1, Shade(p.accent, -0.5));
    g.setBrush(jewel);
    g.drawEllipse(centre, r * 0.24, r * 0.24);
    // Spokes.
    g.setPen(QPen(QColor(60, 44, 28), 3));
    for (int i = 0; i < 3; ++i) {
        const double a = c.rnd.Range(0, M_PI) + i * 2 * M_PI / 3;
        g.drawLine(centre + QPointF(r * 0.36 * std::cos(a), r * 0.36 * std::sin(a)),
                   centre + QPointF(r * 0.8 * std::cos(a), r * 0.8 * std::sin(a)));
    }
}

QBrush Metal(const QRectF& r)
{
    QLinearGradient metal(r.topLeft(), r.bottomRight());
    metal.setColorAt(0, QColor(236, 220, 180));
    metal.setColorAt(0.5, QColor(170, 140, 90));
    metal.setColorAt(1, QColor(80, 60, 40));
    return metal;
}

// A crystal orb held up in a claw on a pedestal.
void DrawOrb(TCanvas& c, const TPalette& p)
{
    const double horizon = c.h * 0.76;
    Sky(c, p, horizon);
    const QPointF orb(c.w * c.rnd.Range(0.42, 0.58), c.h * 0.38);
    const double r = c.h * 0.16;
    Glow(c, orb, c.h * 0.6, p.glow, 190);
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    QPainterPath stand;
    stand.moveTo(orb + QPointF(-r * 0.5, r * 0.7));
    stand.lineTo(orb + QPointF(r * 0.5, r * 0.7));
    stand.lineTo(orb + QPointF(r * 0.25, r * 1.6));
    stand.lineTo(orb + QPointF(r * 0.9, c.h * 0.6));
    stand.lineTo(orb + QPointF(-r * 0.9, c.h * 0.6));
    stand.lineTo(orb + QPointF(-r * 0.25, r * 1.6));
    stand.closeSubpath();
    QPainterPath claws;
    for (int i = -1; i <= 1; ++i) {
        claws.moveTo(orb + QPointF(i * r * 0.3, r * 0.8));
        claws.quadTo(orb + QPointF(i * r * 1.3, r * 0.5), orb + QPointF(i * r * 0.9, -r * 0.4));
    }
    stand.addPath(Stroke(claws, 5));
    g.setPen(QPen(QColor(40, 30, 20), 1.2));
    g.setBrush(Metal(Union(stand).boundingRect()));
    g.drawPath(Union(stand));
    QRadialGradient crystal(orb - QPointF(r * 0.35, r * 0.35), r * 1.2);
    crystal.setColorAt(0, QColor(255, 255, 255));
    crystal.setColorAt(0.3, Shade(p.accent, 0.2));
    crystal.setColorAt(1, Shade(p.glow, -0.5));
    g.setBrush(crystal);
    g.setPen(QPen(Shade(p.accent, -0.4), 1.0));
    g.drawEllipse(orb, r, r);
}

// A heraldic shield with a device on it.
void DrawCrest(TCanvas& c, const TPalette& p)
{
    DarkField(c, p);
    const QPointF centre(c.w / 2, c.h * 0.5);
    Glow(c, centre, c.h * 0.7, p.glow, 150);
    const double w = c.h * 0.36, h = c.h * 0.42;
    QPainterPath shield;
    shield.moveTo(centre + QPointF(-w, -h));
    shield.lineTo(centre + QPointF(w, -h));
    shield.lineTo(centre + QPointF(w, 0));
    shield.cubicTo(centre + QPointF(w, h * 0.6), centre + QPointF(w * 0.4, h * 0.85), centre + QPointF(0, h * 1.05));
    shield.cubicTo(centre + QPointF(-w * 0.4, h * 0.85), centre + QPointF(-w, h * 0.6), centre + QPointF(-w, 0));
    shield.closeSubpath();
    QPainter g(&c.image);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(40, 30, 20), 2.0));
    g.setBrush(Metal(shield.boundingRect()));
    g.drawPath(shield);
    // The field in quarters, and a star in the middle.
    g.setClipPath(shield);
    const QColor field[2] = {Shade(p.skyTop, 0.1), Shade(p.accent, -0.35)};
    for (int i = 0; i < 4; ++i) {
        const QRectF q(centre.x() - w * 0.82 + (i % 2) * w * 0.82, centre.y() - h * 0.82 + (i / 2) * h * 0.9,
                       w * 0.82, h * 0.9);
        g.fillRect(q, field[(i + i / 2) % 2]);
    }
    g.setClipping(false);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5, r = i % 2 ? w * 0.14 : w * 0.36;
        star << centre + QPointF(r * std::cos(a), r * std::sin(a));
    }
    g.setBrush(Metal(star.boundingRect()));
    g.drawPolygon(star);
}

void DrawArtifact(TCanvas& c, const TPalette& p)
{
    switch (c.rnd.Int(3)) {
    case 0: DrawGear(c, p); break;
    case 1: DrawOrb(c, p); break;
    default: DrawCrest(c, p); break;
    }
}

} // namespace

TArtKind ArtKindOf(const TArtCard& card)
{
    static const struct { const char* name; TArtKind kind; } basics[] = {
        {"Plains", TArtKind::Plains},     {"Island", TArtKind::Island}, {"Swamp", TArtKind::Swamp},
        {"Mountain", TArtKind::Mountain}, {"Forest", TArtKind::Forest},
    };
    for (const auto& b : basics)
        if (card.Name == b.name)
            return b.kind;
    if (TypeHas(card, "Creature"))
        return TArtKind::Creature;
    if (TypeHas(card, "Land"))
        return TArtKind::Land;
    if (TypeHas(card, "Enchant"))
        return TArtKind::Enchantment;
    if (TypeHas(card, "Artifact"))
        return TArtKind::Artifact;
    return TArtKind::Spell;
}

QImage DrawArt(const TArtCard& card, int width, int height)
{
    TCanvas c(width, height, HashText(card.ArtName.empty() ? card.Name : card.ArtName));
    const TArtKind kind = ArtKindOf(card);
    const TPalette p = PaletteFor(card, kind, c.rnd);
    switch (kind) {
    case TArtKind::Plains: DrawPlains(c, p); break;
    case TArtKind::Island: DrawIsland(c, p); break;
    case TArtKind::Swamp: DrawSwamp(c, p); break;
    case TArtKind::Mountain: DrawMountain(c, p); break;
    case TArtKind::Forest: DrawForest(c, p); break;
    case TArtKind::Land: DrawOtherLand(c, p); break;
    case TArtKind::Creature: DrawCreature(c, card, p); break;
    case TArtKind::Spell: DrawSpell(c, p); break;
    case TArtKind::Enchantment: DrawEnchantment(c, p); break;
    case TArtKind::Artifact: DrawArtifact(c, p); break;
    }
    Vignette(c, 0.35);
    return c.image;
}
