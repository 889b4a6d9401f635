// The web-service client against an in-process HTTP server: the exact request it sends and what
// it makes of answers, good and bad.
#include "tests/transfer/TransferTestSupport.h"

#include "scripts/clsCallWebService.h"

#include <mutex>

using namespace quillan;
using namespace quillan::test;

namespace {

struct Received {
    std::mutex m;
    std::string method, path, query, body, soapAction, contentType, expect;
    bool hasExpect = false;
};

struct ServiceFixture {
    HttpTestServer http;
    Received got;

    ServiceFixture() {
        http.server.Post(R"(/.*\.asmx)", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(got.m);
            got.method = req.method;
            got.path = req.path;
            got.query = req.has_param("DistributorCode") ? req.get_param_value("DistributorCode") : "<none>";
            got.body = req.body;
            got.soapAction = req.get_header_value("SOAPAction");
            got.contentType = req.get_header_value("Content-Type");
            got.hasExpect = req.has_header("Expect");
            res.set_content("<?xml version=\"1.0\"?><r>SETUPDETAILS_1.xml,SETUPDETAILS_2.xml</r>",
                            "text/xml");
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
    std::string answer =
        clsCallWebService().GetFileNameList(f.http.base(), "DeployService", "ListTransactionFiles", "D-001");
    EXPECT_EQ(answer, "<?xml version=\"1.0\"?><r>SETUPDETAILS_1.xml,SETUPDETAILS_2.xml</r>");
    std::lock_guard lock(f.got.m);
    EXPECT_EQ(f.got.method, "POST");
    EXPECT_EQ(f.got.path, "/DeployService.asmx"); // the service name keeps its case in the URL
    EXPECT_EQ(f.got.query, "D-001");
    EXPECT_EQ(f.got.soapAction, "http://tempuri.org/DeployService/ListTransactionFiles");
    EXPECT_EQ(f.got.contentType, "text/xml");
    EXPECT_FALSE(f.got.hasExpect);
    EXPECT_EQ(f.got.body, clsCallWebService::BuildSOAPEnvelope("DeployService", "ListTransactionFiles"));
}

TEST(WebServiceTest, AnEmptyDistributorCodeSendsNoQuery) {
    ServiceFixture f;
    clsCallWebService().GetFileNameList(f.http.base(), "DeployService", "ListMastersFiles", "");
    std::lock_guard lock(f.got.m);
    EXPECT_EQ(f.got.query, "<none>");
}

TEST(WebServiceTest, AnUnreachableServiceThrows) {
    std::string base = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
    EXPECT_THROW(clsCallWebService().GetFileNameList(base, "DeployService", "ListMastersFiles", "D"),
                 std::runtime_error);
    ScratchDir d;
    EXPECT_THROW(clsCallWebService().importFiles(base + "x.xml", (d / "x.xml").string()), std::runtime_error);
    EXPECT_FALSE(fs::exists(d / "x.xml"));
}

TEST(WebServiceTest, ImportFilesReplacesAnExistingFile) {
    HttpTestServer http;
    http.server.Get("/Master/SETUPDETAILS_1.xml", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<new/>", "text/xml");
    });
    http.start();
    ScratchDir d;
    writeFile(d / "SETUPDETAILS_1.xml", "<old version that was longer/>");
    clsCallWebService().importFiles(http.base() + "Master/SETUPDETAILS_1.xml",
                                    (d / "SETUPDETAILS_1.xml").string());
    EXPECT_EQ(readFile(d / "SETUPDETAILS_1.xml"), "<new/>");
    EXPECT_FALSE(fs::exists(d / "SETUPDETAILS_1.xml.part"));
}

TEST(WebServiceTest, ImportFilesRefusesAnErrorPage) {
    HttpTestServer http;
    http.server.Get("/Master/gone.xml", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("<html>Not Found</html>", "text/html");
    });
    http.start();
    ScratchDir d;
    writeFile(d / "kept.xml", "<kept/>");
    try {
        clsCallWebService().importFiles(http.base() + "Master/gone.xml", (d / "gone.xml").string());
        ADD_FAILURE() << "an error page must not count as a fetched file";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("404"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(d / "gone.xml"));
    EXPECT_THROW(clsCallWebService().importFiles(http.base() + "Master/gone.xml", (d / "kept.xml").string()),
                 std::runtime_error);
    EXPECT_EQ(readFile(d / "kept.xml"), "<kept/>");
}
