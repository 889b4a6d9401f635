#pragma once
// The embedded database engine: runs the system's T-SQL statement texts on a folder of SQLite files,
// one file per catalog ("<name>.sqlite", found without regard to case) plus "master.sqlite".
// Used for the sample installation, the demo and the tests; the field uses SQL Server.
#include "platform/db/Connection.h"
#include "platform/db/DbAdmin.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace quillan::db {

struct EmbeddedOptions {
    std::filesystem::path dataFolder;
    std::string currentDatabase = "master";
    // Turns a file name written in a statement (BULK INSERT ... FROM 'C:\x.txt', OPENROWSET's
    // Database=..., EXEC Proc_ImpSetupDetails 'C:\x.xml') into a native path. Empty: the text is
    // taken as a native path as it stands.
    std::function<std::filesystem::path(const std::string&)> nativePath;
};

// Opens a connection on the data folder (created when missing, with an empty master). Throws DbError.
// openConnection refuses a missing folder that the connection string names before it gets here.
std::unique_ptr<Connection> openEmbeddedConnection(const EmbeddedOptions& options);
// The administration interface on the same folder; connect() checks the folder. `nativePath` turns
// file names inside batches into native paths, as EmbeddedOptions::nativePath does; when empty,
// the platform's default drive map (PathMap) is used.
std::unique_ptr<DbAdmin>
openEmbeddedAdmin(const std::filesystem::path& dataFolder,
                  std::function<std::filesystem::path(const std::string&)> nativePath = {});

} // namespace quillan::db
