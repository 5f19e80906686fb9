// Picture files: JPEG through libjpeg, GIF through giflib, 24-bit Windows bitmaps by
// hand.
#include "ImageCodecs.h"

#include "FileUtils.h"
#include "ImageUtils.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <gif_lib.h>
#include <jerror.h>
#include <jpeglib.h>

namespace {

[[noreturn]] void Fail(const std::string& message)
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

// ===========================================================================
// JPEG.
//
// libjpeg reports fatal errors through a callback that must not return. The callback
// here longjmps back to the setjmp in RunJpegDecode/RunJpegEncode: plain functions
// that hold nothing but POD state (in a job record owned by the caller) and that call
// nothing but libjpeg and C-style callbacks. So no C++ frame and no destructor is ever
// jumped over; the callers turn a failed job into an exception afterwards.

struct TJpegErrorManager {
    jpeg_error_mgr pub; // first: libjpeg sees only this part
    jmp_buf jump;
    bool truncated;
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings mean damaged data (libjpeg would go on and fill in grey); only those about
// harmless header details are let through. Trace messages are dropped.
void JpegEmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    auto* err = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM || code == JWRN_BOGUS_ICC) {
        cinfo->err->num_warnings++;
        return;
    }
    if (code == JWRN_JPEG_EOF)
        err->truncated = true;
    JpegErrorExit(cinfo);
}

void JpegOutputMessage(j_common_ptr) {}

// Stops a file with more scans than any real picture has.
void JpegProgress(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxJpegScans) {
        auto* err = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "more than %d scans", kMaxJpegScans);
        std::longjmp(err->jump, 1);
    }
}

void InitJpegErrors(TJpegErrorManager* err)
{
    jpeg_std_error(&err->pub);
    err->pub.error_exit = JpegErrorExit;
    err->pub.emit_message = JpegEmitMessage;
    err->pub.output_message = JpegOutputMessage;
    err->truncated = false;
    err->message[0] = '\0';
}

// Hands out the pixel rows of the decoded picture; returns null when it cannot.
using TJpegAllocator = unsigned char* (*)(void* owner, int width, int height, size_t* stride);

enum TJpegFailure { jfNone, jfLibrary, jfTooLarge, jfNoMemory, jfStalled };

struct TJpegDecodeJob {
    const unsigned char* data;
    unsigned long size;
    TJpegAllocator allocate;
    void* owner;
    TJpegFailure failure;
    int width;
    int height;
    jpeg_decompress_struct cinfo;
    TJpegErrorManager err;
    jpeg_progress_mgr progress;
};

// Inverted (Adobe) or plain CMYK to RGB.
void CmykRowToRgb(const unsigned char* cmyk, unsigned char* rgb, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        rgb[0] = static_cast<unsigned char>((c * k + 127) / 255);
        rgb[1] = static_cast<unsigned char>((m * k + 127) / 255);
        rgb[2] = static_cast<unsigned char>((y * k + 127) / 255);
    }
}

