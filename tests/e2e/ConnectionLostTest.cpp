// The database connection is lost mid-run: from statement N on, every statement fails as a
// broken link fails. The sweep loses it at every statement of a run in turn. Each time the loss
// is reported (run log or box), the run ends in one of its stated ways and never as a success,
// the installation is byte for byte as it was, nothing is half written under a final name, and
// the next run, with the connection back, takes the release on.
#include "app/sample/SampleInstallation.h"
#include "console/Session.h"
#include "tests/e2e/FaultRelease.h"
#include "tests/e2e/OfficeRelease.h"
#include "tests/support/FakeMachine.h"
#include "tests/transfer/TransferTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace quillan {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kLinkFailure = "[ODBC Driver] Communication link failure";

// Forwards to a connection until statement `failFrom` (counted from 1); that one and every later
// one fail. With `failFrom` 0 it only counts.
class LosingConnection : public db::Connection {
public:
    LosingConnection(db::Connection& target, int failFrom) : target_(target), failFrom_(failFrom) {}
    LosingConnection(std::unique_ptr<db::Connection> owned, int failFrom)
        : owned_(std::move(owned)), target_(*owned_), failFrom_(failFrom) {}
    db::Recordset query(const std::string& sql) override {
        check();
        return target_.query(sql);
    }
    void execute(const std::string& sql) override {
        check();
        target_.execute(sql);
    }
    std::string backendName() const override { return target_.backendName(); }
    int statements() const { return count_; }

private:
    void check() {
        ++count_;
        if (failFrom_ > 0 && count_ >= failFrom_) {
            if (count_ == failFrom_)
                endSession();
            throw db::DbError(kLinkFailure);
        }
    }
    // A server rolls back what a lost session left open; the engine connection lives on in the
    // test, so its open transaction (if any) is rolled back here.
    void endSession() {
        try {
            target_.execute("ROLLBACK");
        } catch (const db::DbError&) {
            // no transaction was open
        }
    }
    std::unique_ptr<db::Connection> owned_;
    db::Connection& target_;
    int failFrom_;
    int count_ = 0;
};

// The loss is in the run log or a box.
bool reported(const std::string& log, const std::vector<std::string>& informed) {
    return log.find(kLinkFailure) != std::string::npos ||
           std::any_of(informed.begin(), informed.end(),
                       [](const std::string& t) { return t.find(kLinkFailure) != std::string::npos; });
}

// After the loss the installation is as it was, or it holds the release and the run says so: the
// box names what stays changed (nothing was put back), or every phase of this release had run and
// the loss came while it was closed.
void expectAsItWasOrTold(const std::map<std::string, std::string>& installation,
                         const std::map<std::string, std::string>& before,
                         const std::map<std::string, std::string>& after,
                         const std::vector<std::string>& informed, const std::string& log) {
    if (installation == before)
        return;
    EXPECT_EQ(installation, after) << log;
    const bool told = std::any_of(informed.begin(), informed.end(), [](const std::string& t) {
        return t.find("The installation is NOT as it was before the run. Changed and not put back:\r\n- "
                      "programs "
                      "replaced in ") != std::string::npos;
    });
    const bool installedWhole = log.find(">>-Running Hotfix completed") != std::string::npos;
    EXPECT_TRUE(told || installedWhole) << log;
    if (told) {
        EXPECT_THAT(log, HasSubstr(">>-Replacing Exe Tervik.exe"));
        EXPECT_THAT(log, HasSubstr(">>-Not put back: programs replaced in "));
    }
}

// The sweep is cut in slices (statement numbers by their remainder), each a test of its own.
constexpr int kSlices = 3;

struct ConnectionLost : ::testing::TestWithParam<int> {
    static void publish(test::OfficeRelease& f) {
        f.publishZip("App.zip", 1, {{"Tervik.exe", test::patternBytes(20 * 1024, 3)}});
        f.publishSplit("Big.zip", 2, {{"Big.rpt", test::patternBytes(12 * 1024, 9)}}, 5 * 1024);
        f.startOffice();
    }
};

