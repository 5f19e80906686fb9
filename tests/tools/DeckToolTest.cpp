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

TEST_F(DeckToolTest, ShowReportsMissingCardsAndStopsAtABadCount)
{
    const QString file = Dir.filePath("hand.mdc");
    Write(file, Utf8ToWin1251("Name: Черновик\n4 Llanowar Elves\n3 [IN] Nowhere (2)\n2 Fire // Ice\n"
                              "4x Forest\n1 Shock\n"));
    const ToolRun r = RunTool({"deck", "show", file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Name: Черновик\r\n  4 [7E] Llanowar Elves\r\n  2 [AP] Fire/Ice\r\n");
    const size_t missing = r.err.find("Не найдена карта: [IN] Nowhere (B)\n");
    const size_t error = r.err.find("'4x' is not a valid integer value");
    EXPECT_NE(missing, std::string::npos) << r.err;
    EXPECT_NE(error, std::string::npos) << r.err;
    EXPECT_LT(missing, error);

    const ToolRun none = RunTool({"deck", "show", Dir.filePath("none.mdc")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("none.mdc"), std::string::npos) << none.err;
}

TEST_F(DeckToolTest, IdsWritesTheIdListFile)
{
    const int32_t elves = SampleId("Llanowar Elves", "7E");
    const int32_t shock = SampleId("Shock", "7E");
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

    Write(deck, "");
    r = RunTool({"deck", "ids", deck, "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadAll(out), std::string(8, '\0'));

    EXPECT_EQ(RunTool({"deck", "ids", deck}).exitCode, 2);
    EXPECT_EQ(RunTool({"deck", "list", deck}).exitCode, 2);
    EXPECT_EQ(RunTool({"deck", "ids", deck, "-o", Dir.filePath("no/such/folder.dat")}).exitCode, 1);
}
