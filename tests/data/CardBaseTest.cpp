// The card base's JSON source: the canonical form, the importer's refusals, and the
// built data store's card base against its source.
#include "data/CardBaseJson.h"

#include "Library/Common/PackStream.h"
#include "data/DataModule.h"
#include "DataTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

using namespace datatest;

namespace {

struct ToolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ToolResult RunTool(const QStringList& args)
{
    QProcess p;
    p.start(QString(TOMELARK_BIN_DIR) + "/tomelark-tool", args);
    ToolResult r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    const QByteArray out = p.readAllStandardOutput(), err = p.readAllStandardError();
    r.out.assign(out.constData(), size_t(out.size()));
    r.err.assign(err.constData(), size_t(err.size()));
    return r;
}

// One card object of the source, with the given text for one key spliced in.
std::string CardObject(const std::string& name, const std::string& set, const std::string& version,
                       const std::string& extra = "")
{
    std::string s = "  {\n"
                    "    \"Name\": \"" + name + "\",\n"
                    "    \"Set\": \"" + set + "\",\n"
                    "    \"Version\": \"" + version + "\",\n"
                    "    \"Color\": \"G\",\n"
                    "    \"Type\": \"Creature - Elf\",\n"
                    "    \"Cost\": \"G\",\n"
                    "    \"PwrTgh\": \"1/1\",\n"
                    "    \"Text\": \"%T: Add G to your mana pool.\",\n"
                    "    \"Flavor\": \"\",\n"
                    "    \"Rarity\": \"C\",\n"
                    "    \"NameR\": \"Эльфы\",\n"
                    "    \"TypeR\": \"Существо - Эльф\",\n"
                    "    \"TextR\": \"\",\n"
                    "    \"FlavorR\": \"\",\n"
                    "    \"MtgEncID\": 11383,\n"
                    "    \"CostValue\": 1\n"
                    "  }";
    return s;
}

std::string Replace(std::string s, const std::string& from, const std::string& to)
{
    const size_t p = s.find(from);
    if (p != std::string::npos)
        s.replace(p, from.size(), to);
    return s;
}

std::string SourceDir() { return TOMELARK_SOURCE_DIR; }

} // namespace

// Texts with every kind of character the writer treats specially survive a trip
// through the table, and the writer's form is the canonical one.
TEST(CardBaseJsonTest, CanonicalFormRoundTrips)
{
    const std::string json =
        "[\n" + Replace(Replace(CardObject("Ach! Hans, Run!", "UG", "A"), "\"Text\": \"%T: Add G to your mana pool.\"",
                                "\"Text\": \"Quote \\\" back\\\\slash /\\n\\r\\t\\b\\f \\u0001 \\u001f \x7f Æ\""),
                        "\"FlavorR\": \"\"", "\"FlavorR\": \"«Ёлки» — №5 €\"")
        + ",\n" + Replace(CardObject("Forest", "7E", ""), "\"MtgEncID\": 11383", "\"MtgEncID\": null")
        + "\n]\n";
    // Æ is not Windows-1251: take it out for the round trip, keep the rest.
    const std::string source = Replace(json, " Æ", "");
    TTable t;
    CardBaseFromJson(source, t);
    ASSERT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(CardBaseToJson(t), source);
    t.First();
    EXPECT_EQ(t.FieldByName("Text").AsString(), "Quote \" back\\slash /\n\r\t\b\f \x01 \x1f \x7f");
    EXPECT_EQ(Win1251ToUtf8(t.FieldByName("FlavorR").AsString()), "«Ёлки» — №5 €");
    t.Next();
    EXPECT_TRUE(t.FieldByName("MtgEncID").IsNull());

    // Any JSON layout reads the same; the writer gives the canonical form back.
    const std::string compact = "[{\"CostValue\":1,\"MtgEncID\":5,\"FlavorR\":\"\",\"TextR\":\"\",\"TypeR\":\"T\","
                                "\"NameR\":\"N\",\"Rarity\":\"C\",\"Flavor\":\"\",\"Text\":\"\\u0410\",\"PwrTgh\":\"\","
                                "\"Cost\":\"\",\"Type\":\"Land\",\"Color\":\"L\",\"Version\":\"\",\"Set\":\"7E\","
                                "\"Name\":\"X\"}]";
    TTable c;
    CardBaseFromJson(compact, c);
    const std::string canonical = CardBaseToJson(c);
    EXPECT_EQ(canonical.rfind("[\n  {\n    \"Name\": \"X\",\n", 0), 0u);
    EXPECT_NE(canonical.find("    \"Text\": \"А\",\n"), std::string::npos);
    const std::string tail = "    \"CostValue\": 1\n  }\n]\n";
    EXPECT_EQ(canonical.substr(canonical.size() - tail.size()), tail);

    TTable empty;
    CardBaseFromJson(" [ ] \n", empty);
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_EQ(CardBaseToJson(empty), "[]\n");
}

