// The HTTP side against an in-process HTTP server on loopback: the connection check, the
// package download with its progress rule, error answers, missing lengths and lost connections.
#include "tests/transfer/TransferTestSupport.h"

#include "base/Progress.h"
#include "transfer/Http.h"
#include "trust/Digest.h"

#include <atomic>
#include <mutex>

using namespace quillan;
using namespace quillan::test;

namespace {

struct HttpFixture : ConsoleFixture {
    HttpTestServer http;
    std::atomic<int> requests{0};
    std::string lastRange;

    void serve(const std::string& path, const std::string& body, int status = 200) {
        http.server.Get(path, [this, body, status](const httplib::Request& req, httplib::Response& res) {
            ++requests;
            lastRange = req.get_header_value("Range");
            res.status = status;
            res.set_content(body, "application/octet-stream");
        });
    }
    void start() {
        http.start();
        c->state.serverPath = http.base();
        c->state.deployServerPath = "deploy/";
    }
};

} // namespace

TEST(HttpLoginTest, AnyAnswerEvenAnErrorPagePassesAndItsBodyBecomesTestLog) {
    for (int status : {200, 404}) {
        SCOPED_TRACE(status);
        HttpFixture f;
        f.serve("/Test.log", "probe body", status);
        f.start();
        EXPECT_TRUE(HTTPLogin(*f.c, f.session.http));
        EXPECT_TRUE(f.c->state.httpAvailable);
        EXPECT_EQ(readFile(f.dir / "prog" / "Test.log"), "probe body");
        EXPECT_EQ(f.c->model.checklist(Row::ConnectionCheck).percentText, "100 %");
        const GridRow& row = f.c->model.grid().at(1);
        EXPECT_EQ(row.event, "Checking Internet connection ");
        EXPECT_EQ(row.processingName, "Downloading files from server");
        EXPECT_EQ(row.status, RowStatus::Completed);
        EXPECT_TRUE(f.op.asked.empty());
    }
}

TEST(HttpLoginTest, NoServerFailsAndAsksARemoteDatabasePassesAnywayNoAddressEndsTheProgram) {
    ConsoleFixture f;
    f.c->state.serverPath = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
    EXPECT_FALSE(HTTPLogin(*f.c, f.session.http));
    EXPECT_FALSE(f.c->state.httpAvailable);
    EXPECT_TRUE(f.c->state.run.runFailed);
    EXPECT_EQ(f.c->model.checklist(Row::ConnectionCheck).status, RowStatus::Failed);
    EXPECT_EQ(f.c->model.grid().at(1).status, RowStatus::Failed);
    ASSERT_EQ(f.op.asked.size(), 1u);
    EXPECT_EQ(f.op.asked[0].text, "Unable to Connect to HTTP, Still Do you want to Continue");
    EXPECT_TRUE(fs::exists(f.dir / "prog" / "Test.log")); // created empty before the request
    EXPECT_NE(f.log().find(">>-The attempt to connect to the server failed."), std::string::npos);

    f.c->state.isLocalServer = false;
    EXPECT_TRUE(HTTPLogin(*f.c, f.session.http));
    EXPECT_TRUE(f.c->state.httpAvailable);
    EXPECT_EQ(f.c->model.grid().at(1).event, "Checking Http Connection");
    EXPECT_EQ(f.c->model.grid().at(1).status, RowStatus::Completed);

    ASSERT_FALSE(f.c->programEnded());
    const auto questions = f.op.asked.size();
    f.c->state.serverPath = "";
    EXPECT_FALSE(HTTPLogin(*f.c, f.session.http));
    EXPECT_TRUE(f.c->programEnded());
    EXPECT_EQ(f.op.asked.size(), questions); // ended without a question
}

// Each 1024-byte chunk adds 1024 / length x 100, rounded to four places: an exact 100 ends "100 %"
// with a blank, a rounded step stays under 100, a step past 100 is capped and shown "100%".
TEST(HttpDownloadTest, TheStepIsRoundedAndTheBarIsCappedAsTheConsoleShowsIt) {
    struct Case {
        std::size_t size;
        int bar;
        const char* percent;
    };
    for (const Case& k : {Case{1024 * 50, 100, "100 %"}, Case{3072, 99, "99 %"}, Case{3073, 100, "100%"}}) {
        SCOPED_TRACE(k.size);
        HttpFixture f;
        const std::string body = patternBytes(k.size);
        f.serve("/deploy/Pkg.zip", body);
        f.start();
        EXPECT_TRUE(DownloadFromHttp(*f.c, f.session.http, "Pkg.zip"));
        EXPECT_TRUE(httpDownloadDone(f.session.http));
        EXPECT_TRUE(readFile(f.update("Pkg.zip")) == body);
        EXPECT_EQ(f.c->model.checklist(Row::ProgramDownload).barValue, k.bar);
        EXPECT_EQ(f.c->model.checklist(Row::ProgramDownload).percentText, k.percent);
    }
}

