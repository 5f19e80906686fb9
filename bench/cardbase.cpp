// Loading a large card base: the synthetic base of 100,000 cards, loaded by the data
// module from a plain folder "data" and from a pack file "data", a find-as-you-type
// prefix locate on the card list, and the memory the process holds once it is loaded.
#include "BenchSupport.h"
#include "Library/Common/PackStream.h"
#include "data/DataModule.h"
#include "data/Settings.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <malloc.h>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

TBenchFolder* Work = nullptr;

std::string FolderBase() { return Work->Path("plain/"); }
std::string PackBase() { return Work->Path("packed/"); }

// Resident memory of the process in KiB (VmRSS of /proc/self/status).
long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

// Keys of cards that are in the base, for the searches: every hundredth card's name,
// set and variant.
struct TCardKey {
    std::string Name, Set, Version;
};
std::vector<TCardKey> Keys;

// Writes the base as a plain file and as a pack member. Nothing of it stays in
// memory but the keys, so the memory benchmark sees the data module's share alone.
void Prepare()
{
    TTable t;
    FillSyntheticCardBase(t);
    const std::string packet = t.SaveToBytes();
    Work->WriteCardBase("plain", packet);
    QDir().mkpath(QString::fromStdString(PackBase()));
    auto member = TPackFileStream::CreateMember(PackBase() + "data", "cardbase.cds", fmCreate);
    member->WriteBuffer(packet.data(), int64_t(packet.size()));
    member->Close();
    for (int row = 0; row < t.RecordCount(); row += 100) {
        t.GotoRow(row);
        Keys.push_back({t.FieldByName("Name").AsString(), t.FieldByName("Set").AsString(),
                        t.FieldByName("Version").AsString()});
    }
    std::fprintf(stderr, "synthetic card base: %d cards, %zu bytes\n", kSyntheticCards, packet.size());
}

std::unique_ptr<TData> Load(const std::string& baseDir)
{
    BaseDir = baseDir;
    auto d = std::make_unique<TData>([](const std::string& m) { std::fprintf(stderr, "%s\n", m.c_str()); });
    if (!d->Ready)
        std::abort();
    return d;
}

// Resident memory once the data module holds the base, and the growth loading it
// caused. Runs first, before other benchmarks have grown the heap.
void BM_MemoryAfterLoading(benchmark::State& state)
{
    malloc_trim(0); // give back what setting up the files left free
    const long before = ResidentKiB();
    std::unique_ptr<TData> d;
    for (auto _ : state)
        d = Load(FolderBase());
    const long after = ResidentKiB();
    state.counters["RSS_MiB"] = double(after) / 1024.0;
    state.counters["growth_MiB"] = double(after - before) / 1024.0;
}
BENCHMARK(BM_MemoryAfterLoading)->Unit(benchmark::kMillisecond)->Iterations(1);

// The whole creation of the data module: settings, the card base through the pack
// file stream, the clone, the indexes, the filter.
void BM_CreateDataModule_PlainFile(benchmark::State& state)
{
    for (auto _ : state) {
        auto d = Load(FolderBase());
        benchmark::DoNotOptimize(d->CardsTable.RecordCount());
    }
    state.counters["cards"] = kSyntheticCards;
}
BENCHMARK(BM_CreateDataModule_PlainFile)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CreateDataModule_PackMember(benchmark::State& state)
{
    for (auto _ : state) {
        auto d = Load(PackBase());
        benchmark::DoNotOptimize(d->CardsTable.RecordCount());
    }
    state.counters["cards"] = kSyntheticCards;
}
BENCHMARK(BM_CreateDataModule_PackMember)->Unit(benchmark::kMillisecond)->Iterations(5);

// The card base alone: the stream and the engine's packet reader, no indexes.
void BM_LoadTable_PlainFile(benchmark::State& state)
{
    for (auto _ : state) {
        TPackFileStream stream(FolderBase() + "data/cardbase.cds", fmOpenRead);
        TTable t;
        t.LoadFromBytes(stream.ReadAll());
        benchmark::DoNotOptimize(t.RecordCount());
    }
}
BENCHMARK(BM_LoadTable_PlainFile)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadTable_PackMember(benchmark::State& state)
{
    for (auto _ : state) {
        TPackFileStream stream(PackBase() + "data/cardbase.cds", fmOpenRead);
        TTable t;
        t.LoadFromBytes(stream.ReadAll());
        benchmark::DoNotOptimize(t.RecordCount());
    }
}
BENCHMARK(BM_LoadTable_PackMember)->Unit(benchmark::kMillisecond)->Iterations(5);

// Find-as-you-type in the card list: a prefix of the English name, ignoring case,
// in the list's name order through the record filter; prefixes of growing length of
// names spread over the base.
void BM_PrefixLocate(benchmark::State& state)
{
    auto d = Load(FolderBase());
    d->CardsTable.SetIndexName("NameSort");
    std::vector<std::string> prefixes;
    for (size_t k = 0; k < 5; ++k)
        prefixes.push_back(LowerCase1251(Keys[(k * 7919) % Keys.size()].Name.substr(0, 2 + 2 * k)));
    size_t i = 0;
    for (auto _ : state) {
        d->CardsTable.First();
        const bool found = d->CardsTable.Locate("Name", {prefixes[i++ % 5]}, loPartialKey | loCaseInsensitive);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_PrefixLocate)->Unit(benchmark::kMicrosecond);

// LocateCard: the exact key search behind every card drawn, printed or counted.
void BM_LocateCard(benchmark::State& state)
{
    auto d = Load(FolderBase());
    size_t n = 0;
    for (auto _ : state) {
        const TCardKey& key = Keys[(n++ * 7919) % Keys.size()];
        benchmark::DoNotOptimize(d->LocateCard(key.Name, key.Set, key.Version));
    }
}
BENCHMARK(BM_LocateCard)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TBenchFolder work; // the settings stores go there as well
    Work = &work;
    return RunBenchmarks(argc, argv, Prepare);
}
