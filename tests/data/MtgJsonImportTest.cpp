// The card base made from the public card data: the text conversions as a table of
// cases, then the whole import against the public files (where they are at hand): the
// committed source rebuilt byte for byte, every record checked against its printing,
// and spot checks of cards a player knows.
#include "DataTestSupport.h"

#include "data/CardBaseJson.h"
#include "data/CardText.h"
#include "data/MtgJsonImport.h"
#include "data/Sets.h"

#include <QSet>
#include "data/TableEngine.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>
#include <set>

using namespace datatest;

namespace {

QString Q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

struct TReports {
    QStringList Lines;
    mtgjson::TReport Fn() { return [this](const QString& l) { Lines << l; }; }
};

QString MtgJsonDir()
{
    return QString::fromUtf8(TOMELARK_MTGJSON_DIR);
}

bool HavePublicData()
{
    for (const TSetInfo& set : AllSets())
        if (!QFile::exists(MtgJsonDir() + "/" + QString::fromLatin1(set.MtgJson.data(), qsizetype(set.MtgJson.size()))
                           + ".json"))
            return false;
    return QDir(MtgJsonDir() + "/ru").exists();
}

TMtgJsonImport FullImport()
{
    TMtgJsonImport import;
    import.SetFolder = QFile::encodeName(MtgJsonDir()).toStdString();
    import.RussianDir = QFile::encodeName(MtgJsonDir() + "/ru").toStdString();
    import.RussianExtraFiles = {TOMELARK_SOURCE_DIR "/assets/cardbase-russian.json",
                                TOMELARK_SOURCE_DIR "/assets/translations"};
    import.GlossaryFile = TOMELARK_SOURCE_DIR "/assets/glossary-ru.json";
    return import;
}

} // namespace

TEST(MtgJsonMarkup, RulesText)
{
    const struct {
        const char* In;
        const char* Self;
        const char* Out;
    } cases[] = {
        {"{T}: Add {G} to your mana pool.", "Llanowar Elves", "%T: Add %G to your mana pool."},
        {"{2}{U}, {T}: Draw a card.", "", "%2%U, %T: Draw a card."},
        {"Kicker {8}{R} (You may pay an additional {8}{R} as you play this spell.)\nUrza's Rage can't be countered.",
         "Urza's Rage", "Kicker %8%R #(You may pay an additional %8%R as you play this spell.)#\n~this~ can't be countered."},
        {"Kicker—Sacrifice a land. (You may sacrifice a land.)", "", "Kicker - Sacrifice a land. #(You may sacrifice a land.)#"},
        {"Threshold — ~ gets +1/+1.", "", "Threshold - ~ gets +1/+1."},
        // The name only as a whole word; lines trimmed, empty ones left out.
        {"Shock deals 2 damage. Shockwave is another card.  \n\n  Draw.", "Shock",
         "~this~ deals 2 damage. Shockwave is another card.\nDraw."},
        {"Pay {X}: Gain X life.", "", "Pay %X: Gain X life."},
        {"unless you pay {1}0.", "", "unless you pay %1%0."}, // a number cut by a typing error
        {"Add {C}.", "", "Add %1."},
        {"Add {Q}.", "", "Add {Q}."}, // unknown: kept and reported
    };
    for (const auto& c : cases) {
        TReports r;
        EXPECT_EQ(mtgjson::RulesMarkup(Q(c.In), Q(c.Self), "card", r.Fn()), Q(c.Out)) << c.In;
    }
    TReports r;
    mtgjson::RulesMarkup("Add {Q}. Pay {1}0. (open", "", "Odd Card [7E] Text", r.Fn());
    ASSERT_EQ(r.Lines.size(), 3) << r.Lines.join("\n").toStdString();
    EXPECT_EQ(r.Lines[0], Q("Odd Card [7E] Text: unknown symbol {Q} kept as it stands"));
    EXPECT_EQ(r.Lines[1], Q("Odd Card [7E] Text: {1}0 read as {10}"));
    EXPECT_TRUE(r.Lines[2].contains("parenthesis"));
}

