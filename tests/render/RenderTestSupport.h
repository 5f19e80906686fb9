#pragma once
// Helpers of the renderer tests: the program's fonts, a throw-away data store with
// flat-coloured frame pictures and set symbols, saving and restoring the settings the
// renderer reads, and lookups in recorded draw calls.
#include "SavedFolders.h"
#include "Library/Common/ExtUtils.h"
#include "Library/Common/ImageCodecs.h"
#include "data/Card.h"
#include "data/Settings.h"
#include "render/Canvas.h"
#include "render/CardView.h"
#include "render/Fonts.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace rendertest {

// Registers the symbol font (from the data store beside the program, else from the
// sources) and the substitutes of the text fonts, once per process.
inline void EnsureFonts()
{
    static const bool done = [] {
        if (!RegisterProgramFonts(TOMELARK_BIN_DIR))
            QFontDatabase::addApplicationFont(QStringLiteral(TOMELARK_SOURCE_DIR "/assets/font/ZizorUvaride.ttf"));
        return true;
    }();
    (void)done;
}

inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

inline QImage Flat(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(c);
    return img;
}

// Frame colours of the test store, one per code; far apart so pixels tell them apart.
inline QColor FrameColor(const std::string& code)
{
    if (code == "R") return QColor(220, 40, 40);
    if (code == "U") return QColor(40, 40, 220);
    if (code == "G") return QColor(40, 200, 40);
    if (code == "B") return QColor(30, 30, 30);
    if (code == "L") return QColor(150, 110, 60);
    if (code == "S") return QColor(120, 60, 160);
    return QColor(200, 200, 200);
}

// Settings and flags the renderer reads, put back after each test.
class TRenderSettings {
public:
    TRenderSettings()
        : Text(CardTextType), Art(ArtImageType), Reminders(DrawReminderText), Grey(PrintGrayscale),
          Printing(IsPrinting), Shadow(CaptionShadowWidth), Main(MainDir)
    {
    }
    ~TRenderSettings()
    {
        CardTextType = Text;
        ArtImageType = Art;
        DrawReminderText = Reminders;
        PrintGrayscale = Grey;
        IsPrinting = Printing;
        CaptionShadowWidth = Shadow;
        MainDir = Main;
    }

private:
    uint8_t Text;
    int32_t Art;
    bool Reminders, Grey, Printing;
    int Shadow;
    std::string Main;
    TSavedFolders Folders; // the program's folders too
};

// A data store in a temporary folder: data/<code>.jpg frames of 300 x 433 in flat
// colours for the colour codes, the basic land frames and the back "S", and set
// symbols: "SQ" a square GIF (20 x 20) with a black square, "CL" the same in red,
// "WD" a wide BMP (40 x 20).
class TTestStore {
public:
    TTestStore()
    {
        EnsureFonts();
        const QString data = Dir.path() + "/data/";
        for (const char* code : {"W", "B", "U", "G", "R", "Z", "A", "L", "LW", "LU", "LG", "LR", "LB", "S"}) {
            std::string c = code;
            const QColor colour = FrameColor(c.size() == 2 ? c.substr(0, 1) : c);
            WriteFile(data + code + ".jpg", EncodeJpeg(Flat(300, 433, colour), 95));
        }
        // Square GIF symbol: transparent index 0 around a black disc.
        QImage gif(20, 20, QImage::Format_Indexed8);
        gif.setColorCount(2);
        gif.setColor(0, qRgb(255, 255, 255));
        gif.setColor(1, qRgb(0, 0, 0));
        gif.fill(0);
        for (int y = 4; y < 16; ++y)
            for (int x = 4; x < 16; ++x)
                gif.setPixel(x, y, 1);
        WriteFile(data + "SQ.gif", EncodeGif(gif, 0));
        gif.setColor(1, qRgb(230, 20, 20)); // "CL": the same in red
        WriteFile(data + "CL.gif", EncodeGif(gif, 0));
        // Wide BMP symbol: white background (its bottom-left pixel) around a dark bar.
        QImage bmp = Flat(40, 20, Qt::white);
        QPainter(&bmp).fillRect(4, 6, 32, 8, QColor(20, 20, 20));
        WriteFile(data + "WD_R.bmp", EncodeBmp(bmp));

        InitFolders(Dir.path().toStdString());
        ArtImageType = 0;
        CardTextType = 1;
        DrawReminderText = true;
        PrintGrayscale = false;
        IsPrinting = false;
        CaptionShadowWidth = 1;
    }
    QString Path() const { return Dir.path(); }

private:
    TRenderSettings Saved;
    QTemporaryDir Dir;
};

// Texts drawn in white: the visible part of captions (their shadows are black).
inline std::vector<TDrawRecord> WhiteTexts(const std::vector<TDrawRecord>& rec)
{
    std::vector<TDrawRecord> out;
    for (const TDrawRecord& r : rec)
        if (r.kind == TDrawRecord::Text && r.font.Color == QColor(Qt::white) && !r.text.empty())
            out.push_back(r);
    return out;
}

inline const TDrawRecord* FindText(const std::vector<TDrawRecord>& rec, const std::string& text)
{
    for (const TDrawRecord& r : rec)
        if (r.kind == TDrawRecord::Text && r.text == text)
            return &r;
    return nullptr;
}

inline std::vector<TDrawRecord> OfKind(const std::vector<TDrawRecord>& rec, TDrawRecord::Kind kind)
{
    std::vector<TDrawRecord> out;
    for (const TDrawRecord& r : rec)
        if (r.kind == kind)
            out.push_back(r);
    return out;
}

// Draws a card into a fresh picture of w x h pixels, recording the draw calls.
inline QImage Render(const TCard& card, int w, int h, std::vector<TDrawRecord>* rec = nullptr)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(Qt::white);
    TCanvas canvas(img);
    canvas.Recorder = rec;
    DrawCard(card, canvas, TRect{0, 0, w, h});
    return img;
}

// A creature of the green frame with English and Russian texts.
inline TCard Creature()
{
    TCard c;
    c.Name = "Grizzly Bears";
    c.Set = "SQ";
    c.Color = "G";
    c.Type = "Creature - Bear";
    c.Cost = "1G";
    c.PwrTgh = "2/2";
    c.Text = "Trample";
    c.Rarity = "C";
    c.NameR = Utf8ToWin1251("Гризли");
    c.TypeR = Utf8ToWin1251("Существо - Медведь");
    c.TextR = Utf8ToWin1251("Пробивной удар");
    c.MtgEncID = 1;
    return c;
}

} // namespace rendertest
