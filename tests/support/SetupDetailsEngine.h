#pragma once
// The embedded engine with a "[Tervik]" database holding the release tables the pending check and
// the panels read: SetupDetails (one row per published file) and HotFixLog.
#include "platform/db/embedded/EmbeddedEngine.h"

#include <filesystem>
#include <memory>

namespace quillan::test {

inline std::unique_ptr<db::Connection> openSetupDetailsEngine(const std::filesystem::path& dataFolder) {
    db::EmbeddedOptions o;
    o.dataFolder = dataFolder;
    auto conn = db::openEmbeddedConnection(o);
    conn->execute("CREATE DATABASE [Tervik]");
    conn->execute("CREATE TABLE [Tervik].dbo.SetupDetails (File_Names VARCHAR(200), File_Path VARCHAR(500), "
                  "File_CrDate DATETIME, File_UnZipDate DATETIME, Status INT, RegRequired INT, HotfixNo INT, "
                  "VersionNo INT, UploadFileSize BIGINT, DownloadFileSize BIGINT, FileExtension VARCHAR(10), "
                  "FileSplitStatus INT)");
    conn->execute("CREATE TABLE [Tervik].dbo.HotFixLog (FixId INT)");
    return conn;
}

} // namespace quillan::test
