// Rules text: the display rewrites, paragraphs and their gaps, attribution lines,
// italics and digit runs, line breaking, the fitting loop and the vertical centring.
#include "RenderTestSupport.h"

#include "render/ManaSymbols.h"
#include "render/RulesText.h"

#include <QFontMetricsF>

using namespace rendertest;

namespace {

struct TTextCanvas {
    QImage Image{600, 600, QImage::Format_RGB888};
    std::vector<TDrawRecord> Rec;
    std::unique_ptr<TCanvas> Canvas;
    TRenderSettings Saved;
    explicit TTextCanvas(int height = 40)
    {
        EnsureFonts();
        // Direct drawing, so inline symbols are recorded as circles.
        IsPrinting = true;
        PrintGrayscale = false;
        Image.fill(Qt::white);
        Canvas = std::make_unique<TCanvas>(Image);
        Canvas->Recorder = &Rec;
        Canvas->SetMapMode(TMapMode::Metric);
        Canvas->Font.Height = height;
    }
    // Black text runs only (no symbol glyphs).
    std::vector<TDrawRecord> Runs() const
    {
        std::vector<TDrawRecord> out;
        for (const TDrawRecord& r : OfKind(Rec, TDrawRecord::Text))
            if (r.font.Name != SymbolFontName)
                out.push_back(r);
        return out;
    }
    int32_t LineHeight()
    {
        const TCanvasFont saved = Canvas->Font;
        Canvas->Font.Name = "Georgia";
        Canvas->Font.Style = 0;
        const int32_t h = Canvas->TextHeight("OOOOO");
        Canvas->Font = saved;
        return h;
    }
};

const TRect Box{50, -50, 1050, -1000};

} // namespace

