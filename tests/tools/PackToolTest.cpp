// tomelark-tool pack against an independent implementation of the pack format
// (tests/tools/packref.py), in both directions, and its answers to bad input.
#include "Library/Common/ExtUtils.h"
#include "Library/Common/PackStream.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

class PackTool : public ::testing::Test {
protected:
    std::string Dir() const { return Temp.path().toStdString(); }
    std::string operator/(const std::string& rel) const { return Dir() + "/" + rel; }

    // Runs a shell command line; standard output and error are captured.
    RunResult Run(const std::string& cmd) const
    {
        RunResult r;
        std::string errFile = Dir() + "/.stderr";
        FILE* p = ::popen((cmd + " 2>'" + errFile + "'").c_str(), "r");
        if (!p)
            return r;
        char buf[65536];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
            r.out.append(buf, n);
        int st = ::pclose(p);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        r.err = ReadFile(errFile);
        return r;
    }
    // The tool gets a runtime folder of its own, so that Qt has nothing to warn about
    // on standard error.
    RunResult Tool(const std::string& args) const
    {
        std::filesystem::create_directory(*this / ".runtime");
        std::filesystem::permissions(*this / ".runtime", std::filesystem::perms::owner_all);
        return Run("XDG_RUNTIME_DIR='" + *this / ".runtime" + "' '" + TOMELARK_BIN_DIR
                   "/tomelark-tool' pack " + args);
    }
    RunResult Ref(const std::string& args) const
    {
        return Run("'" + Python + "' '" TOMELARK_SOURCE_DIR "/tests/tools/packref.py' " + args);
    }
    // Finds the interpreter itself once: a launcher in front of it can cost a second a call.
    void RequirePython()
    {
        RunResult r = Run("python3 -c 'import sys, zlib, struct; sys.stdout.write(sys.executable)'");
        if (r.status != 0 || r.out.empty())
            GTEST_SKIP() << "python3 is not available";
        Python = r.out;
    }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    void WriteFile(const std::string& rel, const std::string& bytes) const
    {
        std::filesystem::path p(*this / rel);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream f(p, std::ios::binary);
        f.write(bytes.data(), std::streamsize(bytes.size()));
    }
    // Fails the test unless the command failed with one clear line on standard error.
    static void ExpectCleanFailure(const RunResult& r, const std::string& part)
    {
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(part), std::string::npos) << r.err;
    }

    QTemporaryDir Temp;
    std::string Python;
};

std::string Repeat(const std::string& s, int n)
{
    std::string r;
    for (int i = 0; i < n; ++i)
        r += s;
    return r;
}

} // namespace

TEST_F(PackTool, ReadsAPackWrittenByAnotherProgram)
{
    RequirePython();
    ASSERT_EQ(Ref("sample '" + *this / "sample" + "'").status, 0);

    RunResult list = Tool("list '" + *this / "sample" + "'");
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "cardbase.cds\t8000\n"
                        "Sub\\Deep\\File.TXT\t6\n"
                        "Карты\\Ёжик.txt\t7\n"
                        "empty.txt\t0\n"
                        "nodata\t0\n");

    struct Case {
        const char* member;
        std::string bytes;
    } cases[] = {
        {"CARDBASE.CDS", Repeat("new base", 1000)},
        {"sub/deep/file.txt", "nested"},
        {"sub\\DEEP\\file.txt", "nested"},
        {"КАРТЫ/ёЖИК.TXT", Utf8ToWin1251("колючий")},
        {"empty.txt", ""},
        {"nodata", ""},
    };
    for (const auto& c : cases) {
        RunResult r = Tool("extract '" + *this / "sample" + "' '" + c.member + "'");
        EXPECT_EQ(r.status, 0) << c.member << ": " << r.err;
        EXPECT_EQ(r.out, c.bytes) << c.member;
    }
    // The pack stream of the program reads it the same way.
    EXPECT_EQ(ReadWholeFile(*this / "sample/Карты/ёжик.txt"), Utf8ToWin1251("колючий"));
}

