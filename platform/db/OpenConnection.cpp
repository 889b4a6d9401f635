// The choice of backend: "Provider=SQLite" selects the embedded engine, an ODBC string
// ("Driver=..." / "DSN=...") is used as it is, and every other string is translated for SQL Server.
#include "platform/PathMap.h"
#include "platform/db/Connection.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/DbAdmin.h"
#include "platform/db/OdbcConnectionString.h"
#include "platform/db/RecordFilter.h"
#include "platform/db/odbc/OdbcAdmin.h"
#include "platform/db/odbc/OdbcConnection.h"

#ifdef QUILLAN_EMBEDDED_ENGINE
#include "platform/db/embedded/EmbeddedEngine.h"
#endif

#include <cctype>

namespace quillan::db {

namespace {

std::string trimmed(std::string s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    const auto last = s.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

bool isEmbedded(const ConnectionString& cs) {
    return equalsNoCase(trimmed(cs.get("Provider").value_or("")), "SQLite");
}

#ifdef QUILLAN_EMBEDDED_ENGINE
// "Data Folder" may be a Windows text ("C:\Tervik\Data"), a native path, or relative to appDir.
// A folder the string names must exist: creating it would turn a typo into an empty installation
// that then reports its database missing. Only the default folder below appDir is created.
std::filesystem::path dataFolder(const ConnectionString& cs, const std::filesystem::path& appDir) {
    const auto text = trimmed(cs.get("Data Folder").value_or(""));
    if (text.empty())
        return appDir / "Data";
    const auto native = PathMap::forProgramFolder(appDir).toNative(text);
    const auto folder = native.is_absolute() ? native : appDir / native;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        throw DbError("The data folder '" + folder.string() + "' named by Data Folder=" + text +
                      " does not exist.");
    return folder;
}
#else
[[noreturn]] void noEmbeddedEngine() {
    throw DbError("Provider=SQLite names the embedded engine, which this build does not contain.");
}
#endif

} // namespace

std::unique_ptr<Connection> openConnection(const std::string& connectionString,
                                           const std::filesystem::path& appDir) {
    if (isOdbcConnectionString(connectionString))
        return std::make_unique<odbc::OdbcConnection>(trimmed(connectionString), odbcLoginTimeoutSeconds());
    const auto cs = ConnectionString::parse(connectionString);
    if (isEmbedded(cs)) {
#ifdef QUILLAN_EMBEDDED_ENGINE
        EmbeddedOptions options;
        options.dataFolder = dataFolder(cs, appDir);
        const auto catalog = trimmed(cs.get("Initial Catalog").value_or(""));
        options.currentDatabase = catalog.empty() ? "master" : catalog;
        options.nativePath = [map = PathMap::forProgramFolder(appDir)](const std::string& text) {
            return map.toNative(text);
        };
        return openEmbeddedConnection(options);
#else
        static_cast<void>(appDir);
        noEmbeddedEngine();
#endif
    }
    return std::make_unique<odbc::OdbcConnection>(toOdbcConnectionString(cs, defaultOdbcDriver()),
                                                  odbcLoginTimeoutSeconds());
}

std::unique_ptr<DbAdmin> openAdmin(const std::string& connectionString, const std::filesystem::path& appDir) {
    const auto cs = ConnectionString::parse(connectionString);
    if (isOdbcConnectionString(connectionString))
        return std::make_unique<odbc::OdbcAdmin>(cs.get("Driver").value_or(defaultOdbcDriver()));
    // The files a batch names (BULK INSERT's, OPENROWSET's) are found through the same drive map
    // as the connection's, so the administration interface reads the work files the console wrote.
    if (isEmbedded(cs)) {
#ifdef QUILLAN_EMBEDDED_ENGINE
        return openEmbeddedAdmin(dataFolder(cs, appDir),
                                 [map = PathMap::forProgramFolder(appDir)](const std::string& text) {
                                     return map.toNative(text);
                                 });
#else
        static_cast<void>(appDir);
        noEmbeddedEngine();
#endif
    }
    return std::make_unique<odbc::OdbcAdmin>(defaultOdbcDriver());
}

} // namespace quillan::db
