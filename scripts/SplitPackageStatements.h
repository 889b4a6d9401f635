#pragma once
// The statements of split-file reassembly: the downloads it checks, the templates it joins, and the
// SetupDetails row it writes for every rebuilt package.
#include <cstdint>
#include <string>

namespace quillan {

// The packages downloaded completely, all of which must lie in the update folder.
std::string downloadedPackagesQuery(const std::string& dbPrefix);
// The complete templates (TPL), in release order.
std::string templatesQuery(const std::string& dbPrefix);
// Removes an earlier row of a rebuilt package, so a repeated run keeps one row per package.
std::string joinedPackageDelete(const std::string& dbPrefix, const std::string& joinedName);
// Records a rebuilt package as a ZIP of the application folder (RegRequired 2) of the template's
// version.
std::string joinedPackageInsert(const std::string& dbPrefix, const std::string& joinedName,
                                std::int64_t versionNo);

} // namespace quillan
