#include "data/DataModule.h"

#include "Library/Common/PackStream.h"
#include "data/CardBaseJson.h"
#include "data/Settings.h"
#include "DataTestSupport.h"
#include "FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace datatest;

namespace {

TCard MakeCard(const std::string& name, const std::string& set, const std::string& version = "")
{
    TCard c;
    c.Name = name;
    c.Set = set;
    c.Version = version;
    c.Color = "G";
    c.Type = "Creature - Elf";
    c.Cost = "G";
    c.PwrTgh = "1/1";
    c.Text = "%T: Add G.";
    c.Flavor = "Flavour";
    c.Rarity = "C";
    c.NameR = Utf8ToWin1251("Эльф ") + name;
    c.TypeR = Utf8ToWin1251("Существо - Эльф");
    c.TextR = Utf8ToWin1251("%T: добавьте G.");
    c.FlavorR = "";
    c.MtgEncID = 100;
    return c;
}

// A card base packet with these cards (and CostValue = position).
std::string CardBasePacket(const std::vector<TCard>& cards)
{
    TTable t;
    DefineCardBaseFields(t);
    t.CreateDataSet();
    int n = 0;
    for (const TCard& c : cards)
        AppendCard(t, c, ++n);
    return t.SaveToBytes();
}

std::vector<TCard> SampleCards()
{
    TCard noId = MakeCard("Plain Card", "IN");
    noId.MtgEncID = 0; // stored without a value
    noId.Text = "";
    return {
        MakeCard("Llanowar Elves", "7E"),
        MakeCard("Forest", "7E"),
        MakeCard("Forest", "7E", "A"),
        MakeCard("Forest", "7E", "B"),
        MakeCard("Urza's Armor", "7E"),
        MakeCard("Fire/Ice", "AP"),
        MakeCard("Arrow Volley Trap", "XX"), // a set the filter does not know
        noId,
    };
}

// Every test runs with BaseDir and both settings stores in a temporary folder.
class DataModuleTest : public DataFolderFixture {
protected:
    void TearDown() override
    {
        DataFolderFixture::TearDown();
        const QString none = Dir.filePath("none");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, none);
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, none);
    }

    void WriteFolderBase(const std::vector<TCard>& cards)
    {
        ASSERT_TRUE(QDir().mkpath(DataPath()));
        WriteFileBytes(CardBasePath(), CardBasePacket(cards));
    }
    void WritePackBase(const std::vector<TCard>& cards)
    {
        const std::string packet = CardBasePacket(cards);
        auto member = TPackFileStream::CreateMember(DataPath().toStdString(), "cardbase.cds", fmCreate);
        member->WriteBuffer(packet.data(), int64_t(packet.size()));
        member->Close();
    }

    std::unique_ptr<TData> Create()
    {
        errors.clear();
        return std::make_unique<TData>([this](const std::string& m) { errors.push_back(m); });
    }

    std::vector<std::string> errors;
};

} // namespace

TEST_F(DataModuleTest, FolderAndPackLoadTheSameTable)
{
    WriteFolderBase(SampleCards());
    auto fromFolder = Create();
    ASSERT_TRUE(errors.empty()) << errors.front();
    ASSERT_TRUE(fromFolder->Ready);
    const std::string folderJson = CardBaseToJson(fromFolder->BaseTable);
    fromFolder.reset();

    ASSERT_TRUE(QDir(DataPath()).removeRecursively());
    WritePackBase(SampleCards());
    ASSERT_TRUE(QFileInfo(DataPath()).isFile());
    auto fromPack = Create();
    ASSERT_TRUE(errors.empty()) << errors.front();
    ASSERT_TRUE(fromPack->Ready);
    EXPECT_EQ(CardBaseToJson(fromPack->BaseTable), folderJson);
    EXPECT_EQ(fromPack->BaseTable.RecordCount(), int(SampleCards().size()));
}

