// Table packets and files: round trip, refusal of bad packets, atomic saving.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QTemporaryDir>

#include <fstream>
#include <functional>

#include "FileSizeLimit.h"
#include "TableTestSupport.h"

using namespace tabletest;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void FillSample(TTable& t)
{
    MakeCardTable(t);
    AddRow(t, {"Llanowar Elves", "7E", "", 1, W("Эльфы Лановара")});
    AddRow(t, {"Forest", "7E", "A", TValue(), W("Лес")});
    AddRow(t, {"Akroma's Vengeance", "ON", "", -2147483647 - 1, W("Ёлка «в кавычках»")});
    t.Edit();
    t.FieldByName("Text").SetAsString(std::string(70000, 'x') + W("ё"));
    t.Post();
}

// Every value of every record in natural order, as text, with nulls marked.
std::vector<std::string> Dump(TTable& t)
{
    std::vector<std::string> out;
    std::string saved = t.IndexName();
    t.SetIndexName("");
    for (int r = 0; r < t.VisibleCount(); ++r)
        for (int f = 0; f < t.FieldCount(); ++f)
            out.push_back(t.RowIsNull(r, f) ? "<null>" : t.RowString(r, f));
    t.SetIndexName(saved);
    return out;
}

// Rewrites the checksum so that only the structure is wrong.
std::string Reseal(std::string p)
{
    uint32_t crc = uint32_t(crc32_z(0, reinterpret_cast<const Bytef*>(p.data()), p.size() - 4));
    for (int i = 0; i < 4; ++i)
        p[p.size() - 4 + i] = char((crc >> (8 * i)) & 0xFF);
    return p;
}

} // namespace

TEST(TablePacket, RoundTripKeepsFieldsRecordsNullsAndOrder)
{
    TTable t;
    FillSample(t);
    const std::string packet = t.SaveToBytes();

    TTable u;
    u.LoadFromBytes(packet);
    ASSERT_EQ(u.FieldCount(), t.FieldCount());
    for (int f = 0; f < t.FieldCount(); ++f) {
        const TFieldDef &a = t.FieldDefs()[size_t(f)], &b = u.FieldDefs()[size_t(f)];
        EXPECT_EQ(a.Name, b.Name);
        EXPECT_EQ(a.DataType, b.DataType);
        EXPECT_EQ(a.Size, b.Size);
        EXPECT_EQ(a.Required, b.Required);
    }
    EXPECT_EQ(Dump(u), Dump(t));
    EXPECT_EQ(u.SaveToBytes(), packet) << "saving a loaded table gives the same bytes";

    // Required fields and sizes come back with the packet.
    u.Append();
    u.FieldByName("Set").SetAsString("ABCD");
    EXPECT_EQ(u.FieldByName("Set").AsString(), "AB");
    EXPECT_THROW(u.Post(), EDatabaseError);
    u.Cancel();

    // Loading into a table with a clone: the clone sees the loaded records.
    TTable base, clone;
    MakeCardTable(base);
    clone.CloneCursor(base);
    clone.AddIndex("NameSort", "Name;Set;Version");
    clone.SetIndexName("NameSort");
    base.LoadFromBytes(packet);
    EXPECT_EQ(Rows(clone), (std::vector<std::string>{"Akroma's Vengeance", "Forest", "Llanowar Elves"}));
}

TEST(TablePacket, BadPacketsAreRefusedAndTheTableStaysAsItWas)
{
    TTable good;
    FillSample(good);
    const std::string packet = good.SaveToBytes();
    const size_t fieldTypeAt = 20 + 2 + 1 + 4; // first field: count, name length, "Name", then its type

    struct Case {
        const char* what;
        std::function<std::string(std::string)> damage;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"empty", [](std::string) { return std::string(); }, "Not a Tomelark table file"},
        {"text file", [](std::string) { return std::string("Name;Set\r\nForest;7E\r\n"); },
         "Not a Tomelark table file"},
        {"magic only", [](std::string p) { return p.substr(0, 8); }, "Table file is truncated"},
        {"newer version", [](std::string p) { p[8] = 2; return p; }, "Unsupported table file version 2"},
        {"header cut", [](std::string p) { return p.substr(0, 15); }, "Table file is truncated"},
        {"last byte cut", [](std::string p) { p.pop_back(); return p; }, "Table file is truncated"},
        {"half cut", [](std::string p) { return p.substr(0, p.size() / 2); }, "Table file is truncated"},
        {"byte flipped", [](std::string p) { p[p.size() / 2] ^= 0x20; return p; },
         "Table file is damaged (checksum mismatch)"},
        {"checksum flipped", [](std::string p) { p.back() ^= 1; return p; },
         "Table file is damaged (checksum mismatch)"},
        {"byte appended", [](std::string p) { return p + "x"; }, "Table file is damaged (data after the end)"},
        {"unknown field type", [&](std::string p) { p[fieldTypeAt] = 9; return Reseal(p); },
         "Table file is damaged (field definitions)"},
        {"record count too high", [&](std::string p) {
             // The record count follows the field definitions and the next auto-increment value.
             size_t at = 20 + 2;
             for (const TFieldDef& d : good.FieldDefs())
                 at += 1 + d.Name.size() + 1 + 1 + 4;
             at += 4;
             EXPECT_EQ(p[at], 3);
             p[at + 2] = char(0xFF);
             return Reseal(p);
         },
         "Table file is damaged (records)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTable t;
        FillSample(t);
        const std::vector<std::string> before = Dump(t);
        try {
            t.LoadFromBytes(c.damage(packet));
            ADD_FAILURE() << "loaded";
        } catch (const ETableFileError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(Dump(t), before);
        TTable fresh;
        EXPECT_THROW(fresh.LoadFromBytes(c.damage(packet)), ETableFileError);
        EXPECT_FALSE(fresh.Active());
    }
}

TEST(TableFile, SaveReplacesTheFileAndAFailedSaveLeavesItIntact)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("cardbase.cds").toStdString();
    TTable t;
    FillSample(t);
    t.SaveToFile(path);
    const std::string first = ReadAll(path);
    EXPECT_EQ(first, t.SaveToBytes());

    AddRow(t, {"Shivan Dragon", "7E", "", 6, ""});
    t.SaveToFile(path);
    TTable back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.RecordCount(), 4);

    // The write is cut short (the disk fills up): the old file stays.
    const std::string second = ReadAll(path);
    AddRow(t, {"Giant Growth", "IN", "", 1, ""});
    try {
        TFileSizeLimit limit(1024);
        t.SaveToFile(path);
        FAIL() << "saved";
    } catch (const ETableFileError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadAll(path), second);
    EXPECT_EQ(t.RecordCount(), 5) << "the records stay in memory";

    // A path below a plain file.
    const std::string blocker = dir.filePath("plain").toStdString();
    WriteAll(blocker, "x");
    EXPECT_THROW(t.SaveToFile(blocker + "/cardbase.cds"), ETableFileError);
    EXPECT_THROW(back.LoadFromFile(dir.filePath("missing.cds").toStdString()), ETableFileError);
}
