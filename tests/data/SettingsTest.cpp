#include "data/Settings.h"

#include "FileSizeLimit.h"
#include "SavedFolders.h"
#include "Library/Common/ExtUtils.h"
#include "Library/Common/FileUtils.h"
#include "Library/Common/PackStream.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

struct SettingsValues {
    int cardTextType;
    int artImageType;
    bool drawReminderText;
    bool printGrayscale;
    bool printForPlayCard;
};

SettingsValues Current()
{
    return {CardTextType, ArtImageType, DrawReminderText, PrintGrayscale, PrintForPlayCard};
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ResetSettings();
    }
    void TearDown() override { ResetSettings(); }

    QString UserFile() const { return dir.filePath("user.conf"); }
    QString GameFile() const { return dir.filePath("game.conf"); }

    QTemporaryDir dir;
};

} // namespace

// Each case: what the stores hold before the run, the settings read, and what the
// user's store holds after the settings were written back.
TEST_F(SettingsTest, ReadAndWriteBack)
{
    const std::string initialMainDir = DefaultMainDir();
    const struct {
        const char* what;
        std::map<QString, QString> user;
        std::optional<QString> gameMainDir;
        SettingsValues read;
        std::string mainDir;
        std::map<QString, int> written;
    } cases[] = {
        {"empty stores: defaults, and all five values written", {}, std::nullopt,
         {1, 0, true, false, false}, initialMainDir,
         {{"PrintGrayscale", 0}, {"PrintForPlayCard", 0}, {"ArtImageType", 0}, {"CardTextType", 1},
          {"DrawReminderText", 1}}},
        {"any non-zero Boolean reads true and is written back as 1",
         {{"PrintGrayscale", "5"}, {"PrintForPlayCard", "-1"}, {"DrawReminderText", "0"}}, std::nullopt,
         {1, 0, false, true, true}, initialMainDir,
         {{"PrintGrayscale", 1}, {"PrintForPlayCard", 1}, {"DrawReminderText", 0}}},
        {"only the low eight bits of the card language count", {{"CardTextType", "258"}}, std::nullopt,
         {2, 0, true, false, false}, initialMainDir, {{"CardTextType", 2}}},
        {"an art source outside 0 and 1 stays as it is", {{"ArtImageType", "7"}}, std::nullopt,
         {1, 7, true, false, false}, initialMainDir, {{"ArtImageType", 7}}},
        {"MainDir comes from the game's store", {{"CardTextType", "0"}}, QString("D:\\Games\\X"),
         {0, 0, true, false, false}, "D:\\Games\\X", {{"CardTextType", 0}}},
        {"a Cyrillic MainDir is a native path", {}, QString::fromUtf8("/home/игрок/MTG"),
         {1, 0, true, false, false}, "/home/игрок/MTG", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(UserFile());
        QFile::remove(GameFile());
        {
            QSettings user(UserFile(), QSettings::IniFormat);
            for (const auto& [k, v] : c.user)
                user.setValue(k, v);
            QSettings game(GameFile(), QSettings::IniFormat);
            if (c.gameMainDir)
                game.setValue("MainDir", *c.gameMainDir);
        }
        ResetSettings();
        PrintGrayscale = PrintForPlayCard = true; // both are cleared at the start of every read

        QSettings user(UserFile(), QSettings::IniFormat);
        QSettings game(GameFile(), QSettings::IniFormat);
        ReadSettings(user, &game);
        const SettingsValues got = Current();
        EXPECT_EQ(got.cardTextType, c.read.cardTextType);
        EXPECT_EQ(got.artImageType, c.read.artImageType);
        EXPECT_EQ(got.drawReminderText, c.read.drawReminderText);
        EXPECT_EQ(got.printGrayscale, c.read.printGrayscale);
        EXPECT_EQ(got.printForPlayCard, c.read.printForPlayCard);
        EXPECT_EQ(MainDir, c.mainDir);

        WriteSettings(user);
        QSettings after(UserFile(), QSettings::IniFormat);
        EXPECT_EQ(after.allKeys().size(), 6) << after.allKeys().join(",").toStdString();
        EXPECT_FALSE(after.contains("MainDir"));
        for (const auto& [k, v] : c.written) {
            bool ok = false;
            EXPECT_EQ(after.value(k).toString().toInt(&ok), v) << k.toStdString();
            EXPECT_TRUE(ok) << k.toStdString() << " is written as a number";
        }
        QSettings gameAfter(GameFile(), QSettings::IniFormat);
        EXPECT_EQ(gameAfter.allKeys().size(), c.gameMainDir ? 1 : 0) << "the game's store is never written";
    }
}

TEST_F(SettingsTest, AWrongTypeIsReportedOnceAndTheOtherValuesAreRead)
{
    {
        QSettings user(UserFile(), QSettings::IniFormat);
        user.setValue("PrintGrayscale", 1);
        user.setValue("ArtImageType", "pictures");
        user.setValue("CardTextType", 2);
        user.setValue("DrawReminderText", 0);
    }
    QSettings user(UserFile(), QSettings::IniFormat);
    try {
        ReadSettings(user, nullptr);
        FAIL() << "no error for a text where a number belongs";
    } catch (const ESettingsError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'ArtImageType'");
    }
    EXPECT_TRUE(PrintGrayscale);     // read before the bad value
    EXPECT_EQ(ArtImageType, 0);      // the bad value leaves its setting alone
    EXPECT_EQ(CardTextType, 2);      // read after it all the same
    EXPECT_FALSE(DrawReminderText);

    // Two bad values: both named, in one report.
    {
        QSettings twice(UserFile(), QSettings::IniFormat);
        twice.setValue("CardTextType", "abc");
    }
    QSettings twice(UserFile(), QSettings::IniFormat);
    try {
        ReadSettings(twice, nullptr);
        FAIL() << "no error";
    } catch (const ESettingsError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'ArtImageType'\rInvalid data type for 'CardTextType'");
    }

    // A list (a text with a comma) where a Boolean belongs is as wrong.
    QFile::remove(UserFile());
    {
        QSettings bad(UserFile(), QSettings::IniFormat);
        bad.setValue("DrawReminderText", QStringList{"1", "2"});
    }
    QSettings bad(UserFile(), QSettings::IniFormat);
    EXPECT_THROW(ReadSettings(bad, nullptr), ESettingsError);
}

// The stores the program uses by itself: the user's store of "Tomelark" and the
// system-wide store of the game, both redirected into a temporary folder.
TEST_F(SettingsTest, DefaultStoresByOrganisationAndApplication)
{
    const QString userDir = dir.filePath("user");
    const QString systemDir = dir.filePath("system");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, userDir);
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, systemDir);
    {
        QSettings game(QSettings::NativeFormat, QSettings::SystemScope, "Wizards of the Coast", "Magic - Full Install");
        game.setValue("MainDir", "/opt/mtg");
        QSettings user(QSettings::NativeFormat, QSettings::UserScope, "Tomelark", "Tomelark");
        user.setValue("ArtImageType", 1);
        // A system-wide value of the program must not stand in for the user's own.
        QSettings systemTomelark(QSettings::NativeFormat, QSettings::SystemScope, "Tomelark", "Tomelark");
        systemTomelark.setValue("CardTextType", 0);
    }
    ReadSettings();
    EXPECT_EQ(MainDir, "/opt/mtg");
    EXPECT_EQ(ArtImageType, 1);
    EXPECT_EQ(CardTextType, 1);

    CardTextType = 2;
    WriteSettings();
    QSettings user(QSettings::NativeFormat, QSettings::UserScope, "Tomelark", "Tomelark");
    EXPECT_TRUE(QFile::exists(userDir + "/Tomelark/Tomelark.conf"));
    EXPECT_EQ(user.value("CardTextType").toInt(), 2);
    EXPECT_EQ(user.value("ArtImageType").toInt(), 1);
    EXPECT_FALSE(user.contains("MainDir"));

    // Point the stores away again so no other test sees these files.
    const QString none = dir.filePath("none");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, none);
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, none);
}

