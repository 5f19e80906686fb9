// Card list and deck files on the synthetic 100,000-card base: re-filtering, re-sorting
// by each of the card list's orders, a find-as-you-type prefix locate, and reading a
// deck file of 1,000 lines.
#include "BenchSupport.h"
#include "Library/Common/ExtUtils.h"
#include "Library/Common/FileUtils.h"
#include "data/DataModule.h"
#include "data/Settings.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <memory>
#include <string>
#include <vector>

namespace {

// The data module over the synthetic card base, created once for all benchmarks, and
// a deck file of every hundredth card.
struct TBenchBase {
    TBenchFolder folder;
    std::unique_ptr<TData> data;
    std::vector<std::string> namesR;
    std::vector<std::string> deckLines;

    TBenchBase()
    {
        TTable t;
        FillSyntheticCardBase(t);
        for (t.First(); !t.Eof(); t.Next()) {
            namesR.push_back(t.FieldByName("NameR").AsString());
            // Every hundredth card goes into the deck file, in several of the forms a
            // hand-written list uses.
            const int i = t.RecNo() - 1;
            if (i % 100 == 0) {
                const std::string name = t.FieldByName("Name").AsString();
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
        BaseDir = folder.WriteCardBase("", t.SaveToBytes());
        data = std::make_unique<TData>();
        std::string content;
        for (const auto& line : deckLines)
            content += line + "\r\n";
        WriteFileReplacing(DeckPath(), content);
    }
    std::string DeckPath() const { return folder.Path("bench.mdc"); }
};

TBenchBase& Base()
{
    static TBenchBase base;
    return base;
}

void BM_Refilter(benchmark::State& state)
{
    TData& d = *Base().data;
    d.SetAllSetFilters(true);
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
    d.SetAllSetFilters(true);
    d.FilterTypes.fill(true);
    d.FilterColors.fill(true);
    d.FilterMultiExact = false;
    d.RefilterCards();
}
BENCHMARK(BM_Refilter)->Unit(benchmark::kMillisecond);

// What re-filtering cannot do without: the same filter function called for every
// record, on a cursor without a filter walking the same records.
void BM_FilterBaseline(benchmark::State& state)
{
    TData& d = *Base().data;
    TTable walk;
    walk.CloneCursor(d.BaseTable);
    d.FilterSets[1] = false;
    d.FilterTypes[4] = false;
    d.FilterColors[5] = false;
    d.FilterMultiExact = true;
    int visible = 0;
    for (auto _ : state) {
        visible = 0;
        for (walk.First(); !walk.Eof(); walk.Next()) {
            bool accept = true;
            d.CardsTableFilterRecord(walk, accept);
            visible += accept;
        }
        benchmark::DoNotOptimize(visible);
    }
    state.counters["visible"] = visible;
    d.SetAllSetFilters(true);
    d.FilterTypes.fill(true);
    d.FilterColors.fill(true);
    d.FilterMultiExact = false;
}
BENCHMARK(BM_FilterBaseline)->Unit(benchmark::kMillisecond);

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
        state.PauseTiming();
        d.CardsTable.SetIndexName(other);
        state.ResumeTiming();
        d.CardsTable.SetIndexName(index);
        d.CardsTable.First();
        benchmark::DoNotOptimize(d.CardsTable.RecNo());
    }
    d.CardsTable.SetIndexName("NameSort");
}
BENCHMARK(BM_Resort)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// What a sort order cannot beat: the keys of the same records (English name, set,
// variant, compared as the index compares them) put in order with std::stable_sort.
void BM_SortBaseline(benchmark::State& state)
{
    TData& d = *Base().data;
    struct TKey {
        std::string Name, Set, Version;
    };
    std::vector<TKey> keys;
    TTable walk;
    walk.CloneCursor(d.BaseTable);
    for (walk.First(); !walk.Eof(); walk.Next())
        keys.push_back({walk.FieldByName("Name").AsString(), walk.FieldByName("Set").AsString(),
                        walk.FieldByName("Version").AsString()});
    for (auto _ : state) {
        std::vector<const TKey*> order;
        order.reserve(keys.size());
        for (const TKey& k : keys)
            order.push_back(&k);
        std::stable_sort(order.begin(), order.end(), [](const TKey* a, const TKey* b) {
            if (int c = CollateCompare1251(a->Name, b->Name))
                return c < 0;
            if (int c = CollateCompare1251(a->Set, b->Set))
                return c < 0;
            return CollateCompare1251(a->Version, b->Version) < 0;
        });
        benchmark::DoNotOptimize(order.data());
    }
}
BENCHMARK(BM_SortBaseline)->Unit(benchmark::kMicrosecond);

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
    const std::string path = Base().DeckPath();
    for (auto _ : state) {
        d.LoadDeck(path);
        benchmark::DoNotOptimize(d.DeckTotal);
    }
    state.counters["lines"] = double(Base().deckLines.size());
    state.counters["entries"] = d.DeckTable.RecordCount();
    state.counters["total"] = d.DeckTotal;
}
BENCHMARK(BM_LoadDeck1000Lines)->Unit(benchmark::kMillisecond);

// A deck line of hostile markup: N unclosed "[" (arg 0) or N pairs "()" (arg 1). The
// time per line must grow with N, not with its square.
static void BM_HostileDeckLine(benchmark::State& state)
{
    TData& d = *Base().data;
    const size_t n = size_t(state.range(0));
    std::string line = "4 ";
    for (size_t i = 0; i < n; ++i)
        line += state.range(1) == 0 ? "[" : "()";
    const std::string path = Base().folder.Path("hostile.txt");
    WriteFileReplacing(path, line + "\n");
    for (auto _ : state) {
        d.LoadDeck(path);
        benchmark::DoNotOptimize(d.DeckTotal);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(line.size()));
}
BENCHMARK(BM_HostileDeckLine)
    ->ArgsProduct({{80000, 160000, 320000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
