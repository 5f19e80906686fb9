// Mana symbols: the symbol table and its outline colours, rows aligned left, right and
// centred, the tap backing, the slash, grey printing, and the smoothing on screen.
#include "RenderTestSupport.h"

#include "render/ManaSymbols.h"

using namespace rendertest;

namespace {

struct TSymbolCanvas {
    QImage Image{600, 200, QImage::Format_RGB888};
    std::vector<TDrawRecord> Rec;
    std::unique_ptr<TCanvas> Canvas;
    TSymbolCanvas()
    {
        EnsureFonts();
        Image.fill(Qt::white);
        Canvas = std::make_unique<TCanvas>(Image);
        Canvas->Recorder = &Rec;
        Canvas->SetMapMode(TMapMode::Metric);
        Canvas->Font.Name = "Georgia";
        Canvas->Font.Height = 50;
        Canvas->Font.Style = fsItalic;
        Canvas->Font.Color = Qt::red;
    }
};

const TRect Row{100, -50, 1300, -250};

} // namespace

TEST(ManaSymbolTable, FillAndOutlineColours)
{
    struct Case {
        const char* codes; // UTF-8; every character gives the same symbol
        const char* glyph;
        QColor fill, outline;
    } cases[] = {
        {"WwБб", "W", {255, 255, 176}, {255, 255, 71}},
        {"UuСс", "U", {176, 240, 255}, {71, 218, 255}},
        {"BbЧч", "B", {208, 208, 208}, {155, 155, 155}},
        {"RrКк", "R", {255, 176, 176}, {255, 72, 71}},
        {"GgЗз", "G", {176, 255, 176}, {71, 255, 72}},
        {"TtТт", "T", {208, 208, 208}, {155, 155, 155}},
        {"XxХх", "X", {208, 208, 208}, {155, 155, 155}},
        {"0479", nullptr, {208, 208, 208}, {155, 155, 155}},
        {"Q?%\x01", "", {208, 208, 208}, {155, 155, 155}},
    };
    for (const Case& c : cases) {
        for (char code : Utf8ToWin1251(c.codes)) {
            const TManaSymbol s = GetManaSymbol(code);
            EXPECT_EQ(s.Glyph, c.glyph ? std::string(c.glyph) : std::string(1, code)) << c.codes;
            EXPECT_TRUE(s.Circle);
            EXPECT_EQ(s.Fill, c.fill) << c.codes;
            EXPECT_EQ(s.Outline, c.outline) << c.codes;
        }
    }
    const TManaSymbol slash = GetManaSymbol('/');
    EXPECT_EQ(slash.Glyph, "/");
    EXPECT_FALSE(slash.Circle);
}

