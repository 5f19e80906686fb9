#include "Library/Common/PackStream.h"
#include "PackStreamTestUtil.h"

#include <gtest/gtest.h>

#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

using namespace packtest;

namespace {
std::string W(const char* utf8) { return Utf8ToWin1251(utf8); }

std::string ReadStream(const std::string& path)
{
    TPackFileStream s(path, fmOpenRead);
    return s.ReadAll();
}

void WriteStream(const std::string& path, const std::string& content)
{
    TPackFileStream s(path, fmCreate);
    s.WriteBuffer(content.data(), int64_t(content.size()));
    s.Close();
}

template <class E>
std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "<no error>";
}
} // namespace

TEST(PackStream, PathOfAnExistingFileIsPlain)
{
    TempDir dir;
    WriteFile(dir / "data", Entry("cardbase.cds", "packed"));
    std::filesystem::create_directory(dir / "plain");
    WriteFile(dir / "plain/cardbase.cds", "on disk");

    TPackFileStream plain(dir / "plain/cardbase.cds", fmOpenRead);
    EXPECT_FALSE(plain.InPack);
    EXPECT_EQ(plain.ReadAll(), "on disk");

    // The pack file itself, named by its own path, is an ordinary file of raw entries.
    TPackFileStream raw(dir / "data", fmOpenRead);
    EXPECT_FALSE(raw.InPack);
    EXPECT_EQ(raw.ReadAll(), Entry("cardbase.cds", "packed"));
}

TEST(PackStream, MemberIsReadInAnyLetterCase)
{
    TempDir dir;
    const std::string base(100000, 'x');
    WriteFile(dir / "data", Entry("other", "no") + Entry("cardbase.cds", base + "end")
                                + Entry(W("Карты\\Ёжик.txt"), W("ёж")));

    TPackFileStream s(dir / "data/CardBase.CDS", fmOpenRead);
    EXPECT_TRUE(s.InPack);
    EXPECT_EQ(s.Path, dir / "data");
    EXPECT_EQ(s.MemberName, "CardBase.CDS");
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(s.Size(), int64_t(base.size() + 3));
    EXPECT_EQ(s.ReadAll(), base + "end");

    // A member behaves like a file of its content: seek and read anywhere.
    s.Seek(-3, TSeekOrigin::soEnd);
    char tail[3];
    s.ReadBuffer(tail, 3);
    EXPECT_EQ(std::string(tail, 3), "end");

    EXPECT_EQ(ReadStream(dir / "data/кАРТЫ/ЁЖИК.TXT"), W("ёж"));
    EXPECT_EQ(ReadWholeFile(dir / "data/карты/ёжик.txt"), W("ёж"));
}

TEST(PackStream, MembersBelowThePackFormNestedNames)
{
    TempDir dir;
    WriteFile(dir / "data", Entry("sub\\file", "two levels") + Entry("a\\b\\c", "three"));

    TPackFileStream s(dir / "data/sub/file", fmOpenRead);
    EXPECT_EQ(s.Path, dir / "data");
    EXPECT_EQ(s.MemberName, "sub\\file");
    EXPECT_EQ(s.ReadAll(), "two levels");
    EXPECT_EQ(ReadStream(dir / "data/./x/../a/b/c"), "three");
}

TEST(PackStream, MissingMemberAndMissingFileAreReported)
{
    TempDir dir;
    WriteFile(dir / "data", Entry("other", "x"));
    EXPECT_EQ(ErrorOf<EFOpenError>([&] { ReadStream(dir / "data/cardbase.cds"); }),
              "File " + dir / "data/cardbase.cds" + " not found");
    EXPECT_EQ(ErrorOf<EFOpenError>([&] { ReadStream(dir / "data/sub/file"); }),
              "File " + dir / "data/sub/file" + " not found");

    // A file missing from an existing folder, and a path below a pack that does not
    // exist: the same message, naming the whole path asked for.
    EXPECT_EQ(ErrorOf<EFOpenError>([&] { ReadStream(dir / "nothing.txt"); }),
              "File " + dir / "nothing.txt" + " not found");
    EXPECT_EQ(ErrorOf<EFOpenError>([&] { ReadStream(dir / "nodir/file"); }),
              "File " + dir / "nodir/file" + " not found");
}

