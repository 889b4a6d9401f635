// The chunked file copy: both ways of moving the bytes give the same file and the same progress,
// across file systems too, and failures surface with the system's reason.
#include "platform/FileCopy.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kChunk = 64u << 10; // the smallest chunk the copy accepts

std::string randomBytes(std::size_t n) {
    std::string data(n, '\0');
    std::mt19937 gen(7);
    for (char& ch : data)
        ch = static_cast<char>(gen());
    return data;
}

struct Steps {
    std::vector<std::uint64_t> copied;
    std::vector<std::uint64_t> totals;
    ChunkCopyProgress recorder() {
        return [this](std::uint64_t c, std::uint64_t t) {
            copied.push_back(c);
            totals.push_back(t);
        };
    }
};

class ChunkedCopy : public ::testing::TestWithParam<ChunkCopyMethod> {
protected:
    TempDir dir;
};

TEST_P(ChunkedCopy, SameBytesOneReportPerChunkAndALongerTargetIsCut) {
    const std::string data = randomBytes(5 * kChunk + 123);
    writeFile(dir / "src.zip", data);
    writeFile(dir / "dst.zip", data + std::string(200'000, 'x'));
    Steps steps;
    EXPECT_EQ(copyFileInChunks(dir / "src.zip", dir / "dst.zip", steps.recorder(), kChunk, GetParam()),
              data.size());
    EXPECT_EQ(readFile(dir / "dst.zip"), data);
    const std::vector<std::uint64_t> expected{kChunk,     2 * kChunk, 3 * kChunk,
                                              4 * kChunk, 5 * kChunk, data.size()};
    EXPECT_EQ(steps.copied, expected);
    EXPECT_EQ(steps.totals, std::vector<std::uint64_t>(expected.size(), data.size()));

    writeFile(dir / "empty.bin", "");
    Steps none;
    EXPECT_EQ(copyFileInChunks(dir / "empty.bin", dir / "dst.zip", none.recorder(), kChunk, GetParam()), 0u);
    EXPECT_EQ(fs::file_size(dir / "dst.zip"), 0u);
    EXPECT_TRUE(none.copied.empty()); // nothing moved, nothing to report
}

// A missing source names itself and creates nothing. A file-size limit makes writing fail part-way,
// as a full disk would: the copy must say so rather than answer a short count as if the source had
// ended.
TEST_P(ChunkedCopy, MissingSourceAndWriteFailurePartWayAreErrorsNotShortCopies) {
    try {
        copyFileInChunks(dir / "absent.zip", dir / "dst.zip", {}, kChunk, GetParam());
        ADD_FAILURE() << "copy of a missing file succeeded";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::no_such_file_or_directory);
        EXPECT_NE(std::string(e.what()).find("absent.zip"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(dir / "dst.zip"));

    writeFile(dir / "src.zip", randomBytes(4 * kChunk));
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = kChunk + 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    std::error_code code;
    try {
        copyFileInChunks(dir / "src.zip", dir / "dst.zip", {}, kChunk, GetParam());
    } catch (const std::system_error& e) {
        code = e.code();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(code, std::errc::file_too_large);
}

INSTANTIATE_TEST_SUITE_P(Methods, ChunkedCopy,
                         ::testing::Values(ChunkCopyMethod::Fastest, ChunkCopyMethod::Buffered),
                         [](const auto& p) {
                             return p.param == ChunkCopyMethod::Fastest ? "Fastest" : "Buffered";
                         });

#if defined(__linux__)
// From a memory file system to the temp folder's disk the kernel refuses its in-kernel copy
// (EXDEV); the fastest method must notice and finish the copy through a buffer.
TEST(ChunkedCopyAcrossFileSystems, FallsBackWhenTheKernelRefuses) {
    TempDir dir;
    const fs::path shm = "/dev/shm";
    struct stat a {
    }, b{};
    if (::stat(shm.c_str(), &a) != 0 || ::stat(dir.path().c_str(), &b) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system to copy from";
    const fs::path src = shm / ("quillan-copy-" + std::to_string(::getpid()) + ".bin");
    const std::string data = randomBytes(3 * kChunk + 7);
    writeFile(src, data);

    // The premise: the kernel will not copy between these two.
    int in = ::open(src.c_str(), O_RDONLY);
    int out = ::open((dir / "probe.bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1024, 0);
    const int err = errno;
    ::close(in);
    ::close(out);
    if (n >= 0) {
        fs::remove(src);
        GTEST_SKIP() << "this kernel copies across these file systems";
    }
    EXPECT_EQ(err, EXDEV);

    Steps steps;
    std::uint64_t copied = 0;
    EXPECT_NO_THROW(copied = copyFileInChunks(src, dir / "dst.bin", steps.recorder(), kChunk));
    fs::remove(src);
    EXPECT_EQ(copied, data.size());
    EXPECT_EQ(readFile(dir / "dst.bin"), data);
    EXPECT_EQ(steps.copied, (std::vector<std::uint64_t>{kChunk, 2 * kChunk, 3 * kChunk, data.size()}));
}
#endif

} // namespace