TEST_F(DataModuleTest, CreationSetsUpTablesIndexesAndFilter)
{
    WriteFolderBase(SampleCards());
    auto d = Create();
    ASSERT_TRUE(d->Ready);
    EXPECT_EQ(Data, d.get());

    EXPECT_EQ(d->BaseTable.IndexName(), "NameSort");
    EXPECT_EQ(d->CardsTable.IndexName(), "NameSort");
    std::vector<std::string> names;
    for (const TIndexDef& i : d->CardsTable.IndexDefs())
        names.push_back(i.Name);
    for (const char* wanted : {"NameSort", "NameSortR", "CostSort", "CostSortR"})
        EXPECT_NE(std::find(names.begin(), names.end(), wanted), names.end()) << wanted;

    EXPECT_TRUE(d->DeckTable.Active());
    EXPECT_TRUE(d->DeckTable.IsEmpty());
    EXPECT_EQ(d->DeckTable.IndexName(), "IDSort");
    ASSERT_NE(d->DeckTableCount, nullptr);
    EXPECT_EQ(d->DeckTableID->DataType(), ftAutoInc);

    for (bool f : d->FilterSets) EXPECT_TRUE(f);
    for (bool f : d->FilterTypes) EXPECT_TRUE(f);
    for (bool f : d->FilterColors) EXPECT_TRUE(f);
    EXPECT_FALSE(d->FilterMultiExact);
    // The filter is attached: the card of an unknown set is hidden from the list only.
    EXPECT_TRUE(d->CardsTable.Filtered());
    EXPECT_EQ(d->CardsTable.RecordCount(), int(SampleCards().size()) - 1);
    EXPECT_EQ(d->BaseTable.RecordCount(), int(SampleCards().size()));

    d.reset();
    EXPECT_EQ(Data, nullptr);
}

TEST_F(DataModuleTest, MissingOrDamagedCardBaseIsReportedAndLeavesModuleNotReady)
{
    // Each way of lacking a card base, with the pack file stream's message naming the
    // full path; the card access then does nothing.
    const struct {
        const char* what;
        std::function<void()> prepare;
        std::string message;
    } cases[] = {
        {"no data store at all", [] {},
         "File " + CardBasePath().toStdString() + " not found"},
        {"a folder without the card base", [this] { ASSERT_TRUE(QDir().mkpath(DataPath())); },
         "File " + CardBasePath().toStdString() + " not found"},
        {"a pack without the card base",
         [this] {
             auto member = TPackFileStream::CreateMember(DataPath().toStdString(), "other.cds", fmCreate);
             member->Close();
         },
         "File " + CardBasePath().toStdString() + " not found"},
        {"a file that is not a table",
         [this] {
             ASSERT_TRUE(QDir().mkpath(DataPath()));
             WriteFileBytes(CardBasePath(), "this is not a card base");
         },
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(DataPath());
        QDir(DataPath()).removeRecursively();
        c.prepare();
        auto d = Create();
        ASSERT_EQ(errors.size(), 1u);
        if (!c.message.empty())
            EXPECT_EQ(errors[0], c.message);
        EXPECT_FALSE(d->Ready);
        EXPECT_TRUE(d->DeckTable.Active()) << "the deck table exists without a card base";

        TCard card = MakeCard("Keep", "7E");
        TData::ClearCard(card);
        d->ReadCard(card);
        EXPECT_EQ(card, TCard{});
        d->WriteCard(MakeCard("New", "7E"), true, true, d->BaseTable);
        EXPECT_FALSE(d->BaseTable.Active());
        EXPECT_FALSE(d->LocateCard("Forest", "7E", ""));
        EXPECT_EQ(d->GetCardKey(d->CardsTable), TCardKey{});
    }
}

TEST_F(DataModuleTest, BadSettingIsReportedAndTheCardBaseStillLoads)
{
    WriteFolderBase(SampleCards());
    {
        QSettings user(QSettings::NativeFormat, QSettings::UserScope, "Tomelark", "Tomelark");
        user.setValue("PrintGrayscale", 1);
        user.setValue("ArtImageType", "pictures");
    }
    {
        auto d = Create();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], "Invalid data type for 'ArtImageType'");
        EXPECT_TRUE(d->Ready);
        EXPECT_TRUE(PrintGrayscale);
    }
    // Shut-down wrote the settings back, the bad value replaced.
    QSettings user(QSettings::NativeFormat, QSettings::UserScope, "Tomelark", "Tomelark");
    EXPECT_EQ(user.value("ArtImageType").toString(), "0");
    EXPECT_EQ(user.value("PrintGrayscale").toString(), "1");
    EXPECT_EQ(user.value("DrawReminderText").toString(), "1");
}

