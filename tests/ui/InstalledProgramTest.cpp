// The program installed into a prefix of its own (`cmake --install`): it runs from
// there under Xvfb with a deck from the command line, writes only into the user's
// data folder, leaves the installed files as they were, and its desktop entry,
// metainfo and MIME types validate.
#include "MainFormTestSupport.h"
#include "SavedFolders.h"

#include "Library/Common/ExtUtils.h"
#include "print/Print.h"
#include "ui/ErrorHandling.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <map>

namespace {

QString BuildDir()
{
    return QDir::cleanPath(QString::fromUtf8(TOMELARK_BIN_DIR) + "/..");
}

// Every installed file with the hash of its content.
std::map<QString, QByteArray> Snapshot(const QString& root)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            files[path] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
    }
    return files;
}

class InstalledProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Prefix = new QTemporaryDir;
        QProcess install;
        install.start("cmake", {"--install", BuildDir(), "--prefix", Prefix->path()});
        InstallOk = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit
                    && install.exitCode() == 0;
        InstallLog = QString::fromLocal8Bit(install.readAllStandardError() + install.readAllStandardOutput());
    }
    static void TearDownTestSuite()
    {
        delete Prefix;
        Prefix = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(InstallOk) << InstallLog.toStdString();
        ASSERT_TRUE(Home.isValid());
    }
    static QString P(const QString& relative) { return Prefix->filePath(relative); }
    QString User(const QString& relative) const { return Home.filePath("data/Tomelark/" + relative); }

    static QTemporaryDir* Prefix;
    static bool InstallOk;
    static QString InstallLog;
    QTemporaryDir Home;
    TSavedFolders Folders;
    TUserDataHome DataHome{Home.filePath("data")};
};

QTemporaryDir* InstalledProgramTest::Prefix = nullptr;
bool InstalledProgramTest::InstallOk = false;
QString InstalledProgramTest::InstallLog;

} // namespace