TEST(ManaSymbolRow, LeftRightAndCentred)
{
    TSymbolCanvas left;
    const TSize l = DrawSymbols(*left.Canvas, Row, "2WW", 0, false);
    std::vector<TDrawRecord> lc = OfKind(left.Rec, TDrawRecord::Ellipse);
    ASSERT_EQ(lc.size(), 3u);
    EXPECT_EQ(lc[0].brush, QColor(208, 208, 208));
    EXPECT_EQ(lc[0].pen, QColor(155, 155, 155));
    EXPECT_EQ(lc[1].brush, QColor(255, 255, 176));
    EXPECT_EQ(lc[2].brush, QColor(255, 255, 176));
    const int step = l.cx / 3;
    EXPECT_EQ(l.cx, 3 * step);
    EXPECT_EQ(lc[0].rect.Left, Row.Left);
    EXPECT_EQ(lc[1].rect.Left - lc[0].rect.Left, step);
    EXPECT_EQ(lc[2].rect.Left - lc[1].rect.Left, step);
    // A circle is the glyph cell's width; the step leaves a small gap (5 %).
    const int side = lc[0].rect.Right - lc[0].rect.Left;
    EXPECT_EQ(lc[0].rect.Top - lc[0].rect.Bottom, side);
    EXPECT_NEAR(step, side * 1.05, 1.0);
    // The circles sit on the text line that starts at the row's top: centred on it
    // within the symbol cell, which is larger than the text's.
    EXPECT_LT(lc[0].rect.Top, Row.Top + side / 4);
    EXPECT_GT(lc[0].rect.Bottom, Row.Top - 2 * side);
    // Glyphs in black at the circles' left edge, the circle drawn first.
    const TDrawRecord* two = FindText(left.Rec, "2");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->font.Name, SymbolFontName);
    EXPECT_EQ(two->font.Color, QColor(Qt::black));
    EXPECT_EQ(two->rect.Left, Row.Left);
    // The caller's font is back.
    EXPECT_EQ(left.Canvas->Font.Name, "Georgia");
    EXPECT_EQ(left.Canvas->Font.Height, 50);
    EXPECT_EQ(left.Canvas->Font.Style, unsigned(fsItalic));
    EXPECT_EQ(left.Canvas->Font.Color, QColor(Qt::red));
    EXPECT_EQ(l.cy, two->rect.Top - two->rect.Bottom);

    TSymbolCanvas right;
    const TSize r = DrawSymbols(*right.Canvas, Row, "2WW", 2, false);
    EXPECT_EQ(r.cx, -3 * step);
    EXPECT_EQ(r.cy, l.cy);
    std::vector<TDrawRecord> rc = OfKind(right.Rec, TDrawRecord::Ellipse);
    ASSERT_EQ(rc.size(), 3u);
    // Drawn from the last code leftwards; the last symbol's step ends at rect.Right.
    EXPECT_EQ(rc[0].brush, QColor(255, 255, 176));
    EXPECT_EQ(rc[2].brush, QColor(208, 208, 208));
    EXPECT_EQ(rc[0].rect.Left + step, Row.Right);
    EXPECT_EQ(rc[2].rect.Left, Row.Right - 3 * step);

    TSymbolCanvas centre;
    const TSize c = DrawSymbols(*centre.Canvas, Row, "2WW", 6, false);
    EXPECT_EQ(c.cx, 3 * step);
    std::vector<TDrawRecord> cc = OfKind(centre.Rec, TDrawRecord::Ellipse);
    ASSERT_EQ(cc.size(), 3u);
    const int before = cc[0].rect.Left - Row.Left;
    const int after = Row.Right - (cc[0].rect.Left + 3 * step);
    EXPECT_LE(std::abs(before - after), 1);

    // More symbols than fit: the centred row starts left of the rectangle.
    TSymbolCanvas over;
    const TRect narrow{500, -50, 520, -250};
    DrawSymbols(*over.Canvas, narrow, "1234", 6, false);
    EXPECT_LT(OfKind(over.Rec, TDrawRecord::Ellipse)[0].rect.Left, narrow.Left);
}

TEST(ManaSymbolRow, MeasuringDrawsNothing)
{
    TSymbolCanvas m;
    const TSize a = DrawSymbols(*m.Canvas, Row, "3RR", 0, true);
    EXPECT_TRUE(m.Rec.empty());
    EXPECT_GT(a.cx, 0);
    const TSize e = DrawSymbols(*m.Canvas, Row, "", 0, true);
    EXPECT_EQ(e.cx, 0);
    EXPECT_EQ(e.cy, a.cy);
}