bool RunJpegDecode(TJpegDecodeJob* job)
{
    job->cinfo.err = &job->err.pub;
    InitJpegErrors(&job->err);
    job->failure = jfLibrary;
    if (setjmp(job->err.jump)) {
        jpeg_destroy_decompress(&job->cinfo);
        return false;
    }
    jpeg_create_decompress(&job->cinfo);
    // A progressive file holds its coefficients for the whole picture, and may hold
    // any number of scans: both are bounded, the excess fails as damaged data.
    job->cinfo.mem->max_memory_to_use = kMaxJpegWorkMemory;
    job->progress.progress_monitor = JpegProgress;
    job->cinfo.progress = &job->progress;
    jpeg_mem_src(&job->cinfo, job->data, job->size);
    jpeg_read_header(&job->cinfo, TRUE);

    const bool cmyk =
        job->cinfo.jpeg_color_space == JCS_CMYK || job->cinfo.jpeg_color_space == JCS_YCCK;
    job->cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_calc_output_dimensions(&job->cinfo);
    const JDIMENSION width = job->cinfo.output_width;
    const JDIMENSION height = job->cinfo.output_height;
    if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        qint64(width) * qint64(height) > kMaxPicturePixels) {
        job->failure = jfTooLarge;
        job->width = int(width);
        job->height = int(height);
        jpeg_destroy_decompress(&job->cinfo);
        return false;
    }
    jpeg_start_decompress(&job->cinfo);

    size_t stride = 0;
    unsigned char* bits = job->allocate(job->owner, int(width), int(height), &stride);
    if (!bits) {
        job->failure = jfNoMemory;
        jpeg_destroy_decompress(&job->cinfo);
        return false;
    }
    JSAMPARRAY cmykRow = nullptr;
    if (cmyk)
        cmykRow = (*job->cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&job->cinfo),
                                                  JPOOL_IMAGE, width * 4, 1);
    while (job->cinfo.output_scanline < height) {
        unsigned char* target = bits + stride * job->cinfo.output_scanline;
        JSAMPROW row = cmyk ? cmykRow[0] : target;
        if (jpeg_read_scanlines(&job->cinfo, &row, 1) != 1) {
            job->failure = jfStalled;
            jpeg_destroy_decompress(&job->cinfo);
            return false;
        }
        if (cmyk)
            CmykRowToRgb(cmykRow[0], target, int(width), job->cinfo.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&job->cinfo);
    jpeg_destroy_decompress(&job->cinfo);
    job->failure = jfNone;
    return true;
}

unsigned char* AllocateJpegImage(void* owner, int width, int height, size_t* stride)
{
    try {
        auto* image = static_cast<QImage*>(owner);
        *image = QImage(width, height, QImage::Format_RGB888);
        if (image->isNull())
            return nullptr;
        *stride = size_t(image->bytesPerLine());
        return image->bits();
    } catch (...) {
        return nullptr;
    }
}

struct TJpegEncodeJob {
    const unsigned char* bits;
    size_t stride;
    int width;
    int height;
    int quality;
    int dpiX;
    int dpiY;
    unsigned char* out;
    unsigned long outSize;
    jpeg_compress_struct cinfo;
    TJpegErrorManager err;
};

bool RunJpegEncode(TJpegEncodeJob* job)
{
    job->cinfo.err = &job->err.pub;
    InitJpegErrors(&job->err);
    job->out = nullptr;
    job->outSize = 0;
    if (setjmp(job->err.jump)) {
        jpeg_destroy_compress(&job->cinfo);
        std::free(job->out); // the memory destination's buffer is ours to free
        job->out = nullptr;
        return false;
    }
    jpeg_create_compress(&job->cinfo);
    jpeg_mem_dest(&job->cinfo, &job->out, &job->outSize);
    job->cinfo.image_width = JDIMENSION(job->width);
    job->cinfo.image_height = JDIMENSION(job->height);
    job->cinfo.input_components = 3;
    job->cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&job->cinfo);
    jpeg_set_quality(&job->cinfo, job->quality, TRUE);
    if (job->dpiX > 0 && job->dpiY > 0 && job->dpiX <= 65535 && job->dpiY <= 65535) {
        job->cinfo.density_unit = 1; // dots per inch
        job->cinfo.X_density = UINT16(job->dpiX);
        job->cinfo.Y_density = UINT16(job->dpiY);
    }
    jpeg_start_compress(&job->cinfo, TRUE);
    while (job->cinfo.next_scanline < job->cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(job->bits + job->stride * job->cinfo.next_scanline);
        jpeg_write_scanlines(&job->cinfo, &row, 1);
    }
    jpeg_finish_compress(&job->cinfo);
    jpeg_destroy_compress(&job->cinfo);
    return true;
}

int DotsPerInch(int dotsPerMeter)
{
    return dotsPerMeter > 0 ? int(dotsPerMeter * 0.0254 + 0.5) : 0;
}

} // namespace

