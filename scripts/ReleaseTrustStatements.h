#pragma once
// The statements of release verification: the newest release this installation has applied,
// kept in a table of its own (a release's files cannot reach a table, and the database's restore
// after a failed run puts the number back with everything else), and the record of a script name
// that must be fetched again because it was refused.
#include <string>

namespace quillan {

std::string appliedReleaseTable(const std::string& dbPrefix);
std::string appliedReleaseTableLookup(const std::string& dbPrefix); // a row when the table exists
std::string newestAppliedReleaseQuery(const std::string& dbPrefix); // one row, column VersionNo
std::string appliedReleaseRecord(const std::string& dbPrefix, int version);
std::string fetchedScriptForget(const std::string& dbPrefix, const std::string& sourceFileName);

} // namespace quillan
