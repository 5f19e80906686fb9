// Card picture lookup: frame and encyclopedia paths, every try of the small art
// pictures, the cut of full card scans, split halves and their turn, undecodable
// files, and the tone curve. Pictures are small JPEGs written into temporary folders;
// their sizes tell which file was found.
#include "SavedFolders.h"
#include "Library/Common/ExtUtils.h"
#include "Library/Common/ImageCodecs.h"
#include "Library/Common/PackStream.h"
#include "data/PictureLookup.h"
#include "data/Settings.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PictureLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        SavedArt = ArtImageType;
        SavedMain = MainDir;
        InitFolders(Dir.path().toStdString());
        MainDir = (Dir.path() + "/game").toStdString();
        ArtImageType = 0;
    }
    void TearDown() override
    {
        ArtImageType = SavedArt;
        MainDir = SavedMain;
    }

    // Writes a JPEG of w x h pixels in one grey level at a path below the temp folder.
    void Jpeg(const QString& relative, int w, int h, int level = 128)
    {
        QImage img(w, h, QImage::Format_RGB888);
        img.fill(QColor(level, level, level));
        Write(relative, EncodeJpeg(img, 95));
    }
    void Write(const QString& relative, const QByteArray& bytes)
    {
        const QString path = Dir.path() + "/" + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QSize Load(const std::string& set, const std::string& art, const std::string& full = "", int id = 0)
    {
        QImage pic(5, 5, QImage::Format_RGB888); // replaced whatever happens
        LoadArtPicture(set, art, full, id, pic);
        return pic.isNull() ? QSize() : pic.size();
    }

    QTemporaryDir Dir;
    int32_t SavedArt = 0;
    std::string SavedMain;
    TSavedFolders SavedFolders;
};

} // namespace

TEST_F(PictureLookup, FramePaths)
{
    const std::string data = BaseDir + "data/";
    EXPECT_EQ(FramePicturePath("L", "plains"), data + "LW.jpg");
    EXPECT_EQ(FramePicturePath("L", "ISLAND"), data + "LU.jpg");
    EXPECT_EQ(FramePicturePath("L", "Forest"), data + "LG.jpg");
    EXPECT_EQ(FramePicturePath("L", "Mountain"), data + "LR.jpg");
    EXPECT_EQ(FramePicturePath("L", "swamp"), data + "LB.jpg");
    EXPECT_EQ(FramePicturePath("", "?"), data + "S.jpg");
    EXPECT_EQ(FramePicturePath("G", "?"), data + "S.jpg");
    EXPECT_EQ(FramePicturePath("", "Grizzly Bears"), "");
    EXPECT_EQ(FramePicturePath("Z", "Swampy"), data + "Z.jpg");
}

TEST_F(PictureLookup, EncyclopediaPaths)
{
    const std::string base = MainDir + "/Images/largejpg/";
    EXPECT_EQ(LargePicturePath(1234), base + "01xxx/1234.jpg");
    EXPECT_EQ(LargePicturePath(123456), base + "12xxx/3456.jpg");
    Jpeg("game/Images/largejpg/01xxx/01234.jpg", 8, 8);
    Jpeg("game/Images/largejpg/12xxx/123456.jpg", 8, 8);
    EXPECT_EQ(LargePicturePath(1234), base + "01xxx/01234.jpg");
    EXPECT_EQ(LargePicturePath(123456), base + "12xxx/123456.jpg");
    EXPECT_EQ(LargePicturePath(7), base + "00xxx/0007.jpg");
}

TEST_F(PictureLookup, SafeFileNames)
{
    EXPECT_EQ(SafeFileName("Lightning Bolt (2)"), "LightningBolt2");
    EXPECT_EQ(SafeFileName("Ach! Hans, Run!"), "AchHansRun");
    EXPECT_EQ(SafeFileName("Serra's_Sanctum-1.jpg"), "Serras_Sanctum-1.jpg");
    EXPECT_EQ(SafeFileName(Utf8ToWin1251("Гризли Bears")), "Bears");
    EXPECT_EQ(SafeFileName(""), "");
}

TEST_F(PictureLookup, ToneCurveValues)
{
    const std::pair<int, int> table[] = {{0, 0},     {1, 3},     {11, 33},   {12, 36},   {17, 46},
                                         {18, 48},   {22, 52},   {30, 58},   {128, 144}, {200, 207},
                                         {255, 255}};
    for (const auto& [in, out] : table)
        EXPECT_EQ(ToneCurve(uint8_t(in)), out) << in;
    for (int b = 1; b < 256; ++b)
        EXPECT_GE(ToneCurve(uint8_t(b)), ToneCurve(uint8_t(b - 1))) << b;
}

// The six tries, in order; each found file is told apart by its size.
TEST_F(PictureLookup, SmallPictureTries)
{
    // 1: the art name as it is; 2: its safe file-name form.
    Jpeg("images/7E/Forest1.jpg", 12, 10);
    EXPECT_EQ(Load("7E", "Forest (1)"), QSize(12, 10));
    Jpeg("images/7E/Forest (1).jpg", 11, 10);
    EXPECT_EQ(Load("7E", "Forest (1)"), QSize(11, 10));
    // Colons and double quotes are removed, the blank kept; then the safe form.
    Jpeg("images/7E/NameSub.jpg", 13, 10);
    EXPECT_EQ(Load("7E", "Name: \"Sub\""), QSize(13, 10));
    Jpeg("images/7E/Name Sub.jpg", 14, 10);
    EXPECT_EQ(Load("7E", "Name: \"Sub\""), QSize(14, 10));
    // Russian names are looked up in the file system's encoding.
    Jpeg(QString::fromUtf8("images/7E/Гризли.jpg"), 15, 10);
    EXPECT_EQ(Load("7E", Utf8ToWin1251("Гризли")), QSize(15, 10));
    // Nothing found, other set, another letter case: no picture.
    EXPECT_EQ(Load("IN", "Forest (1)"), QSize());
    EXPECT_EQ(Load("7E", "forest (1)"), QSize());
    // A folder of that name is not a picture.
    QDir().mkpath(Dir.path() + "/images/7E/Folder.jpg");
    EXPECT_EQ(Load("7E", "Folder"), QSize());
}

