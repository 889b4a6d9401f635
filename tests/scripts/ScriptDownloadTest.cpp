// The deploy-script download against the loopback servers: the deploy web service (an in-process
// HTTP server answering the SOAP call) and the FTP server of the tests. Both families over both
// transports, no name fetched twice, and the answers and names that must not pass.
#include "scripts/ScriptDownload.h"
#include "tests/scripts/ScriptTestSupport.h"
#include "tests/transfer/TransferTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>

namespace quillan {
namespace {

using namespace test;
namespace fs = std::filesystem;

enum class Transport { Http, Ftp };

// The server side: one folder per family, with files for this distributor, another one, and
// names outside the naming rule.
const std::map<std::string, std::string> kServerFiles{
    {"Master/SETUPDETAILS_1.xml", "<m1/>"},
    {"Master/SETUPDETAILS_O'Brien.xml", "<m2/>"},
    {"Master/notes.xml", "<notes/>"},
    {"Trans/D042_SETUPDETAILS_1.xml", "<t1/>"},
    {"Trans/D999_SETUPDETAILS_1.xml", "<other distributor/>"},
    {"Trans/SETUPDETAILS_9.xml", "<master name in the transaction folder/>"},
    {"Trans/d042_SETUPDETAILS_2.xml", "<code in another case/>"},
};
const std::vector<std::string> kFetched{"D042_SETUPDETAILS_1.xml", "SETUPDETAILS_1.xml",
                                        "SETUPDETAILS_O'Brien.xml"};

// The deploy web service: lists the files of the family the SOAPAction names (or the answer a
// test sets), serves the files, and counts each file's requests.
struct DeployService {
    HttpTestServer http;
    std::mutex m;
    std::map<std::string, std::string> files; // URL path without the leading "/" -> body
    std::map<std::string, int> gets;
    std::optional<std::string> listOverride; // the body of every list answer
    int listStatus = 200;

    DeployService() : files(kServerFiles) {
        http.server.Post("/DeployService.asmx", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(m);
            const bool master = req.get_header_value("SOAPAction").ends_with("/ListMastersFiles");
            std::string names;
            for (const auto& [path, body] : files)
                if (path.starts_with(master ? "Master/" : "Trans/"))
                    names += (names.empty() ? "" : ",") + path.substr(path.find('/') + 1);
            if (master)
                names += ",SETUPDETAILS_run.log"; // never fetched over HTTP
            res.status = listStatus;
            res.set_content(
                listOverride.value_or("<?xml version=\"1.0\"?><string>" + xmlEscape(names) + "</string>"),
                "text/xml");
        });
        http.server.Get(R"(/(.+))", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(m);
            const std::string path = req.path.substr(1);
            ++gets[path];
            const auto it = files.find(path);
            if (it == files.end()) {
                res.status = 404;
                return;
            }
            res.set_content(it->second, "text/xml");
        });
        http.start();
    }
};

// A scripts console with the servers of one transport.
struct Served : ScriptConsole {
    TransferSession t;
    std::unique_ptr<DeployService> service;
    ScratchDir ftpRoot;
    std::unique_ptr<FtpTestServer> ftp;

    void serve(Transport how) {
        auto& s = c.state;
        s.deployMasterPath = how == Transport::Http ? "Master/" : "Master";
        s.deployTransPath = how == Transport::Http ? "Trans/" : "Trans";
        if (how == Transport::Http) {
            service = std::make_unique<DeployService>();
            s.transferMode = 2;
            s.httpAvailable = true;
            s.serverPath = service->http.base();
            s.webServiceUrl = "DeployService";
        } else {
            for (const auto& [path, body] : kServerFiles)
                writeFile(ftpRoot / path, body);
            writeFile(ftpRoot / "SETUPDETAILS_root.xml", "<in the log-in folder/>");
            ftp = std::make_unique<FtpTestServer>(ftpRoot.path());
            s.transferMode = 1;
            s.ftpConnected = true;
            s.serverPath = ftp->address();
            s.ftpUser = "deploy";
            s.ftpPassword = "secret";
        }
    }
};

struct Download : ::testing::Test, Served {};

TEST_F(Download, BothFamiliesOverBothTransportsAndNoNameIsFetchedTwice) {
    for (const Transport how : {Transport::Http, Transport::Ftp}) {
        SCOPED_TRACE(how == Transport::Http ? "web service" : "FTP");
        Served f;
        f.serve(how);
        ASSERT_TRUE(ScriptFileDownload(f.c, f.t)) << f.log();
        EXPECT_EQ(fileNamesIn(f.deployIn()), kFetched);
        EXPECT_EQ(readFile(f.deployIn() / "SETUPDETAILS_O'Brien.xml"), "<m2/>");
        EXPECT_EQ(f.recorded(), kFetched);
        for (const auto& name : kFetched)
            EXPECT_TRUE(f.logged(">>Downloaded File " + name + "\r\n")) << name;
        EXPECT_TRUE(f.logged(how == Transport::Http ? ">>Downloading Deploy Script File From HTTP"
                                                    : ">>Downloading Deploy Script File From FTP"));
        EXPECT_FALSE(f.t.ftp.ftpScriptMode);

        // The imported files are gone from DEPLOY IN; the server still lists them: none comes again.
        for (const auto& name : kFetched)
            fs::remove(f.deployIn() / name);
        ASSERT_TRUE(ScriptFileDownload(f.c, f.t)) << f.log();
        EXPECT_TRUE(fileNamesIn(f.deployIn()).empty());
        EXPECT_EQ(f.recorded(), kFetched);
        if (how == Transport::Http) {
            std::lock_guard lock(f.service->m);
            EXPECT_EQ(f.service->gets["Master/SETUPDETAILS_1.xml"], 1);
            EXPECT_EQ(f.service->gets.count("Master/SETUPDETAILS_run.log"), 0u);
        }
    }
}