TEST_F(SettingsTest, FoldersFromProgramFolder)
{
    InitFolders("/opt/tomelark");
    EXPECT_EQ(AppDir, "/opt/tomelark/");
    EXPECT_EQ(BaseDir, AppDir);
    EXPECT_EQ(ImagesDir, "/opt/tomelark/images/");
    EXPECT_EQ(CardBaseFileName(), "/opt/tomelark/data/cardbase.cds");
    InitFolders("/opt/tomelark/");
    EXPECT_EQ(AppDir, "/opt/tomelark/");
}

// A settings file that cannot be written is an error naming it (shown at the end of
// the run); a store that cannot be created at all, for want of its folder, is skipped.
TEST_F(SettingsTest, AFailedWriteNamesTheFile)
{
    const QString folder = dir.filePath(QString::fromUtf8("Настройки"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString file = folder + "/user.conf";
    {
        QSettings user(file, QSettings::IniFormat);
        WriteSettings(user);
    }
    ASSERT_TRUE(QFile::exists(file));
    {
        // The disk is full: nothing more can be written.
        TFileSizeLimit limit(0);
        QSettings user(file, QSettings::IniFormat);
        CardTextType = 2;
        try {
            WriteSettings(user);
            ADD_FAILURE() << "no error";
        } catch (const ESettingsError& e) {
            EXPECT_EQ(Win1251ToUtf8(e.what()).rfind("Cannot write the settings file " + file.toStdString() + ".", 0), 0u)
                << Win1251ToUtf8(e.what());
        }
    }
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    QSettings nowhere(dir.filePath("plain/user.conf"), QSettings::IniFormat);
    EXPECT_NO_THROW(WriteSettings(nowhere));
}

// The program's own settings files keep every value as text: an encoded value of Qt's
// text format ("@Variant(...)", which Qt would decode into any type, allocating what
// the bytes say) is a value of the wrong type, and a folder name with commas stays
// whole. What the program writes it reads back.
TEST_F(SettingsTest, TheSettingsFileFormatDecodesNothing)
{
    QFile game(GameFile());
    ASSERT_TRUE(game.open(QIODevice::WriteOnly));
    game.write("[General]\nMainDir=/opt/Magic, the Gathering\n");
    game.close();
    QFile user(UserFile());
    ASSERT_TRUE(user.open(QIODevice::WriteOnly));
    user.write("[General]\r\nArtImageType=@Variant(\\0\\0\\0GIF89a\\x7\\0\\x12QString)\r\n; a comment\r\n"
               "CardTextType=2\r\nDrawReminderText=\"0\"\r\n[Other]\r\nPrintGrayscale=1\r\n");
    user.close();
    {
        auto u = OpenSettingsFile(UserFile());
        auto g = OpenSettingsFile(GameFile());
        try {
            ReadSettings(*u, g.get());
            ADD_FAILURE() << "no error";
        } catch (const ESettingsError& e) {
            EXPECT_EQ(std::string(e.what()), "Invalid data type for 'ArtImageType'");
        }
    }
    EXPECT_EQ(MainDir, "/opt/Magic, the Gathering");
    EXPECT_EQ(CardTextType, 2);
    EXPECT_FALSE(DrawReminderText);
    EXPECT_FALSE(PrintGrayscale) << "a key of another section is not a top-level key";

    ArtImageType = 1;
    {
        auto u = OpenSettingsFile(UserFile());
        WriteSettings(*u);
    }
    ResetSettings();
    {
        auto u = OpenSettingsFile(UserFile());
        ReadSettings(*u, nullptr);
    }
    EXPECT_EQ(ArtImageType, 1);
    EXPECT_EQ(CardTextType, 2);
    QFile written(UserFile());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    EXPECT_TRUE(text.startsWith("[General]\nArtImageType=1\nCardTextType=2\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("[Other]\nPrintGrayscale=1\n")) << text.toStdString();
}

// Where the data store is found and where the program writes: beside a program in a
// folder of its own that it may write, else (an installed program, a read-only copy)
// in the user's data folder, which the first start seeds with the sample decks.
class FolderLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Root.isValid()); }
    // A data store (and sample decks) below `dir`.
    static void MakeStore(const QString& dir)
    {
        ASSERT_TRUE(QDir().mkpath(dir + "/data"));
        ASSERT_TRUE(QDir().mkpath(dir + "/decks"));
        WriteFileReplacing(QFile::encodeName(dir + "/data/cardbase.cds").toStdString(), "installed");
        WriteFileReplacing(QFile::encodeName(dir + "/decks/Sample.mdc").toStdString(), "  4 [7E] Shock\r\n");
    }
    std::string P(const QString& relative) const { return QFile::encodeName(Root.filePath(relative)).toStdString(); }
    std::string User() const { return P("home-data/Tomelark") + "/"; }

    QTemporaryDir Root;
    TSavedFolders Folders;
    TUserDataHome DataHome{Root.filePath("home-data")};
};

TEST_F(FolderLayoutTest, WhereTheStoreIsFoundAndWhereTheProgramWrites)
{
    // A build or portable copy: everything beside the program, as always.
    MakeStore(Root.filePath("portable"));
    InitFolders(P("portable"));
    EXPECT_EQ(AppDir, P("portable") + "/");
    EXPECT_EQ(UserDir, AppDir);
    EXPECT_FALSE(WritesToUserFolder());
    EXPECT_EQ(CardBaseSaveFileName(), P("portable/data/cardbase.cds"));

    // Installed: the store in ../share/tomelark, the writes in the user's folder.
    MakeStore(Root.filePath("prefix/share/tomelark"));
    ASSERT_TRUE(QDir().mkpath(Root.filePath("prefix/bin")));
    InitFolders(P("prefix/bin"));
    EXPECT_EQ(AppDir, P("prefix/share/tomelark") + "/");
    EXPECT_EQ(BaseDir, AppDir);
    EXPECT_EQ(ImagesDir, AppDir + "images/");
    EXPECT_EQ(UserDir, User());
    EXPECT_EQ(CardBaseFileName(), AppDir + "data/cardbase.cds");
    EXPECT_EQ(CardBaseSaveFileName(), User() + "data/cardbase.cds");
    // Once an edited card base exists there, it is the one loaded.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(User() + "data")));
    WriteFileReplacing(User() + "data/cardbase.cds", "edited");
    EXPECT_EQ(CardBaseFileName(), User() + "data/cardbase.cds");

    // A copy beside the program in a folder nobody may write: the user's folder too.
    MakeStore(Root.filePath("readonly"));
    ASSERT_TRUE(QFile::setPermissions(Root.filePath("readonly"),
                                      QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup));
    InitFolders(P("readonly"));
    EXPECT_EQ(AppDir, P("readonly") + "/");
    EXPECT_EQ(UserDir, User());
    QFile::setPermissions(Root.filePath("readonly"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(FolderLayoutTest, TheFirstStartSeedsTheUserDecksOnce)
{
    MakeStore(Root.filePath("prefix/share/tomelark"));
    ASSERT_TRUE(QDir().mkpath(Root.filePath("prefix/bin")));
    InitFolders(P("prefix/bin"));
    PrepareUserFolder();
    const QString decks = QString::fromStdString(User() + "decks");
    EXPECT_EQ(ReadWholeFile(User() + "decks/Sample.mdc"), "  4 [7E] Shock\r\n");
    // The user's own changes stay: a removed sample is not brought back, a deck of
    // the user's is kept.
    ASSERT_TRUE(QFile::remove(decks + "/Sample.mdc"));
    WriteFileReplacing(User() + "decks/Mine.mdc", "  1 [7E] Shock\r\n");
    PrepareUserFolder();
    EXPECT_EQ(QDir(decks).entryList(QDir::Files), QStringList{"Mine.mdc"});
    // The installed samples are untouched.
    EXPECT_EQ(ReadWholeFile(P("prefix/share/tomelark/decks/Sample.mdc")), "  4 [7E] Shock\r\n");

    // A program writing beside itself has nothing to prepare.
    MakeStore(Root.filePath("portable"));
    InitFolders(P("portable"));
    PrepareUserFolder();
    EXPECT_EQ(QDir(Root.filePath("portable/decks")).entryList(QDir::Files), QStringList{"Sample.mdc"});
}