TEST(ManaSymbolRow, TapSlashAndNumbers)
{
    TSymbolCanvas t;
    const TSize s = DrawSymbols(*t.Canvas, Row, Utf8ToWin1251("T/з"), 0, false);
    std::vector<TDrawRecord> texts = OfKind(t.Rec, TDrawRecord::Text);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "T"); // the solid arrow alone, in black
    EXPECT_EQ(texts[0].font.Color, QColor(Qt::black));
    EXPECT_EQ(texts[1].text, "/");
    EXPECT_EQ(texts[2].text, "G");
    std::vector<TDrawRecord> circles = OfKind(t.Rec, TDrawRecord::Ellipse);
    ASSERT_EQ(circles.size(), 2u); // none under the slash
    EXPECT_EQ(circles[1].brush, QColor(176, 255, 176));
    const int step = s.cx / 3;
    const int side = circles[0].rect.Right - circles[0].rect.Left;
    // The slash takes a full step and stands a third of a circle in.
    EXPECT_EQ(texts[1].rect.Left, Row.Left + step + side / 3);
    EXPECT_EQ(circles[1].rect.Left, Row.Left + 2 * step);

    // A number of two digits is one symbol, in a wider oval, both digits on it.
    EXPECT_EQ(SymbolCodes("16G"), (std::vector<std::string>{"16", "G"}));
    EXPECT_EQ(SymbolCodes("1R/1U"), (std::vector<std::string>{"1", "R", "/", "1", "U"}));
    TSymbolCanvas n;
    const TSize wide = DrawSymbols(*n.Canvas, Row, "16", 0, false);
    const std::vector<TDrawRecord> ovals = OfKind(n.Rec, TDrawRecord::Ellipse);
    ASSERT_EQ(ovals.size(), 1u);
    const int ovalWidth = ovals[0].rect.Right - ovals[0].rect.Left;
    EXPECT_NEAR(ovalWidth, side * (1 + kDigitSpacing), 2);
    const std::vector<TDrawRecord> digits = OfKind(n.Rec, TDrawRecord::Text);
    ASSERT_EQ(digits.size(), 2u);
    EXPECT_EQ(digits[0].text, "1");
    EXPECT_EQ(digits[1].text, "6");
    EXPECT_GT(digits[1].rect.Left, digits[0].rect.Left);
    EXPECT_LT(wide.cx, 2 * step); // narrower than two symbols
    EXPECT_GT(wide.cx, step);
}

TEST(ManaSymbolRow, GreyPrintingCircles)
{
    TRenderSettings saved;
    TSymbolCanvas normal;
    DrawSymbols(*normal.Canvas, Row, "RG", 0, false);
    IsPrinting = true;
    PrintGrayscale = true;
    TSymbolCanvas grey;
    DrawSymbols(*grey.Canvas, Row, "RG", 0, false);
    std::vector<TDrawRecord> n = OfKind(normal.Rec, TDrawRecord::Ellipse);
    std::vector<TDrawRecord> g = OfKind(grey.Rec, TDrawRecord::Ellipse);
    ASSERT_EQ(g.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(g[i].brush, QColor(Qt::white));
        EXPECT_EQ(g[i].pen, QColor(Qt::black));
        EXPECT_EQ(g[i].rect.Left, n[i].rect.Left - 1);
        EXPECT_EQ(g[i].rect.Right, n[i].rect.Right + 1);
        EXPECT_EQ(g[i].rect.Top, n[i].rect.Top + 1);
        EXPECT_EQ(g[i].rect.Bottom, n[i].rect.Bottom - 1);
    }
    // Printing in colour keeps the table's colours.
    PrintGrayscale = false;
    TSymbolCanvas colour;
    DrawSymbols(*colour.Canvas, Row, "R", 0, false);
    EXPECT_EQ(OfKind(colour.Rec, TDrawRecord::Ellipse)[0].brush, QColor(255, 176, 176));
}

// On screen the row is drawn at twice the size and shrunk: the result is the same
// extent, the pixels under rect are replaced by one picture, and the symbol's colour
// is there.
TEST(ManaSymbolSmooth, ScreenDrawingGoesThroughTheDoubleSizePicture)
{
    TRenderSettings saved;
    IsPrinting = false;
    TSymbolCanvas direct;
    const TSize d = DrawSymbols(*direct.Canvas, Row, "R", 0, false);
    TSymbolCanvas smooth;
    const TSize s = DrawSymbolsSmooth(*smooth.Canvas, Row, "R", 0, false);
    EXPECT_NEAR(s.cx, d.cx, 1);
    EXPECT_NEAR(s.cy, d.cy, 1);
    // One picture laid over the symbol's part of the rectangle.
    ASSERT_EQ(smooth.Rec.size(), 1u);
    EXPECT_EQ(smooth.Rec[0].kind, TDrawRecord::Picture);
    const TDrawRecord circle = OfKind(direct.Rec, TDrawRecord::Ellipse)[0];
    const TRect area = smooth.Rec[0].device;
    const TRect rowDevice = smooth.Canvas->DeviceRect(Row);
    EXPECT_GE(area.Left, rowDevice.Left);
    EXPECT_GE(area.Top, rowDevice.Top);
    EXPECT_LE(area.Right, rowDevice.Right);
    EXPECT_LE(area.Bottom, rowDevice.Bottom);
    EXPECT_LE(area.Left, circle.device.Left);
    EXPECT_GE(area.Right, circle.device.Right);
    EXPECT_GE(area.Bottom, circle.device.Bottom);
    // Inside the circle, clear of the glyph, the pale red fill shows.
    const int cx = circle.device.Left + (circle.device.Right - circle.device.Left) / 8 + 1;
    const int cy = (circle.device.Top + circle.device.Bottom) / 2;
    smooth.Canvas.reset();
    const QColor px = smooth.Image.pixelColor(cx, cy);
    EXPECT_NEAR(px.red(), 255, 6);
    EXPECT_NEAR(px.green(), 176, 8);
    // Measuring, or drawing while printing, is direct.
    TSymbolCanvas m;
    EXPECT_EQ(DrawSymbolsSmooth(*m.Canvas, Row, "R", 0, true), d);
    EXPECT_TRUE(m.Rec.empty());
    IsPrinting = true;
    TSymbolCanvas p;
    DrawSymbolsSmooth(*p.Canvas, Row, "R", 0, false);
    EXPECT_EQ(OfKind(p.Rec, TDrawRecord::Ellipse).size(), 1u);
}

