// The LAN transport: a package already present, missing on the share, copied with progress, and
// a failed copy that must not leave a half file under the package's name.
#include "transfer/Lan.h"
#include "base/Console.h"
#include "base/Progress.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingConnection.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TempDir.h"
#include "transfer/FileCopy.h"
#include "trust/Digest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#if defined(__unix__)
#include <csignal>
#include <sys/resource.h>
#endif

namespace quillan {
namespace {

namespace fs = std::filesystem;

using test::RecordingOperator;

using test::fileNamesIn;
using test::readFile;
using test::writeFile;

class Lan : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root / "share");
        fs::create_directories(root / "update");
        console->state.updateFolder = (root / "update").string();
        console->state.lanServerPath = (root / "share").string();
        console->log.open(root / "DeployErrlog.log");
    }
    std::string logText() const { return console->log.readAll(); }
    bool logged(const std::string& line) const { return logText().find(line + "\r\n") != std::string::npos; }

    test::TempDir dir{"quillan-lan"};
    const fs::path root = dir.path();
    RecordingOperator op;
    std::unique_ptr<Console> console = std::make_unique<Console>(root, op);
    test::RecordingView view{console->model}; // declared after the console: detached before it goes
};

TEST_F(Lan, APackageAlreadyLocalCountsEvenWithoutTheShareAndAMissingOneFails) {
    writeFile(root / "update/Pkg_101.ZIP", "local");
    console->state.lanServerPath = (root / "unreachable").string();
    EXPECT_TRUE(DownloadFromLan(*console, "pkg_101.zip"));
    // The lookup ignores case and reports the name found on disk.
    EXPECT_TRUE(logged(">>-Pkg_101.ZIP already available in the local folder "));
    EXPECT_EQ(readFile(root / "update/Pkg_101.ZIP"), "local");
    EXPECT_TRUE(view.percents(Row::ProgramDownload).empty()); // nothing copied, nothing shown

    console->state.lanServerPath = (root / "share").string();
    EXPECT_FALSE(DownloadFromLan(*console, "Pkg_102.zip"));
    EXPECT_TRUE(logged(">>-Files not available in the LAN Folder " + console->state.lanServerPath));
    EXPECT_EQ(fileNamesIn(root / "update"), std::vector<std::string>{"Pkg_101.ZIP"});
}

// On a verifying installation the copy is hashed on the way (a buffer of ours instead of the
// kernel's copy): the same bytes, time and progress, and the digest kept for the packages' check.
class LanCopy : public Lan, public ::testing::WithParamInterface<bool> {};
INSTANTIATE_TEST_SUITE_P(KernelOrHashing, LanCopy, ::testing::Bool());

TEST_P(LanCopy, CopyKeepsDataAndTimeAndCountsToHundred) {
    console->state.run.downloadDigests.wanted = GetParam();
    std::string data(9'000'000, '\0');
    std::mt19937 gen(1);
    for (char& ch : data)
        ch = static_cast<char>(gen());
    writeFile(root / "share/Pkg_103.zip", data);
    auto stamp = fs::last_write_time(root / "share/Pkg_103.zip") - std::chrono::hours(30);
    fs::last_write_time(root / "share/Pkg_103.zip", stamp);
    std::string before = logText();

    EXPECT_TRUE(DownloadFromLan(*console, "Pkg_103.zip"));
    EXPECT_EQ(readFile(root / "update/Pkg_103.zip"), data);
    EXPECT_EQ(fs::last_write_time(root / "update/Pkg_103.zip"), stamp);
    EXPECT_EQ(fileNamesIn(root / "update"), (std::vector<std::string>{"Pkg_103.zip"})); // no temporary left
    EXPECT_EQ(logText(), before); // a successful copy writes no log line
    // 9 MB in 4 MiB chunks: two intermediate steps, then complete.
    EXPECT_EQ(view.percents(Row::ProgramDownload),
              (std::vector<std::string>{"0 %", "46 %", "93 %", "100 %"}));
    EXPECT_GE(view.repaints, 3);
    EXPECT_EQ(rowPercent(*console, Row::ProgramDownload), "100 %");
    const auto kept = console->state.run.downloadDigests.of(root / "update/Pkg_103.zip");
    EXPECT_EQ(kept.has_value(), GetParam());
    if (kept) {
        EXPECT_EQ(kept->sha256, trust::digestOfFile(root / "share/Pkg_103.zip")->sha256);
    }
}

