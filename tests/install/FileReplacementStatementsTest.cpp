// The file backup and replacement phases' selections on the embedded engine.
#include "install/FileReplacementStatements.h"
#include "tests/support/EngineCatalog.h"

namespace quillan {
namespace {

using FileReplacementStatements = test::EngineCatalog;

TEST_F(FileReplacementStatements, EachSubPhaseTakesItsOwnFiles) {
    addFile("Tervik.exe", 2);
    addFile("Tervik.exe", 1); // an older version of the same program
    addFile("Sales.rpt", 2);
    addFile("Sales.RTM", 1);
    addFile("readme.txt", 1);
    addFile("Pack.zip", 1);
    addFile("Pack.tpl", 1, 0, 0, 100, 100, "TPL");
    addFile("craxdrt9.dll", 1, 0, 1, 1, 1, "DLL");
    addFile("4 fix.rpt", 1, 4); // a hotfix is never replaced here
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {supportingFilesQuery(P),
         {"Tervik.exe", "Sales.RTM", "readme.txt", "craxdrt9.dll", "Tervik.exe", "Sales.rpt"}},
        {runningProgramsQuery(P), {"Tervik.exe"}},
        {exeReplacementQuery(P), {"Tervik.exe", "Tervik.exe"}},
        {reportReplacementQuery(P), {"Sales.RTM", "Sales.rpt"}},
        {otherFilesReplacementQuery(P), {"readme.txt"}},
    };
    for (const auto& [sql, expected] : cases) {
        auto got = names(sql);
        auto want = expected;
        std::sort(got.begin(), got.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want) << sql;
    }
    // Release order: the older program is copied first, so the newer one wins.
    EXPECT_EQ(column(exeReplacementQuery(P), "VersionNo"), (std::vector<std::string>{"1", "2"}));
}

TEST_F(FileReplacementStatements, SwitchAndOtherWorkstations) {
    EXPECT_TRUE(conn->query(closeProgramsSwitchQuery(P)).eof()); // no row: nothing is closed
    conn->execute("INSERT INTO [Tervik].dbo.PexaConfiguration VALUES ('AutoConfig1', 1, 0)");
    conn->execute("INSERT INTO [Tervik].dbo.PexaConfiguration VALUES ('autoconfig2', 2, 1)");
    EXPECT_EQ(column(closeProgramsSwitchQuery(P), "Status"), std::vector<std::string>{"1"});

    EXPECT_TRUE(conn->query(otherWorkstationsQuery(P)).eof());
    conn->execute("INSERT INTO [Tervik].dbo.FN_Hostnames VALUES ('Close Tervik on PC7')");
    EXPECT_EQ(column(otherWorkstationsQuery(P), "HMessage"), std::vector<std::string>{"Close Tervik on PC7"});
}

} // namespace
} // namespace quillan