TEST(PackStream, CreatingBelowAMissingFolderMakesAPack)
{
    TempDir dir;
    {
        TPackFileStream s(dir / "newfolder/file", fmCreate);
        EXPECT_TRUE(s.InPack);
        EXPECT_EQ(s.Path, dir / "newfolder");
        const char text[] = "created";
        s.WriteBuffer(text, 7);
        // Nothing is written before the stream ends.
        EXPECT_FALSE(std::filesystem::exists(dir / "newfolder"));
    } // the destructor writes the member
    EXPECT_EQ(ReadFile(dir / "newfolder"), Entry("file", "created"));
    EXPECT_EQ(ReadStream(dir / "newfolder/FILE"), "created");

    // Two missing levels: the pack is the first missing folder from the top.
    WriteStream(dir / "top/mid/leaf.txt", "deep");
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "top"));
    EXPECT_EQ(ReadFile(dir / "top"), Entry("mid\\leaf.txt", "deep"));

    // An empty member is written too.
    { TPackFileStream empty(dir / "top/empty", fmCreate); }
    EXPECT_EQ(ReadStream(dir / "top/empty"), "");
    EXPECT_TRUE(PackFileExists(dir / "top/empty"));

    // A plain file where the folder exists.
    WriteStream(dir / "plain.txt", "plain");
    EXPECT_EQ(ReadFile(dir / "plain.txt"), "plain");
}

TEST(PackStream, WritingAgainRetiresEveryOlderEntry)
{
    TempDir dir;
    // Written by someone else: two live entries of one name in different letter case.
    const std::string start = Entry("Deck.txt", "one") + Entry("keep", "k") + Entry("DECK.TXT", "two");
    WriteFile(dir / "pack", start);

    WriteStream(dir / "pack/deck.txt", "three");
    WriteStream(dir / "pack/deck.txt", "four");

    std::string expected = start;
    auto zero = [&](size_t at, size_t n) { expected.replace(at + 4, n, std::string(n, '\0')); };
    zero(0, 8);
    zero(start.size() - Entry("DECK.TXT", "two").size(), 8);
    expected += Raw(8, std::string(8, '\0'), int32_t(Zlib("three").size()), Zlib("three"));
    expected += Entry("deck.txt", "four");
    EXPECT_EQ(ReadFile(dir / "pack"), expected);
    EXPECT_EQ(ReadStream(dir / "pack/Deck.txt"), "four");
    EXPECT_EQ(ReadStream(dir / "pack/keep"), "k");
}

TEST(PackStream, EntriesWithoutNameOrDataAreScannedPast)
{
    TempDir dir;
    WriteFile(dir / "pack", Raw(0, "", 0, "") + Raw(0, "", 5, "abcde") + Raw(-7, "", 3, "xyz")
                                + Raw(3, std::string(3, '\0'), 0, "") + Raw(5, "empty", 0, "")
                                + Entry("real", "content") + Raw(0, "", 0, ""));
    EXPECT_EQ(ReadStream(dir / "pack/real"), "content");
    EXPECT_EQ(ReadStream(dir / "pack/empty"), "");
    EXPECT_TRUE(PackFileExists(dir / "pack/real"));
    EXPECT_FALSE(PackFileExists(dir / "pack/absent"));

    auto entries = ListPackEntries(dir / "pack");
    ASSERT_EQ(entries.size(), 7u);
    int live = 0;
    for (const auto& e : entries)
        live += e.Live();
    EXPECT_EQ(live, 2);
    EXPECT_EQ(entries[5].Name, "real");
    EXPECT_EQ(InflateMember(ReadPackEntryData(dir / "pack", entries[5]), "real"), "content");
}

