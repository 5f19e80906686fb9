#include "data/DataModule.h"

#include "Library/Common/FileUtils.h"
#include "Library/Common/PackStream.h"
#include "data/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <climits>
#include <cstdio>

TData* Data = nullptr;

void DefineCardBaseFields(TTable& table)
{
    table.ClearFieldDefs();
    table.AddFieldDef("Name", ftString, 80, true);
    table.AddFieldDef("Set", ftString, 2, true);
    table.AddFieldDef("Version", ftString, 1);
    table.AddFieldDef("Color", ftString, 1, true);
    table.AddFieldDef("Cost", ftString, 16);
    table.AddFieldDef("CostValue", ftInteger);
    table.AddFieldDef("Type", ftString, 64, true);
    table.AddFieldDef("PwrTgh", ftString, 12);
    table.AddFieldDef("Rarity", ftString, 1, true);
    table.AddFieldDef("NameR", ftString, 80, true);
    table.AddFieldDef("TypeR", ftString, 64, true);
    table.AddFieldDef("TextR", ftMemo);
    table.AddFieldDef("FlavorR", ftMemo);
    table.AddFieldDef("MtgEncID", ftInteger);
    table.AddFieldDef("Text", ftMemo);
    table.AddFieldDef("Flavor", ftMemo);
}

namespace {

// Whether a loaded table has the card base's fields: each of them, with its type and
// at least its size (more fields do no harm). The message says what is wrong.
std::string CardBaseFieldsProblem(TTable& loaded)
{
    TTable expected;
    DefineCardBaseFields(expected);
    auto typeName = [](TFieldType t) {
        return std::string(t == ftString ? "string" : t == ftInteger ? "integer" : t == ftMemo ? "memo" : "other");
    };
    for (const TFieldDef& want : expected.FieldDefs()) {
        const auto& have = loaded.FieldDefs();
        const auto it = std::find_if(have.begin(), have.end(),
                                     [&](const TFieldDef& d) { return TextEquals(d.Name, want.Name); });
        if (it == have.end())
            return "the field " + want.Name + " is missing";
        if (it->DataType != want.DataType)
            return "the field " + want.Name + " is of type " + typeName(it->DataType) + ", not " +
                   typeName(want.DataType);
        if (want.DataType == ftString && it->Size < want.Size)
            return "the field " + want.Name + " holds " + std::to_string(it->Size) + " characters, not " +
                   std::to_string(want.Size);
    }
    return {};
}

} // namespace

void TData::LoadCardBase(const std::string& fileName)
{
    const std::string shown = Utf8ToWin1251(fileName);
    try {
        // The member's bytes are handed over, not copied: a large card base is in
        // memory once as bytes and once as records, never more.
        BaseTable.LoadFromBytes(ReadWholeFile(fileName));
    } catch (const ETableFileError& e) {
        throw ETableFileError("Card base " + shown + ": " + e.what());
    }
    const std::string problem = CardBaseFieldsProblem(BaseTable);
    if (!problem.empty()) {
        BaseTable.Close();
        throw ETableFileError("Card base " + shown + " is not a card base: " + problem);
    }
}

namespace {

// A key value for a search: an empty text is the field without a value, which is how
// the engine stores an empty text.
TValue KeyValue(const std::string& text)
{
    return text.empty() ? TValue() : TValue(text);
}

} // namespace

TData::TData(TErrorHandler errorHandler) : ErrorHandler(std::move(errorHandler))
{
    if (!Data)
        Data = this;
    CardsTable.OnDataChange = [this](TTable& t) { CardsSourceDataChange(&t); };
    DeckTable.OnDataChange = [this](TTable& t) { CardsSourceDataChange(&t); };
    DataModuleCreate();
}

TData::~TData()
{
    DataModuleDestroy();
    if (Data == this)
        Data = nullptr;
}

void TData::ReportError(const std::string& message)
{
    if (ErrorHandler) {
        ErrorHandler(message);
        return;
    }
    std::fprintf(stderr, "%s\n", Win1251ToUtf8(message).c_str());
}

void TData::CreateDeckTable()
{
    DeckTable.ClearFieldDefs();
    DeckTable.AddFieldDef("Name", ftString, 80);
    DeckTable.AddFieldDef("Set", ftString, 2);
    DeckTable.AddFieldDef("Version", ftString, 1);
    DeckTable.AddFieldDef("Count", ftInteger);
    DeckTable.AddFieldDef("SCount", ftInteger);
    DeckTable.AddFieldDef("ID", ftAutoInc);
    DeckTable.AddFieldDef("NameR", ftString, 80);
    DeckTable.CreateDataSet();
    DeckTable.SetLogChanges(false);
    DeckTableName = &DeckTable.FieldByName("Name");
    DeckTableSet = &DeckTable.FieldByName("Set");
    DeckTableVersion = &DeckTable.FieldByName("Version");
    DeckTableCount = &DeckTable.FieldByName("Count");
    DeckTableSCount = &DeckTable.FieldByName("SCount");
    DeckTableID = &DeckTable.FieldByName("ID");
    DeckTableNameR = &DeckTable.FieldByName("NameR");
    DeckTable.AfterInsert = [this](TTable& t) { DeckTableAfterInsert(t); };
    DeckTable.AfterEdit = [this](TTable& t) { DeckTableAfterEdit(t); };
    DeckTable.AfterPost = [this](TTable& t) { DeckTableAfterPost(t); };
    DeckTable.BeforeDelete = [this](TTable& t) { DeckTableBeforeDelete(t); };
    DeckTable.AddIndex("SetSort", "Set;Name;Version", ixUnique);
    DeckTable.AddIndex("IDSort", "ID");
    DeckTable.SetIndexName("IDSort");
}

