#pragma once
// Support for the print tests: a program folder of the test's own (the build's data
// store linked in, "preprint" written there), the settings in a private store, the
// data module over the sample card base with a deck built by the test, and a feedback
// that records what the run showed.
#include "Library/Common/ExtUtils.h"
#include "data/DataModule.h"
#include "data/Settings.h"
#include "print/Print.h"
#include "render/CardView.h"
#include "render/Fonts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

inline std::string W(const char* utf8)
{
    return Utf8ToWin1251(utf8);
}

class TRecordingFeedback : public TPrintFeedback {
public:
    std::vector<std::string> Statuses; // UTF-8
    std::vector<std::string> Messages; // UTF-8
    int BusyDepth = 0;
    int BusyCalls = 0;
    void Status(const std::string& text) override { Statuses.push_back(Win1251ToUtf8(text)); }
    void Busy(bool busy) override
    {
        BusyDepth += busy ? 1 : -1;
        ++BusyCalls;
    }
    void Message(const std::string& text) override { Messages.push_back(Win1251ToUtf8(text)); }
};

// The layout and the run over the sample card base, output in a folder of the test.
class PrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString bin = QString::fromUtf8(TOMELARK_BIN_DIR);
        if (!Dir.isValid() || !QFile::exists(bin + "/data/cardbase.cds"))
            GTEST_SKIP() << "the data store of the build is missing (build the datastore target)";
        for (const char* name : {"data", "images", "fonts"})
            QFile::link(bin + "/" + name, Dir.filePath(QString::fromLatin1(name)));
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            for (auto scope : {QSettings::UserScope, QSettings::SystemScope})
                QSettings::setPath(format, scope, Dir.filePath("settings"));
        InitFolders(QFile::encodeName(Dir.path()).toStdString());
        RegisterProgramFonts(AppDir);
        ResetSettings();
        Module = std::make_unique<TData>([this](const std::string& m) { Errors.push_back(Win1251ToUtf8(m)); });
        ASSERT_TRUE(Module->Ready) << (Errors.empty() ? "" : Errors[0]);
        Run.DeckData = Module.get();
        Run.Feedback = &Feedback;
    }

    void TearDown() override
    {
        Module.reset();
        ResetSettings();
        IsPrinting = false;
    }

    void Add(const char* name, const char* set, const char* version, int count)
    {
        TTable& deck = Module->DeckTable;
        deck.Append();
        Module->DeckTableName->SetAsString(name);
        Module->DeckTableSet->SetAsString(set);
        if (*version)
            Module->DeckTableVersion->SetAsString(version);
        Module->DeckTableCount->SetAsInteger(count);
        deck.Post();
    }

    // A deck of `total` cards in three entries: a creature, an instant, a land.
    void BuildDeck(int total)
    {
        const int third = total / 3;
        Add("Grizzly Bears", "7E", "", total - 2 * third);
        if (third > 0) {
            Add("Shock", "7E", "", third);
            Add("Forest", "7E", "A", third);
        }
        ASSERT_EQ(Module->DeckTotal, total);
    }

    std::string Folder(const char* sub) const { return QFile::encodeName(Dir.filePath(sub)).toStdString() + "/"; }
    QString PageFile(int page) const { return Dir.filePath(QString("preprint/page%1.bmp").arg(page)); }

    QTemporaryDir Dir;
    std::unique_ptr<TData> Module;
    std::vector<std::string> Errors;
    TPrintRun Run;
    TRecordingFeedback Feedback;
};
