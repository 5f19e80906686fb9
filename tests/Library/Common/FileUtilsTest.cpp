// Replacing files atomically.
#include "Library/Common/FileUtils.h"
#include "FileSizeLimit.h"
#include "PackStreamTestUtil.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
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
        {"missing folder", dir / "missing/deck.mdc", "No such file or directory"},
        {"below a plain file", dir / "plain/deck.mdc", "Not a directory"},
        {"a folder in the way", dir / "folder", "Is a directory"},
        {"no name", "", "No file name"},
    };
    for (const auto& c : cases) {
        const std::string m = WriteErrorOf([&] { WriteFileReplacing(c.target, big); });
        EXPECT_EQ(m, "Cannot create file \"" + c.target + "\". " + c.reason) << c.what;
    }

    // The disk fills up part way: the first write is cut short, the next one fails.
    {
        TFileSizeLimit limit(4096);
        const std::string m = WriteErrorOf([&] { WriteFileReplacing(path, big); });
        EXPECT_EQ(m, "Cannot create file \"" + path + "\". File too large");
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
