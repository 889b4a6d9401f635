// What runs leave for the operator, the scheduler and the office, over the executables: the exit
// codes, the runs file and the --json summary, the earlier run logs kept, the progress lines of a
// slow download, and the office's request log.
#include "tests/e2e/WholeRelease.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <regex>

namespace quillan::test {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

struct RunRecord : ::testing::Test {
    WholeRelease release;
    fs::path root = release.root, scratch = release.scratch.path();

    static fs::path logs(const SampleInstall& inst) { return inst.dir / "Tervik" / "Logs"; }
    static std::vector<json> runsFile(const SampleInstall& inst) {
        std::vector<json> out;
        std::istringstream lines(readFile(logs(inst) / "DeployRuns.jsonl"));
        for (std::string line; std::getline(lines, line);)
            out.push_back(json::parse(line));
        return out;
    }
    static std::vector<std::string> keptLogs(const SampleInstall& inst) {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(logs(inst)))
            if (e.path().filename().string().rfind("DeployErrlog-", 0) == 0)
                out.push_back(readFile(e.path()));
        return out;
    }
    static std::vector<std::string> linesOf(const std::string& out) {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    static json phase(const json& summary, int row) {
        for (const auto& p : summary["phases"])
            if (p["row"] == row)
                return p;
        return json();
    }
};

TEST_F(RunRecord, AFailedRunAnInstallAndANoOpRunAreEachRecordedAndNoRunLogIsLost) {
    ASSERT_EQ(release.publish("xml", false).code, 0);
    auto office = std::make_unique<OfficeProcess>(root, scratch / "port",
                                                  std::vector<std::string>{"--missing", "Release8.zip"});
    const int port = office->port();
    SampleInstall inst("--mode http --format xml --server-path " + office->serverPath());
    release.putOldFiles(inst);

    // A package the office does not have: the run fails before it changes anything.
    const CommandResult failed = inst.run("--json");
    EXPECT_EQ(failed.code, 3) << failed.out;
    const json summary = json::parse(linesOf(failed.out).back());
    EXPECT_EQ(summary["exitCode"], 3);
    EXPECT_EQ(summary["outcome"], "failed and put back");
    EXPECT_EQ(summary["distributorCode"], "D0001");
    EXPECT_EQ(phase(summary, 4)["state"], "failed") << summary.dump(2);
    EXPECT_EQ(phase(summary, 2)["state"], "completed");
    EXPECT_TRUE(summary["changed"].empty());
    EXPECT_TRUE(summary["notPutBack"].empty());
    EXPECT_THAT(office->output(),
                ::testing::ContainsRegex("127\\.0\\.0\\.1 GET /Deploy/Release8\\.zip 404 [0-9]+\n"));

    // The fault gone, on the same address: installed; then nothing to do.
    office.reset();
    office = std::make_unique<OfficeProcess>(root, scratch / "port2",
                                             std::vector<std::string>{"--port", std::to_string(port)});
    const CommandResult installed = inst.run();
    EXPECT_EQ(installed.code, 0) << installed.out;
    const CommandResult again = inst.run();
    EXPECT_EQ(again.code, 8) << again.out;

    const auto runs = runsFile(inst);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], summary) << "--json prints what the runs file records";
    EXPECT_EQ(runs[1]["exitCode"], 0);
    EXPECT_THAT(runs[1]["changed"].get<std::vector<std::string>>(), ::testing::Contains("programs"));
    EXPECT_EQ(runs[2]["exitCode"], 8);
    EXPECT_FALSE(runs[1]["releaseAfter"].is_null());
    EXPECT_EQ(runs[2]["releaseBefore"], runs[1]["releaseAfter"]);

    // The current log is the no-op run's; the failed run's and the install's are both kept.
    EXPECT_THAT(inst.runLog(), HasSubstr(">>-Deployment Process Completed"));
    const auto kept = keptLogs(inst);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(std::count_if(kept.begin(), kept.end(),
                            [](const std::string& l) {
                                return l.find(">>-Unzipped Release8.zip") != std::string::npos;
                            }),
              1);
}

TEST_F(RunRecord, ASlowDownloadPrintsProgressAtMostOnceASecondAndQuickStepsPrintNone) {
    WholeRelease::writeDated(release.source / "Data.bin", patternBytes(100'000, 7), WholeRelease::kNewTime);
    ASSERT_EQ(release.publish("xml", false).code, 0);
    const auto bytes = fs::file_size(root / "Deploy" / "Release8.zip");
    OfficeProcess office(root, scratch / "port", {"--slow", "Release8.zip=" + std::to_string(bytes / 3)});
    SampleInstall inst("--mode http --format xml --server-path " + office.serverPath());
    release.putOldFiles(inst);

    const CommandResult r = inst.run();
    EXPECT_EQ(r.code, 0) << r.out;
    std::vector<std::string> progress;
    for (const auto& line : linesOf(r.out))
        if (line.rfind("[progress ", 0) == 0)
            progress.push_back(line);
    // About three seconds: a line after the first and the second, and the end.
    EXPECT_GE(progress.size(), 2u) << r.out;
    EXPECT_LE(progress.size(), 4u) << r.out;
    const std::regex form(
        R"(\[progress 4\] Downloading new programs\.\.\.: [0-9.]+ KB of [0-9.]+ KB, [0-9]+ %, )"
        R"([0-9.]+ (bytes|KB)/s, ([0-9]+ s left|done))");
    for (const auto& line : progress)
        EXPECT_TRUE(std::regex_match(line, form)) << line;
}

} // namespace
} // namespace quillan::test
