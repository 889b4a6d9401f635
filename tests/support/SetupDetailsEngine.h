#pragma once
// The embedded engine with a "[Tervik]" database holding the release tables the pending check and
// the panels read: SetupDetails (one row per published file) and HotFixLog.
#include "platform/db/embedded/EmbeddedEngine.h"

#include <filesystem>
#include <memory>
#include <string>

namespace quillan::test {

// SetupDetails (one row per published file) and HotFixLog in "[Tervik]".
inline void createReleaseTables(db::Connection& conn) {
    conn.execute("CREATE TABLE [Tervik].dbo.SetupDetails (File_Names VARCHAR(200), File_Path VARCHAR(500), "
                 "File_CrDate DATETIME, File_UnZipDate DATETIME, Status INT, RegRequired INT, HotfixNo INT, "
                 "VersionNo INT, UploadFileSize BIGINT, DownloadFileSize BIGINT, FileExtension VARCHAR(10), "
                 "FileSplitStatus INT)");
    conn.execute("CREATE TABLE [Tervik].dbo.HotFixLog (FixId INT)");
}

// The other application tables the installation phases and the completion records read and
// write (MandatoryDeployment aside), empty: no switches, no other workstation, no listed extension.
inline void createInstallationTables(db::Connection& conn) {
    for (const char* table :
         {"PexaConfiguration (moduleID VARCHAR(50), seqno INT, Status INT)",
          "FN_Hostnames (HMessage VARCHAR(200))",
          "FileExtension (Extension VARCHAR(100), Type INT, Status INT)",
          "DeploymentVesrion (ProcessexeName Nvarchar(100), VersionId varchar(50), HostName varchar(100))"})
        conn.execute("CREATE TABLE [Tervik].dbo." + std::string(table));
}

inline std::unique_ptr<db::Connection> openSetupDetailsEngine(const std::filesystem::path& dataFolder) {
    db::EmbeddedOptions o;
    o.dataFolder = dataFolder;
    auto conn = db::openEmbeddedConnection(o);
    conn->execute("CREATE DATABASE [Tervik]");
    createReleaseTables(*conn);
    return conn;
}

} // namespace quillan::test