TEST_F(DataModuleTest, ReadClearAndLocateCards)
{
    WriteFolderBase(SampleCards());
    auto d = Create();
    ASSERT_TRUE(d->Ready);

    TCard card;
    ASSERT_TRUE(d->LocateCard("Llanowar Elves", "7E", ""));
    d->ReadCard(card);
    EXPECT_EQ(card, MakeCard("Llanowar Elves", "7E"));

    ASSERT_TRUE(d->LocateCard("Plain Card", "IN", ""));
    d->ReadCard(card);
    EXPECT_EQ(card.MtgEncID, 0);
    EXPECT_EQ(card.Text, "");
    EXPECT_EQ(card.Name, "Plain Card");

    TData::ClearCard(card);
    EXPECT_EQ(card, TCard{});

    const struct {
        const char* name;
        const char* set;
        const char* version;
        bool found;
    } cases[] = {
        {"Urza's Armor", "7E", "", true},     // apostrophe, no doubling needed
        {"Urza''s Armor", "7E", "", false},
        {"urza's armor", "7E", "", false},    // case matters
        {"Llanowar elves", "7E", "", false},
        {"Forest", "7E", "", true},
        {"Forest", "7E", "B", true},
        {"Forest", "7E", "C", false},
        {"Forest", "IN", "", false},
        {"Fores", "7E", "", false},           // no partial match
        {"Fire/Ice", "AP", "", true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(d->LocateCard("Llanowar Elves", "7E", ""));
        EXPECT_EQ(d->LocateCard(c.name, c.set, c.version), c.found) << c.name << " " << c.version;
        const TCardKey at = d->GetCardKey(d->BaseTable);
        if (c.found)
            EXPECT_EQ(at, (TCardKey{c.name, c.set, c.version}));
        else
            EXPECT_EQ(at, (TCardKey{"Llanowar Elves", "7E", ""})) << "a failed locate leaves the record";
    }
    // An empty version is the card without variant, not its variants.
    ASSERT_TRUE(d->LocateCard("Forest", "7E", ""));
    EXPECT_EQ(d->GetCardKey(d->BaseTable).Version, "");
}

TEST_F(DataModuleTest, WriteCardAppendsAndEditsThroughEitherCursor)
{
    WriteFolderBase(SampleCards());
    auto d = Create();
    ASSERT_TRUE(d->Ready);
    const int count = d->BaseTable.RecordCount();

    // Appended through the card list, seen by the card base at once.
    TCard added = MakeCard("Grizzly Bears", "7E");
    added.Name = std::string(100, 'N'); // cut to the field's 80 characters
    d->WriteCard(added, true, false, d->CardsTable);
    EXPECT_EQ(d->BaseTable.RecordCount(), count + 1);
    ASSERT_TRUE(d->LocateCard(std::string(80, 'N'), "7E", ""));
    TCard read;
    d->ReadCard(read);
    EXPECT_EQ(read.Name, std::string(80, 'N'));
    EXPECT_TRUE(d->BaseTable.FieldByName("CostValue").IsNull()) << "a new record has no cost value";

    // Appended through the card base, seen by the card list.
    d->WriteCard(MakeCard("Giant Growth", "IN"), true, false, d->BaseTable);
    EXPECT_TRUE(d->CardsTable.Locate("Name", {"Giant Growth"}));

    // Edited in place: the located record changes, its cost value stays.
    ASSERT_TRUE(d->LocateCard("Forest", "7E", "A"));
    const int32_t costValue = d->BaseTable.FieldByName("CostValue").AsInteger();
    TCard forest;
    d->ReadCard(forest);
    forest.TextR = Utf8ToWin1251("Новый текст");
    d->WriteCard(forest, false, false, d->BaseTable);
    ASSERT_TRUE(d->LocateCard("Forest", "7E", "A"));
    d->ReadCard(read);
    EXPECT_EQ(read, forest);
    EXPECT_EQ(d->BaseTable.FieldByName("CostValue").AsInteger(), costValue);
    EXPECT_EQ(d->BaseTable.RecordCount(), count + 2);

    // A record the table refuses: the engine's error, the record left in insert state.
    TCard bad = MakeCard("", "7E");
    EXPECT_THROW(d->WriteCard(bad, true, false, d->BaseTable), EDatabaseError);
    EXPECT_EQ(d->BaseTable.State(), dsInsert);
    d->BaseTable.Cancel();
    EXPECT_EQ(d->BaseTable.RecordCount(), count + 2);
}

TEST_F(DataModuleTest, SavingTheCardBase)
{
    WriteFolderBase(SampleCards());
    {
        auto d = Create();
        ASSERT_TRUE(d->LocateCard("Forest", "7E", "B"));
        TCard c;
        d->ReadCard(c);
        c.FlavorR = Utf8ToWin1251("Исправлено");
        d->WriteCard(c, false, true, d->BaseTable);
    }
    {
        auto d = Create();
        ASSERT_TRUE(d->LocateCard("Forest", "7E", "B"));
        TCard c;
        d->ReadCard(c);
        EXPECT_EQ(c.FlavorR, Utf8ToWin1251("Исправлено")) << "the save reached the file";
        EXPECT_EQ(d->BaseTable.RecordCount(), int(SampleCards().size()));
    }

    // The target cannot be written (the disk is full): the engine's error, the
    // previous file intact, the record still in memory.
    const std::string before = ReadFileBytes(CardBasePath());
    {
        auto d = Create();
        ASSERT_TRUE(d->Ready);
        {
            TFileSizeLimit limit(16);
            EXPECT_THROW(d->WriteCard(MakeCard("Unsaved", "7E"), true, true, d->BaseTable), Exception);
        }
        EXPECT_TRUE(d->LocateCard("Unsaved", "7E", ""));
    }
    EXPECT_EQ(ReadFileBytes(CardBasePath()), before);
}

TEST_F(DataModuleTest, SavingIntoAPackIsRefusedAndThePackStaysIntact)
{
    WritePackBase(SampleCards());
    const std::string pack = ReadFileBytes(DataPath());
    auto d = Create();
    ASSERT_TRUE(d->Ready);
    ASSERT_TRUE(d->LocateCard("Forest", "7E", ""));
    TCard c;
    d->ReadCard(c);
    c.Text = "changed";
    try {
        d->WriteCard(c, false, true, d->BaseTable);
        FAIL() << "saving into a pack file succeeded";
    } catch (const EError& e) {
        const std::string m = Win1251ToUtf8(e.what());
        EXPECT_NE(m.find(DataPath().toStdString()), std::string::npos) << m;
        EXPECT_NE(m.find("упакованный файл"), std::string::npos) << m;
    }
    EXPECT_EQ(ReadFileBytes(DataPath()), pack);
    EXPECT_TRUE(QFileInfo(DataPath()).isFile());
}

TEST_F(DataModuleTest, LockStackRestoresPositionsInAnyUnlockOrder)
{
    WriteFolderBase(SampleCards());
    auto d = Create();
    ASSERT_TRUE(d->Ready);
    for (const char* name : {"Llanowar Elves", "Forest", "Fire/Ice"}) {
        d->DeckTable.Append();
        d->DeckTableName->SetAsString(name);
        d->DeckTableSet->SetAsString("7E");
        d->DeckTableCount->SetAsInteger(2);
        d->DeckTable.Post();
    }
    d->CardsTable.First();
    d->CardsTable.Next();
    d->CardsTable.Next();
    const TCardKey cardsAt = d->GetCardKey(d->CardsTable);
    d->DeckTable.First();
    d->DeckTable.Next();
    const TCardKey deckAt = d->GetCardKey(d->DeckTable);

    d->LockDataSet(d->CardsTable);
    d->LockDataSet(d->DeckTable);
    EXPECT_TRUE(d->CardsTable.ControlsDisabled());
    EXPECT_TRUE(d->DeckTable.ControlsDisabled());
    for (d->DeckTable.First(); !d->DeckTable.Eof(); d->DeckTable.Next())
        d->CardsTable.Last();
    // Unlocked in the order they were locked, not the reverse.
    d->UnlockDataSet(d->CardsTable);
    EXPECT_EQ(d->GetCardKey(d->CardsTable), cardsAt);
    EXPECT_FALSE(d->CardsTable.ControlsDisabled());
    EXPECT_TRUE(d->DeckTable.ControlsDisabled());
    d->UnlockDataSet(d->DeckTable);
    EXPECT_EQ(d->GetCardKey(d->DeckTable), deckAt);
    EXPECT_FALSE(d->DeckTable.ControlsDisabled());
    EXPECT_TRUE(d->LockStack.empty());

    // Nested locks of one table are undone in reverse order, each to its own record.
    d->DeckTable.First();
    d->LockDataSet(d->DeckTable);
    d->DeckTable.Last();
    const TCardKey last = d->GetCardKey(d->DeckTable);
    d->LockDataSet(d->DeckTable);
    d->DeckTable.Next();
    d->DeckTable.Prior();
    d->DeckTable.Prior();
    d->UnlockDataSet(d->DeckTable);
    EXPECT_EQ(d->GetCardKey(d->DeckTable), last);
    EXPECT_TRUE(d->DeckTable.ControlsDisabled());
    d->UnlockDataSet(d->DeckTable);
    EXPECT_EQ(d->GetCardKey(d->DeckTable).Name, "Llanowar Elves");
    EXPECT_FALSE(d->DeckTable.ControlsDisabled());

    // A table without an open lock: the error, nothing else changes.
    d->LockDataSet(d->CardsTable);
    try {
        d->UnlockDataSet(d->DeckTable);
        FAIL() << "unlock of a table that was not locked";
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()), Utf8ToWin1251("Ошибка Unlock"));
    }
    ASSERT_EQ(d->LockStack.size(), 1u);
    EXPECT_EQ(d->LockStack[0].first, &d->CardsTable);
    EXPECT_TRUE(d->CardsTable.ControlsDisabled());
    d->UnlockDataSet(d->CardsTable);
}

