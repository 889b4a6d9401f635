#pragma once
// The statements of the hotfix runner: the hotfixes the database has not recorded, and the check of
// one script's number against HotFixLog before it runs.
#include <string>

namespace quillan {

// The hotfix rows whose number is not in HotFixLog, by release and then hotfix number.
std::string pendingHotfixesQuery(const std::string& dbPrefix);
// The HotFixLog rows of one hotfix number, run on the application database itself (no prefix).
// The number is written as the script's version line gives it, after a blank ("= 12", "= 12.5").
std::string hotfixLogLookup(double hotfixNumber);

} // namespace quillan
