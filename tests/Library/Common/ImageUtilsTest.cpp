#include "Library/Common/ImageUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// A plain reference: every destination pixel computed on its own from the kernel
// formulas, with nothing precomputed.

double RefKernel(int filter, double x)
{
    const double t = std::fabs(x);
    const double t2 = t * t;
    const double t3 = t * t * t;
    switch (filter) {
    case rfTriangle:
        return t < 1 ? 1 - t : 0;
    case rfHermite:
        return t < 1 ? (2 * t - 3) * t2 + 1 : 0;
    case rfBell:
        if (t < 0.5)
            return 0.75 - t2;
        if (t < 1.5)
            return 0.5 * ((t - 1.5) * (t - 1.5));
        return 0;
    case rfBSpline:
        if (t < 1)
            return 0.5 * t3 - t2 + 2.0 / 3;
        if (t < 2)
            return (2 - t) * (2 - t) * (2 - t) / 6;
        return 0;
    case rfLanczos3: {
        if (t >= 3)
            return 0;
        auto sinc = [](double y) { return y == 0 ? 1.0 : std::sin(M_PI * y) / (M_PI * y); };
        return sinc(t) * sinc(t / 3);
    }
    case rfMitchell:
        if (t < 1)
            return (7 * t3 - 12 * t2 + 16.0 / 3) / 6;
        if (t < 2)
            return (-7.0 / 3 * t3 + 12 * t2 - 20 * t + 32.0 / 3) / 6;
        return 0;
    }
    return 0;
}

double RefSupport(int filter)
{
    const double support[] = {0, 1.0, 1.0, 1.5, 2.0, 3.0, 2.0};
    return support[filter];
}

int RefReflect(long j, int n)
{
    if (j < 0)
        j = -j;
    else if (j >= n)
        j = 2L * n - j - 1;
    if (j < 0)
        j = 0;
    if (j >= n)
        j = n - 1;
    return int(j);
}

uint8_t RefByte(double s)
{
    if (s > 255)
        return 255;
    if (s < 0)
        return 0;
    const double f = std::floor(s);
    const double d = s - f;
    if (d > 0.5)
        return uint8_t(f + 1);
    if (d < 0.5)
        return uint8_t(f);
    return uint8_t(std::fmod(f, 2) == 0 ? f : f + 1);
}

// One output sample along one axis: `sample(index)` reads the input at a source index.
template <typename Sample>
uint8_t RefAxis(int filter, int i, int dstLen, int srcLen, Sample sample)
{
    const double scale = double(dstLen) / double(srcLen);
    const double s = RefSupport(filter);
    double sum = 0;
    if (scale < 1) {
        const double w = s / scale;
        const double f = 1 / scale;
        const double c = i / scale;
        for (long j = long(std::floor(c - w)); j <= long(std::ceil(c + w)); ++j) {
            const double weight = RefKernel(filter, (c - j) / f) / f;
            if (weight != 0)
                sum += sample(RefReflect(j, srcLen)) * weight;
        }
    } else {
        const double c = i / scale;
        for (long j = long(std::floor(c - s)); j <= long(std::ceil(c + s)); ++j) {
            const double weight = RefKernel(filter, c - j);
            if (weight != 0)
                sum += sample(RefReflect(j, srcLen)) * weight;
        }
    }
    return RefByte(sum);
}

QImage RefResample(const QImage& src, int dw, int dh, int filter)
{
    const int sw = src.width(), sh = src.height();
    QImage work(dw, sh, src.format());
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < dw; ++x)
            for (int ch = 0; ch < 3; ++ch)
                work.scanLine(y)[3 * x + ch] = RefAxis(filter, x, dw, sw, [&](int j) {
                    return src.constScanLine(y)[3 * j + ch];
                });
    QImage out(dw, dh, src.format());
    for (int x = 0; x < dw; ++x)
        for (int y = 0; y < dh; ++y)
            for (int ch = 0; ch < 3; ++ch)
                out.scanLine(y)[3 * x + ch] = RefAxis(filter, y, dh, sh, [&](int j) {
                    return work.constScanLine(j)[3 * x + ch];
                });
    return out;
}

