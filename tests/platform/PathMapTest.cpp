#include "platform/PathMap.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using quillan::PathMap;
using namespace quillan::test;
namespace fs = std::filesystem;

namespace {
PathMap twoDrives() {
    return PathMap({{'C', "/srv/c"}, {'D', "/srv/d"}});
}
} // namespace

TEST(PathMapToNative, DrivesSeparatorsRootsAndParentSteps) {
    const PathMap map = twoDrives();
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Tervik\\Bin", "/srv/c/Tervik/Bin"},
        {"c:\\x", "/srv/c/x"}, // either case of the letter
        {"d:/Backup/db.zip", "/srv/d/Backup/db.zip"},
        // Repeated separators collapse, trailing ones go.
        {"C:\\\\Reports", "/srv/c/Reports"},
        {"C:\\Tervik\\\\\\Reports\\", "/srv/c/Tervik/Reports"},
        {"C:\\Tervik/\\Reports", "/srv/c/Tervik/Reports"},
        {"C:\\", "/srv/c"},
        {"C:", "/srv/c"},
        // Parent steps stop at the drive root.
        {"C:\\a\\..\\b", "/srv/c/b"},
        {"C:\\..\\..\\etc\\passwd", "/srv/c/etc/passwd"},
        {"C:\\.\\a\\.\\b", "/srv/c/a/b"},
        // Driveless texts only turn separators.
        {"\\Images\\Failed.Gif", "/Images/Failed.Gif"},
        {"Dll\\Sd.ini", "Dll/Sd.ini"},
        {"/already/native", "/already/native"},
        {"", ""},
    };
    for (const auto& [text, native] : cases)
        EXPECT_EQ(map.toNative(text), fs::path(native)) << text;
    EXPECT_EQ(PathMap().toNative("C:\\"), fs::path("/"));
    EXPECT_EQ(PathMap().toNative("C:\\Tervik\\Bin"), fs::path("/Tervik/Bin"));
}

TEST(PathMapToNative, AnUnmappedDriveCannotBeUsed) {
    const fs::path p = twoDrives().toNative("Q:\\Tervik\\x.txt");
    // Below a device file: neither readable nor creatable, even by root.
    std::error_code ec;
    EXPECT_FALSE(fs::exists(p, ec));
    EXPECT_FALSE(fs::create_directories(p.parent_path(), ec));
    EXPECT_TRUE(ec);
    EXPECT_NE(p.string().find("Q:"), std::string::npos); // the letter stays visible in messages
}

// Only a text that begins with a mapped letter and its root has a place the map vouches for: the
// others depend on the current drive or folder, or lie on the network.
TEST(PathMapOnMappedDrive, OnlyRootedTextsOfAMappedLetter) {
    const PathMap map = twoDrives();
    for (const char* text : {"C:\\Tervik", "c:/Tervik", "D:", "d:\\"})
        EXPECT_TRUE(map.onMappedDrive(text)) << text;
    for (const char* text :
         {"Q:\\Tervik", "C:Tervik", "\\tmp\\x", "/tmp/x", "\\\\host\\share\\x", "relfolder", ""})
        EXPECT_FALSE(map.onMappedDrive(text)) << text;
}

TEST(PathMapToNative, UncSharesUseTheirEntryOrStayUnc) {
    const PathMap map({{'C', "/srv/c"}}, {{"\\\\Server\\Deploy", "/mnt/deploy"}});
    EXPECT_EQ(map.toNative("\\\\server\\DEPLOY\\Rel\\a.zip"), fs::path("/mnt/deploy/Rel/a.zip"));
    EXPECT_EQ(map.toNative("\\\\server\\deploy"), fs::path("/mnt/deploy"));
    EXPECT_EQ(map.toNative("\\\\server\\deploy\\..\\..\\x"), fs::path("/mnt/deploy/x"));
    EXPECT_EQ(map.toNative("\\\\other\\share\\\\x"), fs::path("//other/share/x"));
}

