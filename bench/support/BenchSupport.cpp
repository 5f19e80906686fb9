#include "BenchSupport.h"

#include "Library/Common/ExtUtils.h"
#include "Library/Common/FileUtils.h"
#include "data/CardText.h"
#include "data/DataModule.h"
#include "data/Settings.h"
#include "render/Fonts.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSettings>

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace {

const char* const kLatin[] = {"ar", "bel", "cor", "dra", "el", "fen", "gor", "hal", "is", "jor",
                              "kel", "lan", "mor", "nar", "or", "pel", "quin", "ros", "sar", "tor"};
const char* const kCyrillic[] = {"ар", "бел", "вор", "гал", "дра", "ёж", "жар", "зел", "ис", "кор",
                                 "лан", "мор", "нар", "ор", "пел", "ром", "сар", "тор", "ус", "яр"};
const char* const kTypes[] = {"Creature - Elf", "Legendary Creature - Dragon", "Artifact",
                              "Artifact Creature - Golem", "Instant", "Sorcery", "Enchantment",
                              "Enchant Creature", "Land", "Basic Land - Forest"};
const char* const kCosts[] = {"G", "1W", "2UU", "3", "1WU", "BR", "", "4B", "XR", "2GW"};
const char* const kWords[] = {"target", "creature", "gets", "until", "end", "of", "turn", "draw",
                              "a", "card", "player", "deals", "damage", "to", "each", "flying"};
const char* const kWordsR[] = {"целевое", "существо", "получает", "до", "конца", "хода", "возьмите", "карту"};

// A word list in memory's text: the Russian ones converted to Windows-1251.
template <size_t N>
std::vector<std::string> List(const char* const (&utf8)[N])
{
    std::vector<std::string> list;
    for (const char* w : utf8)
        list.push_back(Utf8ToWin1251(w));
    return list;
}

const std::vector<std::string>& Syllables(bool russian)
{
    static const std::vector<std::string> latin = List(kLatin);
    static const std::vector<std::string> cyrillic = List(kCyrillic);
    return russian ? cyrillic : latin;
}

std::string Sentence(std::mt19937& rng, const std::vector<std::string>& words, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i) {
        if (i)
            s += ' ';
        s += words[rng() % words.size()];
    }
    return s;
}

} // namespace

std::string SyntheticWord(std::mt19937& rng, bool russian, bool capital)
{
    const std::vector<std::string>& syllables = Syllables(russian);
    std::string w;
    const int n = 2 + int(rng() % 3);
    for (int i = 0; i < n; ++i)
        w += syllables[rng() % syllables.size()];
    if (capital)
        w = UpperCase1251(w.substr(0, 1)) + w.substr(1);
    return w;
}

void FillSyntheticCardBase(TTable& t, int count)
{
    const std::vector<std::string> words = List(kWords);
    const std::vector<std::string> wordsR = List(kWordsR);
    const std::string creatureR = Utf8ToWin1251("Существо");
    std::mt19937 rng(1251);
    DefineCardBaseFields(t);
    t.CreateDataSet();
    TField& name = t.FieldByName("Name");
    TField& set = t.FieldByName("Set");
    TField& version = t.FieldByName("Version");
    TField& color = t.FieldByName("Color");
    TField& cost = t.FieldByName("Cost");
    TField& costValue = t.FieldByName("CostValue");
    TField& type = t.FieldByName("Type");
    TField& pwrTgh = t.FieldByName("PwrTgh");
    TField& rarity = t.FieldByName("Rarity");
    TField& nameR = t.FieldByName("NameR");
    TField& typeR = t.FieldByName("TypeR");
    TField& text = t.FieldByName("Text");
    TField& flavor = t.FieldByName("Flavor");
    TField& textR = t.FieldByName("TextR");
    TField& flavorR = t.FieldByName("FlavorR");
    TField& id = t.FieldByName("MtgEncID");
    for (int i = 0; i < count; ++i) {
        const std::string number = " " + std::to_string(i);
        const char* c = kCosts[rng() % std::size(kCosts)];
        const char* ty = kTypes[rng() % std::size(kTypes)];
        t.Append();
        name.SetAsString(SyntheticWord(rng, false, true) + " " + SyntheticWord(rng, false) + number);
        set.SetAsString(std::string(AllSets()[rng() % AllSets().size()].Code));
        version.SetAsString(i % 10 == 0 ? "A" : "");
        color.SetAsString(ColorCodeFromCost(c));
        cost.SetAsString(c);
        costValue.SetAsInteger(int32_t(rng() % 8));
        type.SetAsString(ty);
        if (std::string(ty).find("Creature") != std::string::npos)
            pwrTgh.SetAsString("2/2");
        rarity.SetAsString("C");
        nameR.SetAsString(SyntheticWord(rng, true) + " " + SyntheticWord(rng, true) + number);
        typeR.SetAsString(creatureR);
        text.SetAsString(Sentence(rng, words, 12 + int(rng() % 30)));
        flavor.SetAsString(Sentence(rng, words, int(rng() % 15)));
        textR.SetAsString(Sentence(rng, wordsR, 12 + int(rng() % 30)));
        flavorR.SetAsString(Sentence(rng, wordsR, int(rng() % 15)));
        id.SetAsInteger(10000 + i);
        t.Post();
    }
}

const std::string& SyntheticCardBasePacket()
{
    static const std::string packet = [] {
        TTable t;
        FillSyntheticCardBase(t);
        return t.SaveToBytes();
    }();
    return packet;
}

TBenchFolder::TBenchFolder()
{
    if (!Dir.isValid())
        throw std::runtime_error("no temporary folder for the benchmark");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Dir.filePath("user"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, Dir.filePath("system"));
}

std::string TBenchFolder::Path(const std::string& relative) const
{
    const std::string dir = QFile::encodeName(Dir.path()).toStdString();
    return relative.empty() ? dir : dir + "/" + relative;
}

std::string TBenchFolder::WriteCardBase(const std::string& relative, const std::string& packet) const
{
    const std::string base = Path(relative) + "/";
    QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(base + "data")));
    WriteFileReplacing(base + "data/cardbase.cds", packet);
    return base;
}

int RunBenchmarks(int argc, char** argv, const std::function<void()>& prepare)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (prepare)
        prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

int RunDrawingBenchmarks(int argc, char** argv, const std::function<void()>& prepare,
                         const std::function<void()>& finish)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qargc = 1;
    QGuiApplication app(qargc, argv);
    InitFolders(TOMELARK_BIN_DIR);
    RegisterProgramFonts(TOMELARK_BIN_DIR);
    CardTextType = 0;
    ArtImageType = 0;
    const int result = RunBenchmarks(argc, argv, prepare);
    if (finish)
        finish();
    return result;
}