QImage DecodeJpeg(QByteArrayView data)
{
    if (data.isEmpty())
        Fail("Invalid JPEG data: empty file");
    QImage image;
    auto job = std::make_unique<TJpegDecodeJob>();
    std::memset(job.get(), 0, sizeof(TJpegDecodeJob));
    job->data = reinterpret_cast<const unsigned char*>(data.data());
    job->size = static_cast<unsigned long>(data.size());
    job->allocate = AllocateJpegImage;
    job->owner = &image;
    if (!RunJpegDecode(job.get())) {
        switch (job->failure) {
        case jfTooLarge:
            CheckPictureSize(job->width, job->height, "JPEG");
            Fail("Unsupported JPEG: picture too large");
        case jfNoMemory:
            Fail("Not enough memory to decode a JPEG picture");
        case jfStalled:
            Fail("Truncated JPEG data");
        default:
            if (job->err.truncated)
                Fail("Truncated JPEG data");
            Fail(std::string("Invalid JPEG data: ") + job->err.message);
        }
    }
    if (job->cinfo.density_unit == 1 || job->cinfo.density_unit == 2) {
        const double perMeter = job->cinfo.density_unit == 1 ? 1 / 0.0254 : 100.0;
        if (job->cinfo.X_density > 0 && job->cinfo.Y_density > 0) {
            image.setDotsPerMeterX(int(job->cinfo.X_density * perMeter + 0.5));
            image.setDotsPerMeterY(int(job->cinfo.Y_density * perMeter + 0.5));
        }
    }
    return image;
}

QByteArray EncodeJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        Fail("Cannot encode an empty picture as JPEG");
    if (image.width() > 65500 || image.height() > 65500)
        Fail("Picture too large for JPEG");
    QImage rgb = image.format() == QImage::Format_RGB888
                     ? image
                     : image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        Fail("Not enough memory to encode a JPEG picture");

    auto job = std::make_unique<TJpegEncodeJob>();
    std::memset(job.get(), 0, sizeof(TJpegEncodeJob));
    job->bits = rgb.constBits();
    job->stride = size_t(rgb.bytesPerLine());
    job->width = rgb.width();
    job->height = rgb.height();
    job->quality = std::clamp(quality, 1, 100);
    job->dpiX = DotsPerInch(image.dotsPerMeterX());
    job->dpiY = DotsPerInch(image.dotsPerMeterY());
    if (!RunJpegEncode(job.get()))
        Fail(std::string("Cannot encode JPEG: ") + job->err.message);
    QByteArray bytes;
    try {
        bytes = QByteArray(reinterpret_cast<const char*>(job->out), qsizetype(job->outSize));
    } catch (...) {
        std::free(job->out);
        throw;
    }
    std::free(job->out);
    return bytes;
}

// ===========================================================================
// GIF.

namespace {

struct TGifReader {
    const GifByteType* data;
    size_t size;
    size_t pos;
    bool truncated;
};

int GifRead(GifFileType* gif, GifByteType* buffer, int count)
{
    auto* reader = static_cast<TGifReader*>(gif->UserData);
    if (count <= 0)
        return 0;
    size_t n = size_t(count);
    if (n > reader->size - reader->pos) {
        n = reader->size - reader->pos;
        reader->truncated = true;
    }
    std::memcpy(buffer, reader->data + reader->pos, n);
    reader->pos += n;
    return int(n);
}

struct TGifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

[[noreturn]] void FailGif(const TGifReader& reader, int error)
{
    if (reader.truncated || error == D_GIF_ERR_READ_FAILED)
        Fail("Truncated GIF data");
    const char* text = GifErrorString(error);
    Fail(std::string("Invalid GIF data: ") + (text ? text : "unknown error"));
}

} // namespace