TEST(MtgJsonMarkup, CostTypeFlavourAndCharacters)
{
    TReports r;
    EXPECT_EQ(mtgjson::CostMarkup("{2}{G}", "c", r.Fn()), Q("2G"));
    EXPECT_EQ(mtgjson::CostMarkup("{16}", "c", r.Fn()), Q("16"));
    EXPECT_EQ(mtgjson::CostMarkup("{X}{R}{R}", "c", r.Fn()), Q("XRR"));
    EXPECT_EQ(mtgjson::CostMarkup("", "c", r.Fn()), Q(""));
    EXPECT_TRUE(r.Lines.isEmpty());
    EXPECT_EQ(mtgjson::CostMarkup("{W/U}", "c", r.Fn()), Q("{W/U}"));
    EXPECT_EQ(r.Lines.size(), 1);

    EXPECT_EQ(mtgjson::TypeMarkup(Q("Creature — Elf Druid")), Q("Creature - Elf Druid"));
    EXPECT_EQ(mtgjson::TypeMarkup(Q("Существо — — Ангел")), Q("Существо - Ангел"));
    EXPECT_EQ(mtgjson::TypeMarkup(Q("Instant")), Q("Instant"));

    const struct {
        const char* In;
        const char* Out;
    } flavours[] = {
        {"\"If only...\"\n—Cabal Patriarch", "\"If only...\"\n--Cabal Patriarch"},
        {"«Вся прелесть в том».\n— Раззикс, электромаг", "«Вся прелесть в том».\n--Раззикс, электромаг"},
        {"A coffin is like a coffer—both attract thieves.", "A coffin is like a coffer—both attract thieves."},
        {"\"Hence 'banished'...\"\n—William Shakespeare,\nRomeo and Juliet",
         "\"Hence 'banished'...\"\n--William Shakespeare, Romeo and Juliet"},
        {"\"One.\"\n—A\n\"Two.\"\n—B", "\"One.\"\n--A\n\"Two.\"\n--B"},
        {"«Со всем остальным мы справимся».— Лорд Хилнет", "«Со всем остальным мы справимся».\n--Лорд Хилнет"},
        {"A dash—inside stays.", "A dash—inside stays."},
    };
    for (const auto& f : flavours)
        EXPECT_EQ(mtgjson::FlavorMarkup(Q(f.In)), Q(f.Out)) << f.In;

    TReports chars;
    EXPECT_EQ(mtgjson::Plain1251(Q("Æther Flash, banishèd — «Да»"), "w", chars.Fn()),
              Q("Aether Flash, banished — «Да»"));
    EXPECT_EQ(chars.Lines.size(), 2);
}

class MtgJsonImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HavePublicData())
            GTEST_SKIP() << "the public card data is not at " << MtgJsonDir().toStdString();
    }
};

TEST_F(MtgJsonImportTest, RebuildsTheCommittedCardBaseSourceExactly)
{
    TMtgJsonImport import = FullImport();
    TTable table;
    import.Run(table);
    const std::string committed = ReadFileBytes(TOMELARK_SOURCE_DIR "/assets/cardbase.json");
    const std::string rebuilt = CardBaseToJson(table);
    EXPECT_EQ(table.RecordCount(), 7677); // the 7,687 printings, split halves joined
    EXPECT_TRUE(rebuilt == committed) << "assets/cardbase.json differs from the import: run\n"
                                         "tomelark-tool cardbase import-mtgjson ... -o assets/cardbase.json";

    // The same bytes whatever the order of the files.
    TMtgJsonImport reversed = FullImport();
    reversed.SetFolder.clear();
    for (auto it = AllSets().rbegin(); it != AllSets().rend(); ++it)
        reversed.SetFiles.push_back(QFile::encodeName(MtgJsonDir()).toStdString() + "/" + std::string(it->MtgJson)
                                    + ".json");
    TTable again;
    reversed.Run(again);
    EXPECT_TRUE(CardBaseToJson(again) == rebuilt);
    EXPECT_EQ(reversed.Report, import.Report);

    // What the import reported: nothing it dropped in silence, and the known faults of
    // the public data mended.
    const QStringList report = [&] {
        QStringList l;
        for (const std::string& s : import.Report)
            l << QString::fromStdString(s);
        return l;
    }();
    EXPECT_TRUE(report.contains("Draco [PS] Text: {1}0 read as {10}")) << report.join("\n").toStdString();
    EXPECT_TRUE(report.contains("Stand/Deliver [IN]: the printed text of Deliver repeats Stand's; its current text taken"));
    // The texts written for the card base's own records are all used. (The translations
    // of the older sets also give words for later printings of cards whose official
    // Russian stands for every printing.)
    QSet<QString> ownNames;
    for (const QJsonValue& v : ReadJsonFile(TOMELARK_SOURCE_DIR "/assets/cardbase-russian.json").array())
        ownNames << v.toObject()["Name"].toString();
    for (const QString& line : report.filter("is not used"))
        EXPECT_FALSE(ownNames.contains(line.left(line.indexOf(" ["))))
            << line.toStdString() << ": the extra file holds a text that an official one overrides";
    EXPECT_TRUE(report.filter("unknown").isEmpty()) << report.join("\n").toStdString();
}

