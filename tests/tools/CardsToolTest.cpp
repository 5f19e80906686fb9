// tomelark-tool cards over the sample card base: both languages, both sort orders,
// and the filter options.
#include "DeckToolSupport.h"

#include <QString>

#include <algorithm>

using namespace decktool;

namespace {

// How a Russian reader orders names, written here independently of the program:
// blanks and punctuation first, then digits, Latin letters, and the Russian alphabet
// with Ё right after Е; letter case does not matter. Returns <0, 0, >0.
int ReaderCompare(const QString& a, const QString& b)
{
    static const QString alphabet = QString::fromUtf8("абвгдеёжзийклмнопрстуфхцчшщъыьэюя");
    auto key = [](QChar c) {
        const QChar l = c.toLower();
        if (int i = int(alphabet.indexOf(l)); i >= 0)
            return 3000 + i;
        if (l >= 'a' && l <= 'z')
            return 2000 + (l.unicode() - 'a');
        if (l >= '0' && l <= '9')
            return 1000 + (l.unicode() - '0');
        return int(c.unicode());
    };
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        if (int d = key(a[i]) - key(b[i]))
            return d;
    return int(a.size() - b.size());
}

struct Line {
    QString name, set, variant;
    int cost = 0;
};

// The expected list: name, then set code, then variant; by cost first when asked.
std::string Expected(bool russian, bool byCost)
{
    std::vector<Line> lines;
    for (const auto& c : SampleCards()) {
        const QString version = c["Version"].toString();
        lines.push_back({c[russian ? "NameR" : "Name"].toString(), c["Set"].toString(),
                         version.isEmpty() ? QString() : QString::number(version[0].unicode() % 8),
                         c["CostValue"].toInt()});
    }
    std::stable_sort(lines.begin(), lines.end(), [&](const Line& x, const Line& y) {
        if (byCost && x.cost != y.cost)
            return x.cost < y.cost;
        if (int d = ReaderCompare(x.name, y.name))
            return d < 0;
        if (int d = ReaderCompare(x.set, y.set))
            return d < 0;
        return x.variant < y.variant;
    });
    QString out;
    for (const auto& l : lines)
        out += l.name + '\t' + l.set + '\t' + l.variant + '\n';
    out += QString::fromUtf8("Выбрано: ") + QString::number(qsizetype(lines.size())) + '\n';
    return out.toStdString();
}

std::vector<std::string> Names(const std::string& out)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        std::string line = out.substr(start, end - start);
        if (line.find('\t') != std::string::npos)
            names.push_back(line.substr(0, line.find('\t')));
        start = end == std::string::npos ? out.size() : end + 1;
    }
    return names;
}

bool Has(const std::vector<std::string>& v, const char* name)
{
    return std::find(v.begin(), v.end(), name) != v.end();
}

class CardsToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(HaveDataStore()) << "build the datastore target first";
        ASSERT_FALSE(SampleCards().empty());
    }
};

} // namespace

TEST_F(CardsToolTest, ListsTheSampleBaseInBothLanguagesAndSortOrders)
{
    struct Case {
        QStringList args;
        bool russian;
        bool byCost;
    } cases[] = {
        {{"cards"}, true, false},
        {{"cards", "--lang", "0", "--sort", "name"}, true, false},
        {{"cards", "--lang", "0", "--sort", "cost"}, true, true},
        {{"cards", "--lang", "1"}, false, false},
        {{"cards", "--lang", "2", "--sort", "cost"}, false, true},
        {{"cards", "--base", TOMELARK_BIN_DIR, "--lang", "2"}, false, false},
    };
    for (const auto& c : cases) {
        const ToolRun r = RunTool(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, 0) << what << "\n" << r.err;
        EXPECT_EQ(r.out, Expected(c.russian, c.byCost)) << what;
    }
}

TEST_F(CardsToolTest, FilterOptions)
{
    // White or blue creatures; the white-blue Meddling Mage only in exact mode, the
    // red-white-blue Lightning Angel never.
    ToolRun r = RunTool({"cards", "--lang", "2", "--types", "5", "--colors", "1,4"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto names = Names(r.out);
    EXPECT_TRUE(Has(names, "Serra Angel"));
    EXPECT_FALSE(Has(names, "Meddling Mage"));
    EXPECT_FALSE(Has(names, "Lightning Angel"));
    EXPECT_FALSE(Has(names, "Llanowar Elves"));
    EXPECT_FALSE(Has(names, "Counterspell")); // not a creature

    r = RunTool({"cards", "--lang", "2", "--types", "5", "--colors", "1,4", "--exact"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto exact = Names(r.out);
    EXPECT_TRUE(Has(exact, "Meddling Mage"));
    EXPECT_FALSE(Has(exact, "Lightning Angel"));
    // Exact mode adds the white-blue cards and keeps every one-colour card.
    EXPECT_GT(exact.size(), names.size());
    for (const auto& n : names)
        EXPECT_TRUE(Has(exact, n.c_str())) << n;
    EXPECT_NE(r.out.find(QString::fromUtf8("Выбрано: %1\n").arg(exact.size()).toStdString()),
              std::string::npos);

    // Lands without cost of Onslaught: the four variants of each basic land among them,
    // and the count in the last line.
    r = RunTool({"cards", "--lang", "1", "--sets", "ON", "--types", "6", "--colors", "8"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Forest\tON\t1\nForest\tON\t2\nForest\tON\t3\nForest\tON\t4\n"), std::string::npos)
        << r.out;
    const auto lands = Names(r.out);
    EXPECT_TRUE(Has(lands, "Wooded Foothills"));
    EXPECT_FALSE(Has(lands, "Explosive Vegetation")); // a sorcery
    EXPECT_NE(r.out.find(QString::fromUtf8("Выбрано: %1\n").arg(lands.size()).toStdString()), std::string::npos);

    // A whole group off: nothing passes.
    for (const char* group : {"--sets", "--types", "--colors"}) {
        r = RunTool({"cards", group, ""});
        EXPECT_EQ(r.exitCode, 0) << group;
        EXPECT_EQ(r.out, QString::fromUtf8("Выбрано: 0\n").toStdString()) << group;
    }
}

TEST_F(CardsToolTest, BadArgumentsAreUsageErrors)
{
    for (const QStringList& args : {QStringList{"cards", "--sets", "7E,XX"}, QStringList{"cards", "--types", "7"},
                                    QStringList{"cards", "--colors", "0"}, QStringList{"cards", "--colors", "1,,2"},
                                    QStringList{"cards", "--sort", "price"}, QStringList{"cards", "--lang", "3"},
                                    QStringList{"cards", "--lang"}, QStringList{"cards", "extra"}}) {
        const ToolRun r = RunTool(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.empty());
    }
    const ToolRun r = RunTool({"cards", "--base", "/nonexistent-tomelark-base"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("/nonexistent-tomelark-base"), std::string::npos) << r.err;
}
