#include "console/ConnectionSettings.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace quillan;

TEST(ConnectionString, TakesCatalogServerUserAndPasswordAndConnectsToMaster) {
    const auto s = parseConnectionString(
        "Provider=SQLOLEDB.1;Password=Secret;Persist Security Info=True;User ID=sa;Initial Catalog=Tervik;"
        "Data Source=SRV01\\SQL2005");
    EXPECT_EQ(s.dbName, "Tervik");
    EXPECT_EQ(s.dbPrefix, "[Tervik]");
    EXPECT_EQ(s.dbServer, "SRV01\\SQL2005");
    EXPECT_EQ(s.dbUser, "sa");
    EXPECT_EQ(s.dbPassword, "Secret");
    EXPECT_EQ(s.connString, "Provider=SQLOLEDB.1;Password=Secret;Persist Security Info=True;User ID=sa;"
                            "Initial Catalog=MASTER;Data Source=SRV01\\SQL2005");
}

TEST(ConnectionString, CatalogNameIsReplacedEverywhereCaseSensitively) {
    // The replacement is global: the server name containing the catalog name changes too, while
    // the same letters in another case stay.
    const auto s = parseConnectionString("Data Source=TervikSrv;Initial Catalog=Tervik;User ID=tervik;");
    EXPECT_EQ(s.connString, "Data Source=MASTERSrv;Initial Catalog=MASTER;User ID=tervik;");
    EXPECT_EQ(s.dbServer, "MASTERSrv");
    EXPECT_EQ(s.dbName, "Tervik");
}

TEST(ConnectionString, MissingCatalogOrSemicolonIsAnErrorAnEmptyOneLeavesTheStringAlone) {
    EXPECT_THROW(parseConnectionString("Data Source=x;User ID=sa;"), std::runtime_error);
    EXPECT_THROW(parseConnectionString("Data Source=x;Initial Catalog=Tervik"), std::runtime_error);
    EXPECT_THROW(parseConnectionString("Data Source=x;Initial Catalog;"), std::runtime_error);
    const auto s = parseConnectionString("Initial Catalog=;Data Source=x;");
    EXPECT_EQ(s.dbName, "");
    EXPECT_EQ(s.connString, "Initial Catalog=;Data Source=x;");
}

TEST(ConnectionString, KeysIgnoreCaseAndInsideAnElementTakeTheTextBehindThem) {
    // Values keep their case; a blank before the key must not shift the value into the key's own
    // letters; a further "=" belongs to the value; PWD counts only when Password is absent or blank.
    struct Case {
        const char* line;
        const char* server;
        const char* user;
        const char* password;
    };
    const Case cases[] = {
        {"initial catalog=T;data source=(local);user id=Admin;password=MiXeD;", "(local)", "Admin", "MiXeD"},
        {"Initial Catalog=T; Data Source=SRV;", "SRV", "", ""},
        {"Initial Catalog=T; Data Source=(local); User ID=sa;\tPassword=pa=ss;", "(local)", "sa", "pa=ss"},
        {"Initial Catalog=T;  data source=h,1433;Password==x=;", "h,1433", "", "=x="},
        {"Initial Catalog=T; Password= ; PWD=pa=ss", "", "", "pa=ss"},
        {"Initial Catalog=T;Data Source=x;UID=sa;PWD=fromPwd;", "x", "", "fromPwd"},
        {"Initial Catalog=T;PWD=fromPwd;Password=fromPassword;", "", "", "fromPassword"},
    };
    for (const auto& c : cases) {
        const auto s = parseConnectionString(c.line);
        EXPECT_EQ(s.dbServer, c.server) << c.line;
        EXPECT_EQ(s.dbUser, c.user) << c.line;
        EXPECT_EQ(s.dbPassword, c.password) << c.line;
    }
}

TEST(ConnectionString, CatalogPrefixDoublesAClosingBracket) {
    const std::pair<const char*, const char*> cases[] = {
        {"Initial Catalog=Tervik;", "[Tervik]"},
        {"Initial Catalog=a]b;", "[a]]b]"},
        {"Initial Catalog=x].dbo.T DROP TABLE [y;", "[x]].dbo.T DROP TABLE [y]"},
    };
    for (const auto& [line, prefix] : cases)
        EXPECT_EQ(parseConnectionString(line).dbPrefix, prefix) << line;
}

TEST(SettingsFile, DriveRootHasNoDoubledSeparator) {
    EXPECT_EQ(settingsFilePath("C:\\"), "C:\\Dll\\Sd.ini");
    EXPECT_EQ(settingsFilePath("C:\\Tervik"), "C:\\Tervik\\Dll\\Sd.ini");
    EXPECT_EQ(joinWindows("C:\\", "\\Images\\New.Gif"), "C:\\Images\\New.Gif");
    EXPECT_EQ(joinWindows("C:\\Tervik", "\\DEPLOY IN"), "C:\\Tervik\\DEPLOY IN");
}

TEST(LocalServer, LocalNamesDotAndThisMachineWithInstanceAreLocalOtherMachinesNot) {
    for (const char* server : {"(local)", "(LOCAL)", ".", "qbox"})
        EXPECT_TRUE(localServerTest("QBOX", server).isLocalServer) << server;
    for (const char* server : {"CENTRAL", "CENTRAL\\QBOX", "QBOX2"})
        EXPECT_FALSE(localServerTest("QBOX", server).isLocalServer) << server;
    const auto withInstance = localServerTest("QBOX", "qBox\\SqlExpress");
    EXPECT_TRUE(withInstance.isLocalServer);
    EXPECT_EQ(withInstance.computerName, "QBOX\\SQLEXPRESS");
    EXPECT_EQ(localServerTest("QBOX", "CENTRAL").computerName, "QBOX");
}