TGifPicture DecodeGif(QByteArrayView data)
{
    TGifReader reader{reinterpret_cast<const GifByteType*>(data.data()), size_t(data.size()), 0,
                      false};
    if (data.size() < 6)
        Fail(data.isEmpty() ? "Invalid GIF data: empty file" : "Truncated GIF data");
    int error = 0;
    std::unique_ptr<GifFileType, TGifCloser> gif(DGifOpen(&reader, GifRead, &error));
    if (!gif)
        FailGif(reader, error);

    TGifPicture result;
    // Every record takes at least one byte of the file: more records than bytes can
    // only mean a reader that stopped moving.
    for (qsizetype records = 0;; ++records) {
        if (records > data.size())
            Fail("Invalid GIF data: the records do not end");
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            FailGif(reader, gif->Error);
        if (type == TERMINATE_RECORD_TYPE)
            Fail("Invalid GIF data: the file holds no image");
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                FailGif(reader, gif->Error);
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] == 4) {
                GraphicsControlBlock gcb;
                if (DGifExtensionToGCB(4, block + 1, &gcb) == GIF_OK)
                    result.TransparentIndex = gcb.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    FailGif(reader, gif->Error);
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;

        if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
            FailGif(reader, gif->Error);
        const GifImageDesc& desc = gif->Image;
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if (!map || !map->Colors || map->ColorCount <= 0)
            Fail("Invalid GIF data: no colour table");
        const qint64 left = std::max(0, desc.Left);
        const qint64 top = std::max(0, desc.Top);
        const qint64 fw = std::max(0, desc.Width);
        const qint64 fh = std::max(0, desc.Height);
        const qint64 cw = std::max<qint64>(gif->SWidth, left + fw);
        const qint64 ch = std::max<qint64>(gif->SHeight, top + fh);
        CheckPictureSize(cw, ch, "GIF");
        CheckPictureSize(std::max<qint64>(fw, 1), std::max<qint64>(fh, 1), "GIF");

        // Indices beyond the colour table draw black.
        QRgb palette[256];
        for (int i = 0; i < 256; ++i) {
            if (i < map->ColorCount) {
                const GifColorType& c = map->Colors[i];
                palette[i] = qRgb(c.Red, c.Green, c.Blue);
            } else {
                palette[i] = qRgb(0, 0, 0);
            }
        }
        const int transparent = result.TransparentIndex;
        if (transparent >= 0 && transparent < 256)
            result.TransparentColor = palette[transparent];

        QImage image = NewImage(int(cw), int(ch), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        std::vector<GifByteType> line(size_t(std::max<qint64>(fw, 1)));
        uchar* base = image.bits();
        const size_t stride = size_t(image.bytesPerLine());
        auto storeRow = [&](qint64 row) {
            QRgb* out = reinterpret_cast<QRgb*>(base + stride * size_t(top + row)) + left;
            for (qint64 x = 0; x < fw; ++x) {
                const int index = line[size_t(x)];
                out[x] = index == transparent ? (palette[index] & 0x00FFFFFFu) : palette[index];
            }
        };
        if (fw > 0 && fh > 0) {
            if (desc.Interlace) {
                static const int kStart[4] = {0, 4, 2, 1};
                static const int kStep[4] = {8, 8, 4, 2};
                for (int pass = 0; pass < 4; ++pass) {
                    for (qint64 row = kStart[pass]; row < fh; row += kStep[pass]) {
                        if (DGifGetLine(gif.get(), line.data(), int(fw)) == GIF_ERROR)
                            FailGif(reader, gif->Error);
                        storeRow(row);
                    }
                }
            } else {
                for (qint64 row = 0; row < fh; ++row) {
                    if (DGifGetLine(gif.get(), line.data(), int(fw)) == GIF_ERROR)
                        FailGif(reader, gif->Error);
                    storeRow(row);
                }
            }
        }
        result.Image = std::move(image);
        return result;
    }
}

