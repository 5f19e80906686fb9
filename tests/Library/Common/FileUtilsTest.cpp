// Replacing files atomically.
#include "Library/Common/FileUtils.h"
#include "FileSizeLimit.h"
#include "PackStreamTestUtil.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <random>
#include <set>

using namespace packtest;
namespace fs = std::filesystem;

namespace {

std::set<std::string> FolderNames(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

// The message of the EFileWriteError that `action` raises, or "<no error>".
std::string WriteErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EFileWriteError& e) {
        return e.Message();
    }
    return "<no error>";
}

} // namespace

TEST(WriteFileReplacing, WritesANewFileAndReplacesAnOldOneKeepingItsMode)
{
    TempDir dir;
    const std::string path = dir / "cardbase.cds";
    WriteFileReplacing(path, "first");
    EXPECT_EQ(ReadFile(path), "first");

    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    const std::string big(300000, 'x'); // more than one write may take
    WriteFileReplacing(path, big);
    EXPECT_EQ(ReadFile(path), big);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    WriteFileReplacing(path, "");
    EXPECT_EQ(ReadFile(path), "");
    EXPECT_EQ(FolderNames(dir.path()), std::set<std::string>{"cardbase.cds"}) << "no temporary file left";
}

TEST(WriteFileReplacing, AFailedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    TempDir dir;
    const std::string path = dir / "deck.mdc";
    WriteFile(path, "old");
    WriteFile(dir / "plain", "x");
    fs::create_directory(dir / "folder");
    const std::string big(100000, 'n');

    struct Case {
        const char* what;
        std::string target;
        std::string reason;
    } cases[] = {
        {"missing folder", dir / "missing/deck.mdc", "Нет такого файла или каталога"},
        {"below a plain file", dir / "plain/deck.mdc", "Часть пути не является каталогом"},
        {"a folder in the way", dir / "folder", "Это каталог"},
        {"no name", "", "Нет имени файла"},
    };
    for (const auto& c : cases) {
        const std::string m = WriteErrorOf([&] { WriteFileReplacing(c.target, big); });
        EXPECT_EQ(Win1251ToUtf8(m), "Не удается записать файл \"" + c.target + "\". " + c.reason) << c.what;
    }

    // The disk fills up part way: the first write is cut short, the next one fails.
    {
        TFileSizeLimit limit(4096);
        const std::string m = WriteErrorOf([&] { WriteFileReplacing(path, big); });
        EXPECT_EQ(Win1251ToUtf8(m), "Не удается записать файл \"" + path + "\". Файл слишком велик");
    }
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_EQ(FolderNames(dir.path()), (std::set<std::string>{"deck.mdc", "folder", "plain"}));
}

TEST(WriteFileReplacing, AFileNotCommittedIsDroppedAndWritersDoNotMeet)
{
    TempDir dir;
    const std::string path = dir / "data";
    WriteFile(path, "old");
    {
        TReplacingFile file(path);
        file.Write("never");
        EXPECT_TRUE(fs::exists(file.TempPath()));
        EXPECT_EQ(fs::path(file.TempPath()).parent_path(), fs::path(path).parent_path());
    }
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(FolderNames(dir.path()), std::set<std::string>{"data"});

    // Two writers of the same file at once each have a temporary file of their own;
    // the one that commits last wins, whole.
    TReplacingFile a(path), b(path);
    EXPECT_NE(a.TempPath(), b.TempPath());
    a.Write("from a");
    b.Write("from b, longer");
    b.Commit();
    EXPECT_EQ(ReadFile(path), "from b, longer");
    a.Commit();
    EXPECT_EQ(ReadFile(path), "from a");
    EXPECT_EQ(FolderNames(dir.path()), std::set<std::string>{"data"});
}

