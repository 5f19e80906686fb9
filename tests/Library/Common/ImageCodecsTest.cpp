#include "Library/Common/ImageCodecs.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>

namespace {

// The message of the EImageError that `action` raises, or "<no error>".
std::string ImageErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EImageError& e) {
        return e.Message();
    }
    return "<no error>";
}

#define EXPECT_IMAGE_ERROR(action, prefix)                                                   \
    do {                                                                                     \
        const std::string message_ = ImageErrorOf([&] { action; });                          \
        EXPECT_EQ(message_.rfind(prefix, 0), 0u) << "message: " << message_;                \
    } while (0)

QImage Gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(255 * x / (w - 1), 255 * y / (h - 1), 255 * (x + y) / (w + h - 2)));
    return image;
}

double MeanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < 3 * a.width(); ++x)
            sum += std::abs(int(a.constScanLine(y)[x]) - int(b.constScanLine(y)[x]));
    return sum / (3.0 * a.width() * a.height());
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// A JPEG in another colour space, written straight with libjpeg: 1 component (grey)
// or 4 (CMYK, stored inverted with an Adobe marker as Photoshop does).
QByteArray RawJpeg(int w, int h, J_COLOR_SPACE space, int components,
                   const std::function<uint8_t(int x, int y, int c)>& sample)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(size_t(w * components));
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < components; ++c)
                row[size_t(x * components + c)] = sample(x, int(cinfo.next_scanline), c);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

// A GIF written straight with giflib: one frame of fw x fh at (left, top) on a screen
// of sw x sh, optionally interlaced; pixel values from `index`.
QByteArray RawGif(int sw, int sh, int left, int top, int fw, int fh, bool interlace,
                  const std::function<uint8_t(int x, int y)>& index)
{
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* b, int n) {
        static_cast<QByteArray*>(g->UserData)->append(reinterpret_cast<const char*>(b), n);
        return n;
    }, &error);
    ColorMapObject* map = GifMakeMapObject(4, nullptr);
    const GifColorType colors[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int i = 0; i < 4; ++i)
        map->Colors[i] = colors[i];
    EGifPutScreenDesc(gif, sw, sh, 2, 0, map);
    EGifPutImageDesc(gif, left, top, fw, fh, interlace, nullptr);
    std::vector<GifPixelType> line(static_cast<size_t>(fw));
    auto put = [&](int y) {
        for (int x = 0; x < fw; ++x)
            line[size_t(x)] = index(x, y);
        EGifPutLine(gif, line.data(), fw);
    };
    if (interlace) {
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < fh; y += step[pass])
                put(y);
    } else {
        for (int y = 0; y < fh; ++y)
            put(y);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

QImage PaletteImage(int w, int h)
{
    QImage image(w, h, QImage::Format_Indexed8);
    image.setColorCount(5);
    const QRgb colors[5] = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(200, 30, 40), qRgb(10, 120, 250), qRgb(7, 8, 9)};
    for (int i = 0; i < 5; ++i)
        image.setColor(i, colors[i]);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.scanLine(y)[x] = uchar((x + 2 * y) % 5);
    return image;
}

} // namespace

// ---------------------------------------------------------------------------
// JPEG.

TEST(Jpeg, RoundTripAndQuality)
{
    const QImage src = Gradient(64, 48);
    const QByteArray high = EncodeJpeg(src, 95);
    const QByteArray low = EncodeJpeg(src, 20);
    EXPECT_LT(low.size(), high.size());
    EXPECT_EQ(EncodeJpeg(src, 500), EncodeJpeg(src, 100)); // quality clamped

    const QImage decoded = DecodeJpeg(high);
    ASSERT_EQ(decoded.size(), src.size());
    EXPECT_EQ(decoded.format(), QImage::Format_RGB888);
    EXPECT_LT(MeanDifference(decoded, src), 3.0);
    EXPECT_GT(MeanDifference(DecodeJpeg(low), src), MeanDifference(decoded, src));

    // Resolution travels as dots per inch.
    QImage dpi = src;
    dpi.setDotsPerMeterX(11811); // 300 dpi
    dpi.setDotsPerMeterY(11811);
    EXPECT_NEAR(DecodeJpeg(EncodeJpeg(dpi)).dotsPerMeterX(), 11811, 1);

    // Pictures with alpha are flattened, not refused.
    QImage argb(8, 8, QImage::Format_ARGB32);
    argb.fill(qRgba(255, 0, 0, 255));
    EXPECT_EQ(DecodeJpeg(EncodeJpeg(argb)).size(), QSize(8, 8));
    EXPECT_IMAGE_ERROR(EncodeJpeg(QImage()), "Cannot encode an empty picture");
}