TEST_F(Download, AnErrorPageOrASoapFaultIsAFailedDownloadNotAList) {
    const std::string fault =
        "<?xml version=\"1.0\"?><soap:Envelope "
        "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><soap:Fault>"
        "<faultcode>soap:Server</faultcode><faultstring>SETUPDETAILS_1.xml</faultstring>"
        "</soap:Fault></soap:Body></soap:Envelope>";
    struct Case {
        int status;
        std::string body;
    };
    for (const Case& k :
         std::vector<Case>{{500, fault}, {200, fault}, {404, "<html>SETUPDETAILS_1.xml</html>"}}) {
        SCOPED_TRACE(k.status);
        Served f;
        f.serve(Transport::Http);
        f.service->listStatus = k.status;
        f.service->listOverride = k.body;
        EXPECT_FALSE(ScriptFileDownload(f.c, f.t));
        EXPECT_TRUE(f.logged("instead of a list of script files In DOWNLOADFILES")) << f.log();
        EXPECT_TRUE(fileNamesIn(f.deployIn()).empty());
        EXPECT_TRUE(f.recorded().empty());
    }
}

TEST_F(Download, AnEmptyOrUnreadableListCountsAsDoneWithTheNotFoundLines) {
    for (const std::string body : {"<?xml version=\"1.0\"?><string/>", "not < xml"}) {
        Served f;
        f.serve(Transport::Http);
        f.service->listOverride = body;
        EXPECT_TRUE(ScriptFileDownload(f.c, f.t));
        EXPECT_TRUE(f.logged(">>Deploy Script Not Found In Master Server Folder\r\n"));
        EXPECT_TRUE(f.logged(">>Deploy Script Not Found In Transaction Server Folder\r\n"));
        EXPECT_EQ(f.c.model.label(Label::LblStatus), "Completed Successfully");
    }
}

TEST_F(Download, ANameThatIsNoPlainFileNameIsRefusedAndFailsTheRun) {
    serve(Transport::Http);
    service->files["Master/SETUPDETAILS_..\\..\\x.xml"] = "<climb/>";
    service->files["Master/SETUPDETAILS_../y.xml"] = "<climb/>";
    EXPECT_TRUE(ScriptFileDownload(c, t));
    EXPECT_TRUE(logged(">>Refused deploy script name SETUPDETAILS_..\\..\\x.xml: not a plain file name"));
    EXPECT_TRUE(logged(">>Refused deploy script name SETUPDETAILS_../y.xml: not a plain file name"));
    EXPECT_TRUE(c.state.run.runFailed);
    EXPECT_EQ(fileNamesIn(deployIn()), kFetched); // the others still came
    EXPECT_EQ(recorded(), kFetched);
    EXPECT_FALSE(fs::exists(dir.path() / "x.xml"));
    EXPECT_FALSE(fs::exists(program / "y.xml"));
    std::lock_guard lock(service->m);
    EXPECT_EQ(service->gets.size(), kFetched.size()); // nothing else was asked for
}

TEST_F(Download, FtpFailuresReportFailureAndLeaveScriptModeOff) {
    struct Case {
        const char* what;
        std::function<void(Served&)> arrange;
    };
    const std::vector<Case> cases{
        {"a refused log-in", [](Served& f) { f.c.state.ftpPassword = "wrong"; }},
        // The log-in folder holds a script too: it must not stand in for the missing folder.
        {"a master folder that is not there", [](Served& f) { f.c.state.deployMasterPath = "Missing"; }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        Served f;
        f.serve(Transport::Ftp);
        k.arrange(f);
        EXPECT_FALSE(ScriptFileDownload(f.c, f.t));
        EXPECT_FALSE(f.t.ftp.ftpScriptMode);
        EXPECT_EQ(fs::exists(f.deployIn() / "SETUPDETAILS_root.xml"), false);
        for (const auto& box : f.op.informed) // a reason the server did not give leaves no gap
            EXPECT_EQ(box.find(":  in FillFilesinList"), std::string::npos) << box;
    }
    // Without a log-in the folder cannot be entered, and the box says why.
    Served f;
    EXPECT_FALSE(FillFilesinList(f.c, f.t.ftp, "*.xml", "Master"));
    ASSERT_EQ(f.op.informed.size(), 1u);
    EXPECT_EQ(f.op.informed[0], "The FTP folder /Master cannot be entered: not logged in to the FTP server "
                                "in FillFilesinList");
}

TEST(ScriptModeGuardTest, ScriptModeEndsOnEveryWayOut) {
    FtpSession s;
    try {
        ScriptModeGuard on(s);
        EXPECT_TRUE(s.ftpScriptMode);
        throw std::runtime_error("a failure while the scripts are fetched");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(s.ftpScriptMode);
}

TEST_F(Download, AnFtpFolderWithoutFilesLogsTheNotFoundLineOnce) {
    serve(Transport::Ftp);
    fs::create_directories(ftpRoot / "Empty");
    c.state.deployTransPath = "Empty";
    EXPECT_TRUE(ScriptFileDownload(c, t));
    const std::string text = log();
    const std::string line = ">>File Not Found in Transaction Server Folder\r\n";
    EXPECT_EQ(text.find(line), text.rfind(line));
    EXPECT_NE(text.find(line), std::string::npos);
}

} // namespace
} // namespace quillan