TEST_P(ConnectionLost, AtEveryStatementOfARunNothingIsLostAndTheNextRunCompletes) {
    int total = 0;
    {
        test::OfficeRelease f;
        publish(f);
        LosingConnection counting(*f.db, 0);
        f.run(&counting);
        total = counting.statements();
    }
    ASSERT_GT(total, 10);
    for (int n = 1 + GetParam(); n <= total; n += kSlices) {
        SCOPED_TRACE("connection lost from statement " + std::to_string(n) + " of " + std::to_string(total));
        test::OfficeRelease f;
        publish(f);
        LosingConnection losing(*f.db, n);
        const auto& r = f.run(&losing);
        const Console& k = *r.console;

        EXPECT_TRUE(reported(r.log, r.op.informed)) << r.log;
        EXPECT_TRUE(k.state.run.runFailed);
        EXPECT_NE(k.state.run.outcome, RunOutcome::Completed);
        EXPECT_THAT(r.op.informed, ::testing::Not(::testing::Contains("Completed Successfully")));
        expectAsItWasOrTold(f.installation(), f.installationBefore, f.installationAfter(), r.op.informed,
                            r.log);
        EXPECT_THAT(f.strays(true), IsEmpty());

        const auto& next = f.run();
        EXPECT_EQ(test::readFile(f.update / "Big.rpt"), f.unpacked["Big.rpt"]);
        EXPECT_THAT(f.strays(false), IsEmpty());
        f.expectReleaseInPlace(next);
    }
}

INSTANTIATE_TEST_SUITE_P(Slices, ConnectionLost, ::testing::Range(0, kSlices));

// The whole process in this one, from start-up on, on the sample installation with the release
// served by the office: the deploy-script download and import are in the sweep too.
struct SessionRelease : test::FaultRelease {
    std::unique_ptr<office::OfficeServer> server;

    SessionRelease() : FaultRelease(64 * 1024) {
        office::OfficeSettings s;
        s.root = office;
        s.masterFolder = "Master";
        s.transFolder = "Trans";
        server = std::make_unique<office::OfficeServer>(s);
        server->start();
        sample::SampleOptions o;
        o.folder = app;
        o.serverPath = server->serverPath();
        o.webServiceUrl = "DeployService";
        sample::makeSampleInstallation(o);
        install();
    }

    struct Outcome {
        ExitCode code = ExitCode::Completed;
        std::string log;
        std::vector<std::string> informed;
        int statements = 0;
    };
    // One process's life with the connection lost from statement `failFrom` (0: never).
    Outcome session(int failFrom) {
        test::FakeMachine machine;
        LosingConnection* losing = nullptr;
        machine.onOpenConnection = [&](const std::string& cs, const std::filesystem::path& dir) {
            auto c = std::make_unique<LosingConnection>(db::openConnection(cs, dir), failFrom);
            losing = c.get();
            return c;
        };
        machine.onOpenAdmin = [](const std::string& cs, const std::filesystem::path& dir) {
            return db::openAdmin(cs, dir);
        };
        test::RecordingOperator op;
        Outcome o;
        {
            Session s(app, op, machine);
            if (s.start() == StartupOutcome::Armed)
                s.runOnce();
            o.code = s.exitCode();
            o.statements = losing ? losing->statements() : 0;
        }
        o.log = runLog();
        for (const auto& i : op.informed)
            o.informed.push_back(i);
        return o;
    }
};

struct SessionConnectionLost : ::testing::TestWithParam<int> {};

TEST_P(SessionConnectionLost, FromStartUpOnNothingIsLostAndTheNextRunCompletes) {
    int total = 0;
    {
        SessionRelease f;
        total = f.session(0).statements;
    }
    ASSERT_GT(total, 20);
    for (int n = 1 + GetParam(); n <= total; n += kSlices) {
        SCOPED_TRACE("connection lost from statement " + std::to_string(n) + " of " + std::to_string(total));
        SessionRelease f;
        const auto lost = f.session(n);
        EXPECT_TRUE(reported(lost.log, lost.informed)) << lost.log;
        EXPECT_NE(lost.code, ExitCode::Completed);
        expectAsItWasOrTold(f.installation(), f.installationBefore, f.installationAfter(), lost.informed,
                            lost.log);
        EXPECT_THAT(f.broken(true), IsEmpty());
        EXPECT_THAT(f.brokenScripts(), IsEmpty());

        // The next run completes the release, or (the cut came after the hotfix) finds it applied.
        const auto next = f.session(0);
        EXPECT_THAT(next.code, ::testing::AnyOf(ExitCode::Completed, ExitCode::AlreadyApplied)) << next.log;
        EXPECT_EQ(f.installation(), f.installationAfter());
        EXPECT_THAT(f.broken(false), IsEmpty());
        EXPECT_THAT(f.temporaries(), IsEmpty());
        for (const auto& [name, count] : f.rowCounts())
            EXPECT_EQ(count, 1) << name;
        const auto further = f.session(0);
        EXPECT_EQ(further.code, ExitCode::AlreadyApplied);
        EXPECT_THAT(further.informed, ::testing::Contains("Updates Completed successfully")) << further.log;
    }
}

INSTANTIATE_TEST_SUITE_P(Slices, SessionConnectionLost, ::testing::Range(0, kSlices));

} // namespace
} // namespace quillan