TEST(Jpeg, GreyAndCmykFilesBecomeRgb)
{
    const QImage grey = DecodeJpeg(RawJpeg(16, 16, JCS_GRAYSCALE, 1, [](int x, int, int) {
        return uint8_t(x * 16);
    }));
    ASSERT_EQ(grey.format(), QImage::Format_RGB888);
    const QRgb g = grey.pixel(8, 3);
    EXPECT_NEAR(qRed(g), 128, 3);
    EXPECT_EQ(qRed(g), qGreen(g));
    EXPECT_EQ(qRed(g), qBlue(g));

    // libjpeg marks CMYK files with an Adobe marker, and such files hold the inks
    // inverted: red (no cyan, full magenta and yellow, no black) is stored as
    // 255, 0, 0, 255.
    const QImage red = DecodeJpeg(RawJpeg(16, 16, JCS_CMYK, 4, [](int, int, int c) {
        return uint8_t(c == 0 || c == 3 ? 255 : 0);
    }));
    const QRgb r = red.pixel(5, 5);
    EXPECT_GT(qRed(r), 245);
    EXPECT_LT(qGreen(r), 10);
    EXPECT_LT(qBlue(r), 10);
}

TEST(Jpeg, DamagedDataRaises)
{
    const QByteArray good = EncodeJpeg(Gradient(40, 40), 90);
    for (qsizetype cut : {qsizetype(1), qsizetype(2), qsizetype(20), good.size() / 2, good.size() - 2}) {
        SCOPED_TRACE(cut);
        EXPECT_IMAGE_ERROR(DecodeJpeg(good.left(cut)), "Truncated JPEG data");
    }
    EXPECT_IMAGE_ERROR(DecodeJpeg(QByteArray()), "Invalid JPEG data");
    EXPECT_IMAGE_ERROR(DecodeJpeg(QByteArray("GIF89a not a jpeg")), "Invalid JPEG data");

    // Zero height in the frame header.
    QByteArray zero = good;
    const qsizetype sof = zero.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    zero[sof + 5] = 0;
    zero[sof + 6] = 0;
    EXPECT_IMAGE_ERROR(DecodeJpeg(zero), "Invalid JPEG data");

    // A marker in the middle of the entropy-coded data.
    const qsizetype sos = good.indexOf("\xFF\xDA");
    ASSERT_GT(sos, 0);
    const qsizetype middle = (sos + good.size()) / 2;
    QByteArray marker = good;
    marker[middle] = char(0xFF);
    marker[middle + 1] = char(0xC4);
    EXPECT_IMAGE_ERROR(DecodeJpeg(marker), "Invalid JPEG data");
}

