#pragma once
// A data module over a small card base written for the test: BaseDir and both
// settings stores point into a temporary folder for the test's lifetime.
#include "DataTestSupport.h"

#include <QDir>

#include <memory>
#include <string>
#include <vector>

namespace decktest {

using namespace datatest;

struct BaseCard {
    std::string Name;
    std::string Set;
    std::string Version;
    std::string Type = "Creature - Elf";
    std::string Cost = "G";
    std::string NameR;   // "R:" + Name when empty
    int32_t MtgEncID = 0; // 0: no value
    int32_t CostValue = 1;
};

// A card of the test's card base by its key; nameR (UTF-8) empty: "R:" + name.
inline BaseCard Card(const char* name, const char* set, const char* version, const char* nameR = "")
{
    BaseCard c;
    c.Name = name;
    c.Set = set;
    c.Version = version;
    c.NameR = W(nameR);
    return c;
}

class DataFixture : public DataFolderFixture {
protected:
    void TearDown() override
    {
        D.reset();
        DataFolderFixture::TearDown();
    }

    // Writes the card base and creates the data module over it.
    void Open(const std::vector<BaseCard>& cards)
    {
        ASSERT_TRUE(QDir().mkpath(DataPath()));
        TTable t;
        DefineCardBaseFields(t);
        t.CreateDataSet();
        for (const BaseCard& c : cards) {
            TCard card;
            card.Name = c.Name;
            card.Set = c.Set;
            card.Version = c.Version;
            card.Color = "G";
            card.Type = c.Type;
            card.Cost = c.Cost;
            card.Rarity = "C";
            card.NameR = c.NameR.empty() ? "R:" + c.Name : c.NameR;
            card.TypeR = W("Существо");
            card.MtgEncID = c.MtgEncID;
            AppendCard(t, card, c.CostValue);
        }
        t.SaveToFile(CardBasePath().toStdString());
        Errors.clear();
        D = std::make_unique<TData>([this](const std::string& m) { Errors.push_back(m); });
        ASSERT_TRUE(D->Ready) << (Errors.empty() ? "" : Errors.front());
        D->OnDeckCardNotFound = [this](const std::string& caption, const std::string& text) {
            NotFound.push_back(caption + "|" + text);
        };
    }

    QString Path(const char* name) const { return Dir.filePath(name); }
    std::string PathS(const char* name) const { return Dir.filePath(name).toStdString(); }

    // Appends and posts one deck entry.
    void AddEntry(const std::string& name, const std::string& set, const std::string& version, int count)
    {
        TTable& t = D->DeckTable;
        t.Append();
        D->DeckTableName->SetAsString(name);
        D->DeckTableSet->SetAsString(set);
        D->DeckTableVersion->SetAsString(version);
        D->DeckTableCount->SetAsInteger(count);
        D->DeckTableNameR->SetAsString("R:" + name);
        t.Post();
    }

    struct Entry {
        std::string Name, Set, Version;
        int Count;
        std::string NameR;
        bool operator==(const Entry&) const = default;
    };
    friend std::ostream& operator<<(std::ostream& os, const Entry& e)
    {
        return os << e.Count << " [" << e.Set << "] " << e.Name << " (" << e.Version << ") " << e.NameR;
    }

    // The deck's entries in deck order (moves the deck's current entry).
    std::vector<Entry> Entries()
    {
        std::vector<Entry> out;
        TTable& t = D->DeckTable;
        for (t.First(); !t.Eof(); t.Next())
            out.push_back({D->DeckTableName->AsString(), D->DeckTableSet->AsString(),
                           D->DeckTableVersion->AsString(), D->DeckTableCount->AsInteger(),
                           D->DeckTableNameR->AsString()});
        return out;
    }

    std::unique_ptr<TData> D;
    std::vector<std::string> Errors;
    std::vector<std::string> NotFound;
};

} // namespace decktest
