#pragma once
// The statements of the database backup and restore: the list of backup archives that keeps the
// two newest, and the ending of the server processes attached to the database before a restore.
#include "platform/DateTime.h"

#include <cstdint>
#include <string>

namespace quillan {

// Empties the list of backup archives.
std::string clearBackupListStatement(const std::string& dbPrefix);
// Adds one archive of the backup folder with its last-write time.
std::string backupListInsert(const std::string& dbPrefix, const std::string& fileName,
                             const DateTime& lastWrite);
// Takes the two newest archives off the list: they are kept.
std::string keepNewestBackupsStatement(const std::string& dbPrefix);
// The archives left on the list, to be deleted.
std::string backupListQuery(const std::string& dbPrefix);
// The server processes attached to the database (catalog name without brackets).
std::string serverProcessesQuery(const std::string& dbName);
// The number of the session that runs it ("SELECT @@SPID"): the console spares its own sessions.
std::string ownSessionQuery();
// Ends one server process.
std::string killStatement(std::int64_t spid);

} // namespace quillan
