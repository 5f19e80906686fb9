// The card face: region geometry at two sizes, set symbol, captions and the bottom
// line in the three languages, basic lands, split cards, the card back and the grey
// print version. Geometry is read back from recorded draw calls and rendered pixels.
#include "RenderTestSupport.h"

#include "render/RulesText.h"

#include <QPdfWriter>

#include <cmath>

using namespace rendertest;

namespace {

// Device rectangles of the six outlines of the grey print frames, in drawing order:
// inner border, outer border, art window, grown art window, text box, grown text box.
std::vector<TRect> GreyOutlines(const TCard& card, int w, int h)
{
    IsPrinting = true;
    PrintGrayscale = true;
    std::vector<TDrawRecord> rec;
    Render(card, w, h, &rec);
    IsPrinting = false;
    PrintGrayscale = false;
    std::vector<TRect> out;
    for (const TDrawRecord& r : OfKind(rec, TDrawRecord::Polygon))
        out.push_back(r.device);
    return out;
}

void ExpectNear(const TRect& got, const TRect& want, int tol, const char* what)
{
    EXPECT_NEAR(got.Left, want.Left, tol) << what;
    EXPECT_NEAR(got.Top, want.Top, tol) << what;
    EXPECT_NEAR(got.Right, want.Right, tol) << what;
    EXPECT_NEAR(got.Bottom, want.Bottom, tol) << what;
}

TRect Scaled(const TRect& r, int k)
{
    return TRect{r.Left * k, r.Top * k, r.Right * k, r.Bottom * k};
}

std::vector<TDrawRecord> RecordCard(const TCard& card, int w = 300, int h = 433)
{
    std::vector<TDrawRecord> rec;
    // Direct drawing, so that symbols are recorded as circles rather than pictures.
    IsPrinting = true;
    Render(card, w, h, &rec);
    IsPrinting = false;
    return rec;
}

QColor PixelAt(const QImage& img, int x, int y)
{
    return img.pixelColor(x, y);
}

bool Close(QColor a, QColor b, int tol = 12)
{
    return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol &&
           std::abs(a.blue() - b.blue()) <= tol;
}

} // namespace

// At 300 x 433 pixels a face unit is about one pixel, so the regions land on the face
// units of the layout; at 600 x 866 on twice those.
TEST(CardViewLayout, RegionsAtBothSizes)
{
    TTestStore store;
    const TCard card = Creature();
    const std::vector<TRect> small = GreyOutlines(card, 300, 433);
    const std::vector<TRect> large = GreyOutlines(card, 600, 866);
    ASSERT_EQ(small.size(), 6u);
    ASSERT_EQ(large.size(), 6u);
    const TRect want[6] = {
        {4, 4, 296, 429},     // inner border
        {0, 0, 300, 433},     // target
        {23, 29, 278, 236},   // art window
        {19, 25, 282, 240},   // grown art window
        {23, 267, 278, 395},  // text box
        {19, 263, 282, 399},  // grown text box
    };
    for (int i = 0; i < 6; ++i) {
        ExpectNear(small[size_t(i)], want[i], 1, "300 x 433");
        ExpectNear(large[size_t(i)], Scaled(want[i], 2), 2, "600 x 866");
        ExpectNear(large[size_t(i)], Scaled(small[size_t(i)], 2), 2, "double scale");
    }
}

TEST(CardViewLayout, CaptionsSitInTheirBands)
{
    TTestStore store;
    CardTextType = 2;
    const std::vector<TDrawRecord> white = WhiteTexts(RecordCard(Creature()));
    const TDrawRecord* name = FindText(white, "Grizzly Bears");
    const TDrawRecord* type = FindText(white, "Creature - Bear");
    const TDrawRecord* pt = FindText(white, "2/2");
    ASSERT_TRUE(name && type && pt);
    // Name: left edge of the title band (19), vertically inside 4..25 give or take the
    // band's lift after the cost.
    EXPECT_NEAR(name->device.Left, 19, 1);
    EXPECT_GE(name->device.Top, 0);
    EXPECT_LE(name->device.Bottom, 27);
    EXPECT_EQ(name->font.Name, "Palatino Linotype");
    EXPECT_EQ(name->font.Style, unsigned(fsBold));
    // Type line: same left edge, in the band 236..264.
    EXPECT_NEAR(type->device.Left, 19, 1);
    EXPECT_GE(type->device.Top, 233);
    EXPECT_LE(type->device.Bottom, 267);
    // Power/toughness: right-aligned at the band's right edge (286), below the text box.
    EXPECT_NEAR(pt->device.Right, 286, 1);
    EXPECT_GE(pt->device.Top, 393);
    EXPECT_LE(pt->device.Bottom, 434);
    // No bottom line in English-only mode: nothing else in white.
    EXPECT_EQ(white.size(), 3u);
}

