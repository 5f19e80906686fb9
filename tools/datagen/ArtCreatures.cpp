#include "ArtScene.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace art {

// Creatures: a silhouette with a rim of light against a sky.

namespace {

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

} // namespace

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

} // namespace art