TEST_F(InstalledProgramTest, TheLayoutAndTheDesktopFilesValidate)
{
    for (const char* file : {"bin/tomelark", "bin/tomelark-tool", "share/tomelark/data/cardbase.cds",
                             "share/tomelark/fonts/ZizorUvaride.ttf", "share/applications/tomelark.desktop",
                             "share/metainfo/org.example.tomelark.metainfo.xml", "share/mime/packages/tomelark.xml",
                             "share/icons/hicolor/scalable/apps/tomelark.svg"})
        EXPECT_TRUE(QFile::exists(P(file))) << file;
    EXPECT_FALSE(QDir(P("share/tomelark/decks")).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(QDir(P("share/tomelark/images")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    for (int size : {16, 32, 48, 256}) {
        const QString n = QString::number(size);
        const QImage png(P("share/icons/hicolor/" + n + "x" + n + "/apps/tomelark.png"));
        EXPECT_EQ(png.size(), QSize(size, size)) << size;
        EXPECT_TRUE(png.hasAlphaChannel());
    }

    auto run = [](const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        const bool done = p.waitForFinished(60000);
        return std::make_pair(done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                              QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError()));
    };
    if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
        const auto [code, out] = run("desktop-file-validate", {P("share/applications/tomelark.desktop")});
        EXPECT_EQ(code, 0) << out.toStdString();
    }
    if (!QStandardPaths::findExecutable("appstreamcli").isEmpty()) {
        const auto [code, out] =
            run("appstreamcli", {"validate", "--no-net", P("share/metainfo/org.example.tomelark.metainfo.xml")});
        EXPECT_EQ(code, 0) << out.toStdString();
    }
    if (!QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
        // The MIME database built from the package file knows the deck types.
        const auto [code, out] = run("update-mime-database", {P("share/mime")});
        EXPECT_EQ(code, 0) << out.toStdString();
        EXPECT_TRUE(QFile::exists(P("share/mime/application/x-tomelark-deck.xml")));
        QFile globs(P("share/mime/globs2"));
        ASSERT_TRUE(globs.open(QIODevice::ReadOnly));
        const QByteArray text = globs.readAll();
        EXPECT_TRUE(text.contains("application/x-tomelark-deck:*.mdc"));
        EXPECT_TRUE(text.contains("application/x-cockatrice-deck:*.cod"));
    }
}

// In this process, with the installed program's folder: every save goes into the
// user's data folder, the installed files stay as they are, and the edited card base
// is the one the next start loads.
TEST_F(InstalledProgramTest, SavesGoToTheUserDataFolder)
{
    const auto before = Snapshot(Prefix->path());
    InitFolders(QFile::encodeName(P("bin")).toStdString());
    ASSERT_EQ(AppDir, QFile::encodeName(P("share/tomelark")).toStdString() + "/");
    ASSERT_EQ(UserDir, QFile::encodeName(User("")).toStdString());
    PrepareUserFolder();
    RegisterProgramFonts(AppDir);
    ResetSettings();

    TFakeDialogs dialogs;
    IUserDialogs* previous = SetUserDialogs(&dialogs);
    TScopeExit restoreDialogs([&] { SetUserDialogs(previous); });
    std::vector<std::string> errors;
    {
        TMainForm form;
        TData data([&](const std::string& m) { errors.push_back(m); });
        form.BindData(data);
        form.show();
        ASSERT_TRUE(data.Ready) << (errors.empty() ? "" : Win1251ToUtf8(errors[0]));

        // A sample deck seeded into the user's decks, opened from there.
        const QStringList samples = QDir(User("decks")).entryList({"*.mdc"}, QDir::Files);
        ASSERT_FALSE(samples.isEmpty());
        form.OpenDeckFile(User("decks/" + samples[0]));
        ASSERT_GT(data.DeckTotal, 0);
        // Save as starts in the user's decks.
        dialogs.SaveAnswers.push_back(User("decks/mine.mdc"));
        form.aSaveAsExecute();
        EXPECT_EQ(dialogs.SaveDirectories.value(0), User("decks"));
        EXPECT_TRUE(QFile::exists(User("decks/mine.mdc")));
        // The card's picture, below "printimg".
        form.UpdateImageCardNow();
        form.aCopyImageExecute(1);
        QDirIterator pictures(User("printimg"), {"*.jpg"}, QDir::Files, QDirIterator::Subdirectories);
        EXPECT_TRUE(pictures.hasNext());
        // Page bitmaps go below "preprint".
        TPrintRun run;
        EXPECT_EQ(run.PageFolder(), QFile::encodeName(User("preprint/")).toStdString());
        // A card edit saves the whole card base.
        ASSERT_TRUE(data.LocateCard(form.CurrentCard.Name, form.CurrentCard.Set, form.CurrentCard.Version));
        TCard card = form.CurrentCard;
        card.FlavorR = W("Исправлено в установленной программе.");
        data.WriteCard(card, false, true, data.BaseTable);
        EXPECT_TRUE(QFile::exists(User("data/cardbase.cds")));
        form.UnbindData();
    }
    EXPECT_TRUE(errors.empty()) << Win1251ToUtf8(errors[0]);
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join("\n").toStdString();
    EXPECT_EQ(Snapshot(Prefix->path()), before);

    // The next start loads the edited card base.
    TData again([](const std::string&) {});
    ASSERT_TRUE(again.Ready);
    bool found = false;
    for (again.BaseTable.First(); !again.BaseTable.Eof(); again.BaseTable.Next())
        if (again.BaseTable.FieldByName("FlavorR").AsString() == W("Исправлено в установленной программе."))
            found = true;
    EXPECT_TRUE(found);
}

// The installed program itself, on an X server of its own: it starts with a deck
// given on the command line, its window shows the deck's file in the caption, F10
// and the keyboard reach "Выход", and it ends normally, leaving its window state in
// the user's configuration and the installed files unchanged.
TEST_F(InstalledProgramTest, RunsFromThePrefixUnderXvfbWithADeckFromTheCommandLine)
{
    if (QStandardPaths::findExecutable("xvfb-run").isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty())
        GTEST_SKIP() << "xvfb-run and xdotool are needed";
    const auto before = Snapshot(Prefix->path());
    const QString deck = Home.filePath("Downloads/burn.mdc");
    ASSERT_TRUE(QDir().mkpath(Home.filePath("Downloads")));
    {
        QFile f(deck);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("  4 [7E] Shock\r\n  2 [7E] Fog\r\n");
    }
    const QString script = QStringLiteral(
        "\"$PROGRAM\" \"$DECK\" & pid=$!\n"
        "win=''\n"
        "for i in $(seq 1 60); do\n"
        "  win=$(xdotool search --name 'burn\\.mdc' 2>/dev/null | head -1)\n"
        "  [ -n \"$win\" ] && break\n"
        "  sleep 0.5\n"
        "done\n"
        "[ -n \"$win\" ] || { echo 'no window with the deck in its caption'; kill $pid; exit 2; }\n"
        "xdotool getwindowname \"$win\"\n"
        "sleep 1\n"
        "xdotool windowfocus --sync \"$win\" key F10 sleep 0.5 key Up sleep 0.3 key Return\n"
        "for i in $(seq 1 40); do kill -0 $pid 2>/dev/null || break; sleep 0.5; done\n"
        "if kill -0 $pid 2>/dev/null; then echo 'still running after Выход'; kill $pid; exit 3; fi\n"
        "wait $pid\n");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.insert("HOME", Home.path());
    env.insert("XDG_DATA_HOME", Home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", Home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", Home.path());
    env.insert("PROGRAM", P("bin/tomelark"));
    env.insert("DECK", deck);
    p.setProcessEnvironment(env);
    p.start("xvfb-run", {"-a", "-s", "-screen 0 1280x1024x24", "sh", "-c", script});
    ASSERT_TRUE(p.waitForFinished(90000));
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
    ASSERT_EQ(p.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(deck)) << out.toStdString(); // the caption names the deck's file
    EXPECT_TRUE(QFile::exists(Home.filePath("config/Tomelark/Window.conf"))) << out.toStdString();
    EXPECT_TRUE(QFile::exists(Home.filePath("config/Tomelark/Tomelark.conf")));
    EXPECT_FALSE(QDir(Home.filePath("data/Tomelark/decks")).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(Snapshot(Prefix->path()), before);
}
