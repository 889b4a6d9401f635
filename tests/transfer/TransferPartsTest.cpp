// The pieces under the transports: the error table, libcurl's failures on it, name checks,
// wildcard matching, size texts, partial files.
#include "tests/transfer/TransferTestSupport.h"

#include "transfer/ByteSizeText.h"
#include "transfer/CurlHttpClient.h"
#include "transfer/InternetError.h"
#include "transfer/PartialFile.h"
#include "transfer/RemoteName.h"
#include "transfer/UrlEncoding.h"

#include <curl/curl.h>

using namespace quillan;
using namespace quillan::transfer;
using namespace quillan::test;

// The table's texts are the log's words: two of them join their halves without a blank (or with a
// trailing one) as the console always wrote them; unknown codes have none of their own.
TEST(InternetErrorTextTest, TableTextsAndLibcurlFailuresOnTheTable) {
    const std::pair<long, const char*> texts[] = {
        {12033, "Error details not available."},
        {99, "Error details not available."},
        {12013, "Request to connect and login to an FTP server could not"
                "be completed because the supplied user name is incorrect."},
        {12014, "Request to connect and login to an FTP server could not be completed "
                "because the supplied password is incorrect. "},
        {12003, "Extended error returned from server."},
    };
    for (const auto& [code, text] : texts)
        EXPECT_EQ(InternetErrorText(code), text) << code;
    EXPECT_EQ(InternetErrorText(12003, "550 No such file"), "550 No such file");
    const std::pair<CURLcode, long> codes[] = {
        {CURLE_COULDNT_CONNECT, 12029},      {CURLE_COULDNT_RESOLVE_HOST, 12007},
        {CURLE_OPERATION_TIMEDOUT, 12002},   {CURLE_LOGIN_DENIED, 12015},
        {CURLE_ABORTED_BY_CALLBACK, 12017},  {CURLE_PARTIAL_FILE, 12030},
        {CURLE_REMOTE_FILE_NOT_FOUND, 12003}};
    for (const auto& [curl, code] : codes)
        EXPECT_EQ(internetCodeForCurl(curl), code) << curl;
}

TEST(RemoteNameTest, NamesThatCouldLeaveTheirFolderAreRefused) {
    EXPECT_TRUE(isSafeRemoteName("Pkg1.zip"));
    EXPECT_TRUE(isSafeRemoteName("a..b.zip"));
    for (const char* bad : {"", ".", "..", "../x.zip", "..\\x.zip", "sub/x.zip", "C:x.zip", "x\n.zip"})
        EXPECT_FALSE(isSafeRemoteName(bad)) << bad;
}

// Beyond the shared wildcard rules (tested with the archive's patterns): "*.*" takes names
// without a dot, as on Windows.
TEST(RemoteNameTest, StarDotStarMatchesNamesWithoutADot) {
    EXPECT_TRUE(wildcardMatch("*.*", "README"));
    EXPECT_TRUE(wildcardMatch("*.Xml", "SETUPDETAILS_1.xml"));
    EXPECT_FALSE(wildcardMatch("*.zip", "pkg.zip.part"));
}

TEST(ByteSizeTextTest, ThreeSignificantDigits) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 bytes"},     {1023, "1023 bytes"}, {1024, "1.00 KB"},      {1536, "1.50 KB"},
        {300000, "292 KB"}, {1048575, "0.99 MB"}, {5ull << 30, "5.00 GB"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(byteSizeText(bytes), text) << bytes;
}

TEST(PartialFileTest, TheRecordIsKeptBesideThePartAndGoesWithIt) {
    ScratchDir d;
    RemoteStamp full;
    full.size = 300000;
    full.time = "1700000000";
    full.etag = "\"a=b\"";
    RemoteStamp bare; // a server that told nothing
    for (const RemoteStamp& stamp : {full, bare}) {
        PartialFile p(d / "f.bin");
        EXPECT_FALSE(p.savedStamp());
        ASSERT_TRUE(p.saveStamp(stamp));
        EXPECT_EQ(p.savedStamp(), stamp);
        EXPECT_FALSE(fs::exists(PartialFile::recordPathFor(d / "f.bin").string() + ".tmp"));
        p.discard();
        EXPECT_FALSE(fs::exists(PartialFile::recordPathFor(d / "f.bin")));
    }
    // A record cut short or of another shape is no record.
    for (const char* text : {"size=12\ntime=\n", "size=x\ntime=\netag=\n", "garbage"}) {
        writeFile(PartialFile::recordPathFor(d / "f.bin"), text);
        EXPECT_FALSE(PartialFile(d / "f.bin").savedStamp()) << text;
    }
    PartialFile p(d / "f.bin");
    ASSERT_TRUE(p.saveStamp(full));
    ASSERT_TRUE(p.open(0));
    ASSERT_TRUE(p.write("x", 1));
    ASSERT_TRUE(p.commit());
    EXPECT_FALSE(fs::exists(PartialFile::recordPathFor(d / "f.bin")));
    EXPECT_FALSE(full.identifiesVersion() == bare.identifiesVersion());
}

