// The import's work list and the split-file reassembly's statements on the embedded engine: what
// the whole phases (ScriptImportTest, SplitPackageTest) do not show. The other statements run there.
#include "scripts/ScriptImportStatements.h"
#include "scripts/SplitPackageStatements.h"
#include "tests/support/EngineCatalog.h"

namespace quillan {
namespace {

using ScriptImportStatements = test::EngineCatalog;
using SplitPackageStatements = test::EngineCatalog;

TEST_F(ScriptImportStatements, WorkListIsClearedFirstOrdersByNameAndKeepsTheDateAlone) {
    conn->execute(scriptFileOrderInsert(P, 1, "stale.xml", {}, "XML"));
    conn->execute(clearScriptFileOrderStatement(P));
    conn->execute(scriptFileOrderInsert(P, 2, "b.xml", *DateTime::parse("2024-02-01 23:00:00"), "XML"));
    conn->execute(scriptFileOrderInsert(P, 2, "a.xml", *DateTime::parse("2024-03-01 08:00:00"), "XML"));
    conn->execute(scriptFileOrderInsert(P, 1, "c.xml", *DateTime::parse("2024-01-01"), "XML"));
    EXPECT_EQ(column(scriptFilesOfKindQuery(P, 2), "Description"),
              (std::vector<std::string>{"a.xml", "b.xml"}));
    EXPECT_EQ(column(scriptFilesOfKindQuery(P, 1), "Description"), std::vector<std::string>{"c.xml"});
    EXPECT_EQ(column("SELECT LastModifyDate FROM [Tervik].dbo.DEPLOY_FILE_ORDER WHERE Description = 'b.xml'",
                     "LastModifyDate"),
              std::vector<std::string>{"2024-02-01"}); // the date alone
    EXPECT_TRUE(conn->query(recordedReleaseQuery(P)).eof());
}

TEST_F(SplitPackageStatements, RebuiltPackageReplacesItsRowAndIsUnpackedLikeAnyZip) {
    addFile("Big.tpl", 7, 0, 0, 10, 10, "TPL", 1, 1);
    addFile("Half.tpl", 7, 0, 0, 10, 5, "TPL", 1, 1); // not downloaded completely
    addFile("Big.zip", 3, 0, 2, 0, 0, "ZIP");         // left by an earlier run
    addFile("Small.zip", 6);
    EXPECT_EQ(names(downloadedPackagesQuery(P)), (std::vector<std::string>{"Small.zip", "Big.tpl"}));
    auto tpl = conn->query(templatesQuery(P));
    ASSERT_EQ(tpl.recordCount(), 1u);
    conn->execute(joinedPackageDelete(P, "Big.zip"));
    conn->execute(joinedPackageInsert(P, "Big.zip", tpl.field("VersionNo").asInt()));
    auto rs = conn->query("Select * from [Tervik].dbo.SetupDetails where File_Names = 'Big.zip'");
    ASSERT_EQ(rs.recordCount(), 1u);
    EXPECT_EQ(rs.field("VersionNo").asInt(), 7);
    EXPECT_EQ(rs.field("RegRequired").asInt(), 2);
    EXPECT_EQ(rs.field("File_Path").asText(), "App.Path");
    EXPECT_LE(std::abs(rs.field("File_CrDate").asDate().serialSeconds() - DateTime::now().serialSeconds()),
              5);
}

} // namespace
} // namespace quillan
