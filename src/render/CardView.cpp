#include "render/CardView.h"

#include "Library/Common/ImageCodecs.h"
#include "Library/Common/ImageUtils.h"
#include "Library/Common/PackStream.h"
#include "data/CardText.h"
#include "data/PictureLookup.h"
#include "data/Settings.h"
#include "render/ManaSymbols.h"
#include "render/RulesText.h"

#include <algorithm>
#include <cmath>
#include <set>

QImage CardPicture(300, 433, kBitmap24Format);
bool IsPrinting = false;
int CaptionShadowWidth = 1;
std::function<void(const std::string& message)> OnPictureError;

namespace {

constexpr const char* CaptionFont = "Palatino Linotype";
const QColor MidGrey(128, 128, 128);

// The regions of the face in the drawing space, built from rounded pieces of the
// reference face's units.
struct TFace {
    int32_t L, T, Rt, B;
    double sx, sy;

    int32_t X(double a) const { return RoundSaturated(a * sx); }
    int32_t Y(double a) const { return RoundSaturated(a * sy); }

    TRect Art() const
    {
        TRect a;
        a.Left = L + X(23);
        a.Top = T - Y(29);
        a.Right = a.Left + X(255);
        a.Bottom = a.Top - Y(207);
        return a;
    }
    TRect TextBox() const
    {
        TRect t;
        t.Left = L + X(23);
        t.Top = T - Y(267);
        t.Right = t.Left + X(255);
        t.Bottom = t.Top - Y(128);
        return t;
    }
    TRect TitleBand() const
    {
        const TRect a = Art();
        return TRect{a.Left - X(4), T - Y(4), a.Right + X(10), a.Top + Y(4)};
    }
    TRect SetSymbol(int32_t w) const
    {
        const TRect a = Art();
        const TRect t = TextBox();
        return TRect{a.Right + X(3) - w, a.Bottom - Y(6), a.Right + X(3), t.Top + Y(6)};
    }
    TRect TypeBand(int32_t w) const
    {
        const TRect a = Art();
        const TRect t = TextBox();
        return TRect{a.Left - X(4), a.Bottom, a.Right + X(4) - w, t.Top + Y(3)};
    }
    TRect PowerBand() const
    {
        const TRect t = TextBox();
        return TRect{t.Left - X(4), t.Bottom, t.Right + X(8), B};
    }
    TRect BottomLineBand(int32_t p) const
    {
        const TRect t = TextBox();
        return TRect{t.Left - X(4), t.Bottom - Y(8), PowerBand().Right - RoundSaturated(1.2 * p), B + Y(6)};
    }
    TRect RulesArea() const
    {
        const TRect t = TextBox();
        return TRect{t.Left + X(4), t.Top - Y(1), t.Right - X(3), t.Bottom + Y(2)};
    }
};

bool IsBasicLand(std::string_view name)
{
    for (const char* land : {"Plains", "Island", "Forest", "Mountain", "Swamp"})
        if (TextEquals(name, land))
            return true;
    return false;
}

QByteArrayView View(const std::string& bytes)
{
    return QByteArrayView(bytes.data(), qsizetype(bytes.size()));
}

// Whether a picture file of the data store exists. A store that is missing
// altogether (neither a folder nor a pack) holds no pictures: the start has already
// said that it is missing.
bool DataFileExists(const std::string& path)
{
    try {
        return PackFileExists(path);
    } catch (const EFOpenError&) {
        return false;
    }
}

// Runs a picture load; a failure is reported once per file and gives no picture.
template <class TLoad>
QImage LoadOrReport(const std::string& path, TLoad load)
{
    try {
        return load();
    } catch (const Exception& e) {
        static std::set<std::string> reported;
        const std::string shown = Utf8ToWin1251(path);
        if (reported.insert(path).second && OnPictureError) {
            const std::string message = e.what();
            OnPictureError(message.find(shown) != std::string::npos
                               ? message
                               : "Picture file " + shown + ": " + message);
        }
        return QImage();
    }
}

// The composed picture: the frame picture (or a grey face) with the art in its window.
QImage ComposedPicture(const TCard& card, const std::string& fullName)
{
    QImage composed;
    const std::string framePath = FramePicturePath(card.Color, card.Name);
    if (!framePath.empty())
        composed = LoadOrReport(framePath, [&] {
            return DataFileExists(framePath) ? ToBitmap24(DecodeJpeg(View(ReadWholeFile(framePath)))) : QImage();
        });
    if (composed.isNull()) {
        composed = QImage(300, 433, kBitmap24Format);
        composed.fill(MidGrey);
    }
    if (card.Name == "?")
        return composed;

    std::string artName = card.Name;
    if (!card.Version.empty() && fullName.find('/') == std::string::npos)
        artName += " (" + std::to_string(static_cast<unsigned char>(card.Version[0]) & 7) + ")";
    const QImage art = LoadOrReport("art/" + Win1251ToUtf8(card.Set + "/" + artName), [&] {
        QImage loaded;
        LoadArtPicture(card.Set, artName, fullName, card.MtgEncID, loaded);
        return loaded;
    });
    const QRect window(23, 29, 255, 207);
    QPainter p(&composed);
    if (!art.isNull())
        p.drawImage(window, art.scaled(window.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    else
        p.fillRect(window, MidGrey);
    return composed;
}

// The grey of the greyscale print for a colour: black becomes 36, white stays.
uchar PrintGrey(int r, int g, int b)
{
    return uchar(255 - RoundToByte((765 - (r + g + b)) / 3.5));
}

// Every pixel of a 24-bit picture to its print grey.
void ToPrintGrey(QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < picture.width(); ++x, row += 3)
            row[0] = row[1] = row[2] = PrintGrey(row[0], row[1], row[2]);
    }
}

// The same for the opaque pixels of a keyed (fully transparent or opaque) picture.
void ToPrintGreyKeyed(QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(row[x]) == 255) {
                const uchar v = PrintGrey(qRed(row[x]), qGreen(row[x]), qBlue(row[x]));
                row[x] = qRgb(v, v, v);
            }
        }
    }
}