TEST(RulesTextPrepare, Rewrites)
{
    struct Case {
        const char* rules;
        bool reminders;
        const char* want;
    } cases[] = {
        {"%TAP: Add %G. %T: Draw.", true, "%T: Add %G. %T: Draw."},
        {"~this~ deals 2 damage. Sacrifice ~this~.", true, "Bear deals 2 damage. Sacrifice Bear."},
        {"~This~ stays.", true, "~This~ stays."},
        {"Flying #(This can't be blocked.)#", true, "Flying (This can't be blocked.)"},
        {"Flying #(This can't be blocked.)# now", false, "Flying  now"},
        {"Flying #(open", false, "Flying open"},
        {"A # sign", true, "A  sign"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrepareRulesText(c.rules, "Bear", c.reminders), c.want) << c.rules;
}

TEST(RulesTextPrepare, Paragraphs)
{
    const std::vector<std::string> p =
        RulesParagraphs("  First \r\n\r\n\n Second\r", "Flavour one.--Someone\nMore--Other");
    const std::vector<std::string> want = {"First", "Second", "&Flavour one.", "&--Someone", "&More",
                                           "&--Other"};
    EXPECT_EQ(p, want);
    EXPECT_TRUE(RulesParagraphs("", "").empty());
    EXPECT_TRUE(RulesParagraphs(" \r\n ", "\n").empty());
}

// Gaps of 0.4 line heights after every rules paragraph but the last of the list,
// none between flavour paragraphs; the attribution drawn right-aligned with one "-".
TEST(RulesTextLayout, ParagraphGapsAndAttribution)
{
    TTextCanvas t;
    LayoutRulesText(*t.Canvas, Box, "First line\r\n\r\nSecond line", "Flavour one.--Someone");
    const int32_t lh = t.LineHeight();
    const int32_t gap = RoundSaturated(lh * 0.4);
    const TDrawRecord* first = FindText(t.Rec, "First line");
    const TDrawRecord* second = FindText(t.Rec, "Second line");
    const TDrawRecord* flavour = FindText(t.Rec, "Flavour one.");
    const TDrawRecord* attribution = FindText(t.Rec, "-Someone");
    ASSERT_TRUE(first && second && flavour && attribution);
    EXPECT_EQ(first->rect.Top - second->rect.Top, lh + gap);
    EXPECT_EQ(second->rect.Top - flavour->rect.Top, lh + gap);
    EXPECT_EQ(flavour->rect.Top - attribution->rect.Top, lh);
    EXPECT_EQ(first->rect.Left, Box.Left);
    EXPECT_EQ(attribution->rect.Right, Box.Right);
    EXPECT_EQ(first->font.Style, 0u);
    EXPECT_EQ(flavour->font.Style, unsigned(fsItalic));
    EXPECT_EQ(attribution->font.Style, unsigned(fsItalic));
    EXPECT_EQ(first->font.Name, "Georgia");
    // Centred vertically: as much room above the block as below it.
    const int32_t used = first->rect.Top - (attribution->rect.Top - lh);
    const int32_t above = Box.Top - first->rect.Top;
    EXPECT_EQ(above, (Box.Top - Box.Bottom - used) / 2);
}

TEST(RulesTextLayout, EverythingAfterAnAttributionIsRightAligned)
{
    TTextCanvas t;
    LayoutRulesText(*t.Canvas, Box, "Rules.", "A--B\nAfter.");
    const TDrawRecord* after = FindText(t.Rec, "After.");
    const TDrawRecord* rules = FindText(t.Rec, "Rules.");
    ASSERT_TRUE(after && rules);
    EXPECT_EQ(after->rect.Right, Box.Right);
    EXPECT_EQ(rules->rect.Left, Box.Left);
}

// Parentheses and what is between them in italics, digits in Palatino Linotype moved
// down by half the difference of the cell heights, symbols inline.
TEST(RulesTextLayout, ItalicSpansDigitsAndSymbols)
{
    TTextCanvas t;
    LayoutRulesText(*t.Canvas, Box, "Deal 12 damage (this one) now %R.", "");
    const std::vector<TDrawRecord> runs = t.Runs();
    std::vector<std::string> texts;
    for (const TDrawRecord& r : runs)
        texts.push_back(r.text);
    const std::vector<std::string> want = {"Deal ", "12", " damage ", "(this one)", " now ", "."};
    ASSERT_EQ(texts, want);
    EXPECT_EQ(runs[0].font.Style, 0u);
    EXPECT_EQ(runs[1].font.Name, "Palatino Linotype");
    EXPECT_EQ(runs[3].font.Style, unsigned(fsItalic));
    EXPECT_EQ(runs[3].font.Name, "Georgia");
    EXPECT_EQ(runs[4].font.Style, 0u);
    // Runs follow each other without gaps.
    for (size_t i = 1; i < 5; ++i)
        EXPECT_EQ(runs[i].rect.Left, runs[i - 1].rect.Right) << runs[i].text;
    const int32_t georgiaCell = runs[0].rect.Top - runs[0].rect.Bottom;
    const int32_t palatinoCell = runs[1].rect.Top - runs[1].rect.Bottom;
    EXPECT_EQ(runs[1].rect.Top, runs[0].rect.Top - (georgiaCell - palatinoCell) / 2);
    // The red symbol between " now " and ".".
    std::vector<TDrawRecord> circles = OfKind(t.Rec, TDrawRecord::Ellipse);
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].brush, QColor(255, 176, 176));
    EXPECT_EQ(circles[0].rect.Left, runs[4].rect.Right);
    EXPECT_GT(runs[5].rect.Left, circles[0].rect.Right);
}

// An inline symbol stands on its line like a capital letter: the circle's middle is
// the middle of the capitals of the text font (within a tenth of the em, which leaves
// room for the differences between the text fonts that may stand for "Georgia").
TEST(RulesTextLayout, InlineSymbolsAreCentredOnTheCapitals)
{
    TTextCanvas t(200);
    TRulesLayout layout(*t.Canvas, Box);
    layout.DrawRulesLine(Box, "%G: Add %R to your pool.", false);
    const std::vector<TDrawRecord> runs = t.Runs();
    ASSERT_FALSE(runs.empty());
    const TDrawRecord& text = runs[0];
    ASSERT_EQ(text.font.Name, "Georgia");
    QFont georgia(QStringLiteral("Georgia"));
    georgia.setPixelSize(text.devicePixelSize);
    const QFontMetricsF m(georgia);
    const double capitalsMiddle = text.device.Top + m.ascent() - m.capHeight() / 2;
    const std::vector<TDrawRecord> circles = OfKind(t.Rec, TDrawRecord::Ellipse);
    ASSERT_EQ(circles.size(), 2u);
    for (const TDrawRecord& c : circles) {
        const double middle = (c.device.Top + c.device.Bottom) / 2.0;
        EXPECT_NEAR(middle, capitalsMiddle, 0.1 * text.devicePixelSize);
        // The circle stays within the line.
        EXPECT_GE(c.device.Top, text.device.Top);
        EXPECT_LE(c.device.Bottom, text.device.Bottom);
    }
}

