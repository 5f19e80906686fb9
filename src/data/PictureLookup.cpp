#include "data/PictureLookup.h"

#include <atomic>

#include "Library/Common/ExtUtils.h"
#include "Library/Common/ImageCodecs.h"
#include "Library/Common/ImageUtils.h"
#include "Library/Common/PackStream.h"
#include "data/CardText.h"
#include "data/Settings.h"

#include <QFileInfo>
#include <QString>

#include <cmath>
#include <utility>
#include <vector>

namespace {

// A plain file at a native (UTF-8) path; pack members do not count.
bool PlainFileExists(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).isFile();
}

std::string WithSeparator(std::string dir)
{
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

std::string WithoutChars(std::string_view text, std::string_view drop)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (drop.find(c) == std::string_view::npos)
            out += c;
    return out;
}

// Copies a rectangle of the picture into a new 24-bit bitmap; the rectangle must lie
// inside the picture.
QImage CopyRect24(const QImage& picture, int left, int top, int width, int height)
{
    return ToBitmap24(picture.copy(left, top, width, height));
}

} // namespace

std::string FramePicturePath(std::string_view colorCode, std::string_view name)
{
    std::string code(colorCode);
    if (name == "?")
        code = "S";
    if (code.empty())
        return std::string();
    static const std::pair<const char*, const char*> lands[] = {
        {"Plains", "W"}, {"Island", "U"}, {"Forest", "G"}, {"Mountain", "R"}, {"Swamp", "B"}};
    for (const auto& [land, letter] : lands) {
        if (TextEquals(name, land)) {
            code += letter;
            break;
        }
    }
    // The code comes from the card base; its file-system form keeps it inside "data".
    return BaseDir + "data/" + Win1251ToUtf8(code) + ".jpg";
}

std::string LargePicturePath(int32_t id)
{
    std::string s = std::to_string(id);
    while (s.size() < 5)
        s.insert(s.begin(), '0');
    const std::string folder = WithSeparator(MainDir) + "Images/largejpg/" + s.substr(0, 2) + "xxx/";
    const std::string full = folder + s + ".jpg";
    if (PlainFileExists(full))
        return full;
    return folder + s.substr(s.size() - 4) + ".jpg";
}

std::string SafeFileName(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '-' || c == '.' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
            (c >= 'a' && c <= 'z'))
            out += c;
    }
    return out;
}

uint8_t ToneCurve(uint8_t b)
{
    if (b < 12)
        return uint8_t(3 * b);
    if (b < 18)
        return uint8_t(2 * (b - 12) + 36);
    return uint8_t(RoundSaturated(224.0 * (b - 18) / 256.0) + 48);
}

std::atomic<int> EncyclopediaArtFallbacks{0};

void LoadArtPicture(std::string_view set, std::string_view artName, std::string_view fullName, int32_t id,
                    QImage& picture)
{
    picture = QImage();
    bool turn = false;
    std::string path;

    // The program's own small pictures below ImagesDir.
    auto ownArt = [&] {
        const std::string folder = ImagesDir + Win1251ToUtf8(set) + "/";
        const std::string name = WithoutChars(artName, ":\"");
        const std::string full(fullName);
        std::vector<std::string> tries = {
            folder + Win1251ToUtf8(name) + ".jpg",
            folder + SafeFileName(name) + ".jpg",
        };
        if (!full.empty()) {
            tries.push_back(folder + Win1251ToUtf8(full) + ".jpg");
            tries.push_back(folder + SafeFileName(full) + ".jpg");
            tries.push_back(folder + SafeFileName(full + name) + ".jpg");
            tries.push_back(folder + SafeFileName(full) + " (" + Win1251ToUtf8(name) + ").jpg");
        }
        turn = false;
        for (size_t i = 0; i < tries.size(); ++i) {
            if (PlainFileExists(tries[i])) {
                path = tries[i];
                return;
            }
            // A split card half without a picture of its own takes the whole card's
            // picture, which lies sideways.
            if (i == 1)
                turn = !full.empty();
        }
        path.clear();
    };

    if (ArtImageType == 0) {
        ownArt();
    } else if (ArtImageType == 1) {
        path = LargePicturePath(id);
        turn = fullName.find('/') != std::string_view::npos;
        // A card the encyclopedia has no scan of shows the program's own art rather
        // than an empty box.
        if (!PlainFileExists(path)) {
            ownArt();
            ++EncyclopediaArtFallbacks;
        }
    } else {
        return;
    }

    if (path.empty() || !PlainFileExists(path))
        return;

    // Opening errors reach the caller; a picture that cannot be decoded is no picture.
    std::string bytes;
    {
        TPackFileStream stream(path, fmOpenRead);
        bytes = stream.ReadAll();
    }

    QImage result;
    try {
        const QImage jpeg = DecodeJpeg(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        QImage cut;
        if (jpeg.width() == 312 && jpeg.height() == 445) {
            int left = 30, top = 34, width = 255, height = 207;
            if (fullName.find('/') != std::string_view::npos) {
                const auto halves = SplitAtMarker(fullName, "/");
                left = 33;
                top = TextEquals(artName, halves.second) ? 25 : 250;
                width = 113;
                height = 171;
            }
            cut = CopyRect24(jpeg, left, top, width, height);
        } else {
            cut = ToBitmap24(jpeg);
        }
        if (cut.isNull())
            return;
        if (turn) {
            QImage turned;
            RotateRight90(cut, turned);
            result = turned;
        } else {
            result = cut;
        }
    } catch (const Exception&) {
        return;
    } catch (const std::bad_alloc&) {
        return;
    }
    if (result.isNull())
        return;

    uint8_t curve[256];
    for (int b = 0; b < 256; ++b)
        curve[b] = ToneCurve(uint8_t(b));
    const int rowBytes = result.width() * 3;
    for (int y = 0; y < result.height(); ++y) {
        uchar* row = result.scanLine(y);
        for (int i = 0; i < rowBytes; ++i)
            row[i] = curve[row[i]];
    }
    picture = result;
}