TEST(CardViewLayout, SameLayoutAtDoubleSize)
{
    TTestStore store;
    TCard card = Creature();
    card.TextR = Utf8ToWin1251("Пробивной удар\nКогда это существо входит в игру, возьмите карту.");
    const std::vector<TDrawRecord> a = RecordCard(card, 300, 433);
    const std::vector<TDrawRecord> b = RecordCard(card, 600, 866);
    std::vector<TDrawRecord> ta = OfKind(a, TDrawRecord::Text);
    std::vector<TDrawRecord> tb = OfKind(b, TDrawRecord::Text);
    ASSERT_EQ(ta.size(), tb.size());
    for (size_t i = 0; i < ta.size(); ++i) {
        EXPECT_EQ(ta[i].text, tb[i].text);
        EXPECT_NEAR(tb[i].device.Left, 2 * ta[i].device.Left, 2) << ta[i].text;
        EXPECT_NEAR(tb[i].device.Top, 2 * ta[i].device.Top, 2) << ta[i].text;
    }
    std::vector<TDrawRecord> ea = OfKind(a, TDrawRecord::Ellipse);
    std::vector<TDrawRecord> eb = OfKind(b, TDrawRecord::Ellipse);
    ASSERT_EQ(ea.size(), 2u); // the cost 1G
    ASSERT_EQ(eb.size(), 2u);
    for (size_t i = 0; i < ea.size(); ++i)
        ExpectNear(eb[i].device, Scaled(ea[i].device, 2), 2, "cost symbol");
}

// The mana cost is centred on the title band (face units 4..25 from the top), in the
// ordinary and the grey print version (lowered there by a unit), at both sizes.
TEST(CardViewLayout, CostIsCentredInTheTitleBand)
{
    TTestStore store;
    TCard card = Creature();
    card.Cost = "2WG";
    for (bool grey : {false, true})
        for (int k : {1, 2}) {
            SCOPED_TRACE(std::string(grey ? "grey " : "colour ") + std::to_string(k));
            PrintGrayscale = grey;
            const std::vector<TDrawRecord> rec = RecordCard(card, 300 * k, 433 * k);
            PrintGrayscale = false;
            const std::vector<TDrawRecord> circles = OfKind(rec, TDrawRecord::Ellipse);
            ASSERT_EQ(circles.size(), 3u);
            for (const TDrawRecord& c : circles) {
                const TRect& d = c.device;
                EXPECT_NEAR((d.Top + d.Bottom) / 2.0, k * ((4 + 25) / 2.0 + (grey ? 1 : 0)), 1.0 * k);
                EXPECT_GE(d.Top, 4 * k);
                EXPECT_LE(d.Bottom, 25 * k + (grey ? 2 * k : 0));
            }
        }
}

// The set symbol stands at the right end of the band between art and text box, its
// height basis 10 units less than the band (21 of 31), its width in proportion.
TEST(CardViewLayout, SetSymbolSizeAndPlace)
{
    TTestStore store;
    for (const auto& [set, ratio] : {std::pair<std::string, int>{"SQ", 1}, {"WD", 2}}) {
        TCard card = Creature();
        card.Set = set;
        card.Rarity = "R";
        std::vector<TDrawRecord> rec = RecordCard(card);
        std::vector<TDrawRecord> pics = OfKind(rec, TDrawRecord::Picture);
        ASSERT_EQ(pics.size(), 2u) << set; // the composed face, then the symbol
        const TRect d = pics[1].device;
        EXPECT_NEAR(d.Right, 281, 1) << set;
        EXPECT_NEAR(d.Top, 242, 1) << set;
        EXPECT_NEAR(d.Bottom, 261, 1) << set;
        EXPECT_NEAR(d.Right - d.Left, 21 * ratio, 1) << set;
    }
}

