// The web-service client against an in-process HTTP server: the exact request it sends and what
// it makes of answers, good and bad.
#include "tests/transfer/TransferTestSupport.h"

#include "scripts/clsCallWebService.h"

#include <gmock/gmock.h>
#include <mutex>

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

using namespace quillan;
using namespace quillan::test;

namespace {

const std::string kListAnswer = "<?xml version=\"1.0\"?><r>SETUPDETAILS_1.xml,SETUPDETAILS_2.xml</r>";
const std::string kFault = "<?xml version=\"1.0\"?><soap:Envelope "
                           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><soap:Fault>"
                           "<faultcode>soap:Server</faultcode><faultstring>Unknown distributor</faultstring>"
                           "</soap:Fault></soap:Body></soap:Envelope>";

// Answers every service call with kListAnswer and keeps the last request; serves one master file
// and one error page.
struct ServiceFixture {
    HttpTestServer http;
    std::mutex m;
    httplib::Request got;

    ServiceFixture() {
        http.server.Post(R"(/.*\.asmx)", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(m);
            got = req;
            if (req.path == "/Broken.asmx")
                res.status = 500; // the body still comes back as the list text
            if (req.path == "/Missing.asmx") {
                res.status = 404;
                res.set_content("<html>Not Found</html>", "text/html");
                return;
            }
            if (req.path == "/Faulty.asmx" || req.path == "/FaultyOk.asmx") {
                res.status = req.path == "/Faulty.asmx" ? 500 : 200;
                res.set_content(kFault, "text/xml");
                return;
            }
            res.set_content(kListAnswer, "text/xml");
        });
        http.server.Get(R"(/Named/(.+))", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(m);
            got = req;
            res.set_content("<named/>", "text/xml");
        });
        http.server.Get("/Master/SETUPDETAILS_1.xml", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<new/>", "text/xml");
        });
        http.server.Get("/Master/gone.xml", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("<html>Not Found</html>", "text/html");
        });
        http.start();
    }
};

} // namespace

