// Scaling and quarter turns of 24-bit bitmaps.
#include "ImageUtils.h"

#include "ExtUtils.h"

#include <algorithm>
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

// Horizontal pass. Rows are taken four at a time: they share the contribution lists,
// and the independent sums keep the processor busy. The source rows are first widened
// to doubles, four per pixel (its three bytes and a 0), so that the three sums of a pixel
// take two multiply-adds of two-lane vectors (GCC and Clang vector extensions). Lanes
// are plain IEEE doubles and each sum still adds its terms in contribution order,
// starting from 0, so the results are those of the plain per-pixel formula.
#if defined(__GNUC__) || defined(__clang__)
typedef double TDouble2 __attribute__((vector_size(16)));
#else
// Other compilers: the same two lanes as a plain pair, with the same arithmetic.
struct TDouble2 {
    double lane[2];
    double operator[](int i) const { return lane[i]; }
    TDouble2 operator*(const TDouble2& o) const { return {lane[0] * o.lane[0], lane[1] * o.lane[1]}; }
    TDouble2& operator+=(const TDouble2& o)
    {
        lane[0] += o.lane[0];
        lane[1] += o.lane[1];
        return *this;
    }
};
#endif

void WidenRow(const uchar* src, int width, double* out)
{
    for (int x = 0; x < width; ++x, src += 3, out += 4) {
        out[0] = src[0];
        out[1] = src[1];
        out[2] = src[2];
        out[3] = 0.0;
    }
}

template <int R>
void HorizontalRowsWide(const double* const* src, uchar* const* dst, int dw, const TContributions& c)
{
    const int32_t* first = c.first.data();
    const int32_t* index = c.index.data();
    const double* weight = c.weight.data();
    for (int i = 0; i < dw; ++i) {
        TDouble2 lo[R] = {};
        TDouble2 hi[R] = {};
        for (int32_t k = first[i]; k < first[i + 1]; ++k) {
            const size_t offset = 4 * size_t(index[k]);
            const TDouble2 w = {weight[k], weight[k]};
#pragma GCC unroll 4
            for (int r = 0; r < R; ++r) {
                TDouble2 a, b;
                std::memcpy(&a, src[r] + offset, sizeof a);
                std::memcpy(&b, src[r] + offset + 2, sizeof b);
                lo[r] += a * w;
                hi[r] += b * w;
            }
        }
#pragma GCC unroll 4
        for (int r = 0; r < R; ++r) {
            uchar* q = dst[r] + 3 * size_t(i);
            q[0] = SumToByte(lo[r][0]);
            q[1] = SumToByte(lo[r][1]);
            q[2] = SumToByte(hi[r][0]);
        }
    }
}

void HorizontalPass(const QImage& source, QImage& work, int dw, const TContributions& c)
{
    constexpr int kRows = 4;
    const int sw = source.width();
    const int sh = source.height();
    std::vector<double> wide(size_t(kRows) * 4 * size_t(sw));
    const double* src[kRows];
    uchar* dst[kRows];
    int y = 0;
    for (; y < sh; y += kRows) {
        const int rows = std::min(kRows, sh - y);
        for (int r = 0; r < rows; ++r) {
            double* row = wide.data() + size_t(r) * 4 * size_t(sw);
            WidenRow(source.constScanLine(y + r), sw, row);
            src[r] = row;
            dst[r] = work.scanLine(y + r);
        }
        if (rows == kRows) {
            HorizontalRowsWide<kRows>(src, dst, dw, c);
        } else {
            for (int r = 0; r < rows; ++r)
                HorizontalRowsWide<1>(src + r, dst + r, dw, c);
        }
    }
}

// One destination row of the vertical pass from the `count` work rows that contribute
// to it, 8 bytes at a time (each sum again in contribution order from 0).
void VerticalRow(const uchar* const* rows, const double* weight, size_t count, size_t rowBytes,
                 uchar* dst)
{
    constexpr size_t kRun = 8;
    size_t n = 0;
    for (; n + kRun <= rowBytes; n += kRun) {
        double acc[kRun] = {};
        for (size_t k = 0; k < count; ++k) {
            const uchar* p = rows[k] + n;
            const double w = weight[k];
#pragma GCC unroll 8
            for (size_t q = 0; q < kRun; ++q)
                acc[q] += p[q] * w;
        }
#pragma GCC unroll 8
        for (size_t q = 0; q < kRun; ++q)
            dst[n + q] = SumToByte(acc[q]);
    }
    for (; n < rowBytes; ++n) {
        double acc = 0.0;
        for (size_t k = 0; k < count; ++k)
            acc += rows[k][n] * weight[k];
        dst[n] = SumToByte(acc);
    }
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
    if (!IsBitmap24(source) || filter < rfTriangle || filter > rfMitchell)
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
        HorizontalPass(source, work, dw, c);
    }

    // Vertical pass: each destination row is a weighted sum of work rows, taken in
    // runs of 8 bytes with one sum per byte.
    {
        const TContributions c = MakeContributions(dh, sh, entry);
        const size_t rowBytes = size_t(dw) * 3;
        std::vector<const uchar*> rows;
        for (int i = 0; i < dh; ++i) {
            rows.clear();
            for (int32_t k = c.first[i]; k < c.first[i + 1]; ++k)
                rows.push_back(work.constScanLine(c.index[k]));
            VerticalRow(rows.data(), c.weight.data() + c.first[i], rows.size(), rowBytes,
                        out.scanLine(i));
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