TEST_F(MtgJsonImportTest, EveryRecordMatchesItsPrinting)
{
    TTable table;
    TMtgJsonImport import = FullImport();
    import.Run(table);
    std::map<std::tuple<std::string, std::string, std::string>, TCard> records;
    std::map<std::tuple<std::string, std::string, std::string>, int> costValues;
    for (table.First(); !table.Eof(); table.Next()) {
        TCard c;
        TData::ReadCardFromRecord(table, c);
        const auto key = std::make_tuple(c.Name, c.Set, c.Version);
        EXPECT_TRUE(records.emplace(key, c).second) << c.Name << " [" << c.Set << "] " << c.Version;
        costValues[key] = table.FieldByName("CostValue").AsInteger();
    }
    int printings = 0;
    for (const TSetInfo& info : AllSets()) {
        const QString file = QString::fromLatin1(info.MtgJson.data(), qsizetype(info.MtgJson.size()));
        QFile f(MtgJsonDir() + "/" + file + ".json");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QJsonObject set = QJsonDocument::fromJson(f.readAll()).object();
        const std::string code(info.Code);
        // Printings by name, in collector number order ("★74" after "74").
        std::map<std::string, std::vector<QJsonObject>> byName;
        for (const QJsonValue& v : set["cards"].toArray())
            byName[v.toObject()["name"].toString().toStdString()].push_back(v.toObject());
        for (auto& [name, cards] : byName) {
            const QJsonObject& first = cards.front();
            if (first["layout"].toString() == "split") {
                QStringList names;
                for (const QJsonValue& n : first["names"].toArray())
                    names << n.toString();
                if (names.front().toStdString() != name)
                    continue; // the record is counted with its first half
                const auto it = records.find({names.join('/').toStdString(), code, ""});
                ASSERT_NE(it, records.end()) << name;
                EXPECT_EQ(it->second.MtgEncID, first["multiverseid"].toInt()) << name;
                ++printings;
                continue;
            }
            auto number = [](const QJsonObject& c) {
                const QString n = c["number"].toString();
                return std::make_pair(QString(n).remove(QChar(0x2605)).toInt(), n.contains(QChar(0x2605)));
            };
            std::sort(cards.begin(), cards.end(),
                      [&](const QJsonObject& a, const QJsonObject& b) { return number(a) < number(b); });
            for (size_t i = 0; i < cards.size(); ++i) {
                const QJsonObject& c = cards[i];
                ++printings;
                // The name in its plain form ("Aether", "El-Hajjaj").
                const std::string recordName = QStringToWin1251(mtgjson::Plain1251(c["name"].toString(), QString(), {}));
                const std::string version = cards.size() > 1 ? std::string(1, char('A' + i)) : std::string();
                const auto it = records.find({recordName, code, version});
                ASSERT_NE(it, records.end()) << name << " [" << code << "] " << version;
                const TCard& r = it->second;
                SCOPED_TRACE(name + " [" + code + "] " + version);
                EXPECT_EQ(r.MtgEncID, c["multiverseid"].toInt());
                EXPECT_EQ(r.Cost, QString(c["manaCost"].toString()).remove('{').remove('}').toStdString());
                EXPECT_EQ(r.Color, ColorCodeFromCost(r.Cost));
                EXPECT_EQ(costValues[std::make_tuple(recordName, code, version)], c["cmc"].toInt());
                const QString rarity = c["rarity"].toString();
                EXPECT_EQ(r.Rarity, rarity == "Uncommon" ? "U" : rarity == "Rare" ? "R" : "C");
                const std::string pt = c.contains("power")
                                           ? (c["power"].toString() + "/" + c["toughness"].toString()).toStdString()
                                           : std::string();
                EXPECT_EQ(r.PwrTgh, pt);
                EXPECT_EQ(r.Type, QStringToWin1251(mtgjson::Plain1251(
                                      QString(c["originalType"].toString()).replace(QString::fromUtf8(" — "), " - "),
                                      QString(), {})));
                EXPECT_FALSE(r.NameR.empty());
                EXPECT_FALSE(r.TypeR.empty());
                // Braces never survive into a text: every symbol became markup.
                EXPECT_EQ(r.Text.find('{'), std::string::npos);
                EXPECT_EQ(r.TextR.find('{'), std::string::npos);
                if (!c["flavor"].toString().isEmpty()) {
                    EXPECT_FALSE(r.Flavor.empty());
                }
            }
        }
    }
    EXPECT_EQ(printings, 7677);
}

