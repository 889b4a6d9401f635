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

// Appends each (value, width) pair little-endian.
void put(std::string& s, std::initializer_list<std::pair<std::uint64_t, int>> fields) {
    for (const auto& [v, bytes] : fields)
        for (int i = 0; i < bytes; ++i)
            s += static_cast<char>((v >> (8 * i)) & 0xff);
}

// One deflated member "huge.bak" whose Zip64 fields claim `size` bytes; the data is an empty
// final deflate block. Version 45 (Zip64), method 8 (deflate), sizes 0xffffffff: see the extra field.
std::string zip64Archive(std::uint64_t size) {
    const std::string name = "huge.bak";
    const std::string data("\x03\x00", 2);
    std::string extra;
    put(extra, {{0x0001, 2}, {16, 2}, {size, 8}, {data.size(), 8}});
    const std::pair<std::uint64_t, int> common[] = {{0, 2},          {8, 2},           {0x6000, 2},
                                                    {0x5865, 2},     {0, 4},           {0xffffffff, 4},
                                                    {0xffffffff, 4}, {name.size(), 2}, {extra.size(), 2}};
    std::string out;
    put(out, {{0x04034b50, 4}, {45, 2}});
    for (const auto& f : common)
        put(out, {f});
    out += name + extra + data;

    std::string central;
    put(central, {{0x02014b50, 4}, {45, 2}, {45, 2}});
    for (const auto& f : common)
        put(central, {f});
    put(central, {{0, 2}, {0, 2}, {0, 2}, {0, 4}, {0, 4}}); // comment, disk, attributes, local offset
    central += name + extra;

    const std::uint64_t centralOffset = out.size();
    out += central;
    put(out,
        {{0x06054b50, 4}, {0, 2}, {0, 2}, {1, 2}, {1, 2}, {central.size(), 4}, {centralOffset, 4}, {0, 2}});
    return out;
}

TEST(LargeMember, SizesAboveFourGigabytesAreListedAndAShortMemberIsRefused) {
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
    // Extraction must refuse the member shorter than its directory says, leaving no short file.
    cUnzip x;
    x.ZipFile(t / "big.zip");
    x.OverwriteExisting(true);
    x.UnzipFolder(t / "out");
    EXPECT_THROW(x.Unzip(), ArchiveError);
    EXPECT_TRUE(std::filesystem::is_empty(t / "out"));
}

} // namespace
} // namespace quillan
