#pragma once
// The data module: the card base (BaseTable), the card list over it (CardsTable, a
// second cursor over the same records with its own index and record filter), the
// deck (DeckTable), and everything the program does with them: reading and writing
// single cards, the position stack of long walks, the card filter and sort state,
// the deck's bookkeeping and the deck files.
//
// One instance exists from start-up to shut-down; other units reach it through the
// process-wide pointer `Data`. Its constructor runs DataModuleCreate, its destructor
// DataModuleDestroy. Creation never throws: an error (no card base, a damaged table
// file, a setting of the wrong type) goes to `ErrorHandler` and the module stays
// not `Ready`, so the program can start without a card base.
//
// Where the members are implemented:
//   DataModule.cpp  creation and shut-down, card access (ReadCard ... UnlockDataSet),
//                   the data-change notice, the deck table's events
//   DataFilter.cpp  the card filter and sort state
//   DataDeck.cpp    new deck, the deck's id list
//   DeckFile.cpp    reading and writing deck files
#include "Library/Common/ExtUtils.h"
#include "data/Card.h"
#include "data/DeckFormats.h"
#include "data/Sets.h"
#include "data/TableEngine.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The identity of a card: English name, set code and art variant.
struct TCardKey {
    std::string Name;
    std::string Set;
    std::string Version;
    bool operator==(const TCardKey&) const = default;
};

// A card line of a deck file whose card is not in the card base.
struct TDeckMissingLine {
    int32_t Count = 0;
    std::string Text;   // "[M10] Lightning Bolt" (DeckNotFoundText)
    std::string Reason; // why it was not found, in Russian
    int Line = 0;       // line number in the file (0 when unknown)
};

// What reading a deck file found.
struct TDeckReadReport {
    int64_t CardsRead = 0; // copies of the cards found
    std::vector<TDeckMissingLine> Missing;
    int64_t CopiesMissing() const
    {
        int64_t n = 0;
        for (const TDeckMissingLine& m : Missing)
            n += m.Count;
        return n;
    }
};

class TData {
public:
    // Shows an error message (Windows-1251). The program shows it in its error box;
    // the default prints it on standard error.
    using TErrorHandler = std::function<void(const std::string& message)>;

    // Runs DataModuleCreate; errors go to `errorHandler` (or the default).
    explicit TData(TErrorHandler errorHandler = {});
    // Runs DataModuleDestroy.
    ~TData();
    TData(const TData&) = delete;
    TData& operator=(const TData&) = delete;

    // --- Start-up and shut-down ------------------------------------------------------
    // In this order: read the settings; load the card base from BaseDir
    // "data/cardbase.cds" through the pack file stream (a folder "data" or a pack file
    // "data") and create the empty deck table; clone CardsTable from BaseTable; the
    // indexes; Ready; all filter flags on; attach the record filter. Stops at the first
    // error, which goes to ErrorHandler. A setting of the wrong type is reported and
    // the start goes on with the card base, so one bad value cannot make the program
    // useless (writing the settings at the end repairs the value).
    void DataModuleCreate();
    // Writes the settings (an error goes to ErrorHandler), then empties and closes
    // BaseTable, CardsTable and DeckTable. Nothing is saved to the card base or deck.
    void DataModuleDestroy();

    TErrorHandler ErrorHandler;

    // --- Tables ------------------------------------------------------------------------
    // The card base; active index "NameSort". Not bound to a file: closing it never
    // writes the card base.
    TTable BaseTable;
    // The card list: a second cursor over BaseTable's records, with the indexes
    // "NameSort", "NameSortR", "CostSort", "CostSortR" and the record filter.
    TTable CardsTable;
    // The deck: Name, Set, Version, Count, SCount, ID, NameR; indexes "SetSort"
    // (unique Set;Name;Version) and "IDSort" (active: deck order). It exists, empty,
    // even when the card base could not be loaded.
    TTable DeckTable;
    TField* DeckTableName = nullptr;
    TField* DeckTableSet = nullptr;
    TField* DeckTableVersion = nullptr;
    TField* DeckTableCount = nullptr;
    TField* DeckTableSCount = nullptr;
    TField* DeckTableID = nullptr;
    TField* DeckTableNameR = nullptr;

    // True once creation has set everything up; ReadCard and WriteCard do nothing
    // while it is false.
    bool Ready = false;