TEST(ContentRangeTest, OnlyAWellFormedRangeIsRead) {
    auto r = parseContentRange("bytes 100-199/200");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first, 100u);
    EXPECT_EQ(r->last, 199u);
    EXPECT_EQ(r->total, 200u);
    auto open = parseContentRange("bytes 0-9/*");
    ASSERT_TRUE(open);
    EXPECT_FALSE(open->total);
    for (const char* bad : {"", "bytes", "bytes 99999999999999999999999-1/2", "bytes 5-4/10", "bytes 0-9/5",
                            "bytes 0-9/10x", "items 0-9/10", "bytes -9/10", "bytes 0-9"})
        EXPECT_FALSE(parseContentRange(bad)) << bad;
}

// The query value's encoding is checked on the wire by the web-service tests.
TEST(UrlEncodingTest, OnlyWhatAUrlCannotCarryIsEncodedAndOnlyInTheFileName) {
    struct Case {
        const char* in;
        const char* out;
    };
    for (const Case& k : {Case{"http://h/d/Pkg1.zip", "http://h/d/Pkg1.zip"},
                          Case{"http://h/d e/Pkg Two.zip", "http://h/d e/Pkg%20Two.zip"},
                          Case{"http://h/d/a#b%c?d.zip", "http://h/d/a%23b%25c%3Fd.zip"},
                          Case{"http://h/d/P\xc3\xa4"
                               "ck(1)_x~y-z!.zip",
                               "http://h/d/P%C3%A4ck(1)_x~y-z!.zip"},
                          Case{"Pkg Two.zip", "Pkg%20Two.zip"}})
        EXPECT_EQ(withEncodedFileName(k.in), k.out) << k.in;
}

// The log line of a failure always says something of it: the table's text when it is specific,
// else what the client knows.
TEST(InternetErrorTextTest, TheSummaryOfAFailureIsNeverEmptyOfReason) {
    struct Case {
        long code;
        const char* reply;
        const char* detail;
        const char* summary;
    };
    for (const Case& k :
         {Case{12002, "", "Operation too slow", "The request has timed out."},
          Case{12003, "451 Restart not permitted", "RETR response: 451", "451 Restart not permitted"},
          Case{12003, "", "RETR response: 451", "RETR response: 451"},
          Case{12004, "", "Cannot write /x.part", "Cannot write /x.part"},
          Case{0, "", "The file exists: /x", "The file exists: /x"},
          Case{0, "", "", "Error details not available."}}) {
        TransferError e;
        e.internetCode = k.code;
        e.serverResponse = k.reply;
        e.detail = k.detail;
        EXPECT_EQ(e.summary(), k.summary) << k.code << " " << k.detail;
    }
}

TEST(CurlHttpClientTest, ARangeTheServerIgnoresStartsTheFileAfresh) {
    HttpTestServer http;
    const std::string body = patternBytes(5000);
    std::vector<std::string> ranges;
    http.server.Get("/f", [&](const httplib::Request& req, httplib::Response& res) {
        ranges.push_back(req.get_header_value("Range"));
        // A full answer whatever Range said (a streamed body, which the library does not cut).
        res.set_chunked_content_provider("application/octet-stream", [&](size_t, httplib::DataSink& sink) {
            sink.write(body.data(), body.size());
            sink.done();
            return true;
        });
    });
    http.start();
    ScratchDir d;
    writeFile(d / "f.part", "stale bytes of another file");
    RemoteStamp stamp;
    stamp.etag = "\"e\"";
    ASSERT_TRUE(PartialFile(d / "f").saveStamp(stamp));
    CurlHttpClient client;
    ASSERT_TRUE(client.download(http.base() + "f", d / "f"));
    ASSERT_FALSE(ranges.empty());
    EXPECT_EQ(ranges.front(), "bytes=27-");
    EXPECT_TRUE(readFile(d / "f") == body);
}

TEST(CurlHttpClientTest, AStalledAnswerIsAbandoned) {
    std::atomic<bool> stop{false}; // outlives the server, whose handler may still be reading it
    HttpTestServer http;
    http.server.Get("/slow", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(1000, "application/octet-stream", [&](size_t, size_t, httplib::DataSink&) {
            for (int i = 0; i < 100 && !stop; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return false;
        });
    });
    http.start();
    ScratchDir d;
    TransferLimits limits;
    limits.stallSeconds = 1;
    limits.stallBytesPerSecond = 1;
    CurlHttpClient client(limits);
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.download(http.base() + "slow", d / "slow"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
    EXPECT_EQ(client.lastError().internetCode, 12002);
    stop = true;
}