TEST(CardBaseJsonTest, ImportRefusesWhatTheTableWouldRefuseOrCut)
{
    const std::string elves = CardObject("Llanowar Elves", "7E", "");
    const struct {
        const char* what;
        std::string source;
        std::string message; // expected part of the message
    } cases[] = {
        {"a required field empty", "[\n" + Replace(elves, "\"TypeR\": \"Существо - Эльф\"", "\"TypeR\": \"\"") + "\n]",
         "card 1 (\"Llanowar Elves\" [7E]): field TypeR must have a value"},
        {"a text too long for its field", "[\n" + elves + ",\n" + CardObject(std::string(81, 'n'), "7E", "") + "\n]",
         "card 2 (\"" + std::string(81, 'n') + "\" [7E]): field Name: the text has 81 characters, more than the field's 80"},
        {"a set code of three letters", "[\n" + CardObject("X", "7ED", "") + "\n]",
         "field Set: the text has 3 characters, more than the field's 2"},
        {"Cyrillic counts one character per letter",
         "[\n" + Replace(elves, "\"NameR\": \"Эльфы\"", "\"NameR\": \"" + [] {
             std::string s;
             for (int i = 0; i < 81; ++i)
                 s += "Ж";
             return s;
         }() + "\"") + "\n]",
         "field NameR: the text has 81 characters, more than the field's 80"},
        {"a character outside Windows-1251", "[\n" + Replace(elves, "\"TextR\": \"\"", "\"TextR\": \"Тап → мана\"") + "\n]",
         "card 1 (\"Llanowar Elves\" [7E]): field TextR: the character U+2192"},
        {"a card listed twice", "[\n" + elves + ",\n" + elves + "\n]",
         "card 2 (\"Llanowar Elves\" [7E]): the same name, set and variant as card 1"},
        {"a key missing", "[\n" + Replace(elves, "    \"PwrTgh\": \"1/1\",\n", "") + "\n]",
         "key \"PwrTgh\" is missing"},
        {"an unknown key", "[\n" + Replace(elves, "\"PwrTgh\"", "\"Power\"") + "\n]", "line 9, column 5: unknown key \"Power\""},
        {"a number for a text", "[\n" + Replace(elves, "\"Cost\": \"G\"", "\"Cost\": 1") + "\n]", "\"Cost\" must be a string"},
        {"a text for a number", "[\n" + Replace(elves, "\"MtgEncID\": 11383", "\"MtgEncID\": \"11383\"") + "\n]",
         "\"MtgEncID\" must be a whole number or null"},
        {"a fraction", "[\n" + Replace(elves, "\"CostValue\": 1", "\"CostValue\": 1.5") + "\n]", "expected a whole number"},
        {"a number beyond 32 bits", "[\n" + Replace(elves, "\"MtgEncID\": 11383", "\"MtgEncID\": 2147483648") + "\n]",
         "the number does not fit 32 bits"},
        {"a missing comma", "[\n" + Replace(elves, "\"Set\": \"7E\",", "\"Set\": \"7E\"") + "\n]",
         "line 5, column 5: expected '}', found '\"'"},
        {"bytes that are not UTF-8", "[\n" + Replace(elves, "Llanowar", "Llan\xC3owar") + "\n]", "not valid UTF-8"},
        {"text after the list", "[\n" + elves + "\n]\n]", "text after the end of the card list"},
        {"not a list", "{}", "line 1, column 1: expected '['"},
    };
    for (const auto& c : cases) {
        TTable t;
        try {
            CardBaseFromJson(c.source, t);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const ECardBaseSourceError& e) {
            const std::string m = Win1251ToUtf8(e.what());
            EXPECT_NE(m.find(c.message), std::string::npos) << c.what << ": " << m;
        }
    }
}

