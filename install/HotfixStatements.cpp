#include "install/HotfixStatements.h"

#include <cstdio>

namespace quillan {

// A NULL FixId would make NOT IN unknown for every row, so no hotfix would ever be pending to run
// while the status panel's check keeps reporting one: NULLs are left out of the list.
std::string pendingHotfixesQuery(const std::string& p) {
    return "SELECT * FROM " + p +
           ".dbo.SetupDetails WITH (NOLOCK) WHERE HotfixNo >0 AND HotFixNo NOT IN "
           "(SELECT FixId FROM " +
           p + ".dbo.HotFixlog WITH(NOLOCK) WHERE FixId IS NOT NULL) ORDER BY VersionNo,Hotfixno";
}

std::string hotfixLogLookup(double hotfixNumber) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.15g", hotfixNumber); // digits only: "12", "12.5"
    // A number that is not negative is written with a blank in front, as the version text has it.
    return std::string("Select * From HotFixLog Where FixID = ") + (hotfixNumber < 0 ? "" : " ") + digits;
}

} // namespace quillan
