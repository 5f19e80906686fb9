// Drawing card faces: a plain creature, a card with a long rules text and a split card,
// into the screen picture of 300 x 433 and the double-size picture of 624 x 880 behind
// saved card pictures, on the data store built beside the program (frames, set
// symbols, art, fonts).
#include "Library/Common/ExtUtils.h"
#include "data/Settings.h"
#include "render/Canvas.h"
#include "render/CardView.h"
#include "render/Fonts.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

TCard PlainCreature()
{
    TCard c;
    c.Name = "Grizzly Bears";
    c.Set = "7E";
    c.Color = "G";
    c.Type = "Creature - Bear";
    c.Cost = "1G";
    c.PwrTgh = "2/2";
    c.Rarity = "C";
    c.NameR = Utf8ToWin1251("Гризли");
    c.TypeR = Utf8ToWin1251("Существо - Медведь");
    c.FlavorR = Utf8ToWin1251("У них когти длиной с вашу руку. И они ворчливые.");
    return c;
}

TCard LongText()
{
    TCard c;
    c.Name = "Planeswalker's Mischief";
    c.Set = "PS";
    c.Color = "U";
    c.Type = "Enchantment";
    c.Cost = "2U";
    c.Rarity = "R";
    c.NameR = Utf8ToWin1251("Проделка Мироходца");
    c.TypeR = Utf8ToWin1251("Чары");
    c.TextR = Utf8ToWin1251(
        "%3%U: Целевой оппонент показывает случайную карту из своей руки. Если это карта мгновенного "
        "заклинания или волшебства, удалите ее из игры. Пока она остается удаленной из игры, вы можете "
        "разыграть ее, как если бы она была в вашей руке, не платя ее мана-стоимость. Если в ее "
        "мана-стоимости есть X, то X равен 0. В конце хода, если вы ее не разыграли, верните ее в руку ее "
        "владельца. Играйте эту способность только тогда, когда вы могли бы разыграть волшебство.");
    return c;
}

TCard SplitCard()
{
    TCard c;
    c.Name = "Fire/Ice";
    c.Set = "AP";
    c.Color = "Z";
    c.Type = "Instant";
    c.Cost = "1R/1U";
    c.Rarity = "U";
    c.NameR = Utf8ToWin1251("Огонь/Лед");
    c.TypeR = Utf8ToWin1251("Мгновенное заклинание");
    c.TextR = Utf8ToWin1251("Огонь наносит 2 повреждения, распределенные по вашему выбору между любым "
                            "количеством целевых существ и/или игроков. // Поверните целевой перманент.\n"
                            "Возьмите карту.");
    return c;
}

// A rules text of `bytes` bytes no card has: words and symbols over and over, in one
// paragraph, or one symbol repeated. Drawn at the smallest height, clipped.
TCard HostileText(size_t bytes, bool symbolsOnly)
{
    TCard c = LongText();
    const std::string unit = symbolsOnly ? std::string("%W") : c.TextR + " ";
    std::string text;
    while (text.size() < bytes)
        text += unit;
    text.resize(bytes);
    c.TextR = text;
    c.Text = text;
    return c;
}

void DrawInto(benchmark::State& state, const TCard& card, int w, int h)
{
    QImage picture(w, h, QImage::Format_RGB888);
    for (auto _ : state) {
        TCanvas canvas(picture);
        DrawCard(card, canvas, TRect{0, 0, w, h});
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void BM_PlainCreature_300x433(benchmark::State& s) { DrawInto(s, PlainCreature(), 300, 433); }
void BM_PlainCreature_624x880(benchmark::State& s) { DrawInto(s, PlainCreature(), 624, 880); }
void BM_LongText_300x433(benchmark::State& s) { DrawInto(s, LongText(), 300, 433); }
void BM_LongText_624x880(benchmark::State& s) { DrawInto(s, LongText(), 624, 880); }
void BM_SplitCard_300x433(benchmark::State& s) { DrawInto(s, SplitCard(), 300, 433); }
void BM_SplitCard_624x880(benchmark::State& s) { DrawInto(s, SplitCard(), 624, 880); }
// Against BM_LongText_300x433: the time grows with the text, no faster.
void BM_HostileText40K_300x433(benchmark::State& s) { DrawInto(s, HostileText(40000, false), 300, 433); }
void BM_HostileText160K_300x433(benchmark::State& s) { DrawInto(s, HostileText(160000, false), 300, 433); }
void BM_HostileSymbols10K_300x433(benchmark::State& s) { DrawInto(s, HostileText(10000, true), 300, 433); }

// The cell of a page bitmap (58 x 82 mm at 300 dpi), drawn as a print run draws it.
void DrawPrinted(benchmark::State& state, const TCard& card)
{
    IsPrinting = true;
    DrawInto(state, card, 685, 969);
    IsPrinting = false;
}
void BM_PlainCreature_685x969_Printing(benchmark::State& s) { DrawPrinted(s, PlainCreature()); }
void BM_LongText_685x969_Printing(benchmark::State& s) { DrawPrinted(s, LongText()); }
void BM_SplitCard_685x969_Printing(benchmark::State& s) { DrawPrinted(s, SplitCard()); }

BENCHMARK(BM_PlainCreature_300x433)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCreature_624x880)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongText_300x433)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongText_624x880)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitCard_300x433)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitCard_624x880)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileText40K_300x433)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileText160K_300x433)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileSymbols10K_300x433)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCreature_685x969_Printing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongText_685x969_Printing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitCard_685x969_Printing)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunDrawingBenchmarks(argc, argv);
}
