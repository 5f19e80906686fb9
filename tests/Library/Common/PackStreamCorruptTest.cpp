// Damaged packs end with a clear error: no endless scan, no read outside the file, no
// change to the file when a member is written into it.
#include "Library/Common/PackStream.h"
#include "PackStreamTestUtil.h"

#include <gtest/gtest.h>

using namespace packtest;

namespace {
struct CorruptCase {
    const char* what;
    std::string bytes;
    const char* message;  // part of the error when opening member "m"
    bool scansCleanly;    // the damage is in the member data, not in the entries
};

std::vector<CorruptCase> Cases()
{
    return {
        {"negative data length", Raw(1, "a", -8, "") + Entry("m", "x"), "negative data length", false},
        {"negative data length, nothing after", Raw(1, "m", -1, ""), "negative data length", false},
        {"negative name length, garbage after", Raw(-5, "", 1 << 30, "abc"), "past the end", false},
        {"data past the end", Raw(1, "a", 100, "xyz") + Entry("m", "x"), "past the end", false},
        {"member data past the end", Raw(1, "m", 9, "1234"), "past the end", false},
        {"truncated name length", std::string("\x01\x00", 2), "ends in its name length", false},
        {"truncated name", Int32(10) + "abc", "ends in its name", false},
        {"huge name length", Int32(0x7FFFFFF0) + "abc", "name length", false},
        {"truncated data length", Int32(1) + "m" + std::string("\x05\x00", 2), "ends in its data length",
         false},
        {"truncated after a good entry", Entry("a", "x") + std::string("\x01", 1), "ends in", false},
        {"data that is not zlib", Raw(1, "m", 5, "hello"), "Cannot decompress", true},
        {"zlib cut short",
         [] {
             std::string z = Zlib(std::string(5000, 'q') + "tail");
             z.resize(z.size() / 2);
             return Raw(1, "m", int32_t(z.size()), z);
         }(),
         "truncated", true},
        {"zlib with a bad checksum",
         [] {
             std::string z = Zlib("checksum");
             z.back() ^= 0x55;
             return Raw(1, "m", int32_t(z.size()), z);
         }(),
         "Cannot decompress", true},
    };
}
} // namespace

TEST(PackStreamCorrupt, EveryDamageEndsWithAClearError)
{
    for (const auto& c : Cases()) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteFile(dir / "pack", c.bytes);
        try {
            TPackFileStream s(dir / "pack/m", fmOpenRead);
            ADD_FAILURE() << "opened";
        } catch (const EPackError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        if (c.scansCleanly) {
            EXPECT_TRUE(PackFileExists(dir / "pack/m"));
            EXPECT_NO_THROW(ListPackEntries(dir / "pack"));
        } else {
            EXPECT_THROW(ListPackEntries(dir / "pack"), EPackError);
            // Writing into a damaged pack is refused and leaves it as it was.
            TPackFileStream w(dir / "pack/new", fmCreate);
            w.WriteBuffer("n", 1);
            EXPECT_THROW(w.Close(), EPackError);
            EXPECT_EQ(ReadFile(dir / "pack"), c.bytes);
        }
    }
}

TEST(PackStreamCorrupt, InflatingStopsAtTheSizeLimit)
{
    // A stream that inflates a thousandfold; the limit applies to the growing buffer
    // and to counting alike, and a member of exactly the limit is still fine.
    const int64_t limit = 1 << 20;
    const std::string atLimit = Zlib(std::string(size_t(limit), '\0'));
    const std::string over = Zlib(std::string(size_t(limit) + 1, '\0'));
    EXPECT_EQ(InflateMember(atLimit, "m", limit).size(), size_t(limit));
    EXPECT_EQ(InflatedSize(atLimit, "m", limit), limit);
    for (bool count : {false, true}) {
        try {
            count ? (void)InflatedSize(over, "bomb", limit) : (void)InflateMember(over, "bomb", limit);
            ADD_FAILURE() << "inflated past the limit";
        } catch (const EPackError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot decompress bomb: it is larger than 1 MiB");
        }
    }
}

// The bounds of the reader: no member beyond 256 MiB, and none past 16 MiB that
// inflates more than 256 times its stored size (a bomb towards the limit is refused
// within a few megabytes, and counted before any memory is taken for it). A large
// member within both bounds is inflated whole.
TEST(PackStreamCorrupt, InflatingRefusesBombsEarlyAndTakesLargeMembersWhole)
{
    const std::string bomb = Zlib(std::string(size_t(64) << 20, '\0')); // 64 MiB from ~64 KiB
    ASSERT_LT(bomb.size(), size_t(1) << 17);
    for (bool count : {false, true}) {
        try {
            count ? (void)InflatedSize(bomb, "bomb") : (void)InflateMember(bomb, "bomb");
            ADD_FAILURE() << "inflated a bomb";
        } catch (const EPackError& e) {
            EXPECT_NE(std::string(e.what()).find("Cannot decompress bomb: it inflates to more than 256 times"),
                      std::string::npos)
                << e.what();
        }
    }
    EXPECT_EQ(MaxMemberSize, int64_t(256) << 20);

    // 40 MiB of bytes that compress about twofold: past the size at which the content
    // is counted first, inflated to exactly what was stored.
    std::string content(size_t(40) << 20, '\0');
    uint32_t seed = 1;
    for (char& c : content)
        c = char(((seed = seed * 1664525u + 1013904223u) >> 24) & 0x0F);
    const std::string stored = Zlib(content, 1);
    EXPECT_EQ(InflateMember(stored, "large"), content);
}