// The data store's card base, built from the project's source, gives the source back
// byte for byte through the tool.
TEST(CardBaseJsonTest, BuiltCardBaseExportsBackToItsSource)
{
    const QString source = QString::fromStdString(SourceDir() + "/assets/cardbase.json");
    const QString built = QString(TOMELARK_BIN_DIR) + "/data/cardbase.cds";
    if (!QFile::exists(source) || !QFile::exists(built))
        GTEST_SKIP() << "no card base source or no built card base";
    const ToolResult r = RunTool({"cardbase", "export", built});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.out == ReadFileBytes(source)) << "export differs from assets/cardbase.json";

    // The same through the library: the built file is the source's table.
    TTable t;
    t.LoadFromBytes(ReadFileBytes(built));
    TTable fromSource;
    CardBaseFromJson(ReadFileBytes(source), fromSource);
    EXPECT_EQ(t.RecordCount(), fromSource.RecordCount());
    EXPECT_TRUE(CardBaseToJson(t) == CardBaseToJson(fromSource));
}

TEST(CardBaseJsonTest, ToolImportsExportsAndRefuses)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string source = "[\n" + CardObject("Llanowar Elves", "7E", "") + ",\n" + CardObject("Forest", "7E", "A") + "\n]\n";
    WriteFileBytes(dir.filePath("cards.json"), source);

    // Import into a folder that does not exist yet, export it back.
    const QString cds = dir.filePath("store/data/cardbase.cds");
    ToolResult r = RunTool({"cardbase", "import", dir.filePath("cards.json"), "-o", cds});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunTool({"cardbase", "export", cds});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, source);

    // The card base of a data store given by --base, here a pack file "data".
    {
        ASSERT_TRUE(QDir().mkpath(dir.filePath("packed")));
        const std::string packet = ReadFileBytes(cds);
        auto member = TPackFileStream::CreateMember(dir.filePath("packed/data").toStdString(), "cardbase.cds", fmCreate);
        member->WriteBuffer(packet.data(), int64_t(packet.size()));
        member->Close();
    }
    r = RunTool({"cardbase", "export", "--base", dir.filePath("packed")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, source);

    // A refused card: exit 1, the file and the card named, the output not written.
    WriteFileBytes(dir.filePath("bad.json"), Replace(source, "\"Rarity\": \"C\"", "\"Rarity\": \"\""));
    r = RunTool({"cardbase", "import", dir.filePath("bad.json"), "-o", dir.filePath("bad.cds")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("bad.json: card 1 (\"Llanowar Elves\" [7E]): field Rarity must have a value"), std::string::npos)
        << r.err;
    EXPECT_FALSE(QFile::exists(dir.filePath("bad.cds")));

    // Usage errors: exit 2.
    EXPECT_EQ(RunTool({"cardbase", "import", dir.filePath("cards.json")}).exitCode, 2);
    EXPECT_EQ(RunTool({"cardbase", "convert"}).exitCode, 2);
    // A missing card base: exit 1 with the stream's message.
    r = RunTool({"cardbase", "export", dir.filePath("none.cds")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("none.cds"), std::string::npos) << r.err;
}
