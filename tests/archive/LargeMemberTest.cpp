// Sizes beyond 4 GB. Writing such an archive takes a minute, so the 64-bit path is checked with a
// hand-made Zip64 archive whose directory announces a 5 GB member backed by a few bytes of data:
// the listing must carry the 64-bit size, and extraction must refuse the inconsistent member
// instead of writing a short file under its name.
#include "TestFiles.h"
#include "archive/Unzip.h"

#include <gtest/gtest.h>

namespace quillan {
namespace {

using namespace quillan::testing;

void put(std::string& s, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xff);
}

// One deflated member "huge.bak" whose Zip64 fields claim `size` bytes; the data is an empty
// final deflate block.
std::string zip64Archive(std::uint64_t size) {
    const std::string name = "huge.bak";
    const std::string data("\x03\x00", 2);
    std::string extra;
    put(extra, 0x0001, 2);
    put(extra, 16, 2);
    put(extra, size, 8);
    put(extra, data.size(), 8);

    std::string out;
    put(out, 0x04034b50, 4);
    put(out, 45, 2); // version needed: Zip64
    put(out, 0, 2);
    put(out, 8, 2); // deflate
    put(out, 0x6000, 2);
    put(out, 0x5865, 2);
    put(out, 0, 4); // CRC
    put(out, 0xffffffff, 4);
    put(out, 0xffffffff, 4);
    put(out, name.size(), 2);
    put(out, extra.size(), 2);
    out += name + extra + data;

    std::string central;
    put(central, 0x02014b50, 4);
    put(central, 45, 2);
    put(central, 45, 2);
    put(central, 0, 2);
    put(central, 8, 2);
    put(central, 0x6000, 2);
    put(central, 0x5865, 2);
    put(central, 0, 4);
    put(central, 0xffffffff, 4);
    put(central, 0xffffffff, 4);
    put(central, name.size(), 2);
    put(central, extra.size(), 2);
    put(central, 0, 2); // comment
    put(central, 0, 2); // disk
    put(central, 0, 2); // internal attributes
    put(central, 0, 4); // external attributes
    put(central, 0, 4); // local header offset
    central += name + extra;

    std::uint64_t centralOffset = out.size();
    out += central;
    put(out, 0x06054b50, 4);
    put(out, 0, 2);
    put(out, 0, 2);
    put(out, 1, 2);
    put(out, 1, 2);
    put(out, central.size(), 4);
    put(out, centralOffset, 4);
    put(out, 0, 2);
    return out;
}

TEST(LargeMember, SizesAboveFourGigabytesAreListedExactly) {
    TempDir t;
    const std::uint64_t fiveGB = 5'000'000'000ULL;
    writeFile(t / "big.zip", zip64Archive(fiveGB));
    cUnzip u;
    u.ZipFile(t / "big.zip");
    u.Directory();
    ASSERT_EQ(u.FileCount(), 1);
    EXPECT_EQ(u.Filename(1), "huge.bak");
    EXPECT_EQ(u.FileSize(1), fiveGB);
    EXPECT_EQ(u.FilePackedSize(1), 2u);
}

TEST(LargeMember, AMemberShorterThanItsDirectorySaysIsRefused) {
    TempDir t;
    writeFile(t / "big.zip", zip64Archive(5'000'000'000ULL));
    cUnzip u;
    u.ZipFile(t / "big.zip");
    u.OverwriteExisting(true);
    u.UnzipFolder(t / "out");
    EXPECT_THROW(u.Unzip(), ArchiveError);
    EXPECT_TRUE(std::filesystem::is_empty(t / "out"));
}

} // namespace
} // namespace quillan