TEST(PackStream, OtherModesWorkForPlainFilesOnly)
{
    TempDir dir;
    WriteFile(dir / "pack", Entry("member", "m"));
    WriteFile(dir / "plain", "abcdef");
    for (uint16_t mode : {fmOpenWrite, fmOpenReadWrite}) {
        EXPECT_EQ(ErrorOf<EPackError>([&] { TPackFileStream s(dir / "pack/member", mode); }),
                  "Unsupported file open mode");
    }
    EXPECT_EQ(ErrorOf<EPackError>([&] { TPackFileStream s(dir / "plain", 7); }),
              "Unsupported file open mode");

    {
        TPackFileStream s(dir / "plain", fmOpenReadWrite);
        EXPECT_FALSE(s.InPack);
        s.Seek(2, TSeekOrigin::soBeginning);
        s.WriteBuffer("XY", 2);
        s.SetSize(5);
        s.SetPosition(0);
        EXPECT_EQ(s.ReadAll(), "abXYe");
    }
    {
        TPackFileStream s(dir / "plain", fmOpenWrite);
        s.Seek(0, TSeekOrigin::soEnd);
        s.WriteBuffer("!", 1);
    }
    EXPECT_EQ(ReadFile(dir / "plain"), "abXYe!");
    EXPECT_THROW(TPackFileStream(dir / "missing", fmOpenReadWrite), EFOpenError);
}

TEST(PackStream, AMemberOpenedForReadingIsNeverWrittenBack)
{
    TempDir dir;
    const std::string bytes = Entry("m", "original");
    WriteFile(dir / "pack", bytes);
    {
        TPackFileStream s(dir / "pack/m", fmOpenRead);
        s.SetSize(0);
        s.WriteBuffer("changed in memory", 17);
        s.SetPosition(0);
        EXPECT_EQ(s.ReadAll(), "changed in memory");
        s.Close();
    }
    EXPECT_EQ(ReadFile(dir / "pack"), bytes);
}

TEST(PackStream, ProbeAnswersWithoutOpening)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    WriteFile(dir / "folder/plain.txt", "p");
    WriteFile(dir / "pack", Entry(W("Символы\\7E.gif"), "gif"));

    EXPECT_TRUE(PackFileExists(dir / "folder/plain.txt"));
    EXPECT_TRUE(PackFileExists(dir / "pack/символы/7e.GIF"));
    EXPECT_FALSE(PackFileExists(dir / "folder/missing.txt"));
    EXPECT_FALSE(PackFileExists(dir / "pack/missing.gif"));
    EXPECT_FALSE(PackFileExists(dir / "folder"));
    // Below a folder that is neither a directory nor a pack the probe cannot answer.
    EXPECT_THROW(PackFileExists(dir / "nofolder/x"), EFOpenError);

    auto probe = TPackFileStream::CreateProbe(dir / "pack/символы/7e.gif");
    EXPECT_TRUE(probe->Exists);
    EXPECT_TRUE(probe->InPack);
    // A probe has nothing to read: every stream operation is a precondition failure.
    char c;
    std::string msg = ErrorOf<EAssertionFailed>([&] { probe->Read(&c, 1); });
    EXPECT_NE(msg.find("(PackStream, line "), std::string::npos) << msg;
    EXPECT_THROW(probe->Write(&c, 1), EAssertionFailed);
    EXPECT_THROW(probe->Seek(0, TSeekOrigin::soBeginning), EAssertionFailed);
    EXPECT_THROW(probe->SetSize(0), EAssertionFailed);
}

TEST(PackStream, PreconditionsOfLoadingAndWritingBack)
{
    TempDir dir;
    WriteFile(dir / "pack", Entry("m", "x"));
    TPackFileStream created(dir / "pack/new", fmCreate);
    EXPECT_THROW(created.LoadMember(), EAssertionFailed);
    TPackFileStream read(dir / "pack/m", fmOpenRead);
    EXPECT_THROW(read.FlushMember(), EAssertionFailed);
    TPackFileStream plain(dir / "pack", fmOpenRead);
    EXPECT_THROW(plain.ReadMember(), EAssertionFailed);
    read.Close();
    char c;
    EXPECT_THROW(read.Read(&c, 1), EAssertionFailed);
}

