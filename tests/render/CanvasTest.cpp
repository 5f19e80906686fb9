// The drawing canvas: the two mappings, character heights and text extents in
// logical units, shapes at the converted device positions.
#include "RenderTestSupport.h"

using namespace rendertest;

TEST(Canvas, MetricMappingAtScreenAndPageResolution)
{
    QImage screen(300, 433, QImage::Format_RGB888); // 96 dpi unless told otherwise
    TCanvas s(screen);
    EXPECT_EQ(s.DpiX(), 96);
    EXPECT_EQ(s.LPtoDP(TPoint{300, 433}), (TPoint{300, 433})); // pixel mapping
    s.SetMapMode(TMapMode::Metric);
    // y grows upwards: the visible page has negative y. 254 units are one inch.
    EXPECT_EQ(s.LPtoDP(TPoint{254, -254}), (TPoint{96, 96}));
    EXPECT_EQ(s.DPtoLP(TPoint{300, 433}), (TPoint{794, -1146}));
    EXPECT_EQ(s.DeviceRect(TRect{0, 0, 794, -1146}), (TRect{0, 0, 300, 433}));

    QImage page(100, 100, QImage::Format_RGB888);
    page.setDotsPerMeterX(11811);
    page.setDotsPerMeterY(11811);
    TCanvas p(page);
    EXPECT_EQ(p.DpiX(), 300);
    p.SetMapMode(TMapMode::Metric);
    EXPECT_EQ(p.LPtoDP(TPoint{254, -508}), (TPoint{300, 600}));
    EXPECT_EQ(p.XToDevice(10), 12);
}

// A character height becomes the font's pixel size; extents come back in the units of
// the mapping.
TEST(Canvas, CharacterHeightsAndExtents)
{
    EnsureFonts();
    QImage img(200, 100, QImage::Format_RGB888);
    TCanvas c(img);
    c.Font.Name = "Georgia";
    c.Font.Height = 16;
    EXPECT_EQ(c.FontPixelSize(), 16);
    const TSize px = c.TextExtent("Hello");
    c.SetMapMode(TMapMode::Metric);
    c.Font.Height = 42; // 4.2 mm = 15.9 px at 96 dpi
    EXPECT_EQ(c.FontPixelSize(), 16);
    const TSize lu = c.TextExtent("Hello");
    EXPECT_NEAR(lu.cx, px.cx * 254.0 / 96, 2);
    EXPECT_NEAR(lu.cy, px.cy * 254.0 / 96, 2);
    // The cell is taller than the character height (it holds the accents and descents).
    EXPECT_GT(px.cy, 16);
    EXPECT_LT(px.cy, 26);
    c.Font.Height = 0; // never below one pixel
    EXPECT_EQ(c.FontPixelSize(), 1);
    EXPECT_EQ(c.TextExtent("").cx, 0);
}

TEST(Canvas, ShapesLandOnTheirDevicePixels)
{
    QImage img(100, 100, QImage::Format_RGB888);
    img.fill(Qt::white);
    {
        TCanvas c(img);
        c.SetMapMode(TMapMode::Metric);
        c.BrushColor = Qt::red;
        // 10..20 px across and down.
        c.FillRect(TRect{26, -26, 53, -53});
        c.PenColor = Qt::blue;
        c.BrushClear = true;
        c.Polygon({TPoint{132, -132}, TPoint{212, -132}, TPoint{212, -212}, TPoint{132, -212}});
    }
    EXPECT_EQ(img.pixelColor(9, 15), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(19, 19), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(20, 15), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(50, 60), QColor(Qt::blue)); // left edge of the outline at x = 50
    EXPECT_EQ(img.pixelColor(60, 60), QColor(Qt::white)); // clear inside
}