TEST(RulesTextLayout, ItalicsCarryOverLineBreaks)
{
    TTextCanvas t;
    const TRect narrow{50, -50, 450, -1000};
    LayoutRulesText(*t.Canvas, narrow, "Start (one two three four five six seven eight) end", "");
    const std::vector<TDrawRecord> runs = t.Runs();
    ASSERT_GE(runs.size(), 4u);
    EXPECT_EQ(runs[0].text, "Start ");
    EXPECT_EQ(runs[0].font.Style, 0u);
    // The parenthesis opens on the first line and closes on a later one; the lines
    // between start in italics.
    size_t closing = runs.size();
    for (size_t i = 0; i < runs.size(); ++i)
        if (runs[i].text.find(')') != std::string::npos)
            closing = i;
    ASSERT_LT(closing, runs.size());
    EXPECT_LT(runs[closing].rect.Top, runs[0].rect.Top);
    for (size_t i = 1; i <= closing; ++i)
        EXPECT_EQ(runs[i].font.Style, unsigned(fsItalic)) << runs[i].text;
    EXPECT_EQ(runs[1].text.substr(0, 1), "(");
    EXPECT_EQ(runs[2].rect.Left, narrow.Left);
    for (size_t i = closing + 1; i < runs.size(); ++i)
        EXPECT_EQ(runs[i].font.Style, 0u) << runs[i].text;
    EXPECT_NE(runs.back().text.find("end"), std::string::npos);
}

TEST(RulesTextLayout, SymbolCodes)
{
    TTextCanvas t;
    LayoutRulesText(*t.Canvas, Box, PrepareRulesText("%TAP, %T, %q, end%", "", true), "");
    std::vector<TDrawRecord> circles = OfKind(t.Rec, TDrawRecord::Ellipse);
    ASSERT_EQ(circles.size(), 4u);
    int tap = 0;
    for (const TDrawRecord& r : OfKind(t.Rec, TDrawRecord::Text))
        tap += r.text == "T";
    EXPECT_EQ(tap, 2);
    // An unknown code and a "%" at the end: empty grey circles.
    EXPECT_EQ(circles[2].brush, QColor(208, 208, 208));
    EXPECT_EQ(circles[3].brush, QColor(208, 208, 208));
}

// A long text shrinks one unit at a time to the largest height that fits.
TEST(RulesTextLayout, LongTextShrinksToTheLargestHeightThatFits)
{
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += "Whenever a creature comes into play, you may draw a card and gain 2 life.\n";
    const TRect box{50, -50, 1050, -650};

    TTextCanvas t;
    TRulesLayout layout(*t.Canvas, box);
    layout.Run(RulesParagraphs(text, ""));
    const int32_t fitted = layout.FittedHeight;
    EXPECT_LT(fitted, 40);
    EXPECT_GT(fitted, 10);
    // Every line lies inside the box.
    for (const TDrawRecord& r : t.Runs()) {
        EXPECT_LE(r.rect.Top, box.Top);
        EXPECT_GE(r.rect.Bottom, box.Bottom - 2);
        EXPECT_LE(r.rect.Right, box.Right);
    }
    // One unit larger does not fit: a measuring pass at that height runs past the box.
    TTextCanvas m(fitted + 1);
    TRulesLayout probe(*m.Canvas, box);
    for (const std::string& p : RulesParagraphs(text, "")) {
        const TSize r = probe.LayoutParagraph(p, true);
        probe.LinePos.Top -= RoundSaturated(r.cy * 0.4);
    }
    EXPECT_LT(probe.LinePos.Top + RoundSaturated(m.LineHeight() * 0.4), box.Bottom);
}

TEST(RulesTextLayout, ShortTextKeepsItsHeight)
{
    TTextCanvas t;
    TRulesLayout layout(*t.Canvas, Box);
    layout.Run(RulesParagraphs("Flying", ""));
    EXPECT_EQ(layout.FittedHeight, 40);
    const TDrawRecord* r = FindText(t.Rec, "Flying");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->font.Height, 40);
}

