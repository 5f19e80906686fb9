#include "Frames.h"

#include "Paint.h"
#include "Symbols.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>
#include <map>

namespace {

// The regions of the face layout, in pixels of the 300 x 433 picture.
const QRectF kArt(23, 29, 255, 207);           // art window
const QRectF kArtFrame(19, 25, 263, 215);      // the art window with its 4-pixel rim
const QRectF kTextBox(23, 267, 255, 128);      // rules text
const QRectF kTextFrame(19, 263, 263, 136);    // the text box with its rim
const QRectF kPanel(4, 4, 292, 425);           // the coloured frame inside the black edge
const QRectF kTitlePlate(15, 5, 276, 20);      // under the name and the mana cost (19..288, 4..25)
const QRectF kTypePlate(15, 241, 270, 21);     // under the type line and the set symbol
const QRectF kBottomPlate(15, 400, 274, 29);   // bottom line and power/toughness (395..433)

struct TFrameStyle {
    QColor base;       // the frame's colour
    QColor plate;      // the caption plates (white text must read on it)
    QColor box;        // text box
    double grain;      // texture strength of the frame
    double grainScale; // texture size
    char symbol;       // mana symbol marking the text box, 0 for none
    bool brushed;      // brushed-metal streaks (artifacts)
};

const std::map<std::string, TFrameStyle>& Styles()
{
    static const std::map<std::string, TFrameStyle> styles = {
        {"W", {QColor(214, 206, 182), QColor(132, 122, 100), QColor(248, 244, 232), 0.07, 60, 'W', false}},
        {"U", {QColor(54, 108, 176), QColor(26, 58, 110), QColor(226, 236, 246), 0.12, 50, 'U', false}},
        {"B", {QColor(62, 56, 58), QColor(24, 21, 23), QColor(214, 210, 206), 0.16, 45, 'B', false}},
        {"R", {QColor(184, 64, 40), QColor(108, 30, 18), QColor(247, 230, 218), 0.12, 40, 'R', false}},
        {"G", {QColor(56, 122, 64), QColor(26, 70, 34), QColor(229, 239, 218), 0.13, 35, 'G', false}},
        {"Z", {QColor(204, 164, 66), QColor(122, 88, 24), QColor(248, 240, 214), 0.09, 55, 0, false}},
        {"A", {QColor(156, 146, 132), QColor(84, 76, 66), QColor(234, 231, 225), 0.06, 70, 0, true}},
        {"L", {QColor(140, 112, 82), QColor(78, 58, 38), QColor(236, 227, 210), 0.12, 40, 0, false}},
    };
    return styles;
}

// A basic land's frame: the land frame tinted with the colour of its mana.
TFrameStyle LandStyle(char mana)
{
    const TFrameStyle land = Styles().at("L");
    const TFrameStyle colour = Styles().at(std::string(1, mana));
    TFrameStyle s = land;
    s.base = Mix(land.base, colour.base, 0.55);
    s.plate = Mix(land.plate, colour.plate, 0.55);
    s.box = Mix(land.box, colour.box, 0.6);
    s.grain = 0.12;
    s.symbol = mana;
    return s;
}

QPainterPath RoundedRect(const QRectF& r, double radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

void DrawPlate(QImage& image, const QRectF& r, const QColor& plate)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, Shade(plate, 0.22));
    g.setColorAt(0.45, plate);
    g.setColorAt(1, Shade(plate, -0.25));
    p.setPen(QPen(Shade(plate, -0.6), 1.0));
    p.setBrush(g);
    p.drawPath(RoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), r.height() / 2.6));
    // A highlight along the top edge.
    p.setPen(QPen(QColor(255, 255, 255, 60), 1.0));
    p.drawLine(QPointF(r.left() + r.height() / 2.6, r.top() + 1.5),
               QPointF(r.right() - r.height() / 2.6, r.top() + 1.5));
}

