// Picture files: the format of a file by its signature or name, and 24-bit Windows
// bitmaps by hand (JPEG and GIF in JpegCodec.cpp and GifCodec.cpp).
#include "ImageCodecs.h"
#include "ImageCodecSupport.h"

#include "FileUtils.h"
#include "ImageUtils.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

using namespace image_codecs;

namespace image_codecs {

void Fail(const std::string& message)
{
    throw EImageError(message);
}

void CheckPictureSize(qint64 width, qint64 height, const char* format)
{
    if (width <= 0 || height <= 0)
        Fail(std::string("Invalid ") + format + " data: empty picture");
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
        Fail(std::string("Unsupported ") + format + ": picture too large (" +
             std::to_string(width) + " x " + std::to_string(height) + " pixels)");
}

QImage NewImage(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    if (image.isNull())
        Fail("Not enough memory for a picture of " + std::to_string(width) + " x " +
             std::to_string(height) + " pixels");
    return image;
}

} // namespace image_codecs

// Windows bitmaps.

namespace {

uint32_t ReadU32(const uchar* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadU16(const uchar* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

void PutU32(QByteArray& out, uint32_t v)
{
    const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.append(b, 4);
}

void PutU16(QByteArray& out, uint16_t v)
{
    const char b[2] = {char(v), char(v >> 8)};
    out.append(b, 2);
}

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

} // namespace

QImage DecodeBmp(QByteArrayView data)
{
    const auto* p = reinterpret_cast<const uchar*>(data.data());
    const qint64 size = data.size();
    if (size == 0)
        Fail("Invalid BMP data: empty file");
    if (size < 2 || p[0] != 'B' || p[1] != 'M')
        Fail("Invalid BMP data: no \"BM\" signature");
    if (size < kFileHeaderSize + 4)
        Fail("Truncated BMP data");
    const uint32_t offBits = ReadU32(p + 10);
    const uint32_t infoSize = ReadU32(p + 14);
    if (infoSize == 12)
        Fail("Unsupported BMP: OS/2 bitmap header");
    if (infoSize < kInfoHeaderSize)
        Fail("Invalid BMP data: bitmap header of " + std::to_string(infoSize) + " bytes");
    if (size < kFileHeaderSize + kInfoHeaderSize)
        Fail("Truncated BMP data");
    const uchar* info = p + kFileHeaderSize;
    const int32_t width = int32_t(ReadU32(info + 4));
    const int32_t height = int32_t(ReadU32(info + 8));
    const uint16_t bitCount = ReadU16(info + 14);
    const uint32_t compression = ReadU32(info + 16);
    const int32_t xPelsPerMeter = int32_t(ReadU32(info + 24));
    const int32_t yPelsPerMeter = int32_t(ReadU32(info + 28));
    if (bitCount != 24)
        Fail("Unsupported BMP: " + std::to_string(bitCount) +
             " bits per pixel (only 24-bit pictures are read)");
    if (compression != 0)
        Fail("Unsupported BMP: compressed pixel data (only uncompressed pictures are read)");
    const qint64 w = width;
    const qint64 h = height < 0 ? -qint64(height) : qint64(height);
    CheckPictureSize(w, h, "BMP");
    if (qint64(offBits) < kFileHeaderSize + qint64(infoSize))
        Fail("Invalid BMP data: pixel data inside the header");

    // The last row's padding may be missing; everything else must be there.
    const qint64 stride = (w * 3 + 3) / 4 * 4;
    if (qint64(offBits) + stride * (h - 1) + w * 3 > size)
        Fail("Truncated BMP data");

    QImage image = NewImage(int(w), int(h), QImage::Format_RGB888);
    const uchar* pixels = p + offBits;
    uchar* base = image.bits();
    const size_t outStride = size_t(image.bytesPerLine());
    for (qint64 y = 0; y < h; ++y) {
        const uchar* src = pixels + stride * (height < 0 ? y : h - 1 - y);
        uchar* dst = base + outStride * size_t(y);
        for (qint64 x = 0; x < w; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    if (xPelsPerMeter > 0 && yPelsPerMeter > 0) {
        image.setDotsPerMeterX(xPelsPerMeter);
        image.setDotsPerMeterY(yPelsPerMeter);
    }
    return image;
}

QByteArray EncodeBmp(const QImage& image)
{
    if (image.isNull())
        Fail("Cannot write an empty picture as BMP");
    const QImage rgb = image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        Fail("Not enough memory to write a BMP picture");
    const qint64 w = rgb.width();
    const qint64 h = rgb.height();
    const qint64 stride = (w * 3 + 3) / 4 * 4;
    const qint64 imageSize = stride * h;
    const qint64 fileSize = kFileHeaderSize + kInfoHeaderSize + imageSize;
    if (fileSize > qint64(std::numeric_limits<uint32_t>::max()))
        Fail("Picture too large for a BMP file");

    QByteArray out;
    out.reserve(qsizetype(fileSize));
    out.append("BM", 2);
    PutU32(out, uint32_t(fileSize));
    PutU32(out, 0); // reserved
    PutU32(out, kFileHeaderSize + kInfoHeaderSize);
    PutU32(out, kInfoHeaderSize);
    PutU32(out, uint32_t(w));
    PutU32(out, uint32_t(h)); // positive: bottom-up rows
    PutU16(out, 1);           // planes
    PutU16(out, 24);
    PutU32(out, 0); // BI_RGB
    PutU32(out, uint32_t(imageSize));
    PutU32(out, uint32_t(std::max(0, image.dotsPerMeterX())));
    PutU32(out, uint32_t(std::max(0, image.dotsPerMeterY())));
    PutU32(out, 0); // colours used
    PutU32(out, 0); // important colours

    const qsizetype start = out.size();
    out.resize(qsizetype(fileSize));
    uchar* pixels = reinterpret_cast<uchar*>(out.data()) + start;
    for (qint64 y = 0; y < h; ++y) {
        const uchar* src = rgb.constScanLine(int(h - 1 - y));
        uchar* dst = pixels + stride * y;
        for (qint64 x = 0; x < w; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        std::memset(dst, 0, size_t(stride - w * 3));
    }
    return out;
}

// ===========================================================================
// Files.

namespace {

enum class TPictureFormat { Unknown, Jpeg, Gif, Bmp };

TPictureFormat FormatBySignature(QByteArrayView data)
{
    const auto* p = reinterpret_cast<const uchar*>(data.data());
    const qsizetype n = data.size();
    if (n >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF)
        return TPictureFormat::Jpeg;
    if (n >= 6 && (std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0))
        return TPictureFormat::Gif;
    if (n >= 2 && p[0] == 'B' && p[1] == 'M')
        return TPictureFormat::Bmp;
    return TPictureFormat::Unknown;
}

TPictureFormat FormatByName(const QString& fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return TPictureFormat::Jpeg;
    if (ext == QLatin1String("gif"))
        return TPictureFormat::Gif;
    if (ext == QLatin1String("bmp"))
        return TPictureFormat::Bmp;
    return TPictureFormat::Unknown;
}

} // namespace

QImage LoadPicture(QByteArrayView data, const QString& fileName)
{
    TPictureFormat format = FormatBySignature(data);
    if (format == TPictureFormat::Unknown)
        format = FormatByName(fileName);
    switch (format) {
    case TPictureFormat::Jpeg:
        return DecodeJpeg(data);
    case TPictureFormat::Gif:
        return DecodeGif(data).Image;
    case TPictureFormat::Bmp:
        return DecodeBmp(data);
    default:
        Fail("Unsupported picture format: " + QStringToWin1251(fileName));
    }
}

QImage LoadPictureFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Fail("Cannot read picture file " + QStringToWin1251(path));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        Fail("Cannot read picture file " + QStringToWin1251(path));
    return LoadPicture(data, path);
}

QImage LoadPictureFile(const std::string& path)
{
    return LoadPictureFile(Win1251ToQString(path));
}

void SavePictureFile(const QImage& image, const QString& path, int jpegQuality)
{
    QByteArray bytes;
    switch (FormatByName(path)) {
    case TPictureFormat::Jpeg:
        bytes = EncodeJpeg(image, jpegQuality);
        break;
    case TPictureFormat::Bmp:
        bytes = EncodeBmp(image);
        break;
    case TPictureFormat::Gif:
        bytes = EncodeGif(image);
        break;
    default:
        Fail("Unsupported picture format: " + QStringToWin1251(path));
    }
    // Written beside the target and renamed over it, so a failed write never leaves a
    // damaged file in place of a good one.
    try {
        WriteFileReplacing(QFile::encodeName(path).toStdString(),
                           std::string_view(bytes.constData(), size_t(bytes.size())));
    } catch (const EFileWriteError& e) {
        Fail(Utf8ToWin1251("Не удается записать файл картинки ") + QStringToWin1251(path) + ". " + Utf8ToWin1251(e.Reason()));
    }
}

void SavePictureFile(const QImage& image, const std::string& path, int jpegQuality)
{
    SavePictureFile(image, Win1251ToQString(path), jpegQuality);
}