void TData::DataModuleCreate()
{
    // 1. Settings. A value of the wrong type is reported, and the start goes on: the
    // card base does not depend on it, and writing the settings at the end replaces
    // the bad value.
    try {
        ReadSettings();
    } catch (const std::exception& e) {
        ReportError(e.what());
    }

    try {
        // 2. The deck table first, so that it exists (empty) even without a card base;
        // then the card base through the pack file stream: "data" may be a folder or a
        // pack file. The stream is released when the block ends, also on failure.
        CreateDeckTable();
        // What a save killed half-way left in the data folder goes first.
        RemoveStaleTemporaryFiles(UserDir + "data");
        LoadCardBase(CardBaseFileName());
        BaseTable.SetLogChanges(true);

        // 3. The card list: a second cursor over the same records.
        CardsTable.CloneCursor(BaseTable);
        CardsTable.SetLogChanges(true);

        // 4. The card base's own order, used by every key search.
        BaseTable.AddIndex("NameSort", "Name;Set;Version");
        BaseTable.SetIndexName("NameSort");

        // 5. The card list's sort orders. (6: the deck's indexes came with its table.)
        CardsTable.AddIndex("NameSort", "Name;Set;Version");
        CardsTable.AddIndex("NameSortR", "NameR;Set;Version");
        CardsTable.AddIndex("CostSort", "CostValue;Name;Set;Version");
        CardsTable.AddIndex("CostSortR", "CostValue;NameR;Set;Version");
        CardsTable.SetIndexName("NameSort");

        // 7.
        Ready = true;

        // 8. Every set, type and colour let through.
        // The sets chosen last, by their codes (every set when none were kept).
        SetAllSetFilters(!FilterSetCodesKnown);
        if (FilterSetCodesKnown) {
            std::string_view codes = FilterSetCodes;
            while (!codes.empty()) {
                const size_t comma = codes.find(',');
                SetSetFilter(codes.substr(0, comma), true);
                codes = comma == std::string_view::npos ? std::string_view() : codes.substr(comma + 1);
            }
        }
        FilterTypes.fill(true);
        FilterColors.fill(true);

        // 9. The record filter, attached only now: the clone starts without one.
        CardsTable.SetOnFilterRecord([this](TTable& t, bool& accept) { CardsTableFilterRecord(t, accept); });
        CardsTable.SetFiltered(true);
    } catch (const std::exception& e) {
        ReportError(e.what());
    }
}

void TData::DataModuleDestroy()
{
    // Nobody is shown the emptied tables: the window that listened is closing.
    OnCurrentCardChange = nullptr;
    if (Ready) {
        // The card filter's sets, by their codes.
        FilterSetCodes.clear();
        for (size_t i = 0; i < AllSets().size() && i < FilterSets.size(); ++i)
            if (FilterSets[i])
                FilterSetCodes += (FilterSetCodes.empty() ? "" : ",") + std::string(AllSets()[i].Code);
        FilterSetCodesKnown = true;
    }
    try {
        WriteSettings();
    } catch (const std::exception& e) {
        ReportError(e.what());
    }
    Ready = false;
    for (TTable* table : {&BaseTable, &CardsTable, &DeckTable}) {
        try {
            if (table->Active()) {
                if (table->State() != dsBrowse)
                    table->Cancel();
                table->EmptyDataSet();
                table->Close();
            }
        } catch (const std::exception& e) {
            ReportError(e.what());
        }
    }
}

void TData::CardsSourceDataChange(TTable* sender)
{
    if (OnCurrentCardChange)
        OnCurrentCardChange(sender);
}

// ---------------------------------------------------------------------------
// Card access.

void TData::ReadCard(TCard& card)
{
    if (!Ready || BaseTable.RecNo() == 0)
        return;
    ReadCardFromRecord(BaseTable, card);
}

void TData::ReadCardFromRecord(TTable& t, TCard& card)
{
    card.Name = t.FieldByName("Name").AsString();
    card.Set = t.FieldByName("Set").AsString();
    card.Version = t.FieldByName("Version").AsString();
    card.Color = t.FieldByName("Color").AsString();
    card.Type = t.FieldByName("Type").AsString();
    card.Cost = t.FieldByName("Cost").AsString();
    card.PwrTgh = t.FieldByName("PwrTgh").AsString();
    card.Text = t.FieldByName("Text").AsString();
    card.Flavor = t.FieldByName("Flavor").AsString();
    card.Rarity = t.FieldByName("Rarity").AsString();
    card.NameR = t.FieldByName("NameR").AsString();
    card.TypeR = t.FieldByName("TypeR").AsString();
    card.TextR = t.FieldByName("TextR").AsString();
    card.FlavorR = t.FieldByName("FlavorR").AsString();
    card.MtgEncID = t.FieldByName("MtgEncID").AsInteger();
}

