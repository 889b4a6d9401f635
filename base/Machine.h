#pragma once
// What start-up asks of the machine and of the database layer, gathered so that tests can give
// start-up a machine of their own (drives with chosen free space, another computer name, a
// recording connection) instead of the real disk and server.
#include "platform/SystemInfo.h"
#include "platform/db/Connection.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillan {

struct Machine {
    std::function<std::vector<FixedDrive>(const PathMap&)> scanDrives;
    std::function<std::string()> computerName;
    std::function<std::string()> systemDrive;
    std::function<std::unique_ptr<db::Connection>(const std::string& connString,
                                                  const std::filesystem::path& appDir)>
        openConnection;

    // This machine: platform/SystemInfo.h and db::openConnection.
    static Machine real();
};

} // namespace quillan
