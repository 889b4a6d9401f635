// Transfers over TLS against loopback servers whose certificates the test makes: HTTPS and FTPS
// from an office the client trusts; refused are a certificate for another host, one that no
// trusted authority signed, a redirect from HTTPS to plain HTTP, and an FTPS setting against a
// server without TLS. The proxy of the environment carries HTTPS as a tunnel.
#include "tests/platform/TestSupport.h" // EnvGuard
#include "tests/transfer/TransferTestSupport.h"

#include "transfer/CurlFtpClient.h"
#include "transfer/CurlHttpClient.h"

#include <curl/curl.h>
#include <gmock/gmock.h>

#include <mutex>

using namespace quillan;
using namespace quillan::test;
using namespace quillan::transfer;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

struct TlsFixture {
    TestCertificates certs;
    ScratchDir dir;
    TransportSecurity trusting{certs.authority().string()}; // the office's own authority
    std::string body = patternBytes(70000);
    std::atomic<int> served{0};

    void serve(HttpTestServer& office) {
        office.server.Get("/Deploy/Pkg.zip", [this](const httplib::Request&, httplib::Response& res) {
            ++served;
            res.set_content(body, "application/octet-stream");
        });
        office.start();
    }
    // Nothing of a refused download is left, under its name or as a partial file.
    void expectNothingWritten(const std::string& name) const {
        EXPECT_FALSE(fs::exists(dir / name));
        EXPECT_FALSE(fs::exists(dir / (name + ".part")));
    }
};

TEST(HttpsTest, DownloadsOnlyFromAnOfficeWhoseCertificateIsVerified) {
    TlsFixture t;
    {
        HttpTestServer office(t.certs.office);
        t.serve(office);
        CurlHttpClient http(TransferLimits::current(), t.trusting);
        ASSERT_TRUE(http.download(office.base() + "Deploy/Pkg.zip", t.dir / "Pkg.zip"))
            << http.lastError().summary();
        EXPECT_EQ(readFile(t.dir / "Pkg.zip"), t.body);
        // The system's store does not know the office's own authority.
        CurlHttpClient systemStore(TransferLimits::current(), TransportSecurity{});
        EXPECT_FALSE(systemStore.download(office.base() + "Deploy/Pkg.zip", t.dir / "Again.zip"));
        t.expectNothingWritten("Again.zip");
    }
    EXPECT_EQ(t.served, 1);
    for (const CertificateFiles* wrong : {&t.certs.otherHost, &t.certs.untrusted}) {
        SCOPED_TRACE(wrong->certificate.filename().string());
        HttpTestServer office(*wrong);
        t.serve(office);
        CurlHttpClient http(TransferLimits::current(), t.trusting);
        EXPECT_FALSE(http.download(office.base() + "Deploy/Pkg.zip", t.dir / "Refused.zip"));
        EXPECT_EQ(http.lastError().curlCode, CURLE_PEER_FAILED_VERIFICATION);
        EXPECT_THAT(http.lastError().summary(), HasSubstr("certificate")); // what the run log says
        t.expectNothingWritten("Refused.zip");
    }
    EXPECT_EQ(t.served, 1) << "no request reaches a server that failed verification";
}

TEST(HttpsTest, ARedirectToPlainHttpIsNotFollowed) {
    TlsFixture t;
    HttpTestServer plain;
    t.serve(plain);
    HttpTestServer office(t.certs.office);
    office.server.Get("/Deploy/Pkg.zip", [&](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(plain.base() + "Deploy/Pkg.zip");
    });
    office.start();
    CurlHttpClient http(TransferLimits::current(), t.trusting);
    EXPECT_FALSE(http.download(office.base() + "Deploy/Pkg.zip", t.dir / "Pkg.zip"));
    t.expectNothingWritten("Pkg.zip");
    std::string answer;
    EXPECT_FALSE(http.request("GET", office.base() + "Deploy/Pkg.zip", "", {}, answer));
    EXPECT_EQ(t.served, 0);
}

TEST(HttpsTest, TheEnvironmentsProxyCarriesTheTunnel) {
    std::mutex m;
    std::string head;
    RawHttpServer proxy([&](const std::string& request) {
        std::lock_guard lock(m);
        head = request;
        return std::string("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n");
    });
    EnvGuard https("https_proxy", proxy.base());
    EnvGuard none("no_proxy", std::nullopt);
    EnvGuard noneUpper("NO_PROXY", std::nullopt);
    ScratchDir dir;
    CurlHttpClient http;
    // A name only the proxy could resolve: the client asks the proxy, never the line itself.
    EXPECT_FALSE(http.download("https://office.example/Deploy/Pkg.zip", dir / "Pkg.zip"));
    std::lock_guard lock(m);
    EXPECT_THAT(head, StartsWith("CONNECT office.example:443 "));
}

TEST(FtpsTest, ExplicitTlsDownloadsAndNeverFallsBackToPlainText) {
    EXPECT_TRUE(FtpEndpoint::parse("FTPES://files.example", "u", "p").tls);
    EXPECT_FALSE(FtpEndpoint::parse("ftp://files.example", "u", "p").tls);

    TlsFixture t;
    const fs::path root = t.dir / "root";
    writeFile(root / "Deploy" / "Pkg.zip", t.body);
    {
        FtpTestServer office(
            root, {"--tls", t.certs.office.certificate.string(), t.certs.office.privateKey.string()});
        const FtpEndpoint ep = FtpEndpoint::parse("ftps://" + office.address(), "deploy", "secret");
        EXPECT_EQ(ep.port, office.port());
        CurlFtpClient ftp(ep, TransferLimits::current(), t.trusting);
        ASSERT_TRUE(ftp.login()) << ftp.lastError().summary();
        const auto listing = ftp.list("/Deploy/");
        ASSERT_TRUE(listing && listing->size() == 1);
        EXPECT_EQ(listing->front().name, "Pkg.zip");
        ASSERT_TRUE(ftp.download("/Deploy/Pkg.zip", t.dir / "Pkg.zip", t.body.size(), true))
            << ftp.lastError().summary();
        EXPECT_EQ(readFile(t.dir / "Pkg.zip"), t.body);
        // Not the office's authority: the system's store refuses the certificate.
        CurlFtpClient unverified(ep, TransferLimits::current(), TransportSecurity{});
        EXPECT_FALSE(unverified.login());
    }
    // A server without TLS: no login in plain text, the password never sent.
    const fs::path commands = t.dir / "commands.log";
    FtpTestServer plain(root, {"--log", commands.string()});
    CurlFtpClient ftp(FtpEndpoint::parse("ftps://" + plain.address(), "deploy", "secret"),
                      TransferLimits::current(), t.trusting);
    EXPECT_FALSE(ftp.login());
    EXPECT_FALSE(ftp.download("/Deploy/Pkg.zip", t.dir / "Plain.zip", t.body.size(), true));
    EXPECT_FALSE(fs::exists(t.dir / "Plain.zip"));
    EXPECT_THAT(readFile(commands), Not(HasSubstr("PASS")));
}

} // namespace
