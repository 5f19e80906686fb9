// Card list and deck files on a synthetic 100,000-card base: re-filtering, re-sorting
// by each of the card list's orders, a find-as-you-type prefix locate, and reading a
// deck file of 1,000 lines.
#include "Library/Common/ExtUtils.h"
#include "data/CardText.h"
#include "data/DataModule.h"
#include "data/Settings.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <random>

namespace {

constexpr int kCards = 100000;

const char* const kLatin[] = {"ar", "bel", "cor", "dra", "el", "fen", "gor", "hal", "is", "jor",
                              "kel", "lan", "mor", "nar", "or", "pel", "quin", "ros", "sar", "tor"};
const char* const kCyrillic[] = {"ар", "бел", "вор", "гал", "дра", "ёж", "жар", "зел", "ис", "кор",
                                 "лан", "мор", "нар", "ор", "пел", "ром", "сар", "тор", "ус", "яр"};
const char* const kTypes[] = {"Creature - Elf", "Legendary Creature - Dragon", "Artifact",
                              "Artifact Creature - Golem", "Instant", "Sorcery", "Enchantment",
                              "Enchant Creature", "Land", "Basic Land"};
const char* const kCosts[] = {"G", "1W", "2UU", "3", "1WU", "BR", "", "4B", "XR", "2GW"};

std::string Word(std::mt19937& rng, const char* const* syllables, bool capital)
{
    std::string w;
    const int n = 2 + int(rng() % 3);
    for (int i = 0; i < n; ++i)
        w += syllables[rng() % 20];
    if (capital)
        w[0] = char(w[0] - 32); // Latin only
    return w;
}

// The data module over a synthetic card base, created once for all benchmarks.
struct TBenchBase {
    QTemporaryDir dir;
    std::unique_ptr<TData> data;
    std::vector<std::string> namesR;
    std::vector<std::string> deckLines;

    TBenchBase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("user"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, dir.filePath("system"));
        QDir().mkpath(dir.filePath("data"));
        BaseDir = dir.path().toStdString() + "/";

        std::mt19937 rng(1251);
        TTable t;
        DefineCardBaseFields(t);
        t.CreateDataSet();
        for (int i = 0; i < kCards; ++i) {
            const std::string name = Word(rng, kLatin, true) + " " + Word(rng, kLatin, false) + " " + std::to_string(i);
            const std::string nameR = Utf8ToWin1251(Word(rng, kCyrillic, false) + " " + Word(rng, kCyrillic, false))
                + " " + std::to_string(i);
            const char* cost = kCosts[rng() % 10];
            t.Append();
            t.FieldByName("Name").SetAsString(name);
            t.FieldByName("Set").SetAsString(std::string(SetCodes[size_t(rng() % 8)]));
            t.FieldByName("Version").SetAsString(i % 10 == 0 ? "A" : "");
            t.FieldByName("Color").SetAsString(ColorCodeFromCost(cost));
            t.FieldByName("Type").SetAsString(kTypes[rng() % 10]);
            t.FieldByName("Cost").SetAsString(cost);
            t.FieldByName("CostValue").SetAsInteger(int(rng() % 8));
            t.FieldByName("Rarity").SetAsString("C");
            t.FieldByName("NameR").SetAsString(nameR);
            t.FieldByName("TypeR").SetAsString(Utf8ToWin1251("Существо"));
            t.FieldByName("MtgEncID").SetAsInteger(10000 + i);
            t.Post();
            namesR.push_back(nameR);
            // Every hundredth card goes into the deck file, in several of the forms a
            // hand-written list uses.
            if (i % 100 == 0) {
                const std::string set = t.FieldByName("Set").AsString();
                const std::string version = t.FieldByName("Version").AsString();
                switch ((i / 100) % 3) {
                case 0:
                    deckLines.push_back("  4 [" + set + "] " + name + (version.empty() ? "" : " (" + version + ")"));
                    break;
                case 1:
                    deckLines.push_back("2;" + name + " [" + set + "]" + (version.empty() ? "" : " (1)"));
                    break;
                default:
                    deckLines.push_back("1 " + name); // no set code: the first set that has it
                    break;
                }
            }
        }
        t.SaveToFile(dir.filePath("data/cardbase.cds").toStdString());
        data = std::make_unique<TData>();
        std::string content;
        for (const auto& line : deckLines)
            content += line + "\r\n";
        QFile f(DeckPath());
        f.open(QIODevice::WriteOnly);
        f.write(content.data(), qint64(content.size()));
    }
    QString DeckPath() const { return dir.filePath("bench.mdc"); }
};

TBenchBase& Base()
{
    static TBenchBase base;
    return base;
}

void BM_Refilter(benchmark::State& state)
{
    TData& d = *Base().data;
    d.FilterSets.fill(true);
    d.FilterTypes.fill(true);
    d.FilterColors.fill(true);
    d.FilterSets[1] = false;  // some flags off, so the callback decides every group
    d.FilterTypes[4] = false;
    d.FilterColors[5] = false;
    d.FilterMultiExact = true;
    for (auto _ : state) {
        d.RefilterCards();
        benchmark::DoNotOptimize(d.FilteredCount());
    }
    state.counters["visible"] = d.FilteredCount();
    d.FilterSets.fill(true);
    d.FilterTypes.fill(true);
    d.FilterColors.fill(true);
    d.FilterMultiExact = false;
    d.RefilterCards();
}
BENCHMARK(BM_Refilter)->Unit(benchmark::kMillisecond);

// Switching between two sort orders of the card list (as after the filter or options
// dialog), each switch measured.
void BM_Resort(benchmark::State& state)
{
    static const char* const kIndexes[] = {"NameSort", "NameSortR", "CostSort", "CostSortR"};
    TData& d = *Base().data;
    const std::string index = kIndexes[state.range(0)];
    const std::string other = state.range(0) == 0 ? "CostSort" : "NameSort";
    state.SetLabel(index);
    for (auto _ : state) {
        d.CardsTable.SetIndexName(other);
        d.CardsTable.SetIndexName(index);
        d.CardsTable.First();
        benchmark::DoNotOptimize(d.CardsTable.RecNo());
    }
    d.CardsTable.SetIndexName("NameSort");
}
BENCHMARK(BM_Resort)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// Find-as-you-type on the Russian name order: each keystroke locates the first card
// whose name begins with the text typed so far, ignoring letter case.
void BM_PrefixLocate(benchmark::State& state)
{
    TData& d = *Base().data;
    d.CardsTable.SetIndexName("NameSortR");
    const auto& names = Base().namesR;
    size_t k = 0;
    int64_t found = 0;
    for (auto _ : state) {
        const std::string& name = names[(k++ * 7919) % names.size()];
        const std::string typed = UpperCase1251(name.substr(0, 1 + k % 6));
        found += d.CardsTable.Locate("NameR", {typed}, loCaseInsensitive | loPartialKey) ? 1 : 0;
    }
    state.counters["found"] = double(found) / double(k);
    d.CardsTable.SetIndexName("NameSort");
}
BENCHMARK(BM_PrefixLocate)->Unit(benchmark::kMicrosecond);

void BM_LoadDeck1000Lines(benchmark::State& state)
{
    TData& d = *Base().data;
    const std::string path = Base().DeckPath().toStdString();
    for (auto _ : state) {
        d.LoadDeck(path);
        benchmark::DoNotOptimize(d.DeckTotal);
    }
    state.counters["lines"] = double(Base().deckLines.size());
    state.counters["entries"] = d.DeckTable.RecordCount();
    state.counters["total"] = d.DeckTotal;
}
BENCHMARK(BM_LoadDeck1000Lines)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
