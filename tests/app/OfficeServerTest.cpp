// The local central office against the console's own web-service client and a plain HTTP client:
// the lists of both script families, files in any letter case, ranges, and what it refuses.
#include "app/office/OfficeServer.h"
#include "scripts/clsCallWebService.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <httplib.h>
#include <pugixml.hpp>

#include <gtest/gtest.h>

#include <chrono>

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
    // An empty file is an answer of length 0, which a client that wants a delimited body accepts.
    writeFile(dir / "Packages" / "Empty.txt", "");
    EXPECT_NO_THROW(ws.importFiles(server->serverPath() + "Packages/Empty.txt", (dir / "got.txt").string()));
    EXPECT_TRUE(std::filesystem::exists(dir / "got.txt"));
    EXPECT_EQ(readFile(dir / "got.txt"), "");

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

// Each fault against a plain client: what arrives before the break, and that a resume from the
// break is served whole (the next run of the console resumes there).
TEST(OfficeFaults, MissingDropAndStallBreakTheNamedFileOnlyAndAResumeIsServedWhole) {
    using Kind = OfficeFault::Kind;
    struct Case {
        Kind kind;
        int wholeStatus; // -1: the answer breaks off
        std::string received;
    };
    const Case cases[] = {
        {Kind::Missing, 404, "Not found"}, {Kind::Drop, -1, "0123"}, {Kind::Stall, -1, "0123"}};
    for (const auto& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.kind));
        test::TempDir dir;
        writeFile(dir / "Packages" / "App One.zip", "0123456789");
        writeFile(dir / "Packages" / "Other.zip", "abcdefghij");
        OfficeSettings s;
        s.root = dir.path();
        s.faults.push_back({k.kind, "APP ONE.ZIP", 4});
        OfficeServer server(s);
        server.start();

        httplib::Client http("127.0.0.1", server.port());
        http.set_read_timeout(1, 0);
        std::string body;
        int status = -1;
        auto r = http.Get(
            "/Packages/App%20One.zip",
            [&](const httplib::Response& res) { return status = res.status, true; },
            [&](const char* data, std::size_t n) { return body.append(data, n), true; });
        EXPECT_EQ(r ? r->status : -1, k.wholeStatus);
        EXPECT_EQ(body, k.received);

        auto other = http.Get("/Packages/Other.zip");
        ASSERT_TRUE(other);
        EXPECT_EQ(other->body, "abcdefghij") << "another file is served as it is";
        if (k.kind != Kind::Missing) {
            EXPECT_EQ(status, 200);
            auto rest = http.Get("/Packages/App%20One.zip", {{"Range", "bytes=4-"}});
            ASSERT_TRUE(rest);
            EXPECT_EQ(rest->status, 206);
            EXPECT_EQ(rest->body, "456789");
        }
        const auto before = std::chrono::steady_clock::now();
        server.stop();
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3))
            << "a stalled answer does not hold the office";
    }
}

TEST(OfficeFaults, CommandLineTextsAreReadOrRefused) {
    using Kind = OfficeFault::Kind;
    const auto drop = parseFault(Kind::Drop, "App=One.zip=1024");
    ASSERT_TRUE(drop);
    EXPECT_EQ(drop->file, "App=One.zip");
    EXPECT_EQ(drop->atByte, 1024u);
    EXPECT_EQ(parseFault(Kind::Missing, "a.zip")->file, "a.zip");
    for (const char* bad : {"a.zip", "=3", "a.zip=", "a.zip=x", "a.zip=-1", "a.zip=3k"})
        EXPECT_FALSE(parseFault(Kind::Stall, bad)) << bad;
    EXPECT_FALSE(parseFault(Kind::Missing, ""));
}

TEST(OfficeLists, AnswerEscapesNamesAndAnEmptyFolderListsNothing) {
    test::TempDir dir;
    OfficeSettings office;
    office.root = dir.path();
    for (const char* name : {"SETUPDETAILS_000008.xml", "SETUPDETAILS_000008.xml.manifest"})
        test::writeFile(dir.path() / office.masterFolder / name, "x");
    EXPECT_EQ(listedScripts(office, true, ""), std::vector<std::string>{"SETUPDETAILS_000008.xml"})
        << "a manifest is fetched beside its script, never listed as one";

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
