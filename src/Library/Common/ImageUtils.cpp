// Scaling and quarter turns of 24-bit bitmaps.
#include "ImageUtils.h"

#include "ExtUtils.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Kernels; t = |x|, each exactly 0 at and beyond its support.

double TriangleKernel(double x)
{
    const double t = std::fabs(x);
    return t < 1.0 ? 1.0 - t : 0.0;
}

double HermiteKernel(double x)
{
    const double t = std::fabs(x);
    return t < 1.0 ? (2.0 * t - 3.0) * (t * t) + 1.0 : 0.0;
}

double BellKernel(double x)
{
    const double t = std::fabs(x);
    if (t < 0.5)
        return 0.75 - t * t;
    if (t < 1.5) {
        const double u = t - 1.5;
        return 0.5 * (u * u);
    }
    return 0.0;
}

double BSplineKernel(double x)
{
    const double t = std::fabs(x);
    if (t < 1.0)
        return 0.5 * (t * t * t) - t * t + 2.0 / 3.0;
    if (t < 2.0) {
        const double u = 2.0 - t;
        return u * u * u / 6.0;
    }
    return 0.0;
}

double Sinc(double y)
{
    if (y == 0.0)
        return 1.0;
    const double a = M_PI * y;
    return std::sin(a) / a;
}

double Lanczos3Kernel(double x)
{
    const double t = std::fabs(x);
    return t < 3.0 ? Sinc(t) * Sinc(t / 3.0) : 0.0;
}

// Mitchell-Netravali cubic with B = C = 1/3.
double MitchellKernel(double x)
{
    const double t = std::fabs(x);
    if (t < 1.0)
        return (7.0 * (t * t * t) - 12.0 * (t * t) + 16.0 / 3.0) / 6.0;
    if (t < 2.0)
        return (-7.0 / 3.0 * (t * t * t) + 12.0 * (t * t) - 20.0 * t + 32.0 / 3.0) / 6.0;
    return 0.0;
}

// Contributions of source pixels to every destination column (or row), stored flat:
// the entries of destination i are first[i] .. first[i + 1] - 1.
struct TContributions {
    std::vector<int32_t> first;
    std::vector<int32_t> index;
    std::vector<double> weight;
};

// Index j mirrored at the edges of 0..len-1; a source too small for the mirror image
// to land inside falls back to the nearest edge pixel.
int32_t ReflectIndex(int64_t j, int len)
{
    if (j < 0)
        j = -j;
    else if (j >= len)
        j = 2 * int64_t(len) - j - 1;
    if (j < 0)
        j = 0;
    else if (j >= len)
        j = len - 1;
    return int32_t(j);
}

TContributions MakeContributions(int dstLen, int srcLen, const TFilterEntry& filter)
{
    TContributions c;
    c.first.reserve(size_t(dstLen) + 1);
    const double scale = double(dstLen) / double(srcLen);
    const double support = filter.Support;
    const bool shrinking = scale < 1.0;
    const double radius = shrinking ? support / scale : support;
    const double stretch = shrinking ? 1.0 / scale : 1.0;
    c.index.reserve(size_t(dstLen) * size_t(2.0 * radius + 1.0));
    c.weight.reserve(c.index.capacity());

    for (int i = 0; i < dstLen; ++i) {
        c.first.push_back(int32_t(c.index.size()));
        const double centre = i / scale;
        const int64_t lo = int64_t(std::floor(centre - radius));
        const int64_t hi = int64_t(std::ceil(centre + radius));
        for (int64_t j = lo; j <= hi; ++j) {
            const double w = shrinking ? filter.Kernel((centre - double(j)) / stretch) / stretch
                                       : filter.Kernel(centre - double(j));
            if (w == 0.0)
                continue;
            c.index.push_back(ReflectIndex(j, srcLen));
            c.weight.push_back(w);
        }
    }
    c.first.push_back(int32_t(c.index.size()));
    return c;
}

// A weighted sum as a pixel byte: clamped to 0..255, otherwise rounded to the nearest
// integer with halves to even. Adding 1.5 * 2^52 leaves a unit in the last place of 1,
// so the addition itself rounds (to even, the processor's rounding) and the low bits
// of the result hold the integer.
inline uint8_t SumToByte(double v)
{
    if (v > 255.0)
        return 255;
    if (v < 0.0)
        return 0;
    const double shifted = v + 6755399441055744.0;
    return uint8_t(std::bit_cast<uint64_t>(shifted));
}

QImage NewBitmap(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    if (image.isNull())
        throw Exception("Not enough memory for a picture of " + std::to_string(width) + " x " +
                        std::to_string(height) + " pixels");
    return image;
}

