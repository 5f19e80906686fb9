#include "ArtScene.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace art {

// Spells, enchantments, artifacts.

namespace {

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

} // namespace

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

namespace {

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

} // namespace

void DrawArtifact(TCanvas& c, const TPalette& p)
{
    switch (c.rnd.Int(3)) {
    case 0: DrawGear(c, p); break;
    case 1: DrawOrb(c, p); break;
    default: DrawCrest(c, p); break;
    }
}

} // namespace art