// The set symbol picture for a set and rarity from the data store, made transparent
// in the colour of its bottom-left pixel; null when there is none.
QImage SetSymbolPicture(const TCard& card)
{
    const std::string rarity =
        (card.Rarity == "R" || card.Rarity == "U" || card.Rarity == "C") ? card.Rarity : std::string("C");
    const std::string base = BaseDir + "data/" + Win1251ToUtf8(card.Set);
    const std::string tries[] = {base + "_" + rarity + ".bmp", base + ".bmp", base + "_" + rarity + ".gif",
                                 base + ".gif"};
    for (const std::string& path : tries) {
        bool exists = false;
        const QImage picture = LoadOrReport(path, [&] {
            exists = DataFileExists(path);
            if (!exists)
                return QImage();
            const std::string bytes = ReadWholeFile(path);
            if (path.size() > 4 && path.compare(path.size() - 4, 4, ".bmp") == 0)
                return ToBitmap24(DecodeBmp(View(bytes)));
            const TGifPicture gif = DecodeGif(View(bytes));
            QImage keyed(gif.Image.size(), kBitmap24Format);
            keyed.fill(QColor(128, 0, 128));
            QPainter p(&keyed);
            p.drawImage(0, 0, gif.Image);
            return keyed;
        });
        if (!exists && picture.isNull())
            continue;
        if (picture.isNull())
            return QImage();
        return WithTransparentColor(picture, picture.pixelColor(0, picture.height() - 1));
    }
    return QImage();
}

// Fills the four bands between an outer and an inner rectangle and outlines both.
void FrameBands(TCanvas& canvas, const TRect& outer, const TRect& inner, QColor fill, QColor line)
{
    canvas.BrushClear = false;
    canvas.BrushColor = fill;
    canvas.PenColor = fill;
    canvas.FillRect(TRect{outer.Left, outer.Top, outer.Right, inner.Top});
    canvas.FillRect(TRect{outer.Left, outer.Bottom, outer.Right, inner.Bottom});
    canvas.FillRect(TRect{outer.Left, outer.Top, inner.Left, outer.Bottom});
    canvas.FillRect(TRect{outer.Right, outer.Top, inner.Right, outer.Bottom});
    canvas.PenColor = line;
    canvas.PenWidth = 1;
    canvas.BrushClear = true;
    for (const TRect& r : {inner, outer})
        canvas.Polygon({TPoint{r.Left, r.Top}, TPoint{r.Right, r.Top}, TPoint{r.Right, r.Bottom},
                        TPoint{r.Left, r.Bottom}});
}