// A first word wider than the box is emitted after an empty line.
TEST(RulesTextLayout, EmptyLineBeforeAnOverWideFirstWord)
{
    TTextCanvas t;
    const TRect narrow{50, -50, 250, -1000};
    const int32_t lh = t.LineHeight();
    TRulesLayout layout(*t.Canvas, narrow);
    layout.LinePos = narrow;
    layout.LayoutParagraph("Incomprehensibilities a", false);
    const TDrawRecord* word = FindText(t.Rec, "Incomprehensibilities");
    const TDrawRecord* a = FindText(t.Rec, "a");
    ASSERT_TRUE(word && a);
    EXPECT_EQ(word->rect.Top, narrow.Top - lh);
    EXPECT_EQ(a->rect.Top, narrow.Top - 2 * lh);
    EXPECT_EQ(layout.LinePos.Top, narrow.Top - 3 * lh);
    // In a box wide enough both words share the first line.
    TTextCanvas w;
    TRulesLayout wide(*w.Canvas, Box);
    wide.LinePos = Box;
    wide.LayoutParagraph("Incomprehensibilities a", false);
    EXPECT_TRUE(FindText(w.Rec, "Incomprehensibilities a"));
    EXPECT_EQ(wide.LinePos.Top, Box.Top - lh);
}

// A word wider than the box alone makes the text shrink until it fits, rather than
// run out of the box.
TEST(RulesTextLayout, OverWideWordShrinksTheText)
{
    TTextCanvas t;
    const TRect narrow{50, -50, 400, -1000};
    TRulesLayout layout(*t.Canvas, narrow);
    layout.Run(RulesParagraphs("Short words then Incomprehensibilities here", ""));
    EXPECT_LT(layout.FittedHeight, 40);
    const TDrawRecord* word = FindText(t.Rec, "Incomprehensibilities");
    ASSERT_TRUE(word);
    EXPECT_LE(word->rect.Right, narrow.Right);
    // The first line is not empty: the word fits a line of its own.
    EXPECT_TRUE(FindText(t.Rec, "Short words then"));
}

// Chunks ended by "\" are not broken at their blanks; a first chunk wider than the box
// is reported upwards, and one that never fits ends the shrinking at one unit.
TEST(RulesTextLayout, UnbreakableChunks)
{
    TTextCanvas t;
    const TRect narrow{50, -50, 650, -1000};
    TRulesLayout layout(*t.Canvas, narrow);
    layout.LinePos = narrow;
    const TSize r = layout.LayoutParagraph("one two\\three four\\five six", false);
    EXPECT_EQ(r.cx, narrow.Right - narrow.Left);
    bool whole = false;
    for (const TDrawRecord& rec : t.Runs())
        whole |= rec.text.find("three four") != std::string::npos;
    EXPECT_TRUE(whole);

    TTextCanvas n;
    const TRect tiny{50, -50, 90, -1000};
    TRulesLayout never(*n.Canvas, tiny);
    never.Run(RulesParagraphs("Averyveryverylongchunkwithoutanybreaks\\x", ""));
    EXPECT_EQ(never.FittedHeight, 1);
    EXPECT_FALSE(n.Runs().empty());
}

TEST(RulesTextLayout, EmptyTextsDrawNothing)
{
    TTextCanvas t;
    LayoutRulesText(*t.Canvas, Box, "", "  \r\n");
    EXPECT_TRUE(t.Rec.empty());
}

// Texts no card has (a megabyte of words, ten thousand symbols, one endless word)
// fit at the smallest height or not at all: they are drawn from the top of the box,
// nothing below it, and each measuring pass stops once the text has run well past the
// box, so that the number of passes and the drawing do not grow with the text.
TEST(RulesTextLayout, HostileTextsDrawClippedWithinTheBox)
{
    std::string words;
    while (words.size() < (size_t(1) << 20))
        words += "Target creature gets +1/+1 %G until end of turn (reminder). ";
    std::string symbols;
    for (int i = 0; i < 5000; ++i)
        symbols += "%W";
    const std::pair<const char*, std::string> cases[] = {
        {"a megabyte of words", words},
        {"10,000 bytes of symbols", symbols},
        {"one word of 200,000 letters", std::string(200000, 'x')},
        {"100,000 paragraphs", [] { std::string s; for (int i = 0; i < 100000; ++i) s += "a\n"; return s; }()},
    };
    for (const auto& [what, text] : cases) {
        SCOPED_TRACE(what);
        TTextCanvas t;
        TRulesLayout layout(*t.Canvas, Box);
        layout.Run(RulesParagraphs(text, ""));
        EXPECT_EQ(layout.FittedHeight, 1);
        EXPECT_LE(layout.Measures, 24);
        size_t drawn = 0;
        for (const TDrawRecord& r : t.Rec) {
            if (r.kind != TDrawRecord::Text && r.kind != TDrawRecord::Ellipse)
                continue;
            ++drawn;
            EXPECT_GE(r.rect.Top, Box.Bottom) << "drawn below the box";
        }
        EXPECT_GT(drawn, 0u);
        EXPECT_LT(drawn, 100000u);
    }
}