QImage RandomImage(int w, int h, unsigned seed, QImage::Format format = QImage::Format_RGB888)
{
    std::mt19937 rng(seed);
    QImage image(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 3 * w; ++x)
            image.scanLine(y)[x] = uint8_t(rng());
    return image;
}

// Smooth colour ramps with some noise: sums land all over the byte range.
QImage GradientImage(int w, int h)
{
    std::mt19937 rng(7);
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uchar* p = image.scanLine(y) + 3 * x;
            p[0] = uint8_t(255 * x / std::max(1, w - 1));
            p[1] = uint8_t(255 * y / std::max(1, h - 1));
            p[2] = uint8_t((x * 7 + y * 13 + rng() % 5) & 0xFF);
        }
    return image;
}

// Pixel bytes equal, row padding ignored.
::testing::AssertionResult SamePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < 3 * a.width(); ++x)
            if (a.constScanLine(y)[x] != b.constScanLine(y)[x])
                return ::testing::AssertionFailure()
                       << "byte " << x << " of row " << y << ": " << int(a.constScanLine(y)[x])
                       << " != " << int(b.constScanLine(y)[x]);
    return ::testing::AssertionSuccess();
}

QImage Resampled(const QImage& src, int dw, int dh, int filter)
{
    QImage dst(dw, dh, QImage::Format_ARGB32);
    ResampleBitmap(src, dst, ResampleFilter(filter));
    return dst;
}

} // namespace

TEST(ResampleBitmap, MatchesReferenceForEveryFilterAndScale)
{
    const QImage random = RandomImage(37, 23, 1);
    const QImage gradient = GradientImage(53, 41);
    const struct {
        const QImage* src;
        int dw, dh;
    } cases[] = {
        {&random, 17, 11},   // shrink by odd ratios
        {&random, 80, 51},   // enlarge
        {&random, 37, 23},   // same size
        {&random, 12, 40},   // shrink across, enlarge down
        {&gradient, 26, 20}, // about half: the program's own use
        {&gradient, 106, 82},
    };
    for (int filter = rfTriangle; filter <= rfMitchell; ++filter)
        for (const auto& c : cases) {
            const QImage fast = Resampled(*c.src, c.dw, c.dh, filter);
            EXPECT_EQ(fast.format(), QImage::Format_RGB888);
            EXPECT_TRUE(SamePixels(fast, RefResample(*c.src, c.dw, c.dh, filter)))
                << "filter " << filter << ", " << c.src->width() << "x" << c.src->height() << " -> "
                << c.dw << "x" << c.dh;
        }
}

TEST(ResampleBitmap, TinyPicturesStayInsideTheSource)
{
    // Sizes below the kernel's reach: the mirror image falls outside and the nearest
    // edge pixel is used; run under the address sanitizer this also proves no read
    // outside the rows.
    const int sizes[] = {1, 2, 3};
    const int targets[] = {1, 2, 5};
    for (int filter = rfTriangle; filter <= rfMitchell; ++filter)
        for (int sw : sizes)
            for (int sh : sizes)
                for (int dw : targets)
                    for (int dh : targets) {
                        const QImage src = RandomImage(sw, sh, unsigned(sw * 31 + sh));
                        EXPECT_TRUE(SamePixels(Resampled(src, dw, dh, filter), RefResample(src, dw, dh, filter)))
                            << filter << ": " << sw << "x" << sh << " -> " << dw << "x" << dh;
                    }

    // A one-pixel source enlarged with the triangle reproduces its colour everywhere
    // the weights sum to one (the centre column).
    QImage dot(1, 1, QImage::Format_RGB888);
    std::memcpy(dot.scanLine(0), "\x10\x80\xF0", 3);
    const QImage big = Resampled(dot, 4, 4, rfTriangle);
    EXPECT_EQ(std::memcmp(big.constScanLine(0), "\x10\x80\xF0", 3), 0);

    // Empty destinations and empty sources.
    QImage empty;
    ResampleBitmap(dot, empty, rfLanczos3);
    EXPECT_TRUE(empty.isNull());
    QImage kept(3, 3, QImage::Format_RGB888);
    kept.fill(Qt::red);
    ResampleBitmap(QImage(), kept, rfLanczos3);
    EXPECT_EQ(kept.pixel(1, 1), qRgb(255, 0, 0));
}