TEST(CardViewLayout, TypeLineEndsBeforeTheSetSymbol)
{
    TTestStore store;
    CardTextType = 2;
    TCard card = Creature();
    card.Type = "Creature - Bear Warrior Shaman Cleric Soldier Wizard Beast";
    for (const auto& [set, symbolWidth] : {std::pair<std::string, int>{"WD", 42}, {"NO", 0}}) {
        card.Set = set;
        card.Rarity = "R";
        const std::vector<TDrawRecord> white = WhiteTexts(RecordCard(card));
        const TDrawRecord* type = FindText(white, card.Type);
        ASSERT_TRUE(type) << set;
        // Shrunk to fit the band that ends at 282 - w; fonts come in whole pixel sizes,
        // so the text may end up to a pixel size's worth short of it.
        EXPECT_LE(type->device.Right, 282 - symbolWidth + 1) << set;
        EXPECT_GE(type->device.Right, 282 - symbolWidth - 30) << set;
        EXPECT_LT(type->font.Height, 42) << set;
    }
}

TEST(CardViewLayout, NameShrinksLeftOfTheCost)
{
    TTestStore store;
    CardTextType = 2;
    TCard card = Creature();
    card.Name = "An Extraordinarily Long Name For A Small Bear";
    card.Cost = "3GG";
    const std::vector<TDrawRecord> rec = RecordCard(card);
    const std::vector<TDrawRecord> white = WhiteTexts(rec);
    const TDrawRecord* name = FindText(white, card.Name);
    ASSERT_TRUE(name);
    std::vector<TDrawRecord> circles = OfKind(rec, TDrawRecord::Ellipse);
    ASSERT_EQ(circles.size(), 3u);
    int costLeft = 1000;
    for (const TDrawRecord& c : circles)
        costLeft = std::min(costLeft, c.device.Left);
    EXPECT_LT(name->device.Right, costLeft - 1);
    EXPECT_GT(name->device.Right, costLeft - 40);
    EXPECT_LT(name->font.Height, 42);
    // The cost row ends at the title band's right edge (288).
    int costRight = 0;
    for (const TDrawRecord& c : circles)
        costRight = std::max(costRight, c.device.Right);
    EXPECT_NEAR(costRight, 288, 2);
}

TEST(CardViewLayout, BottomLineInTheThreeLanguages)
{
    TTestStore store;
    const TCard card = Creature();
    const std::string nameR = card.NameR;
    const std::string typeR = card.TypeR;
    struct Case {
        uint8_t lang;
        std::string title, type, bottom;
    } cases[] = {
        {0, nameR, typeR, "Grizzly Bears / Creature - Bear"},
        {1, "Grizzly Bears", "Creature - Bear", nameR + " / " + typeR},
        {2, "Grizzly Bears", "Creature - Bear", ""},
    };
    for (const Case& c : cases) {
        CardTextType = c.lang;
        const std::vector<TDrawRecord> white = WhiteTexts(RecordCard(card));
        ASSERT_EQ(white.size(), c.bottom.empty() ? 3u : 4u) << int(c.lang);
        EXPECT_EQ(white[0].text, c.title);
        EXPECT_EQ(white[1].text, c.type);
        if (c.bottom.empty())
            continue;
        const TDrawRecord& b = white[3];
        EXPECT_EQ(b.text, c.bottom);
        // Centred in the band from 19 to the power/toughness text's left side.
        const int bandRight = 286 - int(std::lround(1.2 * (white[2].device.Right - white[2].device.Left + 2)));
        EXPECT_NEAR((b.device.Left + b.device.Right) / 2, (19 + bandRight) / 2, 3) << int(c.lang);
        EXPECT_GE(b.device.Top, 401);
        EXPECT_LE(b.device.Bottom, 429);
    }
    // English names with Russian texts: a Russian name equal to the English one is not
    // repeated.
    TCard same = card;
    same.NameR = same.Name;
    CardTextType = 1;
    const std::vector<TDrawRecord> white = WhiteTexts(RecordCard(same));
    ASSERT_EQ(white.size(), 4u);
    EXPECT_EQ(white[3].text, typeR);
}