// The background around the symbols keeps its pixels exactly: on a textured frame no
// edge of the worked area shows.
TEST(ManaSymbolSmooth, BackgroundAroundTheSymbolsIsUntouched)
{
    TRenderSettings saved;
    IsPrinting = false;
    EnsureFonts();
    QImage img(600, 200, QImage::Format_RGB888);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixelColor(x, y, QColor((x * 7 + y * 3) % 256, (x * y) % 256, (x + 5 * y) % 256));
    const QImage before = img.copy();
    std::vector<TDrawRecord> direct;
    {
        TCanvas canvas(img);
        canvas.SetMapMode(TMapMode::Metric);
        canvas.Font.Height = 50;
        QImage scratch(600, 200, QImage::Format_RGB888);
        TCanvas probe(scratch);
        probe.Recorder = &direct;
        probe.SetMapMode(TMapMode::Metric);
        probe.Font.Height = 50;
        DrawSymbols(probe, Row, "2G", 0, false);
        DrawSymbolsSmooth(canvas, Row, "2G", 0, false);
    }
    std::vector<TDrawRecord> circles = OfKind(direct, TDrawRecord::Ellipse);
    ASSERT_EQ(circles.size(), 2u);
    const TRect c{circles[0].device.Left - 3, circles[0].device.Top - 3, circles[1].device.Right + 3,
                  circles[1].device.Bottom + 3};
    int changedOutside = 0, changedInside = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const bool inside = x >= c.Left && x < c.Right && y >= c.Top && y < c.Bottom;
            const bool changed = img.pixel(x, y) != before.pixel(x, y);
            (inside ? changedInside : changedOutside) += changed;
        }
    EXPECT_EQ(changedOutside, 0);
    EXPECT_GT(changedInside, 100);
}

TEST(ManaSymbolSmooth, PictureKeepsItsTransparentColour)
{
    TRenderSettings saved;
    IsPrinting = false;
    EnsureFonts();
    QImage img(100, 100, QImage::Format_RGB888);
    img.fill(QColor(0, 200, 0));
    QImage symbol = Flat(20, 20, QColor(255, 0, 255));
    QPainter(&symbol).fillRect(5, 5, 10, 10, Qt::black);
    const QImage keyed = WithTransparentColor(symbol, QColor(255, 0, 255));
    {
        TCanvas canvas(img);
        DrawPictureSmooth(canvas, TRect{20, 20, 80, 80}, keyed);
    }
    EXPECT_EQ(img.pixelColor(5, 5), QColor(0, 200, 0));       // outside rect
    const QColor edge = img.pixelColor(24, 50);                // transparent part
    EXPECT_NEAR(edge.green(), 200, 8);
    EXPECT_LT(edge.red(), 12);
    const QColor centre = img.pixelColor(50, 50);              // opaque part
    EXPECT_LT(centre.green(), 20);
}
