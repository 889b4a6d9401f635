#pragma once
// A fresh folder below the system's temporary folder, removed with the object. The name holds the
// process id, a counter and a random number, so tests running side by side never share one.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <random>
#include <string>

namespace quillan::test {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "quillan-test") {
        static std::atomic<unsigned> counter{0};
        std::random_device rd;
        path_ =
            std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(::getpid()) + "-" +
                                                      std::to_string(counter++) + "-" + std::to_string(rd()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace quillan::test
