// The disk fills during a download, the join of a split package or the unpacking. Two ways to fill it: a
// write limit of this process (the system's file-size limit, which every machine allows), and, where the
// machine lets the test mount one, a small file system over the update folder. Either way the run stops
// before anything is installed, no half file is left under a final name, and the next run, with
// room again, takes the release on.
#include "tests/e2e/OfficeRelease.h"
#include "tests/e2e/WriteLimit.h"
#include "tests/transfer/TransferTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#ifdef __linux__
#include <sys/mount.h>
#endif

namespace quillan {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr rlim_t kRoom = 1024 * 1024; // what either way leaves for one file

// A small file system mounted over a folder while it lives; `mounted()` false where the machine
// refuses (no privilege, or no Linux).
class SmallFileSystem {
public:
    SmallFileSystem(std::filesystem::path at, rlim_t bytes) : at_(std::move(at)) {
#ifdef __linux__
        mounted_ = ::mount("tmpfs", at_.c_str(), "tmpfs", 0, ("size=" + std::to_string(bytes)).c_str()) == 0;
#endif
    }
    ~SmallFileSystem() {
#ifdef __linux__
        if (mounted_)
            ::umount2(at_.c_str(), MNT_DETACH);
#endif
    }
    bool mounted() const {
        return mounted_;
    }
    // Gives the file system room again, keeping what it holds.
    void grow(rlim_t bytes) {
#ifdef __linux__
        if (mounted_)
            ::mount("tmpfs", at_.c_str(), "tmpfs", MS_REMOUNT, ("size=" + std::to_string(bytes)).c_str());
#endif
    }

private:
    std::filesystem::path at_;
    bool mounted_ = false;
};

struct DiskFull : ::testing::Test, test::OfficeRelease {};

TEST_F(DiskFull, DuringADownloadTheJoinOrTheUnpackingNothingIsInstalledAndTheNextRunCompletes) {
    enum class Where { Download, Join, Unpacking };
    struct Case {
        bool smallFileSystem;
        Where where;
        rlim_t room;
    };
    // A small file system over the update folder holds the pieces too: for the join it leaves
    // room for them but not for the archive rebuilt beside them.
    const Case cases[] = {{false, Where::Download, kRoom},  {false, Where::Join, kRoom},
                          {false, Where::Unpacking, kRoom}, {true, Where::Download, kRoom},
                          {true, Where::Join, 5 * kRoom},   {true, Where::Unpacking, kRoom}};
    for (const Case& k : cases) {
        const char* where[] = {"download", "join", "unpacking"};
        SCOPED_TRACE(std::string(k.smallFileSystem ? "small file system, " : "write limit, ") +
                     where[static_cast<int>(k.where)]);
        test::OfficeRelease f;
        // Three megabytes that do not compress fill the disk while the package comes; three that
        // do (a package of a few kilobytes) fill it while the member is unpacked.
        const std::string program = k.where == Where::Unpacking  ? std::string(3 * kRoom, 'x')
                                    : k.where == Where::Download ? test::patternBytes(3 * kRoom, 11)
                                                                 : std::string("the new program");
        f.publishZip("App.zip", 1, {{"Tervik.exe", program}});
        f.publishZip("Reports.zip", 2, {{"Sales.rpt", "the new report"}});
        if (k.where == Where::Join)
            f.publishSplit("Big.zip", 3, {{"Big.rpt", test::patternBytes(3 * kRoom, 13)}}, 512 * 1024);
        const auto rowsBefore = f.rows();
        f.startOffice();

        std::unique_ptr<SmallFileSystem> small;
        if (k.smallFileSystem) {
            small = std::make_unique<SmallFileSystem>(f.update, k.room);
            if (!small->mounted()) {
                std::cout << "[ SKIPPED  ] the machine refuses to mount a small file system\n";
                continue;
            }
        }
        const test::ConsoleRun* first = nullptr;
        {
            std::unique_ptr<test::WriteLimit> limit;
            if (!k.smallFileSystem) {
                limit = std::make_unique<test::WriteLimit>(k.room);
                ASSERT_TRUE(limit->ok());
            }
            first = &f.run();
        }
        EXPECT_TRUE(first->console->state.run.runFailed);
        EXPECT_EQ(f.installation(), f.installationBefore);
        EXPECT_FALSE(std::filesystem::exists(f.update / "Tervik.exe"));
        switch (k.where) {
        case Where::Unpacking:
            EXPECT_THAT(first->log, HasSubstr(">>-Unable to Unzip App.zip"));
            EXPECT_EQ(first->console->ending(), Ending::Failure);
            EXPECT_THAT(first->op.informed,
                        ::testing::Contains("Error by unzipping file check the log file"));
            EXPECT_THAT(f.strays(false), IsEmpty()) << "the unpacking's temporary is removed";
            break;
        case Where::Join:
            EXPECT_THAT(first->log, HasSubstr(">>-File Not Properly Restored"));
            EXPECT_THAT(first->op.informed, ::testing::Contains(HasSubstr(" In RestoreZipFile")));
            EXPECT_EQ(first->console->state.run.outcome, RunOutcome::CompletedWithErrors);
            EXPECT_FALSE(std::filesystem::exists(f.update / "Big.zip"));
            EXPECT_THAT(f.strays(false), IsEmpty()) << "the join's temporary is removed";
            break;
        case Where::Download:
            EXPECT_THAT(first->log, HasSubstr(">>-File Not Properly Downloaded"));
            EXPECT_EQ(first->console->state.run.outcome, RunOutcome::CompletedWithErrors);
            EXPECT_FALSE(std::filesystem::exists(f.update / "App.zip"));
            EXPECT_THAT(f.strays(true), IsEmpty());
            EXPECT_EQ(f.value("DownloadFileSize", "App.zip"), "0");
            break;
        }
        EXPECT_NE(f.rows(), rowsBefore) << "the finishing operation marks the rows";

        if (small)
            small->grow(16 * kRoom);
        const auto& next = f.run();
        EXPECT_THAT(next.log, HasSubstr(">>-Unzipped App.zip"));
        for (const auto& [name, bytes] : f.unpacked)
            EXPECT_EQ(test::readFile(f.update / name), bytes) << name;
        EXPECT_THAT(f.strays(false), IsEmpty());
        f.expectReleaseCompleted(next);
        f.runs.clear(); // the consoles' logs and files close before the file system goes
    }
}

} // namespace
} // namespace quillan