TEST_F(DataModuleTest, DataChangeIsForwardedOnlyWhenSomeoneListens)
{
    WriteFolderBase(SampleCards());
    std::vector<TTable*> senders;
    auto d = Create();
    ASSERT_TRUE(d->Ready);
    d->CardsTable.First();
    d->CardsTable.Next(); // nobody listens yet: nothing to call

    d->OnCurrentCardChange = [&](TTable* sender) { senders.push_back(sender); };
    d->CardsTable.Next();
    ASSERT_FALSE(senders.empty());
    EXPECT_EQ(senders.back(), &d->CardsTable);

    senders.clear();
    d->DeckTable.Append();
    d->DeckTableName->SetAsString("Forest");
    d->DeckTableSet->SetAsString("7E");
    d->DeckTableCount->SetAsInteger(1);
    d->DeckTable.Post();
    ASSERT_FALSE(senders.empty());
    EXPECT_EQ(senders.back(), &d->DeckTable);

    // Emptying the tables at shut-down is not passed on to the closing window.
    senders.clear();
    d.reset();
    EXPECT_TRUE(senders.empty());
}

// A table that is not a card base (a field missing, of another type or too short)
// is refused when it loads, not on the first selection; damage is reported with the
// file's name. The program folder here has a Cyrillic name: every message is
// Windows-1251 and decodes to the real path.
TEST_F(DataModuleTest, CardBaseErrorsNameTheFileAndTheFieldsAreCheckedOnLoad)
{
    const QString cyrillic = Dir.filePath(QString::fromUtf8("Папка программы"));
    ASSERT_TRUE(QDir().mkpath(cyrillic + "/data"));
    BaseDir = AppDir = UserDir = QFile::encodeName(cyrillic).toStdString() + "/";
    const QString base = cyrillic + "/data/cardbase.cds";
    const std::string shown = QFile::encodeName(base).toStdString(); // UTF-8

    auto tableWith = [](const std::function<void(TTable&)>& change) {
        TTable t;
        DefineCardBaseFields(t);
        change(t);
        t.CreateDataSet();
        return t.SaveToBytes();
    };
    auto withoutField = [](const char* name) {
        return [name](TTable& t) {
            std::vector<TFieldDef> defs = t.FieldDefs();
            t.ClearFieldDefs();
            for (const TFieldDef& d : defs)
                if (d.Name != name)
                    t.AddFieldDef(d.Name, d.DataType, d.Size, d.Required);
        };
    };
    auto retyped = [](const char* name, TFieldType type, int size) {
        return [=](TTable& t) {
            std::vector<TFieldDef> defs = t.FieldDefs();
            t.ClearFieldDefs();
            for (const TFieldDef& d : defs)
                t.AddFieldDef(d.Name, d.Name == name ? type : d.DataType, d.Name == name ? size : d.Size, d.Required);
        };
    };
    std::string good = CardBasePacket(SampleCards());
    std::string damaged = good;
    damaged[damaged.size() / 2] ^= 0x55;
    const struct {
        const char* what;
        std::string bytes;
        std::string message; // UTF-8, a part of the message after the file name
    } cases[] = {
        {"TextR missing", tableWith(withoutField("TextR")), " is not a card base: the field TextR is missing"},
        {"Name an integer", tableWith(retyped("Name", ftInteger, 0)),
         " is not a card base: the field Name is of type integer, not string"},
        {"Set too short", tableWith(retyped("Set", ftString, 1)),
         " is not a card base: the field Set holds 1 characters, not 2"},
        {"damaged", damaged, ": Table file is damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(base, c.bytes);
        auto d = Create();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(Win1251ToUtf8(errors[0]).rfind("Card base " + shown + c.message, 0), 0u) << Win1251ToUtf8(errors[0]);
        EXPECT_FALSE(d->Ready);
        EXPECT_FALSE(d->BaseTable.Active());
    }

    // A save that cannot replace the file (made read-only by the user) names it too,
    // with the system's reason, and leaves it as it was.
    WriteFileBytes(base, good);
    auto d = Create();
    ASSERT_TRUE(d->Ready);
    ASSERT_TRUE(QFile::setPermissions(base, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    try {
        d->WriteCard(MakeCard("Unsaved", "7E"), true, true, d->BaseTable);
        ADD_FAILURE() << "saved over a read-only file";
    } catch (const Exception& e) {
        EXPECT_EQ(Win1251ToUtf8(e.what()), "Не удается сохранить файл таблицы \"" + shown + "\": Отказано в доступе");
    }
    EXPECT_EQ(ReadFileBytes(base), good);
    QFile::setPermissions(base, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// The card filter's sets are kept by their codes: a settings file without them (of
// before) lets every set through, codes the program does not know mean nothing, and
// the chosen sets are written back by code at the end.
TEST_F(DataModuleTest, TheFilterKeepsItsSetsByCode)
{
    WriteFolderBase(SampleCards());
    FilterSetCodesKnown = false;
    {
        auto d = Create();
        ASSERT_TRUE(d->Ready);
        for (const TSetInfo& s : AllSets())
            EXPECT_TRUE(d->SetFilterOn(s.Code)) << s.Code;
        d->SetAllSetFilters(false);
        d->SetSetFilter("JU", true);
        d->SetSetFilter("IN", true);
    }
    EXPECT_TRUE(FilterSetCodesKnown);
    EXPECT_EQ(FilterSetCodes, "IN,JU"); // in the table's order
    {
        auto d = Create(); // read back from the settings file
        for (const TSetInfo& s : AllSets())
            EXPECT_EQ(d->SetFilterOn(s.Code), s.Code == "JU" || s.Code == "IN") << s.Code;
        d->SetAllSetFilters(false);
    }
    FilterSetCodes = "JU,XX,7E";
    WriteSettings();
    {
        auto d = Create();
        for (const TSetInfo& s : AllSets())
            EXPECT_EQ(d->SetFilterOn(s.Code), s.Code == "JU" || s.Code == "7E") << s.Code;
    }
    ResetSettings();
}
