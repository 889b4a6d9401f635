// Archives built to do harm: members sharing their data (a small file that unpacks to many times
// its size), sizes beyond any disk, and names that collide with files or folders on the way out.
// Each must fail with the archive's own error before a byte lands under a member's name.
#include "CraftedZip.h"
#include "TestFiles.h"
#include "archive/Unzip.h"

#include <gtest/gtest.h>

namespace quillan {
namespace {

using namespace quillan::test;

// Unzips and returns the failure text; fails the test when nothing is raised.
std::string unzipFailure(const std::filesystem::path& archive, const std::filesystem::path& folder,
                         bool folderNames = false) {
    cUnzip u;
    u.ZipFile(archive);
    u.OverwriteExisting(true);
    u.UseFolderNames(folderNames);
    u.UnzipFolder(folder);
    try {
        u.Unzip();
    } catch (const ArchiveError& e) {
        return e.what();
    }
    ADD_FAILURE() << "no ArchiveError for " << archive;
    return {};
}

TEST(CraftedArchive, MembersSharingTheirDataAreRefusedBeforeAnythingIsWritten) {
    const CraftedMember shared{"shared.bin", randomBytes(1000, 3)};
    std::vector<CraftedEntry> manyAtOne;
    for (int i = 1; i <= 20; ++i)
        manyAtOne.push_back({{"copy" + std::to_string(i) + ".bin", shared.data}, 0});

    // A member whose stored data is itself the local record of a second one.
    const CraftedMember inner{"inner.txt", std::string(100, 'i')};
    const CraftedMember outer{"outer.bin", inner.local()};
    const std::uint64_t innerAt = 30 + outer.name.size();

    const std::pair<std::string, std::string> cases[] = {
        {"many.zip", craftedArchive(shared.local(), manyAtOne)},
        {"nested.zip", craftedArchive(outer.local(), {{outer, 0}, {inner, innerAt}})},
    };
    for (const auto& [name, bytes] : cases) {
        TempDir t;
        writeFile(t / name, bytes);
        std::string why = unzipFailure(t / name, t / "out");
        EXPECT_NE(why.find(name), std::string::npos) << why;
        EXPECT_NE(why.find("overlap"), std::string::npos) << why;
        EXPECT_EQ(listing(t / "out"), std::vector<std::string>{}) << name;
    }
    // The same members laid out one after the other extract as usual.
    TempDir t;
    writeFile(t / "fine.zip", craftedArchive({shared, inner}));
    cUnzip u;
    u.ZipFile(t / "fine.zip");
    u.UnzipFolder(t / "out");
    ASSERT_TRUE(u.Unzip());
    EXPECT_EQ(readFile(t / "out/shared.bin"), shared.data);
    EXPECT_EQ(readFile(t / "out/inner.txt"), inner.data);
}

TEST(CraftedArchive, DeclaredSizesBeyondTheFreeSpaceExtractNothing) {
    TempDir t;
    const std::uint64_t exabyte = 1ULL << 60; // more than any disk holds
    writeFile(t / "big.zip",
              craftedArchive({{"good.txt", "fine"}, {"huge.bak", std::string("\x03\x00", 2), 8, exabyte}}));
    std::string why = unzipFailure(t / "big.zip", t / "out");
    EXPECT_NE(why.find("big.zip"), std::string::npos) << why;
    EXPECT_NE(why.find("bytes free"), std::string::npos) << why;
    EXPECT_EQ(listing(t / "out"), std::vector<std::string>{});
}

TEST(CraftedArchive, PathsCollidingWithFilesOrFoldersRaiseTheArchiveError) {
    struct Case {
        const char* what;
        std::vector<RawMember> members;
        bool folderNames;
        const char* folderBefore; // made in the target before extracting ("" none)
        const char* failing;      // the member named in the failure
    };
    const Case cases[] = {
        {"file then file below it", {{"d", "file d"}, {"d/x", "x"}}, true, "", "d/x"},
        {"file then folder entry", {{"d", "file d"}, {"d/", ""}}, true, "", "d/"},
        {"folder then file of its name", {{"d/x", "x"}, {"d", "file d"}}, true, "", "d"},
        {"flat member onto a folder", {{"sub/x", "x"}}, false, "x", "sub/x"},
    };
    for (const Case& c : cases) {
        TempDir t;
        writeRawArchive(t / "p.zip", c.members);
        if (*c.folderBefore != '\0')
            std::filesystem::create_directories(t / "out" / c.folderBefore);
        std::string why = unzipFailure(t / "p.zip", t / "out", c.folderNames);
        EXPECT_NE(why.find(std::string("'") + c.failing + "'"), std::string::npos) << c.what << ": " << why;
        EXPECT_NE(why.find("p.zip"), std::string::npos) << c.what << ": " << why;
        for (const std::string& name : listing(t / "out"))
            EXPECT_EQ(name.find("~qz"), std::string::npos) << c.what << ": half file " << name;
    }
}

} // namespace
} // namespace quillan
