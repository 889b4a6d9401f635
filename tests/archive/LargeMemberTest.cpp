// Sizes beyond 4 GB. Writing such an archive takes a minute, so the 64-bit path is checked with a
// hand-made Zip64 archive whose directory announces a 5 GB member backed by a few bytes of data:
// the listing must carry the 64-bit size, and extraction must refuse the inconsistent member
// instead of writing a short file under its name.
#include "CraftedZip.h"
#include "TestFiles.h"
#include "archive/Unzip.h"

#include <gtest/gtest.h>

namespace quillan {
namespace {

using namespace quillan::test;

// One deflated member "huge.bak" whose Zip64 fields claim `size` bytes backed by an empty block.
std::string zip64Archive(std::uint64_t size) {
    return craftedArchive({{"huge.bak", std::string("\x03\x00", 2), 8, size}});
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