TEST(PackStream, CyrillicPathsBecomeWindows1251Names)
{
    TempDir dir;
    WriteStream(dir / "Данные/Карты/Ёж.txt", W("колючий"));
    EXPECT_EQ(ReadFile(dir / "Данные"), Entry(W("Карты\\Ёж.txt"), W("колючий")));
    EXPECT_EQ(ReadStream(dir / "Данные/кАРТЫ/ёЖ.TXT"), W("колючий"));

    // A name that Windows-1251 cannot hold is neither found nor written.
    EXPECT_THROW(ReadStream(dir / "Данные/日本.txt"), EFOpenError);
    TPackFileStream s(dir / "Данные/日本.txt", fmCreate);
    EXPECT_THROW(s.Close(), EPackError);
    EXPECT_EQ(ReadFile(dir / "Данные"), Entry(W("Карты\\Ёж.txt"), W("колючий")));
}

TEST(PackStream, FailedWriteBackIsReportedByCloseAndLeavesThePack)
{
    TempDir dir;
    const std::string corrupt = Entry("a", "x") + Raw(1, "b", 1000, "short");
    WriteFile(dir / "pack", corrupt);
    {
        TPackFileStream s(dir / "pack/c", fmCreate);
        s.WriteBuffer("data", 4);
        EXPECT_THROW(s.Close(), EPackError);
    } // the destructor does not try again, nor throw
    {
        TPackFileStream s(dir / "pack/c", fmCreate);
        s.WriteBuffer("data", 4);
    } // a failure inside the destructor is only logged
    EXPECT_EQ(ReadFile(dir / "pack"), corrupt);
}

TEST(PackStream, ReadersAndWritersOfAPackExcludeEachOther)
{
    TempDir dir;
    WriteFile(dir / "pack", Entry("m", "x"));
    int saved = PackLockWaitMs;
    PackLockWaitMs = 50;
    int fd = ::open((dir / "pack").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);

    ASSERT_EQ(::flock(fd, LOCK_SH), 0); // another reader
    EXPECT_EQ(ReadStream(dir / "pack/m"), "x");
    std::string msg;
    {
        TPackFileStream w(dir / "pack/n", fmCreate);
        msg = ErrorOf<EFOpenError>([&] { w.Close(); });
        ASSERT_EQ(::flock(fd, LOCK_UN), 0);
        w.Close(); // the retry succeeds once the reader is gone
    }
    EXPECT_NE(msg.find("in use by another process"), std::string::npos) << msg;
    EXPECT_EQ(ReadStream(dir / "pack/n"), "");

    ASSERT_EQ(::flock(fd, LOCK_EX), 0); // a writer
    EXPECT_THROW(ReadStream(dir / "pack/m"), EFOpenError);
    EXPECT_THROW(PackFileExists(dir / "pack/m"), EFOpenError);
    ::close(fd);
    EXPECT_EQ(ReadStream(dir / "pack/m"), "x");
    PackLockWaitMs = saved;
}

TEST(MemoryStream, BehavesLikeAFile)
{
    TMemoryStream m;
    m.Seek(4, TSeekOrigin::soBeginning);
    m.WriteBuffer("ab", 2);
    EXPECT_EQ(m.Data(), std::string("\0\0\0\0ab", 6));
    EXPECT_EQ(m.Size(), 6);
    m.SetSize(3);
    EXPECT_EQ(m.Position(), 3);
    char buf[4];
    EXPECT_EQ(m.Read(buf, 4), 0);
    EXPECT_THROW(m.Seek(-4, TSeekOrigin::soCurrent), EStreamError);
    EXPECT_THROW(m.SetSize(-1), EStreamError);
    EXPECT_THROW(m.ReadBuffer(buf, 1), EStreamError);
}

TEST(MemberNames, ToolNamesBecomeStoredNames)
{
    EXPECT_EQ(MemberNameFromUtf8("sub/file"), "sub\\file");
    EXPECT_EQ(MemberNameFromUtf8("/a\\\\b/./c/"), "a\\b\\c");
    EXPECT_EQ(MemberNameFromUtf8("Карты/Ёж"), W("Карты\\Ёж"));
    EXPECT_THROW(MemberNameFromUtf8("a/../b"), EPackError);
    EXPECT_THROW(MemberNameFromUtf8("//"), EPackError);
    EXPECT_THROW(MemberNameFromUtf8("日本"), EPackError);
}
