// Table engine on the synthetic card base of 100,000 cards: loading the packet,
// find-as-you-type (case-insensitive prefix Locate), re-filtering, selecting indexes,
// and posting one change with five indexes to keep in order.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "BenchSupport.h"
#include "Library/Common/ExtUtils.h"
#include "data/TableEngine.h"

namespace {

// The card list's kind of filter: set, type and cost tests on three short texts.
void CardFilter(TTable& t, bool& accept)
{
    static TField* set = nullptr;
    static TField* type = nullptr;
    static TField* cost = nullptr;
    static TTable* bound = nullptr;
    if (bound != &t) {
        set = &t.FieldByName("Set");
        type = &t.FieldByName("Type");
        cost = &t.FieldByName("Cost");
        bound = &t;
    }
    std::string s = set->AsString();
    accept = s != "UN" && s != "PS" && type->AsString().rfind("Basic", 0) != 0 &&
             cost->AsString().find('B') == std::string::npos;
}

// The card base with its clone and the card list's indexes, loaded once.
struct CardBase {
    TTable Base;
    TTable Cards;
    CardBase()
    {
        Base.LoadFromBytes(SyntheticCardBasePacket());
        Base.AddIndex("NameSort", "Name;Set;Version");
        Base.SetIndexName("NameSort");
        Cards.CloneCursor(Base);
        Cards.AddIndex("NameSort", "Name;Set;Version");
        Cards.AddIndex("NameSortR", "NameR;Set;Version");
        Cards.AddIndex("CostSort", "CostValue;Name;Set;Version");
        Cards.AddIndex("CostSortR", "CostValue;NameR;Set;Version");
        Cards.SetOnFilterRecord(CardFilter);
        Cards.SetFiltered(true);
        for (const char* i : {"NameSortR", "CostSort", "CostSortR", "NameSort"})
            Cards.SetIndexName(i);
    }
};

CardBase& Shared()
{
    static CardBase base;
    return base;
}

void BM_LoadPacket(benchmark::State& state)
{
    const std::string& packet = SyntheticCardBasePacket();
    for (auto _ : state) {
        TTable t;
        t.LoadFromBytes(packet);
        benchmark::DoNotOptimize(t.RecordCount());
    }
    state.counters["bytes"] = double(packet.size());
}
BENCHMARK(BM_LoadPacket)->Unit(benchmark::kMillisecond);

void BM_SavePacket(benchmark::State& state)
{
    CardBase& cb = Shared();
    for (auto _ : state)
        benchmark::DoNotOptimize(cb.Base.SaveToBytes());
}
BENCHMARK(BM_SavePacket)->Unit(benchmark::kMillisecond);

// Typing a name into the find box: prefixes of growing length, case-insensitive.
void BM_LocatePrefixNameSort(benchmark::State& state)
{
    CardBase& cb = Shared();
    cb.Cards.SetIndexName("NameSort");
    cb.Cards.Last();
    const std::string name = LowerCase1251(cb.Cards.FieldByName("Name").AsString());
    size_t len = 1;
    for (auto _ : state) {
        bool found = cb.Cards.Locate("Name", {name.substr(0, len)}, loCaseInsensitive | loPartialKey);
        benchmark::DoNotOptimize(found);
        len = len % name.size() + 1;
    }
}
BENCHMARK(BM_LocatePrefixNameSort)->Unit(benchmark::kMicrosecond);

// The same while the list is sorted by cost: no index helps, the scan runs.
void BM_LocatePrefixCostSort(benchmark::State& state)
{
    CardBase& cb = Shared();
    cb.Cards.SetIndexName("CostSort");
    cb.Cards.Last();
    const std::string name = LowerCase1251(cb.Cards.FieldByName("Name").AsString());
    for (auto _ : state)
        benchmark::DoNotOptimize(cb.Cards.Locate("Name", {name}, loCaseInsensitive | loPartialKey));
    cb.Cards.SetIndexName("NameSort");
}
BENCHMARK(BM_LocatePrefixCostSort)->Unit(benchmark::kMillisecond);

void BM_FilterOffOn(benchmark::State& state)
{
    CardBase& cb = Shared();
    for (auto _ : state) {
        cb.Cards.SetFiltered(false);
        cb.Cards.SetFiltered(true);
        benchmark::DoNotOptimize(cb.Cards.RecordCount());
    }
    state.counters["visible"] = double(cb.Cards.RecordCount());
}
BENCHMARK(BM_FilterOffOn)->Unit(benchmark::kMillisecond);

// Selecting one of the card list's (already built) indexes, filter on.
void BM_SelectIndex(benchmark::State& state)
{
    CardBase& cb = Shared();
    const char* names[] = {"NameSort", "NameSortR", "CostSort", "CostSortR"};
    int i = 0;
    for (auto _ : state) {
        cb.Cards.SetIndexName(names[i]);
        i = (i + 1) % 4;
    }
    cb.Cards.SetIndexName("NameSort");
}
BENCHMARK(BM_SelectIndex)->Unit(benchmark::kMillisecond);

// The first selection of an index sorts the card base (no other cursor over the data
// keeps that order yet).
void BM_FirstSelectIndex(benchmark::State& state)
{
    static TTable plain;
    if (!plain.Active())
        plain.LoadFromBytes(SyntheticCardBasePacket());
    const char* fields[] = {"Name;Set;Version", "NameR;Set;Version", "CostValue;Name;Set;Version",
                            "CostValue;NameR;Set;Version"};
    const char* f = fields[state.range(0)];
    for (auto _ : state) {
        TTable clone;
        clone.CloneCursor(plain);
        clone.AddIndex("X", f);
        clone.SetIndexName("X");
        benchmark::DoNotOptimize(clone.RecordCount());
    }
    state.SetLabel(f);
}
BENCHMARK(BM_FirstSelectIndex)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Editing one card's name: five indexes and the filtered view move it.
void BM_EditPost(benchmark::State& state)
{
    CardBase& cb = Shared();
    std::mt19937 rng(7);
    TField& name = cb.Base.FieldByName("Name");
    TField& nameR = cb.Base.FieldByName("NameR");
    for (auto _ : state) {
        cb.Base.SetRecNo(int(rng() % unsigned(cb.Base.RecordCount())) + 1);
        cb.Base.Edit();
        name.SetAsString(SyntheticWord(rng, false, true) + " " + SyntheticWord(rng, false));
        nameR.SetAsString(SyntheticWord(rng, true));
        cb.Base.Post();
    }
}
BENCHMARK(BM_EditPost)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
