// GIF pictures through giflib.
#include "ImageCodecs.h"
#include "ImageCodecSupport.h"

#include "ImageUtils.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <gif_lib.h>

using namespace image_codecs;

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
