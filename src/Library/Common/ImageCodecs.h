#pragma once
// Picture files: JPEG (libjpeg), GIF (giflib) and 24-bit Windows bitmaps.
//
// Decoders take the file's bytes (a QByteArray, std::string or any contiguous byte
// container, through QByteArrayView) and never read outside them. Damaged, truncated
// or unsupported data raises `EImageError` with a message naming the format ("Invalid
// JPEG data: ...", "Truncated GIF data", "Unsupported BMP: ..."); nothing here exits
// the process or prints.
#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

#include <string>

#include "Library/Common/ExtUtils.h"

class EImageError : public Exception {
public:
    using Exception::Exception;
};

// Largest picture a decoder accepts, in pixels and pixels a side (a larger header is
// refused before anything is allocated); nothing the program draws comes near it.
inline constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;
inline constexpr qint64 kMaxPictureSide = 16384;
// The most memory libjpeg may take for one picture beyond the picture itself (a
// progressive file keeps every coefficient), and the most scans it may hold.
inline constexpr long kMaxJpegWorkMemory = 256L * 1024 * 1024;
inline constexpr int kMaxJpegScans = 1000;

// ---------------------------------------------------------------------------
// JPEG.

// Decodes to a 24-bit bitmap (QImage::Format_RGB888). Greyscale and CMYK/YCCK files
// are converted. Truncated data and corrupt entropy-coded data are errors.
QImage DecodeJpeg(QByteArrayView data);
// Encodes any picture (alpha dropped) as a baseline JFIF with the given quality
// (1..100, clamped). The picture's resolution, when set, is written as dots per inch.
QByteArray EncodeJpeg(const QImage& image, int quality = 90);

// ---------------------------------------------------------------------------
// GIF (GIF87a and GIF89a).

struct TGifPicture {
    // The first image of the file on its logical screen, QImage::Format_ARGB32:
    // transparent pixels (and screen pixels the image does not cover) have alpha 0;
    // transparent pixels keep the colour of the transparent index.
    QImage Image;
    // The transparent palette index of the first image's graphic control block, or -1.
    int TransparentIndex = -1;
    // The colour of that index (alpha 255), or 0 when there is none.
    QRgb TransparentColor = 0;
};

TGifPicture DecodeGif(QByteArrayView data);

// Encodes an 8-bit palette picture (QImage::Format_Indexed8; other formats are
// first reduced to one by Qt) as a single-image GIF89a. `transparentIndex` (-1 for
// none) is written as the transparent colour of a graphic control block. Palette
// entries' alpha is ignored.
QByteArray EncodeGif(const QImage& image, int transparentIndex = -1);

// ---------------------------------------------------------------------------
// Windows bitmap files, 24-bit uncompressed only.

// Reads bottom-up and top-down files with any BITMAPINFOHEADER-or-later header;
// returns a 24-bit bitmap (QImage::Format_RGB888) with the file's resolution.
QImage DecodeBmp(QByteArrayView data);
// Writes any picture (alpha dropped) as a bottom-up 24-bit file with a
// BITMAPINFOHEADER, rows padded to 4 bytes, and the picture's resolution.
QByteArray EncodeBmp(const QImage& image);

// ---------------------------------------------------------------------------
// Files.

// The codec by the name's extension (".jpg"/".jpeg", ".gif", ".bmp", any case); when
// the data's signature plainly belongs to another of the three formats (a misnamed
// file), that format is used. GIF pictures come back in Format_ARGB32, the others as
// 24-bit bitmaps. Unknown formats raise EImageError "Unsupported picture format".
QImage LoadPicture(QByteArrayView data, const QString& fileName);
// Reads the file and decodes it as above; a file that cannot be read raises
// EImageError "Cannot read picture file <path>". The std::string form takes a
// Windows-1251 path.
QImage LoadPictureFile(const QString& path);
QImage LoadPictureFile(const std::string& path);

// Writes a picture file by its extension (".jpg"/".jpeg" at `jpegQuality`, ".bmp");
// EImageError when the extension is none of these or the file cannot be written.
void SavePictureFile(const QImage& image, const QString& path, int jpegQuality = 90);
void SavePictureFile(const QImage& image, const std::string& path, int jpegQuality = 90);
