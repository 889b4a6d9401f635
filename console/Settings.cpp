#include "console/Settings.h"

#include "base/Progress.h"
#include "console/CreateFolder.h"
#include "console/RunDriver.h"
#include "console/TimeLimitSetting.h"
#include "platform/Text.h"

#include <filesystem>
#include <stdexcept>

namespace quillan {

namespace {

std::optional<db::Value> firstValue(Console& c, const std::string& sql, const std::string& column) {
    db::Recordset rs = c.conn->query(sql);
    if (rs.eof())
        return std::nullopt;
    return rs.field(column);
}

// One of the 'datatransfer' Condition rows (seqno 31 to 40); each statement's tail is quoted
// exactly as the table holds it, blanks included.
struct ConditionSetting {
    const char* tail;
    const char* missingLine;
};

const ConditionSetting kServerPath{
    ".dbo.configuration Where ModuleName='datatransfer' and seqno=31 and len(ltrim(Condition))>0 ",
    ">>-Server Path Not Configured"};
const ConditionSetting kDeployServerPath{
    ".dbo.configuration Where ModuleName='datatransfer' and seqno=32 and len(ltrim(Condition))>0 ",
    ">>-Deploy Server Path Not Configured"};
const ConditionSetting kFtpUser{
    ".dbo.configuration Where ModuleName='datatransfer' and seqno=33 and len(ltrim(Condition))>0 ",
    ">>-FTP UserName Not Configured"};
const ConditionSetting kFtpPassword{
    ".dbo.configuration Where ModuleName='datatransfer' and seqno=34 and len(ltrim(Condition))>0 ",
    ">>-FTP Password Not Configured"};
const ConditionSetting kUpdateFolder{
    ".dbo.configuration Where ModuleName='datatransfer' and seqno=35 and len(ltrim(Condition))>0 ",
    ">>-Update Folder Not Configured"};
const ConditionSetting kLanServerPath{
    ".dbo.configuration Where ModuleName='datatransfer' and seqno=36 and len(ltrim(Condition))>0 ",
    ">>-LAN Server Path Not Configured"};
const ConditionSetting kMasterPath{
    ".dbo.configuration Where  seqno=38 and len(ltrim(Condition))>0 and ModuleName='datatransfer'",
    ">>-Deploy Server Master Path Not Configured"};
const ConditionSetting kTransPath{
    ".dbo.configuration Where  seqno=39 and len(ltrim(Condition))>0 and  ModuleName='datatransfer'",
    ">>-Deploy Server Transaction Path Not Configured"};
const ConditionSetting kWebService{
    ".dbo.configuration Where  seqno=40 and len(ltrim(Condition))>0 and ModuleName='datatransfer'",
    ">>-WebService Not Configured"};

// Reads one Condition setting into `into`; on a missing row writes its line and answers false.
bool readCondition(Console& c, const ConditionSetting& s, std::string& into) {
    auto v = firstText(c, "select Condition From " + c.state.dbPrefix + s.tail, "Condition");
    if (!v) {
        c.log.line(s.missingLine);
        return false;
    }
    into = *v;
    return true;
}

void applyFileFormat(Console& c, std::int64_t status) {
    switch (status) {
    case 0:
        c.state.filePattern = "*.Xml";
        c.state.fileFormat = "Xml";
        break;
    case 1:
        c.state.filePattern = "*.Csv";
        c.state.fileFormat = "Csv";
        break;
    case 2:
        c.state.filePattern = "*.Xls";
        c.state.fileFormat = "Xls";
        break;
    default: // other values change nothing
        break;
    }
}

} // namespace

std::optional<std::string> firstText(Console& c, const std::string& sql, const std::string& column) {
    auto v = firstValue(c, sql, column);
    if (!v)
        return std::nullopt;
    return v->textOr("");
}

bool ValidateData(Console& c) {
    auto& s = c.state;
    try {
        // 1. Transfer mode.
        if (auto v = firstValue(c,
                                "select Status From " + s.dbPrefix +
                                    ".dbo.configuration Where ModuleName='datatransfer' and seqno=30",
                                "Status")) {
            s.transferMode = static_cast<int>(v->asInt());
            if (s.transferMode == 1 || s.transferMode == 2) {
                const char* mode = s.transferMode == 1 ? "FTP" : "HTTP";
                c.model.setLabel(Label::LblDLoad, mode);
                c.model.setLabel(Label::LblDFLoad, mode);
            }
        }

        // 2. Run-log folder and the run log.
        auto logFolder = firstText(c,
                                   "select Condition From " + s.dbPrefix +
                                       ".dbo.configuration  Where ModuleName='datatransfer' and seqno=37 and "
                                       "len(ltrim(Condition))>0 ",
                                   "Condition");
        if (!logFolder) {
            c.op.inform("Error Log Folder not Configured");
            c.endProgram(Ending::Failure);
            return false;
        }
        s.errLogFolder = *logFolder;
        if (!std::filesystem::is_directory(c.native(s.errLogFolder)))
            CreateFolder(c, s.errLogFolder);
        s.errLogPath = s.errLogFolder + "\\DeployErrlog.log";
        c.log.open(c.native(s.errLogPath), RunLogKeeping{s.keptRunLogs, kReleaseAppliedLine});

        // 3 to 7. Server, paths, credentials; the first missing one stops the check.
        if (!readCondition(c, kServerPath, s.serverPath))
            return false;
        if (!readCondition(c, kDeployServerPath, s.deployServerPath))
            return false;
        if (s.transferMode == 1) {
            if (!readCondition(c, kFtpUser, s.ftpUser) || !readCondition(c, kFtpPassword, s.ftpPassword))
                return false;
        }
        if (!readCondition(c, kLanServerPath, s.lanServerPath) ||
            !readCondition(c, kUpdateFolder, s.updateFolder) ||
            !readCondition(c, kMasterPath, s.deployMasterPath) ||
            !readCondition(c, kTransPath, s.deployTransPath))
            return false;
        if (s.transferMode == 2 && !readCondition(c, kWebService, s.webServiceUrl))
            return false;

        // 8. Distributor code (kept as it was when absent).
        if (auto code = firstText(c, "select DistributorCode From " + s.dbPrefix + ".dbo.Distributor",
                                  "DistributorCode"))
            s.distributorCode = *code;

        // 9. Script file format: only the two transfer modes have a setting for it.
        std::string formatSql, zipSql;
        if (s.transferMode == 1) {
            formatSql = "select Status from " + s.dbPrefix +
                        ".dbo.configuration Where ModuleName='DataTransfer' and DesCription "
                        "='FileFormatSelectionFTP' "
                        "and Seqno=3";
            zipSql = "select Status from " + s.dbPrefix +
                     ".dbo.configuration Where ModuleName='DataTransfer' and   Seqno=4";
        } else if (s.transferMode == 2) {
            formatSql =
                "select Status from " + s.dbPrefix +
                ".dbo.configuration Where ModuleName='DataTransfer' and DesCription ='FileFormatSelection "
                "HTTP' and Seqno=15 order by seqno";
            zipSql = "select * from " + s.dbPrefix +
                     ".dbo.configuration Where ModuleName='DataTransfer' and   Seqno=16";
        } else {
            throw std::runtime_error("Transfer mode " + std::to_string(s.transferMode) +
                                     " is not supported (seqno 30 must be 1 for FTP or 2 for HTTP)");
        }
        if (auto v = firstValue(c, formatSql, "Status"))
            if (auto status = v->intOrNull())
                applyFileFormat(c, *status);

        // 10. Zipped scripts: the archive pattern replaces the format's, the format stays.
        if (auto v = firstValue(c, zipSql, "Status"); v && v->intOrNull() == 1)
            s.filePattern = "*.Zip";

        // 11. The statements' time limit (optional; console/TimeLimitSetting.h).
        ReadTimeLimit(c);
        // 12. A private office's CA file (optional; the system's store without it).
        s.transportCaFile =
            std::string(trimmed(firstText(c,
                                          "select Condition From " + s.dbPrefix +
                                              ".dbo.configuration Where ModuleName='datatransfer' and "
                                              "DesCription='TransportCaFile' and len(ltrim(Condition))>0",
                                          "Condition")
                                    .value_or("")));
        return true;
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In ValidateData");
        ErrorDisplay(c);
        s.timerEnabled = false;
        return false;
    }
}

} // namespace quillan
