#include "SetSymbols.h"

#include "Paint.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

#include "Library/Common/ExtUtils.h"

namespace {

constexpr int kHeight = 64;     // pixels; the renderer scales the picture to the band
constexpr int kSupersample = 4;  // drawn this much larger, then reduced

QPointF Polar(const QPointF& c, double r, double deg)
{
    const double a = deg * M_PI / 180;
    return QPointF(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
}

// The area covered by any of the path's parts (overlaps joined, not cut out).
QPainterPath Union(QPainterPath path)
{
    path.setFillRule(Qt::WindingFill);
    return path.simplified();
}

QPainterPath Polygon(const std::vector<QPointF>& pts)
{
    QPainterPath path;
    path.moveTo(pts[0]);
    for (size_t i = 1; i < pts.size(); ++i)
        path.lineTo(pts[i]);
    path.closeSubpath();
    return path;
}

// The emblems, designed in a box of 100 units high (y down), width as they need.

// Seventh edition: a seven-pointed star with a round heart.
QPainterPath Emblem7E()
{
    std::vector<QPointF> pts;
    const QPointF c(50, 52);
    for (int i = 0; i < 14; ++i)
        pts.push_back(Polar(c, i % 2 ? 21 : 48, 90 + i * 180.0 / 7));
    QPainterPath star = Polygon(pts);
    QPainterPath hole;
    hole.addEllipse(c, 11, 11);
    return star.subtracted(hole);
}

// Invasion: a spearhead plunging down between two swept wings.
QPainterPath EmblemIN()
{
    QPainterPath head = Polygon({{50, 98}, {70, 52}, {58, 50}, {58, 4}, {42, 4}, {42, 50}, {30, 52}});
    QPainterPath wings = Polygon({{6, 20}, {40, 40}, {40, 56}, {16, 48}});
    wings.addPath(Polygon({{94, 20}, {60, 40}, {60, 56}, {84, 48}}));
    return Union(head.united(wings));
}

// Planeshift: a crescent world and the star it turns to.
QPainterPath EmblemPS()
{
    QPainterPath world, bite;
    world.addEllipse(QPointF(46, 52), 44, 44);
    bite.addEllipse(QPointF(66, 40), 36, 36);
    QPainterPath star;
    const QPointF c(68, 42);
    for (int i = 0; i < 8; ++i) {
        const QPointF p = Polar(c, i % 2 ? 7 : 22, 90 + i * 45);
        if (i == 0)
            star.moveTo(p);
        else
            star.lineTo(p);
    }
    star.closeSubpath();
    return world.subtracted(bite).united(star);
}

// Apocalypse: an orb split by a jagged crack.
QPainterPath EmblemAP()
{
    QPainterPath orb;
    orb.addEllipse(QPointF(50, 52), 44, 44);
    QPainterPath crack = Polygon({{40, 2}, {58, 2}, {50, 30}, {64, 44}, {46, 62}, {60, 78}, {52, 100},
                                  {40, 100}, {46, 80}, {32, 64}, {48, 46}, {36, 30}});
    return orb.subtracted(crack);
}

// Odyssey: a sail on a ship riding a wave.
QPainterPath EmblemOD()
{
    QPainterPath sail = Polygon({{52, 4}, {52, 66}, {14, 66}});
    sail.addPath(Polygon({{60, 14}, {88, 66}, {60, 66}}));
    QPainterPath hull;
    hull.moveTo(4, 72);
    hull.lineTo(96, 72);
    hull.quadTo(86, 92, 64, 94);
    hull.lineTo(36, 94);
    hull.quadTo(14, 92, 4, 72);
    hull.closeSubpath();
    return Union(sail.united(hull));
}

// Torment: three curved thorns rising from one root.
QPainterPath EmblemTO()
{
    QPainterPath path;
    auto thorn = [&path](double x0, double lean) {
        QPainterPath t;
        t.moveTo(x0 - 13, 96);
        t.cubicTo(x0 - 14, 60, x0 + lean * 0.6 - 6, 30, x0 + lean, 4);
        t.cubicTo(x0 + lean * 0.3 + 8, 34, x0 + 13, 60, x0 + 13, 96);
        t.closeSubpath();
        path = path.united(t);
    };
    thorn(50, 0);
    thorn(24, -18);
    thorn(76, 18);
    QPainterPath base;
    base.addRoundedRect(QRectF(8, 82, 84, 16), 6, 6);
    return Union(path.united(base));
}

// Judgment: a balance with two pans.
QPainterPath EmblemJU()
{
    QPainterPath path;
    path.addRect(QRectF(46, 10, 8, 78));                        // pillar
    path.addRect(QRectF(8, 18, 84, 8));                          // beam
    path.addEllipse(QPointF(50, 12), 8, 8);                      // top knob
    path.addRoundedRect(QRectF(26, 86, 48, 12), 4, 4);           // foot
    QPainterPath pans;
    pans.moveTo(0, 52);
    pans.lineTo(32, 52);
    pans.quadTo(30, 66, 16, 66);
    pans.quadTo(2, 66, 0, 52);
    pans.closeSubpath();
    pans.moveTo(68, 52);
    pans.lineTo(100, 52);
    pans.quadTo(98, 66, 84, 66);
    pans.quadTo(70, 66, 68, 52);
    pans.closeSubpath();
    path.addPath(pans);
    path.addPath(Polygon({{14, 24}, {18, 24}, {5, 53}, {1, 53}}));   // strings
    path.addPath(Polygon({{14, 24}, {18, 24}, {31, 53}, {27, 53}}));
    path.addPath(Polygon({{82, 24}, {86, 24}, {99, 53}, {95, 53}}));
    path.addPath(Polygon({{82, 24}, {86, 24}, {73, 53}, {69, 53}}));
    return Union(path);
}

// Onslaught: a shield torn by three claw strokes.
QPainterPath EmblemON()
{
    QPainterPath shield;
    shield.moveTo(8, 8);
    shield.lineTo(92, 8);
    shield.lineTo(92, 46);
    shield.cubicTo(92, 72, 72, 88, 50, 98);
    shield.cubicTo(28, 88, 8, 72, 8, 46);
    shield.closeSubpath();
    QPainterPath claws;
    for (int i = 0; i < 3; ++i) {
        const double dx = i * 22;
        claws.addPath(Polygon({{22 + dx, 20}, {30 + dx, 18}, {40 + dx, 80}, {35 + dx, 86}}));
    }
    return shield.subtracted(claws);
}

// --- The older sets' emblems, built from a few plain shapes.

QPainterPath Rect(double x, double y, double w, double h)
{
    QPainterPath p;
    p.addRect(x, y, w, h);
    return p;
}

QPainterPath Disc(double x, double y, double r)
{
    QPainterPath p;
    p.addEllipse(QPointF(x, y), r, r);
    return p;
}

// A star of n points (also a snowflake's or a gear's outline).
QPainterPath Star(int n, double inner, double outer, double turn = 90)
{
    std::vector<QPointF> pts;
    for (int i = 0; i < 2 * n; ++i)
        pts.push_back(Polar(QPointF(50, 50), i % 2 ? inner : outer, turn + i * 180.0 / n));
    return Polygon(pts);
}

// A gear: a ring of square teeth around a disc.
QPainterPath Gear(int teeth, double hole)
{
    QPainterPath gear = Disc(50, 50, 36);
    for (int i = 0; i < teeth; ++i) {
        const double a = i * 360.0 / teeth;
        gear.addPath(Polygon({Polar({50, 50}, 34, a - 9), Polar({50, 50}, 48, a - 6), Polar({50, 50}, 48, a + 6),
                              Polar({50, 50}, 34, a + 9)}));
    }
    gear = Union(gear);
    return hole > 0 ? gear.subtracted(Disc(50, 50, hole)) : gear;
}

QPainterPath Snowflake()
{
    QPainterPath flake;
    for (int i = 0; i < 6; ++i) {
        const double a = 90 + i * 60;
        flake.addPath(Polygon({Polar({50, 50}, 5, a + 90), Polar({50, 50}, 48, a + 4), Polar({50, 50}, 48, a - 4),
                               Polar({50, 50}, 5, a - 90)}));
        for (double r : {24.0, 36.0})
            flake.addPath(Polygon({Polar({50, 50}, r, a), Polar(Polar({50, 50}, r, a), 12, a + 45),
                                   Polar(Polar({50, 50}, r + 4, a), 12, a + 45), Polar({50, 50}, r + 5, a)}));
    }
    return Union(flake);
}

QPainterPath Tower(bool fortress)
{
    QPainterPath t = Rect(30, 30, 40, 66);
    for (int i = 0; i < 3; ++i)
        t.addPath(Rect(26 + i * 17, 10, 14, 22));
    if (fortress) {
        t.addPath(Rect(6, 50, 24, 46));
        t.addPath(Rect(70, 50, 24, 46));
    }
    t = Union(t);
    return t.subtracted(Rect(43, 66, 14, 30));
}

QPainterPath Banner()
{
    QPainterPath b = Rect(12, 4, 8, 92);
    b.addPath(Polygon({{20, 8}, {92, 8}, {74, 30}, {92, 52}, {20, 52}}));
    return Union(b);
}

QPainterPath Palm()
{
    QPainterPath p = Polygon({{46, 96}, {54, 96}, {56, 40}, {48, 40}});
    for (int i = 0; i < 5; ++i) {
        const double a = 20 + i * 35;
        p.addPath(Polygon({{52, 36}, Polar({52, 36}, 44, a + 8), Polar({52, 36}, 40, a - 6)}));
    }
    return Union(p);
}

QPainterPath Eye()
{
    QPainterPath e;
    e.moveTo(2, 50);
    e.cubicTo(30, 10, 70, 10, 98, 50);
    e.cubicTo(70, 90, 30, 90, 2, 50);
    e.closeSubpath();
    return e.subtracted(Disc(50, 50, 20)).united(Disc(50, 50, 10));
}

QPainterPath Arch(bool second)
{
    QPainterPath a;
    a.moveTo(8, 96);
    a.lineTo(8, 44);
    a.arcTo(8, 4, 84, 84, 180, -180);
    a.lineTo(92, 96);
    a.closeSubpath();
    QPainterPath door;
    door.moveTo(28, 96);
    door.lineTo(28, 48);
    door.arcTo(28, 24, 44, 48, 180, -180);
    door.lineTo(72, 96);
    door.closeSubpath();
    QPainterPath arch = a.subtracted(door);
    if (second)
        arch.addPath(Rect(40, 56, 20, 8));
    return Union(arch);
}

QPainterPath Wings()
{
    QPainterPath w;
    for (int side : {-1, 1}) {
        std::vector<QPointF> pts{{50, 60}};
        for (int i = 0; i < 4; ++i)
            pts.push_back({50 + side * (14 + i * 11.0), 14 + i * 10.0});
        pts.push_back({50 + side * 48.0, 62});
        w.addPath(Polygon(pts));
    }
    w.addPath(Disc(50, 70, 14));
    return Union(w);
}

QPainterPath Bolt()
{
    QPainterPath cloud = Disc(34, 30, 20);
    cloud.addPath(Disc(62, 26, 24));
    cloud.addPath(Rect(14, 30, 72, 20));
    cloud.addPath(Polygon({{56, 44}, {36, 76}, {50, 74}, {40, 98}, {70, 62}, {56, 64}, {66, 44}}));
    return Union(cloud);
}

QPainterPath Bridge()
{
    QPainterPath b = Rect(4, 40, 92, 14);
    b.addPath(Rect(10, 54, 12, 42));
    b.addPath(Rect(78, 54, 12, 42));
    b.addPath(Polygon({{4, 40}, {50, 6}, {96, 40}, {84, 40}, {50, 18}, {16, 40}}));
    return Union(b).subtracted(Rect(46, 36, 8, 22));
}

QPainterPath Six()
{
    // The roman numeral VI.
    QPainterPath v = Polygon({{4, 6}, {22, 6}, {38, 72}, {54, 6}, {72, 6}, {46, 96}, {30, 96}});
    v.addPath(Rect(78, 6, 16, 90));
    return Union(v);
}

QPainterPath Three()
{
    // The Chinese character for three: three bars, the lowest the longest.
    QPainterPath t = Rect(22, 8, 56, 13);
    t.addPath(Rect(28, 44, 44, 12));
    t.addPath(Rect(6, 80, 88, 15));
    return t;
}

QPainterPath Gearspokes()
{
    QPainterPath g = Gear(10, 28);
    for (int i = 0; i < 3; ++i)
        g.addPath(Polygon({Polar({50, 50}, 6, i * 120.0 + 90), Polar({50, 50}, 30, i * 120.0 + 8),
                           Polar({50, 50}, 30, i * 120.0 - 8), Polar({50, 50}, 6, i * 120.0 - 90)}));
    g.addPath(Disc(50, 50, 8));
    return Union(g);
}

QPainterPath StarterEmblem(bool second)
{
    QPainterPath s = Star(5, 20, 48);
    return second ? s.subtracted(Disc(50, 52, 10)) : s;
}

QPainterPath Mask()
{
    QPainterPath m;
    m.moveTo(4, 30);
    m.cubicTo(30, 18, 70, 18, 96, 30);
    m.cubicTo(96, 70, 70, 94, 50, 94);
    m.cubicTo(30, 94, 4, 70, 4, 30);
    m.closeSubpath();
    QPainterPath eyes;
    eyes.addEllipse(QPointF(30, 46), 12, 7);
    eyes.addEllipse(QPointF(70, 46), 12, 7);
    return m.subtracted(eyes);
}

QPainterPath Crescent()
{
    return Disc(50, 50, 48).subtracted(Disc(66, 40, 40));
}

QPainterPath Scroll()
{
    QPainterPath s = Rect(16, 14, 68, 72);
    s.addPath(Disc(16, 22, 10));
    s.addPath(Disc(84, 78, 10));
    s = Union(s);
    for (int i = 0; i < 3; ++i)
        s = s.subtracted(Rect(28, 32 + i * 16, 44, 6));
    return s;
}

QPainterPath Helm()
{
    QPainterPath h;
    h.moveTo(10, 96);
    h.lineTo(10, 46);
    h.cubicTo(10, 10, 90, 10, 90, 46);
    h.lineTo(90, 96);
    h.lineTo(62, 96);
    h.lineTo(62, 60);
    h.lineTo(38, 60);
    h.lineTo(38, 96);
    h.closeSubpath();
    h.addPath(Polygon({{46, 2}, {54, 2}, {56, 22}, {44, 22}}));
    return Union(h).subtracted(Rect(22, 40, 56, 8));
}

QPainterPath Claws()
{
    QPainterPath c;
    for (int i = 0; i < 3; ++i) {
        const double dx = i * 28;
        c.addPath(Polygon({{10 + dx, 4}, {24 + dx, 4}, {42 + dx, 96}, {32 + dx, 96}}));
    }
    return c;
}

QPainterPath Emblem(const std::string& symbol)
{
    static const std::vector<std::pair<std::string, QPainterPath (*)()>> catalogue = {
        {"seventh", Emblem7E},
        {"invasion", EmblemIN},
        {"planeshift", EmblemPS},
        {"apocalypse", EmblemAP},
        {"odyssey", EmblemOD},
        {"torment", EmblemTO},
        {"judgment", EmblemJU},
        {"onslaught", EmblemON},
        {"snowflake", Snowflake},
        {"tower", [] { return Tower(false); }},
        {"fortress", [] { return Tower(true); }},
        {"banner", Banner},
        {"palm", Palm},
        {"eye", Eye},
        {"arch", [] { return Arch(false); }},
        {"arch2", [] { return Arch(true); }},
        {"wings", Wings},
        {"bolt", Bolt},
        {"bridge", Bridge},
        {"gear", [] { return Gear(8, 14); }},
        {"gearhole", [] { return Gear(12, 26); }},
        {"gearspokes", Gearspokes},
        {"six", Six},
        {"three", Three},
        {"starter", [] { return StarterEmblem(false); }},
        {"starter2", [] { return StarterEmblem(true); }},
        {"mask", Mask},
        {"crescent", Crescent},
        {"scroll", Scroll},
        {"legions", Helm},
        {"scourge", Claws},
    };
    for (const auto& [name, draw] : catalogue)
        if (name == symbol)
            return draw();
    throw Exception("No set symbol drawing named " + symbol);
}

QBrush RarityBrush(char rarity, const QRectF& r)
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    switch (rarity) {
    case 'R':
        g.setColorAt(0, QColor(255, 236, 150));
        g.setColorAt(0.45, QColor(222, 170, 40));
        g.setColorAt(1, QColor(150, 96, 10));
        return g;
    case 'U':
        g.setColorAt(0, QColor(250, 252, 255));
        g.setColorAt(0.45, QColor(184, 190, 200));
        g.setColorAt(1, QColor(104, 110, 122));
        return g;
    default:
        return QColor(12, 12, 12);
    }
}

} // namespace