TEST(PathMapToWindows, LongestDriveRootWinsOutsideEveryDriveStaysNativeAndWindowsTextsRoundTrip) {
    const PathMap map({{'C', "/"}, {'D', "/srv/d"}, {'E', "/srv/d/e"}});
    const std::pair<const char*, const char*> cases[] = {
        {"/Tervik/Bin", "C:\\Tervik\\Bin"},
        {"/srv/d/Backup", "D:\\Backup"},
        {"/srv/d/e/x/y.txt", "E:\\x\\y.txt"},
        {"/srv/dd/x", "C:\\srv\\dd\\x"}, // a name prefix is not a folder prefix
        {"/srv/d", "D:\\"},
        {"/srv/d/", "D:\\"},
        {"/", "C:\\"},
    };
    for (const auto& [native, text] : cases)
        EXPECT_EQ(map.toWindows(native), text) << native;
    EXPECT_EQ(twoDrives().toWindows("/tmp/x"), "/tmp/x");
    EXPECT_EQ(twoDrives().toWindows("relative/x"), "relative/x");
    const PathMap shares({{'C', "/srv/c"}, {'D', "/srv/d"}}, {{"\\\\srv\\share", "/mnt/s"}});
    for (const char* text : {"C:\\Tervik\\Bin\\App.exe", "D:\\UploadBackup", "C:\\", "\\\\srv\\share\\x\\y"})
        EXPECT_EQ(shares.toWindows(shares.toNative(text)), text);
}

TEST(PathMapParse, ReadsLettersColonsAndSharesAndRejectsWhatItDoesNotUnderstand) {
    const auto map = PathMap::parse(" c = /srv/c ; D:=/srv/d;\\\\srv\\share=/mnt/s", ';');
    ASSERT_TRUE(map);
    EXPECT_EQ(map->drives().at('C'), fs::path("/srv/c"));
    EXPECT_EQ(map->drives().at('D'), fs::path("/srv/d"));
    EXPECT_EQ(map->shares().at("\\\\srv\\share"), fs::path("/mnt/s"));
    for (const char* bad : {"C", "C=", "CD=/x", "C=/x;nonsense", ""})
        EXPECT_FALSE(PathMap::parse(bad, ';')) << bad;
}

TEST(PathMapLookup, EnvironmentComesFirstAndWithoutAnyEntryDriveCIsTheRoot) {
    TempDir program;
    {
        EnvGuard env("QUILLAN_DRIVES", std::nullopt);
        const PathMap map = PathMap::forProgramFolder(program.path());
        EXPECT_EQ(map.source(), "default");
        EXPECT_EQ(map.drives().size(), 1u);
        EXPECT_EQ(map.toNative("C:\\Tervik"), fs::path("/Tervik"));
    }
    writeFile(program / "quillan-drives.ini", "C=/from/file\n");
    EnvGuard env("QUILLAN_DRIVES", std::string("C=/from/env;D=/srv/d"));
    const PathMap map = PathMap::forProgramFolder(program.path());
    EXPECT_EQ(map.source(), "QUILLAN_DRIVES");
    EXPECT_EQ(map.toNative("C:\\x"), fs::path("/from/env/x"));
    EXPECT_EQ(map.toNative("d:\\y"), fs::path("/srv/d/y"));
    EXPECT_TRUE(map.warnings().empty());
}

TEST(PathMapLookup, FileInTheProgramFolderWithCommentsAndRelativeFolders) {
    TempDir program;
    writeFile(program / "quillan-drives.ini", "; the workstation's drives\r\n"
                                              "# comment\n"
                                              "\n"
                                              "C=drive-c\r\n"
                                              "  d = /srv/d  \n"
                                              "\\\\srv\\share=/mnt/s\n");
    EnvGuard env("QUILLAN_DRIVES", std::nullopt);
    const PathMap map = PathMap::forProgramFolder(program.path());
    EXPECT_EQ(map.source(), (program / "quillan-drives.ini").string());
    EXPECT_EQ(map.toNative("C:\\Tervik"), program.path() / "drive-c" / "Tervik");
    EXPECT_EQ(map.toNative("D:\\"), fs::path("/srv/d"));
    EXPECT_EQ(map.toNative("\\\\SRV\\share\\z"), fs::path("/mnt/s/z"));
    EXPECT_TRUE(map.warnings().empty());
}

TEST(PathMapLookup, BadEntriesAreReportedNotGuessedAndNeverFallBackToTheRoot) {
    TempDir program;
    writeFile(program / "quillan-drives.ini", "C=/srv/c\nthis is not an entry\nE=\n");
    EnvGuard env("QUILLAN_DRIVES", std::nullopt);
    const PathMap map = PathMap::forProgramFolder(program.path());
    EXPECT_EQ(map.drives().size(), 1u);
    EXPECT_EQ(map.warnings().size(), 2u);
    EnvGuard bad("QUILLAN_DRIVES", std::string("nonsense"));
    const PathMap none = PathMap::forProgramFolder(program.path());
    EXPECT_TRUE(none.drives().empty());
    EXPECT_FALSE(none.warnings().empty());
    EXPECT_NE(none.toNative("C:\\Tervik"), fs::path("/Tervik"));
}