// A header asking for a picture beyond anything the program draws (16,384 pixels a
// side, 64 million pixels) is refused before any memory is taken for it, and a GIF
// whose blocks run on to the end of the file ends as damaged data.
TEST(Pictures, SizesBeyondWhatIsDrawnAreRefusedBeforeDecoding)
{
    const QByteArray jpeg = EncodeJpeg(Gradient(16, 8), 90);
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    auto jpegOf = [&](int width, int height) {
        QByteArray b = jpeg;
        b[sof + 5] = char(height >> 8);
        b[sof + 6] = char(height & 0xFF);
        b[sof + 7] = char(width >> 8);
        b[sof + 8] = char(width & 0xFF);
        return b;
    };
    const QByteArray gif = EncodeGif(PaletteImage(4, 4), -1);
    auto gifScreenOf = [&](int width, int height) {
        QByteArray b = gif;
        b[6] = char(width & 0xFF);
        b[7] = char(width >> 8);
        b[8] = char(height & 0xFF);
        b[9] = char(height >> 8);
        return b;
    };
    // Header, screen without colour table, then comment blocks to the end of the file.
    QByteArray endlessBlocks("GIF89a\x04\x00\x04\x00\x00\x00\x00\x21\xFE", 15);
    for (int i = 0; i < 20000; ++i)
        endlessBlocks.append("\x0Acomment...", 11);
    const struct {
        const char* what;
        std::function<void()> decode;
        const char* message;
    } cases[] = {
        {"JPEG 16,385 pixels wide", [&] { DecodeJpeg(jpegOf(16385, 8)); }, "Unsupported JPEG: picture too large"},
        {"JPEG 10,000 x 10,000", [&] { DecodeJpeg(jpegOf(10000, 10000)); }, "Unsupported JPEG: picture too large"},
        {"JPEG at the side limit: decoded, and short of data", [&] { DecodeJpeg(jpegOf(16384, 8)); },
         "Invalid JPEG data"},
        {"GIF screen 20,000 wide", [&] { DecodeGif(gifScreenOf(20000, 4)); }, "Unsupported GIF: picture too large"},
        {"GIF screen 9,000 x 9,000", [&] { DecodeGif(gifScreenOf(9000, 9000)); }, "Unsupported GIF: picture too large"},
        {"GIF blocks to the end", [&] { DecodeGif(endlessBlocks); }, "Truncated GIF data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_IMAGE_ERROR(c.decode(), c.message);
    }
}

TEST(Jpeg, RandomDamageNeverEscapes)
{
    // Whatever the damage, the decoder either returns a picture or raises EImageError
    // (under the sanitizers this also checks memory use).
    const QByteArray good = EncodeJpeg(Gradient(32, 24), 75);
    std::mt19937 rng(11);
    int raised = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray bad = good;
        const int hits = 1 + int(rng() % 4);
        for (int i = 0; i < hits; ++i)
            bad[qsizetype(rng() % uint32_t(bad.size()))] = char(rng());
        try {
            const QImage image = DecodeJpeg(bad);
            EXPECT_FALSE(image.isNull());
        } catch (const EImageError&) {
            ++raised;
        }
    }
    EXPECT_GT(raised, 0);
}

// ---------------------------------------------------------------------------
// GIF.

TEST(Gif, RoundTripWithTransparency)
{
    const QImage src = PaletteImage(13, 7);
    const QByteArray bytes = EncodeGif(src, 2);
    ASSERT_TRUE(bytes.startsWith("GIF89a"));
    const TGifPicture gif = DecodeGif(bytes);
    ASSERT_EQ(gif.Image.size(), src.size());
    EXPECT_EQ(gif.Image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(gif.TransparentIndex, 2);
    EXPECT_EQ(gif.TransparentColor, qRgb(200, 30, 40));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) {
            const int index = src.pixelIndex(x, y);
            const QRgb expected = index == 2 ? qRgba(200, 30, 40, 0) : src.color(index);
            ASSERT_EQ(gif.Image.pixel(x, y), expected) << x << "," << y;
        }

    const TGifPicture opaque = DecodeGif(EncodeGif(src));
    EXPECT_EQ(opaque.TransparentIndex, -1);
    EXPECT_EQ(opaque.TransparentColor, 0u);
    EXPECT_EQ(opaque.Image.pixel(2, 0), qRgb(200, 30, 40));

    // The transparent index may lie beyond the colours in use.
    EXPECT_EQ(DecodeGif(EncodeGif(src, 255)).TransparentIndex, 255);
}

TEST(Gif, EncoderRefusesBadInput)
{
    QImage src = PaletteImage(4, 4);
    src.scanLine(1)[1] = 9; // beyond the 5 colours
    EXPECT_IMAGE_ERROR(EncodeGif(src), "Cannot encode GIF");
    EXPECT_IMAGE_ERROR(EncodeGif(PaletteImage(4, 4), 256), "Cannot encode GIF");
    EXPECT_IMAGE_ERROR(EncodeGif(QImage()), "Cannot encode an empty picture");
    // Other formats are reduced to a palette first.
    QImage rgb(6, 6, QImage::Format_RGB32);
    rgb.fill(qRgb(0, 0, 255));
    EXPECT_EQ(DecodeGif(EncodeGif(rgb)).Image.pixel(3, 3), qRgb(0, 0, 255));
}

