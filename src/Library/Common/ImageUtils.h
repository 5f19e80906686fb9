#pragma once
// Scaling and quarter turns of 24-bit bitmaps.
//
// A 24-bit bitmap is a QImage of three bytes per pixel. The program's own format for
// them is QImage::Format_RGB888 (`kBitmap24Format`): the codecs return it and the
// rotations convert to it. QImage::Format_BGR888 counts as 24-bit as well: all three
// channels are treated alike, so its bytes go through unchanged and the result keeps
// that format.
#include <QImage>

inline constexpr QImage::Format kBitmap24Format = QImage::Format_RGB888;

// Whether the picture is a (non-empty) 24-bit bitmap.
bool IsBitmap24(const QImage& image);
// The picture as a 24-bit bitmap: itself when it is one already, else converted to
// `kBitmap24Format` (alpha dropped). An empty picture stays empty.
QImage ToBitmap24(const QImage& image);

// The resampling kernels, by number.
enum ResampleFilter {
    rfTriangle = 1,
    rfHermite,
    rfBell,
    rfBSpline,
    rfLanczos3,
    rfMitchell,
};

// One kernel: its function and the radius beyond which it is 0.
struct TFilterEntry {
    double (*Kernel)(double x);
    double Support;
};
// Indexed by ResampleFilter - 1.
extern const TFilterEntry FilterTable[6];

// Resizes `source` into `dest`, which keeps its width and height and becomes 24-bit,
// with a separable filter: a horizontal pass into a picture of dest's width and
// source's height, then a vertical pass. Weights are the kernel's values as they are
// (not normalised to sum 1), centres carry no half-pixel offset, samples beyond an
// edge are taken from the mirror image of the source at that edge, sums are kept in
// double precision and become bytes by rounding halves to even and clamping to 0..255.
//
// When `source` is not a 24-bit bitmap (see above; an empty picture is none either),
// or `filter` is not one of the six, nothing happens at all: `dest` keeps its size,
// format and content.
// Pictures too small for the kernel's reach (down to 1 pixel wide or high) read the
// nearest edge pixel where the mirror image would still fall outside.
void ResampleBitmap(const QImage& source, QImage& dest, ResampleFilter filter);

// Quarter turn counter-clockwise: dest becomes source's height wide and source's width
// high, source pixel (x, y) going to dest pixel (y, W - 1 - x). Source and dest both
// become 24-bit; source may be dest.
void RotateLeft90(QImage& source, QImage& dest);
// Quarter turn clockwise: source pixel (x, y) goes to dest pixel (H - 1 - y, x).
void RotateRight90(QImage& source, QImage& dest);
