// The quillan and quillan-sample executables: options, outcomes, exit codes and output.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace {

const fs::path kBin = fs::path(QUILLAN_BINARY_DIR) / "app";

struct Result {
    int code = -1;
    std::string out;
};

Result run(const std::string& command) {
    Result r;
    FILE* p = ::popen((command + " 2>&1 </dev/null").c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf{};
    while (std::fgets(buf.data(), buf.size(), p))
        r.out += buf.data();
    const int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string quote(const fs::path& p) {
    return "'" + p.string() + "'";
}

struct Temp {
    fs::path dir;
    Temp() {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("quillan-exe-test-" + std::to_string(rd()) + std::to_string(rd()));
    }
    ~Temp() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(QuillanExe, UsageErrorsHelpAndVersion) {
    EXPECT_EQ(run(quote(kBin / "quillan") + " --headless --answer continue=maybe").code, 64);
    EXPECT_EQ(run(quote(kBin / "quillan") + " --headless --answer later=yes").code, 64);
    EXPECT_EQ(run(quote(kBin / "quillan") + " --headless --bogus").code, 64);
    EXPECT_EQ(run(quote(kBin / "quillan") + " --headless --app-dir /nonexistent/quillan").code, 64);
    const Result help = run(quote(kBin / "quillan") + " --help");
    EXPECT_EQ(help.code, 0);
    EXPECT_THAT(help.out, HasSubstr("--answer"));
    const Result version = run(quote(kBin / "quillan") + " --version");
    EXPECT_EQ(version.code, 0);
    EXPECT_THAT(version.out, HasSubstr("0.1.0"));
}

TEST(QuillanExe, MissingSettingStopsWithoutRunExitTwo) {
    Temp t;
    ASSERT_EQ(
        run(quote(kBin / "quillan-sample") + " " + quote(t.dir) + " --mode http --without seqno35").code, 0);
    const Result r = run(quote(kBin / "quillan") + " --app-dir " + quote(t.dir) + " --headless");
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Start-up: stopped without a run"));
    const std::string log = readFile(t.dir / "Tervik" / "Logs" / "DeployErrlog.log");
    EXPECT_EQ(log.rfind("---------------------------------------------\r\nDeployment Date:", 0), 0u);
    EXPECT_THAT(log,
                HasSubstr("Deployment Process Started\r\n---------------------------------------------\r\n"));
    EXPECT_THAT(log, HasSubstr(">>-Update Folder Not Configured\r\n"));
}

TEST(QuillanExe, MissingLogFolderEndsExitThree) {
    Temp t;
    ASSERT_EQ(run(quote(kBin / "quillan-sample") + " " + quote(t.dir) + " --without seqno37").code, 0);
    const Result r = run(quote(kBin / "quillan") + " --app-dir " + quote(t.dir) + " --headless");
    EXPECT_EQ(r.code, 3) << r.out;
    EXPECT_THAT(r.out, HasSubstr("[Quillan] Error Log Folder not Configured"));
}

TEST(QuillanExe, UnansweredNoticeIsCancelledAndSaidSo) {
    Temp t;
    ASSERT_EQ(run(quote(kBin / "quillan-sample") + " " + quote(t.dir) + " --notice 'Read me first'").code, 0);
    const Result r = run(quote(kBin / "quillan") + " --app-dir " + quote(t.dir) + " --headless");
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Read me first -> Cancel (no answer given for \"notice\""));
    EXPECT_THAT(readFile(t.dir / "Tervik" / "Logs" / "DeployErrlog.log"),
                HasSubstr(">>-No answer given for the question \"notice\""));
}

TEST(QuillanExe, SampleRefusesAnUsedFolder) {
    Temp t;
    ASSERT_EQ(run(quote(kBin / "quillan-sample") + " " + quote(t.dir)).code, 0);
    const Result again = run(quote(kBin / "quillan-sample") + " " + quote(t.dir));
    EXPECT_NE(again.code, 0);
    EXPECT_THAT(again.out, HasSubstr("not empty"));
}
