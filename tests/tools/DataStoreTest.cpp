// The data store's pictures and the symbol font, as the build leaves them beside the
// program: frames and card back, set symbols, the sample cards' art, the font.
#include <gtest/gtest.h>

#include "Library/Common/ImageCodecs.h"
#include "render/Fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainterPath>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

const QString kBin = QStringLiteral(TOMELARK_BIN_DIR);

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Mean brightness (0..255) of a rectangle of a picture.
double Brightness(const QImage& image, const QRect& r)
{
    double sum = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            sum += qGray(image.pixel(x, y));
    return sum / (r.width() * r.height());
}

} // namespace

TEST(DataStoreFrames, EveryFrameIsAFacePictureWithALightTextBoxAndDarkCaptionPlates)
{
    for (const char* code : {"W", "B", "U", "G", "R", "Z", "A", "L", "LW", "LU", "LG", "LR", "LB", "S"}) {
        SCOPED_TRACE(code);
        const QByteArray bytes = ReadAll(kBin + "/data/" + code + ".jpg");
        ASSERT_FALSE(bytes.isEmpty()) << "missing data/" << code << ".jpg";
        const QImage frame = DecodeJpeg(bytes);
        ASSERT_EQ(frame.size(), QSize(300, 433));
        if (std::string(code) == "S")
            continue;
        // Black rules text goes on the text box, white captions on the bands.
        EXPECT_GT(Brightness(frame, QRect(27, 271, 247, 120)), 185.0);
        EXPECT_LT(Brightness(frame, QRect(24, 8, 200, 14)), 150.0);    // title band
        EXPECT_LT(Brightness(frame, QRect(24, 244, 200, 14)), 150.0);  // type band
        EXPECT_LT(Brightness(frame, QRect(24, 405, 250, 20)), 150.0);  // bottom band
    }
}

TEST(DataStoreSetSymbols, EverySetHasThreeRaritiesOnATransparentGround)
{
    for (const char* set : {"7E", "IN", "PS", "AP", "OD", "TO", "JU", "ON"}) {
        for (const char* rarity : {"C", "U", "R"}) {
            SCOPED_TRACE(std::string(set) + "_" + rarity);
            const QByteArray bytes = ReadAll(kBin + "/data/" + set + "_" + rarity + ".gif");
            ASSERT_FALSE(bytes.isEmpty());
            const TGifPicture gif = DecodeGif(bytes);
            ASSERT_GE(gif.TransparentIndex, 0);
            const QImage& img = gif.Image;
            // The renderer keys out the colour of the bottom-left pixel.
            EXPECT_EQ(qAlpha(img.pixel(0, img.height() - 1)), 0);
            auto opaque = [&img](int x, int y) {
                return x >= 0 && y >= 0 && x < img.width() && y < img.height() && qAlpha(img.pixel(x, y)) != 0;
            };
            // The emblem's fill: opaque pixels away from its edge (the edge is a
            // contrasting outline).
            int count = 0;
            std::vector<int> warmth, grey;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    if (!opaque(x, y))
                        continue;
                    ++count;
                    ASSERT_NE(img.pixel(x, y), gif.TransparentColor) << "opaque pixel in the key colour";
                    bool inner = true;
                    for (int dy = -3; dy <= 3 && inner; ++dy)
                        for (int dx = -3; dx <= 3 && inner; ++dx)
                            inner = opaque(x + dx, y + dy);
                    if (!inner)
                        continue;
                    const QRgb px = img.pixel(x, y);
                    warmth.push_back(qRed(px) - qBlue(px));
                    grey.push_back(qGray(px));
                }
            ASSERT_GT(count, img.width() * img.height() / 5);
            ASSERT_GT(grey.size(), 10u);
            auto median = [](std::vector<int> v) {
                std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
                return v[v.size() / 2];
            };
            // Black common, silver uncommon, gold rare.
            switch (rarity[0]) {
            case 'C': EXPECT_LT(median(grey), 40); break;
            case 'U': EXPECT_GT(median(grey), 110); EXPECT_LT(std::abs(median(warmth)), 25); break;
            case 'R': EXPECT_GT(median(warmth), 60); break;
            }
        }
    }
}