void GreyPrintFrames(TCanvas& canvas, const TFace& f, const TCard& card)
{
    QColor fill = Qt::white;
    QColor line = Qt::black;
    if (card.Color == "L" && TextEquals(card.Name, "Swamp"))
        std::swap(fill, line);
    const TRect target{f.L, f.T, f.Rt, f.B};
    if (card.Color != "L") {
        const TRect inner{f.L + f.X(4), f.T - f.Y(4), f.Rt - f.X(4), f.B + f.Y(4)};
        FrameBands(canvas, target, inner, fill, line);
        const TRect a = f.Art();
        const TRect grown{a.Left - f.X(4), a.Top + f.Y(4), a.Right + f.X(4), a.Bottom - f.Y(4)};
        FrameBands(canvas, grown, a, fill, line);
    }
    const TRect t = f.TextBox();
    const TRect grown{t.Left - f.X(4), t.Top + f.Y(4), t.Right + f.X(4), t.Bottom - f.Y(4)};
    FrameBands(canvas, grown, t, fill, line);
    canvas.BrushClear = false;
}

void SetCaptionFont(TCanvas& canvas, int32_t height, unsigned style)
{
    canvas.Font.Name = CaptionFont;
    canvas.Font.Height = std::max(1, height);
    canvas.Font.Style = style;
}

} // namespace

// ---------------------------------------------------------------------------

std::pair<TCard, TCard> SplitCard(const TCard& card)
{
    TCard first = card;
    TCard second = card;
    auto split = [](std::string TCard::*field, TCard& a, TCard& b, std::string_view marker) {
        auto halves = SplitAtMarker(a.*field, marker);
        a.*field = std::move(halves.first);
        b.*field = std::move(halves.second);
    };
    for (std::string TCard::*field : {&TCard::Name, &TCard::Color, &TCard::Type, &TCard::Cost, &TCard::NameR,
                                      &TCard::TypeR})
        split(field, first, second, "/");
    // A flavour text belongs to one half: the part after " // " to the second, all of
    // it to the first when it has no marker.
    for (std::string TCard::*field : {&TCard::Text, &TCard::TextR, &TCard::Flavor, &TCard::FlavorR})
        split(field, first, second, " // ");
    return {first, second};
}

TSize DrawCaption(TCanvas& canvas, const TRect& rect, std::string_view text, int align)
{
    // Measured at the whole pixel size it is drawn at, in the pixel mapping.
    struct TWholePixels {
        TCanvas& C;
        bool Saved;
        explicit TWholePixels(TCanvas& c) : C(c), Saved(c.WholePixelFonts) { C.WholePixelFonts = true; }
        ~TWholePixels() { C.WholePixelFonts = Saved; }
    } wholePixels(canvas);
    canvas.Font.Color = Qt::black;
    TSize ext = canvas.TextExtent(text);
    while (rect.Right - rect.Left < ext.cx && canvas.Font.Height > 1) {
        canvas.Font.Height -= 1;
        ext = canvas.TextExtent(text);
    }
    const int32_t logicalHeight = canvas.Font.Height;
    const int32_t pixelHeight = std::max(1, canvas.XToDevice(logicalHeight));

    int32_t x;
    if (align == 2)
        x = rect.Right - ext.cx;
    else if (align == 6)
        x = (rect.Left + rect.Right - ext.cx) / 2;
    else
        x = rect.Left;
    // The cell's top lies (rect height + text height) div 2 above the bottom edge.
    const bool metric = canvas.MapMode() == TMapMode::Metric;
    const int32_t rectHeight = metric ? rect.Top - rect.Bottom : rect.Bottom - rect.Top;
    const int32_t y = metric ? rect.Bottom + (rectHeight + ext.cy) / 2 : rect.Bottom - (rectHeight + ext.cy) / 2;

    const TPoint d = canvas.LPtoDP(TPoint{x, y});
    {
        TMapModeGuard guard(canvas);
        canvas.SetMapMode(TMapMode::Pixels);
        canvas.Font.Height = pixelHeight;
        canvas.Font.Color = Qt::black;
        for (int i = 0; i <= CaptionShadowWidth; ++i)
            for (int j = 0; j <= CaptionShadowWidth; ++j)
                if (i != 0 || j != 0)
                    canvas.TextOut(d.x + i, d.y + j, text);
        canvas.Font.Color = Qt::white;
        canvas.TextOut(d.x, d.y, text);
    }
    canvas.Font.Height = logicalHeight;
    return TSize{ext.cx + 4, ext.cy};
}