// Source and destination of a rotation: the source turned 24-bit in place, and a new
// destination of the turned size.
bool PrepareRotation(QImage& source, QImage& turned)
{
    if (source.isNull()) {
        turned = QImage();
        return false;
    }
    if (!IsBitmap24(source))
        source = ToBitmap24(source);
    turned = NewBitmap(source.height(), source.width(), source.format());
    turned.setDotsPerMeterX(source.dotsPerMeterY());
    turned.setDotsPerMeterY(source.dotsPerMeterX());
    return true;
}

} // namespace

const TFilterEntry FilterTable[6] = {
    {TriangleKernel, 1.0}, {HermiteKernel, 1.0}, {BellKernel, 1.5},
    {BSplineKernel, 2.0},  {Lanczos3Kernel, 3.0}, {MitchellKernel, 2.0},
};

bool IsBitmap24(const QImage& image)
{
    return !image.isNull() &&
           (image.format() == QImage::Format_RGB888 || image.format() == QImage::Format_BGR888);
}

QImage ToBitmap24(const QImage& image)
{
    if (image.isNull() || IsBitmap24(image))
        return image;
    QImage converted = image.convertToFormat(kBitmap24Format);
    if (converted.isNull())
        throw Exception("Not enough memory for a picture of " + std::to_string(image.width()) +
                        " x " + std::to_string(image.height()) + " pixels");
    return converted;
}

void ResampleBitmap(const QImage& source, QImage& dest, ResampleFilter filter)
{
    if (!IsBitmap24(source))
        return;
    const TFilterEntry& entry = FilterTable[int(filter) - 1];
    const int sw = source.width();
    const int sh = source.height();
    const int dw = dest.width();
    const int dh = dest.height();
    if (dw <= 0 || dh <= 0)
        return; // an empty destination has nothing to fill

    QImage work = NewBitmap(dw, sh, source.format());
    QImage out = NewBitmap(dw, dh, source.format());
    out.setDotsPerMeterX(dest.dotsPerMeterX());
    out.setDotsPerMeterY(dest.dotsPerMeterY());

    // Horizontal pass: source rows into work rows of the destination's width.
    {
        const TContributions c = MakeContributions(dw, sw, entry);
        for (int y = 0; y < sh; ++y) {
            const uchar* src = source.constScanLine(y);
            uchar* dst = work.scanLine(y);
            for (int i = 0; i < dw; ++i) {
                double b = 0.0, g = 0.0, r = 0.0;
                for (int32_t k = c.first[i]; k < c.first[i + 1]; ++k) {
                    const uchar* p = src + 3 * size_t(c.index[k]);
                    const double w = c.weight[k];
                    b += p[0] * w;
                    g += p[1] * w;
                    r += p[2] * w;
                }
                dst[0] = SumToByte(b);
                dst[1] = SumToByte(g);
                dst[2] = SumToByte(r);
                dst += 3;
            }
        }
    }

    // Vertical pass: each destination row is a weighted sum of whole work rows, added
    // up row after row in contribution order.
    {
        const TContributions c = MakeContributions(dh, sh, entry);
        const size_t rowBytes = size_t(dw) * 3;
        std::vector<double> acc(rowBytes);
        for (int i = 0; i < dh; ++i) {
            std::fill(acc.begin(), acc.end(), 0.0);
            for (int32_t k = c.first[i]; k < c.first[i + 1]; ++k) {
                const uchar* src = work.constScanLine(c.index[k]);
                const double w = c.weight[k];
                double* a = acc.data();
                for (size_t n = 0; n < rowBytes; ++n)
                    a[n] += src[n] * w;
            }
            uchar* dst = out.scanLine(i);
            for (size_t n = 0; n < rowBytes; ++n)
                dst[n] = SumToByte(acc[n]);
        }
    }
    dest = std::move(out);
}

void RotateLeft90(QImage& source, QImage& dest)
{
    QImage turned;
    if (PrepareRotation(source, turned)) {
        const int w = source.width();
        const int h = source.height();
        uchar* base = turned.bits();
        const size_t stride = size_t(turned.bytesPerLine());
        for (int y = 0; y < h; ++y) {
            const uchar* src = source.constScanLine(y);
            for (int x = 0; x < w; ++x)
                std::memcpy(base + stride * size_t(w - 1 - x) + 3 * size_t(y), src + 3 * size_t(x), 3);
        }
    }
    dest = std::move(turned);
}

void RotateRight90(QImage& source, QImage& dest)
{
    QImage turned;
    if (PrepareRotation(source, turned)) {
        const int w = source.width();
        const int h = source.height();
        uchar* base = turned.bits();
        const size_t stride = size_t(turned.bytesPerLine());
        for (int y = 0; y < h; ++y) {
            const uchar* src = source.constScanLine(y);
            for (int x = 0; x < w; ++x)
                std::memcpy(base + stride * size_t(x) + 3 * size_t(h - 1 - y), src + 3 * size_t(x), 3);
        }
    }
    dest = std::move(turned);
}
