// Split packages: the template format read and written, the pieces joined, and the rebuilt
// archive recorded in SetupDetails on the embedded engine.
#include "scripts/SplitPackage.h"
#include "scripts/TplTemplate.h"
#include "tests/support/ReleaseFolders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

namespace quillan {
namespace {

namespace fs = std::filesystem;

struct SplitPackageTest : ::testing::Test, test::ReleaseFolders {
    std::string archive = std::string(2500, 'a') + std::string(2500, 'b') + "end";
    // The archive published as "D:\Release\<zip>" in pieces of 1000 bytes from `first`.
    tpl::Template publish(const std::string& tplName, const std::string& zip, int first = 1) {
        test::writeFile(staging / zip, archive);
        return tpl::splitPackage(staging / zip, update, tplName, "D:\\Release\\" + zip, 1000, first);
    }
    std::vector<std::string> rowsNamed(const std::string& name) {
        std::vector<std::string> out;
        for (auto rs =
                 db->query("SELECT RegRequired, VersionNo, File_Path FROM [Tervik].dbo.SetupDetails WHERE "
                           "File_Names = " +
                           db::sqlQuote(name));
             !rs.eof(); rs.moveNext())
            out.push_back(rs.field("RegRequired").asText() + " " + rs.field("VersionNo").asText() + " " +
                          rs.field("File_Path").asText());
        return out;
    }
};

TEST_F(SplitPackageTest, TemplateRoundTripsAndPiecesAreNumberedFromTheFirst) {
    const auto t = publish("Big.tpl", "Big.zip", 9);
    const auto back = tpl::readTemplate(update / "Big.tpl");
    EXPECT_EQ(back.recordedPath, "D:\\Release\\Big.zip");
    EXPECT_EQ(back.pieceCount, 6);
    EXPECT_EQ(back.firstPiece, 9);
    EXPECT_EQ(back.pieceSize, 1000u);
    for (const char* piece : {"Big.zip.009", "Big.zip.010", "Big.zip.014"})
        EXPECT_TRUE(fs::exists(update / piece)) << piece;
    EXPECT_EQ(tpl::pieceFileName("x", 1234), "x.1234");

    // An older, longer archive of the same name keeps none of its bytes.
    test::writeFile(update / "Big.zip", std::string(9000, 'z'));
    EXPECT_EQ(tpl::joinPieces(t, update, update / "Big.zip"), archive.size());
    EXPECT_EQ(test::readFile(update / "Big.zip"), archive);
    EXPECT_FALSE(fs::exists(tpl::joiningTemporaryFor(update / "Big.zip")));
}

// Every damage fails the join with its reason and leaves neither the archive nor a temporary file.
TEST_F(SplitPackageTest, DamagedTemplatesAndPiecesFailTheJoinAndLeaveNoFile) {
    struct Case {
        const char* name;
        std::function<void(const fs::path& tplFile)> damage;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"no pieces",
         [](const fs::path& f) {
             auto t = tpl::readTemplate(f);
             t.pieceCount = 0;
             tpl::writeTemplate(f, t);
         },
         "piece count 0"},
        {"negative count",
         [](const fs::path& f) {
             auto t = tpl::readTemplate(f);
             t.pieceCount = -2;
             tpl::writeTemplate(f, t);
         },
         "piece count -2"},
        {"cut template", [](const fs::path& f) { fs::resize_file(f, 30); }, "past the end"},
        {"path past the end",
         [](const fs::path& f) {
             auto b = test::readFile(f);
             b[b.find("D:") - 2] = '\x7f';
             test::writeFile(f, b);
         },
         "past the end"},
        {"missing piece", [this](const fs::path&) { fs::remove(update / "Big.zip.003"); },
         "Big.zip.003 not found"},
        {"short piece", [this](const fs::path&) { fs::resize_file(update / "Big.zip.002", 500); },
         "Big.zip.002 is short"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        publish("Big.tpl", "Big.zip");
        k.damage(update / "Big.tpl");
        EXPECT_THAT(
            [&] { tpl::joinPieces(tpl::readTemplate(update / "Big.tpl"), update, update / "Big.zip"); },
            ThrowsMessage<tpl::TplError>(HasSubstr(k.reason)));
        EXPECT_FALSE(fs::exists(update / "Big.zip"));
        EXPECT_FALSE(fs::exists(tpl::joiningTemporaryFor(update / "Big.zip")));
    }
}

TEST_F(SplitPackageTest, RestoreRecordsEachRebuiltArchiveOnceEvenWithAnApostrophe) {
    publish("O'Brien.tpl", "O'Brien.zip");
    addPackage("O'Brien.tpl", 3, 1, 1, "TPL", 1);
    addPackage("O'Brien.zip", 1, 0, 0, "ZIP", 0, 2); // an earlier run's row
    SplitFileInfo last;
    ASSERT_TRUE(RestoreZipFile(c, &last)) << log();
    ASSERT_TRUE(RestoreZipFile(c, &last));
    EXPECT_EQ(test::readFile(update / "O'Brien.zip"), archive);
    EXPECT_EQ(rowsNamed("O'Brien.zip"), std::vector<std::string>{"2 3 App.Path"});
    EXPECT_EQ(last.splitFileName, "O'Brien.zip");
    EXPECT_EQ(last.splitFileFolder, "D:\\Release\\");
    EXPECT_EQ(last.splitFileExt, "zip");
}

TEST_F(SplitPackageTest, RestoreRefusesMissingFilesAndNamesThatLeaveTheFolder) {
    EXPECT_FALSE(RestoreZipFile(c));
    EXPECT_TRUE(logged(">>Downloaded File Missing"));

    test::writeFile(update / "Plain.zip", "p");
    addPackage("Plain.zip", 1, 1, 1);
    EXPECT_FALSE(RestoreZipFile(c));
    EXPECT_TRUE(logged(">>Template File Missing"));

    test::writeFile(staging / "x.zip", archive);
    tpl::splitPackage(staging / "x.zip", update, "Evil.tpl", "D:\\Release\\..", 1000);
    addPackage("Evil.tpl", 2, 1, 1, "TPL", 1);
    EXPECT_FALSE(RestoreZipFile(c));
    EXPECT_TRUE(logged("names no plain file: D:\\Release\\.. In RestoreZipFile"));
    ASSERT_FALSE(op.informed.empty());
    EXPECT_NE(op.informed.back().find(" In RestoreZipFile"), std::string::npos);
    EXPECT_EQ(rowsNamed(".."), std::vector<std::string>{});
}

TEST_F(SplitPackageTest, FailedJoinLeavesNoRowAndNoFile) {
    publish("Big.tpl", "Big.zip");
    addPackage("Big.tpl", 2, 1, 1, "TPL", 1);
    fs::remove(update / "Big.zip.002");
    EXPECT_FALSE(RestoreZipFile(c));
    EXPECT_TRUE(logged("Piece Big.zip.002 not found In RestoreZipFile"));
    EXPECT_EQ(rowsNamed("Big.zip"), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(update / "Big.zip"));

    // A file-system failure names the file it failed on (a folder stands where the join goes).
    publish("Big.tpl", "Big.zip");
    fs::create_directory(update / "Big.zip");
    EXPECT_FALSE(RestoreZipFile(c));
    EXPECT_TRUE(logged(">>-Joining Big.zip from Big.tpl failed: ")) << c.log.readAll();
    EXPECT_EQ(rowsNamed("Big.zip"), std::vector<std::string>{});
}

TEST(PathParts, BeforeAndAfterTheLastDelimiter) {
    EXPECT_EQ(PathPart("D:\\Rel\\App.zip", false, "\\"), "App.zip");
    EXPECT_EQ(PathPart("D:\\Rel\\App.zip", true, "\\"), "D:\\Rel");
    EXPECT_EQ(PathPart("App", false, "."), "");
    EXPECT_EQ(ParentFolder("D:\\Rel\\App.zip"), "D:\\Rel\\");
    EXPECT_EQ(ParentFolder("App.zip"), "");
}

} // namespace
} // namespace quillan
