// The unpacking phase's statements on the embedded engine.
#include "install/UnpackingStatements.h"
#include "tests/support/EngineCatalog.h"

namespace quillan {
namespace {

using UnpackingStatements = test::EngineCatalog;

TEST_F(UnpackingStatements, PackagesAreTheJoinedOnesOrTheOrdinaryOnesInReleaseOrder) {
    addFile("New.zip", 3);
    addFile("Old.zip", 1);
    addFile("Big.zip", 2, 0, 2);
    addFile("Big.tpl", 2, 0, 0, 100, 100, "TPL");
    addFile("Tervik.exe", 2);
    addFile("7 fix.zip", 2, 7); // a hotfix is never a package
    EXPECT_EQ(names(unpackPackagesQuery(P)), (std::vector<std::string>{"Old.zip", "New.zip"}));
    // A piece of a split package (FileSplitStatus 1) is no archive of its own.
    addFile("Big.zip.001", 2, 0, 0, 100, 100, "ZIP", 1, 1);
    EXPECT_EQ(names(joinedPackagesQuery(P)), (std::vector<std::string>{"Old.zip", "Big.zip", "New.zip"}));
    EXPECT_EQ(names(plainFilesQuery(P)), std::vector<std::string>{"Tervik.exe"});
    // Rebuilt archives come in release order too: a member of the newer one must win.
    addFile("Newer.zip", 5, 0, 2);
    addFile("Older.zip", 0, 0, 2);
    EXPECT_EQ(names(joinedPackagesQuery(P)),
              (std::vector<std::string>{"Older.zip", "Old.zip", "Big.zip", "New.zip", "Newer.zip"}));
}

TEST_F(UnpackingStatements, UnzipTimeIsReadBackAsTheSameDate) {
    addFile("Tervik.exe", 3);
    addFile("Other.exe", 3);
    conn->execute(unzipTimeUpdate(P, *DateTime::parse("2024-03-05 14:07:09"), "TERVIK.EXE"));
    auto rs = conn->query("Select isnull(File_UnZipDate,File_CrDate) as File_UnZipDate from " + P +
                          ".dbo.SetupDetails order by File_Names");
    ASSERT_EQ(rs.recordCount(), 2u);
    EXPECT_EQ(rs.field("File_UnZipDate").asDate().iso(), "2024-03-01 10:00:00"); // Other.exe, never unpacked
    rs.moveNext();
    EXPECT_EQ(rs.field("File_UnZipDate").asDate().iso(), "2024-03-05 14:07:09");
    // A time that could not be read is the zero date.
    conn->execute(unzipTimeUpdate(P, DateTime{}, "Other.exe"));
    EXPECT_EQ(column("Select File_UnZipDate from " + P + ".dbo.SetupDetails where File_Names='Other.exe'",
                     "File_UnZipDate"),
              std::vector<std::string>{"1899-12-30 00:00:00"});
}

} // namespace
} // namespace quillan