TEST(CardViewLayout, LongBottomLineTakesTwoLines)
{
    TTestStore store;
    CardTextType = 0;
    TCard card = Creature();
    card.Name = "The Most Extraordinarily Long Bear Name";
    card.Type = "Creature - Bear Warrior Shaman Cleric";
    const std::vector<TDrawRecord> white = WhiteTexts(RecordCard(card));
    const TDrawRecord* first = FindText(white, card.Name);
    const TDrawRecord* second = FindText(white, card.Type);
    ASSERT_TRUE(first && second);
    // Name centred in the upper half of the band (403..415), type in the lower half
    // (415..427).
    EXPECT_NEAR((first->device.Top + first->device.Bottom) / 2.0, 409, 1.5);
    EXPECT_NEAR((second->device.Top + second->device.Bottom) / 2.0, 421, 1.5);
    EXPECT_NEAR((first->device.Left + first->device.Right) / 2.0, (second->device.Left + second->device.Right) / 2.0, 2);
}

TEST(CardViewLayout, BasicLandsHaveNoRulesText)
{
    TTestStore store;
    for (const char* name : {"Forest", "sWAMP", "Plains", "Grizzly Bears"}) {
        TCard card = Creature();
        card.Name = name;
        card.Color = "L";
        card.Cost = "";
        card.PwrTgh = "";
        card.Text = card.TextR = "%G";
        CardTextType = 2;
        const std::vector<TDrawRecord> rec = RecordCard(card);
        int georgia = 0;
        for (const TDrawRecord& r : OfKind(rec, TDrawRecord::Text))
            georgia += r.font.Name == "Georgia" || r.font.Name == "ZizorUvaride";
        const bool basic = std::string(name) != "Grizzly Bears";
        EXPECT_EQ(georgia > 0, !basic) << name;
        EXPECT_EQ(WhiteTexts(rec).size(), 2u) << name; // name and type line
    }
}

TEST(CardViewLayout, RulesTextFillsTheRulesArea)
{
    TTestStore store;
    TCard card = Creature();
    CardTextType = 2;
    card.Text = "Trample\n%T: Target creature gets +2/+2 until end of turn.";
    card.Flavor = "Bears are fine.--Someone";
    const std::vector<TDrawRecord> rec = RecordCard(card);
    int n = 0;
    for (const TDrawRecord& r : OfKind(rec, TDrawRecord::Text)) {
        if (r.font.Color != QColor(Qt::black) || r.text.empty() || r.font.Name == "Palatino Linotype")
            continue;
        if (r.font.Name == "ZizorUvaride")
            continue;
        ++n;
        EXPECT_GE(r.device.Left, 27) << r.text;
        EXPECT_LE(r.device.Right, 276) << r.text;
        EXPECT_GE(r.device.Top, 268) << r.text;
        EXPECT_LE(r.device.Bottom, 394) << r.text;
    }
    EXPECT_GE(n, 3);
}

