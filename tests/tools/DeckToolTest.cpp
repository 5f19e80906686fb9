// tomelark-tool deck show and deck ids over the sample card base.
#include "DeckToolSupport.h"

#include "Library/Common/ExtUtils.h"

#include <QDir>

using namespace decktool;

namespace {

std::string ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll().toStdString();
}

void Write(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), qint64(bytes.size()));
}

std::string Int32(int32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[size_t(i)] = char((uint32_t(v) >> (8 * i)) & 0xFF);
    return s;
}

int32_t SampleId(const char* name, const char* set)
{
    for (const auto& c : SampleCards())
        if (c["Name"].toString() == name && c["Set"].toString() == set && c["Version"].toString().isEmpty())
            return c["MtgEncID"].toInt();
    return -1;
}

class DeckToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(HaveDataStore()) << "build the datastore target first";
        ASSERT_TRUE(Dir.isValid());
    }
    QTemporaryDir Dir;
};

} // namespace

TEST_F(DeckToolTest, ShowPrintsTheSampleDecksAsTheyAreSaved)
{
    const QDir decks(QStringLiteral(TOMELARK_SOURCE_DIR "/assets/decks"));
    const QStringList files = decks.entryList({"*.mdc"}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& file : files) {
        const ToolRun r = RunTool({"deck", "show", decks.filePath(file)});
        EXPECT_EQ(r.exitCode, 0) << file.toStdString() << r.err;
        EXPECT_EQ(r.err, "") << file.toStdString();
        EXPECT_EQ(r.out, Win1251ToUtf8(ReadAll(decks.filePath(file)))) << file.toStdString();
    }
}

TEST_F(DeckToolTest, ShowReportsMissingCardsAndRefusesACountNoDeckHolds)
{
    const QString file = Dir.filePath("hand.mdc");
    Write(file, Utf8ToWin1251("Name: Черновик\n4 Llanowar Elves\n3 [IN] Nowhere (2)\n2 Fire // Ice\n"
                              "4x Forest\n1 Shock\n"));
    ToolRun r = RunTool({"deck", "show", file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // The line without a card stays in the deck as a note.
    EXPECT_EQ(r.out, "Name: Черновик\r\nNote: Не найдена: 3 [IN] Nowhere (B)\r\n  4 [7E] Llanowar Elves\r\n"
                     "  2 [AP] Fire/Ice\r\n  4 [ON] Forest (A)\r\n  1 [ON] Shock\r\n"); // the most recent printings
    EXPECT_EQ(r.err, "Не найдена карта: [IN] Nowhere (B)\n");

    Write(file, "4 Llanowar Elves\n20000 Forest\n");
    r = RunTool({"deck", "show", file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Строка 2"), std::string::npos) << r.err;

    const ToolRun none = RunTool({"deck", "show", Dir.filePath("none.mdc")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("none.mdc"), std::string::npos) << none.err;
}

TEST_F(DeckToolTest, ConvertWritesEveryFormatAndTheSampleDecksReadBack)
{
    const QDir decks(QStringLiteral(TOMELARK_SOURCE_DIR "/assets/decks"));
    for (const QString& deck : decks.entryList({"*.mdc"}, QDir::Files)) {
        const ToolRun original = RunTool({"deck", "show", decks.filePath(deck)});
        ASSERT_EQ(original.exitCode, 0);
        // The entry lines (the name and note travel where a format has room for them).
        auto entries = [](const std::string& shown) {
            std::string out;
            size_t at = 0;
            while (at < shown.size()) {
                const size_t end = shown.find('\n', at);
                const std::string line = shown.substr(at, end - at + 1);
                if (line.rfind("Name:", 0) != 0 && line.rfind("Note:", 0) != 0)
                    out += line;
                at = end == std::string::npos ? shown.size() : end + 1;
            }
            return out;
        };
        for (const char* ext : {"txt", "cod", "dek", "mdc"}) {
            SCOPED_TRACE(deck.toStdString() + " as " + ext);
            const QString out = Dir.filePath("converted." + QString::fromLatin1(ext));
            const ToolRun converted = RunTool({"deck", "convert", decks.filePath(deck), "-o", out});
            ASSERT_EQ(converted.exitCode, 0) << converted.err;
            const ToolRun back = RunTool({"deck", "show", out});
            EXPECT_EQ(back.exitCode, 0) << back.err;
            EXPECT_EQ(back.err, "");
            EXPECT_EQ(entries(back.out), entries(original.out));
        }
    }
    EXPECT_EQ(RunTool({"deck", "convert", decks.filePath("green-red.mdc")}).exitCode, 2);
}

TEST_F(DeckToolTest, IdsWritesTheIdListFile)
{
    const int32_t elves = SampleId("Llanowar Elves", "7E");
    const int32_t shock = SampleId("Shock", "ON"); // its most recent printing
    ASSERT_GT(elves, 0);
    ASSERT_GT(shock, 0);
    const QString deck = Dir.filePath("d.mdc");
    const QString out = Dir.filePath("d.dat");

    Write(deck, "4 [7E] Llanowar Elves\r\n");
    ToolRun r = RunTool({"deck", "ids", deck, "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadAll(out), Int32(4) + Int32(elves) + Int32(elves) + Int32(elves) + Int32(elves) + Int32(0));

    Write(deck, "1 Shock\r\n2 Llanowar Elves\r\n");
    r = RunTool({"deck", "ids", "-o", out, deck});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadAll(out), Int32(3) + Int32(shock) + Int32(elves) + Int32(elves) + Int32(0));

    // A file without a card is no deck: refused, the list left as it was.
    const std::string before = ReadAll(out);
    Write(deck, "");
    r = RunTool({"deck", "ids", deck, "-o", out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("нет ни одной карты"), std::string::npos) << r.err;
    EXPECT_EQ(ReadAll(out), before);

    EXPECT_EQ(RunTool({"deck", "ids", deck}).exitCode, 2);
    EXPECT_EQ(RunTool({"deck", "list", deck}).exitCode, 2);
    EXPECT_EQ(RunTool({"deck", "ids", deck, "-o", Dir.filePath("no/such/folder.dat")}).exitCode, 1);
}

// Deck lists of the era read whole: one deck of each block of 1995 to 2003 (and one of
// Portal and the starters), every card found in the card base.
TEST_F(DeckToolTest, DeckListsOfTheEraReadWhole)
{
    const QDir decks(QStringLiteral(TOMELARK_TEST_DATA_DIR "/era-decks"));
    const QStringList files = decks.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 9);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const ToolRun r = RunTool({"deck", "show", decks.filePath(file)});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, ""); // no card line without its card
        // Every copy of the list is in the deck.
        int listed = 0, read = 0;
        for (const QString& line : QString::fromUtf8(ReadAll(decks.filePath(file))).split('\n'))
            if (!line.isEmpty() && line[0].isDigit())
                listed += line.section(' ', 0, 0).toInt();
        for (const QString& line : QString::fromStdString(r.out).split(QStringLiteral("\r\n")))
            if (!line.trimmed().isEmpty() && line.trimmed()[0].isDigit())
                read += line.trimmed().section(' ', 0, 0).toInt();
        EXPECT_EQ(read, listed);
        EXPECT_GE(listed, 60);
    }
}