void TData::ClearCard(TCard& card)
{
    card = TCard{};
}

void TData::WriteCard(const TCard& card, bool append, bool save, TTable& table)
{
    if (!Ready)
        return;
    if (append)
        table.Append();
    else
        table.Edit();
    table.FieldByName("Name").SetAsString(card.Name);
    table.FieldByName("Set").SetAsString(card.Set);
    table.FieldByName("Version").SetAsString(card.Version);
    table.FieldByName("Color").SetAsString(card.Color);
    table.FieldByName("Type").SetAsString(card.Type);
    table.FieldByName("Cost").SetAsString(card.Cost);
    table.FieldByName("PwrTgh").SetAsString(card.PwrTgh);
    table.FieldByName("Text").SetAsString(card.Text);
    table.FieldByName("Flavor").SetAsString(card.Flavor);
    table.FieldByName("Rarity").SetAsString(card.Rarity);
    table.FieldByName("NameR").SetAsString(card.NameR);
    table.FieldByName("TypeR").SetAsString(card.TypeR);
    table.FieldByName("TextR").SetAsString(card.TextR);
    table.FieldByName("FlavorR").SetAsString(card.FlavorR);
    table.FieldByName("MtgEncID").SetAsInteger(card.MtgEncID);
    table.Post();
    if (save)
        SaveCardBase();
}

void TData::SaveCardBase()
{
    // The card base is written as a plain file. A pack file standing in for the folder
    // "data" cannot take it; the engine's save would only fail to create its temporary
    // file, so say what is wrong instead.
    // An installed program keeps its edited card base in the user's folder, which the
    // first save creates; from then on that copy is the one loaded.
    const std::string store = UserDir + "data";
    const QFileInfo info(QString::fromStdString(store));
    if (info.exists() && !info.isDir())
        throw EError(Utf8ToWin1251("Базу карт нельзя сохранить: ") + Utf8ToWin1251(store)
                     + Utf8ToWin1251(" — упакованный файл, а не папка"));
    if (WritesToUserFolder() && !info.exists() && !QDir().mkpath(info.filePath()))
        throw EError(Utf8ToWin1251("Не удалось создать папку ") + QStringToWin1251(info.filePath()));
    BaseTable.SaveToFile(CardBaseSaveFileName());
}

bool TData::LocateCard(const std::string& name, const std::string& set, const std::string& version)
{
    if (!Ready)
        return false;
    return BaseTable.Locate("Name;Set;Version", {KeyValue(name), KeyValue(set), KeyValue(version)});
}

TCardKey TData::GetCardKey(TTable& table)
{
    TCardKey key;
    if (!table.Active() || (table.RecNo() == 0 && table.State() == dsBrowse))
        return key;
    key.Name = table.FieldByName("Name").AsString();
    key.Set = table.FieldByName("Set").AsString();
    key.Version = table.FieldByName("Version").AsString();
    return key;
}

void TData::LockDataSet(TTable& table)
{
    table.DisableControls();
    LockStack.emplace_back(&table, table.Active() ? table.GetBookmark() : TBookmark{});
}

void TData::UnlockDataSet(TTable& table)
{
    auto it = std::find_if(LockStack.rbegin(), LockStack.rend(),
                           [&](const auto& entry) { return entry.first == &table; });
    if (it == LockStack.rend())
        throw EError(Utf8ToWin1251("Ошибка Unlock"));
    TBookmark bookmark = it->second;
    LockStack.erase(std::next(it).base());
    // A record deleted (or hidden) since the lock cannot be returned to; the table
    // then stays where it is.
    if (table.Active() && table.BookmarkValid(bookmark))
        table.GotoBookmark(bookmark);
    table.FreeBookmark(bookmark);
    table.EnableControls();
}

// ---------------------------------------------------------------------------
// The deck table's events keep DeckTotal equal to the sum of the entries' counts.
// A count below 1 (only a deck file can bring one) contributes no copies.

namespace {
int32_t Copies(const TField* count)
{
    return std::max<int32_t>(0, count->AsInteger());
}
} // namespace

void TData::DeckTableAfterInsert(TTable&)
{
    CountBeforeEdit = 0;
}

void TData::DeckTableAfterEdit(TTable&)
{
    CountBeforeEdit = Copies(DeckTableCount);
}

void TData::DeckTableAfterPost(TTable&)
{
    DeckCopies += int64_t(Copies(DeckTableCount)) - CountBeforeEdit;
    DeckTotal = int32_t(std::min<int64_t>(DeckCopies, INT32_MAX));
    DeckModified = true;
}

void TData::DeckTableBeforeDelete(TTable&)
{
    DeckCopies -= Copies(DeckTableCount);
    DeckTotal = int32_t(std::min<int64_t>(DeckCopies, INT32_MAX));
    DeckModified = true;
}