void DrawCardFace(const TCard& cardIn, TCanvas& canvas, const TRect& rect, const std::string& fullName)
{
    TCard card = cardIn;
    if (card.Name.empty())
        card.Name = "?";

    TMapModeGuard guard(canvas);
    TRect r = rect;
    if (canvas.MapMode() == TMapMode::Pixels) {
        canvas.SetMapMode(TMapMode::Metric);
        r = canvas.DPtoLP(rect);
    }
    TFace f{r.Left, r.Top, r.Right, r.Bottom, (r.Right - r.Left) / 300.0, (r.Top - r.Bottom) / 433.0};

    const bool greyPrint = IsPrinting && PrintGrayscale;

    // Frame and art, composed at the frame picture's size and stretched once.
    QImage composed = ComposedPicture(card, fullName);
    if (greyPrint)
        ToPrintGrey(composed);
    canvas.StretchDraw(r, composed, true);
    if (card.Name == "?")
        return;

    // Set symbol.
    int32_t w = 0;
    QImage symbol = SetSymbolPicture(card);
    // In the grey print the set symbol turns grey like the rest of the face.
    if (greyPrint && !symbol.isNull())
        ToPrintGreyKeyed(symbol);
    if (!symbol.isNull() && symbol.height() > 0) {
        const TRect a = f.Art();
        const TRect t = f.TextBox();
        const int32_t hh = (a.Bottom - t.Top) - f.Y(10);
        w = RoundSaturated(double(int64_t(symbol.width()) * hh) / symbol.height());
        DrawPictureSmooth(canvas, f.SetSymbol(w), symbol);
    }

    if (greyPrint && card.Color != "B")
        GreyPrintFrames(canvas, f, card);

    // Name and mana cost.
    SetCaptionFont(canvas, f.X(16), 0);
    TRect title = f.TitleBand();
    if (greyPrint)
        title.Top -= f.Y(1);
    const TSize cost = DrawSymbolsSmooth(canvas, title, card.Cost, 2, false);
    title.Right += cost.cx - f.X(2);
    title.Top += f.Y(3);
    SetCaptionFont(canvas, f.X(16), fsBold);
    DrawCaption(canvas, title, CardTextType == 0 ? card.NameR : card.Name, 0);

    // Type line.
    SetCaptionFont(canvas, f.X(16), fsBold);
    DrawCaption(canvas, f.TypeBand(w), CardTextType == 0 ? card.TypeR : card.Type, 0);

    // Power and toughness.
    SetCaptionFont(canvas, f.X(24), fsBold);
    int32_t p = 0;
    if (!card.PwrTgh.empty())
        p = DrawCaption(canvas, f.PowerBand(), card.PwrTgh, 2).cx;

    // The bottom line: name and type in the other language.
    if (CardTextType != 2) {
        SetCaptionFont(canvas, f.X(12), fsBold);
        std::string first, second;
        if (CardTextType == 1) {
            first = card.NameR != card.Name ? card.NameR : std::string();
            second = card.TypeR;
        } else {
            first = card.Name;
            second = card.Type;
        }
        const std::string joined = first.empty() ? second : first + " / " + second;
        const TRect band = f.BottomLineBand(p);
        if (band.Right - band.Left >= canvas.TextWidth(joined)) {
            DrawCaption(canvas, band, joined, 6);
        } else {
            const int32_t m = (band.Top + band.Bottom) / 2;
            SetCaptionFont(canvas, f.X(12), fsBold);
            DrawCaption(canvas, TRect{band.Left, band.Top, band.Right, m}, first, 6);
            SetCaptionFont(canvas, f.X(12), fsBold);
            DrawCaption(canvas, TRect{band.Left, m, band.Right, band.Bottom}, second, 6);
        }
    }

    // Rules and flavour text; basic lands have none.
    if (!IsBasicLand(card.Name)) {
        canvas.Font.Height = std::max(1, f.X(16));
        canvas.Font.Style = 0;
        // A card whose rules text has no Russian yet shows its English rules and
        // flavour text rather than an empty or half-empty text box.
        const bool english =
            CardTextType == 2 || (card.TextR.empty() && (card.FlavorR.empty() || !card.Text.empty()));
        const std::string& rules = english ? card.Text : card.TextR;
        const std::string& flavour = english ? card.Flavor : card.FlavorR;
        const std::string prepared =
            PrepareRulesText(rules, CardTextType == 0 && !english ? card.NameR : card.Name, DrawReminderText);
        LayoutRulesText(canvas, f.RulesArea(), prepared, flavour);
    }
}

