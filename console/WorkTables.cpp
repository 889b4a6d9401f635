#include "console/WorkTables.h"

namespace quillan {

namespace {
std::string frame(const std::string& p, const std::string& table, const std::string& columns) {
    return " IF NOT EXISTS (SELECT *  FROM " + p + ".dbo.sysobjects WHERE name  ='" + table +
           "' AND xtype = 'U') " + " BEGIN  " + " CREATE TABLE " + p + ".dbo." + table + " " + " ( " +
           columns + " )" + " END ";
}
} // namespace

std::array<std::string, 4> workTableStatements(const std::string& p) {
    return {
        frame(p, "DeploymentMessage", std::string(" Captions   VARCHAR(2000), ") + " DStatus    INT "),
        frame(p, "TempBackupFile",
              std::string(" FileName       VARCHAR(100), ") + " LastModDate    DATETIME "),
        frame(p, "FileExtension",
              std::string(" Extension       VARCHAR(100), ") + " Type            INT, " +
                  " Status          INT "),
        frame(p, "DeploymentVesrion",
              std::string(" ProcessexeName   Nvarchar(100), ") + " VersionId        varchar(50), " +
                  " HostName          varchar(100)  "),
    };
}

} // namespace quillan