TEST_F(MtgJsonImportTest, CardsAPlayerKnows)
{
    TTable table;
    TMtgJsonImport import = FullImport();
    import.Run(table);
    auto card = [&](const char* name, const char* set, const char* version = "") {
        TCard c;
        EXPECT_TRUE(table.Locate("Name;Set;Version", {TValue(W(name)), TValue(set),
                                                      *version ? TValue(version) : TValue()}))
            << name;
        TData::ReadCardFromRecord(table, c);
        return c;
    };
    EXPECT_EQ(card("Llanowar Elves", "7E").NameR, W("Лановарские Эльфы"));
    const TCard rage = card("Urza's Rage", "IN");
    EXPECT_EQ(rage.Text.rfind("Kicker %8%R #(", 0), 0u) << rage.Text;
    EXPECT_NE(rage.Text.find(")#"), std::string::npos);
    EXPECT_NE(rage.Text.find("~this~ can't be countered"), std::string::npos);
    const TCard shade = card("Nantuko Shade", "TO");
    EXPECT_NE(shade.Flavor.find("\n--Cabal Patriarch"), std::string::npos) << shade.Flavor;
    for (const char* set : {"7E", "IN", "OD", "ON"})
        for (const char* land : {"Plains", "Island", "Swamp", "Mountain", "Forest"})
            for (const char* v : {"A", "B", "C", "D"}) {
                const TCard l = card(land, set, v);
                EXPECT_EQ(l.Color, "L");
                EXPECT_EQ(l.Text.size(), 2u) << land << " " << l.Text; // its mana symbol
            }
    const TCard fireIce = card("Fire/Ice", "AP");
    EXPECT_EQ(fireIce.Cost, "1R/1U");
    EXPECT_EQ(fireIce.Type, "Instant");
    EXPECT_NE(fireIce.Text.find(" // "), std::string::npos);
    EXPECT_EQ(card("Skyship Weatherlight", "PS", "B").MtgEncID, 29293); // the starred art
    EXPECT_EQ(card("Draco", "PS").Cost, "16");
    // A paragraph break the public Russian text lost is restored.
    EXPECT_NE(card("Goblin Piledriver", "ON").TextR.find(W(")#\nКаждый")), std::string::npos);
    // An official text of a later printing that names what the card's time did not
    // have gives way to the project's correction: Serra Angel says what its card says.
    EXPECT_EQ(card("Serra Angel", "7E").TextR, W("Полет\nПри нападении ~this~ не поворачивается."));
    // A card printed without flavour text has no Russian flavour of a later printing.
    EXPECT_EQ(card("Fog", "7E").FlavorR, "");
}
