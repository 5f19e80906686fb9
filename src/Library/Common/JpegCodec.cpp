// JPEG pictures through libjpeg.
#include "ImageCodecs.h"
#include "ImageCodecSupport.h"

#include "ImageUtils.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

using namespace image_codecs;

namespace {

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
