// The web-service client against an in-process HTTP server: the exact request it sends and what
// it makes of answers, good and bad.
#include "tests/transfer/TransferTestSupport.h"

#include "scripts/clsCallWebService.h"

#include <mutex>

using namespace quillan;
using namespace quillan::test;

namespace {

const std::string kListAnswer = "<?xml version=\"1.0\"?><r>SETUPDETAILS_1.xml,SETUPDETAILS_2.xml</r>";

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
            res.set_content(kListAnswer, "text/xml");
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
    EXPECT_EQ(
        clsCallWebService().GetFileNameList(f.http.base(), "DeployService", "ListTransactionFiles", "D-001"),
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
    // The status is not examined: an error answer's body is the text returned.
    EXPECT_EQ(clsCallWebService().GetFileNameList(f.http.base(), "Broken", "ListMastersFiles", "D"),
              kListAnswer);
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
        try {
            clsCallWebService().importFiles(f.http.base() + "Master/gone.xml", (d / name).string());
            ADD_FAILURE() << "an error page must not count as a fetched file";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("404"), std::string::npos);
        }
    }
    EXPECT_FALSE(fs::exists(d / "gone.xml"));
    EXPECT_EQ(readFile(d / "SETUPDETAILS_1.xml"), "<new/>");
}
