// The deck: starting a new deck, the list of encyclopedia ids of all its copies and
// the id list file written from it.
#include "data/DataModule.h"
#include "data/DeckFile.h"

#include "Library/Common/FileUtils.h"

#include <algorithm>

namespace {

// An empty text is stored as a field without a value; key searches say so.
TValue DeckKeyValue(const std::string& text)
{
    return text.empty() ? TValue() : TValue(text);
}

// Undoes what a walk over the deck set up, also when the walk fails: the deck's
// current entry and bound controls, and the card base's active index.
class TDeckWalkGuard {
public:
    TDeckWalkGuard(TTable& deck, TTable& base) : FDeck(deck), FBase(base)
    {
        if (FBase.Active()) {
            FBaseIndex = FBase.IndexName();
            FBase.SetIndexName("NameSort");
        }
        FDeck.DisableControls();
        FBookmark = FDeck.GetBookmark();
    }
    ~TDeckWalkGuard()
    {
        try {
            if (FDeck.BookmarkValid(FBookmark))
                FDeck.GotoBookmark(FBookmark);
        } catch (...) {
        }
        FDeck.FreeBookmark(FBookmark);
        FDeck.EnableControls();
        try {
            if (FBase.Active())
                FBase.SetIndexName(FBaseIndex);
        } catch (...) {
        }
    }
    TDeckWalkGuard(const TDeckWalkGuard&) = delete;
    TDeckWalkGuard& operator=(const TDeckWalkGuard&) = delete;

private:
    TTable& FDeck;
    TTable& FBase;
    std::string FBaseIndex;
    TBookmark FBookmark;
};

void PutInt32(std::string& out, int32_t value)
{
    const auto u = static_cast<uint32_t>(value);
    out += char(u & 0xFF);
    out += char((u >> 8) & 0xFF);
    out += char((u >> 16) & 0xFF);
    out += char((u >> 24) & 0xFF);
}

} // namespace

void TData::NewDeck()
{
    DeckName.clear();
    DeckNote.clear();
    DeckFileName.clear();
    if (DeckTable.Active()) {
        if (DeckTable.State() != dsBrowse)
            DeckTable.Cancel();
        // All entries at once: the per-entry delete event does not run.
        DeckTable.EmptyDataSet();
    }
    DeckTotal = 0;
    DeckCopies = 0;
    CountBeforeEdit = 0;
    DeckFileFormat = TDeckFormat::Mdc;
    DeckModified = false;
}

void TData::ForEachDeckCard(const std::function<void(int32_t id, int32_t copies)>& visit)
{
    if (!DeckTable.Active())
        return;
    TDeckWalkGuard guard(DeckTable, BaseTable);
    for (DeckTable.First(); !DeckTable.Eof(); DeckTable.Next()) {
        const int32_t count = DeckTableCount->AsInteger();
        const std::string name = DeckTableName->AsString();
        const std::string set = DeckTableSet->AsString();
        const std::string version = DeckTableVersion->AsString();
        const bool found = BaseTable.Active()
            && BaseTable.FindKey({DeckKeyValue(name), DeckKeyValue(set), DeckKeyValue(version)});
        if (!found)
            RaiseError(Utf8ToWin1251("Не найдена карта ") + name + " [" + set + "]");
        // An entry with a count below 1 (only a hand-written deck file brings one)
        // has no copies.
        visit(BaseTable.FieldByName("MtgEncID").AsInteger(), std::max<int32_t>(0, count));
    }
}

void TData::CheckDeckCards()
{
    ForEachDeckCard([](int32_t, int32_t) {});
}

std::vector<int32_t> TData::DeckEncIDs()
{
    std::vector<int32_t> ids;
    if (DeckCopies > kMaxDeckIds)
        RaiseError(Utf8ToWin1251("В колоде ") + std::to_string(DeckCopies) +
                   Utf8ToWin1251(" карт: список номеров составляется не больше чем для ") +
                   std::to_string(kMaxDeckIds));
    ids.reserve(size_t(DeckCopies));
    ForEachDeckCard([&ids](int32_t id, int32_t copies) { ids.insert(ids.end(), size_t(copies), id); });
    return ids;
}

void TData::SaveDeckEncIDs(const std::string& fileName)
{
    const std::vector<int32_t> ids = DeckEncIDs();
    std::string bytes;
    bytes.reserve(4 * (ids.size() + 2));
    PutInt32(bytes, int32_t(ids.size()));
    for (int32_t id : ids)
        PutInt32(bytes, id);
    PutInt32(bytes, 0);

    WriteFileReplacing(fileName, bytes);
}