QImage DrawSetSymbol(const std::string& symbol, char rarity)
{
    const QPainterPath emblem = Emblem(symbol);
    const QRectF box = emblem.boundingRect();
    const double margin = 5;  // room for the outline, and the transparent corner
    const double scale = (kHeight - 2 * margin) / box.height();
    const int width = int(std::ceil(box.width() * scale + 2 * margin));
    const int s = kSupersample;

    QImage big(width * s, kHeight * s, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(s, s);
        p.translate(margin, margin);
        p.scale(scale, scale);
        p.translate(-box.left(), -box.top());
        // Common symbols are black with a white edge, the others metal with a black edge.
        const QColor edge = rarity == 'C' ? QColor(250, 250, 250) : QColor(10, 10, 10);
        p.setPen(QPen(edge, 2 * 2.6 / scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(emblem);
        p.setPen(Qt::NoPen);
        p.setBrush(RarityBrush(rarity, box));
        p.drawPath(emblem);
    }
    QImage small = big.scaled(width, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_ARGB32);
    // A GIF pixel is either transparent or opaque: keep the pixels that are mostly
    // covered, with their colour un-premultiplied.
    for (int y = 0; y < small.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(small.scanLine(y));
        for (int x = 0; x < small.width(); ++x) {
            const QRgb px = row[x];
            row[x] = qAlpha(px) >= 128 ? qRgba(qRed(px), qGreen(px), qBlue(px), 255) : qRgba(0, 0, 0, 0);
        }
    }
    small.setPixel(0, small.height() - 1, qRgba(0, 0, 0, 0));
    return small;
}

QImage ToPalettePicture(const QImage& argb, int* transparentIndex)
{
    const QImage src = argb.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = qRgb(128, 0, 128);
    // Opaque colours are reduced to 5 bits per channel, then 4 if there are still too
    // many for the palette; the purple of the transparent entry is never used by them.
    for (int bits : {8, 5, 4, 3}) {
        const int shift = 8 - bits;
        auto reduce = [shift](QRgb c) {
            auto ch = [shift](int v) {
                if (shift == 0)
                    return v;
                const int level = v >> shift, levels = (1 << (8 - shift)) - 1;
                return level * 255 / levels;
            };
            QRgb r = qRgb(ch(qRed(c)), ch(qGreen(c)), ch(qBlue(c)));
            if (r == qRgb(128, 0, 128))
                r = qRgb(129, 0, 128);
            return r;
        };
        QVector<QRgb> palette{transparent};
        QHash<QRgb, int> index;
        bool fits = true;
        for (int y = 0; y < src.height() && fits; ++y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(src.constScanLine(y));
            for (int x = 0; x < src.width(); ++x) {
                if (qAlpha(row[x]) < 128)
                    continue;
                const QRgb c = reduce(row[x]);
                if (!index.contains(c)) {
                    if (palette.size() >= 256) {
                        fits = false;
                        break;
                    }
                    index.insert(c, int(palette.size()));
                    palette.push_back(c);
                }
            }
        }
        if (!fits)
            continue;
        QImage out(src.size(), QImage::Format_Indexed8);
        out.setColorTable(palette);
        for (int y = 0; y < src.height(); ++y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(src.constScanLine(y));
            uchar* dst = out.scanLine(y);
            for (int x = 0; x < src.width(); ++x)
                dst[x] = qAlpha(row[x]) < 128 ? 0 : uchar(index.value(reduce(row[x])));
        }
        *transparentIndex = 0;
        return out;
    }
    throw Exception("Too many colours for a GIF palette");
}