TEST_F(Lan, EmptyPackageIsCopiedToo) {
    writeFile(root / "share/empty.zip", "");
    EXPECT_TRUE(DownloadFromLan(*console, "empty.zip"));
    EXPECT_TRUE(fs::exists(root / "update/empty.zip"));
    EXPECT_EQ(rowPercent(*console, Row::ProgramDownload), "100 %");
}

TEST_F(Lan, NamesThatLeaveTheFolderAreRefused) {
    fs::create_directories(root / "share/sub");
    writeFile(root / "share/sub/x.zip", "x");
    writeFile(root / "x.zip", "outside");
    for (const char* bad : {"../x.zip", "sub/x.zip", "sub\\x.zip", "..", "", "*.zip", "C:x.zip"}) {
        EXPECT_FALSE(DownloadFromLan(*console, bad)) << bad;
    }
    EXPECT_TRUE(logged(">>-Bad file name ../x.zip in Download from LAN"));
    EXPECT_TRUE(fileNamesIn(root / "update").empty());
}

TEST_F(Lan, MissingUpdateFolderIsReportedNotThrown) {
    writeFile(root / "share/Pkg_104.zip", "data");
    console->state.updateFolder = (root / "gone").string();
    EXPECT_FALSE(DownloadFromLan(*console, "Pkg_104.zip"));
    EXPECT_TRUE(logged(">>-No such file or directory in Download from LAN")) << logText();
    EXPECT_FALSE(fs::exists(root / "gone"));
}

#if defined(__unix__)
TEST_F(Lan, FailedCopyLeavesNoFileUnderTheFinalName) {
    writeFile(root / "share/Pkg_105.zip", std::string(3'000'000, 'z'));
    // A file-size limit makes the write fail part-way, as a full disk would.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1'000'000;
    setrlimit(RLIMIT_FSIZE, &small);
    bool copied = DownloadFromLan(*console, "Pkg_105.zip");
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(copied);
    EXPECT_TRUE(logged(">>-File too large in Download from LAN")) << logText();
    EXPECT_TRUE(fileNamesIn(root / "update").empty()); // neither the package nor its temporary

    // The next attempt finds nothing local and copies the whole file.
    EXPECT_TRUE(DownloadFromLan(*console, "Pkg_105.zip"));
    EXPECT_EQ(fs::file_size(root / "update/Pkg_105.zip"), 3'000'000u);
}
#endif

TEST_F(Lan, ReplacesAFileThatAppearedUnderTheTargetName) {
    writeFile(root / "share/a.zip", "new content");
    writeFile(root / "update/a.zip", "stale");
    transfer::copyFileAtomically(root / "share/a.zip", root / "update/a.zip");
    EXPECT_EQ(readFile(root / "update/a.zip"), "new content");
}

TEST_F(Lan, SizeInBytesOrMegabytesAndZeroForAMissingFile) {
    writeFile(root / "update/three.zip", std::string(3 * 1024 * 1000, 'a'));
    writeFile(root / "update/kilo.zip", std::string(1024, 'b'));
    writeFile(root / "update/none.zip", "");
    const std::string folder = console->state.updateFolder;
    EXPECT_EQ(GetDownLoadFileSize(*console, folder + "\\three.zip", 2), 3.0);
    EXPECT_EQ(GetDownLoadFileSize(*console, folder + "\\three.zip", 1), 3.0 * 1024 * 1000);
    EXPECT_DOUBLE_EQ(GetDownLoadFileSize(*console, folder + "\\kilo.zip", 2), 0.001);
    EXPECT_EQ(GetDownLoadFileSize(*console, folder + "\\kilo.zip", 7), 1024.0); // other units: bytes
    EXPECT_EQ(GetDownLoadFileSize(*console, folder + "\\none.zip", 2), 0.0);
    EXPECT_TRUE(op.informed.empty());
    EXPECT_EQ(GetDownLoadFileSize(*console, console->state.updateFolder + "\\absent.zip", 1), 0.0);
    EXPECT_EQ(op.informed, (std::vector<std::string>{"File not found In GetDownLoadFileSize"}));
}

} // namespace
} // namespace quillan
