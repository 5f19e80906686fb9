#pragma once
// A data module over a small card base written for the test: BaseDir and both
// settings stores point into a temporary folder for the test's lifetime.
#include "data/DataModule.h"
#include "data/Settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

namespace decktest {

inline std::string W(const char* utf8) { return Utf8ToWin1251(utf8); }

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

inline std::string ReadFileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    const QByteArray b = f.readAll();
    return std::string(b.constData(), size_t(b.size()));
}

inline void WriteFileBytes(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

class DataFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Dir.filePath("user"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, Dir.filePath("system"));
        ResetSettings();
        SavedBaseDir = BaseDir;
        BaseDir = Dir.path().toStdString() + "/";
    }
    void TearDown() override
    {
        D.reset();
        BaseDir = SavedBaseDir;
        ResetSettings();
    }

    // Writes the card base and creates the data module over it.
    void Open(const std::vector<BaseCard>& cards)
    {
        ASSERT_TRUE(QDir().mkpath(Dir.filePath("data")));
        TTable t;
        DefineCardBaseFields(t);
        t.CreateDataSet();
        for (const BaseCard& c : cards) {
            t.Append();
            t.FieldByName("Name").SetAsString(c.Name);
            t.FieldByName("Set").SetAsString(c.Set);
            t.FieldByName("Version").SetAsString(c.Version);
            t.FieldByName("Color").SetAsString("G");
            t.FieldByName("Type").SetAsString(c.Type);
            t.FieldByName("Cost").SetAsString(c.Cost);
            t.FieldByName("Rarity").SetAsString("C");
            t.FieldByName("NameR").SetAsString(c.NameR.empty() ? "R:" + c.Name : c.NameR);
            t.FieldByName("TypeR").SetAsString(W("Существо"));
            if (c.MtgEncID)
                t.FieldByName("MtgEncID").SetAsInteger(c.MtgEncID);
            t.FieldByName("CostValue").SetAsInteger(c.CostValue);
            t.Post();
        }
        t.SaveToFile(Dir.filePath("data/cardbase.cds").toStdString());
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

    QTemporaryDir Dir;
    std::string SavedBaseDir;
    std::unique_ptr<TData> D;
    std::vector<std::string> Errors;
    std::vector<std::string> NotFound;
};

} // namespace decktest