    // The main window's current-card update; CardsSourceDataChange forwards to it.
    std::function<void(TTable* sender)> OnCurrentCardChange;
    // The data-change notice of CardsTable and DeckTable (current record or data
    // changed): forwarded to OnCurrentCardChange when one is set.
    void CardsSourceDataChange(TTable* sender);

    // --- Card access -------------------------------------------------------------------
    // Copies BaseTable's current record into card (a field without a value gives ""
    // or 0). Does nothing while not Ready or when the base has no current record.
    void ReadCard(TCard& card);
    // Copies the current record of any table with the card base's fields into card.
    static void ReadCardFromRecord(TTable& table, TCard& card);
    // Empties every text and sets MtgEncID to 0.
    static void ClearCard(TCard& card);
    // Appends a record (append) or edits the current record of table (CardsTable or
    // BaseTable), sets every TCard field (texts cut to their field's size; CostValue
    // untouched) and posts it. When the table refuses the record the engine's error
    // is raised and the record stays in insert or edit state for the caller to cancel.
    // With save, writes the whole card base to its file afterwards (SaveCardBase).
    // Does nothing while not Ready.
    void WriteCard(const TCard& card, bool append, bool save, TTable& table);
    // Writes every record of the card base to CardBaseSaveFileName(), replacing
    // the file atomically: when the file cannot be written the previous one stays
    // intact. Refuses with EError when the data store "data" is a pack file.
    void SaveCardBase();
    // Makes the card with exactly this key (case-sensitive; an empty version is the
    // card without variant) BaseTable's current record. False, and nothing moves,
    // when there is none or the module is not Ready. Names are compared as given:
    // an apostrophe needs no doubling.
    bool LocateCard(const std::string& name, const std::string& set, const std::string& version);
    // Name, Set and Version of table's current record (empty when it has none).
    TCardKey GetCardKey(TTable& table);
    // Remembers table's current record on LockStack and suspends its bound controls.
    void LockDataSet(TTable& table);
    // Returns table to the record of its latest open lock, drops that entry and
    // resumes its controls. EError "Ошибка Unlock" when table has no open lock.
    void UnlockDataSet(TTable& table);
    // Open locks, oldest first.
    std::vector<std::pair<TTable*, TBookmark>> LockStack;

    // --- Card filter and sort state (DataFilter.cpp) ----------------------------------
    // Flags of the filter dialog's groups; all set to true at creation.
    // Per set of AllSets() (Sets.h), in its order.
    std::vector<bool> FilterSets = std::vector<bool>(AllSets().size(), true);
    // A set's flag by its two-letter code (an unknown code changes nothing / is off).
    void SetSetFilter(std::string_view code, bool on);
    bool SetFilterOn(std::string_view code) const;
    void SetAllSetFilters(bool on) { FilterSets.assign(AllSets().size(), on); }
    std::array<bool, 6> FilterTypes{}; // artifact, instant, enchantment, sorcery, creature, land
    std::array<bool, 8> FilterColors{}; // white, green, red, blue, black, multicoloured,
                                        // colourless with a cost, no cost
    bool FilterMultiExact = false;
    int SortChoice = 0;                       // 0 by name, 1 by cost
    std::string SortIndexName = "NameSort";   // "NameSort" or "CostSort"
    // The record filter of CardsTable: reads Set, Cost and Type of the record.
    void CardsTableFilterRecord(TTable& dataSet, bool& accept);
    // The card list's index: SortIndexName, with "R" for CardTextType 0.
    std::string CardListIndexName() const;
    // The number of records of CardsTable that pass the filter.
    int FilteredCount();
    // SortIndexName from SortChoice: "NameSort" for 0, "CostSort" for 1.
    void ApplySortChoice();
    // Selects CardListIndexName() on CardsTable.
    void SelectCardListIndex();
    // Re-filters the card list after the flags changed (filtering off and on again).
    void RefilterCards();