void DrawCard(TCard card, TCanvas& canvas, const TRect& rect)
{
    if (card.Name.find('/') == std::string::npos) {
        DrawCardFace(card, canvas, rect, std::string());
        return;
    }
    // A split card: both halves side by side on a sheet turned sideways, first half
    // on the left, then the sheet is turned a quarter counter-clockwise so that the
    // first half lies below the second.
    const TRect d = canvas.DeviceRect(rect);
    const int ws = d.Bottom - d.Top;
    const int hs = d.Right - d.Left;
    if (ws <= 0 || hs <= 0)
        return;
    QImage sheet(ws, hs, kBitmap24Format);
    sheet.setDotsPerMeterX(RoundSaturated(canvas.DpiX() / 0.0254));
    sheet.setDotsPerMeterY(RoundSaturated(canvas.DpiY() / 0.0254));
    // The strip between the halves: the card's black border, or paper white when
    // printing in grey.
    sheet.fill(IsPrinting && PrintGrayscale ? Qt::white : Qt::black);
    auto [first, second] = SplitCard(card);
    // The card base gives a split card one colour code for the whole card ("Z" for
    // Fire/Ice); split as it is, the second half would have no frame at all. A code
    // without "/" therefore gives way to each half's own colour, from its own cost.
    if (card.Color.find('/') == std::string::npos) {
        for (TCard* half : {&first, &second})
            if (!half->Cost.empty())
                half->Color = ColorCodeFromCost(half->Cost);
    }
    // Likewise one type line for both halves ("Instant") belongs to both, rather than
    // leaving the second half without a type line and with a bottom line ending in "/".
    if (card.Type.find('/') == std::string::npos)
        second.Type = card.Type;
    if (card.TypeR.find('/') == std::string::npos)
        second.TypeR = card.TypeR;
    {
        TCanvas sc(sheet, canvas.DpiX(), canvas.DpiY());
        sc.Recorder = canvas.Recorder; // the halves' draw calls, in the sheet's pixels
        const int half = RoundSaturated(0.495 * ws);
        DrawCardFace(first, sc, TRect{0, 0, half, hs}, card.Name);
        DrawCardFace(second, sc, TRect{ws - half, 0, ws, hs}, card.Name);
    }
    QImage turned;
    RotateLeft90(sheet, turned);
    canvas.StretchDraw(rect, turned, true);
}

void SetPictureSize(int width, int height)
{
    const int w = width == 0 ? 300 : width;
    const int h = height == 0 ? 433 : height;
    if (CardPicture.width() == w && CardPicture.height() == h && CardPicture.format() == kBitmap24Format)
        return;
    CardPicture = QImage(std::max(1, w), std::max(1, h), kBitmap24Format);
    CardPicture.fill(Qt::white);
}

void ShowCardPicture(QPainter& painter, const TRect& rect)
{
    painter.drawImage(QPoint(rect.Left, rect.Top), CardPicture);
}

void ShowCardPicture(TCanvas& canvas, const TRect& rect)
{
    canvas.Draw(rect.Left, rect.Top, CardPicture);
}
