#include "install/DatabaseBackupStatements.h"

#include "platform/db/Connection.h"
#include "platform/db/SqlDateTime.h"

namespace quillan {

std::string clearBackupListStatement(const std::string& p) {
    return " DELETE FROM " + p + ".dbo.TempBackupFile ";
}

// The name was embedded between quotes as it stood: quoted now. The time is ordered as a date, so
// it goes in the form every login language reads alike.
std::string backupListInsert(const std::string& p, const std::string& fileName, const DateTime& lastWrite) {
    return " INSERT INTO " + p + ".dbo.TempBackupFile SELECT " + db::sqlQuote(fileName) + "," +
           db::sqlDateTime(lastWrite);
}

std::string keepNewestBackupsStatement(const std::string& p) {
    return "DELETE A FROM " + p +
           ".dbo.TempBackupFile A(NOLOCK) WHERE FileName IN(SELECT TOP 2 FileName FROM " + p +
           ".dbo.TempBackupFile(NOLOCK) Order BY LastModDate DESC)";
}

std::string backupListQuery(const std::string& p) {
    return " SELECT DISTINCT FileName FROM " + p + ".dbo.TempBackupFile(NOLOCK) ";
}

// The catalog name was embedded between quotes as it stood: quoted now.
std::string serverProcessesQuery(const std::string& dbName) {
    return std::string(
               "SELECT RTRIM(nt_username),spid FROM master.dbo.sysprocesses WHERE (dbid = (SELECT dbid "
               "FROM ") +
           " master.dbo.sysdatabases WHERE (name = " + db::sqlQuote(dbName) + "))) ";
}

std::string ownSessionQuery() {
    return "SELECT @@SPID";
}

std::string killStatement(std::int64_t spid) {
    return "Kill " + std::to_string(spid);
}

} // namespace quillan