    // --- Deck state (DataDeck.cpp; the table events in DataModule.cpp) ------------------
    int32_t DeckTotal = 0;       // sum of Count over the entries, at most 2^31-1
    int64_t DeckCopies = 0;      // the same sum, exact
    int32_t CountBeforeEdit = 0; // Count of the entry when it went into edit
    std::string DeckName;        // name lines joined by CR
    std::string DeckNote;        // note lines joined by CR
    std::string DeckFileName;    // file the deck was last opened from or saved to
    // The format DeckFileName holds: a deck read from another program's file is never
    // written back over it in silence (the window saves it under a new name instead).
    TDeckFormat DeckFileFormat = TDeckFormat::Mdc;
    // Set by every change of an entry (a count, a new or deleted entry, a move), the
    // name or the note; cleared by a new deck, opening a deck and saving it.
    bool DeckModified = false;
    // Empties the deck and its state (no per-entry events).
    void NewDeck();
    // For each entry in deck order, Count copies of its card's MtgEncID; EError
    // "Не найдена карта <name> [<set>]" for an entry whose card is not in the base,
    // and for a deck of more than kMaxDeckIds copies before anything is allocated.
    std::vector<int32_t> DeckEncIDs();
    static constexpr int64_t kMaxDeckIds = 1000000;
    // The same check that every entry's card is in the base, without the list.
    void CheckDeckCards();
    // Writes the deck's id list file: the number of ids N, the N ids of DeckEncIDs and
    // a terminating 0, each a little-endian signed 32-bit integer. The list is built
    // first, so a card missing from the base stops it before the file is touched; the
    // file is replaced atomically.
    void SaveDeckEncIDs(const std::string& fileName);
    // The deck table's events, keeping DeckTotal equal to the sum of the counts.
    void DeckTableAfterInsert(TTable& dataSet);
    void DeckTableAfterEdit(TTable& dataSet);
    void DeckTableAfterPost(TTable& dataSet);
    void DeckTableBeforeDelete(TTable& dataSet);

    // --- Deck files (DeckFile.cpp) -------------------------------------------------------
    // Reports a card line whose card is not in the card base (caption, text) as it is
    // read; the whole list comes back from LoadDeck as well.
    std::function<void(const std::string& caption, const std::string& text)> OnDeckCardNotFound;
    // Writes the deck to a file in the format its extension names (DeckFormats.h;
    // .mdc for any other), or in the format given, replacing the file atomically.
    void SaveDeck(const std::string& fileName);
    void SaveDeck(const std::string& fileName, TDeckFormat format);
    // The deck as written: its name, note and entries in deck order.
    TDeckContent DeckContent();
    // The bytes SaveDeck writes in a format (.mdc: name and note lines, then one line
    // per entry in deck order, each ended by CR LF).
    std::string DeckFileText(TDeckFormat format = TDeckFormat::Mdc);
    // Reads a deck file of any format DeckFormats.h reads and makes it the deck. The
    // file is read and every card looked up first: a file that cannot be opened or
    // read as a deck, or in which no line names a card of the base ("В файле ... нет
    // ни одной карты"), leaves the open deck as it was. Card lines whose card is not
    // in the base are reported (OnDeckCardNotFound), listed in the result and kept in
    // the deck as note lines, so that saving the deck loses nothing the file held.
    TDeckReadReport LoadDeck(const std::string& fileName);
    // Adds the lines to the deck through the card lookup, a card listed again adding
    // its count to its entry; the lines without a card come back.
    std::vector<TDeckMissingLine> AddDeckItems(const std::vector<TDeckItem>& items);
    // The card base lookup of one card line: BaseTable's current record becomes the
    // card found, and name (to the English name), set and version may change to the
    // card's. The exact key, the card without variant, variant "A"; then the variant in
    // any set; the most recent printing; the Russian name; either name regardless of
    // letter case and blanks.
    bool FindCardForDeck(std::string& name, std::string& set, std::string& version);

private:
    // Walks the deck entries with each one's card id and copies (raising for a card
    // that is not in the base).
    void ForEachDeckCard(const std::function<void(int32_t id, int32_t copies)>& visit);
    void CreateDeckTable();
    // Loads BaseTable from the card base file, refusing a table without the card
    // base's fields; the errors name the file.
    void LoadCardBase(const std::string& fileName);
    void ReportError(const std::string& message);
};

// The data module of the running program (null before it is created and after it
// is destroyed). A TData sets it to itself on construction when it is null and
// clears it on destruction.
extern TData* Data;

// The card base table's fields, in the order of the card base file.
void DefineCardBaseFields(TTable& table);