TEST(CardViewLayout, RussianModesShowTheEnglishTextWhereNoRussianExists)
{
    TTestStore store;
    // The rules words the box draws (Georgia, black), joined.
    auto rulesWords = [](const TCard& card) {
        std::string words;
        for (const TDrawRecord& r : OfKind(RecordCard(card), TDrawRecord::Text))
            if (r.font.Name == "Georgia" && r.font.Color == QColor(Qt::black))
                words += r.text + " ";
        return words;
    };
    const struct {
        const char* Text;
        const char* TextR;
        const char* Flavor;
        const char* FlavorR;
        const char* Shows;    // a word that must be drawn
        const char* NotShown; // and one that must not
    } cases[] = {
        {"Trample", "Пробивной удар", "Big bears.", "", "Пробивной", "Trample"},
        {"Trample", "", "Big bears.", "", "Trample", "Пробивной"},
        {"Trample", "", "Big bears.", "Большие", "bears.", "Большие"}, // the flavour goes with its rules
        {"", "", "Big bears.", "Большие медведи.", "Большие", "bears."},  // a vanilla card's Russian flavour
        {"", "", "Big bears.", "", "bears.", "Большие"},
    };
    for (int language : {0, 1}) {
        CardTextType = uint8_t(language);
        for (const auto& c : cases) {
            TCard card = Creature();
            card.Text = c.Text;
            card.TextR = Utf8ToWin1251(c.TextR);
            card.Flavor = c.Flavor;
            card.FlavorR = Utf8ToWin1251(c.FlavorR);
            const std::string words = rulesWords(card);
            SCOPED_TRACE(std::string(c.Text) + " / " + c.TextR + " / " + c.Flavor + " / " + c.FlavorR);
            EXPECT_NE(words.find(Utf8ToWin1251(c.Shows)), std::string::npos) << Win1251ToUtf8(words);
            EXPECT_EQ(words.find(Utf8ToWin1251(c.NotShown)), std::string::npos) << Win1251ToUtf8(words);
        }
    }
    // English text names the card by its English name, also in the Russian mode.
    CardTextType = 0;
    TCard card = Creature();
    card.Text = "~this~ has trample.";
    card.TextR.clear();
    EXPECT_NE(rulesWords(card).find("Grizzly"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Pictures.

TEST(CardViewPicture, UnknownCardShowsTheBack)
{
    TTestStore store;
    for (const char* name : {"", "?"}) {
        TCard card = Creature();
        card.Name = name;
        std::vector<TDrawRecord> rec;
        const QImage img = Render(card, 300, 433, &rec);
        EXPECT_TRUE(Close(PixelAt(img, 150, 100), FrameColor("S"))) << name;
        EXPECT_TRUE(Close(PixelAt(img, 150, 350), FrameColor("S"))) << name;
        EXPECT_EQ(OfKind(rec, TDrawRecord::Text).size(), 0u) << name;
    }
}

TEST(CardViewPicture, MissingFrameAndArtAreGrey)
{
    TTestStore store;
    TCard card = Creature();
    card.Color = "Q"; // no such frame
    const QImage img = Render(card, 300, 433);
    EXPECT_TRUE(Close(PixelAt(img, 10, 200), QColor(128, 128, 128), 2));
    EXPECT_TRUE(Close(PixelAt(img, 150, 130), QColor(128, 128, 128), 2));
    // With a frame, the art window stays grey when there is no art.
    card.Color = "R";
    const QImage red = Render(card, 300, 433);
    EXPECT_TRUE(Close(PixelAt(red, 10, 200), FrameColor("R")));
    EXPECT_TRUE(Close(PixelAt(red, 150, 130), QColor(128, 128, 128), 2));
}

TEST(CardViewPicture, SplitCardHalvesAreTurnedFirstBelow)
{
    TTestStore store;
    TCard card;
    card.Name = "Fire/Ice";
    card.Color = "R/U";
    card.Type = "Instant";
    card.Cost = "1R/1U";
    card.Set = "SQ";
    card.Text = "Fire deals 2 damage. // Tap target permanent.";
    std::vector<TDrawRecord> rec;
    const QImage img = Render(card, 300, 433, &rec);
    // The first half (red) fills the lower part, the second (blue) the upper part; the
    // halves lie sideways, reading from bottom to top: their title bands run up the
    // left edge, their art windows (grey) lie next to them.
    EXPECT_TRUE(Close(PixelAt(img, 5, 400), FrameColor("R")));
    EXPECT_TRUE(Close(PixelAt(img, 5, 30), FrameColor("U")));
    EXPECT_TRUE(Close(PixelAt(img, 90, 320), QColor(128, 128, 128), 6));
    EXPECT_TRUE(Close(PixelAt(img, 90, 110), QColor(128, 128, 128), 6));
    // Between the halves a strip of the card's border.
    EXPECT_TRUE(Close(PixelAt(img, 150, 216), Qt::black, 40));
    // The halves were drawn on the sheet; on the canvas only the turned sheet, over
    // the whole rectangle.
    ASSERT_FALSE(rec.empty());
    EXPECT_EQ(rec.back().kind, TDrawRecord::Picture);
    EXPECT_EQ(rec.back().device, (TRect{0, 0, 300, 433}));
}

// The card base gives a split card one colour code ("Z") and one type line for both
// halves: each half then takes the colour of its own cost, and both show the type.
TEST(CardViewPicture, SplitCardWithOneColourCodeAndType)
{
    TTestStore store;
    CardTextType = 1;
    TCard card;
    card.Name = "Fire/Ice";
    card.NameR = Utf8ToWin1251("Огонь/Лед");
    card.Color = "Z";
    card.Type = "Instant";
    card.TypeR = Utf8ToWin1251("Мгновенное заклинание");
    card.Cost = "1R/1U";
    card.Set = "SQ";
    std::vector<TDrawRecord> rec;
    const QImage img = Render(card, 300, 433, &rec);
    EXPECT_TRUE(Close(PixelAt(img, 5, 400), FrameColor("R")));
    EXPECT_TRUE(Close(PixelAt(img, 5, 30), FrameColor("U")));
    const std::vector<TDrawRecord> white = WhiteTexts(rec);
    int types = 0;
    for (const TDrawRecord& r : white)
        types += r.text == "Instant";
    EXPECT_EQ(types, 2);
    EXPECT_TRUE(FindText(white, Utf8ToWin1251("Лед / Мгновенное заклинание")));
}

TEST(CardViewPicture, SplitCardFieldsAndHalves)
{
    TCard card;
    card.Name = "Fire/Ice";
    card.Color = "R/U";
    card.Type = "Instant";
    card.Cost = "1R/1U";
    card.Text = "A // B // C";
    card.TextR = "X";
    card.Flavor = "f";
    card.Set = "IN";
    const auto [a, b] = SplitCard(card);
    EXPECT_EQ(a.Name, "Fire");
    EXPECT_EQ(b.Name, "Ice");
    EXPECT_EQ(a.Color, "R");
    EXPECT_EQ(b.Color, "U");
    EXPECT_EQ(a.Type, "Instant");
    EXPECT_EQ(b.Type, "");
    EXPECT_EQ(a.Cost, "1R");
    EXPECT_EQ(b.Cost, "1U");
    EXPECT_EQ(a.Text, "A");
    EXPECT_EQ(b.Text, "B // C");
    EXPECT_EQ(a.TextR, "X");
    EXPECT_EQ(b.TextR, "");
    // A flavour text shows on one half only: its own, or the first without a marker.
    EXPECT_EQ(a.Flavor, "f");
    EXPECT_EQ(b.Flavor, "");
    card.FlavorR = "first // second";
    const auto [c, d] = SplitCard(card);
    EXPECT_EQ(c.FlavorR, "first");
    EXPECT_EQ(d.FlavorR, "second");
    EXPECT_EQ(b.Set, "IN");
}

// Grey print: the face turns grey (black 36, white stays), white bands frame the
// border, the art window and the text box; black cards only turn grey; lands get the
// text box frame only, a Swamp in inverted colours.
TEST(CardViewPicture, GreyPrintVersion)
{
    TTestStore store;
    IsPrinting = true;
    PrintGrayscale = true;
    auto grey = [](QColor c) {
        const int v = 255 - RoundToByte((765 - (c.red() + c.green() + c.blue())) / 3.5);
        return QColor(v, v, v);
    };
    TCard card = Creature();
    card.Color = "R";
    QImage img = Render(card, 300, 433);
    EXPECT_TRUE(Close(PixelAt(img, 10, 200), grey(FrameColor("R")), 4));
    EXPECT_TRUE(Close(PixelAt(img, 2, 200), Qt::white, 4)); // outer band
    EXPECT_TRUE(Close(PixelAt(img, 21, 100), Qt::white, 4)); // art frame band
    EXPECT_TRUE(Close(PixelAt(img, 21, 330), Qt::white, 4)); // text box band

    // The set symbol turns grey too (in colour it is red).
    card.Set = "CL";
    img = Render(card, 300, 433);
    const QColor symbol = PixelAt(img, 270, 251);
    EXPECT_TRUE(Close(symbol, grey(QColor(230, 20, 20)), 6)) << symbol.name().toStdString();
    PrintGrayscale = false;
    EXPECT_TRUE(Close(PixelAt(Render(card, 300, 433), 270, 251), QColor(230, 20, 20), 20));
    PrintGrayscale = true;

    card.Color = "B";
    img = Render(card, 300, 433);
    EXPECT_TRUE(Close(PixelAt(img, 2, 200), grey(FrameColor("B")), 4));
    EXPECT_TRUE(Close(PixelAt(img, 21, 330), grey(FrameColor("B")), 4));

    card.Color = "L";
    card.Name = "Swamp";
    img = Render(card, 300, 433);
    EXPECT_TRUE(Close(PixelAt(img, 2, 200), grey(FrameColor("L")), 4));
    EXPECT_TRUE(Close(PixelAt(img, 21, 100), grey(FrameColor("L")), 4));
    EXPECT_TRUE(Close(PixelAt(img, 21, 330), Qt::black, 4));
    EXPECT_EQ(grey(Qt::black), QColor(36, 36, 36));
}

// ---------------------------------------------------------------------------
// Captions and the picture buffer.

TEST(CardViewCaption, ShrinksToFitAndStopsAtOneUnit)
{
    EnsureFonts();
    QImage img(400, 100, QImage::Format_RGB888);
    img.fill(Qt::gray);
    TCanvas canvas(img);
    canvas.SetMapMode(TMapMode::Metric);
    canvas.Font.Name = "Palatino Linotype";
    canvas.Font.Style = fsBold;
    canvas.Font.Height = 60;
    const TSize wide = canvas.TextExtent("Caption");

    TSize s = DrawCaption(canvas, TRect{0, 0, 1000, -200}, "Caption", 0);
    EXPECT_EQ(s.cx, wide.cx + 4);
    EXPECT_EQ(canvas.Font.Height, 60);
    EXPECT_EQ(canvas.MapMode(), TMapMode::Metric);

    s = DrawCaption(canvas, TRect{0, 0, wide.cx / 2, -200}, "Caption", 0);
    EXPECT_LE(s.cx - 4, wide.cx / 2);
    EXPECT_LT(canvas.Font.Height, 60);
    EXPECT_GT(canvas.Font.Height, 20);

    // A band of no width: the loop ends at one unit instead of running forever.
    canvas.Font.Height = 60;
    DrawCaption(canvas, TRect{100, 0, 100, -200}, "Caption", 6);
    EXPECT_EQ(canvas.Font.Height, 1);
}

TEST(CardViewCaption, ShadowRightAndBelow)
{
    EnsureFonts();
    const int saved = CaptionShadowWidth;
    QImage img(200, 60, QImage::Format_RGB888);
    img.fill(Qt::gray);
    std::vector<TDrawRecord> rec;
    {
        TCanvas canvas(img);
        canvas.Recorder = &rec;
        canvas.SetMapMode(TMapMode::Metric);
        canvas.Font.Name = "Palatino Linotype";
        canvas.Font.Height = 40;
        CaptionShadowWidth = 2;
        DrawCaption(canvas, TRect{0, 0, 500, -150}, "Ab", 0);
    }
    CaptionShadowWidth = saved;
    ASSERT_EQ(rec.size(), 9u); // 8 shadows and the white text
    const TDrawRecord& white = rec.back();
    EXPECT_EQ(white.font.Color, QColor(Qt::white));
    for (size_t i = 0; i + 1 < rec.size(); ++i) {
        EXPECT_EQ(rec[i].font.Color, QColor(Qt::black));
        EXPECT_GE(rec[i].device.Left, white.device.Left);
        EXPECT_GE(rec[i].device.Top, white.device.Top);
        EXPECT_LE(rec[i].device.Left, white.device.Left + 2);
        EXPECT_LE(rec[i].device.Top, white.device.Top + 2);
    }
}

TEST(CardViewPicture, PictureBufferSizeAndShow)
{
    SetPictureSize(624, 880);
    EXPECT_EQ(CardPicture.size(), QSize(624, 880));
    EXPECT_EQ(CardPicture.format(), QImage::Format_RGB888);
    SetPictureSize(0, 0);
    EXPECT_EQ(CardPicture.size(), QSize(300, 433));
    CardPicture.fill(Qt::red);
    QImage target(310, 440, QImage::Format_RGB888);
    target.fill(Qt::blue);
    {
        QPainter p(&target);
        ShowCardPicture(p, TRect{3, 3, 306, 436});
    }
    EXPECT_EQ(target.pixelColor(2, 2), QColor(Qt::blue));
    EXPECT_EQ(target.pixelColor(3, 3), QColor(Qt::red));
    EXPECT_EQ(target.pixelColor(302, 435), QColor(Qt::red));
    EXPECT_EQ(target.pixelColor(303, 436), QColor(Qt::blue));
}

// A printer page: the caller switches to the metric mapping and passes the rectangle
// in 0.1 mm with y upwards; the face fills exactly that rectangle.
TEST(CardViewPicture, DrawsIntoAMetricRectangle)
{
    TTestStore store;
    QImage page(1000, 1300, QImage::Format_RGB888);
    page.setDotsPerMeterX(11811); // 300 dpi
    page.setDotsPerMeterY(11811);
    page.fill(Qt::white);
    {
        TCanvas canvas(page);
        canvas.SetMapMode(TMapMode::Metric);
        TCard card = Creature();
        card.Color = "R";
        DrawCard(card, canvas, TRect{100, -100, 100 + 570, -100 - 810});
        EXPECT_EQ(canvas.MapMode(), TMapMode::Metric);
    }
    // 10 mm = 118 px from the left and top; the card is 57 x 81 mm = 673 x 957 px.
    EXPECT_EQ(page.pixelColor(115, 500), QColor(Qt::white));
    EXPECT_TRUE(Close(page.pixelColor(121, 500), FrameColor("R")));
    EXPECT_TRUE(Close(page.pixelColor(788, 500), FrameColor("R")));
    EXPECT_EQ(page.pixelColor(794, 500), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(400, 115), QColor(Qt::white));
    EXPECT_TRUE(Close(page.pixelColor(400, 1071), FrameColor("R")));
    EXPECT_EQ(page.pixelColor(400, 1078), QColor(Qt::white));
}

// A frame picture that cannot be decoded is drawn as the grey face and reported once
// for the run, naming the file; the canvas keeps the mapping it had.
TEST(CardViewPicture, UndecodableFrameIsReportedOnceAndDrawnGrey)
{
    TTestStore store;
    WriteFile(store.Path() + "/data/R.jpg", QByteArray("not a picture"));
    std::vector<std::string> reports;
    OnPictureError = [&reports](const std::string& m) { reports.push_back(m); };
    TCard card = Creature();
    card.Color = "R";
    QImage img(300, 433, QImage::Format_RGB888);
    TCanvas canvas(img);
    for (int i = 0; i < 3; ++i) {
        img.fill(Qt::black);
        EXPECT_NO_THROW(DrawCard(card, canvas, TRect{0, 0, 300, 433}));
        EXPECT_EQ(img.pixelColor(6, 216), QColor(128, 128, 128));
    }
    OnPictureError = nullptr;
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].rfind("Picture file " + store.Path().toStdString() + "/data/R.jpg: Invalid JPEG data", 0), 0u)
        << reports[0];
    EXPECT_EQ(canvas.MapMode(), TMapMode::Pixels);
    card.Color = "G";
    EXPECT_NO_THROW(DrawCard(card, canvas, TRect{0, 0, 300, 433}));
}

// A page device that cannot be read back (here a PDF writer, as a printer): the face is
// drawn directly at the device's resolution, in the metric mapping the caller set.
TEST(CardViewPicture, DrawsOnAPageDevice)
{
    TTestStore store;
    QTemporaryDir dir;
    const QString path = dir.filePath("page.pdf");
    {
        QPdfWriter pdf(path);
        pdf.setResolution(600);
        TCanvas canvas(pdf, pdf.resolution(), pdf.resolution());
        canvas.SetMapMode(TMapMode::Metric);
        std::vector<TDrawRecord> rec;
        canvas.Recorder = &rec;
        IsPrinting = true;
        DrawCard(Creature(), canvas, TRect{25, -30, 25 + 570, -30 - 810});
        IsPrinting = false;
        const std::vector<TDrawRecord> white = WhiteTexts(rec);
        ASSERT_FALSE(white.empty());
        // The name at the title band's left: 2.5 mm + 19/300 of 57 mm, at 600 dpi.
        EXPECT_NEAR(white[0].device.Left, (25 + 19 * 570 / 300.0) * 600 / 254, 3);
    }
    EXPECT_GT(QFileInfo(path).size(), 1000);
}