TEST(DataStoreArt, EverySampleCardHasItsPictureUnderTheNameTheProgramLooksFor)
{
    QFile source(QStringLiteral(TOMELARK_SOURCE_DIR "/assets/cardbase.json"));
    if (!source.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no assets/cardbase.json";
    const QJsonArray cards = QJsonDocument::fromJson(source.readAll()).array();
    ASSERT_FALSE(cards.isEmpty());
    for (const QJsonValue& v : cards) {
        const QJsonObject card = v.toObject();
        const QString set = card["Set"].toString(), name = card["Name"].toString();
        const QString version = card["Version"].toString();
        QStringList files;
        if (name.contains('/'))
            files = name.split('/');  // one picture per half, named by the half
        else if (!version.isEmpty())
            files << name + QString(" (%1)").arg(version[0].unicode() & 7);
        else
            files << name;
        for (QString file : files) {
            file.remove(':').remove('"');
            const QString path = kBin + "/images/" + set + "/" + file + ".jpg";
            SCOPED_TRACE(path.toStdString());
            const QByteArray bytes = ReadAll(path);
            ASSERT_FALSE(bytes.isEmpty());
            EXPECT_EQ(DecodeJpeg(bytes).size(), QSize(255, 207));
        }
    }
    // Variants of one card get pictures of their own.
    EXPECT_NE(ReadAll(kBin + "/images/7E/Forest (1).jpg"), ReadAll(kBin + "/images/7E/Forest (2).jpg"));
}

TEST(DataStoreFont, SymbolFontRegistersWithEveryGlyphInsideItsCircle)
{
    ASSERT_TRUE(RegisterProgramFonts(TOMELARK_BIN_DIR));
    ASSERT_TRUE(RegisterProgramFonts(TOMELARK_BIN_DIR)) << "a second call must still succeed";
    QFont font(QStringLiteral("ZizorUvaride"));
    font.setPixelSize(100);
    ASSERT_EQ(QFontInfo(font).family(), QStringLiteral("ZizorUvaride"));
    const QFontMetricsF metrics(font);
    const QString glyphs = QStringLiteral("0123456789WUBRGTX/CO");
    for (QChar c : glyphs)
        EXPECT_TRUE(metrics.inFont(c)) << char(c.unicode());

    // The circle under a symbol is as wide as "O" and centred in the character cell;
    // "O" itself is that circle, and every other glyph stays inside it.
    const QRawFont raw = QRawFont::fromFont(font);
    ASSERT_TRUE(raw.isValid());
    auto outline = [&raw](QChar c) {
        return raw.pathForGlyph(raw.glyphIndexesForString(QString(c)).value(0));
    };
    const double size = metrics.horizontalAdvance(QStringLiteral("O"));
    const QRectF cell(0, -metrics.ascent(), size, metrics.height());
    const QRectF circle(0, cell.top() + (cell.height() - size) / 2, size, size);
    const QRectF o = outline('O').boundingRect();
    EXPECT_NEAR(o.width(), size, 1.0);
    EXPECT_NEAR(o.center().x(), circle.center().x(), 1.0);
    EXPECT_NEAR(o.center().y(), circle.center().y(), 1.0);
    for (QChar c : QStringLiteral("0123456789WUBRGTXC")) {
        const QPainterPath g = outline(c);
        SCOPED_TRACE(char(c.unicode()));
        ASSERT_GT(g.elementCount(), 3);
        // Every point of the outline lies well inside the circle.
        double farthest = 0;
        for (int i = 0; i < g.elementCount(); ++i) {
            const QPointF d = QPointF(g.elementAt(i)) - circle.center();
            farthest = std::max(farthest, std::hypot(d.x(), d.y()));
        }
        EXPECT_LT(farthest, size / 2 * 0.85);
    }
}

TEST(DataStoreFont, TextFontsFallBackToTheirFreeLookAlikes)
{
    RegisterProgramFonts(TOMELARK_BIN_DIR);
    const QStringList installed = QFontDatabase::families();
    const struct { const char* asked; const char* standIn; } fonts[] = {
        {"Georgia", "PT Serif"}, {"Palatino Linotype", "P052"}};
    for (const auto& f : fonts) {
        if (installed.contains(f.asked, Qt::CaseInsensitive) || !installed.contains(f.standIn))
            continue;  // the real font is there, or the stand-in is not installed
        EXPECT_EQ(QFontInfo(QFont(f.asked)).family(), QString(f.standIn)) << f.asked;
    }
}
