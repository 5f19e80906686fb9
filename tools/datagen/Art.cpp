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
    g.drawPath(tree.simplified());
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

void DrawMountain(TCanvas& c, const TPalette&)
{
    TPalette p = PaletteOf('R');
    const double horizon = c.h * c.rnd.Range(0.7, 0.8);
    Sky(c, p, horizon);
    Glow(c, QPointF(c.w * c.rnd.Range(0.3, 0.7), horizon - 10), c.h * 0.6, QColor(255, 170, 80), 150);
    Ridge(c, horizon - 10, c.h * 0.55, 90, QColor(150, 92, 80), QColor(90, 50, 40), 7, true);
    Ridge(c, horizon + 10, c.h * 0.42, 70, QColor(110, 56, 40), QColor(60, 26, 18), 8, true);
    Ridge(c, horizon + 38, c.h * 0.28, 60, QColor(64, 30, 20), QColor(30, 12, 8), 9, true);
    Fog(c, horizon + 8, 14, QColor(255, 160, 90), 70);
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

QPainterPath Humanoid(TRandom& rnd, bool bulky)
{
    QPainterPath body;
    const double shoulders = bulky ? 34 : 22;
    body.addEllipse(QPointF(0, -88), bulky ? 10 : 9, bulky ? 10 : 11);                  // head
    QPainterPath torso;
    torso.moveTo(-shoulders, -72);
    torso.lineTo(shoulders, -72);
    torso.lineTo(shoulders * 0.7, -30);
    torso.lineTo(-shoulders * 0.7, -30);
    torso.closeSubpath();
    body.addPath(torso);
    // Cloak or robe flaring to the ground.
    QPainterPath robe;
    robe.moveTo(-shoulders * 0.75, -40);
    robe.lineTo(shoulders * 0.75, -40);
    robe.lineTo(shoulders * 1.1 + rnd.Range(0, 8), 0);
    robe.lineTo(-shoulders * 1.1 - rnd.Range(0, 8), 0);
    robe.closeSubpath();
    body.addPath(robe);
    // Arms: one raised with a staff or blade, one at the side.
    QPainterPathStroker arm;
    arm.setWidth(bulky ? 14 : 8);
    arm.setCapStyle(Qt::RoundCap);
    QPainterPath arms;
    arms.moveTo(-shoulders + 3, -70);
    arms.lineTo(-shoulders - 12, -44);
    arms.moveTo(shoulders - 3, -70);
    const QPointF hand(shoulders + 16, -92 - rnd.Range(0, 12));
    arms.lineTo(hand);
    body.addPath(arm.createStroke(arms));
    if (!bulky) {
        QPainterPathStroker staff;
        staff.setWidth(3.5);
        QPainterPath line;
        line.moveTo(hand + QPointF(-4, 60));
        line.lineTo(hand + QPointF(4, -38));
        body.addPath(staff.createStroke(line));
    }
    return body.simplified();
}

QPainterPath Wings(double span, double lift)
{
    QPainterPath wings;
    for (int side = -1; side <= 1; side += 2) {
        QPainterPath w;
        w.moveTo(0, -70);
        w.cubicTo(side * span * 0.4, -70 - lift, side * span * 0.8, -80 - lift * 1.2, side * span, -60 - lift * 1.4);
        // Scalloped trailing edge.
        const int points = 4;
        for (int i = 1; i <= points; ++i) {
            const double t = double(i) / points;
            const QPointF to(side * span * (1 - t), -60 - lift * 1.4 * (1 - t) + 30 * t);
            const QPointF mid(side * span * (1 - t + 0.5 / points), -40 - lift * (1 - t) + 20 * t);
            w.quadTo(mid, to);
        }
        w.closeSubpath();
        wings.addPath(w);
    }
    return wings;
}

QPainterPath Beast(TRandom& rnd)
{
    QPainterPath body;
    body.addEllipse(QRectF(-50, -62, 100, 40));                           // body
    body.addEllipse(QRectF(40, -84, 34, 28));                             // head
    QPainterPath neck;
    neck.moveTo(30, -60);
    neck.lineTo(52, -80);
    neck.lineTo(62, -64);
    neck.lineTo(40, -40);
    neck.closeSubpath();
    body.addPath(neck);
    QPainterPathStroker legs;
    legs.setWidth(10);
    legs.setCapStyle(Qt::RoundCap);
    QPainterPath l;
    for (double x : {-38.0, -22.0, 22.0, 36.0}) {
        l.moveTo(x, -36);
        l.lineTo(x + rnd.Range(-6, 6), 0);
    }
    QPainterPath tail;
    tail.moveTo(-48, -50);
    tail.quadTo(-80, -60, -84, -86);
    QPainterPathStroker thin;
    thin.setWidth(5);
    thin.setCapStyle(Qt::RoundCap);
    body.addPath(legs.createStroke(l));
    body.addPath(thin.createStroke(tail));
    // Horns or ears.
    body.addPolygon(QPolygonF{QPointF(54, -80), QPointF(50, -100), QPointF(62, -82)});
    body.addPolygon(QPolygonF{QPointF(62, -82), QPointF(66, -104), QPointF(70, -80)});
    return body.simplified();
}

QPainterPath Serpent(TRandom& rnd)
{
    QPainterPath spine;
    spine.moveTo(-95, -4);
    spine.cubicTo(-60, -70 - rnd.Range(0, 20), -10, 30, 20, -40);
    spine.cubicTo(40, -80, 60, -110, 80, -96);
    QPainterPathStroker s;
    s.setWidth(26);
    s.setCapStyle(Qt::RoundCap);
    QPainterPath body = s.createStroke(spine);
    body.addEllipse(QRectF(66, -118, 40, 30));
    // Open jaws.
    body.addPolygon(QPolygonF{QPointF(96, -110), QPointF(124, -122), QPointF(104, -100)});
    body.addPolygon(QPolygonF{QPointF(98, -98), QPointF(122, -92), QPointF(100, -90)});
    return body.simplified();
}

QPainterPath Dragon(TRandom& rnd)
{
    QPainterPath body = Beast(rnd);
    body.addPath(Wings(90, 40 + rnd.Range(0, 20)).translated(-6, 10));
    return body.simplified();
}

QPainterPath Bird(TRandom& rnd)
{
    QPainterPath body;
    body.addEllipse(QRectF(-14, -80, 28, 52));
    body.addEllipse(QRectF(-9, -96, 18, 18));
    body.addPolygon(QPolygonF{QPointF(-4, -92), QPointF(0, -104), QPointF(4, -92)});
    body.addPath(Wings(80, 30 + rnd.Range(0, 20)).translated(0, 8));
    body.addPolygon(QPolygonF{QPointF(-12, -32), QPointF(0, 0), QPointF(12, -32)});
    return body.simplified();
}

QPainterPath Horror(TRandom& rnd)
{
    QPainterPath body;
    body.addEllipse(QRectF(-46, -96, 92, 80));
    QPainterPathStroker s;
    s.setWidth(9);
    s.setCapStyle(Qt::RoundCap);
    QPainterPath limbs;
    for (int i = 0; i < 6; ++i) {
        const double x = -40 + i * 16;
        limbs.moveTo(x, -30);
        limbs.cubicTo(x - 10, -10, x + rnd.Range(-20, 20), 0, x + rnd.Range(-30, 30), 4);
    }
    body.addPath(s.createStroke(limbs));
    // A wide jaw.
    body.addPolygon(QPolygonF{QPointF(-44, -50), QPointF(44, -50), QPointF(30, -20), QPointF(-30, -20)});
    return body.simplified();
}

QPainterPath Creature(TBody kind, TRandom& rnd)
{
    switch (kind) {
    case TBody::Humanoid: return Humanoid(rnd, false);
    case TBody::Golem: return Humanoid(rnd, true);
    case TBody::Winged: {
        QPainterPath p = Humanoid(rnd, false);
        p.addPath(Wings(84, 34 + rnd.Range(0, 16)));
        return p.simplified();
    }
    case TBody::Dragon: return Dragon(rnd);
    case TBody::Beast: return Beast(rnd);
    case TBody::Serpent: return Serpent(rnd);
    case TBody::Bird: return Bird(rnd);
    case TBody::Horror: return Horror(rnd);
    }
    return Humanoid(rnd, false);
}

// Where the eyes are in each silhouette, for a glint.
std::vector<QPointF> EyesOf(TBody kind)
{
    switch (kind) {
    case TBody::Humanoid:
    case TBody::Winged: return {{-3, -90}, {3, -90}};
    case TBody::Golem: return {{-4, -89}, {4, -89}};
    case TBody::Beast:
    case TBody::Dragon: return {{62, -74}};
    case TBody::Serpent: return {{92, -108}};
    case TBody::Bird: return {{3, -89}};
    case TBody::Horror: return {{-16, -70}, {0, -76}, {16, -70}};
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
    // Eyes.
    g.setBrush(Shade(p.accent, 0.3));
    for (const QPointF& e : EyesOf(kind))
        g.drawEllipse(t.map(e), 1.6, 1.6);
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

void DrawSpell(TCanvas& c, const TPalette& p)
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

void DrawArtifact(TCanvas& c, const TPalette& p)
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