TEST(Gif, InterlacedFramesAndFramesOnALargerScreen)
{
    auto index = [](int x, int y) { return uint8_t((x + y * 3) % 4); };
    const TGifPicture inter = DecodeGif(RawGif(5, 19, 0, 0, 5, 19, true, index));
    ASSERT_EQ(inter.Image.size(), QSize(5, 19));
    const QRgb colors[4] = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(inter.Image.pixel(x, y), colors[index(x, y)]) << x << "," << y;

    // Screen parts the frame does not cover stay transparent.
    const TGifPicture framed = DecodeGif(RawGif(10, 8, 3, 2, 4, 5, false, index));
    ASSERT_EQ(framed.Image.size(), QSize(10, 8));
    EXPECT_EQ(qAlpha(framed.Image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(framed.Image.pixel(9, 7)), 0);
    EXPECT_EQ(framed.Image.pixel(3 + 1, 2 + 1), colors[index(1, 1)]);

    // A frame reaching beyond the screen widens the picture rather than being cut.
    EXPECT_EQ(DecodeGif(RawGif(4, 4, 2, 0, 6, 4, false, index)).Image.size(), QSize(8, 4));
}

TEST(Gif, DamagedDataRaises)
{
    const QByteArray good = EncodeGif(PaletteImage(30, 20), 1);
    for (qsizetype cut : {qsizetype(3), qsizetype(10), qsizetype(13), qsizetype(40), good.size() / 2, good.size() - 3}) {
        SCOPED_TRACE(cut);
        EXPECT_IMAGE_ERROR(DecodeGif(good.left(cut)), "Truncated GIF data");
    }
    EXPECT_IMAGE_ERROR(DecodeGif(QByteArray()), "Invalid GIF data");
    EXPECT_IMAGE_ERROR(DecodeGif(QByteArray("PNG89a and more bytes here")), "Invalid GIF data");
    // Only a header, a screen and the trailer: no image.
    QByteArray noImage("GIF89a\x02\x00\x02\x00\x00\x00\x00;", 14);
    EXPECT_IMAGE_ERROR(DecodeGif(noImage), "Invalid GIF data");

    std::mt19937 rng(5);
    for (int round = 0; round < 300; ++round) {
        QByteArray bad = good;
        bad[qsizetype(13 + rng() % uint32_t(bad.size() - 13))] = char(rng());
        try {
            EXPECT_FALSE(DecodeGif(bad).Image.isNull());
        } catch (const EImageError&) {
        }
    }
}

// ---------------------------------------------------------------------------
// Windows bitmaps.

TEST(Bmp, ExactRoundTripAndLayout)
{
    QImage src(5, 3, QImage::Format_RGB888); // 15 bytes a row, padded to 16
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            src.setPixel(x, y, qRgb(x * 50, y * 100, 7 + x + y));
    src.setDotsPerMeterX(2835);
    src.setDotsPerMeterY(3780);
    const QByteArray bmp = EncodeBmp(src);
    ASSERT_EQ(bmp.size(), 54 + 16 * 3);
    EXPECT_TRUE(bmp.startsWith("BM"));
    EXPECT_EQ(uint8_t(bmp[2]), 54 + 48);
    EXPECT_EQ(uint8_t(bmp[10]), 54);
    // First stored row is the bottom one, blue first.
    EXPECT_EQ(uint8_t(bmp[54]), 7 + 0 + 2);
    EXPECT_EQ(uint8_t(bmp[55]), 200);
    EXPECT_EQ(uint8_t(bmp[56]), 0);

    const QImage back = DecodeBmp(bmp);
    EXPECT_EQ(back.format(), QImage::Format_RGB888);
    EXPECT_EQ(back, src);
    EXPECT_EQ(back.dotsPerMeterX(), 2835);
    EXPECT_EQ(back.dotsPerMeterY(), 3780);

    // A top-down file: negative height, rows stored top first.
    QByteArray topDown = bmp;
    const int32_t negative = -3;
    std::memcpy(topDown.data() + 22, &negative, 4);
    for (int y = 0; y < 3; ++y)
        std::memcpy(topDown.data() + 54 + 16 * y, bmp.constData() + 54 + 16 * (2 - y), 16);
    EXPECT_EQ(DecodeBmp(topDown), src);

    // A last row without its padding is accepted.
    EXPECT_EQ(DecodeBmp(bmp.left(bmp.size() - 1)), src);
}

TEST(Bmp, RefusesWhatItCannotRead)
{
    const QByteArray good = EncodeBmp(Gradient(9, 9));
    EXPECT_IMAGE_ERROR(DecodeBmp(good.left(good.size() - 5)), "Truncated BMP data");
    EXPECT_IMAGE_ERROR(DecodeBmp(good.left(30)), "Truncated BMP data");
    EXPECT_IMAGE_ERROR(DecodeBmp(good.left(16)), "Truncated BMP data");
    EXPECT_IMAGE_ERROR(DecodeBmp(QByteArray()), "Invalid BMP data");
    EXPECT_IMAGE_ERROR(DecodeBmp(QByteArray("XM").append(good.mid(2))), "Invalid BMP data");

    auto patched = [&](int offset, const void* value, int size) {
        QByteArray b = good;
        std::memcpy(b.data() + offset, value, size_t(size));
        return b;
    };
    const uint16_t bits32 = 32, bits8 = 8;
    const uint32_t rle8 = 1, core = 12, offInHeader = 20;
    const int32_t zero = 0, huge = 1 << 30;
    EXPECT_IMAGE_ERROR(DecodeBmp(patched(28, &bits32, 2)), "Unsupported BMP: 32 bits per pixel");
    EXPECT_IMAGE_ERROR(DecodeBmp(patched(28, &bits8, 2)), "Unsupported BMP: 8 bits per pixel");
    EXPECT_IMAGE_ERROR(DecodeBmp(patched(30, &rle8, 4)), "Unsupported BMP: compressed");
    EXPECT_IMAGE_ERROR(DecodeBmp(patched(14, &core, 4)), "Unsupported BMP: OS/2");
    EXPECT_IMAGE_ERROR(DecodeBmp(patched(10, &offInHeader, 4)), "Invalid BMP data");
    EXPECT_IMAGE_ERROR(DecodeBmp(patched(18, &zero, 4)), "Invalid BMP data: empty picture");
    // A huge size in the header is refused before anything is allocated.
    QByteArray big = patched(18, &huge, 4);
    std::memcpy(big.data() + 22, &huge, 4);
    EXPECT_IMAGE_ERROR(DecodeBmp(big), "Unsupported BMP: picture too large");
    const int32_t wide = 16000; // within the limits, but the data is not there
    EXPECT_IMAGE_ERROR(DecodeBmp(patched(18, &wide, 4)), "Truncated BMP data");
    const int32_t tooWide = 16385; // a few rows, but wider than any picture is drawn
    EXPECT_IMAGE_ERROR(DecodeBmp(patched(18, &tooWide, 4)), "Unsupported BMP: picture too large");
}

// ---------------------------------------------------------------------------
// Files.

TEST(PictureFiles, LoadAndSaveByExtension)
{
    QTemporaryDir dir;
    const QImage src = Gradient(20, 10);

    SavePictureFile(src, dir.filePath("a.BMP"));
    EXPECT_EQ(LoadPictureFile(dir.filePath("a.BMP")), src);
    SavePictureFile(src, QStringToWin1251(dir.filePath("b.jpeg")), 90);
    const QImage jpeg = LoadPictureFile(QStringToWin1251(dir.filePath("b.jpeg")));
    EXPECT_EQ(jpeg.size(), src.size());
    EXPECT_LT(MeanDifference(jpeg, src), 4.0);

    WriteFile(dir.filePath("c.gif"), EncodeGif(PaletteImage(6, 6), 0));
    const QImage gif = LoadPictureFile(dir.filePath("c.gif"));
    EXPECT_EQ(gif.format(), QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(gif.pixel(0, 0)), 0);

    // A misnamed file is read by its content.
    WriteFile(dir.filePath("misnamed.jpg"), ReadFile(dir.filePath("a.BMP")));
    EXPECT_EQ(LoadPictureFile(dir.filePath("misnamed.jpg")), src);

    // Damage is reported in the extension's format when the content says nothing.
    WriteFile(dir.filePath("broken.jpg"), QByteArray("not a picture"));
    EXPECT_IMAGE_ERROR(LoadPictureFile(dir.filePath("broken.jpg")), "Invalid JPEG data");
    WriteFile(dir.filePath("notes.txt"), QByteArray("not a picture"));
    EXPECT_IMAGE_ERROR(LoadPictureFile(dir.filePath("notes.txt")), "Unsupported picture format");
    EXPECT_IMAGE_ERROR(LoadPictureFile(dir.filePath("missing.jpg")), "Cannot read picture file");
    EXPECT_IMAGE_ERROR(SavePictureFile(src, dir.filePath("x.png")), "Unsupported picture format");
    EXPECT_IMAGE_ERROR(SavePictureFile(src, dir.filePath("no/such/folder/x.bmp")),
                       Utf8ToWin1251("Не удается записать файл картинки"));
}