// Faults that lose files in practice: a file the user made read-only is not replaced
// (the rename alone would allow it), a symbolic link keeps pointing at its file and
// that file gets the content, and the temporary files of killed saves are cleared by
// the next save of the same file (another file's, or a running writer's, are left).
TEST(WriteFileReplacing, ReadOnlyFilesLinksAndLeftoversOfKilledSaves)
{
    TempDir dir;
    const std::string readOnly = dir / "locked.mdc";
    WriteFile(readOnly, "keep");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    EXPECT_EQ(Win1251ToUtf8(WriteErrorOf([&] { WriteFileReplacing(readOnly, "new"); })),
              "Не удается записать файл \"" + readOnly + "\". Отказано в доступе");
    EXPECT_EQ(ReadFile(readOnly), "keep");

    fs::create_directory(dir / "real");
    WriteFile(dir / "real/cardbase.cds", "old");
    fs::create_symlink("real/cardbase.cds", dir / "link.cds");
    fs::create_symlink("link.cds", dir / "link-of-link.cds");
    fs::create_symlink("real/new.cds", dir / "dangling.cds");
    WriteFileReplacing(dir / "link-of-link.cds", "through two links");
    EXPECT_TRUE(fs::is_symlink(dir / "link.cds"));
    EXPECT_TRUE(fs::is_symlink(dir / "link-of-link.cds"));
    EXPECT_EQ(ReadFile(dir / "real/cardbase.cds"), "through two links");
    WriteFileReplacing(dir / "dangling.cds", "made at the target");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.cds"));
    EXPECT_EQ(ReadFile(dir / "real/new.cds"), "made at the target");
    EXPECT_EQ(FolderNames(dir / "real"), (std::set<std::string>{"cardbase.cds", "new.cds"}));

    // A process that has ended: a child that exits at once.
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    ASSERT_GT(gone, 0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const std::string dead = std::to_string(gone), alive = std::to_string(getpid());
    const std::string data = dir / "data";
    fs::create_directory(data);
    for (const std::string& name : {"cardbase.cds.tomelark-" + dead + "-0.tmp", "cardbase.cds.tomelark-" + alive + "-9.tmp",
                                    "deck.mdc.tomelark-" + dead + "-3.tmp", std::string("notes.tmp")})
        WriteFile(data + "/" + name, std::string(1000, 'x'));
    WriteFileReplacing(data + "/cardbase.cds", "saved");
    EXPECT_EQ(FolderNames(data), (std::set<std::string>{"cardbase.cds", "cardbase.cds.tomelark-" + alive + "-9.tmp",
                                                         "deck.mdc.tomelark-" + dead + "-3.tmp", std::string("notes.tmp")}));
    // At start the whole data folder is cleared of them.
    RemoveStaleTemporaryFiles(data);
    EXPECT_EQ(FolderNames(data),
              (std::set<std::string>{"cardbase.cds", "cardbase.cds.tomelark-" + alive + "-9.tmp", "notes.tmp"}));
}

// Saves killed at random moments: every time the file is the old or the new one,
// whole; what a killed save left behind goes with the next save.
TEST(WriteFileReplacing, RandomKillsLeaveTheOldOrTheNewFileWhole)
{
    TempDir dir;
    const std::string path = dir / "cardbase.cds";
    const std::string a(size_t(6) << 20, 'a'), b(size_t(5) << 20, 'b');
    WriteFileReplacing(path, a);
    std::mt19937 rng(11);
    int killedMidway = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            for (int i = 0;; ++i)
                WriteFileReplacing(path, i % 2 ? a : b);
        }
        ASSERT_GT(child, 0);
        usleep(useconds_t(2000 + rng() % 40000));
        kill(child, SIGKILL);
        ASSERT_EQ(waitpid(child, nullptr, 0), child);
        const std::string now = ReadFile(path);
        EXPECT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes";
        killedMidway += FolderNames(dir.path()).size() > 1;
    }
    WriteFileReplacing(path, "last");
    EXPECT_EQ(FolderNames(dir.path()), std::set<std::string>{"cardbase.cds"});
    RecordProperty("killed_while_writing", killedMidway);
}
