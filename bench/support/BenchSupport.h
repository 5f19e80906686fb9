#pragma once
// Shared by the benchmarks: the synthetic card base of 100,000 cards, a temporary
// folder that holds card bases and the settings stores, and the benchmark run.
#include "data/TableEngine.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <random>
#include <string>

inline constexpr int kSyntheticCards = 100000;

// A made-up word of two to four syllables: English (first letter capital when asked)
// or Russian in Windows-1251.
std::string SyntheticWord(std::mt19937& rng, bool russian, bool capital = false);

// Defines the card base's fields on `table`, creates it and appends `count` made-up
// cards filled the way real ones are: English and Russian names of two words made
// unique by the card's number (so the name orders are shuffled against the natural
// order), the filter's set codes, costs with their colour codes and values, types,
// power/toughness for creatures, every tenth card an art variant "A", English and
// Russian rules texts of 12 to 41 words and flavour texts of up to 14, encyclopedia
// ids from 10000. The same seed every time, so every run measures the same base.
void FillSyntheticCardBase(TTable& table, int count = kSyntheticCards);

// The packet of the 100,000-card base, made once per process.
const std::string& SyntheticCardBasePacket();

// A temporary folder for a benchmark's files. The settings stores of QSettings go
// into it as well, so the user's own settings stay untouched.
class TBenchFolder {
public:
    TBenchFolder();
    // The folder's path with "/" and `relative` behind it (native text).
    std::string Path(const std::string& relative = "") const;
    // Writes `packet` as "<relative>/data/cardbase.cds" and returns "<relative>/" as
    // a program folder to set BaseDir to.
    std::string WriteCardBase(const std::string& relative, const std::string& packet) const;

private:
    QTemporaryDir Dir;
};

// The body of a benchmark program's main(): reads the benchmark options, runs
// `prepare` (when given) and then the benchmarks. Returns main's exit code.
int RunBenchmarks(int argc, char** argv, const std::function<void()>& prepare = {});

// The same for benchmarks that draw cards on the data store built beside the program:
// a GUI application on the offscreen platform, the program's folders and fonts, the
// card language Russian and the small art pictures; `finish` (when given) runs after
// the benchmarks, while the application still exists.
int RunDrawingBenchmarks(int argc, char** argv, const std::function<void()>& prepare = {},
                         const std::function<void()>& finish = {});