void DrawPanel(QImage& image, const TFrameStyle& s, uint64_t seed)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), QColor(14, 12, 12));
    QLinearGradient g(kPanel.topLeft(), kPanel.bottomRight());
    g.setColorAt(0, Shade(s.base, 0.12));
    g.setColorAt(0.5, s.base);
    g.setColorAt(1, Shade(s.base, -0.14));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    const QPainterPath panel = RoundedRect(kPanel, 9);
    p.drawPath(panel);
    p.end();

    if (s.brushed) {
        // Fine horizontal streaks of brushed metal.
        TNoise noise(seed);
        for (int y = 0; y < image.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (!panel.contains(QPointF(x + 0.5, y + 0.5)))
                    continue;
                double f = 1 + (noise.At(x * 0.08, y * 4.0, 6, 3) - 0.5) * 0.16;
                QRgb px = row[x];
                auto ch = [f](int v) { return std::clamp(int(std::lround(v * f)), 0, 255); };
                row[x] = qRgb(ch(qRed(px)), ch(qGreen(px)), ch(qBlue(px)));
            }
        }
        ApplyTexture(image, panel, seed + 1, 90, 0.04, 2);
    } else {
        ApplyTexture(image, panel, seed, s.grainScale, s.grain, 5);
    }

    // A thin light line just inside the black edge.
    QPainter q(&image);
    q.setRenderHint(QPainter::Antialiasing);
    q.setBrush(Qt::NoBrush);
    q.setPen(QPen(Shade(s.base, 0.35), 1.0));
    q.drawPath(RoundedRect(kPanel.adjusted(0.5, 0.5, -0.5, -0.5), 8.5));
    q.setPen(QPen(Shade(s.base, -0.45), 1.0));
    q.drawPath(RoundedRect(kPanel.adjusted(2.5, 2.5, -2.5, -2.5), 7));
}

void DrawTextBox(QImage& image, const TFrameStyle& s, const QRawFont& symbols, bool land, uint64_t seed)
{
    {
        QPainter p(&image);
        p.fillRect(kTextBox, s.box);
    }
    QPainterPath box;
    box.addRect(kTextBox);
    ApplyTexture(image, box, seed + 7, 70, 0.035, 4);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = kTextBox.center();
    if (s.symbol && symbols.isValid()) {
        if (land) {
            // Basic lands carry no rules text: their mana symbol fills the box.
            const double d = 92;
            const QRectF circle(centre.x() - d / 2, centre.y() - d / 2, d, d);
            QRadialGradient g(circle.center() + QPointF(-d / 6, -d / 6), d * 0.7);
            const QColor fill = ManaFillColor(s.symbol);
            g.setColorAt(0, Shade(fill, 0.4));
            g.setColorAt(1, Shade(fill, -0.08));
            p.setPen(QPen(Shade(fill, -0.55), 2.0));
            p.setBrush(g);
            p.drawEllipse(circle);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(20, 18, 18));
            p.drawPath(SymbolGlyphPath(symbols, s.symbol, circle));
        } else {
            // A faint watermark of the colour's symbol, light enough for black text.
            const double d = 104;
            const QRectF circle(centre.x() - d / 2, centre.y() - d / 2, d, d);
            p.setPen(Qt::NoPen);
            p.setBrush(Shade(s.box, -0.075));
            p.drawPath(SymbolGlyphPath(symbols, s.symbol, circle));
        }
    }
    // Soft inner shadow along the top and left edges.
    for (int i = 0; i < 4; ++i) {
        QColor shadow(0, 0, 0, 34 - i * 8);
        p.setPen(QPen(shadow, 1.0));
        p.drawLine(QPointF(kTextBox.left(), kTextBox.top() + i + 0.5),
                   QPointF(kTextBox.right(), kTextBox.top() + i + 0.5));
        p.drawLine(QPointF(kTextBox.left() + i + 0.5, kTextBox.top()),
                   QPointF(kTextBox.left() + i + 0.5, kTextBox.bottom()));
    }
}

QImage DrawFace(const TFrameStyle& s, const QRawFont& symbols, bool land, uint64_t seed)
{
    QImage image(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    DrawPanel(image, s, seed);
    DrawPlate(image, kTitlePlate, s.plate);
    DrawPlate(image, kTypePlate, s.plate);
    DrawPlate(image, kBottomPlate, s.plate);
    DrawBevelRing(image, kArtFrame, kArt, s.base, true);
    DrawBevelRing(image, kTextFrame, kTextBox, s.base, true);
    {
        QPainter p(&image);
        p.fillRect(kArt, QColor(128, 128, 128));
    }
    DrawTextBox(image, s, symbols, land, seed);
    return image;
}

} // namespace

QImage DrawCardBack(); // CardBack.cpp

const std::vector<std::string>& FrameCodes()
{
    static const std::vector<std::string> codes = {"W", "B", "U", "G", "R", "Z", "A", "L",
                                                   "LW", "LU", "LG", "LR", "LB", "S"};
    return codes;
}

QImage DrawFrame(const std::string& code, const QRawFont& symbols)
{
    if (code == "S")
        return DrawCardBack();
    const uint64_t seed = HashText("frame " + code);
    if (code.size() == 2 && code[0] == 'L')
        return DrawFace(LandStyle(code[1]), symbols, true, seed);
    return DrawFace(Styles().at(code), symbols, false, seed);
}
