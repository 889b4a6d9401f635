#pragma once
// The statements of the deployment panels and the pending check.
#include <cstdint>
#include <string>

namespace quillan {

// The server's date as text year/month/day, in column "cdt".
std::string serverDateQuery();
// The newest version (column "Version"), or (lastOnly) the highest version below it.
std::string versionQuery(const std::string& dbPrefix, bool lastOnly);
// The kinds of file the panels count, each in its own column: ExeCount, RtpCount, RtmCount.
enum class CountedFiles { Programs, RptReports, RtmReports };
// The count of one kind in the newest version, or (lastOnly) in the highest version below it.
std::string fileCountQuery(const std::string& dbPrefix, CountedFiles kind, bool lastOnly);
// Every SetupDetails row: none means nothing is recorded.
std::string recordedRowsQuery(const std::string& dbPrefix);
// The release's programs with their published and unpacked times (the unpacked time falls back
// to the published one), in release order.
std::string programTimesQuery(const std::string& dbPrefix);
// The hotfix rows, in release order.
std::string hotfixRowsQuery(const std::string& dbPrefix);
// The HotFixLog row of one hotfix number.
std::string hotfixLoggedQuery(const std::string& dbPrefix, std::int64_t fixNo);
// The rows still in progress (Status 1): a run's close marks them 3 (finished) or 2 (undone), so
// a row left at 1 belongs to a release whose last run was cut before its close.
std::string unfinishedRunQuery(const std::string& dbPrefix);

} // namespace quillan