TEST_F(PackTool, PacksItWritesAreReadByAnotherProgram)
{
    RequirePython();
    std::string binary;
    for (int i = 0; i < 3000; ++i)
        binary.push_back(char(i * 7 % 256));
    WriteFile("src/cardbase.cds", Repeat("Llanowar Elves|G|1/1\n", 500));
    WriteFile("src/sub/Deep/file.txt", "nested");
    WriteFile("src/Карты/Ёжик.txt", Utf8ToWin1251("колючий"));
    WriteFile("src/empty.txt", "");
    WriteFile("src/bin.dat", binary);
    WriteFile("newer.txt", Utf8ToWin1251("ещё колючее"));
    WriteFile("member.txt", "added");
    const std::string pack = *this / "data";

    RunResult r = Tool("create '" + pack + "' '" + *this / "src" + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    r = Tool("add '" + pack + "' 'карты\\ёжик.txt' '" + *this / "newer.txt" + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    r = Tool("add '" + pack + "' new/member '" + *this / "member.txt" + "'");
    ASSERT_EQ(r.status, 0) << r.err;

    RunResult list = Ref("list '" + pack + "'");
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "bin.dat\t3000\n"
                        "cardbase.cds\t10500\n"
                        "empty.txt\t0\n"
                        "sub\\Deep\\file.txt\t6\n"
                        "карты\\ёжик.txt\t" + std::to_string(Utf8ToWin1251("ещё колючее").size()) + "\n"
                        "new\\member\t5\n");
    EXPECT_EQ(Tool("list '" + pack + "'").out, list.out);

    struct Case {
        const char* member;
        std::string bytes;
    } cases[] = {
        {"bin.dat", binary},
        {"CardBase.cds", Repeat("Llanowar Elves|G|1/1\n", 500)},
        {"Sub/deep/FILE.txt", "nested"},
        {"Карты/Ёжик.txt", Utf8ToWin1251("ещё колючее")},
        {"empty.txt", ""},
        {"NEW\\MEMBER", "added"},
    };
    for (const auto& c : cases) {
        RunResult x = Ref("extract '" + pack + "' '" + c.member + "'");
        EXPECT_EQ(x.status, 0) << c.member << ": " << x.err;
        EXPECT_EQ(x.out, c.bytes) << c.member;
    }

    // Creating again replaces the pack as a whole.
    std::filesystem::remove_all(*this / "src/sub");
    ASSERT_EQ(Tool("create '" + pack + "' '" + *this / "src" + "'").status, 0);
    EXPECT_EQ(Ref("list '" + pack + "'").out, "bin.dat\t3000\ncardbase.cds\t10500\nempty.txt\t0\n"
                                              "Карты\\Ёжик.txt\t7\n");
    EXPECT_FALSE(std::filesystem::exists(*this / "src/sub"));
}

TEST_F(PackTool, CreateLeavesOutThePackAndRefusesAmbiguousNames)
{
    WriteFile("src/a.txt", "a");
    const std::string inside = *this / "src/data";
    ASSERT_EQ(Tool("create '" + inside + "' '" + *this / "src" + "'").status, 0);
    ASSERT_EQ(Tool("create '" + inside + "' '" + *this / "src" + "'").status, 0);
    EXPECT_EQ(Tool("list '" + inside + "'").out, "a.txt\t1\n");

    WriteFile("src/A.TXT", "A");
    ExpectCleanFailure(Tool("create '" + inside + "' '" + *this / "src" + "'"),
                       "does not tell their names apart");
    EXPECT_EQ(Tool("list '" + inside + "'").out, "a.txt\t1\n"); // the old pack stays
    int leftovers = 0;
    for (const auto& e : std::filesystem::directory_iterator(*this / "src"))
        leftovers += e.path().filename().string().starts_with("data.");
    EXPECT_EQ(leftovers, 0);
}

TEST_F(PackTool, BadInputGivesOneLineAndAnError)
{
    WriteFile("pack", std::string("\x01\x00\x00\x00m\xF8\xFF\xFF\xFF", 9)); // negative length
    WriteFile("good", "");
    WriteFile("file.txt", "x");
    ASSERT_EQ(Tool("add '" + *this / "good" + "' m '" + *this / "file.txt" + "'").status, 0);

    ExpectCleanFailure(Tool("list '" + *this / "missing" + "'"), "missing");
    ExpectCleanFailure(Tool("extract '" + *this / "missing" + "' m"), "missing");
    ExpectCleanFailure(Tool("extract '" + *this / "good" + "' other"), "good/other not found");
    ExpectCleanFailure(Tool("list '" + *this / "pack" + "'"), "corrupt");
    ExpectCleanFailure(Tool("extract '" + *this / "pack" + "' m"), "corrupt");
    ExpectCleanFailure(Tool("add '" + *this / "pack" + "' n '" + *this / "file.txt" + "'"), "corrupt");
    ExpectCleanFailure(Tool("add '" + *this / "good" + "' n '" + *this / "nofile" + "'"), "nofile");
    ExpectCleanFailure(Tool("add '" + *this / "nofolder/pack" + "' n '" + *this / "file.txt" + "'"),
                       "folder does not exist");
    ExpectCleanFailure(Tool("add '" + Dir() + "' n '" + *this / "file.txt" + "'"), "directory");
    ExpectCleanFailure(Tool("add '" + *this / "good" + "' '日本' '" + *this / "file.txt" + "'"),
                       "Windows-1251");
    ExpectCleanFailure(Tool("create '" + *this / "new" + "' '" + *this / "nodir" + "'"), "nodir");
    EXPECT_FALSE(std::filesystem::exists(*this / "new"));

    EXPECT_EQ(Tool("").status, 2);
    EXPECT_EQ(Tool("list").status, 2);
    EXPECT_EQ(Tool("shuffle x").status, 2);
    EXPECT_EQ(Tool("extract '" + *this / "good" + "' m").out, "x");
}

// A damaged member does not hide the others: the listing goes on, names it as
// damaged, and a damaged entry at the end ends it; each is reported on standard error
// and the exit status says that something was wrong.
TEST_F(PackTool, ListGoesOnPastDamagedMembers)
{
    auto entry = [](const std::string& name, const std::string& data) {
        auto le = [](int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
        return le(int32_t(name.size())) + name + le(int32_t(data.size())) + data;
    };
    const std::string good = DeflateMember("content");
    WriteFile("pack", entry("first", good) + entry("broken", "not zlib data") + entry("third", good) +
                          std::string("\x05\x00\x00\x00trunc", 9));
    const RunResult r = Tool("list '" + *this / "pack" + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "first\t7\nbroken\tdamaged\nthird\t7\n");
    EXPECT_NE(r.err.find("Cannot decompress broken"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("corrupt"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
}
