// Whole deployments over TLS: release 8 served by quillan-office over HTTPS (the web service and
// the packages alike) or by the FTP test server with explicit TLS. An installation that trusts the
// office's authority (its TransportCaFile setting, or QUILLAN_CA_FILE, which wins over it)
// installs the release; an office whose certificate names
// another host, or that no trusted authority signed, delivers nothing, even when the operator
// chooses to go on: the run fails with the reason in the run log and the installation and its
// database as they were.
#include "platform/db/Connection.h"
#include "tests/e2e/FolderSnapshot.h"
#include "tests/e2e/WholeRelease.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillan::test {
namespace {

using ::testing::HasSubstr;

struct TlsOffice {
    WholeRelease release;
    TestCertificates certs;
    EnvGuard trust{"QUILLAN_CA_FILE", certs.authority().string()};

    TlsOffice() {
        const CommandResult published = release.publish("xml", false);
        if (published.code != 0)
            throw std::runtime_error(published.out);
    }
};

// The installation's own setting naming a private office's authorities.
void setCaFile(const SampleInstall& inst, const fs::path& file) {
    inst.sql("INSERT INTO [Tervik].dbo.configuration (ModuleName, SeqNo, Description, Status, Condition) "
             "VALUES ('datatransfer', 0, 'TransportCaFile', 0, " +
             db::sqlQuote(file.string()) + ")");
}

// The release installed: its files in place and its hotfix recorded.
void expectInstalled(const WholeRelease& r, const SampleInstall& inst, const CommandResult& run) {
    ASSERT_EQ(run.code, 0) << run.out << inst.runLog();
    r.expectInstalled(inst);
    WholeRelease::expectRecorded(inst);
}

TEST(HttpsDeploy, InstallsFromAnOfficeItCanVerifyWithTheAuthorityOfItsSetting) {
    TlsOffice o;
    EnvGuard settingOnly{"QUILLAN_CA_FILE", std::nullopt};
    OfficeProcess office(o.release.root, o.release.scratch / "port", {}, o.certs.office);
    SampleInstall inst("--mode http --format xml --server-path " + office.serverPath());
    setCaFile(inst, o.certs.authority());
    o.release.putOldFiles(inst);
    expectInstalled(o.release, inst, inst.run());
}

TEST(FtpsDeploy, InstallsOverExplicitTlsWithTheAuthorityOfTheEnvironmentOverTheSetting) {
    TlsOffice o;
    FtpTestServer ftp(o.release.root,
                      {"--user", "quillan", "--password", "sample", "--tls",
                       o.certs.office.certificate.string(), o.certs.office.privateKey.string()});
    SampleInstall inst("--mode ftp --format xml --server-path ftps://" + ftp.address());
    setCaFile(inst, o.certs.untrusted.certificate); // an authority that signed nothing of the office
    o.release.putOldFiles(inst);
    expectInstalled(o.release, inst, inst.run());
}

TEST(HttpsDeploy, AnOfficeWithAWrongHostNameOrAnUntrustedCertificateDeliversNothing) {
    TlsOffice o;
    for (const CertificateFiles* wrong : {&o.certs.otherHost, &o.certs.untrusted}) {
        const std::string which = wrong->certificate.stem().string();
        SCOPED_TRACE(which);
        OfficeProcess office(o.release.root, o.release.scratch / ("port-" + which), {}, *wrong);
        SampleInstall inst("--mode http --format xml --server-path " + office.serverPath());
        o.release.putOldFiles(inst);

        const CommandResult run = inst.run("--answer server=yes"); // go on without the check
        EXPECT_NE(run.code, 0) << run.out;
        EXPECT_THAT(inst.runLog(), HasSubstr("certificate"));
        for (const auto& [name, f] : o.release.files)
            EXPECT_EQ(readFile(inst.dir / f.installedAt), f.oldBytes) << name;
        EXPECT_TRUE(snapshot(inst.updateFolder()).empty());
        EXPECT_TRUE(snapshot(inst.dir / "Tervik" / "DEPLOY IN").empty());
        EXPECT_EQ(inst.rows("SELECT COUNT(*) FROM [Tervik].dbo.SetupDetails"), std::vector<std::string>{"0"});
        EXPECT_EQ(inst.rows("SELECT COUNT(*) FROM [Tervik].dbo.HotFixLog"), std::vector<std::string>{"0"});
    }
}

} // namespace
} // namespace quillan::test