TEST(HttpDownloadTest, AnErrorStatusOrAMissingLengthWritesNothingUnderTheTargetName) {
    HttpFixture f;
    f.serve("/deploy/Gone.zip", "<html>Not Found</html>", 404);
    f.http.server.Get("/deploy/Chunked.zip", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream", [](size_t, httplib::DataSink& sink) {
            sink.write("abc", 3);
            sink.done();
            return true;
        });
    });
    f.start();
    for (const char* name : {"Gone.zip", "Chunked.zip"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(DownloadFromHttp(*f.c, f.session.http, name)); // the request was issued
        EXPECT_FALSE(httpDownloadDone(f.session.http));
        EXPECT_FALSE(fs::exists(f.update(name)));
        EXPECT_FALSE(fs::exists(f.update(name + std::string(".part"))));
    }
    const std::string log = f.log();
    EXPECT_NE(log.find("404 Not Found in Download from HTTP"), std::string::npos);
    const std::string noLength = "The answer has no Content-length in Download from HTTP";
    auto line = log.find(noLength);
    EXPECT_NE(line, std::string::npos);
    EXPECT_EQ(log.find("in Download from HTTP", line + noLength.size()), std::string::npos); // one line only
}

TEST(HttpDownloadTest, AConnectionLostMidBodyIsResumedWithARangeOfTheSameVersion) {
    HttpFixture f;
    auto& digests = f.c->state.run.downloadDigests;
    digests.wanted = true; // a verifying installation: what arrives in one pass is hashed
    const std::string body = patternBytes(200000);
    std::atomic<bool> dropped{false};
    std::string ifRange;
    f.http.server.Get("/deploy/Big.zip", [&](const httplib::Request& req, httplib::Response& res) {
        f.lastRange = req.get_header_value("Range");
        ifRange = req.get_header_value("If-Range");
        res.set_header("ETag", "\"v1\"");
        if (!dropped.exchange(true)) {
            // Promise the whole body, deliver 60000 bytes, then drop the connection.
            res.set_content_provider(body.size(), "application/octet-stream",
                                     [&](size_t offset, size_t, httplib::DataSink& sink) {
                                         if (offset >= 60000)
                                             return false;
                                         sink.write(body.data() + offset, 60000);
                                         return true;
                                     });
            return;
        }
        res.set_content(body, "application/octet-stream"); // ranges are served by the library
    });
    f.start();
    EXPECT_TRUE(DownloadFromHttp(*f.c, f.session.http, "Big.zip"));
    EXPECT_FALSE(httpDownloadDone(f.session.http));
    EXPECT_FALSE(fs::exists(f.update("Big.zip")));
    ASSERT_TRUE(fs::exists(f.update("Big.zip.part")));
    EXPECT_EQ(fs::file_size(f.update("Big.zip.part")), 60000u);

    EXPECT_TRUE(DownloadFromHttp(*f.c, f.session.http, "Big.zip"));
    EXPECT_TRUE(httpDownloadDone(f.session.http));
    EXPECT_EQ(f.lastRange, "bytes=60000-");
    EXPECT_EQ(ifRange, "\"v1\"");
    EXPECT_TRUE(readFile(f.update("Big.zip")) == body);
    EXPECT_FALSE(fs::exists(f.update("Big.zip.part")));
    EXPECT_FALSE(fs::exists(transfer::PartialFile::recordPathFor(f.update("Big.zip"))));
    EXPECT_EQ(f.c->model.checklist(Row::ProgramDownload).barValue, 100);
    EXPECT_FALSE(digests.of(f.update("Big.zip"))) << "a resumed file is read again to check it";

    // Fetched whole, its digest is kept, until the file is no longer as the download left it.
    fs::remove(f.update("Big.zip"));
    EXPECT_TRUE(DownloadFromHttp(*f.c, f.session.http, "Big.zip"));
    const auto kept = digests.of(f.update("Big.zip"));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->sha256, trust::digestOfFile(f.update("Big.zip"))->sha256);
    fs::last_write_time(f.update("Big.zip"),
                        fs::last_write_time(f.update("Big.zip")) - std::chrono::hours(1));
    EXPECT_FALSE(digests.of(f.update("Big.zip")));
}

TEST(HttpDownloadTest, ANameThatWouldLeaveTheUpdateFolderIsRefused) {
    HttpFixture f;
    f.start();
    EXPECT_FALSE(DownloadFromHttp(*f.c, f.session.http, "..\\escape.zip"));
    EXPECT_FALSE(httpDownloadDone(f.session.http));
    EXPECT_EQ(f.requests.load(), 0);
    EXPECT_TRUE(f.logged("Refused file name \"..\\escape.zip\" in Download from HTTP"));
}

