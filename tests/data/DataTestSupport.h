#pragma once
// Helpers shared by the data module tests: whole-file reads and writes, card base
// records from TCard values, and a fixture that points BaseDir and both settings
// stores into a temporary folder for the test's lifetime.
#include "SavedFolders.h"
#include "data/Card.h"
#include "data/DataModule.h"
#include "data/Settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QSettings>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace datatest {

// A JSON file of the sources (an empty document when it cannot be read).
inline QJsonDocument ReadJsonFile(const char* path)
{
    QFile f(QString::fromUtf8(path));
    if (!f.open(QIODevice::ReadOnly))
        return QJsonDocument();
    return QJsonDocument::fromJson(f.readAll());
}


inline std::string W(const char* utf8) { return Utf8ToWin1251(utf8); }

// The whole file, or "<unreadable>" when it cannot be opened.
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

// Appends one card to a table with the card base's fields (DefineCardBaseFields).
// CostValue is given apart, TCard does not hold it; empty texts and an MtgEncID of 0
// are stored without a value.
inline void AppendCard(TTable& t, const TCard& c, int32_t costValue)
{
    t.Append();
    t.FieldByName("Name").SetAsString(c.Name);
    t.FieldByName("Set").SetAsString(c.Set);
    t.FieldByName("Version").SetAsString(c.Version);
    t.FieldByName("Color").SetAsString(c.Color);
    t.FieldByName("Type").SetAsString(c.Type);
    t.FieldByName("Cost").SetAsString(c.Cost);
    t.FieldByName("PwrTgh").SetAsString(c.PwrTgh);
    t.FieldByName("Text").SetAsString(c.Text);
    t.FieldByName("Flavor").SetAsString(c.Flavor);
    t.FieldByName("Rarity").SetAsString(c.Rarity);
    t.FieldByName("NameR").SetAsString(c.NameR);
    t.FieldByName("TypeR").SetAsString(c.TypeR);
    t.FieldByName("TextR").SetAsString(c.TextR);
    t.FieldByName("FlavorR").SetAsString(c.FlavorR);
    if (c.MtgEncID)
        t.FieldByName("MtgEncID").SetAsInteger(c.MtgEncID);
    t.FieldByName("CostValue").SetAsInteger(costValue);
    t.Post();
}

// BaseDir ("<folder>/") and both settings stores in a temporary folder; the settings
// are reset before and after the test, BaseDir is given back after it.
class DataFolderFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Dir.filePath("user"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, Dir.filePath("system"));
        ResetSettings();
        // A program in a writable folder: the data store and what it writes side by side.
        BaseDir = AppDir = UserDir = Dir.path().toStdString() + "/";
    }
    void TearDown() override
    {
        ResetSettings();
    }

    QString DataPath() const { return Dir.filePath("data"); }
    QString CardBasePath() const { return Dir.filePath("data/cardbase.cds"); }

    QTemporaryDir Dir;
    TSavedFolders SavedFolders;
};

} // namespace datatest