// A half of a split card without its own picture takes the whole card's picture, by
// the full name and its variants, turned a quarter clockwise; its own picture is not
// turned.
TEST_F(PictureLookup, SplitHalves)
{
    const std::string full = "Fire/Ice";
    EXPECT_EQ(Load("IN", "Fire", full), QSize());
    Jpeg("images/IN/FireIce (Fire).jpg", 30, 20); // try 6
    EXPECT_EQ(Load("IN", "Fire", full), QSize(20, 30));
    Jpeg("images/IN/FireIceFire.jpg", 31, 20); // try 5
    EXPECT_EQ(Load("IN", "Fire", full), QSize(20, 31));
    Jpeg("images/IN/FireIce.jpg", 32, 20); // try 4
    EXPECT_EQ(Load("IN", "Fire", full), QSize(20, 32));
    EXPECT_EQ(Load("IN", "Ice", full), QSize(20, 32));
    Jpeg("images/IN/Fire.jpg", 33, 20); // the half's own picture
    EXPECT_EQ(Load("IN", "Fire", full), QSize(33, 20));
    // Without a full name the whole-card tries are not made.
    EXPECT_EQ(Load("IN", "Ice"), QSize());
}

// A picture of 312 x 445 is a full card scan: the art is cut out of it; for a split
// card the half named second in the full name sits at the top, the first below.
TEST_F(PictureLookup, CardScansAreCut)
{
    QImage scan(312, 445, QImage::Format_RGB888);
    scan.fill(QColor(0, 0, 0));
    {
        QPainter p(&scan);
        p.fillRect(30, 34, 255, 207, QColor(100, 100, 100));   // single card art
        p.fillRect(33, 25, 113, 171, QColor(200, 200, 200));   // second half
        p.fillRect(33, 250, 113, 171, QColor(30, 30, 30));     // first half
    }
    Write("images/7E/Scan.jpg", EncodeJpeg(scan, 100));
    QImage pic;
    LoadArtPicture("7E", "Scan", "", 0, pic);
    ASSERT_EQ(pic.size(), QSize(255, 207));
    EXPECT_NEAR(pic.pixelColor(127, 103).red(), ToneCurve(100), 3);
    EXPECT_NEAR(pic.pixelColor(2, 2).red(), ToneCurve(100), 6);

    // Encyclopedia scans of a split card, by id.
    ArtImageType = 1;
    Write("game/Images/largejpg/01xxx/01234.jpg", EncodeJpeg(scan, 100));
    LoadArtPicture("IN", "Ice", "Fire/Ice", 1234, pic);
    ASSERT_EQ(pic.size(), QSize(171, 113));
    EXPECT_NEAR(pic.pixelColor(85, 56).red(), ToneCurve(200), 3);
    LoadArtPicture("IN", "fire", "Fire/Ice", 1234, pic);
    ASSERT_EQ(pic.size(), QSize(171, 113));
    EXPECT_NEAR(pic.pixelColor(85, 56).red(), ToneCurve(30), 3);
    // A single card from the encyclopedia.
    LoadArtPicture("IN", "Scan", "", 1234, pic);
    EXPECT_EQ(pic.size(), QSize(255, 207));
    // Any other size is used whole; a split card's picture is still turned.
    Jpeg("game/Images/largejpg/00xxx/00042.jpg", 40, 30);
    LoadArtPicture("IN", "X", "", 42, pic);
    EXPECT_EQ(pic.size(), QSize(40, 30));
    LoadArtPicture("IN", "X", "X/Y", 42, pic);
    EXPECT_EQ(pic.size(), QSize(30, 40));
    EXPECT_EQ(pic.format(), QImage::Format_RGB888);
    // No picture for that id, or no collection chosen.
    EXPECT_EQ(Load("IN", "X", "", 43), QSize());
    ArtImageType = 2;
    EXPECT_EQ(Load("IN", "X", "", 42), QSize());
}

TEST_F(PictureLookup, ToneCurveIsApplied)
{
    Jpeg("images/7E/Grey.jpg", 16, 16, 128);
    Jpeg("images/7E/Dark.jpg", 16, 16, 22);
    QImage pic;
    LoadArtPicture("7E", "Grey", "", 0, pic);
    EXPECT_NEAR(pic.pixelColor(8, 8).green(), 144, 2);
    LoadArtPicture("7E", "Dark", "", 0, pic);
    EXPECT_NEAR(pic.pixelColor(8, 8).green(), 52, 3);
}

// A file that exists but is no JPEG is no picture, and no error.
TEST_F(PictureLookup, UndecodablePictureIsNone)
{
    Write("images/7E/Broken.jpg", QByteArray("this is not a picture"));
    Write("images/7E/Cut.jpg", EncodeJpeg(QImage(20, 20, QImage::Format_RGB888), 90).left(40));
    EXPECT_EQ(Load("7E", "Broken"), QSize());
    EXPECT_EQ(Load("7E", "Cut"), QSize());
}
