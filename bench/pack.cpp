// Opening a 1 MB member of a pack (open for reading, inflate, read it all), against the
// same content as a plain file. The pack is built in a temporary folder at start, with
// card-like text and a few other members before the one that is read.
#include "Library/Common/PackStream.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <fstream>
#include <random>

namespace {

struct Fixture {
    QTemporaryDir dir;
    std::string pack;
    std::string plain;
    size_t size = 0;

    Fixture()
    {
        static const char* names[] = {"Llanowar Elves", "Shivan Dragon", "Counterspell",
                                      "Wrath of God", "Dark Ritual", "Lightning Bolt"};
        static const char* types[] = {"Creature - Elf Druid", "Creature - Dragon", "Instant",
                                      "Sorcery", "Instant", "Instant"};
        std::mt19937 rng(7);
        std::string text;
        for (int i = 0; text.size() < (1u << 20); ++i) {
            int k = int(rng() % 6);
            text += std::to_string(i) + "|" + names[k] + "|" + types[k] + "|{" + std::to_string(rng() % 7)
                    + "}{G}|" + std::to_string(rng() % 9) + "/" + std::to_string(rng() % 9)
                    + "|Add {G} to your mana pool. When it enters, draw a card.|7E\n";
        }
        text.resize(1u << 20);
        size = text.size();
        pack = dir.path().toStdString() + "/data";
        plain = dir.path().toStdString() + "/cardbase.cds";
        for (const char* other : {"frames/green.jpg", "symbols/7E.gif", "frames/red.jpg"}) {
            TPackFileStream s(pack + "/" + other, fmCreate);
            std::string filler(200000, 'x');
            s.WriteBuffer(filler.data(), int64_t(filler.size()));
            s.Close();
        }
        TPackFileStream s(pack + "/cardbase.cds", fmCreate);
        s.WriteBuffer(text.data(), int64_t(text.size()));
        s.Close();
        std::ofstream(plain, std::ios::binary).write(text.data(), std::streamsize(text.size()));
    }
};

Fixture& F()
{
    static Fixture f;
    return f;
}

void BM_OpenPackMember1MB(benchmark::State& state)
{
    const std::string path = F().pack + "/CardBase.cds";
    for (auto _ : state) {
        TPackFileStream s(path, fmOpenRead);
        std::string all = s.ReadAll();
        if (all.size() != F().size)
            state.SkipWithError("wrong size");
        benchmark::DoNotOptimize(all.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(F().size));
}
BENCHMARK(BM_OpenPackMember1MB)->Unit(benchmark::kMillisecond);

void BM_ReadWholeFilePackMember1MB(benchmark::State& state)
{
    const std::string path = F().pack + "/cardbase.cds";
    for (auto _ : state) {
        std::string all = ReadWholeFile(path);
        benchmark::DoNotOptimize(all.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(F().size));
}
BENCHMARK(BM_ReadWholeFilePackMember1MB)->Unit(benchmark::kMillisecond);

void BM_OpenPlainFile1MB(benchmark::State& state)
{
    for (auto _ : state) {
        TPackFileStream s(F().plain, fmOpenRead);
        std::string all = s.ReadAll();
        benchmark::DoNotOptimize(all.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(F().size));
}
BENCHMARK(BM_OpenPlainFile1MB)->Unit(benchmark::kMillisecond);

void BM_PackFileExistsMember(benchmark::State& state)
{
    const std::string path = F().pack + "/symbols/7e.gif";
    for (auto _ : state)
        benchmark::DoNotOptimize(PackFileExists(path));
}
BENCHMARK(BM_PackFileExistsMember)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
