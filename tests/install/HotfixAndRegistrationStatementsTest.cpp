// The hotfix runner's and the component registration's statements on the embedded engine.
#include "install/HotfixStatements.h"
#include "install/RegistrationStatements.h"
#include "tests/support/EngineCatalog.h"

namespace quillan {
namespace {

using HotfixStatements = test::EngineCatalog;
using RegistrationStatements = test::EngineCatalog;

TEST_F(HotfixStatements, LogLookupRunsOnTheDatabaseItself) {
    db::EmbeddedOptions o;
    o.dataFolder = dir / "Data";
    o.currentDatabase = "Tervik"; // the runner's connection uses the application database
    auto inDb = db::openEmbeddedConnection(o);
    conn->execute("INSERT INTO [Tervik].dbo.HotFixLog VALUES (12)");
    EXPECT_FALSE(inDb->query(hotfixLogLookup(12)).eof());
    EXPECT_TRUE(inDb->query(hotfixLogLookup(13)).eof());
    EXPECT_TRUE(inDb->query(hotfixLogLookup(12.5)).eof());
}

TEST_F(RegistrationStatements, SwitchAndComponents) {
    EXPECT_TRUE(conn->query(registrationSwitchQuery(P)).eof());
    conn->execute("INSERT INTO [Tervik].dbo.PexaConfiguration VALUES ('AutoConfig2', 2, 1)");
    EXPECT_TRUE(conn->query(registrationSwitchQuery(P)).eof()); // the other switch does not count
    conn->execute("INSERT INTO [Tervik].dbo.PexaConfiguration VALUES ('AutoConfig1', 1, 0)");
    EXPECT_EQ(column(registrationSwitchQuery(P), "Status"), std::vector<std::string>{"0"});

    addFile("craxdrt9.dll", 2, 0, 1, 1, 1, "DLL");
    addFile("grid.ocx", 1, 0, 1, 1, 1, "OCX");
    addFile("plain.dll", 1, 0, 0, 1, 1, "DLL");
    addFile("5 fix.dll", 1, 5, 1, 1, 1, "DLL");
    EXPECT_EQ(names(componentsQuery(P)), (std::vector<std::string>{"grid.ocx", "craxdrt9.dll"}));
}

} // namespace
} // namespace quillan