TEST(WebServiceTest, EnvelopeIsOneLineWithTheLowerCasedServiceNamespace) {
    EXPECT_EQ(clsCallWebService::BuildSOAPEnvelope("DeployService", "ListMastersFiles"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
              "<soap:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
              "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
              "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
              "<soap:Body><ListMastersFiles xmlns=\"http://tempuri.org/deployservice\"/></soap:Body>"
              "</soap:Envelope>");
}

TEST(WebServiceTest, GetFileNameListPostsTheEnvelopeWithTheServiceHeaders) {
    ServiceFixture f;
    EXPECT_EQ(clsCallWebService()
                  .GetFileNameList(f.http.base(), "DeployService", "ListTransactionFiles", "D-001")
                  .text,
              kListAnswer);
    {
        std::lock_guard lock(f.m);
        EXPECT_EQ(f.got.method, "POST");
        EXPECT_EQ(f.got.path, "/DeployService.asmx"); // the service name keeps its case in the URL
        EXPECT_EQ(f.got.get_param_value("DistributorCode"), "D-001");
        EXPECT_EQ(f.got.get_header_value("SOAPAction"),
                  "http://tempuri.org/DeployService/ListTransactionFiles");
        EXPECT_EQ(f.got.get_header_value("Content-Type"), "text/xml");
        EXPECT_FALSE(f.got.has_header("Expect"));
        EXPECT_EQ(f.got.body, clsCallWebService::BuildSOAPEnvelope("DeployService", "ListTransactionFiles"));
    }
    // An empty distributor code sends no query at all.
    clsCallWebService().GetFileNameList(f.http.base(), "DeployService", "ListMastersFiles", "");
    {
        std::lock_guard lock(f.m);
        EXPECT_FALSE(f.got.has_param("DistributorCode"));
    }
}

// An error page or a SOAP fault still comes back as the text, but is told apart from a list.
TEST(WebServiceTest, GetFileNameListTellsTheStatusAndAFaultBesideTheText) {
    ServiceFixture f;
    struct Case {
        const char* service;
        long status;
        bool fault;
        bool list;
    };
    for (const Case& k : {Case{"DeployService", 200, false, true}, Case{"Broken", 500, false, false},
                          Case{"Missing", 404, false, false}, Case{"Faulty", 500, true, false},
                          Case{"FaultyOk", 200, true, false}}) {
        SCOPED_TRACE(k.service);
        const auto answer =
            clsCallWebService().GetFileNameList(f.http.base(), k.service, "ListMastersFiles", "D");
        EXPECT_EQ(answer.httpStatus, k.status);
        EXPECT_EQ(answer.soapFault, k.fault);
        EXPECT_EQ(answer.isList(), k.list);
        EXPECT_FALSE(answer.text.empty()); // the body is kept whatever it is
        if (!k.fault && k.status != 404) {
            EXPECT_EQ(answer.text, kListAnswer);
        }
    }
}

// Only what a URL cannot carry is encoded in the code; an ordinary code goes as it is written.
TEST(WebServiceTest, TheDistributorCodeIsEncodedOnlyWhereAUrlCannotCarryIt) {
    ServiceFixture f;
    struct Case {
        const char* code;
        const char* query;
    };
    for (const Case& k :
         {Case{"D-001", "D-001"}, Case{"D-001.x_y~z", "D-001.x_y~z"}, Case{"A B&x=#1", "A%20B%26x=%231"},
          Case{"A+B", "A%2BB"}, Case{"100%", "100%25"}, Case{"Z\xc3\xbcrich", "Z%C3%BCrich"}}) {
        SCOPED_TRACE(k.code);
        clsCallWebService().GetFileNameList(f.http.base(), "DeployService", "ListMastersFiles", k.code);
        std::lock_guard lock(f.m);
        EXPECT_EQ(f.got.target, std::string("/DeployService.asmx?DistributorCode=") + k.query);
        if (std::string_view(k.code).find('=') == std::string_view::npos) {
            EXPECT_EQ(f.got.get_param_value("DistributorCode"), k.code); // read back as written
        }
    }
}

TEST(WebServiceTest, AnUnreachableServiceThrows) {
    std::string base = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
    EXPECT_THROW(clsCallWebService().GetFileNameList(base, "DeployService", "ListMastersFiles", "D"),
                 std::runtime_error);
    ScratchDir d;
    EXPECT_THROW(clsCallWebService().importFiles(base + "x.xml", (d / "x.xml").string()), std::runtime_error);
    EXPECT_FALSE(fs::exists(d / "x.xml"));
}

TEST(WebServiceTest, ImportFilesReplacesAFileButNeverWithAnErrorPage) {
    ServiceFixture f;
    ScratchDir d;
    writeFile(d / "SETUPDETAILS_1.xml", "<old version that was longer/>");
    clsCallWebService().importFiles(f.http.base() + "Master/SETUPDETAILS_1.xml",
                                    (d / "SETUPDETAILS_1.xml").string());
    EXPECT_EQ(readFile(d / "SETUPDETAILS_1.xml"), "<new/>");
    EXPECT_FALSE(fs::exists(d / "SETUPDETAILS_1.xml.part"));

    // An error page is refused, naming the status, and neither creates nor replaces a file.
    for (const char* name : {"gone.xml", "SETUPDETAILS_1.xml"}) {
        SCOPED_TRACE(name);
        EXPECT_THAT(
            [&] { clsCallWebService().importFiles(f.http.base() + "Master/gone.xml", (d / name).string()); },
            ThrowsMessage<std::runtime_error>(HasSubstr("404")));
    }
    EXPECT_FALSE(fs::exists(d / "gone.xml"));
    EXPECT_EQ(readFile(d / "SETUPDETAILS_1.xml"), "<new/>");
}

// A file name that a URL cannot carry as written is encoded, and the right file is fetched.
TEST(WebServiceTest, ImportFilesFetchesFileNamesWithBlanksAndSigns) {
    ServiceFixture f;
    ScratchDir d;
    for (const char* name : {"Pkg Two.xml", "No#1.xml", "100%.xml", "M\xc3\xa4rz?.xml"}) {
        SCOPED_TRACE(name);
        EXPECT_NO_THROW(
            clsCallWebService().importFiles(f.http.base() + "Named/" + name, (d / "got.xml").string()));
        EXPECT_EQ(readFile(d / "got.xml"), "<named/>");
        std::lock_guard lock(f.m);
        EXPECT_EQ(f.got.path, std::string("/Named/") + name);
    }
}

// A body that ends only because the connection closed may be cut short: it is refused, and only
// a length or a complete chunked body is taken.
TEST(WebServiceTest, ImportFilesRefusesABodyWhoseEndCannotBeTold) {
    RawHttpServer raw([](const std::string& head) -> std::string {
        if (head.find("GET /close.xml") == 0)
            return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n<cut";
        if (head.find("GET /chunked.xml") == 0)
            return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                   "4\r\n<ok/\r\n1\r\n>\r\n0\r\n\r\n";
        return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n4\r\n<cut";
    });
    ScratchDir d;
    writeFile(d / "close.xml", "<old/>");
    EXPECT_THROW(clsCallWebService().importFiles(raw.base() + "close.xml", (d / "close.xml").string()),
                 std::runtime_error);
    EXPECT_EQ(readFile(d / "close.xml"), "<old/>");
    EXPECT_THROW(clsCallWebService().importFiles(raw.base() + "cutchunks.xml", (d / "cut.xml").string()),
                 std::runtime_error);
    EXPECT_FALSE(fs::exists(d / "cut.xml"));
    clsCallWebService().importFiles(raw.base() + "chunked.xml", (d / "chunked.xml").string());
    EXPECT_EQ(readFile(d / "chunked.xml"), "<ok/>");
}
