// Loading a large card base: a synthetic base of 100,000 cards, loaded by the data
// module from a plain folder "data" and from a pack file "data", a find-as-you-type
// prefix locate on the card list, and the memory the process holds once it is loaded.
#include "Library/Common/PackStream.h"
#include "data/DataModule.h"
#include "data/Settings.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <malloc.h>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr int CardCount = 100000;

QTemporaryDir* Work = nullptr;

std::string FolderBase() { return Work->path().toStdString() + "/plain/"; }
std::string PackBase() { return Work->path().toStdString() + "/packed/"; }

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

// Card texts of about the length of the real ones: English and Russian rules text of
// one to three sentences, a type line, a cost.
std::string SyntheticPacket()
{
    static const char* const words[] = {"target", "creature", "gets", "until", "end", "of", "turn", "draw",
                                        "a", "card", "player", "deals", "damage", "to", "each", "flying"};
    static const char* const ruWords[] = {"\xF6\xE5\xEB\xE5\xE2\xEE\xE5", "\xF1\xF3\xF9\xE5\xF1\xF2\xE2\xEE",
                                          "\xEF\xEE\xEB\xF3\xF7\xE0\xE5\xF2", "\xE4\xEE", "\xEA\xEE\xED\xF6\xE0",
                                          "\xF5\xEE\xE4\xE0", "\xE2\xEE\xE7\xFC\xEC\xE8\xF2\xE5",
                                          "\xEA\xE0\xF0\xF2\xF3"};
    static const char* const types[] = {"Creature - Elf", "Instant", "Sorcery", "Enchantment", "Artifact", "Land",
                                        "Legendary Creature - Wizard", "Enchant Creature"};
    static const char* const sets[] = {"7E", "IN", "PS", "AP", "OD", "TO", "JU", "ON"};
    static const char* const costs[] = {"G", "1U", "2BB", "3", "", "WU", "XR", "4GG"};
    std::mt19937 rng(12345);
    auto text = [&](const char* const* pool, size_t n, int count) {
        std::string s;
        for (int i = 0; i < count; ++i) {
            if (i)
                s += ' ';
            s += pool[rng() % n];
        }
        return s;
    };
    TTable t;
    DefineCardBaseFields(t);
    t.CreateDataSet();
    char name[32];
    for (int i = 0; i < CardCount; ++i) {
        // Names in a shuffled order so that indexes have work to do.
        std::snprintf(name, sizeof name, "Card %06u", unsigned((uint64_t(i) * 7919) % CardCount));
        t.Append();
        t.FieldByName("Name").SetAsString(name);
        t.FieldByName("Set").SetAsString(sets[i % 8]);
        t.FieldByName("Color").SetAsString("G");
        t.FieldByName("Type").SetAsString(types[i % 8]);
        t.FieldByName("Cost").SetAsString(costs[i % 8]);
        t.FieldByName("CostValue").SetAsInteger(i % 8);
        t.FieldByName("PwrTgh").SetAsString("2/2");
        t.FieldByName("Text").SetAsString(text(words, 16, 12 + int(rng() % 30)));
        t.FieldByName("Flavor").SetAsString(text(words, 16, int(rng() % 15)));
        t.FieldByName("Rarity").SetAsString("C");
        t.FieldByName("NameR").SetAsString("\xCA\xE0\xF0\xF2\xE0 " + std::string(name + 5));
        t.FieldByName("TypeR").SetAsString("\xD1\xF3\xF9\xE5\xF1\xF2\xE2\xEE");
        t.FieldByName("TextR").SetAsString(text(ruWords, 8, 12 + int(rng() % 30)));
        t.FieldByName("FlavorR").SetAsString(text(ruWords, 8, int(rng() % 15)));
        t.FieldByName("MtgEncID").SetAsInteger(10000 + i);
        t.Post();
    }
    return t.SaveToBytes();
}

void Prepare()
{
    const std::string packet = SyntheticPacket();
    QDir().mkpath(QString::fromStdString(FolderBase() + "data"));
    {
        std::ofstream f(FolderBase() + "data/cardbase.cds", std::ios::binary);
        f.write(packet.data(), std::streamsize(packet.size()));
    }
    QDir().mkpath(QString::fromStdString(PackBase()));
    auto member = TPackFileStream::CreateMember(PackBase() + "data", "cardbase.cds", fmCreate);
    member->WriteBuffer(packet.data(), int64_t(packet.size()));
    member->Close();
    std::fprintf(stderr, "synthetic card base: %d cards, %zu bytes\n", CardCount, packet.size());
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
    state.counters["cards"] = CardCount;
}
BENCHMARK(BM_CreateDataModule_PlainFile)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CreateDataModule_PackMember(benchmark::State& state)
{
    for (auto _ : state) {
        auto d = Load(PackBase());
        benchmark::DoNotOptimize(d->CardsTable.RecordCount());
    }
    state.counters["cards"] = CardCount;
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
// in the list's name order through the record filter; prefixes spread over the base.
void BM_PrefixLocate(benchmark::State& state)
{
    auto d = Load(FolderBase());
    d->CardsTable.SetIndexName("NameSort");
    const char* const prefixes[] = {"card 0", "card 05", "card 099", "card 0999", "card 09999"};
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
    char name[32];
    unsigned n = 0;
    for (auto _ : state) {
        std::snprintf(name, sizeof name, "Card %06u", (n++ * 7919) % CardCount);
        benchmark::DoNotOptimize(d->LocateCard(name, "7E", ""));
    }
}
BENCHMARK(BM_LocateCard)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    if (!work.isValid())
        return 1;
    Work = &work;
    // The settings stores go to the temporary folder as well.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.filePath("user"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, work.filePath("system"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
