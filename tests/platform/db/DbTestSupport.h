#pragma once
// Scratch folders for the database tests: one fresh folder per test, removed afterwards.
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

namespace quillan::dbtest {

class ScratchDir {
public:
    ScratchDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("quillan-db-" + std::to_string(::getpid()) + "-" +
                                                          std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace quillan::dbtest
