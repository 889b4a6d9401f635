#pragma once
// Certificates for the TLS tests, made at test time by the openssl command line in a scratch
// folder (no private key is ever kept in the source tree): a certificate authority the office's
// clients are told to trust, the office's certificate from it for 127.0.0.1 and localhost, one
// from it for another host name, and a self-signed one that nobody trusts.
#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace quillan::test {

struct CertificateFiles {
    std::filesystem::path certificate; // PEM
    std::filesystem::path privateKey;  // PEM
};

class TestCertificates {
public:
    TestCertificates() {
        make("ca", "/CN=Quillan test authority", {}, false);
        office = make("office", "/CN=office", "IP:127.0.0.1,DNS:localhost", true);
        otherHost = make("elsewhere", "/CN=office.example", "DNS:office.example", true);
        untrusted = make("stranger", "/CN=stranger", "IP:127.0.0.1,DNS:localhost", false);
    }

    std::filesystem::path authority() const { return dir_ / "ca.pem"; } // what clients trust
    CertificateFiles office;    // signed by the authority for 127.0.0.1 and localhost
    CertificateFiles otherHost; // signed by the authority, for office.example only
    CertificateFiles untrusted; // self-signed, for 127.0.0.1 and localhost

private:
    CertificateFiles make(const std::string& name, const std::string& subject, const std::string& hosts,
                          bool signedByAuthority) {
        CertificateFiles f{dir_ / (name + ".pem"), dir_ / (name + ".key")};
        std::vector<std::string> args{"openssl",
                                      "req",
                                      "-x509",
                                      "-newkey",
                                      "ec",
                                      "-pkeyopt",
                                      "ec_paramgen_curve:prime256v1",
                                      "-nodes",
                                      "-days",
                                      "2",
                                      "-subj",
                                      subject,
                                      "-keyout",
                                      f.privateKey.string(),
                                      "-out",
                                      f.certificate.string()};
        if (!hosts.empty())
            args.insert(args.end(), {"-addext", "subjectAltName=" + hosts, "-addext",
                                     "basicConstraints=critical,CA:FALSE"});
        if (signedByAuthority)
            args.insert(args.end(), {"-CA", authority().string(), "-CAkey", (dir_ / "ca.key").string()});
        run(args);
        return f;
    }

    static void run(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t quiet; // openssl reports its progress on standard error
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int rc = ::posix_spawnp(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&quiet);
        int status = 0;
        if (rc == 0)
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        if (rc != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            throw std::runtime_error("openssl could not make the test certificate for " + args[11]);
    }

    TempDir dir_{"quillan-certs"};
};

} // namespace quillan::test