TEST(ResampleBitmap, SameSizeHermiteIsTheIdentity)
{
    const QImage src = RandomImage(29, 17, 3);
    EXPECT_TRUE(SamePixels(Resampled(src, 29, 17, rfHermite), src));
}

TEST(ResampleBitmap, HalvingAUniformColourWithTheTriangleKeepsIt)
{
    QImage src(20, 14, QImage::Format_RGB888);
    src.fill(qRgb(200, 17, 99));
    const QImage dst = Resampled(src, 10, 7, rfTriangle);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(dst.pixel(x, y), qRgb(200, 17, 99)) << x << "," << y;
}

TEST(ResampleBitmap, WeightsAreNotNormalised)
{
    // Shrinking 3 -> 2 with the triangle: column 0 takes 2/3 + 2 * 2/9 = 10/9 of the
    // colour, column 1 (centre 1.5) takes 2 * 4/9 = 8/9.
    QImage src(3, 1, QImage::Format_RGB888);
    src.fill(qRgb(225, 225, 225));
    const QImage dst = Resampled(src, 2, 1, rfTriangle);
    EXPECT_EQ(dst.pixel(0, 0), qRgb(250, 250, 250));
    EXPECT_EQ(dst.pixel(1, 0), qRgb(200, 200, 200));
}

TEST(ResampleBitmap, OtherFormatsAreLeftAlone)
{
    QImage src(8, 8, QImage::Format_Indexed8);
    src.setColorCount(2);
    src.setColor(0, qRgb(0, 0, 0));
    src.setColor(1, qRgb(255, 255, 255));
    src.fill(1);
    QImage dst(4, 3, QImage::Format_ARGB32);
    dst.fill(qRgba(1, 2, 3, 4));
    const QImage before = dst;
    ResampleBitmap(src, dst, rfLanczos3);
    EXPECT_EQ(dst.format(), QImage::Format_ARGB32);
    EXPECT_EQ(dst, before);
    // So does a filter number outside the table.
    ResampleBitmap(RandomImage(8, 8, 4), dst, ResampleFilter(7));
    EXPECT_EQ(dst, before);

    // BGR888 is 24-bit too and keeps its format.
    const QImage bgr = RandomImage(9, 9, 5, QImage::Format_BGR888);
    QImage out(4, 4, QImage::Format_RGB888);
    ResampleBitmap(bgr, out, rfMitchell);
    EXPECT_EQ(out.format(), QImage::Format_BGR888);
    EXPECT_TRUE(SamePixels(out, RefResample(bgr, 4, 4, rfMitchell)));
}

TEST(Rotate, QuarterTurns)
{
    QImage ab(2, 1, QImage::Format_ARGB32);
    ab.setPixel(0, 0, qRgb(10, 20, 30)); // A
    ab.setPixel(1, 0, qRgb(40, 50, 60)); // B
    QImage left, right;
    RotateLeft90(ab, left);
    EXPECT_EQ(ab.format(), QImage::Format_RGB888); // the source is switched too
    ASSERT_EQ(left.size(), QSize(1, 2));
    EXPECT_EQ(left.format(), QImage::Format_RGB888);
    EXPECT_EQ(left.pixel(0, 0), qRgb(40, 50, 60));
    EXPECT_EQ(left.pixel(0, 1), qRgb(10, 20, 30));
    RotateRight90(ab, right);
    ASSERT_EQ(right.size(), QSize(1, 2));
    EXPECT_EQ(right.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(right.pixel(0, 1), qRgb(40, 50, 60));

    // General pixels, and a turn in place.
    QImage src = RandomImage(7, 4, 9);
    QImage turned;
    RotateRight90(src, turned);
    ASSERT_EQ(turned.size(), QSize(4, 7));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(turned.pixel(4 - 1 - y, x), src.pixel(x, y));
    QImage copy = src;
    RotateLeft90(copy, copy);
    ASSERT_EQ(copy.size(), QSize(4, 7));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(copy.pixel(y, 7 - 1 - x), src.pixel(x, y));
    RotateRight90(copy, copy);
    EXPECT_TRUE(SamePixels(copy, src));

    QImage none, out(2, 2, QImage::Format_RGB888);
    RotateLeft90(none, out);
    EXPECT_TRUE(out.isNull());
}
