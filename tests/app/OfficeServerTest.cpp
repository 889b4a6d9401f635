// The local central office against the console's own web-service client and a plain HTTP client:
// the lists of both script families, files in any letter case, ranges, and what it refuses.
#include "app/office/OfficeServer.h"
#include "scripts/clsCallWebService.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <httplib.h>
#include <pugixml.hpp>

#include <gtest/gtest.h>

namespace quillan::office {
namespace {

using test::readFile;
using test::writeFile;

struct Office : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<OfficeServer> server;

    Office() {
        writeFile(dir / "Master" / "SETUPDETAILS_2.xml", "<m2/>");
        writeFile(dir / "Master" / "SetupDetails_1.xml", "<m1/>");
        writeFile(dir / "Trans" / "D042_SETUPDETAILS_1.csv", "trn");
        writeFile(dir / "Trans" / "D999_SETUPDETAILS_1.csv", "other distributor");
        writeFile(dir / "Packages" / "App One.zip", "0123456789");
        OfficeSettings s;
        s.root = dir.path();
        server = std::make_unique<OfficeServer>(s);
        server->start();
    }
};

TEST_F(Office, ListsEachFamilyForTheConsolesClientAndFaultsOnAnUnknownOperation) {
    clsCallWebService ws;
    auto master = ws.GetFileNameList(server->serverPath(), "DeployService", "ListMastersFiles", "D042");
    EXPECT_TRUE(master.isList());
    EXPECT_NE(master.text.find(">SetupDetails_1.xml,SETUPDETAILS_2.xml<"), std::string::npos) << master.text;
    auto trans = ws.GetFileNameList(server->serverPath(), "DeployService", "ListTransactionFiles", "D042");
    EXPECT_TRUE(trans.isList());
    EXPECT_NE(trans.text.find(">D042_SETUPDETAILS_1.csv<"), std::string::npos) << trans.text;
    EXPECT_EQ(trans.text.find("D999"), std::string::npos) << "another distributor's scripts are not listed";

    auto fault = ws.GetFileNameList(server->serverPath(), "DeployService", "ListEverything", "D042");
    EXPECT_FALSE(fault.isList());
    EXPECT_TRUE(fault.soapFault);
    auto elsewhere = ws.GetFileNameList(server->serverPath(), "OtherService", "ListMastersFiles", "D042");
    EXPECT_EQ(elsewhere.httpStatus, 404);
}

TEST_F(Office, ServesFilesInAnyCaseWithRangesAndRefusesPathsOutOfTheFolder) {
    clsCallWebService ws;
    ws.importFiles(server->serverPath() + "packages/APP ONE.ZIP", (dir / "got.zip").string());
    EXPECT_EQ(readFile(dir / "got.zip"), "0123456789");

    httplib::Client http("127.0.0.1", server->port());
    auto tail = http.Get("/Packages/App%20One.zip", {{"Range", "bytes=6-"}});
    ASSERT_TRUE(tail);
    EXPECT_EQ(tail->status, 206);
    EXPECT_EQ(tail->body, "6789");
    EXPECT_FALSE(tail->get_header_value("ETag").empty());
    EXPECT_FALSE(tail->get_header_value("Last-Modified").empty());

    auto probe = http.Get("/Test.log");
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->status, 200);

    writeFile(dir.path().parent_path() / (dir.path().filename().string() + "-secret"), "secret");
    for (const char* path : {"/../secret", "/Packages/..%2F..%2Fsecret", "/Packages",
                             "/Packages\\App One.zip", "/C:/x", "/nothing.zip"}) {
        auto r = http.Get(path);
        ASSERT_TRUE(r) << path;
        EXPECT_EQ(r->status, 404) << path;
        EXPECT_EQ(r->body.find("secret"), std::string::npos) << path;
    }
}

TEST(OfficeLists, AnswerEscapesNamesAndAnEmptyFolderListsNothing) {
    const std::string a = listAnswer("DeployService", "ListMastersFiles", {"a&b.xml", "c.xml"});
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(a.c_str()));
    EXPECT_STREQ(doc.select_node("//*[local-name()='ListMastersFilesResult']").node().child_value(),
                 "a&b.xml,c.xml");
    OfficeSettings s;
    s.root = "/nonexistent-release";
    EXPECT_TRUE(listedScripts(s, true, "").empty());
}

} // namespace
} // namespace quillan::office
