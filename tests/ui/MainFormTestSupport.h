#pragma once
// Support for the main window tests: a program folder of its own for each test (the
// data store of the build linked in, an empty "decks" folder, nothing written into
// the build), the user's settings in a private store, dialogs that answer without a
// window, and a main window bound to a data module and shown, like at program start.
#include "data/DataModule.h"
#include "data/Settings.h"
#include "render/Fonts.h"
#include "ui/DialogHooks.h"
#include "ui/MainForm.h"
#include "ui/DataGrid.h"
#include "ui/TableModel.h"
#include "ui/UserDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <memory>
#include <string>
#include <vector>

// Dialog answers queued by the test; errors and notices recorded.
class TFakeDialogs : public IUserDialogs {
public:
    QStringList Errors;
    QStringList Messages;
    std::deque<QString> OpenAnswers;
    std::deque<QString> SaveAnswers;
    QStringList OpenDirectories;
    QStringList SaveDirectories;
    QStringList SaveFilters;
    std::deque<QString> SaveFilterAnswers; // the file type the user picks in the save dialog
    // "Save the changes?": the questions asked, and the answers given in turn (then
    // "Не сохранять", so that a test's window always closes).
    QStringList SaveQuestions;
    std::deque<TSaveAnswer> SaveChangesAnswers;
    // Reports: caption, summary and list of each.
    struct TReport {
        QString Caption, Summary, List;
    };
    std::vector<TReport> Reports;

    TSaveAnswer AskSaveChanges(QWidget*, const QString& text) override
    {
        SaveQuestions << text;
        if (SaveChangesAnswers.empty())
            return TSaveAnswer::Discard;
        const TSaveAnswer a = SaveChangesAnswers.front();
        SaveChangesAnswers.pop_front();
        return a;
    }
    void ShowReport(QWidget*, const QString& caption, const QString& summary, const QString& list) override
    {
        Reports.push_back({caption, summary, list});
    }

    void ShowError(QWidget*, const QString& text) override { Errors << text; }
    void ShowMessage(QWidget*, const QString& caption, const QString& text) override
    {
        Messages << (caption.isEmpty() ? text : caption + QStringLiteral(": ") + text);
    }
    QString OpenFileName(QWidget*, const QString& directory, const QString&, const QString&) override
    {
        OpenDirectories << directory;
        return Next(OpenAnswers);
    }
    QString SaveFileName(QWidget*, const QString& directory, const QString& filter, const QString&,
                         QString* selectedFilter) override
    {
        SaveDirectories << directory;
        SaveFilters << filter;
        if (selectedFilter && !SaveFilterAnswers.empty()) {
            *selectedFilter = SaveFilterAnswers.front();
            SaveFilterAnswers.pop_front();
        }
        return Next(SaveAnswers);
    }

private:
    static QString Next(std::deque<QString>& answers)
    {
        if (answers.empty())
            return QString();
        QString a = answers.front();
        answers.pop_front();
        return a;
    }
};

inline QString Q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

inline std::string W(const char* utf8)
{
    return Utf8ToWin1251(utf8);
}

// A program folder below a temporary folder: "data", "images" and "fonts" are links
// to the build's data store; "decks" is empty.
class TProgramFolder {
public:
    TProgramFolder()
    {
        const QString bin = QString::fromUtf8(TOMELARK_BIN_DIR);
        Ok = Dir.isValid() && QFile::exists(bin + "/data/cardbase.cds");
        if (!Ok)
            return;
        for (const char* name : {"data", "images", "fonts"})
            QFile::link(bin + "/" + name, Dir.filePath(QString::fromLatin1(name)));
        QDir(Dir.path()).mkdir("decks");
    }
    bool Ok = false;
    QString Path() const { return Dir.path(); }
    QString File(const QString& name) const { return Dir.filePath(name); }
    std::string NativePath() const { return QFile::encodeName(Dir.path()).toStdString(); }

private:
    QTemporaryDir Dir;
};

// The main window over the sample card base, shown and active.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Folder.Ok)
            GTEST_SKIP() << "the data store of the build is missing (build the datastore target)";
        QCoreApplication::setOrganizationName("Tomelark");
        QCoreApplication::setApplicationName("Tomelark");
        InitFolders(Folder.NativePath());
        RegisterProgramFonts(AppDir);
        ResetSettings();
        QSettings().clear();
        PreviousDialogs = SetUserDialogs(&Dialogs);
        DialogHooks = TDialogHooks{};
        Start();
    }

    void TearDown() override
    {
        Stop();
        DialogHooks = TDialogHooks{};
        SetUserDialogs(PreviousDialogs);
        ResetSettings();
    }

    // Program start: main window, data module, binding, first show.
    void Start()
    {
        Form = std::make_unique<TMainForm>();
        DataModule = std::make_unique<TData>([this](const std::string& m) { DataErrors.push_back(m); });
        Form->BindData(*DataModule);
        Form->show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        ASSERT_TRUE(DataModule->Ready) << (DataErrors.empty() ? "" : Win1251ToUtf8(DataErrors[0]));
    }

    // Program end: the window closes, the data module goes.
    void Stop()
    {
        if (Form) {
            Form->UnbindData();
            Form->close();
        }
        DataModule.reset();
        Form.reset();
    }

    TTable& Cards() { return DataModule->CardsTable; }
    TTable& Deck() { return DataModule->DeckTable; }
    std::string CardName() { return Cards().FieldByName("Name").AsString(); }
    std::string DeckName() { return Deck().FieldByName("Name").AsString(); }
    int DeckCount() { return Deck().FieldByName("Count").AsInteger(); }

    // The deck as "count name [set] (version)" lines in deck order.
    std::vector<std::string> DeckLines()
    {
        std::vector<std::string> lines;
        TBookmark here = Deck().GetBookmark();
        for (Deck().First(); !Deck().Eof(); Deck().Next())
            lines.push_back(std::to_string(DeckCount()) + " " + DeckName() + " ["
                            + Deck().FieldByName("Set").AsString() + "]"
                            + (Deck().FieldByName("Version").AsString().empty()
                                   ? ""
                                   : " (" + Deck().FieldByName("Version").AsString() + ")"));
        if (Deck().BookmarkValid(here))
            Deck().GotoBookmark(here);
        return lines;
    }

    // Makes the card list's record with this name and set current (without a set: its
    // Seventh Edition printing where it has one, else its first).
    void SelectCard(const char* name, const char* set = nullptr, const char* version = nullptr)
    {
        if (!set && !version && Cards().Locate("Name;Set", {TValue(name), TValue("7E")}))
            return;
        std::vector<TValue> key{TValue(name)};
        std::string fields = "Name";
        if (set) {
            fields += ";Set";
            key.emplace_back(set);
        }
        if (version) {
            fields += ";Version";
            key.emplace_back(version);
        }
        ASSERT_TRUE(Cards().Locate(fields, key)) << name;
    }

    // Runs an action as the user would: its state brought up to date first, as the
    // idle handler does between any two user actions.
    void Trigger(QAction* action)
    {
        Form->ActionsUpdate();
        action->trigger();
    }

    void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(w, key, modifiers);
    }

    TProgramFolder Folder;
    TFakeDialogs Dialogs;
    IUserDialogs* PreviousDialogs = nullptr;
    std::vector<std::string> DataErrors;
    std::unique_ptr<TMainForm> Form;
    std::unique_ptr<TData> DataModule;
};