TEST(HttpDownloadTest, FileNameFromUrlTakesTheLastSegment) {
    EXPECT_EQ(FileNameFromUrl("http://host/folder/sub/Pkg.zip"), "Pkg.zip");
    EXPECT_EQ(FileNameFromUrl("Pkg.zip"), "Pkg.zip");
    EXPECT_EQ(FileNameFromUrl("http://host/folder/"), "");
}

// Names with blanks and signs reach the server as written (encoded on the wire), and the package
// is stored under its own name.
TEST(HttpDownloadTest, FileNamesABareUrlCannotCarryAreEncoded) {
    HttpFixture f;
    std::mutex m;
    std::string path;
    f.http.server.Get(R"(/deploy/(.+))", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(m);
        path = req.path;
        res.set_content("package", "application/octet-stream");
    });
    f.start();
    for (const char* name : {"Pkg Two.zip", "Pkg#1.zip", "100%.zip",
                             "P\xc3\xa4"
                             "ckchen.zip",
                             "a?b.zip"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(DownloadFromHttp(*f.c, f.session.http, name));
        EXPECT_TRUE(httpDownloadDone(f.session.http)) << f.log();
        EXPECT_EQ(readFile(f.update(name)), "package");
        std::lock_guard lock(m);
        EXPECT_EQ(path, std::string("/deploy/") + name);
    }
}

// A partial file is continued only when its record names the version the server still has: a
// partial file without a record, or one of another version (the server ignores If-Range here and
// sends the range anyway), is dropped and the file fetched whole.
TEST(HttpDownloadTest, APartialFileOfAnotherVersionIsNotSplicedIn) {
    for (bool withRecord : {false, true}) {
        SCOPED_TRACE(withRecord ? "record of another version" : "no record");
        HttpFixture f;
        const std::string body = patternBytes(50000, 5);
        f.http.server.Get("/deploy/Pkg.zip", [&](const httplib::Request&, httplib::Response& res) {
            res.set_header("ETag", "\"new\"");
            res.set_content(body, "application/octet-stream"); // ranges are served by the library
        });
        f.start();
        const fs::path target = f.update("Pkg.zip");
        writeFile(transfer::PartialFile::partPathFor(target), patternBytes(20000, 6));
        if (withRecord) {
            transfer::RemoteStamp old;
            old.size = body.size();
            old.etag = "\"old\"";
            ASSERT_TRUE(transfer::PartialFile(target).saveStamp(old));
        }
        EXPECT_TRUE(DownloadFromHttp(*f.c, f.session.http, "Pkg.zip"));
        EXPECT_TRUE(httpDownloadDone(f.session.http)) << f.log();
        EXPECT_TRUE(readFile(target) == body);
        EXPECT_FALSE(fs::exists(transfer::PartialFile::recordPathFor(target)));
    }
}

// A 206 whose Content-Range cannot be read (numbers past 64 bits) does not continue the partial
// file: the file is fetched again from its start.
TEST(HttpDownloadTest, AnUnreadableContentRangeStartsTheFileAfresh) {
    const std::string body = patternBytes(3000, 8);
    std::atomic<int> ranged{0};
    RawHttpServer raw([&](const std::string& head) {
        if (head.find("Range: bytes=") != std::string::npos) {
            ++ranged;
            return std::string(
                "HTTP/1.1 206 Partial Content\r\nETag: \"v\"\r\n"
                "Content-Range: bytes 99999999999999999999999-99999999999999999999999/"
                "99999999999999999999999\r\nContent-Length: 4\r\nConnection: close\r\n\r\nxxxx");
        }
        return "HTTP/1.1 200 OK\r\nETag: \"v\"\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    });
    ConsoleFixture f;
    f.c->state.serverPath = raw.base();
    f.c->state.deployServerPath = "deploy/";
    const fs::path target = f.dir / "update" / "Pkg.zip";
    writeFile(transfer::PartialFile::partPathFor(target), body.substr(0, 1000));
    transfer::RemoteStamp same;
    same.size = body.size();
    same.etag = "\"v\"";
    ASSERT_TRUE(transfer::PartialFile(target).saveStamp(same));
    EXPECT_TRUE(DownloadFromHttp(*f.c, f.session.http, "Pkg.zip"));
    EXPECT_TRUE(httpDownloadDone(f.session.http)) << f.c->log.readAll();
    EXPECT_EQ(ranged.load(), 1);
    EXPECT_TRUE(readFile(target) == body);
}