namespace {

int GifWrite(GifFileType* gif, const GifByteType* buffer, int count)
{
    try {
        static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(buffer), count);
        return count;
    } catch (...) {
        return 0;
    }
}

struct TGifMapFree {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

[[noreturn]] void FailGifWrite(int error)
{
    const char* text = GifErrorString(error);
    Fail(std::string("Cannot encode GIF: ") + (text ? text : "unknown error"));
}

} // namespace

QByteArray EncodeGif(const QImage& image, int transparentIndex)
{
    if (image.isNull())
        Fail("Cannot encode an empty picture as GIF");
    if (image.width() > 65535 || image.height() > 65535)
        Fail("Picture too large for GIF");
    if (transparentIndex < -1 || transparentIndex > 255)
        Fail("Cannot encode GIF: transparent index " + std::to_string(transparentIndex) +
             " outside 0..255");
    const QImage indexed =
        image.format() == QImage::Format_Indexed8
            ? image
            : image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    const QList<QRgb> colors = indexed.colorTable();
    if (colors.isEmpty() || colors.size() > 256)
        Fail("Cannot encode GIF: the picture needs a colour table of 1 to 256 entries");

    // A GIF colour table has 2^n entries; pixels must stay inside the picture's table.
    const int width = indexed.width();
    const int height = indexed.height();
    for (int y = 0; y < height; ++y) {
        const uchar* row = indexed.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (row[x] >= colors.size())
                Fail("Cannot encode GIF: pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                     ") uses index " + std::to_string(row[x]) + " outside the colour table");
        }
    }
    int bits = 1;
    const int needed = std::max<int>(int(colors.size()), transparentIndex + 1);
    while ((1 << bits) < needed)
        ++bits;
    std::unique_ptr<ColorMapObject, TGifMapFree> map(GifMakeMapObject(1 << bits, nullptr));
    if (!map)
        Fail("Not enough memory to encode a GIF picture");
    for (int i = 0; i < (1 << bits); ++i) {
        const QRgb c = i < colors.size() ? colors[i] : 0;
        map->Colors[i] = GifColorType{GifByteType(qRed(c)), GifByteType(qGreen(c)),
                                      GifByteType(qBlue(c))};
    }

    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, GifWrite, &error);
    if (!gif)
        FailGifWrite(error);
    auto close = [&]() {
        int closeError = 0;
        const int rc = EGifCloseFile(gif, &closeError);
        gif = nullptr;
        return rc == GIF_OK ? 0 : closeError;
    };
    try {
        EGifSetGifVersion(gif, true);
        if (EGifPutScreenDesc(gif, width, height, bits, 0, map.get()) == GIF_ERROR)
            FailGifWrite(gif->Error);
        if (transparentIndex >= 0) {
            GraphicsControlBlock gcb{};
            gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
            gcb.UserInputFlag = false;
            gcb.DelayTime = 0;
            gcb.TransparentColor = transparentIndex;
            GifByteType ext[4];
            const size_t len = EGifGCBToExtension(&gcb, ext);
            if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(len), ext) == GIF_ERROR)
                FailGifWrite(gif->Error);
        }
        if (EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_ERROR)
            FailGifWrite(gif->Error);
        std::vector<GifByteType> line(static_cast<size_t>(width));
        for (int y = 0; y < height; ++y) {
            std::memcpy(line.data(), indexed.constScanLine(y), size_t(width));
            if (EGifPutLine(gif, line.data(), width) == GIF_ERROR)
                FailGifWrite(gif->Error);
        }
    } catch (...) {
        close();
        throw;
    }
    if (const int closeError = close())
        FailGifWrite(closeError);
    return out;
}

// ===========================================================================
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
        Fail("Cannot write picture file " + QStringToWin1251(path) + ". " + Utf8ToWin1251(e.Reason()));
    }
}

void SavePictureFile(const QImage& image, const std::string& path, int jpegQuality)
{
    SavePictureFile(image, Win1251ToQString(path), jpegQuality);
}
